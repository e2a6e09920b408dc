#pragma once
#include <QDate>
#include <QDateEdit>
#include <string>

#include "text/Convert.h"

// Date pickers: a QDateEdit showing dd.MM.yyyy with a calendar drop-down. An empty stored date
// is shown as EmptyDate (01.01.1900), and whatever date a picker holds is what gets stored.
namespace veltor {

inline QDate toQDate(const Date &date) { return QDate(date.year, date.month, date.day); }

inline Date fromQDate(const QDate &date)
{
    return date.isValid() ? Date{date.year(), date.month(), date.day()} : EmptyDate;
}

inline QDateEdit *createDatePicker(QWidget *parent, const char *objectName)
{
    auto *picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(objectName));
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker->setCalendarPopup(true);
    // The widest range a QDateEdit takes, so any date a table holds can be shown.
    picker->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    picker->setDate(toQDate(EmptyDate));
    return picker;
}

inline void setPickerDate(QDateEdit &picker, const Date &date) { picker.setDate(toQDate(date)); }
inline Date pickerDate(const QDateEdit &picker) { return fromQDate(picker.date()); }
// The picker's date as stored: "dd.MM.yyyy".
inline std::string pickerDateText(const QDateEdit &picker) { return dateToStr(pickerDate(picker)); }

} // namespace veltor
