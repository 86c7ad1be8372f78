#include "screens/frmGdai.h"

#include "app/basInputFlush.h"
#include "app/basMessage.h"
#include "app/basShell.h"
#include "chart/LedgerChart.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "export/basLedgerTable.h"
#include "export/basTableExport.h"
#include "popups/frmPopupGoods.h"
#include "ui/basInput.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("商品台帳");
// Toolbar patterns: at load, in the code field, in the year or month field, in the grid.
const QString kPatternLoad = QStringLiteral("1111-1100-0001");
const QString kPatternCode = QStringLiteral("1111-0000-0001");
const QString kPatternDate = QStringLiteral("1000-1100-0001");
const QString kPatternGrid = QStringLiteral("1110-0100-0001");
// Margin between the controls and the form's edges (the grid's left offset).
constexpr int kMargin = 8;
// 1500 twips at 15 twips a pixel.
constexpr int kColumnWidth = 100;

bool cellFilled(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item && !item->text().trimmed().isEmpty();
}

QLabel* newValueLabel(QWidget* parent, const QString& name, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setMargin(2);
    return label;
}

QLabel* newCaption(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

int textWidth(const QWidget* w, const QString& sample) {
    return w->fontMetrics().horizontalAdvance(sample) + 14;
}

} // namespace

QString frmGdai::voucherProgramName() {
    return QStringLiteral("denpyo");
}

QString frmGdai::ownProgramName() {
    return QString::fromUtf16(kProgramName);
}

