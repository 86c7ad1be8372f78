#include "screens/frmPopupZaiko.h"

#include "app/basMessage.h"
#include "core/basDateNumber.h"
#include "core/basFormat.h"
#include "data/basDb.h"
#include "popups/LookupView.h"
#include "screens/basStockEntry.h"
#include "ui/DateFields.h"
#include "ui/basInput.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kPatternCodes = QStringLiteral("1111-0100-0001"); // load, category, goods code
const QString kPatternDates = QStringLiteral("1000-0100-0001"); // date fields, picker
constexpr int kGcodeLength = 12;
constexpr int kBunruiLength = 2;

QLabel* newValueLabel(QWidget* parent, const QString& name, int minWidth) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(minWidth);
    return l;
}

} // namespace

frmPopupZaiko::frmPopupZaiko(QWidget* parent) : FormBase(FormKind::Popup, parent) {
    setObjectName(QStringLiteral("frmPopupZaiko"));
    buildControls();
    gclsDb.OpenDb();
    setToolbar(kPatternCodes);
    fitToolbar();
}

frmPopupZaiko::~frmPopupZaiko() {
    gclsDb.CloseDb();
}

void frmPopupZaiko::buildControls() {
    QWidget* b = body();
    auto* outer = new QVBoxLayout(b);
    const int margin = 10; // the list's left offset, kept as its right and bottom margin too
    outer->setContentsMargins(margin, margin, margin, margin);
    outer->setSpacing(8);

    auto* frame = new QGroupBox(QStringLiteral("検索条件"), b);
    frame->setObjectName(QStringLiteral("fraFind"));
    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(8);

    m_date = new DateFields(frame, QStringLiteral("txtYy"), QStringLiteral("txtMm"), QStringLiteral("txtDd"),
                            QStringLiteral("DTPicker"));
    txtYy = m_date->year();
    txtMm = m_date->month();
    txtDd = m_date->day();
    DTPicker = m_date->picker();
    setTabIndex(txtYy, 0);
    setTabIndex(txtMm, 1);
    setTabIndex(txtDd, 2);
    setTabIndex(DTPicker, 3);
    for (QWidget* w :
         {static_cast<QWidget*>(txtYy), static_cast<QWidget*>(txtMm), static_cast<QWidget*>(txtDd)})
        setTabStop(w, true);
    setTabStop(DTPicker, false);
    DTPicker->setToolTip(QStringLiteral("入庫日を入力します"));
    // A date edit always holds a date: while the boxes hold none it sits on its minimum, shown blank.
    m_date->picker()->setSpecialValueText(QStringLiteral(" "));
    m_calendar = m_date->picker()->calendarWidget();
    for (QLineEdit* box : {txtYy, txtMm, txtDd})
        connect(box, &QLineEdit::textChanged, this, &frmPopupZaiko::fnQueueBlankPicker);
    fnBlankPicker();

    lblDay = new QLabel(frame);
    lblDay->setObjectName(QStringLiteral("lblDay"));
    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(4);
    dateRow->addWidget(txtYy);
    dateRow->addWidget(new QLabel(QStringLiteral("年"), frame));
    dateRow->addWidget(txtMm);
    dateRow->addWidget(new QLabel(QStringLiteral("月"), frame));
    dateRow->addWidget(txtDd);
    dateRow->addWidget(new QLabel(QStringLiteral("日"), frame));
    dateRow->addSpacing(8);
    dateRow->addWidget(DTPicker);
    dateRow->addStretch(1);
    grid->addWidget(lblDay, 0, 0);
    grid->addLayout(dateRow, 0, 1);

    txtBunrui = newTextBox(frame, QStringLiteral("txtBunrui"), 4, QStringLiteral("6"), kBunruiLength);
    setTabStop(txtBunrui, false);
    txtBunrui->setToolTip(QStringLiteral("商品分類を指定します。"));
    txtBunrui->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtBunrui->setFixedWidth(txtBunrui->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 14);
    lblBunruiName = newValueLabel(frame, QStringLiteral("lblBunruiName"), 200);
    auto* bunruiRow = new QHBoxLayout;
    bunruiRow->setSpacing(10);
    bunruiRow->addWidget(txtBunrui);
    bunruiRow->addWidget(lblBunruiName, 1);
    grid->addWidget(new QLabel(QStringLiteral("商品分類"), frame), 1, 0);
    grid->addLayout(bunruiRow, 1, 1);

    txtGcode = newTextBox(frame, QStringLiteral("txtGcode"), 5, QStringLiteral("4"), kGcodeLength);
    txtGcode->setToolTip(QStringLiteral("商品コードを指定します"));
    txtGcode->setFixedWidth(txtGcode->fontMetrics().horizontalAdvance(QString(14, QLatin1Char('0'))) + 14);
    lblGoodsName = newValueLabel(frame, QStringLiteral("lblGoodsName"), 260);
    auto* goodsRow = new QHBoxLayout;
    goodsRow->setSpacing(10);
    goodsRow->addWidget(txtGcode);
    goodsRow->addWidget(lblGoodsName, 1);
    grid->addWidget(new QLabel(QStringLiteral("商品コード"), frame), 2, 0);
    grid->addLayout(goodsRow, 2, 1);

    cmdFind = new QPushButton(QStringLiteral("検索"), frame);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setAutoDefault(false);
    cmdFind->setMinimumWidth(90);
    setTabIndex(cmdFind, 6);
    setTabStop(cmdFind, true);
    grid->addWidget(cmdFind, 2, 2);
    grid->setColumnStretch(1, 1);
    outer->addWidget(frame);

    ListView = new LookupView(b, 7);
    setTabStop(ListView, true);
    ListView->rows()->setFields(
        {QStringLiteral("day"), QStringLiteral("gcode"), QStringLiteral("name"), QStringLiteral("suu")});
    ListView->rows()->setCellText([](const QVariant* row, int column) {
        if (column == 0) return fnFormat(row[0], QStringLiteral("####/##/##"));
        if (column == 3) return fnFormat(row[3], QStringLiteral("###,##0"));
        return row[column].isNull() ? QString() : row[column].toString().trimmed();
    });
    outer->addWidget(ListView, 1);

    connect(cmdFind, &QPushButton::clicked, this, [this] { fnFind(); });
    connect(ListView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) fnPick();
    });
    connect(ListView->header(), &QHeaderView::sectionClicked, this, [this](int column) { fnSort(column); });

    for (QLabel* l : {lblBunruiName, lblGoodsName})
        l->setMinimumHeight(txtGcode->sizeHint().height());
    resize(700, 480);
}

