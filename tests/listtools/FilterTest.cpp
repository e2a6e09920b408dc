// The filter panel: every kind of field, combined boxes, cancelling, the main menu's
// working / not working commands, and runs that must leave the tables alone.
#include "ListToolsFixture.h"

#include <QAccessible>

#include "app/DatePicker.h"
#include "card/CardWidgets.h"
#include "listtools/FilterPanel.h"
#include "listtools/SortPanel.h"
#include "listtools/SpravPanel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace veltor::test {
namespace {

const char *const NothingFound = "Фильтр не дал результатов! Будут показаны все записи";

class Filter : public ListToolsFixture {
protected:
    void SetUp() override
    {
        ListToolsFixture::SetUp();
        addColumn("ФИО", "FIO", "1");
        addDopolnParameter("Табельный номер");
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
        add(schema::OtdelTable, {{"NOM", "2"}, {"OTDEL", "Отдел кадров"}});
        add(schema::OtdelTable, {{"NOM", "3"}, {"OTDEL", "Главная бухгалтерия"}});
        add(schema::DolzhTable, {{"NOM", "1"}, {"DOLZH", "Бухгалтер"}});
        add(schema::DolzhTable, {{"NOM", "2"}, {"DOLZH", "Инженер"}});
        add(schema::DolzhTable, {{"NOM", "3"}, {"DOLZH", "Старший бухгалтер"}});
        addEmployee(1, "Иванов", {{"POL", "m"}, {"OTDEL", "3"}, {"DOLZH", "2"}, {"OKLAD", "15000"}, {"UVOLEN", "0"}});
        addEmployee(2, "Петрова", {{"POL", "f"}, {"OTDEL", "1"}, {"DOLZH", "1"}, {"OKLAD", "9000"}, {"UVOLEN", "1"}},
                    {{"DATA_ROZHD", "05.12.2005"}});
        addEmployee(3, "Сидорова", {{"POL", "f"}, {"OTDEL", "3"}, {"DOLZH", "3"}, {"OKLAD", "500"}, {"UVOLEN", "0"}},
                    {{"DATA_ROZHD", "10.03.1980"}});
        addEmployee(4, "Кузнецов", {{"POL", "m"}, {"OTDEL", "2"}, {"DOLZH", "1"}, {"OKLAD", "20000"}, {"UVOLEN", "0"}},
                    {{"DATA_ROZHD", "05.12.2005"}});
        for (const char *kind : {"s", "d", "d"})
            add(schema::SemjaTable, {{"KOD", "1"}, {"S_TIP", kind}});
        add(schema::SemjaTable, {{"KOD", "2"}, {"S_TIP", "d"}});
        add(schema::SemjaTable, {{"KOD", "3"}, {"S_TIP", "r"}});
        add(schema::SemjaTable, {{"KOD", "3"}, {"S_TIP", "s"}});
        add(schema::TrudTable, {{"KOD", "3"}, {"VID_RAB", "0"}, {"D_POST", "01.02.2020"}});
        add(schema::TrudTable, {{"KOD", "1"}, {"VID_RAB", "1"}, {"D_POST", "01.02.2020"}});
        add(schema::TrudTable, {{"KOD", "2"}, {"VID_RAB", "1"}, {"D_POST", "01.02.2021"}});
        add(schema::TrudTable, {{"KOD", "1"}, {"VID_RAB", "0"}, {"D_POST", "01.02.2020"}});
        add(schema::TrudTable, {{"KOD", "3"}, {"VID_RAB", "1"}, {"D_POST", "01.02.2020"}});
        start();
        form->N1_3->trigger();
    }

    TFilterPanel &panel() const { return *tools->PanelFiltr; }
    TFilterBox &box(int n) const { return *panel().boxes[n - 1]; }

