#include "popups/LookupModel.h"

#include "data/Recordset.h"

#include <QBrush>
#include <algorithm>
#include <numeric>

LookupModel::LookupModel(QObject* parent) : QAbstractTableModel(parent) {}

void LookupModel::addColumn(const QString& header, Qt::Alignment alignment, bool fixedPitch) {
    const int n = int(m_columns.size());
    beginInsertColumns({}, n, n);
    m_columns.append(Column{header, alignment, fixedPitch});
    endInsertColumns();
}

void LookupModel::clearColumns() {
    beginResetModel();
    m_columns.clear();
    m_values.clear();
    m_rows = 0;
    endResetModel();
}

bool LookupModel::fill(Recordset& rec, int maxRows) {
    // Field positions looked up once, not per row; a field the query lacks reads as Null.
    const QStringList names = rec.fieldNames();
    QList<int> at(m_fields.size(), -1);
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        for (qsizetype j = 0; j < names.size() && at[i] < 0; ++j)
            if (names[j].compare(m_fields[i], Qt::CaseInsensitive) == 0) at[i] = int(j);

    beginResetModel();
    m_values.clear();
    m_rows = 0;
    bool more = false;
    const int width = int(m_fields.size());
    const int fetched = rec.RecordCount();
    if (fetched > 0) m_values.reserve(size_t(maxRows < 0 ? fetched : qMin(maxRows, fetched)) * size_t(width));
    for (; !rec.Eof(); rec.MoveNext()) {
        if (maxRows >= 0 && m_rows >= maxRows) {
            more = true;
            break;
        }
        for (int i = 0; i < width; ++i)
            m_values.push_back(at[i] >= 0 ? rec.Fields(at[i]) : QVariant());
        ++m_rows;
    }
    endResetModel();
    return more;
}

void LookupModel::clear() {
    if (m_rows == 0 && m_values.empty()) return;
    beginResetModel();
    m_values.clear();
    m_rows = 0;
    endResetModel();
}

QString LookupModel::text(int r, int column) const {
    if (r < 0 || r >= m_rows || column < 0 || column >= m_columns.size() || !m_cellText) return QString();
    return m_cellText(row(r), column);
}

QColor LookupModel::rowColour(int r) const {
    if (r < 0 || r >= m_rows || !m_rowColour) return QColor();
    return m_rowColour(row(r));
}

int LookupModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int LookupModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant LookupModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_columns.size()) return {};
    const Column& c = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(c.alignment);
    case Qt::FontRole:
        return c.fixedPitch ? QVariant(m_fixedFont) : QVariant();
    case Qt::ForegroundRole: {
        const QColor colour = rowColour(index.row());
        return colour.isValid() ? QVariant(QBrush(colour)) : QVariant();
    }
    default:
        return {};
    }
}

QVariant LookupModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size()) return {};
    if (role == Qt::DisplayRole) return m_columns.at(section).header;
    if (role == Qt::TextAlignmentRole) return int(m_columns.at(section).alignment);
    return {};
}

int LookupModel::compareNoCase(QStringView a, QStringView b) {
    // UTF-16 units compared as code points: surrogates (a code point above U+FFFF) after U+FFFF.
    const auto key = [](char16_t u) -> char32_t {
        if (u >= u'A' && u <= u'Z') return u + (u'a' - u'A');
        if (u >= 0xD800) return u >= 0xE000 ? u - 0x800 : u + 0x2000;
        return u;
    };
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t x = key(a[i].unicode()), y = key(b[i].unicode());
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void LookupModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= m_columns.size() || m_rows < 2) return;
    // Each row's text of the column made once; then only indexes move.
    std::vector<QString> keys(static_cast<size_t>(m_rows));
    for (int r = 0; r < m_rows; ++r)
        keys[size_t(r)] = text(r, column);
    const bool noCase = m_order == Order::TextNoCase;
    const auto less = [&](int x, int y) {
        const QString &a = keys[size_t(x)], &b = keys[size_t(y)];
        return noCase ? compareNoCase(a, b) < 0 : a.compare(b) < 0;
    };
    std::vector<int> sorted(static_cast<size_t>(m_rows));
    std::iota(sorted.begin(), sorted.end(), 0);
    if (order == Qt::AscendingOrder)
        std::stable_sort(sorted.begin(), sorted.end(), less);
    else
        std::stable_sort(sorted.begin(), sorted.end(), [&](int x, int y) { return less(y, x); });
    if (std::is_sorted(sorted.begin(), sorted.end())) return; // already in that order

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const size_t width = size_t(m_fields.size());
    std::vector<QVariant> values;
    values.reserve(m_values.size());
    std::vector<int> newRow(static_cast<size_t>(m_rows));
    for (int r = 0; r < m_rows; ++r) {
        const size_t from = size_t(sorted[size_t(r)]);
        newRow[from] = r;
        for (size_t i = 0; i < width; ++i)
            values.push_back(std::move(m_values[from * width + i]));
    }
    m_values.swap(values);
    // The current and selected rows go with their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after << index(newRow[size_t(i.row())], i.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