void frmPopupZaiko::setMode(int mode) {
    m_mode = mode;
    QString caption;
    QString day;
    QString quantity;
    if (mode == 0) {
        caption = QStringLiteral("入庫処理一覧");
        day = QStringLiteral("入庫日");
        quantity = QStringLiteral("入庫数");
    } else if (mode == 9) {
        caption = QStringLiteral("在庫数調整一覧");
        day = QStringLiteral("調整日");
        quantity = QStringLiteral("調整数");
    } else {
        return; // no texts and no columns for other kinds
    }
    setWindowTitle(caption);
    lblDay->setText(day);
    LookupModel* model = ListView->rows();
    model->clearColumns();
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter, right = Qt::AlignRight | Qt::AlignVCenter;
    model->addColumn(day, left);
    model->addColumn(QStringLiteral("商品コード"), right);
    model->addColumn(QStringLiteral("商品名"), left);
    model->addColumn(quantity, right);
    const int twips[] = {1400, 1700, 5000, 1100};
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    for (int i = 0; i < 4; ++i)
        ListView->setColumnWidth(i, twips[i] * dpi / 1440);
    m_found = false;
}

QString frmPopupZaiko::bunruiCondition() const {
    const QString t = txtBunrui->text().trimmed();
    return t.isEmpty() ? QString() : fnNumberSql(t);
}

// ---- keys and focus

void frmPopupZaiko::formKeyDown(int& key, Qt::KeyboardModifiers modifiers) {
    // Enter on the list picks the selected row, like a double-click.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && activeControl(this) == ListView) {
        key = 0;
        fnPick();
        return;
    }
    // In the list the arrows move between its rows, not to the next field.
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && activeControl(this) == ListView) {
        runKeyNavigation(key);
        return;
    }
    FormBase::formKeyDown(key, modifiers);
}

