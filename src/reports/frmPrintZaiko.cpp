#include "reports/frmPrintZaiko.h"

#include "app/basInputFlush.h"
#include "app/basMessage.h"
#include "app/basOperationLog.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "data/basDb.h"
#include "popups/frmPopupGoods.h"
#include "reports/PrintBusy.h"
#include "reports/basPrintScreen.h"
#include "reports/basStockList.h"
#include "reports/rptKakuhoZaiko.h"
#include "reports/rptZaiko.h"
#include "ui/AlertColour.h"
#include "ui/DateFields.h"
#include "ui/basAccessible.h"
#include "ui/basDate.h"
#include "ui/basInput.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("在庫一覧表");
const QString kPatternCode = QStringLiteral("1111-0000-0001");  // at load, in a code field
const QString kPatternOther = QStringLiteral("1000-0000-0001"); // options, check box, buttons
const QString kPatternBusy = QStringLiteral("1000-0000-0000");
const QString kDateTip = QStringLiteral("在庫を計算する日付を入力します");

QLabel* newValueLabel(QWidget* parent, const QString& name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(300);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

// A text box the focus passes through on its way elsewhere: in the tab order, never seen.
QLineEdit* newTrap(QWidget* parent, const QString& name, int tabIndex) {
    QLineEdit* box = FormBase::newTextBox(parent, name, tabIndex, QString(), 0);
    box->setFrame(false);
    box->setGeometry(0, 0, 0, 0);
    box->setFixedSize(0, 0);
    fnHideFromReaders(box);
    return box;
}

} // namespace

frmPrintZaiko::frmPrintZaiko(QWidget* parent) : FormBase(FormKind::Screen, parent) {
    setObjectName(QStringLiteral("frmPrintZaiko"));
    setWindowTitle(kCaption);
    buildControls();
    setToolbar(kPatternCode);
    fitToolbar();
    m_date->setToday();
    fnLoadSysfile();
}

frmPrintZaiko::~frmPrintZaiko() {
    // Hidden while whole: hiding moves the focus and the focus handlers must see a complete form.
    hide();
}

