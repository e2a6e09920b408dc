// The dbftool command-line tool, run as a user would run it.
#include <gtest/gtest.h>

#include <QProcess>

#include "TestSupport.h"
#include "storage/DBFUnit.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolRun dbftool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(DBFTOOL_PATH), arguments);
    ToolRun result;
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

class DbfTool : public testing::Test {
protected:
    void SetUp() override
    {
        LoadedTable t = test::makeTable({{"KOD", 4}, {"FIO", 30}},
                                        {{"1", cp("Иванов\tИван")}, {"2", cp("Щукина Юлия")}});
        AddField(t.Header, t.Data, "OKLAD", 10, 'R');
        SetField(t.Header, 2, 3, t.Data, "1500.25");
        WriteTable(m_dir / "osnova.dbf", t);
    }
    QString file(const char *name) const { return pathToQString(m_dir / name); }
    test::TempFolder m_dir;
};

TEST_F(DbfTool, InfoListsCountsAndFields)
{
    const ToolRun r = dbftool({"info", file("osnova.dbf")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "records\t2\nheader_length\t129\nrecord_length\t45\n"
                     "KOD\tC\t4\nFIO\tC\t30\nOKLAD\tR\t10\n");
}

TEST_F(DbfTool, DumpPrintsEveryRecordAsUtf8)
{
    const ToolRun r = dbftool({"dump", file("osnova.dbf")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "KOD\tFIO\tOKLAD\n1\tИванов\\tИван\t\n2\tЩукина Юлия\t1500.25\n");
}

TEST_F(DbfTool, CopyWritesTheSameTable)
{
    const ToolRun r = dbftool({"copy", file("osnova.dbf"), file("copy.dbf")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::readBytes(m_dir / "copy.dbf"), test::readBytes(m_dir / "osnova.dbf"));
}

TEST_F(DbfTool, FailuresGoToStandardErrorWithNonZeroExit)
{
    const ToolRun missing = dbftool({"dump", file("none.dbf")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Не удается открыть файл"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "");

    test::writeBytes(m_dir / "bad.dbf", std::string(40, '\x7F'));
    const ToolRun damaged = dbftool({"info", file("bad.dbf")});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("поврежден"), std::string::npos) << damaged.err;

    // Records padded behind their fields cannot be copied as they are: refused, nothing written.
    std::string padded = test::readBytes(m_dir / "osnova.dbf");
    test::putLe(padded, 10, 46, 2);
    padded.insert(padded.size() - 1, 1, ' ');
    padded.insert(129 + 45, 1, ' ');
    test::writeBytes(m_dir / "padded.dbf", padded);
    const ToolRun copy = dbftool({"copy", file("padded.dbf"), file("out.dbf")});
    EXPECT_EQ(copy.exitCode, 1);
    EXPECT_NE(copy.err.find("не равна сумме длин полей"), std::string::npos) << copy.err;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "out.dbf"));

    EXPECT_EQ(dbftool({"frobnicate", file("osnova.dbf")}).exitCode, 2);
    EXPECT_EQ(dbftool({"copy", file("osnova.dbf")}).exitCode, 2);
}

} // namespace
} // namespace veltor
