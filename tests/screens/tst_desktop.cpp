#include "popups/PopupDriver.h"
#include "popups/frmPopup.h"
#include "popups/frmPopupGoods.h"
#include "reports/ActiveReport.h"
#include "reports/PrintScreenDriver.h"
#include "reports/frmPrintNTden.h"
#include "reports/frmPrintZaiko.h"
#include "reports/frmStocktake.h"
#include "screens/frmGdai.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"
#include "support/ScreenBench.h"
#include "ui/WindowPlacement.h"
#include "ui/basToolbar.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

// The program as a desktop user meets it: every window inside the screen it opens on (CTest runs
// this on a 1366x768 laptop screen with window frames at scale factors 1, 1.25 and 1.5), its place
// remembered per user, and every field named for a screen reader.
class tst_desktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fitted_data();
    void fitted();
    void reachable_data();
    void reachable();
    void windowsFit_data();
    void windowsFit();
    void placeRemembered();
    void accessibleNames_data();
    void accessibleNames();
    void saveDialogStartsInUsersFolder();

private:
    QTemporaryDir m_config;
};

namespace {

using Factory = std::function<FormBase*()>;

Factory screenFactory(int token) {
    switch (token) {
    case 1:
        return [] { return new frmSiiden; };
    case 2:
        return [] { return new frmTanaden; };
    case 3:
        return [] { return new frmGdai; };
    case 4:
        return [] { return new frmPrintZaiko; };
    case 5:
        return [] { return new frmPrintNTden; };
    default:
        return [] { return new frmStocktake; };
    }
}

// Why a window does not lie inside its screen, or "" when it does.
QString outside(const QWidget* w) {
    const QRect area = w->screen()->availableGeometry();
    const QRect frame = w->frameGeometry();
    if (area.contains(frame)) return QString();
    return QStringLiteral("%1 frame %2,%3 %4x%5 outside %6x%7 (scale %8)")
        .arg(QString::fromLatin1(w->metaObject()->className()))
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(area.width())
        .arg(area.height())
        .arg(qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")));
}

// Lets the delayed frame check run.
void settle() {
    QTest::qWait(300);
}

} // namespace

void tst_desktop::initTestCase() {
    // Window places go to a folder of this run, not the user's.
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    qputenv("HOME", QFile::encodeName(m_config.path()));
}

void tst_desktop::fitted_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("result");
    const QRect screen(0, 0, 1366, 738);
    QTest::newRow("inside stays") << QRect(100, 50, 800, 600) << QRect(100, 50, 800, 600);
    QTest::newRow("too wide and high") << QRect(-10, -10, 1585, 800) << QRect(0, 0, 1366, 738);
    QTest::newRow("off the right") << QRect(1000, 100, 600, 400) << QRect(766, 100, 600, 400);
    QTest::newRow("off the bottom") << QRect(10, 500, 600, 400) << QRect(10, 338, 600, 400);
    QTest::newRow("above and left") << QRect(-300, -40, 600, 400) << QRect(0, 0, 600, 400);
    QTest::newRow("taller, moved up") << QRect(0, 300, 600, 900) << QRect(0, 0, 600, 738);
    Q_UNUSED(screen)
}

void tst_desktop::fitted() {
    QFETCH(QRect, frame);
    QFETCH(QRect, result);
    QCOMPARE(WindowPlacement::fitted(frame, QRect(0, 0, 1366, 738)), result);
}

void tst_desktop::reachable_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<bool>("reachable");
    QTest::newRow("on the screen") << QRect(100, 100, 600, 400) << true;
    QTest::newRow("partly right, title seen") << QRect(1000, 100, 600, 400) << true;
    QTest::newRow("on a second screen since gone") << QRect(1500, 100, 600, 400) << false;
    QTest::newRow("title bar above the top") << QRect(100, -200, 600, 400) << false;
    QTest::newRow("below the bottom") << QRect(100, 760, 600, 400) << false;
}

