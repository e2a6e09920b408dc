// The orders window beside the others: an order given another employee takes all its records to
// him, the main record follows only the employee's latest order, typed orders are not dropped
// unasked, a save built on an employee changed meanwhile is refused, and the window forgets the
// tables of a database it no longer shows.
#include "OrdersFixture.h"
#include "support/DbfRead.h"
#include "records/Commit.h"

#include <QKeyEvent>

namespace veltor::test {
namespace {

class OrderRecords : public OrdersFixture {
protected:
    // Fills what a salary-changing order needs besides its kind and employee.
    void fillSalary(const char *number, const char *salary)
    {
        f().DokumEdit1->setText(QString::fromUtf8(number));
        setPickerDate(*f().DokumData, {2024, 3, 1});
        choose(f().DokumComboOtdel, 1);
        choose(f().DokumComboDolzh, 1);
        f().DokumEdit3->setText(QString::fromUtf8(salary));
    }

    void openFromJournal(int row)
    {
        form->N6_4->trigger();
        orders->ZhurPanel->ZhurGrid->setRow(row);
        orders->ZhurGridDblClick();
    }

    static std::vector<std::string> column(const std::filesystem::path &file, const char *name)
    {
        return dbfColumn(dbfread(file), name);
    }

    bool noMessages() const { return Dialogs::shownMessages().isEmpty(); }
};

using Strings = std::vector<std::string>;

// A dismissal saved for the wrong employee, then corrected: the journal and uvol.dbf used to
// move while the history record stayed with the first employee, and both ended up dismissed.
TEST_F(OrderRecords, AnotherEmployeeOnAStoredOrderTakesAllItsRecords)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "1"}, {"OKLAD", "5000"}, {"UVOLEN", "0"}});
    addEmployee(2, "Петрова Анна Сергеевна", {{"OTDEL", "2"}, {"OKLAD", "6000"}, {"UVOLEN", "0"}});
    addHistory(1, 1);
    addHistory(2, 3, {{"OTDEL", "2"}, {"OKLAD", "6000"}});
    start();
    newOrder(Dismissal, 1);
    f().DokumEdit4->setText(QString::fromUtf8("по собственному желанию"));
    f().DokumButOK->click();
    ASSERT_EQ(column(file(schema::OsnovaTable), "UVOLEN"), (Strings{"1", "0"}));

    openFromJournal(1);
    chooseEmployee(2);
    f().DokumButOK->click();
    EXPECT_TRUE(noMessages()) << utf8(Dialogs::shownMessages().join("\n"));

    EXPECT_EQ(column(file(schema::ZhurDokTable), "KOD"), (Strings{"2"}));
    EXPECT_EQ(column(file(schema::UvolTable), "KOD"), (Strings{"2"}));
    const QJsonObject trud = dbfread(file(schema::TrudTable));
    EXPECT_EQ(dbfColumn(trud, "KOD"), (Strings{"1", "2", "2"}));
    EXPECT_EQ(dbfColumn(trud, "ID_DOK"), (Strings{"", "", "1"}));
    EXPECT_EQ(dbfColumn(trud, "N_IZM"), (Strings{"1", "3", "4"}));
    EXPECT_EQ(dbfColumn(trud, "OKLAD")[2], "6000") << "the dismissal copies the new employee's last record";
    EXPECT_EQ(dbfColumn(trud, "PR_UVOL")[2], "по собственному желанию");
    EXPECT_EQ(column(file(schema::OsnovaTable), "UVOLEN"), (Strings{"0", "1"})) << "the first employee works again";
}

// An older order saved again used to roll the employee's salary back to that order's; a hire
// of a dismissed employee left him dismissed.
TEST_F(OrderRecords, TheMainRecordFollowsOnlyTheLatestOrderAndAHireReinstates)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "5000"}});
    addEmployee(2, "Петрова Анна Сергеевна", {{"UVOLEN", "1"}});
    addHistory(1, 1);
    addHistory(2, 1, {{"D_UVOL", "01.06.2022"}});
    start();
    newOrder(SalaryChange, 1);
    fillSalary("1", "7000");
    f().DokumButOK->click();
    newOrder(SalaryChange, 1);
    fillSalary("2", "8000");
    f().DokumButOK->click();
    openFromJournal(1);
    f().DokumEdit2->setText(QString::fromUtf8("Приказ директора"));
    f().DokumButOK->click();

    newOrder(Hire, 2);
    fillSalary("1", "9000");
    f().DokumButOK->click();
    EXPECT_TRUE(noMessages()) << utf8(Dialogs::shownMessages().join("\n"));

    EXPECT_EQ(column(file(schema::ZhurDokTable), "OSNOVAN"), (Strings{"Приказ директора", "", ""}));
    EXPECT_EQ(column(file(schema::TrudTable), "OKLAD"), (Strings{"5000", "5000", "7000", "8000", "9000"}));
    const QJsonObject osnova = dbfread(file(schema::OsnovaTable));
    EXPECT_EQ(dbfColumn(osnova, "OKLAD"), (Strings{"8000", "9000"}));
    EXPECT_EQ(dbfColumn(osnova, "UVOLEN"), (Strings{"", "0"}));
}

