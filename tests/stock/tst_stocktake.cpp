// Stocktaking from a file: the reader, the check against the ledger and the all-or-nothing write,
// on a real data1.dat (and on the test server as tst_stocktake-pg); the tool's counts command is
// in tst_tool's table.

#include "support/ScreenBench.h"
#include "support/TestServer.h"
#include "ui/DataRows.h"

#include "app/basOperationLog.h"
#include "app/basRetry.h"
#include "core/basPadding.h"
#include "data/Connection.h"
#include "data/DbError.h"
#include "data/basDb.h"
#include "data/clsDbClass.h"
#include "stock/StocktakeCheck.h"
#include "stock/StocktakeFile.h"
#include "stock/StocktakeWrite.h"
#include "stock/basStock.h"
#include "stock/basStockFigures.h"

#include <QStringEncoder>
#include <QtTest>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const int kDay = 20240105;
const QString kCaption = u"棚卸取込"_s;

QString g(const QString& code) {
    return fnPadLeft(code, 12);
}

// The file's lines as "line:code:quantity" joined with ' '.
QString linesOf(const StocktakeFile& f) {
    QStringList out;
    for (const StocktakeFileLine& l : f.lines())
        out << QString::number(l.line) + u':' + l.code + u':' + l.quantity;
    return out.join(u' ');
}

QByteArray sjis(const QString& text) {
    QStringEncoder e("Shift_JIS");
    return e.encode(text);
}

} // namespace

class TestStocktake : public QObject, DataRows {
    Q_OBJECT
    std::optional<TempProgramDir> m_dir;

    // Goods 12 みかん (cost 80), 13 りんご (cost 120.5), 30 送料 (not stock-managed), 40 もも
    // (discontinued), ab12 (letters).
    void addGoods() {
        addGoodsRows(*m_dir, u"12 みかん; 13 りんご; 30 送料 1 1; 40 もも 1 0 1; AB12 洋なし"_s);
        m_dir->exec(u"update goods set stanka = 80 where code = '          12'"_s);
        m_dir->exec(u"update goods set stanka = 120.5 where code = '          13'"_s);
    }
    StocktakeCheck check(const QString& text, bool zeroMissing = false) {
        StocktakeFile f;
        if (!f.parse(text.toUtf8())) qFatal("not parsed");
        StocktakeCheck c;
        try {
            c.run(f.lines(), kDay, zeroMissing);
        } catch (const DbError& e) {
            qFatal("%s", qPrintable(e.description()));
        }
        return c;
    }
    // The shown lines, cells joined with '|', lines with '\n'.
    static QString shown(const StocktakeCheck& c) {
        QStringList out;
        for (const StocktakeLine& l : c.shownOrder())
            out << c.cells(l).join(u'|');
        return out.join(u'\n');
    }
    // The counts in the bench's ledger notation (goods 12 unless named).
    QString counts() const { return ledgerRows(*m_dir, u"12"_s, u"kubun = 9"_s); }
    // The log rows of the write: kind (1 added, 2 replaced) and detail.
    QString logs() const {
        return m_dir->rows(
            u"select kubun, syousai from operatlog where naiyou = '棚卸取込' order by kubun, syousai"_s);
    }
    // The write with the stock-count screen's retry rule; the rows logged as its save would.
    bool write(const StocktakeCheck& c, int lockWait = 800, int* attempts = nullptr) {
        clsDbClass db;
        if (!db.OpenDb()) qFatal("%s", qPrintable(db.ErrMsg()));
        db.connection()->setBusyTimeout(lockWait);
        StocktakeWrite w(c);
        qint16 counter = 0;
        int n = 1;
        const bool ok = w.run(*db.connection(), [&] {
            const bool again = fnNextTry(counter);
            if (again) ++n;
            return again;
        });
        if (attempts) *attempts = n;
        if (ok) {
            QList<OperationLogRow> rows;
            w.logRows(kCaption, [&](const QString& t, int k, const QString& d) {
                rows << OperationLogRow{t, k, d};
            });
            fnOperationLog(rows);
        }
        return ok;
    }

private slots:
    void init() {
        m_dir.emplace();
        addGoods();
    }
    void cleanup() { m_dir.reset(); }

