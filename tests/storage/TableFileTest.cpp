// Reading and writing table files: exact bytes, round trips and files from other software.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "text/Errors.h"
#include "storage/DBFUnit.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

using test::DbfBuilder;
using test::TempFolder;

std::string descriptor(const std::string &name, char type, int length, int decimals)
{
    std::string d(32, '\0');
    d.replace(0, name.size(), name);
    d[11] = type;
    d[16] = static_cast<char>(length);
    d[17] = static_cast<char>(decimals);
    return d;
}

TEST(TableFile, CreateTableFileWritesTheExactHeader)
{
    TempFolder dir;
    CreateTableFile(dir / "t.dbf", "KOD%C(10)OKLAD%N(10.2)", 0);

    std::string expected(32, '\0');
    expected[0] = 0x03;
    expected[8] = 97;  // 32 * 2 + 33
    expected[10] = 21; // 1 + 10 + 10
    expected += descriptor("KOD", 'C', 10, 0) + descriptor("OKLAD", 'N', 10, 2) + "\x0D";
    EXPECT_EQ(test::readBytes(dir / "t.dbf"), expected);
}

TEST(TableFile, WriteTableIsHeaderFromFieldsThenDataUnchanged)
{
    TempFolder dir;
    LoadedTable t = test::makeTable({{"KOD", 5}, {"FIO", 20}},
                                    {{"1", cp("Иванов Иван")}, {"2", cp("Петрова Анна")}});
    t.Header.RecordLength = 7; // not written: the record length is recomputed from the fields
    WriteTable(dir / "t.dbf", t.Header, t.Data, 2);

    const std::string bytes = test::readBytes(dir / "t.dbf");
    ASSERT_EQ(bytes.size(), 97 + t.Data.size());
    EXPECT_EQ(bytes.substr(97), t.Data);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 97);
    EXPECT_EQ(bytes[10], 26);
    EXPECT_EQ(TableFileBytes(t.Header, t.Data, 2), bytes);
}

TEST(TableFile, RoundTripKeepsHeaderAndCyrillicData)
{
    TempFolder dir;
    const LoadedTable t =
        test::makeTable({{"KOD", 10}, {"FIO", 60}, {"DOPOLN1", 50}},
                        {{"7", cp("Щукин Ёжик Юрьевич"), cp("доп")}, {"12", cp("Ямщикова"), ""}});
    WriteTable(dir / "t.dbf", t);
    const LoadedTable back = ReadTable(dir / "t.dbf");

    EXPECT_EQ(back.Data, t.Data);
    EXPECT_EQ(back.Header.RecordCount, 2);
    EXPECT_EQ(back.Header.HeaderLength, 32 * 3 + 33);
    EXPECT_EQ(back.Header.RecordLength, 121);
    EXPECT_EQ(FieldIndex(back.Header, "DOPOLN1"), 3);
    EXPECT_EQ(back.Header.FieldLengths[3], 50);
    EXPECT_EQ(back.Header.FieldOffsets[3], 71);
    EXPECT_EQ(GetField(back.Header, back.Data, 1, 2), cp("Щукин Ёжик Юрьевич"));
    // Read names hold all 11 name bytes, NUL padding included.
    EXPECT_EQ(back.Header.FieldNames[1], std::string("KOD\0\0\0\0\0\0\0\0", 11));
}

TEST(TableFile, ByteValue26InHeaderIsWrittenUnchanged)
{
    // 26 records and a field of length 26: both put the end-of-data byte into the header.
    TempFolder dir;
    LoadedTable t = test::makeTable({{"A", 26}}, {});
    for (int i = 0; i < 26; ++i)
        AppendBlankRecord(t.Header, t.Data);
    WriteTable(dir / "t.dbf", t);

    const std::string bytes = test::readBytes(dir / "t.dbf");
    EXPECT_EQ(bytes[4], 0x1A);
    EXPECT_EQ(bytes[32 + 16], 0x1A);
    EXPECT_EQ(bytes[64], 0x0D);
    EXPECT_EQ(bytes.substr(65), t.Data);
    const LoadedTable back = ReadTable(dir / "t.dbf");
    EXPECT_EQ(back.Header.RecordCount, 26);
    EXPECT_EQ(back.Data, t.Data);
}

struct DecimalsCase {
    char type;
    int length;
    int decimals;  // in the file read
    char typeRead; // type letter after reading
};

class Decimals : public testing::TestWithParam<DecimalsCase> {};

