#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrintingTestSupport.h"
#include "printing/WordApi.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

namespace veltor {
namespace {

using testing::readFile;
using testing::rtf;
using testing::TemporaryFolder;
using testing::writeFile;

// The application with an opener that records instead of opening anything.
struct RecordingApplication {
    std::vector<std::filesystem::path> shown;
    std::unique_ptr<DocumentApplication> word = createApplication(
        rtfApplicationFactory([this](const std::filesystem::path &path) { shown.push_back(path); }));
};

std::string messageOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const DocumentError &error) {
        return error.what();
    }
    return "no error";
}

TEST(Application, MissingBackendIsWordNotFound)
{
    const ApplicationFactory failing[] = {
        ApplicationFactory{},
        [] { return std::unique_ptr<DocumentApplication>(); },
        []() -> std::unique_ptr<DocumentApplication> { throw std::runtime_error("no COM"); },
    };
    for (const auto &factory : failing)
        EXPECT_EQ(messageOf([&] { createApplication(factory); }), "Word не найден");
}

struct NotRtfCase {
    const char *name;
    std::string bytes;
    const char *messagePart;
};

class NotRtfTemplate : public ::testing::TestWithParam<NotRtfCase> {};

TEST_P(NotRtfTemplate, IsRejectedNamingTheFileAndNothingIsSaved)
{
    TemporaryFolder folder;
    const auto path = folder / "т-1.RTF";
    writeFile(path, GetParam().bytes);
    RecordingApplication app;
    const std::string message = messageOf([&] {
        Document &document = app.word->open(path);
        document.saveAs(folder / "out.doc");
    });
    EXPECT_NE(message.find(path.string()), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().messagePart), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.doc"));
    EXPECT_EQ(messageOf([&] { app.word->activeDocument(); }), "Нет открытого документа");
}

INSTANTIATE_TEST_SUITE_P(
    Files, NotRtfTemplate,
    ::testing::Values(
        NotRtfCase{"BinaryWordDocument", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10),
                   "(.doc)"},
        NotRtfCase{"DamagedWordXmlDocument", std::string("PK\x03\x04\x14\0\x06\0", 8), "поврежден"},
        NotRtfCase{"PlainText", "<OSNOVA.FIO>", "не является документом RTF"},
        NotRtfCase{"Empty", "", "не является документом RTF"},
        NotRtfCase{"RtfAfterABlank", " {\\rtf1 x}", "не является документом RTF"},
        // More text than the engine holds in reasonable memory (about 30 bytes a character).
        NotRtfCase{"TooMuchText", "{\\rtf1 " + std::string(4000001, 'a') + "}", "слишком велик"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Application, MissingTemplateNamesTheFile)
{
    TemporaryFolder folder;
    RecordingApplication app;
    const auto path = folder / "нет.rtf";
    EXPECT_EQ(messageOf([&] { app.word->open(path); }), "Файл «" + path.string() + "» не найден");
}

TEST(Application, TemplateWithoutPlaceholdersIsSavedUnchanged)
{
    TemporaryFolder folder;
    const std::string source = rtf("\\pard\\plain {\\b Справка} \\'c8\\'ec\\'ff\\par") + "\r\n";
    writeFile(folder / "t.rtf", source);
    RecordingApplication app;
    Document &document = app.word->open(folder / "t.rtf");
    for (const char *placeholder : {"<FAM>", "<IMJA>", "<OTCH>", "<DATA>", "<DALEE>"})
        zamenaVDokumente(placeholder, cp("Значение "), *app.word);
    document.saveAs(folder / "Иванов Иван.doc");
    EXPECT_EQ(readFile(folder / "Иванов Иван.doc"), source);
}

TEST(Application, SavedDocumentReopensWithItsValues)
{
    TemporaryFolder folder;
    writeFile(folder / "t.rtf", rtf("\\pard <FAM>{\\b <IMJA>}\\par\\trowd\\cellx3000\\pard\\intbl "
                                    "\\cell\\row\\pard\\par"));
    RecordingApplication app;
    Document &document = app.word->open(folder / "t.rtf");
    zamenaVDokumente("<FAM>", cp("Иванов "), *app.word);
    zamenaVDokumente("<IMJA>", cp("Иван "), *app.word);
    document.setCellText(1, 1, 1, cp("01.02.2024"));
    document.saveAs(folder / "out.doc");
    EXPECT_EQ(document.savedPath(), folder / "out.doc");

    Document &reopened = app.word->open(folder / "out.doc");
    EXPECT_EQ(&app.word->activeDocument(), &reopened);
    EXPECT_EQ(reopened.cellText(1, 1, 1), "01.02.2024");
    reopened.replaceAll(cp("Иванов Иван "), "found");
    reopened.saveAs(folder / "again.doc");
    EXPECT_EQ(RtfDocument(readFile(folder / "again.doc"), "x").text(), "found\n01.02.2024\a\n\n");
}

TEST(Application, SavingOverAnExistingFileReplacesIt)
{
    TemporaryFolder folder;
    writeFile(folder / "temp.doc", "old contents that are longer than the new document, much longer");
    RecordingApplication app;
    Document &document = app.word->add();
    document.saveAs(folder / "temp.doc");
    EXPECT_EQ(readFile(folder / "temp.doc").substr(0, 5), "{\\rtf");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(Application, FailedSaveLeavesNoFileAndNamesIt)
{
    TemporaryFolder folder;
    RecordingApplication app;
    Document &document = app.word->add();
    const auto missingFolder = folder / "нет папки";
    const std::string message = messageOf([&] { document.saveAs(missingFolder / "Perechen.doc"); });
    EXPECT_NE(message.find("Perechen.doc"), std::string::npos) << message;
    EXPECT_NE(message.find("папки «" + missingFolder.string() + "» нет"), std::string::npos)
        << message;
    std::filesystem::create_directory(folder / "dir.doc");
    EXPECT_NE(messageOf([&] { document.saveAs(folder / "dir.doc"); }).find("папка"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(folder / "dir.doc"));
    EXPECT_TRUE(document.savedPath().empty());
    EXPECT_TRUE(app.shown.empty());
}

TEST(Application, VisibleShowsEverySavedDocumentOnce)
{
    TemporaryFolder folder;
    writeFile(folder / "t.rtf", rtf("\\pard x\\par"));

    // Template printing: saved, then made visible.
    RecordingApplication printing;
    printing.word->open(folder / "t.rtf").saveAs(folder / "a.doc");
    EXPECT_TRUE(printing.shown.empty());
    printing.word->setVisible(true);
    printing.word->setVisible(true);
    EXPECT_EQ(printing.shown, std::vector<std::filesystem::path>{folder / "a.doc"});

    // List printing: made visible first, then the new document is saved.
    RecordingApplication list;
    list.word->setVisible(true);
    Document &document = list.word->add();
    EXPECT_TRUE(list.shown.empty());
    document.saveAs(folder / "Perechen.doc");
    document.saveAs(folder / "Perechen.doc");
    EXPECT_EQ(list.shown, std::vector<std::filesystem::path>{folder / "Perechen.doc"});
    EXPECT_TRUE(list.word->isVisible());
}

} // namespace
} // namespace veltor
