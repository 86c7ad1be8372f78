#include "DemoData.h"
#include "ToolCommands.h"

#include "data/BulkInsert.h"
#include "data/Connection.h"
#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "data/basSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

namespace {

bool parseCount(const QString& text, qint64 lo, qint64 hi, qint64* out) {
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < lo || n > hi) return false;
    *out = n;
    return true;
}

// The ledger's columns in the order BulkInsert takes them.
class LedgerRows {
public:
    explicit LedgerRows(Connection& cn)
        : m_insert(cn, QStringLiteral("gdai"),
                   {QStringLiteral("gcode"), QStringLiteral("day"), QStringLiteral("kubun"),
                    QStringLiteral("denno"), QStringLiteral("line"), QStringLiteral("suu")}) {}
    void add(const QString& gcode, int day, int kubun, int denno, int line, double suu) {
        m_insert.text(gcode);
        m_insert.integer(day);
        m_insert.integer(kubun);
        m_insert.integer(denno);
        m_insert.integer(line);
        m_insert.real(suu, 2);
        m_insert.endRow();
    }
    void finish() { m_insert.finish(); }

private:
    BulkInsert m_insert;
};

void generate(Connection& cn, int goodsCount, qint64 rows, quint32 seed, const QDate& end) {
    using namespace DemoData;
    Rng rng(seed);
    QSqlDatabase db = cn.database();
    QSqlQuery pragma(db);
    // One bulk transaction on a new file: a failure removes the file, so no journal is needed meanwhile.
    for (const QString& s : cn.engineRules().bulkLoadStatements())
        pragma.exec(s);
    const bool own = !cn.inTransaction(); // the server's tables are made in the same one
    if (own) cn.BeginTrans();
    try {
        // The ledger's indexes are built once over all its rows, which costs less than keeping
        // them up to date row by row.
        for (const char* index : {"gdai_gcode_day_kubun", "gdai_gcode_kubun_day"})
            if (!pragma.exec(QStringLiteral("DROP INDEX IF EXISTS ") + QLatin1String(index)))
                throw DbError(fnProviderErrorText(pragma.lastError()));
        QSqlQuery cat(db), goods(db);
        if (!cat.prepare(categoryInsertSql()) || !goods.prepare(goodsInsertSql()))
            throw DbError(fnProviderErrorText(goods.lastError()));
        LedgerRows ledger(cn);
        const QList<Category> cats = categories();
        for (const Category& c : cats)
            insertCategory(cat, 4, c.code, c.name, c.code);
        const QList<Product> products = catalogue();
        const int width = QString::number(goodsCount).size();
        for (int i = 0; i < goodsCount; ++i) {
            const Product& p = products[i % products.size()];
            const QString serial = QString::number(i + 1).rightJustified(width, u'0');
            const int stop = rng.chance(3) ? 1 : 0;
            insertGoods(goods, QString::number(i + 1), p.name + u' ' + serial,
                        toHalfWidthKana(p.kana) + u' ' + serial, p.unit, p.price, p.price * 95 / 100,
                        p.price * 90 / 100, p.category, 0, 0, 0, stop, p.price * 6 / 10,
                        rng.chance(30) ? rng.between(1, 6) * 5 : 0);
        }

        // Three years of movements; each goods gets its share of the rows in date order.
        const QDate start = end.addYears(-3);
        const int span = static_cast<int>(start.daysTo(end));
        QList<int> days; // the day number of each offset from the start
        days.reserve(span + 1);
        for (int off = 0; off <= span; ++off)
            days.append(dayNumber(start.addDays(off)));
        int voucher = 100000;
        QList<int> offsets;
        for (int i = 0; i < goodsCount; ++i) {
            const QString code = padCode(QString::number(i + 1));
            const qint64 share = rows / goodsCount + (i < rows % goodsCount ? 1 : 0);
            if (share == 0) continue;
            ledger.add(code, dayNumber(start), 9, 0, 0, rng.between(10, 200));
            offsets.clear();
            offsets.reserve(share - 1);
            for (qint64 r = 1; r < share; ++r)
                offsets.append(rng.between(1, span));
            std::sort(offsets.begin(), offsets.end());
            int lastReceipt = -1, lastCount = 0;
            for (int off : offsets) {
                const int day = days.at(off);
                int kind = rng.below(100);
                // Receipts and counts are unique per goods, day and kind, as this program writes them.
                if (kind < 25 && off != lastReceipt) {
                    ledger.add(code, day, 0, 0, 0, rng.between(1, 20) * 10);
                    lastReceipt = off;
                } else if (kind >= 97 && off != lastCount) {
                    ledger.add(code, day, 9, 0, 0, rng.between(0, 200));
                    lastCount = off;
                } else if (kind >= 92 && kind < 97) {
                    ledger.add(code, day, 2, ++voucher, 1, rng.between(1, 3));
                } else {
                    ledger.add(code, day, 1, ++voucher, rng.between(1, 5), rng.between(1, 12));
                }
            }
        }
        ledger.finish();
        for (const QString& index : Schema::indexStatements())
            if (!pragma.exec(index)) throw DbError(fnProviderErrorText(pragma.lastError()));
        if (own) cn.CommitTrans();
        for (const QString& s : cn.engineRules().afterBulkLoadStatements())
            pragma.exec(s);
    } catch (...) {
        if (own) cn.RollbackTrans();
        throw;
    }
}

} // namespace

