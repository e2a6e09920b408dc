#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "DemoDatabase.h"
#include "DemoFiles.h"
#include "DemoInstall.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"
#include "text/OrfoUnit.h"

namespace veltor::demo {
namespace {

namespace fs = std::filesystem;
namespace sc = veltor::schema;

fs::path temporaryFolder(const QTemporaryDir &dir)
{
    return pathFromQString(dir.path());
}

// Every file under `folder` by its path relative to it, with its bytes.
std::map<std::string, std::string> filesUnder(const fs::path &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.emplace(entry.path().lexically_relative(folder).generic_string(),
                          readFile(entry.path()));
    }
    return files;
}

std::vector<std::string> namesOf(const std::map<std::string, std::string> &files)
{
    std::vector<std::string> names;
    for (const auto &[name, bytes] : files)
        names.push_back(name);
    return names;
}

// A loaded table with field access by name, for checking the generated data.
struct Table {
    LoadedTable table;

    explicit Table(const fs::path &file) : table(ReadTable(file)) {}
    int count() const { return table.Header.RecordCount; }
    bool has(std::string_view field) const { return FieldIndex(table.Header, field) > 0; }
    std::string get(int record, std::string_view field) const
    {
        const int index = FieldIndex(table.Header, field);
        if (index < 1)
            throw std::logic_error("no field " + std::string(field));
        return GetField(table.Header, table.Data, record, index);
    }
};

// The demo is written once for all tests of the content; writing it is the slow part.
class DemoContentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = new QTemporaryDir;
        writeDemo(temporaryFolder(*s_folder));
    }
    static void TearDownTestSuite()
    {
        delete s_folder;
        s_folder = nullptr;
    }

    static fs::path demo() { return temporaryFolder(*s_folder); }
    static Table database(std::string_view name)
    {
        return Table(resolveFileName(demo() / "database", name));
    }
    static Table program(std::string_view name)
    {
        return Table(resolveFileName(demo() / "program", name));
    }

    static inline QTemporaryDir *s_folder = nullptr;
};

// The committed demo/ is what the generator writes: regenerate it with
// `mkdemo write demo` after changing the generator or the content.
TEST_F(DemoContentTest, CommittedDemoIsWhatTheGeneratorWrites)
{
    for (const std::string folder : {"database", "program"}) {
        const auto generated = filesUnder(demo() / folder);
        const auto committed = filesUnder(fs::path(VELTOR_DEMO_DIR) / folder);
        EXPECT_EQ(namesOf(generated), namesOf(committed)) << folder;
        for (const auto &[name, bytes] : generated) {
            const auto other = committed.find(name);
            if (other == committed.end())
                continue;
            const auto difference = std::mismatch(bytes.begin(), bytes.end(), other->second.begin(),
                                                  other->second.end());
            EXPECT_EQ(bytes.size(), other->second.size()) << folder << "/" << name;
            EXPECT_EQ(difference.first - bytes.begin(), static_cast<std::ptrdiff_t>(bytes.size()))
                << "first differing byte of " << folder << "/" << name;
        }
    }
}

TEST_F(DemoContentTest, EveryPersonnelRecordBelongsToAnEmployee)
{
    const Table osnova = database(sc::OsnovaTable);
    std::set<std::string> codes;
    for (int r = 1; r <= osnova.count(); ++r)
        EXPECT_TRUE(codes.insert(osnova.get(r, sc::KOD)).second)
            << "KOD " << osnova.get(r, sc::KOD) << " twice";
    EXPECT_EQ(codes.size(), 30u);

    for (const auto name : {sc::PassportTable, sc::SemjaTable, sc::TrudTable, sc::ObrazTable,
                            sc::VoenTable, sc::DopolnTable, sc::ZhurDokTable, sc::PriemTable,
                            sc::UvolTable, sc::OtpuskTable, sc::KomandTable}) {
        const Table table = database(name);
        EXPECT_GT(table.count(), 0) << name;
        for (int r = 1; r <= table.count(); ++r)
            EXPECT_EQ(codes.count(table.get(r, sc::KOD)), 1u) << name << " record " << r;
    }
    // One passport and one additional-parameters record per employee.
    EXPECT_EQ(database(sc::PassportTable).count(), 30);
    EXPECT_EQ(database(sc::DopolnTable).count(), 30);
}

