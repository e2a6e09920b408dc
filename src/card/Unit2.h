#pragma once
#include <QWidget>
#include <optional>
#include <string>

#include "app/WindowSupport.h"
#include "records/AppState.h"
#include "card/CardLogic.h"

class QDateEdit;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace veltor {

class TCardExtraPage;
class TCardHrPage;
class TCardMainPage;
class TCardParamsPage;
class TForm1;

// The employee card: one employee gathered from the loaded personnel tables on four tab pages,
// edited in the controls and saved back with the employment history. The main window opens it
// by employee code (openFor), for an existing or a new employee; the caption follows the mode.
class TForm2 : public QWidget, public EmployeeCard {
    Q_OBJECT
public:
    TForm2(AppState &state, TForm1 &mainWindow, QWidget *parent = nullptr);

    // Fills every control from the loaded tables for the current employee. Runs on every
    // showing. A value that cannot be read (a stored date that is no date, an OBRAZ or VID_RAB
    // that is no integer) is shown as empty and named in one message; the card stays usable.
    void FormShow();
    // Reset on every close: normal caption, editors, name forms and history hidden.
    void FormClose();
    // Esc (27) closes the card without saving.
    void FormKeyPress(int key);

    void Button2Click();  // "Сохранить"
    void Button3Click();  // "Отмена": closes; a new employee is removed again
    void Button19Click(); // "История"
    void Button13Click(); // "Уволить" / "Востановить"

    // Commands leading out of the card, wired by the windows they lead to.
    void Button1Click(); // documents pop-up
    void Button4Click(); // the position chooser
    void positionChosen(int dolzhRecord);
    void Button5Click(); // HR orders pop-up
    // Prints Pechat template `tag` for the current employee.
    void ButPechatClick(int tag);
    // Starts an HR order of TipDok.dbf record `tag` for this employee.
    void ButKadrClick(int tag);

    // The caption says new employee and the card was filled as one.
    bool newCardMode() const;
    CardMode mode() const { return m_mode; }

    // The card addresses its employee by code. A card that holds unsaved edits asks before it
    // is left for another employee, closed or sent elsewhere.
    bool openFor(const std::string &code, bool asNewEmployee) override;
    bool settleUnsavedEdits() override;
    std::string openCode() const override { return isVisible() ? m_code : std::string(); }
    // Something typed or chosen differs from what the card showed, family or education entries
    // are not yet saved, or the card shows a new employee not yet saved.
    bool hasUnsavedEdits() const;
    // The employee shown (KOD as stored); empty when the card shows none.
    const std::string &shownCode() const { return m_code; }
    // False after a failed showing: the card then refuses to save.
    bool loaded() const { return m_loaded; }

    // The four tab pages, which hold the controls.
    QTabWidget *PageControl1 = nullptr;
    TCardMainPage *OsnovnList = nullptr;
    TCardExtraPage *DopList = nullptr;
    TCardHrPage *KadrList = nullptr;
    TCardParamsPage *Dopolnitelno = nullptr;

    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button5 = nullptr;
    QLabel *LabelSegodnja = nullptr;
    QDateEdit *SegodnjaData = nullptr;
    QProgressBar *ProgressBarPech = nullptr; // shown while a document is printed
    QPushButton *ButPechat = nullptr;        // hidden; its handler serves the documents pop-up
    QPushButton *ButKadr = nullptr;          // hidden; its handler serves the orders pop-up
    QMenu *PopupMenu = nullptr;
    QStatusBar *StatusBar = nullptr; // short notes, such as why a typed character was refused

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void arrangeTabOrder();
    void placeBottomRowInTabChain();
    // An underlined letter for every button and labelled field, unique on each page together
    // with the buttons below the pages.
    void assignCardMnemonics();
    void fillControls();
    void showNoEmployee();
    void setWritable(bool on);
    CardSaveInput readControls() const;
    // Saves the card; false when the clerk declined a confirmation or the save was refused
    // (the message is shown).
    bool saveCard();
    // Drops what was typed: pending family and education entries go, a new employee is removed.
    void dropEdits();
    void changeCommitted(const RecordChange &change);
    void tablesReadAnew();
    void closeQuietly();
    void removeNewEmployee();

    AppState &m_state;
    TForm1 &m_main;
    QWidget *m_lastPageControl = nullptr; // the last Tab stop of the pages
    std::string m_code;
    CardValues m_shown; // the values the last showing read
    VersionStamp m_stamp; // the versions of the employee when the card showed him
    std::string m_requested;   // the code the main window asked for; empty: the current employee
    bool m_closingQuietly = false;
    std::string m_chosenPosition; // NOM chosen in the positions list, until the card is saved // closed after a save or a cancel: nothing left to ask
    bool m_loaded = false;
    // A new employee's card or an existing one's: set when the card is filled, kept until it
    // closes, whatever the caption says meanwhile.
    CardMode m_mode = CardMode::Existing;
    std::optional<CardMode> m_requestedMode;
};

} // namespace veltor
