#include "data/DbError.h"
#include "data/Recordset.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "support/TempProgramDir.h"

#include <QtTest>

class tst_recordset : public QObject {
    Q_OBJECT

private slots:
    void exprNamesReadByPosition();
    void closedRecordset();
    void editableNeedsOneTable_data();
    void editableNeedsOneTable();
    void addNewIsCurrentRow();
    void updateWithoutChangeReleasesLock();
    void movingOffChangedRowSavesIt();
    void onlyTableColumnsAreWritable();
    void numbersStoredAsNumbers_data();
    void numbersStoredAsNumbers();
    void moveAssignmentRollsBack();
};

static const QString kEmptyCode = QStringLiteral("select * from gdai where gcode = '           1'");

void tst_recordset::exprNamesReadByPosition() {
    TempProgramDir dir;
    dir.addLedger("1", 20240101, 0, 4);
    dir.addLedger("1", 20240102, 1, 1, 5, 1);
    Recordset rec;
    fnOpenRecordset(rec, "select gcode, max(day), sum(suu), count(*) from gdai group by gcode");
    QCOMPARE(rec.Fields("Expr1000").toString(), QStringLiteral("           1"));
    QCOMPARE(rec.Fields("Expr1001").toInt(), 20240102);
    QCOMPARE(rec.Fields("expr1002").toDouble(), 5.0);
    QCOMPARE(rec.Fields("EXPR1003").toInt(), 2);
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("Expr1004"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("Expr999"));
    QCOMPARE(rec.fieldCount(), 4);
    QVERIFY(rec.hasField("SUM(SUU)"));
}

void tst_recordset::closedRecordset() {
    Recordset rec;
    QCOMPARE(rec.State(), 0);
    QVERIFY(rec.Eof());
    QCOMPARE(rec.RecordCount(), 0);
    QCOMPARE(rec.EditMode(), 0);
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("x"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.MoveNext());
    QVERIFY_THROWS_EXCEPTION(DbError, rec.AddNew());
    rec.CancelUpdate();
    rec.Close();
}

void tst_recordset::editableNeedsOneTable_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("editable");
    QTest::newRow("star") << kEmptyCode << true;
    QTest::newRow("columns") << "select suu, kubun from gdai where day = 1" << true;
    QTest::newRow("alias") << "select * from gdai as d where d.day = 1" << true;
    QTest::newRow("alias without as") << "select * from gdai d order by day" << true;
    QTest::newRow("comma join") << "select * from gdai as d,goods as g where d.gcode=g.code" << false;
    QTest::newRow("join") << "select * from gdai join goods on gdai.gcode = goods.code" << false;
    QTest::newRow("distinct") << "select distinct gcode from gdai" << false;
    QTest::newRow("not a select") << "delete from gdai" << false;
}

void tst_recordset::editableNeedsOneTable() {
    QFETCH(QString, sql);
    QFETCH(bool, editable);
    TempProgramDir dir;
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    if (editable) {
        rec.openEditable(cn, sql);
        QCOMPARE(rec.State(), 1);
    } else {
        QVERIFY_THROWS_EXCEPTION(DbError, rec.openEditable(cn, sql));
        QCOMPARE(rec.State(), 0);
    }
    rec.Close();
    // Whatever happened, no lock stays behind.
    dir.addLedger("1", 20240101, 0, 1);
}

void tst_recordset::addNewIsCurrentRow() {
    TempProgramDir dir;
    dir.addLedger("1", 20240101, 0, 3);
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, kEmptyCode);
    QCOMPARE(rec.RecordCount(), 1);
    rec.AddNew();
    QCOMPARE(rec.RecordCount(), 2);
    QVERIFY(!rec.Eof());
    QVERIFY(rec.Fields("suu").isNull());
    rec.setField("gcode", "           1");
    rec.setField("day", "20240102");
    rec.setField("suu", "9");
    QCOMPARE(rec.Fields("suu").toInt(), 9);
    rec.Update();
    // After the insert the new row is the current one, with the values as stored.
    QCOMPARE(rec.Fields("day").toInt(), 20240102);
    QCOMPARE(rec.Fields("suu").toDouble(), 9.0);
    QVERIFY(rec.Fields("kubun").isNull());
    rec.MoveNext();
    QVERIFY(rec.Eof());
    QCOMPARE(dir.count("select count(*) from gdai"), 2);
}

