#pragma once
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace veltor {

class TForm3;

// The sort panel: orders the shown employees by one column of the list.
class TSortPanel : public QWidget {
    Q_OBJECT
public:
    explicit TSortPanel(TForm3 &host);

    // On opening: the field list gets the list's column headings the first time only, so item
    // i stays column i + 1 even after the columns change.
    void prepare();
    // "Сортировать!": reorders CurrentCodeList, refills the list, marks the main window's
    // caption and closes the dialog.
    void Button2Click();

    QLabel *Label2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QRadioButton *RadioButton1 = nullptr; // ascending
    QRadioButton *RadioButton2 = nullptr; // descending
    QPushButton *Button2 = nullptr;

private:
    TForm3 &m_host;
};

} // namespace veltor
