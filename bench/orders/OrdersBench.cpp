// The orders window on synthetic databases: saving an order (seven table files) against writing
// the same bytes plainly, and opening the journal of 2,000 orders.
#include "GenerateDatabase.h"

#include "records/AppState.h"
#include "app/Dialogs.h"
#include "app/Unit1.h"
#include "orders/OrderFormPanel.h"
#include "orders/OrderLogic.h"
#include "orders/Unit4.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"

#include <QApplication>
#include <QComboBox>
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

// One generated database per size and journal length, kept for the whole run.
Database &databaseOf(int employees, int orders)
{
    static std::map<std::pair<int, int>, std::unique_ptr<Database>> made;
    auto &slot = made[{employees, orders}];
    if (!slot) {
        slot = std::make_unique<Database>();
        slot->root = slot->dir.path().toStdString();
        generateDatabase(slot->root, employees, 42);
        slot->program = slot->root / "program";
        std::ofstream(slot->program / "config.ini", std::ios::binary)
            << "[PUT]\r\n" << (slot->root / "database" / "osnova.dbf").string()
            << "\r\n[DOK]\r\n\r\n[VYVOD]\r\n\r\n[INTERFACE]\r\n0\r\n[VID]\r\n11\r\n";
        // A journal of `orders` orders of every kind over the employees.
        const std::filesystem::path file = resolveFileName(slot->root / "database", schema::ZhurDokTable);
        LoadedTable z = ReadTable(file);
        auto set = [&z](int r, std::string_view f, const std::string &v) {
            SetField(z.Header, r, FieldIndex(z.Header, f), z.Data, v);
        };
        for (int i = 1; i <= orders; ++i) {
            AppendBlankRecord(z.Header, z.Data);
            set(i, schema::ID_DOK, std::to_string(i));
            set(i, schema::TIP_DOK, std::to_string(i % 6 + 1));
            set(i, schema::NOM_DOK, std::to_string(i / 6 + 1));
            set(i, schema::DATA_DOK, "01.02.2024");
            set(i, schema::KOD, std::to_string(i * 7 % employees + 1));
            set(i, schema::OSNOVAN, "Order grounds");
            set(i, schema::D_NACH, "02.02.2024");
        }
        WriteTable(file, z);
    }
    return *slot;
}

struct Windows {
    AppState state;
    std::unique_ptr<TForm1> main;
    std::unique_ptr<TForm4> orders;

    Windows(int employees, int journal)
    {
        state.ProgramFolder = databaseOf(employees, journal).program;
        main = std::make_unique<TForm1>(state);
        orders = std::make_unique<TForm4>(state, *main);
        FormLinks links;
        links.Form4 = orders.get();
        main->setLinks(links);
        main->FormCreate();
    }
};

// The save proper: a transfer of the employee in the middle of the list, saved again and again
// under one order identity (its records are overwritten, so the tables keep their size).
void BM_SaveOrder(benchmark::State &bm)
{
    const int employees = static_cast<int>(bm.range(0));
    Windows w(employees, 0);
    w.orders->N6_1Click();
    TOrderFormPanel &f = *w.orders->DokumPanel;
    f.DokumComboTipOper->setCurrentIndex(Transfer);
    w.orders->DokumComboTipOperChange();
    f.selectEmployee(employees / 2);
    f.DokumComboSotrChange();
    int salary = 10000;
    for (auto _ : bm) {
        bm.PauseTiming();
        f.DokumEdit3->setText(QString::number(++salary));
        bm.ResumeTiming();
        w.orders->sohraneniedokumenta();
    }
    const OrderBook &b = w.orders->book();
    int64_t bytes = 0;
    for (const LoadedTable *t : std::initializer_list<const LoadedTable *>{&b.ZhurDok, &b.Priem, &b.Uvol, &b.Otpusk, &b.Komand, &w.state.Trud, &w.state.Osnova})
        bytes += static_cast<int64_t>(t->Data.size());
    bm.SetBytesProcessed(bytes * bm.iterations());
}
BENCHMARK(BM_SaveOrder)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same seven files' bytes written with a plain stream: no temporary file, no flush, no
// rename. The measure the save is compared with.
void BM_WriteSameBytesPlainly(benchmark::State &bm)
{
    const int employees = static_cast<int>(bm.range(0));
    Windows w(employees, 0);
    const OrderBook book = readOrderBook(w.state);
    const std::filesystem::path folder = databaseOf(employees, 0).root / "plain";
    std::filesystem::create_directories(folder);
    std::vector<std::string> files;
    int64_t bytes = 0;
    for (const LoadedTable *t : std::initializer_list<const LoadedTable *>{&book.ZhurDok, &book.Priem, &book.Uvol, &book.Otpusk, &book.Komand, &w.state.Trud,
                                 &w.state.Osnova}) {
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
BENCHMARK(BM_WriteSameBytesPlainly)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// "Журнал документов": the five order tables read, the ID fixed and the grid filled with the
// journal's kinds and employees by name.
void BM_OpenJournal(benchmark::State &bm)
{
    Windows w(10000, static_cast<int>(bm.range(0)));
    for (auto _ : bm) {
        w.orders->N6_4Click();
        bm.PauseTiming();
        w.orders->close();
        bm.ResumeTiming();
    }
}
BENCHMARK(BM_OpenJournal)->Arg(2000)->Unit(benchmark::kMillisecond);

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
