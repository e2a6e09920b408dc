// The warnings of a card save: they never refuse, and saving anyway stores exactly what the
// save stores without them.
#include "CardFixture.h"

#include "card/CardLogic.h"
#include "card/MainPage.h"

#include <QLineEdit>

namespace veltor::test {
namespace {

const std::string_view CardTables[] = {schema::OsnovaTable, schema::SemjaTable,  schema::PassportTable,
                                       schema::ObrazTable,  schema::TrudTable,   schema::VoenTable,
                                       schema::DopolnTable};

class CardDataChecks : public CardFixture {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        addEmployee(1, "Иванов Иван Иванович", {{"INN", "500100732259"}, {"OKLAD", "5000"}});
        addHistory(1, 1);
        pristine = root / "pristine";
        std::filesystem::copy(database, pristine);
    }

    std::map<std::string, std::string> tableBytes() const
    {
        std::map<std::string, std::string> bytes;
        for (std::string_view t : CardTables)
            bytes[std::string(t)] = bytesOf(t);
        return bytes;
    }

    std::filesystem::path pristine;
};

TEST_F(CardDataChecks, GoingBackWritesNothingAndKeepsTheCardOpen)
{
    const auto before = tableBytes();
    start();
    open(1);
    card->OsnovnList->Edit12->setText("500100732258");
    Dialogs::queueAnswer(false);
    save();
    ASSERT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_TRUE(Dialogs::askedQuestions()[0].startsWith(
        QString::fromUtf8("Проверьте данные:\n— ИНН «500100732258»")))
        << Dialogs::askedQuestions()[0].toStdString();
    EXPECT_FALSE(card->isHidden());
    EXPECT_EQ(tableBytes(), before);
}

TEST_F(CardDataChecks, SavingAnywayStoresWhatTheSaveWithoutChecksStores)
{
    start();
    open(1);
    card->OsnovnList->Edit12->setText("500100732258");
    Dialogs::queueAnswer(true);
    save();
    ASSERT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_TRUE(card->isHidden());
    const auto saved = tableBytes();
    EXPECT_EQ(field(disk(schema::OsnovaTable), 1, "INN"), "500100732258");

    // The same change stored by the save's own logic, on the same tables as they were.
    for (const auto &entry : std::filesystem::directory_iterator(pristine))
        std::filesystem::copy_file(entry.path(), database / entry.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    AppState plain;
    plain.ProgramFolder = program;
    plain.MainTablePath = pathToCp1251(database / "osnova.dbf");
    plain.Konstanty = ReadTable(file(schema::KonstantyTable));
    plain.ExtraParamCount = extraParamCount(plain.Konstanty);
    loadPersonnelTables(plain);
    CardSaveInput input;
    input.values = loadCardValues(plain, cardRecordsOfCode(plain, "1"), today());
    input.values.inn = "500100732258";
    input.changeDate = Date{2024, 3, 15};
    storeCard(plain, "1", input);
    writeCardTables(plain, "1");
    EXPECT_EQ(saved, tableBytes());
}

TEST_F(CardDataChecks, ValidDataAsksNothing)
{
    start();
    open(1);
    card->OsnovnList->Edit12->setText("500100732259");
    save();
    EXPECT_EQ(Dialogs::askedQuestions(), QStringList());
    EXPECT_TRUE(card->isHidden());
}

} // namespace
} // namespace veltor::test
