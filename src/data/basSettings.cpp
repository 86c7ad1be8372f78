#include "data/basSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

QString g_programFolderOverride;

// The ini file may come from a Windows editor: UTF-8 (with or without its byte-order mark),
// Shift-JIS, or UTF-16 ("Unicode" in Notepad) with its byte-order mark in either byte order, or
// without one when the NUL bytes of its ASCII say which. False when none of them reads it cleanly:
// the file is then refused, never taken for an empty one.
bool decodeIni(const QByteArray& bytes, QString* text) {
    // Stateless: a character cut off at the end is an error too.
    constexpr auto whole = QStringConverter::Flag::Stateless;
    const auto strict = [&](QStringDecoder decoder, const QByteArray& data) {
        if (!decoder.isValid()) return false;
        *text = decoder.decode(data);
        return !decoder.hasError();
    };
    // FF FE 00 00 would be UTF-32, which no editor of a shop writes. A byte missing at the end of
    // UTF-16 is a cut file, whatever the decoder makes of it.
    if (bytes.startsWith("\xFF\xFE") && !bytes.startsWith(QByteArray("\xFF\xFE\0\0", 4)))
        return bytes.size() % 2 == 0 && strict(QStringDecoder(QStringDecoder::Utf16LE, whole), bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return bytes.size() % 2 == 0 && strict(QStringDecoder(QStringDecoder::Utf16BE, whole), bytes.mid(2));
    const QByteArray data = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    qsizetype even = 0, odd = 0;
    for (qsizetype i = 0; i < data.size(); ++i)
        if (data[i] == '\0') ++(i % 2 ? odd : even);
    if (even + odd > 0) {
        // No mark: UTF-16 has the NUL halves of its ASCII all on one side.
        const qsizetype units = data.size() / 2;
        const bool pairs = data.size() % 2 == 0;
        if (pairs && even == 0 && odd * 4 >= units &&
            strict(QStringDecoder(QStringDecoder::Utf16LE, whole), data))
            return true;
        if (pairs && odd == 0 && even * 4 >= units &&
            strict(QStringDecoder(QStringDecoder::Utf16BE, whole), data))
            return true;
        // Text holds a stray NUL at most; this many make no text (UTF-32, a binary file).
        if ((even + odd) * 10 > data.size()) return false;
    }
    if (strict(QStringDecoder(QStringDecoder::Utf8, whole), data)) return true;
    return strict(QStringDecoder("Shift_JIS", whole), data);
}

QString trimBlanks(const QString& s) {
    int b = 0, e = s.size();
    while (b < e && (s[b] == u' ' || s[b] == u'\t'))
        ++b;
    while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t' || s[e - 1] == u'\r'))
        --e;
    return s.mid(b, e - b);
}

// Value of section/key as the profile functions see it; nullopt-like flag when absent.
bool findIniValue(const QString& section, const QString& key, const QString& filePath, QString* value) {
    QFile f(filePath);
    if (!f.open(QIODevice::ReadOnly)) return false;
    QString text;
    if (!decodeIni(f.readAll(), &text)) return false; // refused at start-up (fnIniProblem)
    const QStringList lines = text.split(u'\n');
    bool inSection = false;
    for (const QString& raw : lines) {
        const QString line = trimBlanks(raw);
        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (line.startsWith(u'[')) {
            const int close = line.indexOf(u']');
            const QString name = trimBlanks(close < 0 ? line.mid(1) : line.mid(1, close - 1));
            // Only the first section of that name counts, as with the Windows profile functions.
            if (inSection) return false;
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) continue;
        const int eq = line.indexOf(u'=');
        const QString k = trimBlanks(eq < 0 ? line : line.left(eq));
        if (k.compare(key, Qt::CaseInsensitive) != 0) continue;
        QString v = eq < 0 ? QString() : trimBlanks(line.mid(eq + 1));
        if (v.size() >= 2 &&
            ((v.startsWith(u'"') && v.endsWith(u'"')) || (v.startsWith(u'\'') && v.endsWith(u'\''))))
            v = v.mid(1, v.size() - 2);
        *value = v;
        return true;
    }
    return false;
}

QString iniPath() {
    return fnIniPath();
}

} // namespace

QString fnIniPath() {
    const QString folder = fnProgramFolder();
    const QString beside = folder + QLatin1Char('/') + QLatin1String(kIniFileName);
    // An installed program (PREFIX/lib/zanmo) without one beside it reads PREFIX/etc/zanmo/zanmo.ini,
    // /etc/zanmo for /usr, where the package keeps its settings.
    const QString installed = QStringLiteral("/lib/zanmo");
    if (QFileInfo::exists(beside) || !folder.endsWith(installed)) return beside;
    const QString prefix = folder.chopped(installed.size());
    const QString etc =
        prefix == QLatin1String("/usr") ? QStringLiteral("/etc") : prefix + QStringLiteral("/etc");
    return etc + QStringLiteral("/zanmo/") + QLatin1String(kIniFileName);
}

