// The tools dialog's host, search and sort, driven through the real panels.
#include "ListToolsFixture.h"

#include "card/CardWidgets.h"
#include "listtools/FilterPanel.h"
#include "listtools/SearchPanel.h"
#include "listtools/SortPanel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

namespace veltor::test {
namespace {

class SearchSort : public ListToolsFixture {
protected:
    void SetUp() override
    {
        ListToolsFixture::SetUp();
        addColumn("ФИО", "FIO", "1");
        addColumn("Оклад", "OKLAD", "1");
        addColumn("Почта", "DOPOLN1", "5");
        addDopolnParameter("Почта");
        addEmployee(9, "Петров Пётр", {{"OKLAD", "9000"}});
        addEmployee(12, "иванов иван", {{"OKLAD", "10000"}});
        addEmployee(40, "Ёлкина Анна");
        addEmployee(5, "Smith John", {{"OKLAD", "500"}});
        addEmployee(7, "Петрова Ольга", {{"OKLAD", "9000"}});
        start();
    }

    // Types the text into the search panel and presses Enter in it, from the given current row.
    int search(const char *text, int fromRow)
    {
        grid().setRow(fromRow);
        form->N1_1->trigger();
        tools->PanelPoisk->Edit1->setText(QString::fromUtf8(text));
        QTest::keyClick(tools->PanelPoisk->Edit1, Qt::Key_Return);
        EXPECT_FALSE(tools->isVisible()) << "the search closes the dialog, found or not";
        return grid().Row();
    }

    void sortBy(int item, bool ascending)
    {
        form->N1_2->trigger();
        tools->PanelSort->ComboBox1->setCurrentIndex(item);
        (ascending ? tools->PanelSort->RadioButton1 : tools->PanelSort->RadioButton2)->setChecked(true);
        tools->PanelSort->Button2->click();
    }
};

TEST_F(SearchSort, OpenersShowOnePanelInAModelessWindowNamedByItsCaption)
{
    form->N1_1->trigger();
    EXPECT_TRUE(tools->isVisible());
    EXPECT_FALSE(tools->isModal());
    EXPECT_TRUE(tools->isWindow());
    EXPECT_EQ(tools->windowTitle().toStdString(), "Поиск");
    EXPECT_EQ(tools->size(), tools->PanelPoisk->size());
    EXPECT_EQ(tools->PanelPoisk->pos(), QPoint(0, 0));
    for (QWidget *panel : tools->panels())
        EXPECT_EQ(panel->isVisible(), panel == tools->PanelPoisk) << panel->objectName().toStdString();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(tools.get());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->role() == QAccessible::Window || window->role() == QAccessible::Dialog);
    EXPECT_EQ(window->text(QAccessible::Name).toStdString(), "Поиск");

    // Another opener replaces the panel and the caption; closing hides every panel.
    form->N1_3->trigger();
    EXPECT_EQ(tools->windowTitle().toStdString(), "Фильтр");
    EXPECT_FALSE(tools->PanelPoisk->isVisible());
    EXPECT_EQ(tools->size(), tools->PanelFiltr->size());
    tools->TabControl1->addTab("x");
    tools->close();
    for (QWidget *panel : tools->panels())
        EXPECT_TRUE(panel->isHidden()) << panel->objectName().toStdString();
    EXPECT_EQ(tools->TabControl1->count(), 0);

