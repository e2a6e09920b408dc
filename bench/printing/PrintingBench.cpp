#include <benchmark/benchmark.h>

#include <filesystem>

#include "SyntheticTemplate.h"
#include "printing/RtfDocument.h"
#include "text/Cp1251.h"

namespace veltor::bench {
namespace {

const SyntheticTemplate &cardTemplate()
{
    // About 200 KB with 22 tables and 300 field placeholders, like a filled-in personal card.
    static const SyntheticTemplate made = makeSyntheticTemplate(22, 10, 300);
    return made;
}

void BM_OpenCard(benchmark::State &state)
{
    const SyntheticTemplate &t = cardTemplate();
    for (auto _ : state) {
        RtfDocument document(t.bytes, "card.rtf");
        benchmark::DoNotOptimize(document.tableCount());
    }
    state.counters["bytes"] = static_cast<double>(t.bytes.size());
}
BENCHMARK(BM_OpenCard)->Unit(benchmark::kMillisecond);

// What filling the personal card costs: open, one replace-all per placeholder (a third of them
// absent, as for fields a template does not use), 60 cells of the history and family tables,
// and writing the result.
void BM_FillCard(benchmark::State &state)
{
    const SyntheticTemplate &t = cardTemplate();
    const std::string value = cp("Иванов Иван Иванович ");
    for (auto _ : state) {
        RtfDocument document(t.bytes, "card.rtf");
        for (const std::string &placeholder : t.placeholders)
            document.replaceAll(placeholder, value);
        document.replaceAll("<TRUD>", "");
        document.replaceAll("<SEMJA>", "");
        for (int row = 3; row <= 12; ++row)
            for (int column = 1; column <= 4; ++column)
                document.setCellText(20, row, column, cp("подразделение удалено"));
        for (int row = 3; row <= 9; ++row)
            for (int column = 1; column <= 3; ++column)
                document.setCellText(12, row, column, cp("01.02.1990"));
        benchmark::DoNotOptimize(document.toBytes());
    }
    state.counters["bytes"] = static_cast<double>(t.bytes.size());
    state.counters["replaceAll"] = static_cast<double>(t.placeholders.size() + 2);
}
BENCHMARK(BM_FillCard)->Unit(benchmark::kMillisecond);

// An order template: small, about 80 replace-alls.
void BM_FillOrder(benchmark::State &state)
{
    static const SyntheticTemplate order = makeSyntheticTemplate(1, 2, 80);
    const std::string value = cp("25000");
    for (auto _ : state) {
        RtfDocument document(order.bytes, "order.rtf");
        for (const std::string &placeholder : order.placeholders)
            document.replaceAll(placeholder, value);
        benchmark::DoNotOptimize(document.toBytes());
    }
    state.counters["bytes"] = static_cast<double>(order.bytes.size());
}
BENCHMARK(BM_FillOrder)->Unit(benchmark::kMillisecond);

// Printing the employee list: a new document, a table of 10,000 rows and 8 columns with a
// bold heading row, built through the same calls the list printing makes, then written.
void BM_ListDocument(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    const std::string cell = cp("Сотрудникова Анна Петровна");
    const auto file = std::filesystem::temp_directory_path() / "veltor-bench-Perechen.doc";
    for (auto _ : state) {
        auto document = RtfDocument::blank();
        document->addTable(1, 8);
        for (int r = 1; r <= rows + 1; ++r) {
            for (int c = 1; c <= 8; ++c) {
                document->setCellText(1, r, c, cell);
                document->setCellBold(1, r, c, r == 1);
            }
            if (r <= rows)
                document->addRow(1);
        }
        document->saveAs(file);
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_ListDocument)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace veltor::bench

BENCHMARK_MAIN();
