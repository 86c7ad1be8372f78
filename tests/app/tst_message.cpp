#include "app/basMessage.h"
#include "support/ScriptedDialogs.h"

#include <QTimer>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)

namespace {

// Notes whether a queued event had run by the time the box was asked for.
struct WatchingDialogs final : DialogSeam {
    bool ran = false, ranWhenShown = false;
    int messageBox(const MessageRequest& r) override {
        ranWhenShown = ran;
        return r.defaultButton;
    }
    QString saveFileName(const SaveFileRequest&) override { return {}; }
    bool startProgram(const ProgramStart&, QString*) override { return false; }
};

void row(const char* name, const QString& key, const QString& extra, const QString& prompt,
         MsgButtons buttons, MsgIcon icon, int defaultButton) {
    QTest::newRow(name) << key << extra << prompt << buttons << icon << defaultButton;
}

} // namespace

class TestMessage : public QObject {
    Q_OBJECT

private slots:
    void catalogueRow_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<MsgIcon>("icon");
        QTest::addColumn<int>("defaultButton");
        const auto yn = MsgButtons::YesNo, ok = MsgButtons::Ok;
        const auto info = MsgIcon::Information, excl = MsgIcon::Exclamation, quest = MsgIcon::Question;
        const QString recover = u"すべて終了し、データメンテナンスから復旧をしてください"_s;

        row("記録", u"記録"_s, {}, u"記録します"_s, yn, info, 6);
        row("記録 with extra", u"記録"_s, u" 商品A "_s, u"記録します\r\n 商品A "_s, yn, info, 6);
        row("ｷｬﾝｾﾙ", u"ｷｬﾝｾﾙ"_s, {}, u"入力項目を無効にします"_s, yn, info, 6);
        row("削除", u"削除"_s, {}, u"削除します"_s, yn, info, 7);
        row("削除 with extra", u"削除"_s, u"2026/12/06"_s, u"削除します\r\n2026/12/06"_s, yn, info, 7);
        row("未記入", u"未記入"_s, {}, u"未記入項目があります"_s, ok, excl, 1);
        row("未登録 ignores extra", u"未登録"_s, u"余分"_s, u"未登録です"_s, ok, excl, 1);
        row("在庫対象外", u"在庫対象外"_s, {}, u"この商品は在庫対象外です"_s, ok, excl, 1);
        row("ﾃﾞｰﾀなし", u"ﾃﾞｰﾀなし"_s, {}, u"該当データがありません"_s, ok, info, 1);
        row("中止", u"中止"_s, {}, u"この商品は中止商品です。入力を行いますか？"_s, yn, info, 7);
        row("最大行", u"最大行"_s, {}, u"最大表示行数を超えました"_s, ok, excl, 1);
        row("記録エラー", u"記録エラー"_s, u"database is locked"_s,
            u"記録に失敗しました！\r\ndatabase is locked\r\n"_s + recover, ok, excl, 1);
        row("削除エラー ignores extra", u"削除エラー"_s, u"x"_s, u"削除に失敗しました！\r\n"_s + recover, ok,
            excl, 1);
        row("ReadOnly", u"ReadOnly"_s, u"data1.dat"_s,
            u"data1.dat が読み取り専用になっています\r\n読み取り専用を解除し、ＰＥＬＫＯを再起動して下さい"_s,
            ok, excl, 1);
        row("印刷物", u"印刷物"_s, u"請求書"_s, u"請求書が印刷済みです"_s, ok, excl, 1);
        row("作業中", u"作業中"_s, u"入庫処理"_s, u"保存されていませんが、入庫処理を終了しますか？"_s, yn,
            quest, 7);
        row("ファイル書込み選択", u"ファイル書込み選択"_s, {},
            u"ファイルが存在します。上書きしますか？\r\n「はい」\t上書\r\n「いいえ」\t追加\r\n「ｷｬﾝｾﾙ」\t取消"_s,
            MsgButtons::YesNoCancel, quest, 2);
        // The second line is the error noted last, not the extra text.
        row("msgExeLoadErr", u"msgExeLoadErr"_s, u"not used"_s,
            u"プログラムの呼び出しエラーです\r\nファイルが見つかりません。"_s, ok, excl, 1);
    }

    void catalogueRow() {
        QFETCH(QString, key);
        QFETCH(QString, extra);
        QFETCH(int, defaultButton);
        ScriptedDialogs dialogs;
        fnSetCurrentError(u"ファイルが見つかりません。"_s);
        const int result = fnMessage(key, extra);
        fnSetCurrentError(QString());
        QCOMPARE(dialogs.messages.size(), 1);
        const MessageRequest& shown = dialogs.lastMessage();
        QCOMPARE(shown.title, u"ＰＥＬＫＯ"_s);
        QTEST(shown.text, "prompt");
        QTEST(shown.buttons, "buttons");
        QTEST(shown.icon, "icon");
        QCOMPARE(shown.defaultButton, defaultButton);
        QCOMPARE(result, defaultButton); // unscripted: the default button answers
    }

    void unknownKeyShowsNothing_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("full-width twin of ﾃﾞｰﾀなし") << u"データなし"_s;
        QTest::newRow("other case") << u"readonly"_s;
        QTest::newRow("trailing blank") << u"記録 "_s;
        QTest::newRow("empty") << QString();
        QTest::newRow("not in the catalogue") << u"保存"_s;
    }

    void unknownKeyShowsNothing() {
        QFETCH(QString, key);
        ScriptedDialogs dialogs;
        dialogs.answerMessage(6);
        QCOMPARE(fnMessage(key, u"extra"_s), 0);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void answersAreReturned() {
        ScriptedDialogs dialogs;
        for (const int answer : {6, 7, 2}) {
            dialogs.answerMessage(answer);
            QCOMPARE(fnMessage(answer == 2 ? u"ファイル書込み選択"_s : u"記録"_s), answer);
        }
    }

    void pendingEventsRunBeforeTheBox() {
        WatchingDialogs watching;
        setDialogs(&watching);
        QTimer::singleShot(0, [&watching] { watching.ran = true; });
        fnMessage(u"未登録"_s);
        setDialogs(nullptr);
        QVERIFY(watching.ranWhenShown);
    }
};

QTEST_MAIN(TestMessage)
#include "tst_message.moc"
