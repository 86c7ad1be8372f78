#pragma once

class ActiveReport;
class QLabel;

// Steps the two print screens share.

// lblMsg := "処理中・・・", with "done / total" once there is progress; the screen is repainted
// (input waits for the end of the list).
void fnShowPrintProgress(QLabel* lblMsg, int done, int total);
// Mode 0: prints the report with the printer dialog and releases it (a printer failure is told);
// mode 1: opens its preview, which owns it from then on. Progress goes to lblMsg.
void fnPrintOrPreview(ActiveReport* report, int mode, QLabel* lblMsg);
