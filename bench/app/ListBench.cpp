// The employee list on synthetic databases: filling it, selecting a row, painting the marker
// column of the last screen, and start-up of the main window.
#include "GenerateDatabase.h"

#include "records/AppState.h"
#include "app/Dialogs.h"
#include "app/EmployeeList.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "text/Cp1251.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <map>
#include <memory>

namespace veltor {
namespace {

struct Database {
    QTemporaryDir dir;
    std::filesystem::path program;
};

// One generated database per size, kept for the whole run.
Database &databaseOf(int employees)
{
    static std::map<int, std::unique_ptr<Database>> made;
    auto &slot = made[employees];
    if (!slot) {
        slot = std::make_unique<Database>();
        const std::filesystem::path root = slot->dir.path().toStdString();
        generateDatabase(root, employees, 42);
        slot->program = root / "program";
        std::ofstream(slot->program / "config.ini", std::ios::binary)
            << "[PUT]\r\n" << (root / "database" / "osnova.dbf").string()
            << "\r\n[DOK]\r\n\r\n[VYVOD]\r\n\r\n[INTERFACE]\r\n0\r\n[VID]\r\n11\r\n";
    }
    return *slot;
}

std::unique_ptr<TForm1> startedWindow(AppState &state, int employees)
{
    state.ProgramFolder = databaseOf(employees).program;
    auto form = std::make_unique<TForm1>(state);
    form->FormCreate();
    return form;
}

void BM_BuildListContent(benchmark::State &bm)
{
    AppState state;
    auto form = startedWindow(state, static_cast<int>(bm.range(0)));
    const std::string codes = effectiveCodeList(state, "-1");
    for (auto _ : bm)
        benchmark::DoNotOptimize(buildEmployeeList(state, codes));
    bm.SetLabel(std::to_string(state.ColumnSettings.size()) + " columns");
}
BENCHMARK(BM_BuildListContent)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FillList(benchmark::State &bm)
{
    AppState state;
    auto form = startedWindow(state, static_cast<int>(bm.range(0)));
    for (auto _ : bm)
        form->zapolnenieOsnovnojTablitsy("-1");
}
BENCHMARK(BM_FillList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SelectRow(benchmark::State &bm)
{
    AppState state;
    const int n = static_cast<int>(bm.range(0));
    auto form = startedWindow(state, n);
    int row = 1;
    for (auto _ : bm) {
        form->StringGrid1SelectCell(1, row);
        row = row % n + 1;
    }
}
BENCHMARK(BM_SelectRow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_DrawMarkersOfLastScreen(benchmark::State &bm)
{
    AppState state;
    const int n = static_cast<int>(bm.range(0));
    auto form = startedWindow(state, n);
    auto &marker = form->StringGrid1->model()->markerColor;
    for (auto _ : bm)
        for (int row = n - 40; row <= n; ++row)
            benchmark::DoNotOptimize(marker(row));
}
BENCHMARK(BM_DrawMarkersOfLastScreen)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_StartUp(benchmark::State &bm)
{
    databaseOf(static_cast<int>(bm.range(0))); // generated outside the timing
    for (auto _ : bm) {
        AppState state;
        auto form = startedWindow(state, static_cast<int>(bm.range(0)));
        benchmark::DoNotOptimize(form.get());
    }
}
// The shown list saved as a workbook (0) or as CSV (1).
void BM_ExportList(benchmark::State &bm)
{
    AppState state;
    auto form = startedWindow(state, static_cast<int>(bm.range(0)));
    QTemporaryDir out;
    const auto file = std::filesystem::path(out.path().toStdString()) / (bm.range(1) ? "list.csv" : "list.xlsx");
    for (auto _ : bm) {
        Dialogs::queuePath(QString::fromStdString(file.string()));
        form->N1_11->trigger();
    }
    bm.SetLabel(std::to_string(form->StringGrid1->ColCount() - 1) + " columns");
}
BENCHMARK(BM_ExportList)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

BENCHMARK(BM_StartUp)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace veltor

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    veltor::Dialogs::setTestMode(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
