// The date an entry screen writes: only a calendar day from 1900 to 2099, short years completed,
// and always the date its check saw, whatever the focus does while a box is up.

#include "EntryDriver.h"
#include "ui/DataRows.h"

#include "core/basFormat.h"
#include "screens/frmPopupZaiko.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"

#include <QDateEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace entry;
using namespace Qt::Literals::StringLiterals;

namespace {

// Answers as scripted, but first takes the focus out of the screen, as a real box does.
class FocusTakingDialogs final : public DialogSeam {
public:
    explicit FocusTakingDialogs(ScriptedDialogs& answers) : m_answers(answers) { setDialogs(this); }
    ~FocusTakingDialogs() override { setDialogs(&m_answers); }
    int messageBox(const MessageRequest& r) override {
        if (QWidget* w = QApplication::focusWidget()) w->clearFocus();
        QApplication::processEvents();
        return m_answers.messageBox(r);
    }
    QString saveFileName(const SaveFileRequest& r) override { return m_answers.saveFileName(r); }
    bool startProgram(const ProgramStart& s, QString* e) override { return m_answers.startProgram(s, e); }

private:
    ScriptedDialogs& m_answers;
};

} // namespace

class TstEntryDates : public QObject, DataRows {
    Q_OBJECT

    // A row of `day` opened from the command line or picked in the F4 list; today's row of the
    // same goods must come through F8 and F5 untouched.
    template <class F> void openImpossibleDay() {
        const QString kind = QString::number(F::screenTexts().kubun);
        EntryBench<F> b(kind == u"0"_s ? u"1"_s : u"2"_s);
        const int day = fetch<int>("day");
        const int today = QDate::currentDate().toString(u"yyyyMMdd"_s).toInt();
        b.dir.addLedger(u"12"_s, day, kind.toInt(), 42);
        b.dir.addLedger(u"12"_s, today, kind.toInt(), 3);
        const bool fromList = fetch<bool>("fromList");
        if (!fromList) gstrArgs << QString::number(day) << u"12"_s;
        b.open();
        if (fromList) {
            type(b.form.get(), "txtMm", {});
            std::function<void()> pick = [&] {
                auto* popup = qobject_cast<frmPopupZaiko*>(QApplication::activeModalWidget());
                if (!popup || !popup->isEnabled()) return QTimer::singleShot(10, pick);
                QTest::mouseClick(child<QPushButton>(popup, "cmdFind"), Qt::LeftButton);
                QTreeWidget* list = popup->listView();
                const auto items = list->findItems(fnFormat(day, u"####/##/##"_s), Qt::MatchExactly, 0);
                if (items.size() == 1) {
                    const QPoint at = list->visualItemRect(items.first()).center();
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                }
                popup->hide(); // in case the pick failed
            };
            QTimer::singleShot(10, pick);
            press(Qt::Key_F4);
            QVERIFY(showAndActivate(b.form.get())); // back from the popup
        }
        QCOMPARE(b.dialogs.messages.size(), 1);
        QCOMPARE(b.said().text, F::screenTexts().missingDate);
        QCOMPARE(int(b.said().icon), int(MsgIcon::Exclamation));
        QCOMPARE(shown(b.form.get()), QString::number(today) + u"|||||"_s);
        b.dialogs.answerMessage(MsgYes);
        press(Qt::Key_F8);
        press(Qt::Key_F5);
        QCOMPARE(b.said().text, u"商品を入力してください"_s);
        const QString kept = day < today
                                 ? QString::number(day) + u"|42.0,"_s + QString::number(today) + u"|3.0"_s
                                 : QString::number(today) + u"|3.0,"_s + QString::number(day) + u"|42.0"_s;
        QCOMPARE(b.gdai(u"day,suu"_s), kept);
    }

