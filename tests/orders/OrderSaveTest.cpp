// Saving an order through the form: the journal, the detail tables, the history record and the
// main record, read back from disk by an independent dBASE reader; saving again; and saves
// that fail part-way leaving every table as it was.
#include "OrdersFixture.h"
#include "storage/TableCommit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace veltor::test {
namespace {

// A table file as python3-dbfread reads it: field name -> value per record.
std::vector<std::map<std::string, std::string>> dbfread(const std::filesystem::path &file)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(DBFREAD_DUMP), pathToQString(file)});
    std::vector<std::map<std::string, std::string>> records;
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "dbfread failed: " << p.readAllStandardError().toStdString();
        return records;
    }
    const QJsonObject table = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    const QJsonArray fields = table["fields"].toArray();
    for (const QJsonValue &r : table["records"].toArray()) {
        std::map<std::string, std::string> record;
        const QJsonArray values = r.toArray();
        for (int i = 0; i < fields.size(); ++i)
            record[fields[i].toArray()[0].toString().toStdString()] = values[i].toString().trimmed().toStdString();
        records.push_back(record);
    }
    return records;
}

bool dbfreadAvailable()
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import dbfread")});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class OrderSave : public OrdersFixture {
protected:
    void fillHire(const char *number, const char *salary)
    {
        f().DokumEdit1->setText(QString::fromUtf8(number));
        setPickerDate(*f().DokumData, {2024, 3, 1});
        setPickerDate(*f().DokumDataNach, {2024, 3, 4});
        f().DokumEdit2->setText(QString::fromUtf8("Заявление"));
        choose(f().DokumComboOtdel, 1);
        choose(f().DokumComboDolzh, 1);
        f().DokumEdit3->setText(QString::fromUtf8(salary));
        f().DokumEdit12->setText(QStringLiteral("41"));
        setPickerDate(*f().DokumDataDog, {2024, 3, 1});
        f().DokumOsnMestRab->setChecked(true);
    }
};

