#include "DemoData.h"

#include "data/Connection.h"
#include "data/ConnectionShared.h"
#include "data/DbError.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace DemoData {

namespace {

// name|reading|unit|price|variants; a variant is name:reading[:price], readings in katakana.
const char* const kBases[] = {
    "1|ボールペン|ボールペン|本|120|黒:クロ,赤:アカ,青:アオ,緑:ミドリ,3色:3ショク:380",
    "1|油性マーカー|ユセイマーカー|本|150|黒:クロ,赤:アカ,青:アオ",
    "1|鉛筆|エンピツ|ダース|600|HB:HB,B:B,2B:2B",
    "1|シャープペンシル|シャープペンシル|本|300|0.3mm:0.3mm,0.5mm:0.5mm",
    "1|シャープ替芯|シャープカエシン|個|120|0.3mm:0.3mm,0.5mm:0.5mm",
    "1|消しゴム|ケシゴム|個|80|小:ショウ,大:ダイ",
    "1|ノート A4|ノート A4|冊|180|横罫:ヨコケイ,方眼:ホウガン,無地:ムジ",
    "1|付箋|フセン|冊|250|黄:キ,ピンク:ピンク,水色:ミズイロ",
    "1|蛍光ペン|ケイコウペン|本|110|黄:キ,ピンク:ピンク,緑:ミドリ",
    "1|修正テープ|シュウセイテープ|個|280|",
    "1|定規 30cm|ジョウギ 30cm|本|200|",
    "2|クリップ|クリップ|箱|200|小:ショウ,大:ダイ:260",
    "2|ホッチキス|ホッチキス|台|900|",
    "2|ホッチキス針|ホッチキスハリ|箱|150|No.10:No.10,No.3:No.3:180",
    "2|クリアファイル A4|クリアファイル A4|枚|30|透明:トウメイ,青:アオ,赤:アカ,緑:ミドリ",
    "2|フラットファイル|フラットファイル|冊|100|青:アオ,黄:キ,緑:ミドリ",
    "2|封筒 長形3号|フウトウ ナガガタ3ゴウ|箱|800|白:シロ,茶:チャ:650",
    "2|輪ゴム|ワゴム|袋|300|",
    "2|朱肉|シュニク|個|700|",
    "2|はさみ|ハサミ|本|450|",
    "2|テープのり|テープノリ|個|350|本体:ホンタイ,詰替:ツメカエ:250",
    "2|電卓|デンタク|台|1800|",
    "2|ファイルボックス|ファイルボックス|個|500|A4:A4,B4:B4:650",
    "3|コピー用紙|コピーヨウシ|箱|3200|A4:A4,A3:A3:5200,B5:B5:3000",
    "3|トナーカートリッジ|トナーカートリッジ|本|9800|黒:クロ,シアン:シアン,マゼンタ:マゼンタ,イエロー:"
    "イエロー",
    "3|インクカートリッジ|インクカートリッジ|個|1200|黒:クロ,カラー:カラー:1800",
    "3|USBメモリ|USBメモリ|個|1500|32GB:32GB,64GB:64GB:2200",
    "3|マウス|マウス|台|1800|有線:ユウセン,無線:ムセン:2600",
    "3|キーボード|キーボード|台|2800|",
    "3|LANケーブル|LANケーブル|本|600|1m:1m,3m:3m:800,5m:5m:1000",
    "3|ラベル用紙 A4|ラベルヨウシ A4|冊|1500|12面:12メン,24面:24メン",
    "3|HDMIケーブル|HDMIケーブル|本|900|1m:1m,2m:2m:1200",
    "4|緑茶|リョクチャ|本|130|500ml:500ml,2L:2L:280",
    "4|ミネラルウォーター|ミネラルウォーター|本|100|500ml:500ml,2L:2L:200",
    "4|缶コーヒー|カンコーヒー|本|120|ブラック:ブラック,微糖:ビトウ,カフェオレ:カフェオレ",
    "4|紅茶ティーバッグ|コウチャティーバッグ|箱|450|",
    "4|インスタントコーヒー|インスタントコーヒー|瓶|780|",
    "4|スポーツドリンク|スポーツドリンク|本|150|500ml:500ml,2L:2L:320",
    "4|麦茶|ムギチャ|本|110|600ml:600ml,2L:2L:230",
    "4|オレンジジュース|オレンジジュース|本|140|1L:1L",
    "4|炭酸水|タンサンスイ|本|100|500ml:500ml",
    "4|野菜ジュース|ヤサイジュース|本|120|200ml:200ml",
    "4|ほうじ茶|ホウジチャ|本|130|500ml:500ml",
    "5|カップ麺|カップメン|個|180|しょうゆ:ショウユ,みそ:ミソ,しお:シオ",
    "5|レトルトカレー|レトルトカレー|個|250|甘口:アマクチ,中辛:チュウカラ,辛口:カラクチ",
    "5|米|コメ|袋|2400|5kg:5kg,10kg:10kg:4600",
    "5|のり|ノリ|袋|500|",
    "5|クッキー|クッキー|箱|400|",
    "5|せんべい|センベイ|袋|300|しょうゆ:ショウユ,塩:シオ",
    "5|チョコレート|チョコレート|箱|200|ミルク:ミルク,ビター:ビター",
    "5|砂糖|サトウ|袋|250|1kg:1kg",
    "5|塩|シオ|袋|150|1kg:1kg",
    "5|缶詰 ツナ|カンヅメ ツナ|缶|160|",
    "5|インスタント味噌汁|インスタントミソシル|袋|300|",
    "5|ドリップコーヒー|ドリップコーヒー|箱|650|",
    "6|ティッシュペーパー 5箱|ティッシュペーパー 5ハコ|パック|380|",
    "6|トイレットペーパー 12ロール|トイレットペーパー 12ロール|パック|480|シングル:シングル,ダブル:ダブル",
    "6|紙コップ|カミコップ|パック|300|205ml:205ml,275ml:275ml:360",
    "6|割り箸 100膳|ワリバシ 100ゼン|袋|350|",
    "6|ゴミ袋 45L|ゴミブクロ 45L|袋|400|透明:トウメイ,半透明:ハントウメイ,黒:クロ",
    "6|ハンドソープ|ハンドソープ|本|380|本体:ホンタイ,詰替:ツメカエ:280",
    "6|歯ブラシ|ハブラシ|本|150|",
    "6|軍手|グンテ|双|80|",
    "6|マスク 50枚|マスク 50マイ|箱|600|",
    "6|ウェットティッシュ|ウェットティッシュ|個|250|",
    "6|ペーパータオル|ペーパータオル|パック|400|",
    "6|消毒用アルコール|ショウドクヨウアルコール|本|700|",
    "7|台所用洗剤|ダイドコロヨウセンザイ|本|250|本体:ホンタイ,詰替:ツメカエ:200",
    "7|洗濯洗剤|センタクセンザイ|箱|600|",
    "7|スポンジ|スポンジ|袋|80|3個入:3コイリ,5個入:5コイリ:120",
    "7|ほうき|ホウキ|本|1200|",
    "7|ちりとり|チリトリ|個|700|",
    "7|モップ|モップ|本|1800|",
    "7|モップ替え糸|モップカエイト|個|900|",
    "7|ゴム手袋|ゴムテブクロ|双|250|S:S,M:M,L:L",
    "7|漂白剤|ヒョウハクザイ|本|300|",
    "7|雑巾|ゾウキン|枚|120|",
    "7|ガラスクリーナー|ガラスクリーナー|本|450|",
    "7|トイレ用洗剤|トイレヨウセンザイ|本|280|",
    "7|バケツ|バケツ|個|900|",
    "8|アルカリ乾電池|アルカリカンデンチ|パック|400|単1:タン1:600,単2:タン2:500,単3:タン3,単4:タン4",
    "8|マンガン乾電池|マンガンカンデンチ|パック|250|単3:タン3,単4:タン4",
    "8|ボタン電池 CR2032|ボタンデンチ CR2032|個|300|",
    "8|LED電球|LEDデンキュウ|個|800|40W形:40Wガタ,60W形:60Wガタ:1000,100W形:100Wガタ:1600",
    "8|蛍光灯|ケイコウトウ|本|900|20形:20ガタ,40形:40ガタ:1200",
    "8|延長コード|エンチョウコード|本|1000|1m:1m,3m:3m:1200,5m:5m:1500",
    "8|電源タップ|デンゲンタップ|個|1200|4個口:4コクチ,6個口:6コクチ:1600",
    "8|懐中電灯|カイチュウデントウ|個|1500|",
    "9|段ボール箱|ダンボールバコ|枚|150|60サイズ:60サイズ,80サイズ:80サイズ:180,100サイズ:100サイズ:220,"
    "120サイズ:120サイズ:280",
    "9|緩衝材|カンショウザイ|巻|1500|",
    "9|OPPテープ|OPPテープ|巻|200|",
    "9|クラフトテープ|クラフトテープ|巻|180|",
    "9|紙袋|カミブクロ|束|900|小:ショウ,中:チュウ:1100,大:ダイ:1400",
    "9|ストレッチフィルム|ストレッチフィルム|巻|1600|",
    "9|荷札|ニフダ|束|400|",
    "9|結束バンド|ケッソクバンド|袋|350|",
    "9|エアキャップ袋|エアキャップブクロ|束|800|A4:A4,B5:B5:700",
    "9|ポリ袋|ポリブクロ|袋|250|小:ショウ,中:チュウ:300,大:ダイ:400",
    "10|ドライバー|ドライバー|本|500|プラス:プラス,マイナス:マイナス",
    "10|ペンチ|ペンチ|本|1200|",
    "10|カッターナイフ|カッターナイフ|本|400|",
    "10|カッター替刃|カッターカエバ|個|300|",
    "10|メジャー 5.5m|メジャー 5.5m|個|1500|",
    "10|六角レンチセット|ロッカクレンチセット|セット|1300|",
    "10|電動ドリル|デンドウドリル|台|8800|",
    "10|結束用針金|ケッソクヨウハリガネ|巻|600|",
    "10|作業用手袋|サギョウヨウテブクロ|双|350|M:M,L:L",
    "10|ハンマー|ハンマー|本|1800|",
    "10|脚立|キャタツ|台|6800|3段:3ダン,4段:4ダン:8200",
    "10|ビス|ビス|箱|450|3x10:3x10,4x20:4x20:550",
    "10|電工ナイフ|デンコウナイフ|本|1400|",
};

// Charges and discounts the voucher program puts on invoices: not goods in stock.
struct Charge {
    const char* code;
    const char* name;
    const char* kana;
    int gkubun;
    int price;
};
const Charge kCharges[] = {
    {"90001", "送料", "ソウリョウ", 1, 800},
    {"90002", "代引手数料", "ダイビキテスウリョウ", 2, 330},
    {"90003", "振込手数料", "フリコミテスウリョウ", 2, 440},
    {"90009", "値引き", "ネビキ", 3, 0},
};

constexpr int kOtherCategory = 99;

} // namespace

