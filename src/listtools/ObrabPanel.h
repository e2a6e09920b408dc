#pragma once
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "listtools/StreamingEntry.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

namespace veltor {

class TForm3;
class TStringGrid;

// The streaming entry: one attribute entered for every employee of the current list, as
// changes at a date. Only the rows whose value was entered or chosen in this opening are
// written; each gets a history record where the attribute keeps one.
class TObrabPanel : public QWidget {
    Q_OBJECT
public:
    explicit TObrabPanel(TForm3 &host);

    void prepare();
    void ComboBox4Change(int item);
    void ValueListSelectCell(int col, int row);
    void ValueComboBoxChange(int item);
    void ValueDataChange();
    void Button21Click(); // "Заполнить"
    void Button17Click(); // "O K"
    // Values entered in this opening and not yet written.
    bool hasEnteredValues() const;
    void dropEnteredValues();

    TStringGrid *ValueList = nullptr;
    QComboBox *ComboBox4 = nullptr;
    QComboBox *ValueComboBox = nullptr;
    QDateEdit *ValueData = nullptr;
    QLabel *Label = nullptr;
    QDateEdit *DataIzm = nullptr;
    QPushButton *Button21 = nullptr, *Button17 = nullptr, *Button18 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeAttributeChooser();
    void limitInputs();
    void leaveEditor();
    void keepPickedDate();
    void placeOverCell(QWidget *overlay, int row);
    void markEntered(int row);

    TForm3 &m_host;
    std::vector<std::string> m_codes;     // the employee of each row (index = row - 1)
    std::vector<char> m_entered;          // a value was entered for the row in this opening
    std::vector<int> m_columns;           // ColumnSettings entry of each ComboBox4 item
    std::optional<StreamAttribute> m_attribute;
    std::string m_caption;
    // The attribute the value cells were last entered for (its caption): cells kept from an
    // opening for another attribute are cleared when this one is chosen.
    std::string m_cellsFor;
    int m_row = 0;
    bool m_pickingFromList = false;
    bool m_dateTouched = false;
};

} // namespace veltor
