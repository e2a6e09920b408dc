// The family and education editors of the card.
#include "CardFixture.h"

#include "app/StringGrid.h"
#include "card/CardWidgets.h"
#include "card/EducationEditor.h"
#include "card/ExtraPage.h"
#include "card/FamilyEditor.h"
#include "card/MainPage.h"
#include "text/Errors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>

namespace veltor::test {
namespace {

class CardEditors : public CardFixture {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        addEmployee(1, "Иванов Иван Иванович");
        addEmployee(2, "Петров Петр Петрович");
        addHistory(1, 1);
        addHistory(2, 1);
    }

    void addMember(int code, const std::string &name, const std::string &birth = "")
    {
        add(schema::SemjaTable, {{"KOD", std::to_string(code)}, {"S_TIP", "d"}, {"S_TIP_N", "сын"},
                                 {"S_FIO", name}, {"S_ROZHD", birth}});
    }

    std::vector<std::string> namesOf(int code) const
    {
        std::vector<std::string> names;
        for (int r = 1; r <= state->Semja.Header.RecordCount; ++r)
            if (field(state->Semja, r, "KOD") == std::to_string(code))
                names.push_back(field(state->Semja, r, "S_FIO"));
        return names;
    }

    TFamilyEditor &family() { return *card->DopList->Family; }
    TEducationEditor &education() { return *card->DopList->PanelObraz; }
};

// A year of birth without the exact date is stored as six blanks and the year; the grid shows
// the year alone and the editor reopens with the year.
TEST_F(CardEditors, YearOnlyBirthDate)
{
    start();
    open(1);
    family().Button7Click();
    EXPECT_FALSE(family().GroupBox4->isHidden());
    EXPECT_TRUE(education().isHidden());
    EXPECT_EQ(family().GroupBox4->title(), QString::fromUtf8("Введение нового члена семьи"));
    family().LabeledEdit1->setText(QString::fromUtf8("Иванов Петр"));
    family().CheckBox4->setChecked(false);
    EXPECT_TRUE(family().EditData6->isHidden());
    family().Edit28->setText("197512");
    family().Button10Click();
    EXPECT_TRUE(family().GroupBox4->isHidden());
    EXPECT_FALSE(education().isHidden());
    save();

    const LoadedTable semja = disk(schema::SemjaTable);
    ASSERT_EQ(semja.Header.RecordCount, 1);
    EXPECT_EQ(rawField(semja, 1, "S_ROZHD"), "      1975");
    EXPECT_EQ(field(semja, 1, "S_TIP"), "s");

    open(1);
    const int birth = FieldIndex(state->Semja.Header, "S_ROZHD");
    EXPECT_EQ(family().StringGrid1->cellText(birth, 1), "1975");
    family().CheckBox4->setChecked(true);
    family().Button9Click();
    EXPECT_EQ(family().GroupBox4->title(), QString::fromUtf8("Редактирование данных члена семьи"));
    EXPECT_FALSE(family().CheckBox4->isChecked());
    EXPECT_EQ(family().Edit28->text(), "1975");
    EXPECT_EQ(family().RadioGroup2->ItemIndex(), 1);
    EXPECT_EQ(family().LabeledEdit1->text(), QString::fromUtf8("Иванов Петр"));
}

TEST_F(CardEditors, ExactBirthDateAndKinshipRoundTrip)
{
    addMember(1, "Иванова Анна", "05.06.1990");
    start();
    open(1);
    family().Button9Click();
    EXPECT_TRUE(family().CheckBox4->isChecked());
    EXPECT_EQ(family().EditData6->date(), QDate(1990, 6, 5));
    EXPECT_EQ(family().RadioGroup2->ItemIndex(), 2);
    family().RadioGroup2->setItemIndex(-1);
    family().Button12Click(); // the registration address of the passport page
    family().Button10Click();
    EXPECT_EQ(field(state->Semja, 1, "S_TIP"), "x");
    EXPECT_EQ(field(state->Semja, 1, "S_ROZHD"), "05.06.1990");
}

TEST_F(CardEditors, AddressCopyTakesTheRegistrationAddress)
{
    start();
    open(1);
    card->OsnovnList->Edit6->setText(QString::fromUtf8("г. Тула, ул. Ленина, 1"));
    family().Button7Click();
    family().Button12Click();
    EXPECT_EQ(family().LabeledEdit2->text(), QString::fromUtf8("г. Тула, ул. Ленина, 1"));
}

TEST_F(CardEditors, AddThenCancel)
{
    addMember(2, "Петрова Ольга");
    start();
    open(1);
    // "+" makes no record until "О К": cancelled, it leaves the tables as they were.
    const int familyCount = state->Semja.Header.RecordCount;
    family().Button7Click();
    EXPECT_EQ(state->Semja.Header.RecordCount, familyCount);
    family().Button11Click();
    EXPECT_EQ(state->Semja.Header.RecordCount, familyCount);
    EXPECT_EQ(namesOf(2), std::vector<std::string>{"Петрова Ольга"});
    EXPECT_EQ(family().FamilyIndex.size(), 1u);

    education().Button14Click();
    EXPECT_FALSE(education().GroupBox2->isHidden());
    education().Button18Click();
    EXPECT_TRUE(education().GroupBox2->isHidden());
    EXPECT_EQ(state->Obraz.Header.RecordCount, 0);
}

TEST_F(CardEditors, EditOnAnEmptyListCreatesTheFirstMember)
{
    addMember(2, "Петрова Ольга");
    start();
    open(1);
    family().Button9Click();
    EXPECT_EQ(family().RadioGroup2->ItemIndex(), 3);
    family().LabeledEdit1->setText(QString::fromUtf8("Иванова Анна"));
    family().Button10Click();
    EXPECT_EQ(namesOf(1), std::vector<std::string>{"Иванова Анна"});
    EXPECT_EQ(namesOf(2), std::vector<std::string>{"Петрова Ольга"});
    EXPECT_EQ(family().FamilyIndex.size(), 2u);
}

TEST_F(CardEditors, DeletingTheSecondOfThreeKeepsTheOthersInOrder)
{
    addMember(1, "Первый");
    addMember(2, "Чужой");
    addMember(1, "Второй");
    addMember(1, "Третий");
    start();
    open(1);
    ASSERT_EQ(family().FamilyIndex, (TIndex{0, 1, 3, 4}));
    selectGridRow(*family().StringGrid1, 2);
    EXPECT_EQ(family().FamilyRow, 2);
    family().Button8Click();
    EXPECT_EQ(namesOf(1), (std::vector<std::string>{"Первый", "Третий"}));
    EXPECT_EQ(family().FamilyIndex, (TIndex{0, 1, 3}));
    EXPECT_EQ(family().FamilyRow, 2);
    EXPECT_EQ(namesOf(2), std::vector<std::string>{"Чужой"});
}

TEST_F(CardEditors, DeleteOnAnEmptyListDoesNothing)
{
    addMember(2, "Петрова Ольга");
    add(schema::ObrazTable, {{"KOD", "2"}, {"UCHEB", "ТГУ"}});
    start();
    open(1);
    family().Button8Click();
    education().Button15Click();
    EXPECT_EQ(state->Semja.Header.RecordCount, 1);
    EXPECT_EQ(state->Obraz.Header.RecordCount, 1);
}

// The selected row of the previous employee never addresses a record of this one.
TEST_F(CardEditors, SelectedRowFollowsTheShownList)
{
    for (const char *name : {"А", "Б", "В"})
        addMember(2, name);
    addMember(1, "Один");
    start();
    open(2);
    selectGridRow(*family().StringGrid1, 3);
    card->close();
    open(1);
    EXPECT_EQ(family().FamilyRow, 1);
    family().Button9Click();
    family().LabeledEdit1->setText(QString::fromUtf8("Одна"));
    family().Button10Click();
    EXPECT_EQ(namesOf(1), std::vector<std::string>{"Одна"});
    EXPECT_EQ(namesOf(2), (std::vector<std::string>{"А", "Б", "В"}));
}

TEST_F(CardEditors, EducationEntryIsWrittenAndReadBack)
{
    start();
    open(1);
    education().Button16Click(); // on the empty list: an empty editor
    education().Edit14->setText(QString::fromUtf8("Тульский университет"));
    education().Edit15->setText(QString::fromUtf8("Экономика"));
    education().Edit24->setText("2001");
    education().ComboBox3->setCurrentIndex(1);
    education().Edit20->setText(QString::fromUtf8("АВС"));
    education().Button17Click();
    ASSERT_EQ(state->Obraz.Header.RecordCount, 1);
    EXPECT_EQ(field(state->Obraz, 1, "DOK"), "1");
    EXPECT_EQ(field(state->Obraz, 1, "SPEC"), "Экономика");
    EXPECT_EQ(education().StringGrid3->cellText(FieldIndex(state->Obraz.Header, "UCHEB"), 1),
              QString::fromUtf8("Тульский университет"));

    education().Button14Click();
    EXPECT_EQ(education().ComboBox3->currentIndex(), -1);
    EXPECT_EQ(education().Edit14->text(), "");
    education().Button17Click();
    EXPECT_EQ(field(state->Obraz, 2, "DOK"), "-1");
    EXPECT_EQ(education().EducationRow, 2);

    selectGridRow(*education().StringGrid3, 1);
    education().Button16Click();
    EXPECT_EQ(education().Edit14->text(), QString::fromUtf8("Тульский университет"));
    EXPECT_EQ(education().ComboBox3->currentIndex(), 1);
    EXPECT_EQ(education().Edit20->text(), QString::fromUtf8("АВС"));
}

// Stored values the editors cannot read are reported and leave the editor closed.
TEST_F(CardEditors, UnreadableStoredValuesKeepTheEditorClosed)
{
    addMember(1, "Иванова", "30.02.1990");
    add(schema::ObrazTable, {{"KOD", "1"}, {"UCHEB", "ТГУ"}, {"DOK", "д"}});
    start();
    open(1);
    EXPECT_THROW(family().Button9Click(), ConversionError);
    EXPECT_TRUE(family().GroupBox4->isHidden());
    EXPECT_THROW(education().Button16Click(), ConversionError);
    EXPECT_TRUE(education().GroupBox2->isHidden());
}

// An entry without a birth date or a certificate, edited after one with them, used to be
// written with the previous entry's date and certificate.
TEST_F(CardEditors, BlankFieldsDoNotTakeThePreviousEntrysValues)
{
    addMember(1, "Иванова Анна", "05.06.1990");
    addMember(1, "Иванов Петр", "      1975");
    addMember(1, "Иванов Олег");
    add(schema::ObrazTable, {{"KOD", "1"}, {"UCHEB", "ТГУ"}, {"DOK", "1"}});
    add(schema::ObrazTable, {{"KOD", "1"}, {"UCHEB", "Курсы"}});
    start();
    open(1);
    for (int row : {1, 2, 3}) {
        selectGridRow(*family().StringGrid1, row);
        family().Button9->click();
        family().Button10->click();
    }
    for (int row : {1, 2}) {
        selectGridRow(*education().StringGrid3, row);
        education().Button16->click();
        education().Button17->click();
    }
    save();
    EXPECT_EQ(messages(), QStringList());
    const LoadedTable semja = disk(schema::SemjaTable);
    EXPECT_EQ(field(semja, 1, "S_ROZHD"), "05.06.1990");
    EXPECT_EQ(rawField(semja, 2, "S_ROZHD"), "      1975");
    EXPECT_EQ(field(semja, 3, "S_ROZHD"), "");
    const LoadedTable obraz = disk(schema::ObrazTable);
    EXPECT_EQ(field(obraz, 1, "DOK"), "1");
    EXPECT_EQ(field(obraz, 2, "DOK"), "-1");

    // A new member starts from an exact date, whatever the last one showed.
    family().Button9->click(); // row 3: no date, the year field shown
    family().Button11->click();
    family().Button7->click();
    EXPECT_TRUE(family().CheckBox4->isChecked());
    EXPECT_FALSE(family().EditData6->isHidden());
}

// The card stays open while the main window deletes an employee, which renumbers the family and
// education records. The editors used to delete or overwrite another employee's record then.
class CardEditorsAfterDeletion : public CardEditors {
protected:
    void SetUp() override
    {
        CardEditors::SetUp();
        addEmployee(3, "Сидоров Семен Семенович");
        addHistory(3, 1);
        addMember(1, "Иванова Анна");
        addMember(2, "Петрова Ольга");
        addMember(3, "Сидорова Вера");
        add(schema::ObrazTable, {{"KOD", "1"}, {"UCHEB", "ТГУ"}});
        add(schema::ObrazTable, {{"KOD", "2"}, {"UCHEB", "МГУ"}});
        add(schema::ObrazTable, {{"KOD", "3"}, {"UCHEB", "ЛГУ"}});
        start();
        open(2);
    }

