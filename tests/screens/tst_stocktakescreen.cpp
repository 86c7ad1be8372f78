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
#include <QPushButton>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

using namespace screen;

namespace {
const int kDay = 20240105;
} // namespace
using namespace Qt::Literals::StringLiterals;

class TstStocktakeScreen : public QObject {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<frmStocktake> form;

    QString file(const QString& name, const QByteArray& bytes) const {
        const QString path = dir->path() + u'/' + name;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
        f.write(bytes);
        return path;
    }
    void open() {
        form = std::make_unique<frmStocktake>();
        form->setLockWait(30);
        QVERIFY(showAndActivate(form.get()));
    }
    // The day and the file typed, the file box left with Enter: the file is read and checked.
    void read(int day, const QString& path) {
        type(form.get(), "txtYy", QString::number(day / 10000));
        type(form.get(), "txtMm", QString::number(day / 100 % 100));
        type(form.get(), "txtDd", QString::number(day % 100));
        type(form.get(), "txtFile", path);
        press(Qt::Key_Return);
    }
    // The grid's rows, cells joined with '|'; a refused row starts with '!'.
    QStringList grid() const {
        auto* view = child<QTableView>(form.get(), "grdCheck");
        auto* model = static_cast<StocktakeModel*>(view->model());
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            out << (model->refusedRow(r) ? u"!"_s : QString()) + cells.join(u'|');
        }
        return out;
    }
    QString counts() const {
        return dir->rows(u"select gcode,suu from gdai where kubun = 9 and day = 20240105 order by gcode"_s);
    }
    int logs(int kind) const {
        return dir->count(
            u"select count(*) from operatlog where naiyou = '棚卸取込' and kubun = %1"_s.arg(kind));
    }