    // Bytes of a file -> the lines read ("line:code:quantity"), the caption's line, the encoding.
    void reads_data() {
        cols<QByteArray, QString, int, int>("bytes", "lines", "caption", "encoding");
        row("comma, LF", QByteArray("12,5\n13,7\n"), "1:12:5 2:13:7", 0, 0);
        row("UTF-8 with BOM, CRLF",
            QByteArray("\xEF\xBB\xBF"
                       "12,5\r\n13,7\r\n"),
            "1:12:5 2:13:7", 0, 1);
        row("Shift-JIS caption and names",
            sjis(u"商品コード,数量,商品名\r\n12,5,みかん\r\n13,7,りんご\r\n"_s), "2:12:5 3:13:7", 1, 2);
        row("UTF-8 caption", u"コード\t棚卸数\n12\t5\n"_s.toUtf8(), "2:12:5", 1, 0);
        row("tabs, a comma in a name", QByteArray("12\t5\tapples, red\n13\t1,200\n"), "1:12:5 2:13:1,200", 0,
            0);
        row("quotes: comma, doubled quote, line break",
            QByteArray("\"12\",\"1,000\",\"a \"\"b\"\"\"\n\"13\",2,\"two\nlines\"\n40,3\n"),
            "1:12:1,000 2:13:2 4:40:3", 0, 0);
        row("blank lines and empty fields skipped", QByteArray("\n12,5\n\n  \n,,\n\t\n13,7"), "2:12:5 7:13:7",
            0, 0);
        row("blanks around codes and quantities", QByteArray("  12 , 5 \n\"  13 \",\" 7\"\n"),
            "1:12:5 2:13:7", 0, 0);
        row("old Mac line ends", QByteArray("12,5\r13,7\r"), "1:12:5 2:13:7", 0, 0);
        row("a first line with a number is no caption", QByteArray("12,1.5\n13,x\n"), "1:12:1.5 2:13:x", 0,
            0);
        row("only the first line can be a caption", QByteArray("a,b\nc,d\n"), "2:c:d", 1, 0);
        row("code alone on a line", QByteArray("12,3\n13\n"), "1:12:3 2:13:", 0, 0);
        row("empty file", QByteArray(), "", 0, 0);
    }
    void reads() {
        StocktakeFile f;
        QVERIFY(f.parse(fetch<QByteArray>("bytes")));
        QCOMPARE(linesOf(f), fetch<QString>("lines"));
        QCOMPARE(f.captionLine(), fetch<int>("caption"));
        QCOMPARE(int(f.encoding()), fetch<int>("encoding"));
    }
    void unreadableFiles() {
        StocktakeFile f;
        QVERIFY(!f.parse(QByteArray("\xEF\xBB\xBF"
                                    "12,\xff\xfe\n")));
        QVERIFY(f.errorText().contains(u"Shift-JIS"_s));
        QVERIFY(!f.read(m_dir->path() + u"/none.csv"_s));
        QVERIFY(f.errorText().startsWith(u"ファイルを開けません"_s));
        // A Shift-JIS file read from disk.
        QFile out(m_dir->path() + u"/counts.csv"_s);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(sjis(u"ｺｰﾄﾞ,数\r\n12,5\r\n"_s));
        out.close();
        QVERIFY(f.read(out.fileName()));
        QCOMPARE(linesOf(f), u"2:12:5"_s);
        QCOMPARE(f.encoding(), StocktakeFile::Encoding::ShiftJis);
    }