// The main record repeats the last history record, and every history record has all its dates,
// so saving a card without changes adds no history record.
TEST_F(DemoContentTest, HistoryIsConsistentWithTheMainRecord)
{
    const Table osnova = database(sc::OsnovaTable);
    const Table trud = database(sc::TrudTable);
    const Table dolzh = database(sc::DolzhTable);
    const Table otdel = database(sc::OtdelTable);
    const auto exists = [](const Table &table, const std::string &nom) {
        for (int r = 1; r <= table.count(); ++r) {
            if (table.get(r, sc::NOM) == nom)
                return true;
        }
        return false;
    };
    int dismissed = 0;
    for (int e = 1; e <= osnova.count(); ++e) {
        const std::string kod = osnova.get(e, sc::KOD);
        std::vector<int> own;
        for (int r = 1; r <= trud.count(); ++r) {
            if (trud.get(r, sc::KOD) == kod)
                own.push_back(r);
        }
        ASSERT_GE(own.size(), 2u) << "KOD " << kod;
        EXPECT_LE(own.size(), 4u) << "KOD " << kod;
        for (size_t i = 0; i < own.size(); ++i) {
            const int r = own[i];
            EXPECT_EQ(trud.get(r, sc::N_IZM), std::to_string(i + 1)) << "KOD " << kod;
            for (const auto field : {sc::D_IZM, sc::D_POST, sc::D_DOG, sc::D_PRIL})
                EXPECT_NO_THROW(strToDate(trud.get(r, field))) << "KOD " << kod << " " << field;
            EXPECT_TRUE(exists(dolzh, trud.get(r, sc::DOLZH))) << "KOD " << kod;
            EXPECT_TRUE(exists(otdel, trud.get(r, sc::OTDEL))) << "KOD " << kod;
            if (i > 0) {
                EXPECT_LE(strToDate(trud.get(own[i - 1], sc::D_IZM)),
                          strToDate(trud.get(r, sc::D_IZM)));
            }
        }
        const int last = own.back();
        for (const auto field : {sc::DOLZH, sc::OTDEL, sc::OKLAD})
            EXPECT_EQ(osnova.get(e, field), trud.get(last, field)) << "KOD " << kod << " " << field;
        const bool isDismissed = !trud.get(last, sc::D_UVOL).empty();
        EXPECT_EQ(osnova.get(e, sc::UVOLEN), isDismissed ? "1" : "0") << "KOD " << kod;
        dismissed += isDismissed ? 1 : 0;
    }
    EXPECT_EQ(dismissed, 4);
}

