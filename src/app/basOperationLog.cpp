#include "app/basOperationLog.h"

#include "core/basBytes.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"

#include <QDateTime>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace {

constexpr int kNameLength = 40;
constexpr int kTextBytes = 80;
constexpr int kDetailBytes = 50;

// Blanks only, as the log's values were always trimmed.
QString trimBlanks(const QString& s) {
    qsizetype from = 0, to = s.size();
    while (from < to && s[from] == u' ')
        ++from;
    while (to > from && s[to - 1] == u' ')
        --to;
    return s.mid(from, to - from);
}

// The names came from fixed 40-character buffers.
QString nameValue(QString name) {
    name.remove(QChar(u'\0'));
    return trimBlanks(name.left(kNameLength));
}

QString computerName() {
    return nameValue(QSysInfo::machineHostName());
}

QString userName() {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name)
        return nameValue(QString::fromLocal8Bit(pw->pw_name));
    return nameValue(qEnvironmentVariable("USER"));
}

QString quoted(const QString& value) {
    return u'\'' + fnSqlText(value) + u'\'';
}

} // namespace

void fnOperationLog(QString& text, qint16& kind, QString& detail) {
    QString rest = text;
    text = trimBlanks(fnCutBytes(rest, kTextBytes));
    rest = detail;
    detail = trimBlanks(fnCutBytes(rest, kDetailBytes));

    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString sql = QStringLiteral("insert into operatlog values(") + quoted(computerName()) + u',' +
                        quoted(userName()) + u',' + quoted(text) + u',' + QString::number(kind) + u',' +
                        quoted(stamp) + u',' + quoted(detail) + u')';

    if (!gcnData || gcnData->State() != 1) return;
    try {
        Recordset rec;
        fnExecuteSql(rec, sql);
        rec.Close();
    } catch (...) {
        // The log never stops the caller.
    }
}

void fnOperationLog(const QString& text, int kind, const QString& detail) {
    QString t = text;
    qint16 k = qint16(kind);
    QString d = detail;
    fnOperationLog(t, k, d);
}
