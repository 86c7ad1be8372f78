#include "data/DbError.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "support/TempProgramDir.h"

#include <QtTest>

// The program's statements are written for Jet; every one of them must run unchanged here.
class tst_sqldialect : public QObject {
    Q_OBJECT

private slots:
    void jetToSqlite_data();
    void jetToSqlite();
    void sqlText_data();
    void sqlText();
    void quotedValueCannotChangeStatement();
    void programQueries_data();
    void programQueries();
    void programActions_data();
    void programActions();
    void textComparesIgnoreCase();
};

void tst_sqldialect::jetToSqlite_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("delete star") << "delete * from gdai where gcode='  1'"
                                 << "delete from gdai where gcode='  1'";
    QTest::newRow("letter case and blanks") << "DELETE   *   FROM gdai"
                                            << "delete from gdai";
    QTest::newRow("no blank before from") << "delete *from gdai"
                                          << "delete from gdai";
    QTest::newRow("plain delete") << "delete from gdai"
                                  << "delete from gdai";
    QTest::newRow("select star") << "select * from gdai"
                                 << "select * from gdai";
    QTest::newRow("inside a literal") << "insert into operatlog values('delete * from x')"
                                      << "insert into operatlog values('delete * from x')";
    QTest::newRow("literal with doubled quote")
        << "select * from goods where name = 'it''s delete * from' and 1=1; delete * from gdai"
        << "select * from goods where name = 'it''s delete * from' and 1=1; delete from gdai";
    QTest::newRow("count star") << "select count(*) from gdai"
                                << "select count(*) from gdai";
}

void tst_sqldialect::jetToSqlite() {
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(fnJetToSqlite(jet), sqlite);
}

void tst_sqldialect::sqlText_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain") << "ボールペン"
                           << "ボールペン";
    QTest::newRow("one apostrophe") << "it's"
                                    << "it''s";
    QTest::newRow("two apostrophes") << "''"
                                     << "''''";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("percent kept") << "10%"
                                  << "10%";
}

void tst_sqldialect::sqlText() {
    QFETCH(QString, value);
    QFETCH(QString, quoted);
    QCOMPARE(fnSqlText(value), quoted);
    QCOMPARE(fnSqlLike(value), quoted);
}

void tst_sqldialect::quotedValueCannotChangeStatement() {
    TempProgramDir dir;
    dir.addGoods("1", "a");
    const QString typed = "x' or '1'='1";
    Recordset rec;
    fnOpenRecordset(rec, "select * from goods where name = '" + fnSqlText(typed) + "'");
    QCOMPARE(rec.RecordCount(), 0);
    fnOpenRecordset(rec, "select * from goods where sname like '%" + fnSqlLike(typed) + "%'");
    QCOMPARE(rec.RecordCount(), 0);
    Recordset exec;
    QCOMPARE(fnExecuteSql(exec, "insert into operatlog values('pc','u','" + fnSqlText("O'Brien") +
                                    "',0,'2024-01-01 00:00:00','')"),
             QString());
    QCOMPARE(dir.scalar("select naiyou from operatlog"), QStringLiteral("O'Brien"));
}

static void fillSample(TempProgramDir& dir) {
    dir.addCategory(1, "文具");
    dir.addCategory(2, "飲料");
    dir.exec("insert into bunrui values (1, 1, '北海道', 1)");
    dir.addGoods("123", "ボールペン 黒", 1, 0, 0, "ﾎﾞｰﾙﾍﾟﾝ ｸﾛ");
    dir.addGoods("124", "ボールペン 赤", 1, 0, 1, "ﾎﾞｰﾙﾍﾟﾝ ｱｶ");
    dir.addGoods("200", "緑茶 500ml", 2, 0, 0, "ﾘｮｸﾁｬ 500ml");
    dir.addGoods("900", "送料", 2, 1, 0, "ｿｳﾘｮｳ");
    dir.addLedger("123", 20240105, 0, 10);
    dir.addLedger("123", 20240110, 9, 50);
    dir.addLedger("123", 20240120, 1, 3, 10001, 1);
    dir.addLedger("123", 20240125, 2, 1, 10002, 1);
    dir.addLedger("200", 20240105, 0, 5);
}

