#include "app/basInputFlush.h"
#include "app/basMessage.h"
#include "app/basRetry.h"
#include "app/basShell.h"
#include "core/basBytes.h"
#include "support/ScriptedDialogs.h"
#include "ui/DataRows.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)

static void box(const char* name, const QString& key, const QString& extra, const QString& prompt,
                MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::Exclamation, int button = 1) {
    QTest::newRow(name) << key << extra << prompt << buttons << icon << button;
}

static void cut(const char* name, const QString& text, int n, const QString& head, const QString& rest) {
    QTest::newRow(name) << text << n << head << rest;
}

// "@" stands for a real folder holding "my pelko/denpyo".
static void start(const char* name, const QString& commandLine, const QString& program, const QString& args) {
    QTest::newRow(name) << commandLine << program << args.split(u' ', Qt::SkipEmptyParts);
}

class TestShared : public QObject, DataRows {
    Q_OBJECT

private slots:
    // Every box titled "ＰＥＬＫＯ"; the answer comes back. A null prompt: the key is not in the
    // catalogue (exact, case- and width-sensitive), so nothing is shown and 0 comes back. The
    // catalogue's plain texts are checked where the screens show them; here the extra text's place
    // and the questions' default answers.
    void message_data() {
        cols<QString, QString, QString, MsgButtons, MsgIcon, int>("key", "extra", "prompt", "buttons", "icon",
                                                                  "defaultButton");
        const auto yn = MsgButtons::YesNo;
        const auto info = MsgIcon::Information, quest = MsgIcon::Question;
        const QString recover = u"すべて終了し、データメンテナンスから復旧をしてください"_s;
        box("記録 with extra", u"記録"_s, u" 商品A "_s, u"記録します\r\n 商品A "_s, yn, info, 6);
        box("ｷｬﾝｾﾙ", u"ｷｬﾝｾﾙ"_s, {}, u"入力項目を無効にします"_s, yn, info, 6);
        box("中止", u"中止"_s, {}, u"この商品は中止商品です。入力を行いますか？"_s, yn, info, 7);
        box("削除 with extra", u"削除"_s, u"2026/12/06"_s, u"削除します\r\n2026/12/06"_s, yn, info, 7);
        box("未登録 ignores extra", u"未登録"_s, u"余分"_s, u"未登録です"_s);
        box("ﾃﾞｰﾀなし", u"ﾃﾞｰﾀなし"_s, {}, u"該当データがありません"_s, MsgButtons::Ok, info);
        box("記録エラー", u"記録エラー"_s, u"locked"_s, u"記録に失敗しました！\r\nlocked\r\n"_s + recover);
        box("削除エラー ignores extra", u"削除エラー"_s, u"x"_s, u"削除に失敗しました！\r\n"_s + recover);
        box("ReadOnly", u"ReadOnly"_s, u"data1.dat"_s,
            u"data1.dat が読み取り専用になっています\r\n読み取り専用を解除し、ＰＥＬＫＯを再起動して下さい"_s);
        box("印刷物", u"印刷物"_s, u"請求書"_s, u"請求書が印刷済みです"_s);
        box("作業中", u"作業中"_s, u"入庫"_s, u"保存されていませんが、入庫を終了しますか？"_s, yn, quest, 7);
        box("ファイル書込み選択", u"ファイル書込み選択"_s, {},
            u"ファイルが存在します。上書きしますか？\r\n「はい」\t上書\r\n「いいえ」\t追加\r\n「ｷｬﾝｾﾙ」\t取消"_s,
            MsgButtons::YesNoCancel, quest, 2);
        // The second line is the error noted last (see shellExeFailure), not the extra text.
        box("msgExeLoadErr", u"msgExeLoadErr"_s, u"x"_s, u"プログラムの呼び出しエラーです\r\nエラー"_s);
        box("full-width twin of ﾃﾞｰﾀなし", u"データなし"_s, {}, {});
        box("other case", u"readonly"_s, u"x"_s, {});
        box("trailing blank", u"記録 "_s, {}, {});
        box("empty", {}, {}, {});
    }
    void message() {
        QFETCH(QString, key);
        QFETCH(QString, extra);
        QFETCH(QString, prompt);
        QFETCH(MsgButtons, buttons);
        QFETCH(int, defaultButton);
        ScriptedDialogs dialogs;
        const int answer = buttons == MsgButtons::Ok ? 1 : defaultButton == 6 ? 7 : 6; // not the default
        dialogs.answerMessage(answer);
        fnSetCurrentError(u"エラー"_s);
        const int result = fnMessage(key, extra);
        QCOMPARE(result, prompt.isNull() ? 0 : answer);
        QCOMPARE(dialogs.messages.size(), prompt.isNull() ? 0 : 1);
        if (prompt.isNull()) return;
        const MessageRequest& shown = dialogs.lastMessage();
        QCOMPARE(shown.title, u"ＰＥＬＫＯ"_s);
        QCOMPARE(shown.text, prompt);
        QCOMPARE(shown.buttons, buttons);
        QTEST(shown.icon, "icon");
        QCOMPARE(shown.defaultButton, defaultButton);
    }

