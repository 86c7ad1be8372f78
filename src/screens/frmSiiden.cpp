#include "screens/frmSiiden.h"

StockEntryTexts frmSiiden::screenTexts() {
    StockEntryTexts t;
    t.kubun = 0;
    t.caption = QStringLiteral("入庫処理");
    t.dateLabel = QStringLiteral("入庫日");
    t.dateTip = QStringLiteral("入庫日を入力します");
    t.suuLabel = QStringLiteral("入庫数量");
    t.suuTip = QStringLiteral("入庫数量を入力します");
    t.stockLabel = QStringLiteral("現在庫数");
    t.sameDayQuestion = QStringLiteral("入力された商品は同日中に入庫処理がされています。再度記録しますか");
    t.missingDate = QStringLiteral("入庫日を入力してください");
    t.listMode = 0;
    return t;
}

frmSiiden::frmSiiden(QWidget* parent) : StockEntryForm(screenTexts(), parent) {}
