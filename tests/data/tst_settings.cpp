#include "data/basSettings.h"
#include "support/TempProgramDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringEncoder>
#include <QtTest>

class tst_settings : public QObject {
    Q_OBJECT

private slots:
    void iniString_data();
    void iniString();
    void iniStringMissingFile();
    void iniStringBufferAndNul();
    void iniStringShiftJisFile();
    void iniInt_data();
    void iniInt();
    void dbMode_data();
    void dbMode();
    void connectString_data();
    void connectString();
    void programFolderOverride();
};

static void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void tst_settings::iniString_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "[zanmo]\ndbpath=/srv/pelko\n"
                           << "zanmo"
                           << "dbpath"
                           << "/srv/pelko";
    QTest::newRow("section case") << "[ZANMO]\ndbpath=/a\n"
                                  << "zanmo"
                                  << "dbpath"
                                  << "/a";
    QTest::newRow("key case") << "[zanmo]\nDbPath=/a\n"
                              << "zanmo"
                              << "dbpath"
                              << "/a";
    QTest::newRow("value trimmed") << "[zanmo]\n  dbpath =   /a b  \n"
                                   << "zanmo"
                                   << "dbpath"
                                   << "/a b";
    QTest::newRow("crlf") << "[zanmo]\r\ndbpath=/a\r\n"
                          << "zanmo"
                          << "dbpath"
                          << "/a";
    QTest::newRow("quotes dropped") << "[zanmo]\ndbpath=\"/a b\"\n"
                                    << "zanmo"
                                    << "dbpath"
                                    << "/a b";
    QTest::newRow("empty value is no default") << "[zanmo]\ndbpath=\n"
                                               << "zanmo"
                                               << "dbpath"
                                               << "";
    QTest::newRow("missing key") << "[zanmo]\ndbmode=1\n"
                                 << "zanmo"
                                 << "dbpath"
                                 << "DEF";
    QTest::newRow("key of another section") << "[other]\ndbpath=/x\n[zanmo]\ndbmode=1\n"
                                            << "zanmo"
                                            << "dbpath"
                                            << "DEF";
    QTest::newRow("after another section") << "[other]\ndbpath=/x\n[zanmo]\ndbpath=/y\n"
                                           << "zanmo"
                                           << "dbpath"
                                           << "/y";
    QTest::newRow("section ends at next") << "[zanmo]\ndbmode=1\n[next]\ndbpath=/x\n"
                                          << "zanmo"
                                          << "dbpath"
                                          << "DEF";
    QTest::newRow("comment line") << "[zanmo]\n;dbpath=/x\n"
                                  << "zanmo"
                                  << "dbpath"
                                  << "DEF";
    QTest::newRow("first of two keys") << "[zanmo]\ndbpath=/1\ndbpath=/2\n"
                                       << "zanmo"
                                       << "dbpath"
                                       << "/1";
    QTest::newRow("japanese utf-8") << "[zanmo]\ndbpath=/共有/ペルコ\n"
                                    << "zanmo"
                                    << "dbpath"
                                    << "/共有/ペルコ";
    QTest::newRow("bom") << "\xEF\xBB\xBF[zanmo]\ndbpath=/a\n"
                         << "zanmo"
                         << "dbpath"
                         << "/a";
}

void tst_settings::iniString() {
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TempProgramDir dir(false, false);
    const QString path = dir.path() + "/zanmo.ini";
    writeFile(path, file.toUtf8());
    QCOMPARE(fnGetIniString(section, key, "DEF", 1024, path), expected);
}

void tst_settings::iniStringMissingFile() {
    TempProgramDir dir(false, false);
    QCOMPARE(fnGetIniString("zanmo", "dbpath", "/default", 1024, dir.path() + "/zanmo.ini"),
             QStringLiteral("/default"));
}

void tst_settings::iniStringBufferAndNul() {
    TempProgramDir dir(false, false);
    const QString path = dir.path() + "/zanmo.ini";
    writeFile(path, "[zanmo]\ndbpath=abcdefgh\n");
    // A buffer of n characters holds n - 1 and the terminator.
    QCOMPARE(fnGetIniString("zanmo", "dbpath", "", 5, path), QStringLiteral("abcd"));
    QCOMPARE(fnGetIniString("zanmo", "dbpath", "", 1024, path), QStringLiteral("abcdefgh"));
    QCOMPARE(fnGetIniString("zanmo", "nokey", QString("a") + QChar(0) + "b", 1024, path),
             QStringLiteral("ab"));
}

void tst_settings::iniStringShiftJisFile() {
    TempProgramDir dir(false, false);
    const QString path = dir.path() + "/zanmo.ini";
    QStringEncoder sjis("Shift_JIS");
    QVERIFY(sjis.isValid());
    const QByteArray bytes = sjis.encode(QStringLiteral("[zanmo]\ndbpath=/共有/在庫\n"));
    writeFile(path, bytes);
    QCOMPARE(fnGetIniString("zanmo", "dbpath", "", 1024, path), QStringLiteral("/共有/在庫"));
}

