// Opening a database: one program per database folder, what start-up finds in the folder
// (names differing only in case, files left by older versions, bytes past the last record) and a
// table another program changed while it was open.
#include "AppFixture.h"

#include "app/EmployeeCommands.h"
#include "app/Guard.h"
#include "records/Startup.h"

#include <QAction>
#include <QCoreApplication>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace veltor::test {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

class DatabaseOpening : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        addEmployee(1, "Иванов Иван");
        addEmployee(2, "Петров Пётр");
        writeStandardConfig();
    }
    QString allMessages() const { return Dialogs::shownMessages().join("\n"); }
};

// A second copy is told who holds the database and opens it read-only on "Да": every save
// command is off, the title says so, and a save that gets through anyway writes nothing.
TEST_F(DatabaseOpening, ASecondCopyOpensTheDatabaseReadOnlyOrQuits)
{
    start();
    AppState second;
    second.ProgramFolder = program;
    TForm1 secondWindow(second);
    Dialogs::clearRecorded();
    Dialogs::queueAnswer(true);
    secondWindow.FormCreate();
    ASSERT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_TRUE(Dialogs::askedQuestions()[0].contains(u("База данных уже открыта другой копией программы (компьютер ")))
        << Dialogs::askedQuestions()[0].toStdString();
    EXPECT_TRUE(Dialogs::askedQuestions()[0].contains(QString::number(QCoreApplication::applicationPid())));
    EXPECT_TRUE(second.ReadOnly);
    EXPECT_TRUE(secondWindow.windowTitle().endsWith(u("(только чтение)"))) << secondWindow.windowTitle().toStdString();
    EXPECT_FALSE(secondWindow.N1_4->isEnabled());
    EXPECT_FALSE(secondWindow.N1_9->isEnabled());
    EXPECT_EQ(second.Osnova.Header.RecordCount, 2);

    const std::string before = bytesOf(table(schema::OsnovaTable));
    SetField(second.Osnova, 1, "FIO", "x");
    EXPECT_THROW(SaveSet(second, "проверка").add(second.Osnova).commit(), FileError);
    EXPECT_EQ(bytesOf(table(schema::OsnovaTable)), before);

    // "Нет" quits.
    AppState third;
    third.ProgramFolder = program;
    TForm1 thirdWindow(third);
    Dialogs::queueAnswer(false);
    thirdWindow.FormCreate();
    EXPECT_TRUE(thirdWindow.quitRequested());
}

// The lock of a copy that died is taken over without a question.
TEST_F(DatabaseOpening, TheLockOfADeadCopyIsTakenOver)
{
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        DatabaseLock lock;
        _exit(lock.acquire(database) ? 0 : 1); // ends without letting go
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(std::filesystem::exists(database / "veltor.lock"));
    start();
    EXPECT_TRUE(Dialogs::askedQuestions().isEmpty()) << Dialogs::askedQuestions().join("\n").toStdString();
    EXPECT_FALSE(state->ReadOnly);
}

// Two files of one table under names differing only in case: the card used to write one and
// the program to read the other. Start-up names both and reads neither.
TEST_F(DatabaseOpening, TwoNamesOfOneTableAreRefused)
{
    std::filesystem::copy_file(table(schema::TrudTable), database / "Trud.dbf");
    start();
    EXPECT_TRUE(allMessages().contains(u("trud.dbf")) && allMessages().contains(u("Trud.dbf"))) << allMessages().toStdString();
    EXPECT_FALSE(state->TablesLoaded);
}

// Start-up drops what older versions left ("*.dbf.new") once the table beside it reads, keeps it
// when the table does not, and warns once about bytes past a table's last record.
TEST_F(DatabaseOpening, LeftoversAreRemovedAndStrayBytesReported)
{
    std::filesystem::copy_file(table(schema::SemjaTable), database / "semja.dbf.new");
    {
        std::ofstream tail(table(schema::PassportTable), std::ios::binary | std::ios::app);
        tail << "left by another program";
    }
    start();
    EXPECT_FALSE(std::filesystem::exists(database / "semja.dbf.new"));
    EXPECT_TRUE(allMessages().contains(u("passport.dbf")) && allMessages().contains(u("после последней записи")))
        << allMessages().toStdString();
    EXPECT_TRUE(state->TablesLoaded);
}

// A table another program wrote while the database was open is not written over; showing all
// employees reads it again and the save then goes through.
TEST_F(DatabaseOpening, ATableChangedByAnotherProgramIsNotWrittenOver)
{
    TForm1 &w = start();
    LoadedTable other = ReadTable(table(schema::OsnovaTable));
    SetField(other.Header, 2, FieldIndex(other.Header, "FIO"), other.Data, cp("Петров Павел"));
    WriteTable(table(schema::OsnovaTable), other);
    const std::string theirs = bytesOf(table(schema::OsnovaTable));

    SetField(state->Osnova, 1, "OKLAD", "7000");
    EXPECT_THROW(SaveSet(*state, "проверка").add(state->Osnova).commit(), TableChangedOnDisk);
    EXPECT_EQ(bytesOf(table(schema::OsnovaTable)), theirs);

    // Refused through a window, the message offers to read the data again: "Да" does.
    SetField(state->Osnova, 1, "OKLAD", "7000");
    Dialogs::clearRecorded();
    Dialogs::queueAnswer(true);
    EXPECT_FALSE(runGuarded(&w, [&] { SaveSet(*state, "проверка").add(state->Osnova).commit(); }));
    ASSERT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_TRUE(Dialogs::askedQuestions()[0].contains(u("изменён другой программой")));
    EXPECT_EQ(GetField(state->Osnova.Header, state->Osnova.Data, 2, FieldIndex(state->Osnova.Header, "FIO")),
              cp("Петров Павел"));
    SetField(state->Osnova, 1, "OKLAD", "7000");
    SaveSet(*state, "проверка").add(state->Osnova).commit();
    const LoadedTable now = ReadTable(table(schema::OsnovaTable));
    EXPECT_EQ(GetField(now.Header, now.Data, 2, FieldIndex(now.Header, "FIO")), cp("Петров Павел"));
    EXPECT_EQ(GetField(now.Header, now.Data, 1, FieldIndex(now.Header, "OKLAD")), "7000");
}

// A deleted employee's code, still named by his orders, is never given to a new employee.
TEST_F(DatabaseOpening, ANewEmployeeGetsACodeAboveEveryCodeTheOrdersHold)
{
    add(schema::ZhurDokTable, {{"ID_DOK", "1"}, {"KOD", "7"}});
    start();
    EXPECT_EQ(appendNewEmployee(*state), 8);
}

} // namespace
} // namespace veltor::test
