// Field access and changes of shape on a loaded table.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "storage/DBFUnit.h"

namespace veltor {
namespace {

LoadedTable threeByThree()
{
    return test::makeTable({{"KOD", 3}, {"FIO", 5}, {"OKLAD", 4}},
                           {{"1", "Ann", "100"}, {"2", "Bob", "200"}, {"3", "Cyd", "300"}});
}

std::vector<std::string> column(const LoadedTable &t, int field)
{
    std::vector<std::string> values;
    for (int r = 1; r <= t.Header.RecordCount; ++r)
        values.push_back(GetField(t.Header, t.Data, r, field));
    return values;
}

TEST(GetField, TrimsControlBytesAndBlanksOnBothSides)
{
    LoadedTable t = test::makeTable({{"A", 8}}, {{""}});
    t.Data.replace(1, 8, std::string("\0\t x y\x1F\x20", 8));
    EXPECT_EQ(GetField(t.Header, t.Data, 1, 1), "x y");
}

TEST(GetField, OutsideTheTableGivesEmptyText)
{
    const LoadedTable t = threeByThree();
    const std::string shortData = t.Data.substr(0, 13 + 6); // record 2 cut inside field 2
    const struct {
        int record, field;
        const std::string *data;
        std::string expected;
    } cases[] = {
        {0, 1, &t.Data, ""},         {1, 0, &t.Data, ""},      {-5, 1, &t.Data, ""},
        {1, 4, &t.Data, ""},         {1, 500, &t.Data, ""},    {4, 1, &t.Data, ""},
        {100000000, 2, &t.Data, ""}, {2, 2, &shortData, "Bo"}, {2, 3, &shortData, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetField(t.Header, *c.data, c.record, c.field), c.expected)
            << c.record << "," << c.field;
}

TEST(SetField, StoresLeftAlignedCutOrPadded)
{
    const struct {
        std::string value, stored;
    } cases[] = {
        {"12345678", "12345"}, {"7", "7    "}, {" 7", " 7   "}, {"", "     "}, {"abcde", "abcde"},
    };
    for (const auto &c : cases) {
        LoadedTable t = test::makeTable({{"K", 1}, {"V", 5}}, {{"x"}, {"y"}});
        const std::string before = t.Data;
        SetField(t.Header, 2, 2, t.Data, c.value);
        EXPECT_EQ(t.Data.substr(7 + 2, 5), c.stored) << c.value;
        EXPECT_EQ(t.Data.size(), before.size());
        EXPECT_EQ(t.Data.substr(0, 9), before.substr(0, 9)); // nothing else moved
    }
}

TEST(SetField, OutsideTheTableChangesNothing)
{
    LoadedTable t = threeByThree();
    const std::string before = t.Data;
    for (const auto &[record, field] : {std::pair{0, 1}, {4, 1}, {1, 0}, {1, 4}, {1, 201}})
        SetField(t.Header, record, field, t.Data, "zz");
    EXPECT_EQ(t.Data, before);

    // Data shorter than the record count says: the missing record is not written into.
    std::string shortData = t.Data.substr(0, 20);
    SetField(t.Header, 3, 1, shortData, "9");
    SetField(t.Header, 2, 3, shortData, "9");
    EXPECT_EQ(shortData, t.Data.substr(0, 20));
}

TEST(FieldIndex, MatchesTrimmedNamesExactly)
{
    LoadedTable t = threeByThree();
    t.Header.FieldNames[2] = std::string("FIO\0\0\0\0\0\0\0\0", 11);
    EXPECT_EQ(FieldIndex(t.Header, "FIO"), 2);
    EXPECT_EQ(FieldIndex(t.Header, "OKLAD"), 3);
    EXPECT_EQ(FieldIndex(t.Header, "kod"), -1);
    EXPECT_EQ(FieldIndex(t.Header, "KOD "), -1);
    EXPECT_EQ(FieldIndex(t.Header, ""), -1); // blank slots behind the fields are no fields
}

TEST(AppendBlankRecord, KeepsOneEndMarkerBehindTheRecords)
{
    LoadedTable t = test::makeTable({{"A", 3}}, {});
    AppendBlankRecord(t.Header, t.Data);
    EXPECT_EQ(t.Data, "    \x1A");
    SetField(t.Header, 1, 1, t.Data, "abc");
    AppendBlankRecord(t.Header, t.Data);
    EXPECT_EQ(t.Data, " abc    \x1A");
    EXPECT_EQ(t.Header.RecordCount, 2);

    t.Data.pop_back(); // data without the marker: nothing is taken away
    AppendBlankRecord(t.Header, t.Data);
    EXPECT_EQ(t.Data, " abc        \x1A");
}

TEST(DeleteRecord, RemovesTheRecordAndRenumbers)
{
    LoadedTable t = threeByThree();
    DeleteRecord(t.Header, t.Data, 2);
    EXPECT_EQ(t.Header.RecordCount, 2);
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"Ann", "Cyd"}));
    EXPECT_EQ(t.Data.back(), '\x1A');
}

