#include "ServerFixture.h"

#include "app/Archive.h"
#include "card/CardLogic.h"
#include "listtools/StreamingEntry.h"
#include "orders/OrderLogic.h"
#include "records/Commit.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"

#include <QProcess>
#include <QSignalSpy>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

namespace veltor {
namespace {

std::string field(const LoadedTable &t, int record, std::string_view name)
{
    return GetField(t.Header, t.Data, record, FieldIndex(t.Header, name));
}

int recordOf(const LoadedTable &t, const std::string &code)
{
    return nomerstrokipokodu(t.Header, t.Data, std::stoi(code));
}

void loadProgramTables(AppState &state, const std::filesystem::path &program)
{
    state.Konstanty = ReadTable(program / "Konstanty");
    state.ExtraParamCount = extraParamCount(state.Konstanty);
}

// A salary change on the card, saved as the card's Save does.
void saveSalary(AppState &state, const std::string &code, const std::string &salary)
{
    CardSaveInput input;
    input.values = loadCardValues(state, cardRecordsOfCode(state, code), Date{2024, 3, 15});
    input.values.oklad = salary;
    input.changeDate = Date{2024, 3, 15};
    storeCard(state, code, input);
    writeCardTables(state, code);
}

void saveSalaryOrder(AppState &state, const std::string &code)
{
    OrderBook book = readOrderBook(state);
    const std::vector<HrKind> kinds = hrOrderKinds(state.TipDok);
    OrderInput in;
    in.kind = SalaryChange;
    in.kindName = kinds.at(SalaryChange).name;
    in.employeeRecord = recordOf(state.Osnova, code);
    in.employeeCode = code;
    in.number = "17";
    in.date = in.startDate = "01.03.2024";
    in.department = "2";
    in.position = "3";
    in.salary = "45000";
    in.mainPlace = true;
    sohraneniedokumenta(state, book, in, nextOrderId(book.ZhurDok));
}

void streamSalaries(AppState &state, const std::string &)
{
    const TColumnSetting salary{utf8ToCp1251("Оклад"), 60, "OKLAD", "1", "1"};
    applyStreamEntry(state, streamAttributeOf(state, salary), {{"2", "31000"}, {"5", "32000"}, {"9", "0"}},
                     Date{2006, 3, 1});
}

TEST_F(ServerTest, MigrationToTheServerAndBackKeepsEveryByte)
{
    const std::filesystem::path folder = generate("synthetic", 1000) / "database";
    PgStorage server(m_settings);
    int64_t last = 0, total = 0;
    const MigrationReport there = migrateToServer(folder / "osnova.dbf", server, [&](int64_t done, int64_t all) {
        EXPECT_GE(done, last);
        last = done;
        total = all;
    });
    EXPECT_EQ(there.tables.size(), 15u);
    EXPECT_EQ(last, total);
    EXPECT_EQ(there.records, total);

    const MigrationReport back = exportToFolder(server, m_root / "back");
    EXPECT_EQ(back.records, there.records);
    const auto original = folderBytes(folder);
    const auto exported = folderBytes(m_root / "back");
    ASSERT_EQ(exported.size(), original.size());
    for (const auto &[name, bytes] : original)
        EXPECT_TRUE(exported.count(name) && exported.at(name) == bytes) << name << " differs after the round trip";

    // Nothing is migrated over a database already in use, nor exported over tables.
    try {
        migrateToServer(folder / "osnova.dbf", server);
        FAIL() << "a second migration was accepted";
    } catch (const FileError &e) {
        EXPECT_NE(std::string(e.what()).find("не пуста"), std::string::npos) << e.what();
    }
    EXPECT_THROW(exportToFolder(server, m_root / "back"), FileError);
    EXPECT_EQ(folderBytes(m_root / "back"), exported);
}

// Each save path run on a folder database and on the same database moved to the server: what
// the server then holds, written out, is what the folder's files hold.
TEST_F(ServerTest, SavesWriteTheSameRecordsAsTheFolder)
{
    const std::pair<const char *, std::function<void(AppState &, const std::string &)>> saves[] = {
        {"card", [](AppState &s, const std::string &code) { saveSalary(s, code, "41000"); }},
        {"order", saveSalaryOrder},
        {"streaming entry", streamSalaries},
        {"deletion", [](AppState &s, const std::string &code) {
             removeEmployeeRecords(s, code);
             writeTablesAfterDeletion(s);
         }},
    };
    int round = 0;
    for (const auto &[name, save] : saves) {
        SCOPED_TRACE(name);
        const std::filesystem::path root = generate("folder" + std::to_string(++round), 30);
        admin("DROP DATABASE " + m_settings.database + " WITH (FORCE)");
        admin("CREATE DATABASE " + m_settings.database + " TEMPLATE template0 ENCODING 'UTF8'");
        {
            PgStorage server(m_settings);
            migrateToServer(root / "database" / "osnova.dbf", server);
        }
        auto folder = openFolder(root / "database");
        loadProgramTables(*folder, root / "program");
        auto server = openServer();
        loadProgramTables(*server, root / "program");
        const auto pristine = folderBytes(root / "database");
        save(*folder, "4");
        save(*server, "4");
        for (const LoadedTable *t : {&server->Osnova, &server->Trud, &server->Passport, &server->Dopoln})
            EXPECT_FALSE(HasChanges(*t));

        PgStorage reader(m_settings);
        exportToFolder(reader, root / "exported");
        const auto expected = folderBytes(root / "database");
        EXPECT_NE(expected, pristine) << "the save changed nothing";
        const auto exported = folderBytes(root / "exported");
        for (const auto &[file, bytes] : expected)
            EXPECT_TRUE(exported.count(file) && exported.at(file) == bytes) << file << " differs";
    }
}

class TwoProgramsTest : public ServerTest {
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (IsSkipped())
            return;
        m_program = generate("shared", 20) / "program";
        PgStorage server(m_settings);
        migrateToServer(m_program.parent_path() / "database" / "osnova.dbf", server);
        first = openServer();
        second = openServer();
        loadProgramTables(*first, m_program);
        loadProgramTables(*second, m_program);
    }
    std::filesystem::path m_program;
    std::unique_ptr<AppState> first, second;
};

TEST_F(TwoProgramsTest, SavesOfDifferentEmployeesAreBothKept)
{
    QSignalSpy heard(second->Notifier.get(), &ChangeNotifier::committed);
    const int history = first->Trud.Header.RecordCount;
    saveSalary(*first, "3", "51000");
    // The second program has not heard of the first save yet.
    saveSalary(*second, "7", "57000");
    // The first save's notice came in with the answers to the second save; it is still heard.
    ASSERT_TRUE(heard.count() >= 2 || heard.wait(10000));
    EXPECT_EQ(heard.at(1).at(0).value<RecordChange>().codes, std::set<int32_t>{3});
    EXPECT_EQ(field(second->Osnova, recordOf(second->Osnova, "3"), schema::OKLAD), "51000");
    auto third = openServer();
    EXPECT_EQ(field(third->Osnova, recordOf(third->Osnova, "3"), schema::OKLAD), "51000");
    EXPECT_EQ(field(third->Osnova, recordOf(third->Osnova, "7"), schema::OKLAD), "57000");
    EXPECT_EQ(third->Trud.Header.RecordCount, history + 2);
    EXPECT_EQ(second->Trud.Data, third->Trud.Data);
}

TEST_F(TwoProgramsTest, AStaleSaveOfTheSameEmployeeIsRefusedAndNothingIsLost)
{
    saveSalary(*first, "3", "51000");
    const int history = first->Trud.Header.RecordCount;
    try {
        saveSalary(*second, "3", "53000");
        FAIL() << "the stale save was accepted";
    } catch (const StaleRecords &e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("После того как данные были показаны, сохранено: карточка"), std::string::npos) << text;
        EXPECT_NE(text.find("Ничего не записано"), std::string::npos) << text;
    }
    auto third = openServer();
    EXPECT_EQ(field(third->Osnova, recordOf(third->Osnova, "3"), schema::OKLAD), "51000");
    EXPECT_EQ(third->Trud.Header.RecordCount, history);
    // The refused program was brought up to date: saving again now works.
    EXPECT_EQ(field(second->Osnova, recordOf(second->Osnova, "3"), schema::OKLAD), "51000");
    saveSalary(*second, "3", "53000");
    auto fourth = openServer();
    EXPECT_EQ(field(fourth->Osnova, recordOf(fourth->Osnova, "3"), schema::OKLAD), "53000");
}