int dayNumber(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

QList<Category> categories() {
    return {{1, QStringLiteral("文具")},
            {2, QStringLiteral("事務用品")},
            {3, QStringLiteral("ＯＡ用品")},
            {4, QStringLiteral("飲料")},
            {5, QStringLiteral("食品")},
            {6, QStringLiteral("日用品")},
            {7, QStringLiteral("清掃用品")},
            {8, QStringLiteral("電池・電球")},
            {9, QStringLiteral("包装資材")},
            {10, QStringLiteral("工具")},
            {kOtherCategory, QStringLiteral("その他")}};
}

QList<Product> catalogue() {
    QList<Product> out;
    for (const char* line : kBases) {
        const QStringList f = QString::fromUtf8(line).split(u'|');
        const int category = f[0].toInt();
        const int price = f[4].toInt();
        if (f[5].isEmpty()) {
            out.append({category, f[1], f[2], f[3], price});
            continue;
        }
        for (const QString& v : f[5].split(u',')) {
            const QStringList p = v.split(u':');
            out.append({category, f[1] + u' ' + p[0], f[2] + u' ' + p.value(1, p[0]), f[3],
                        p.size() > 2 ? p[2].toInt() : price});
        }
    }
    return out;
}

QString padCode(const QString& code) {
    return (QString(12, u' ') + code.trimmed()).right(12);
}

QString toHalfWidthKana(const QString& text) {
    static const QString full =
        QStringLiteral("アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨ"
                       "ラリルレロワヲンァィゥェォッャュョー・　");
    static const QString half = QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖ"
                                               "ﾗﾘﾙﾚﾛﾜｦﾝｧｨｩｪｫｯｬｭｮｰ･ ");
    static const QString voiced = QStringLiteral("ガギグゲゴザジズゼゾダヂヅデドバビブベボ");
    static const QString voicedBase = QStringLiteral("ｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ");
    static const QString semi = QStringLiteral("パピプペポ");
    static const QString semiBase = QStringLiteral("ﾊﾋﾌﾍﾎ");
    QString out;
    for (QChar c : text) {
        if (int i = full.indexOf(c); i >= 0)
            out += half[i];
        else if (int v = voiced.indexOf(c); v >= 0)
            out += QString(voicedBase[v]) + QStringLiteral("ﾞ");
        else if (int s = semi.indexOf(c); s >= 0)
            out += QString(semiBase[s]) + QStringLiteral("ﾟ");
        else if (c == u'ヴ')
            out += QStringLiteral("ｳﾞ");
        else
            out += c;
    }
    return out;
}