frmGdai::frmGdai(QWidget* parent) : FormBase(FormKind::Screen, parent) {
    setObjectName(QStringLiteral("frmGdai"));
    setWindowTitle(kCaption);

    QWidget* b = body();
    txtCode = newTextBox(b, QStringLiteral("txtCode"), 0, QString(), 12);
    txtCode->setToolTip(QStringLiteral("商品コードを入力してください"));
    txtCode->setFixedWidth(textWidth(txtCode, QStringLiteral("WWWWWWWWWWWW")));
    lblName = newValueLabel(b, QStringLiteral("lblName"), Qt::AlignLeft);
    lblName->setMinimumWidth(300);

    txtYy = newTextBox(b, QStringLiteral("txtYy"), 1, QStringLiteral("6"), 4);
    txtYy->setAccessibleName(QStringLiteral("年"));
    txtYy->setToolTip(QStringLiteral("年を指定します"));
    txtYy->setFixedWidth(textWidth(txtYy, QStringLiteral("88888")));
    txtYy->setAlignment(Qt::AlignRight);
    txtMm = newTextBox(b, QStringLiteral("txtMm"), 2, QStringLiteral("6"), 2);
    txtMm->setAccessibleName(QStringLiteral("月分"));
    txtMm->setToolTip(QStringLiteral("月を指定します"));
    txtMm->setFixedWidth(textWidth(txtMm, QStringLiteral("888")));
    txtMm->setAlignment(Qt::AlignRight);

    lblNsuu = newValueLabel(b, QStringLiteral("lblNsuu"), Qt::AlignRight);
    lblSsuu = newValueLabel(b, QStringLiteral("lblSsuu"), Qt::AlignRight);
    lblHsuu = newValueLabel(b, QStringLiteral("lblHsuu"), Qt::AlignRight);
    lblZsuu = newValueLabel(b, QStringLiteral("lblZsuu"), Qt::AlignRight);
    for (QLabel* l : {lblNsuu, lblSsuu, lblHsuu, lblZsuu})
        l->setMinimumWidth(textWidth(l, QStringLiteral("-888,888,888")));

    // The grid: eight columns under one header row, no row headers, read only.
    msgMei = new QTableWidget(0, ColumnCount, b);
    msgMei->setAccessibleName(kCaption);
    msgMei->setObjectName(QStringLiteral("msgMei"));
    setTabIndex(msgMei, 3);
    setTabStop(msgMei, true);
    msgMei->setHorizontalHeaderLabels(fnLedgerCaptions());
    msgMei->verticalHeader()->setVisible(false);
    msgMei->verticalHeader()->setDefaultSectionSize(msgMei->fontMetrics().height() + 6);
    msgMei->horizontalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    msgMei->horizontalHeader()->setHighlightSections(false);
    msgMei->horizontalHeader()->setSectionsClickable(false);
    for (int c = 0; c < ColumnCount; ++c)
        msgMei->setColumnWidth(c, kColumnWidth);
    msgMei->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msgMei->setSelectionBehavior(QAbstractItemView::SelectRows);
    msgMei->setSelectionMode(QAbstractItemView::SingleSelection);
    msgMei->setAlternatingRowColors(true);
    msgMei->setWordWrap(false);
    connect(msgMei, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { fnOpenMovement(row); });
    // A right-click on the grid: the exports of the month shown (the function keys stay as they are).
    mnuCsv = new QAction(QStringLiteral("CSV出力"), msgMei);
    mnuCsv->setObjectName(QStringLiteral("mnuCsv"));
    connect(mnuCsv, &QAction::triggered, this, &frmGdai::fnExportCsv);
    mnuXlsx = new QAction(QStringLiteral("Excel出力"), msgMei);
    mnuXlsx->setObjectName(QStringLiteral("mnuXlsx"));
    connect(mnuXlsx, &QAction::triggered, this, &frmGdai::fnExportXlsx);
    msgMei->addAction(mnuCsv);
    msgMei->addAction(mnuXlsx);
    msgMei->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The grid keeps its place while it is hidden during a display, so the chart does not jump.
    QSizePolicy gridPolicy = msgMei->sizePolicy();
    gridPolicy.setRetainSizeWhenHidden(true);
    msgMei->setSizePolicy(gridPolicy);

    // The chart of the month shown, under the grid: no focus of its own, so keys and Enter go on
    // between the fields and the grid as before.
    chtLedger = new QChartView(LedgerChart::newChart(), b);
    chtLedger->setObjectName(QStringLiteral("chtLedger"));
    chtLedger->setRenderHint(QPainter::Antialiasing);
    chtLedger->setFocusPolicy(Qt::NoFocus);
    chtLedger->setFrameShape(QFrame::StyledPanel);
    chtLedger->setMinimumHeight(140);

    // Fields and totals above, the grid filling the rest of the form with the same margin all round.
    auto* outer = new QVBoxLayout(b);
    outer->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    outer->setSpacing(6);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(6);
    fields->addWidget(newCaption(b, QStringLiteral("商品コード")), 0, 0);
    fields->addWidget(txtCode, 0, 1);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(newCaption(b, QStringLiteral("名称")));
    nameRow->addWidget(lblName, 1);
    fields->addLayout(nameRow, 0, 2);
    auto* monthRow = new QHBoxLayout;
    monthRow->setSpacing(4);
    monthRow->addWidget(txtYy);
    monthRow->addWidget(new QLabel(QStringLiteral("年"), b));
    monthRow->addSpacing(4);
    monthRow->addWidget(txtMm);
    monthRow->addWidget(new QLabel(QStringLiteral("月分"), b));
    monthRow->addStretch(1);
    fields->addLayout(monthRow, 1, 1, 1, 2);
    fields->setColumnStretch(2, 1);
    outer->addLayout(fields);

    auto* totals = new QHBoxLayout;
    totals->setSpacing(6);
    const QList<QPair<QString, QLabel*>> captions = {{QStringLiteral("入庫合計"), lblNsuu},
                                                     {QStringLiteral("出庫合計"), lblSsuu},
                                                     {QStringLiteral("返品入庫合計"), lblHsuu},
                                                     {QStringLiteral("現在庫数"), lblZsuu}};
    for (const auto& [caption, label] : captions) {
        if (label != lblNsuu) totals->addSpacing(10);
        totals->addWidget(newCaption(b, caption));
        totals->addWidget(label);
    }
    totals->addStretch(1);
    outer->addLayout(totals);
    outer->addWidget(msgMei, 3);
    outer->addWidget(chtLedger, 2);

    setToolbar(kPatternLoad);
    fitToolbar();

    fnReadGoodsMode();
    fnClear(false);
    const QDate today = QDate::currentDate();
    txtYy->setText(today.toString(QStringLiteral("yyyy")));
    txtMm->setText(today.toString(QStringLiteral("MM")));

    // As tall as the chart wants, as long as the window fits the screen it opens on.
    int height = 620;
    if (const QScreen* screen = this->screen())
        height = qMin(height, screen->availableGeometry().height() - 90);
    resize(kMargin * 2 + kColumnWidth * ColumnCount + 24, qMax(height, 420));
}

