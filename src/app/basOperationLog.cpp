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

// The row's values as the statement takes them: "(computer,user,text,kind,stamp,detail)"; text
// and detail are cut and written back.
QString rowValues(QString& text, qint16 kind, QString& detail, const QString& computer, const QString& user,
                  const QString& stamp) {
    QString rest = text;
    text = trimBlanks(fnCutBytes(rest, kTextBytes));
    rest = detail;
    detail = trimBlanks(fnCutBytes(rest, kDetailBytes));
    return u'(' + quoted(computer) + u',' + quoted(user) + u',' + quoted(text) + u',' +
           QString::number(kind) + u',' + quoted(stamp) + u',' + quoted(detail) + u')';
}

QString timeStamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void runSilently(const QString& sql) {
    if (!gcnData || gcnData->State() != 1) return;
    try {
        Recordset rec;
        fnExecuteSql(rec, sql);
        rec.Close();
    } catch (...) {
        // The log never stops the caller.
    }
}

} // namespace

void fnOperationLog(QString& text, qint16& kind, QString& detail) {
    runSilently(QStringLiteral("insert into operatlog values") +
                rowValues(text, kind, detail, computerName(), userName(), timeStamp()));
}

void fnOperationLog(const QList<OperationLogRow>& rows) {
    constexpr int kRowsPerStatement = 500;
    const QString computer = computerName();
    const QString user = userName();
    const QString stamp = timeStamp();
    for (qsizetype first = 0; first < rows.size(); first += kRowsPerStatement) {
        QStringList values;
        for (qsizetype i = first; i < qMin(rows.size(), first + kRowsPerStatement); ++i) {
            QString text = rows[i].text;
            QString detail = rows[i].detail;
            values << rowValues(text, qint16(rows[i].kind), detail, computer, user, stamp);
        }
        runSilently(QStringLiteral("insert into operatlog values") + values.join(u','));
    }
}

void fnOperationLog(const QString& text, int kind, const QString& detail) {
    QString t = text;
    qint16 k = qint16(kind);
    QString d = detail;
    fnOperationLog(t, k, d);
}