    // A file's text -> the check as shown (refused first): line|code|name|book|counted|difference|
    // cost|amount|status. The ledger gives 12 a stock of 100 and 13 of 20 on the day.
    void checks_data() {
        cols<QString, QString>("file", "shown");
        row("two goods, priced", "12,120\n13,10",
            "1|12|みかん|100|120|20|80|1,600|新規\n"
            "2|13|りんご|20|10|-10|121|-1,205|新規");
        row("codes padded as on the count screen, letters found in any case", "  12 ,0\nab12,\"1,000\"",
            "1|12|みかん|100|0|-100|80|-8,000|新規\n2|AB12|洋なし|0|1,000|1,000|0|0|新規");
        row("unknown", "99,1", "1|99|||1||||拒否：未登録の商品コードです");
        row("not stock-managed", "30,1", "1|30|送料|0|1||0||拒否：この商品は在庫対象外です");
        row("discontinued goods may be counted", "40,2", "1|40|もも|0|2|2|0|0|新規");
        row("1.5", "12,1.5", "1|12|みかん|100|1.5||80||拒否：数量が0～999999の整数ではありません");
        row("-1", "12,-1", "1|12|みかん|100|-1||80||拒否：数量が0～999999の整数ではありません");
        row("1000000", "12,1000000",
            "1|12|みかん|100|1000000||80||拒否：数量が0～999999の整数ではありません");
        row("999999", "12,999999", "1|12|みかん|100|999,999|999,899|80|79,991,920|新規");
        row("empty quantity", "12,1\n13,",
            "2|13|りんご|20|||121||拒否：数量が0～999999の整数ではありません\n"
            "1|12|みかん|100|1|-99|80|-7,920|新規");
        row("twice: both lines refused, the others kept", "12,1\n13,2\n 12 ,3",
            "1|12|みかん|100|1||80||拒否：商品コードが重複しています（3行目にも）\n"
            "3|12|みかん|100|3||80||拒否：商品コードが重複しています（1行目にも）\n"
            "2|13|りんご|20|2|-18|121|-2,169|新規");
        row("longer than a goods code", "1234567890123,1",
            "1|1234567890123|||1||||拒否：商品コードが12桁を超えています");
        row("no code", ",5", "1||||5||||拒否：商品コードがありません");
        row("several reasons", "12,1\n30,x",
            "2|30|送料|0|x||0||拒否：この商品は在庫対象外です／数量が0～999999の整数ではありません\n"
            "1|12|みかん|100|1|-99|80|-7,920|新規");
    }
    void checks() {
        addLedgerRows(*m_dir, u"20240101 9 90; 20240103 0 10; 20240104 0 20 0 0 13"_s);
        QCOMPARE(shown(check(fetch<QString>("file"))), fetch<QString>("shown"));
    }
    void totalsAndDecimals() {
        m_dir->exec(u"update sysfile set stankakbn = 1"_s);
        const StocktakeCheck c = check(u"12,3\n13,2\n99,1"_s);
        QCOMPARE(c.refusedCount(), 1);
        QCOMPARE(c.writableCount(), 2);
        QCOMPARE(c.amountTotal(), 3 * 80 + 2 * 120.5);
        QCOMPARE(c.cells(c.lines().at(1)).mid(6, 2), (QStringList{u"120.50"_s, u"241.00"_s}));
    }