frmGdai::~frmGdai() {
    // Hidden while this class is still whole: hiding moves the focus, and the base's focus
    // handlers must not run on a half-destroyed form.
    hide();
}

void frmGdai::fnReadGoodsMode() {
    // Sysfile.gno: 0 letters, digits and signs; 1 digits only; anything else no rule.
    QString mode;
    try {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("SELECT gno FROM Sysfile WHERE Id = 1"));
        if (!rec.Eof()) mode = fnGoodsCodeMode(fnGetFieldValue(rec, QStringLiteral("gno"), 1));
        rec.Close();
    } catch (const DbError&) {
        // Start-up has already told the user the database could not be opened.
    }
    setInputMode(txtCode, mode);
}

// --- keys and focus -----------------------------------------------------------------------------

void frmGdai::functionKey(int n) {
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
    case 5:
        fnShowLedger();
        break;
    case 6:
        fnCancel();
        break;
    case 12:
        close();
        break;
    default:
        FormBase::functionKey(n);
        break;
    }
}

void frmGdai::focusEnter(QWidget* now) {
    if (now == txtCode) {
        // From now on Enter goes from the code straight to the grid; year and month stay clickable.
        setTabStop(txtYy, false);
        setTabStop(txtMm, false);
        fnSelectText(txtCode, false);
        enableToolbar(kPatternCode);
    } else if (now == txtYy || now == txtMm) {
        fnSelectText(static_cast<QLineEdit*>(now), false);
        enableToolbar(kPatternDate);
    } else if (now == msgMei) {
        enableToolbar(kPatternGrid);
    }
}

void frmGdai::focusLeave(QWidget* old, QWidget* now, bool stillInside) {
    if (!stillInside) return;
    if (old == txtCode) {
        // Going from the code to the month lets the user set the month first.
        if (now != txtMm) fnCheckGoods();
    } else if (old == txtMm) {
        fnShowLedger();
    }
}

void frmGdai::formUnload() {
    // The ledger owns the shared connection's end (the close log row is already written).
    fnCloseDB();
}

void frmGdai::restoreFocus(QWidget* control) {
    if (!control || control->window() != this || QApplication::focusWidget()) return;
    if (control->isVisible() && control->isEnabled()) control->setFocus(Qt::OtherFocusReason);
}

// --- display ------------------------------------------------------------------------------------

bool frmGdai::fnCheckInput() {
    for (QLineEdit* box : {txtCode, txtYy, txtMm}) {
        if (!box->text().trimmed().isEmpty()) continue;
        fnMessage(QStringLiteral("未記入"));
        if (box->isEnabled()) box->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

void frmGdai::fnClear(bool keepGoods) {
    msgMei->clearContents();
    msgMei->setRowCount(0);
    for (QLabel* l : {lblNsuu, lblSsuu, lblHsuu, lblZsuu})
        l->clear();
    m_haveShown = false;
    enableExports();
    LedgerChart::fill(chtLedger->chart(), {});
    if (!keepGoods) {
        txtCode->clear();
        lblName->clear();
        m_ledgerCode.clear();
    }
}

int frmGdai::fnAddRow() {
    const int row = msgMei->rowCount();
    msgMei->insertRow(row);
    for (int c = 0; c < ColumnCount; ++c) {
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        msgMei->setItem(row, c, item);
    }
    return row;
}

void frmGdai::fnSetRow(int row, const LedgerRow& record) {
    for (int c = 0; c < ColumnCount; ++c)
        msgMei->item(row, c)->setText(record.cells.value(c));
    msgMei->item(row, ColDay)->setData(Qt::UserRole, record.day);
}

void frmGdai::fnShowLedger() {
    if (!fnCheckInput()) return;
    // The stored form, whatever was typed: a code typed without its blanks still finds its rows.
    const QString code = fnPadLeft(txtCode->text(), 12);
    // The code may have been left straight for the month, unchecked: the figures shown must be
    // those of the product named, and only of a stock-managed one.
    if (!fnNameGoods(code)) {
        fnClear(true);
        lblName->clear();
        m_ledgerCode.clear();
        fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
        return;
    }
    const qint32 from = fnRoundEven(fnVal(txtYy->text()) * 10000.0 + fnVal(txtMm->text()) * 100.0);
    QPointer<QWidget> focused = QApplication::focusWidget();
    bool found = false;
    bool failed = false;
    {
        BusyGuard busy(this);
        msgMei->setEnabled(false);
        msgMei->setVisible(false);
        fnClear(true);
        glngNsuu = glngSsuu = glngHsuu = 0;
        m_ledgerCode = code;
        try {
            // The same month the command line prints: rows, running stock, totals, month-end stock.
            const LedgerMonth month = fnLedgerMonth(code, from);
            for (const LedgerRow& record : month.rows)
                fnSetRow(fnAddRow(), record);
            found = msgMei->rowCount() > 0;
            glngNsuu = month.receipts;
            glngSsuu = month.shipments;
            glngHsuu = month.returns;
            const QStringList totals = month.totals();
            lblNsuu->setText(totals.at(0));
            lblSsuu->setText(totals.at(1));
            lblHsuu->setText(totals.at(2));
            lblZsuu->setText(totals.at(3));
            m_shown = month;
            m_shownName = lblName->text();
            m_haveShown = true;
            LedgerChart::fill(chtLedger->chart(), {month});
        } catch (const DbError& e) {
            fnShowDbError(e.description());
            failed = true;
        }
        msgMei->setEnabled(true);
        msgMei->setVisible(true);
    }
    enableExports();
    restoreFocus(focused);
    if (found) {
        msgMei->setCurrentCell(0, 0);
        msgMei->setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, ColumnCount - 1), true);
    } else if (!failed) {
        fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
    }
}

