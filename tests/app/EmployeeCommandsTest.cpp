#include "AppFixture.h"

#include "app/EmployeeCommands.h"
#include "records/Startup.h"
#include "app/StringGrid.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QWidget>

namespace veltor::test {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

std::vector<std::string> codesOf(const LoadedTable &t)
{
    std::vector<std::string> codes;
    const int kod = FieldIndex(t.Header, "KOD");
    for (int r = 1; r <= t.Header.RecordCount; ++r)
        codes.push_back(GetField(t.Header, t.Data, r, kod));
    return codes;
}

class EmployeeCommandsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        addColumn("ФИО", "FIO", "1");
    }
};

TEST_F(EmployeeCommandsTest, FirstNewEmployeeOfAnEmptyTableGetsCodeOne)
{
    writeStandardConfig();
    TForm1 &w = start();
    QWidget card;
    w.setLinks({&card, nullptr, nullptr, {}, {}});
    w.N1_4Click();
    EXPECT_EQ(codesOf(state->Osnova), std::vector<std::string>{"1"});
    EXPECT_EQ(codesOf(state->Passport), std::vector<std::string>{"1"});
    EXPECT_EQ(codesOf(state->Trud), std::vector<std::string>{"1"});
    EXPECT_EQ(codesOf(state->Dopoln), std::vector<std::string>{"1"});
    EXPECT_EQ(state->CurMainRec, 1);
    EXPECT_EQ(w.windowTitle(), u("Вельтор — Перечень сотрудников"));
    EXPECT_EQ(card.windowTitle(), u("Карточка нового сотрудника"));
    EXPECT_TRUE(card.isVisible());
    // Nothing reaches the disk before the card is saved.
    EXPECT_EQ(ReadTable(table(schema::OsnovaTable)).Header.RecordCount, 0);
}

TEST_F(EmployeeCommandsTest, NewEmployeeGetsOnePastTheLargestCodeAndBecomesCurrent)
{
    addEmployee(3, "А");
    addEmployee(9, "Б");
    writeStandardConfig();
    TForm1 &w = start();
    state->CurrentCodeList = "9,";
    w.N1_4Click();
    EXPECT_EQ(codesOf(state->Osnova), (std::vector<std::string>{"3", "9", "10"}));
    EXPECT_EQ(state->CurrentCodeList, "-1");
    EXPECT_EQ(w.StringGrid1->RowCount(), 4);
    EXPECT_EQ(w.StringGrid1->Row(), 3);
    EXPECT_EQ(state->CurMainRec, 3);
    EXPECT_EQ(state->CurTrudRec, 1);
}

TEST_F(EmployeeCommandsTest, DeletingRemovesOnlyTheEmployeesOwnRecords)
{
    for (int code : {1, 10, 11, 21})
        addEmployee(code, "Сотрудник " + std::to_string(code));
    for (const char *code : {"1", "10", "1", "11", "21", "1"}) {
        add(schema::TrudTable, {{"KOD", code}});
        add(schema::SemjaTable, {{"KOD", code}});
        add(schema::ObrazTable, {{"KOD", code}});
        add(schema::VoenTable, {{"KOD", code}});
    }
    for (const char *code : {"10", "1", "21"}) {
        add(schema::PassportTable, {{"KOD", code}});
        add(schema::DopolnTable, {{"KOD", code}});
    }
    writeStandardConfig();
    TForm1 &w = start();
    w.StringGrid1->setRow(1);
    ASSERT_EQ(state->CurPassportRec, 2);
    Dialogs::queueAnswer(true);
    w.N1_9Click();
    EXPECT_EQ(Dialogs::askedQuestions(),
              QStringList{u("Вы уверены, что хотите удалить эту запись??? Востановить её не удасться")});
    const std::vector<std::string> rest{"10", "11", "21"};
    EXPECT_EQ(codesOf(state->Osnova), rest);
    EXPECT_EQ(codesOf(state->Trud), rest);
    EXPECT_EQ(codesOf(state->Semja), rest);
    EXPECT_EQ(codesOf(state->Obraz), rest);
    EXPECT_EQ(codesOf(state->Voen), rest);
    EXPECT_EQ(codesOf(state->Passport), (std::vector<std::string>{"10", "21"}));
    EXPECT_EQ(codesOf(state->Dopoln), (std::vector<std::string>{"10", "21"}));
    EXPECT_TRUE(state->RecordsDeleted);
    EXPECT_EQ(w.StringGrid1->RowCount(), 4);
}

TEST_F(EmployeeCommandsTest, DecliningTheDeletionChangesNothing)
{
    addEmployee(1, "А");
    writeStandardConfig();
    TForm1 &w = start();
    w.StringGrid1->setRow(1);
    Dialogs::queueAnswer(false);
    w.N1_9Click();
    EXPECT_EQ(state->Osnova.Header.RecordCount, 1);
    EXPECT_FALSE(state->RecordsDeleted);
}

