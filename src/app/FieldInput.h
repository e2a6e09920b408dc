#pragma once
#include <QValidator>
#include <string>
#include <string_view>

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
};

class FieldValidator : public QValidator {
public:
    // `table` must outlive the validator (the loaded tables of the open database do). The
    // control is the validator's parent; its accessible name (its label) names the field in
    // notes, and the notes go to its window's status bar.
    FieldValidator(const LoadedTable &table, std::string fieldName, FieldInputKind kind, QWidget *control);

    State validate(QString &input, int &pos) const override;
    // Field width in characters; 0 when the table has no such field (nothing is stored then).
    int width() const;
private:
    const LoadedTable &m_table;
    std::string m_field;
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
// The same for the text of an editable combo box.
FieldValidator *bindToField(QComboBox *combo, const LoadedTable &table, std::string_view field,
                            FieldInputKind kind = FieldInputKind::Text);

// Shows a short note about `control`'s input where the clerk looks: its window's status bar.
void showInputNote(QWidget *control, const QString &note);

} // namespace veltor