TEST_F(OrderSave, HireTransferAndDismissalWriteJournalDetailsHistoryAndMainRecord)
{
    if (!dbfreadAvailable())
        GTEST_SKIP() << "python3 with dbfread (python3-dbfread) not found";
    addEmployee(1, "Иванов Иван Иванович");
    addEmployee(2, "Петрова Анна Сергеевна", {{"OTDEL", "1"}, {"DOLZH", "1"}, {"OKLAD", "5000"}});
    addHistory(2, 4, {{"D_POST", "15.05.2015"}});
    start();

    // A hire for an employee without history; the end date picked, then unticked.
    newOrder(Hire, 1);
    fillHire("7", "30000");
    f().DokumCheckBoxKonca->click();
    setPickerDate(*f().DokumDataKonc, {2024, 12, 31});
    f().DokumCheckBoxKonca->click();
    f().DokumEdit4->setText(QString::fromUtf8("испытательный срок"));
    f().DokumButOK->click();
    EXPECT_FALSE(orders->isVisible());

    // A transfer of the employee with history, then her dismissal.
    newOrder(Transfer, 2);
    const int transferId = orders->currentOrderId();
    fillHire("1", "6500");
    f().DokumCheckBoxKonca->click();
    setPickerDate(*f().DokumDataKonc, {2024, 6, 30});
    f().DokumButOK->click();
    newOrder(Dismissal, 2);
    f().DokumEdit1->setText(QStringLiteral("3"));
    setPickerDate(*f().DokumDataNach, {2024, 8, 9});
    f().DokumUvolRadio2->setChecked(true);
    f().DokumEdit5->setText(QStringLiteral("4"));
    f().DokumEdit6->setText(QStringLiteral("14"));
    f().DokumEdit4->setText(QString::fromUtf8("по собственному желанию"));
    f().DokumButOK->click();
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));

    const auto zhur = dbfread(file(schema::ZhurDokTable));
    ASSERT_EQ(zhur.size(), 3u);
    EXPECT_EQ(zhur[0].at("ID_DOK"), "1");
    EXPECT_EQ(zhur[0].at("TIP_DOK"), "1");
    EXPECT_EQ(zhur[0].at("NOM_DOK"), "7");
    EXPECT_EQ(zhur[0].at("DATA_DOK"), "01.03.2024");
    EXPECT_EQ(zhur[0].at("KOD"), "1");
    EXPECT_EQ(zhur[0].at("OSNOVAN"), "Заявление");
    EXPECT_EQ(zhur[0].at("D_NACH"), "04.03.2024");
    EXPECT_EQ(zhur[0].at("D_KONC"), "") << "the end date is stored only while its box is ticked";
    EXPECT_EQ(zhur[1].at("ID_DOK"), std::to_string(transferId));
    EXPECT_EQ(zhur[1].at("TIP_DOK"), "3");
    EXPECT_EQ(zhur[1].at("D_KONC"), "30.06.2024");
    EXPECT_EQ(zhur[2].at("TIP_DOK"), "2");

    const auto priem = dbfread(file(schema::PriemTable));
    ASSERT_EQ(priem.size(), 2u);
    EXPECT_EQ(priem[0].at("KOD"), "1");
    EXPECT_EQ(priem[0].at("OTDEL"), "2");
    EXPECT_EQ(priem[0].at("DOLZH"), "2");
    EXPECT_EQ(priem[0].at("VID_RAB"), "0");
    EXPECT_EQ(priem[0].at("OKLAD"), "30000");
    EXPECT_EQ(priem[0].at("KOMENT"), "испытательный срок");
    for (const char *zero : {"GRAFIK", "HARAKT", "REZHIM"})
        EXPECT_EQ(priem[0].at(zero), "0") << zero;
    const auto uvol = dbfread(file(schema::UvolTable));
    ASSERT_EQ(uvol.size(), 1u);
    EXPECT_EQ(uvol[0].at("KOM_UDR"), "2");
    EXPECT_EQ(uvol[0].at("DN_KOM"), "4");
    EXPECT_EQ(uvol[0].at("DN_POS"), "14");

    const auto trud = dbfread(file(schema::TrudTable));
    ASSERT_EQ(trud.size(), 4u);
    const auto &hire = trud[1];
    EXPECT_EQ(hire.at("KOD"), "1");
    EXPECT_EQ(hire.at("N_IZM"), "1");
    EXPECT_EQ(hire.at("D_IZM"), "01.03.2024");
    EXPECT_EQ(hire.at("D_POST"), "04.03.2024");
    EXPECT_EQ(hire.at("OKLAD"), "30000");
    EXPECT_EQ(hire.at("NOM_DOG"), "41");
    EXPECT_EQ(hire.at("D_DOG"), "01.03.2024");
    EXPECT_EQ(hire.at("ID_DOK"), "1");
    const auto &transfer = trud[2];
    EXPECT_EQ(transfer.at("N_IZM"), "5");
    EXPECT_EQ(transfer.at("D_POST"), "15.05.2015") << "a transfer keeps the date the employee joined";
    EXPECT_EQ(transfer.at("OTDEL"), "2");
    EXPECT_EQ(transfer.at("OKLAD"), "6500");
    const auto &dismissal = trud[3];
    EXPECT_EQ(dismissal.at("N_IZM"), "6");
    for (const char *copied : {"OTDEL", "DOLZH", "OKLAD", "D_DOG", "NOM_DOG", "D_PRIL", "NOM_PRIL", "VID_RAB", "D_POST"})
        EXPECT_EQ(dismissal.at(copied), transfer.at(copied)) << copied;
    EXPECT_EQ(dismissal.at("D_UVOL"), "09.08.2024");
    EXPECT_EQ(dismissal.at("PR_UVOL"), "по собственному желанию");
    EXPECT_EQ(trud[0].at("N_IZM"), "4");
    EXPECT_EQ(trud[0].at("OKLAD"), "5000") << "the previous history record changed";

    const auto osnova = dbfread(file(schema::OsnovaTable));
    EXPECT_EQ(osnova[0].at("OTDEL"), "2");
    EXPECT_EQ(osnova[0].at("OKLAD"), "30000");
    EXPECT_EQ(osnova[0].at("UVOLEN"), "");
    EXPECT_EQ(osnova[1].at("OKLAD"), "6500");
    EXPECT_EQ(osnova[1].at("UVOLEN"), "1");
}

