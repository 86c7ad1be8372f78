#pragma once

#include "export/ExportTable.h"

class StocktakeCheck;

// The stocktaking check as a table export ("棚卸差異表"): the count day and the totals under the
// title, then one row a line as the stocktaking screen shows it (refused lines first).
ExportTable fnStocktakeTable(const StocktakeCheck& check);
// The totals line of a check: lines, goods to write, refused, replaced, difference amount.
QString fnStocktakeSummary(const StocktakeCheck& check);
