#pragma once
#include <QWidget>

#include "records/AppState.h"
#include "card/CardLogic.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace veltor {

class TEducationEditor;
class TFamilyEditor;

// The card's second tab page "Дополнительные сведения" (DopList): family, education, foreign
// language and military registration.
class TCardExtraPage : public QWidget {
public:
    TCardExtraPage(AppState &state, QWidget *parent);

    // The education level, the language and the military data (the lists fill themselves).
    void fill(const CardValues &values);
    void read(CardValues &values) const;

    void CheckBox3Click(); // the military group is shown exactly while the box is checked

    TFamilyEditor *Family = nullptr;
    TEducationEditor *PanelObraz = nullptr;
    QLabel *Label36 = nullptr;
    QLineEdit *Edit25 = nullptr;
    QLineEdit *Edit26 = nullptr;
    QCheckBox *CheckBox3 = nullptr;
    QGroupBox *GroupBox6 = nullptr;
    QLineEdit *Edit27 = nullptr;
    QComboBox *ComboBox4 = nullptr;
    QComboBox *ComboBox5 = nullptr;
    QLineEdit *Edit30 = nullptr;
    QLineEdit *Edit31 = nullptr;
    QLineEdit *Edit32 = nullptr;

private:
    void createControls(AppState &state);
};

} // namespace veltor
