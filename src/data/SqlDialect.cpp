#include "data/SqlDialect.h"

#include <QRegularExpression>
#include <QStringList>
#include <QVector>

#include <algorithm>

namespace {

// The position of the quote that closes the literal opened at q (a doubled quote stays inside);
// the statement's end when it is not closed.
int literalEnd(const QString& sql, int q) {
    const QChar quote = sql[q];
    int e = q + 1;
    while (e < sql.size()) {
        if (sql[e] == quote) {
            if (e + 1 < sql.size() && sql[e + 1] == quote) {
                e += 2;
                continue;
            }
            break;
        }
        ++e;
    }
    return e;
}

// Applies fn to every stretch of the statement outside quoted literals, so typed text is never touched.
template <typename Fn> QString outsideLiterals(const QString& sql, Fn fn) {
    QString out;
    out.reserve(sql.size());
    int i = 0;
    while (i < sql.size()) {
        int q = i;
        while (q < sql.size() && sql[q] != u'\'' && sql[q] != u'"')
            ++q;
        out += fn(sql.mid(i, q - i));
        if (q >= sql.size()) break;
        const int e = literalEnd(sql, q);
        out += sql.mid(q, e - q + 1);
        i = e + 1;
    }
    return out;
}

// Which characters of the statement lie inside a quoted literal (quotes included).
QVector<bool> literalMask(const QString& sql) {
    QVector<bool> mask(sql.size(), false);
    for (int i = 0; i < sql.size(); ++i) {
        if (sql[i] != u'\'' && sql[i] != u'"') continue;
        const int e = literalEnd(sql, i);
        for (int k = i; k <= e && k < sql.size(); ++k)
            mask[k] = true;
        i = e;
    }
    return mask;
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// The word starting at i (letters, digits, '_'), lower case.
QString wordAt(const QString& sql, int i) {
    int e = i;
    while (e < sql.size() && isWordChar(sql[e]))
        ++e;
    return sql.mid(i, e - i).toLower();
}

int skipBlanks(const QString& sql, int i) {
    while (i < sql.size() && sql[i].isSpace())
        ++i;
    return i;
}

// Words that may follow a derived table and are no alias of it.
bool endsTableReference(const QString& word) {
    static const QStringList words = {
        QStringLiteral("where"),     QStringLiteral("group"),   QStringLiteral("order"),
        QStringLiteral("union"),     QStringLiteral("having"),  QStringLiteral("limit"),
        QStringLiteral("on"),        QStringLiteral("join"),    QStringLiteral("inner"),
        QStringLiteral("left"),      QStringLiteral("right"),   QStringLiteral("full"),
        QStringLiteral("cross"),     QStringLiteral("natural"), QStringLiteral("except"),
        QStringLiteral("intersect"), QStringLiteral("offset"),  QStringLiteral("for"),
        QStringLiteral("window"),    QStringLiteral("using"),
    };
    return word.isEmpty() || words.contains(word);
}

// Gives every "from (select ...)" / "join (select ...)" without an alias one of its own.
QString nameDerivedTables(const QString& sql) {
    const QVector<bool> inLiteral = literalMask(sql);
    QVector<int> insertAt; // positions just after the closing parenthesis
    for (int i = 0; i < sql.size(); ++i) {
        if (inLiteral[i] || !isWordChar(sql[i]) || (i > 0 && isWordChar(sql[i - 1]))) continue;
        const QString word = wordAt(sql, i);
        if (word != u"from" && word != u"join") continue;
        int open = skipBlanks(sql, i + word.size());
        if (open >= sql.size() || sql[open] != u'(' || inLiteral[open]) continue;
        int inner = open;
        while (inner < sql.size() && (sql[inner] == u'(' || sql[inner].isSpace()))
            ++inner;
        if (wordAt(sql, inner) != u"select") continue; // a parenthesised join keeps its tables' names
        int depth = 0;
        int close = -1;
        for (int k = open; k < sql.size(); ++k) {
            if (inLiteral[k]) continue;
            if (sql[k] == u'(') ++depth;
            if (sql[k] == u')' && --depth == 0) {
                close = k;
                break;
            }
        }
        if (close < 0) break; // unbalanced: the engine will say what is wrong
        const int next = skipBlanks(sql, close + 1);
        const QString after = next < sql.size() && isWordChar(sql[next]) ? wordAt(sql, next) : QString();
        if (after == u"as" || !endsTableReference(after)) continue;
        insertAt.append(close + 1);
    }
    if (insertAt.isEmpty()) return sql;
    std::sort(insertAt.begin(), insertAt.end());
    QString out;
    out.reserve(sql.size() + insertAt.size() * 16);
    int from = 0;
    for (int n = 0; n < insertAt.size(); ++n) {
        out += QStringView(sql).mid(from, insertAt[n] - from);
        out += QStringLiteral(" as zanmo_dt%1").arg(n + 1);
        from = insertAt[n];
    }
    out += QStringView(sql).mid(from);
    return out;
}

// PostgreSQL takes a backslash in a LIKE pattern for an escape (and refuses one at the end); Jet
// and SQLite have no escape character. Every "like '...'" without an ESCAPE gets "ESCAPE ''", so a
// typed backslash is a backslash on every engine.
QString plainLikes(const QString& sql) {
    const QVector<bool> inLiteral = literalMask(sql);
    QVector<int> insertAt; // positions just after the pattern's closing quote
    for (int i = 0; i < sql.size(); ++i) {
        if (inLiteral[i] || !isWordChar(sql[i]) || (i > 0 && isWordChar(sql[i - 1]))) continue;
        const QString word = wordAt(sql, i);
        if (word != u"like") {
            i += qMax<qsizetype>(0, word.size() - 1);
            continue;
        }
        const int q = skipBlanks(sql, i + 4);
        if (q >= sql.size() || sql[q] != u'\'') continue;
        const int e = literalEnd(sql, q);
        if (e >= sql.size()) break; // not closed: the engine will say what is wrong
        const int next = skipBlanks(sql, e + 1);
        if (wordAt(sql, next) != u"escape") insertAt.append(e + 1);
        i = e;
    }
    if (insertAt.isEmpty()) return sql;
    QString out;
    out.reserve(sql.size() + insertAt.size() * 10);
    int from = 0;
    for (int at : insertAt) {
        out += QStringView(sql).mid(from, at - from);
        out += QLatin1String(" ESCAPE ''");
        from = at;
    }
    out += QStringView(sql).mid(from);
    return out;
}

} // namespace

QString fnJetToPostgres(const QString& sql) {
    return plainLikes(nameDerivedTables(fnJetToSqlite(sql)));
}

QString fnJetToSqlite(const QString& sql) {
    static const QRegularExpression deleteStar(QStringLiteral("\\bdelete\\s+\\*\\s*from\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    return outsideLiterals(sql, [](QString part) {
        part.replace(deleteStar, QStringLiteral("delete from"));
        return part;
    });
}

QString fnSqlText(const QString& value) {
    QString s;
    s.reserve(value.size() + 2);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\'') {
            s += QLatin1String("''");
        } else if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
            s += c;
            s += value.at(++i);
        } else if (c.isSurrogate() || c.isNull()) {
            // A lone half of a pair would swallow the next character (a quote too) in SQLite, and
            // a NUL would end the statement's text: neither may end the literal early.
            s += QChar(QChar::ReplacementCharacter);
        } else {
            s += c;
        }
    }
    return s;
}

QString fnSqlLike(const QString& value) {
    return fnSqlText(value);
}

bool fnIsPlainNumber(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            ++digits;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}
