#include "app/FieldInput.h"

#include "text/Cp1251.h"

#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolTip>

namespace veltor {

FieldValidator::FieldValidator(const LoadedTable &table, std::string fieldName, FieldInputKind kind,
                               QWidget *control)
    : QValidator(control), m_kind(kind), m_control(control)
{
    m_fields.emplace_back(&table, std::move(fieldName));
}

FieldValidator::FieldValidator(std::initializer_list<FieldRef> fields, FieldInputKind kind, QWidget *control)
    : QValidator(control), m_kind(kind), m_control(control)
{
    for (const FieldRef &f : fields)
        m_fields.emplace_back(f.table, std::string(f.field));
}

int FieldValidator::width() const
{
    int narrowest = 0;
    for (const auto &[table, field] : m_fields) {
        const int index = FieldIndex(table->Header, field);
        if (index > 0 && (narrowest == 0 || table->Header.FieldLengths[index] < narrowest))
            narrowest = table->Header.FieldLengths[index];
    }
    return narrowest;
}

QValidator::State FieldValidator::validate(QString &input, int &) const
{
    const QString problem = fieldInputProblem(input, width(), m_kind, m_control->accessibleName());
    if (problem.isEmpty())
        return Acceptable;
    showInputNote(m_control, problem);
    return Invalid;
}

QString fieldInputProblem(const QString &text, int width, FieldInputKind kind, const QString &label)
{
    const QString name = label.isEmpty() ? QString() : QStringLiteral(" «%1»").arg(label);
    int length = 0;
    for (const char32_t c : text.toUcs4()) {
        if (cp1251ByteOf(c) < 0) {
            return QStringLiteral("Символ «%1» нельзя сохранить: таблицы хранят текст в кодировке CP1251")
                .arg(QString::fromUcs4(&c, 1));
        }
        if (kind == FieldInputKind::Digits && (c < U'0' || c > U'9'))
            return QStringLiteral("В поле%1 можно вводить только цифры").arg(name);
        ++length;
    }
    // Every character CP1251 holds takes one byte, so characters count the stored bytes.
    if (width > 0 && length > width)
        return QStringLiteral("Поле%1 вмещает не больше %2 знаков").arg(name).arg(width);
    return {};
}

void showInputNote(QWidget *control, const QString &note)
{
    QWidget *window = control->window();
    if (auto *bar = window->findChild<QStatusBar *>()) {
        bar->showMessage(note, 6000);
        return;
    }
    QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), note, control);
}

FieldValidator *bindToField(QLineEdit *edit, const LoadedTable &table, std::string_view field, FieldInputKind kind)
{
    auto *validator = new FieldValidator(table, std::string(field), kind, edit);
    edit->setValidator(validator);
    return validator;
}

FieldValidator *bindToFields(QLineEdit *edit, std::initializer_list<FieldRef> fields, FieldInputKind kind)
{
    auto *validator = new FieldValidator(fields, kind, edit);
    edit->setValidator(validator);
    return validator;
}

FieldValidator *bindToField(QComboBox *combo, const LoadedTable &table, std::string_view field, FieldInputKind kind)
{
    auto *validator = new FieldValidator(table, std::string(field), kind, combo);
    combo->setValidator(validator);
    return validator;
}

} // namespace veltor
