#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include "PrintingTestSupport.h"
#include "printing/RtfDocument.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

using testing::readFile;
using testing::rtf;
using testing::TemporaryFolder;
using testing::writeFile;

struct ToolRun {
    int exitCode;
    std::string errors;
};

ToolRun docfill(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(DOCFILL_PATH), arguments);
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardError().toStdString()};
}

QString arg(const std::filesystem::path &path) { return QString::fromStdString(path.string()); }

TEST(Docfill, ReplacesInOrderAndSetsCells)
{
    TemporaryFolder folder;
    writeFile(folder / "t.rtf", rtf("\\pard {\\b <FAM>}<IMJA>|<X>\\par\\trowd\\cellx3000\\cellx6000"
                                    "\\pard\\intbl \\cell old\\cell\\row\\pard\\par"));
    const ToolRun run = docfill({arg(folder / "t.rtf"), arg(folder / "Иванов.doc"),
                             QStringLiteral("FAM=Иванов "), QStringLiteral("IMJA=<X>"),
                             QStringLiteral("X=a=b "), QStringLiteral("--cell"),
                             QStringLiteral("1,1,2=Отдел кадров"), QStringLiteral("--cell=1,1,1=")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    RtfDocument saved(readFile(folder / "Иванов.doc"), "saved");
    // <IMJA> became <X>, which the later X=... found: the replacements run in the given order.
    EXPECT_EQ(cp1251ToUtf8(saved.text()), "Иванов a=b |a=b \n\aОтдел кадров\a\n\n");
}

TEST(Docfill, KeepsLettersBeyondCp1251AndWarnsAboutNamesThatMatchNothing)
{
    // "ü" became "?" and an unknown NAME passed unnoticed.
    TemporaryFolder folder;
    writeFile(folder / "t.rtf", rtf("\\pard <FAM>\\par"));
    const ToolRun run = docfill({arg(folder / "t.rtf"), arg(folder / "o.doc"), QStringLiteral("FAM=Müller Ёж"),
                                 QStringLiteral("IMJA=x"), QStringLiteral("OTCH=y")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "docfill: warning: <IMJA> matched nothing\ndocfill: warning: <OTCH> matched nothing\n");
    EXPECT_NE(readFile(folder / "o.doc").find("\\pard M\\u252?ller \\'a8\\'e6\\par"), std::string::npos)
        << readFile(folder / "o.doc");
}

TEST(Docfill, FailuresExitWithAMessage)
{
    TemporaryFolder folder;
    writeFile(folder / "t.rtf", rtf("\\pard x\\par"));
    writeFile(folder / "t.docx", "PK\x03\x04");
    const struct {
        QStringList arguments;
        int exitCode;
        const char *message;
    } cases[] = {
        {{arg(folder / "none.rtf"), arg(folder / "o.doc")}, 1, "не найден"},
        {{arg(folder / "t.docx"), arg(folder / "o.doc")}, 1, "поврежден"},
        {{arg(folder / "t.rtf"), arg(folder / "o.doc"), QStringLiteral("--cell"),
          QStringLiteral("1,1,1=x")},
         1, "нет таблицы 1"},
        {{arg(folder / "t.rtf"), arg(folder / "нет" / "o.doc")}, 1, "папки"},
        {{arg(folder / "t.rtf"), arg(folder / "o.doc"), QStringLiteral("--cell"),
          QStringLiteral("1,x,1=x")},
         2, "bad cell address"},
        {{arg(folder / "t.rtf"), arg(folder / "o.doc"), QStringLiteral("NOVALUE")}, 2,
         "NAME=VALUE"},
        {{arg(folder / "t.rtf")}, 2, "usage"},
    };
    for (const auto &c : cases) {
        const ToolRun run = docfill(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "o.doc"));
}

} // namespace
} // namespace veltor