TEST_F(DemoContentTest, EveryOrderHasItsDetailAndHistoryRecords)
{
    const Table zhurDok = database(sc::ZhurDokTable);
    const Table trud = database(sc::TrudTable);
    struct KindTables {
        std::string_view detail;
        bool changesHistory;
    };
    const KindTables kinds[] = {{sc::PriemTable, true},   {sc::UvolTable, true},
                                {sc::PriemTable, true},   {sc::PriemTable, true},
                                {sc::OtpuskTable, false}, {sc::KomandTable, false}};
    std::map<std::string_view, int> detailRecordsUsed;
    std::map<std::string, int> numbersPerKind;
    for (int z = 1; z <= zhurDok.count(); ++z) {
        const std::string id = zhurDok.get(z, sc::ID_DOK);
        const std::string kod = zhurDok.get(z, sc::KOD);
        EXPECT_EQ(id, std::to_string(z));
        const int kind = strToInt(zhurDok.get(z, sc::TIP_DOK)) - 1;
        ASSERT_GE(kind, 0);
        ASSERT_LT(kind, 6);
        EXPECT_EQ(zhurDok.get(z, sc::NOM_DOK),
                  std::to_string(++numbersPerKind[zhurDok.get(z, sc::TIP_DOK)]));
        EXPECT_NO_THROW(strToDate(zhurDok.get(z, sc::DATA_DOK)));
        EXPECT_NO_THROW(strToDate(zhurDok.get(z, sc::D_NACH)));

        const Table detail = database(kinds[kind].detail);
        int matches = 0;
        for (int r = 1; r <= detail.count(); ++r) {
            if (detail.get(r, sc::ID_DOK) == id) {
                ++matches;
                EXPECT_EQ(detail.get(r, sc::KOD), kod) << "order " << id;
            }
        }
        EXPECT_EQ(matches, 1) << "order " << id;
        detailRecordsUsed[kinds[kind].detail] += matches;

        int history = 0;
        for (int r = 1; r <= trud.count(); ++r) {
            if (trud.get(r, sc::ID_DOK) == id) {
                ++history;
                EXPECT_EQ(trud.get(r, sc::KOD), kod) << "order " << id;
            }
        }
        EXPECT_EQ(history, kinds[kind].changesHistory ? 1 : 0) << "order " << id;
    }
    EXPECT_EQ(numbersPerKind.size(), 6u); // every kind of order is there
    for (const auto name : {sc::PriemTable, sc::UvolTable, sc::OtpuskTable, sc::KomandTable})
        EXPECT_EQ(database(name).count(), detailRecordsUsed[name])
            << name << " has records of no order";
}

TEST_F(DemoContentTest, ConfigurationTablesNameWhatExists)
{
    const Table tipDok = database(sc::TipDokTable);
    const std::string hrKinds[] = {"Прием на работу",  "Увольнение", "Перевод на другую работу",
                                   "Изменение оклада", "Отпуск",     "Командировка"};
    ASSERT_GT(tipDok.count(), 6);
    for (int r = 1; r <= tipDok.count(); ++r) {
        EXPECT_EQ(tipDok.get(r, sc::TIP_UCH), r <= 6 ? "k" : "z") << "TipDok record " << r;
        if (r <= 6) {
            EXPECT_EQ(cp1251ToUtf8(tipDok.get(r, sc::NAZ_DOK)), hrKinds[r - 1]);
        }
    }

    // The officers named by code hold the posts they are named for.
    const Table konstanty = program(sc::KonstantyTable);
    const Table osnova = database(sc::OsnovaTable);
    ASSERT_EQ(konstanty.count(), 10);
    const std::map<std::string, std::string> officerPosition = {
        {"DIREKTOR", "1"}, {"GL_BUH", "3"}, {"KADROVIK", "5"}};
    for (int r = 1; r <= 7; ++r) {
        const auto post = officerPosition.find(konstanty.get(r, sc::PEREMEN));
        if (post == officerPosition.end())
            continue;
        const int e = nomerstrokipokodu(osnova.table.Header, osnova.table.Data,
                                        strToInt(konstanty.get(r, sc::ZNACHEN)));
        ASSERT_GT(e, 0) << post->first;
        EXPECT_EQ(osnova.get(e, sc::DOLZH), post->second) << post->first;
    }
    const Table dopoln = database(sc::DopolnTable);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(konstanty.get(7 + k, sc::PEREMEN), sc::dopolnFieldName(k));
        const int field = FieldIndex(dopoln.table.Header, sc::dopolnFieldName(k));
        ASSERT_GT(field, 0);
        EXPECT_EQ(dopoln.table.Header.FieldLengths[field], sc::DopolnFieldLength);
    }

    // Every list column names a field of the table its number stands for.
    const std::string_view tablesByNumber[] = {sc::OsnovaTable, sc::PassportTable, sc::SemjaTable,
                                               sc::TrudTable,   sc::DopolnTable,   sc::VoenTable};
    const Table stolb = program(sc::StolbTable);
    for (int r = 1; r <= stolb.count(); ++r) {
        const int number = strToInt(stolb.get(r, sc::NOMER_BAZY));
        ASSERT_GE(number, 1);
        ASSERT_LE(number, 6);
        EXPECT_TRUE(database(tablesByNumber[number - 1]).has(stolb.get(r, sc::POLE_BAZY)))
            << stolb.get(r, sc::POLE_BAZY);
        EXPECT_GT(strToInt(stolb.get(r, sc::SHIRINA)), 0);
    }
}