QString searchForm(const QString& text) {
    return QString(text).remove(u'-');
}

namespace {
void run(QSqlQuery& q) {
    if (!q.exec()) throw DbError(fnProviderErrorText(q.lastError()));
}
void prepare(QSqlQuery& q, const QString& sql) {
    if (!q.prepare(sql)) throw DbError(fnProviderErrorText(q.lastError()));
}
} // namespace

QString categoryInsertSql() {
    return QStringLiteral("insert into bunrui (kubun, code, name, jun) values (?, ?, ?, ?)");
}

QString goodsInsertSql() {
    return QStringLiteral(
        "insert into goods (code, name, kana, sname, skana, unit, tanka1, tanka2, tanka3, bunrui, "
        "gkubun, tkubun, zkubun, stop, stanka, kakuho) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?)");
}

QString ledgerInsertSql() {
    return QStringLiteral("insert into gdai (gcode, day, kubun, denno, line, suu) values (?, ?, ?, ?, ?, ?)");
}

void insertCategory(QSqlQuery& q, int kubun, int code, const QString& name, int jun) {
    q.bindValue(0, kubun);
    q.bindValue(1, code);
    q.bindValue(2, name);
    q.bindValue(3, jun);
    run(q);
}

void insertGoods(QSqlQuery& q, const QString& code, const QString& name, const QString& kana,
                 const QString& unit, double tanka1, double tanka2, double tanka3, int bunrui, int gkubun,
                 int tkubun, int zkubun, int stop, double stanka, int kakuho) {
    const QVariant values[] = {
        padCode(code), name,   kana,   searchForm(name), searchForm(kana), unit, tanka1, tanka2,
        tanka3,        bunrui, gkubun, tkubun,           zkubun,           stop, stanka, kakuho};
    for (int i = 0; i < 16; ++i)
        q.bindValue(i, values[i]);
    run(q);
}

