// Every way the program saves, made to fail at each step of its commit: by an error (a full
// disk, an unwritable file), by a file-size limit of zero, by a read-only folder, and by the
// process being killed there. Afterwards every file holds its old bytes (after a kill, once the
// next start has rolled the commit back), the user was told which file failed, and the program
// still saves.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "Session.h"
#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "card/MainPage.h"
#include "listtools/ObrabPanel.h"
#include "listtools/SettingsPanel.h"
#include "listtools/SpravPanel.h"
#include "listtools/StolbPanel.h"
#include "orders/OrderFormPanel.h"
#include "support/DbfRead.h"
#include "storage/TableCommit.h"

namespace veltor::test {
namespace {

namespace fs = std::filesystem;

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

void choose(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void edit(TStringGrid &g, int col, int row, const QString &text)
{
    g.model()->setData(g.model()->index(row - g.FixedRows(), col), text, Qt::EditRole);
}

// Folders made read-only for this thread. Root writes into read-only folders anyway, so its
// capabilities to override file permissions are dropped from the effective set meanwhile.
class ReadOnlyFolders {
public:
    explicit ReadOnlyFolders(std::vector<fs::path> folders) : m_folders(std::move(folders))
    {
        for (const fs::path &f : m_folders)
            fs::permissions(f, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (syscall(SYS_capget, &m_header, m_saved) == 0) {
            __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
            reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_FOWNER));
            m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
        }
    }
    ~ReadOnlyFolders()
    {
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
        for (const fs::path &f : m_folders)
            fs::permissions(f, fs::perms::owner_write, fs::perm_options::add);
    }
    // False where the folders can still be written (the test then proves nothing).
    bool effective() const
    {
        const fs::path probe = m_folders.front() / "probe";
        if (std::ofstream(probe).good()) {
            fs::remove(probe);
            return false;
        }
        return true;
    }

private:
    std::vector<fs::path> m_folders;
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

struct SavePath {
    const char *name;
    std::function<void(Session &)> open; // gets the window ready; writes nothing
    std::function<void(Session &)> save; // the user's command that writes
};

const std::vector<SavePath> &savePaths()
{
    static const std::vector<SavePath> paths = {
        {"card",
         [](Session &s) {
             s.form1->StringGrid1->setRow(2);
             s.form1->N1_10->trigger();
             s.form2->OsnovnList->Edit16->setText(u("Новое место рождения"));
         },
         [](Session &s) { s.form2->Button2->click(); }},
        {"order",
         [](Session &s) {
             s.form1->N6_1->trigger();
             TOrderFormPanel &f = *s.form4->DokumPanel;
             choose(f.DokumComboTipOper, 2); // a transfer: journal, details, history, main record
             choose(f.DokumComboSotr, 1);
             f.DokumEdit1->setText(QStringLiteral("77"));
             setPickerDate(*f.DokumData, {2024, 3, 1});
             setPickerDate(*f.DokumDataNach, {2024, 3, 4});
             f.DokumEdit2->setText(u("Заявление"));
             choose(f.DokumComboOtdel, 1);
             choose(f.DokumComboDolzh, 1);
             f.DokumEdit3->setText(QStringLiteral("31000"));
         },
         [](Session &s) { s.form4->DokumPanel->DokumButOK->click(); }},
        {"settings",
         [](Session &s) {
             s.form1->N2_1->trigger();
             edit(*s.form3->PanelNastr->StringGrid2, 1, 1, u("Новая колонка"));
         },
         [](Session &s) { s.form3->PanelNastr->Button4->click(); }},
        {"reference list",
         [](Session &s) {
             s.form1->N2_3->trigger();
             s.form3->PanelSprav->SpeedButton1->click();
             TStringGrid &g = *s.form3->PanelSprav->StringGrid1;
             edit(g, 1, g.RowCount() - 1, u("Новый отдел"));
         },
         [](Session &s) { s.form3->PanelSprav->Button10->click(); }},
        {"columns",
         [](Session &s) { s.form1->N2_7->trigger(); },
         [](Session &s) { s.form3->PanelStolb->Button15->click(); }},
        {"streaming entry",
         [](Session &s) {
             s.form1->N1_8->trigger();
             TObrabPanel &o = *s.form3->PanelObrab;
             // The salary: written to the main table with a history record in trud.dbf.
             const int salary = o.ComboBox4->findText(u("Оклад"));
             ASSERT_GE(salary, 0);
             o.ComboBox4Change(salary);
             o.Button21->click();
             edit(*o.ValueList, 1, 1, QStringLiteral("25000"));
         },
         [](Session &s) {
             Dialogs::queueAnswer(true);
             s.form3->PanelObrab->Button17->click();
         }},
        {"shutdown after a deletion",
         [](Session &s) {
             s.form1->StringGrid1->setRow(2);
             Dialogs::queueAnswer(true);
             s.form1->N1_9->trigger();
         },
         [](Session &s) {
             Dialogs::queueAnswer(true);
             s.form1->close();
         }},
        {"code page conversion",
         [](Session &) {},
         [](Session &s) {
             Dialogs::queueAnswer(true); // convert
             Dialogs::queueAnswer(true); // and keep the conversion
             s.form1->N2_2->trigger();
         }},
    };
    return paths;
}

class FailedWrite : public ::testing::TestWithParam<size_t> {
protected:
    const SavePath &path() const { return savePaths()[GetParam()]; }

    // The save run without failure: its table files before and after, and the files it wrote.
    struct Outcome {
        Snapshot before, after;
        std::vector<fs::path> written;
    };
    Outcome succeed()
    {
        Session s;
        s.start();
        path().open(s);
        Outcome o;
        o.before = s.tableFiles();
        setCommitStepHook([&](const fs::path &f) { o.written.push_back(f); });
        path().save(s);
        setCommitStepHook({});
        EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << Dialogs::shownMessages().join("\n").toStdString();
        o.after = s.tableFiles();
        return o;
    }

    static void expectSame(const Snapshot &now, const Snapshot &expected)
    {
        for (const auto &[name, bytes] : expected) {
            const auto it = now.find(name);
            EXPECT_TRUE(it != now.end() && it->second == bytes) << name << " differs";
        }
        for (const auto &[name, bytes] : now)
            EXPECT_TRUE(expected.count(name)) << name << " appeared";
    }

    static bool namedInMessage(const fs::path &file)
    {
        const QString name = QString::fromStdString(file.filename().string());
        for (const QString &m : Dialogs::shownMessages())
            if (m.contains(name, Qt::CaseInsensitive))
                return true;
        return false;
    }
};

TEST_P(FailedWrite, AnErrorAtEachStepChangesNoFileAndNamesTheFile)
{
    const Outcome ok = succeed();
    ASSERT_FALSE(ok.written.empty());
    for (size_t failing = 0; failing < ok.written.size(); ++failing) {
        SCOPED_TRACE("step " + std::to_string(failing + 1) + " of " + std::to_string(ok.written.size()) + ": "
                     + ok.written[failing].filename().string());
        Session s;
        s.start();
        path().open(s);
        size_t count = 0;
        setCommitStepHook([&](const fs::path &) {
            if (count++ == failing)
                throw std::runtime_error("No space left on device");
        });
        path().save(s);
        setCommitStepHook({});
        expectSame(s.tableFiles(), ok.before);
        EXPECT_TRUE(namedInMessage(ok.written[failing])) << Dialogs::shownMessages().join("\n").toStdString();
        EXPECT_FALSE(fs::exists(s.state.journalFile())) << "the journal was left behind";
        EXPECT_TRUE(s.form1->isVisible()) << "the program closed on a failed write";

        // Once the disk has room again the same command saves what the user asked for.
        Dialogs::clearRecorded();
        path().save(s);
        EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << Dialogs::shownMessages().join("\n").toStdString();
        expectSame(s.tableFiles(), ok.after);
    }
}

TEST_P(FailedWrite, AFullDiskChangesNoFile)
{
    const Outcome ok = succeed();
    Session s;
    s.start();
    path().open(s);
    // Nothing may grow a file past 0 bytes: every write runs out of room.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    auto *const oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = previous;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    path().save(s);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    expectSame(s.tableFiles(), ok.before);
    // The first file the save writes is named (config.ini goes before the tables).
    EXPECT_TRUE(namedInMessage(ok.written.front()) || namedInMessage("config.ini"))
        << Dialogs::shownMessages().join("\n").toStdString();
    for (const auto &entry : fs::recursive_directory_iterator(s.run))
        EXPECT_FALSE(entry.is_regular_file() && entry.file_size() == 0 && isTableFile(entry.path()))
            << entry.path() << " left empty";
}

TEST_P(FailedWrite, AReadOnlyFolderChangesNoFile)
{
    const Outcome ok = succeed();
    Session s;
    s.start();
    path().open(s);
    {
        ReadOnlyFolders readOnly({s.run / "database", s.run});
        if (!readOnly.effective())
            GTEST_SKIP() << "folders cannot be made read-only here";
        path().save(s);
    }
    expectSame(s.tableFiles(), ok.before);
    EXPECT_TRUE(namedInMessage(ok.written.front()) || namedInMessage("config.ini"))
        << Dialogs::shownMessages().join("\n").toStdString();
    EXPECT_TRUE(s.form1->isVisible());
}

TEST_P(FailedWrite, AKillAtEachStepIsUndoneAtTheNextStart)
{
    const Outcome ok = succeed();
    for (size_t killed = 0; killed < ok.written.size(); ++killed) {
        SCOPED_TRACE("killed at step " + std::to_string(killed + 1) + ": " + ok.written[killed].filename().string());
        Session s;
        s.start();
        path().open(s);
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            size_t count = 0;
            setCommitStepHook([&](const fs::path &) {
                if (count++ == killed)
                    raise(SIGKILL);
            });
            path().save(s);
            _exit(3); // the step was never reached
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

        // The program is started again on the same folder: it rolls the commit back and says so.
        if (s.state.Lock)
            s.state.Lock->release();
        Dialogs::clearRecorded();
        AppState again;
        again.ProgramFolder = s.run;
        TForm1 restarted(again);
        restarted.FormCreate();
        const bool journalWritten = killed > 0;
        EXPECT_EQ(Dialogs::shownMessages().join("\n").contains(QString::fromUtf8("было прервано и отменено")),
                  journalWritten)
            << Dialogs::shownMessages().join("\n").toStdString();
        expectSame(s.tableFiles(), ok.before);
        // An independent reader sees the same records as before the save.
        for (const auto &[name, bytes] : ok.before) {
            if (!isTableFile(name) || fs::path(name).extension() != ".dbf")
                continue;
            const QJsonObject table = dbfread(s.run / name);
            EXPECT_EQ(table["count"].toInt(), ReadTable(s.run / name).Header.RecordCount) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EverySavePath, FailedWrite, ::testing::Range<size_t>(0, savePaths().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) {
                             std::string name = savePaths()[info.param].name;
                             for (char &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
} // namespace veltor::test
