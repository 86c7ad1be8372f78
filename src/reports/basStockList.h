#pragma once

#include <QString>

// Goods look-ups shared by the stock list screen and the command line. All read the shared
// connection and throw DbError.

struct GoodsPick {
    bool found = false;
    QString code; // stored form
    QString name;
    int zkubun = 0;
    int stop = 0;
};

// The smallest (last = false) or largest stock-managed, active goods code, with its name.
GoodsPick fnRangeEndGoods(bool last);
// The goods of a stored code.
GoodsPick fnFindGoods(const QString& code);
// The next (forward) or previous stock-managed, active goods after a stored code.
GoodsPick fnStepGoods(const QString& code, bool forward);
// Goods the stock lists count for a range: stock-managed, active (or discontinued only).
int fnCountStockGoods(const QString& code0, const QString& code1, bool stopOnly);
