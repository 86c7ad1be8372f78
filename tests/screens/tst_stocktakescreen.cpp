// The stocktaking screen (zanmo 6) worked as a user does: day and file typed, the check read in the
// grid, refused lines first, F5 with the catalogue confirmation, F9 the difference list.

#include "../reports/PrintScreenDriver.h"
#include "support/ScreenBench.h"

#include "app/basMain.h"
#include "data/Connection.h"
#include "reports/ActiveReport.h"
#include "reports/StocktakeModel.h"
#include "reports/frmStocktake.h"
#include "screens/frmTanaden.h"

#include <QCheckBox>
#include <QFile>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

using namespace screen;
using namespace Qt::Literals::StringLiterals;

class TestStocktakeScreen : public QObject {
    Q_OBJECT
    std::unique_ptr<ScreenBench> b;
    Connection other; // another program holding the write lock
    frmStocktake* form = nullptr;

    QString file(const QString& name, const QByteArray& bytes) const {
        const QString path = b->dir.path() + u'/' + name;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
        f.write(bytes);
        return path;
    }
    // The day (5 Jan 2024) and the file typed, the file box left with Enter: the file read and checked.
    static QString read(const QString& path) {
        return u"txtYy=2024;txtMm=1;txtDd=5;txtFile="_s + path + u";Enter"_s;
    }
    // The grid's rows, cells joined with '|'; a refused row starts with '!'.
    QStringList grid() const {
        auto* model = static_cast<StocktakeModel*>(child<QTableView>(b->form.get(), "grdCheck")->model());
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            out << (model->refusedRow(r) ? u"!"_s : QString()) + cells.join(u'|');
        }
        return out;
    }
    // Steps this file adds: "?grid=ROWS" (grid(), '#' between rows), "?counts=ROWS" (the day's counts,
    // addLedgerRows notation, '#' between rows), "lock" and "unlock" the write lock another program holds.
    bool step(const QString& s) {
        bool known = true;
        [&] {
            if (s.startsWith(u"?grid="))
                QCOMPARE(grid().join(u'#'), s.mid(6));
            else if (s.startsWith(u"?counts="))
                QCOMPARE(
                    ledgerRows(b->dir, u"12"_s, u"kubun = 9 and day = 20240105"_s).replace(u"; "_s, u"#"_s),
                    s.mid(8));
            else if (s == u"lock")
                b->dir.holdWriteLock(other);
            else if (s == u"unlock")
                other.RollbackTrans();
            else
                known = false;
        }();
        return known;
    }

