#pragma once

#include <memory>

class ActiveReport;
class QLabel;

// Steps the two print screens share.

// lblMsg := "処理中・・・", with "done / total" once there is progress; the screen is repainted
// (input waits for the end of the list).
void fnShowPrintProgress(QLabel* lblMsg, int done, int total);
// Mode 0: prints the report with the printer dialog (a printer failure is told), then it goes;
// mode 1: hands it to its preview. Progress goes to lblMsg.
void fnPrintOrPreview(std::unique_ptr<ActiveReport> report, int mode, QLabel* lblMsg);