    void pendingEventsRunBeforeTheBox() {
        ScriptedDialogs dialogs;
        bool ranFirst = false;
        QTimer::singleShot(0, [&] { ranFirst = dialogs.messages.isEmpty(); });
        fnMessage(u"未登録"_s);
        QVERIFY(ranFirst);
    }

    void cutBytes_data() {
        cols<QString, int, QString, QString>("text", "n", "head", "rest");
        const QString a = u"あ"_s, p = u"品"_s, s = u"ｼｮｳﾋﾝ"_s, ka = u"ｱ"_s, A = u"A"_s;
        cut("45 double-byte at 80", a.repeated(45), 80, a.repeated(40), a.repeated(5));
        cut("ASCII, 45 double-byte: 79 bytes", A + a.repeated(45), 80, A + a.repeated(39), a.repeated(6));
        cut("exactly 80 bytes whole", a.repeated(40), 80, a.repeated(40), {});
        cut("half-width katakana at 80", ka.repeated(90), 80, ka.repeated(80), ka.repeated(10));
        cut("half-width, double-byte at 50", s + p.repeated(25), 50, s + p.repeated(22), p.repeated(3));
        cut("odd split at 50: 49 bytes", u"ﾃ"_s + p.repeated(30), 50, u"ﾃ"_s + p.repeated(24), p.repeated(6));
        cut("exactly 50 bytes whole", p.repeated(25), 50, p.repeated(25), {});
        cut("empty", {}, 80, {}, {});
        cut("no room", u"あい"_s, 0, {}, u"あい"_s);
        cut("one byte of room", u"あい"_s, 1, {}, u"あい"_s);
        cut("outside Shift-JIS stays whole", u"A😀B"_s, 2, u"A"_s, u"😀B"_s);
    }
    void cutBytes() {
        QFETCH(QString, text);
        QFETCH(int, n);
        QTEST(fnCutBytes(text, n), "head");
        QTEST(text, "rest");
    }

    void byteLength() {
        for (const auto& [text, bytes] : QList<std::pair<QString, int>>{
                 {{}, 0}, {u"ABC 123"_s, 7}, {u"ﾃﾞｰﾀ"_s, 4}, {u"データ"_s, 6}, {u"Aあｱ＊"_s, 6}})
            QCOMPARE(fnByteLength(text), bytes);
    }
    // Each case "t|s|t without s", looking again from the start after each removal.
    void removeText() {
        for (const QString& c : {u"1,234,567|,|1234567"_s, u"1,234||1,234"_s, u"|,|"_s, u"aabb|ab|"_s,
                                 u"りんご|みかん|りんご"_s}) {
            const QStringList p = c.split(u'|');
            QCOMPARE(fnRemoveText(p[0], p[1]), p[2]);
        }
    }
    void nextTry() {
        qint16 counter = 0;
        for (int i = 1; i <= 10; ++i)
            QVERIFY2(fnNextTry(counter), qPrintable(QString::number(i)));
        QVERIFY(!fnNextTry(counter));
    }

