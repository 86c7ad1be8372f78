#include "app/QtDialogs.h"
#include "app/basInputFlush.h"
#include "app/basMain.h"
#include "app/basMessage.h"
#include "app/basOperationLog.h"
#include "app/basRetry.h"
#include "app/basShell.h"
#include "core/basBytes.h"
#include "data/basDb.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"
#include "ui/DataRows.h"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)

static void box(const char* name, const QString& key, const QString& extra, const QString& prompt,
                MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::Exclamation, int button = 1) {
    QTest::newRow(name) << key << extra << prompt << buttons << icon << button;
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
    QTest::newRow(name) << buttons << defaultButton << int(key) << result << icon << int(shown);
}

// The log's values row after row, read by position so the columns' order is checked too.
static QStringList logValues() {
    QStringList values;
    Recordset rec;
    fnOpenRecordset(rec, u"select * from operatlog order by "_s + TempProgramDir::insertionOrder());
    for (; !rec.Eof(); rec.MoveNext())
        for (int i = 0; i < 6; ++i)
            values.append(rec.Fields(i).toString());
    rec.Close();
    return values;
}

// The shared helpers of the app layer: boxes, byte cuts, starting programs, the launch text and
// the operation log (also on the test server as tst_shared-pg).
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
        row("45 double-byte at 80", a.repeated(45), 80, a.repeated(40), a.repeated(5));
        row("ASCII, 45 double-byte: 79 bytes", A + a.repeated(45), 80, A + a.repeated(39), a.repeated(6));
        row("exactly 80 bytes whole", a.repeated(40), 80, a.repeated(40), "");
        row("half-width katakana at 80", ka.repeated(90), 80, ka.repeated(80), ka.repeated(10));
        row("half-width, double-byte at 50", s + p.repeated(25), 50, s + p.repeated(22), p.repeated(3));
        row("odd split at 50: 49 bytes", u"ﾃ"_s + p.repeated(30), 50, u"ﾃ"_s + p.repeated(24), p.repeated(6));
        row("exactly 50 bytes whole", p.repeated(25), 50, p.repeated(25), "");
        row("empty", "", 80, "", "");
        row("no room", u"あい"_s, 0, "", u"あい"_s);
        row("one byte of room", u"あい"_s, 1, "", u"あい"_s);
        row("outside Shift-JIS stays whole", u"A😀B"_s, 2, u"A"_s, u"😀B"_s);
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

    // "@" stands for a real folder holding "my pelko/denpyo".
    void shellExe_data() {
        cols<QString, QString, QString>("commandLine", "program", "args");
        row("voucher entry", u"/opt/pelko\\denpyo 1 1234"_s, u"/opt/pelko/denpyo"_s, u"1 1234"_s);
        row("three arguments", u"/opt/zanmo 2 20261206 A-100"_s, u"/opt/zanmo"_s, u"2 20261206 A-100"_s);
        row("no arguments", u"/opt/pelko/zanmo"_s, u"/opt/pelko/zanmo"_s, u""_s);
        row("quoted program", u"\"/opt/my pelko/zanmo\" 1"_s, u"/opt/my pelko/zanmo"_s, u"1"_s);
        row("existing folder with a blank", u"@/my pelko\\denpyo 6 42"_s, u"@/my pelko/denpyo"_s, u"6 42"_s);
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
        QCOMPARE(dialogs.starts[0].args, fetch<QString>("args").split(u' ', Qt::SkipEmptyParts));
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
    // The launch text split into tokens ('|' between them); the program run with launch codes is
    // tst_install's.
    void commandLine_data() {
        cols<QString, QString, QString>("text", "tokens", "before"); // before: the array passed in
        const QString eleven = u"0 1 2 3 4 5 6 7 8 9 10"_s;
        row("screen only", "1", "1", ""), row("date and code", "1 20240105     123", "1|20240105|123", "");
        row("trailing blank", "1 ", "1|", ""), row("trailing blanks", "1    ", "1|", "");
        row("leading blank", " 1", "|1", "");
        // The rest is trimmed after each separator, so only a blank right after token 0 makes an empty token.
        row("trailing blank after date", "3 20240105 ", "3|20240105", "");
        row("tab is no separator", "1\t2", "1\t2", "");
        row("eleven tokens", eleven, "0|1|2|3|4|5|6|7|8|9|10", "");
        // Past the eleventh token the text is dropped: a token never holds a blank.
        row("twelve tokens", eleven + u" 11"_s, "0|1|2|3|4|5|6|7|8|9|10", "");
        row("empty text leaves array alone", QString(), "x|y", "x|y");
        row("array ends at last token", "2 x", "2|x", "a|b|c|d");
    }
    void commandLine() {
        const QString text = fetch<QString>("text");
        QStringList before = fetch<QString>("before").split(u'|', Qt::SkipEmptyParts);
        const QStringList tokens = fetch<QString>("tokens").split(u'|');
        QCOMPARE(int(fnGetCommandLine(before, text)), text.isEmpty() ? 0 : tokens.size());
        QCOMPARE(before, tokens);
    }

    // The real boxes of QtDialogs, answered by keys.
    void messageBox_data() {
        cols<MsgButtons, int, int, int, MsgIcon, int>("buttons", "defaultButton", "key", "result", "icon",
                                                      "shownIcon");
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
    void messageBox() {
        const int key = fetch<int>("key");
        const MessageRequest r{u"ＰＥＬＫＯ"_s, u"記録します"_s, fetch<MsgIcon>("icon"),
                               fetch<MsgButtons>("buttons"), fetch<int>("defaultButton")};
        QStringList seen;
        whenBoxShows([&seen, key](QMessageBox* box) {
            seen << box->windowTitle() << box->text() << QString::number(box->icon());
            QTest::keyClick(box, Qt::Key(key));
        });
        QTEST(QtDialogs().messageBox(r), "result");
        QCOMPARE(seen.mid(0, 2), (QStringList{r.title, r.text}));
        QTEST(seen.value(2).toInt(), "shownIcon");
    }

    void startProgram() {
        QTemporaryDir dir;
        QtDialogs seam;
        ProgramStart start;
        start.program = u"/bin/sh"_s;
        start.args = {u"-c"_s, u"echo \"$0\" > "_s + dir.filePath(u"ran"_s), u"20240105"_s};
        QString error = u"untouched"_s;
        QVERIFY(seam.startProgram(start, &error));
        auto ran = [&dir] {
            QFile f(dir.filePath(u"ran"_s));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QTRY_COMPARE(ran(), QByteArray("20240105\n"));
        start = ProgramStart();
        start.program = u"/nonexistent/denpyo"_s;
        QVERIFY(!seam.startProgram(start, &error));
        QCOMPARE(error, u"指定されたファイルが見つかりません。"_s);
    }
    // The six values of a row, read back. Where the cuts fall is fnCutBytes' business; here the log
    // applies them and keeps apostrophes.
    void valuesAreCutAndQuoted_data() {
        cols<QString, QString, QString, QString>("text", "detail", "loggedText", "loggedDetail");
        const QString k = u"漢"_s, caption = u"x','y',0,'2000-01-01','z'),('p','q','r"_s;
        QTest::newRow("text at 80 bytes") << k.repeated(45) << QString() << k.repeated(40) << QString();
        QTest::newRow("detail at 50 bytes")
            << u"入庫処理"_s << u"ﾃ"_s + k.repeated(30) << u"入庫処理"_s << u"ﾃ"_s + k.repeated(24);
        QTest::newRow("blanks trimmed after the cut")
            << u"  入庫処理  "_s << u"0000000012345"_s + QString(40, u' ') + u"X"_s << u"入庫処理"_s
            << u"0000000012345"_s;
        QTest::newRow("apostrophes") << u"O'Neil's 入庫"_s << u"'"_s << u"O'Neil's 入庫"_s << u"'"_s;
        QTest::newRow("would close the value") << caption << u"a'); delete from operatlog; --"_s << caption
                                               << u"a'); delete from operatlog; --"_s;
    }
    void valuesAreCutAndQuoted() {
        QFETCH(QString, text);
        QFETCH(QString, detail);
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        fnOperationLog(u"前の行"_s, 0);
        qint16 kind = 4;
        fnOperationLog(text, kind, detail);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        // The caller's variables hold what was logged.
        QTEST(text, "loggedText");
        QTEST(detail, "loggedDetail");
        const QString pc = QSysInfo::machineHostName().left(40).trimmed();
        const QString user = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name).left(40).trimmed();
        QVERIFY(!user.isEmpty());
        QStringList values = logValues();
        QCOMPARE(values.size(), 12);
        for (const int at : {10, 4}) {
            const QDateTime stamp = QDateTime::fromString(values.takeAt(at), u"yyyy-MM-dd HH:mm:ss"_s);
            QVERIFY(stamp.isValid() && stamp >= before && stamp <= after);
        }
        QCOMPARE(values, (QStringList{pc, user, u"前の行"_s, u"0"_s, {}, pc, user, text, u"4"_s, detail}));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void failedWriteIsSilent_data() {
        cols<int>("how");
        row("no table", 0), row("never opened", 1), row("opened, then closed", 2);
    }
    void failedWriteIsSilent() {
        QFETCH(int, how);
        TempProgramDir dir(how == 0);
        ScriptedDialogs dialogs;
        if (how == 0) dir.exec(u"drop table operatlog"_s);
        if (how == 2 && fnOpenDB()) gcnData->Close();
        QCOMPARE(gcnData == nullptr, how == 1);
        QString text = u"漢"_s.repeated(45), detail;
        qint16 kind = 9;
        fnOperationLog(text, kind, detail);
        // Still cut for the caller, nothing shown, and the connection still works.
        QCOMPARE(text, u"漢"_s.repeated(40));
        QVERIFY(dialogs.messages.isEmpty());
        if (how == 0) QCOMPARE(dir.count(u"select count(*) from goods"_s), 0);
    }
};

QTEST_MAIN(TestShared)
#include "tst_shared.moc"
