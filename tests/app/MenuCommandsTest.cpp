// The settings menu's own commands: archiving the database folder with the real zip program,
// and the DOS->WIN conversion of the main table.
#include "AppFixture.h"

#include "app/Archive.h"
#include "app/StringGrid.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStatusBar>

namespace veltor::test {
namespace {

namespace fs = std::filesystem;

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

TEST(ArchiveName, DayWithoutLeadingZeroMonthWithOne)
{
    EXPECT_EQ(archiveBaseName(QDate(2025, 3, 6)), u("arhiv_2025_03_6"));
    EXPECT_EQ(archiveBaseName(QDate(2024, 12, 25)), u("arhiv_2024_12_25"));
}

// The database lies in a folder whose name would break a command line read by a shell.
class ArchiveTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        const fs::path awkward = root / fs::u8path("База 'О\"Нил' $HOME; & `x`");
        fs::rename(database, awkward);
        database = awkward;
        addColumn("ФИО", "FIO", "1");
        addEmployee(1, "Иванов Иван Иванович");
        writeStandardConfig();
        std::ofstream(database / "notes.txt") << "not a table";
    }

    fs::path archive() const { return database / (archiveBaseName(QDate::currentDate()).toStdString() + ".zip"); }

    // Answers the question, runs the command and waits for the archiver it started.
    void archiveNow()
    {
        Dialogs::queueAnswer(true);
        form->N2_5->trigger();
        if (auto *zip = form->findChild<QProcess *>()) {
            ASSERT_TRUE(zip->waitForFinished(60000));
        }
        QCoreApplication::processEvents();
    }

    static std::string run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(60000);
        return p.readAllStandardOutput().toStdString();
    }
};

TEST_F(ArchiveTest, EveryTableOfTheFolderIsPackedWithoutPathsAndTheUserIsTold)
{
    start();
    // A table written in capitals is a table too.
    fs::rename(database / "dolzh.dbf", database / "DOLZH.DBF");

    archiveNow();

    ASSERT_TRUE(fs::exists(archive())) << Dialogs::shownMessages().join("\n").toStdString();
    EXPECT_EQ(Dialogs::askedQuestions(), QStringList{u("Вы хотите произвести архивирование")});
    const std::string listing = run("unzip", {"-l", QString::fromStdString(archive().string())});
    for (const char *name : {"osnova.dbf", "DOLZH.DBF", "trud.dbf", "TipDok.dbf"})
        // Stored without their folder: the name stands alone after the date and time.
        EXPECT_NE(listing.find(std::string("   ") + name + "\n"), std::string::npos) << name << "\n" << listing;
    EXPECT_EQ(listing.find("notes.txt"), std::string::npos) << listing;
    // The stored bytes are the table's bytes.
    EXPECT_EQ(run("unzip", {"-p", QString::fromStdString(archive().string()), "osnova.dbf"}),
              bytesOf(database / "osnova.dbf"));
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << Dialogs::shownMessages().join("\n").toStdString();
    EXPECT_TRUE(form->statusBar()->currentMessage().startsWith(u("Архив создан")))
        << form->statusBar()->currentMessage().toStdString();
}

TEST_F(ArchiveTest, DecliningStartsNothing)
{
    start();
    form->N2_5->trigger();
    EXPECT_EQ(form->findChild<QProcess *>(), nullptr);
    EXPECT_FALSE(fs::exists(archive()));
}

TEST_F(ArchiveTest, ArchiverThatFailsIsReported)
{
    start();
    // Nothing left to pack: zip gives up.
    for (const auto &entry : fs::directory_iterator(database))
        if (entry.path().extension() == ".dbf")
            fs::remove(entry.path());
    archiveNow();
    EXPECT_FALSE(fs::exists(archive()));
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].startsWith(u("Архивирование не выполнено")))
        << Dialogs::shownMessages()[0].toStdString();
}

TEST_F(ArchiveTest, ArchiverMissingFromThePathIsReported)
{
    start();
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString((root / "empty").string()));
    archiveNow();
    qputenv("PATH", path);
    EXPECT_EQ(Dialogs::shownMessages(), QStringList{u("Немогу выполнить архивирование!")});
    EXPECT_FALSE(fs::exists(archive()));
}

TEST_F(ArchiveTest, NoDatabaseConfiguredArchivesNothing)
{
    writeConfig("[VYVOD]\r\n" + (root / "out").string() + "/\r\n");
    start();
    Dialogs::clearRecorded();
    archiveNow();
    EXPECT_EQ(Dialogs::shownMessages(), QStringList{u("Немогу выполнить архивирование!")});
    EXPECT_EQ(form->findChild<QProcess *>(), nullptr);
}

// A main table as a DOS program left it: the name in CP866.
class DosConversionTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        addColumn("ФИО", "FIO", "1");
        addEmployee(1, "x");
        LoadedTable t = ReadTable(table(schema::OsnovaTable));
        // "Иванов" in CP866.
        SetField(t.Header, 1, FieldIndex(t.Header, "FIO"), t.Data, "\x88\xa2\xa0\xad\xae\xa2");
        WriteTable(table(schema::OsnovaTable), t);
        writeStandardConfig();
        before = bytesOf(table(schema::OsnovaTable));
    }
    std::string before;
};

TEST_F(DosConversionTest, ConvertedAndSavedTableHoldsWindowsText)
{
    start();
    Dialogs::queueAnswer(true);
    Dialogs::queueAnswer(true);
    form->N2_2->trigger();
    EXPECT_EQ(Dialogs::askedQuestions(),
              (QStringList{u("Вы уверены, что хотите перевести базу в WIN кодировку"),
                           u("Вы уверены, что хотите сохранить новую кодировку")}));
    EXPECT_EQ(cell(1, 1), "Иванов");
    const LoadedTable t = ReadTable(table(schema::OsnovaTable));
    EXPECT_EQ(cp1251ToUtf8(GetField(t.Header, t.Data, 1, FieldIndex(t.Header, "FIO"))), "Иванов");
    EXPECT_EQ(GetField(t.Header, t.Data, 1, FieldIndex(t.Header, "KOD")), "1");
    EXPECT_EQ(t.Header.RecordCount, 1);
}

TEST_F(DosConversionTest, NotSavingRereadsTheTableAsItIsOnDisk)
{
    start();
    Dialogs::queueAnswer(true);
    Dialogs::queueAnswer(false);
    form->N2_2->trigger();
    EXPECT_EQ(bytesOf(table(schema::OsnovaTable)), before);
    EXPECT_EQ(GetField(state->Osnova.Header, state->Osnova.Data, 1, FieldIndex(state->Osnova.Header, "FIO")),
              "\x88\xa2\xa0\xad\xae\xa2");
    EXPECT_EQ(cell(1, 1), cp1251ToUtf8("\x88\xa2\xa0\xad\xae\xa2"));
}

TEST_F(DosConversionTest, UnreadableMainTableIsNeverOverwritten)
{
    // A table that start-up could not read must not be replaced by an empty one.
    std::string damaged = before;
    damaged[8] = '\xff';
    damaged[9] = '\x7f';
    std::ofstream(table(schema::OsnovaTable), std::ios::binary) << damaged;
    start();
    Dialogs::clearRecorded();
    Dialogs::queueAnswer(true);
    Dialogs::queueAnswer(true);
    form->N2_2->trigger();
    EXPECT_EQ(bytesOf(table(schema::OsnovaTable)), damaged);
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_EQ(Dialogs::shownMessages()[0], u("Базы не загружены. Настройте программу."));
}

} // namespace
} // namespace veltor::test
