// Every committed seed and regression file through the fuzz targets' own code, in the ordinary
// (and the sanitizer) test build; and the faults the fuzzing found, checked by their results.
#include "app/EmployeeList.h"
#include "records/Startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int fuzzTable(const uint8_t *bytes, size_t size);
extern "C" int fuzzConfig(const uint8_t *bytes, size_t size);
extern "C" int fuzzRtf(const uint8_t *bytes, size_t size);
extern "C" int fuzzJpeg(const uint8_t *bytes, size_t size);

namespace veltor::test {
namespace {

void replay(const char *folder, int (*target)(const uint8_t *, size_t))
{
    const std::filesystem::path corpus = std::filesystem::path(VELTOR_FUZZ_CORPUS) / folder;
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(target(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size()), 0);
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(FuzzCorpusTest, EverySeedAndRegressionFileIsHandled)
{
    replay("table", fuzzTable);
    replay("config", fuzzConfig);
    replay("rtf", fuzzRtf);
    replay("jpeg", fuzzJpeg);
}

TEST(FuzzFindingsTest, ColumnWidthsFromStolbStayWithinTheScreenAndNegativeStillHides)
{
    AppState state;
    state.MainTablePath = VELTOR_DEMO_DATABASE "/osnova.dbf";
    loadPersonnelTables(state);
    state.ColumnSettings = {{"A", 999999999, "FIO", "1", "1"},
                            {"B", -715827883, "FIO", "1", "1"},
                            {"C", 40, "FIO", "1", "1"}};
    const ListContent list = buildEmployeeList(state, effectiveCodeList(state, "-1"));
    ASSERT_EQ(list.widths.size(), 4u);
    EXPECT_EQ(list.widths[1], 30000);
    EXPECT_EQ(list.widths[2], -1);
    EXPECT_EQ(list.widths[3], 120);
}

} // namespace
} // namespace veltor::test
