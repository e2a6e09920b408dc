// The tools window from the keyboard: Enter in the filter panel applies the filter whatever
// value control has the keyboard, and the settings page "Интерфейс" reads in words.
#include "support/MnemonicCheck.h"
#include "support/Workplace.h"

#include "app/DatePicker.h"
#include "card/CardWidgets.h"
#include "listtools/FilterPanel.h"
#include "listtools/Filters.h"
#include "listtools/SettingsPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace veltor::test {
namespace {

class ToolsKeyboard : public Workplace {
protected:
    void SetUp() override
    {
        Workplace::SetUp();
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Склад"}});
        add(schema::OtdelTable, {{"NOM", "2"}, {"OTDEL", "Охрана"}});
        addColumn("Принят", "D_POST", "4");
        addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "1"}, {"POL", "1"}});
        addEmployee(2, "Петрова Анна Сергеевна", {{"OTDEL", "2"}, {"POL", "2"}});
        start();
        tools->show();
    }

    TFilterBox &box() const { return *tools->PanelFiltr->boxes[0]; }

    // Presses Enter in `control` of the first box; true when the filter ran, which marks the
    // main window's caption.
    bool enterIn(QWidget *control)
    {
        form->setWindowTitle(QString::fromUtf8("Перечень сотрудников"));
        control->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control, Qt::Key_Return);
        return form->windowTitle().endsWith(QString::fromUtf8("(Применен фильтр)"));
    }
};

// Enter applied the filter only from the field lists and the text fields.
TEST_F(ToolsKeyboard, EnterInAnyValueControlOfTheFilterPanelFilters)
{
    form->N1_3->trigger();
    box().fieldList->setCurrentIndex(filterfield::Department);
    box().list->setEditText(QStringLiteral("Охрана"));
    EXPECT_TRUE(enterIn(box().list));
    EXPECT_EQ(state->CurrentCodeList, "2,");
    EXPECT_TRUE(tools->PanelFiltr->Button3->isDefault());

    form->N1_3->trigger();
    box().fieldList->setCurrentIndex(filterfield::Sex);
    box().twoWay->button(0)->setChecked(true);
    EXPECT_TRUE(enterIn(box().twoWay->button(0)));

    // A date still being typed is taken before the filter runs.
    form->N1_3->trigger();
    box().fieldList->setCurrentIndex(filterfield::BirthDate);
    box().dateMode->button(0)->setChecked(true);
    auto *picker = static_cast<TDatePicker *>(box().date);
    picker->setFocus(Qt::TabFocusReason);
    picker->findChild<QLineEdit *>()->setText(QStringLiteral("01.01.1950"));
    EXPECT_TRUE(enterIn(picker));
    EXPECT_EQ(pickerDateText(*picker), "01.01.1950");
}

// The page showed NOM, DOLZH and D_POST and no words; no control had an underlined letter.
TEST_F(ToolsKeyboard, InterfacePageSaysWhatEachFieldHoldsAndUnderlinesItsOwnLetters)
{
    form->N2_1->trigger();
    TSettingsPanel &settings = *tools->PanelNastr;
    settings.PageControl1->setCurrentWidget(settings.InterfaceList);
    TStringGrid &grid = *settings.StringGrid2;
    const int meaning = grid.ColCount() - 1;
    EXPECT_EQ(grid.cellText(meaning, 0), QString::fromUtf8("Что в поле"));
    QStringList shown;
    for (int r = 1; r < grid.RowCount(); ++r)
        shown << grid.cellText(4, r).trimmed() + QStringLiteral(": ") + grid.cellText(meaning, r);
    EXPECT_EQ(shown, QStringList({QString::fromUtf8("FIO: фамилия, имя, отчество — основная таблица"),
                                  QString::fromUtf8("OKLAD: оклад — основная таблица"),
                                  QString::fromUtf8("D_POST: дата поступления на работу — история работы")}));
    // Beside the field's name on the screen, and it follows an edit of the name.
    EXPECT_EQ(grid.horizontalHeader()->visualIndex(meaning), grid.horizontalHeader()->visualIndex(4) + 1);
    grid.model()->setData(grid.model()->index(3 - grid.FixedRows(), 4), QStringLiteral("D_UVOL"), Qt::EditRole);
    EXPECT_EQ(grid.cellText(meaning, 3), QString::fromUtf8("дата увольнения — история работы"));

    QList<QWidget *> widgets = {settings.Button4, settings.Button5};
    for (QWidget *w : settings.InterfaceList->findChildren<QWidget *>())
        widgets << w;
    EXPECT_EQ(mnemonicFaults(widgets).join(QLatin1Char('\n')).toStdString(), "");
}

// What the clerk sees of the tools window at once: its buttons, labelled fields and tab titles.
QStringList visibleMnemonicFaults(QWidget &window)
{
    QList<QWidget *> widgets;
    QStringList tabs;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisibleTo(&window))
            continue;
        widgets << w;
        if (auto *bar = qobject_cast<QTabBar *>(w))
            for (int i = 0; i < bar->count(); ++i)
                tabs << bar->tabText(i);
    }
    return mnemonicFaults(widgets, tabs);
}

// Panels whose fields were labelled without an underlined letter, and tab titles that took a
// letter a button on the same page had.
TEST_F(ToolsKeyboard, EveryPanelAndPageUnderlinesALetterOfItsOwn)
{
    for (QAction *command : {form->N1_1, form->N1_2, form->N1_3, form->N1_8, form->N2_3, form->N2_4, form->N2_7,
                             form->N3_1}) {
        command->trigger();
        ASSERT_TRUE(tools->isVisible());
        EXPECT_EQ(visibleMnemonicFaults(*tools).join(QLatin1Char('\n')).toStdString(), "")
            << command->text().toStdString();
    }
    form->N2_1->trigger();
    TSettingsPanel &settings = *tools->PanelNastr;
    for (int page = 0; page < settings.PageControl1->count(); ++page) {
        settings.PageControl1->setCurrentIndex(page);
        EXPECT_EQ(visibleMnemonicFaults(*tools).join(QLatin1Char('\n')).toStdString(), "")
            << settings.PageControl1->tabText(page).toStdString();
    }
}

} // namespace
} // namespace veltor::test
