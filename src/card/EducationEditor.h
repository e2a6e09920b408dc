#pragma once
#include <QFrame>
#include <string>

#include "records/AppState.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veltor {

class TRadioGroup;
class TStringGrid;

// The education panel of the card (PanelObraz): the list of education entries (Obraz.dbf,
// grid StringGrid3) with its "+", "-", "и" buttons and the education level RadioGroup3, and the
// entry editor GroupBox2, which opens over the panel. The editor changes the loaded table at
// once; the card's save writes it to disk.
class TEducationEditor : public QFrame {
public:
    // `page` is the tab page the editor opens over.
    TEducationEditor(AppState &state, QWidget *page);

    void setEmployee(const std::string &code) { m_code = code; }
    void setWritable(bool on);

    // Rebuilds StringGrid3 and EducationIndex; the current row stays where it was when that
    // row still exists (else the last row) and EducationRow follows it.
    void zapolnenietablitsyObraz();
    void closeEditor(); // the reset of closing the card

    // Handlers.
    void Button14Click(); // "+" a new entry
    void Button15Click(); // "-" delete the selected entry
    void Button16Click(); // "и" edit the selected entry
    void Button17Click(); // "О К" write the entry
    void Button18Click(); // "Отмена" leave the editor
    void StringGrid3SelectCell(int col, int row);
    void StringGrid3DblClick();

    // Record numbers in Obraz.dbf of the listed entries; element r belongs to grid row r.
    TIndex EducationIndex = TIndex(1, 0);
    // Grid row of the selected entry.
    int EducationRow = 1;

    TStringGrid *StringGrid3 = nullptr;
    QPushButton *Button14 = nullptr;
    QPushButton *Button15 = nullptr;
    QPushButton *Button16 = nullptr;
    TRadioGroup *RadioGroup3 = nullptr; // education level, a plain control of the card

    QGroupBox *GroupBox2 = nullptr;
    QLineEdit *Edit14 = nullptr;
    QLineEdit *Edit15 = nullptr;
    QLineEdit *Edit11 = nullptr;
    QLineEdit *Edit24 = nullptr;
    QLabel *Label35 = nullptr;
    QComboBox *ComboBox3 = nullptr;
    QLineEdit *Edit20 = nullptr;
    QLineEdit *Edit23 = nullptr;
    QPushButton *Button17 = nullptr;
    QPushButton *Button18 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createPanel();
    void createEditor(QWidget *page);
    void limitInputs();
    void sizeColumns();
    void selectRow(int row);
    void showEditor();
    void hideEditor();
    void clearEditor();
    bool listStillCurrent();

    AppState &m_state;
    std::string m_code;
    bool m_writable = true;
    bool m_editingNew = false; // the editor was opened by "+" on the record it appended
};

} // namespace veltor