private slots:
    void init() {
        gstrArgs = QStringList{u"6"_s};
        b = std::make_unique<ScreenBench>();
        b->extraStep = [this](const QString& s) { return step(s); };
        b->dir.addCategory(1, u"食品"_s);
        addGoodsRows(b->dir, u"12 みかん; 13 りんご; 30 送料 1 1"_s);
        b->dir.exec(u"update goods set stanka = 80"_s);
        addLedgerRows(b->dir, u"20240101 9 90; 20240103 0 10; 20240105 1 4 3 1"_s);
        (form = b->open<frmStocktake>())->setLockWait(30);
    }
    void cleanup() {
        closePreviews();
        b.reset();
        gstrArgs.clear();
    }

    // A refused line comes first and marked, and F5 writes nothing; corrected and read again, F5
    // asks "記録" and writes every count, with the count screen's log rows; read again after the
    // write, both counts are there to be replaced, the book stock still ignoring them.
    void refusedThenWritten() {
        const QString path = file(u"counts.csv"_s, "\xEF\xBB\xBF"
                                                   "code,qty\r\n12,100\r\n30,1\r\n13,\"1,000\"\r\n");
        QCOMPARE(
            b->play(
                u"?title=棚卸取込;"_s + read(path) +
                u";?grid=!3|30|送料|0|1||80||拒否：この商品は在庫対象外です#2|12|みかん|96|100|4|80|320|新規#"
                "4|13|りんご|0|1,000|1,000|80|80,000|新規;?disabled:cmdOk;F5;"
                "?said=取り込めない行が1行あります。ファイルを直して読み込み直してください*;?counts=;clear"_s),
            QString());
        QVERIFY(text(b->form.get(), "lblSummary").contains(u"拒否 1"_s));
        file(u"counts.csv"_s, "12,100\n13,1000\n");
        QCOMPARE(
            b->play(
                u"clear;F2;no;F5;?counts=;yes;F5;?counts=20240105 9 100#20240105 9 1000 0 0 13;"
                "?said=記録します\r\n棚卸日 2024/01/05　2件（うち置換 0件）*/"
                "記録します\r\n棚卸日 2024/01/05　2件（うち置換 0件）*;"
                "?lblMsg=2件を2024/01/05の棚卸数として記録しました;"
                "?grid=1|12|みかん|96|100|4|80|320|置換（100）#2|13|りんご|0|1,000|1,000|80|80,000|置換（1,000）"_s),
            QString());
        b->form->close();
        QCOMPARE(b->logs(u"棚卸取込"_s),
                 u"0, 1 棚卸取込:[2024/01/05][ 12], 1 棚卸取込:[2024/01/05][ 13], 9"_s);
    }

    // The book stock shown is the stock-count screen's "システム現在庫数" of that goods and day,
    // a count already on the day ignored.
    void bookStockAsTheCountScreen() {
        addLedgerRows(b->dir, u"20240105 9 55"_s); // read with the file, after the screen opened
        QCOMPARE(b->play(read(file(u"c.txt"_s, "12\t60\n")) +
                         u";?grid=1|12|みかん|96|60|-36|80|-2,880|置換（55）"_s),
                 QString());
        b->form->close();
        b->form.reset();
        gstrArgs = QStringList{u"2"_s};
        b->open<frmTanaden>()->setLockWait(30);
        QCOMPARE(b->play(u"date:20240105;txtGcode=12;Enter;?lblZaikoSuu=96;?txtSuu=55"_s), QString());
    }

    // F4 chooses the file through the dialog seam and reads it at once; the option adds the goods
    // the file left out with 0; another day drops the check.
    void chooserAndZeroOption() {
        b->dialogs.answerOpenFile(file(u"sjis.csv"_s, QByteArray("12,7\r\n")));
        child<QCheckBox>(form, "chkZero")->setChecked(true);
        QCOMPARE(b->play(u"txtFile=;F4;?grid=1|12|みかん|96|7|-89|80|-7,120|新規#|13|りんご|0|0|0|80|0|"
                         u"新規・ファイルになし;"
                         "txtDd=6;?grid="_s),
                 QString());
        QCOMPARE(joined(b->dialogs.openRequests.size(), form->haveCheck()), joined(1, false));
    }

    // Another program holds the write lock: eleven short attempts, "記録エラー", nothing written.
    void lockedDatabase() {
        QCOMPARE(b->play(read(file(u"c.csv"_s, "12,5\n")) + u";lock;yes;F5;unlock;?counts="_s), QString());
        QVERIFY2(b->dialogs.lastMessage().text.startsWith(u"記録に失敗しました！"_s), qPrintable(b->said()));
        QCOMPARE(b->logs(u"棚卸取込"_s), u"0"_s);
    }

    // F9: the difference list previewed, refused lines first, with a log row of kind 4.
    void differenceList() {
        QCOMPARE(b->play(read(file(u"c.csv"_s, "12,100\n99,1\n")) + u";F9"_s), QString());
        QCOMPARE(previews().size(), 1);
        const ActiveReport* report = previews().first()->report();
        const auto rows = report->printedRows();
        QCOMPARE(joined(report->Caption, rows.size(), rows.value(0).value(1), rows.value(1).join(u'|')),
                 joined(u"棚卸差異表"_s, 2, u"99"_s, u"1|12|みかん|96|100|4|80|320|新規"_s));
        QCOMPARE(b->logs(u"棚卸取込"_s), u"0, 4 棚卸差異表:確認"_s);
    }

    void unreadableFileAndHelp() {
        press(Qt::Key_F1);
        QTRY_VERIFY(form->helpWindow() && form->helpWindow()->isVisible());
        QCOMPARE(form->helpPage(), u"frmStocktake"_s);
        QVERIFY2(form->helpWindow()->windowTitle().contains(u"棚卸取込"_s),
                 qPrintable(form->helpWindow()->windowTitle()));
        auto* browser = form->helpWindow()->findChild<QTextBrowser*>(u"helpBrowser"_s);
        QVERIFY(browser && browser->toPlainText().contains(u"ハンディスキャナー"_s));
        form->helpWindow()->close();
        QVERIFY(showAndActivate(form));
        QCOMPARE(b->play(read(b->dir.path() + u"/none.csv"_s) + u";?grid=;?said=*ファイルを開けません*"_s),
                 QString());
    }
};

QTEST_MAIN(TestStocktakeScreen)
#include "tst_stocktakescreen.moc"
