#pragma once
#include <QDate>
#include <QDateEdit>
#include <string>

#include "text/Convert.h"

// Date pickers: a QDateEdit showing dd.MM.yyyy with a calendar drop-down. A typed date is taken
// exactly as typed or refused with a note, never corrected; a picker whose date may be empty
// shows EmptyDate (01.01.1900, what an empty date is stored as) as an empty field and can be
// cleared.
namespace veltor {

inline QDate toQDate(const Date &date) { return QDate(date.year, date.month, date.day); }

inline Date fromQDate(const QDate &date)
{
    return date.isValid() ? Date{date.year(), date.month(), date.day()} : EmptyDate;
}

enum class EmptyDateShown { AsDate, AsEmpty };

class TDatePicker : public QDateEdit {
public:
    TDatePicker(QWidget *parent, EmptyDateShown empty);

    bool mayBeEmpty() const { return m_mayBeEmpty; }
    // Takes the typed text: a date, or for a picker that may be empty an empty text; anything
    // else is refused with a note in the window's status bar and the picker's date shown again.
    // Returns false when refused.
    bool takeTypedText();

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

private:
    bool m_mayBeEmpty;
};

// Dates of the original window layout are pickers whose empty date shows as 01.01.1900; a date
// that is empty when not set (a contract date, a birth date) shows empty instead.
QDateEdit *createDatePicker(QWidget *parent, const char *objectName,
                            EmptyDateShown empty = EmptyDateShown::AsDate);

inline void setPickerDate(QDateEdit &picker, const Date &date) { picker.setDate(toQDate(date)); }
inline Date pickerDate(const QDateEdit &picker) { return fromQDate(picker.date()); }
// The picker's date as stored: "dd.MM.yyyy".
inline std::string pickerDateText(const QDateEdit &picker) { return dateToStr(pickerDate(picker)); }

} // namespace veltor
