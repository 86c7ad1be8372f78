#include "data/SqlDialect.h"

#include <QRegularExpression>

namespace {

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
        out += sql.mid(q, e - q + 1);
        i = e + 1;
    }
    return out;
}

} // namespace

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
