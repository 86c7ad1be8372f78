#include "screens/StockEntryForm.h"

#include "app/basMain.h"
#include "app/basMessage.h"
#include "app/basOperationLog.h"
#include "app/basRetry.h"
#include "core/basDateNumber.h"
#include "core/basFormat.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "screens/basStockEntry.h"
#include "screens/frmPopupZaiko.h"
#include "stock/basStock.h"
#include "ui/AlertColour.h"
#include "ui/DateFields.h"
#include "ui/basInput.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

// No statement waits longer than the eleven attempts against a held lock together.
static_assert(kSaveAttempts * StockEntryForm::kDefaultLockWaitMs <= kStatementTimeoutMs);

namespace {

const QString kPatternCodes = QStringLiteral("1111-1101-0001");  // start, category, goods code
const QString kPatternDates = QStringLiteral("1001-1101-0001");  // date fields, quantity
const QString kPatternOthers = QStringLiteral("1000-1101-0001"); // buttons, picker

QLabel* newLabel(QWidget* parent, const QString& text, const QString& name = QString()) {
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty()) l->setObjectName(name);
    return l;
}

// A label that shows a value, framed like a read-only field.
QLabel* newValueLabel(QWidget* parent, const QString& name, int minWidth, Qt::Alignment align) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(minWidth);
    l->setAlignment(align | Qt::AlignVCenter);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    return l;
}

QString suuDigits(const QString& text) {
    return QString(text).remove(QLatin1Char(',')).remove(QLatin1Char(' ')).trimmed();
}

} // namespace

StockEntryForm::StockEntryForm(const StockEntryTexts& texts, QWidget* parent)
    : FormBase(FormKind::Screen, parent), m_texts(texts) {
    setWindowTitle(m_texts.caption);
    buildControls();

    // Load: own access class, toolbar, today's date, then the row named on the command line.
    gclsDb.OpenDb();
    setLockWait(kDefaultLockWaitMs);
    setToolbar(kPatternCodes);
    fitToolbar();
    m_date->setToday();
    loadFromCommandLine();
}

StockEntryForm::~StockEntryForm() = default;

void StockEntryForm::setLockWait(int milliseconds) {
    m_lockWaitMs = milliseconds;
    if (Connection* cn = gclsDb.connection()) cn->setBusyTimeout(milliseconds);
}

