#pragma once

#include <QHash>
#include <QString>
#include <functional>

// The figures of the stock lists for one product as of a day D, as whole units:
//   P  stock at the end of the day before D      R  receipts on D (kind 0)
//   H  shipments on D (kind 1)                   T  returns received on D (kind 2)
//   F  shipments dated after D                   Z  stock at the end of D
//   count  the stock count dated D, 0 when none
// A count (kind 9) is the stock at the end of its day: other movements of its day are inside it.
// Each sum of the ledger is rounded to a whole number (halves to even) before it is used.
struct StockDayFigures {
    qint64 P = 0;
    qint64 R = 0;
    qint64 H = 0;
    qint64 T = 0;
    qint64 F = 0;
    qint64 Z = 0;
    qint64 count = 0;
    bool operator==(const StockDayFigures&) const = default;
};

// The figures of every product with ledger rows whose code lies between codeFrom and codeTo
// (stored 12-character codes, compared as the database compares them), in two grouped passes over
// the ledger on the shared connection. A product without ledger rows is not in the result: all
// its figures are 0. Ledger days are taken to be calendar days. Throws DbError.
class StockFigureTable {
public:
    // False when step (told the products read so far, every few hundred) stopped the reading: the
    // table is then empty.
    bool load(const QString& codeFrom, const QString& codeTo, qint32 day,
              const std::function<bool(int products)>& step = {});
    // The statement load() reads (a row a product: code, count of S, count of D, the sums).
    static QString sql(const QString& codeFrom, const QString& codeTo, qint32 day);
    // The figures of a product (its stored code); zeros when it has no ledger rows.
    StockDayFigures figures(const QString& gcode) const;
    int size() const { return int(m_figures.size()); }

    // The database compares codes without regard to ASCII letter case.
    static QString key(const QString& gcode);

private:
    QHash<QString, StockDayFigures> m_figures;
};
