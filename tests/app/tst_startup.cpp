#include "app/QtDialogs.h"
#include "app/basMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// Starting the program: the launch text split into tokens and the real dialogs (the program run
// with launch codes is tst_install's).
class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void messageBox_data();
    void messageBox();
    void startProgram();
};

// Token lists are written joined by '|'; a null text is no list at all.
static QStringList list(const char* joined) {
    return joined ? QString(joined).split('|') : QStringList();
}

static void row(const char* name, const QString& text, const char* tokens, const char* before = nullptr) {
    QTest::newRow(name) << text << list(before) << list(tokens);
}

void TestStartup::commandLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("before"); // the array as the caller passes it in
    QTest::addColumn<QStringList>("tokens");
    const QString eleven = "0 1 2 3 4 5 6 7 8 9 10";
    row("screen only", "1", "1");
    row("date and code", "1 20240105     123", "1|20240105|123");
    row("trailing blank", "1 ", "1|");
    row("trailing blanks", "1    ", "1|");
    row("leading blank", " 1", "|1");
    // The rest is trimmed after each separator, so only a blank right after token 0 makes an empty token.
    row("trailing blank after date", "3 20240105 ", "3|20240105");
    row("tab is no separator", "1\t2", "1\t2");
    row("eleven tokens", eleven, "0|1|2|3|4|5|6|7|8|9|10");
    // Past the eleventh token the text is dropped: a token never holds a blank.
    row("twelve tokens", eleven + " 11", "0|1|2|3|4|5|6|7|8|9|10");
    row("empty text leaves array alone", QString(), "x|y", "x|y");
    row("array ends at last token", "2 x", "2|x", "a|b|c|d");
}

void TestStartup::commandLine() {
    QFETCH(QString, text);
    QFETCH(QStringList, before);
    QFETCH(QStringList, tokens);
    QCOMPARE(int(fnGetCommandLine(before, text)), text.isEmpty() ? 0 : tokens.size());
    QCOMPARE(before, tokens);
}

// Real boxes, answered by keys: runs `act` on the box once it is shown.
static void whenBoxShows(std::function<void(QMessageBox*)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return act(box);
        whenBoxShows(act);
    });
}

static void boxRow(const char* name, MsgButtons buttons, int defaultButton, Qt::Key key, int result,
                   MsgIcon icon = MsgIcon::None, QMessageBox::Icon shown = QMessageBox::NoIcon) {
    QTest::newRow(name) << int(buttons) << defaultButton << int(key) << result << int(icon) << int(shown);
}

void TestStartup::messageBox_data() {
    for (const char* column : {"buttons", "defaultButton", "key", "result", "icon", "shownIcon"})
        QTest::addColumn<int>(column);
    boxRow("ok enter", MsgButtons::Ok, MsgOk, Qt::Key_Return, MsgOk, MsgIcon::Exclamation,
           QMessageBox::Warning);
    boxRow("ok escape", MsgButtons::Ok, MsgOk, Qt::Key_Escape, MsgOk, MsgIcon::Critical,
           QMessageBox::Critical);
    boxRow("yes/no default no", MsgButtons::YesNo, MsgNo, Qt::Key_Return, MsgNo);
    boxRow("yes/no default yes", MsgButtons::YesNo, MsgYes, Qt::Key_Return, MsgYes);
    boxRow("yes/no escape", MsgButtons::YesNo, MsgYes, Qt::Key_Escape, MsgNo);
    boxRow("ok/cancel default cancel", MsgButtons::OkCancel, MsgCancel, Qt::Key_Return, MsgCancel);
    boxRow("ok/cancel escape", MsgButtons::OkCancel, MsgOk, Qt::Key_Escape, MsgCancel);
    boxRow("yes/no/cancel escape", MsgButtons::YesNoCancel, MsgYes, Qt::Key_Escape, MsgCancel);
}

void TestStartup::messageBox() {
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, key);
    QFETCH(int, icon);
    const MessageRequest r{"ＰＥＬＫＯ", "記録します", MsgIcon(icon), MsgButtons(buttons), defaultButton};
    QStringList seen;
    whenBoxShows([&seen, key](QMessageBox* box) {
        seen << box->windowTitle() << box->text() << QString::number(box->icon());
        QTest::keyClick(box, Qt::Key(key));
    });
    QTEST(QtDialogs().messageBox(r), "result");
    QCOMPARE(seen.mid(0, 2), (QStringList{r.title, r.text}));
    QTEST(seen.value(2).toInt(), "shownIcon");
}

void TestStartup::startProgram() {
    QTemporaryDir dir;
    QtDialogs seam;
    ProgramStart start;
    start.program = "/bin/sh";
    start.args = {"-c", "echo \"$0\" > " + dir.filePath("ran"), "20240105"};
    QString error = "untouched";
    QVERIFY(seam.startProgram(start, &error));
    auto ran = [&dir] {
        QFile f(dir.filePath("ran"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTRY_COMPARE(ran(), QByteArray("20240105\n"));
    start = ProgramStart();
    start.program = "/nonexistent/denpyo";
    QVERIFY(!seam.startProgram(start, &error));
    QCOMPARE(error, QStringLiteral("指定されたファイルが見つかりません。"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