    // Every input is named by its label, every button by its caption (the widgets the panels
    // name; Qt's own parts of a control are left out).
    for (QWidget *panel : tools->panels())
        for (QWidget *control : panel->findChildren<QWidget *>()) {
            const QString name = control->objectName();
            if (name.isEmpty() || name.startsWith("qt_"))
                continue;
            const bool input = qobject_cast<QLineEdit *>(control) || qobject_cast<QComboBox *>(control)
                || qobject_cast<QAbstractSpinBox *>(control) || qobject_cast<QAbstractItemView *>(control);
            if (input)
                EXPECT_FALSE(control->accessibleName().isEmpty()) << name.toStdString();
            if (auto *button = qobject_cast<QAbstractButton *>(control))
                EXPECT_FALSE(button->text().isEmpty() && button->accessibleName().isEmpty()) << name.toStdString();
        }
    EXPECT_EQ(tools->PanelPoisk->Edit1->accessibleName().toStdString(), "Введите строку для поиска");
    EXPECT_EQ(tools->PanelSort->ComboBox1->accessibleName().toStdString(), "Выберите поле для сортировки");
    EXPECT_EQ(tools->PanelFiltr->ComboBox7->accessibleName().toStdString(), "Выберите поле для задания фильтра");
    EXPECT_EQ(tools->PanelFiltr->Edit10->accessibleName().toStdString(), "Задайте значение для фильтра");
}

TEST_F(SearchSort, SearchFoldsCaseButNotYoAndWalksDownFromTheCurrentRow)
{
    EXPECT_EQ(search("петров", 1), 1) << "row 1 current: a match in row 1 is selected again";
    EXPECT_EQ(search("smith", 1), 4) << "Latin letters fold too";
    EXPECT_EQ(search("ИВАН", 1), 2);
    EXPECT_EQ(search("ёлкина", 1), 1) << "ё does not find Ё";
    EXPECT_EQ(search("петров", 2), 5) << "the current row itself is skipped";
    EXPECT_EQ(search("иванов", 5), 5) << "no wrap-around to a match above";
    EXPECT_EQ(search("", 2), 2) << "an empty text matches no row";
    EXPECT_EQ(std::string(Dialogs::shownMessages().join("|").toStdString()), "");
}

TEST_F(SearchSort, EscInTheSearchTextClosesWithoutSearching)
{
    grid().setRow(1);
    form->N1_1->trigger();
    tools->PanelPoisk->Edit1->setText("Smith");
    QTest::keyClick(tools->PanelPoisk->Edit1, Qt::Key_Escape);
    EXPECT_FALSE(tools->isVisible());
    EXPECT_EQ(grid().Row(), 1);
}

TEST_F(SearchSort, SortComparesShownTextsWithCodesAndDescendingIsTheExactReverse)
{
    // No field: the empty marker column, so the codes decide, compared as text.
    form->N1_2->trigger();
    EXPECT_EQ(tools->PanelSort->ComboBox1->count(), 3);
    EXPECT_EQ(tools->PanelSort->ComboBox1->currentIndex(), -1);
    QTest::keyClick(tools->PanelSort->ComboBox1, Qt::Key_Return);
    EXPECT_EQ(state->CurrentCodeList, "12,40,5,7,9,");
    EXPECT_FALSE(tools->isVisible());

    // Salaries as text: 10000 before 500 before 9000; equal salaries by code as text.
    sortBy(1, true);
    EXPECT_EQ(state->CurrentCodeList, "40,12,5,7,9,");
    EXPECT_EQ(column(2), (std::vector<std::string>{"", "10000", "500", "9000", "9000"}));
    sortBy(1, false);
    EXPECT_EQ(state->CurrentCodeList, "9,7,5,12,40,");

    // Names without regard to case, Russian order whatever the machine's locale.
    sortBy(0, true);
    const std::vector<std::string> names = column(1);
    EXPECT_EQ(names, (std::vector<std::string>{"Ёлкина Анна", "иванов иван", "Петров Пётр", "Петрова Ольга",
                                               "Smith John"}));
    EXPECT_EQ(caption(), "Перечень сотрудников (Применена сортировка) (Применена сортировка)"
                         " (Применена сортировка) (Применена сортировка)");
}

TEST_F(SearchSort, SortKeepsAFilteredListAndCellsHoldingTheKeySeparator)
{
    state->CurrentCodeList = "9,7,12,";
    form->zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
    sortBy(-1, true);
    EXPECT_EQ(state->CurrentCodeList, "12,7,9,");

    // A cell with "@" (an e-mail address) used to cut the key at the wrong "@", leaving the
    // address's tail in the code list and stopping the list fill.
    LoadedTable &dopoln = state->Dopoln;
    SetField(dopoln.Header, 2, FieldIndex(dopoln.Header, "DOPOLN1"), dopoln.Data, "ivanov@mail.ru");
    state->CurrentCodeList = "-1";
    form->zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
    sortBy(2, true);
    EXPECT_EQ(messages().join("|").toStdString(), "");
    EXPECT_EQ(state->CurrentCodeList, "40,5,7,9,12,");
    EXPECT_EQ(column(3)[4], "ivanov@mail.ru");
}

} // namespace
} // namespace veltor::test
