#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace veltor {

class TForm3;

// The search panel: finds the next list row, below the current one, that shows a text.
class TSearchPanel : public QWidget {
    Q_OBJECT
public:
    explicit TSearchPanel(TForm3 &host);

    // "ПОИСК": selects the first matching row from the starting row on and closes the dialog,
    // whether a row was found or not.
    void Button1Click();

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;

private:
    TForm3 &m_host;
};

} // namespace veltor
