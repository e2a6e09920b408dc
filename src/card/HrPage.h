#pragma once
#include <QWidget>
#include <array>
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

namespace veltor {

class TStringGrid;

// The card's third tab page "Кадровые сведения" (KadrList): the current employment record,
// dismissal and restoration, seniority at hiring, and the employment history.
class TCardHrPage : public QWidget {
public:
    TCardHrPage(AppState &state, QWidget *parent);

    // The check box "НЕ РАБОТАЕТ" of the first page, which dismissing ticks.
    void setDismissedBox(QCheckBox *box) { m_dismissedBox = box; }

    void fill(const CardValues &values);
    void read(CardValues &values) const;

    // The history grid: every Trud.dbf record of the employee, oldest first, coded cells named.
    // The dismissal columns are shown only while the current record holds a dismissal date.
    void zapolnenietablitsyIstorii(const std::string &code, bool currentDismissed);

    // "LU" nothing pending, "Измен" a dismissal or restoration pending.
    bool statusChangePending() const;
    void setStatusChangePending(bool pending);
    bool dismissalShown() const;
    void hideHistory(); // the reset of closing

    // Handlers.
    void Button13Click(); // dismiss or restore
    void Button19Click(); // shows or hides the history

    QDateEdit *EditData3 = nullptr;
    QLineEdit *Edit18 = nullptr;
    QDateEdit *EditData4 = nullptr;
    QLineEdit *Edit19 = nullptr;
    QDateEdit *EditData5 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QLabel *Label28 = nullptr;
    QDateEdit *EditData7 = nullptr;
    QLabel *Label31 = nullptr;
    QLineEdit *Edit10 = nullptr;
    QPushButton *Button13 = nullptr;
    QLabel *LabelUvol = nullptr; // hidden marker of a pending status change
    std::array<QLineEdit *, 6> SeniorityEdits{}; // Edit33 ... Edit38
    QPushButton *Button19 = nullptr;
    QGroupBox *GroupBox5 = nullptr;
    TStringGrid *StringGrid2 = nullptr;

private:
    void createControls();
    void showDismissal(bool shown);

    AppState &m_state;
    QCheckBox *m_dismissedBox = nullptr;
};

} // namespace veltor
