// fnSqlText, fnSqlLike, fnJetToSqlite (and fnJetToPostgres) and fnIsPlainNumber against SQLite itself: a
// typed value quoted into a statement must come back as it was, and never end its literal. Input: a choice
// byte, then fields: the value, a statement text.

#include "FuzzSupport.h"

#include "data/SqlDialect.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

namespace {

QSqlDatabase g_db;

// Runs a statement; when it runs, it must give exactly one row of `columns` values.
bool run(const QString& sql, int columns, QVariantList& row, QString& why, const QString& shown) {
    QSqlQuery q(g_db);
    why = shown + QStringLiteral("\n  statement ") + fuzzShow(sql);
    if (!q.exec(sql)) {
        why += QStringLiteral("\n  error ") + q.lastError().text();
        return false;
    }
    FUZZ_CHECK(q.record().count() == columns, why);
    FUZZ_CHECK(q.next(), why);
    row.clear();
    for (int i = 0; i < columns; ++i)
        row << q.value(i);
    FUZZ_CHECK(!q.next(), why);
    return true;
}

QVariantList one(const QString& sql, int columns, const QString& shown) {
    QVariantList row;
    QString why;
    FUZZ_CHECK(run(sql, columns, row, why, shown), why);
    return row;
}

// The quoted literals of a statement, read the way SQLite reads them (a doubled quote stays inside).
QStringList literals(const QString& sql) {
    static const QRegularExpression literal(QStringLiteral("'(?:[^']|'')*'?|\"(?:[^\"]|\"\")*\"?"));
    QStringList out;
    for (auto it = literal.globalMatch(sql); it.hasNext();)
        out << it.next().captured();
    return out;
}

// A lone surrogate or a NUL, which SQLite cannot hold inside a literal, as U+FFFD.
QString expectedLiteral(const QString& s) {
    QString out;
    for (const QString& c : fuzzCharacters(s))
        out += (c.size() == 1 && (c[0].isSurrogate() || c[0].isNull())) ? QString(QChar(u'\uFFFD')) : c;
    return out;
}

void checkText(const QString& v) {
    const QString shown = QStringLiteral("value ") + fuzzShow(v);
    const QString q = fnSqlText(v);
    const QString like = fnSqlLike(v);
    // What the literal holds: the value, with a lone surrogate or a NUL as U+FFFD.
    const QString e = expectedLiteral(v);
    const auto quoted = [&](const QString& sql, int columns) {
        QVariantList row;
        QString why;
        const bool ran = run(sql, columns, row, why, shown);
        FUZZ_CHECK(ran, why);
        return row;
    };

    const QString select = QStringLiteral("SELECT '") + q + QStringLiteral("'");
    const QVariantList plain = quoted(select, 1);
    // The LIKE body matches the value it came from, and comes back as that value too.
    const QVariantList liked = quoted(QStringLiteral("SELECT '") + q + QStringLiteral("' LIKE '%") + like +
                                          QStringLiteral("%', '") + like + QStringLiteral("'"),
                                      2);
    // Through the Jet conversion the literal is untouched.
    const QVariantList converted = quoted(fnJetToSqlite(select), 1);
    FUZZ_CHECK(plain.value(0).toString() == e, shown);
    FUZZ_CHECK(liked.value(0).toInt() == 1 && liked.value(1).toString() == e, shown);
    FUZZ_CHECK(converted.value(0).toString() == e, shown);

    // A Jet delete on the quoted value removes exactly that row (none when refused).
    QSqlQuery w(g_db);
    FUZZ_CHECK(w.exec(QStringLiteral("DELETE FROM t")), shown);
    // Written as literals too: a bound text would lose a leading U+FEFF, SQLite taking it for a BOM.
    for (const QString& a : {e, e + u'1', u'2' + e}) // three different rows
        FUZZ_CHECK(w.exec(QStringLiteral("INSERT INTO t(a) VALUES ('") + fnSqlText(a) + QStringLiteral("')")),
                   shown);
    const bool deleted = w.exec(fnJetToSqlite(QStringLiteral("Delete * From t Where a = '") + q + u'\''));
    FUZZ_CHECK(deleted, shown + QStringLiteral("\n  error ") + w.lastError().text());
    FUZZ_CHECK(w.numRowsAffected() == 1, shown);
    FUZZ_CHECK(one(QStringLiteral("SELECT count(*) FROM t"), 1, shown).value(0).toInt() == 2, shown);
}

void checkJet(const QString& sql) {
    const QString out = fnJetToSqlite(sql);
    const QString shown = fuzzShow(sql) + QStringLiteral(" -> ") + fuzzShow(out);
    FUZZ_CHECK(literals(out) == literals(sql), shown);
    FUZZ_CHECK(fnJetToSqlite(out) == out, shown);
    if (!sql.contains(u'*')) FUZZ_CHECK(out == sql, shown);
    FUZZ_CHECK(out.size() <= sql.size(), shown);
    // The server's form: the same literals, only aliases and empty LIKE escapes added, and a second
    // pass changes nothing.
    const QString pg = fnJetToPostgres(sql);
    const QString pgShown = fuzzShow(sql) + QStringLiteral(" -> ") + fuzzShow(pg);
    const QString pgBare =
        QString(pg).remove(QRegularExpression(QStringLiteral(" as zanmo_dt\\d+| ESCAPE ''")));
    FUZZ_CHECK(literals(pgBare) == literals(sql), pgShown);
    FUZZ_CHECK(fnJetToPostgres(pg) == pg, pgShown);
    FUZZ_CHECK(pgBare == out, pgShown);
}

void checkPlainNumber(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    const bool isPlain = fnIsPlainNumber(text);
    const QString t = text.trimmed();
    const QString shown =
        fuzzShow(text) + (isPlain ? QStringLiteral(" plain") : QStringLiteral(" not plain"));
    FUZZ_CHECK(isPlain == plain.match(t).hasMatch(), shown);
    if (!isPlain) return;
    // In an unquoted slot it is one number and nothing more.
    bool ok = false;
    const double mine = t.toDouble(&ok);
    const QVariant theirs = one(QStringLiteral("SELECT ") + t, 1, shown).value(0);
    const double d = theirs.toDouble();
    if (ok && std::isfinite(mine))
        FUZZ_CHECK(std::fabs(d - mine) <= std::fabs(mine) * 1e-15,
                   shown + QStringLiteral(" sqlite %1").arg(d));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzStartQt();
    g_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz"));
    g_db.setDatabaseName(QStringLiteral(":memory:"));
    if (!g_db.open()) {
        std::fprintf(stderr, "no SQLite: %s\n", qPrintable(g_db.lastError().text()));
        std::abort();
    }
    QSqlQuery(g_db).exec(QStringLiteral("CREATE TABLE t(a TEXT)"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t choice = in.byte();
    const QString value = in.text();
    const QString sql = in.text();
    if (value.size() > 1000) return 0; // LIKE's pattern limit is far off; keeps each run quick
    checkText(value);
    checkPlainNumber(value);
    checkJet(choice & 1 ? sql : value);
    return 0;
}
