#pragma once
#include <QValidator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <initializer_list>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QWidget;

#include "storage/DBFUnit.h"

// Inputs bound to a table field: what the clerk can type is what the field can store. The width
// is read from the table's header when the text is checked, so a table read again (another
// structure, another database) is followed without rebinding.
namespace veltor {

enum class FieldInputKind {
    Text,   // any text CP1251 can hold
    Digits, // salaries, day counts, codes: 0-9 only
    Number, // digits and one decimal point (a comma typed becomes the point)
};

// A field an input is stored into.
struct FieldRef {
    const LoadedTable *table;
    std::string_view field;
};

class FieldValidator : public QValidator {
public:
    // `table` must outlive the validator (the loaded tables of the open database do). The
    // control is the validator's parent; its accessible name (its label) names the field in
    // notes, and the notes go to its window's status bar.
    FieldValidator(const LoadedTable &table, std::string fieldName, FieldInputKind kind, QWidget *control);
    // An input stored into several fields takes what the narrowest of them holds.
    FieldValidator(std::initializer_list<FieldRef> fields, FieldInputKind kind, QWidget *control);

    State validate(QString &input, int &pos) const override;
    // Field width in characters (the narrowest field); 0 when no table has such a field.
    int width() const;
    // The kind the input takes: a numeric field in the table's header (N, F, or one with
    // decimals) takes only a number whatever the input was bound as.
    FieldInputKind kind() const;
private:
    std::vector<std::pair<const LoadedTable *, std::string>> m_fields;
    FieldInputKind m_kind;
    QWidget *m_control;
};

// Why `text` cannot go into a field of that width and kind, or an empty string when it can.
// `label` names the field in the note.
QString fieldInputProblem(const QString &text, int width, FieldInputKind kind, const QString &label);

// Binds the edit to the field: refused input leaves the text as it was and shows the note in
// the status bar of the edit's window (or as a tool tip where the window has none).
FieldValidator *bindToField(QLineEdit *edit, const LoadedTable &table, std::string_view field,
                            FieldInputKind kind = FieldInputKind::Text);
FieldValidator *bindToFields(QLineEdit *edit, std::initializer_list<FieldRef> fields,
                             FieldInputKind kind = FieldInputKind::Text);
// The same for the text of an editable combo box.
FieldValidator *bindToField(QComboBox *combo, const LoadedTable &table, std::string_view field,
                            FieldInputKind kind = FieldInputKind::Text);

// Shows a short note about `control`'s input where the clerk looks: its window's status bar.
void showInputNote(QWidget *control, const QString &note);

class TStringGrid;

// The field a grid cell is stored into, and the name its editor is announced by.
struct CellField {
    const LoadedTable *table = nullptr;
    std::string field;
    FieldInputKind kind = FieldInputKind::Text;
    QString label;
};

// Limits the grid's in-place cell editors: `fieldOf(col, row)` names the field a cell goes
// into; cells it gives nothing for are not limited.
void bindGridCells(TStringGrid *grid, std::function<std::optional<CellField>(int col, int row)> fieldOf);
// A grid that shows a whole table (column c is field c), the one `table` gives when a cell is
// edited: every cell is limited to its field; the fields in `digits` take digits only. Editors
// are named by the column's heading.
void bindGridToTable(TStringGrid *grid, std::function<const LoadedTable *()> table,
                     std::vector<std::string> digits = {});

} // namespace veltor