TEST_F(TwoProgramsTest, TheOtherProgramHearsOfACommitAndRereadsIt)
{
    QSignalSpy heard(second->Notifier.get(), &ChangeNotifier::committed);
    saveSalary(*first, "5", "55000");
    ASSERT_TRUE(heard.wait(10000));
    const auto change = heard.at(0).at(0).value<RecordChange>();
    EXPECT_EQ(change.codes, std::set<int32_t>{5});
    EXPECT_EQ(field(second->Osnova, recordOf(second->Osnova, "5"), schema::OKLAD), "55000");
    EXPECT_EQ(second->Trud.Data, first->Trud.Data);
    // A window that read the employee before the commit now holds older versions.
    EXPECT_FALSE(second->Versions.changedSince(VersionStamp{{}, {{5, 0}}}).empty());
}

TEST_F(TwoProgramsTest, EmployeeCodesComeFromOneSequenceAndAreNeverGivenTwice)
{
    std::set<int32_t> given;
    for (int i = 0; i < 3; ++i) {
        given.insert(first->storage().newEmployeeCode(21));
        given.insert(second->storage().newEmployeeCode(21));
    }
    EXPECT_EQ(given.size(), 6u);
    EXPECT_GT(*given.begin(), 20); // above every code the folder had
    EXPECT_GE(first->storage().newEmployeeCode(500), 500);
    EXPECT_GT(second->storage().newEmployeeCode(21), 500);
}