    // Deletes employee 1 through the main window's command, as the user would.
    void deleteFirstEmployee()
    {
        form->StringGrid1SelectCell(1, 1);
        ASSERT_EQ(field(state->Osnova, state->CurMainRec, "KOD"), "1");
        Dialogs::queueAnswer(true);
        form->N1_9->trigger();
        ASSERT_EQ(state->Osnova.Header.RecordCount, 2);
        Dialogs::clearRecorded();
    }

    std::vector<std::string> schools(int code) const
    {
        std::vector<std::string> names;
        for (int r = 1; r <= state->Obraz.Header.RecordCount; ++r)
            if (field(state->Obraz, r, "KOD") == std::to_string(code))
                names.push_back(field(state->Obraz, r, "UCHEB"));
        return names;
    }
};

TEST_F(CardEditorsAfterDeletion, DeleteRefillsTheListAndTouchesNobodyElse)
{
    deleteFirstEmployee();
    family().Button8->click();
    education().Button15->click();
    ASSERT_EQ(messages().size(), 2);
    EXPECT_TRUE(messages()[0].contains(QString::fromUtf8("Список членов семьи изменился")));
    EXPECT_TRUE(messages()[1].contains(QString::fromUtf8("Список образования изменился")));
    EXPECT_EQ(namesOf(2), std::vector<std::string>{"Петрова Ольга"});
    EXPECT_EQ(namesOf(3), std::vector<std::string>{"Сидорова Вера"});
    EXPECT_EQ(schools(2), std::vector<std::string>{"МГУ"});
    EXPECT_EQ(schools(3), std::vector<std::string>{"ЛГУ"});
    EXPECT_EQ(family().FamilyIndex, (TIndex{0, 1}));

    // The refilled list addresses the right records again.
    family().Button8->click();
    education().Button15->click();
    save();
    EXPECT_EQ(messages().size(), 2);
    const LoadedTable semja = disk(schema::SemjaTable);
    ASSERT_EQ(semja.Header.RecordCount, 1);
    EXPECT_EQ(field(semja, 1, "S_FIO"), "Сидорова Вера");
    const LoadedTable obraz = disk(schema::ObrazTable);
    ASSERT_EQ(obraz.Header.RecordCount, 1);
    EXPECT_EQ(field(obraz, 1, "UCHEB"), "ЛГУ");
}

TEST_F(CardEditorsAfterDeletion, EditedEntryIsNotWrittenOverAnotherEmployees)
{
    family().Button9->click();
    education().Button16->click();
    deleteFirstEmployee();
    family().LabeledEdit1->setText(QString::fromUtf8("Петрова Ольга Ивановна"));
    family().Button10->click();
    education().Edit14->setText(QString::fromUtf8("МГТУ"));
    education().Button17->click();
    EXPECT_EQ(messages().size(), 2);
    EXPECT_TRUE(family().GroupBox4->isHidden());
    EXPECT_TRUE(education().GroupBox2->isHidden());
    EXPECT_EQ(namesOf(2), std::vector<std::string>{"Петрова Ольга"});
    EXPECT_EQ(namesOf(3), std::vector<std::string>{"Сидорова Вера"});
    EXPECT_EQ(schools(2), std::vector<std::string>{"МГУ"});
    EXPECT_EQ(schools(3), std::vector<std::string>{"ЛГУ"});
}

// A member or entry added with "+" is written into the record "+" appended, renumbered or not.
TEST_F(CardEditorsAfterDeletion, AddedEntryReachesItsOwnRecord)
{
    family().Button7->click();
    education().Button14->click();
    deleteFirstEmployee();
    family().LabeledEdit1->setText(QString::fromUtf8("Петров Илья"));
    family().Button10->click();
    education().Edit14->setText(QString::fromUtf8("МФТИ"));
    education().Button17->click();
    EXPECT_EQ(messages(), QStringList());
    EXPECT_EQ(namesOf(2), (std::vector<std::string>{"Петрова Ольга", "Петров Илья"}));
    EXPECT_EQ(namesOf(3), std::vector<std::string>{"Сидорова Вера"});
    EXPECT_EQ(schools(2), (std::vector<std::string>{"МГУ", "МФТИ"}));
    EXPECT_EQ(schools(3), std::vector<std::string>{"ЛГУ"});
}

// The card's own save finds the shown employee's records by code, not by the numbers it was
// shown with.
TEST_F(CardEditorsAfterDeletion, SaveWritesTheShownEmployeesRecords)
{
    deleteFirstEmployee();
    card->OsnovnList->Edit3->setText("8100");
    card->OsnovnList->Edit5->setText("7001 123456");
    Dialogs::queueAnswer(true); // save in spite of the passport number's form
    save();
    EXPECT_EQ(messages(), QStringList());
    const LoadedTable main = disk(schema::OsnovaTable);
    ASSERT_EQ(main.Header.RecordCount, 2);
    EXPECT_EQ(field(main, 1, "KOD"), "2");
    EXPECT_EQ(field(main, 1, "OKLAD"), "8100");
    EXPECT_EQ(field(main, 2, "OKLAD"), "");
    const LoadedTable passport = disk(schema::PassportTable);
    EXPECT_EQ(field(passport, 1, "PASSPORT"), "7001 123456");
    EXPECT_EQ(field(passport, 2, "PASSPORT"), "");
    const LoadedTable trud = disk(schema::TrudTable);
    ASSERT_EQ(trud.Header.RecordCount, 3);
    EXPECT_EQ(field(trud, 3, "KOD"), "2");
    EXPECT_EQ(field(trud, 3, "OKLAD"), "8100");
    EXPECT_EQ(field(trud, 2, "OKLAD"), "5000");
}

TEST_F(CardEditors, ClosingTheCardClosesTheEditors)
{
    start();
    open(1);
    family().Button7Click();
    card->close();
    EXPECT_TRUE(family().GroupBox4->isHidden());
    EXPECT_FALSE(education().isHidden());
}

} // namespace
} // namespace veltor::test
