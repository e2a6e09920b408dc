// The table engine on synthetic databases of 1,000 and 10,000 employees, beside baselines that
// do the same file work without the engine: a plain read of the file into memory, and writing
// the same bytes to a temporary file that is flushed and renamed.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "GenerateDatabase.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"

#ifdef __unix__
#include <fcntl.h>
#include <unistd.h>
#endif

namespace veltor {
namespace {

struct Database {
    QTemporaryDir dir;
    std::filesystem::path folder;
    std::filesystem::path table(std::string_view name) const
    {
        return resolveFileName(folder, name);
    }
};

// One generated database per size, kept for the whole run.
const Database &databaseOf(int employees)
{
    static std::map<int, std::unique_ptr<Database>> made;
    auto &slot = made[employees];
    if (!slot) {
        slot = std::make_unique<Database>();
        const std::filesystem::path root = pathFromQString(slot->dir.path());
        generateDatabase(root, employees, 42);
        slot->folder = root / "database";
    }
    return *slot;
}

void setBytes(benchmark::State &state, const std::filesystem::path &file)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(file)));
    state.SetComplexityN(state.range(0));
}

void BM_ReadTable(benchmark::State &state)
{
    const auto file = databaseOf(static_cast<int>(state.range(0))).table(schema::OsnovaTable);
    for (auto _ : state) {
        LoadedTable table = ReadTable(file);
        benchmark::DoNotOptimize(table.Data.data());
    }
    setBytes(state, file);
}

// Baseline: the whole file into a string with the same file API, no header work.
void BM_PlainRead(benchmark::State &state)
{
    const auto file = databaseOf(static_cast<int>(state.range(0))).table(schema::OsnovaTable);
    for (auto _ : state) {
        QFile in(pathToQString(file));
        if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            state.SkipWithError("open");
        std::string bytes(static_cast<size_t>(in.size()), '\0');
        in.read(bytes.data(), in.size());
        benchmark::DoNotOptimize(bytes.data());
    }
    setBytes(state, file);
}

void BM_WriteTable(benchmark::State &state)
{
    const Database &db = databaseOf(static_cast<int>(state.range(0)));
    const LoadedTable table = ReadTable(db.table(schema::OsnovaTable));
    const auto out = db.folder / "bench_out.dbf";
    for (auto _ : state)
        WriteTable(out, table);
    setBytes(state, out);
}

// Baseline: the same bytes to a temporary file in the same folder, flushed to disk (as the
// engine's atomic replace does) and renamed over the target.
void BM_PlainWriteRename(benchmark::State &state)
{
    const Database &db = databaseOf(static_cast<int>(state.range(0)));
    const LoadedTable table = ReadTable(db.table(schema::OsnovaTable));
    const std::string bytes = TableFileBytes(table.Header, table.Data, table.Header.RecordCount);
    const auto out = db.folder / "bench_plain.dbf";
    const auto temp = db.folder / "bench_plain.dbf.tmp";
    for (auto _ : state) {
#ifdef __unix__
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 ||
            ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
            ::fdatasync(fd) != 0)
            state.SkipWithError("write");
        ::close(fd);
#else
        std::ofstream(temp, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
#endif
        std::filesystem::rename(temp, out);
    }
    setBytes(state, out);
}