void frmPrintZaiko::buildControls() {
    QWidget* b = body();
    txtZero = newTrap(b, QStringLiteral("txtZero"), 0);

    auto* frame = new QGroupBox(QStringLiteral("印刷区分"), b);
    frame->setObjectName(QStringLiteral("fraKubun"));
    auto* frameLayout = new QVBoxLayout(frame);
    const QString captions[2] = {QStringLiteral("現在庫一覧表"), QStringLiteral("確保割れ在庫一覧表")};
    const QString tips[2] = {QStringLiteral("現在庫一覧表を印刷します"),
                             QStringLiteral("確保割れ在庫一覧表を印刷します")};
    for (int i = 0; i < 2; ++i) {
        optKubun[i] = new QRadioButton(captions[i], frame);
        optKubun[i]->setObjectName(QStringLiteral("optKubun_%1").arg(i));
        optKubun[i]->setToolTip(tips[i]);
        setTabIndex(optKubun[i], 1 + i);
        frameLayout->addWidget(optKubun[i]);
        connect(optKubun[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) chkStop->setEnabled(i == 0);
        });
    }
    chkStop = new QCheckBox(QStringLiteral("中止商品のみ出力する(&S)"), frame);
    chkStop->setObjectName(QStringLiteral("chkStop"));
    chkStop->setToolTip(QStringLiteral("中止商品のみ出力する場合はチェックします"));
    setTabIndex(chkStop, 3);
    frameLayout->addSpacing(4);
    frameLayout->addWidget(chkStop);
    optKubun[0]->setChecked(true);

    m_date = new DateFields(b, QStringLiteral("txtYy"), QStringLiteral("txtMm"), QStringLiteral("txtDd"),
                            QStringLiteral("dtpDay"));
    m_date->setCompleteYear(true);
    m_date->setRange(QDate(1900, 1, 1), QDate(2099, 12, 31));
    txtYy = m_date->year();
    txtMm = m_date->month();
    txtDd = m_date->day();
    dtpDay = m_date->picker();
    setTabIndex(txtYy, 4);
    setTabIndex(txtMm, 5);
    setTabIndex(txtDd, 6);
    setTabIndex(dtpDay, 7);
    setTabStop(dtpDay, false); // it hands its focus to the month at once
    for (QWidget* w : {static_cast<QWidget*>(txtYy), static_cast<QWidget*>(txtMm),
                       static_cast<QWidget*>(txtDd), static_cast<QWidget*>(dtpDay)})
        w->setToolTip(kDateTip);

    const QString codeTips[2] = {QStringLiteral("出力する範囲の先頭の商品コードを入力します"),
                                 QStringLiteral("出力する範囲の終了の商品コードを入力します")};
    for (int i = 0; i < 2; ++i) {
        txtCode[i] = newTextBox(b, QStringLiteral("txtCode_%1").arg(i), 8 + i, QString(), 12);
        // The second code sits under the first, after "～", without a caption of its own.
        if (i == 1) txtCode[i]->setAccessibleName(QStringLiteral("商品コード ～"));
        txtCode[i]->setToolTip(codeTips[i]);
        txtCode[i]->setFixedWidth(txtCode[i]->fontMetrics().horizontalAdvance(QString(14, u'0')) + 14);
        lblGoodsName[i] = newValueLabel(b, QStringLiteral("lblGoodsName_%1").arg(i));
    }
    txtDummy[0] = newTrap(b, QStringLiteral("txtDummy_0"), 10);
    const QString buttons[2] = {QStringLiteral("印刷"), QStringLiteral("確認")};
    for (int i = 0; i < 2; ++i) {
        cmdBtn[i] = new QPushButton(buttons[i], b);
        cmdBtn[i]->setObjectName(QStringLiteral("cmdBtn_%1").arg(i));
        cmdBtn[i]->setAutoDefault(false);
        cmdBtn[i]->setMinimumWidth(96);
        setTabIndex(cmdBtn[i], 11 + i);
        connect(cmdBtn[i], &QPushButton::clicked, this, [this, i] { fnPrintList(i); });
    }
    txtDummy[1] = newTrap(b, QStringLiteral("txtDummy_1"), 13);
    lblMsg = new QLabel(b);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    AlertColour::apply(lblMsg);

    auto* grid = new QGridLayout(b);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(frame, 0, 0, 1, 3, Qt::AlignLeft);

    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(4);
    dateRow->addWidget(txtYy);
    dateRow->addWidget(new QLabel(QStringLiteral("年"), b));
    dateRow->addWidget(txtMm);
    dateRow->addWidget(new QLabel(QStringLiteral("月"), b));
    dateRow->addWidget(txtDd);
    dateRow->addWidget(new QLabel(QStringLiteral("日"), b));
    dateRow->addSpacing(8);
    dateRow->addWidget(dtpDay);
    dateRow->addWidget(new QLabel(QStringLiteral("現在"), b));
    dateRow->addStretch(1);
    grid->addWidget(new QLabel(QStringLiteral("日付"), b), 1, 0);
    grid->addLayout(dateRow, 1, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("商品コード"), b), 2, 0);
    grid->addWidget(txtCode[0], 2, 1);
    grid->addWidget(lblGoodsName[0], 2, 2);
    auto* tilde = new QLabel(QStringLiteral("～"), b);
    grid->addWidget(tilde, 3, 1, Qt::AlignHCenter);
    grid->addWidget(txtCode[1], 4, 1);
    grid->addWidget(lblGoodsName[1], 4, 2);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(lblMsg, 1);
    buttonRow->addWidget(cmdBtn[0]);
    buttonRow->addWidget(cmdBtn[1]);
    grid->addLayout(buttonRow, 5, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(6, 1);
}

void frmPrintZaiko::fnLoadSysfile() {
    QString mode;
    try {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("SELECT gno,stankakbn FROM Sysfile WHERE Id = 1"));
        if (!rec.Eof()) {
            mode = fnGoodsCodeMode(fnGetFieldValue(rec, QStringLiteral("gno"), 1));
            m_stankaKbn = fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("stankakbn"), 2)));
        }
        rec.Close();
    } catch (const DbError&) {
        // Start-up has already told the user the database could not be opened.
    }
    for (QLineEdit* box : txtCode)
        setInputMode(box, mode);
}

StockListRange frmPrintZaiko::range() const {
    StockListRange r;
    r.day = fnFieldsToDate(txtYy, txtMm, txtDd);
    r.code0 = fnPadLeft(txtCode[0]->text(), 12);
    r.code1 = fnPadLeft(txtCode[1]->text(), 12);
    r.name0 = lblGoodsName[0]->text();
    r.name1 = lblGoodsName[1]->text();
    r.stopOnly = chkStop->isChecked();
    return r;
}

