// Saving the card: the history record, dismissal, military registration, new and cancelled
// cards, closing, and the failures of writing.
#include "CardFixture.h"

#include "card/ExtraPage.h"
#include "storage/TableCommit.h"
#include "card/FamilyEditor.h"
#include "card/EducationEditor.h"
#include "card/HrPage.h"
#include "card/MainPage.h"
#include "card/ParamsPage.h"
#include "app/StringGrid.h"

#include <QCheckBox>
#include <map>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace veltor::test {
namespace {

class CardSave : public CardFixture {
protected:
    // Employee 1 with two complete history records; employee 2 with one.
    void SetUp() override
    {
        CardFixture::SetUp();
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
        add(schema::OtdelTable, {{"NOM", "2"}, {"OTDEL", "Склад"}});
        add(schema::DolzhTable, {{"NOM", "4"}, {"DOLZH", "Кладовщик"}});
        addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "2"}, {"DOLZH", "4"}, {"OKLAD", "5000"}});
        addEmployee(2, "Петров Петр Петрович", {{"OTDEL", "1"}, {"OKLAD", "7000"}});
        addHistory(1, 1, {{"OTDEL", "2"}, {"DOLZH", "4"}, {"OKLAD", "4000"}});
        addHistory(2, 1, {{"OTDEL", "1"}, {"OKLAD", "7000"}});
        addHistory(1, 2, {{"OTDEL", "2"}, {"DOLZH", "4"}});
    }

    int historyOf(const LoadedTable &trud, int code) const
    {
        int n = 0;
        for (int r = 1; r <= trud.Header.RecordCount; ++r)
            n += field(trud, r, "KOD") == std::to_string(code);
        return n;
    }
};

TEST_F(CardSave, NothingChangedAddsNoHistoryAndWritesTheTables)
{
    start();
    open(1);
    ASSERT_EQ(messages(), QStringList());
    save();
    EXPECT_EQ(messages(), QStringList());
    EXPECT_TRUE(card->isHidden());
    const LoadedTable trud = disk(schema::TrudTable);
    EXPECT_EQ(trud.Header.RecordCount, 3);
    const LoadedTable osnova = disk(schema::OsnovaTable);
    EXPECT_EQ(field(osnova, 1, "SOKR_FIO"), "");
    EXPECT_EQ(field(osnova, 1, "UVOLEN"), "0");
    EXPECT_EQ(field(osnova, 1, "OTDEL"), "2");
    EXPECT_EQ(field(osnova, 1, "OBRAZ"), "-1");
}

TEST_F(CardSave, ChangedSalaryAddsTheNextChangeOnTheChosenDate)
{
    start();
    open(1);
    card->OsnovnList->Edit3->setText("5500");
    save(Date{2024, 3, 15});
    const LoadedTable trud = disk(schema::TrudTable);
    ASSERT_EQ(trud.Header.RecordCount, 4);
    EXPECT_EQ(field(trud, 4, "KOD"), "1");
    EXPECT_EQ(field(trud, 4, "N_IZM"), "3");
    EXPECT_EQ(field(trud, 4, "D_IZM"), "15.03.2024");
    EXPECT_EQ(field(trud, 4, "OKLAD"), "5500");
    EXPECT_EQ(field(trud, 4, "OTDEL"), "2");
    EXPECT_EQ(field(trud, 4, "DOLZH"), "4");
    EXPECT_EQ(field(trud, 4, "D_POST"), "01.02.2020");
    EXPECT_EQ(field(trud, 4, "NOM_PRIL"), "3");
    EXPECT_EQ(field(trud, 4, "D_UVOL"), "");
    EXPECT_EQ(field(trud, 4, "PR_UVOL"), "Востановлен");
    EXPECT_EQ(field(disk(schema::OsnovaTable), 1, "OKLAD"), "5500");
    EXPECT_EQ(state->CurTrudRec, 4);
}