    // The book stock is the count screen's: a count on the day itself is ignored (and marked to be
    // replaced), movements of the day count; the same through the whole-ledger pass.
    void bookStockAsTheCountScreenShowsIt() {
        addLedgerRows(*m_dir, u"20240101 9 50; 20240103 0 5; 20240105 9 30; 20240105 1 2 7 1"_s);
        const StocktakeCheck c = check(u"12,40"_s);
        const StocktakeLine l = c.lines().at(0);
        QCOMPARE(l.book, fnGetStockBefore(g(u"12"_s), kDay));
        QCOMPARE(l.book, 53);
        QVERIFY(l.replaces);
        QCOMPARE(l.replaced, 30);
        QCOMPARE(StocktakeCheck::status(l), u"置換（30）"_s);
        QCOMPARE(fnGetStocksBefore(kDay).value(g(u"12"_s)), 53);
    }
    // From kBulkFrom goods on, the check takes the whole-ledger pass: the same figures. A whole
    // shop's file is written a few hundred rows a statement: every row there, each logged once,
    // whether added or replacing a count of the day.
    void manyGoods() {
        const int n = 1203;
        QStringList file;
        m_dir->exec(u"BEGIN"_s);
        for (int i = 0; i < n; ++i) {
            const QString code = QString::number(1000 + i);
            m_dir->addGoods(code, u"品"_s + code);
            m_dir->addLedger(code, 20240101, 9, i);
            m_dir->addLedger(code, kDay, 0, i % 7);
            if (i % 3 == 0) m_dir->addLedger(code, kDay, 9, 1);
            file << code + u",5"_s;
        }
        m_dir->exec(u"COMMIT"_s);
        const StocktakeCheck c = check(file.join(u'\n'));
        QCOMPARE(c.writableCount(), n);
        for (const StocktakeLine& l : c.lines())
            QCOMPARE(l.book, fnGetStockBefore(l.gcode, kDay));
        QVERIFY(write(c));
        QCOMPARE(m_dir->rows(u"select count(*), sum(suu) from gdai where kubun = 9 and day = 20240105"_s),
                 u"%1|%2.0"_s.arg(n).arg(5 * n));
        QCOMPARE(logs().split(u',').size(), n);
    }

    // Written: one count row per goods and day, an existing one replaced, logged as the count
    // screen's save (1 added, 2 replaced); the book stock then starts from the counts on the next
    // day. Checked again, every count written is marked as replaced and still left out of the book
    // stock. Zeros for the goods not in the file: stock-managed, active ones only (not 30 nor 40).
    void writes_data() {
        cols<QString, QString, bool, QString, QString, QString, int>("ledger", "file", "zeros", "shown",
                                                                     "counts", "logs", "stock6");
        row("replaces", "20240105 9 30; 20240106 0 3", "12,40\n13,7", false,
            "1|12|みかん|0|40|40|80|3,200|置換（30）\n2|13|りんご|0|7|7|121|844|新規",
            "20240105 9 40; 20240105 9 7 0 0 13",
            "1|棚卸取込:[2024/01/05][          13],2|棚卸取込:[2024/01/05][          12]", 43);
        row("zeros for goods not in the file", "20240101 0 4 0 0 13", "12,5", true,
            "1|12|みかん|0|5|5|80|400|新規\n|13|りんご|4|0|-4|121|-482|新規・ファイルになし\n"
            "|AB12|洋なし|0|0|0|0|0|新規・ファイルになし",
            "20240105 9 5; 20240105 9 0 0 0 13; 20240105 9 0 0 0 AB12",
            "1|棚卸取込:[2024/01/05][          12],1|棚卸取込:[2024/01/05][          13],"
            "1|棚卸取込:[2024/01/05][        AB12]",
            5);
    }
    void writes() {
        addLedgerRows(*m_dir, fetch<QString>("ledger"));
        const StocktakeCheck c = check(fetch<QString>("file"), fetch<bool>("zeros"));
        QCOMPARE(shown(c), fetch<QString>("shown"));
        QVERIFY(write(c));
        QCOMPARE(counts(), fetch<QString>("counts"));
        QCOMPARE(logs(), fetch<QString>("logs"));
        QCOMPARE(fnGetStock(g(u"12"_s), 20240106), fetch<int>("stock6"));
        const StocktakeCheck again = check(fetch<QString>("file"), fetch<bool>("zeros"));
        QCOMPARE(again.replaceCount(), c.lines().size());
        QCOMPARE(again.lines().at(0).book, 0);
    }
    // What stops a write, and how often it is tried: nothing of it is written, nothing logged. A
    // held lock let go, the same write goes through at once.
    void writeStopped_data() {
        cols<QString, QString, int>("file", "obstacle", "attempts");
        row("a refused line", "12,40\n13,1.5", "", 1);
        row("the database refuses the third row: the two before go with it", "12,40\n13,7\n77,1", "trigger",
            11);
        row("another program holds the write lock", "12,40", "lock", 11);
    }
    void writeStopped() {
        const QString obstacle = fetch<QString>("obstacle");
        m_dir->addGoods(u"77"_s, u"くり"_s);
        m_dir->addLedger(u"12"_s, kDay, 9, 30);
        if (obstacle == u"trigger" && TestServer::active()) {
            m_dir->exec(
                u"CREATE FUNCTION refuse77() RETURNS trigger LANGUAGE plpgsql AS $f$ BEGIN IF NEW.gcode = "
                "'          77' THEN RAISE EXCEPTION 'refused 77'; END IF; RETURN NEW; END $f$"_s);
            m_dir->exec(
                u"CREATE TRIGGER refuse77 BEFORE INSERT ON gdai FOR EACH ROW EXECUTE FUNCTION refuse77()"_s);
        } else if (obstacle == u"trigger") {
            m_dir->exec(u"CREATE TRIGGER refuse77 BEFORE INSERT ON gdai WHEN NEW.gcode = '          77' "
                        "BEGIN SELECT RAISE(ABORT, 'refused 77'); END"_s);
        }
        Connection other;
        if (obstacle == u"lock") m_dir->holdWriteLock(other);
        const StocktakeCheck c = check(fetch<QString>("file"));
        int attempts = 0;
        QVERIFY(!write(c, 30, &attempts));
        QCOMPARE(attempts, fetch<int>("attempts"));
        QCOMPARE(counts(), u"20240105 9 30"_s);
        QCOMPARE(logs(), QString());
        if (obstacle != u"lock") return;
        other.Execute(u"ROLLBACK"_s);
        QVERIFY(write(c, 30, &attempts));
        QCOMPARE(attempts, 1);
        QCOMPARE(logs(), u"2|棚卸取込:[2024/01/05][          12]"_s);
    }