    template <class F> void run() {
        EntryBench<F> b(F::screenTexts().kubun == 0 ? u"1"_s : u"2"_s);
        FocusTakingDialogs boxes(b.dialogs);
        b.open();
        QWidget* form = b.form.get();
        pickGoods(form, kDay, u"12"_s);
        type(form, "txtSuu", u"7"_s);
        type(form, "txtYy", fetch<QString>("year"));
        if (!fetch<bool>("f5InYearBox")) type(form, "txtSuu", {});
        b.dialogs.answerMessage(MsgYes);
        press(Qt::Key_F5);
        const int day = fetch<int>("written");
        const QString kind = QString::number(F::screenTexts().kubun);
        if (day == 0) {
            QCOMPARE(b.said().text, F::screenTexts().missingDate);
            QCOMPARE(b.dir.count(u"select count(*) from gdai where kubun = "_s + kind), 0);
            QCOMPARE(b.logs(1), 0);
        } else {
            QCOMPARE(b.gdai(u"day,suu"_s, u"kubun = "_s + kind), QString::number(day) + u"|7.0"_s);
            const QString shown = fnFormat(day, u"####/##/##"_s);
            QCOMPARE(b.logs(1, F::screenTexts().caption + u":["_s + shown + u"]["_s + kG12 + u"]"_s), 1);
        }
    }

private slots:
    void dates_data() {
        cols<bool, QString, bool, int>("receipt", "year", "f5InYearBox", "written");
        for (const bool receipt : {true, false}) {
            const char* s = receipt ? "receipt: " : "count: ";
            const auto tag = [&](const char* t) { return (QByteArray(s) + t); };
            QTest::newRow(tag("year 0 refused")) << receipt << u"0"_s << false << 0;
            QTest::newRow(tag("year 26 left: 2026")) << receipt << u"26"_s << false << 20260105;
            QTest::newRow(tag("year 26, F5 in the box: 2026")) << receipt << u"26"_s << true << 20260105;
            QTest::newRow(tag("year 1899 left: held at the first day"))
                << receipt << u"1899"_s << false << 19000101;
            QTest::newRow(tag("year 1899, F5 in the box refused")) << receipt << u"1899"_s << true << 0;
            QTest::newRow(tag("year 2100 refused")) << receipt << u"2100"_s << true << 0;
            QTest::newRow(tag("changed year, F5 in the box")) << receipt << u"2023"_s << true << 20230105;
        }
    }
    void dates() {
        if (fetch<bool>("receipt"))
            run<frmSiiden>();
        else
            run<frmTanaden>();
    }

    // A ledger row on a day the date boxes cannot show (another program wrote it) is refused with
    // the screen's date message and fills nothing in.
    void impossibleDayOpensNothing_data() {
        cols<bool, int, bool>("receipt", "day", "fromList");
        const std::pair<const char*, int> days[] = {{"29 Feb of a common year", 20230229},
                                                    {"month 13", 20231301},
                                                    {"day 00", 20230100},
                                                    {"day 0", 0},
                                                    {"before 1900", 18991231},
                                                    {"after 2099", 21000101}};
        for (const bool receipt : {true, false}) {
            for (const auto& [name, day] : days)
                QTest::newRow((QByteArray(receipt ? "receipt, " : "count, ") + "command line: " + name))
                    << receipt << day << false;
            // The list shows only what reads as a date: the two outside the boxes' range.
            for (const auto& [name, day] : days)
                if (day / 10000 == 1899 || day / 10000 == 2100)
                    QTest::newRow((QByteArray(receipt ? "receipt, " : "count, ") + "F4 list: " + name))
                        << receipt << day << true;
        }
    }
    void impossibleDayOpensNothing() {
        if (fetch<bool>("receipt"))
            openImpossibleDay<frmSiiden>();
        else
            openImpossibleDay<frmTanaden>();
    }

    void pickerLimits() {
        EntryBench<frmSiiden> b(u"1"_s);
        b.open();
        auto* picker = child<QDateEdit>(b.form.get(), "DTPicker");
        QCOMPARE(picker->minimumDate(), QDate(1900, 1, 1));
        QCOMPARE(picker->maximumDate(), QDate(2099, 12, 31));
    }
};

QTEST_MAIN(TstEntryDates)
#include "tst_entrydates.moc"
