// Files written here are read by other dBASE software, and files written by other software are
// read here. Uses python3 with dbfread and GDAL's ogr2ogr; a test whose tool is missing is skipped.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include "TestSupport.h"
#include "storage/DBFUnit.h"
#include "storage/Schema.h"
#include "storage/TableCommit.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

using test::TempFolder;

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProcessResult run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// A python3 that has dbfread (Debian's python3-dbfread installs it for /usr/bin/python3).
QString pythonWithDbfread()
{
    for (const QString &candidate :
         {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        const QString program =
            candidate.startsWith('/') ? candidate : QStandardPaths::findExecutable(candidate);
        if (!program.isEmpty() && run(program, {"-c", "import dbfread"}).exitCode == 0)
            return program;
    }
    return {};
}

QJsonObject dbfread(const QString &python, const std::filesystem::path &file)
{
    const ProcessResult r =
        run(python, {QStringLiteral(STORAGE_TEST_DIR "/dbfread_dump.py"), pathToQString(file)});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QJsonDocument::fromJson(r.out).object();
}

TEST(Interop, DbfreadReadsWhatTheEngineWrites)
{
    const QString python = pythonWithDbfread();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with dbfread (python3-dbfread) not found";
    TempFolder dir;
    LoadedTable t = test::makeTable({{"KOD", 10}, {"FIO", 60}}, {{"1", cp("Иванов Иван Иванович")},
                                                                 {"2", cp("Щербакова Юлия")},
                                                                 {"30", cp("Ёлкин Эдуард")}});
    AddField(t.Header, t.Data, "OKLAD", 12, 'R');
    AddField(t.Header, t.Data, "STAZH", 3, 'N');
    SetField(t.Header, 1, 3, t.Data, "12345.50");
    SetField(t.Header, 1, 4, t.Data, "7");
    SetField(t.Header, 3, 3, t.Data, "-0.125");
    WriteTable(dir / "t.dbf", t);

    const QJsonObject read = dbfread(python, dir / "t.dbf");
    EXPECT_EQ(read["count"].toInt(), 3);
    const QJsonArray fields = read["fields"].toArray();
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(fields[2].toArray(), (QJsonArray{"OKLAD", "N", 12, 3}));
    const QJsonArray records = read["records"].toArray();
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0].toArray(), (QJsonArray{"1", "Иванов Иван Иванович", 12345.5, 7}));
    EXPECT_EQ(records[1].toArray()[1].toString().toStdString(), "Щербакова Юлия");
    EXPECT_EQ(records[1].toArray()[2], QJsonValue());
    EXPECT_EQ(records[2].toArray()[2].toDouble(), -0.125);

    // A header-only file, as CreateTableFile makes it (no end-of-data byte).
    CreateTableFile(dir / "e.dbf", "KOD%C(10)SUM%N(10.2)", 0);
    const QJsonObject empty = dbfread(python, dir / "e.dbf");
    EXPECT_EQ(empty["count"].toInt(), 0);
    EXPECT_EQ(empty["fields"].toArray().size(), 2);
}

TEST(Interop, DbfreadSeesEveryRecordOfARewrittenTable)
{
    const QString python = pythonWithDbfread();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with dbfread (python3-dbfread) not found";
    TempFolder dir;
    // Record 2 was marked deleted by other software; here it is an ordinary record.
    LoadedTable t = test::makeTable({{"KOD", 4}}, {{"1"}, {"2"}, {"3"}});
    t.Data[5] = '*';
    WriteTable(dir / "t.dbf", t);
    const QJsonArray records = dbfread(python, dir / "t.dbf")["records"].toArray();
    EXPECT_EQ(QJsonDocument(records).toJson(QJsonDocument::Compact).toStdString(),
              R"([["1"],["2"],["3"]])");
}

