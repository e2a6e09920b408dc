// The program started on copies of the demo with one kind of damage each: it names the damage in
// a message, stays usable (the list, the card, the orders, filters and printing can be opened),
// and no file changes on disk while the user saves nothing.
#include <QAction>
#include <QMenu>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "Session.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "listtools/FilterPanel.h"
#include "orders/OrderFormPanel.h"
#include "orders/OrderJournalPanel.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "text/Cp1251.h"

namespace veltor::test {
namespace {

namespace fs = std::filesystem;

fs::path databaseFile(const fs::path &run, std::string_view name) { return resolveFileName(run / "database", name); }

void writeBytes(const fs::path &file, const std::string &bytes) { std::ofstream(file, std::ios::binary) << bytes; }

std::string readBytes(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Puts `value` (UTF-8) into `field` of every record of the table.
void setEverywhere(const fs::path &file, const char *field, const char *value)
{
    LoadedTable t = ReadTable(file);
    const int f = FieldIndex(t.Header, field);
    ASSERT_GT(f, 0) << field;
    for (int r = 1; r <= t.Header.RecordCount; ++r)
        SetField(t.Header, r, f, t.Data, cp(value));
    WriteTable(file, t);
}

struct Damage {
    const char *name;
    std::function<void(const fs::path &run)> apply;
    // A text the messages must contain (UTF-8); none where the value is only shown as text.
    const char *expected;
};

std::vector<Damage> damages()
{
    std::vector<Damage> list;
    for (const char *table : {"osnova.dbf", "trud.dbf", "passport.dbf", "semja.dbf", "ZhurDok.dbf", "otdel.dbf", "TipDok.dbf"}) {
        list.push_back({"missing", [table](const fs::path &run) { fs::remove(databaseFile(run, table)); }, table});
        list.push_back({"truncated",
                        [table](const fs::path &run) {
                            const fs::path f = databaseFile(run, table);
                            const std::string bytes = readBytes(f);
                            writeBytes(f, bytes.substr(0, bytes.size() * 2 / 3));
                        },
                        table});
        list.push_back({"header longer than the file",
                        [table](const fs::path &run) {
                            const fs::path f = databaseFile(run, table);
                            std::string bytes = readBytes(f);
                            bytes[8] = '\xff';
                            bytes[9] = '\x7f';
                            writeBytes(f, bytes);
                        },
                        table});
    }
    for (const char *table : {"Stolb", "Konstanty", "Pechat"})
        list.push_back({"truncated program table",
                        [table](const fs::path &run) {
                            const fs::path f = resolveFileName(run, table);
                            writeBytes(f, readBytes(f).substr(0, 40));
                        },
                        table});
    struct NotANumber {
        const char *table, *field;
    };
    for (const NotANumber &n : {NotANumber{"osnova.dbf", "KOD"}, NotANumber{"otdel.dbf", "NOM"},
                                NotANumber{"dolzh.dbf", "NOM"}, NotANumber{"trud.dbf", "N_IZM"},
                                NotANumber{"ZhurDok.dbf", "ID_DOK"}})
        list.push_back({"not an integer",
                        [n](const fs::path &run) { setEverywhere(databaseFile(run, n.table), n.field, "12а"); }, "12а"});
    // Order numbers of the history and the details are only matched as text.
    for (const NotANumber &n : {NotANumber{"trud.dbf", "ID_DOK"}, NotANumber{"Priem.dbf", "ID_DOK"}})
        list.push_back({"not an integer, matched as text",
                        [n](const fs::path &run) { setEverywhere(databaseFile(run, n.table), n.field, "12а"); }, nullptr});
    list.push_back({"not an integer: SHIRINA",
                    [](const fs::path &run) { setEverywhere(resolveFileName(run, "Stolb"), "SHIRINA", "12а"); }, "12а"});
    list.push_back({"not an integer: [INTERFACE]",
                    [](const fs::path &run) {
                        std::string ini = readBytes(run / "config.ini");
                        const size_t at = ini.find("[INTERFACE]\r\n") + 13;
                        ini.replace(at, ini.find("\r\n", at) - at, cp("12а"));
                        writeBytes(run / "config.ini", ini);
                    },
                    "12а"});
    struct DateField {
        const char *table, *field;
    };
    for (const DateField &d : {DateField{"passport.dbf", "DATA_ROZHD"}, DateField{"passport.dbf", "PASS_DATA"},
                               DateField{"passport.dbf", "VIZA_DATA"},
                               DateField{"trud.dbf", "D_DOG"}, DateField{"trud.dbf", "D_PRIL"},
                               DateField{"trud.dbf", "D_UVOL"}, DateField{"ZhurDok.dbf", "DATA_DOK"},
                               DateField{"ZhurDok.dbf", "D_NACH"}, DateField{"ZhurDok.dbf", "D_KONC"},
                               DateField{"Otpusk.dbf", "RAB_OT"}, DateField{"Otpusk.dbf", "RAB_DO"}})
        list.push_back({"invalid date",
                        [d](const fs::path &run) { setEverywhere(databaseFile(run, d.table), d.field, "31.02.2006"); },
                        "31.02.2006"});
    // The dates of a history record and of the family are shown as text, never computed with.
    for (const DateField &d : {DateField{"trud.dbf", "D_IZM"}, DateField{"trud.dbf", "D_POST"}, DateField{"semja.dbf", "S_ROZHD"}})
        list.push_back({"invalid date shown as text",
                        [d](const fs::path &run) { setEverywhere(databaseFile(run, d.table), d.field, "31.02.2006"); },
                        nullptr});
    list.push_back({"a photo that is not an image",
                    [](const fs::path &run) {
                        for (const auto &e : fs::directory_iterator(run / "database" / "foto"))
                            writeBytes(e.path(), "this is not a picture");
                    },
                    ".jpg"});
    return list;
}

class DamagedDatabase : public ::testing::TestWithParam<size_t> {};

// What a user does first: every employee's card, the orders journal with each order opened, the
// filters of working and dismissed employees, sorting, the whole list printed.
void lookAround(Session &s)
{
    TForm1 &w = *s.form1;
    w.N1_5->trigger();
    for (int row = 1; row < w.StringGrid1->RowCount(); ++row) {
        w.StringGrid1->setRow(row);
        w.N1_10->trigger();
        s.form2->Button3->click();
    }
    w.N6_4->trigger();
    TStringGrid &journal = *s.form4->ZhurPanel->ZhurGrid;
    for (int row = 1; row < journal.RowCount(); ++row) {
        w.N6_4->trigger();
        journal.setRow(row);
        emit journal.dblClicked();
        s.form4->hide();
    }
    w.N1_6->trigger();
    w.N1_7->trigger();
    w.N1_3->trigger();
    s.form3->PanelFiltr->Button3->click();
    s.form3->hide();
    w.N1_5->trigger();
    w.N5_1->trigger();
    // A transfer order for the first employee: it numbers the history records.
    w.N6_1->trigger();
    TOrderFormPanel &f = *s.form4->DokumPanel;
    f.DokumComboTipOper->setCurrentIndex(2);
    emit f.DokumComboTipOper->activated(2);
    if (f.DokumComboSotr->count() > 0) {
        f.DokumComboSotr->setCurrentIndex(0);
        emit f.DokumComboSotr->activated(0);
        f.DokumEdit1->setText(QStringLiteral("77"));
        f.DokumEdit3->setText(QStringLiteral("31000"));
    }
}

TEST_P(DamagedDatabase, NamesTheDamageStaysUsableAndChangesNoFile)
{
    const Damage damage = damages()[GetParam()];
    SCOPED_TRACE(std::string(damage.name) + " " + (damage.expected ? damage.expected : ""));
    Session s([&](const fs::path &run) { damage.apply(run); });
    const Snapshot before = s.tableFiles();
    s.start();
    QStringList messages = Dialogs::shownMessages();
    lookAround(s);
    messages << Dialogs::shownMessages();
    const Snapshot after = s.tableFiles();
    for (const auto &[name, bytes] : before) {
        ASSERT_TRUE(after.count(name)) << name << " disappeared";
        EXPECT_TRUE(after.at(name) == bytes) << name << " changed though nothing was saved";
    }
    // The order is saved: the user's own write, the last thing done here.
    Dialogs::clearRecorded();
    if (s.form4->isVisible())
        s.form4->DokumPanel->DokumButOK->click();
    messages << Dialogs::shownMessages();
    const QString all = messages.join("\n");
    if (damage.expected) {
        EXPECT_TRUE(all.contains(QString::fromUtf8(damage.expected), Qt::CaseInsensitive)) << all.toStdString();
    }

    // Still usable: the list can be shown again and the about box opens.
    Dialogs::clearRecorded();
    s.form1->N3_1->trigger();
    EXPECT_TRUE(s.form1->isVisible());
    EXPECT_TRUE(s.form3->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Catalogue, DamagedDatabase, ::testing::Range<size_t>(0, damages().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) {
                             std::string name = damages()[info.param].name;
                             for (char &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return std::to_string(info.param) + "_" + name;
                         });

// Templates that are not RTF and an output folder that cannot be written: printing says which
// file, writes nothing, and the next print with the damage mended works.
TEST(DamagedProgramFiles, TemplatesThatAreNotRtfAndAnOutputFolderThatCannotBeWritten)
{
    Session s([](const fs::path &run) {
        for (const auto &e : fs::directory_iterator(run / "templates"))
            writeBytes(e.path(), std::string("PK\x03\x04", 4) + "not a document");
    });
    s.start();
    s.form1->StringGrid1->setRow(2);
    s.form1->N5Show();
    const Snapshot before = s.snapshot();
    for (QAction *item : s.form1->N5->actions()) {
        if (!item->objectName().startsWith("N5_template"))
            continue;
        Dialogs::clearRecorded();
        item->trigger();
        ASSERT_EQ(Dialogs::shownMessages().size(), 1) << item->text().toStdString();
        EXPECT_TRUE(Dialogs::shownMessages()[0].contains("templates")) << Dialogs::shownMessages()[0].toStdString();
    }
    EXPECT_TRUE(s.shown.empty());
    EXPECT_EQ(s.snapshot(), before);

    // The output folder replaced by a file: nothing can be written into it.
    fs::remove_all(s.run / "output");
    writeBytes(s.run / "output", "a file, not a folder");
    Dialogs::clearRecorded();
    s.form1->N5_1->trigger();
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].contains("Perechen.doc")) << Dialogs::shownMessages()[0].toStdString();
    EXPECT_TRUE(s.shown.empty());
    fs::remove(s.run / "output");
    fs::create_directory(s.run / "output");
    Dialogs::clearRecorded();
    s.form1->N5_1->trigger();
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << Dialogs::shownMessages().join("\n").toStdString();
    EXPECT_EQ(s.shown.size(), 1u);
}

} // namespace
} // namespace veltor::test
