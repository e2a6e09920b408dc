#include "app/Dialogs.h"
#include "app/ServerConnection.h"
#include "listtools/DatabasePage.h"
#include "records/AppState.h"
#include "records/ServerConfig.h"
#include "text/Errors.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace veltor {
namespace {

std::string bytesOf(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(DatabasePage, TheServerIsRememberedBesideConfigIniWithoutAPasswordAndTheFolderChoiceForgetsIt)
{
    QTemporaryDir dir;
    AppState state;
    state.ProgramFolder = dir.path().toStdString();
    const std::string config = "[PUT]\r\n/data/osnova.dbf\r\n[DOK]\r\n\r\n[VYVOD]\r\n\r\n[INTERFACE]\r\n0\r\n[VID]\r\n10\r\n";
    std::ofstream(state.ProgramFolder / "config.ini", std::ios::binary) << config;
    Dialogs::setTestMode(true);

    {
        TDatabasePage page(state, nullptr);
        EXPECT_TRUE(page.FolderChoice->isChecked());
        EXPECT_FALSE(page.HostEdit->isEnabled());
        for (QWidget *w : std::initializer_list<QWidget *>{page.HostEdit, page.PortEdit, page.DatabaseEdit, page.UserEdit,
                                                           page.RememberButton, page.MigrateButton, page.ExportButton})
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        page.ServerChoice->setChecked(true);
        page.HostEdit->setText("kadry.local");
        page.PortEdit->setText("5432");
        page.DatabaseEdit->setText(QString::fromUtf8("kadry"));
        page.UserEdit->setText("hr");
        page.RememberButton->click();
    }
    EXPECT_EQ(bytesOf(state.ProgramFolder / "server.ini"),
              "[POSTGRESQL]\r\nhost=kadry.local\r\nport=5432\r\ndbname=kadry\r\nuser=hr\r\n");
    EXPECT_EQ(bytesOf(state.ProgramFolder / "config.ini"), config);

    TDatabasePage again(state, nullptr);
    EXPECT_TRUE(again.ServerChoice->isChecked());
    EXPECT_EQ(again.DatabaseEdit->text(), "kadry");
    again.FolderChoice->setChecked(true);
    again.RememberButton->click();
    EXPECT_FALSE(std::filesystem::exists(state.ProgramFolder / "server.ini"));
    EXPECT_EQ(readServerConfig(state.ProgramFolder), std::nullopt);
    EXPECT_EQ(bytesOf(state.ProgramFolder / "config.ini"), config);
}

TEST(DatabasePage, OnlyAPostgresqlAddressOnTheCommandLineNamesAServer)
{
    EXPECT_EQ(serverFromUri("postgresql://hr@kadry.local:5432/kadry")->uri, "postgresql://hr@kadry.local:5432/kadry");
    EXPECT_EQ(serverFromUri("/data/osnova.dbf"), std::nullopt);
    AppState state;
    state.ServerAddress = "kadry.local";
    try {
        connectChosenServer(state, nullptr);
        FAIL() << "a text that is no address was taken";
    } catch (const FileError &e) {
        EXPECT_NE(std::string(e.what()).find("не понят"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace veltor