void insertLedger(QSqlQuery& q, const QString& gcode, int day, int kubun, int denno, int line, double suu) {
    q.bindValue(0, gcode);
    q.bindValue(1, day);
    q.bindValue(2, kubun);
    q.bindValue(3, denno);
    q.bindValue(4, line);
    q.bindValue(5, suu);
    run(q);
}

namespace {

struct StockGoods {
    QString code;   // padded
    int popularity; // relative chance of being on a voucher
    int reorderPoint;
    int orderQty;
    int stock = 0;
    int arrivalDay = -1; // index of the day an order arrives, -1 none pending
    bool discontinued = false;
};

int roundTo(int value, int step) {
    return (value + step / 2) / step * step;
}

} // namespace

void write(Connection& cn, quint32 seed, const QDate& today) {
    Rng rng(seed);
    QSqlDatabase db = cn.database();
    const bool own = !cn.inTransaction(); // the server's tables are made in the same one
    if (own) cn.BeginTrans();
    try {
        QSqlQuery cat(db), goods(db), ledger(db);
        prepare(cat, categoryInsertSql());
        prepare(goods, goodsInsertSql());
        prepare(ledger, ledgerInsertSql());

        for (const Category& c : categories())
            insertCategory(cat, 4, c.code, c.name, c.code);
        // Other lists of the suite share the table; this program reads kind 4 only.
        const char* const regions[] = {"北海道", "東北", "関東", "中部", "近畿", "中国", "四国", "九州"};
        for (int i = 0; i < 8; ++i)
            insertCategory(cat, 1, i + 1, QString::fromUtf8(regions[i]), 9 - i);

        QList<StockGoods> stocked;
        QHash<int, int> perCategory;
        for (const Product& p : catalogue()) {
            const int n = ++perCategory[p.category];
            const QString code = QString::number(p.category * 1000 + n);
            const int zkubun = rng.chance(4) ? 1 : 0;
            const int stop = rng.chance(5) ? 1 : 0;
            const int tkubun = (p.category == 4 || p.category == 5) ? 1 : 0;
            const int kakuho = rng.chance(30) ? rng.between(1, 6) * 5 : 0;
            const double stanka = std::max(1, roundTo(p.price * rng.between(55, 70) / 100, 1));
            insertGoods(goods, code, p.name, toHalfWidthKana(p.kana), p.unit, p.price,
                        roundTo(p.price * 95 / 100, 1), roundTo(p.price * 90 / 100, 1), p.category, 0, tkubun,
                        zkubun, stop, stanka, kakuho);
            if (zkubun != 0) continue;
            StockGoods g;
            g.code = padCode(code);
            g.popularity = rng.chance(20) ? rng.between(6, 10) : rng.between(1, 4);
            g.reorderPoint = std::max(kakuho + 5, rng.between(2, 6) * 5);
            g.orderQty = rng.between(3, 20) * 10;
            g.discontinued = stop != 0;
            stocked.append(g);
        }
        for (const Charge& c : kCharges)
            insertGoods(goods, QString::fromLatin1(c.code), QString::fromUtf8(c.name),
                        toHalfWidthKana(QString::fromUtf8(c.kana)), QStringLiteral("式"), c.price, c.price,
                        c.price, kOtherCategory, c.gkubun, c.gkubun == 3 ? 0 : 1, 1, 0, 0, 0);

        // A year of movements, day by day, so counts reflect the stock the movements leave.
        const QDate start = today.addDays(-365);
        const int days = static_cast<int>(start.daysTo(today));
        for (StockGoods& g : stocked) {
            g.stock = rng.between(6, 30) * 5;
            insertLedger(ledger, g.code, dayNumber(start), 9, 0, 0, g.stock);
        }
        int totalWeight = 0;
        for (const StockGoods& g : stocked)
            totalWeight += g.popularity;
        auto pick = [&]() -> StockGoods& {
            int r = rng.below(totalWeight);
            for (StockGoods& g : stocked) {
                if (r < g.popularity) return g;
                r -= g.popularity;
            }
            return stocked.last();
        };

        int voucher = 10000;
        for (int i = 1; i <= days; ++i) {
            const QDate date = start.addDays(i);
            const int day = dayNumber(date);
            const bool late = i > days / 2;
            // Receipts of what was ordered: one row per goods and day.
            for (StockGoods& g : stocked) {
                if (g.arrivalDay == i) {
                    insertLedger(ledger, g.code, day, 0, 0, 0, g.orderQty);
                    g.stock += g.orderQty;
                    g.arrivalDay = -1;
                }
            }
            // Vouchers of the voucher program: shipments, now and then a return.
            if (date.dayOfWeek() != Qt::Sunday) {
                const int vouchers = date.dayOfWeek() == Qt::Saturday ? rng.between(1, 3) : rng.between(4, 9);
                for (int v = 0; v < vouchers; ++v) {
                    const bool isReturn = rng.chance(3);
                    const int lines = isReturn ? 1 : rng.between(1, 4);
                    ++voucher;
                    QSet<QString> used;
                    int line = 0;
                    for (int l = 0; l < lines; ++l) {
                        StockGoods& g = pick();
                        if (used.contains(g.code) || (g.discontinued && late)) continue;
                        used.insert(g.code);
                        const int qty = isReturn ? rng.between(1, 3) : rng.between(1, 4 + g.popularity);
                        insertLedger(ledger, g.code, day, isReturn ? 2 : 1, voucher, ++line, qty);
                        g.stock += isReturn ? qty : -qty;
                    }
                }
            }
            // Orders go out when the stock runs low; discontinued goods are no longer ordered.
            for (StockGoods& g : stocked) {
                if (g.arrivalDay < 0 && g.stock <= g.reorderPoint && !g.discontinued && i + 2 <= days)
                    g.arrivalDay = i + rng.between(2, 6);
            }
            // Stock counts at the end of each quarter, for most goods, with the odd discrepancy.
            if (date.month() % 3 == 0 && date.day() == date.daysInMonth()) {
                for (StockGoods& g : stocked) {
                    if (!rng.chance(80)) continue;
                    const int counted = std::max(0, g.stock + (rng.chance(25) ? rng.between(-3, 2) : 0));
                    insertLedger(ledger, g.code, day, 9, 0, 0, counted);
                    g.stock = counted;
                }
            }
        }
        if (own) cn.CommitTrans();
    } catch (...) {
        if (own) cn.RollbackTrans();
        throw;
    }
}

} // namespace DemoData