    void choose(int n, int field) { box(n).fieldList->setCurrentIndex(field); }
    void date(int n, int mode, const Date &d)
    {
        box(n).dateMode->button(mode)->click();
        setPickerDate(*box(n).date, d);
    }
    std::string run()
    {
        Dialogs::clearRecorded();
        panel().Button3->click();
        return state->CurrentCodeList;
    }
    // Opens the panel again for the next run, as the user would.
    std::string runAndReopen()
    {
        std::string codes = run();
        form->N1_3->trigger();
        return codes;
    }
};

TEST_F(Filter, FieldListsHoldTheFixedFieldsAndTheAdditionalOnes)
{
    ASSERT_EQ(box(2).fieldList->count(), 19);
    EXPECT_EQ(box(2).fieldList->itemText(17).toStdString(), "Находится на воинском учете");
    EXPECT_EQ(box(2).fieldList->itemText(18).toStdString(), "Табельный номер");
    EXPECT_EQ(box(2).field(), -1);
    EXPECT_TRUE(box(1).valueLabel->isHidden());
}

TEST_F(Filter, TextListAndTwoWayFields)
{
    // Salary is matched as text: 500 is found in 15000.
    choose(1, filterfield::Name + 5);
    box(1).edit->setText("500");
    EXPECT_FALSE(box(1).edit->isHidden());
    EXPECT_TRUE(box(1).pickButton->isHidden());
    QTest::keyClick(box(1).edit, Qt::Key_Return);
    EXPECT_EQ(state->CurrentCodeList, "1,3,");
    EXPECT_EQ(caption(), "Перечень сотрудников (Применен фильтр)");
    EXPECT_EQ(column(1), (std::vector<std::string>{"Иванов", "Сидорова"}));
    EXPECT_FALSE(tools->isVisible());

    // A part of two department names: the first department's employees first.
    form->N1_3->trigger();
    choose(1, filterfield::Department);
    ASSERT_EQ(box(1).list->count(), 3);
    box(1).list->setEditText("галтер");
    EXPECT_EQ(runAndReopen(), "2,1,3,");

    // Women, then those of the departments named so: box 2 narrows box 1.
    choose(1, filterfield::Sex);
    EXPECT_EQ(box(1).twoWay->button(1)->text().toStdString(), "Женский");
    EXPECT_EQ(box(1).twoWay->ItemIndex(), -1);
    // Checked as a screen reader does it, by the button's toggle action, without a click: this
    // used to store nothing.
    QAccessibleInterface *women = QAccessible::queryAccessibleInterface(box(1).twoWay->button(1));
    ASSERT_NE(women, nullptr);
    ASSERT_NE(women->actionInterface(), nullptr);
    women->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(box(1).twoWay->ItemIndex(), 1);
    choose(2, filterfield::Department);
    box(2).list->setEditText("галтер");
    EXPECT_EQ(runAndReopen(), "2,3,");

    // Kind of work looks at the last history record only.
    choose(1, filterfield::WorkKind);
    box(1).list->setCurrentIndex(0);
    EXPECT_EQ(panel().criteria()[0][filterfield::WorkKind], "0");
    EXPECT_EQ(runAndReopen(), "1,");

    // An additional field, named from Konstanty.
    LoadedTable &dopoln = state->Dopoln;
    SetField(dopoln.Header, 4, FieldIndex(dopoln.Header, "DOPOLN1"), dopoln.Data, "T-17");
    choose(1, FixedFilterFields);
    box(1).edit->setText("T-1");
    EXPECT_EQ(runAndReopen(), "4,");
}

TEST_F(Filter, PositionIsPickedFromThePositionsListAndMatchesByNumber)
{
    choose(1, filterfield::Position);
    EXPECT_FALSE(box(1).pickButton->isHidden());
    box(1).pickButton->click();
    EXPECT_EQ(tools->windowTitle().toStdString(), "Фильтр №1 по должностям");
    EXPECT_TRUE(tools->PanelSprav->isVisible());
    EXPECT_FALSE(panel().isVisible());
    tools->PanelSprav->StringGrid1->setRow(3);
    QTest::keyClick(tools->PanelSprav->StringGrid1, Qt::Key_Return);
    EXPECT_EQ(box(1).edit->text().toStdString(), "Старший бухгалтер");
    EXPECT_EQ(tools->windowTitle().toStdString(), "Фильтр");
    EXPECT_TRUE(panel().isVisible());
    EXPECT_TRUE(tools->PanelSprav->isHidden());
    EXPECT_EQ(tools->size(), panel().size());

    // The text is read when the filters run: positions 1 and 3, in dolzh.dbf order.
    box(1).edit->setText("ухгалтер");
    EXPECT_EQ(run(), "2,4,3,");
}

TEST_F(Filter, FamilyNeedsEveryCheckedKindAndListsAnEmployeeOnce)
{
    choose(1, filterfield::Family);
    box(1).family->item(1)->setCheckState(Qt::Checked);
    box(1).family->item(2)->setCheckState(Qt::Checked);
    EXPECT_EQ(panel().criteria()[0][filterfield::Family], "sd");
    // Employee 1 has two children: he used to be listed twice.
    EXPECT_EQ(runAndReopen(), "1,");
    EXPECT_EQ(column(1), (std::vector<std::string>{"Иванов"}));

    choose(1, filterfield::Family);
    box(1).family->item(1)->setCheckState(Qt::Unchecked);
    box(1).family->item(2)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(run(), "-1");
    EXPECT_EQ(messages().join("|").toStdString(), NothingFound);
    EXPECT_EQ(grid().RowCount(), 5);
}

TEST_F(Filter, DatesCompareStrictlyAndBlankDatesCountAsTheYear1900)
{
    choose(1, filterfield::BirthDate);
    date(1, 2, Date{2005, 12, 5});
    EXPECT_EQ(panel().criteria()[0][filterfield::BirthDate], "<05.12.2005");
    EXPECT_EQ(runAndReopen(), "1,3,");

    choose(1, filterfield::BirthDate);
    date(1, 1, Date{2005, 12, 5});
    EXPECT_EQ(runAndReopen(), "2,4,");

    choose(1, filterfield::BirthDate);
    date(1, 0, Date{2005, 12, 5});
    EXPECT_EQ(runAndReopen(), "-1");
    EXPECT_EQ(messages().join("|").toStdString(), NothingFound);

    // Three boxes: hired before 2021 (two matching history records each for employees 3 and
    // 1, each listed once where first met), working, born before 2000.
    choose(1, filterfield::HireDate);
    date(1, 2, Date{2021, 1, 1});
    choose(2, filterfield::Works);
    box(2).twoWay->button(0)->click();
    choose(3, filterfield::BirthDate);
    date(3, 2, Date{2000, 1, 1});
    EXPECT_EQ(run(), "3,1,");
}

TEST_F(Filter, NoFirstBoxFindsNothingAndCancellingShowsEveryone)
{
    choose(2, filterfield::Name);
    box(2).edit->setText("Иванов");
    EXPECT_EQ(runAndReopen(), "-1");
    EXPECT_EQ(messages().join("|").toStdString(), NothingFound);
    EXPECT_EQ(grid().RowCount(), 5);
    EXPECT_EQ(caption(), "Перечень сотрудников (Применен фильтр)");

    // Filtered and sorted, then cancelled: everyone in table order, every criterion gone.
    choose(1, filterfield::Sex);
    box(1).twoWay->button(1)->click();
    run();
    form->N1_2->trigger();
    tools->PanelSort->RadioButton2->setChecked(true);
    tools->PanelSort->Button2->click();
    EXPECT_EQ(state->CurrentCodeList, "3,2,");
    form->N1_3->trigger();
    panel().Button9->click();
    EXPECT_EQ(state->CurrentCodeList, "-1");
    EXPECT_EQ(column(1), (std::vector<std::string>{"Иванов", "Петрова", "Сидорова", "Кузнецов"}));
    EXPECT_EQ(caption(), "Перечень сотрудников");
    EXPECT_FALSE(tools->isVisible());
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(box(n).field(), -1);
        EXPECT_TRUE(box(n).valueLabel->isHidden());
        for (const std::string &criterion : panel().criteria()[n - 1])
            EXPECT_EQ(criterion, "");
    }
}

