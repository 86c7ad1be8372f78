#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

class Recordset;

// The rows of a lookup list as the query fetched them: each row keeps the values of the fields it
// was told to read, nothing more. A cell's text is made from them only when the list shows (or
// sorts by) it, so a search costs its statement and a screenful of text, whatever it finds.
//
//     model.addColumn("コード", Qt::AlignLeft, true);  // ... one per column
//     model.setFields({"code", "name"});
//     model.setCellText([](const QVariant* row, int column) { return row[column].toString(); });
//     const bool more = model.fill(rec, maxline);     // at most maxline rows; more: a further one exists
class LookupModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // How a header click orders the rows: by the cell text as Qt compares it, or as the database
    // compares codes and names (ASCII letters without case, everything else by code point).
    enum class Order { Text, TextNoCase };
    // The text of one cell from the row's values (in the order of setFields).
    using CellText = std::function<QString(const QVariant* row, int column)>;
    // The colour of a whole row; an invalid colour leaves the list's own.
    using RowColour = std::function<QColor(const QVariant* row)>;

    explicit LookupModel(QObject* parent = nullptr);

    // Columns: header text, alignment of header and cells, and whether the cells use the fixed-pitch
    // font (blanks as wide as digits, so right-justified codes line up).
    void addColumn(const QString& header, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
                   bool fixedPitch = false);
    void clearColumns();
    void setFixedFont(const QFont& font) { m_fixedFont = font; }
    void setFields(const QStringList& names) { m_fields = names; }
    void setCellText(CellText text) { m_cellText = std::move(text); }
    void setRowColour(RowColour colour) { m_rowColour = std::move(colour); }
    void setOrder(Order order) { m_order = order; }

    // Replaces the rows with those of rec from its current row on, at most maxRows of them (< 0: all).
    // Returns whether a further row was there.
    bool fill(Recordset& rec, int maxRows = -1);
    void clear();

    QString text(int row, int column) const;
    QColor rowColour(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Stable: rows with equal text keep their order, which is the query's.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The database's comparison of codes and names: negative, 0 or positive.
    static int compareNoCase(QStringView a, QStringView b);

private:
    struct Column {
        QString header;
        Qt::Alignment alignment;
        bool fixedPitch;
    };
    const QVariant* row(int r) const { return m_values.data() + qsizetype(r) * m_fields.size(); }

    QList<Column> m_columns;
    QStringList m_fields;
    std::vector<QVariant> m_values; // row after row, m_fields.size() values each
    int m_rows = 0;
    CellText m_cellText;
    RowColour m_rowColour;
    Order m_order = Order::Text;
    QFont m_fixedFont;
};
