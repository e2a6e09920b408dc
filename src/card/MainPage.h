#pragma once
#include <QWidget>
#include <string>

#include "records/AppState.h"
#include "card/CardLogic.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace veltor {

class TPictureBox;
class TRadioGroup;

// The card's first tab page "Основные параметры" (OsnovnList): name, position, department,
// salary, sex, photo and passport data.
class TCardMainPage : public QWidget {
public:
    TCardMainPage(AppState &state, QWidget *parent);

    // Shows the values; the position as a list when PositionListMode is 1, else as a text.
    void fill(const CardValues &values);
    // Shows no employee at all.
    void clear();
    // The values of the plain controls (positionItem, departmentItem and the texts).
    void read(CardValues &values) const;
    bool positionListShown() const;

    // Loads the picture at PhotoPath into Foto2, or nonFoto.bmp of the program folder when the
    // path is empty. A picture that cannot be read raises FileError; the frame is then empty.
    void showPhoto();
    void hideNameForms(); // the reset of closing: name forms hidden, glyph at the bottom
    bool nameFormsGlyphAtTop() const { return m_glyphAtTop; }

    // Handlers.
    void CheckBox1Click(); // caption red while checked
    void CheckBox2Click(); // the visa date is shown exactly while the box is checked
    void Button6Click();   // shows or hides the name forms
    void Edit1Click();
    void Edit1Change(); // the name forms follow the full name
    void Foto2Click();  // chooses another photo

    // The photo's full path, empty when there is none; what the save stores in FOTO.
    std::string PhotoPath;

    QLineEdit *Edit22 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QLabel *Label1 = nullptr; // "Сотрудник"
    QLineEdit *Edit1 = nullptr;
    QToolButton *Button6 = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QLineEdit *Edit16 = nullptr;
    QLineEdit *Edit17 = nullptr;
    QLabel *LabelPosition = nullptr;
    QWidget *PositionEditor = nullptr; // Edit2 and Button4, which ComboBox6 covers in list mode
    QLineEdit *Edit2 = nullptr;
    QPushButton *Button4 = nullptr;
    QComboBox *ComboBox6 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QLineEdit *Edit12 = nullptr;
    QLineEdit *Edit13 = nullptr;
    TRadioGroup *RadioGroup1 = nullptr;
    TPictureBox *Foto2 = nullptr;
    QLabel *Label24 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *Edit5 = nullptr;
    QDateEdit *EditData1 = nullptr;
    QLineEdit *Edit9 = nullptr;
    QDateEdit *EditData2 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QLineEdit *Edit8 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QDateEdit *EditData8 = nullptr;
    QLineEdit *Edit6 = nullptr;
    QLineEdit *Edit7 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillReferenceList(QComboBox &list, const LoadedTable &table, std::string_view nameField);
    void createControls();
    void bindFields(); // each edit takes what its field can store
    void setGlyph(bool atTop);

    AppState &m_state;
    bool m_glyphAtTop = false;
};

} // namespace veltor
