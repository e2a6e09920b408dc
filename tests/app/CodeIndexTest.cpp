// The kept index by code must answer as a pass over the table would, after any mix of the
// changes windows make: appended records with their codes set later, codes changed in place,
// deletions, changes taken back and committed.
#include "records/CodeIndex.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "text/Convert.h"
#include "text/Errors.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace veltor {
namespace {

// What a look-up by code means, by a pass over every record.
std::vector<int32_t> scanEqual(const LoadedTable &t, std::string_view field, std::string_view text)
{
    TIndex index;
    SelectEqualIdx(t.Header, t.Data, FieldIndex(t.Header, field), text, index);
    return std::vector<int32_t>(index.begin() + 1, index.end());
}

int scanFirstWithValue(const LoadedTable &t, std::string_view field, int32_t value)
{
    const int f = FieldIndex(t.Header, field);
    for (int r = 1; r <= t.Header.RecordCount; ++r) {
        int32_t n = 0;
        if (tryStrToInt(GetField(t.Header, t.Data, r, f), n) && n == value)
            return r;
    }
    return 0;
}

TEST(CodeIndex, AnswersAsAPassOverTheTableAfterRandomChanges)
{
    QTemporaryDir dir;
    const std::filesystem::path file = pathFromQString(dir.filePath("trud.dbf"));
    CreateTableFile(file, "KOD%C(6)ID_DOK%C(6)OKLAD%C(8)", 0);
    LoadedTable t;
    ReadTable(file, t);

    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // Codes from a small range so that look-ups find several records; now and then a text that
    // is no plain integer, which the index must hand to the pass over the table.
    auto someCode = [&]() -> std::string {
        switch (pick(12)) {
        case 0: return "";
        case 1: return "0" + std::to_string(1 + pick(9));
        case 2: return "x" + std::to_string(pick(3));
        default: return std::to_string(1 + pick(30));
        }
    };
    for (int step = 0; step < 3000; ++step) {
        const int count = t.Header.RecordCount;
        switch (pick(10)) {
        case 0: case 1: case 2: {
            const int r = AppendBlankRecord(t);
            if (pick(2))
                SetField(t, r, "KOD", someCode());
            break;
        }
        case 3: case 4:
            if (count)
                SetField(t, 1 + pick(count), pick(2) ? "KOD" : "ID_DOK", someCode());
            break;
        case 5:
            if (count)
                SetField(t, 1 + pick(count), "OKLAD", std::to_string(pick(100000)));
            break;
        case 6:
            if (count && pick(3) == 0)
                DeleteRecord(t, 1 + pick(count));
            break;
        case 7:
            if (pick(8) == 0)
                RevertChanges(t);
            break;
        case 8:
            if (pick(4) == 0)
                AcceptChanges(t);
            break;
        default:
            break;
        }
        for (std::string_view field : {std::string_view("KOD"), std::string_view("ID_DOK")}) {
            const CodeIndex &index = indexByField(t, field);
            std::string code = someCode();
            if (code.empty())
                code = "1";
            // A stored text that is no number but contains the code makes both raise.
            const auto outcome = [](auto &&lookUp) -> std::optional<std::vector<int32_t>> {
                try {
                    return lookUp();
                } catch (const VeltorError &) {
                    return std::nullopt;
                }
            };
            const auto expected = outcome([&] { return scanEqual(t, field, code); });
            ASSERT_EQ(outcome([&] { return index.find(code); }), expected)
                << "step " << step << ", " << field << " = '" << code << "'";
            if (expected) {
                ASSERT_EQ(index.first(code), expected->empty() ? 0 : expected->front()) << "step " << step;
                ASSERT_EQ(index.last(code), expected->empty() ? 0 : expected->back()) << "step " << step;
            }
            int32_t value = 0;
            if (tryStrToInt(code, value))
                ASSERT_EQ(index.firstWithValue(value), scanFirstWithValue(t, field, value)) << "step " << step;
        }
    }
}

} // namespace
} // namespace veltor