TEST_F(OrderSave, SavingAStoredOrderAgainOverwritesItsRecordsAndAddsNone)
{
    addEmployee(1, "Иванов Иван Иванович");
    addHistory(1, 1);
    start();
    newOrder(SalaryChange, 1);
    fillHire("2", "7000");
    // Printing saves first; "O K" then saves the same order again.
    Dialogs::queueAnswer(true);
    f().DokumButPech->click(); // no template folder: the printing fails after the save
    const int id = orders->currentOrderId();
    EXPECT_FALSE(f().DokumComboTipOper->isEnabled()) << "a saved order cannot change kind";
    f().DokumEdit3->setText(QStringLiteral("7500"));
    setPickerDate(*f().DokumData, {2024, 4, 2});
    f().DokumButOK->click();

    // Opened again from the journal and saved once more.
    form->N6_4->trigger();
    orders->ZhurPanel->ZhurGrid->setRow(1);
    orders->ZhurGridDblClick();
    EXPECT_EQ(orders->currentOrderId(), id);
    EXPECT_EQ(utf8(f().DokumEdit3->text()), "7500");
    f().DokumEdit2->setText(QString::fromUtf8("Приказ директора"));
    f().DokumButOK->click();

    const LoadedTable zhur = disk(schema::ZhurDokTable), priem = disk(schema::PriemTable), trud = disk(schema::TrudTable);
    ASSERT_EQ(zhur.Header.RecordCount, 1);
    ASSERT_EQ(priem.Header.RecordCount, 1);
    ASSERT_EQ(trud.Header.RecordCount, 2);
    EXPECT_EQ(field(zhur, 1, "OSNOVAN"), "Приказ директора");
    EXPECT_EQ(field(zhur, 1, "DATA_DOK"), "02.04.2024");
    EXPECT_EQ(field(priem, 1, "OKLAD"), "7500");
    EXPECT_EQ(field(trud, 2, "OKLAD"), "7500");
    EXPECT_EQ(field(trud, 2, "N_IZM"), "2");
    EXPECT_EQ(field(trud, 2, "D_IZM"), "01.03.2024") << "the date of the change is the first save's";
    EXPECT_EQ(field(trud, 2, "D_POST"), "01.02.2020");
}

TEST_F(OrderSave, VacationAndBusinessTripLeaveHistoryAndMainRecordAsTheyWere)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "5000"}, {"OTDEL", "1"}});
    addHistory(1, 1);
    start();
    const LoadedTable trudBefore = disk(schema::TrudTable), osnovaBefore = disk(schema::OsnovaTable);

    newOrder(Vacation, 1);
    choose(f().DokumComboVidOtp, 1);
    choose(f().DokumComboRaschOsn, 2);
    f().DokumEdit7->setText(QStringLiteral("28"));
    f().DokumEdit8->setText(QStringLiteral("3"));
    setPickerDate(*f().DokumData1, {2023, 1, 1});
    setPickerDate(*f().DokumData2, {2023, 12, 31});
    f().DokumButOK->click();
    newOrder(BusinessTrip, 1);
    f().DokumEdit9->setText(QString::fromUtf8("Казань"));
    f().DokumEdit10->setText(QString::fromUtf8("ООО \"Волга\""));
    f().DokumEdit11->setText(QString::fromUtf8("переговоры"));
    f().DokumButOK->click();
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));

    EXPECT_EQ(disk(schema::TrudTable).Data, trudBefore.Data);
    EXPECT_EQ(disk(schema::OsnovaTable).Data, osnovaBefore.Data);
    EXPECT_EQ(state->Trud.Data, trudBefore.Data);
    const LoadedTable otpusk = disk(schema::OtpuskTable), komand = disk(schema::KomandTable);
    ASSERT_EQ(otpusk.Header.RecordCount, 1);
    EXPECT_EQ(field(otpusk, 1, "VID_OTP"), "2");
    EXPECT_EQ(field(otpusk, 1, "OSN_RAS"), "3");
    EXPECT_EQ(field(otpusk, 1, "OTP_OSN"), "28");
    EXPECT_EQ(field(otpusk, 1, "RAB_DO"), "31.12.2023");
    ASSERT_EQ(komand.Header.RecordCount, 1);
    EXPECT_EQ(field(komand, 1, "ID_DOK"), "2");
    EXPECT_EQ(field(komand, 1, "KUDA"), "Казань");
    EXPECT_EQ(field(komand, 1, "ORGAN"), "ООО \"Волга\"");
    EXPECT_EQ(disk(schema::ZhurDokTable).Header.RecordCount, 2);
}