TEST(DeleteRecord, NumberOutsideTheTableChangesNothing)
{
    // Record 0 (a failed look-up) used to lower the record count without removing a record.
    LoadedTable t = threeByThree();
    const std::string before = t.Data;
    for (const int record : {0, -1, 4})
        DeleteRecord(t.Header, t.Data, record);
    EXPECT_EQ(t.Header.RecordCount, 3);
    EXPECT_EQ(t.Data, before);
}

TEST(AddField, WidensEveryRecordAndKeepsValues)
{
    LoadedTable t = threeByThree();
    AddField(t.Header, t.Data, "DOPOLN1", 50, 'C');
    EXPECT_EQ(FieldCount(t.Header), 4);
    EXPECT_EQ(t.Header.HeaderLength, 32 * 4 + 33);
    EXPECT_EQ(t.Header.RecordLength, 13 + 50);
    EXPECT_EQ(t.Header.FieldOffsets[4], 13);
    EXPECT_EQ(t.Data.size(), 3u * 63 + 1);
    EXPECT_EQ(column(t, 3), (std::vector<std::string>{"100", "200", "300"}));
    SetField(t.Header, 3, 4, t.Data, "last");
    EXPECT_EQ(GetField(t.Header, t.Data, 3, 4), "last");
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"Ann", "Bob", "Cyd"}));
}

TEST(AddField, ToATableReadFromAnEmptyFile)
{
    // An empty file reads with header length 0 and record length 0. The new field used to be
    // invisible (header length 32) and to sit on the deletion flag (offset 0).
    LoadedTable t;
    AddField(t.Header, t.Data, "NOM", 5, 'C');
    EXPECT_EQ(FieldIndex(t.Header, "NOM"), 1);
    EXPECT_EQ(t.Header.FieldOffsets[1], 1);
    EXPECT_EQ(t.Header.RecordLength, 6);
    AppendBlankRecord(t.Header, t.Data);
    SetField(t.Header, 1, 1, t.Data, "1");
    EXPECT_EQ(t.Data, " 1    \x1A");
}

TEST(DeleteField, RemovesTheFieldFromHeaderAndRecords)
{
    const LoadedTable t = threeByThree();
    const LoadedTable before = t;
    LoadedTable out;
    DeleteField(t.Header, t.Data, 2, out.Data, out.Header);
    EXPECT_EQ(FieldCount(out.Header), 2);
    EXPECT_EQ(FieldIndex(out.Header, "OKLAD"), 2);
    EXPECT_EQ(out.Header.FieldOffsets[2], 1 + 3);
    EXPECT_EQ(out.Header.RecordLength, 8);
    EXPECT_EQ(out.Header.FieldLengths[3], 0); // the vacated slot is blank
    EXPECT_EQ(column(out, 2), (std::vector<std::string>{"100", "200", "300"}));
    EXPECT_EQ(out.Data.back(), '\x1A');
    EXPECT_EQ(t.Data, before.Data); // the caller's table is not changed

    // Passing the same table as the result is allowed.
    LoadedTable same = t;
    DeleteField(same.Header, same.Data, 2, same.Data, same.Header);
    EXPECT_EQ(same.Data, out.Data);
}

TEST(DeleteField, ThreeDopolnFieldsSurviveWriteAndDeleteFromTheEnd)
{
    test::TempFolder dir;
    LoadedTable t = test::makeTable({{"KOD", 10}}, {{"1"}, {"2"}});
    for (int k = 1; k <= 3; ++k)
        AddField(t.Header, t.Data, "DOPOLN" + std::to_string(k), 50, 'C');
    SetField(t.Header, 2, 3, t.Data, "v2");
    WriteTable(dir / "dopoln.dbf", t);
    LoadedTable back = ReadTable(dir / "dopoln.dbf");
    EXPECT_EQ(back.Header.RecordLength, 1 + 10 + 150);
    EXPECT_EQ(FieldIndex(back.Header, "DOPOLN3"), 4);
    EXPECT_EQ(GetField(back.Header, back.Data, 2, 3), "v2");

    DeleteField(back.Header, back.Data, 4, back.Data, back.Header);
    DeleteField(back.Header, back.Data, 3, back.Data, back.Header);
    EXPECT_EQ(FieldCount(back.Header), 2);
    EXPECT_EQ(back.Data,
              " 1         " + std::string(50, ' ') + " 2         " + std::string(50, ' ') + "\x1A");
}

} // namespace
} // namespace veltor
