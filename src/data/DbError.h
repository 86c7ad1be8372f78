#pragma once

#include <QString>
#include <stdexcept>

// A database error as the program sees it: a number and a provider-style Japanese description.
// Routines that "raise" in the VB sense throw this; the access class turns it into ErrMsg.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& description, int number = -2147467259)
        : std::runtime_error(description.toStdString()), m_description(description), m_number(number) {}
    const QString& description() const { return m_description; }
    int number() const { return m_number; }

private:
    QString m_description;
    int m_number;
};
