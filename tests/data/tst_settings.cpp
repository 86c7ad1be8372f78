#include "data/basSettings.h"
#include "support/TempProgramDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringEncoder>
#include <QtTest>

class tst_settings : public QObject {
    Q_OBJECT

private slots:
    void iniRead_data();
    void iniRead();
    void iniStringBufferAndNul();
    void connectString_data();
    void connectString();
    void programFolderOverride();
};

// Writes zanmo.ini in the folder unless the bytes are null.
static QString writeIni(const TempProgramDir& dir, const QByteArray& bytes) {
    const QString path = dir.path() + "/zanmo.ini";
    QFile f(path);
    if (!bytes.isNull() && f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

// One settings file read three ways: zanmo/dbpath (default DEF), zanmo/dbmode (default 7), the db mode.
static void row(const char* name, const QByteArray& file, const char* path, int value = 7, int mode = 0) {
    QTest::newRow(name) << file << QString::fromUtf8(path) << value << mode;
}

void tst_settings::iniRead_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mode");
    row("plain", "[zanmo]\ndbpath=/srv/pelko\n", "/srv/pelko");
    row("section and key case", "[ZANMO]\nDbPath=/a\nDBMODE=2\n", "/a", 2, 2);
    row("value trimmed", "[zanmo]\n  dbpath =   /a b  \n dbmode =  1  \n", "/a b", 1, 1);
    row("crlf", "[zanmo]\r\ndbpath=/a\r\ndbmode=1\r\n", "/a", 1, 1);
    row("quotes dropped", "[zanmo]\ndbpath=\"/a b\"\n", "/a b");
    row("empty value", "[zanmo]\ndbpath=\ndbmode=\n", "", 7, 0);
    row("missing file", QByteArray(), "DEF");
    row("missing keys", "[zanmo]\nother=1\n", "DEF");
    row("key of another section", "[other]\ndbpath=/x\ndbmode=1\n[zanmo]\n", "DEF");
    row("after another section", "[other]\ndbpath=/x\n[zanmo]\ndbpath=/y\n", "/y");
    row("section ends at next", "[zanmo]\ndbmode=1\n[next]\ndbpath=/x\n", "DEF", 1, 1);
    row("comment line", "[zanmo]\n;dbpath=/x\n;dbmode=1\n", "DEF");
    row("first of two keys", "[zanmo]\ndbpath=/1\ndbpath=/2\ndbmode=0\n", "/1", 0, 0);
    row("japanese utf-8", "[zanmo]\ndbpath=/共有/ペルコ\n", "/共有/ペルコ");
    row("bom", "\xEF\xBB\xBF[zanmo]\ndbpath=/a\n", "/a");
    row("shift_jis", QStringEncoder("Shift_JIS").encode(QStringLiteral("[zanmo]\ndbpath=/共有/在庫\n")),
        "/共有/在庫");
    row("leading digits", "[zanmo]\ndbmode=12abc\n", "DEF", 12, 12);
    row("no digits", "[zanmo]\ndbmode=abc\n", "DEF", 0, 0);
    row("255", "[zanmo]\ndbmode=255\n", "DEF", 255, 255);
    // Out of the byte range: no database rather than a wrapped-around valid mode.
    row("256", "[zanmo]\ndbmode=256\n", "DEF", 256, 255);
    row("negative", "[zanmo]\ndbmode=-3\n", "DEF", -3, 255);
}

void tst_settings::iniRead() {
    QFETCH(QByteArray, file);
    TempProgramDir dir(false, false);
    const QString ini = writeIni(dir, file);
    QTEST(fnGetIniString("zanmo", "dbpath", "DEF", 1024, ini), "path");
    QTEST(fnGetIniInt("zanmo", "dbmode", 7, ini), "value");
    QTEST(int(fnGetDbMode()), "mode");
}

void tst_settings::iniStringBufferAndNul() {
    TempProgramDir dir(false, false);
    const QString path = writeIni(dir, "[zanmo]\ndbpath=abcdefgh\n");
    // A buffer of n characters holds n - 1 and the terminator.
    QCOMPARE(fnGetIniString("zanmo", "dbpath", "", 5, path), QStringLiteral("abcd"));
    QCOMPARE(fnGetIniString("zanmo", "nokey", QString("a") + QChar(0) + "b", 1024, path),
             QStringLiteral("ab"));
}

void tst_settings::connectString_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("folder"); // "<dir>" stands for the program folder; null: no connection
    QTest::newRow("mode 0") << 0 << QByteArray() << "<dir>";
    QTest::newRow("mode 0 ignores dbpath") << 0 << QByteArray("[zanmo]\ndbpath=/srv/x\n") << "<dir>";
    QTest::newRow("mode 1 without dbpath") << 1 << QByteArray("[zanmo]\ndbmode=1\n") << "<dir>";
    QTest::newRow("mode 1 with dbpath") << 1 << QByteArray("[zanmo]\ndbpath=/srv/pelko\n") << "/srv/pelko";
    QTest::newRow("trailing backslash") << 1 << QByteArray("[zanmo]\ndbpath=C:\\PELKO\\\n") << "C:\\PELKO\\";
    QTest::newRow("mode 2") << 2 << QByteArray("[zanmo]\ndbmode=2\n") << QString();
    QTest::newRow("mode 255") << 255 << QByteArray() << QString();
}

void tst_settings::connectString() {
    QFETCH(int, mode);
    QFETCH(QByteArray, ini);
    QFETCH(QString, folder);
    TempProgramDir dir(false, false);
    writeIni(dir, ini);
    const QString jet(
        "provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1\\data1.dat;Jet OLEDB:Database Password=QelMorvan");
    QCOMPARE(fnConnectString(quint8(mode), "data1.dat"),
             folder.isNull() ? QString() : jet.arg(folder.replace("<dir>", dir.path())));
}

void tst_settings::programFolderOverride() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    fnSetProgramFolder("/tmp/somewhere/");
    QCOMPARE(fnProgramFolder(), QStringLiteral("/tmp/somewhere"));
    fnSetProgramFolder(QString());
    QCOMPARE(fnProgramFolder(), exeDir);
    auto outer = std::make_unique<TempProgramDir>(false, false);
    auto inner = std::make_unique<TempProgramDir>(false, false);
    QCOMPARE(fnProgramFolder(), inner->path());
    inner.reset(); // test folders give the previous one back in turn
    QCOMPARE(fnProgramFolder(), outer->path());
    outer.reset();
    QCOMPARE(fnProgramFolder(), exeDir);
}

QTEST_MAIN(tst_settings)
#include "tst_settings.moc"