TEST_F(TwoProgramsTest, ACommitThatFailsPartWayLeavesTheServerAsItWas)
{
    const std::string before = first->Osnova.Data;
    const std::string history = first->Trud.Data;
    SetField(first->Trud, 1, schema::OKLAD, "99999");
    // No character: refused when the second table is written, after the first one was.
    SetField(first->Osnova, 2, schema::FIO, std::string("\x98"));
    SaveSet save(*first, "проверка");
    save.add(first->Trud).add(first->Osnova);
    EXPECT_THROW(save.commit(), FileError);
    auto third = openServer();
    EXPECT_EQ(third->Osnova.Data, before);
    EXPECT_EQ(third->Trud.Data, history);
}

// Texts written by other software may hold characters of any length in UTF-8, some of which
// CP1251 lacks: each reads as the conversion of the whole text gives it.
TEST_F(TwoProgramsTest, TextsWrittenByOtherSoftwareReadAsTheirCp1251)
{
    const std::string text = "Ёлкин № ā€😀 x";
    const std::string sql = "UPDATE osnova SET fio = '" + text + "' WHERE veltor_pos = (SELECT min(veltor_pos) FROM osnova)";
    PGresult *r = PQexec(static_cast<PgStorage &>(first->storage()).connection(), sql.c_str());
    ASSERT_EQ(PQresultStatus(r), PGRES_COMMAND_OK);
    PQclear(r);
    const auto third = openServer();
    const std::string stored = GetField(third->Osnova.Header, third->Osnova.Data, 1, FieldIndex(third->Osnova.Header, schema::FIO));
    std::string expected = utf8ToCp1251(text);
    expected.resize(stored.size(), ' ');
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(third->Osnova.Data.substr(third->Osnova.Header.RecordLength), first->Osnova.Data.substr(first->Osnova.Header.RecordLength));
}

// Start-up asks the server for an order table's highest code instead of reading the table:
// the answer is what reading it whole gives, whatever the codes hold.
TEST_F(TwoProgramsTest, TheHighestCodeOfAnOrderTableIsWhatReadingItWholeGives)
{
    PgStorage &storage = static_cast<PgStorage &>(first->storage());
    const std::pair<std::vector<std::string>, int32_t> cases[] = {
        {{}, 0},
        {{"3", "17", "0009"}, 17},
        {{" 12 ", "", "abc", "-40", "12\t", "ф99"}, 12},
        {{"5", "+33", "0x1F", "$1F"}, 33},
        {{"8", "2147483647"}, 2147483647},
        {{"8", "2147483648", "9999999999"}, 8}, // past a 32-bit integer: no code
        {{"8", "$FFFFFFFF"}, 8},                // read as -1
        {{"999999999", "1000000000"}, 1000000000},
    };
    for (const auto &[codes, highest] : cases) {
        SCOPED_TRACE(::testing::PrintToString(codes));
        PQclear(PQexec(storage.connection(), "DELETE FROM zhurdok"));
        for (const std::string &code : codes) {
            const char *values[] = {code.c_str()};
            PGresult *r = PQexecParams(storage.connection(), "INSERT INTO zhurdok (veltor_ver, kod) VALUES (0, $1)", 1,
                                       nullptr, values, nullptr, nullptr, 0);
            ASSERT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(storage.connection());
            PQclear(r);
        }
        EXPECT_EQ(storage.DatabaseStorage::highestEmployeeCode(*first, schema::ZhurDokTable), highest);
        EXPECT_EQ(storage.highestEmployeeCode(*first, schema::ZhurDokTable), highest);
    }
    // Start-up keeps new codes above it.
    EXPECT_EQ(openServer()->HighestCode, 1000000000);
}

