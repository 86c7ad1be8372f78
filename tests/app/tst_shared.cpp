#include "app/basBytes.h"
#include "app/basInputFlush.h"
#include "app/basRetry.h"
#include "app/basShell.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// A small busy form: an input field and a button.
struct Form {
    QWidget window;
    QLineEdit* edit;
    QPushButton* button;
    Form() {
        auto* layout = new QVBoxLayout(&window);
        edit = new QLineEdit(&window);
        edit->setObjectName(u"txtGcode"_s);
        button = new QPushButton(u"記録"_s, &window);
        layout->addWidget(edit);
        layout->addWidget(button);
        window.show();
        window.activateWindow();
        edit->setFocus();
    }
    // What the user typed and clicked while the form was busy, queued for later delivery.
    void queueInput() {
        for (const char c : {'1', '2'}) {
            QCoreApplication::postEvent(edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_0 + (c - '0'),
                                                            Qt::NoModifier, QString(QChar(c))));
            QCoreApplication::postEvent(edit, new QKeyEvent(QEvent::KeyRelease, Qt::Key_0 + (c - '0'),
                                                            Qt::NoModifier, QString(QChar(c))));
        }
        const QPointF centre = QRectF(button->rect()).center();
        const QPointF global = button->mapToGlobal(centre);
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }
};

} // namespace

class TestShared : public QObject {
    Q_OBJECT

private slots:
    void cutBytes_data();
    void cutBytes();
    void byteLength_data();
    void byteLength();
    void removeText_data();
    void removeText();
    void nextTry();
    void busyInputReachesFormWithoutFlush();
    void busyInputIsFlushed();
    void flushDispatchesNoInput();
    void flushLetsOtherEventsRun();
    void inputWorksAfterFlush();
    void shellExeStartsProgram_data();
    void shellExeStartsProgram();
    void shellExeFolderWithBlank();
    void shellExeFailureShowsError();
};

void TestShared::cutBytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("rest");

    const QString a = u"あ"_s;
    QTest::newRow("45 double-byte at 80") << a.repeated(45) << 80 << a.repeated(40) << a.repeated(5);
    QTest::newRow("ASCII then 45 double-byte at 80: 79 bytes")
        << u"A"_s + a.repeated(45) << 80 << u"A"_s + a.repeated(39) << a.repeated(6);
    QTest::newRow("exactly 80 bytes whole") << a.repeated(40) << 80 << a.repeated(40) << QString();
    QTest::newRow("short text whole") << u"入庫処理"_s << 80 << u"入庫処理"_s << QString();
    QTest::newRow("half-width katakana at 80")
        << u"ｱ"_s.repeated(90) << 80 << u"ｱ"_s.repeated(80) << u"ｱ"_s.repeated(10);
    QTest::newRow("half-width then double-byte at 50")
        << u"ｼｮｳﾋﾝ"_s + u"商"_s.repeated(25) << 50 << u"ｼｮｳﾋﾝ"_s + u"商"_s.repeated(22)
        << u"商"_s.repeated(3);
    QTest::newRow("odd split at 50: 49 bytes")
        << u"ﾃ"_s + u"品"_s.repeated(30) << 50 << u"ﾃ"_s + u"品"_s.repeated(24) << u"品"_s.repeated(6);
    QTest::newRow("exactly 50 bytes whole")
        << u"品"_s.repeated(25) << 50 << u"品"_s.repeated(25) << QString();
    QTest::newRow("mixed text at 50") << u"2026/12/06 0000000012345 りんごジュース(500ml)詰合せ"_s << 50
                                      << u"2026/12/06 0000000012345 りんごジュース(500ml)詰合"_s << u"せ"_s;
    QTest::newRow("empty") << QString() << 80 << QString() << QString();
    QTest::newRow("no room") << u"あい"_s << 0 << QString() << u"あい"_s;
    QTest::newRow("one byte of room") << u"あい"_s << 1 << QString() << u"あい"_s;
    QTest::newRow("a character outside Shift-JIS stays whole") << u"A😀B"_s << 2 << u"A"_s << u"😀B"_s;
}

void TestShared::cutBytes() {
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, head);
    QFETCH(QString, rest);
    QString t = text;
    QCOMPARE(fnCutBytes(t, n), head);
    QCOMPARE(t, rest);
    QVERIFY(fnByteLength(head) <= qMax(n, 0));
}

void TestShared::byteLength_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bytes");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("ASCII") << u"ABC 123"_s << 7;
    QTest::newRow("half-width katakana") << u"ﾃﾞｰﾀ"_s << 4;
    QTest::newRow("full-width") << u"データ"_s << 6;
    QTest::newRow("mixed") << u"Aあｱ＊"_s << 6;
}

void TestShared::byteLength() {
    QFETCH(QString, text);
    QFETCH(int, bytes);
    QCOMPARE(fnByteLength(text), bytes);
}

void TestShared::removeText_data() {
    QTest::addColumn<QString>("t");
    QTest::addColumn<QString>("s");
    QTest::addColumn<QString>("expected");
    QTest::newRow("thousands separators") << u"1,234,567"_s << u","_s << u"1234567"_s;
    QTest::newRow("empty substring") << u"1,234"_s << QString() << u"1,234"_s;
    QTest::newRow("empty text") << QString() << u","_s << QString();
    QTest::newRow("looks again from the start") << u"aabb"_s << u"ab"_s << QString();
    QTest::newRow("not there") << u"りんご"_s << u"みかん"_s << u"りんご"_s;
}

