#include "app/basMessage.h"
#include "support/ScriptedDialogs.h"

#include <QTimer>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)

namespace {

// Notes whether a queued event had run by the time the box was asked for.
class WatchingDialogs final : public DialogSeam {
public:
    bool* flag = nullptr;
    bool flagWhenShown = false;
    int shown = 0;
    int messageBox(const MessageRequest& r) override {
        ++shown;
        flagWhenShown = *flag;
        return r.defaultButton;
    }
    QString saveFileName(const SaveFileRequest&) override { return {}; }
    bool startProgram(const ProgramStart&, QString*) override { return false; }
};

} // namespace

class TestMessage : public QObject {
    Q_OBJECT

private slots:
    void catalogueRow_data();
    void catalogueRow();
    void answersAreReturned_data();
    void answersAreReturned();
    void unknownKeyShowsNothing_data();
    void unknownKeyShowsNothing();
    void exeLoadErrTakesTheCurrentError();
    void pendingEventsRunBeforeTheBox();
    void plainMessage();
};

void TestMessage::catalogueRow_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<int>("defaultButton");

    const auto yesNo = MsgButtons::YesNo;
    const auto ok = MsgButtons::Ok;
    const auto info = MsgIcon::Information;
    const auto excl = MsgIcon::Exclamation;
    const auto quest = MsgIcon::Question;

    QTest::newRow("記録 without extra") << u"記録"_s << QString() << u"記録します"_s << yesNo << info << 6;
    QTest::newRow("記録 with extra") << u"記録"_s << u" 商品A "_s << u"記録します\r\n 商品A "_s << yesNo
                                     << info << 6;
    QTest::newRow("ｷｬﾝｾﾙ") << u"ｷｬﾝｾﾙ"_s << QString() << u"入力項目を無効にします"_s << yesNo << info << 6;
    QTest::newRow("削除 without extra") << u"削除"_s << QString() << u"削除します"_s << yesNo << info << 7;
    QTest::newRow("削除 with extra") << u"削除"_s << u"2026/12/06"_s << u"削除します\r\n2026/12/06"_s << yesNo
                                     << info << 7;
    QTest::newRow("未記入") << u"未記入"_s << QString() << u"未記入項目があります"_s << ok << excl << 1;
    QTest::newRow("未登録") << u"未登録"_s << QString() << u"未登録です"_s << ok << excl << 1;
    QTest::newRow("未登録 ignores extra") << u"未登録"_s << u"余分"_s << u"未登録です"_s << ok << excl << 1;
    QTest::newRow("在庫対象外") << u"在庫対象外"_s << QString() << u"この商品は在庫対象外です"_s << ok << excl
                                << 1;
    QTest::newRow("ﾃﾞｰﾀなし") << u"ﾃﾞｰﾀなし"_s << QString() << u"該当データがありません"_s << ok << info << 1;
    QTest::newRow("中止") << u"中止"_s << QString() << u"この商品は中止商品です。入力を行いますか？"_s
                          << yesNo << info << 7;
    QTest::newRow("最大行") << u"最大行"_s << QString() << u"最大表示行数を超えました"_s << ok << excl << 1;
    QTest::newRow("記録エラー") << u"記録エラー"_s << u"database is locked"_s
                                << u"記録に失敗しました！\r\ndatabase is locked\r\n"
                                   u"すべて終了し、データメンテナンスから復旧をしてください"_s
                                << ok << excl << 1;
    QTest::newRow("削除エラー ignores extra")
        << u"削除エラー"_s << u"x"_s
        << u"削除に失敗しました！\r\nすべて終了し、データメンテナンスから復旧をしてください"_s << ok << excl
        << 1;
    QTest::newRow("ReadOnly") << u"ReadOnly"_s << u"data1.dat"_s
                              << u"data1.dat が読み取り専用になっています\r\n"
                                 u"読み取り専用を解除し、ＰＥＬＫＯを再起動して下さい"_s
                              << ok << excl << 1;
    QTest::newRow("印刷物") << u"印刷物"_s << u"請求書"_s << u"請求書が印刷済みです"_s << ok << excl << 1;
    QTest::newRow("作業中") << u"作業中"_s << u"入庫処理"_s
                            << u"保存されていませんが、入庫処理を終了しますか？"_s << yesNo << quest << 7;
    QTest::newRow("棚卸")
        << u"棚卸"_s << QString()
        << u"既に同じ日付で棚卸伝票が存在します。記録しますか？\r\n記録後の在庫は変動しません"_s << yesNo
        << info << 6;
    QTest::newRow("ＣＳＶ出力") << u"ＣＳＶ出力"_s << QString() << u"保存しました"_s << ok << info << 1;
    QTest::newRow("作業開始") << u"作業開始"_s << QString() << u"作業を開始しますか？"_s << yesNo << info
                              << 7;
    QTest::newRow("ファイル書込み選択")
        << u"ファイル書込み選択"_s << QString()
        << u"ファイルが存在します。上書きしますか？\r\n「はい」\t上書\r\n「いいえ」\t追加\r\n「ｷｬﾝｾﾙ」\t取消"_s
        << MsgButtons::YesNoCancel << quest << 2;
}

