#include "popups/PopupDriver.h"
#include "reports/PrintScreenDriver.h"
#include "reports/ScriptedPrinters.h"
#include "screens/EntryDriver.h"
#include "ui/DataRows.h"

#include "data/basDb.h"
#include "popups/frmPopupGoods.h"
#include "reports/ReportPreview.h"
#include "reports/frmPrintZaiko.h"
#include "reports/rptZaiko.h"

#include "ui/basDate.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace entry;

namespace {

// The printed lines of the one open preview, columns joined with '|'.
QStringList previewLines() {
    const QList<ReportPreview*> open = previews();
    if (open.size() != 1) return {u"previews: %1"_s.arg(open.size())};
    QStringList out;
    for (const QStringList& row : open.first()->report()->printedRows())
        out << (row.value(0).trimmed() + u'|' + row.value(1)); // a code prints with its blanks
    return out;
}

} // namespace

class tst_PrintZaiko : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmPrintZaiko> m_form;

    QWidget* form() const { return m_form.get(); }
    void open() {
        m_form = std::make_unique<frmPrintZaiko>();
        QVERIFY(showAndActivate(form()));
    }
    // Both code fields typed and left with Enter ("" leaves a field blank).
    void typeRange(const QString& from, const QString& to) {
        type(form(), "txtCode_0", from);
        press(Qt::Key_Return);
        type(form(), "txtCode_1", to);
        press(Qt::Key_Return);
    }
    QString codes() const {
        return text(form(), "txtCode_0").trimmed() + u'|' + labelText(form(), "lblGoodsName_0") + u'|' +
               text(form(), "txtCode_1").trimmed() + u'|' + labelText(form(), "lblGoodsName_1");
    }
    int logs(int kind, const QString& detail = {}) const {
        QString sql = u"select count(*) from operatlog where naiyou='在庫一覧表' and kubun=%1"_s.arg(kind);
        return m_dir->count(detail.isEmpty() ? sql : sql + u" and syousai='"_s + detail + u"'"_s);
    }
    void choose(int option, bool stopOnly) {
        child<QRadioButton>(form(), option == 0 ? "optKubun_0" : "optKubun_1")->click();
        child<QCheckBox>(form(), "chkStop")->setChecked(stopOnly);
    }

