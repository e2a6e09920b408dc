// The synthetic databases the benchmarks run on: the real layout, consistent between tables,
// the same bytes for the same randomStart.
#include <gtest/gtest.h>

#include "GenerateDatabase.h"
#include "TestSupport.h"
#include "storage/DBFUnit.h"
#include "storage/Schema.h"

namespace veltor {
namespace {

namespace s = schema;

TEST(Generator, TablesHoldTheAdvertisedRecords)
{
    test::TempFolder dir;
    generateDatabase(dir.path(), 30, 1);
    const auto db = dir / "database";
    const struct {
        std::string_view table;
        int records;
    } counts[] = {
        {s::OsnovaTable, 30}, {s::PassportTable, 30}, {s::TrudTable, 90},   {s::SemjaTable, 60},
        {s::ObrazTable, 30},  {s::VoenTable, 15},     {s::DopolnTable, 30}, {s::OtdelTable, 20},
        {s::DolzhTable, 50},  {s::TipDokTable, 9},    {s::ZhurDokTable, 0}, {s::PriemTable, 0},
        {s::UvolTable, 0},    {s::OtpuskTable, 0},    {s::KomandTable, 0},
    };
    for (const auto &c : counts) {
        const LoadedTable t = ReadTable(resolveFileName(db, c.table));
        EXPECT_EQ(t.Header.RecordCount, c.records) << c.table;
        EXPECT_EQ(WholeRecordCount(t.Header, t.Data), c.records) << c.table;
    }

    const LoadedTable tipDok = ReadTable(resolveFileName(db, s::TipDokTable));
    TIndex hr;
    SelectContainingIdx(tipDok.Header, tipDok.Data, FieldIndex(tipDok.Header, s::TIP_UCH), "k", hr);
    EXPECT_EQ(hr, (TIndex{0, 1, 2, 3, 4, 5, 6}));

    const LoadedTable dopoln = ReadTable(resolveFileName(db, s::DopolnTable));
    EXPECT_EQ(FieldIndex(dopoln.Header, "DOPOLN3"), 4);

    const auto program = dir / "program";
    const LoadedTable stolb = ReadTable(resolveFileName(program, s::StolbTable));
    EXPECT_EQ(stolb.Header.RecordCount, 8);
    EXPECT_GT(RecordNoOfText("S_TIP_N", stolb.Data, stolb.Header), 0);
    EXPECT_EQ(ReadTable(resolveFileName(program, s::KonstantyTable)).Header.RecordCount, 10);
    EXPECT_EQ(ReadTable(resolveFileName(program, s::PechatTable)).Header.RecordCount, 0);
}

TEST(Generator, LastTrudRecordIsTheEmployeesPresentState)
{
    test::TempFolder dir;
    generatePersonnelTables(dir.path(), 25, 3);
    const LoadedTable osnova = ReadTable(resolveFileName(dir.path(), s::OsnovaTable));
    const LoadedTable trud = ReadTable(resolveFileName(dir.path(), s::TrudTable));
    for (int kod = 1; kod <= 25; ++kod) {
        TIndex index;
        SelectEqualIdx(trud.Header, trud.Data, FieldIndex(trud.Header, s::KOD), std::to_string(kod),
                       index);
        ASSERT_EQ(index.size(), 4u);
        const int last = index.back();
        const int main = nomerstrokipokodu(osnova.Header, osnova.Data, kod);
        for (const std::string_view field : {s::DOLZH, s::OTDEL, s::OKLAD}) {
            EXPECT_EQ(GetField(trud.Header, trud.Data, last, FieldIndex(trud.Header, field)),
                      GetField(osnova.Header, osnova.Data, main, FieldIndex(osnova.Header, field)))
                << kod << " " << field;
        }
        EXPECT_EQ(GetField(trud.Header, trud.Data, last, FieldIndex(trud.Header, s::N_IZM)), "3");
    }
}

TEST(Generator, SameSeedSameBytes)
{
    test::TempFolder a, b, c;
    generatePersonnelTables(a.path(), 12, 5);
    generatePersonnelTables(b.path(), 12, 5);
    generatePersonnelTables(c.path(), 12, 6);
    EXPECT_EQ(test::readBytes(a / "osnova.dbf"), test::readBytes(b / "osnova.dbf"));
    EXPECT_EQ(test::readBytes(a / "trud.dbf"), test::readBytes(b / "trud.dbf"));
    EXPECT_NE(test::readBytes(a / "osnova.dbf"), test::readBytes(c / "osnova.dbf"));
}

} // namespace
} // namespace veltor