TEST_F(EmployeeCommandsTest, DeletedEmployeesDataDoesNotPassToTheNextNewEmployee)
{
    addEmployee(1, "А");
    addEmployee(2, "Б");
    add(schema::VoenTable, {{"KOD", "2"}, {"ZVANIE", "рядовой"}});
    add(schema::DopolnTable, {{"KOD", "2"}});
    writeStandardConfig();
    TForm1 &w = start();
    w.StringGrid1->setRow(2);
    Dialogs::queueAnswer(true);
    w.N1_9Click();
    w.N1_4Click();
    // A deleted employee's code is never given again: his old orders would name the new person.
    EXPECT_EQ(codesOf(state->Osnova), (std::vector<std::string>{"1", "3"}));
    // The new employee owns only the blank Dopoln record made for him; no Voen record.
    EXPECT_EQ(codesOf(state->Voen), std::vector<std::string>{});
    EXPECT_EQ(codesOf(state->Dopoln), std::vector<std::string>{"3"});
}

TEST_F(EmployeeCommandsTest, DeletingTheLastEmployeeHidesTheList)
{
    addEmployee(1, "А");
    writeStandardConfig();
    TForm1 &w = start();
    w.show();
    w.StringGrid1->setRow(1);
    Dialogs::queueAnswer(true);
    w.N1_9Click();
    EXPECT_EQ(state->Osnova.Header.RecordCount, 0);
    EXPECT_TRUE(w.StringGrid1->isHidden());
}

TEST_F(EmployeeCommandsTest, ShowAllRereadsTheTablesSoADeletedEmployeeReturns)
{
    addEmployee(1, "А");
    addEmployee(2, "Б");
    add(schema::TrudTable, {{"KOD", "2"}});
    for (auto t : {schema::ObrazTable, schema::VoenTable, schema::DopolnTable})
        add(t, {{"KOD", "2"}});
    std::map<std::string, std::string> sideFiles;
    for (auto t : {schema::ObrazTable, schema::VoenTable, schema::DopolnTable})
        sideFiles[std::string(t)] = bytesOf(table(t));
    writeStandardConfig();
    TForm1 &w = start();
    state->CurrentCodeList = "2,";
    w.zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
    w.StringGrid1->setRow(1);
    Dialogs::queueAnswer(true);
    w.N1_9Click();
    EXPECT_EQ(state->Osnova.Header.RecordCount, 1);
    w.N1_5Click();
    EXPECT_EQ(state->Osnova.Header.RecordCount, 2);
    EXPECT_EQ(state->Trud.Header.RecordCount, 1);
    EXPECT_EQ(state->CurrentCodeList, "-1");
    EXPECT_EQ(w.StringGrid1->RowCount(), 3);
    EXPECT_EQ(w.windowTitle(), u("Вельтор — Перечень сотрудников"));
    // He returns whole: his education, military and additional records were lost at the next
    // save, since showing all did not re-read them.
    for (const LoadedTable *t : {&state->Obraz, &state->Voen, &state->Dopoln})
        EXPECT_EQ(codesOf(*t), std::vector<std::string>{"2"});
    EXPECT_FALSE(state->RecordsDeleted);
    writeTablesAfterDeletion(*state);
    for (const auto &[name, bytes] : sideFiles)
        EXPECT_EQ(bytesOf(table(name)), bytes) << name;
}

TEST_F(EmployeeCommandsTest, AfterADeletionNobodyIsCurrentSoASecondOneDeletesNobody)
{
    for (int code : {1, 2, 3})
        addEmployee(code, "Сотрудник " + std::to_string(code));
    writeStandardConfig();
    TForm1 &w = start();
    w.StringGrid1->setRow(1);
    Dialogs::queueAnswer(true);
    w.N1_9Click();
    // The status bar and the preview used to keep naming the deleted employee, and the next
    // deletion took whoever then stood at his record numbers.
    EXPECT_EQ(state->CurMainRec, 0);
    EXPECT_EQ(state->CurPassportRec, 0);
    EXPECT_EQ(w.StatusPanel0->text(), u("Сотрудник не выбран"));
    EXPECT_EQ(w.StaticText1->text(), "");
    Dialogs::clearRecorded();
    Dialogs::queueAnswer(true);
    w.N1_9Click();
    EXPECT_TRUE(Dialogs::askedQuestions().isEmpty());
    EXPECT_EQ(Dialogs::shownMessages(),
              QStringList{u("Сотрудник не выбран: удалять некого. Выберите сотрудника в перечне.")});
    EXPECT_EQ(codesOf(state->Osnova), (std::vector<std::string>{"2", "3"}));
}