// A save that cannot be completed changes nothing, in memory or on disk. It used to leave the
// journal and detail records it had set up in memory, where the next save wrote them.
TEST_F(OrderSave, ASaveThatFailsPartWayChangesNothing)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "5000"}});
    addHistory(1, 0, {{"N_IZM", "2б"}});
    start();
    const std::string zhurBytes = bytesOf(schema::ZhurDokTable), priemBytes = bytesOf(schema::PriemTable),
                      trudBytes = bytesOf(schema::TrudTable), osnovaBytes = bytesOf(schema::OsnovaTable);
    const std::string trudData = state->Trud.Data, osnovaData = state->Osnova.Data;
    newOrder(Transfer, 1);
    fillHire("1", "9000");
    f().DokumButOK->click();
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_NE(utf8(Dialogs::shownMessages()[0]).find("2б"), std::string::npos);
    EXPECT_TRUE(orders->isVisible()) << "a failed save closed the window";
    EXPECT_EQ(orders->book().ZhurDok.Header.RecordCount, 0);
    EXPECT_EQ(orders->book().Priem.Header.RecordCount, 0);
    EXPECT_EQ(state->Trud.Data, trudData);
    EXPECT_EQ(state->Osnova.Data, osnovaData);
    EXPECT_EQ(bytesOf(schema::ZhurDokTable), zhurBytes);
    EXPECT_EQ(bytesOf(schema::PriemTable), priemBytes);
    EXPECT_EQ(bytesOf(schema::TrudTable), trudBytes);
    EXPECT_EQ(bytesOf(schema::OsnovaTable), osnovaBytes);
}

// A table that cannot be written leaves every table of the save whole on disk: the journal used
// to be written already when the main table failed.
TEST_F(OrderSave, AFailingWriteLeavesEveryTableAsItWas)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "5000"}});
    start();
    std::map<std::string_view, std::string> before;
    for (std::string_view t : {schema::ZhurDokTable, schema::PriemTable, schema::TrudTable, schema::OsnovaTable})
        before[t] = bytesOf(t);
    newOrder(Hire, 1);
    fillHire("1", "9000");
    // The main table, written after the journal and the history, cannot be written.
    setCommitStepHook([](const std::filesystem::path &file) {
        if (file.filename() == "osnova.dbf")
            throw std::runtime_error("No space left on device");
    });
    f().DokumButOK->click();
    setCommitStepHook({});
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].contains(QString::fromUtf8("«") + pathToQString(database / "osnova.dbf")
                                                     + QString::fromUtf8("»")))
        << Dialogs::shownMessages()[0].toStdString();
    for (const auto &[t, bytes] : before)
        EXPECT_EQ(bytesOf(t), bytes) << t;
    EXPECT_EQ(orders->book().ZhurDok.Header.RecordCount, 0);
    EXPECT_EQ(state->Trud.Header.RecordCount, 0);
    for (const auto &entry : std::filesystem::directory_iterator(database))
        EXPECT_NE(entry.path().extension(), ".journal") << entry.path() << " left behind";

    // Once the obstacle is gone the same order saves.
    f().DokumButOK->click();
    EXPECT_EQ(disk(schema::ZhurDokTable).Header.RecordCount, 1);
    EXPECT_EQ(field(disk(schema::OsnovaTable), 1, "OKLAD"), "9000");
}

// The window is modeless: an employee removed by another window after the list was filled must
// not make the order land on whoever now holds that record.
TEST_F(OrderSave, TheOrderGoesToTheChosenEmployeeEvenAfterAnotherWindowDeletedOne)
{
    addEmployee(1, "Иванов Иван Иванович");
    addEmployee(2, "Петрова Анна Сергеевна");
    addEmployee(3, "Сидоров Пётр");
    start();
    newOrder(SalaryChange, 3);
    fillHire("1", "8800");
    DeleteRecord(state->Osnova, 1);
    f().DokumButOK->click();
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));
    const LoadedTable osnova = disk(schema::OsnovaTable);
    ASSERT_EQ(osnova.Header.RecordCount, 2);
    EXPECT_EQ(field(osnova, 2, "KOD"), "3");
    EXPECT_EQ(field(osnova, 2, "OKLAD"), "8800");
    EXPECT_EQ(field(osnova, 1, "OKLAD"), "");
    EXPECT_EQ(field(disk(schema::ZhurDokTable), 1, "KOD"), "3");
}

} // namespace
} // namespace veltor::test
