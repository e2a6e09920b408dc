#include "AppFixture.h"

#include "app/QtText.h"
#include "app/StringGrid.h"
#include "records/Startup.h"

#include <QAction>
#include <QLabel>
#include <QFrame>
#include <QMenu>
#include <QToolButton>

namespace veltor::test {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

class StartupTest : public AppFixture {};

TEST_F(StartupTest, MissingConfigIsReportedCreatedEmptyAndNoDatabaseIsLoaded)
{
    TForm1 &w = start();
    const QStringList expected{u("Не найден файл Config.ini, сейчас он будет создан"),
                               u("Не найдены базы! Настройте программу.")};
    EXPECT_EQ(Dialogs::shownMessages(), expected);
    ASSERT_TRUE(std::filesystem::exists(program / "config.ini"));
    EXPECT_EQ(std::filesystem::file_size(program / "config.ini"), 0u);
    EXPECT_FALSE(w.previewVisible());
    EXPECT_EQ(w.N2_9->text().remove(QLatin1Char('&')), u("Показать панель предпросмотра"));
    EXPECT_FALSE(state->TablesLoaded);
    EXPECT_EQ(w.windowTitle(), u("Вельтор (релиз 1.0.9)"));
}

TEST_F(StartupTest, MissingConfigurationTablesAreReportedAndCreatedEmpty)
{
    std::filesystem::remove(program / "Stolb");
    std::filesystem::remove(program / "Konstanty");
    std::filesystem::remove(program / "Pechat");
    writeStandardConfig();
    start();
    const QStringList expected{u("Не найден файл Stolb, сейчас он будет создан"),
                               u("Не найден файл Konstanty, сейчас он будет создан"),
                               u("Не найден файл Pechat, сейчас он будет создан")};
    EXPECT_EQ(Dialogs::shownMessages(), expected);
    // Each is an empty table with its fields, not a file of no bytes (which reads as damaged).
    for (const char *name : {"Stolb", "Konstanty", "Pechat"}) {
        const LoadedTable t = ReadTable(program / name);
        EXPECT_EQ(t.Header.RecordCount, 0) << name;
        EXPECT_GT(FieldCount(t.Header), 0) << name;
    }
    EXPECT_TRUE(state->ColumnSettings.empty());
    // The empty Konstanty describes no additional parameter (this was -7, and the card and the
    // settings loop over the count).
    EXPECT_EQ(state->ExtraParamCount, 0);
}

TEST_F(StartupTest, ConfigWithOnlyTheOutputSectionSetsOnlyThatFolder)
{
    writeConfig("[VYVOD]\r\n/srv/out/\r\n");
    start();
    EXPECT_EQ(state->OutputFolder, "/srv/out/");
    EXPECT_EQ(state->MainTablePath, "");
    EXPECT_EQ(state->TemplatesFolder, "");
    EXPECT_EQ(state->InterfaceMode, 0);
    EXPECT_EQ(Dialogs::shownMessages(), QStringList{u("Не найдены базы! Настройте программу.")});
}

TEST_F(StartupTest, SectionsOutOfOrderAreIgnored)
{
    writeConfig("[DOK]\r\n/t\r\n[PUT]\r\n/x/osnova.dbf\r\n");
    start();
    EXPECT_EQ(state->TemplatesFolder, "/t");
    EXPECT_EQ(state->MainTablePath, "");
}

TEST_F(StartupTest, VidValueSetsPreviewPanelAndPositionListMode)
{
    struct Case {
        const char *vid;
        bool preview;
        int positionMode;
    };
    for (const Case &c : {Case{"0", false, 0}, Case{"11", true, 1}, Case{"10", true, 0},
                          Case{"01", false, 1}, Case{"", false, 0}}) {
        writeStandardConfig(c.vid);
        Dialogs::clearRecorded();
        TForm1 &w = start();
        EXPECT_EQ(w.previewVisible(), c.preview) << c.vid;
        EXPECT_EQ(state->PositionListMode, c.positionMode) << c.vid;
        EXPECT_EQ(w.N2_9->text().remove(QLatin1Char('&')), c.preview ? u("Убрать панель предпросмотра")
                                            : u("Показать панель предпросмотра"));
    }
}

TEST_F(StartupTest, PayrollInterfaceHidesHrCommandsAndShowsSalaryMenu)
{
    addColumn("ФИО", "FIO", "1");
    addEmployee(1, "Петров Петр Петрович");
    writeStandardConfig("11", 1);
    TForm1 &w = start();
    EXPECT_FALSE(w.SpeedButton8Slot->isVisible());
    EXPECT_FALSE(w.SpeedButton9Slot->isVisible());
    EXPECT_FALSE(w.N6->menuAction()->isVisible());
    EXPECT_TRUE(w.N7->menuAction()->isVisible());
    // The list is not filled in the payroll interface.
    EXPECT_EQ(w.StringGrid1->RowCount(), 0);

    writeStandardConfig("11", 0);
    TForm1 &hr = start();
    EXPECT_TRUE(hr.SpeedButton8Slot->isVisible());
    EXPECT_TRUE(hr.N6->menuAction()->isVisible());
    EXPECT_FALSE(hr.N7->menuAction()->isVisible());
    EXPECT_EQ(hr.StringGrid1->RowCount(), 2);
}

TEST_F(StartupTest, ExtraParameterCountIsKonstantyRecordsLessSeven)
{
    for (int i = 1; i <= 10; ++i)
        add(schema::KonstantyTable, {{"N", std::to_string(i)}, {"PEREMEN", "P" + std::to_string(i)}});
    writeStandardConfig();
    start();
    EXPECT_EQ(state->ExtraParamCount, 3);
}

TEST_F(StartupTest, InstallerLeftoverIsDeleted)
{
    std::ofstream(program / "ustan.exe") << "x";
    writeStandardConfig();
    start();
    EXPECT_FALSE(std::filesystem::exists(program / "ustan.exe"));
}

TEST_F(StartupTest, EmptyMainTableHidesTheList)
{
    writeStandardConfig();
    TForm1 &w = start();
    EXPECT_TRUE(state->TablesLoaded);
    EXPECT_TRUE(w.StringGrid1->isHidden());
}

TEST_F(StartupTest, MissingTableStopsStartUpWithItsMessageKeepingWhatWasLoaded)
{
    addEmployee(1, "Петров Петр Петрович");
    std::filesystem::remove(database / "passport.dbf");
    writeStandardConfig();
    TForm1 &w = start();
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].contains("passport.dbf")) << Dialogs::shownMessages()[0].toStdString();
    EXPECT_EQ(state->Osnova.Header.RecordCount, 1);
    EXPECT_FALSE(state->TablesLoaded);
    EXPECT_EQ(w.windowTitle(), u("Вельтор (релиз 1.0.9)"));
}