// --- exports ------------------------------------------------------------------------------------

void frmGdai::enableExports() {
    mnuCsv->setEnabled(m_haveShown);
    mnuXlsx->setEnabled(m_haveShown);
}

void frmGdai::fnExportCsv() {
    if (m_haveShown) fnExportTableCsv(fnLedgerTable(m_shown, m_shownName));
}

void frmGdai::fnExportXlsx() {
    if (m_haveShown) fnExportTableXlsx(fnLedgerTable(m_shown, m_shownName));
}

bool frmGdai::fnNameGoods(const QString& code) {
    try {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("SELECT code,name,zkubun FROM Goods WHERE Code = '") +
                                 fnSqlText(code) + QStringLiteral("'"));
        if (rec.Eof() || fnVal(fnGetFieldValue(rec, QStringLiteral("zkubun"), 3)) != 0) return false;
        lblName->setText(fnGetFieldValue(rec, QStringLiteral("name"), 2).trimmed());
        return true;
    } catch (const DbError& e) {
        fnShowDbError(e.description());
        return false;
    }
}

void frmGdai::fnSetGoods(const Recordset& rec) {
    txtCode->setText(fnGetFieldValue(rec, QStringLiteral("code"), 1));
    lblName->setText(fnGetFieldValue(rec, QStringLiteral("name"), 2).trimmed());
    fnShowLedger();
}

// Leaving the code field: the code must name a stock-managed product.
void frmGdai::fnCheckGoods() {
    if (txtCode->text().trimmed().isEmpty()) {
        if (txtCode->isEnabled()) txtCode->setFocus(Qt::OtherFocusReason);
        return;
    }
    try {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("SELECT code,name,zkubun,stop FROM Goods WHERE Code = '") +
                                 fnSqlText(fnPadLeft(txtCode->text(), 12)) + QStringLiteral("'"));
        if (rec.Eof()) {
            fnMessage(QStringLiteral("未登録"));
            txtCode->setFocus(Qt::OtherFocusReason);
            return;
        }
        if (fnVal(fnGetFieldValue(rec, QStringLiteral("stop"), 4)) == 1) {
            if (fnMessage(QStringLiteral("中止")) == MsgNo) txtCode->setFocus(Qt::OtherFocusReason);
        }
        if (fnVal(fnGetFieldValue(rec, QStringLiteral("zkubun"), 3)) != 0) {
            fnMessage(QStringLiteral("在庫対象外"));
            txtCode->setFocus(Qt::OtherFocusReason);
            return;
        }
        fnSetGoods(rec);
    } catch (const DbError& e) {
        fnShowDbError(e.description());
    }
}

// --- stepping -----------------------------------------------------------------------------------

void frmGdai::fnNextData() {
    QWidget* active = activeControl(this);
    if (active == txtCode)
        fnStepGoods(true);
    else if (active == msgMei)
        fnStepMonth(1);
}