void tst_sqldialect::programQueries_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("rows");
    const QString g = "'         123'";
    QTest::newRow("stock count on or before")
        << "select day,suu from gdai where gcode = " + g +
               " and day <= 20240131 and kubun = 9 order by day desc,denno desc"
        << 1;
    QTest::newRow("stock movements") << "select kubun,suu from gdai where gcode = " + g +
                                            " and day between 20240111 and 20240131 and kubun <> 9 order by "
                                            "gcode,day,kubun"
                                     << 2;
    QTest::newRow("stock count before")
        << "select day,suu from gdai where gcode = " + g +
               " and day < 20240110 and kubun = 9 order by day desc,denno desc"
        << 0;
    QTest::newRow("stock movements with day")
        << "select kubun,suu,day from gdai where gcode = " + g +
               " and day between 0 and 20240131 and kubun <> 9 order by "
               "gcode,day,kubun"
        << 3;
    QTest::newRow("category") << "select code,name from bunrui where kubun = 4 and code = 1" << 1;
    QTest::newRow("goods in category")
        << "SELECT code,name,stop FROM Goods WHERE bunrui=1 and Code = " + g + " and zkubun=0" << 1;
    QTest::newRow("goods") << "SELECT code,name,stop FROM Goods WHERE Code = " + g + " and zkubun=0" << 1;
    QTest::newRow("receipt quantity")
        << "select suu from gdai where gcode=" + g + " and day=20240105 and kubun=0" << 1;
    QTest::newRow("next category")
        << "select code,name from bunrui where kubun = 4 and code > 1 order by code" << 1;
    QTest::newRow("previous category")
        << "select code,name from bunrui where kubun = 4 and code < 2 order by code desc" << 1;
    QTest::newRow("next goods in category")
        << "SELECT code,name,stop FROM Goods WHERE bunrui=1 and Code > " + g + " and zkubun=0 ORDER BY Code"
        << 1;
    QTest::newRow("previous goods in category")
        << "SELECT code,name,stop FROM Goods WHERE bunrui=1 and Code < '         124' ORDER BY Code desc"
        << 1;
    QTest::newRow("next goods")
        << "SELECT code,name,stop FROM Goods WHERE Code > '            ' and zkubun=0 ORDER "
           "BY Code"
        << 3;
    QTest::newRow("category by key") << "select * from bunrui where Kubun = 4 and code = 1" << 1;
    QTest::newRow("goods record") << "SELECT * FROM Goods WHERE Code = " + g << 1;
    QTest::newRow("same-day receipt") << "select *  from gdai where gcode=" + g +
                                             "   and day=20240105   and kubun=0   and denno=0   and line=0"
                                      << 1;
    QTest::newRow("stock kind") << "select zkubun from goods where code=" + g << 1;
    QTest::newRow("list popup")
        << "select day,gcode,name,suu  from gdai as d,goods as g where d.gcode=g.code   and "
           "kubun=0 and day=20240105 and gcode=" +
               g + " order by day"
        << 1;
    QTest::newRow("list popup all")
        << "select day,gcode,name,suu  from gdai as d,goods as g where d.gcode=g.code   "
           "and kubun=0 order by day"
        << 2;
    QTest::newRow("sysfile gno") << "SELECT gno FROM Sysfile WHERE Id = 1" << 1;
    QTest::newRow("ledger month")
        << "select * from gdai where gcode = " + g +
               " and day between 20240100 and 20240199 order by day desc,kubun,denno "
               "desc,line"
        << 4;
    QTest::newRow("ledger goods") << "SELECT code,name,zkubun,stop FROM Goods WHERE Code = " + g << 1;
    QTest::newRow("ledger next goods")
        << "SELECT code,name FROM Goods WHERE Code > " + g + " and zkubun = 0 and stop = 0 ORDER BY Code"
        << 1;
    QTest::newRow("ledger previous goods")
        << "SELECT code,name FROM Goods WHERE Code < '         200' and zkubun = 0 "
           "and stop = 0 ORDER BY Code DESC"
        << 1;
    QTest::newRow("print settings") << "SELECT gno,stankakbn FROM Sysfile WHERE Id = 1" << 1;
    QTest::newRow("first goods")
        << "SELECT code,name FROM Goods where code = (select min(code) from goods where "
           "zkubun = 0 and stop = 0)"
        << 1;
    QTest::newRow("goods count")
        << "SELECT count(*) FROM goods WHERE code BETWEEN '           0' AND '        "
           "9999' AND gkubun = 0 AND zkubun = 0 and stop = 0"
        << 1;
    QTest::newRow("report goods")
        << "SELECT * FROM goods WHERE code BETWEEN '           0' AND '        9999' AND "
           "gkubun = 0 AND zkubun = 0 and stop = 0 ORDER BY code"
        << 2;
    QTest::newRow("report latest count")
        << "select day,suu from gdai where gcode = " + g +
               " and day = (select max(day) from gdai where gcode = " + g +
               " and day <= 20240131 and kubun = 9) and kubun = 9 order by denno desc"
        << 1;
    QTest::newRow("report sum in")
        << "select sum(suu) from gdai where gcode = " + g +
               " and day between 20240111 and 20240130 and (kubun = 0 or kubun = 2)"
        << 1;
    QTest::newRow("report sum out") << "select sum(suu) from gdai where gcode = " + g +
                                           " and day > 20240110 and kubun = 1"
                                    << 1;
    QTest::newRow("report day count")
        << "select suu from gdai where gcode =  " + g + "  and day = 20240110 and kubun = 9" << 1;
    QTest::newRow("receipt list report")
        << "SELECT day,gcode,suu,g.name as gname  FROM gdai as d,goods as g WHERE "
           "d.gcode=g.code   AND day BETWEEN 20240101 AND 20240131 and kubun=0 ORDER "
           "BY day,gcode"
        << 2;
    QTest::newRow("category name") << "select name from bunrui where kubun=4 and code=1" << 1;
    QTest::newRow("lookup settings") << "select gno,maxline from sysfile where id = 1" << 1;
    QTest::newRow("goods lookup") << "SELECT goods.code AS code,goods.kana AS kana,goods.name AS gname, "
                                     "goods.unit AS unit,goods.stop AS stop,"
                                     "goods.bunrui AS bcode, goods.gkubun AS gkubun,goods.zkubun AS "
                                     "zkubun,goods.tkubun AS tkubun, goods.tanka1 "
                                     "AS tanka1,goods.tanka2 AS tanka2,goods.tanka3 AS tanka3 FROM goods "
                                     "WHERE goods.code >= '           0' and "
                                     "goods.zkubun=0 and bunrui=1 and goods.gkubun=0 and goods.stop=0 and "
                                     "goods.skana LIKE '%ﾎﾞｰﾙ%' and "
                                     "goods.sname LIKE '%ペン%' order by goods.code"
                                  << 1;
    QTest::newRow("ranked name search")
        << "select goods.code AS code,goods.kana AS kana,na AS gname, goods.unit AS unit,goods.stop AS stop,"
           "goods.bunrui AS bcode, goods.gkubun AS gkubun,goods.zkubun AS zkubun,goods.tkubun AS tkubun, "
           "goods.tanka1 "
           "AS tanka1,goods.tanka2 AS tanka2,goods.tanka3 AS tanka3,ct from (select name as na,count(*) as "
           "ct from ( "
           "select name from goods where name like'%ボールペン%' union all select name from goods where name "
           "like'%黒%') group by name) dummy,goods where goods.name=dummy.na order by ct desc"
        << 2;
    QTest::newRow("code list from")
        << "select * from bunrui where kubun = 4 and code >= 2 order by kubun,code" << 1;
    QTest::newRow("code list") << "select * from bunrui where kubun = 4 order by kubun,code" << 2;
    QTest::newRow("code list limit") << "select maxline from sysfile where id = 1" << 1;
}

