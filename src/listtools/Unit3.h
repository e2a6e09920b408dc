#pragma once
#include <QWidget>
#include <functional>
#include <vector>

#include "records/AppState.h"

class QTabBar;

namespace veltor {

class TFilterPanel;
class TForm1;
class EmployeeListWindow;
class TSearchPanel;
class TSortPanel;
class TSpravPanel;
class TSettingsPanel;
class TAboutPanel;
class TStolbPanel;
class TObrabPanel;

// The tools dialog: one window that shows one of its panels at a time (search, sort, filters,
// settings, reference lists, columns, streaming entry). Whoever opens a panel sizes the window
// to it, prepares it and sets the caption, which some panels read to decide what they work on.
// The window is modeless: the main window stays usable beside it.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3(AppState &state, TForm1 &mainWindow, QWidget *parent = nullptr);

    AppState &state() { return m_state; }
    // The employee list the panels search, sort, filter and refill.
    EmployeeListWindow &list();

    // Opens a panel: the window's client area takes the panel's size, the panel sits at the
    // top left and is shown alone, `prepare` runs, the caption is set and the window shows.
    void showPanel(QWidget *panel, const QString &caption, const std::function<void()> &prepare = {});
    // Shows another panel in place of the one shown, keeping the window open.
    void switchPanel(QWidget *panel, const QString &caption);
    // Runs on every close: every panel hidden, the reference list's tabs emptied.
    void FormClose();
    // Registers a panel of the dialog (hidden until opened).
    void addPanel(QWidget *panel);
    const std::vector<QWidget *> &panels() const { return m_panels; }

    // Typed work not yet saved: streaming-entry values, or changes of the settings, reference
    // lists or columns waiting in their tables.
    bool hasUnsavedWork() const;
    // Asks "Сохранить изменения?": Да runs the shown panel's "О К", Нет drops the changes.
    // False when the clerk cancelled or the work is still unsaved.
    bool settleUnsavedWork();

    // The main window's commands that open this dialog (menu and tool bar share them).
    void N1_1Click(); // search
    void N1_2Click(); // sort
    void N1_3Click(); // filter
    void N1_6Click(); // show working employees
    void N1_7Click(); // show employees not working
    void N1_8Click(); // streaming entry
    void N2_1Click(); // settings
    void N2_3Click(); // departments
    void N2_4Click(); // positions
    void N2_7Click(); // column choice
    void N3_1Click(); // about
    // The card's position chooser: the positions list with its titles; a double click hands the
    // dolzh.dbf record to `picked` and closes the window.
    void choosePosition(std::function<void(int record)> picked);

    TSearchPanel *PanelPoisk = nullptr;
    TSortPanel *PanelSort = nullptr;
    TFilterPanel *PanelFiltr = nullptr;
    TSpravPanel *PanelSprav = nullptr;
    TSettingsPanel *PanelNastr = nullptr;
    TAboutPanel *PanelAbout = nullptr;
    TStolbPanel *PanelStolb = nullptr;
    TObrabPanel *PanelObrab = nullptr;
    QTabBar *TabControl1 = nullptr; // on PanelSprav

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void placePanel(QWidget *panel);
    std::vector<LoadedTable *> tablesEditedInPlace() const;

    AppState &m_state;
    TForm1 &m_main;
    std::vector<QWidget *> m_panels;
};

} // namespace veltor
