#include "app/basMessage.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCrLf = u"\r\n"_s;
const QString kTab = u"\t"_s;

// The catalogue's six box styles (sums of the Windows message-box flags).
enum class Style {
    A, // 68: Yes/No, information, Yes
    B, // 324: Yes/No, information, No
    C, // 48: OK, exclamation
    D, // 64: OK, information
    E, // 292: Yes/No, question, No
    F, // 547: Yes/No/Cancel, question, Cancel
};

struct Row {
    QString key;
    Style style;
    QString (*prompt)(const QString& extra);
};

QString g_currentError;

// In the order of comparison: the first equal key wins.
const Row kCatalogue[] = {
    {u"記録"_s, Style::A,
     [](const QString& extra) {
         return extra.isEmpty() ? u"記録します"_s : u"記録します"_s + kCrLf + extra;
     }},
    {u"ｷｬﾝｾﾙ"_s, Style::A, [](const QString&) { return u"入力項目を無効にします"_s; }},
    {u"削除"_s, Style::B,
     [](const QString& extra) {
         return extra.isEmpty() ? u"削除します"_s : u"削除します"_s + kCrLf + extra;
     }},
    {u"未記入"_s, Style::C, [](const QString&) { return u"未記入項目があります"_s; }},
    {u"NOUPDATE"_s, Style::C, [](const QString&) { return u"このデータは記録・削除はできません"_s; }},
    {u"処理中止"_s, Style::A, [](const QString&) { return u"処理を中止します"_s; }},
    {u"未登録"_s, Style::C, [](const QString&) { return u"未登録です"_s; }},
    {u"同商品"_s, Style::C, [](const QString&) { return u"明細に同一の商品があります"_s; }},
    {u"挿入"_s, Style::C, [](const QString&) { return u"これ以上挿入出来ません"_s; }},
    {u"行削"_s, Style::B, [](const QString&) { return u"この行を削除します"_s; }},
    {u"在庫対象外"_s, Style::C, [](const QString&) { return u"この商品は在庫対象外です"_s; }},
    {u"伝票最大"_s, Style::C, [](const QString&) { return u"これ以上の伝票を作成できません"_s; }},
    {u"顧客最大"_s, Style::C, [](const QString&) { return u"これ以上の顧客を作成できません"_s; }},
    {u"商品最大"_s, Style::C, [](const QString&) { return u"これ以上の商品を作成できません"_s; }},
    {u"ﾃﾞｰﾀなし"_s, Style::D, [](const QString&) { return u"該当データがありません"_s; }},
    {u"記録エラー"_s, Style::C,
     [](const QString& extra) {
         return u"記録に失敗しました！"_s + kCrLf + extra + kCrLf +
                u"すべて終了し、データメンテナンスから復旧をしてください"_s;
     }},
    {u"削除エラー"_s, Style::C,
     [](const QString&) {
         return u"削除に失敗しました！"_s + kCrLf +
                u"すべて終了し、データメンテナンスから復旧をしてください"_s;
     }},
    {u"明細エラー"_s, Style::C, [](const QString&) { return u"明細がありません"_s; }},
    {u"納品書"_s, Style::D, [](const QString&) { return u"納品書が印刷済みです"_s; }},
    {u"送り状"_s, Style::D, [](const QString&) { return u"送り状が印刷済みです"_s; }},
    {u"郵便振替"_s, Style::D, [](const QString&) { return u"郵便振替が印刷済みです"_s; }},
    {u"入金伝票"_s, Style::C, [](const QString&) { return u"入金処理がされています"_s; }},
    {u"返品伝票"_s, Style::C, [](const QString&) { return u"返品伝票があります"_s; }},
    {u"ReadOnly"_s, Style::C,
     [](const QString& extra) {
         return extra + u" が読み取り専用になっています"_s + kCrLf +
                u"読み取り専用を解除し、ＰＥＬＫＯを再起動して下さい"_s;
     }},
    {u"新規顧客"_s, Style::A,
     [](const QString&) { return u"該当する顧客が見つかりません。新規顧客を作成しますか？"_s; }},
    {u"起動中"_s, Style::C, [](const QString&) { return u"このアプリケーションは既に起動されています"_s; }},
    {u"棚卸"_s, Style::A,
     [](const QString&) {
         return u"既に同じ日付で棚卸伝票が存在します。記録しますか？"_s + kCrLf +
                u"記録後の在庫は変動しません"_s;
     }},
    {u"DM抽出"_s, Style::A, [](const QString&) { return u"ＤＭ抽出を行います"_s; }},
    {u"印刷物"_s, Style::C, [](const QString& extra) { return extra + u"が印刷済みです"_s; }},
    {u"NOT余白"_s, Style::C, [](const QString&) { return u"余白設定が行われていません"_s; }},
    {u"中止"_s, Style::B, [](const QString&) { return u"この商品は中止商品です。入力を行いますか？"_s; }},
    {u"入金予定方法配送方法"_s, Style::C,
     [](const QString&) { return u"入金予定方法と送り状種類の関係が矛盾しています"_s; }},
    {u"最大行"_s, Style::C, [](const QString&) { return u"最大表示行数を超えました"_s; }},
    {u"未来"_s, Style::C,
     [](const QString&) { return u"受注日が１０日以上の未来の日付では、入力出来ません"_s; }},
    {u"NOT通常商品"_s, Style::C, [](const QString&) { return u"通常商品ではありません"_s; }},
    {u"msgExeLoadErr"_s, Style::C,
     [](const QString&) { return u"プログラムの呼び出しエラーです"_s + kCrLf + fnCurrentError(); }},
    {u"ＣＳＶ出力"_s, Style::D, [](const QString&) { return u"保存しました"_s; }},
    {u"EAN"_s, Style::D, [](const QString&) { return u"ＥＡＮバーコードの設定がされていません"_s; }},
    {u"ﾌﾟﾘﾝﾀｰｴﾗｰ"_s, Style::D, [](const QString&) { return u"予期せぬプリンターエラーが発生しました"_s; }},
    {u"入力不適切"_s, Style::D, [](const QString&) { return u"入力が不適切です"_s; }},
    {u"作業中"_s, Style::E,
     [](const QString& extra) { return u"保存されていませんが、"_s + extra + u"を終了しますか？"_s; }},
    {u"作業開始"_s, Style::B, [](const QString&) { return u"作業を開始しますか？"_s; }},
    {u"ファイルエラー"_s, Style::C, [](const QString&) { return u"ファイルオープンに失敗しました！"_s; }},
    {u"ファイル書込み選択"_s, Style::F,
     [](const QString&) {
         return u"ファイルが存在します。上書きしますか？"_s + kCrLf + u"「はい」"_s + kTab + u"上書"_s +
                kCrLf + u"「いいえ」"_s + kTab + u"追加"_s + kCrLf + u"「ｷｬﾝｾﾙ」"_s + kTab + u"取消"_s;
     }},
};