// Start-up stopped part-way leaves tables unread. Their empty copies used to be written over
// the real files by the next write of the deletion at shutdown (or by the card).
class StoppedStartupTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        addColumn("ФИО", "FIO", "1");
        for (const char *code : {"1", "2"}) {
            addEmployee(std::stoi(code), std::string("Сотрудник ") + code);
            for (auto t : {schema::PassportTable, schema::TrudTable, schema::SemjaTable,
                           schema::ObrazTable, schema::VoenTable, schema::DopolnTable})
                add(t, {{"KOD", code}});
        }
        writeStandardConfig();
    }

    std::map<std::string, std::string> personnelFiles() const
    {
        std::map<std::string, std::string> files;
        for (auto t : {schema::OsnovaTable, schema::PassportTable, schema::TrudTable,
                       schema::SemjaTable, schema::ObrazTable, schema::VoenTable,
                       schema::DopolnTable})
            files[std::string(t)] = bytesOf(table(t));
        return files;
    }

    void deleteFirstAndClose(TForm1 &w)
    {
        w.show();
        w.StringGrid1->setRow(1);
        Dialogs::queueAnswer(true);
        w.N1_9->trigger();
        Dialogs::queueAnswer(true);
        w.close();
    }
};

TEST_F(StoppedStartupTest, TablesThatCouldNotBeReadAreNeverWritten)
{
    std::ofstream(table(schema::VoenTable), std::ios::binary | std::ios::trunc) << std::string(40, '\x7F');
    const auto before = personnelFiles();
    TForm1 &w = start();
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].contains("Voen.dbf"));
    EXPECT_FALSE(w.StatusMissing->isHidden());
    EXPECT_EQ(w.StatusMissing->text(), u("Не загружены: Voen.dbf, dopoln.dbf, TipDok.dbf"));

    w.N1_5->trigger(); // fails again at Voen.dbf; the list still works
    EXPECT_EQ(w.StringGrid1->RowCount(), 3);
    Dialogs::clearRecorded();
    deleteFirstAndClose(w);
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].contains("Voen.dbf, dopoln.dbf"))
        << Dialogs::shownMessages()[0].toStdString();
    EXPECT_TRUE(w.isVisible()); // the deletion stays in memory, the window open
    EXPECT_EQ(personnelFiles(), before);
}

TEST_F(StoppedStartupTest, ShowAllLoadsEveryTableTheDeletionWrites)
{
    // A non-number in SHIRINA stops start-up before any personnel table is read.
    addColumn("Код", "KOD", "1", "1", "3а");
    TForm1 &w = start();
    EXPECT_EQ(Dialogs::shownMessages(), QStringList{u("\"3а\" не является целым числом")});
    state->ColumnSettings = {{cp("ФИО"), 30, "FIO", "1", "1"}};
    w.N1_5->trigger();
    EXPECT_EQ(w.StatusMissing->text(), u("Не загружены: Konstanty, Pechat"));
    EXPECT_TRUE(state->TablesLoaded); // so a new employee can be added
    deleteFirstAndClose(w);
    for (auto t : {schema::ObrazTable, schema::VoenTable, schema::DopolnTable}) {
        const LoadedTable disk = ReadTable(table(t));
        ASSERT_EQ(disk.Header.RecordCount, 1) << t;
        EXPECT_EQ(GetField(disk.Header, disk.Data, 1, FieldIndex(disk.Header, "KOD")), "2") << t;
    }
}

