#include "reports/frmPrintNTden.h"

#include "app/basMessage.h"
#include "app/basOperationLog.h"
#include "core/basNumber.h"
#include "data/DbError.h"
#include "data/basDb.h"
#include "reports/PrintBusy.h"
#include "reports/PrintProgress.h"
#include "reports/basPrintScreen.h"
#include "reports/rptNyuuden.h"
#include "ui/AlertColour.h"
#include "ui/DateFields.h"
#include "ui/basDate.h"
#include "ui/basInput.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("入庫処理／在庫数調整一覧表");
const QString kPatternIdle = QStringLiteral("1000-0000-0001");
const QString kPatternBusy = QStringLiteral("0000-0000-0000");

// Right-justified with blanks to the width, as the date boxes show their numbers.
void padBox(QLineEdit* box, int width) {
    const QString t = box->text().trimmed();
    if (t.isEmpty()) return;
    const QString padded = t.rightJustified(width, u' ');
    if (padded != box->text()) box->setText(padded);
}

} // namespace

frmPrintNTden::frmPrintNTden(QWidget* parent) : FormBase(FormKind::Screen, parent) {
    setObjectName(QStringLiteral("frmPrintNTden"));
    setWindowTitle(kCaption);
    buildControls();
    setToolbar(kPatternIdle);
    fitToolbar();
    for (DateFields* d : m_date)
        d->setToday();
}

frmPrintNTden::~frmPrintNTden() {
    // Hidden while whole: hiding moves the focus and the focus handlers must see a complete form.
    hide();
}

void frmPrintNTden::buildControls() {
    QWidget* b = body();
    auto* frame = new QGroupBox(QStringLiteral("印刷区分"), b);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* frameLayout = new QVBoxLayout(frame);
    const QString captions[2] = {QStringLiteral("入庫処理一覧表"), QStringLiteral("在庫数調整一覧表")};
    const QString tips[2] = {QStringLiteral("入庫処理一覧表を印刷します"),
                             QStringLiteral("在庫数調整一覧表を印刷します")};
    for (int i = 0; i < 2; ++i) {
        optKubun[i] = new QRadioButton(captions[i], frame);
        optKubun[i]->setObjectName(QStringLiteral("optKubun_%1").arg(i));
        optKubun[i]->setToolTip(tips[i]);
        setTabIndex(optKubun[i], i);
        frameLayout->addWidget(optKubun[i]);
        connect(optKubun[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) lblDay->setText(i == 0 ? QStringLiteral("入庫日") : QStringLiteral("調整日"));
        });
    }
    lblDay = new QLabel(QStringLiteral("入庫日"), b);
    lblDay->setObjectName(QStringLiteral("lblDay"));
    optKubun[0]->setChecked(true);

    auto* grid = new QGridLayout(b);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(frame, 0, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(lblDay, 1, 0);

    const QString yearTips[2] = {QStringLiteral("入庫日または調整日の開始を入力します"),
                                 QStringLiteral("入庫日または調整日の終了を入力します")};
    const QString dayTips[2] = {QStringLiteral("入庫日または棚卸日の開始を入力します"),
                                QStringLiteral("入庫日または調整日の終了を入力します")};
    for (int i = 0; i < 2; ++i) {
        m_date[i] = new DateFields(b, QStringLiteral("txtYy_%1").arg(i), QStringLiteral("txtMm_%1").arg(i),
                                   QStringLiteral("txtDd_%1").arg(i), QStringLiteral("dtpDay_%1").arg(i));
        m_date[i]->setCompleteYear(true);
        // The end of the range sits under its start, after "～", without a caption of its own.
        if (i == 1) m_date[i]->year()->setAccessibleName(QStringLiteral("～ 年"));
        m_date[i]->setRange(QDate(1900, 1, 1), QDate(2099, 12, 31));
        txtYy[i] = m_date[i]->year();
        txtMm[i] = m_date[i]->month();
        txtDd[i] = m_date[i]->day();
        dtpDay[i] = m_date[i]->picker();
        setTabIndex(txtYy[i], 2 + 4 * i);
        setTabIndex(txtMm[i], 3 + 4 * i);
        setTabIndex(txtDd[i], 4 + 4 * i);
        setTabIndex(dtpDay[i], 5 + 4 * i);
        setTabStop(dtpDay[i], false); // chosen with the mouse; Enter goes from field to field
        txtYy[i]->setToolTip(yearTips[i]);
        txtMm[i]->setToolTip(dayTips[i]);
        txtDd[i]->setToolTip(dayTips[i]);
        // A date chosen in the calendar: on to the month of its row.
        connect(dtpDay[i]->calendarWidget(), &QCalendarWidget::clicked, this, [this, i] {
            QTimer::singleShot(0, this, [this, i] {
                if (txtMm[i]->isEnabled()) txtMm[i]->setFocus(Qt::OtherFocusReason);
            });
        });

        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(txtYy[i]);
        row->addWidget(new QLabel(QStringLiteral("年"), b));
        row->addWidget(txtMm[i]);
        row->addWidget(new QLabel(QStringLiteral("月"), b));
        row->addWidget(txtDd[i]);
        row->addWidget(new QLabel(QStringLiteral("日"), b));
        row->addSpacing(8);
        row->addWidget(dtpDay[i]);
        row->addStretch(1);
        grid->addLayout(row, 1 + 2 * i, 1);
    }
    auto* tilde = new QLabel(QStringLiteral("～"), b);
    tilde->setObjectName(QStringLiteral("Label1"));
    grid->addWidget(tilde, 2, 1);

    cmdPre = new QPushButton(QStringLiteral("確認"), b);
    cmdPre->setObjectName(QStringLiteral("cmdPre"));
    cmdPrint = new QPushButton(QStringLiteral("印刷"), b);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    setTabIndex(cmdPre, 10);
    setTabIndex(cmdPrint, 11);
    for (QPushButton* button : {cmdPre, cmdPrint}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(96);
    }
    connect(cmdPre, &QPushButton::clicked, this, [this] { fnPrintList(1); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { fnPrintList(0); });
    lblMsg = new QLabel(b);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    AlertColour::apply(lblMsg);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblMsg, 1);
    buttons->addWidget(cmdPre);
    buttons->addWidget(cmdPrint);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
}