TEST_F(CardSave, EmptyHistoryDatesForceARecordOnTheFirstSave)
{
    addEmployee(3, "Сидоров Сидор");
    add(schema::TrudTable, {{"KOD", "3"}, {"N_IZM", "1"}, {"VID_RAB", "0"}});
    start();
    open(3);
    EXPECT_EQ(card->KadrList->EditData3->date(), QDate(1900, 1, 1));
    save();
    const LoadedTable trud = disk(schema::TrudTable);
    ASSERT_EQ(trud.Header.RecordCount, 5);
    EXPECT_EQ(field(trud, 5, "N_IZM"), "2");
    EXPECT_EQ(field(trud, 5, "D_POST"), "01.01.1900");
}

TEST_F(CardSave, DismissalIsStoredThroughAHistoryRecord)
{
    start();
    open(2);
    card->Button13Click();
    EXPECT_TRUE(card->OsnovnList->CheckBox1->isChecked());
    EXPECT_EQ(card->KadrList->Button13->text(), QString::fromUtf8("&Востановить"));
    setPickerDate(*card->KadrList->EditData7, Date{2024, 2, 29});
    card->KadrList->Edit10->setText(QString::fromUtf8("по собственному желанию"));
    save();
    const LoadedTable trud = disk(schema::TrudTable);
    ASSERT_EQ(trud.Header.RecordCount, 4);
    EXPECT_EQ(field(trud, 4, "KOD"), "2");
    EXPECT_EQ(field(trud, 4, "N_IZM"), "2");
    EXPECT_EQ(field(trud, 4, "D_UVOL"), "29.02.2024");
    EXPECT_EQ(field(trud, 4, "PR_UVOL"), "по собственному желанию");
    EXPECT_EQ(field(disk(schema::OsnovaTable), 2, "UVOLEN"), "1");
}

TEST_F(CardSave, DismissThenRestoreCancelEachOther)
{
    start();
    open(2);
    card->Button13Click();
    card->Button13Click();
    EXPECT_EQ(card->KadrList->LabelUvol->text(), "LU");
    EXPECT_TRUE(card->KadrList->EditData7->isHidden());
    save();
    EXPECT_EQ(historyOf(disk(schema::TrudTable), 2), 1);
    EXPECT_EQ(field(disk(schema::OsnovaTable), 2, "UVOLEN"), "0");
}

