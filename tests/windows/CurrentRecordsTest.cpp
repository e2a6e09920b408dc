// The windows together: what one window saves, another open window shows or refuses to undo,
// and typed work is never dropped unasked. Files are read back with dbfread.
#include "support/Workplace.h"

#include "app/DatePicker.h"
#include "card/CardWidgets.h"
#include "card/EducationEditor.h"
#include "card/ExtraPage.h"
#include "card/FamilyEditor.h"
#include "card/MainPage.h"
#include "listtools/ObrabPanel.h"
#include "listtools/SettingsPanel.h"
#include "listtools/SpravPanel.h"
#include "orders/OrderFormPanel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTest>

#include <algorithm>

namespace veltor::test {
namespace {

using Strings = std::vector<std::string>;

class CurrentRecords : public Workplace {
protected:
    void SetUp() override
    {
        Workplace::SetUp();
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
        add(schema::OtdelTable, {{"NOM", "2"}, {"OTDEL", "Склад"}});
        add(schema::OtdelTable, {{"NOM", "3"}, {"OTDEL", "Охрана"}});
        add(schema::DolzhTable, {{"NOM", "1"}, {"DOLZH", "Бухгалтер"}});
        add(schema::DolzhTable, {{"NOM", "2"}, {"DOLZH", "Охранник"}});
        addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "2"}, {"DOLZH", "1"}, {"OKLAD", "5000"}});
        addEmployee(2, "Петрова Анна Сергеевна", {{"OTDEL", "3"}, {"DOLZH", "2"}, {"OKLAD", "7000"}});
        add(schema::SemjaTable, {{"KOD", "1"}, {"S_FIO", "Иванова Мария"}, {"S_TIP", "1"}});
        start();
    }

    TCardMainPage &main() const { return *card->OsnovnList; }
    TOrderFormPanel &order() const { return *orders->DokumPanel; }

    // A change of salary for the employee of the list's row, saved from the orders window.
    void saveSalaryOrder(int code, const char *salary)
    {
        form->N6_1->trigger();
        auto choose = [](QComboBox *combo, int index) {
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        };
        choose(order().DokumComboTipOper, SalaryChange);
        choose(order().DokumComboSotr, code - 1);
        setPickerDate(*order().DokumData, {2026, 12, 8});
        setPickerDate(*order().DokumDataNach, {2026, 12, 8});
        choose(order().DokumComboOtdel, 1);
        choose(order().DokumComboDolzh, 0);
        order().DokumEdit3->setText(QString::fromUtf8(salary));
        order().DokumButOK->click();
    }

    int historyCount(int code) const
    {
        const Strings codes = dbfColumn(schema::TrudTable, "KOD");
        return static_cast<int>(std::count(codes.begin(), codes.end(), std::to_string(code)));
    }

    std::string listCell(int code, int col) const { return cp1251ToUtf8(form->StringGrid1->Cell(col, rowOf(code))); }
};

// An order saved while the card is open: the card without edits shows it at once, and so does
// the list; a card with edits is refused, so the order's salary and history stay.
TEST_F(CurrentRecords, AnOrderSavedBesideAnOpenCardIsShownAndNeverUndone)
{
    openCard(1);
    ASSERT_TRUE(card->isVisible());
    EXPECT_FALSE(card->hasUnsavedEdits()) << "a card just shown holds nothing unsaved";
    saveSalaryOrder(1, "8000");
    ASSERT_EQ(dbfColumn(schema::OsnovaTable, "OKLAD"), (Strings{"8000", "7000"}))
        << utf8(Dialogs::shownMessages().join("\n"));
    EXPECT_EQ(main().Edit3->text(), "8000");
    EXPECT_EQ(listCell(1, 2), "8000");

    main().Edit7->setText("+7 900 000-00-00");
    saveSalaryOrder(1, "9000");
    Dialogs::clearRecorded();
    card->Button2->click();
    ASSERT_EQ(Dialogs::shownMessages().size() + Dialogs::askedQuestions().size(), 1);
    EXPECT_TRUE(Dialogs::askedQuestions().value(0).contains(QString::fromUtf8("Изменение оклада")))
        << utf8(Dialogs::askedQuestions().value(0));
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "OKLAD"), (Strings{"9000", "7000"}));
    EXPECT_EQ(dbfColumn(schema::PassportTable, "TELEFON"), (Strings{"", ""}));
    EXPECT_EQ(historyCount(1), 3) << "the card added no history record of its own";
}

