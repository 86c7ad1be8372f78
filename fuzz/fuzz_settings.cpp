// fnGetIniString / fnGetIniInt on a settings file of any content.
// Input: buffer size, section, key and mode bytes, four for an integer default, then fields: a
// section, a key, a default, a value, and the rest is the file. Mode 1 with a usual section and key
// puts "[section]" and "key = value" in front (the file then written as UTF-8 without NUL
// characters, a BOM by bit 2), so the value found is known. Other files may read as UTF-16 or be
// refused (basSettings' decodeIni).

#include "FuzzSupport.h"

#include "data/basSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <climits>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_dir; // removed again when the run ends
QString g_path;

int bufferSizeFrom(uint8_t b) {
    return b < 200 ? int(b) - 4 : (b - 200) * 100; // -4 .. 195, and larger buffers up to 5500
}

QString pick(uint8_t choice, const QStringList& usual, const QString& typed) {
    return choice < usual.size() ? usual[choice] : typed;
}

// The readings the reader may take of the bytes: a key found must be in one of them.
QStringList decodings(const QByteArray& bytes) {
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
    QStringList out;
    QStringDecoder utf8(QStringDecoder::Utf8);
    out << utf8.decode(data);
    QStringDecoder sjis("Shift_JIS");
    if (sjis.isValid()) out << sjis.decode(data);
    // UTF-16 in either byte order, with its mark or without one.
    for (const QByteArray& d : {bytes, bytes.mid(2)}) {
        QStringDecoder le(QStringDecoder::Utf16LE), be(QStringDecoder::Utf16BE);
        out << le.decode(d) << be.decode(d);
    }
    return out;
}

QString withoutNul(QString s) {
    return s.remove(QChar(u'\0'));
}

// The reader's default: trailing blanks dropped, cut to the buffer, NULs removed.
QString expectedDefault(QString d, int bufferSize) {
    if (bufferSize <= 0) return QString();
    while (d.endsWith(u' '))
        d.chop(1);
    d.truncate(bufferSize - 1);
    return withoutNul(d);
}

QString trimIni(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == u' ' || s[b] == u'\t'))
        ++b;
    while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t' || s[e - 1] == u'\r'))
        --e;
    return s.mid(b, e - b);
}