// Closing, Esc and a new order over a typed one ask; each answer does what it says.
TEST_F(OrderRecords, LeavingATypedOrderAsksToSaveIt)
{
    using Choice = Dialogs::SaveChoice;
    struct Case {
        const char *how;
        Choice answer;
        bool stored, formShown;
    };
    const Case cases[] = {
        {"close", Choice::Save, true, false},
        {"Esc", Choice::Drop, false, false},
        {"new order", Choice::Cancel, false, true},
    };
    addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "5000"}});
    start();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        newOrder(SalaryChange, 1);
        fillSalary("4", "7100");
        const std::string journal = bytesOf(schema::ZhurDokTable);
        Dialogs::clearRecorded();
        Dialogs::queueSaveChoice(c.answer);
        if (std::string_view(c.how) == "close") {
            orders->close();
        } else if (std::string_view(c.how) == "Esc") {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(orders.get(), &esc);
        } else {
            form->N6_1->trigger();
        }
        ASSERT_EQ(Dialogs::askedQuestions().size(), 1);
        EXPECT_TRUE(Dialogs::askedQuestions()[0].contains(QString::fromUtf8("Сохранить изменения?")));
        EXPECT_EQ(bytesOf(schema::ZhurDokTable) != journal, c.stored);
        EXPECT_EQ(orders->isVisible(), c.formShown);
        if (c.formShown) {
            EXPECT_EQ(utf8(f().DokumEdit3->text()), "7100") << "the typed order was dropped";
        }
        // Nothing typed since: leaving asks nothing.
        f().DokumButOtmen->click();
    }
    EXPECT_EQ(column(file(schema::ZhurDokTable), "NOM_DOK"), (Strings{"4"}));
    EXPECT_EQ(column(file(schema::OsnovaTable), "OKLAD"), (Strings{"7100"}));
}

// An order typed while another window saves its employee is refused, nothing written; the
// clerk may then see the employee as he is now. An untouched form follows such saves itself.
TEST_F(OrderRecords, AnOrderOnAnEmployeeChangedMeanwhileIsRefused)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "5000"}});
    start();
    auto otherWindowSetsSalary = [this](const char *salary) {
        SaveSet save(*state, "карточка сотрудника Иванов Иван Иванович");
        save.add(state->Osnova);
        SetField(state->Osnova, 1, schema::OKLAD, salary);
        save.commit();
    };
    orders->openOrderFor(SalaryChange + 1, "1");
    otherWindowSetsSalary("5500");
    EXPECT_EQ(utf8(f().DokumEdit3->text()), "5500") << "an untouched form shows the current salary";

    fillSalary("1", "7000");
    otherWindowSetsSalary("6000");
    const std::string journal = bytesOf(schema::ZhurDokTable), trud = bytesOf(schema::TrudTable);
    Dialogs::queueAnswer(true);
    f().DokumButOK->click();
    ASSERT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_TRUE(Dialogs::askedQuestions()[0].startsWith(
        QString::fromUtf8("После открытия приказа сохранено: карточка сотрудника Иванов Иван Иванович.")))
        << utf8(Dialogs::askedQuestions()[0]);
    EXPECT_EQ(bytesOf(schema::ZhurDokTable), journal);
    EXPECT_EQ(bytesOf(schema::TrudTable), trud);
    EXPECT_EQ(column(file(schema::OsnovaTable), "OKLAD"), (Strings{"6000"}));
    EXPECT_TRUE(orders->isVisible());
    EXPECT_EQ(utf8(f().DokumEdit3->text()), "6000");
    EXPECT_EQ(f().DokumComboTipOper->currentIndex(), SalaryChange);

    // Typed again on the current records, the order saves.
    f().DokumEdit3->setText(QStringLiteral("7000"));
    f().DokumButOK->click();
    EXPECT_EQ(column(file(schema::OsnovaTable), "OKLAD"), (Strings{"7000"}));
}

// The database switched while an order was typed: the order is settled in its own database,
// and the window's tables of the old one never reach the new one. The old save wrote the old
// journal's records into the new database's tables.
TEST_F(OrderRecords, ADatabaseSwitchSettlesTheOrderAndWritesNothingOfTheOldDatabase)
{
    const std::filesystem::path first = database, second = root / "second";
    std::filesystem::copy(first, second, std::filesystem::copy_options::recursive);
    addEmployee(1, "Иванов Иван Иванович");
    addJournal(1, Vacation, 5);
    database = second;
    addEmployee(1, "Сидоров Пётр Ильич");
    addJournal(1, BusinessTrip, 77);
    database = first;
    // Tables of the same size and time, as in a copy of the folder.
    for (std::string_view t : {schema::ZhurDokTable, schema::PriemTable, schema::UvolTable, schema::OtpuskTable,
                               schema::KomandTable})
        std::filesystem::last_write_time(resolveFileName(second, t),
                                         std::filesystem::last_write_time(resolveFileName(first, t)));
    start();
    newOrder(SalaryChange, 1);
    fillSalary("6", "9100");

    std::map<std::string_view, std::string> before;
    database = second;
    for (std::string_view t : {schema::ZhurDokTable, schema::PriemTable, schema::TrudTable, schema::OsnovaTable})
        before[t] = bytesOf(t);
    database = first;
    // What the main window does before it opens another database.
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Save);
    ASSERT_TRUE(state->Notifier->settleUnsavedWork());
    state->MainTablePath = pathToCp1251(second / "osnova.dbf");
    loadPersonnelTables(*state);
    announceReadAnew(*state, "открыта другая база данных");
    EXPECT_FALSE(orders->isVisible());
    f().DokumButOK->click();

    EXPECT_EQ(column(file(schema::ZhurDokTable), "NOM_DOK"), (Strings{"5", "6"})) << "saved where it was typed";
    EXPECT_EQ(column(file(schema::PriemTable), "OKLAD"), (Strings{"9100"}));
    database = second;
    for (const auto &[t, bytes] : before)
        EXPECT_EQ(bytesOf(t), bytes) << t;
}

} // namespace
} // namespace veltor::test
