#pragma once

#include <memory>

class ActiveReport;
class PrintProgress;
class QLabel;

// Steps the print screens share.

// lblMsg := "処理中・・・", painted before the list is read (input waits for the end of the list).
void fnShowPrintBusy(QLabel* lblMsg);
// Mode 0: prints the report with the printer dialog (a printer failure is told), then it goes;
// mode 1: hands it to its preview. Steps go to progress (none when null). False when the user
// stopped it there: nothing was printed or shown, and the screen logs no print.
bool fnPrintOrPreview(std::unique_ptr<ActiveReport> report, int mode, PrintProgress* progress);