TEST_F(Filter, MainMenuShowsWorkingAndNotWorkingEmployees)
{
    tools->close();
    form->N1_6->trigger();
    EXPECT_EQ(state->CurrentCodeList, "1,3,4,");
    EXPECT_EQ(box(1).field(), filterfield::Works);
    EXPECT_EQ(box(1).twoWay->button(0)->text().toStdString(), "Работает");
    form->N1_7->trigger();
    EXPECT_EQ(state->CurrentCodeList, "2,");
    EXPECT_FALSE(tools->isVisible());
}

TEST_F(Filter, AFailedRunChangesNothingAndNoRunChangesATable)
{
    choose(1, filterfield::BirthDate);
    date(1, 1, Date{2005, 12, 5});
    EXPECT_EQ(runAndReopen(), "2,4,");
    const std::string title = caption();

    // A stored date that is no date stops the run with its message: the list, its code list
    // and the caption stay as they were (the list used to be left with an empty code list).
    LoadedTable &passport = state->Passport;
    SetField(passport.Header, 3, FieldIndex(passport.Header, "DATA_ROZHD"), passport.Data, "31.02.1980");
    choose(1, filterfield::BirthDate);
    date(1, 2, Date{2005, 12, 5});
    EXPECT_EQ(run(), "2,4,");
    EXPECT_EQ(messages().join("|").toStdString(), "\"31.02.1980\" не является датой");
    EXPECT_EQ(column(1), (std::vector<std::string>{"Петрова", "Кузнецов"}));
    EXPECT_EQ(caption(), title);
    EXPECT_TRUE(tools->isVisible());

    SetField(passport.Header, 3, FieldIndex(passport.Header, "DATA_ROZHD"), passport.Data, "10.03.1980");

    // So does a history record whose code is not a number, met while box 2 narrows box 1.
    LoadedTable &trud = state->Trud;
    SetField(trud.Header, 3, FieldIndex(trud.Header, "KOD"), trud.Data, cp("12б"));
    choose(1, filterfield::Works);
    box(1).twoWay->button(0)->click();
    choose(2, filterfield::HireDate);
    date(2, 2, Date{2021, 1, 1});
    EXPECT_EQ(run(), "2,4,");
    EXPECT_EQ(messages().join("|").toStdString(), "\"12б\" не является целым числом");
    EXPECT_EQ(grid().RowCount(), 3);
    SetField(trud.Header, 3, FieldIndex(trud.Header, "KOD"), trud.Data, "2");
    tools->close();
    form->N1_3->trigger();

    // Filtering and sorting read the tables only: memory and disk are as loaded.
    std::vector<std::pair<LoadedTable *, std::string>> tables = {
        {&state->Osnova, state->Osnova.Data}, {&state->Semja, state->Semja.Data},
        {&state->Trud, state->Trud.Data},     {&state->Passport, state->Passport.Data},
        {&state->Dopoln, state->Dopoln.Data}, {&state->Dolzh, state->Dolzh.Data},
        {&state->Otdel, state->Otdel.Data}};
    std::vector<std::string> disk;
    for (auto name : {schema::OsnovaTable, schema::SemjaTable, schema::TrudTable, schema::PassportTable})
        disk.push_back(bytesOf(file(name)));
    choose(1, filterfield::Family);
    box(1).family->item(2)->setCheckState(Qt::Checked);
    choose(2, filterfield::WorkKind);
    box(2).list->setCurrentIndex(1);
    choose(3, filterfield::BirthDate);
    date(3, 2, Date{2030, 1, 1});
    EXPECT_EQ(run(), "2,");
    form->N1_2->trigger();
    tools->PanelSort->Button2->click();
    for (auto &[table, data] : tables)
        EXPECT_EQ(table->Data, data);
    int i = 0;
    for (auto name : {schema::OsnovaTable, schema::SemjaTable, schema::TrudTable, schema::PassportTable})
        EXPECT_EQ(bytesOf(file(name)), disk[i++]) << name;
}

} // namespace
} // namespace veltor::test
