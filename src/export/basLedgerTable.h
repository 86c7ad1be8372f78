#pragma once

#include "export/ExportTable.h"

#include <QString>

struct LedgerMonth;

// A goods ledger month as the ledger screen shows it, as a table export; goodsName: the goods name
// shown with it.
ExportTable fnLedgerTable(const LedgerMonth& month, const QString& goodsName);