// What fnGetIniInt should read from a value: the leading digits after an optional sign.
void leadingInt(const QString& v, qint64& out, bool& huge) {
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) negative = v[i++] == u'-';
    QString digits;
    while (i < v.size() && v[i] >= u'0' && v[i] <= u'9')
        digits += v[i++];
    while (digits.startsWith(u'0'))
        digits.remove(0, 1);
    huge = digits.size() > 10 || (digits.size() == 10 && digits.toLongLong() > INT_MAX);
    out = huge ? 0 : (negative ? -digits.toLongLong() : digits.toLongLong());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzStartQt();
    // The file is written once a run: in memory where the system offers it, which is far quicker.
    const QString shm = QStringLiteral("/dev/shm");
    g_dir = QFileInfo(shm).isWritable()
                ? std::make_unique<QTemporaryDir>(shm + QStringLiteral("/zanmo-fuzz-XXXXXX"))
                : std::make_unique<QTemporaryDir>();
    g_path = g_dir->filePath(QStringLiteral("zanmo.ini"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int bufferSize = bufferSizeFrom(in.byte());
    const uint8_t sectionChoice = in.byte() % 8, keyChoice = in.byte() % 8, modeByte = in.byte();
    const uint8_t mode = modeByte % 4;
    const bool bom = modeByte & 4;
    const int defaultInt = int(int32_t(uint32_t(in.bits(4))));
    const QString typedSection = in.text(), typedKey = in.text();
    const QString section = pick(
        sectionChoice,
        {QStringLiteral("zanmo"), QStringLiteral("ZANMO"), QStringLiteral("Zanmo"), QStringLiteral("a b")},
        typedSection);
    const QString key = pick(
        keyChoice,
        {QStringLiteral("dbmode"), QStringLiteral("DBPATH"), QStringLiteral("DbMode"), QStringLiteral("k")},
        typedKey);
    const QString defaultValue = in.text();
    QString value = in.text();
    QByteArray file;
    QString knownRaw; // mode 1: the raw value of the line put in front
    if (mode == 1 && sectionChoice < 4 && keyChoice < 4) {
        value.remove(u'\n').remove(QChar(u'\0'));
        const QString front = u'[' + section + QStringLiteral("]\r\n") + key + QStringLiteral(" = ") + value +
                              QStringLiteral("\r\n");
        // Without NUL characters: the file is then UTF-8 text the reader never takes for UTF-16
        // or refuses (bytes given as they are, in the other modes, try those readings).
        const QString whole = front + FuzzInput::fuzzText(in.rest()).remove(QChar(u'\0'));
        file = (bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + whole.toUtf8();
        // What the line reads as once written and read back (a lone surrogate becomes U+FFFD).
        const QString back = QString::fromUtf8(value.toUtf8());
        knownRaw = trimIni(back);
        if (knownRaw.size() >= 2 && ((knownRaw.startsWith(u'"') && knownRaw.endsWith(u'"')) ||
                                     (knownRaw.startsWith(u'\'') && knownRaw.endsWith(u'\''))))
            knownRaw = knownRaw.mid(1, knownRaw.size() - 2);
    } else {
        file = in.rest();
    }
    {
        QFile f(g_path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(file);
    }
    const QStringList texts = decodings(file);
    bool nulInFile = false;
    for (const QString& t : texts)
        nulInFile = nulInFile || t.contains(QChar(u'\0'));

    const QString got = fnGetIniString(section, key, defaultValue, bufferSize, g_path);
    const QString shown = QStringLiteral("[%1] %2 default %3 buffer %4 -> %5")
                              .arg(fuzzShow(section), fuzzShow(key), fuzzShow(defaultValue))
                              .arg(bufferSize)
                              .arg(fuzzShow(got));

    FUZZ_CHECK(got.size() < qMax(bufferSize, 1), shown);
    FUZZ_CHECK(!got.contains(QChar(u'\0')), shown);

    // Two defaults that cannot both be the value tell whether the key is there.
    const QString a = fnGetIniString(section, key,
                                     QStringLiteral("\x01"
                                                    "A"),
                                     1 << 20, g_path);
    const QString b = fnGetIniString(section, key,
                                     QStringLiteral("\x01"
                                                    "B"),
                                     1 << 20, g_path);
    const bool present = a == b;
    const QString found = a;

    // A key or section the file does not hold is absent.
    bool inSome = false;
    for (const QString& t : texts)
        inSome = inSome || (t.contains(key, Qt::CaseInsensitive) && t.contains(section, Qt::CaseInsensitive));
    if (!inSome) FUZZ_CHECK(!present, shown);

    if (!present) {
        FUZZ_CHECK(got == expectedDefault(defaultValue, bufferSize), shown);
        FUZZ_CHECK(fnGetIniInt(section, key, defaultInt, g_path) == defaultInt, shown);
    } else {
        // The value comes from one line of the file.
        FUZZ_CHECK(!found.contains(u'\n'), shown + QStringLiteral(" found ") + fuzzShow(found));
        bool inText = false;
        for (const QString& t : texts)
            inText = inText || withoutNul(t).contains(found);
        FUZZ_CHECK(inText, shown + QStringLiteral(" found ") + fuzzShow(found));
        // The short read is the long one cut to the buffer.
        FUZZ_CHECK(found.startsWith(got), shown + QStringLiteral(" found ") + fuzzShow(found));
        if (!nulInFile && bufferSize > 0)
            FUZZ_CHECK(got == found.left(bufferSize - 1),
                       shown + QStringLiteral(" found ") + fuzzShow(found));
        if (!nulInFile) {
            const int n = fnGetIniInt(section, key, defaultInt, g_path);
            qint64 expected = 0;
            bool huge = false;
            leadingInt(found, expected, huge);
            const QString why = shown + QStringLiteral(" found ") + fuzzShow(found) +
                                QStringLiteral(" int ") + QString::number(n);
            if (found.isEmpty())
                FUZZ_CHECK(n == defaultInt, why);
            else if (huge)
                FUZZ_CHECK(n == INT_MAX || n == -INT_MAX || n == INT_MIN, why);
            else
                FUZZ_CHECK(n == expected, why);
        }
    }

    // Mode 1: the line in front is the first of its section, so its value is the one read.
    if (mode == 1 && sectionChoice < 4 && keyChoice < 4) {
        const QString why = shown + QStringLiteral(" written ") + fuzzShow(knownRaw);
        FUZZ_CHECK(present, why);
        if (bufferSize > 0) FUZZ_CHECK(got == withoutNul(knownRaw.left(bufferSize - 1)), why);
    }
    return 0;
}
