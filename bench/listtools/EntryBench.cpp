// Streaming entry of a salary for every employee (the writes and re-reads included) and
// opening a positions list of 2,000 positions in its grid.
#include "GenerateDatabase.h"

#include "records/AppState.h"
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "app/StringGrid.h"
#include "card/CardWidgets.h"
#include "listtools/StreamingEntry.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace veltor {
namespace {

void BM_StreamSalaryForAll(benchmark::State &bm)
{
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    generateDatabase(root, static_cast<int>(bm.range(0)), 42);
    AppState s;
    s.ProgramFolder = root / "program";
    s.MainTablePath = pathToCp1251(root / "database" / "osnova.dbf");
    loadPersonnelTables(s);
    TColumnSetting salary{utf8ToCp1251("Оклад"), 60, "OKLAD", "1", "1"};
    const StreamAttribute attribute = streamAttributeOf(s, salary);
    std::vector<StreamValue> values;
    for (const std::string &code : splitCodeList(effectiveCodeList(s, "-1")))
        values.push_back({code, "31000"});
    // The history does not grow from run to run: its file and table are put back each time.
    const std::filesystem::path trudFile = s.fileOf(s.Trud);
    const std::filesystem::path kept = root / "trud.kept";
    std::filesystem::copy_file(trudFile, kept);
    for (auto _ : bm) {
        bm.PauseTiming();
        std::filesystem::copy_file(kept, trudFile, std::filesystem::copy_options::overwrite_existing);
        ReadTable(trudFile, s.Trud);
        bm.ResumeTiming();
        benchmark::DoNotOptimize(applyStreamEntry(s, attribute, values, Date{2006, 3, 1}));
    }
}
BENCHMARK(BM_StreamSalaryForAll)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_OpenPositionsList(benchmark::State &bm)
{
    LoadedTable dolzh;
    QTemporaryDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "dolzh.dbf";
    CreateTableFile(file, schema::DolzhStructure, 0);
    dolzh = ReadTable(file);
    for (int i = 1; i <= bm.range(0); ++i) {
        AppendBlankRecord(dolzh.Header, dolzh.Data);
        SetField(dolzh.Header, i, 1, dolzh.Data, std::to_string(i));
        SetField(dolzh.Header, i, 2, dolzh.Data, utf8ToCp1251("Инженер категории ") + std::to_string(i));
    }
    TStringGrid grid;
    for (auto _ : bm) {
        TableToGrid(dolzh.Header, dolzh.Data, grid);
        layOutColumns(grid, dolzh.Header,
                      {{schema::NOM, 50, "№ п/п"}, {schema::DOLZH, 250, "Наименование должности"}});
        selectGridRow(grid, 1);
    }
}
BENCHMARK(BM_OpenPositionsList)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace veltor

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