private slots:
    void init() {
        m_dir = std::make_unique<TempProgramDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dir->addGoods(u"10"_s, u"みかん"_s);
        m_dir->addGoods(u"20"_s, u"りんご"_s);
        m_dir->addGoods(u"30"_s, u"ぶどう"_s, 1, 0, /*stop*/ 1);
        m_dir->addGoods(u"40"_s, u"送料"_s, 1, /*zkubun*/ 1);
        m_dir->addGoods(u"50"_s, u"なし"_s);
        m_dir->exec(u"update goods set kakuho = 5"_s);
        m_dir->addLedger(u"10"_s, 20240101, 0, 8);
        m_dir->addLedger(u"20"_s, 20240101, 0, 5); // as much as it keeps: not short
        m_dir->addLedger(u"30"_s, 20240101, 0, 1);
        m_dir->addLedger(u"50"_s, 20240101, 0, 5);
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
        QCOMPARE(focusName(), u"optKubun_0"_s); // the first trap hands the focus on
        const QDate today = QDate::currentDate();
        QCOMPARE(fnFieldsToDate(child<QLineEdit>(form(), "txtYy"), child<QLineEdit>(form(), "txtMm"),
                                child<QLineEdit>(form(), "txtDd")),
                 today.year() * 10000 + today.month() * 100 + today.day());
        child<QRadioButton>(form(), "optKubun_1")->click();
        QVERIFY(!child<QCheckBox>(form(), "chkStop")->isEnabled());
        child<QRadioButton>(form(), "optKubun_0")->click();
        QVERIFY(child<QCheckBox>(form(), "chkStop")->isEnabled());
    }

    // Code typed into field 0 and left with Enter: what the fields show, the message key shown.
    void leaveCode_data() {
        cols<QString, int, QString, QString, QString>("typed", "answer", "shown", "message", "focus");
        row("blank: smallest active code", "", 0, "10|みかん", "", "txtCode_1");
        row("registered", "20", 0, "20|りんご", "", "txtCode_1");
        row("unregistered", "99", 0, "|", "未登録です", "txtCode_1");
        row("not stock-managed", "40", 0, "|", "在庫対象外", "txtCode_1");
        row("discontinued, go on", "30", int(MsgYes), "30|ぶどう", "中止", "txtCode_1");
        row("discontinued, back to the field", "30", int(MsgNo), "30|ぶどう", "中止", "txtCode_0");
    }
    void leaveCode() {
        open();
        if (fetch<int>("answer")) m_dialogs->answerMessage(fetch<int>("answer"));
        type(form(), "txtCode_0", fetch<QString>("typed"));
        press(Qt::Key_Return);
        QCOMPARE(codes().section(u'|', 0, 1), fetch<QString>("shown"));
        const QString message = fetch<QString>("message");
        if (message.isEmpty())
            QVERIFY(m_dialogs->messages.isEmpty());
        else
            QVERIFY2(m_dialogs->lastMessage().text.contains(message),
                     qPrintable(m_dialogs->lastMessage().text));
        QCOMPARE(focusName(), fetch<QString>("focus"));
    }

    void blankRangeAndTraps() {
        open();
        typeRange({}, {});
        QCOMPARE(codes(), u"10|みかん|50|なし"_s);
        QCOMPARE(focusName(), u"cmdBtn_0"_s); // past the trap behind the last code
        press(Qt::Key_Up);                    // back onto that trap: on to the last code
        QCOMPARE(focusName(), u"txtCode_1"_s);
        child<QPushButton>(form(), "cmdBtn_1")->setFocus();
        press(Qt::Key_Return); // forward from the last button: round to the month
        QCOMPARE(focusName(), u"txtMm"_s);
    }

    void stepCodes() {
        open();
        type(form(), "txtCode_0", u"10"_s);
        press(Qt::Key_F2); // the discontinued and the not-managed goods are stepped over
        QCOMPARE(text(form(), "txtCode_0").trimmed(), u"20"_s);
        press(Qt::Key_F2);
        QCOMPARE(codes().section(u'|', 0, 1), u"50|なし"_s);
        press(Qt::Key_F3);
        QCOMPARE(text(form(), "txtCode_0").trimmed(), u"20"_s);
        QCOMPARE(focusName(), u"txtCode_0"_s);
    }

    void goodsLookup() {
        open();
        type(form(), "txtCode_1", u"1"_s);
        const auto popup = pickInGoodsLookup<frmPopupGoods>(u"50"_s);
        press(Qt::Key_F4);
        QVERIFY(popup->driven && !popup->timedOut);
        QCOMPARE(codes().section(u'|', 2, 3), u"50|なし"_s);
        // The screen's focus (offscreen, the window is not activated again after a modal popup).
        QCOMPARE(form()->focusWidget()->objectName(), u"txtCode_1"_s);
    }

    void yearCompleted() {
        open();
        type(form(), "txtYy", u"24"_s);
        type(form(), "txtMm", u"3"_s);
        type(form(), "txtDd", u"5"_s);
        type(form(), "txtYy", u"24"_s);
        type(form(), "txtMm", {});
        QCOMPARE(text(form(), "txtYy").trimmed(), u"2024"_s);
        QCOMPARE(child<QDateEdit>(form(), "dtpDay")->date(), QDate(2024, 3, 5));
        QCOMPARE(m_form->range().day, 20240305);
    }

    void missingField() {
        open();
        type(form(), "txtCode_0", u"10"_s);
        child<QLineEdit>(form(), "txtDd")->clear();
        child<QPushButton>(form(), "cmdBtn_1")->click();
        QCOMPARE(m_dialogs->lastMessage().text, u"未記入項目があります"_s);
        QCOMPARE(focusName(), u"txtDd"_s);
        QVERIFY(previews().isEmpty());
        QCOMPARE(logs(4), 0);
    }

    // Option, switch and range: the goods the preview lists, the log detail.
    void lists_data() {
        cols<int, bool, QString, QString, QString>("option", "stop", "range", "listed", "detail");
        row("current stock", 0, false, "10-50", "10|みかん,20|りんご,50|なし", "現在庫一覧表:確認");
        row("discontinued only", 0, true, "10-50", "30|ぶどう", "現在庫一覧表:確認");
        row("backwards range put in order", 0, false, "50-20", "20|りんご,50|なし", "現在庫一覧表:確認");
        row("shortage includes discontinued", 1, false, "10-50", "30|ぶどう", "確保割れ在庫一覧表:確認");
        row("shortage with the switch", 1, true, "10-50", "30|ぶどう", "確保割れ在庫一覧表:確認");
    }
    void lists() {
        open();
        choose(fetch<int>("option"), fetch<bool>("stop"));
        const QStringList range = fetch<QString>("range").split(u'-');
        typeRange(range[0], range[1]);
        child<QPushButton>(form(), "cmdBtn_1")->click();
        QCOMPARE(previewLines().join(u','), fetch<QString>("listed"));
        QCOMPARE(logs(4, fetch<QString>("detail")), 1);
        if (range[0] > range[1]) QCOMPARE(codes(), u"20|りんご|50|なし"_s);
        // The screen is usable again, the switch enabled whichever list ran.
        for (const char* name : {"txtYy", "txtCode_0", "txtCode_1", "cmdBtn_0", "cmdBtn_1", "chkStop"})
            QVERIFY2(child<QWidget>(form(), name)->isEnabled(), name);
        QCOMPARE(labelText(form(), "lblMsg"), QString());
        QVERIFY(m_form->isToolbarEnabled(12));
    }

    void nothingToList() {
        open();
        choose(0, true);
        typeRange(u"10"_s, u"20"_s);
        child<QPushButton>(form(), "cmdBtn_1")->click();
        QCOMPARE(m_dialogs->lastMessage().text, u"該当データがありません"_s);
        QVERIFY(previews().isEmpty());
        QCOMPARE(logs(4), 0);
        QVERIFY(child<QWidget>(form(), "cmdBtn_1")->isEnabled());
    }

    void printWithPdfReadBack() {
        open();
        ScriptedPrinters printer;
        const QTemporaryDir out;
        printer.outputFile = out.filePath(u"printed.pdf"_s);
        typeRange({}, {});
        child<QPushButton>(form(), "cmdBtn_0")->click();
        QCOMPARE(printer.requests.size(), 1);
        QCOMPARE(printer.requests.first().pageLayout.orientation(), QPageLayout::Landscape);
        QVERIFY(previews().isEmpty());
        QCOMPARE(logs(4, u"現在庫一覧表:印刷"_s), 1);
        const QString printed = poppler(u"pdftotext"_s, {u"-layout"_s, printer.outputFile, u"-"_s});
        QVERIFY2(printed.contains(u"みかん"_s) && printed.contains(u"現在庫一覧表"_s), qPrintable(printed));

        // The PDF tool of a preview writes the same list.
        child<QPushButton>(form(), "cmdBtn_1")->click();
        QCOMPARE(previews().size(), 1);
        m_dialogs->answerSaveFile(out.filePath(u"preview.pdf"_s));
        previews().first()->clickTool(0);
        const QString exported =
            poppler(u"pdftotext"_s, {u"-layout"_s, out.filePath(u"preview.pdf"_s), u"-"_s});
        QVERIFY2(exported.contains(u"なし"_s) && exported.contains(u"作成日"_s), qPrintable(exported));
    }

    void databaseErrorDuringReport() {
        open();
        typeRange({}, {});
        m_dir->exec(u"drop table gdai"_s);
        child<QPushButton>(form(), "cmdBtn_1")->click();
        QVERIFY(previews().isEmpty());
        QCOMPARE(m_dialogs->lastMessage().icon, MsgIcon::Critical);
        QVERIFY2(m_dialogs->lastMessage().text.contains(u"gdai"_s),
                 qPrintable(m_dialogs->lastMessage().text));
        QVERIFY(m_form->isVisible());
        QVERIFY(child<QWidget>(form(), "cmdBtn_1")->isEnabled());
    }

    void progressPainted() {
        for (int i = 100; i < 1300; ++i)
            m_dir->addGoods(QString::number(i), u"品"_s);
        open();
        typeRange(u"100"_s, u"1299"_s);
        PaintedTexts painted;
        child<QLabel>(form(), "lblMsg")->installEventFilter(&painted);
        child<QPushButton>(form(), "cmdBtn_1")->click();
        QVERIFY2(painted.texts.contains(u"処理中・・・"_s), qPrintable(painted.texts.join(u',')));
        QVERIFY2(painted.texts.contains(u"処理中・・・ 1,000 / 1,200"_s),
                 qPrintable(painted.texts.join(u',')));
    }

    void closes() {
        open();
        m_form->close();
        QVERIFY(!gcnData); // the screen closed the shared connection
        QVERIFY(fnOpenDB());
        QCOMPARE(logs(9), 1);
    }

    // Last: it runs the event loop to its end. The print screen closed first, the preview's F12
    // ends the program.
    void programEndsWithLastWindow() {
        open();
        typeRange({}, {});
        child<QPushButton>(form(), "cmdBtn_1")->click();
        QCOMPARE(previews().size(), 1);
        QTimer::singleShot(0, this, [this] {
            m_form->close();
            QTest::keyClick(previews().first(), Qt::Key_F12);
        });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(previews().isEmpty());
    }
};

QTEST_MAIN(tst_PrintZaiko)
#include "tst_printzaiko.moc"