// A table read from its file keeps its type letters and decimal counts when written back. This
// was length div 4 decimals as N: N(15,2) came back N(15,3) and N(3,1) as N(3,0), so other
// readers took 2.5 for 2.
TEST_P(Decimals, TypeLetterAndDecimalCountSurviveWriteAndRead)
{
    const DecimalsCase c = GetParam();
    TempFolder dir;
    test::writeBytes(dir / "in.dbf", DbfBuilder()
                                         .field("SUM", c.type, c.length, c.decimals)
                                         .record(std::string(c.length, '1'))
                                         .bytes());
    const LoadedTable in = ReadTable(dir / "in.dbf");
    EXPECT_EQ(in.Header.FieldTypes[1], c.typeRead);

    WriteTable(dir / "out.dbf", in);
    const std::string out = test::readBytes(dir / "out.dbf");
    EXPECT_EQ(out[32 + 11], c.type);
    EXPECT_EQ(out[32 + 17], c.decimals);
    EXPECT_EQ(ReadTable(dir / "out.dbf").Header.FieldTypes[1], c.typeRead);
}

INSTANTIATE_TEST_SUITE_P(TableFile, Decimals,
                         testing::Values(DecimalsCase{'N', 10, 2, 'R'}, DecimalsCase{'N', 15, 2, 'R'},
                                         DecimalsCase{'N', 8, 5, 'R'}, DecimalsCase{'N', 3, 1, 'R'},
                                         DecimalsCase{'F', 12, 3, 'R'}, DecimalsCase{'N', 8, 0, 'N'}));

// Tables the program makes keep the rule older versions wrote them by.
TEST(TableFile, FieldWithDecimalsTheProgramAddsGetsLengthDivFour)
{
    TempFolder dir;
    LoadedTable t = test::makeTable({{"KOD", 4}}, {{"1"}});
    AddField(t.Header, t.Data, "OKLAD", 15, 'R');
    WriteTable(dir / "t.dbf", t);
    const std::string out = test::readBytes(dir / "t.dbf");
    EXPECT_EQ(out.substr(0, 4), std::string("\x03\0\0\0", 4));
    EXPECT_EQ(out[29], 0);
    EXPECT_EQ(out[64 + 11], 'N');
    EXPECT_EQ(out[64 + 17], 3);
}

// Other dBASE-family formats lay out their headers or records otherwise; they were refused as
// damaged.
TEST(TableFile, TableOfAnotherFormatIsRefusedByName)
{
    const std::pair<char, const char *> formats[] = {{'\x04', "формат dBASE 7 не поддерживается"},
                                                     {'\x8C', "формат dBASE 7 не поддерживается"},
                                                     {'\x30', "формат Visual FoxPro не поддерживается"},
                                                     {'\xF5', "формат FoxPro не поддерживается"}};
    TempFolder dir;
    for (const auto &[version, message] : formats) {
        DbfBuilder b;
        b.prefix[0] = version;
        test::writeBytes(dir / "f.dbf", b.field("KOD", 'C', 3).record("12 ").bytes());
        try {
            ReadTable(dir / "f.dbf");
            ADD_FAILURE() << int(static_cast<unsigned char>(version)) << " read as a table";
        } catch (const FileError &e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(message), std::string::npos) << what;
            EXPECT_NE(what.find("f.dbf"), std::string::npos) << what;
            EXPECT_EQ(what.find("поврежден"), std::string::npos) << what;
        }
    }
}

TEST(TableFile, HeaderPaddingIsSkippedAndDroppedOnWrite)
{
    TempFolder dir;
    DbfBuilder b;
    b.field("KOD", 'C', 4).field("FIO", 'C', 6).record("1   Ann   ").record("2   Bob   ");
    b.padding = 263; // the backlink area some software leaves behind the terminator
    test::writeBytes(dir / "p.dbf", b.bytes());

    const LoadedTable t = ReadTable(dir / "p.dbf");
    EXPECT_EQ(FieldCount(t.Header), 2); // the zero bytes are no fields
    EXPECT_EQ(t.Header.HeaderLength, 32 * 2 + 33);
    EXPECT_EQ(t.Data, " 1   Ann    2   Bob   \x1A");
    EXPECT_EQ(GetField(t.Header, t.Data, 2, 2), "Bob");

    WriteTable(dir / "w.dbf", t);
    const std::string written = test::readBytes(dir / "w.dbf");
    EXPECT_EQ(static_cast<unsigned char>(written[8]), 97);
    EXPECT_EQ(written.size(), 97 + t.Data.size());
}

TEST(TableFile, ElevenByteNameIsReadAndWrittenWhole)
{
    TempFolder dir;
    test::writeBytes(dir / "n.dbf",
                     DbfBuilder().field("ABCDEFGHIJK", 'C', 3).record("xyz").bytes());
    const LoadedTable t = ReadTable(dir / "n.dbf");
    EXPECT_EQ(t.Header.FieldNames[1], "ABCDEFGHIJK");
    EXPECT_EQ(FieldIndex(t.Header, "ABCDEFGHIJK"), 1);

    WriteTable(dir / "w.dbf", t);
    EXPECT_EQ(test::readBytes(dir / "w.dbf").substr(32, 12), std::string("ABCDEFGHIJKC", 12));

    // A name the program gives a new field is cut to ten bytes, as it always was.
    LoadedTable added = t;
    AddField(added.Header, added.Data, "LMNOPQRSTUV", 2, 'C');
    WriteTable(dir / "a.dbf", added);
    EXPECT_EQ(test::readBytes(dir / "a.dbf").substr(64, 12), std::string("LMNOPQRSTU\0C", 12));
}

