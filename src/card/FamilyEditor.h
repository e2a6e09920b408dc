#pragma once
#include <QWidget>
#include <functional>
#include <string>

#include "records/AppState.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veltor {

class TRadioGroup;
class TStringGrid;

// The family list of the card (semja.dbf, grid StringGrid1) with its "+", "-", "и" buttons,
// and its editor GroupBox4, which opens over the top of the tab page. The editor changes the
// loaded table at once; the card's save writes it to disk.
class TFamilyEditor : public QWidget {
public:
    // `page` is the tab page the editor opens over.
    TFamilyEditor(AppState &state, QWidget *page);

    // The employee whose family is listed (KOD as stored).
    void setEmployee(const std::string &code) { m_code = code; }
    const std::string &employee() const { return m_code; }
    // The education panel, hidden while the editor is open.
    void setEducationPanel(QWidget *panel) { m_educationPanel = panel; }
    // The registration address of the passport data, which "<=>" copies.
    void setRegistrationAddress(std::function<QString()> address) { m_address = std::move(address); }
    // Off while the card shows no employee.
    void setWritable(bool on);

    // Rebuilds StringGrid1 and FamilyIndex; the grid's current row stays where it was when
    // that row still exists (else the last row) and FamilyRow follows it.
    void zapolnenietablitsySemja();
    void closeEditor(); // the reset of closing the card

    // Handlers.
    void Button7Click();  // "+" a new member
    void Button8Click();  // "-" delete the selected member
    void Button9Click();  // "и" edit the selected member
    void Button10Click(); // "О К" write the member
    void Button11Click(); // "Отмена" leave the editor
    void Button12Click(); // "<=>" copy the registration address
    void CheckBox4Click();
    void StringGrid1SelectCell(int col, int row);
    void StringGrid1DblClick();

    // Record numbers in semja.dbf of the listed members; element r belongs to grid row r.
    TIndex FamilyIndex = TIndex(1, 0);
    // Grid row of the selected member.
    int FamilyRow = 1;

    QLabel *LabelFamily = nullptr;
    TStringGrid *StringGrid1 = nullptr;
    QPushButton *Button7 = nullptr;
    QPushButton *Button8 = nullptr;
    QPushButton *Button9 = nullptr;

    QGroupBox *GroupBox4 = nullptr; // its title tells new member or editing
    TRadioGroup *RadioGroup2 = nullptr;
    QLabel *Label25 = nullptr;
    QLineEdit *Edit21 = nullptr;
    QLineEdit *LabeledEdit1 = nullptr;
    QLineEdit *LabeledEdit2 = nullptr;
    QPushButton *Button12 = nullptr;
    QCheckBox *CheckBox4 = nullptr;
    QDateEdit *EditData6 = nullptr;
    QLabel *Label30 = nullptr;
    QLineEdit *Edit28 = nullptr;
    QPushButton *Button10 = nullptr;
    QPushButton *Button11 = nullptr;

private:
    void createList();
    void createEditor(QWidget *page);
    void limitInputs();
    void openEditor();
    void closeEditorShowingPanel();
    void selectRow(int row);
    bool editingNew() const;
    bool listStillCurrent();
    void resetBirthDate();

    AppState &m_state;
    std::string m_code;
    QWidget *m_educationPanel = nullptr;
    std::function<QString()> m_address;
    bool m_writable = true;
};

} // namespace veltor
