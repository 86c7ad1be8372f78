#pragma once

// A small screen built the way the program's screens are: a code (mode 4, 12 bytes), a name (any
// character, 10 bytes) and a quantity (digits, 6 bytes), a button, a last box, a name label.

#include "ui/FormBase.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

class TestForm : public FormBase {
public:
    explicit TestForm(FormKind kind = FormKind::Screen) : FormBase(kind) {
        setWindowTitle(u"テスト画面"_s);
        auto* grid = new QGridLayout(body());
        txtLast = newTextBox(body(), u"txtLast"_s, 4, QString(), 0); // created first, last in the tab order
        txtCode = newTextBox(body(), u"txtCode"_s, 0, u"4"_s, 12);
        txtName = newTextBox(body(), u"txtName"_s, 1, u"X"_s, 10);
        txtSuu = newTextBox(body(), u"txtSuu"_s, 2, u"6"_s, 6);
        cmdOk = new QPushButton(u"ＯＫ"_s, body());
        cmdOk->setObjectName(u"cmdOk"_s);
        setTabIndex(cmdOk, 3);
        setTabStop(cmdOk, true);
        for (QWidget* w : std::initializer_list<QWidget*>{txtLast, txtCode, txtName, txtSuu, cmdOk})
            grid->addWidget(w, tabIndex(w), 0);
        // A name beside the fields, as the screens show it: a sunken panel that may be narrower than the
        // name.
        lblGoodsName = new QLabel(body());
        lblGoodsName->setObjectName(u"lblGoodsName"_s);
        lblGoodsName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        lblGoodsName->setMinimumWidth(120);
        grid->addWidget(lblGoodsName, 5, 0);
        connect(cmdOk, &QPushButton::clicked, this, [this] { ++okClicks; });
        setToolbar(u"1111-1101-0001"_s);
        fitToolbar();
    }

    QLineEdit *txtCode, *txtName, *txtSuu, *txtLast;
    QPushButton* cmdOk;
    QLabel* lblGoodsName;
    QList<int> keys;
    QStringList focusLog;
    int escapes = 0, okClicks = 0, unloads = 0;
    bool allowUnload = true;

protected:
    void formKeyDown(int& key, Qt::KeyboardModifiers) override {
        runKeyNavigation(key);
        if (key == Qt::Key_Escape) { // an Escape the undo did not use is the screen's cancel key
            ++escapes;
            key = 0;
        }
        runFunctionKeys(key);
        runMoveFocus(key);
    }
    void functionKey(int n) override {
        keys << n;
        FormBase::functionKey(n);
    }
    void focusEnter(QWidget* now) override {
        focusLog << u"enter "_s + now->objectName();
        if (auto* box = qobject_cast<QLineEdit*>(now)) fnSelectText(box, box == txtSuu);
        enableToolbar(now == txtCode ? u"1111-1101-0001"_s : u"1001-1101-0001"_s);
    }
    void focusLeave(QWidget* old, QWidget* now, bool inside) override {
        focusLog << u"leave %1 for %2 %3"_s.arg(old->objectName(), now ? now->objectName() : u"-"_s,
                                                inside ? u"inside"_s : u"outside"_s);
    }
    bool queryUnload() override { return allowUnload; }
    void formUnload() override { ++unloads; }
};