TEST_F(DemoContentTest, NameFormsAndFamilyDatesFollowTheirFormats)
{
    const Table osnova = database(sc::OsnovaTable);
    for (int e = 1; e <= osnova.count(); ++e) {
        const std::string fio = osnova.get(e, sc::FIO);
        EXPECT_EQ(osnova.get(e, sc::SOKR_FIO), InitialsFirst(fio));
        const std::string initials = InitialsLast(fio).substr(fio.find(' '));
        const std::string kogo = osnova.get(e, sc::FIO_KOGO);
        EXPECT_TRUE(kogo.ends_with(initials)) << cp1251ToUtf8(kogo);
        EXPECT_EQ(osnova.get(e, sc::INN).size(), 12u);
        EXPECT_EQ(osnova.get(e, sc::STRAH_SVID).size(), 14u);
    }
    // A birth date, or six blanks and the year when only the year is known.
    const Table semja = database(sc::SemjaTable);
    int yearOnly = 0;
    for (int r = 1; r <= semja.count(); ++r) {
        const int field = FieldIndex(semja.table.Header, sc::S_ROZHD);
        const std::string raw =
            semja.table.Data.substr(static_cast<size_t>(r - 1) * semja.table.Header.RecordLength +
                                        semja.table.Header.FieldOffsets[field],
                                    semja.table.Header.FieldLengths[field]);
        if (raw.starts_with("      ")) {
            ++yearOnly;
            EXPECT_EQ(strToInt(raw), strToInt(raw.substr(6, 4)));
        } else {
            EXPECT_NO_THROW(strToDate(raw)) << raw;
        }
    }
    EXPECT_GE(yearOnly, 2);
}

struct JpegSize {
    int width = 0;
    int height = 0;
    bool operator==(const JpegSize &) const = default;
};

JpegSize decodedSize(const std::string &bytes)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = [](j_common_ptr) { throw std::runtime_error("not a JPEG"); };
    jpeg_create_decompress(&info);
    try {
        jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        std::vector<unsigned char> row(static_cast<size_t>(info.output_width) *
                                       info.output_components);
        while (info.output_scanline < info.output_height) {
            JSAMPROW rows[] = {row.data()};
            jpeg_read_scanlines(&info, rows, 1);
        }
        jpeg_finish_decompress(&info);
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }
    const JpegSize size{static_cast<int>(info.output_width), static_cast<int>(info.output_height)};
    jpeg_destroy_decompress(&info);
    return size;
}

// --- Installation ---------------------------------------------------------------------------

class DemoInstallTest : public DemoContentTest {
protected:
    void SetUp() override
    {
        // A demo folder of the test's own, so that nothing can touch the committed one.
        m_demo = temporaryFolder(m_folders) / "demo";
        copyFolderContents(demo(), m_demo);
        createFolder(m_demo / "templates");
        writeFile(m_demo / "templates" / "т-2.rtf", "{\\rtf1 }");
        m_run = temporaryFolder(m_folders) / "run";
    }

    QTemporaryDir m_folders;
    fs::path m_demo;
    fs::path m_run;
};

