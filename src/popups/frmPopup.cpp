#include "popups/frmPopup.h"

#include "app/basMessage.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "data/basDb.h"
#include "popups/LookupView.h"
#include "ui/BusyGuard.h"
#include "ui/basInput.h"
#include "ui/basToolbar.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <climits>

namespace {

constexpr int kTwipsPerPixel = 15;
const QString kMask = QStringLiteral("1000-0000-0001");

} // namespace

frmPopup::frmPopup(QWidget* parent) : FormBase(FormKind::Popup, parent) {
    setObjectName(QStringLiteral("frmPopup"));
    setWindowIcon(fnProgramIcon());
    // Up and Down belong to the list.
    setArrowsMove(false);

    m_list = new LookupView(body(), 0);
    setTabStop(m_list, true);
    // Kind 2 rows: the code right-justified to 6, the name, for the shipping kinds the order
    // right-justified to 3.
    m_list->rows()->setFields({QStringLiteral("Code"), QStringLiteral("Name"), QStringLiteral("jun")});
    m_list->rows()->setCellText([](const QVariant* row, int column) {
        const QString text = row[column].isNull() ? QString() : row[column].toString();
        return column == 0 ? fnPadLeft(text, 6) : column == 2 ? fnPadLeft(text, 3) : text;
    });

    // The list fills the form with the same margin on every side, whatever its size.
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_list);

    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            m_list->setCurrentRow(index.row());
            fnChoose();
        }
    });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &frmPopup::fnSortColumn);

    setToolbar(kMask);
    fitToolbar();

    // The row limit; a database without its settings row puts no limit on the list.
    m_maxLine = INT_MAX;
    try {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("select maxline from sysfile where id = 1"));
        if (!rec.Eof() && !rec.Fields(QStringLiteral("maxline")).isNull())
            m_maxLine = rec.Fields(QStringLiteral("maxline")).toInt();
        rec.Close();
    } catch (const DbError& e) {
        fnShowDbError(e.description());
    }

    resize(540, 420);
}

frmPopup::~frmPopup() {
    // Hidden while still whole: hiding moves the focus, and the form hears of it.
    hide();
}

void frmPopup::addColumn(const QString& header, int widthTwips) {
    const int column = m_list->rows()->columnCount();
    // Codes and orders in the fixed-pitch font, so their blanks line up.
    m_list->rows()->addColumn(header, Qt::AlignLeft | Qt::AlignVCenter, column != 1);
    m_list->setColumnWidth(column, widthTwips / kTwipsPerPixel);
    // Wide enough to show every column without scrolling.
    int total = 0;
    for (int i = 0; i < m_list->rows()->columnCount(); ++i)
        total += m_list->columnWidth(i);
    if (total + 40 > width()) resize(total + 40, height());
}

void frmPopup::showEvent(QShowEvent* e) {
    // A caller that is busy (disabled) while it opens the popup must not freeze it with itself.
    if (!isEnabled()) setEnabled(true);
    FormBase::showEvent(e);
    // The list loads on the first activation, once the dialog is on the screen.
    if (!m_loaded && !m_activationQueued) {
        m_activationQueued = true;
        QTimer::singleShot(0, this, &frmPopup::fnActivate);
    }
}

void frmPopup::fnActivate() {
    if (m_loaded) return;
    m_loaded = true;
    fnLoadList();
}

void frmPopup::fnLoadList() {
    int rows = 0;
    bool ok = true;
    {
        BusyGuard busy(this);
        m_list->rows()->clear();
        if (gbytMode == 2) ok = fnLoadBunrui(rows);
    }

    if (rows > 0) {
        m_list->setCurrentRow(0);
        m_list->setFocus();
        enableToolbar(kMask);
        return;
    }
    if (ok) fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
    close(); // the selectors go back as they came
}

bool frmPopup::fnLoadBunrui(int& rows) {
    // The selectors go into the statement only as numbers, whatever a caller hands over.
    const QString kubun = QString::number(fnRoundEven(fnVal(gstrKey1)));
    const QString start = gstrKey2.trimmed();
    QString sql = QStringLiteral("select * from bunrui where kubun = ") + kubun;
    if (!start.isEmpty()) sql += QStringLiteral(" and code >= ") + QString::number(fnRoundEven(fnVal(start)));
    sql += QStringLiteral(" order by kubun,code");

    try {
        Recordset rec;
        fnOpenRecordset(rec, sql);
        const bool tooMany = m_list->rows()->fill(rec, m_maxLine == INT_MAX ? -1 : qMax(0, m_maxLine));
        rows = m_list->rowCount();
        if (tooMany) fnMessage(QStringLiteral("最大行"));
        rec.Close();
    } catch (const DbError& e) {
        fnShowDbError(e.description());
        return false;
    }
    return true;
}

void frmPopup::fnChoose() {
    const int row = m_list->chosenRow();
    if (row < 0) return;
    gstrKey2 = m_list->text(row, 0);
    close();
}

void frmPopup::fnSortColumn(int column) {
    if (m_list->rowCount() == 0) return;
    m_list->sortOn(column, true);
}

void frmPopup::formKeyDown(int& key, Qt::KeyboardModifiers modifiers) {
    Q_UNUSED(modifiers);
    runKeyNavigation(key);
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && activeControl(this) == m_list) {
        fnChoose();
        key = 0;
        return;
    }
    runFunctionKeys(key);
    runMoveFocus(key);
}

void frmPopup::functionKey(int n) {
    if (n == 12) {
        // F12 typed: nothing chosen, the caller keeps its field as it is.
        gstrKey2.clear();
        close();
        return;
    }
    FormBase::functionKey(n);
}

void frmPopup::toolbarClick(int n) {
    if (n == 12) {
        // The toolbar's F12 closes like the frame: the code passed in goes back.
        close();
        return;
    }
    FormBase::toolbarClick(n);
}

void frmPopup::keyPressEvent(QKeyEvent* e) {
    // Escape closes nothing here (QDialog would reject).
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    FormBase::keyPressEvent(e);
}