// Baseline without the flush, to show what the flush itself costs.
void BM_PlainWriteRenameNoSync(benchmark::State &state)
{
    const Database &db = databaseOf(static_cast<int>(state.range(0)));
    const LoadedTable table = ReadTable(db.table(schema::OsnovaTable));
    const std::string bytes = TableFileBytes(table.Header, table.Data, table.Header.RecordCount);
    const auto out = db.folder / "bench_nosync.dbf";
    const auto temp = db.folder / "bench_nosync.dbf.tmp";
    for (auto _ : state) {
        std::ofstream(temp, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::filesystem::rename(temp, out);
    }
    setBytes(state, out);
}

// The records of one employee in the employment history (three per employee, far apart).
void BM_SelectEqualTrud(benchmark::State &state)
{
    const int employees = static_cast<int>(state.range(0));
    const LoadedTable trud = ReadTable(databaseOf(employees).table(schema::TrudTable));
    const int kod = FieldIndex(trud.Header, schema::KOD);
    const std::string code = std::to_string(employees / 2);
    TIndex index;
    for (auto _ : state) {
        std::string selection = SelectEqualIdx(trud.Header, trud.Data, kod, code, index);
        benchmark::DoNotOptimize(selection.data());
    }
    if (index.size() != 4)
        state.SkipWithError("expected three records");
    state.SetComplexityN(state.range(0));
}

// A substring of names, as the list's search does: many matches, each copied.
void BM_SelectContainingFio(benchmark::State &state)
{
    const LoadedTable osnova =
        ReadTable(databaseOf(static_cast<int>(state.range(0))).table(schema::OsnovaTable));
    const int fio = FieldIndex(osnova.Header, schema::FIO);
    const std::string text = "\xC8\xE2\xE0\xED"; // "Иван" in CP1251
    for (auto _ : state) {
        std::string selection = SelectContaining(osnova.Header, osnova.Data, fio, text);
        benchmark::DoNotOptimize(selection.data());
    }
    state.SetComplexityN(state.range(0));
}

// The record of the last employee: the whole table is scanned.
void BM_Nomerstrokipokodu(benchmark::State &state)
{
    const int employees = static_cast<int>(state.range(0));
    const LoadedTable osnova = ReadTable(databaseOf(employees).table(schema::OsnovaTable));
    for (auto _ : state)
        benchmark::DoNotOptimize(nomerstrokipokodu(osnova.Header, osnova.Data, employees));
    state.SetComplexityN(state.range(0));
}

// Every field of every record read once, as filling the list does.
void BM_GetFieldAll(benchmark::State &state)
{
    const LoadedTable osnova =
        ReadTable(databaseOf(static_cast<int>(state.range(0))).table(schema::OsnovaTable));
    const int fields = FieldCount(osnova.Header);
    for (auto _ : state) {
        size_t total = 0;
        for (int r = 1; r <= osnova.Header.RecordCount; ++r)
            for (int f = 1; f <= fields; ++f)
                total += GetField(osnova.Header, osnova.Data, r, f).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetComplexityN(state.range(0));
}

// Adding an additional-parameter field widens every record of Dopoln.dbf.
void BM_AddFieldDopoln(benchmark::State &state)
{
    const LoadedTable dopoln =
        ReadTable(databaseOf(static_cast<int>(state.range(0))).table(schema::DopolnTable));
    for (auto _ : state) {
        LoadedTable copy = dopoln;
        AddField(copy.Header, copy.Data, "DOPOLN4", 50, 'C');
        benchmark::DoNotOptimize(copy.Data.data());
    }
    state.SetComplexityN(state.range(0));
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ReadTable)->Apply(sizes);
BENCHMARK(BM_PlainRead)->Apply(sizes);
BENCHMARK(BM_WriteTable)->Apply(sizes);
BENCHMARK(BM_PlainWriteRename)->Apply(sizes);
BENCHMARK(BM_PlainWriteRenameNoSync)->Apply(sizes);
BENCHMARK(BM_SelectEqualTrud)->Apply(sizes)->Complexity(benchmark::oN);
BENCHMARK(BM_SelectContainingFio)->Apply(sizes)->Complexity(benchmark::oN);
BENCHMARK(BM_Nomerstrokipokodu)->Apply(sizes)->Complexity(benchmark::oN);
BENCHMARK(BM_GetFieldAll)->Apply(sizes)->Complexity(benchmark::oN);
BENCHMARK(BM_AddFieldDopoln)->Apply(sizes)->Complexity(benchmark::oN);

} // namespace
} // namespace veltor

BENCHMARK_MAIN();