int toolGenerate(const QStringList& args) {
    QString dir;
    bool server = false;
    qint64 goods = -1, rows = -1, seed = 1;
    QDate end = QDate::currentDate();
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--goods") && hasValue) {
            if (!parseCount(args[++i], 1, 10000000, &goods))
                return toolFail(QStringLiteral("generate: --goods takes a number from 1"));
        } else if (a == QLatin1String("--rows") && hasValue) {
            if (!parseCount(args[++i], 0, 2000000000, &rows))
                return toolFail(QStringLiteral("generate: --rows takes a number from 0"));
        } else if (a == QLatin1String("--seed") && hasValue) {
            if (!parseCount(args[++i], 0, 4294967295LL, &seed))
                return toolFail(QStringLiteral("generate: --seed takes a number"));
        } else if (a == QLatin1String("--today") && hasValue) {
            int day = 0;
            if (!toolParseDay(args[++i], &day))
                return toolFail(QStringLiteral("generate: --today takes a date YYYYMMDD"));
            end = QDate(day / 10000, day / 100 % 100, day % 100);
        } else if (a == QLatin1String("--pg")) {
            server = true;
        } else if (a.startsWith(QLatin1String("--")) || !dir.isEmpty()) {
            return toolFail(QStringLiteral("generate: unexpected argument '") + a +
                            QStringLiteral("' (see --help)"));
        } else {
            dir = a;
        }
    }
    if (dir.isEmpty() || goods < 0 || rows < 0)
        return toolFail(QStringLiteral("generate: DIR, --goods and --rows are required (see --help)"));
    QElapsedTimer timer;
    timer.start();
    QString file;
    const auto fill = [&](Connection& cn) {
        generate(cn, static_cast<int>(goods), rows, static_cast<quint32>(seed), end);
    };
    const bool built = server ? toolBuildOnServer(dir, fill, &file)
                              : toolBuildDatabase(
                                    dir,
                                    [&](const QString& building) {
                                        Connection cn;
                                        cn.Open(toolConnectString(building));
                                        fill(cn);
                                    },
                                    &file);
    if (!built) return 2;
    std::printf("created %s: %lld goods, %lld ledger rows in %.1f s\n", file.toUtf8().constData(),
                static_cast<long long>(goods), static_cast<long long>(rows), timer.elapsed() / 1000.0);
    return 0;
}
