// The goods lookup's list beside its own statement run straight on the database: the same rows in
// the same order, the same cut at maxline and the same messages, whichever way the list is filled.
#include "PopupDriver.h"
#include "core/basPadding.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "popups/frmPopupGoods.h"
#include "ui/basTextNormalize.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Search {
    int bunrui = 0;    // Gbun, 0 none
    QString kana;      // typed into the kana field
    bool stop = false; // discontinued goods too
    int maxline = 1000;
    QString name;    // set: the ranked name search with this name instead
    QString message; // the one message expected, if any
};

// The statement of 検索 as the lookup builds it, for a stock-managed search from the lowest code.
QString conditionSql(const Search& s) {
    QString sql = u"SELECT goods.code AS code,goods.kana AS kana,goods.name AS gname,"
                  u" goods.unit AS unit,goods.stop AS stop,goods.bunrui AS bcode,"
                  u" goods.gkubun AS gkubun,goods.zkubun AS zkubun,goods.tkubun AS tkubun,"
                  u" goods.tanka1 AS tanka1,goods.tanka2 AS tanka2,goods.tanka3 AS tanka3"
                  u" FROM goods WHERE goods.code >= '           0' and goods.zkubun=0"_s;
    if (s.bunrui) sql += u" and bunrui="_s + QString::number(s.bunrui);
    if (!s.stop) sql += u" and goods.stop=0"_s;
    if (!s.kana.isEmpty())
        sql += u" and goods.skana LIKE '%"_s + fnSqlLike(QString(s.kana).remove(u'-').trimmed()) + u"%'"_s;
    return sql + u" order by goods.code"_s;
}

// The ranked name search's statement for the words of a name.
QString rankedSql(QString name) {
    QStringList words, pieces;
    fnSplitName(name, words);
    for (const QString& w : words.mid(0, 10))
        pieces << u" select name from goods where name like'%"_s + fnSqlLike(w) + u"%'"_s;
    return u"select goods.code AS code,goods.kana AS kana,na AS gname,"
           u" goods.unit AS unit,goods.stop AS stop,goods.bunrui AS bcode,"
           u" goods.gkubun AS gkubun,goods.zkubun AS zkubun,goods.tkubun AS tkubun,"
           u" goods.tanka1 AS tanka1,goods.tanka2 AS tanka2,goods.tanka3 AS tanka3,ct"
           u" from (select name as na,count(*) as ct from ("_s +
           pieces.join(u" union all"_s) +
           u") group by name) dummy,goods where goods.name=dummy.na order by ct desc"_s;
}

} // namespace
Q_DECLARE_METATYPE(Search)

class TestLookupResults : public QObject {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;

private slots:
    void initTestCase() {
        m_dir = std::make_unique<TempProgramDir>();
        categories(*m_dir); // 1, 3, 7; goods also name 0 and the unknown 9
        // 300 goods: digits and letters of both cases in the codes, five kinds of name, some
        // discontinued, some not stock-managed.
        m_dir->exec(uR"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300),
p(k, name, kana) AS (VALUES (0, 'りんごジュース', 'ﾘﾝｺﾞｼﾞｭ-ｽ'), (1, 'みかんジュース', 'ﾐｶﾝｼﾞｭｰｽ'),
                            (2, 'オレンジ', 'ｵﾚﾝｼﾞ'), (3, 'ボールペン 黒', 'ﾎﾞｰﾙﾍﾟﾝ ｸﾛ'),
                            (4, '特価りんごジュース', 'ﾄｯｶﾘﾝｺﾞｼﾞｭｰｽ')),
r AS (SELECT i, '            ' || CASE i % 7 WHEN 0 THEN 'A' || i WHEN 1 THEN 'a' || i ELSE '' || i END AS raw,
             p.name || ' ' || i AS name, p.kana || ' ' || i AS kana FROM n JOIN p ON p.k = i % 5),
g AS (SELECT i, substr(raw, length(raw) - 11) AS code, name, kana FROM r)
INSERT INTO goods (code, name, kana, sname, skana, unit, tanka1, tanka2, tanka3, bunrui, gkubun, tkubun,
                   zkubun, stop, stanka, kakuho)
SELECT code, name, kana, replace(name, '-', ''), replace(kana, '-', ''), '個', i * 10, i * 9, i * 8,
       CASE WHEN i % 11 = 0 THEN 9 WHEN i % 4 = 1 THEN 1 WHEN i % 4 = 2 THEN 3 WHEN i % 4 = 3 THEN 7 ELSE 0 END,
       0, 0, CASE WHEN i % 17 = 0 THEN 1 ELSE 0 END, CASE WHEN i % 13 = 0 THEN 1 ELSE 0 END, 0, 0 FROM g)"_s);
        QCOMPARE(m_dir->count(u"select count(*) from goods"_s), 300);
    }

