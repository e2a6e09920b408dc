// Documents laid out on pages and written as PDF, as "Просмотр" and "Сохранить в PDF" do: the
// personal card filled from a synthetic database, and the printed list of 10,000 employees.
// The RTF is made once; each run reads it, lays it out and writes the PDF.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <filesystem>
#include <random>
#include <string>

#include "GenerateDatabase.h"
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "documents/TemplatePrinting.h"
#include "printing/DocumentFiles.h"
#include "printing/PdfOutput.h"
#include "printing/RtfLayout.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"

namespace veltor {
namespace {

namespace fs = std::filesystem;

// A generated database of 10,000 employees with the personal card and the list printed from
// it as the program prints them; the RTF of both is kept.
struct Printed {
    fs::path root;
    std::string card;
    std::string list;
    int listRows = 0;
    int listColumns = 0;

    Printed()
    {
        std::random_device random;
        root = fs::temp_directory_path() / ("veltor-layout-bench-" + std::to_string(random()));
        generateDatabase(root, 10000, 42);
        fs::create_directories(root / "out");
        AppState state;
        state.ProgramFolder = root / "program";
        state.MainTablePath = pathToCp1251(root / "database" / "osnova.dbf");
        state.OutputFolder = pathToCp1251(root / "out") + "/";
        state.Stolb = ReadTable(state.programFile(schema::StolbTable));
        state.Konstanty = ReadTable(state.programFile(schema::KonstantyTable));
        state.ColumnSettings = columnSettingsFromStolb(state.Stolb);
        loadPersonnelTables(state);
        state.CurMainRec = 5000;
        fs::path shown;
        setDocumentApplicationFactory(rtfApplicationFactory([&shown](const fs::path &f) { shown = f; }));
        pechat(state, fs::path(VELTOR_DEMO_DIR) / "templates" / "т-2.rtf", std::string());
        card = readDocumentFile(shown);
        ListContent content = buildEmployeeList(state, effectiveCodeList(state, "-1"));
        printEmployeeList(state, content.cols, content.rows,
                          [&](int col, int row) -> const std::string & { return content.at(col, row); });
        list = readDocumentFile(shown);
        listRows = content.rows;
        listColumns = content.cols - 1;
    }
    ~Printed()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

const Printed &printed()
{
    static const Printed made;
    return made;
}

void toPdf(benchmark::State &bench, const std::string &rtf)
{
    const fs::path pdf = printed().root / "out" / "bench.pdf";
    int pages = 0;
    for (auto _ : bench) {
        auto layout = RtfLayout::fromRtf(rtf, "bench");
        writePdf(*layout, pdf);
        pages = layout->pageCount();
    }
    bench.counters["pages"] = pages;
    bench.counters["rtf_bytes"] = static_cast<double>(rtf.size());
    bench.counters["pdf_bytes"] = static_cast<double>(fs::file_size(pdf));
}

void BM_PersonalCardPdf(benchmark::State &bench)
{
    toPdf(bench, printed().card);
}
BENCHMARK(BM_PersonalCardPdf)->Unit(benchmark::kMillisecond);

void BM_EmployeeListPdf(benchmark::State &bench)
{
    toPdf(bench, printed().list);
    bench.counters["rows"] = printed().listRows;
    bench.counters["columns"] = printed().listColumns;
}
BENCHMARK(BM_EmployeeListPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

// Laying out alone, what the preview waits for before it paints.
void BM_EmployeeListLayout(benchmark::State &bench)
{
    for (auto _ : bench) {
        auto layout = RtfLayout::fromRtf(printed().list, "bench");
        benchmark::DoNotOptimize(layout->pageCount());
    }
}
BENCHMARK(BM_EmployeeListLayout)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace veltor

int main(int argc, char **argv)
{
    // Text is measured with the fonts of a display; none is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