// A history table of a large organisation passes 65535 records; the count then takes all four
// header bytes. This used to refuse the save.
TEST(Interop, DbfreadReadsAHistoryTablePast65535Records)
{
    const QString python = pythonWithDbfread();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with dbfread (python3-dbfread) not found";
    TempFolder dir;
    CreateTableFile(dir / "trud.dbf", schema::TrudStructure, 0);
    LoadedTable t = ReadTable(dir / "trud.dbf");
    const int kod = FieldIndex(t.Header, schema::KOD);
    for (int r = 1; r <= 70000; ++r) {
        AppendBlankRecord(t.Header, t.Data);
        SetField(t.Header, r, kod, t.Data, std::to_string(r));
    }
    WriteTable(dir / "trud.dbf", t);
    const std::string bytes = test::readBytes(dir / "trud.dbf");
    EXPECT_EQ(bytes.substr(4, 4), std::string("\x70\x11\x01\x00", 4));

    const QJsonObject read = dbfread(python, dir / "trud.dbf");
    EXPECT_EQ(read["count"].toInt(), 70000);
    const QJsonArray records = read["records"].toArray();
    ASSERT_EQ(records.size(), 70000);
    EXPECT_EQ(records[69999].toArray()[0].toString(), QStringLiteral("70000"));
    EXPECT_EQ(ReadTable(dir / "trud.dbf").Header.RecordCount, 70000);
    const QString ogrinfo = QStandardPaths::findExecutable(QStringLiteral("ogrinfo"));
    if (!ogrinfo.isEmpty()) {
        const ProcessResult gdal = run(ogrinfo, {"-so", "-al", pathToQString(dir / "trud.dbf")});
        EXPECT_NE(gdal.out.indexOf("Feature Count: 70000"), -1) << gdal.out.toStdString();
    }

    // Up to 65535 records the header is as before: bytes 6-7 zero.
    t.Header.RecordCount = 65535;
    t.Data.resize(static_cast<size_t>(65535) * t.Header.RecordLength);
    WriteTable(dir / "trud.dbf", t);
    EXPECT_EQ(test::readBytes(dir / "trud.dbf").substr(4, 4), std::string("\xFF\xFF\x00\x00", 4));
}

