#pragma once
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "records/AppState.h"
#include "app/Dialogs.h"
#include "app/Unit1.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "support/TempDatabase.h"
#include "text/Cp1251.h"

namespace veltor::test {

// A program folder and a database folder in a temporary directory, filled through the engine.
class AppFixture : public TempDatabase {
protected:
    void SetUp() override
    {
        TempDatabase::SetUp();
    }

    void TearDown() override
    {
        Dialogs::clearRecorded();
        // Before the folder goes: the lock file is in it.
        if (state && state->Lock)
            state->Lock->release();
    }

    std::filesystem::path table(std::string_view name) const { return file(name); }

    void writeConfig(const std::string &text)
    {
        std::ofstream(program / "config.ini", std::ios::binary) << cp(text);
    }

    // A complete config.ini pointing at the database folder.
    void writeStandardConfig(const std::string &vid = "11", int interfaceMode = 0)
    {
        writeConfig("[PUT]\r\n" + (database / "osnova.dbf").string() + "\r\n[DOK]\r\n"
                    + (root / "templates").string() + "\r\n[VYVOD]\r\n" + (root / "out").string()
                    + "/\r\n[INTERFACE]\r\n" + std::to_string(interfaceMode) + "\r\n[VID]\r\n" + vid
                    + "\r\n");
    }

    void addColumn(const std::string &caption, const std::string &field, const std::string &tableNo,
                   const std::string &shown = "1", const std::string &width = "30")
    {
        add(schema::StolbTable, {{"NOM", "1"},
                                 {"STOLB_GRID", caption},
                                 {"SHIRINA", width},
                                 {"POLE_BAZY", field},
                                 {"NOMER_BAZY", tableNo},
                                 {"POKAZ", shown}});
    }

    void addEmployee(int code, const std::string &name, Fields extra = {})
    {
        extra["KOD"] = std::to_string(code);
        extra["FIO"] = name;
        add(schema::OsnovaTable, extra);
    }

    // Creates the main window the way main() does and runs its start-up.
    TForm1 &start()
    {
        state = std::make_unique<AppState>();
        state->ProgramFolder = program;
        form = std::make_unique<TForm1>(*state);
        form->FormCreate();
        return *form;
    }

    std::string bytesOf(const std::filesystem::path &file) const
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The grid cell as UTF-8.
    std::string cell(int col, int row) const;

    std::unique_ptr<AppState> state;
    std::unique_ptr<TForm1> form;

};

} // namespace veltor::test