int frmPrintNTden::rowOf(const QWidget* w) const {
    for (int i = 0; i < 2; ++i)
        if (w == txtYy[i] || w == txtMm[i] || w == txtDd[i] || w == dtpDay[i]) return i;
    return -1;
}

void frmPrintNTden::functionKey(int n) {
    if (n == 12)
        close();
    else
        FormBase::functionKey(n);
}

void frmPrintNTden::focusEnter(QWidget* now) {
    if (m_busy) return;
    if (now == optKubun[0] || now == optKubun[1]) {
        setTabStop(txtYy[0], false);
        return;
    }
    const int row = rowOf(now);
    if (row < 0 || now == dtpDay[row]) return;
    if (now == txtMm[row] || now == txtDd[row]) {
        setTabStop(txtYy[row], true);
        if (row == 0) setTabStop(txtYy[1], false);
    }
    fnSelectText(static_cast<QLineEdit*>(now), false);
}

void frmPrintNTden::focusLeave(QWidget* old, QWidget*, bool stillInside) {
    if (m_busy || !stillInside) return;
    // The row check itself runs as the box loses the focus; here the field keeps its width.
    const int row = rowOf(old);
    if (row >= 0 && (old == txtMm[row] || old == txtDd[row])) padBox(static_cast<QLineEdit*>(old), 2);
    if (row >= 0 && old == txtYy[row] && fnVal(txtYy[row]->text()) != 0) padBox(txtYy[row], 4);
}

void frmPrintNTden::formUnload() {
    fnCloseDB();
}

bool frmPrintNTden::fnCheckInput() {
    for (QLineEdit* box : {txtYy[0], txtMm[0], txtDd[0], txtYy[1], txtMm[1], txtDd[1]}) {
        if (!box->text().trimmed().isEmpty()) continue;
        fnMessage(QStringLiteral("未記入"));
        if (box->isEnabled()) box->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const qint32 start = fnFieldsToDate(txtYy[0], txtMm[0], txtDd[0]);
    const qint32 end = fnFieldsToDate(txtYy[1], txtMm[1], txtDd[1]);
    if (start > end) {
        m_date[0]->setDate(end);
        m_date[1]->setDate(start);
    }
    return true;
}

void frmPrintNTden::fnPrintList(int mode) {
    if (m_busy || !fnCheckInput()) return;
    m_busy = true;
    {
        PrintBusy busy(this,
                       {optKubun[0], optKubun[1], txtYy[0], txtMm[0], txtDd[0], dtpDay[0], txtYy[1], txtMm[1],
                        txtDd[1], dtpDay[1], cmdPre, cmdPrint},
                       lblMsg, kPatternBusy, kPatternIdle);
        fnListReport(mode, busy.progress());
    }
    m_busy = false;
}

void frmPrintNTden::fnListReport(int mode, PrintProgress* progress) {
    const qint32 start = fnFieldsToDate(txtYy[0], txtMm[0], txtDd[0]);
    const qint32 end = fnFieldsToDate(txtYy[1], txtMm[1], txtDd[1]);
    const int kind = optKubun[0]->isChecked() ? 0 : 9;
    Recordset rec;
    try {
        // A long list is counted while it is read and may be stopped there.
        fnOpenRecordset(rec, rptNyuuden::listSql(kind, start, end),
                        [progress](int rows) { return !progress || progress->step(rows, 0); });
    } catch (const DbError& e) {
        fnShowDbError(e.description());
        return;
    }
    if (rec.stopped()) return;
    if (rec.RecordCount() == 0) {
        fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
        return;
    }
    auto report = std::make_unique<rptNyuuden>();
    report->grecBuff = &rec;
    report->setMode(kind);
    report->glngCnt = rec.RecordCount();
    report->StartDay = start;
    report->EndDay = end;
    // The pages are laid out before the preview opens, so the recordset may go with this routine.
    if (!fnPrintOrPreview(std::move(report), mode, progress)) return;
    fnOperationLog(kCaption, 4,
                   optKubun[kind == 0 ? 0 : 1]->text() +
                       (mode == 0 ? QStringLiteral(":印刷") : QStringLiteral(":確認")));
}
