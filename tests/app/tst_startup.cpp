#include "app/basMain.h"

#include <QProcess>
#include <QtTest>

class tst_startup : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void emptyTextLeavesArrayAlone();
    void arrayEndsAtLastToken();
    void programWithoutToken();
    void programWithUnknownToken_data();
    void programWithUnknownToken();
};

void tst_startup::commandLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tokens");
    QTest::newRow("screen only") << "1" << QStringList{"1"};
    QTest::newRow("date and code") << "1 20240105     123" << QStringList{"1", "20240105", "123"};
    QTest::newRow("trailing blank") << "1 " << QStringList{"1", ""};
    QTest::newRow("trailing blanks") << "1    " << QStringList{"1", ""};
    QTest::newRow("leading blank") << " 1" << QStringList{"", "1"};
    QTest::newRow("only a blank") << " " << QStringList{"", ""};
    // The rest is trimmed after each separator, so only a blank right after token 0 makes an empty token.
    QTest::newRow("trailing blank after date") << "3 20240105 " << QStringList{"3", "20240105"};
    QTest::newRow("tab is no separator") << "1\t2" << QStringList{"1\t2"};
    QTest::newRow("eleven tokens") << "0 1 2 3 4 5 6 7 8 9 10"
                                   << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    // Past the eleventh token the text is dropped: a token never holds a blank.
    QTest::newRow("twelve tokens") << "0 1 2 3 4 5 6 7 8 9 10 11"
                                   << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    QTest::newRow("many tokens") << "a b c d e f g h i j k l m n"
                                 << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"};
    QTest::newRow("eleven then blank")
        << "0 1 2 3 4 5 6 7 8 9 10 " << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
}

void tst_startup::commandLine() {
    QFETCH(QString, text);
    QFETCH(QStringList, tokens);
    QStringList args;
    const qint16 count = fnGetCommandLine(args, text);
    QCOMPARE(int(count), tokens.size());
    QCOMPARE(args, tokens);
}

void tst_startup::emptyTextLeavesArrayAlone() {
    QStringList args{"x", "y"};
    QCOMPARE(int(fnGetCommandLine(args, QString())), 0);
    QCOMPARE(args, (QStringList{"x", "y"}));
}

void tst_startup::arrayEndsAtLastToken() {
    QStringList args{"a", "b", "c", "d"};
    QCOMPARE(int(fnGetCommandLine(args, "2 x")), 2);
    QCOMPARE(args, (QStringList{"2", "x"}));
}

static QString programPath() {
    const QString bin = qEnvironmentVariable("ZANMO_BIN");
    if (bin.isEmpty()) QTest::qSkip("ZANMO_BIN is not set (run through CTest)", __FILE__, __LINE__);
    return bin;
}

void tst_startup::programWithoutToken() {
    const QString bin = programPath();
    if (bin.isEmpty()) return;
    for (const QStringList& args : {QStringList{}, QStringList{""}}) {
        QProcess p;
        p.start(bin, args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardError(), QByteArray());
    }
}

void tst_startup::programWithUnknownToken_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("9") << QStringList{"9"};
    QTest::newRow("leading blank") << QStringList{" 1"};
    QTest::newRow("letters") << QStringList{"abc", "20240105"};
}

void tst_startup::programWithUnknownToken() {
    QFETCH(QStringList, args);
    const QString bin = programPath();
    if (bin.isEmpty()) return;
    QProcess p;
    // No display at all: a launch that shows nothing must not need one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    p.setProcessEnvironment(env);
    p.start(bin, args);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    const QByteArray err = p.readAllStandardError();
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(err.contains("launch code"), err.constData());
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
