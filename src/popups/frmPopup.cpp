#include "popups/frmPopup.h"

#include "app/basMessage.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "data/basDb.h"
#include "ui/BusyGuard.h"
#include "ui/basInput.h"
#include "ui/basToolbar.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <climits>

namespace {

constexpr int kTwipsPerPixel = 15;
const QString kMask = QStringLiteral("1000-0000-0001");

QString fieldText(const Recordset& rec, const QString& name) {
    const QVariant v = rec.Fields(name);
    return v.isNull() ? QString() : v.toString();
}

} // namespace

frmPopup::frmPopup(QWidget* parent) : FormBase(FormKind::Popup, parent) {
    setObjectName(QStringLiteral("frmPopup"));
    setWindowIcon(fnProgramIcon());
    // Up and Down belong to the list.
    setArrowsMove(false);

    m_list = newListView(body(), 0);
    setTabStop(m_list, true);

    // The list fills the form with the same margin on every side, whatever its size.
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_list);

    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item) {
            m_list->setCurrentItem(item);
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
    const int column = m_list->columnCount();
    m_list->setColumnCount(column + 1);
    m_list->headerItem()->setText(column, header);
    m_list->setColumnWidth(column, widthTwips / kTwipsPerPixel);
    // Wide enough to show every column without scrolling.
    int total = 0;
    for (int i = 0; i < m_list->columnCount(); ++i)
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
        m_list->clear();
        if (gbytMode == 2) ok = fnLoadBunrui(rows);
    }

    if (rows > 0) {
        QTreeWidgetItem* first = m_list->topLevelItem(0);
        m_list->setCurrentItem(first);
        first->setSelected(true);
        m_list->scrollToItem(first);
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
        const bool withOrder = kubun == u"3";
        // Blanks as wide as digits, so the right-justified codes line up.
        QFont codeFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        codeFont.setPointSizeF(m_list->font().pointSizeF());
        int counter = 1;
        while (!rec.Eof()) {
            if (counter > m_maxLine) {
                fnMessage(QStringLiteral("最大行"));
                break;
            }
            auto* item = new QTreeWidgetItem;
            item->setText(0, fnPadLeft(fieldText(rec, QStringLiteral("Code")), 6));
            item->setFont(0, codeFont);
            item->setText(1, fieldText(rec, QStringLiteral("Name")));
            if (withOrder) {
                item->setText(2, fnPadLeft(fieldText(rec, QStringLiteral("jun")), 3));
                item->setFont(2, codeFont);
            }
            m_list->addTopLevelItem(item);
            ++rows;
            ++counter;
            rec.MoveNext();
        }
        rec.Close();
    } catch (const DbError& e) {
        fnShowDbError(e.description());
        return false;
    }
    return true;
}

void frmPopup::fnChoose() {
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected()) return;
    gstrKey2 = item->text(0);
    close();
}

void frmPopup::fnSortColumn(int column) {
    if (m_list->topLevelItemCount() == 0) return;
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(column, Qt::AscendingOrder);
    m_list->sortItems(column, Qt::AscendingOrder);
    if (QTreeWidgetItem* item = m_list->currentItem()) m_list->scrollToItem(item);
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