void tst_settings::iniInt_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("expected");
    QTest::newRow("one") << "[zanmo]\ndbmode=1\n" << 1;
    QTest::newRow("blanks") << "[zanmo]\ndbmode =  1  \n" << 1;
    QTest::newRow("leading digits") << "[zanmo]\ndbmode=12abc\n" << 12;
    QTest::newRow("no digits") << "[zanmo]\ndbmode=abc\n" << 0;
    QTest::newRow("empty value") << "[zanmo]\ndbmode=\n" << 7;
    QTest::newRow("missing") << "[zanmo]\n" << 7;
    QTest::newRow("negative") << "[zanmo]\ndbmode=-3\n" << -3;
    QTest::newRow("section case") << "[Zanmo]\nDBMODE=2\n" << 2;
}

void tst_settings::iniInt() {
    QFETCH(QString, file);
    QFETCH(int, expected);
    TempProgramDir dir(false, false);
    const QString path = dir.path() + "/zanmo.ini";
    writeFile(path, file.toUtf8());
    QCOMPARE(fnGetIniInt("zanmo", "dbmode", 7, path), expected);
}

void tst_settings::dbMode_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("expected");
    QTest::newRow("no file") << QString() << 0;
    QTest::newRow("no key") << "[zanmo]\ndbpath=/x\n" << 0;
    QTest::newRow("zero") << "[zanmo]\ndbmode=0\n" << 0;
    QTest::newRow("one") << "[zanmo]\ndbmode=1\n" << 1;
    QTest::newRow("two") << "[zanmo]\ndbmode=2\n" << 2;
    QTest::newRow("255") << "[zanmo]\ndbmode=255\n" << 255;
    // Out of the byte range: no database rather than a wrapped-around valid mode.
    QTest::newRow("256") << "[zanmo]\ndbmode=256\n" << 255;
    QTest::newRow("negative") << "[zanmo]\ndbmode=-1\n" << 255;
}

void tst_settings::dbMode() {
    QFETCH(QString, file);
    QFETCH(int, expected);
    TempProgramDir dir(false, false);
    if (!file.isNull()) dir.writeIni(file);
    QCOMPARE(int(fnGetDbMode()), expected);
}

void tst_settings::connectString_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("folder"); // "<dir>" stands for the program folder
    QTest::newRow("mode 0") << 0 << QString() << "<dir>";
    QTest::newRow("mode 0 ignores dbpath") << 0 << "[zanmo]\ndbpath=/srv/x\n"
                                           << "<dir>";
    QTest::newRow("mode 1 without dbpath") << 1 << "[zanmo]\ndbmode=1\n"
                                           << "<dir>";
    QTest::newRow("mode 1 with dbpath") << 1 << "[zanmo]\ndbmode=1\ndbpath=/srv/pelko\n"
                                        << "/srv/pelko";
    QTest::newRow("mode 1 trailing backslash") << 1 << "[zanmo]\ndbpath=C:\\PELKO\\\n"
                                               << "C:\\PELKO\\";
    QTest::newRow("mode 2") << 2 << "[zanmo]\ndbmode=2\n" << QString();
    QTest::newRow("mode 255") << 255 << QString() << QString();
}

void tst_settings::connectString() {
    QFETCH(int, mode);
    QFETCH(QString, ini);
    QFETCH(QString, folder);
    TempProgramDir dir(false, false);
    if (!ini.isNull()) dir.writeIni(ini);
    const QString expected =
        folder.isNull()
            ? QString()
            : "provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + QString(folder).replace("<dir>", dir.path()) +
                  "\\data1.dat;Jet OLEDB:Database Password=QelMorvan";
    QCOMPARE(fnConnectString(quint8(mode), "data1.dat"), expected);
}

void tst_settings::programFolderOverride() {
    QCOMPARE(fnProgramFolder(), QCoreApplication::applicationDirPath());
    fnSetProgramFolder("/tmp/somewhere/");
    QCOMPARE(fnProgramFolder(), QStringLiteral("/tmp/somewhere"));
    fnSetProgramFolder(QString());
    QCOMPARE(fnProgramFolder(), QCoreApplication::applicationDirPath());
    // Test folders give the folder back in turn.
    {
        TempProgramDir outer(false, false);
        {
            TempProgramDir inner(false, false);
            QCOMPARE(fnProgramFolder(), inner.path());
        }
        QCOMPARE(fnProgramFolder(), outer.path());
    }
    QCOMPARE(fnProgramFolder(), QCoreApplication::applicationDirPath());
}

QTEST_MAIN(tst_settings)
#include "tst_settings.moc"