    // Keys and a click queued while the form was busy. Without the flush they reach the form, which
    // shows the queued input is real; with it nothing gets them, not even a control still enabled.
    // Other pending events still run, and later input gets through.
    void busyInput_data() {
        cols<bool, bool>("flush", "disabled");
        row("no flush", false, true), row("flushed while disabled", true, true);
        row("flushed while enabled", true, false);
    }
    void busyInput() {
        QFETCH(bool, flush);
        QFETCH(bool, disabled);
        QWidget form;
        QLineEdit editBox(&form);
        QPushButton recordButton(u"記録"_s, &form);
        QLineEdit* edit = &editBox;
        QPushButton* button = &recordButton;
        QSignalSpy clicked(button, &QPushButton::clicked);
        form.show();
        form.setEnabled(!disabled);
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease, QEvent::KeyPress, QEvent::KeyRelease})
            QCoreApplication::postEvent(edit, new QKeyEvent(type, Qt::Key_1, {}, u"1"_s));
        const QPointF at = QRectF(button->rect()).center(), global = button->mapToGlobal(at);
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                            Qt::LeftButton, Qt::LeftButton, {}));
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                            Qt::LeftButton, Qt::NoButton, {}));
        QMetaObject::invokeMethod(
            button, [&] { button->setText(u"ran"_s); }, Qt::QueuedConnection);
        if (flush) fnFlushInput();
        form.setEnabled(true);
        QCoreApplication::processEvents();
        QCOMPARE(edit->text(), flush ? QString() : u"11"_s);
        QCOMPARE(clicked.count(), flush ? 0 : 1);
        QCOMPARE(button->text(), u"ran"_s);
        QTest::keyClicks(edit, u"2"_s);
        QCOMPARE(edit->text(), flush ? u"2"_s : u"112"_s);
    }

    void shellExe_data() {
        cols<QString, QString, QStringList>("commandLine", "program", "args");
        start("voucher entry", u"/opt/pelko\\denpyo 1 1234"_s, u"/opt/pelko/denpyo"_s, u"1 1234"_s);
        start("three arguments", u"/opt/zanmo 2 20261206 A-100"_s, u"/opt/zanmo"_s, u"2 20261206 A-100"_s);
        start("no arguments", u"/opt/pelko/zanmo"_s, u"/opt/pelko/zanmo"_s, {});
        start("quoted program", u"\"/opt/my pelko/zanmo\" 1"_s, u"/opt/my pelko/zanmo"_s, u"1"_s);
        start("existing folder with a blank", u"@/my pelko\\denpyo 6 42"_s, u"@/my pelko/denpyo"_s,
              u"6 42"_s);
    }
    void shellExe() {
        QFETCH(QString, commandLine);
        QFETCH(QString, program);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"my pelko"_s));
        QVERIFY(QFile(dir.path() + u"/my pelko/denpyo"_s).open(QIODevice::WriteOnly));
        commandLine.replace(u'@', dir.path());
        ScriptedDialogs dialogs;
        QVERIFY(fnShellExe(commandLine, 1));
        QCOMPARE(dialogs.starts.size(), 1);
        QCOMPARE(dialogs.starts[0].commandLine, commandLine);
        QCOMPARE(dialogs.starts[0].program, program.replace(u'@', dir.path()));
        QTEST(dialogs.starts[0].args, "args");
        QVERIFY(dialogs.messages.isEmpty());
    }
    // After a failed start, the box names the error (see msgExeLoadErr above).
    void shellExeFailure() {
        ScriptedDialogs dialogs;
        dialogs.failProgramStart(u"指定されたファイルが見つかりません。"_s);
        QVERIFY(!fnShellExe(u"/nowhere/denpyo 1 7"_s, 1));
        QCOMPARE(dialogs.starts.size(), 1);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.lastMessage().text,
                 u"プログラムの呼び出しエラーです\r\n指定されたファイルが見つかりません。"_s);
    }
};

QTEST_MAIN(TestShared)
#include "tst_shared.moc"
