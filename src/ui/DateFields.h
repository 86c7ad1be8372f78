#pragma once

#include <QDate>
#include <QObject>
#include <QPointer>

#include <QDateEdit>
#include <QLineEdit>
class QWidget;

// A date on screen: three text boxes (year, month, day) beside a date picker, kept in step.
//  - a change in any box runs fnCorrectDate on the three;
//  - leaving a box, when year x month x day is not 0, puts that date (clamped to the picker's
//    minimum and maximum) into the picker, and the picker's change handler rewrites the boxes;
//  - a change of the picker rewrites the boxes (fnDateToFields).
// The boxes get input mode "6" and byte lengths 4/2/2 unless already set. Tab order, tab stops
// and where they sit on the form are the screen's.
//
//     auto* date = new DateFields(body(), "txtYy", "txtMm", "txtDd", "DTPicker");
//     grid->addWidget(date->year(), 0, 1); ... grid->addWidget(date->picker(), 0, 4);
//     setTabIndex(date->year(), 0); ...
//     date->setToday();
//     qint32 day = date->date();          // 0 while a box is empty
class DateFields : public QObject {
    Q_OBJECT
public:
    // Creates the four widgets as children of parent with these object names.
    DateFields(QWidget* parent, const QString& yearName, const QString& monthName, const QString& dayName,
               const QString& pickerName);
    // Wires existing widgets (owned by the form).
    DateFields(QLineEdit* year, QLineEdit* month, QLineEdit* day, QDateEdit* picker, QObject* parent);

    QLineEdit* year() const { return m_year; }
    QLineEdit* month() const { return m_month; }
    QLineEdit* day() const { return m_day; }
    QDateEdit* picker() const { return m_picker; }

    // fnFieldsToDate of the boxes.
    qint32 date() const;
    // Puts the date into the picker (clamped to its range) and rewrites the boxes from it.
    // 0 or an impossible date leaves everything unchanged.
    void setDate(qint32 yyyymmdd);
    void setDate(const QDate& date);
    void setToday();
    void setRange(const QDate& minimum, const QDate& maximum);
    // Leaving the year box completes a short year (fnCompleteYear) before the date is built.
    // keepZero: a year of 0 is left as typed (no year), for screens that refuse it.
    void setCompleteYear(bool on, bool keepZero = false) {
        m_completeYear = on;
        m_keepZeroYear = keepZero;
    }
    // What leaving the year box does to its text, now (when completion is on).
    void completeYear();
    // What leaving a box does, now: the year completed, the date into the picker.
    void commit();
    // The boxes hold a calendar date within the picker's limits.
    bool dateInRange() const;

    // The picker's change handler: boxes := the picker's date.
    void pickerToFields();
    // What leaving a box does: the boxes' date into the picker when all three are non-zero.
    void fieldsToPicker();

signals:
    // After the boxes were rewritten from the picker.
    void dateChanged(qint32 yyyymmdd);

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void wire();
    void correct();

    QPointer<QLineEdit> m_year;
    QPointer<QLineEdit> m_month;
    QPointer<QLineEdit> m_day;
    QPointer<QDateEdit> m_picker;
    bool m_correcting = false;
    bool m_completeYear = false;
    bool m_keepZeroYear = false;
};
