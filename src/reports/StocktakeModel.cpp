#include "reports/StocktakeModel.h"

#include "stock/StocktakeCheck.h"

#include <QBrush>
#include <QColor>

namespace {
// Columns shown right-aligned: line, book stock, counted, difference, unit cost, amount.
bool numeric(int column) {
    return column == 0 || (column >= 3 && column <= 7);
}
} // namespace

void StocktakeModel::setCheck(const StocktakeCheck& check) {
    beginResetModel();
    m_rows.clear();
    m_refused.clear();
    for (const StocktakeLine& l : check.shownOrder()) {
        m_rows << check.cells(l);
        m_refused << l.refused();
    }
    endResetModel();
}

void StocktakeModel::clear() {
    beginResetModel();
    m_rows.clear();
    m_refused.clear();
    endResetModel();
}

int StocktakeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int StocktakeModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(StocktakeCheck::captions().size());
}

QVariant StocktakeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return m_rows.at(index.row()).value(index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::Alignment((numeric(index.column()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    case Qt::ForegroundRole:
        if (m_refused.at(index.row())) return QBrush(QColor(0xc0, 0x00, 0x00));
        return {};
    case Qt::BackgroundRole:
        if (m_refused.at(index.row())) return QBrush(QColor(0xff, 0xe8, 0xe8));
        return {};
    default:
        return {};
    }
}

QVariant StocktakeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return StocktakeCheck::captions().value(section);
}
