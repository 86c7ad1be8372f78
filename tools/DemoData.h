#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <random>

class Connection;
class QSqlQuery;

// Japanese sample goods, categories and movements, written the way the suite writes them.
namespace DemoData {

struct Category {
    int code;
    QString name;
};

struct Product {
    int category;
    QString name;
    QString kana; // full-width katakana reading
    QString unit;
    int price;
};

// Deterministic random numbers: the same seed gives the same database on every platform.
class Rng {
public:
    explicit Rng(quint32 seed) : m_engine(seed) {}
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(m_engine() % static_cast<quint32>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }

private:
    std::mt19937 m_engine;
};

QList<Category> categories();
QList<Product> catalogue();

QString padCode(const QString& code);
QString toHalfWidthKana(const QString& text);
// Search form of a text as the goods lookup matches it: the hyphens removed.
QString searchForm(const QString& text);

// Prepared inserts; each throws DbError on failure.
void insertCategory(QSqlQuery& q, int kubun, int code, const QString& name, int jun);
void insertGoods(QSqlQuery& q, const QString& code, const QString& name, const QString& kana,
                 const QString& unit, double tanka1, double tanka2, double tanka3, int bunrui, int gkubun,
                 int tkubun, int zkubun, int stop, double stanka, int kakuho);
void insertLedger(QSqlQuery& q, const QString& gcode, int day, int kubun, int denno, int line, double suu);
QString goodsInsertSql();
QString ledgerInsertSql();
QString categoryInsertSql();

// Fills an empty database: categories, about 200 goods, a year of movements up to today.
void write(Connection& cn, quint32 seed, const QDate& today);

int dayNumber(const QDate& d);

} // namespace DemoData