// A card just shown holds nothing unsaved, whether positions are typed or chosen from the list:
// closing it asks nothing.
TEST_F(CurrentRecords, AShownCardIsUnchangedInEitherPositionMode)
{
    for (const int mode : {0, 1}) {
        state->PositionListMode = mode;
        openCard(2);
        EXPECT_FALSE(card->hasUnsavedEdits()) << mode;
        card->close();
        EXPECT_FALSE(card->isVisible());
    }
    EXPECT_TRUE(Dialogs::askedQuestions().isEmpty());
}

// A salary entered in streaming entry while the card of that employee holds an edit: the
// card's save is refused and writes no second history record.
TEST_F(CurrentRecords, StreamingEntryBesideAnEditedCardIsNotUndone)
{
    openCard(2);
    main().Edit7->setText("12-34-56");
    form->N1_8->trigger();
    tools->PanelObrab->ComboBox4Change(1);
    auto &values = *tools->PanelObrab->ValueList;
    values.model()->setData(values.model()->index(rowOf(2) - values.FixedRows(), 1), "7500", Qt::EditRole);
    Dialogs::queueAnswer(true);
    tools->PanelObrab->Button17->click();
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "OKLAD"), (Strings{"5000", "7500"}));
    EXPECT_EQ(listCell(2, 2), "7500");

    card->Button2->click();
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "OKLAD"), (Strings{"5000", "7500"}));
    EXPECT_EQ(historyCount(2), 2);
}

// A family member typed after "+" and the tables read anew ("Показать всех"): the clerk is
// asked; Нет drops the member and nobody else's record is touched, Да saves him beside the
// members there are.
TEST_F(CurrentRecords, FamilyMemberTypedBeforeARereadIsAskedAboutAndNeverOverwritesAnother)
{
    auto typeMember = [&](const char *name) {
        openCard(1);
        TFamilyEditor &family = *card->DopList->Family;
        family.Button7Click();
        family.LabeledEdit1->setText(QString::fromUtf8(name));
    };
    typeMember("Иванов Пётр");
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Drop);
    form->N1_5->trigger();
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(dbfColumn(schema::SemjaTable, "S_FIO"), (Strings{"Иванова Мария"}));
    EXPECT_EQ(state->Semja.Header.RecordCount, 1);

    typeMember("Иванов Пётр");
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Save);
    form->N1_5->trigger();
    EXPECT_EQ(dbfColumn(schema::SemjaTable, "S_FIO"), (Strings{"Иванова Мария", "Иванов Пётр"}));
}

// A department removed from the reference list while a card with an edit is open: the card
// keeps its employee's department by number, not by the place in the list.
TEST_F(CurrentRecords, RemovingADepartmentNeverMovesAnOpenCardsEmployee)
{
    openCard(2);
    main().Edit7->setText("12-34-56");
    form->N2_3->trigger();
    TSpravPanel &sprav = *tools->PanelSprav;
    sprav.StringGrid1->setRow(1);
    sprav.SpeedButton2->click();
    sprav.Button10->click();
    EXPECT_EQ(dbfColumn(schema::OtdelTable, "NOM"), (Strings{"2", "3"}));

    card->Button2->click();
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "OTDEL"), (Strings{"2", "3"}));
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "DOLZH"), (Strings{"1", "2"}));
    EXPECT_EQ(dbfColumn(schema::PassportTable, "TELEFON"), (Strings{"", "12-34-56"}));
}

// A reference list shown without edits follows a save made elsewhere (another clerk's, on a
// server, arrives as such a commit notice).
TEST_F(CurrentRecords, AReferenceListWithoutEditsShowsWhatAnotherSaveWrote)
{
    form->N2_3->trigger();
    SetField(state->Otdel, 2, "OTDEL", cp("Склад и транспорт"));
    SaveSet(*state, "справочник отделов").add(state->Otdel).commit();
    EXPECT_EQ(tools->PanelSprav->StringGrid1->cellText(2, 2), QString::fromUtf8("Склад и транспорт"));
}