    void sameAsTheStatement_data() {
        QTest::addColumn<Search>("s");
        QTest::newRow("no condition") << Search{};
        QTest::newRow("kana") << Search{.kana = u"ﾘﾝｺﾞ"_s};
        QTest::newRow("kana with a hyphen typed") << Search{.kana = u"ｼﾞｭ-ｽ"_s};
        QTest::newRow("category") << Search{.bunrui = 3};
        QTest::newRow("category and kana, discontinued too")
            << Search{.bunrui = 1, .kana = u"ﾐｶﾝ"_s, .stop = true};
        QTest::newRow("maxline below the matches") << Search{.maxline = 25, .message = kMaxLine};
        QTest::newRow("maxline below the kana's matches")
            << Search{.kana = u"ｵﾚﾝｼﾞ"_s, .maxline = 7, .message = kMaxLine};
        QTest::newRow("nothing found") << Search{.kana = u"ﾝﾝﾝ"_s, .message = kNoData};
        // 特価りんごジュース has all three words, りんごジュース two, みかんジュース one.
        QTest::newRow("ranked name") << Search{.name = u"【特価】りんごジュース"_s};
        QTest::newRow("ranked name over maxline")
            << Search{.maxline = 70, .name = u"【特価】りんごジュース"_s, .message = kMaxLine};
    }

    void sameAsTheStatement() {
        QFETCH(Search, s);
        m_dir->exec(u"update sysfile set maxline = %1 where id = 1"_s.arg(s.maxline));
        // What the list must show: the statement's rows up to maxline, codes right-justified, the
        // category's name or a blank.
        QStringList codes, names;
        int matches = 0;
        {
            Recordset rec;
            fnOpenRecordset(rec, s.name.isEmpty() ? conditionSql(s) : rankedSql(s.name));
            matches = rec.RecordCount();
            for (; !rec.Eof() && codes.size() < s.maxline; rec.MoveNext()) {
                codes << fnPadLeft(rec.Fields(u"code"_s).toString(), 12);
                Recordset cat;
                const QVariant b = rec.Fields(u"bcode"_s);
                if (!b.isNull())
                    fnOpenRecordset(cat,
                                    u"select name from bunrui where kubun = 4 and code = "_s + b.toString());
                names << (!b.isNull() && !cat.Eof() ? cat.Fields(u"name"_s).toString().trimmed() : u" "_s);
            }
        }
        // The rows say which message the list must give.
        QCOMPARE(matches > s.maxline ? kMaxLine : matches == 0 ? kNoData : QString(), s.message);

        ScriptedDialogs dialogs;
        frmPopupGoods d;
        d.gbytMode = 1;
        d.Gbun(s.bunrui);
        d.gstrGname = s.name;
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        if (s.name.isEmpty()) {
            d.findChild<QLineEdit*>(u"txtKana"_s)->setText(s.kana);
            d.findChild<QCheckBox*>(u"chkStop"_s)->setChecked(s.stop);
            QTest::mouseClick(d.findChild<QPushButton*>(u"cmdFind"_s), Qt::LeftButton);
        } else {
            QTRY_VERIFY(d.gstrGname.isEmpty() && d.isEnabled());
        }

        const QTreeView* list = d.findChild<QTreeView*>(u"ListView"_s);
        QCOMPARE(rowTexts(list, 0), codes);
        QCOMPARE(rowTexts(list, 7), names);
        QCOMPARE(messageTexts(dialogs), s.message.isEmpty() ? QStringList() : QStringList{s.message});
        QCOMPARE(list->model()->rowCount(), qMin(matches, s.maxline));
    }
};

QTEST_MAIN(TestLookupResults)
#include "tst_lookupresults.moc"
