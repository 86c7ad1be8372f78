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
    void startMissingProgram();
    void installIsTheSeam();
};

// Runs `act` on the message box once it is shown.
static void whenBoxShows(std::function<void(QMessageBox*)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                act(box);
                return;
            }
        }
        whenBoxShows(act);
    });
}

void tst_qtdialogs::messageBoxKeys_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("ok enter") << int(MsgButtons::Ok) << int(MsgOk) << int(Qt::Key_Return) << int(MsgOk);
    QTest::newRow("ok escape") << int(MsgButtons::Ok) << int(MsgOk) << int(Qt::Key_Escape) << int(MsgOk);
    QTest::newRow("yes/no default no")
        << int(MsgButtons::YesNo) << int(MsgNo) << int(Qt::Key_Return) << int(MsgNo);
    QTest::newRow("yes/no default yes")
        << int(MsgButtons::YesNo) << int(MsgYes) << int(Qt::Key_Return) << int(MsgYes);
    QTest::newRow("yes/no escape") << int(MsgButtons::YesNo) << int(MsgYes) << int(Qt::Key_Escape)
                                   << int(MsgNo);
    QTest::newRow("ok/cancel default cancel")
        << int(MsgButtons::OkCancel) << int(MsgCancel) << int(Qt::Key_Return) << int(MsgCancel);
    QTest::newRow("ok/cancel escape")
        << int(MsgButtons::OkCancel) << int(MsgOk) << int(Qt::Key_Escape) << int(MsgCancel);
    QTest::newRow("yes/no/cancel escape")
        << int(MsgButtons::YesNoCancel) << int(MsgYes) << int(Qt::Key_Escape) << int(MsgCancel);
}

void tst_qtdialogs::messageBoxKeys() {
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, key);
    QFETCH(int, result);
    QtDialogs seam;
    MessageRequest r;
    r.title = "ＰＥＬＫＯ";
    r.text = "記録します";
    r.buttons = MsgButtons(buttons);
    r.defaultButton = defaultButton;
    whenBoxShows([key](QMessageBox* box) { QTest::keyClick(box, Qt::Key(key)); });
    QCOMPARE(seam.messageBox(r), result);
}

void tst_qtdialogs::messageBoxLooks() {
    QtDialogs seam;
    MessageRequest r;
    r.title = "ＰＥＬＫＯ";
    r.text = "データベースに接続できませんでした";
    r.icon = MsgIcon::Exclamation;
    QString title, text;
    int icon = -1, buttonCount = 0;
    whenBoxShows([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttonCount = box->buttons().size();
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(seam.messageBox(r), int(MsgOk));
    QCOMPARE(title, r.title);
    QCOMPARE(text, r.text);
    QCOMPARE(icon, int(QMessageBox::Warning));
    QCOMPARE(buttonCount, 1);
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
}

void tst_qtdialogs::startMissingProgram() {
    QtDialogs seam;
    ProgramStart start;
    start.program = "/nonexistent/denpyo";
    QString error;
    QVERIFY(!seam.startProgram(start, &error));
    QCOMPARE(error, QStringLiteral("指定されたファイルが見つかりません。"));
    // A command line alone names the program in its first word.
    start.program.clear();
    start.commandLine = "/nonexistent/zanmo 1 20240105";
    QVERIFY(!seam.startProgram(start, &error));
}

void tst_qtdialogs::installIsTheSeam() {
    installQtDialogs();
    QVERIFY(dynamic_cast<QtDialogs*>(&dialogs()));
    setDialogs(nullptr);
    QVERIFY(!dynamic_cast<QtDialogs*>(&dialogs()));
}

QTEST_MAIN(tst_qtdialogs)
#include "tst_qtdialogs.moc"