TEST(TableFile, BytesBehindTheNameTerminatorAreNotPartOfTheName)
{
    TTableHeader header;
    std::string data;
    ReadTableFromBytes(
        DbfBuilder().field(std::string("KOD\0xq\x01", 7), 'C', 3).record("12 ").bytes(), "t.dbf",
        header, data);
    EXPECT_EQ(FieldIndex(header, "KOD"), 1);
}

TEST(TableFile, FileFromOtherSoftwareReadsAsOrdinaryTable)
{
    // Code page byte 29 set (0xC9, Windows Cyrillic), a last-update date whose month is 26
    // (0x1A), a record marked deleted with '*', numbers right-aligned, no end-of-data byte.
    TempFolder dir;
    DbfBuilder b;
    b.prefix = std::string("\x03\x7E\x1A\x1A", 4);
    b.field("KOD", 'N', 5)
        .field("FIO", 'C', 8)
        .record("   42" + cp("Юрий    "))
        .record("    7Anna    ");
    b.endMarker = false;
    std::string bytes = b.bytes();
    bytes[29] = static_cast<char>(0xC9);
    bytes[97 + 14] = '*'; // record 2 deleted by the other program
    test::writeBytes(dir / "o.dbf", bytes);

    const LoadedTable t = ReadTable(dir / "o.dbf");
    ASSERT_EQ(t.Header.RecordCount, 2);
    EXPECT_EQ(GetField(t.Header, t.Data, 1, 1), "42");
    EXPECT_EQ(GetField(t.Header, t.Data, 1, 2), cp("Юрий"));
    EXPECT_EQ(GetField(t.Header, t.Data, 2, 2), "Anna");
    EXPECT_EQ(nomerstrokipokodu(t.Header, t.Data, 7), 2);

    // The counted records, then the end-of-data byte the file lacked.
    ASSERT_EQ(t.Data.size(), 2u * 14 + 1);
    EXPECT_EQ(t.Data.back(), '\x1A');
    LoadedTable appended = t;
    AppendBlankRecord(appended.Header, appended.Data);
    EXPECT_EQ(appended.Data.substr(0, 2 * 14), t.Data.substr(0, 2 * 14)); // no data byte lost
    EXPECT_EQ(appended.Data.size(), t.Data.size() + 14);

    // Written back, the deleted record is an ordinary one for every reader: its flag was kept
    // as '*', so other readers dropped it.
    WriteTable(dir / "w.dbf", t);
    const std::string written = test::readBytes(dir / "w.dbf");
    ASSERT_EQ(written.size(), 97u + 2 * 14 + 1);
    EXPECT_EQ(written[97], ' ');
    EXPECT_EQ(written[97 + 14], ' ');
    EXPECT_EQ(written.substr(98 + 14, 13), bytes.substr(98 + 14));
    EXPECT_EQ(TableFileBytes(t.Header, t.Data, 2), written);
    // Version, last-update date and code-page bytes as the other program wrote them (they were
    // zeroed, and readers then garbled the Cyrillic).
    EXPECT_EQ(written.substr(0, 4), bytes.substr(0, 4));
    EXPECT_EQ(static_cast<unsigned char>(written[29]), 0xC9);
    EXPECT_EQ(t.Data[14], '*'); // the loaded table itself is not changed
}

// A file shorter than a header is no table: read as an empty one, every record appended to it
// later was lost.
TEST(TableFile, FileShorterThanAHeaderIsRefused)
{
    TempFolder dir;
    for (const std::string &bytes : {std::string(), std::string(31, '\x03')}) {
        test::writeBytes(dir / "s.dbf", bytes);
        try {
            ReadTable(dir / "s.dbf");
            ADD_FAILURE() << bytes.size() << " bytes read as a table";
        } catch (const FileError &e) {
            EXPECT_NE(std::string(e.what()).find("s.dbf"), std::string::npos) << e.what();
        }
    }
}

TEST(TableFile, BytesInMemoryReadLikeTheFile)
{
    const std::string bytes = DbfBuilder().field("KOD", 'C', 3).record("12 ").bytes();
    TTableHeader header;
    std::string data;
    ReadTableFromBytes(bytes, "mem", header, data);
    EXPECT_EQ(GetField(header, data, 1, 1), "12");
    EXPECT_EQ(data, " 12 \x1A");
}

} // namespace
} // namespace veltor
