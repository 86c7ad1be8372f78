#include "screens/frmTanaden.h"

StockEntryTexts frmTanaden::screenTexts() {
    StockEntryTexts t;
    t.kubun = 9;
    t.caption = QStringLiteral("在庫数調整");
    t.dateLabel = QStringLiteral("調整日");
    t.dateTip = QStringLiteral("調整日を入力します");
    t.suuLabel = QStringLiteral("現在庫数");
    t.suuTip = QStringLiteral("現在の在庫数を入力します");
    t.stockLabel = QStringLiteral("システム現在庫数");
    t.sameDayQuestion = QStringLiteral("入力された商品は同日中に在庫数調整がされています。再度記録しますか");
    t.missingDate = QStringLiteral("調整日を入力してください");
    t.listMode = 9;
    return t;
}

frmTanaden::frmTanaden(QWidget* parent) : StockEntryForm(screenTexts(), parent) {}