TEST_F(CardSave, NewCardFillsItsOwnHistoryRecord)
{
    for (int code = 3; code <= 16; ++code)
        addEmployee(code, "Сотрудник " + std::to_string(code));
    start();
    form->N1_4Click(); // the main window appends code 17 and shows the card
    ASSERT_TRUE(card->newCardMode());
    ASSERT_EQ(card->shownCode(), "17");
    EXPECT_EQ(card->OsnovnList->Edit2->text(), QString::fromUtf8("должность не указана"));
    EXPECT_EQ(card->OsnovnList->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(card->KadrList->Button13->text(), QString::fromUtf8("У&волить"));
    const int trudBefore = state->Trud.Header.RecordCount;
    card->OsnovnList->Edit1->setText(QString::fromUtf8("Новиков Николай Николаевич"));
    EXPECT_EQ(card->OsnovnList->Edit16->text(), QString::fromUtf8("Н.Н. Новиков"));
    EXPECT_EQ(card->OsnovnList->Edit17->text(), QString::fromUtf8("Новиков Н.Н."));
    save();
    const LoadedTable trud = disk(schema::TrudTable);
    ASSERT_EQ(trud.Header.RecordCount, trudBefore);
    EXPECT_EQ(field(trud, trudBefore, "KOD"), "17");
    EXPECT_EQ(field(trud, trudBefore, "N_IZM"), "1");
    EXPECT_EQ(card->windowTitle(), QString::fromUtf8("Карточка сотрудника"));
    const LoadedTable osnova = disk(schema::OsnovaTable);
    EXPECT_EQ(field(osnova, osnova.Header.RecordCount, "SOKR_FIO"), "Н.Н. Новиков");
}

TEST_F(CardSave, CancellingNewCardRemovesEveryRecordOfItsCodeOnly)
{
    addEmployee(11, "Кузнецов");
    for (const char *code : {"1", "2", "112", "120"})
        add(schema::SemjaTable, {{"KOD", code}, {"S_FIO", std::string("член семьи ") + code}});
    start();
    const std::string filesBefore = bytesOf(schema::SemjaTable) + bytesOf(schema::ObrazTable);
    form->N1_4Click();
    // A server gives codes above every code the moved folder held, the family's too, and each once.
    const std::string code = card->shownCode();
    if (!onServer())
        ASSERT_EQ(code, "12");
    auto *family = card->DopList->Family;
    family->Button7Click();
    family->LabeledEdit1->setText(QString::fromUtf8("Кузнецова Анна"));
    family->Button10Click();
    card->DopList->PanelObraz->Button14Click();
    card->DopList->PanelObraz->Edit14->setText(QString::fromUtf8("МГУ"));
    card->DopList->PanelObraz->Button17Click();
    card->Button3Click();

    EXPECT_TRUE(card->isHidden());
    std::vector<std::string> codes;
    for (int r = 1; r <= state->Semja.Header.RecordCount; ++r)
        codes.push_back(field(state->Semja, r, "KOD"));
    EXPECT_EQ(codes, (std::vector<std::string>{"1", "2", "112", "120"}));
    for (const LoadedTable *t : {&state->Osnova, &state->Passport, &state->Trud, &state->Obraz, &state->Dopoln})
        for (int r = 1; r <= t->Header.RecordCount; ++r)
            EXPECT_NE(field(*t, r, "KOD"), code);
    EXPECT_EQ(bytesOf(schema::SemjaTable) + bytesOf(schema::ObrazTable), filesBefore);
    EXPECT_EQ(state->CurMainRec, 0);

    // The next new employee gets code 12 again and inherits nothing (it used to get the
    // education entry and parameters of the cancelled one).
    form->N1_4Click();
    if (!onServer())
        ASSERT_EQ(card->shownCode(), "12");
    EXPECT_EQ(card->DopList->PanelObraz->EducationIndex.size(), 1u);
}

// "Новый сотрудник" while the card holds an edit of employee 1: the clerk is asked; cancelling
// keeps the card and adds nobody; saving stores employee 1's edit and the card then shows the
// new employee, whose cancellation leaves employee 1 alone.
TEST_F(CardSave, NewEmployeeWithAnEditedCardOpenAsksThenShowsTheNewEmployee)
{
    start();
    open(1);
    card->OsnovnList->Edit3->setText("5100");
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Cancel);
    form->N1_4Click();
    ASSERT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_EQ(card->shownCode(), "1");
    EXPECT_EQ(card->OsnovnList->Edit3->text(), "5100");
    EXPECT_EQ(state->Osnova.Header.RecordCount, 2);

    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Save);
    form->N1_4Click();
    EXPECT_EQ(field(disk(schema::OsnovaTable), 1, "OKLAD"), "5100");
    ASSERT_EQ(card->shownCode(), "3");
    EXPECT_TRUE(card->newCardMode());
    EXPECT_TRUE(card->OsnovnList->Edit1->text().isEmpty());

    card->Button3Click();
    EXPECT_EQ(field(state->Osnova, 1, "KOD"), "1");
    EXPECT_EQ(state->Osnova.Header.RecordCount, 2);
    EXPECT_EQ(field(disk(schema::OsnovaTable), 1, "OKLAD"), "5100");
}