void frmPopupZaiko::functionKey(int n) {
    switch (n) {
    case 2:
        fnStepData(true);
        break;
    case 3:
        fnStepData(false);
        break;
    case 4:
        fnShowList();
        break;
    case 6:
        fnCancel();
        break;
    case 12:
        fnClose();
        break;
    default:
        FormBase::functionKey(n);
        break;
    }
}

void frmPopupZaiko::focusEnter(QWidget* now) {
    if (now == txtBunrui || now == txtGcode)
        enableToolbar(kPatternCodes);
    else if (now == txtYy || now == txtMm || now == txtDd || now == DTPicker)
        enableToolbar(kPatternDates);
    if (auto* box = qobject_cast<QLineEdit*>(now)) fnSelectText(box, true);
}

void frmPopupZaiko::focusLeave(QWidget* old, QWidget* now, bool stillInside) {
    Q_UNUSED(now);
    if (!stillInside) return;
    if (old == txtBunrui) {
        fnCheckBunruiField(gclsDb, txtBunrui, lblBunruiName, kBunruiLength);
    } else if (old == txtGcode) {
        if (!txtGcode->text().trimmed().isEmpty()) fnCheckGoods();
    } else if (old == DTPicker) {
        // As on the entry screens: after the picker the date is finished in the month box.
        QTimer::singleShot(0, this, [this] {
            if (txtMm->isEnabled() && isActiveWindow()) txtMm->setFocus(Qt::OtherFocusReason);
        });
    }
}

// The form's filter sits on the application, so it sees a date box losing the focus before the
// date fields' own filter takes the date into the picker: the year is completed first.
bool frmPopupZaiko::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::FocusOut && (obj == txtYy || obj == txtMm || obj == txtDd))
        fnCompleteYearField();
    // A blank picker's calendar opens on this month, not on the minimum date it sits on.
    if (e->type() == QEvent::Show && obj == m_calendar && fnPickerBlank()) {
        const QDate today = QDate::currentDate();
        m_calendar->setCurrentPage(today.year(), today.month());
    }
    return FormBase::eventFilter(obj, e);
}

// Here every short year gets 2000 added ("75" is 2075, "123" is 2123), unlike fnCompleteYear.
void frmPopupZaiko::fnCompleteYearField() {
    const QString t = txtYy->text().trimmed();
    bool ok = false;
    const int year = t.toInt(&ok);
    if (!ok || t.size() == 4) return;
    txtYy->setText(QString::number(year + 2000));
}

// Checked once the boxes have settled: the picker rewrites them one by one, and a half-written
// date must not blank it.
void frmPopupZaiko::fnQueueBlankPicker() {
    if (m_blankQueued) return;
    m_blankQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_blankQueued = false;
        fnBlankPicker();
    });
}

void frmPopupZaiko::fnBlankPicker() {
    QDateEdit* picker = m_date->picker();
    if (m_date->date() != 0 || picker->date() == picker->minimumDate()) return;
    const QSignalBlocker block(picker); // the boxes stay as they are
    picker->setDate(picker->minimumDate());
}

bool frmPopupZaiko::fnPickerBlank() const {
    const QDateEdit* picker = m_date->picker();
    return picker->date() == picker->minimumDate();
}

// ---- search, sort, pick

void frmPopupZaiko::fnFind() {
    bool found = false;
    {
        BusyGuard busy(this);
        QString sql = QStringLiteral("select day,gcode,name,suu") + "  from gdai as d,goods as g" +
                      " where d.gcode=g.code" + "   and kubun=" + QString::number(m_mode);
        const qint32 day = m_date->date();
        if (day != 0) sql += " and day=" + QString::number(day);
        if (!txtGcode->text().trimmed().isEmpty()) sql += " and gcode='" + fnGcodeSql(txtGcode->text()) + "'";
        sql += " order by day";

        ListView->rows()->clear();
        m_found = false;
        Recordset rec;
        if (fnOpenClass(gclsDb, rec, sql)) {
            ListView->rows()->fill(rec);
            if (m_sortColumn >= 0) ListView->sortOn(m_sortColumn, false);
            m_found = ListView->rowCount() > 0;
        }
        found = m_found;
        if (found) {
            ListView->setCurrentRow(0);
            busy.setFocusAfter(ListView);
        }
    }
    if (!found) fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
}