void applyStyle(Style style, MessageRequest& r) {
    switch (style) {
    case Style::A:
        r.buttons = MsgButtons::YesNo, r.icon = MsgIcon::Information, r.defaultButton = MsgYes;
        break;
    case Style::B:
        r.buttons = MsgButtons::YesNo, r.icon = MsgIcon::Information, r.defaultButton = MsgNo;
        break;
    case Style::C:
        r.buttons = MsgButtons::Ok, r.icon = MsgIcon::Exclamation, r.defaultButton = MsgOk;
        break;
    case Style::D:
        r.buttons = MsgButtons::Ok, r.icon = MsgIcon::Information, r.defaultButton = MsgOk;
        break;
    case Style::E:
        r.buttons = MsgButtons::YesNo, r.icon = MsgIcon::Question, r.defaultButton = MsgNo;
        break;
    case Style::F:
        r.buttons = MsgButtons::YesNoCancel, r.icon = MsgIcon::Question, r.defaultButton = MsgCancel;
        break;
    }
}

} // namespace

int fnMessage(const QString& key, const QString& extra) {
    // Repaint the screen before the box covers it.
    if (QCoreApplication::instance()) QCoreApplication::processEvents();

    for (const Row& row : kCatalogue) {
        if (row.key != key) continue;
        MessageRequest request;
        request.title = QString::fromUtf16(kMessageTitle);
        request.text = row.prompt(extra);
        applyStyle(row.style, request);
        return dialogs().messageBox(request);
    }
    return 0;
}

int fnPlainMessage(const QString& text, MsgIcon icon) {
    MessageRequest request;
    request.title = QString::fromUtf16(kProgramName);
    request.text = text;
    request.icon = icon;
    request.buttons = MsgButtons::Ok;
    request.defaultButton = MsgOk;
    return dialogs().messageBox(request);
}

QString fnCurrentError() {
    return g_currentError;
}

void fnSetCurrentError(const QString& description) {
    g_currentError = description;
}

void fnShowDbError(const QString& text) {
    MessageRequest r;
    r.title = QString::fromUtf16(kMessageTitle);
    r.text = text;
    r.icon = MsgIcon::Critical;
    r.buttons = MsgButtons::Ok;
    r.defaultButton = MsgOk;
    dialogs().messageBox(r);
}