void tst_recordset::updateWithoutChangeReleasesLock() {
    TempProgramDir dir;
    dir.addLedger("1", 20240101, 0, 3);
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, kEmptyCode);
    rec.Update();
    dir.exec("update gdai set suu = 4"); // would wait for the lock otherwise
    rec.setField("suu", "5");            // takes the lock again
    rec.Update();
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("5"));
}

void tst_recordset::movingOffChangedRowSavesIt() {
    TempProgramDir dir;
    dir.addLedger("1", 20240101, 0, 1);
    dir.addLedger("1", 20240102, 0, 2);
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, kEmptyCode + " order by day");
    rec.setField("suu", "10");
    rec.MoveNext();
    QCOMPARE(rec.EditMode(), 0);
    rec.setField("suu", "20");
    rec.Close(); // closing without Update discards the second change
    QCOMPARE(dir.scalar("select group_concat(suu, ',') from (select suu from gdai order by day)"),
             QStringLiteral("10.0,2.0"));
}

void tst_recordset::onlyTableColumnsAreWritable() {
    TempProgramDir dir;
    dir.addLedger("1", 20240101, 0, 1);
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, "select suu, suu * 2 as twice from gdai");
    QCOMPARE(rec.Fields("twice").toInt(), 2);
    QVERIFY_THROWS_EXCEPTION(DbError, rec.setField("twice", "4"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.setField("day", "4")); // not selected
    rec.setField("SUU", "3");
    rec.Update();
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("3"));
}

void tst_recordset::numbersStoredAsNumbers_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("stored");
    QTest::newRow("integer text") << "day" << QVariant("20240105") << "integer:20240105";
    QTest::newRow("integer with blanks") << "kubun" << QVariant(" 9 ") << "integer:9";
    QTest::newRow("half rounds to even") << "denno" << QVariant("2.5") << "integer:2";
    QTest::newRow("negative quantity") << "suu" << QVariant("-12") << "real:-12.0";
    QTest::newRow("fraction") << "suu" << QVariant("1.25") << "real:1.25";
    QTest::newRow("int value") << "line" << QVariant(3) << "integer:3";
    QTest::newRow("code keeps blanks") << "gcode" << QVariant("         123") << "text:         123";
    QTest::newRow("digits into text stay text") << "gcode" << QVariant(123) << "text:123";
    QTest::newRow("null") << "suu" << QVariant() << "null:";
}

void tst_recordset::numbersStoredAsNumbers() {
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, stored);
    TempProgramDir dir;
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, kEmptyCode);
    rec.AddNew();
    rec.setField(field, value);
    rec.Update();
    QCOMPARE(dir.scalar("select typeof(" + field + ") || ':' || ifnull(" + field + ", '') from gdai"),
             stored);
}

void tst_recordset::moveAssignmentRollsBack() {
    TempProgramDir dir;
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, kEmptyCode);
    rec.AddNew();
    rec.setField("suu", "1");
    rec = Recordset();
    QCOMPARE(dir.count("select count(*) from gdai"), 0);
    dir.addLedger("1", 20240101, 0, 1);
    Recordset moved;
    moved.openEditable(cn, kEmptyCode);
    Recordset target(std::move(moved));
    QCOMPARE(moved.State(), 0);
    QCOMPARE(target.RecordCount(), 1);
    target.setField("suu", "7");
    target.Update();
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("7"));
}

QTEST_MAIN(tst_recordset)
#include "tst_recordset.moc"
