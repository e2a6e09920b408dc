#pragma once
#include <QIcon>
#include <QMainWindow>

#include "records/Startup.h"
#include <functional>
#include <initializer_list>
#include <string>

#include "records/AppState.h"
#include "app/EmployeeList.h"
#include "app/WindowSupport.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;

namespace veltor {

class EmployeeCard;
class TStringGrid;

// What the main window needs of the other windows, set by main() once they exist.
struct FormLinks {
    QWidget *Form2 = nullptr; // the employee card
    QWidget *Form3 = nullptr; // the tools dialog
    QWidget *Form4 = nullptr; // the HR-orders window
    // Prints Pechat template `tag` (1-based) for the current employee, as the card's print
    // button does.
    std::function<void(int tag)> printTemplate;
    // Shows the positions list as a chooser; `picked` gets the dolzh.dbf record the user picks.
    std::function<void(std::function<void(int record)> picked)> choosePosition;
};

// The main window: the employee list, the preview panel, the menu and tool bar.
class TForm1 : public QMainWindow, public EmployeeListWindow {
    Q_OBJECT
public:
    explicit TForm1(AppState &state, QWidget *parent = nullptr);

    AppState &state() { return m_state; }
    // Watches the linked windows: whenever one hides, the keyboard returns to the list.
    void setLinks(FormLinks links);
    // Before the tables are read anew or the database changes: every window's unsaved edits are
    // settled and a confirmed deletion is written or dropped, as the clerk says. False when the
    // clerk cancelled; nothing was read then.
    bool settleBeforeReading() override;
    // Makes the listed employee with that code current (the card's when a change of employee
    // was cancelled).
    void makeCurrent(const std::string &code);
    const FormLinks &links() const { return m_links; }

    // The start-up sequence; runs once, after construction.
    void FormCreate();
    // The user chose to quit at start-up (the database is open in another copy).
    bool quitRequested() const { return m_quitRequested; }

    // Fills the list from a code list ("-1" for all); nothing in the payroll interface. The
    // current employee stays selected where he is still listed; otherwise nobody is current.
    void zapolnenieOsnovnojTablitsy(const std::string &codeList);
    // Fills the list and makes the employee with that code current (nobody when the code is
    // empty or not listed). For windows that change employees and know whom the user works on.
    void refillList(const std::string &codeList, const std::string &currentCode);
    // The code of the current employee, empty when nobody is current.
    const std::string &currentCode() const override { return m_currentCode; }
    // Makes the employee of a grid row current and updates the status bar and preview panel.
    void StringGrid1SelectCell(int col, int row);
    bool previewVisible() const override;

    // The list as the other windows see it.
    void refill(const std::string &codeList) override;
    bool listShown() const override;
    void addTitleNote(const QString &note) override;
    void plainTitle() override;
    int rowCount() const override;
    int columnCount() const override;
    const std::string &cellText(int col, int row) const override;
    int currentRow() const override;
    void selectRow(int row) override;
    void showStatus(const QString &text) override;
    void showPreview(bool shown) override;

    // Menu commands of this window.
    void N1_10Click(); // show the card
    void N1_4Click();  // new employee
    void N1_5Click();  // show all
    void N1_9Click();  // delete
    void N2_9Click();  // preview panel toggle
    void N2_5Click();  // archive the database folder
    void N2_2Click();  // main table DOS->WIN
    void N3_2Click();  // help
    void N4Click();    // exit
    void N5Show();     // the documents menu is opening
    void N5_1Click();  // print the list
    void N1_11Click(); // export the shown list to a workbook or CSV
    void N1_12Click(); // print the data check report of the shown list
    void N2_11Click(); // restore the tables from an archive
    // True when the employee of a grid row is dismissed (the red marker).
    bool rowDismissed(int row) const;
    void StringGrid1DblClick();

