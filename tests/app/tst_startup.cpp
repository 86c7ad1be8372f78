#include "app/basMain.h"

#include <QProcess>
#include <QtTest>

class tst_startup : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void program_data();
    void program();
};

void tst_startup::commandLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("before"); // the array as the caller passes it in
    QTest::addColumn<QStringList>("tokens");
    const QStringList eleven{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    QTest::newRow("screen only") << "1" << QStringList() << QStringList{"1"};
    QTest::newRow("date and code") << "1 20240105     123" << QStringList()
                                   << QStringList{"1", "20240105", "123"};
    QTest::newRow("trailing blank") << "1 " << QStringList() << QStringList{"1", ""};
    QTest::newRow("trailing blanks") << "1    " << QStringList() << QStringList{"1", ""};
    QTest::newRow("leading blank") << " 1" << QStringList() << QStringList{"", "1"};
    QTest::newRow("only a blank") << " " << QStringList() << QStringList{"", ""};
    // The rest is trimmed after each separator, so only a blank right after token 0 makes an empty token.
    QTest::newRow("trailing blank after date")
        << "3 20240105 " << QStringList() << QStringList{"3", "20240105"};
    QTest::newRow("tab is no separator") << "1\t2" << QStringList() << QStringList{"1\t2"};
    QTest::newRow("eleven tokens") << eleven.join(' ') << QStringList() << eleven;
    // Past the eleventh token the text is dropped: a token never holds a blank.
    QTest::newRow("twelve tokens") << eleven.join(' ') + " 11" << QStringList() << eleven;
    QTest::newRow("many tokens") << "a b c d e f g h i j k l m n" << QStringList()
                                 << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"};
    QTest::newRow("eleven then blank") << eleven.join(' ') + " " << QStringList() << eleven;
    QTest::newRow("empty text leaves array alone")
        << QString() << QStringList{"x", "y"} << QStringList{"x", "y"};
    QTest::newRow("array ends at last token")
        << "2 x" << QStringList{"a", "b", "c", "d"} << QStringList{"2", "x"};
}

void tst_startup::commandLine() {
    QFETCH(QString, text);
    QFETCH(QStringList, before);
    QFETCH(QStringList, tokens);
    const qint16 count = fnGetCommandLine(before, text);
    QCOMPARE(int(count), text.isEmpty() ? 0 : tokens.size());
    QCOMPARE(before, tokens);
}

void tst_startup::program_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::newRow("no argument") << QStringList{} << 0;
    QTest::newRow("empty argument") << QStringList{""} << 0;
    QTest::newRow("9") << QStringList{"9"} << 2;
    QTest::newRow("leading blank") << QStringList{" 1"} << 2;
    QTest::newRow("letters") << QStringList{"abc", "20240105"} << 2;
}

void tst_startup::program() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    const QString bin = qEnvironmentVariable("ZANMO_BIN");
    if (bin.isEmpty()) QSKIP("ZANMO_BIN is not set (run through CTest)");
    QProcess p;
    // No display at all: a launch that shows nothing must not need one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    p.setProcessEnvironment(env);
    p.start(bin, args);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), status);
    const QByteArray err = p.readAllStandardError();
    QCOMPARE(err.count('\n'), status ? 1 : 0);
    QVERIFY2(status ? err.contains("launch code") : err.isEmpty(), err.constData());
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
