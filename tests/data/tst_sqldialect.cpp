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
    void quotedValues();
    void programStatements_data();
    void programStatements();
};

static void row(const char* name, const QString& in, const QString& out) {
    QTest::newRow(name) << in << out;
}

void tst_sqldialect::jetToSqlite_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    row("delete star", "delete * from gdai where gcode='  1'", "delete from gdai where gcode='  1'");
    row("letter case and blanks", "DELETE   *   FROM gdai", "delete from gdai");
    row("no blank before from", "delete *from gdai", "delete from gdai");
    row("plain delete", "delete from gdai", "delete from gdai");
    row("select star", "select * from gdai", "select * from gdai");
    row("count star", "select count(*) from gdai", "select count(*) from gdai");
    row("inside a literal", "insert into operatlog values('delete * from x')",
        "insert into operatlog values('delete * from x')");
    row("literal with doubled quote",
        "select * from goods where name = 'it''s delete * from' and 1=1; delete * from gdai",
        "select * from goods where name = 'it''s delete * from' and 1=1; delete from gdai");
}

void tst_sqldialect::jetToSqlite() {
    QFETCH(QString, jet);
    QTEST(fnJetToSqlite(jet), "sqlite");
}

void tst_sqldialect::quotedValues() {
    const QStringList values{"ボールペン", "it's", "''", "", "10%"};
    const QStringList quoted{"ボールペン", "it''s", "''''", "", "10%"};
    for (int i = 0; i < values.size(); ++i) {
        QCOMPARE(fnSqlText(values[i]), quoted[i]);
        QCOMPARE(fnSqlLike(values[i]), quoted[i]);
    }
    // A typed value cannot change the statement around it.
    TempProgramDir dir;
    dir.addGoods("1", "a");
    const QString typed = "x' or '1'='1";
    QCOMPARE(dir.count("select count(*) from goods where name = '" + fnSqlText(typed) + "'"), 0);
    Recordset rec;
    fnOpenRecordset(rec, "select * from goods where sname like '%" + fnSqlLike(typed) + "%'");
    QCOMPARE(rec.RecordCount(), 0);
    QCOMPARE(fnExecuteSql(rec, "insert into operatlog values('pc','u','" + fnSqlText("O'Brien") +
                                   "',0,'2024-01-01 00:00:00','')"),
             QString());
    QCOMPARE(dir.scalar("select naiyou from operatlog"), QStringLiteral("O'Brien"));
}

static void stmt(const char* name, int rows, const QString& sql) {
    QTest::newRow(name) << sql << rows;
}

void tst_sqldialect::programStatements_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("rows"); // rows listed, or affected by a statement other than select
    stmt("stock count on or before", 1,
         "select day,suu from gdai where gcode = '         123' and day <= 20240131 and kubun = 9 order by "
         "day desc,denno desc");
    stmt("stock movements", 3,
         "select kubun,suu,day from gdai where gcode = '         123' and day between 0 and 20240131 and "
         "kubun <> 9 order by gcode,day,kubun");
    stmt("same-day receipt", 1,
         "select *  from gdai where gcode='         123'   and day=20240105   and kubun=0   and denno=0   "
         "and line=0");
    stmt("list popup", 2,
         "select day,gcode,name,suu  from gdai as d,goods as g where d.gcode=g.code   and kubun=0 order by "
         "day");
    stmt("sysfile", 1, "SELECT gno FROM Sysfile WHERE Id = 1");
    stmt("ledger month", 4,
         "select * from gdai where gcode = '         123' and day between 20240100 and 20240199 order by day "
         "desc,kubun,denno desc,line");
    stmt("report latest count", 1,
         "select day,suu from gdai where gcode = '         123' and day = (select max(day) from gdai where "
         "gcode = '         123' and day <= 20240131 and kubun = 9) and kubun = 9 order by denno desc");
    stmt("receipt list report", 2,
         "SELECT day,gcode,suu,g.name as gname  FROM gdai as d,goods as g WHERE d.gcode=g.code   AND day "
         "BETWEEN 20240101 AND 20240131 and kubun=0 ORDER BY day,gcode");
    stmt("ranked name search", 2,
         "select goods.code AS code,goods.kana AS kana,na AS gname, goods.unit AS unit,goods.stop AS "
         "stop,goods.bunrui AS bcode, goods.gkubun AS gkubun,goods.zkubun AS zkubun,goods.tkubun AS tkubun, "
         "goods.tanka1 AS tanka1,goods.tanka2 AS tanka2,goods.tanka3 AS tanka3,ct from (select name as "
         "na,count(*) as ct from ( select name from goods where name like'%ボールペン%' union all select "
         "name from goods where name like'%黒%') group by name) dummy,goods where goods.name=dummy.na order "
         "by ct desc");
    stmt("code list", 2, "select * from bunrui where kubun = 4 order by kubun,code");
    // Codes compare without regard to letter case, as in Jet.
    stmt("code in other case", 1, "select * from goods where code = '         ABC'");
    stmt("ledger code in other case", 1, "select * from gdai where gcode = '         Abc'");
    stmt("code range in other case", 1,
         "select * from goods where code between '         AAA' and '         ABZ'");
    stmt("delete receipt", 1, "delete * from gdai where gcode='         123' and day=20240105 and kubun=0");
    stmt("delete nothing", 0, "delete * from gdai where gcode='         999' and day=20240110 and kubun=9");
    stmt("operation log", 1,
         "insert into operatlog values('PC01','taro','入庫処理',1,'2024-01-05 "
         "10:00:00','入庫処理:[2024/01/05][         123]')");
}

void tst_sqldialect::programStatements() {
    QFETCH(QString, sql);
    QFETCH(int, rows);
    TempProgramDir dir;
    dir.addCategory(1, "文具");
    dir.addCategory(2, "飲料");
    dir.exec("insert into bunrui values (1, 1, '北海道', 1)");
    dir.addGoods("123", "ボールペン 黒");
    dir.addGoods("124", "ボールペン 赤", 1, 0, 1);
    dir.addGoods("200", "緑茶 500ml", 2);
    dir.addGoods("900", "送料", 2, 1);
    dir.addGoods("abc", "x", 3);
    dir.addLedger("123", 20240105, 0, 10);
    dir.addLedger("123", 20240110, 9, 50);
    dir.addLedger("123", 20240120, 1, 3, 10001, 1);
    dir.addLedger("123", 20240125, 2, 1, 10002, 1);
    dir.addLedger("200", 20240105, 0, 5);
    dir.addLedger("abc", 20240101, 9, 1);
    Recordset rec;
    try {
        if (sql.startsWith("select", Qt::CaseInsensitive)) {
            fnOpenRecordset(rec, sql);
            QCOMPARE(rec.RecordCount(), rows);
        } else {
            QCOMPARE(gcnData->Execute(sql), rows);
        }
    } catch (const DbError& e) {
        QFAIL(qPrintable(e.description()));
    }
}

QTEST_MAIN(tst_sqldialect)
#include "tst_sqldialect.moc"