TEST_F(EmployeeCommandsTest, EveryRefillKeepsTheSameEmployeeSelectedWhereHeIsListed)
{
    for (int code : {1, 2, 3})
        addEmployee(code, "Сотрудник " + std::to_string(code));
    writeStandardConfig();
    TForm1 &w = start();
    w.StringGrid1->setRow(2);
    auto expectCurrent = [&](int row, int rows, int record) {
        EXPECT_EQ(w.StringGrid1->Row(), row);
        EXPECT_TRUE(w.StringGrid1->selectionModel()->isRowSelected(row - 1));
        EXPECT_EQ(state->CurMainRec, record);
        EXPECT_EQ(w.StatusPanel0->text(),
                  u("Строка № ") + QString::number(row) + u(" из ") + QString::number(rows));
        EXPECT_EQ(w.StaticText1->text(), u("Сотрудник ") + QString::number(record));
    };
    state->CurrentCodeList = "3,1,2,";
    w.zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
    expectCurrent(3, 3, 2);

    w.refillList("-1", "3");
    expectCurrent(3, 3, 3);
    w.N1_5Click();
    expectCurrent(3, 3, 3);

    state->CurrentCodeList = "1,";
    w.zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
    EXPECT_EQ(state->CurMainRec, 0);
    EXPECT_EQ(w.currentCode(), "");
    EXPECT_EQ(w.StatusPanel0->text(), u("Сотрудник не выбран"));
}

TEST_F(EmployeeCommandsTest, DoubleClickOnAnEmptyListStartsANewEmployee)
{
    writeStandardConfig();
    TForm1 &w = start();
    QWidget card;
    w.setLinks({&card, nullptr, nullptr, {}, {}});
    w.StringGrid1DblClick();
    EXPECT_EQ(state->Osnova.Header.RecordCount, 1);
    card.hide();
    w.StringGrid1DblClick();
    EXPECT_EQ(state->Osnova.Header.RecordCount, 1);
    EXPECT_TRUE(card.isVisible());
}

// "Справка" used to name Help.doc in a message; it opens the guide, found whatever the letter
// case of its name, and says so plainly when the program folder lacks it.
TEST_F(EmployeeCommandsTest, HelpOpensTheGuideOrSaysItIsMissing)
{
    writeStandardConfig();
    TForm1 &w = start();
    EXPECT_EQ(w.N3_2->shortcut(), QKeySequence(Qt::Key_F1));
    w.N3_2->trigger();
    EXPECT_TRUE(Dialogs::openedFiles().isEmpty());
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].startsWith(u("Руководство пользователя «Help.doc» не найдено")))
        << Dialogs::shownMessages()[0].toStdString();

    Dialogs::clearRecorded();
    std::ofstream(program / "HELP.DOC", std::ios::binary) << "{\\rtf1 }";
    w.N3_2->trigger();
    EXPECT_EQ(Dialogs::openedFiles(), QStringList{pathToQString(program / "HELP.DOC")});
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty());
}

TEST_F(EmployeeCommandsTest, DocumentsMenuGetsOneItemPerTemplateOnce)
{
    add(schema::PechatTable, {{"NOM", "1"}, {"SHABLON", "Личная карточка"}, {"FAIL", "/t/a.rtf"}});
    add(schema::PechatTable, {{"NOM", "2"}, {"SHABLON", "Справка"}, {"FAIL", "/t/b.rtf"}});
    writeStandardConfig();
    TForm1 &w = start();
    std::vector<int> printed;
    FormLinks links;
    links.printTemplate = [&](int tag) { printed.push_back(tag); };
    w.setLinks(links);
    const int before = w.N5->actions().size();
    w.N5Show();
    w.N5Show();
    const auto actions = w.N5->actions();
    ASSERT_EQ(actions.size(), before + 2);
    EXPECT_EQ(actions[before]->text().remove(QLatin1Char('&')), u("Личная карточка"));
    EXPECT_EQ(actions[before + 1]->data().toInt(), 2);
    actions[before + 1]->trigger();
    EXPECT_EQ(printed, std::vector<int>{2});
}

TEST_F(EmployeeCommandsTest, MenuHoldsEveryItemWithHiddenOnesHidden)
{
    writeStandardConfig();
    TForm1 &w = start();
    EXPECT_EQ(w.N1->accessibleName(), u("Перечень"));
    EXPECT_FALSE(w.N6_2->isVisible());
    EXPECT_FALSE(w.N6_3->isVisible());
    EXPECT_FALSE(w.N2_6->isVisible());
    EXPECT_FALSE(w.N2_2->isVisible());
    EXPECT_TRUE(w.N1_8->isVisible());
    // Tool-bar buttons share the menu's actions.
    EXPECT_EQ(w.SpeedButton8->defaultAction(), w.N1_4);
    EXPECT_EQ(w.SpeedButton10->defaultAction(), w.N5_1);
}

} // namespace
} // namespace veltor::test