// Another database chosen in the settings while the card holds an edit: the clerk is asked;
// Отмена keeps the old database, Нет drops the edit and nothing of it reaches either folder.
TEST_F(CurrentRecords, SwitchingTheDatabaseSettlesTheCardFirst)
{
    const std::filesystem::path other = root / "other";
    schema::createEmptyDatabase(other);
    add(schema::OsnovaTable, {{"KOD", "1"}, {"FIO", "Сидоров"}, {"OKLAD", "100"}}, other);
    add(schema::TipDokTable, {{"TIP_DOK", "1"}, {"NAZ_DOK", "Прием на работу"}, {"TIP_UCH", "k"}}, other);
    const std::string mainPath = state->MainTablePath;

    openCard(1);
    main().Edit3->setText("5555");
    auto switchTo = [&](Dialogs::SaveChoice choice) {
        form->N2_1->trigger();
        tools->PanelNastr->Edit3->setText(pathToQString(other / "osnova.dbf"));
        Dialogs::queueSaveChoice(choice);
        tools->PanelNastr->Button4->click();
    };
    switchTo(Dialogs::SaveChoice::Cancel);
    EXPECT_EQ(state->MainTablePath, mainPath);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(main().Edit3->text(), "5555");
    tools->hide();

    switchTo(Dialogs::SaveChoice::Drop);
    EXPECT_NE(state->MainTablePath, mainPath);
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(test::dbfColumn(dbfread(resolveFileName(other, schema::OsnovaTable)), "OKLAD"), (Strings{"100"}));
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "OKLAD"), (Strings{"5000", "7000"}));
}

// A confirmed deletion not yet written, then a settings save that adds a parameter (Dopoln
// changes): the deletion is written whole, never half.
TEST_F(CurrentRecords, APendingDeletionIsWrittenWholeWithTheNextSave)
{
    form->StringGrid1->setRow(rowOf(2));
    form->StringGrid1SelectCell(1, rowOf(2));
    Dialogs::queueAnswer(true);
    form->N1_9->trigger();
    ASSERT_TRUE(state->RecordsDeleted);

    form->N2_1->trigger();
    tools->PanelNastr->SpinEdit1->setValue(state->ExtraParamCount + 1);
    tools->PanelNastr->Button4->click();
    EXPECT_FALSE(state->RecordsDeleted);
    for (std::string_view table : {schema::OsnovaTable, schema::PassportTable, schema::TrudTable, schema::DopolnTable})
        EXPECT_EQ(dbfColumn(table, "KOD"), (Strings{"1"})) << table;
}

// Esc, another employee's double click and "Кадровые приказы" on a card with edits ask first.
TEST_F(CurrentRecords, UnsavedCardEditsAreNeverDroppedUnasked)
{
    openCard(1);
    main().Edit3->setText("6100");
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Cancel);
    QTest::keyClick(card.get(), Qt::Key_Escape);
    EXPECT_TRUE(card->isVisible());

    // Another employee chosen: Отмена keeps the card, and the list goes back to its employee.
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Cancel);
    openCard(2);
    EXPECT_EQ(card->shownCode(), "1");
    EXPECT_EQ(form->currentCode(), "1");
    EXPECT_EQ(main().Edit3->text(), "6100");

    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Save);
    QTest::keyClick(card.get(), Qt::Key_Escape);
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "OKLAD"), (Strings{"6100", "7000"}));

    // A new employee typed and then sent to an order is saved first, not lost.
    form->N1_4->trigger();
    main().Edit1->setText(QString::fromUtf8("Козлов Олег Петрович"));
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Save);
    card->ButKadrClick(1);
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "FIO"),
              (Strings{"Иванов Иван Иванович", "Петрова Анна Сергеевна", "Козлов Олег Петрович"}));
    EXPECT_TRUE(orders->isVisible());
    EXPECT_FALSE(card->isVisible());
}

} // namespace
} // namespace veltor::test