void tst_desktop::reachable() {
    QFETCH(QRect, frame);
    QFETCH(bool, reachable);
    QCOMPARE(WindowPlacement::reachable(frame, {QRect(0, 0, 1366, 738)}), reachable);
}

void tst_desktop::windowsFit_data() {
    QTest::addColumn<int>("token");
    QTest::addColumn<QString>("open"); // "" the screen itself, or the window opened from it
    for (int token = 1; token <= 6; ++token)
        QTest::addRow("screen %d", token) << token << QString();
    QTest::newRow("goods lookup") << 1 << QStringLiteral("goods");
    QTest::newRow("category list") << 1 << QStringLiteral("category");
    QTest::newRow("ledger's goods lookup") << 3 << QStringLiteral("goods");
    QTest::newRow("preview of the stock list") << 4 << QStringLiteral("preview");
    QTest::newRow("preview of the receipt list") << 5 << QStringLiteral("preview");
    QTest::newRow("help") << 3 << QStringLiteral("help");
}

void tst_desktop::windowsFit() {
    QFETCH(int, token);
    QFETCH(QString, open);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addCategory(1, QStringLiteral("食品"));
    for (int i = 1; i <= 40; ++i)
        dir.addGoods(QString::number(i),
                     QStringLiteral("とても長い名前の商品 %1 号（業務用・大容量パック）").arg(i), 1);
    dir.addLedger(QStringLiteral("1"), QDate::currentDate().toString("yyyyMMdd").toInt(), 0, 5);
    std::unique_ptr<FormBase> form(screenFactory(token)());
    QVERIFY(screen::showAndActivate(form.get()));
    settle();
    QVERIFY2(outside(form.get()).isEmpty(), qPrintable(outside(form.get())));

    if (open == QLatin1String("goods") || open == QLatin1String("category")) {
        const char* box = token == 3 ? "txtCode" : open == QLatin1String("goods") ? "txtGcode" : "txtBunrui";
        QString why = QStringLiteral("no popup");
        const auto check = [&why](FormBase* popup) {
            settle();
            why = outside(popup);
            popup->reject();
        };
        const auto ready = [](FormBase* popup) { return popup->isVisible(); };
        screen::type(form.get(), box, {});
        if (open == QLatin1String("goods")) {
            ModalDriver<frmPopupGoods> driver(ready, check);
            screen::press(Qt::Key_F4);
            QVERIFY(driver.saw);
        } else {
            ModalDriver<frmPopup> driver(ready, check);
            screen::press(Qt::Key_F4);
            QVERIFY(driver.saw);
        }
        QVERIFY2(why.isEmpty(), qPrintable(why));
    } else if (open == QLatin1String("preview")) {
        if (token == 4) {
            screen::type(form.get(), "txtCode_0", QStringLiteral("1"));
            screen::type(form.get(), "txtCode_1", QStringLiteral("40"));
        }
        auto* confirm =
            form->findChild<QPushButton*>(token == 4 ? QStringLiteral("cmdBtn_1") : QStringLiteral("cmdPre"));
        QVERIFY(confirm);
        confirm->click();
        QTRY_COMPARE(previews().size(), 1);
        settle();
        QVERIFY2(outside(previews().first()).isEmpty(), qPrintable(outside(previews().first())));
        closePreviews();
    } else if (open == QLatin1String("help")) {
        QWidget* help = form->showHelp();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        settle();
        QVERIFY2(outside(help).isEmpty(), qPrintable(outside(help)));
    }
    form->close();
}