void tst_sqldialect::programQueries() {
    QFETCH(QString, sql);
    QFETCH(int, rows);
    TempProgramDir dir;
    fillSample(dir);
    Recordset rec;
    try {
        fnOpenRecordset(rec, sql);
    } catch (const DbError& e) {
        QFAIL(qPrintable(e.description()));
    }
    QCOMPARE(rec.RecordCount(), rows);
}

void tst_sqldialect::programActions_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("affected");
    QTest::newRow("delete receipt")
        << "delete * from gdai where gcode='         123' and day=20240105 and kubun=0" << 1;
    QTest::newRow("delete count")
        << "delete * from gdai where gcode='         123' and day=20240110 and kubun=9" << 1;
    QTest::newRow("delete nothing")
        << "delete * from gdai where gcode='         999' and day=20240110 and kubun=9" << 0;
    QTest::newRow("operation log") << "insert into operatlog values('PC01','taro','入庫処理',1,'2024-01-05 "
                                      "10:00:00','入庫処理:[2024/01/05][         123]')"
                                   << 1;
}

void tst_sqldialect::programActions() {
    QFETCH(QString, sql);
    QFETCH(int, affected);
    TempProgramDir dir;
    fillSample(dir);
    QCOMPARE(gcnData->Execute(sql), affected);
}

void tst_sqldialect::textComparesIgnoreCase() {
    TempProgramDir dir;
    dir.addGoods("abc", "x");
    dir.addLedger("abc", 20240101, 0, 1);
    QCOMPARE(dir.count("select count(*) from goods where code = '         ABC'"), 1);
    QCOMPARE(dir.count("select count(*) from gdai where gcode = '         Abc'"), 1);
    QCOMPARE(dir.count("select count(*) from goods where code between '         AAA' and '         ABZ'"), 1);
}

QTEST_MAIN(tst_sqldialect)
#include "tst_sqldialect.moc"
