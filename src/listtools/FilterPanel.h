#pragma once
#include <QGroupBox>
#include <QWidget>
#include <array>
#include <string>

#include "listtools/Filters.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace veltor {

class TForm3;
class TRadioGroup;

// One of the three filter boxes: a field list and the value controls of the chosen field, of
// which one kind shows at a time. The controls write the criterion of the chosen field as soon
// as they change.
class TFilterBox : public QGroupBox {
    Q_OBJECT
public:
    // `number` is 1, 2 or 3; `store` receives (field, criterion) on every change of a value.
    TFilterBox(int number, QWidget *parent, std::function<void(int field, const std::string &)> store);

    int field() const; // -1 when none is chosen
    // Hides every value control and shows the ones of the field, prepared for it.
    void chooseField(int field, const AppState &state);
    // No field chosen, value controls and their label hidden.
    void clearChoice();
    // The field list refilled with these items, no field chosen.
    void setFields(const QStringList &items);
    // The value the filters run with: the criterion, except for the position and department,
    // whose control's text is read now.
    std::string runValue(const std::string &criterion) const;
    // Stores the criterion of the two-way choice, as a click on it does.
    void storeTwoWay();

    QComboBox *fieldList = nullptr;       // ComboBox2 / ComboBox5 / ComboBox7
    QLabel *fieldLabel = nullptr;
    QLabel *valueLabel = nullptr;         // Label4 / Label14 / Label16
    QLineEdit *edit = nullptr;            // Edit2 / Edit10 / Edit11
    QPushButton *pickButton = nullptr;    // Button14 / Button19 / Button20
    QComboBox *list = nullptr;            // ComboBox3 / ComboBox6 / ComboBox8
    TRadioGroup *twoWay = nullptr;        // RadioGroup3 / RadioGroup5 / RadioGroup7
    TRadioGroup *dateMode = nullptr;      // RadioGroup4 / RadioGroup6 / RadioGroup8
    QDateEdit *date = nullptr;            // FiltrData1 / FiltrData2 / FiltrData3
    QListWidget *family = nullptr;        // CheckListBoxSemja1 / 2 / 3

private:
    void store(const std::string &criterion);
    void storeList();
    void storeDate();
    void storeFamily();
    void showPage(QWidget *page, QWidget *labelled);

    std::function<void(int, const std::string &)> m_store;
    QStackedWidget *m_values = nullptr;
    QWidget *m_none = nullptr, *m_textPage = nullptr, *m_listPage = nullptr, *m_twoWayPage = nullptr,
            *m_datePage = nullptr, *m_familyPage = nullptr;
};

// The filter panel: three boxes that narrow the employee list one after another.
class TFilterPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFilterPanel(TForm3 &host);

    // On opening: the three field lists refilled, no field chosen; nothing else is reset.
    void prepare();
    // "Отфильтровать!": the list shows the employees that pass the boxes; with none, a message
    // and every employee. A value that cannot be converted stops the run with its message and
    // leaves the list and CurrentCodeList as they were.
    void Button3Click();
    // "Отменить фильтры": every employee, no field chosen, every criterion cleared.
    void Button9Click();
    // The "..." of a box: the positions list in place of this panel, to pick the box's text.
    void pickPosition(int box);
    // Box 1 set to "Работает или нет" with the first (working) or second answer, then run.
    void showWorking(bool working);

    const FilterCriteria &criteria() const { return m_criteria; }

    std::array<TFilterBox *, FilterBoxCount> boxes{};
    TFilterBox *FiltrBox1 = nullptr, *FiltrBox2 = nullptr, *FiltrBox3 = nullptr;
    QComboBox *ComboBox2 = nullptr, *ComboBox5 = nullptr, *ComboBox7 = nullptr;
    QLineEdit *Edit2 = nullptr, *Edit10 = nullptr, *Edit11 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button9 = nullptr;

private:
    TForm3 &m_host;
    FilterCriteria m_criteria;
};

} // namespace veltor
