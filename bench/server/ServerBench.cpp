// The records layer on a PostgreSQL server: start-up, a card save, an order save and the
// migration of a synthetic database. The server is the one scripts/pg_cluster.sh starts
// (VELTOR_TEST_PGHOST, VELTOR_TEST_PGPORT, VELTOR_TEST_PGUSER); without it every benchmark says so.
#include "GenerateDatabase.h"

#include "card/CardLogic.h"
#include "orders/OrderLogic.h"
#include "records/AppState.h"
#include "records/Migration.h"
#include "records/PgStorage.h"
#include "records/Startup.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <map>
#include <utility>
#include <memory>

namespace veltor {
namespace {

std::string env(const char *name)
{
    const char *v = std::getenv(name);
    return v ? v : "";
}

ServerSettings serverFor(const std::string &database)
{
    ServerSettings s;
    s.host = env("VELTOR_TEST_PGHOST");
    s.port = env("VELTOR_TEST_PGPORT");
    s.user = env("VELTOR_TEST_PGUSER");
    s.database = database;
    return s;
}

void admin(const std::string &sql)
{
    PGconn *c = PQconnectdb(connectionString(serverFor("postgres")).c_str());
    PQclear(PQexec(c, sql.c_str()));
    PQfinish(c);
}

// A hire order for every employee: a record of ZhurDok and one of Priem each.
void addHireOrders(const std::filesystem::path &database, int employees)
{
    LoadedTable journal = ReadTable(database / std::string(schema::ZhurDokTable));
    LoadedTable hires = ReadTable(database / std::string(schema::PriemTable));
    for (int kod = 1; kod <= employees; ++kod) {
        const std::string id = std::to_string(kod);
        const int j = AppendBlankRecord(journal);
        SetField(journal, j, "ID_DOK", id);
        SetField(journal, j, "TIP_DOK", "1");
        SetField(journal, j, "NOM_DOK", id);
        SetField(journal, j, "DATA_DOK", "01.02.2020");
        SetField(journal, j, schema::KOD, id);
        const int h = AppendBlankRecord(hires);
        SetField(hires, h, "ID_DOK", id);
        SetField(hires, h, schema::KOD, id);
        SetField(hires, h, "OTDEL", std::to_string(kod % 7 + 1));
        SetField(hires, h, "DOLZH", std::to_string(kod % 50 + 1));
        SetField(hires, h, "OKLAD", "30000");
    }
    WriteTable(database / std::string(schema::ZhurDokTable), journal);
    WriteTable(database / std::string(schema::PriemTable), hires);
}

enum class Orders { None, HireOfEach };

// A fresh server database holding a generated database of that many employees.
std::string migratedDatabase(int employees, Orders orders = Orders::None)
{
    static std::map<std::pair<int, Orders>, std::string> made;
    auto &name = made[{employees, orders}];
    if (name.empty()) {
        name = "veltor_bench_" + std::to_string(employees) + (orders == Orders::None ? "" : "_orders");
        admin("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
        admin("CREATE DATABASE " + name + " TEMPLATE template0 ENCODING 'UTF8'");
        QTemporaryDir dir;
        const std::filesystem::path root = dir.path().toStdString();
        generateDatabase(root, employees, 42);
        if (orders == Orders::HireOfEach)
            addHireOrders(root / "database", employees);
        PgStorage server(serverFor(name));
        migrateToServer(root / "database" / "osnova.dbf", server);
    }
    return name;
}

std::unique_ptr<AppState> openServer(const std::string &database)
{
    auto state = std::make_unique<AppState>();
    state->ProgramFolder = std::filesystem::temp_directory_path();
    state->Storage = std::make_shared<PgStorage>(serverFor(database));
    loadPersonnelTables(*state);
    return state;
}

bool serverMissing(benchmark::State &bm)
{
    if (!env("VELTOR_TEST_PGHOST").empty())
        return false;
    bm.SkipWithError("no PostgreSQL server: eval \"$(bash scripts/pg_cluster.sh start)\" first");
    return true;
}

void BM_ServerStartup(benchmark::State &bm)
{
    if (serverMissing(bm))
        return;
    const std::string database = migratedDatabase(static_cast<int>(bm.range(0)));
    for (auto _ : bm)
        benchmark::DoNotOptimize(openServer(database));
}
BENCHMARK(BM_ServerStartup)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same with the orders of a working database: start-up looks at them for their codes.
void BM_ServerStartupWithOrders(benchmark::State &bm)
{
    if (serverMissing(bm))
        return;
    const std::string database = migratedDatabase(static_cast<int>(bm.range(0)), Orders::HireOfEach);
    for (auto _ : bm)
        benchmark::DoNotOptimize(openServer(database));
}
BENCHMARK(BM_ServerStartupWithOrders)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ServerCardSave(benchmark::State &bm)
{
    if (serverMissing(bm))
        return;
    auto state = openServer(migratedDatabase(static_cast<int>(bm.range(0))));
    const std::string code = std::to_string(bm.range(0) / 2);
    int salary = 10000;
    for (auto _ : bm) {
        bm.PauseTiming();
        CardSaveInput input;
        input.values = loadCardValues(*state, cardRecordsOfCode(*state, code), today());
        input.values.oklad = std::to_string(++salary);
        input.changeDate = today();
        bm.ResumeTiming();
        storeCard(*state, code, input);
        writeCardTables(*state, code);
    }
}
BENCHMARK(BM_ServerCardSave)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ServerOrderSave(benchmark::State &bm)
{
    if (serverMissing(bm))
        return;
    auto state = openServer(migratedDatabase(static_cast<int>(bm.range(0))));
    const std::string code = std::to_string(bm.range(0) / 3);
    OrderBook book = readOrderBook(*state);
    const std::vector<HrKind> kinds = hrOrderKinds(state->TipDok);
    int salary = 20000;
    for (auto _ : bm) {
        OrderInput in;
        in.kind = SalaryChange;
        in.kindName = kinds.at(SalaryChange).name;
        in.employeeRecord = nomerstrokipokodu(state->Osnova.Header, state->Osnova.Data, std::stoi(code));
        in.employeeCode = code;
        in.number = std::to_string(salary);
        in.date = in.startDate = "01.03.2024";
        in.department = "2";
        in.position = "3";
        in.salary = std::to_string(++salary);
        in.mainPlace = true;
        sohraneniedokumenta(*state, book, in, nextOrderId(book.ZhurDok));
    }
}
BENCHMARK(BM_ServerOrderSave)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_MigrateToServer(benchmark::State &bm)
{
    if (serverMissing(bm))
        return;
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    generateDatabase(root, static_cast<int>(bm.range(0)), 42);
    for (auto _ : bm) {
        bm.PauseTiming();
        admin("DROP DATABASE IF EXISTS veltor_bench_migration WITH (FORCE)");
        admin("CREATE DATABASE veltor_bench_migration TEMPLATE template0 ENCODING 'UTF8'");
        PgStorage server(serverFor("veltor_bench_migration"));
        bm.ResumeTiming();
        migrateToServer(root / "database" / "osnova.dbf", server);
    }
}
BENCHMARK(BM_MigrateToServer)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
} // namespace veltor

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
