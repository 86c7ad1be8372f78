#pragma once

#include "stock/StocktakeFile.h"

#include <QList>
#include <QString>
#include <QStringList>

// One line of the stocktaking check: what the file says of a product, what the ledger says, and
// whether the count may be written.
struct StocktakeLine {
    int fileLine = 0;   // the file's line number; 0 for a goods the file left out ("counted zero")
    QString typed;      // the code as the file has it (trimmed)
    QString gcode;      // the stored 12-character code (the goods row's when found)
    bool known = false; // a registered goods
    QString name;       // the goods name
    QString quantity;   // the counted quantity as the file has it
    qint32 counted = 0;
    qint32 book = 0;       // the book stock of the day: fnGetStockBefore (a count dated that day ignored)
    qint64 difference = 0; // counted - book
    bool hasCost = false;  // goods.stanka not Null
    double unitCost = 0;
    double amount = 0;     // difference x unit cost
    bool replaces = false; // a count (kind 9, denno 0, line 0) of that goods and day exists
    qint32 replaced = 0;   // its quantity
    bool missing = false;  // not in the file; counted zero by the option
    QStringList refusals;  // why it may not be written; empty when it may
    bool refused() const { return !refusals.isEmpty(); }
};

// The check of a stocktaking file for a count day D, against the shared connection: each line
// gets the goods name, the book stock of D as the stock-count screen shows it (fnGetStockBefore:
// the stock at the end of D ignoring a count dated D), the counted quantity, the difference, the
// unit cost and the difference's amount. A line is refused when the code is unknown (or longer
// than a goods code), the goods is not stock-managed, the quantity is not a whole number from 0 to
// 999999 (the stock-count screen's rule), or the code appears on another line of the file too.
// With zeroMissing every stock-managed, active goods without a line gets a count of 0.
// Throws DbError.
class StocktakeCheck {
public:
    static constexpr int kMaxQuantity = 999999;
    static constexpr int kGcodeLength = 12;
    // Below this many products the book stock is taken per product (the stock-count screen's own
    // call); from it on, for the whole ledger at once (fnGetStocksBefore, the same figures).
    static constexpr int kBulkFrom = 100;

    void run(const QList<StocktakeFileLine>& fileLines, qint32 day, bool zeroMissing = false);

    qint32 day() const { return m_day; }
    // File order, then the goods the file left out (code order).
    const QList<StocktakeLine>& lines() const { return m_lines; }
    // As shown and printed: refused lines first, each group in the order above.
    QList<StocktakeLine> shownOrder() const;

    int refusedCount() const;
    // Lines that would be written (no line is written while one is refused).
    int writableCount() const;
    int replaceCount() const;
    double amountTotal() const;
    // sysfile.stankakbn: 0 whole yen, otherwise two decimals.
    int stankaKbn() const { return m_stankaKbn; }
    QString amountFormat() const;

    // The counted quantity of a quantity text under the stock-count screen's rule (digits, commas
    // as thousands separators, 0 to 999999); false when it is not one.
    static bool parseQuantity(const QString& text, qint32* value);

    // Texts of the check's columns and its status, as the screen, the list and the tool show them.
    static QStringList captions();
    QStringList cells(const StocktakeLine& line) const;
    static QString status(const StocktakeLine& line);

private:
    QList<StocktakeLine> m_lines;
    qint32 m_day = 0;
    int m_stankaKbn = 0;
};