TEST_F(CardSave, MilitaryBoxAppendsOrEmptiesTheRegistration)
{
    add(schema::VoenTable, {{"KOD", "1"}, {"KATEGOR", "1"}, {"ZVANIE", "сержант"}, {"SOSTAV", "сержанты"},
                            {"VUS", "100"}, {"GODN", "А"}, {"VOENKOM", "Центральный"}});
    LoadedTable osnova = disk(schema::OsnovaTable);
    SetField(osnova.Header, 1, FieldIndex(osnova.Header, "VOIN"), osnova.Data, "1");
    WriteTable(file(schema::OsnovaTable), osnova);
    start();

    open(1);
    auto *page = card->DopList;
    EXPECT_FALSE(page->GroupBox6->isHidden());
    EXPECT_EQ(page->ComboBox4->currentText(), QString::fromUtf8("сержант"));
    page->CheckBox3->setChecked(false);
    EXPECT_TRUE(page->GroupBox6->isHidden());
    save();

    open(2);
    page->CheckBox3->setChecked(true);
    page->Edit27->setText("2");
    page->ComboBox4->setCurrentText(QString::fromUtf8("майор запаса"));
    save();

    const LoadedTable voen = disk(schema::VoenTable);
    ASSERT_EQ(voen.Header.RecordCount, 2);
    EXPECT_EQ(field(voen, 1, "KOD"), "1");
    for (const char *f : {"KATEGOR", "ZVANIE", "SOSTAV", "VUS", "GODN", "VOENKOM"})
        EXPECT_EQ(field(voen, 1, f), "") << f;
    EXPECT_EQ(field(voen, 2, "KOD"), "2");
    EXPECT_EQ(field(voen, 2, "KATEGOR"), "2");
    EXPECT_EQ(field(voen, 2, "ZVANIE"), "майор запаса");
    const LoadedTable main = disk(schema::OsnovaTable);
    EXPECT_EQ(field(main, 1, "VOIN"), "0");
    EXPECT_EQ(field(main, 2, "VOIN"), "1");
}

TEST_F(CardSave, EscapeDiscardsAndTheNextShowingReadsTheTables)
{
    start();
    open(1);
    const std::string before = bytesOf(schema::OsnovaTable);
    card->OsnovnList->Edit1->setText("X");
    card->Button19Click();
    // Esc in a field closes the card, as it does anywhere in the window.
    QTest::keyClick(card->OsnovnList->Edit1, Qt::Key_Escape);
    EXPECT_TRUE(card->isHidden());
    EXPECT_TRUE(card->KadrList->GroupBox5->isHidden());
    EXPECT_EQ(bytesOf(schema::OsnovaTable), before);
    open(1);
    EXPECT_EQ(card->OsnovnList->Edit1->text(), QString::fromUtf8("Иванов Иван Иванович"));
}

TEST_F(CardSave, AdditionalParametersAreEditableInTheValueColumnOnly)
{
    addDopolnParameter("Номер пропуска");
    addDopolnParameter("Группа крови");
    start();
    open(2);
    TStringGrid *grid = card->Dopolnitelno->StringGrid4;
    ASSERT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->cellText(0, 2), QString::fromUtf8("Группа крови"));
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable);
    card->Dopolnitelno->StringGrid4SelectCell(1, 2);
    EXPECT_TRUE(grid->model()->setData(grid->model()->index(1, 1), QString::fromUtf8("II+"), Qt::EditRole));
    save();
    const LoadedTable dopoln = disk(schema::DopolnTable);
    EXPECT_EQ(field(dopoln, 2, "KOD"), "2");
    EXPECT_EQ(field(dopoln, 2, "DOPOLN2"), "II+");
    EXPECT_EQ(field(dopoln, 1, "DOPOLN2"), "");
}

// A write that fails names the file and the reason; the card stays open and no table changes,
// including those written before the failing one.
TEST_F(CardSave, FailedWriteNamesTheFileAndWritesNothing)
{
    start();
    std::map<std::string, std::string> before;
    for (std::string_view t : {schema::OsnovaTable, schema::TrudTable, schema::PassportTable, schema::DopolnTable})
        before[std::string(t)] = bytesOf(t);
    open(1);
    card->OsnovnList->Edit3->setText("9999");
    setCommitStepHook([](const std::filesystem::path &f) {
        if (QString::fromStdString(f.filename().string()).toLower() == "trud.dbf")
            throw std::runtime_error("No space left on device");
    });
    save();
    setCommitStepHook({});
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("trud.dbf")) << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].contains(QString::fromUtf8("Ничего не сохранено"))) << messages()[0].toStdString();
    EXPECT_FALSE(card->isHidden());
    for (const auto &[name, bytes] : before)
        EXPECT_EQ(bytesOf(name), bytes) << name;
    EXPECT_EQ(field(state->Osnova, 1, "OKLAD"), "5000") << "the failed change stayed in memory";

    // Saving again adds the history record once.
    Dialogs::clearRecorded();
    save();
    EXPECT_EQ(messages(), QStringList()) << messages().join("\n").toStdString();
    EXPECT_EQ(field(disk(schema::OsnovaTable), 1, "OKLAD"), "9999");
    EXPECT_EQ(historyOf(disk(schema::TrudTable), 1), 3);
}

