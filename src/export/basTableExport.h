#pragma once

#include <QString>

struct ExportTable;

// The export step the report previews and the goods ledger share: the save dialog, the question
// about an existing file, the writing, and the box that tells how it went.

// The save dialog's two CSV filters; the one chosen sets the encoding.
inline constexpr char16_t kCsvUtf8Filter[] = u"CSV UTF-8 (*.csv)";
inline constexpr char16_t kCsvShiftJisFilter[] = u"CSV Shift-JIS (*.csv)";
inline constexpr char16_t kXlsxFilter[] = u"Excelﾌｧｲﾙ (*.xlsx)";

// Asks for a CSV file (title: the table's name + "CSV出力ﾌｧｲﾙ"; UTF-8 with a byte-order mark or
// Shift-JIS by the filter chosen). An existing file: "ファイル書込み選択" (Yes overwrite, No append
// without a second caption line, Cancel nothing). Written: "ＣＳＶ出力". True when written; a
// cancelled dialog or question writes and says nothing; a failure shows the error box.
bool fnExportTableCsv(const ExportTable& table);
// Asks for an Excel file (title: the table's name + "Excel出力ﾌｧｲﾙ") and writes the workbook.
// Written: "出力しました。". True when written; cancelled: nothing; a failure: the error box.
// Both stop quietly, with no file made or appended to, when the table's progress says so.
bool fnExportTableXlsx(const ExportTable& table);

// The box of a failed export: "number: description", titled "エラー", with the critical icon.
void fnShowExportError(int number, const QString& description);
// The box of a finished file export: "出力しました。", titled with the program's name.
void fnShowExported();
