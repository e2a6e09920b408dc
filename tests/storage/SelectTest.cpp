// Selections over a loaded table and the look-up of an employee by code.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "storage/DBFUnit.h"
#include "text/Errors.h"

namespace veltor {
namespace {

LoadedTable codes(const std::vector<std::string> &values)
{
    std::vector<std::vector<std::string>> rows;
    for (const std::string &v : values)
        rows.push_back({v, "n" + v});
    return test::makeTable({{"KOD", 5}, {"NAME", 6}}, rows);
}

std::vector<std::string> kods(const TTableHeader &header, const std::string &selection)
{
    std::vector<std::string> values;
    for (int r = 1; r <= WholeRecordCount(header, selection); ++r)
        values.push_back(GetField(header, selection, r, 1));
    return values;
}

using Kods = std::vector<std::string>;

TEST(Select, EqualComparesIntegersContainingComparesText)
{
    const LoadedTable t = codes({"5", "15", "50", "  5", "-5", "05"});
    EXPECT_EQ(kods(t.Header, SelectEqual(t.Header, t.Data, 1, "5")), (Kods{"5", "5", "05"}));
    EXPECT_EQ(kods(t.Header, SelectContaining(t.Header, t.Data, 1, "5")),
              (Kods{"5", "15", "50", "5", "-5", "05"}));
    EXPECT_EQ(kods(t.Header, SelectEqual(t.Header, t.Data, 1, "-5")), (Kods{"-5"}));
    EXPECT_EQ(kods(t.Header, SelectContaining(t.Header, t.Data, 2, "n1")), (Kods{"15"}));
}

TEST(Select, EmptyTextBadFieldAndWholeTable)
{
    const LoadedTable t = codes({"1", "2"});
    EXPECT_EQ(SelectContaining(t.Header, t.Data, 1, ""), "");
    EXPECT_EQ(SelectEqual(t.Header, t.Data, 1, ""), "");
    EXPECT_EQ(SelectContaining(t.Header, t.Data, -1, "1"), "");
    EXPECT_EQ(SelectContaining(t.Header, t.Data, 3, "1"), "");
    // Field 0: every whole record, without the end-of-data byte.
    EXPECT_EQ(SelectContaining(t.Header, t.Data, 0, "zzz"), t.Data.substr(0, t.Data.size() - 1));
    TIndex index;
    EXPECT_EQ(SelectEqualIdx(t.Header, t.Data, 0, "x", index), t.Data.substr(0, 24));
    EXPECT_EQ(index, (TIndex{0, 1, 2}));
}

TEST(Select, IndexHoldsSourceRecordNumbers)
{
    const LoadedTable t = codes({"1", "7", "3", "4", "5", "6", "7"});
    TIndex index{9, 9, 9, 9, 9};
    const std::string selection = SelectEqualIdx(t.Header, t.Data, 1, "7", index);
    EXPECT_EQ(index, (TIndex{0, 2, 7}));
    EXPECT_EQ(WholeRecordCount(t.Header, selection), 2);
    EXPECT_EQ(GetField(t.Header, selection, 2, 2), "n7");

    SelectContainingIdx(t.Header, t.Data, 1, "99", index);
    EXPECT_EQ(index, (TIndex{0}));
}

TEST(Select, SelectionReadsInSelectionOrder)
{
    const LoadedTable t = codes({"10", "20", "11", "30"});
    const std::string selection = SelectContaining(t.Header, t.Data, 1, "1");
    EXPECT_EQ(GetField(t.Header, selection, 1, 2), "n10");
    EXPECT_EQ(GetField(t.Header, selection, 2, 2), "n11");
    EXPECT_EQ(GetField(t.Header, selection, 3, 2), "");
}

TEST(Select, PartialTrailingRecordIsNotScanned)
{
    LoadedTable t = codes({"1", "1"});
    t.Data.pop_back();
    t.Data += " 1  "; // the start of a third record
    EXPECT_EQ(kods(t.Header, SelectContaining(t.Header, t.Data, 1, "1")), (Kods{"1", "1"}));
    TTableHeader noLength = t.Header;
    noLength.RecordLength = 0;
    EXPECT_EQ(SelectContaining(noLength, t.Data, 0, "1"), "");
    EXPECT_EQ(RecordNoOfText("1", t.Data, noLength), 0);
}

TEST(Select, EqualRaisesConversionErrorOnlyAfterASubstringMatch)
{
    const LoadedTable t = codes({"abc", "", "5x", "5"});
    // "abc" and the empty field do not contain "5", so they are never converted.
    EXPECT_THROW(SelectEqual(t.Header, t.Data, 1, "5"), ConversionError);
    const LoadedTable clean = codes({"abc", "", "5"});
    EXPECT_EQ(kods(clean.Header, SelectEqual(clean.Header, clean.Data, 1, "5")), (Kods{"5"}));
    EXPECT_EQ(SelectEqual(clean.Header, clean.Data, 1, "q"), ""); // no field contains "q"
    EXPECT_THROW(SelectEqual(clean.Header, clean.Data, 1, "b"), ConversionError);
    try {
        SelectEqual(t.Header, t.Data, 1, "5");
    } catch (const ConversionError &e) {
        EXPECT_NE(std::string(e.what()).find("\"5x\""), std::string::npos) << e.what();
    }
}

TEST(RecordNoOfText, RecordOfTheFirstOccurrence)
{
    const LoadedTable t = test::makeTable(
        {{"PEREMEN", 8}, {"ZNACHEN", 6}},
        {{"DIREKTOR", "12"}, {"GL_BUH", "3"}, {"DOPOLN1", "cap"}, {"DOPOLN1", "x"}});
    EXPECT_EQ(RecordNoOfText("DOPOLN1", t.Data, t.Header), 3);
    EXPECT_EQ(RecordNoOfText("BUH", t.Data, t.Header), 2);
    EXPECT_EQ(RecordNoOfText("KADROVIK", t.Data, t.Header), 0);
    EXPECT_EQ(RecordNoOfText("", t.Data, t.Header), 0);
    // A text across two fields of one record is found too.
    EXPECT_EQ(RecordNoOfText("R12", t.Data, t.Header), 1);
}

TEST(Nomerstrokipokodu, FirstRecordOfTheCode)
{
    const LoadedTable t = codes({"3", "12", "1", "12"});
    EXPECT_EQ(nomerstrokipokodu(t.Header, t.Data, 12), 2);
    EXPECT_EQ(nomerstrokipokodu(t.Header, t.Data, 1), 3);
    EXPECT_EQ(nomerstrokipokodu(t.Header, t.Data, 2), 0);
    const LoadedTable noKod = test::makeTable({{"NOM", 3}}, {{"12"}});
    EXPECT_EQ(nomerstrokipokodu(noKod.Header, noKod.Data, 12), 0);
    // Record 0 reads empty text and changes nothing, so a missing code is harmless.
    LoadedTable copy = t;
    SetField(copy.Header, nomerstrokipokodu(t.Header, t.Data, 99), 2, copy.Data, "x");
    EXPECT_EQ(copy.Data, t.Data);
}

} // namespace
} // namespace veltor
