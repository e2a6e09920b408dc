#pragma once
#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Dialogs.h"
#include "app/EmployeeList.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "card/Unit2.h"
#include "listtools/Unit3.h"
#include "orders/Unit4.h"
#include "records/AppState.h"
#include "records/Startup.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "support/DbfRead.h"
#include "support/TempDatabase.h"
#include "text/Cp1251.h"

namespace veltor::test {

// A database and a program folder in a temporary directory and the four windows over them, made
// and linked as main() makes them. Tables are filled on disk before start(); tests drive the
// windows through their controls and read the files back.
class Workplace : public TempDatabase {
protected:
    static constexpr const char *KindNames[6] = {"Прием на работу", "Увольнение", "Перевод",
                                                  "Изменение оклада", "Отпуск", "Командировка"};

    void SetUp() override
    {
        TempDatabase::SetUp();
        addFixedConstants();
        for (int i = 0; i < 6; ++i)
            add(schema::TipDokTable, {{"TIP_DOK", std::to_string(i + 1)}, {"NAZ_DOK", KindNames[i]}, {"TIP_UCH", "k"}});
        addColumn("ФИО", "FIO", "1");
        addColumn("Оклад", "OKLAD", "1");
    }

    void TearDown() override
    {
        for (QWidget *w : {static_cast<QWidget *>(card.get()), static_cast<QWidget *>(tools.get()),
                           static_cast<QWidget *>(orders.get())})
            if (w)
                w->hide();
        orders.reset();
        tools.reset();
        card.reset();
        form.reset();
        Dialogs::clearRecorded();
    }

    // An employee with passport and Dopoln records and one complete history record.
    void addEmployee(int code, const std::string &name, Fields main = {})
    {
        const std::string kod = std::to_string(code);
        main["KOD"] = kod;
        main["FIO"] = name;
        add(schema::OsnovaTable, main);
        add(schema::PassportTable, {{"KOD", kod}});
        add(schema::DopolnTable, {{"KOD", kod}});
        add(schema::TrudTable, {{"KOD", kod},         {"N_IZM", "1"},      {"D_IZM", "01.02.2020"},
                                {"D_POST", "01.02.2020"}, {"OTDEL", main["OTDEL"]}, {"DOLZH", main["DOLZH"]},
                                {"OKLAD", main["OKLAD"]}, {"VID_RAB", "0"}, {"PR_UVOL", "Востановлен"}});
    }

    // Loads everything as start-up does and makes the four windows.
    void start()
    {
        state = std::make_unique<AppState>();
        state->ProgramFolder = program;
        state->MainTablePath = pathToCp1251(database / "osnova.dbf");
        state->Stolb = ReadTable(file(schema::StolbTable));
        state->ColumnSettings = columnSettingsFromStolb(state->Stolb);
        state->Konstanty = ReadTable(file(schema::KonstantyTable));
        state->ExtraParamCount = extraParamCount(state->Konstanty);
        state->Pechat = ReadTable(file(schema::PechatTable));
        openDatabase(*state);
        form = std::make_unique<TForm1>(*state);
        card = std::make_unique<TForm2>(*state, *form);
        tools = std::make_unique<TForm3>(*state, *form);
        orders = std::make_unique<TForm4>(*state, *form);
        FormLinks links;
        links.Form2 = card.get();
        links.Form3 = tools.get();
        links.Form4 = orders.get();
        links.choosePosition = [this](std::function<void(int)> picked) { tools->choosePosition(std::move(picked)); };
        form->setLinks(links);
        form->zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
    }

    // The employee's row made current and the card opened on it, as a double click does.
    void openCard(int code)
    {
        const int r = rowOf(code);
        ASSERT_GT(r, 0) << code;
        form->StringGrid1->setRow(r);
        form->StringGrid1SelectCell(1, r);
        form->StringGrid1DblClick();
    }

    // The list row showing the employee's name, 0 when none.
    int rowOf(int code) const
    {
        const std::string name = fieldOf(state->Osnova, code, "FIO");
        for (int r = 1; r < form->StringGrid1->RowCount(); ++r)
            for (int c = 0; c < form->StringGrid1->ColCount(); ++c)
                if (!name.empty() && form->StringGrid1->Cell(c, r) == name)
                    return r;
        return 0;
    }

    // A field of the first record with the code, as stored (CP1251).
    static std::string fieldOf(const LoadedTable &t, int code, std::string_view name)
    {
        const int kod = FieldIndex(t.Header, "KOD");
        for (int r = 1; r <= t.Header.RecordCount; ++r)
            if (GetField(t.Header, t.Data, r, kod) == std::to_string(code))
                return GetField(t.Header, t.Data, r, FieldIndex(t.Header, name));
        return {};
    }

    // Field `name` of every record of a table file, as python3-dbfread decodes it; an empty
    // list when dbfread is not installed.
    std::vector<std::string> dbfColumn(std::string_view table, const std::string &name) const
    {
        return test::dbfColumn(dbfread(file(table)), name);
    }

    static std::string utf8(const QString &s) { return s.toStdString(); }
    static QString q(const char *utf8) { return QString::fromUtf8(utf8); }

    std::unique_ptr<AppState> state;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> card;
    std::unique_ptr<TForm3> tools;
    std::unique_ptr<TForm4> orders;
};

} // namespace veltor::test
