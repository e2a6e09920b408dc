// Commits written in place: the file is byte for byte what writing the whole table gives, other
// readers read it, a failed commit leaves every file and table as it was, and a journal left by
// a stopped commit is rolled back.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "TestSupport.h"
#include "storage/FileIO.h"
#include "storage/TableCommit.h"
#include "text/Errors.h"

namespace veltor {
namespace {

using test::TempFolder;

constexpr std::string_view Structure = "KOD%C(6)FIO%C(12)OKLAD%N(9.2)";

LoadedTable makeTable(const std::filesystem::path &file, int records)
{
    CreateTableFile(file, Structure, 0);
    LoadedTable t = ReadTable(file);
    for (int r = 1; r <= records; ++r) {
        AppendBlankRecord(t.Header, t.Data);
        SetField(t.Header, r, 1, t.Data, std::to_string(r));
        SetField(t.Header, r, 2, t.Data, "name" + std::to_string(r));
    }
    WriteTable(file, t);
    return ReadTable(file);
}

void commit(const std::filesystem::path &folder, LoadedTable &t, const std::filesystem::path &file)
{
    std::vector<CommitFile> files{{file, &t, {}}};
    commitFiles(folder / "test.journal", "проверка", files);
}

std::string wholeBytes(const LoadedTable &t)
{
    return TableFileBytes(t.Header, t.Data, t.Header.RecordCount);
}

// Random change sets of settings, appends and deletions, each committed in place (one in five
// made to fail at a random step): after every commit the file holds exactly what writing the
// whole table gives, and after every failure the file and the table are what they were.
TEST(TableCommit, RandomChangeSetsWriteWhatWritingTheWholeTableGives)
{
    // In memory where the machine has it: the thousands of flushes to disk prove nothing here.
    QTemporaryDir dir(std::filesystem::is_directory("/dev/shm") ? QStringLiteral("/dev/shm/commit-XXXXXX")
                                                                 : QDir::tempPath() + QStringLiteral("/commit-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path folder = pathFromQString(dir.path());
    const std::filesystem::path file = folder / "t.dbf";
    LoadedTable t = makeTable(file, 40);
    std::mt19937 random(20261208);
    auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    int failures = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string fileBefore = test::readBytes(file);
        const std::string dataBefore = t.Data;
        const int changes = pick(1, 6);
        for (int c = 0; c < changes; ++c) {
            const int count = t.Header.RecordCount;
            const int kind = pick(0, 9);
            if (kind < 5 && count > 0)
                SetField(t, pick(1, count), pick(1, 3), std::to_string(pick(0, 999999)));
            else if (kind < 8 || count < 5)
                SetField(t, AppendBlankRecord(t), 2, "new" + std::to_string(round));
            else
                DeleteRecord(t, pick(1, count));
        }
        const bool fail = pick(0, 4) == 0;
        const int failingStep = pick(0, 2);
        int step = 0;
        if (fail)
            setCommitStepHook([&](const std::filesystem::path &) {
                if (step++ == failingStep)
                    throw std::runtime_error("No space left on device");
            });
        try {
            commit(folder, t, file);
            ASSERT_FALSE(fail) << "round " << round;
        } catch (const FileError &) {
            ASSERT_TRUE(fail) << "round " << round;
            ++failures;
            RevertChanges(t);
            ASSERT_EQ(test::readBytes(file), fileBefore) << "round " << round;
            ASSERT_EQ(t.Data, dataBefore) << "round " << round;
        }
        setCommitStepHook({});
        ASSERT_EQ(test::readBytes(file), wholeBytes(t)) << "round " << round;
        ASSERT_FALSE(std::filesystem::exists(folder / "test.journal"));
    }
    EXPECT_GT(failures, 300);

    // Other software reads the result: dbfread and GDAL count the same records.
    QProcess python;
    python.start("/usr/bin/python3", {"-c", "import sys\nfrom dbfread import DBF\nprint(len(list(DBF(sys.argv[1], "
                                      "encoding='cp1251'))))", pathToQString(file)});
    if (python.waitForFinished(60000) && python.exitCode() == 0)
        EXPECT_EQ(python.readAllStandardOutput().trimmed().toInt(), t.Header.RecordCount);
    const QString ogrinfo = QStandardPaths::findExecutable(QStringLiteral("ogrinfo"));
    if (!ogrinfo.isEmpty()) {
        QProcess gdal;
        gdal.start(ogrinfo, {"-ro", "-so", "-al", pathToQString(file)});
        ASSERT_TRUE(gdal.waitForFinished(60000));
        EXPECT_NE(gdal.readAllStandardOutput().indexOf("Feature Count: " + QByteArray::number(t.Header.RecordCount)), -1);
    }
}

// A change of one record writes that record and nothing of the others; an append writes the
// new record, the count and the end byte.
TEST(TableCommit, WritesWhatChangedOnly)
{
    TempFolder dir;
    const std::filesystem::path file = dir / "t.dbf";
    LoadedTable t = makeTable(file, 1000);
    SetField(t, 500, 3, "123.45");
    commit(dir.path(), t, file);
    EXPECT_EQ(lastCommitStatistics().fileBytes, t.Header.RecordLength + 1); // the record and the end byte
    SetField(t, AppendBlankRecord(t), 1, "1001");
    commit(dir.path(), t, file);
    EXPECT_LE(lastCommitStatistics().fileBytes, t.Header.RecordLength + 8 + 1);
    EXPECT_EQ(test::readBytes(file), wholeBytes(t));
}

// Bytes other software left past the last counted record are no record: they never show and
// never leak into a record appended later (a new employee used to get another's passport).
TEST(TableCommit, BytesPastTheRecordsAreNeitherReadNorKept)
{
    TempFolder dir;
    const std::filesystem::path file = dir / "t.dbf";
    makeTable(file, 3);
    std::string bytes = test::readBytes(file);
    bytes += std::string("   99old passport   12345.67");
    test::writeBytes(file, bytes);
    LoadedTable t = ReadTable(file);
    EXPECT_EQ(t.Header.RecordCount, 3);
    EXPECT_EQ(t.BytesPastRecords, 28);
    const int added = AppendBlankRecord(t);
    SetField(t, added, 1, "4");
    commit(dir.path(), t, file);
    EXPECT_EQ(test::readBytes(file), wholeBytes(t));
    EXPECT_EQ(GetField(t.Header, t.Data, added, 2), "");
    EXPECT_EQ(GetField(t.Header, t.Data, added, 3), "");
}

// A journal whose commit stopped after the files were touched returns every file to its old
// bytes, a file the commit created included; a journal cut short was never complete, so no
// file was touched, and it is only removed.
TEST(TableCommit, AJournalLeftBehindIsRolledBack)
{
    TempFolder dir;
    const std::filesystem::path file = dir / "t.dbf";
    const std::filesystem::path created = dir / "new.dbf";
    LoadedTable t = makeTable(file, 20);
    const std::string before = test::readBytes(file);
    DeleteRecord(t, 3);
    SetField(t, 1, 2, "changed");
    LoadedTable fresh;
    fresh.Loaded = true;
    CreateTableFile(dir / "tmp.dbf", Structure, 0);
    fresh = ReadTable(dir / "tmp.dbf");
    std::filesystem::remove(dir / "tmp.dbf");
    const std::filesystem::path journal = dir / "test.journal";
    std::string journalBytes;
    // The process "dies" once both files are written, before the journal is removed.
    setCommitStepHook([&](const std::filesystem::path &f) {
        if (f == journal && std::filesystem::exists(journal)) {
            journalBytes = test::readBytes(journal);
            throw std::runtime_error("stop");
        }
    });
    std::vector<CommitFile> files{{file, &t, {}}, {created, &fresh, {}}};
    EXPECT_THROW(commitFiles(journal, "карточка сотрудника", files), FileError);
    setCommitStepHook({});
    ASSERT_FALSE(journalBytes.empty());

    // As if the stop had left the files written: write them again, then put the journal back.
    RevertChanges(t);
    DeleteRecord(t, 3);
    std::vector<CommitFile> again{{file, &t, {}}, {created, &fresh, {}}};
    commitFiles(dir / "other.journal", "x", again);
    test::writeBytes(journal, journalBytes);
    EXPECT_EQ(rollBackJournal(journal), std::optional<std::string>("карточка сотрудника"));
    EXPECT_EQ(test::readBytes(file), before);
    EXPECT_FALSE(std::filesystem::exists(created));
    EXPECT_FALSE(std::filesystem::exists(journal));

    test::writeBytes(journal, journalBytes.substr(0, journalBytes.size() - 3));
    const std::string now = test::readBytes(file);
    EXPECT_EQ(rollBackJournal(journal), std::nullopt);
    EXPECT_EQ(test::readBytes(file), now);
    EXPECT_FALSE(std::filesystem::exists(journal));
}

// A table another program changed since it was read is not written over.
TEST(TableCommit, ATableChangedOnDiskIsNotWrittenOver)
{
    TempFolder dir;
    const std::filesystem::path file = dir / "t.dbf";
    LoadedTable t = makeTable(file, 5);
    LoadedTable other = ReadTable(file);
    SetField(other, 2, 2, "other");
    std::vector<CommitFile> byOther{{file, &other, {}}};
    commitFiles(dir / "j", "другая программа", byOther);
    const std::string theirs = test::readBytes(file);
    SetField(t, 3, 2, "mine");
    EXPECT_THROW(commit(dir.path(), t, file), TableChangedOnDisk);
    EXPECT_EQ(test::readBytes(file), theirs);
}

} // namespace
} // namespace veltor