// An employee without Passport.dbf, Trud.dbf and Dopoln.dbf records, and VOIN 1 without a
// Voen.dbf record, is shown empty; the save appends the missing records with the code and
// leaves the record the globals wrongly named alone.
TEST_F(CardSave, MissingRecordsAreShownEmptyAndAppended)
{
    add(schema::OsnovaTable, {{"KOD", "5"}, {"FIO", "Орлов"}, {"VOIN", "1"}});
    add(schema::VoenTable, {{"KOD", "1"}, {"KATEGOR", "1"}});
    LoadedTable pass = disk(schema::PassportTable);
    SetField(pass.Header, 1, FieldIndex(pass.Header, "PASSPORT"), pass.Data, "4500 123456");
    WriteTable(file(schema::PassportTable), pass);
    start();
    state->CurMainRec = 3;
    state->CurPassportRec = 1; // employee 1's records
    state->CurTrudRec = 1;
    state->CurDopolnRec = 0;
    card->show();
    EXPECT_EQ(card->OsnovnList->Edit5->text(), "");
    EXPECT_EQ(card->DopList->Edit27->text(), "");
    EXPECT_EQ(card->KadrList->Edit18->text(), "");
    card->OsnovnList->Edit5->setText("4600 000001");
    card->DopList->Edit27->setText("3");
    Dialogs::queueAnswer(true); // saved anyway past the warning on the passport number's form
    save();

    const LoadedTable passport = disk(schema::PassportTable);
    ASSERT_EQ(passport.Header.RecordCount, 3);
    EXPECT_EQ(field(passport, 1, "PASSPORT"), "4500 123456");
    EXPECT_EQ(field(passport, 3, "KOD"), "5");
    EXPECT_EQ(field(passport, 3, "PASSPORT"), "4600 000001");
    const LoadedTable voen = disk(schema::VoenTable);
    ASSERT_EQ(voen.Header.RecordCount, 2);
    EXPECT_EQ(field(voen, 1, "KATEGOR"), "1");
    EXPECT_EQ(field(voen, 2, "KATEGOR"), "3");
    const LoadedTable trud = disk(schema::TrudTable);
    EXPECT_EQ(field(trud, 1, "KOD"), "1");
    EXPECT_EQ(field(trud, 4, "KOD"), "5");
    EXPECT_EQ(field(trud, 4, "N_IZM"), "1");
    EXPECT_EQ(field(disk(schema::DopolnTable), 3, "KOD"), "5");
    EXPECT_EQ(state->CurPassportRec, 3);
}

// With two departments of the same name the card selects the employee's own, so saving
// without a change neither moves the employee nor adds a history record.
TEST_F(CardSave, SameNamedReferencesKeepTheEmployeesOwn)
{
    add(schema::OtdelTable, {{"NOM", "3"}, {"OTDEL", "Склад"}});
    add(schema::DolzhTable, {{"NOM", "5"}, {"DOLZH", "Кладовщик"}});
    addEmployee(3, "Смирнов", {{"OTDEL", "3"}, {"DOLZH", "5"}, {"OKLAD", "5000"}});
    addHistory(3, 1, {{"OTDEL", "3"}, {"DOLZH", "5"}});
    start(1);
    open(3);
    EXPECT_EQ(card->OsnovnList->ComboBox1->currentIndex(), 2);
    EXPECT_FALSE(card->OsnovnList->ComboBox6->isHidden());
    EXPECT_EQ(card->OsnovnList->ComboBox6->currentIndex(), 1);
    save();
    const LoadedTable main = disk(schema::OsnovaTable);
    EXPECT_EQ(field(main, 3, "OTDEL"), "3");
    EXPECT_EQ(field(main, 3, "DOLZH"), "5");
    EXPECT_EQ(historyOf(disk(schema::TrudTable), 3), 1);
}

