#include "reports/PrintScreenDriver.h"
#include "reports/ScriptedPrinters.h"
#include "screens/EntryDriver.h"
#include "ui/DataRows.h"

#include "core/basDateNumber.h"
#include "data/basDb.h"
#include "reports/ReportPreview.h"
#include "reports/frmPrintNTden.h"
#include "reports/rptNyuuden.h"

#include <QDateEdit>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace entry;

namespace {

// The texts of a report's first page and its printed lines (columns joined with '|').
QString firstPage(const ActiveReport* r) {
    return r->Pages().isEmpty() ? QString() : r->Pages().first().texts().join(u' ');
}
QStringList lines(const ActiveReport* r) {
    QStringList out;
    for (const QStringList& row : r->printedRows())
        out << row.join(u'|');
    return out;
}

int today() {
    const QDate d = QDate::currentDate();
    return d.year() * 10000 + d.month() * 100 + d.day();
}

} // namespace

class tst_PrintNTden : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmPrintNTden> m_form;

    QWidget* form() const { return m_form.get(); }
    void open() {
        m_form = std::make_unique<frmPrintNTden>();
        QVERIFY(showAndActivate(form()));
    }
    void typeRow(int row, int day) {
        const QByteArray r = QByteArray::number(row);
        type(form(), "txtYy_" + r, QString::number(day / 10000));
        type(form(), "txtMm_" + r, QString::number(day / 100 % 100));
        type(form(), "txtDd_" + r, QString::number(day % 100));
        type(form(), "txtYy_" + r, {}); // leave the day box
    }
    int rowDay(int row) const {
        const QByteArray r = QByteArray::number(row);
        return text(form(), "txtYy_" + r).trimmed().toInt() * 10000 +
               text(form(), "txtMm_" + r).trimmed().toInt() * 100 +
               text(form(), "txtDd_" + r).trimmed().toInt();
    }
    ActiveReport* shown() const { return previews().size() == 1 ? previews().first()->report() : nullptr; }
    int logs(int kind, const QString& detail = {}) const {
        QString sql =
            u"select count(*) from operatlog where naiyou='入庫処理／在庫数調整一覧表' and kubun=%1"_s.arg(
                kind);
        return m_dir->count(detail.isEmpty() ? sql : sql + u" and syousai='"_s + detail + u"'"_s);
    }