void frmPopupZaiko::fnSort(int column) {
    if (!m_found) return;
    m_sortColumn = column;
    ListView->sortOn(column, false);
}

void frmPopupZaiko::fnPick() {
    if (!m_found) return;
    const int row = ListView->currentRow();
    if (row < 0) return;
    bool ok = false;
    const qint32 day = fnFormat(ListView->text(row, 0), QStringLiteral("YYYYMMDD")).toInt(&ok);
    if (!ok) return;
    FindDay = day;
    FindGcode = ListView->text(row, 1);
    hide();
}

void frmPopupZaiko::fnCancel() {
    if (fnMessage(QStringLiteral("ｷｬﾝｾﾙ")) != MsgYes) return;
    txtYy->clear();
    txtMm->clear();
    txtDd->clear();
    txtBunrui->clear();
    lblBunruiName->clear();
    txtGcode->clear();
    lblGoodsName->clear();
    if (txtYy->isEnabled()) txtYy->setFocus(Qt::OtherFocusReason);
}

void frmPopupZaiko::fnClose() {
    hide();
}

// ---- category and goods, as on the entry screens but without stock or quantity

void frmPopupZaiko::fnShowGoods(const QString& code, const QString& name) {
    txtGcode->setText(code);
    lblGoodsName->setText(name);
}

void frmPopupZaiko::fnCheckGoods() {
    Recordset rec;
    if (!fnOpenShared(rec, fnGoodsCheckSql(bunruiCondition(), txtGcode->text()))) return;
    if (rec.Eof()) {
        fnMessage(QStringLiteral("未登録"));
        txtGcode->clear();
        lblGoodsName->clear();
        if (txtGcode->isEnabled()) txtGcode->setFocus(Qt::OtherFocusReason);
        return;
    }
    fnShowGoods(fnGetFieldValue(rec, QStringLiteral("code"), 1),
                fnGetFieldValue(rec, QStringLiteral("name"), 2));
}

void frmPopupZaiko::fnStepData(bool next) {
    QWidget* field = activeControl(this);
    if (field != txtBunrui && field != txtGcode) return;
    {
        BusyGuard busy(this);
        if (field == txtBunrui) {
            fnStepBunruiField(gclsDb, txtBunrui, lblBunruiName, kBunruiLength, next);
        } else {
            Recordset rec;
            if (fnOpenShared(rec, fnGoodsStepSql(next, bunruiCondition(), txtGcode->text())) && !rec.Eof())
                fnShowGoods(fnGetFieldValue(rec, QStringLiteral("code"), 1),
                            fnGetFieldValue(rec, QStringLiteral("name"), 2));
        }
    }
    fnSelectText(static_cast<QLineEdit*>(field), true);
}

void frmPopupZaiko::fnShowList() {
    QWidget* field = activeControl(this);
    if (field == txtBunrui) {
        fnBunruiListField(gclsDb, txtBunrui, lblBunruiName, kBunruiLength, this);
        if (txtBunrui->isEnabled()) txtBunrui->setFocus(Qt::OtherFocusReason);
        fnSelectText(txtBunrui, true);
    } else if (field == txtGcode) {
        const QString chosen = fnGoodsListCode(txtBunrui, txtGcode, this);
        if (!chosen.trimmed().isEmpty()) {
            Recordset rec;
            if (fnOpenShared(rec, QStringLiteral("SELECT * FROM Goods WHERE Code = '") + fnGcodeSql(chosen) +
                                      "'") &&
                !rec.Eof())
                fnShowGoods(fnGetFieldValue(rec, QStringLiteral("code"), 1),
                            fnGetFieldValue(rec, QStringLiteral("name"), 2));
        }
        if (txtGcode->isEnabled()) txtGcode->setFocus(Qt::OtherFocusReason);
        fnSelectText(txtGcode, true);
    }
}
