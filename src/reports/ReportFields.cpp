#include "reports/ReportFields.h"

int ReportFields::indexOf(const QString& name) const {
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void ReportFields::Add(const QString& name) {
    if (indexOf(name) < 0) {
        m_names.append(name);
        m_values.append(QVariant());
    }
}

QVariant ReportFields::value(const QString& name) const {
    const int i = indexOf(name);
    return i < 0 ? QVariant() : m_values.at(i);
}

void ReportFields::setValue(const QString& name, const QVariant& value) {
    const int i = indexOf(name);
    if (i < 0) {
        m_names.append(name);
        m_values.append(value);
    } else {
        m_values[i] = value;
    }
}

void ReportFields::load(const QVariantMap& record) {
    for (auto it = record.cbegin(); it != record.cend(); ++it)
        setValue(it.key(), it.value());
}

void ReportFields::clear() {
    m_names.clear();
    m_values.clear();
}
