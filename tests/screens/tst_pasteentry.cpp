// The receipt entry screen's fields fed by the mouse, drops and the input method instead of keys,
// and a goods name too long for its label.

#include "EntryDriver.h"

#include "screens/frmSiiden.h"
#include "ui/DataRows.h"
#include "ui/PasteRoutes.h"
#include "ui/basLabel.h"

#include <QtTest>

using namespace entry;
using namespace Qt::Literals::StringLiterals;

class TstPasteEntry : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<EntryBench<frmSiiden>> b;
    QWidget* form() const { return b->form.get(); }
    QLineEdit* box(const char* name) const { return child<QLineEdit>(form(), name); }

private slots:
    void init() { b = std::make_unique<EntryBench<frmSiiden>>(u"1"_s); }
    void cleanup() { b.reset(); }

    // The quantity of a receipt brought in, then saved with F5: only what typing lets in is stored.
    // "from the code" brings it while the focus is still in the code box.
    void quantity_data() {
        cols<QString, QString, QString, QString>("route", "given", "shown", "stored");
        row("menu: exponent", "menu", "1e9", "19", "19.0");
        row("drop: minus sign", "drop", "-5", "5", "5.0");
        row("drop: six digits at most", "drop", "1234567", "123456", "123456.0");
        row("input method: no comma while typing", "ime", "1,234", "1234", "1234.0");
        row("ctrl+v: apostrophe", "ctrl+v", "'7", "7", "7.0");
        row("middle button: minus sign", "middle", "-8", "8", "8.0");
        row("drop from the code: the quantity's own rules", "drop from the code", "1,5", "15", "15.0");
        row("input method: nothing left", "ime", "inf", "", "0.0");
        // Dragged from another program: the screen's window is not the active one.
        row("inactive window: the focused rule", "drop inactive", "9,999,999", "999999", "999999.0");
        row("inactive window: seven digits", "drop inactive", "9999999", "999999", "999999.0");
        row("inactive window: minus sign", "drop inactive", "-5", "5", "5.0");
        row("inactive window: exponent", "drop inactive", "1e9", "19", "19.0");
        row("inactive window, from the code", "drop inactive from the code", "1,234,567", "123456",
            "123456.0");
    }
    void quantity() {
        const QString route = fetch<QString>("route");
        if (route == u"middle"_s && !paste::hasMiddleButtonPaste())
            QSKIP("no selection clipboard on this platform");
        b->open();
        b->dialogs.answerMessage(MsgYes);
        if (route.endsWith(u"from the code"_s)) {
            typeDate(form(), kDay);
            type(form(), "txtGcode", u"12"_s);
        } else {
            pickGoods(form(), kDay, u"12"_s);
            QCOMPARE(focusName(), u"txtSuu"_s);
        }
        QWidget source; // the program the text is dragged from
        const bool inactive = route.contains(u"inactive"_s);
        if (inactive) {
            new QLineEdit(&source);
            QVERIFY(showAndActivate(&source));
        }
        paste::bring(route.section(u' ', 0, 0), box("txtSuu"), fetch<QString>("given"));
        if (inactive) QVERIFY(showAndActivate(form())); // back to the screen
        // The code was checked on the way out of its box.
        QTRY_COMPARE(focusName(), u"txtSuu"_s);
        QCOMPARE(labelText(form(), "lblGoodsName"), u"みかん"_s);
        QTEST(text(form(), "txtSuu"), "shown");
        QVERIFY(!box("txtSuu")->hasSelectedText()); // a key typed next adds to it
        press(Qt::Key_F5);
        QCOMPARE(b->said().text, u"記録します"_s);
        QTEST(b->gdai("suu", "kubun=0"), "stored");
    }
    // The category (two digits) and the code (no apostrophe, 12 bytes).
    void codes_data() {
        cols<QString, QString, QString, QString>("field", "route", "given", "shown");
        row("category by the menu", "txtBunrui", "menu", "-1x", "1");
        row("category dropped, two digits", "txtBunrui", "drop", "123", "12");
        row("code by the menu", "txtGcode", "menu", "1'2", "12");
        row("code dropped, twelve bytes", "txtGcode", "drop", "ABCDEFGHIJKLMN", "ABCDEFGHIJKL");
        row("code by the input method", "txtGcode", "ime", "Ａ12'", "12");
    }
    void codes() {
        b->open();
        const QByteArray field = fetch<QString>("field").toLatin1();
        type(form(), field.constData(), {});
        paste::bring(fetch<QString>("route"), box(field.constData()), fetch<QString>("given"));
        QTEST(text(form(), field.constData()), "shown");
    }

    // A name wider than its label ends with "…"; the label keeps the whole name.
    void longGoodsNameEndsWithAnEllipsis() {
        const QString name =
            u"北海道産特選ジャンボ大玉みかん詰め合わせ贈答用三十個入り化粧箱付き産地直送品"_s;
        b->dir.addGoods(u"77"_s, name, 1);
        b->open();
        type(form(), "txtGcode", u"77"_s);
        press(Qt::Key_Return);
        auto* label = child<QLabel>(form(), "lblGoodsName");
        QCOMPARE(label->text(), name);
        QTRY_VERIFY(label->fontMetrics().horizontalAdvance(name) > label->contentsRect().width());
        const QString shown = fnShownLabelText(label);
        QVERIFY2(shown.endsWith(u'…') && name.startsWith(shown.chopped(1)), qPrintable(shown));
        QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->contentsRect().width());
        // A short name is shown whole.
        type(form(), "txtGcode", u"12"_s);
        press(Qt::Key_Return);
        QCOMPARE(fnShownLabelText(label), u"みかん"_s);
    }
};

QTEST_MAIN(TstPasteEntry)
#include "tst_pasteentry.moc"
