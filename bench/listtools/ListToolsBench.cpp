// Search, sort and a three-box filter over synthetic databases, without the list's refill.
#include "GenerateDatabase.h"

#include "records/AppState.h"
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "listtools/Filters.h"
#include "listtools/ListSearch.h"
#include "listtools/ListSort.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace veltor {
namespace {

struct Loaded {
    QTemporaryDir dir;
    AppState state;
    ListContent list;
};

// One generated and loaded database per size, with the list's cells as a fill leaves them.
Loaded &loaded(int employees)
{
    static std::map<int, std::unique_ptr<Loaded>> made;
    auto &slot = made[employees];
    if (!slot) {
        slot = std::make_unique<Loaded>();
        const std::filesystem::path root = slot->dir.path().toStdString();
        generateDatabase(root, employees, 42);
        AppState &s = slot->state;
        s.ProgramFolder = root / "program";
        s.MainTablePath = pathToCp1251(root / "database" / "osnova.dbf");
        s.Stolb = ReadTable(resolveFileName(s.ProgramFolder, schema::StolbTable));
        s.ColumnSettings = columnSettingsFromStolb(s.Stolb);
        s.Konstanty = ReadTable(resolveFileName(s.ProgramFolder, schema::KonstantyTable));
        s.ExtraParamCount = extraParamCount(s.Konstanty);
        loadPersonnelTables(s);
        slot->list = buildEmployeeList(s, effectiveCodeList(s, "-1"));
    }
    return *slot;
}

// A text no row holds: the walk reads every row.
void BM_SearchWholeList(benchmark::State &bm)
{
    Loaded &l = loaded(static_cast<int>(bm.range(0)));
    const std::string text = utf8ToCp1251("нет такого текста");
    for (auto _ : bm) {
        const int row = findListRow(l.list.rows, 1, text, [&](int r) {
            return searchRowText(l.list.cols, [&](int c) -> const std::string & { return l.list.at(c, r); });
        });
        benchmark::DoNotOptimize(row);
    }
    bm.SetComplexityN(bm.range(0));
}
BENCHMARK(BM_SearchWholeList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// By the name column, the longest texts of the list.
void BM_SortByName(benchmark::State &bm)
{
    Loaded &l = loaded(static_cast<int>(bm.range(0)));
    const std::string codes = effectiveCodeList(l.state, "-1");
    for (auto _ : bm) {
        std::string sorted = SortCodeList(codes, l.list.rows - 1,
                                          [&](int r) -> const std::string & { return l.list.at(1, r); },
                                          SortOrder::Ascending);
        benchmark::DoNotOptimize(sorted);
    }
}
BENCHMARK(BM_SortByName)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Working employees, then permanent ones by their last history record, then born before 1980.
void BM_ThreeBoxFilter(benchmark::State &bm)
{
    Loaded &l = loaded(static_cast<int>(bm.range(0)));
    const std::array<FilterBox, FilterBoxCount> boxes = {
        FilterBox{filterfield::Works, "0"}, FilterBox{filterfield::WorkKind, "0"},
        FilterBox{filterfield::BirthDate, "<01.01.1980"}};
    size_t found = 0;
    for (auto _ : bm) {
        std::string codes = runFilters(l.state, boxes);
        found = splitCodeList(codes).size();
        benchmark::DoNotOptimize(codes);
    }
    bm.SetLabel(std::to_string(found) + " found");
}
BENCHMARK(BM_ThreeBoxFilter)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace veltor

BENCHMARK_MAIN();