private slots:
    void init() {
        gstrArgs = QStringList{u"6"_s};
        dir = std::make_unique<TempProgramDir>();
        dialogs = std::make_unique<ScriptedDialogs>();
        dir->addCategory(1, u"食品"_s);
        dir->addGoods(u"12"_s, u"みかん"_s, 1);
        dir->addGoods(u"13"_s, u"りんご"_s, 1);
        dir->addGoods(u"30"_s, u"送料"_s, 1, 1);
        dir->exec(u"update goods set stanka = 80"_s);
        dir->addLedger(u"12"_s, 20240101, 9, 90);
        dir->addLedger(u"12"_s, 20240103, 0, 10);
        dir->addLedger(u"12"_s, kDay, 1, 4, 3, 1);
    }
    void cleanup() {
        closePreviews();
        if (form) form->close();
        form.reset();
        dialogs.reset();
        dir.reset();
        gstrArgs.clear();
    }

    // A refused line comes first and marked, and F5 writes nothing; corrected and read again, F5
    // asks "記録" and writes every count, with the count screen's log rows.
    void refusedThenWritten() {
        open();
        QCOMPARE(form->windowTitle(), u"棚卸取込"_s);
        QCOMPARE(logs(0), 1);
        const QString path = file(u"counts.csv"_s, "\xEF\xBB\xBF"
                                                   "code,qty\r\n12,100\r\n30,1\r\n13,\"1,000\"\r\n");
        read(kDay, path);
        QCOMPARE(grid(), (QStringList{u"!3|30|送料|0|1||80||拒否：この商品は在庫対象外です"_s,
                                      u"2|12|みかん|96|100|4|80|320|新規"_s,
                                      u"4|13|りんご|0|1,000|1,000|80|80,000|新規"_s}));
        QVERIFY(child<QLabel>(form.get(), "lblSummary")->text().contains(u"拒否 1"_s));
        QVERIFY(!child<QPushButton>(form.get(), "cmdOk")->isEnabled());
        press(Qt::Key_F5);
        QCOMPARE(dialogs->lastMessage().text,
                 u"取り込めない行が1行あります。ファイルを直して読み込み直してください"_s);
        QCOMPARE(counts(), QString());

        file(u"counts.csv"_s, "12,100\n13,1000\n");
        dialogs->clear();
        press(Qt::Key_F2);
        QCOMPARE(grid().size(), 2);
        dialogs->answerMessage(MsgNo);
        press(Qt::Key_F5);
        QCOMPARE(dialogs->lastMessage().text, u"記録します\r\n棚卸日 2024/01/05　2件（うち置換 0件）"_s);
        QCOMPARE(counts(), QString());
        dialogs->answerMessage(MsgYes);
        press(Qt::Key_F5);
        QCOMPARE(counts(), u"          12|100.0,          13|1000.0"_s);
        QCOMPARE(logs(1), 2);
        QCOMPARE(
            dir->count(
                u"select count(*) from operatlog where syousai = '棚卸取込:[2024/01/05][          13]'"_s),
            1);
        QCOMPARE(child<QLabel>(form.get(), "lblMsg")->text(), u"2件を2024/01/05の棚卸数として記録しました"_s);
        // Read again after the write: both counts are now there to be replaced; the book stock
        // still ignores them, as the count screen does.
        QCOMPARE(grid(), (QStringList{u"1|12|みかん|96|100|4|80|320|置換（100）"_s,
                                      u"2|13|りんご|0|1,000|1,000|80|80,000|置換（1,000）"_s}));
        form->close();
        QCOMPARE(logs(9), 1);
    }

    // The book stock shown is the stock-count screen's "システム現在庫数" of that goods and day,
    // a count already on the day ignored.
    void bookStockAsTheCountScreen() {
        dir->addLedger(u"12"_s, kDay, 9, 55);
        open();
        read(kDay, file(u"c.txt"_s, "12\t60\n"));
        QCOMPARE(grid(), QStringList{u"1|12|みかん|96|60|-36|80|-2,880|置換（55）"_s});
        form->close();
        form.reset();
        gstrArgs = QStringList{u"2"_s};
        frmTanaden count;
        count.setLockWait(30);
        QVERIFY(showAndActivate(&count));
        typeDate(&count, kDay);
        type(&count, "txtGcode", u"12"_s);
        press(Qt::Key_Return);
        QCOMPARE(text(&count, "lblZaikoSuu"), u"96"_s);
        QCOMPARE(text(&count, "txtSuu"), u"55"_s);
        count.close();
    }

    // F4 chooses the file through the dialog seam and reads it at once; the option adds the goods
    // the file left out with 0; another day drops the check.
    void chooserAndZeroOption() {
        open();
        type(form.get(), "txtFile", {});
        dialogs->answerOpenFile(file(u"sjis.csv"_s, QByteArray("12,7\r\n")));
        child<QCheckBox>(form.get(), "chkZero")->setChecked(true);
        press(Qt::Key_F4);
        QCOMPARE(dialogs->openRequests.size(), 1);
        QCOMPARE(grid(), (QStringList{u"1|12|みかん|96|7|-89|80|-7,120|新規"_s,
                                      u"|13|りんご|0|0|0|80|0|新規・ファイルになし"_s}));
        type(form.get(), "txtDd", u"6"_s);
        QCOMPARE(grid(), QStringList());
        QVERIFY(!form->haveCheck());
    }

    // Another program holds the write lock: eleven short attempts, "記録エラー", nothing written.
    void lockedDatabase() {
        open();
        read(kDay, file(u"c.csv"_s, "12,5\n"));
        Connection other;
        dir->holdWriteLock(other);
        dialogs->answerMessage(MsgYes);
        press(Qt::Key_F5);
        QVERIFY2(dialogs->lastMessage().text.startsWith(u"記録に失敗しました！"_s),
                 qPrintable(dialogs->lastMessage().text));
        other.Execute(u"ROLLBACK"_s);
        QCOMPARE(counts(), QString());
        QCOMPARE(logs(1), 0);
    }

    // F9: the difference list previewed, refused lines first, with a log row of kind 4.
    void differenceList() {
        open();
        read(kDay, file(u"c.csv"_s, "12,100\n99,1\n"));
        press(Qt::Key_F9);
        QCOMPARE(previews().size(), 1);
        ActiveReport* report = previews().first()->report();
        QCOMPARE(report->Caption, u"棚卸差異表"_s);
        QCOMPARE(report->printedRows().size(), 2);
        QCOMPARE(report->printedRows().at(0).value(1), u"99"_s);
        QCOMPARE(report->printedRows().at(1).join(u'|'), u"1|12|みかん|96|100|4|80|320|新規"_s);
        QCOMPARE(dir->count(u"select count(*) from operatlog where naiyou = '棚卸取込' and kubun = 4 and "
                            "syousai = '棚卸差異表:確認'"_s),
                 1);
    }

    void unreadableFileAndHelp() {
        open();
        press(Qt::Key_F1);
        QTRY_VERIFY(form->helpWindow() && form->helpWindow()->isVisible());
        QCOMPARE(form->helpPage(), u"frmStocktake"_s);
        QVERIFY2(form->helpWindow()->windowTitle().contains(u"棚卸取込"_s),
                 qPrintable(form->helpWindow()->windowTitle()));
        auto* browser = form->helpWindow()->findChild<QTextBrowser*>(u"helpBrowser"_s);
        QVERIFY(browser && browser->toPlainText().contains(u"ハンディスキャナー"_s));
        form->helpWindow()->close();
        QVERIFY(showAndActivate(form.get()));
        read(kDay, dir->path() + u"/none.csv"_s);
        QVERIFY(dialogs->lastMessage().text.contains(u"ファイルを開けません"_s));
        QCOMPARE(grid(), QStringList());
    }
};

QTEST_MAIN(TstStocktakeScreen)
#include "tst_stocktakescreen.moc"