void tst_desktop::placeRemembered() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect left;
    {
        frmGdai form;
        QVERIFY(screen::showAndActivate(&form));
        settle();
        form.resize(form.minimumSizeHint().expandedTo(QSize(area.width() / 2, area.height() / 2)));
        form.move(area.topLeft() + QPoint(20, 20));
        settle();
        left = form.geometry();
        form.close();
    }
    {
        frmGdai again;
        QVERIFY(screen::showAndActivate(&again));
        settle();
        QCOMPARE(again.geometry(), left);
        again.close();
    }
    // A place on a screen that is gone (a projector unplugged) is not restored: the window opens on
    // the screen there is.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("zanmo"), QStringLiteral("zanmo"))
        .setValue(QStringLiteral("windows/frmGdai/pos"), QPoint(area.right() + 400, 100));
    frmGdai moved;
    QVERIFY(screen::showAndActivate(&moved));
    // Placed on the screen from the start, not pulled in later by the frame check.
    QVERIFY2(outside(&moved).isEmpty(), qPrintable(outside(&moved)));
    settle();
    QVERIFY2(outside(&moved).isEmpty(), qPrintable(outside(&moved)));
    moved.close();
}

void tst_desktop::accessibleNames_data() {
    QTest::addColumn<int>("token");
    for (int token = 1; token <= 6; ++token)
        QTest::addRow("screen %d", token) << token;
}

void tst_desktop::accessibleNames() {
    QFETCH(int, token);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<FormBase> form(screenFactory(token)());
    QVERIFY(screen::showAndActivate(form.get()));
    QAccessible::setActive(true);
    QStringList unnamed;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const bool field = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                           qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w) ||
                           qobject_cast<QAbstractItemView*>(w);
        if (!field || !w->isVisibleTo(form.get()) || w->focusPolicy() == Qt::NoFocus) continue;
        if (qobject_cast<QLineEdit*>(w) && qobject_cast<QAbstractSpinBox*>(w->parentWidget())) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QVERIFY(a);
        if (a->state().invisible) continue; // a focus trap, hidden from the reader
        if (a->text(QAccessible::Name).trimmed().isEmpty()) unnamed << w->objectName();
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u' ')));
    // The toolbar's buttons are named by their captions, usable now or not.
    for (int n = 1; n <= 12; ++n) {
        QAction* action = fnToolbarButton(form->tlbFunction(), n);
        if (!action) continue;
        QWidget* button = form->tlbFunction()->widgetForAction(action);
        QVERIFY(button);
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), fnToolbarTip(n));
    }
    form->close();
}

void tst_desktop::saveDialogStartsInUsersFolder() {
    // The ledger's CSV proposed in the user's documents folder, named for its code and month, and
    // the next export opens where the user saved last.
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(QStringLiteral("12"), QStringLiteral("みかん"), 1);
    const int today = QDate::currentDate().toString("yyyyMMdd").toInt();
    dir.addLedger(QStringLiteral("12"), today, 0, 5);
    QTemporaryDir chosen;
    frmGdai form;
    QVERIFY(screen::showAndActivate(&form));
    screen::type(&form, "txtCode", QStringLiteral("12"));
    screen::press(Qt::Key_Return);
    QTRY_VERIFY(!screen::text(&form, "lblName").isEmpty());
    auto* csv = form.findChild<QAction*>(QStringLiteral("mnuCsv"));
    QVERIFY(csv && csv->isEnabled());
    dialogs.answerSaveFile(chosen.filePath(QStringLiteral("a.csv")));
    csv->trigger();
    QTRY_COMPARE(dialogs.saveRequests.size(), 1);
    const QString first = dialogs.saveRequests.first().proposedName;
    QVERIFY2(!first.startsWith(dir.path()), qPrintable(first));
    QVERIFY2(first.contains(QStringLiteral("12")) && first.contains(QString::number(today / 100)),
             qPrintable(first));
    dialogs.answerSaveFile(QString()); // cancelled
    csv->trigger();
    QTRY_COMPARE(dialogs.saveRequests.size(), 2);
    QCOMPARE(QFileInfo(dialogs.saveRequests.at(1).proposedName).absolutePath(), chosen.path());
    form.close();
}

QTEST_MAIN(tst_desktop)
#include "tst_desktop.moc"
