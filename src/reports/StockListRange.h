#pragma once

#include <QString>

// What the stock lists take from their print screen (or the command line): the stock date D, the
// code range as stored codes with the two names, and the discontinued-goods switch.
struct StockListRange {
    qint32 day = 0;
    QString code0;
    QString code1;
    QString name0;
    QString name1;
    bool stopOnly = false; // the current-stock list of discontinued goods only
};
