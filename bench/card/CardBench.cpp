// The employee card on synthetic databases: showing it, and saving it (seven table files)
// against writing the same bytes plainly.
#include "GenerateDatabase.h"

#include "records/AppState.h"
#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/EmployeeList.h"
#include "app/Unit1.h"
#include "card/CardLogic.h"
#include "card/MainPage.h"
#include "card/Unit2.h"
#include "storage/FileIO.h"
#include "storage/FileNames.h"
#include "storage/TableCommit.h"
#include "storage/Schema.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <map>
#include <memory>

namespace veltor {
namespace {

struct Database {
    QTemporaryDir dir;
    std::filesystem::path root;
    std::filesystem::path program;
};

// One generated database per size, kept for the whole run.
Database &databaseOf(int employees)
{
    static std::map<int, std::unique_ptr<Database>> made;
    auto &slot = made[employees];
    if (!slot) {
        slot = std::make_unique<Database>();
        slot->root = slot->dir.path().toStdString();
        generateDatabase(slot->root, employees, 42);
        slot->program = slot->root / "program";
        std::ofstream(slot->program / "config.ini", std::ios::binary)
            << "[PUT]\r\n" << (slot->root / "database" / "osnova.dbf").string()
            << "\r\n[DOK]\r\n\r\n[VYVOD]\r\n\r\n[INTERFACE]\r\n0\r\n[VID]\r\n11\r\n";
    }
    return *slot;
}

// The main window started on the database and the card, with the employee in the middle of
// the list current.
struct Windows {
    AppState state;
    std::unique_ptr<TForm1> main;
    std::unique_ptr<TForm2> card;

    explicit Windows(int employees)
    {
        state.ProgramFolder = databaseOf(employees).program;
        main = std::make_unique<TForm1>(state);
        card = std::make_unique<TForm2>(state, *main);
        FormLinks links;
        links.Form2 = card.get();
        main->setLinks(links);
        main->FormCreate();
        main->StringGrid1SelectCell(1, employees / 2);
    }
};

void BM_ShowCard(benchmark::State &bm)
{
    Windows w(static_cast<int>(bm.range(0)));
    w.card->show();
    for (auto _ : bm)
        w.card->FormShow();
    bm.SetLabel(std::to_string(w.state.Trud.Header.RecordCount) + " history records");
}
BENCHMARK(BM_ShowCard)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LoadCardValues(benchmark::State &bm)
{
    Windows w(static_cast<int>(bm.range(0)));
    for (auto _ : bm)
        benchmark::DoNotOptimize(loadCardValues(w.state, cardRecordsFromGlobals(w.state), today()));
}
BENCHMARK(BM_LoadCardValues)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The shown card with a new salary, as the save takes it.
CardSaveInput salaryChange(Windows &w, int salary)
{
    w.card->FormShow();
    CardSaveInput input;
    input.values = loadCardValues(w.state, cardRecordsFromGlobals(w.state), today());
    input.values.oklad = std::to_string(salary);
    input.changeDate = today();
    return input;
}

// The save proper: the controls stored into the tables with a history record (the salary
// changes every time), then the commit. The counters give the bytes written per save.
void BM_SaveCard(benchmark::State &bm)
{
    Windows w(static_cast<int>(bm.range(0)));
    w.card->show();
    int salary = 10000;
    int64_t written = 0, journal = 0, saves = 0;
    for (auto _ : bm) {
        bm.PauseTiming();
        const CardSaveInput input = salaryChange(w, ++salary);
        bm.ResumeTiming();
        storeCard(w.state, w.card->shownCode(), input);
        writeCardTables(w.state, w.card->shownCode());
        written += lastCommitStatistics().fileBytes;
        journal += lastCommitStatistics().journalBytes;
        ++saves;
    }
    bm.counters["table_bytes"] = static_cast<double>(written) / std::max<int64_t>(1, saves);
    bm.counters["journal_bytes"] = static_cast<double>(journal) / std::max<int64_t>(1, saves);
}
BENCHMARK(BM_SaveCard)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same save as the program made it before commits: the seven tables written whole, each
// replaced atomically.
void BM_SaveCardWholeTables(benchmark::State &bm)
{
    Windows w(static_cast<int>(bm.range(0)));
    w.card->show();
    int salary = 10000;
    int64_t written = 0, saves = 0;
    for (auto _ : bm) {
        bm.PauseTiming();
        const CardSaveInput input = salaryChange(w, ++salary);
        bm.ResumeTiming();
        storeCard(w.state, w.card->shownCode(), input);
        for (LoadedTable *t : {&w.state.Osnova, &w.state.Semja, &w.state.Passport, &w.state.Obraz, &w.state.Trud,
                               &w.state.Voen, &w.state.Dopoln}) {
            WriteTable(w.state.fileOf(*t), *t);
            written += static_cast<int64_t>(t->Data.size());
        }
        bm.PauseTiming();
        // The tables are as their files now: the next save starts from the same point.
        for (LoadedTable *t : {&w.state.Osnova, &w.state.Semja, &w.state.Passport, &w.state.Obraz, &w.state.Trud,
                               &w.state.Voen, &w.state.Dopoln}) {
            AcceptChanges(*t);
            t->Stamp = fileStampOf(w.state.fileOf(*t));
        }
        ++saves;
        bm.ResumeTiming();
    }
    bm.counters["table_bytes"] = static_cast<double>(written) / std::max<int64_t>(1, saves);
}
BENCHMARK(BM_SaveCardWholeTables)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same seven files' bytes written with a plain stream: no temporary file, no flush to the
// disk, no rename. The measure the save is compared with.
void BM_WriteSameBytesPlainly(benchmark::State &bm)
{
    Windows w(static_cast<int>(bm.range(0)));
    const std::filesystem::path folder = databaseOf(static_cast<int>(bm.range(0))).root / "plain";
    std::filesystem::create_directories(folder);
    std::vector<std::string> files;
    int64_t bytes = 0;
    for (const LoadedTable *t : {&w.state.Osnova, &w.state.Semja, &w.state.Passport, &w.state.Obraz,
                                 &w.state.Trud, &w.state.Voen, &w.state.Dopoln}) {
        files.push_back(TableFileBytes(t->Header, t->Data, t->Header.RecordCount));
        bytes += static_cast<int64_t>(files.back().size());
    }
    for (auto _ : bm) {
        for (size_t i = 0; i < files.size(); ++i) {
            std::ofstream out(folder / ("table" + std::to_string(i) + ".dbf"), std::ios::binary | std::ios::trunc);
            out.write(files[i].data(), static_cast<std::streamsize>(files[i].size()));
        }
    }
    bm.SetBytesProcessed(bytes * bm.iterations());
}
BENCHMARK(BM_WriteSameBytesPlainly)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole "Сохранить" button: the save, closing the card and refilling the employee list.
void BM_SaveButton(benchmark::State &bm)
{
    Windows w(static_cast<int>(bm.range(0)));
    int salary = 20000;
    for (auto _ : bm) {
        bm.PauseTiming();
        w.card->show();
        w.card->OsnovnList->Edit3->setText(QString::number(++salary));
        // The generated identity numbers are random: the save warns about them and is confirmed.
        Dialogs::clearRecorded();
        Dialogs::queueAnswer(true);
        bm.ResumeTiming();
        w.card->Button2Click();
    }
}
BENCHMARK(BM_SaveButton)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

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
