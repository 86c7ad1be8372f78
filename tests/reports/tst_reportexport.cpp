#include "reports/GoodsListReport.h"
#include "reports/PrintScreenDriver.h"
#include "reports/XlsxReader.h"
#include "support/ScreenBench.h"
#include "support/ScriptedDialogs.h"
#include "ui/DataRows.h"

#include "core/basFormat.h"
#include "core/basPadding.h"
#include "data/Recordset.h"
#include "data/basDb.h"
#include "reports/ReportCsvExport.h"
#include "reports/ReportXlsxExport.h"
#include "reports/basActiveReport.h"
#include "reports/rptKakuhoZaiko.h"
#include "reports/rptNyuuden.h"
#include "reports/rptZaiko.h"

#include <QToolBar>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kToday = fnFormat(QDate::currentDate(), u"YYYY/MM/DD"_s);

// A file's text after its byte-order mark (UTF-8) or in Shift-JIS, and the bytes it would be.
QString decoded(const QByteArray& bytes, bool shiftJis) {
    return shiftJis ? QStringDecoder("Shift_JIS").decode(bytes) : QString::fromUtf8(bytes);
}
QByteArray encoded(const QString& text, bool shiftJis) {
    return shiftJis ? QByteArray(QStringEncoder("Shift_JIS").encode(text)) : text.toUtf8();
}
QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QString kZaikoCsv =
    u"商品コード,商品名称,前日在庫,当日入庫,当日出庫,当日返品,当日棚卸,出庫予定,現在庫,原価,金額\r\n"_s;
const QString kZaikoRows = u"1,\"みかん, 大\",1234,0,0,0,0,0,1234,\"1,000\",\"1,234,000\"\r\n"
                           u"2,りんご,0,0,3,0,0,0,-3,500,\"-1,500\"\r\n"_s;

template <class R> std::unique_ptr<R> wholeRange() {
    auto r = std::make_unique<R>();
    r->Range.day = 20240305;
    r->Range.code0 = fnPadLeft(u""_s, 12);
    r->Range.code1 = fnPadLeft(u"ZZZZZZZZZZZZ"_s, 12);
    return r;
}

} // namespace

