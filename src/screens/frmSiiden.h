#pragma once

#include "screens/StockEntryForm.h"

// "入庫処理": the receipt of one product on one date, one ledger row of kind 0.
class frmSiiden : public StockEntryForm {
    Q_OBJECT
public:
    explicit frmSiiden(QWidget* parent = nullptr);
    static StockEntryTexts screenTexts();
};