TEST_F(StartupTest, NonNumericInterfaceValueStopsStartUpWithConversionError)
{
    writeConfig("[PUT]\r\n/x/osnova.dbf\r\n[DOK]\r\n\r\n[VYVOD]\r\n\r\n[INTERFACE]\r\nа\r\n[VID]\r\n11\r\n");
    start();
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_EQ(Dialogs::shownMessages()[0], u("\"а\" не является целым числом"));
}

TEST_F(StartupTest, TablesAreFoundUnderAnyLetterCase)
{
    std::filesystem::rename(database / "trud.dbf", database / "TRUD.DBF");
    std::filesystem::rename(database / "Voen.dbf", database / "voen.dbf");
    addEmployee(1, "Петров Петр Петрович");
    add(schema::TrudTable, {{"KOD", "1"}, {"N_IZM", "1"}});
    writeStandardConfig();
    start();
    EXPECT_TRUE(state->TablesLoaded);
    EXPECT_EQ(state->Trud.Header.RecordCount, 1);
}

class ShutdownTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        addColumn("ФИО", "FIO", "1");
        addEmployee(1, "Петров Петр Петрович");
        addEmployee(2, "Сидоров Иван Ильич");
        add(schema::TrudTable, {{"KOD", "1"}});
        add(schema::SemjaTable, {{"KOD", "1"}});
        add(schema::PassportTable, {{"KOD", "1"}});
        add(schema::ObrazTable, {{"KOD", "1"}});
        writeStandardConfig();
        start();
        for (auto name : {schema::OsnovaTable, schema::SemjaTable, schema::PassportTable,
                          schema::ObrazTable, schema::TrudTable})
            before[std::string(name)] = bytesOf(table(name));
        form->StringGrid1->setRow(1);
        Dialogs::queueAnswer(true);
        form->N1_9Click();
        Dialogs::clearRecorded();
    }
    std::map<std::string, std::string> before;
};

TEST_F(ShutdownTest, AnsweringNoLeavesEveryTableAsItWasOnDisk)
{
    Dialogs::queueAnswer(false);
    form->close();
    EXPECT_EQ(Dialogs::askedQuestions().size(), 1);
    for (const auto &[name, bytes] : before)
        EXPECT_EQ(bytesOf(table(name)), bytes) << name;
}

TEST_F(ShutdownTest, AnsweringYesWritesTheDeletion)
{
    Dialogs::queueAnswer(true);
    form->close();
    EXPECT_EQ(ReadTable(table(schema::OsnovaTable)).Header.RecordCount, 1);
    EXPECT_EQ(ReadTable(table(schema::TrudTable)).Header.RecordCount, 0);
    EXPECT_EQ(ReadTable(table(schema::SemjaTable)).Header.RecordCount, 0);
    EXPECT_EQ(ReadTable(table(schema::PassportTable)).Header.RecordCount, 0);
    EXPECT_EQ(ReadTable(table(schema::ObrazTable)).Header.RecordCount, 0);
}

TEST_F(ShutdownTest, FailedWriteKeepsTheWindowOpenAndTheDeletionInMemory)
{
    // A folder standing where the passport table is makes its replacement fail.
    const auto passport = table(schema::PassportTable);
    std::filesystem::remove(passport);
    std::filesystem::create_directory(passport);
    std::filesystem::create_directory(passport / "keep");
    form->show();
    Dialogs::queueAnswer(true);
    EXPECT_FALSE(form->close());
    // A table file that changed since it was read: the user is told and offered to re-read.
    EXPECT_EQ(Dialogs::shownMessages().size() + Dialogs::askedQuestions().size(), 2);
    EXPECT_TRUE(state->RecordsDeleted);
    EXPECT_EQ(state->Osnova.Header.RecordCount, 1);
}

TEST(ConfigIniTest, WrittenConfigReadsBack)
{
    QTemporaryDir dir;
    const std::filesystem::path file = dir.path().toStdString() + "/config.ini";
    AppState s;
    s.MainTablePath = "/db/osnova.dbf";
    s.TemplatesFolder = "/t";
    s.OutputFolder = "/o/";
    s.InterfaceMode = 1;
    s.PositionListMode = 1;
    writeConfigIni(file, s, false);
    AppState r;
    readConfigIni(file, r);
    EXPECT_EQ(r.MainTablePath, s.MainTablePath);
    EXPECT_EQ(r.TemplatesFolder, s.TemplatesFolder);
    EXPECT_EQ(r.OutputFolder, s.OutputFolder);
    EXPECT_EQ(r.InterfaceMode, 1);
    EXPECT_EQ(r.VidValue, "01");
}

} // namespace
} // namespace veltor::test
