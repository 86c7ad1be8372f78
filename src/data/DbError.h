#pragma once

#include <QString>
#include <stdexcept>

// A database error as the program sees it: a number and a provider-style Japanese description.
// Routines that "raise" in the VB sense throw this; the access class turns it into ErrMsg.
class DbError : public std::runtime_error {
public:
    // The server could not be reached (again): trying once more at once is of no use. ADO's
    // "the connection is closed or invalid".
    static constexpr int kServerAway = 3709;
    // The connection was lost during the statement and is open again: an open transaction is
    // undone, a statement outside one may or may not have taken effect. E_ABORT.
    static constexpr int kConnectionLost = -2147467260;

public:
    explicit DbError(const QString& description, int number = -2147467259)
        : std::runtime_error(description.toStdString()), m_description(description), m_number(number) {}
    const QString& description() const { return m_description; }
    int number() const { return m_number; }

private:
    QString m_description;
    int m_number;
};