QString fnIniProblem() {
    QFile f(iniPath());
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return QString();
    QString text;
    if (decodeIni(f.readAll(), &text)) return QString();
    return QStringLiteral("設定ファイル ") + QDir::toNativeSeparators(f.fileName()) +
           QStringLiteral(" の文字コードを読み取れません。UTF-8、Shift-JIS か UTF-16 (BOM 付き) "
                          "で保存し直してください。");
}

QString fnProgramFolder() {
    if (!g_programFolderOverride.isEmpty()) return g_programFolderOverride;
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

void fnSetProgramFolder(const QString& folder) {
    QString f = folder;
    while (f.size() > 1 && (f.endsWith(u'/') || f.endsWith(u'\\')))
        f.chop(1);
    g_programFolderOverride = f;
}

QString fnGetIniString(const QString& section, const QString& key, const QString& defaultValue,
                       int bufferSize, const QString& filePath) {
    QString value;
    if (!findIniValue(section, key, filePath, &value)) {
        // Windows drops trailing blanks of the default.
        value = defaultValue;
        while (value.endsWith(u' '))
            value.chop(1);
    }
    if (bufferSize <= 0) return QString();
    if (value.size() > bufferSize - 1) value.truncate(bufferSize - 1);
    value.remove(QChar(u'\0'));
    return value;
}

int fnGetIniInt(const QString& section, const QString& key, int defaultValue, const QString& filePath) {
    QString value;
    if (!findIniValue(section, key, filePath, &value) || value.isEmpty()) return defaultValue;
    int i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) {
        negative = value[i] == u'-';
        ++i;
    }
    qint64 n = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        n = n * 10 + (value[i].unicode() - u'0');
        if (n > std::numeric_limits<int>::max()) n = std::numeric_limits<int>::max();
    }
    return static_cast<int>(negative ? -n : n);
}

quint8 fnGetDbMode() {
    const int mode = fnGetIniInt(QLatin1String(kIniSection), QStringLiteral("dbmode"), 0, iniPath());
    // A value outside the byte range selects no database rather than wrapping onto a valid mode.
    if (mode < 0 || mode > 255) return 255;
    return static_cast<quint8>(mode);
}

namespace {
// The folder of the database for the mode; false for a mode other than 0 and 1.
bool dataFolder(quint8 mode, QString* folder) {
    if (mode == 0)
        *folder = fnProgramFolder();
    else if (mode == 1)
        *folder = fnGetIniString(QLatin1String(kIniSection), QStringLiteral("dbpath"), fnProgramFolder(),
                                 1024, iniPath());
    else
        return false;
    return true;
}
} // namespace

QString fnConnectValue(QString value) {
    if (value.contains(u';') || value.contains(u'"'))
        value = u'"' + value.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
    return value;
}

namespace {
QString iniValue(const char* key) {
    return fnGetIniString(QLatin1String(kIniSection), QLatin1String(key), QString(), 1024, iniPath());
}
} // namespace

QString fnServerConnectString() {
    // Keys left out fall to libpq's own defaults (PGHOST, PGUSER, ~/.pgpass, ...).
    QString text = QStringLiteral("Provider=PostgreSQL");
    const QList<QPair<const char*, const char*>> keys = {{"Host", "dbhost"},
                                                         {"Port", "dbport"},
                                                         {"Database", "dbname"},
                                                         {"User ID", "dbuser"},
                                                         {"Password", "dbpassword"}};
    for (const auto& [part, key] : keys) {
        const QString value = iniValue(key);
        if (!value.isEmpty()) text += u';' + QLatin1String(part) + u'=' + fnConnectValue(value);
    }
    return text;
}

QString fnConnectString(quint8 mode, const QString& fileName) {
    if (mode == 2) return fnServerConnectString();
    QString folder;
    if (!dataFolder(mode, &folder)) return QString();
    const QString source = fnConnectValue(folder + QLatin1Char('\\') + fileName);
    return QStringLiteral("provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + source + QLatin1Char(';') +
           QStringLiteral("Jet OLEDB:Database Password=") + QLatin1String(kDbPassword);
}

QString fnDataFilePath(quint8 mode) {
    QString folder;
    if (!dataFolder(mode, &folder)) return QString();
    folder.replace(u'\\', u'/');
    return QDir(folder).filePath(QLatin1String(kDataFileName));
}

QString fnDataDescription(quint8 mode) {
    if (mode != 2) return QDir::toNativeSeparators(fnDataFilePath(mode));
    return fnServerText(iniValue("dbuser"), iniValue("dbhost"), iniValue("dbport"), iniValue("dbname"));
}

QString fnServerText(const QString& user, const QString& host, const QString& port, const QString& name) {
    return QStringLiteral("postgresql://") + (user.isEmpty() ? QString() : user + u'@') + host +
           (port.isEmpty() ? QString() : u':' + port) + u'/' + name;
}