TEST_F(DemoInstallTest, InstallsAWorkingCopyPointingIntoTheRunFolder)
{
    const auto demoBefore = filesUnder(m_demo);
    installDemo(m_demo, m_run);
    EXPECT_EQ(filesUnder(m_demo), demoBefore);

    const std::string root = pathToUtf8(fs::absolute(m_run).lexically_normal());
    EXPECT_EQ(cp1251ToUtf8(readFile(m_run / "config.ini")),
              "[PUT]\r\n" + root + "/database/osnova.dbf\r\n[DOK]\r\n" + root +
                  "/templates/\r\n[VYVOD]\r\n" + root +
                  "/output/\r\n[INTERFACE]\r\n0\r\n[VID]\r\n11\r\n");
    for (const char *name : {"Stolb", "Konstanty", "Pechat", "nonFoto.bmp", "Help.doc"})
        EXPECT_TRUE(fs::is_regular_file(m_run / name)) << name;
    EXPECT_TRUE(fs::is_regular_file(m_run / "templates" / "т-2.rtf"));
    EXPECT_TRUE(fs::is_directory(m_run / "output"));
    EXPECT_FALSE(fs::exists(m_run / ".database.install"));

    const Table osnova(resolveFileName(m_run / "database", sc::OsnovaTable));
    int photos = 0;
    for (int e = 1; e <= osnova.count(); ++e) {
        const std::string photo = cp1251ToUtf8(osnova.get(e, sc::FOTO));
        if (photo.empty())
            continue;
        ++photos;
        EXPECT_TRUE(photo.starts_with(root + "/database/foto/")) << photo;
        EXPECT_EQ(decodedSize(readFile(pathFromCp1251(osnova.get(e, sc::FOTO)))),
                  (JpegSize{120, 160}))
            << photo;
    }
    EXPECT_EQ(photos, 5);
    const Table pechat(resolveFileName(m_run, sc::PechatTable));
    ASSERT_EQ(pechat.count(), 2);
    EXPECT_EQ(cp1251ToUtf8(pechat.get(1, sc::FAIL)), root + "/templates/т-2.rtf");
    EXPECT_TRUE(fs::is_regular_file(pathFromCp1251(pechat.get(1, sc::FAIL))));
    EXPECT_TRUE(cp1251ToUtf8(pechat.get(2, sc::FAIL)).starts_with(root + "/templates/"));

    // The program's other files, from the run folder as the program reads them.
    const std::string bmp = readFile(m_run / "nonFoto.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24u); // bits per pixel
    EXPECT_TRUE(readFile(m_run / "Help.doc").starts_with("{\\rtf1\\ansi\\ansicpg1251"));
}

// The working copy holds the user's changes: installing again must not replace it.
TEST_F(DemoInstallTest, RefusesToReplaceAnExistingDatabase)
{
    installDemo(m_demo, m_run);
    const fs::path osnova = resolveFileName(m_run / "database", sc::OsnovaTable);
    writeFile(osnova, "changed by the user");
    EXPECT_THROW(installDemo(m_demo, m_run), FileError);
    EXPECT_EQ(readFile(osnova), "changed by the user");
}

TEST_F(DemoInstallTest, RefusesARunFolderInsideTheDemo)
{
    const auto demoBefore = filesUnder(m_demo);
    EXPECT_THROW(installDemo(m_demo, m_demo / "run"), FileError);
    EXPECT_THROW(installDemo(m_demo, m_demo), FileError);
    EXPECT_EQ(filesUnder(m_demo), demoBefore);
}

// A run folder whose path a table cannot hold whole: a cut path or '?' in place of a letter
// would name another file, so the install fails and leaves no database behind.
TEST_F(DemoInstallTest, RefusesPathsTheTablesCannotHold)
{
    const fs::path tooLong =
        m_run / std::string(100, 'a') / std::string(100, 'b') / std::string(60, 'c');
    const fs::path notCp1251 = m_run / fs::path(u8"日本");
    for (const fs::path &run : {tooLong, notCp1251}) {
        EXPECT_THROW(installDemo(m_demo, run), FileError) << pathToUtf8(run);
        EXPECT_FALSE(fs::exists(run / "database")) << pathToUtf8(run);
        EXPECT_FALSE(fs::exists(run / ".database.install")) << pathToUtf8(run);
    }
}

} // namespace
} // namespace veltor::demo
