#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

class StocktakeCheck;

// The stocktaking check as the screen's grid shows it: the check's columns, refused lines first
// and marked (red, the reasons in the status column), numbers right-aligned. Read only.
class StocktakeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Shows the check (copied); an empty check empties the grid.
    void setCheck(const StocktakeCheck& check);
    void clear();

    bool refusedRow(int row) const { return row >= 0 && row < m_refused.size() && m_refused.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<QStringList> m_rows;
    QList<bool> m_refused;
};
