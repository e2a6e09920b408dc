#pragma once
#include <QWidget>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace veltor {

class TForm3;
class TRadioGroup;
class TStringGrid;
struct AppState;

// What the field of a list column holds, in words, and the table it is in, for the page
// "Интерфейс": "табельный номер — основная таблица" for NOM of table 1.
QString stolbFieldMeaning(const AppState &state, const std::string &field, const std::string &tableNo);

// The settings panel: config.ini's settings, the constants (Konstanty), the print templates
// (Pechat), the list's columns (Stolb) and the number of additional parameters. Grid edits go
// into the loaded tables at once; files are written only by "О К".
class TSettingsPanel : public QWidget {
    Q_OBJECT
public:
    explicit TSettingsPanel(TForm3 &host);

    void prepare();
    void Button4Click();  // "О К"
    void Button6Click();  // main table file
    void Button12Click(); // templates folder
    void Button8Click();  // output folder
    void Button7Click();  // a template's file
    void SpeedButton3Click(); // add a column
    void SpeedButton4Click(); // remove a column
    void SpeedButton5Click(); // add a template
    void SpeedButton6Click(); // remove a template
    void StringGrid3SelectCell(int col, int row);
    void StringGrid4SelectCell(int col, int row);
    void ComboBox9Change(int item);

    QTabWidget *PageControl1 = nullptr;
    QWidget *ObschList = nullptr, *KonstList = nullptr, *PechatList = nullptr, *InterfaceList = nullptr;
    QLineEdit *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr;
    QPushButton *Button6 = nullptr, *Button12 = nullptr, *Button8 = nullptr, *Button7 = nullptr;
    TRadioGroup *RadioGroup1 = nullptr, *RadioGroup2 = nullptr, *RadioGroup9 = nullptr, *RadioGroup10 = nullptr;
    // "После заполнения документа": the editor, the preview or a PDF (printing/AfterFilling.h).
    TRadioGroup *AfterFillingGroup = nullptr;
    QLabel *Label8 = nullptr;
    QSpinBox *SpinEdit1 = nullptr;
    TStringGrid *StringGrid2 = nullptr, *StringGrid3 = nullptr, *StringGrid4 = nullptr;
    QComboBox *ComboBox9 = nullptr;
    QToolButton *SpeedButton3 = nullptr, *SpeedButton4 = nullptr, *SpeedButton5 = nullptr, *SpeedButton6 = nullptr;
    QPushButton *Button4 = nullptr, *Button5 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void leaveComboBox9();
    void loadKonstanty();
    void loadPechat();
    void loadStolb();
    void applyInterfaceChoice();
    void placeOver(QWidget *overlay, TStringGrid &grid, int col, int row, bool buttonAtRight);
    QString chooseFile(const QString &caption, const QString &startAt);

    TForm3 &m_host;
    int m_konstRow = 0, m_pechatRow = 0, m_stolbRow = 0;
    bool m_pickingFromList = false;
};

} // namespace veltor
