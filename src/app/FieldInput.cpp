#include "app/FieldInput.h"

#include "app/StringGrid.h"
#include "text/Cp1251.h"

#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolTip>

#include <algorithm>

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

FieldInputKind FieldValidator::kind() const
{
    FieldInputKind kind = m_kind;
    for (const auto &[table, field] : m_fields) {
        const int index = FieldIndex(table->Header, field);
        if (index < 1)
            continue;
        // The letter as stored: 'R' only marks a field with decimals.
        const TTableHeader &h = table->Header;
        const char type = h.FieldTypes[index];
        const char stored = h.Form.Types[index] != 0 ? h.Form.Types[index] : 'N';
        // A field with decimals takes the decimal point too, also where digits were asked for.
        if (type == 'R' && (stored == 'N' || stored == 'F'))
            kind = FieldInputKind::Number;
        else if ((type == 'N' || type == 'F') && kind == FieldInputKind::Text)
            kind = FieldInputKind::Digits;
    }
    return kind;
}

QValidator::State FieldValidator::validate(QString &input, int &) const
{
    const FieldInputKind kind = this->kind();
    // The Russian keyboard's decimal comma; tables store the point.
    if (kind == FieldInputKind::Number)
        input.replace(QLatin1Char(','), QLatin1Char('.'));
    const QString problem = fieldInputProblem(input, width(), kind, m_control->accessibleName());
    if (problem.isEmpty())
        return Acceptable;
    showInputNote(m_control, problem);
    return Invalid;
}

QString fieldInputProblem(const QString &text, int width, FieldInputKind kind, const QString &label)
{
    const QString name = label.isEmpty() ? QString() : QStringLiteral(" «%1»").arg(label);
    int length = 0;
    bool point = false;
    for (const char32_t c : text.toUcs4()) {
        if (cp1251ByteOf(c) < 0) {
            return QStringLiteral("Символ «%1» нельзя сохранить: таблицы хранят текст в кодировке CP1251")
                .arg(QString::fromUcs4(&c, 1));
        }
        if (kind == FieldInputKind::Number && c == U'.' && !point) {
            point = true;
        } else if (kind != FieldInputKind::Text && (c < U'0' || c > U'9')) {
            return kind == FieldInputKind::Number
                       ? QStringLiteral("В поле%1 можно вводить только число: цифры и одну запятую").arg(name)
                       : QStringLiteral("В поле%1 можно вводить только цифры").arg(name);
        }
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

void bindGridCells(TStringGrid *grid, std::function<std::optional<CellField>(int col, int row)> fieldOf)
{
    grid->onEditorCreated([fieldOf = std::move(fieldOf)](QLineEdit *editor, int col, int row) {
        const std::optional<CellField> cell = fieldOf(col, row);
        if (!cell || cell->table == nullptr)
            return;
        if (!cell->label.isEmpty())
            editor->setAccessibleName(cell->label);
        bindToField(editor, *cell->table, cell->field, cell->kind);
    });
}

void bindGridToTable(TStringGrid *grid, std::function<const LoadedTable *()> tableOf, std::vector<std::string> digits)
{
    bindGridCells(grid, [grid, tableOf = std::move(tableOf), digits = std::move(digits)](int col, int) -> std::optional<CellField> {
        const LoadedTable *table = tableOf();
        if (table == nullptr || col < 1 || col > FieldCount(table->Header))
            return std::nullopt;
        const std::string &stored = table->Header.FieldNames[col];
        std::string name(std::string_view(stored).substr(0, stored.find('\0')));
        while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ')
            name.pop_back();
        const bool onlyDigits = std::find(digits.begin(), digits.end(), name) != digits.end();
        return CellField{table, std::move(name), onlyDigits ? FieldInputKind::Digits : FieldInputKind::Text,
                         grid->cellText(col, 0)};
    });
}

} // namespace veltor
