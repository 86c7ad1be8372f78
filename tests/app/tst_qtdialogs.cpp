#include "app/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// The real boxes, answered by keys sent to the box that is up.
class tst_qtdialogs : public QObject {
    Q_OBJECT

private slots:
    void messageBoxKeys_data();
    void messageBoxKeys();
    void messageBoxLooks();
    void startProgram();
};

// Runs `act` on the message box once it is shown.
static void whenBoxShows(std::function<void(QMessageBox*)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return act(box);
        whenBoxShows(act);
    });
}

static void row(const char* name, MsgButtons buttons, int defaultButton, Qt::Key key, int result) {
    QTest::newRow(name) << int(buttons) << defaultButton << int(key) << result;
}

void tst_qtdialogs::messageBoxKeys_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    row("ok enter", MsgButtons::Ok, MsgOk, Qt::Key_Return, MsgOk);
    row("ok escape", MsgButtons::Ok, MsgOk, Qt::Key_Escape, MsgOk);
    row("yes/no default no", MsgButtons::YesNo, MsgNo, Qt::Key_Return, MsgNo);
    row("yes/no default yes", MsgButtons::YesNo, MsgYes, Qt::Key_Return, MsgYes);
    row("yes/no escape", MsgButtons::YesNo, MsgYes, Qt::Key_Escape, MsgNo);
    row("ok/cancel default cancel", MsgButtons::OkCancel, MsgCancel, Qt::Key_Return, MsgCancel);
    row("ok/cancel escape", MsgButtons::OkCancel, MsgOk, Qt::Key_Escape, MsgCancel);
    row("yes/no/cancel escape", MsgButtons::YesNoCancel, MsgYes, Qt::Key_Escape, MsgCancel);
}

void tst_qtdialogs::messageBoxKeys() {
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, key);
    MessageRequest r;
    r.title = "ＰＥＬＫＯ";
    r.text = "記録します";
    r.buttons = MsgButtons(buttons);
    r.defaultButton = defaultButton;
    whenBoxShows([key](QMessageBox* box) { QTest::keyClick(box, Qt::Key(key)); });
    QTEST(QtDialogs().messageBox(r), "result");
}

void tst_qtdialogs::messageBoxLooks() {
    MessageRequest r;
    r.title = "ＰＥＬＫＯ";
    r.text = "データベースに接続できませんでした";
    r.icon = MsgIcon::Exclamation;
    QStringList seen;
    whenBoxShows([&](QMessageBox* box) {
        seen << box->windowTitle() << box->text() << QString::number(box->icon())
             << QString::number(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(QtDialogs().messageBox(r), int(MsgOk));
    QCOMPARE(seen, (QStringList{r.title, r.text, QString::number(QMessageBox::Warning), "1"}));
}

void tst_qtdialogs::startProgram() {
    QTemporaryDir dir;
    const QString marker = dir.filePath("ran");
    QtDialogs seam;
    ProgramStart start;
    start.program = "/bin/sh";
    start.args = {"-c", "echo \"$0\" > " + marker, "20240105"};
    QString error = "untouched";
    QVERIFY(seam.startProgram(start, &error));
    auto content = [&marker] {
        QFile f(marker);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTRY_COMPARE(content(), QByteArray("20240105\n"));

    start = ProgramStart();
    start.program = "/nonexistent/denpyo";
    QVERIFY(!seam.startProgram(start, &error));
    QCOMPARE(error, QStringLiteral("指定されたファイルが見つかりません。"));
    // A command line alone names the program in its first word.
    start.program.clear();
    start.commandLine = "/nonexistent/zanmo 1 20240105";
    QVERIFY(!seam.startProgram(start, &error));
}

QTEST_MAIN(tst_qtdialogs)
#include "tst_qtdialogs.moc"