void TestMessage::catalogueRow() {
    QFETCH(QString, key);
    QFETCH(QString, extra);
    QFETCH(QString, prompt);
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgIcon, icon);
    QFETCH(int, defaultButton);

    ScriptedDialogs dialogs;
    const int result = fnMessage(key, extra);
    QCOMPARE(dialogs.messages.size(), 1);
    const MessageRequest& shown = dialogs.lastMessage();
    QCOMPARE(shown.title, u"ＰＥＬＫＯ"_s);
    QCOMPARE(shown.text, prompt);
    QCOMPARE(shown.buttons, buttons);
    QCOMPARE(shown.icon, icon);
    QCOMPARE(shown.defaultButton, defaultButton);
    QCOMPARE(result, defaultButton); // unscripted: the default button answers
}

void TestMessage::answersAreReturned_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("answer");
    QTest::newRow("記録 yes") << u"記録"_s << 6;
    QTest::newRow("記録 no") << u"記録"_s << 7;
    QTest::newRow("ファイル書込み選択 no") << u"ファイル書込み選択"_s << 7;
    QTest::newRow("ファイル書込み選択 cancel") << u"ファイル書込み選択"_s << 2;
}

void TestMessage::answersAreReturned() {
    QFETCH(QString, key);
    QFETCH(int, answer);
    ScriptedDialogs dialogs;
    dialogs.answerMessage(answer);
    QCOMPARE(fnMessage(key), answer);
}

void TestMessage::unknownKeyShowsNothing_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("full-width twin of ﾃﾞｰﾀなし") << u"データなし"_s;
    QTest::newRow("other case") << u"readonly"_s;
    QTest::newRow("trailing blank") << u"記録 "_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("not in the catalogue") << u"保存"_s;
}

void TestMessage::unknownKeyShowsNothing() {
    QFETCH(QString, key);
    ScriptedDialogs dialogs;
    dialogs.answerMessage(6);
    QCOMPARE(fnMessage(key, u"extra"_s), 0);
    QVERIFY(dialogs.messages.isEmpty());
}

void TestMessage::exeLoadErrTakesTheCurrentError() {
    ScriptedDialogs dialogs;
    fnSetCurrentError(u"ファイルが見つかりません。"_s);
    fnMessage(u"msgExeLoadErr"_s, u"not used"_s);
    fnSetCurrentError(QString());
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastMessage().text, u"プログラムの呼び出しエラーです\r\nファイルが見つかりません。"_s);
    QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::Ok);
    QCOMPARE(dialogs.lastMessage().icon, MsgIcon::Exclamation);
}

void TestMessage::pendingEventsRunBeforeTheBox() {
    bool ran = false;
    WatchingDialogs watching;
    watching.flag = &ran;
    setDialogs(&watching);
    QTimer::singleShot(0, [&ran] { ran = true; });
    fnMessage(u"未登録"_s);
    setDialogs(nullptr);
    QCOMPARE(watching.shown, 1);
    QVERIFY(watching.flagWhenShown);
}

void TestMessage::plainMessage() {
    ScriptedDialogs dialogs;
    QCOMPARE(fnPlainMessage(u"数量を入力してください"_s), 1);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastMessage().title, u"zanmo"_s);
    QCOMPARE(dialogs.lastMessage().text, u"数量を入力してください"_s);
    QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::Ok);
    QCOMPARE(dialogs.lastMessage().icon, MsgIcon::Exclamation);

    fnPlainMessage(u"x"_s, MsgIcon::Information);
    QCOMPARE(dialogs.lastMessage().icon, MsgIcon::Information);
}

QTEST_MAIN(TestMessage)
#include "tst_message.moc"