private slots:
    void init() {
        m_dir = std::make_unique<TempProgramDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dir->addGoods(u"10"_s, u"みかん"_s);
        m_dir->addGoods(u"20"_s, u"りんご"_s);
        // Every kind on 2024-03-01..05, one receipt of goods that do not exist, rows outside the range.
        m_dir->addLedger(u"10"_s, 20240301, 0, 1234);
        m_dir->addLedger(u"20"_s, 20240301, 0, 5);
        m_dir->addLedger(u"10"_s, 20240302, 1, 7, 101, 1);
        m_dir->addLedger(u"10"_s, 20240303, 2, 2, 102, 1);
        m_dir->addLedger(u"20"_s, 20240305, 9, 40);
        m_dir->addLedger(u"99"_s, 20240304, 0, 8);
        m_dir->addLedger(u"10"_s, 20240229, 0, 3);
        m_dir->addLedger(u"10"_s, 20240306, 9, 9);
        m_dir->addLedger(u"20"_s, today(), 0, 11);
    }
    void cleanup() {
        closePreviews();
        if (m_form) m_form->close();
        m_form.reset();
        m_dialogs.reset();
        m_dir.reset();
    }

    void opens() {
        open();
        QCOMPARE(logs(0), 1);
        QCOMPARE(rowDay(0), today());
        QCOMPARE(rowDay(1), today());
        QCOMPARE(labelText(form(), "lblDay"), u"入庫日"_s);
        child<QRadioButton>(form(), "optKubun_1")->click();
        QCOMPARE(labelText(form(), "lblDay"), u"調整日"_s);
        QVERIFY(m_form->isToolbarEnabled(1) && m_form->isToolbarEnabled(12) && !m_form->isToolbarEnabled(2));
    }

    void dayBoxRightJustified() {
        open();
        type(form(), "txtDd_0", u"5"_s);
        type(form(), "txtMm_1", {});
        QCOMPARE(text(form(), "txtDd_0"), u" 5"_s);
        type(form(), "txtYy_1", u"24"_s);
        type(form(), "txtMm_1", {});
        QCOMPARE(text(form(), "txtYy_1"), u"2024"_s);
        QCOMPARE(child<QDateEdit>(form(), "dtpDay_1")->date().year(), 2024);
    }

    // Kind, range typed: the lines of the preview (day|code|name|quantity) and the header's range.
    void lists_data() {
        cols<int, int, int, QString, QString>("option", "start", "end", "lines", "range");
        row("receipts", 0, 20240301, 20240305, "2024/03/01|10|みかん|1,234,2024/03/01|20|りんご|5",
            "入庫日 2024/03/01 ～ 2024/03/05");
        row("adjustments", 1, 20240301, 20240305, "2024/03/05|20|りんご|40",
            "調整日 2024/03/01 ～ 2024/03/05");
        row("backwards range swapped", 1, 20240331, 20240301,
            "2024/03/05|20|りんご|40,2024/03/06|10|みかん|9", "調整日 2024/03/01 ～ 2024/03/31");
        row("one day, both ends", 0, 20240229, 20240229, "2024/02/29|10|みかん|3",
            "入庫日 2024/02/29 ～ 2024/02/29");
    }
    void lists() {
        open();
        child<QRadioButton>(form(), fetch<int>("option") ? "optKubun_1" : "optKubun_0")->click();
        typeRow(0, fetch<int>("start"));
        typeRow(1, fetch<int>("end"));
        child<QPushButton>(form(), "cmdPre")->click();
        QVERIFY(shown());
        QStringList got = lines(shown());
        for (QString& l : got)
            l = l.section(u'|', 0, 0) + u'|' + l.section(u'|', 1, 1).trimmed() + u'|' + l.section(u'|', 2);
        QCOMPARE(got.join(u','), fetch<QString>("lines"));
        QVERIFY2(firstPage(shown()).contains(fetch<QString>("range")), qPrintable(firstPage(shown())));
        QVERIFY(rowDay(0) <= rowDay(1)); // the rows show the range in order
        QCOMPARE(child<QDateEdit>(form(), "dtpDay_0")->date(), fnNumberToDate(rowDay(0)));
        const QString detail = fetch<int>("option") ? u"在庫数調整一覧表:確認"_s : u"入庫処理一覧表:確認"_s;
        QCOMPARE(logs(4, detail), 1);
        QVERIFY(child<QWidget>(form(), "cmdPrint")->isEnabled() &&
                child<QWidget>(form(), "txtYy_0")->isEnabled());
        QCOMPARE(labelText(form(), "lblMsg"), QString());
    }

    void todayByDefault() {
        open();
        child<QPushButton>(form(), "cmdPre")->click();
        QVERIFY(shown());
        QCOMPARE(lines(shown()).size(), 1);
        QVERIFY(lines(shown()).first().endsWith(u"りんご|11"_s));
    }

    void nothingInRange() {
        open();
        typeRow(0, 20200101);
        typeRow(1, 20200131);
        child<QPushButton>(form(), "cmdPrint")->click();
        QCOMPARE(m_dialogs->lastMessage().text, u"該当データがありません"_s);
        QVERIFY(previews().isEmpty());
        QCOMPARE(logs(4), 0);
        for (const char* name : {"cmdPre", "cmdPrint", "txtYy_0", "txtDd_1", "dtpDay_0", "optKubun_1"})
            QVERIFY2(child<QWidget>(form(), name)->isEnabled(), name);
        QVERIFY(m_form->isToolbarEnabled(12));
    }

    void emptyField() {
        open();
        child<QLineEdit>(form(), "txtMm_1")->clear();
        child<QPushButton>(form(), "cmdPre")->click();
        QCOMPARE(m_dialogs->lastMessage().text, u"未記入項目があります"_s);
        QCOMPARE(focusName(), u"txtMm_1"_s);
        QVERIFY(previews().isEmpty());
    }

    void printedPdf() {
        open();
        ScriptedPrinters printer;
        const QTemporaryDir out;
        printer.outputFile = out.filePath(u"list.pdf"_s);
        typeRow(0, 20240301);
        typeRow(1, 20240305);
        child<QPushButton>(form(), "cmdPrint")->click();
        QCOMPARE(printer.requests.size(), 1);
        QCOMPARE(printer.requests.first().pageLayout.orientation(), QPageLayout::Portrait);
        QCOMPARE(logs(4, u"入庫処理一覧表:印刷"_s), 1);
        const QString pdf = poppler(u"pdftotext"_s, {u"-layout"_s, printer.outputFile, u"-"_s});
        for (const QString& s : {u"入庫処理一覧表"_s, u"2024/03/01"_s, u"1,234"_s, u"みかん"_s, u"1 / 1"_s})
            QVERIFY2(pdf.contains(s), qPrintable(s + u" missing in:\n"_s + pdf));
        QVERIFY(!pdf.contains(u"2024/03/04"_s)); // the receipt of goods that do not exist
    }

    void manyRowsStayPainted() {
        m_dir->exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
                    "insert into gdai (gcode, day, kubun, denno, line, suu) "
                    "select '          10', 20230101 + (i % 28), 0, 0, 0, i from n"_s);
        open();
        typeRow(0, 20230101);
        typeRow(1, 20230131);
        PaintedTexts painted;
        child<QLabel>(form(), "lblMsg")->installEventFilter(&painted);
        child<QPushButton>(form(), "cmdPre")->click();
        QVERIFY(shown());
        QCOMPARE(lines(shown()).size(), 100000);
        QVERIFY2(painted.texts.contains(u"処理中・・・ 50,000 / 100,000"_s),
                 qPrintable(painted.texts.join(u',')));
        QCOMPARE(labelText(form(), "lblMsg"), QString());
    }

    void closes() {
        open();
        m_form->close();
        QVERIFY(!gcnData);
        QVERIFY(fnOpenDB());
        QCOMPARE(logs(9), 1);
    }

    // The report on its own: the counter ends the list; Mode relabels it.
    void report_data() {
        cols<int, int, QString, QString>("mode", "count", "title", "lines");
        row("three of five", 0, 3, "入庫処理一覧表", "2024/03/01|1234,2024/03/01|5,2024/03/02|7");
        row("adjustments", 9, 1, "在庫数調整一覧表", "2024/03/01|1234");
        row("another mode keeps the labels", 5, 2, "入庫処理一覧表", "2024/03/01|1234,2024/03/01|5");
        row("a counter past the rows stops at the last", 0, 9, "入庫処理一覧表",
            "2024/03/01|1234,2024/03/01|5,2024/03/02|7,2024/03/03|2,2024/03/05|40");
    }
    void report() {
        Recordset rec;
        fnOpenRecordset(rec,
                        u"SELECT day,gcode,suu,g.name as gname FROM gdai as d,goods as g "
                        "WHERE d.gcode=g.code AND day BETWEEN 20240301 AND 20240305 ORDER BY day,gcode"_s);
        rptNyuuden r;
        r.grecBuff = &rec;
        r.setMode(fetch<int>("mode"));
        r.glngCnt = fetch<int>("count");
        r.StartDay = 20240301;
        r.EndDay = 20240305;
        QVERIFY(r.Run());
        QStringList got;
        for (const QString& l : lines(&r))
            got << l.section(u'|', 0, 0) + u'|' + l.section(u'|', 3, 3).remove(u',');
        QCOMPARE(got.join(u','), fetch<QString>("lines"));
        QCOMPARE(r.control(u"lblMenu"_s)->Caption, fetch<QString>("title"));
        QVERIFY(firstPage(&r).contains(u"1,234"_s));
        QVERIFY(r.PreviewCentered);
        QCOMPARE(r.PageSettings.Orientation, int(ReportPageSettings::ddOPortrait));
    }

    void toolCsv_data() {
        cols<QString, QString>("args", "csv");
        row("receipts", "--kind 0 --start 20240301 --end 20240305",
            "入庫日,商品コード,商品名称,数量|2024/03/01,10,みかん,\"1,234\"|2024/03/01,20,りんご,5");
        row("adjustments, range backwards", "--kind 9 --start 20240306 --end 20240305",
            "調整日,商品コード,商品名称,数量|2024/03/05,20,りんご,40|2024/03/06,10,みかん,9");
    }
    void toolCsv() {
        const QString file = m_dir->path() + u"/list.csv"_s;
        QStringList args = {u"report"_s, u"nyuuden"_s, m_dir->path()};
        args << fetch<QString>("args").split(u' ') << u"--csv"_s << file;
        QProcess p;
        p.start(qEnvironmentVariable("ZANMO_TOOL"), args);
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll().mid(3));
        QCOMPARE(text.split(u"\r\n"_s, Qt::SkipEmptyParts).join(u'|'), fetch<QString>("csv"));
    }
};

QTEST_MAIN(tst_PrintNTden)
#include "tst_printntden.moc"