    // Controls, named as the rest of the program knows them.
    TStringGrid *StringGrid1 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Foto1 = nullptr;
    QLabel *StaticText1 = nullptr;
    QLabel *StaticText2 = nullptr;
    QLabel *StaticText3 = nullptr;
    QLabel *StaticText4 = nullptr;
    QLabel *StatusPanel0 = nullptr;
    QLabel *StatusMissing = nullptr; // names the personnel tables that could not be loaded
    QToolButton *SpeedButton14 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr,
                *SpeedButton4 = nullptr, *SpeedButton5 = nullptr, *SpeedButton6 = nullptr,
                *SpeedButton7 = nullptr, *SpeedButton8 = nullptr, *SpeedButton9 = nullptr,
                *SpeedButton10 = nullptr;

    QMenu *N1 = nullptr, *N6 = nullptr, *N7 = nullptr, *N5 = nullptr, *N2 = nullptr,
          *N2_10 = nullptr, *N2_8 = nullptr, *N3 = nullptr;
    QAction *N1_11 = nullptr, *N1_12 = nullptr, *N2_11 = nullptr;
    QToolButton *SpeedButton11 = nullptr;
    QAction *N1_10 = nullptr, *N1_1 = nullptr, *N1_2 = nullptr, *N1_3 = nullptr, *N1_6 = nullptr,
            *N1_7 = nullptr, *N1_5 = nullptr, *N1_4 = nullptr, *N1_8 = nullptr, *N1_9 = nullptr;
    QAction *N6_1 = nullptr, *N6_2 = nullptr, *N6_3 = nullptr, *N6_4 = nullptr;
    QAction *N7_1 = nullptr, *N7_2 = nullptr, *N7_3 = nullptr;
    QAction *N5_1 = nullptr;
    QAction *N2_1 = nullptr, *N2_3 = nullptr, *N2_4 = nullptr, *N2_7 = nullptr, *N2_9 = nullptr,
            *N2_5 = nullptr, *N2_6 = nullptr, *N2_2 = nullptr;
    QAction *N3_2 = nullptr, *N3_1 = nullptr, *N4 = nullptr;
    // Tool-bar slots of the two buttons the payroll interface hides.
    QAction *SpeedButton8Slot = nullptr, *SpeedButton9Slot = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    // The desktop theme's icon of the first of `themeNames` it has, else our own `ownIcon`.
    static QIcon themedIcon(std::initializer_list<const char *> themeNames, const char *ownIcon);
    // A preview text; an empty label is out of the Tab chain.
    static void setPreviewText(QLabel *label, const QString &text);
    void createCentralWidgets();
    void runStartup();
    void applyVid(const std::string &vid);
    void applyInterfaceMode();
    void readProgramTable(std::string_view name, const char *missingMessage, LoadedTable &table);
    void showPhoto(const std::string &path);
    QColor StringGrid1DrawCell(int row) const;
    void showCardWindow();
    EmployeeCard *card() const;
    // After a commit of another window: the list and preview show the current records.
    void changeCommitted(const RecordChange &change);
    void selectCurrentAfterFill();
    void clearCurrentEmployee();
    // The list row of an employee code from the last fill; 0 when it is not listed.
    int rowOfCode(const std::string &code) const;
    void showMissingTables();
    void focusList();
    // Locks the database folder; when another copy holds it, asks to open it read-only or quit.
    // False when the user chose to quit.
    bool lockDatabase();
    // Tells what opening the database found: an undone save, removed leftovers, stray bytes.
    void showOpeningReport(const OpeningReport &report);
    // Save commands are disabled while the database is open read-only.
    void applyReadOnly();
    void markTitle();
    bool event(QEvent *event) override;

    AppState &m_state;
    FormLinks m_links;
    std::vector<int> m_rowMainRecords; // first main-table record per grid row, from the last fill
    // Unreadable stored values the clerk was told about: a refill that finds the same ones says
    // nothing again.
    std::vector<BadStoredValue> m_reportedBadValues;
    std::vector<std::string> m_rowCodes; // the code of each grid row, from the last fill
    std::string m_currentCode; // the current employee's KOD, empty when nobody is current
    bool m_closing = false;
    bool m_quitRequested = false;
};

} // namespace veltor
