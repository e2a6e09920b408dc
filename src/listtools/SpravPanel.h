#pragma once
#include <QWidget>
#include <functional>
#include <string>

class QTabBar;

namespace veltor {

class TForm3;
class TStringGrid;

// The reference-list panel: a table of departments or positions in a grid. Here it serves
// picking a position for a filter box: the caption names the box, and a double click (or Enter)
// on a row hands that row's position name back.
class TSpravPanel : public QWidget {
    Q_OBJECT
public:
    explicit TSpravPanel(TForm3 &host);

    // Shows dolzh.dbf with whole rows picked and no edit buttons; `picked` gets the DOLZH text
    // of the row the user picks (CP1251).
    void preparePositionPick(std::function<void(const std::string &position)> picked);
    void StringGrid1DblClick();

    QTabBar *TabControl1 = nullptr;
    TStringGrid *StringGrid1 = nullptr;

private:
    TForm3 &m_host;
    std::function<void(const std::string &)> m_picked;
};

} // namespace veltor