// A storage that has another program commit while it reads: once the main table is read and
// before the history is.
class CommitDuringReading : public PgStorage {
public:
    using PgStorage::PgStorage;
    std::function<void()> commitElsewhere;

    void readTable(const AppState &state, std::string_view name, LoadedTable &table) override
    {
        if (name == schema::TrudTable && commitElsewhere) {
            std::unique_lock<std::mutex> lock(m_lock);
            m_mainRead.wait_for(lock, std::chrono::seconds(60), [this] { return m_mainDone; });
            std::exchange(commitElsewhere, nullptr)();
        }
        PgStorage::readTable(state, name, table);
        if (name == schema::OsnovaTable) {
            const std::lock_guard<std::mutex> lock(m_lock);
            m_mainDone = true;
            m_mainRead.notify_all();
        }
    }

private:
    std::mutex m_lock;
    std::condition_variable m_mainRead;
    bool m_mainDone = false;
};

TEST_F(TwoProgramsTest, ACommitDuringAStartUpIsSeenWholeOrNotAtAll)
{
    const std::string salary = field(second->Osnova, recordOf(second->Osnova, "5"), schema::OKLAD);
    const int history = second->Trud.Header.RecordCount;
    auto state = std::make_unique<AppState>();
    state->ProgramFolder = m_root;
    auto storage = std::make_shared<CommitDuringReading>(m_settings);
    state->Storage = storage;
    bool committed = false;
    storage->commitElsewhere = [&] {
        saveSalary(*second, "5", "77000");
        committed = true;
    };
    loadPersonnelTables(*state);
    ASSERT_TRUE(committed);
    // This was torn: the main table as before the save, the history with the save's record.
    EXPECT_EQ(field(state->Osnova, recordOf(state->Osnova, "5"), schema::OKLAD), salary);
    EXPECT_EQ(state->Trud.Header.RecordCount, history);
    // The save is heard of once the program follows the server, and only once.
    storage->follow(*state);
    QSignalSpy heard(state->Notifier.get(), &ChangeNotifier::committed);
    storage->catchUp();
    storage->catchUp();
    EXPECT_EQ(heard.count(), 1);
    EXPECT_EQ(field(state->Osnova, recordOf(state->Osnova, "5"), schema::OKLAD), "77000");
    EXPECT_EQ(state->Trud.Data, second->Trud.Data);
}

TEST_F(TwoProgramsTest, TheArchiveOfAServerDatabaseIsAPgDumpNamedAsArchivesAre)
{
    const ArchiveCommand command = serverArchiveCommand(connectionString(m_settings), m_root, QDate(2025, 3, 6));
    QProcess dump;
    dump.start(command.program, command.arguments);
    ASSERT_TRUE(dump.waitForFinished(120000));
    ASSERT_EQ(dump.exitCode(), 0) << dump.readAllStandardError().toStdString();
    const std::filesystem::path archive = m_root / "arhiv_2025_03_6.dump";
    ASSERT_TRUE(std::filesystem::exists(archive));
    QProcess list;
    list.start("pg_restore", {"--list", pathToQString(archive)});
    ASSERT_TRUE(list.waitForFinished(60000));
    const QString contents = QString::fromUtf8(list.readAllStandardOutput());
    EXPECT_TRUE(contents.contains("TABLE DATA public osnova")) << contents.toStdString();
    EXPECT_TRUE(contents.contains("SEQUENCE SET public veltor_employee_codes")) << contents.toStdString();
}

} // namespace
} // namespace veltor
