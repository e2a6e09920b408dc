// Restoring the tables from an archive of the database folder through the menu command.
#include "AppFixture.h"

#include "app/ArchiveRestore.h"
#include "records/Startup.h"
#include "app/StringGrid.h"

#include <QAction>
#include <QProcess>

namespace veltor::test {
namespace {

class ArchiveRestore : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        writeStandardConfig();
        addColumn("ФИО", "FIO", "1");
        addEmployee(1, "Иванов Иван");
        add(schema::TrudTable, {{"KOD", "1"}, {"D_POST", "01.02.2005"}});
    }

    std::map<std::string, std::string> tables() const
    {
        std::map<std::string, std::string> bytes;
        for (const auto &entry : std::filesystem::directory_iterator(database))
            if (entry.path().filename() != "veltor.lock") // the running program's lock
            bytes[entry.path().filename().string()] =
                entry.path().extension() == ".dbf" ? bytesOf(entry.path()) : std::string("(other)");
        return bytes;
    }

    void restore(const std::filesystem::path &archive)
    {
        Dialogs::queuePath(pathToQString(archive));
        Dialogs::queueAnswer(true);
        form->N2_11->trigger();
    }

    // A zip archive holding the given files, made with the zip program.
    void zipFiles(const std::filesystem::path &archive, const std::vector<std::filesystem::path> &files)
    {
        QStringList arguments = {"-j", "-q", pathToQString(archive)};
        for (const auto &f : files)
            arguments << pathToQString(f);
        ASSERT_EQ(QProcess::execute("zip", arguments), 0);
    }
};

TEST_F(ArchiveRestore, UndoesAChangeAndKeepsTheReplacedTablesInAnArchive)
{
    start();
    const auto before = tables();
    const auto archive = database / "arhiv_2025_03_6.zip";
    archiveTables(database, archive);

    // The change a card save makes: the main table rewritten.
    LoadedTable &main = state->Osnova;
    SetField(main.Header, 1, FieldIndex(main.Header, "FIO"), main.Data, cp("Петров Петр"));
    WriteTable(database / "osnova.dbf", main);
    form->refillList("-1", "1");
    ASSERT_EQ(cell(1, 1), "Петров Петр");

    restore(archive);
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].startsWith(QString::fromUtf8("Таблицы восстановлены")))
        << Dialogs::shownMessages()[0].toStdString();
    auto after = tables();
    EXPECT_EQ(cell(1, 1), "Иванов Иван");
    EXPECT_EQ(cp1251ToUtf8(GetField(state->Osnova.Header, state->Osnova.Data, 1, FieldIndex(state->Osnova.Header, "FIO"))),
              "Иванов Иван");

    // The restored tables are byte for byte those archived; the replaced ones went to an archive
    // of their own, which restores the change.
    std::filesystem::path undo;
    for (auto it = after.begin(); it != after.end();) {
        if (it->first.find("pered_vosstanovleniem") != std::string::npos)
            undo = database / it->first;
        if (it->second == "(other)")
            it = after.erase(it);
        else
            ++it;
    }
    EXPECT_EQ(after, before);
    ASSERT_FALSE(undo.empty());
    restore(undo);
    EXPECT_EQ(cell(1, 1), "Петров Петр");
}

TEST_F(ArchiveRestore, ADamagedArchiveChangesNothing)
{
    start();
    test::AppFixture::add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Склад"}});
    // A damaged table inside a sound zip, and a file that is no zip at all.
    const auto bad = root / "osnova.dbf";
    std::ofstream(bad, std::ios::binary) << "not a table";
    zipFiles(database / "arhiv_2025_03_7.zip", {bad});
    std::ofstream(database / "arhiv_2025_03_8.zip", std::ios::binary) << "PK\x03\x04 broken";
    const auto before = tables();

    QStringList reported;
    for (const char *name : {"arhiv_2025_03_7.zip", "arhiv_2025_03_8.zip", "arhiv_missing.zip"}) {
        SCOPED_TRACE(name);
        Dialogs::clearRecorded();
        restore(database / name);
        ASSERT_EQ(Dialogs::shownMessages().size(), 1);
        const QString message = Dialogs::shownMessages()[0];
        reported << message;
        EXPECT_TRUE(message.startsWith(QString::fromUtf8("Восстановление из архива «") + name +
                                       QString::fromUtf8("» не выполнено")))
            << message.toStdString();
        EXPECT_TRUE(message.endsWith(QString::fromUtf8("Таблицы оставлены как были."))) << message.toStdString();
        // Only the archive of the tables as they were is new in the folder.
        auto now = tables();
        for (auto it = now.begin(); it != now.end();)
            it = it->first.find("pered_vosstanovleniem") != std::string::npos ? now.erase(it) : std::next(it);
        EXPECT_EQ(now, before);
        EXPECT_EQ(cell(1, 1), "Иванов Иван");
    }
    // The table that does not read is named; a file shorter than a header used to be taken for
    // an empty table and restored over the main table.
    EXPECT_NE(reported.value(0).indexOf(QString::fromUtf8("\"osnova.dbf\" поврежден")), -1)
        << reported.value(0).toStdString();
}

TEST_F(ArchiveRestore, ListsTheFolderArchivesNewestFirst)
{
    for (const char *name : {"arhiv_2025_03_6.zip", "ARHIV_2025_03_7.ZIP", "other.zip", "arhiv_notes.txt"})
        std::ofstream(database / name) << name;
    std::filesystem::last_write_time(database / "arhiv_2025_03_6.zip",
                                     std::filesystem::last_write_time(database / "ARHIV_2025_03_7.ZIP") -
                                         std::chrono::hours(24));
    std::vector<std::string> names;
    for (const ArchiveFile &a : listArchives(database))
        names.push_back(a.path.filename().string() + " " + std::to_string(a.size));
    EXPECT_EQ(names, (std::vector<std::string>{"ARHIV_2025_03_7.ZIP 19", "arhiv_2025_03_6.zip 19"}));
}

} // namespace
} // namespace veltor::test