// A position number that names no position shows "должность удалена" in the list without a
// choice; saving keeps the number instead of erasing it.
TEST_F(CardSave, DeletedPositionKeepsItsNumber)
{
    addEmployee(3, "Смирнов", {{"DOLZH", "9"}, {"OTDEL", "1"}, {"OKLAD", "5000"}});
    addHistory(3, 1, {{"DOLZH", "9"}, {"OTDEL", "1"}});
    start(1);
    open(3);
    EXPECT_EQ(card->OsnovnList->ComboBox6->currentIndex(), -1);
    EXPECT_EQ(card->OsnovnList->ComboBox6->placeholderText(), QString::fromUtf8("должность удалена"));
    save();
    EXPECT_EQ(field(disk(schema::OsnovaTable), 3, "DOLZH"), "9");
    EXPECT_EQ(historyOf(disk(schema::TrudTable), 3), 1);
}

// A blank history record (another program's, or an old unsaved card's) has an empty number;
// the next save of that employee numbers its change 1 instead of failing.
TEST_F(CardSave, BlankHistoryNumberCountsAsZero)
{
    addEmployee(3, "Сидоров");
    add(schema::TrudTable, {{"KOD", "3"}});
    start();
    open(3);
    card->OsnovnList->Edit3->setText("100");
    save();
    EXPECT_EQ(messages(), QStringList());
    const LoadedTable trud = disk(schema::TrudTable);
    EXPECT_EQ(field(trud, trud.Header.RecordCount, "KOD"), "3");
    EXPECT_EQ(field(trud, trud.Header.RecordCount, "N_IZM"), "1");
}

// The card saves into the employee it shows, even when another row of the list was selected
// while it was open.
TEST_F(CardSave, SavesTheEmployeeItShows)
{
    start();
    open(1);
    const CurrentRecords other = currentRecordsOf(*state, "2");
    state->CurMainRec = other.main;
    state->CurPassportRec = other.passport;
    state->CurTrudRec = other.trud;
    card->OsnovnList->Edit3->setText("6100");
    save();
    const LoadedTable main = disk(schema::OsnovaTable);
    EXPECT_EQ(field(main, 1, "OKLAD"), "6100");
    EXPECT_EQ(field(main, 2, "OKLAD"), "7000");
    EXPECT_EQ(field(main, 2, "FIO"), "Петров Петр Петрович");
}

TEST_F(CardSave, ChosenPhotoPathIsStored)
{
    const auto photo = root / "photo.bmp";
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(QString::fromStdString(photo.string())));
    start();
    open(2);
    Dialogs::queuePath(QString::fromStdString(photo.string()));
    card->OsnovnList->Foto2Click();
    EXPECT_TRUE(card->OsnovnList->Foto2->hasPicture());
    save();
    EXPECT_EQ(field(disk(schema::OsnovaTable), 2, "FOTO"), photo.string());
}

TEST_F(CardSave, ATableThatDidNotLoadStopsTheWholeSaveBeforeAnythingIsWritten)
{
    start();
    open(1);
    // As after a start-up that stopped before the military table was read.
    state->Voen = LoadedTable{};
    std::map<std::string, std::string> before;
    for (std::string_view t : {schema::OsnovaTable, schema::SemjaTable, schema::PassportTable,
                               schema::ObrazTable, schema::TrudTable, schema::DopolnTable})
        before[std::string(t)] = bytesOf(t);
    card->OsnovnList->Edit3->setText("5500");
    save();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("Voen.dbf", Qt::CaseInsensitive)) << messages()[0].toStdString();
    for (const auto &[t, bytes] : before)
        EXPECT_EQ(bytesOf(t), bytes) << t << " was written";
    EXPECT_EQ(field(state->Osnova, 1, "OKLAD"), field(disk(schema::OsnovaTable), 1, "OKLAD"))
        << "the refused save changed the table in memory";
    EXPECT_TRUE(card->isVisible());
}

} // namespace
} // namespace veltor::test
