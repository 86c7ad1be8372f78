#include "app/basBytes.h"
#include "app/basInputFlush.h"
#include "app/basRetry.h"
#include "app/basShell.h"
#include "support/ScriptedDialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// A small form with an input field and a button; queues what a user types and clicks.
struct Form {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    QPushButton* button = new QPushButton(u"記録"_s, &window);
    Form() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(button);
        window.show();
        edit->setFocus();
    }
    void queueInput() {
        for (const char c : {'1', '2'})
            for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease})
                QCoreApplication::postEvent(
                    edit, new QKeyEvent(type, Qt::Key_0 + (c - '0'), {}, QString(QChar(c))));
        const QPointF at = QRectF(button->rect()).center(), global = button->mapToGlobal(at);
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                            Qt::LeftButton, Qt::LeftButton, {}));
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                            Qt::LeftButton, Qt::NoButton, {}));
    }
};

} // namespace

class TestShared : public QObject {
    Q_OBJECT

private slots:
    void cutBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("rest");
        const QString a = u"あ"_s, p = u"品"_s;
        QTest::newRow("45 double-byte at 80") << a.repeated(45) << 80 << a.repeated(40) << a.repeated(5);
        QTest::newRow("ASCII then 45 double-byte at 80: 79 bytes")
            << u"A"_s + a.repeated(45) << 80 << u"A"_s + a.repeated(39) << a.repeated(6);
        QTest::newRow("exactly 80 bytes whole") << a.repeated(40) << 80 << a.repeated(40) << QString();
        QTest::newRow("half-width katakana at 80")
            << u"ｱ"_s.repeated(90) << 80 << u"ｱ"_s.repeated(80) << u"ｱ"_s.repeated(10);
        QTest::newRow("half-width then double-byte at 50")
            << u"ｼｮｳﾋﾝ"_s + p.repeated(25) << 50 << u"ｼｮｳﾋﾝ"_s + p.repeated(22) << p.repeated(3);
        QTest::newRow("odd split at 50: 49 bytes")
            << u"ﾃ"_s + p.repeated(30) << 50 << u"ﾃ"_s + p.repeated(24) << p.repeated(6);
        QTest::newRow("exactly 50 bytes whole") << p.repeated(25) << 50 << p.repeated(25) << QString();
        QTest::newRow("empty") << QString() << 80 << QString() << QString();
        QTest::newRow("no room") << u"あい"_s << 0 << QString() << u"あい"_s;
        QTest::newRow("one byte of room") << u"あい"_s << 1 << QString() << u"あい"_s;
        QTest::newRow("outside Shift-JIS stays whole") << u"A😀B"_s << 2 << u"A"_s << u"😀B"_s;
    }

    void cutBytes() {
        QFETCH(QString, text);
        QFETCH(int, n);
        QFETCH(QString, head);
        QCOMPARE(fnCutBytes(text, n), head);
        QTEST(text, "rest");
    }

    void byteLength() {
        const QList<std::pair<QString, int>> cases{
            {{}, 0}, {u"ABC 123"_s, 7}, {u"ﾃﾞｰﾀ"_s, 4}, {u"データ"_s, 6}, {u"Aあｱ＊"_s, 6}};
        for (const auto& [text, bytes] : cases)
            QCOMPARE(fnByteLength(text), bytes);
    }

    void removeText_data() {
        QTest::addColumn<QString>("t");
        QTest::addColumn<QString>("s");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thousands separators") << u"1,234,567"_s << u","_s << u"1234567"_s;
        QTest::newRow("empty substring") << u"1,234"_s << QString() << u"1,234"_s;
        QTest::newRow("empty text") << QString() << u","_s << QString();
        QTest::newRow("looks again from the start") << u"aabb"_s << u"ab"_s << QString();
        QTest::newRow("not there") << u"りんご"_s << u"みかん"_s << u"りんご"_s;
    }

    void removeText() {
        QFETCH(QString, t);
        QFETCH(QString, s);
        QTEST(fnRemoveText(t, s), "expected");
    }

    void nextTry() {
        qint16 counter = 0;
        for (int i = 1; i <= 10; ++i)
            QVERIFY2(fnNextTry(counter), qPrintable(QString::number(i)));
        QVERIFY(!fnNextTry(counter));
    }

    // Input queued while the form was busy. Without the flush it would reach the form, which shows
    // the queued input is real; with it nothing gets it, not even a control still enabled.
    void busyInput_data() {
        QTest::addColumn<bool>("flush");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<QString>("typed");
        QTest::newRow("no flush") << false << true << u"12"_s;
        QTest::newRow("flushed while disabled") << true << true << QString();
        QTest::newRow("flushed while enabled") << true << false << QString();
    }

    void busyInput() {
        QFETCH(bool, flush);
        QFETCH(bool, disabled);
        Form form;
        QSignalSpy clicked(form.button, &QPushButton::clicked);
        form.window.setEnabled(!disabled);
        form.queueInput();
        if (flush) fnFlushInput();
        form.window.setEnabled(true);
        QCoreApplication::processEvents();
        QTEST(form.edit->text(), "typed");
        QCOMPARE(clicked.count(), flush ? 0 : 1);
    }

    // Other pending events still run, and later input gets through.
    void flushKeepsTheRest() {
        Form form;
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        QMetaObject::invokeMethod(
            form.edit, [&form] { form.edit->setText(u"3"_s); }, Qt::QueuedConnection);
        fnFlushInput();
        QVERIFY(ran);
        QTest::keyClicks(form.edit, u"4"_s);
        form.queueInput();
        QCoreApplication::processEvents();
        QCOMPARE(form.edit->text(), u"3412"_s);
    }

    void shellExeStartsProgram_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("voucher entry")
            << u"/opt/pelko\\denpyo 1 1234"_s << u"/opt/pelko/denpyo"_s << QStringList{u"1"_s, u"1234"_s};
        QTest::newRow("this program") << u"/opt/pelko/zanmo 2 20261206 A-100"_s << u"/opt/pelko/zanmo"_s
                                      << QStringList{u"2"_s, u"20261206"_s, u"A-100"_s};
        QTest::newRow("no arguments") << u"/opt/pelko/zanmo"_s << u"/opt/pelko/zanmo"_s << QStringList{};
        QTest::newRow("quoted program")
            << u"\"/opt/my pelko/zanmo\" 1"_s << u"/opt/my pelko/zanmo"_s << QStringList{u"1"_s};
        QTest::newRow("existing folder with a blank")
            << u"@/my pelko\\denpyo 6 42"_s << u"@/my pelko/denpyo"_s << QStringList{u"6"_s, u"42"_s};
    }

    void shellExeStartsProgram() {
        QFETCH(QString, commandLine);
        QFETCH(QString, program);
        QTemporaryDir dir; // "@" stands for a real folder holding "my pelko/denpyo"
        QVERIFY(QDir(dir.path()).mkdir(u"my pelko"_s) &&
                QFile(dir.path() + u"/my pelko/denpyo"_s).open(QIODevice::WriteOnly));
        commandLine.replace(u'@', dir.path());
        ScriptedDialogs dialogs;
        QVERIFY(fnShellExe(commandLine, 1));
        QCOMPARE(dialogs.starts.size(), 1);
        QCOMPARE(dialogs.starts[0].program, program.replace(u'@', dir.path()));
        QTEST(dialogs.starts[0].args, "args");
        QCOMPARE(dialogs.starts[0].commandLine, commandLine);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void shellExeFailureShowsError() {
        ScriptedDialogs dialogs;
        dialogs.failProgramStart(u"指定されたファイルが見つかりません。"_s);
        QVERIFY(!fnShellExe(u"/nowhere/denpyo 1 7"_s, 1));
        QCOMPARE(dialogs.starts.size(), 1);
        QCOMPARE(dialogs.messages.size(), 1);
        const MessageRequest& shown = dialogs.lastMessage();
        QCOMPARE(shown.title, u"ＰＥＬＫＯ"_s);
        QCOMPARE(shown.text, u"プログラムの呼び出しエラーです\r\n指定されたファイルが見つかりません。"_s);
        QVERIFY(shown.buttons == MsgButtons::Ok && shown.icon == MsgIcon::Exclamation);
    }
};

QTEST_MAIN(TestShared)
#include "tst_shared.moc"
