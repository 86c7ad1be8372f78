#include "popups/LookupView.h"

#include "popups/LookupDelegate.h"
#include "ui/basInput.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QItemSelectionModel>

LookupView::LookupView(QWidget* parent, int tabIndex) : QTreeView(parent), m_model(new LookupModel(this)) {
    setObjectName(QStringLiteral("ListView"));
    setModel(m_model);
    setItemDelegate(new LookupDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    // Blanks as wide as digits, so the right-justified codes line up.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(font().pointSizeF());
    m_model->setFixedFont(fixed);
    setTabIndex(this, tabIndex);
}

int LookupView::currentRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

int LookupView::chosenRow() const {
    const int row = currentRow();
    return row >= 0 && selectionModel()->isRowSelected(row, {}) ? row : -1;
}

void LookupView::setCurrentRow(int row) {
    const QModelIndex i = m_model->index(row, 0);
    if (!i.isValid()) return;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i);
}

void LookupView::scrollToCurrent() {
    if (currentIndex().isValid()) scrollTo(currentIndex());
}

void LookupView::sortOn(int column, bool showIndicator) {
    if (showIndicator) header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, Qt::AscendingOrder);
    m_model->sort(column, Qt::AscendingOrder);
    scrollToCurrent();
}
