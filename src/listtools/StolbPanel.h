#pragma once
#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace veltor {

class TForm3;

// The column choice: which of the configured columns the employee list shows.
class TStolbPanel : public QWidget {
    Q_OBJECT
public:
    explicit TStolbPanel(TForm3 &host);

    void prepare();
    void CheckListBox1ClickCheck();
    void Button15Click(); // "О К"

    QLabel *Label = nullptr;
    QListWidget *CheckListBox1 = nullptr;
    QPushButton *Button15 = nullptr, *Button16 = nullptr;

private:
    TForm3 &m_host;
    bool m_filling = false;
};

// The about panel: the program's name, release, purpose, authorship and terms.
class TAboutPanel : public QWidget {
    Q_OBJECT
public:
    explicit TAboutPanel(TForm3 &host);

    QPlainTextEdit *AboutMemo = nullptr;
    QPushButton *AboutButton = nullptr;
};

} // namespace veltor
