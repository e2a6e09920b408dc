#include "app/DatePicker.h"

#include "app/FieldInput.h"
#include "app/QtText.h"

#include <QKeyEvent>
#include <QValidator>
#include <QLineEdit>

namespace veltor {

namespace {
// The special value text must not be empty for Qt to use it; one blank reads as empty.
const QString EmptyText = QStringLiteral(" ");
} // namespace

TDatePicker::TDatePicker(QWidget *parent, EmptyDateShown empty)
    : QDateEdit(parent), m_mayBeEmpty(empty == EmptyDateShown::AsEmpty)
{
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setCalendarPopup(true);
    if (m_mayBeEmpty) {
        // EmptyDate is the least date such a picker holds, and Qt shows the least date as the
        // special text.
        setDateRange(toQDate(EmptyDate), QDate(9999, 12, 31));
        setSpecialValueText(EmptyText);
    } else {
        // The widest range a QDateEdit takes, so any date a table holds can be shown.
        setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    }
    setDate(toQDate(EmptyDate));
}

bool TDatePicker::takeTypedText()
{
    const QString typed = lineEdit()->text().trimmed();
    if (m_mayBeEmpty && typed.isEmpty()) {
        setDate(toQDate(EmptyDate));
        return true;
    }
    Date typedDate;
    if (tryStrToDate(fromQ(typed), typedDate) && toQDate(typedDate) >= minimumDate()) {
        setDate(toQDate(typedDate));
        return true;
    }
    showInputNote(this, QStringLiteral("«%1» не является датой: введите дату в виде ДД.ММ.ГГГГ").arg(typed));
    // Shows the date the picker holds again.
    const QDate held = date();
    setDate(held.addDays(1));
    setDate(held);
    return false;
}

void TDatePicker::focusOutEvent(QFocusEvent *event)
{
    if (!isReadOnly())
        takeTypedText();
    QDateEdit::focusOutEvent(event);
}

void TDatePicker::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        takeTypedText();
    QDateEdit::keyPressEvent(event);
}

QValidator::State TDatePicker::validate(QString &input, int &pos) const
{
    Date typed;
    if (tryStrToDate(fromQ(input.trimmed()), typed)) {
        // "5.3.2024" is a date Qt's own format does not read: it is taken on leaving the field.
        const QValidator::State own = QDateEdit::validate(input, pos);
        return own == QValidator::Invalid ? QValidator::Intermediate : own;
    }
    // Anything else is taken or refused when the clerk leaves the field: Qt would otherwise take
    // it at once and correct it (31.02 into 28.02).
    if (input.size() > 10)
        return QValidator::Invalid;
    for (const QChar c : input)
        if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char(' '))
            return QValidator::Invalid;
    return QValidator::Intermediate;
}

bool TDatePicker::focusNextPrevChild(bool next)
{
    // A date is one Tab stop: Tab leaves the picker instead of stepping through day, month and
    // year, which the arrow keys and typing reach.
    return QWidget::focusNextPrevChild(next);
}

void TDatePicker::fixup(QString &) const
{
    // Never corrects: 31.02 does not become 28.02, a two-digit year does not become this year.
}

QDateEdit *createDatePicker(QWidget *parent, const char *objectName, EmptyDateShown empty)
{
    auto *picker = new TDatePicker(parent, empty);
    picker->setObjectName(QString::fromLatin1(objectName));
    return picker;
}

} // namespace veltor