void TestShared::removeText() {
    QFETCH(QString, t);
    QFETCH(QString, s);
    QFETCH(QString, expected);
    QCOMPARE(fnRemoveText(t, s), expected);
}

void TestShared::nextTry() {
    qint16 counter = 0;
    for (int i = 1; i <= 10; ++i)
        QVERIFY2(fnNextTry(counter), qPrintable(QString::number(i)));
    QVERIFY(!fnNextTry(counter));
    QCOMPARE(counter, qint16(11));
}

// Shows that the queued input of the tests below would reach the form if nothing flushed it.
void TestShared::busyInputReachesFormWithoutFlush() {
    Form form;
    QSignalSpy clicked(form.button, &QPushButton::clicked);
    form.window.setEnabled(false);
    form.queueInput();
    form.window.setEnabled(true);
    QCoreApplication::processEvents();
    QCOMPARE(form.edit->text(), u"12"_s);
    QCOMPARE(clicked.count(), 1);
}

void TestShared::busyInputIsFlushed() {
    Form form;
    QSignalSpy clicked(form.button, &QPushButton::clicked);
    form.window.setEnabled(false);
    form.queueInput();
    fnFlushInput();
    form.window.setEnabled(true);
    QCoreApplication::processEvents();
    QCOMPARE(form.edit->text(), QString());
    QCOMPARE(clicked.count(), 0);
}

// Not even a control that is still enabled (another window) gets the dropped input.
void TestShared::flushDispatchesNoInput() {
    Form form;
    QSignalSpy clicked(form.button, &QPushButton::clicked);
    form.queueInput();
    fnFlushInput();
    QCoreApplication::processEvents();
    QCOMPARE(form.edit->text(), QString());
    QCOMPARE(clicked.count(), 0);
}

void TestShared::flushLetsOtherEventsRun() {
    Form form;
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    QMetaObject::invokeMethod(
        form.edit, [&form] { form.edit->setText(u"queued"_s); }, Qt::QueuedConnection);
    fnFlushInput();
    QVERIFY(ran);
    QCOMPARE(form.edit->text(), u"queued"_s);
}

void TestShared::inputWorksAfterFlush() {
    Form form;
    fnFlushInput();
    QTest::keyClicks(form.edit, u"34"_s);
    QCOMPARE(form.edit->text(), u"34"_s);
    form.queueInput();
    QCoreApplication::processEvents();
    QCOMPARE(form.edit->text(), u"3412"_s);
}

void TestShared::shellExeStartsProgram_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("voucher entry") << u"/opt/pelko\\denpyo 1 1234"_s << u"/opt/pelko/denpyo"_s
                                   << QStringList{u"1"_s, u"1234"_s};
    QTest::newRow("this program") << u"/opt/pelko/zanmo 2 20261206 A-100"_s << u"/opt/pelko/zanmo"_s
                                  << QStringList{u"2"_s, u"20261206"_s, u"A-100"_s};
    QTest::newRow("no arguments") << u"/opt/pelko/zanmo"_s << u"/opt/pelko/zanmo"_s << QStringList{};
    QTest::newRow("quoted program") << u"\"/opt/my pelko/zanmo\" 1"_s << u"/opt/my pelko/zanmo"_s
                                    << QStringList{u"1"_s};
}

void TestShared::shellExeStartsProgram() {
    QFETCH(QString, commandLine);
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    ScriptedDialogs dialogs;
    QVERIFY(fnShellExe(commandLine, 1));
    QCOMPARE(dialogs.starts.size(), 1);
    QCOMPARE(dialogs.starts.last().program, program);
    QCOMPARE(dialogs.starts.last().args, args);
    QCOMPARE(dialogs.starts.last().commandLine, commandLine);
    QVERIFY(dialogs.messages.isEmpty());
}

void TestShared::shellExeFolderWithBlank() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"my pelko"_s));
    const QString exe = dir.path() + u"/my pelko/denpyo"_s;
    QFile file(exe);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    ScriptedDialogs dialogs;
    QVERIFY(fnShellExe(dir.path() + u"/my pelko\\denpyo 6 42"_s));
    QCOMPARE(dialogs.starts.last().program, exe);
    QCOMPARE(dialogs.starts.last().args, (QStringList{u"6"_s, u"42"_s}));
}

void TestShared::shellExeFailureShowsError() {
    ScriptedDialogs dialogs;
    dialogs.failProgramStart(u"指定されたファイルが見つかりません。"_s);
    QVERIFY(!fnShellExe(u"/nowhere/denpyo 1 7"_s, 1));
    QCOMPARE(dialogs.starts.size(), 1);
    QCOMPARE(dialogs.messages.size(), 1);
    const MessageRequest& shown = dialogs.lastMessage();
    QCOMPARE(shown.title, u"ＰＥＬＫＯ"_s);
    QCOMPARE(shown.text, u"プログラムの呼び出しエラーです\r\n指定されたファイルが見つかりません。"_s);
    QCOMPARE(shown.buttons, MsgButtons::Ok);
    QCOMPARE(shown.icon, MsgIcon::Exclamation);
}

QTEST_MAIN(TestShared)
#include "tst_shared.moc"
