#pragma once

#include "screens/StockEntryForm.h"

// "在庫数調整": the counted stock of one product on one date, one ledger row of kind 9 from
// which the stock restarts.
class frmTanaden : public StockEntryForm {
    Q_OBJECT
public:
    explicit frmTanaden(QWidget* parent = nullptr);
    static StockEntryTexts screenTexts();
};