    // A count of one of the file's goods being saved on another PC (the stock-count screen's cursor
    // on its row, not there yet): the write takes turns with it, and gives up after eleven tries.
    void waitsForASingleSaveOfTheSameRow() {
        const StocktakeCheck c = check(u"13,2\n12,40"_s);
        clsDbClass other;
        QVERIFY(other.OpenDb());
        Recordset rec;
        QVERIFY(other.DbSqlEdit(fnEntryRowSql(u"12"_s, kDay, 9), rec));
        QCOMPARE(rec.EditMode(), int(Recordset::adEditAdd));
        int attempts = 0;
        QVERIFY(!write(c, 30, &attempts));
        QCOMPARE(attempts, 11);
        const QStringList fields{u"gcode"_s, g(u"12"_s), u"day"_s,   QString::number(kDay),
                                 u"kubun"_s, u"9"_s,     u"denno"_s, u"0"_s,
                                 u"line"_s,  u"0"_s,     u"suu"_s,   u"7"_s};
        for (qsizetype i = 0; i < fields.size(); i += 2)
            fnSetFieldValue(rec, fields[i], fields[i + 1]);
        QCOMPARE(fnUpdateRecordset(rec), QString());
        rec.Close();
        // Its row is there now: the write replaces it rather than adding a second one.
        QVERIFY(write(c, 30, &attempts));
        QCOMPARE(counts(), u"20240105 9 40; 20240105 9 2 0 0 13"_s);
        QCOMPARE(logs(), u"1|棚卸取込:[2024/01/05][          13],2|棚卸取込:[2024/01/05][          12]"_s);
    }
};

QTEST_MAIN(TestStocktake)
#include "tst_stocktake.moc"
