#pragma once
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "records/AppState.h"
#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "app/Unit1.h"
#include "card/CardWidgets.h"
#include "card/Unit2.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "support/TempDatabase.h"
#include "text/Cp1251.h"

namespace veltor::test {


// A database and program folder in a temporary directory, the main window and the card over
// them, as main() creates them. Tables are filled on disk before start(); the tests then drive
// the card's handlers and controls and read the files back.
class CardFixture : public TempDatabase {
protected:
    void SetUp() override
    {
        TempDatabase::SetUp();
        addFixedConstants();
    }

    void TearDown() override
    {
        if (card)
            card->hide();
        card.reset();
        form.reset();
        Dialogs::clearRecorded();
    }

    // An employee with a passport record, one Dopoln.dbf record and the given history.
    void addEmployee(int code, const std::string &name, Fields main = {})
    {
        main["KOD"] = std::to_string(code);
        main["FIO"] = name;
        add(schema::OsnovaTable, main);
        add(schema::PassportTable, {{"KOD", std::to_string(code)}});
        add(schema::DopolnTable, {{"KOD", std::to_string(code)}});
    }

    // A complete history record, as an earlier save writes it.
    void addHistory(int code, int number, Fields extra = {})
    {
        Fields f = {{"KOD", std::to_string(code)},   {"N_IZM", std::to_string(number)},
                    {"D_IZM", "01.02.2020"},         {"D_POST", "01.02.2020"},
                    {"OKLAD", "5000"},               {"D_DOG", "01.02.2020"},
                    {"NOM_DOG", "12"},               {"D_PRIL", "02.02.2020"},
                    {"NOM_PRIL", "3"},               {"VID_RAB", "0"},
                    {"PR_UVOL", "Востановлен"}};
        for (auto &[k, v] : extra)
            f[k] = v;
        add(schema::TrudTable, f);
    }

    void addDopolnParameter(const std::string &caption)
    {
        LoadedTable k = ReadTable(file(schema::KonstantyTable));
        const int n = k.Header.RecordCount + 1;
        add(schema::KonstantyTable,
            {{"N", std::to_string(n)}, {"PEREMEN", "DOPOLN" + std::to_string(n - 7)}, {"ZNACHEN", caption}});
        LoadedTable d = ReadTable(file(schema::DopolnTable));
        AddField(d.Header, d.Data, "DOPOLN" + std::to_string(n - 7), schema::DopolnFieldLength, 'C');
        WriteTable(file(schema::DopolnTable), d);
    }

    // Loads everything as start-up does and creates the two windows.
    void start(int positionListMode = 0)
    {
        state = std::make_unique<AppState>();
        state->ProgramFolder = program;
        state->MainTablePath = pathToCp1251(database / "osnova.dbf");
        state->PositionListMode = positionListMode;
        state->Konstanty = ReadTable(file(schema::KonstantyTable));
        state->ExtraParamCount = extraParamCount(state->Konstanty);
        openDatabase(*state);
        form = std::make_unique<TForm1>(*state);
        card = std::make_unique<TForm2>(*state, *form);
        FormLinks links;
        links.Form2 = card.get();
        form->setLinks(links);
        form->zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
    }

    // Makes the employee current as selecting its row does, and shows the card.
    void open(int code)
    {
        const CurrentRecords r = currentRecordsOf(*state, std::to_string(code));
        state->CurMainRec = r.main;
        state->CurPassportRec = r.passport;
        state->CurTrudRec = r.trud;
        state->CurDopolnRec = r.dopoln;
        card->show();
    }

    LoadedTable disk(std::string_view table) const { return ReadTable(file(table)); }

    static std::string field(const LoadedTable &t, int record, std::string_view name)
    {
        return cp1251ToUtf8(GetField(t.Header, t.Data, record, FieldIndex(t.Header, name)));
    }

    // The raw bytes of a field, blanks kept.
    static std::string rawField(const LoadedTable &t, int record, std::string_view name)
    {
        const int f = FieldIndex(t.Header, name);
        return t.Data.substr(static_cast<size_t>(record - 1) * t.Header.RecordLength + t.Header.FieldOffsets[f],
                             t.Header.FieldLengths[f]);
    }

    std::string bytesOf(std::string_view table) const
    {
        std::ifstream in(file(table), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void save(const Date &changeDate = Date{2024, 3, 15})
    {
        setPickerDate(*card->SegodnjaData, changeDate);
        card->Button2->click();
    }

    QStringList messages() const { return Dialogs::shownMessages(); }

    std::unique_ptr<AppState> state;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> card;

};

} // namespace veltor::test