void frmGdai::fnPrevData() {
    QWidget* active = activeControl(this);
    if (active == txtCode)
        fnStepGoods(false);
    else if (active == msgMei)
        fnStepMonth(-1);
}

void frmGdai::fnStepGoods(bool next) {
    const QString code = fnSqlText(fnPadLeft(txtCode->text(), 12));
    {
        BusyGuard busy(this);
        try {
            Recordset rec;
            fnOpenRecordset(rec,
                            next ? QStringLiteral("SELECT code,name FROM Goods WHERE Code > '") + code +
                                       QStringLiteral("' and zkubun = 0 and stop = 0 ORDER BY Code")
                                 : QStringLiteral("SELECT code,name FROM Goods WHERE Code < '") + code +
                                       QStringLiteral("' and zkubun = 0 and stop = 0 ORDER BY Code desc"));
            if (!rec.Eof()) fnSetGoods(rec);
            rec.Close();
        } catch (const DbError& e) {
            fnShowDbError(e.description());
        }
    }
    restoreFocus(txtCode);
    fnSelectText(txtCode, false);
}

void frmGdai::fnStepMonth(int months) {
    // Calendar months counted from year 0, so December + 1 is January of the next year.
    const qint64 shown =
        qint64(fnRoundEven(fnVal(txtYy->text()))) * 12 + fnRoundEven(fnVal(txtMm->text())) - 1;
    const qint64 target = shown + months;
    const qint64 year = target >= 0 ? target / 12 : (target - 11) / 12;
    const int month = int(target - year * 12) + 1;
    if (year < 1 || year > 9999) return;
    {
        BusyGuard busy(this);
        txtYy->setText(QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')));
        txtMm->setText(QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0')));
        QCoreApplication::processEvents();
        fnShowLedger();
    }
    if (msgMei->isEnabled()) msgMei->setFocus(Qt::OtherFocusReason);
}

// --- goods lookup, cancel -----------------------------------------------------------------------

void frmGdai::fnGoodsList() {
    QString chosen;
    {
        frmPopupGoods popup(this);
        popup.gbytMode = 1;
        popup.gstrCode = fnPadLeft(txtCode->text(), 12);
        popup.exec();
        chosen = popup.gstrCode;
    }
    if (!chosen.trimmed().isEmpty()) {
        const QString code = fnPadLeft(chosen, 12);
        {
            BusyGuard busy(this);
            try {
                Recordset rec;
                fnOpenRecordset(rec, QStringLiteral("SELECT code,name FROM goods WHERE Code = '") +
                                         fnSqlText(code) + QStringLiteral("'"));
                if (!rec.Eof()) fnSetGoods(rec);
                rec.Close();
            } catch (const DbError& e) {
                fnShowDbError(e.description());
            }
        }
        restoreFocus(txtCode);
    }
    fnSelectText(txtCode, false);
}

void frmGdai::fnCancel() {
    if (fnMessage(QStringLiteral("ｷｬﾝｾﾙ")) != MsgYes) return;
    fnClear(false);
    if (txtCode->isEnabled()) txtCode->setFocus(Qt::OtherFocusReason);
}

// --- reopening a movement -----------------------------------------------------------------------

void frmGdai::fnOpenMovement(int row) {
    if (msgMei->rowCount() == 0 || row < 0 || row >= msgMei->rowCount()) return;
    if (activeControl(this) == txtCode) return;

    const QString denno = msgMei->item(row, ColDenno)->text().trimmed();
    QStringList args;
    QString program;
    if (!denno.isEmpty()) {
        // A voucher's row: the suite's voucher entry, shipment ("1") or return ("6") voucher.
        program = voucherProgramName();
        args << (cellFilled(msgMei, row, ColOut) ? QStringLiteral("1") : QStringLiteral("6")) << denno;
    } else {
        // This program's own receipt ("1") or count ("2") screen on that day and product.
        program = ownProgramName();
        QString day = msgMei->item(row, ColDay)->data(Qt::UserRole).toString();
        if (day.isEmpty()) day = msgMei->item(row, ColDay)->text().remove(u'/').trimmed();
        args << (cellFilled(msgMei, row, ColIn) ? QStringLiteral("1") : QStringLiteral("2")) << day
             << m_ledgerCode.trimmed();
    }
    fnShellExe(fnProgramFolder() + QStringLiteral("\\") + program + QStringLiteral(" ") + args.join(u' '), 1);
}
