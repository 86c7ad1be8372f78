#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

// The report's Fields: the current record's values, and the unbound fields the report adds and
// fills in code. Names are case-insensitive, as in the database.
class ReportFields {
public:
    // Adds an unbound field (no effect when it exists).
    void Add(const QString& name);
    bool contains(const QString& name) const { return indexOf(name) >= 0; }
    // Value of the field; an invalid QVariant for an unknown name.
    QVariant value(const QString& name) const;
    QVariant operator()(const QString& name) const { return value(name); }
    // Sets a field's value, adding the field when it is new.
    void setValue(const QString& name, const QVariant& value);
    // Loads a record: its fields are set, the other fields keep their values.
    void load(const QVariantMap& record);
    void clear();
    const QStringList& names() const { return m_names; }

private:
    int indexOf(const QString& name) const;

    QStringList m_names;
    QVariantList m_values;
};