void StockEntryForm::buildControls() {
    QWidget* b = body();
    auto* grid = new QGridLayout(b);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);

    m_date = new DateFields(b, QStringLiteral("txtYy"), QStringLiteral("txtMm"), QStringLiteral("txtDd"),
                            QStringLiteral("DTPicker"));
    txtYy = m_date->year();
    txtMm = m_date->month();
    txtDd = m_date->day();
    DTPicker = m_date->picker();
    // "26" left in the year box means 2026; a year of 0 stays and is refused on saving.
    m_date->setCompleteYear(true, true);
    const std::pair<QWidget*, int> dateControls[] = {{txtYy, 0}, {txtMm, 1}, {txtDd, 2}, {DTPicker, 3}};
    for (auto [w, index] : dateControls) {
        setTabIndex(w, index);
        setTabStop(w, false); // the date (today by default) is skipped until the user goes back to it
        w->setToolTip(m_texts.dateTip);
    }
    setInputMode(txtYy, QStringLiteral("6"));
    setInputMode(txtMm, QStringLiteral("6"));
    setInputMode(txtDd, QStringLiteral("6"));
    setByteMaxLength(txtYy, 4);
    setByteMaxLength(txtMm, 2);
    setByteMaxLength(txtDd, 2);

    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(4);
    dateRow->addWidget(txtYy);
    dateRow->addWidget(newLabel(b, QStringLiteral("年")));
    dateRow->addWidget(txtMm);
    dateRow->addWidget(newLabel(b, QStringLiteral("月")));
    dateRow->addWidget(txtDd);
    dateRow->addWidget(newLabel(b, QStringLiteral("日")));
    dateRow->addSpacing(8);
    dateRow->addWidget(DTPicker);
    dateRow->addStretch(1);
    grid->addWidget(newLabel(b, m_texts.dateLabel, QStringLiteral("lblDay")), 0, 0);
    grid->addLayout(dateRow, 0, 1);

    txtBunrui = newTextBox(b, QStringLiteral("txtBunrui"), 4, QStringLiteral("6"), kBunruiLength);
    txtBunrui->setToolTip(QStringLiteral("商品分類を指定します。"));
    txtBunrui->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtBunrui->setFixedWidth(txtBunrui->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 14);
    lblBunruiName = newValueLabel(b, QStringLiteral("lblBunruiName"), 220, Qt::AlignLeft);
    auto* bunruiRow = new QHBoxLayout;
    bunruiRow->setSpacing(10);
    bunruiRow->addWidget(txtBunrui);
    bunruiRow->addWidget(lblBunruiName, 1);
    grid->addWidget(newLabel(b, QStringLiteral("商品分類")), 1, 0);
    grid->addLayout(bunruiRow, 1, 1);

    txtGcode = newTextBox(b, QStringLiteral("txtGcode"), 5, QStringLiteral("4"), kGcodeLength);
    txtGcode->setToolTip(QStringLiteral("商品コードを指定します"));
    txtGcode->setFixedWidth(txtGcode->fontMetrics().horizontalAdvance(QString(14, QLatin1Char('0'))) + 14);
    lblGoodsName = newValueLabel(b, QStringLiteral("lblGoodsName"), 260, Qt::AlignLeft);
    auto* goodsRow = new QHBoxLayout;
    goodsRow->setSpacing(10);
    goodsRow->addWidget(txtGcode);
    goodsRow->addWidget(lblGoodsName, 1);
    grid->addWidget(newLabel(b, QStringLiteral("商品コード")), 2, 0);
    grid->addLayout(goodsRow, 2, 1);

    lblStop = newLabel(b, QStringLiteral("この商品は中止商品です"), QStringLiteral("lblStop"));
    QFont bold = lblStop->font();
    bold.setBold(true);
    lblStop->setFont(bold);
    AlertColour::apply(lblStop);
    lblStop->setVisible(false);
    // Keeps its room while hidden, so the form does not jump when the mark comes and goes.
    QSizePolicy keep = lblStop->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    lblStop->setSizePolicy(keep);
    auto* stopRow = new QHBoxLayout;
    stopRow->setSpacing(10);
    stopRow->addSpacing(txtGcode->maximumWidth() + stopRow->spacing()); // under the goods name
    stopRow->addWidget(lblStop, 1);
    grid->addLayout(stopRow, 3, 1);

    lblZaikoSuu = newValueLabel(b, QStringLiteral("lblZaikoSuu"), 110, Qt::AlignRight);
    grid->addWidget(newLabel(b, m_texts.stockLabel, QStringLiteral("lblZaiko")), 4, 0);
    grid->addWidget(lblZaikoSuu, 4, 1, Qt::AlignLeft);

    txtSuu = newTextBox(b, QStringLiteral("txtSuu"), 6, QStringLiteral("0"), 7);
    txtSuu->setToolTip(m_texts.suuTip);
    txtSuu->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtSuu->setFixedWidth(110);
    lblZaikoSuu->setFixedWidth(110);
    grid->addWidget(newLabel(b, m_texts.suuLabel, QStringLiteral("lblSuu")), 5, 0);
    grid->addWidget(txtSuu, 5, 1, Qt::AlignLeft);

    cmdOk = new QPushButton(QStringLiteral("ＯＫ"), b);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), b);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* button : {cmdOk, cmdCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setMinimumWidth(96);
    }
    setTabIndex(cmdOk, 7);
    setTabStop(cmdOk, true);
    setTabIndex(cmdCancel, 8);
    setTabStop(cmdCancel, true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    grid->setRowStretch(6, 1);
    grid->addLayout(buttons, 7, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(cmdOk, &QPushButton::clicked, this, [this] { fnSave(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { fnCancel(); });
    // After a cancel the buttons come back as soon as the user types again.
    for (QLineEdit* box : {txtYy, txtMm, txtDd, txtBunrui, txtGcode, txtSuu})
        connect(box, &QLineEdit::textEdited, this, [this] { setOkCancelEnabled(true); });

    const int rowHeight = txtGcode->sizeHint().height();
    for (QLabel* l : {lblBunruiName, lblGoodsName, lblZaikoSuu})
        l->setMinimumHeight(rowHeight);
    resize(600, 300);
}

void StockEntryForm::loadFromCommandLine() {
    if (gstrArgs.size() < 3) return;
    const QString dayToken = gstrArgs.at(1).trimmed();
    const QString code = gstrArgs.at(2).trimmed();
    if (dayToken.isEmpty() || code.isEmpty()) return;
    bool ok = false;
    const qint32 day = dayToken.toInt(&ok);
    if (!ok) return; // not a yyyymmdd number: the screen opens empty on today's date
    fnLoadRecord(day, code);
}

// ---- keys and focus

void StockEntryForm::functionKey(int n) {
    switch (n) {
    case 2:
        fnNextData();
        break;
    case 3:
        fnPrevData();
        break;
    case 4:
        fnShowList();
        break;
    case 5:
        fnSave();
        break;
    case 6:
        fnCancel();
        break;
    case 8:
        fnDelete();
        break;
    case 12:
        fnClose();
        break;
    default:
        FormBase::functionKey(n);
        break;
    }
}

void StockEntryForm::focusEnter(QWidget* now) {
    if (now == txtBunrui || now == txtGcode) {
        enableToolbar(kPatternCodes);
    } else if (now == txtYy || now == txtMm || now == txtDd || now == txtSuu) {
        enableToolbar(kPatternDates);
    } else if (now == cmdOk || now == cmdCancel || now == DTPicker) {
        enableToolbar(kPatternOthers);
    }

    if (now == txtMm || now == txtDd) setTabStop(txtYy, true);
    if (now == txtBunrui) {
        setTabStop(txtYy, true);
        setTabStop(txtMm, true);
        setTabStop(txtDd, true);
    }
    if (now == txtSuu) {
        setInputMode(txtSuu, QStringLiteral("6"));
        setByteMaxLength(txtSuu, 6);
    }
    if (auto* box = qobject_cast<QLineEdit*>(now)) fnSelectText(box, true);
}

void StockEntryForm::focusLeave(QWidget* old, QWidget* now, bool stillInside) {
    Q_UNUSED(now);
    if (old == txtSuu) {
        setByteMaxLength(txtSuu, 7);
        setInputMode(txtSuu, QStringLiteral("0"));
        const QString t = suuDigits(txtSuu->text());
        txtSuu->setText(t.isEmpty() ? QString() : fnFormat(t, QStringLiteral("###,##0")));
    }
    // Only while this screen keeps the focus: opening a popup or a box must not run the checks.
    if (!stillInside) return;
    if (old == txtBunrui) {
        fnCheckBunruiField(gclsDb, txtBunrui, lblBunruiName, kBunruiLength);
    } else if (old == txtGcode) {
        if (!txtGcode->text().trimmed().isEmpty()) fnCheckGoods();
    } else if (old == DTPicker) {
        QTimer::singleShot(0, this, [this] {
            if (txtMm->isEnabled() && isActiveWindow()) txtMm->setFocus(Qt::OtherFocusReason);
        });
    }
}

void StockEntryForm::formUnload() {
    gclsDb.CloseDb();
}

// ---- goods and stock

bool StockEntryForm::dayShowable(qint32 day) const {
    const QDate d = fnNumberToDate(day);
    const QDateEdit* picker = m_date->picker();
    return d.isValid() && d >= picker->minimumDate() && d <= picker->maximumDate();
}

QString StockEntryForm::bunruiCondition() const {
    const QString t = txtBunrui->text().trimmed();
    if (t.isEmpty()) return QString();
    return fnNumberSql(t);
}

QString StockEntryForm::sameDaySql(const QString& code, qint32 day) const {
    return fnEntryRowSql(code, day, m_texts.kubun);
}

QString StockEntryForm::recordedSuuSql(const QString& code, qint32 day) const {
    return QStringLiteral("select suu from gdai where gcode='") + fnGcodeSql(code) +
           "' and day=" + QString::number(day) + " and kubun=" + QString::number(m_texts.kubun);
}

QString StockEntryForm::stockText(const QString& code, qint32 day) const {
    try {
        return fnFormat(fnGetStockBefore(code, day), QStringLiteral("###,##0"));
    } catch (const DbError& e) {
        fnShowDbError(e.description());
        return QString();
    }
}

void StockEntryForm::fnSetGoods(const QString& code, const QString& name, const QVariant& stop) {
    txtGcode->setText(code);
    lblGoodsName->setText(name);
    lblStop->setVisible(fnVal(stop.toString()) != 0);
    const qint32 day = m_date->date();
    lblZaikoSuu->setText(stockText(code, day));
    Recordset rec;
    if (gclsDb.DbSql(recordedSuuSql(code, day), rec) && !rec.Eof())
        txtSuu->setText(fnFormat(rec.Fields(QStringLiteral("suu")), QStringLiteral("###,##0")));
    else
        txtSuu->clear();
}

void StockEntryForm::fnShowStock() {
    const qint32 day = m_date->date();
    lblZaikoSuu->setText(stockText(txtGcode->text(), day));
    txtSuu->clear();
}

void StockEntryForm::fnCheckGoods() {
    Recordset rec;
    if (!fnOpenShared(rec, fnGoodsCheckSql(bunruiCondition(), txtGcode->text()))) return;
    if (rec.Eof()) {
        fnMessage(QStringLiteral("未登録"));
        txtGcode->clear();
        lblGoodsName->clear();
        lblStop->setVisible(false);
        focusIfEnabled(txtGcode);
        return;
    }
    fnSetGoods(fnGetFieldValue(rec, QStringLiteral("code"), 1),
               fnGetFieldValue(rec, QStringLiteral("name"), 2), rec.Fields(QStringLiteral("stop")));
}

void StockEntryForm::fnLoadRecord(qint32 day, const QString& gcode) {
    Recordset row;
    if (!gclsDb.DbSql(recordedSuuSql(gcode, day), row) || row.Eof()) return;
    // A row on a day the date boxes cannot hold would open under another date, and F5 and F8
    // would then act on that other day's row: it is refused as a wrong date typed is.
    if (!dayShowable(day)) {
        fnPlainMessage(m_texts.missingDate, MsgIcon::Exclamation);
        return;
    }
    const QVariant suu = row.Fields(QStringLiteral("suu"));
    m_date->setDate(day);
    Recordset goods;
    if (fnOpenClass(gclsDb, goods,
                    QStringLiteral("SELECT code,name,stop FROM Goods WHERE Code = '") + fnGcodeSql(gcode) +
                        "'") &&
        !goods.Eof()) {
        fnSetGoods(fnGetFieldValue(goods, QStringLiteral("code"), 1),
                   fnGetFieldValue(goods, QStringLiteral("name"), 2), goods.Fields(QStringLiteral("stop")));
    } else {
        // The goods row is gone: the ledger row still opens, so it can be seen and deleted.
        txtGcode->setText(fnPadLeft(gcode, kGcodeLength));
        lblGoodsName->clear();
        lblStop->setVisible(false);
        lblZaikoSuu->setText(stockText(gcode, day));
    }
    txtSuu->setText(fnFormat(suu, QStringLiteral("###,##0")));
    keyNavigation().fnKeyClear();
}

// ---- browsing and lists

void StockEntryForm::fnNextData() {
    fnStepData(true);
}

void StockEntryForm::fnPrevData() {
    fnStepData(false);
}

void StockEntryForm::fnStepData(bool next) {
    QWidget* field = activeControl(this);
    if (field != txtBunrui && field != txtGcode) return;
    {
        BusyGuard busy(this);
        if (field == txtBunrui) {
            fnStepBunruiField(gclsDb, txtBunrui, lblBunruiName, kBunruiLength, next);
        } else {
            Recordset rec;
            if (fnOpenShared(rec, fnGoodsStepSql(next, bunruiCondition(), txtGcode->text())) && !rec.Eof())
                fnSetGoods(fnGetFieldValue(rec, QStringLiteral("code"), 1),
                           fnGetFieldValue(rec, QStringLiteral("name"), 2),
                           rec.Fields(QStringLiteral("stop")));
        }
    }
    fnSelectText(static_cast<QLineEdit*>(field), true);
}

void StockEntryForm::fnShowList() {
    QWidget* field = activeControl(this);
    // The popups are modal over this screen; the busy state covers the work after they close.
    if (field == txtYy || field == txtMm || field == txtDd || field == txtSuu) {
        qint32 day = 0;
        QString code;
        {
            frmPopupZaiko popup(this);
            popup.setMode(m_texts.listMode);
            popup.exec();
            day = popup.FindDay;
            code = popup.FindGcode;
        }
        if (day == 0) return; // nothing picked
        BusyGuard busy(this);
        fnLoadRecord(day, code);
    } else if (field == txtBunrui) {
        fnBunruiListField(gclsDb, txtBunrui, lblBunruiName, kBunruiLength, this);
        focusIfEnabled(txtBunrui);
        fnSelectText(txtBunrui, true);
    } else if (field == txtGcode) {
        const QString chosen = fnGoodsListCode(txtBunrui, txtGcode, this);
        if (!chosen.trimmed().isEmpty()) {
            BusyGuard busy(this);
            Recordset rec;
            if (fnOpenShared(rec, QStringLiteral("SELECT * FROM Goods WHERE Code = '") + fnGcodeSql(chosen) +
                                      "'") &&
                !rec.Eof())
                fnSetGoods(fnGetFieldValue(rec, QStringLiteral("code"), 1),
                           fnGetFieldValue(rec, QStringLiteral("name"), 2),
                           rec.Fields(QStringLiteral("stop")));
        }
        focusIfEnabled(txtGcode);
        fnSelectText(txtGcode, true);
    }
}

// ---- checks, save, cancel, delete, close

int StockEntryForm::plainBox(const QString& text, MsgButtons buttons, MsgIcon icon, int defaultButton) const {
    MessageRequest r;
    r.title = QString::fromUtf16(kProgramName);
    r.text = text;
    r.icon = icon;
    r.buttons = buttons;
    r.defaultButton = defaultButton;
    return dialogs().messageBox(r);
}

bool StockEntryForm::fnCheckInput() {
    const qint32 day = m_date->date();
    if (day == 0 || !m_date->dateInRange()) {
        fnPlainMessage(m_texts.missingDate, MsgIcon::Exclamation);
        focusIfEnabled(txtMm);
        return false;
    }
    if (txtGcode->text().trimmed().isEmpty()) {
        fnPlainMessage(QStringLiteral("商品を入力してください"), MsgIcon::Exclamation);
        focusIfEnabled(txtGcode);
        return false;
    }
    const QString code = txtGcode->text();
    Recordset rec;
    if (!fnOpenClass(gclsDb, rec, sameDaySql(code, day))) return false;
    if (!rec.Eof()) {
        rec.Close();
        if (plainBox(m_texts.sameDayQuestion, MsgButtons::YesNo, MsgIcon::Question, MsgNo) != MsgYes) {
            focusIfEnabled(txtGcode);
            return false;
        }
    }
    Recordset goods;
    if (!fnOpenClass(gclsDb, goods,
                     QStringLiteral("select zkubun from goods where code='") + fnGcodeSql(code) + "'"))
        return false;
    if (goods.Eof()) {
        // The goods row went away after the code was checked: nothing may be booked on it.
        fnMessage(QStringLiteral("未登録"));
        lblGoodsName->clear();
        lblStop->setVisible(false);
        focusIfEnabled(txtGcode);
        return false;
    }
    if (fnVal(fnGetFieldValue(goods, QStringLiteral("zkubun"), 1)) == 0) return true;
    plainBox(QStringLiteral("入力された商品は在庫対象外です"), MsgButtons::OkCancel, MsgIcon::Exclamation,
             MsgOk);
    focusIfEnabled(txtGcode);
    return false;
}

void StockEntryForm::fnSave() {
    // The date checked is the date written: a short year completed as leaving the box would, then
    // taken once, before a box can move the focus out of a date box and have it rewritten.
    m_date->completeYear();
    const qint32 day = m_date->date();
    if (!fnCheckInput()) return;
    if (fnMessage(QStringLiteral("記録")) == MsgYes) {
        const QString code = fnPadLeft(txtGcode->text(), kGcodeLength);
        const QString suu = suuDigits(txtSuu->text());
        bool added = false;
        bool saved = false;
        QString error;
        {
            BusyGuard busy(this);
            drawBusy();
            qint16 counter = 0;
            do {
                // Each attempt reads the row afresh under the write lock; a held lock makes it fail
                // after the connection's short busy wait.
                Recordset rec;
                if (!gclsDb.DbSqlEdit(sameDaySql(code, day), rec)) {
                    error = gclsDb.ErrMsg();
                    continue;
                }
                try {
                    added = rec.EditMode() == Recordset::adEditAdd;
                    if (added) {
                        fnSetFieldValue(rec, QStringLiteral("gcode"), code);
                        fnSetFieldValue(rec, QStringLiteral("day"), QString::number(day));
                        fnSetFieldValue(rec, QStringLiteral("kubun"), QString::number(m_texts.kubun));
                        fnSetFieldValue(rec, QStringLiteral("denno"), QStringLiteral("0"));
                        fnSetFieldValue(rec, QStringLiteral("line"), QStringLiteral("0"));
                    }
                    fnSetFieldValue(rec, QStringLiteral("suu"), suu);
                } catch (const DbError& e) {
                    rec.CancelUpdate();
                    error = e.description();
                    continue;
                }
                error = fnUpdateRecordset(rec);
                if (error.isEmpty()) saved = true;
            } while (!saved && !serverAway() && fnNextTry(counter) && drawBusy());
            if (saved)
                fnOperationLog(m_texts.caption, added ? 1 : 2,
                               m_texts.caption + ":" + "[" + fnFormat(day, QStringLiteral("####/##/##")) +
                                   "][" + code + "]");
        }
        if (!saved) {
            // Nothing was written: say so and leave the input as it is, to be saved again.
            fnMessage(QStringLiteral("記録エラー"), error);
            return;
        }
    }
    fnShowStock();
    focusIfEnabled(txtGcode);
}

void StockEntryForm::fnCancel() {
    if (fnMessage(QStringLiteral("ｷｬﾝｾﾙ")) != MsgYes) return;
    fnShowStock();
    setOkCancelEnabled(false);
    focusIfEnabled(txtGcode);
}

void StockEntryForm::fnDelete() {
    const qint32 day = m_date->date(); // the row shown, whatever the box does when the focus leaves it
    if (fnMessage(QStringLiteral("削除")) != MsgYes) return;
    bool deleted = false;
    {
        BusyGuard busy(this);
        busy.setFocusAfter(txtGcode);
        const QString code = fnPadLeft(txtGcode->text(), kGcodeLength);
        drawBusy();
        // Under another PC's lock the delete is tried again like the save, before it is given up.
        qint16 counter = 0;
        do {
            deleted = gclsDb.DbSqlExec(QStringLiteral("delete * from gdai where gcode='") + fnSqlText(code) +
                                       "' and day=" + QString::number(day) +
                                       " and kubun=" + QString::number(m_texts.kubun));
        } while (!deleted && !serverAway() && fnNextTry(counter) && drawBusy());
        if (deleted) {
            fnOperationLog(m_texts.caption, 3,
                           m_texts.caption + ":[" + code + "]" + fnFormat(day, QStringLiteral("####/##/##")));
            fnResetScreen();
        }
    }
    if (!deleted) {
        // The row is still there: the screen stays as it was.
        fnMessage(QStringLiteral("削除エラー"));
        return;
    }
    focusIfEnabled(txtGcode);
}

void StockEntryForm::fnResetScreen() {
    m_date->setToday();
    txtBunrui->clear();
    lblBunruiName->clear();
    txtGcode->clear();
    lblGoodsName->clear();
    lblZaikoSuu->clear();
    txtSuu->clear();
    lblStop->setVisible(false);
}

void StockEntryForm::fnClose() {
    close();
}

// A server that could not be reached again after it was lost: another attempt now would only
// wait once more before saying the same. A lost connection opened again is tried again: each
// attempt reads the row afresh, so nothing is written twice.
bool StockEntryForm::serverAway() const {
    return gclsDb.connection() && gclsDb.connection()->serverAway();
}

bool StockEntryForm::drawBusy() {
    // The answered box is gone and the screen shows it is busy while the attempts wait; what is
    // typed meanwhile waits for the busy state's end, which throws it away.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

void StockEntryForm::focusIfEnabled(QWidget* w) {
    if (w && w->isEnabled()) w->setFocus(Qt::OtherFocusReason);
}

void StockEntryForm::setOkCancelEnabled(bool on) {
    cmdOk->setEnabled(on);
    cmdCancel->setEnabled(on);
}
