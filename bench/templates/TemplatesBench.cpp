// Filling the shipped templates on synthetic databases: the personal card (two tables and a few
// hundred replacements), an order, and the printed employee list. Every run writes the document
// as printing does; nothing is shown.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "GenerateDatabase.h"
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "documents/TemplatePrinting.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

namespace fs = std::filesystem;

const fs::path Templates = fs::path(VELTOR_DEMO_DIR) / "templates";

// A generated database loaded as the program holds it, with one HR order of the middle
// employee in the journal.
struct Database {
    fs::path root;
    AppState state;
    LoadedTable zhurDok, priem, komand, uvol, otpusk;
    int employee = 0; // main-table record printed
    int orderId = 1;

    explicit Database(int employees)
    {
        std::random_device random;
        root = fs::temp_directory_path() / ("veltor-templates-bench-" + std::to_string(random()));
        generateDatabase(root, employees, 42);
        fs::create_directories(root / "out");
        state.ProgramFolder = root / "program";
        state.MainTablePath = pathToCp1251(root / "database" / "osnova.dbf");
        state.OutputFolder = pathToCp1251(root / "out") + "/";
        state.Stolb = ReadTable(state.programFile(schema::StolbTable));
        state.Konstanty = ReadTable(state.programFile(schema::KonstantyTable));
        state.ColumnSettings = columnSettingsFromStolb(state.Stolb);
        loadPersonnelTables(state);
        readDatabaseTable(state, schema::ZhurDokTable, zhurDok);
        readDatabaseTable(state, schema::PriemTable, priem);
        readDatabaseTable(state, schema::KomandTable, komand);
        readDatabaseTable(state, schema::UvolTable, uvol);
        readDatabaseTable(state, schema::OtpuskTable, otpusk);

        employee = employees / 2;
        state.CurMainRec = employee;
        const std::string code = GetField(state.Osnova.Header, state.Osnova.Data, employee,
                                          FieldIndex(state.Osnova.Header, schema::KOD));
        const std::string id = std::to_string(orderId);
        append(zhurDok, {{"ID_DOK", id}, {"TIP_DOK", "3"}, {"NOM_DOK", "1"}, {"DATA_DOK", "01.03.2025"},
                         {"KOD", code}, {"D_NACH", "03.03.2025"}});
        append(priem, {{"ID_DOK", id}, {"KOD", code}, {"OTDEL", "2"}, {"DOLZH", "3"}, {"VID_RAB", "0"},
                       {"OKLAD", "45000"}});
        // The order wrote the employee's last history record.
        TIndex history;
        SelectEqualIdx(state.Trud.Header, state.Trud.Data, FieldIndex(state.Trud.Header, schema::KOD), code,
                       history);
        SetField(state.Trud.Header, history.back(), FieldIndex(state.Trud.Header, schema::ID_DOK),
                 state.Trud.Data, id);

        setDocumentApplicationFactory(rtfApplicationFactory([](const fs::path &) {}));
    }
    ~Database()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    static void append(LoadedTable &table, const std::map<std::string, std::string> &fields)
    {
        AppendBlankRecord(table.Header, table.Data);
        for (const auto &[name, value] : fields)
            SetField(table.Header, table.Header.RecordCount, FieldIndex(table.Header, name), table.Data,
                     cp(value));
    }
};

Database &databaseOf(int employees)
{
    static std::map<int, std::unique_ptr<Database>> made;
    auto &slot = made[employees];
    if (!slot)
        slot = std::make_unique<Database>(employees);
    return *slot;
}

void BM_PersonalCard(benchmark::State &bench)
{
    Database &db = databaseOf(static_cast<int>(bench.range(0)));
    for (auto _ : bench)
        pechat(db.state, Templates / "т-2.rtf", std::string());
    bench.counters["template_bytes"] = static_cast<double>(fs::file_size(Templates / "т-2.rtf"));
}
BENCHMARK(BM_PersonalCard)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_Certificate(benchmark::State &bench)
{
    Database &db = databaseOf(static_cast<int>(bench.range(0)));
    for (auto _ : bench)
        pechat(db.state, Templates / "Справка с места работы.rtf", cp("Справка действительна 30 дней."));
}
BENCHMARK(BM_Certificate)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_Order(benchmark::State &bench)
{
    Database &db = databaseOf(static_cast<int>(bench.range(0)));
    const OrderTables orders{&db.zhurDok, &db.priem, &db.komand, &db.uvol, &db.otpusk};
    for (auto _ : bench)
        pechatdok(db.state, Templates / "т-5.RTF", db.employee, orders, db.orderId);
}
BENCHMARK(BM_Order)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The list as the main window prints it: every employee, the columns of Stolb.
void BM_EmployeeList(benchmark::State &bench)
{
    Database &db = databaseOf(static_cast<int>(bench.range(0)));
    ListContent list = buildEmployeeList(db.state, effectiveCodeList(db.state, "-1"));
    for (auto _ : bench)
        printEmployeeList(db.state, list.cols, list.rows,
                          [&](int col, int row) -> const std::string & { return list.at(col, row); });
    bench.counters["rows"] = list.rows;
    bench.counters["columns"] = list.cols - 1;
    bench.counters["file_bytes"] = static_cast<double>(fs::file_size(db.root / "out" / "Perechen.doc"));
}
BENCHMARK(BM_EmployeeList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace veltor

BENCHMARK_MAIN();