// The Excel and CSV tools of the three reports' previews: every file read back, the workbook cell by
// cell; files that cannot be written. Then the stock lists on their own: the figures are the stock
// engine's (its own tests); here where they go, which goods are listed and what the CSV refuses.
class TestReportExport : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<QTemporaryDir> m_out;
    Recordset m_rec; // the receipt list's records while its preview is open

    QString out(const QString& name) const { return m_out->filePath(name); }

    // A report shown in its preview: zaiko (stankaKbn 0 or 1), kakuho, nyuuden (receipts) or
    // adjust (adjustments).
    ActiveReport* show(const QString& kind, int stankaKbn = 0) {
        std::unique_ptr<ActiveReport> owned;
        if (kind == u"zaiko"_s || kind == u"kakuho"_s) {
            auto list = kind == u"kakuho"_s
                            ? std::unique_ptr<StockListReport>(std::make_unique<rptKakuhoZaiko>())
                            : std::make_unique<rptZaiko>();
            if (auto* z = dynamic_cast<rptZaiko*>(list.get())) z->StankaKbn = stankaKbn;
            list->Range = {20240305, fnPadLeft(u"1"_s, 12), fnPadLeft(u"2"_s, 12), u"みかん, 大"_s,
                           u"りんご"_s};
            owned = std::move(list);
        } else {
            const int mode = kind == u"adjust"_s ? 9 : 0;
            fnOpenRecordset(m_rec, rptNyuuden::listSql(mode, 20240301, 20240306));
            auto n = std::make_unique<rptNyuuden>();
            n->grecBuff = &m_rec;
            n->setMode(mode);
            n->glngCnt = m_rec.RecordCount();
            n->StartDay = 20240301, n->EndDay = 20240306;
            owned = std::move(n);
        }
        ActiveReport* r = owned.get();
        ActiveReport::Show(std::move(owned));
        if (!r->preview() || !r->preview()->isVisible()) qFatal("the preview did not open");
        return r;
    }
    static void click(ActiveReport* r, int id) {
        const int position = r->Toolbar.indexOfId(id);
        if (position < 0) qFatal("no tool %d", id);
        r->preview()->clickTool(position);
    }
    // The one save dialog's filter and the one box's title and text, after
    // checking its title and proposed name: the name says which list it is (the adjustment list is
    // not the receipt list).
    QString asked(const ActiveReport* r, const QString& title, const QString& extension) const {
        if (m_dialogs->saveRequests.size() != 1 || m_dialogs->messages.size() != 1) return u"boxes"_s;
        const SaveFileRequest& ask = m_dialogs->saveRequests.first();
        const QString proposed = QFileInfo(ask.proposedName).fileName();
        if (ask.title != r->Caption + title || !proposed.startsWith(r->exportTitle() + u'_') ||
            !proposed.endsWith(extension))
            return ask.title + u' ' + proposed;
        const MessageRequest& box = m_dialogs->lastMessage();
        return ask.filter + u'|' + box.title + u':' + box.text;
    }
    // The goods and ledger rows the previews' exports read.
    void seed() const {
        m_dir->addGoods(u"1"_s, u"みかん, 大"_s);
        m_dir->addGoods(u"2"_s, u"りんご"_s);
        m_dir->exec({u"update goods set stanka = 1000, kakuho = 2000 where code = '           1'"_s,
                     u"update goods set stanka = 500, kakuho = 0 where code = '           2'"_s});
        m_dir->addLedger(u"1"_s, 20240301, 0, 1234);
        m_dir->addLedger(u"2"_s, 20240305, 1, 3, 501, 1);
        m_dir->addLedger(u"1"_s, 20240306, 9, 1200); // after the stock lists' day
    }
    QStringList outFiles() const {
        return QDir(m_out->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }

private slots:
    void init() {
        m_dir = std::make_unique<TempProgramDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_out = std::make_unique<QTemporaryDir>();
    }
    void cleanup() {
        closePreviews();
        m_rec.Close();
        m_out.reset();
        m_dialogs.reset();
        m_dir.reset();
    }

    // The workbook of each report, cell by cell: title and header lines, bold captions kept in
    // view, codes as text with the blanks they print with, numbers as numbers in the report's
    // format, dates as dates; A4 in the report's orientation.
    void excel_data() {
        cols<QString, int, QString, QString, QString>("kind", "stankaKbn", "cells", "orientation", "file");
        const QString zaikoTop =
            u"A1=s:現在庫一覧表:General|A2=s:日付 2024/03/05 現在:General|A3=s:商品 1 みかん, 大 ～ 2 "
            u"りんご:General|"
            u"A4=s:作成日 "_s +
            kToday +
            u":General|A5=-|A6=s:商品コード:General|B6=s:商品名称:General|"
            u"C6=s:前日在庫:General|K6=s:金額:General|"
            u"A7=s:           1:@|B7=s:みかん, 大:@|C7=n:1234:0|D7=n:0:0|E7=n:0:0|F7=n:0:0|G7=n:0:0|H7=n:0:0|"
            u"I7=n:1234:0|"
            u"A8=s:           2:@|B8=s:りんご:@|C8=n:0:0|E8=n:3:0|I8=n:-3:0|A9=-"_s;
        row("current stock, whole yen", "zaiko", 0,
            zaikoTop + u"|J7=n:1000:#,##0|K7=n:1234000:#,##0|J8=n:500:#,##0|K8=n:-1500:#,##0"_s, "landscape",
            "在庫.xlsx");
        row("current stock, two decimals", "zaiko", 1,
            zaikoTop + u"|J7=n:1000:#,##0.00|K7=n:1234000:#,##0.00|K8=n:-1500:#,##0.00"_s, "landscape",
            "在庫2.xlsx");
        row("shortage", "kakuho", 0,
            u"A1=s:確保割れ在庫一覧表:General|A2=s:日付 2024/03/05 現在:General|A6=s:商品コード:General|"
            u"C6=s:最小確保数:General|D6=s:現在庫:General|A7=s:           1:@|B7=s:みかん, 大:@|"
            u"C7=n:2000:General|D7=n:1234:0|A8=s:           2:@|C8=n:0:General|D8=n:-3:0|E7=-|A9=-"_s,
            "portrait", "確保.xlsx");
        row("receipts", "nyuuden", 0,
            u"A1=s:入庫処理一覧表:General|A2=s:入庫日 2024/03/01 ～ 2024/03/06:General|A3=s:作成日 "_s +
                kToday +
                u":General|A5=s:入庫日:General|B5=s:商品コード:General|D5=s:数量:General|"
                u"A6=d:2024/03/01:yyyy/mm/dd|B6=s:           1:@|C6=s:みかん, 大:@|D6=n:1234:#,##0|A7=-"_s,
            "portrait", "入庫.xlsx");
        row("adjustments", "adjust", 0,
            u"A1=s:在庫数調整一覧表:General|A2=s:調整日 2024/03/01 ～ 2024/03/06:General|A5=s:調整日:General|"
            u"A6=d:2024/03/06:yyyy/mm/dd|B6=s:           1:@|D6=n:1200:#,##0|A7=-"_s,
            "portrait", "調整.xlsx");
    }
    void excel() {
        seed();
        const QString file = out(fetch<QString>("file"));
        m_dialogs->answerSaveFile(file);
        ActiveReport* r = show(fetch<QString>("kind"), fetch<int>("stankaKbn"));
        click(r, ToolXlsx);
        QCOMPARE(asked(r, u"Excel出力ﾌｧｲﾙ"_s, u".xlsx"_s), u"Excelﾌｧｲﾙ (*.xlsx)|zanmo:出力しました。"_s);
        QVERIFY(r->preview()->isVisible());

        const XlsxReader sheet(file);
        QVERIFY2(sheet.isValid(), qPrintable(sheet.error()));
        const QStringList wrong = sheet.mismatches(fetch<QString>("cells"));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        // The caption row is bold, stays in view and is printed on every page.
        const int captions = fetch<QString>("cells").contains(u"A6=s:商品コード"_s) ? 6 : 5;
        QCOMPARE(sheet.frozenRows(), captions);
        QVERIFY(sheet.cell(u"A1"_s).bold && sheet.cell(u"A%1"_s.arg(captions)).bold);
        QVERIFY(!sheet.cell(u"A%1"_s.arg(captions + 1)).bold);
        QVERIFY(sheet.printTitles().endsWith(u"$%1:$%1"_s.arg(captions)));
        QCOMPARE(sheet.paperSize(), 9);
        QCOMPARE(sheet.orientation(), fetch<QString>("orientation"));
        // Widths fit the texts: the padded code (12 letters), the name (five kanji or kana and ", ").
        const int nameColumn =
            fetch<QString>("kind") == u"nyuuden"_s || fetch<QString>("kind") == u"adjust"_s ? 3 : 2;
        QVERIFY(sheet.columnWidth(nameColumn - 1) >= 12 && sheet.columnWidth(nameColumn) >= 12);
        for (int c = 1; c <= r->ExportColumns.size(); ++c)
            QVERIFY2(sheet.columnWidth(c) >= 6, qPrintable(QString::number(c)));
        QCOMPARE(sheet.sheetName(), r->exportTitle());
    }

    // CSV from the preview in the encoding the dialog's filter chose. A file already there ("old"): the
    // question, then overwrite, append (rows only) or nothing.
    void csv_data() {
        cols<QString, QString, bool, QString, int, QString>("kind", "filter", "sjis", "old", "answer",
                                                            "text");
        const QString all = kZaikoCsv + kZaikoRows, old = u"旧データ,1\r\n"_s;
        const char *utf8 = "CSV UTF-8 (*.csv)", *sjis = "CSV Shift-JIS (*.csv)";
        row("current stock, UTF-8", "zaiko", utf8, false, "", 0, all);
        row("current stock, no filter told: UTF-8", "zaiko", "", false, "", 0, all);
        row("current stock, Shift-JIS", "zaiko", sjis, true, "", 0, all);
        row("shortage, Shift-JIS", "kakuho", sjis, true, "", 0,
            "商品コード,商品名称,最小確保数,現在庫\r\n1,\"みかん, 大\",2000,1234\r\n2,りんご,0,-3\r\n");
        row("receipts, UTF-8", "nyuuden", utf8, false, "", 0,
            "入庫日,商品コード,商品名称,数量\r\n2024/03/01,1,\"みかん, 大\",\"1,234\"\r\n");
        row("adjustments, Shift-JIS", "adjust", sjis, true, "", 0,
            "調整日,商品コード,商品名称,数量\r\n2024/03/06,1,\"みかん, 大\",\"1,200\"\r\n");
        row("Yes overwrites", "zaiko", utf8, false, old, int(MsgYes), all);
        row("No appends in Shift-JIS", "zaiko", sjis, true, old, int(MsgNo), old + kZaikoRows);
        row("No after a last line without its end", "zaiko", utf8, false, "旧データ,1", int(MsgNo),
            old + kZaikoRows);
        row("Cancel leaves the file", "zaiko", utf8, false, old, int(MsgCancel), old);
    }
    void csv() {
        seed();
        const QString file = out(u"一覧.csv"_s), old = fetch<QString>("old");
        const bool sjis = fetch<bool>("sjis");
        const int answer = fetch<int>("answer");
        const QByteArray bom = sjis ? QByteArray() : QByteArray("\xEF\xBB\xBF");
        if (QFile f(file);
            !old.isEmpty() && (!f.open(QIODevice::WriteOnly) || f.write(bom + encoded(old, sjis)) < 0))
            QFAIL("no old file");
        m_dialogs->answerSaveFile(file, fetch<QString>("filter"));
        if (answer) m_dialogs->answerMessage(answer);
        ActiveReport* r = show(fetch<QString>("kind"));
        click(r, ToolCsv);
        if (old.isEmpty()) {
            QCOMPARE(asked(r, u"CSV出力ﾌｧｲﾙ"_s, u".csv"_s),
                     u"CSV UTF-8 (*.csv);;CSV Shift-JIS (*.csv)|ＰＥＬＫＯ:保存しました"_s);
            QVERIFY(!m_dialogs->saveRequests.first().confirmOverwrite); // the export asks its own question
        } else {
            QVERIFY(!m_dialogs->messages.isEmpty());
            const MessageRequest& question = m_dialogs->messages.first();
            QVERIFY2(question.text.startsWith(u"ファイルが存在します。上書きしますか？"_s),
                     qPrintable(question.text));
            QCOMPARE(question.buttons, MsgButtons::YesNoCancel);
            QStringList after;
            for (const MessageRequest& m : m_dialogs->messages.mid(1))
                after << m.text;
            QCOMPARE(after.join(u'|'), answer == MsgCancel ? QString() : u"保存しました"_s);
        }
        const QByteArray bytes = readAll(file);
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), !sjis);
        QVERIFY(bytes.indexOf("\xEF\xBB\xBF", 1) < 0); // one byte-order mark at most
        // A new file: the list's title and header lines (its day or days, range, made-on date), a blank
        // line, then the table; an appended one gets only rows.
        QString text = decoded(bytes.mid(bom.size()), sjis);
        QCOMPARE(bytes.mid(bom.size()), encoded(text, sjis));
        if (old.isEmpty() || answer == MsgYes) {
            QVERIFY2(text.startsWith(r->exportTitle() + u"\r\n"_s), qPrintable(text.left(80)));
            text = text.section(u"\r\n\r\n"_s, 1);
        }
        QCOMPARE(text, fetch<QString>("text"));
        QCOMPARE(outFiles(), QStringList{u"一覧.csv"_s}); // no temporary file left beside it
    }

    // A file that cannot be written: the error box, nothing left behind, the preview still open. Whether
    // the folder is there or the name a folder is one check for every file type.
    void unwritable_data() {
        cols<int, QString, int>("tool", "target", "number"); // %1: the output folder
        row("PDF, folder not writable", int(ToolPdf), "/proc/zanmo-list.PDF", 70);
        row("Excel, folder not writable", int(ToolXlsx), "/proc/zanmo-list.xlsx", 70);
        row("CSV, folder not writable", int(ToolCsv), "/proc/zanmo-list.csv", 70);
        row("CSV, folder missing", int(ToolCsv), "%1/none/a.csv", 76);
        row("Excel, name is a folder", int(ToolXlsx), "%1", 75);
        // %2: the program folder. The database, its journals, or it under another name.
        row("PDF onto the database", int(ToolPdf), "%2/data1.dat", 70);
        row("CSV onto the database", int(ToolCsv), "%2/./data1.dat", 70);
        row("CSV onto its WAL", int(ToolCsv), "%2/data1.dat-wal", 70);
        row("PDF onto its rollback journal", int(ToolPdf), "%2/data1.dat-journal", 70);
        row("CSV onto a link to it", int(ToolCsv), "%1/link.csv", 70);
    }
    void unwritable() {
        seed();
        const QString target = fetch<QString>("target");
        const QString path = QString(target).replace(u"%1"_s, m_out->path()).replace(u"%2"_s, m_dir->path());
        const bool database = target.startsWith(u"%2"_s) || path.endsWith(u"link.csv"_s);
        if (database && !m_dir->serverDatabase().isEmpty()) QSKIP("a database file");
        if (path.endsWith(u"link.csv"_s)) QVERIFY(QFile::link(m_dir->dataFile(), path));
        const bool existed = QFileInfo::exists(path);
        const QString goods = m_dir->rows(u"select * from goods order by code"_s);
        m_dialogs->answerSaveFile(path);
        ActiveReport* r = show(u"zaiko"_s);
        click(r, fetch<int>("tool"));
        QCOMPARE(m_dialogs->messages.size(), 1);
        const MessageRequest& box = m_dialogs->lastMessage();
        QCOMPARE(box.title, u"エラー"_s);
        QCOMPARE(box.icon, MsgIcon::Critical);
        QVERIFY2(box.text.startsWith(QString::number(fetch<int>("number")) + u": "_s), qPrintable(box.text));
        QVERIFY(r->preview()->isVisible());
        if (database) {
            QCOMPARE(QFileInfo::exists(path), existed);
            QFile::remove(m_out->path() + u"/link.csv"_s);
            QCOMPARE(m_dir->scalar(u"PRAGMA integrity_check"_s), u"ok"_s);
            QCOMPARE(m_dir->rows(u"select * from goods order by code"_s), goods);
            return;
        }
        QVERIFY(outFiles().isEmpty());
        QVERIFY(!QFileInfo(path).isFile());
    }

    // Widths count a halfwidth katakana as one letter (a kanji or kana as two: the workbooks' names),
    // up to a limit.
    void columnWidth() {
        QCOMPARE(ReportXlsxExport::columnWidth({u"ﾃﾞｰﾀ"_s}), 6.0);
        QCOMPARE(ReportXlsxExport::columnWidth({QString(200, u'x')}), 80.0);
    }

    // One goods "1" of unit cost 1234.56; its current-stock line as of 2024/03/05 from the stock on:
    // P, in, out, returns, count, planned, Z, cost, amount.
    void zaikoLine_data() {
        cols<QString, int, QString>("ledger", "stankaKbn", "line");
        row("each figure in its column, whole yen",
            "20240301 9 50; 20240302 0 4; 20240305 9 40; 20240305 0 7; 20240305 1 3; 20240305 2 2; 20240306 "
            "1 6",
            0, "54|7|3|2|40|6|40|1,235|49,382");
        row("negative stock keeps its sign, two decimals", "20240101 1 3", 1,
            "-3|0|0|0|0|0|-3|1,234.56|-3,703.68");
        row("any non-zero flag", "20240101 0 3", -1, "3|0|0|0|0|0|3|1,234.56|3,703.68");
    }
    void zaikoLine() {
        m_dir->addGoods(u"1"_s, u"みかん"_s);
        m_dir->exec(u"update goods set stanka = 1234.56"_s);
        addLedgerRows(*m_dir, fetch<QString>("ledger"), u"1"_s);
        auto r = wholeRange<rptZaiko>();
        r->StankaKbn = fetch<int>("stankaKbn");
        QVERIFY(r->Run());
        QCOMPARE(printedLines(*r).size(), 1);
        // Quantities: the sign's blank of Str$ is there before the CSV trims it.
        QVERIFY(QStringList({u" "_s, u"-"_s}).contains(r->control(u"txtzenzai"_s)->Text.left(1)));
        QCOMPARE(printedLines(*r).first().section(u'|', 2), fetch<QString>("line"));
    }

    // Stock-managed active goods of the range; discontinued ones, other kinds (zkubun, gkubun) not.
    void zaikoSelection() {
        addGoodsRows(*m_dir, u"1 一; 2 二; 3 三 1 0 1; 4 四 1 1; 5 五; 6 六"_s);
        m_dir->exec(u"update goods set gkubun = 1 where code = '           6'"_s);
        auto r = wholeRange<rptZaiko>();
        QVERIFY(r->Run());
        QCOMPARE(printedLines(*r, 1).join(u','), u"1,2,5"_s);
    }

    // Goods and ledger rows (ScreenBench notation); the codes the shortage list prints, none: the
    // message and the preview closed.
    void kakuho_data() {
        cols<QString, QString, QString>("goods", "ledger", "printed");
        row("equal is not short", "1 品1 1 0 0 5; 2 品2 1 0 0 6", "20240101 0 5 0 0 1; 20240101 0 5 0 0 2",
            "2");
        row("kakuho 0: negative printed, zero not", "1 品1 1 0 0 0; 2 品2 1 0 0 0", "20240101 1 1 0 0 1",
            "1");
        row("a count on D sets the stock", "1 品1 1 0 0 10", "20240305 0 50 0 0 1; 20240305 9 4 0 0 1", "1");
        row("nothing short", "1 品 1 0 0 2", "20240101 0 2 0 0 1", "");
    }
    void kakuho() {
        addGoodsRows(*m_dir, fetch<QString>("goods"));
        addLedgerRows(*m_dir, fetch<QString>("ledger"), u"1"_s);
        auto owned = wholeRange<rptKakuhoZaiko>();
        QPointer<rptKakuhoZaiko> r(owned.get());
        ActiveReport::Show(std::move(owned));
        if (fetch<QString>("printed").isEmpty()) {
            QCOMPARE(m_dialogs->messages.size(), 1);
            QCOMPARE(m_dialogs->lastMessage().text, u"該当データがありません"_s);
            settle();
            QVERIFY(!r); // the preview closed and the report went with it
            return;
        }
        QCOMPARE(printedLines(*r, 1).join(u','), fetch<QString>("printed"));
        QCOMPARE(r->printedLines(), int(printedLines(*r).size()));
        QVERIFY(m_dialogs->messages.isEmpty());
        r->Unload();
        settle();
    }

    // A name the file's encoding cannot hold is refused, never written with '?' in its place.
    void csvRefused_data() {
        cols<bool, bool, QString, bool>("kakuho", "sjis", "name", "refused");
        row("UTF-8 holds any name", false, false, "みかん🍊, 大", false);
        row("a name Shift-JIS cannot hold", false, true, "みかん🍊, 大", true);
        row("nor a kanji outside it", true, true, "𠮷野家, 大", true);
    }
    void csvRefused() {
        const QString name = fetch<QString>("name");
        m_dir->addGoods(u"1"_s, name);
        m_dir->exec(u"update goods set kakuho = 1"_s); // short: on the shortage list
        std::unique_ptr<StockListReport> r;
        if (fetch<bool>("kakuho"))
            r = wholeRange<rptKakuhoZaiko>();
        else
            r = wholeRange<rptZaiko>();
        const QTemporaryDir out;
        ReportCsvExport csv;
        csv.FileName = out.filePath(u"list.csv"_s);
        csv.ShiftJis = fetch<bool>("sjis");
        QCOMPARE(csv.Export(*r), !fetch<bool>("refused"));
        if (fetch<bool>("refused")) {
            QCOMPARE(csv.errorDescription(), u"Shift-JIS で表せない文字があります。"_s);
            QVERIFY(!QFile::exists(csv.FileName));
        } else {
            QVERIFY2(csvFile(csv.FileName).contains(u"|1,\"%1\",0,"_s.arg(name)),
                     qPrintable(csvFile(csv.FileName)));
        }
    }
};

QTEST_MAIN(TestReportExport)
#include "tst_reportexport.moc"
