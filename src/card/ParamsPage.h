#pragma once
#include <QWidget>
#include <string>
#include <vector>

#include "storage/DBFUnit.h"

namespace veltor {

class TStringGrid;

// The card's fourth tab page "Дополнительно" (Dopolnitelno): the additional parameters, one
// row each, the name in column 0 and the value, the only editable cell, in column 1.
class TCardParamsPage : public QWidget {
public:
    explicit TCardParamsPage(QWidget *parent);

    void fill(const std::vector<std::string> &names, const std::vector<std::string> &values);
    std::vector<std::string> values() const;
    // Value k is stored into field DOPOLNk of the table: its editor takes what the field holds.
    void limitInputs(const LoadedTable &dopoln);

    // In-place editing is on exactly while a cell of column 1 is current.
    void StringGrid4SelectCell(int col, int row);

    TStringGrid *StringGrid4 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void sizeColumns();
};

} // namespace veltor
