#pragma once
#include <QWidget>
#include <functional>
#include <string>

class QPushButton;
class QTabBar;
class QToolButton;

namespace veltor {

class TForm3;
class TStringGrid;
struct LoadedTable;

// The reference-list panel: departments (otdel.dbf) or positions (dolzh.dbf) edited in a grid,
// numbered as rows are added, written by "О К". The same panel lets a position be picked for a
// filter box: the caption names the box, and a double click (or Enter) on a row hands that
// row's position name back.
class TSpravPanel : public QWidget {
    Q_OBJECT
public:
    explicit TSpravPanel(TForm3 &host);

    // Opens a reference list for editing: departments when `departments`, else positions.
    void prepareReferenceList(bool departments);
    // Shows dolzh.dbf with whole rows picked and no edit buttons; `picked` gets the DOLZH text
    // of the row the user picks (CP1251). The columns keep their field names as headings
    // unless `titled` (the card's chooser shows the reference list's titles).
    void preparePositionPick(std::function<void(const std::string &position, int record)> picked,
                             bool titled = false);
    // Shows the list as the shared table now holds it (after another window's save), on the
    // same row where it still exists.
    void showCurrentRecords();
    // The reference table shown: departments or positions.
    bool showsDepartments() const { return m_departments; }
    void StringGrid1DblClick();
    void SpeedButton1Click(); // add a row
    void SpeedButton2Click(); // remove the selected row
    void Button10Click();     // "О К"

    QTabBar *TabControl1 = nullptr;
    TStringGrid *StringGrid1 = nullptr;
    QToolButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr;
    QPushButton *Button10 = nullptr, *Button11 = nullptr;

private:
    LoadedTable &table();
    void reload();
    void setButtonsVisible(bool on);
    void cellEdited(int col, int row);

    TForm3 &m_host;
    std::function<void(const std::string &, int)> m_picked;
    bool m_departments = false;
    bool m_editing = false;
    bool m_titled = false;
    bool m_rowAdded = false;
    int m_row = 0;
};

} // namespace veltor