// --- keys and focus -----------------------------------------------------------------------------

void frmPrintZaiko::functionKey(int n) {
    switch (n) {
    case 2:
        fnNextData();
        break;
    case 3:
        fnPrevData();
        break;
    case 4:
        fnGoodsList();
        break;
    case 12:
        close();
        break;
    default:
        FormBase::functionKey(n);
        break;
    }
}

void frmPrintZaiko::focusEnter(QWidget* now) {
    if (m_busy || m_checking) return;
    if (now == txtZero) {
        optKubun[0]->setFocus(Qt::OtherFocusReason);
    } else if (now == txtDummy[0] || now == txtDummy[1]) {
        // Reached from a control whose leaving did not route it (a button, a click).
        fnRouteTrap(now, nullptr);
    } else if (now == optKubun[0] || now == optKubun[1]) {
        setTabStop(txtYy, false);
        enableToolbar(kPatternOther);
    } else if (now == chkStop || now == cmdBtn[0] || now == cmdBtn[1]) {
        enableToolbar(kPatternOther);
    } else if (now == txtMm || now == txtDd) {
        setTabStop(txtYy, true);
        fnSelectText(static_cast<QLineEdit*>(now), false);
    } else if (now == txtYy) {
        fnSelectText(txtYy, false);
    } else if (now == dtpDay) {
        txtMm->setFocus(Qt::OtherFocusReason);
    } else if (now == txtCode[0] || now == txtCode[1]) {
        fnSelectText(static_cast<QLineEdit*>(now), false);
        enableToolbar(kPatternCode);
    }
}

void frmPrintZaiko::focusLeave(QWidget* old, QWidget* now, bool stillInside) {
    if (m_busy || m_checking || !stillInside) return;
    if (old == txtCode[0] || old == txtCode[1]) {
        const int i = old == txtCode[0] ? 0 : 1;
        if (fnCheckCode(i)) return;
        QWidget* active = activeControl(this);
        if (active == txtDummy[0] || active == txtDummy[1]) fnRouteTrap(active, old);
    } else if ((old == cmdBtn[0] || old == cmdBtn[1]) && (now == txtDummy[0] || now == txtDummy[1])) {
        fnRouteTrap(now, old);
    }
}

void frmPrintZaiko::fnRouteTrap(QWidget* trap, QWidget* from) {
    QWidget* to = optKubun[0];
    if (from == txtCode[1])
        to = trap == txtDummy[0] ? static_cast<QWidget*>(cmdBtn[0]) : txtCode[0];
    else if (from == txtCode[0])
        to = txtCode[1];
    else if (from == cmdBtn[1])
        to = txtMm;
    else if (from == cmdBtn[0])
        to = txtCode[1];
    if (to->isEnabled()) to->setFocus(Qt::OtherFocusReason);
}

void frmPrintZaiko::formUnload() {
    // The print screen owns the shared connection's end (the close log row is already written).
    fnCloseDB();
}

// --- code fields --------------------------------------------------------------------------------

void frmPrintZaiko::fnSetCode(int i, const QString& code, const QString& name) {
    txtCode[i]->setText(code);
    lblGoodsName[i]->setText(name);
}

bool frmPrintZaiko::fnCheckCode(int i) {
    m_checking = true;
    bool back = false;
    try {
        if (txtCode[i]->text().trimmed().isEmpty()) {
            const GoodsPick g = fnRangeEndGoods(i == 1);
            if (g.found) fnSetCode(i, g.code, g.name);
        } else {
            const GoodsPick g = fnFindGoods(fnPadLeft(txtCode[i]->text(), 12));
            if (!g.found) {
                fnMessage(QStringLiteral("未登録"));
                fnSetCode(i, QString(), QString());
            } else if (g.zkubun != 0) {
                fnMessage(QStringLiteral("在庫対象外"));
                fnSetCode(i, QString(), QString());
            } else {
                fnSetCode(i, g.code, g.name);
                if (g.stop == 1 && fnMessage(QStringLiteral("中止")) == MsgNo) {
                    txtCode[i]->setFocus(Qt::OtherFocusReason);
                    back = true;
                }
            }
        }
    } catch (const DbError& e) {
        fnShowDbError(e.description());
    }
    fnFlushInput();
    m_checking = false;
    if (back) {
        fnSelectText(txtCode[i], false);
        enableToolbar(kPatternCode);
    }
    return back;
}

