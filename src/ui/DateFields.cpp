#include "ui/DateFields.h"

#include "core/basDateNumber.h"
#include "core/basNumber.h"
#include "ui/basDate.h"
#include "ui/basInput.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QLineEdit>

DateFields::DateFields(QWidget* parent, const QString& yearName, const QString& monthName,
                       const QString& dayName, const QString& pickerName)
    : QObject(parent) {
    m_year = new QLineEdit(parent);
    m_month = new QLineEdit(parent);
    m_day = new QLineEdit(parent);
    m_picker = new QDateEdit(parent);
    m_year->setObjectName(yearName);
    m_month->setObjectName(monthName);
    m_day->setObjectName(dayName);
    m_picker->setObjectName(pickerName);
    setObjectName(pickerName + QStringLiteral("Fields"));
    wire();
}

DateFields::DateFields(QLineEdit* year, QLineEdit* month, QLineEdit* day, QDateEdit* picker, QObject* parent)
    : QObject(parent), m_year(year), m_month(month), m_day(day), m_picker(picker) {
    wire();
}

void DateFields::wire() {
    const std::pair<QLineEdit*, int> boxes[] = {{m_year, 4}, {m_month, 2}, {m_day, 2}};
    for (auto [box, bytes] : boxes) {
        if (!box) continue;
        if (inputMode(box).isEmpty()) setInputMode(box, QStringLiteral("6"));
        if (byteMaxLength(box) == 0) setByteMaxLength(box, bytes);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, &DateFields::correct);
        // Wide enough for the digits and no wider.
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QString(bytes + 2, QLatin1Char('0'))) + 12);
    }
    // The year box is named by the caption left of it; the others by the unit after them.
    if (m_month) m_month->setAccessibleName(QStringLiteral("月"));
    if (m_day) m_day->setAccessibleName(QStringLiteral("日"));
    if (m_picker) m_picker->setAccessibleName(QStringLiteral("カレンダー"));
    if (m_picker) {
        // The suite's dates: nothing before 1900 or after 2099 is a day the shop can mean.
        m_picker->setDateRange(QDate(1900, 1, 1), QDate(2099, 12, 31));
        // A Japanese shop calendar whatever the machine's locale: 月 and 曜日 names, weeks from Sunday.
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        m_picker->setLocale(japanese);
        m_picker->setCalendarPopup(true);
        m_picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        QCalendarWidget* calendar = m_picker->calendarWidget();
        calendar->setLocale(japanese);
        calendar->setFirstDayOfWeek(Qt::Sunday);
        connect(m_picker, &QDateEdit::dateChanged, this, [this] { pickerToFields(); });
    }
}

void DateFields::correct() {
    if (m_correcting) return;
    m_correcting = true;
    fnCorrectDate(m_year, m_month, m_day);
    m_correcting = false;
}

qint32 DateFields::date() const {
    return fnFieldsToDate(m_year, m_month, m_day);
}

void DateFields::setDate(qint32 yyyymmdd) {
    setDate(fnNumberToDate(yyyymmdd));
}

void DateFields::setDate(const QDate& date) {
    if (!date.isValid() || !m_picker) return;
    QDate d = date;
    if (d < m_picker->minimumDate()) d = m_picker->minimumDate();
    if (d > m_picker->maximumDate()) d = m_picker->maximumDate();
    const QSignalBlocker block(m_picker);
    m_picker->setDate(d);
    // The change handler runs even when the date was already there, so the boxes are rewritten.
    pickerToFields();
}

void DateFields::setToday() {
    setDate(QDate::currentDate());
}

void DateFields::setRange(const QDate& minimum, const QDate& maximum) {
    if (m_picker) m_picker->setDateRange(minimum, maximum);
}

void DateFields::pickerToFields() {
    if (!m_picker) return;
    const qint32 d = fnDateToNumber(m_picker->date());
    fnDateToFields(d, m_year, m_month, m_day);
    emit dateChanged(d);
}

void DateFields::completeYear() {
    if (!m_completeYear || !m_year) return;
    const QString typed = m_year->text().trimmed();
    if (m_keepZeroYear && !typed.isEmpty() && fnVal(typed) == 0) return;
    const QString full = fnCompleteYear(typed);
    if (full != typed) m_year->setText(full);
}

void DateFields::commit() {
    completeYear();
    fieldsToPicker();
}

bool DateFields::dateInRange() const {
    const QDate d = fnNumberToDate(date());
    if (!d.isValid() || fnRoundEven(fnVal(m_year->text())) == 0) return false;
    return !m_picker || (d >= m_picker->minimumDate() && d <= m_picker->maximumDate());
}

void DateFields::fieldsToPicker() {
    if (!m_year || !m_month || !m_day || !m_picker) return;
    const int y = fnRoundEven(fnVal(m_year->text()));
    const int m = fnRoundEven(fnVal(m_month->text()));
    const int d = fnRoundEven(fnVal(m_day->text()));
    if (qint64(y) * m * d == 0) return;
    const QDate date(y, m, d);
    if (!date.isValid()) return;
    setDate(date);
}

bool DateFields::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::FocusOut && (obj == m_year || obj == m_month || obj == m_day)) {
        if (obj == m_year) completeYear();
        fieldsToPicker();
    }
    return QObject::eventFilter(obj, e);
}
