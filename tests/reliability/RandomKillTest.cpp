// The program killed at random moments while it saves cards and orders, then started again:
// every save is whole or absent. Each card save sets the salary in osnova.dbf and appends the
// history record with it, so a torn save shows as a main record whose salary differs from the
// employee's last history record. VELTOR_KILL_RUNS sets the number of kills (a few in the
// test run; README.md gives the long run).
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
#include <csignal>
#include <thread>
#include <cstdlib>
#include <iostream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "Session.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "card/MainPage.h"
#include "records/Startup.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"

namespace veltor::test {
namespace {

namespace fs = std::filesystem;

int fromEnvironment(const char *name, int fallback)
{
    const char *value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// The salary of each employee's main record against that of his last history record.
std::vector<std::string> tornEmployees(const fs::path &database, int &savedSalaries)
{
    const LoadedTable osnova = ReadTable(resolveFileName(database, schema::OsnovaTable));
    const LoadedTable trud = ReadTable(resolveFileName(database, schema::TrudTable));
    std::map<std::string, std::string> lastSalary;
    const int kod = FieldIndex(trud.Header, "KOD"), oklad = FieldIndex(trud.Header, "OKLAD");
    for (int r = 1; r <= trud.Header.RecordCount; ++r)
        lastSalary[GetField(trud.Header, trud.Data, r, kod)] = GetField(trud.Header, trud.Data, r, oklad);
    std::vector<std::string> torn;
    for (int r = 1; r <= osnova.Header.RecordCount; ++r) {
        const std::string code = GetField(osnova.Header, osnova.Data, r, FieldIndex(osnova.Header, "KOD"));
        const std::string salary = GetField(osnova.Header, osnova.Data, r, FieldIndex(osnova.Header, "OKLAD"));
        if (salary.size() <= 6 || salary.rfind("7", 0) != 0)
            continue;
        ++savedSalaries;
        if (lastSalary[code] != salary)
            torn.push_back(code + ": " + salary + " / " + lastSalary[code]);
    }
    return torn;
}

TEST(RandomKill, EverySaveIsWholeOrAbsentAfterTheNextStart)
{
    const int runs = fromEnvironment("VELTOR_KILL_RUNS", 5);
    Session s;
    const fs::path database = s.run / "database";
    std::mt19937 random(static_cast<unsigned>(fromEnvironment("VELTOR_SEED", 7)));
    int saved = 0;
    for (int run = 0; run < runs; ++run) {
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            // A fresh program on the folder, saving the cards of employees in turn for ever,
            // each with a salary no one else writes (7xxxxxxx).
            AppState state;
            state.ProgramFolder = s.run;
            TForm1 main(state);
            TForm2 card(state, main);
            FormLinks links;
            links.Form2 = &card;
            main.setLinks(links);
            main.FormCreate();
            for (int n = 0;; ++n) {
                main.StringGrid1->setRow(1 + n % 5);
                main.N1_10->trigger();
                card.OsnovnList->Edit3->setText(QString::number(7000000 + run * 10000 + n));
                Dialogs::queueAnswer(true); // "save anyway" where the data checks ask
                card.Button2->click();
                Dialogs::clearRecorded();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200 + random() % 400));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        // The next start rolls back what the kill interrupted.
        AppState again;
        again.ProgramFolder = s.run;
        const OpeningReport report = [&] {
            again.MainTablePath = pathToCp1251(database / "osnova.dbf");
            return prepareDatabaseFolder(again);
        }();
        if (!report.undoneSave.empty())
            ++saved;
        EXPECT_FALSE(fs::exists(database / "veltor.journal"));
        EXPECT_TRUE(unreadableTables(s.run, s.tableFiles()).empty()) << "run " << run;
        int savedSalaries = 0;
        const std::vector<std::string> torn = tornEmployees(database, savedSalaries);
        EXPECT_TRUE(torn.empty()) << "run " << run << ": " << torn.front();
        if (run == runs - 1)
            EXPECT_GT(savedSalaries, 0) << "no save ever landed: the check proves nothing";
    }
    std::cout << runs << " kills, " << saved << " of them in the middle of a commit\n";
}

} // namespace
} // namespace veltor::test