int frmPrintZaiko::activeCodeIndex() const {
    QWidget* active = activeControl(const_cast<frmPrintZaiko*>(this));
    if (active == txtCode[0]) return 0;
    if (active == txtCode[1]) return 1;
    return -1;
}

void frmPrintZaiko::fnNextData() {
    fnStepCode(true);
}

void frmPrintZaiko::fnPrevData() {
    fnStepCode(false);
}

void frmPrintZaiko::fnStepCode(bool forward) {
    const int i = activeCodeIndex();
    if (i < 0) return;
    {
        BusyGuard busy(this);
        try {
            const GoodsPick g = fnStepGoods(fnPadLeft(txtCode[i]->text(), 12), forward);
            if (g.found) fnSetCode(i, g.code, g.name);
        } catch (const DbError& e) {
            fnShowDbError(e.description());
        }
    }
    fnSelectText(txtCode[i], false);
}

void frmPrintZaiko::fnGoodsList() {
    const int i = activeCodeIndex();
    if (i < 0) return;
    QString chosen;
    {
        frmPopupGoods popup(this);
        popup.gbytMode = 1;
        popup.gstrCode = fnPadLeft(txtCode[i]->text(), 12);
        popup.exec();
        chosen = popup.gstrCode;
    }
    if (!chosen.trimmed().isEmpty()) {
        BusyGuard busy(this);
        busy.setFocusAfter(txtCode[i]);
        try {
            const GoodsPick g = fnFindGoods(fnPadLeft(chosen, 12));
            if (g.found) fnSetCode(i, g.code, g.name);
        } catch (const DbError& e) {
            fnShowDbError(e.description());
        }
    }
    fnFlushInput();
    if (txtCode[i]->isEnabled() && !txtCode[i]->hasFocus()) txtCode[i]->setFocus(Qt::OtherFocusReason);
    fnSelectText(txtCode[i], false);
}

// --- printing -----------------------------------------------------------------------------------

void frmPrintZaiko::fnPrintList(int mode) {
    if (m_busy) return;
    for (QLineEdit* box : {txtYy, txtMm, txtDd, txtCode[0], txtCode[1]}) {
        if (!box->text().trimmed().isEmpty()) continue;
        fnMessage(QStringLiteral("未記入"));
        if (box->isEnabled()) box->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_busy = true;
    {
        PrintBusy busy(this,
                       {txtZero, txtYy, txtMm, txtDd, dtpDay, chkStop, txtCode[0], txtCode[1], txtDummy[0],
                        txtDummy[1], cmdBtn[0], cmdBtn[1], optKubun[0], optKubun[1]},
                       lblMsg, kPatternBusy, kPatternOther);
        fnListReport(mode, busy.progress());
    }
    m_busy = false;
}

void frmPrintZaiko::fnListReport(int mode, PrintProgress* progress) {

    if (fnPadLeft(txtCode[0]->text(), 12) > fnPadLeft(txtCode[1]->text(), 12)) {
        const QString code = txtCode[0]->text();
        const QString name = lblGoodsName[0]->text();
        fnSetCode(0, txtCode[1]->text(), lblGoodsName[1]->text());
        fnSetCode(1, code, name);
    }
    const StockListRange r = range();
    int count = -1;
    try {
        count = fnCountStockGoods(r.code0, r.code1, r.stopOnly);
    } catch (const DbError& e) {
        fnShowDbError(e.description());
    }
    if (count == 0) {
        fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
    } else if (count > 0) {
        const int kind = optKubun[0]->isChecked() ? 0 : 1;
        bool done = false;
        if (kind == 0) {
            auto report = std::make_unique<rptZaiko>();
            report->StankaKbn = m_stankaKbn;
            report->Range = r;
            done = fnPrintOrPreview(std::move(report), mode, progress);
        } else {
            auto report = std::make_unique<rptKakuhoZaiko>();
            report->Range = r;
            done = fnPrintOrPreview(std::move(report), mode, progress);
        }
        if (!done) return; // stopped by the user: no print to log
        fnOperationLog(kCaption, 4,
                       optKubun[kind]->text() +
                           (mode == 0 ? QStringLiteral(":印刷") : QStringLiteral(":確認")));
    }
}