TEST(Interop, EngineReadsWhatGdalWrites)
{
    const QString ogr2ogr = QStandardPaths::findExecutable(QStringLiteral("ogr2ogr"));
    if (ogr2ogr.isEmpty())
        GTEST_SKIP() << "ogr2ogr (gdal-bin) not found";
    TempFolder dir;
    test::writeBytes(dir / "staff.csv", "KOD,FIO,OKLAD\n"
                                        "1,Иванов Иван,25000.5\n"
                                        "42,Щукина Юлия,1234\n"
                                        "7,Ёлкин Эдуард Юрьевич,0\n");
    test::writeBytes(dir / "staff.csvt", "Integer(5),String(40),Real(12.2)\n");
    const ProcessResult r =
        run(ogr2ogr, {"-f", "ESRI Shapefile", "-lco", "ENCODING=CP1251",
                      pathToQString(dir / "staff.dbf"), pathToQString(dir / "staff.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    const LoadedTable t = ReadTable(dir / "staff.dbf");
    ASSERT_EQ(t.Header.RecordCount, 3);
    ASSERT_EQ(FieldCount(t.Header), 3);
    EXPECT_EQ(t.Header.FieldTypes[3], 'R');
    EXPECT_EQ(GetField(t.Header, t.Data, 3, 2), cp("Ёлкин Эдуард Юрьевич"));
    EXPECT_EQ(GetField(t.Header, t.Data, 1, 3), "25000.50");
    // GDAL right-aligns numbers; look-ups by code still find them.
    EXPECT_EQ(nomerstrokipokodu(t.Header, t.Data, 42), 2);
    EXPECT_EQ(GetField(t.Header, t.Data, 2, 2), cp("Щукина Юлия"));

    // Written back by the engine, dbfread sees the same records as in GDAL's file.
    const QString python = pythonWithDbfread();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with dbfread (python3-dbfread) not found";
    WriteTable(dir / "copy.dbf", t);
    EXPECT_EQ(dbfread(python, dir / "copy.dbf")["records"],
              dbfread(python, dir / "staff.dbf")["records"]);
}

// A table made by other software and changed here stays readable by that software: types and
// decimals, the code-page byte and the Cyrillic come back as they were, whether the change is
// written in place by a commit or the table is written whole. Both used to zero the code-page
// byte and write N(15,2) as N(15,3) and N(3,1) as N(3,0).
TEST(Interop, TableFromGdalWrittenBackKeepsItsFormForGdalAndDbfread)
{
    const QString ogr2ogr = QStandardPaths::findExecutable(QStringLiteral("ogr2ogr"));
    const QString ogrinfo = QStandardPaths::findExecutable(QStringLiteral("ogrinfo"));
    const QString python = pythonWithDbfread();
    if (ogr2ogr.isEmpty() || ogrinfo.isEmpty() || python.isEmpty())
        GTEST_SKIP() << "ogr2ogr/ogrinfo (gdal-bin) or python3-dbfread not found";
    enum class Written { InPlace, Whole };
    for (const Written how : {Written::InPlace, Written::Whole}) {
        SCOPED_TRACE(how == Written::InPlace ? "in place" : "whole");
        TempFolder dir;
        test::writeBytes(dir / "staff.csv", "KOD,FIO,OKLAD,STAVKA\n"
                                            "1,Иванов Иван,25000.5,1\n"
                                            "42,Щукина Юлия,1234,0.5\n");
        test::writeBytes(dir / "staff.csvt", "Integer(5),String(40),Real(15.2),Real(3.1)\n");
        ASSERT_EQ(run(ogr2ogr, {"-f", "ESRI Shapefile", "-lco", "ENCODING=CP1251",
                                pathToQString(dir / "staff.dbf"), pathToQString(dir / "staff.csv")})
                      .exitCode,
                  0);
        // The encoding is declared by the code-page byte alone, as much software writes it.
        std::filesystem::remove(dir / "staff.cpg");
        std::string original = test::readBytes(dir / "staff.dbf");
        original[29] = static_cast<char>(0xC9);
        test::writeBytes(dir / "staff.dbf", original);

        LoadedTable t = ReadTable(dir / "staff.dbf");
        SetField(t, 2, "FIO", cp("Ёлкин Эдуард"));
        SetField(t, 1, "STAVKA", "2.5");
        if (how == Written::InPlace) {
            std::vector<CommitFile> files{{dir / "staff.dbf", &t, {}}};
            commitFiles(dir / "j", "проверка", files);
        } else {
            WriteTable(dir / "staff.dbf", t);
        }

        const std::string written = test::readBytes(dir / "staff.dbf");
        ASSERT_EQ(written.size(), original.size());
        EXPECT_EQ(written.substr(0, 32), original.substr(0, 32));
        for (int f = 1; f <= 4; ++f) // name, type, length and decimals of every field
            EXPECT_EQ(written.substr(32 * f, 18), original.substr(32 * f, 18)) << f;

        const ProcessResult info = run(ogrinfo, {"-ro", "-al", "-q", pathToQString(dir / "staff.dbf")});
        const QString text = QString::fromUtf8(info.out);
        EXPECT_TRUE(text.contains(QStringLiteral("STAVKA (Real) = 2.5"))) << info.out.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("OKLAD (Real) = 25000.50"))) << info.out.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf8("FIO (String) = Ёлкин Эдуард"))) << info.out.toStdString();

        // dbfread left to choose the encoding itself, from the code-page byte.
        const ProcessResult read = run(
            python, {"-c", "import sys, json; from dbfread import DBF\n"
                           "t = DBF(sys.argv[1])\n"
                           "print(json.dumps([[f.name, f.type, f.length, f.decimal_count] for f in t.fields]"
                           " + [list(r.values()) for r in t], ensure_ascii=False))",
                     pathToQString(dir / "staff.dbf")});
        ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(read.out).trimmed(),
                  QString::fromUtf8("[[\"KOD\", \"N\", 5, 0], [\"FIO\", \"C\", 40, 0], [\"OKLAD\", \"N\", 15, 2], "
                                    "[\"STAVKA\", \"N\", 3, 1], [1, \"Иванов Иван\", 25000.5, 2.5], "
                                    "[42, \"Ёлкин Эдуард\", 1234.0, 0.5]]"));
    }
}

} // namespace
} // namespace veltor
