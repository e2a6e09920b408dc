#pragma once
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "records/AppState.h"
#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "records/Startup.h"
#include "app/Unit1.h"
#include "orders/OrderFormPanel.h"
#include "orders/OrderJournalPanel.h"
#include "orders/Unit4.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "support/TempDatabase.h"
#include "text/Cp1251.h"

namespace veltor::test {


// The six HR kinds as TipDok.dbf holds them first, then a payroll kind.
inline const char *const KindNames[] = {"Прием на работу", "Увольнение", "Перевод на другую работу",
                                        "Изменение оклада", "Отпуск", "Командировка"};

// A database in a temporary directory, the main window and the orders window over it, as
// main() creates them. The tests drive the orders window through its controls and handlers
// and read the table files back.
class OrdersFixture : public TempDatabase {
protected:
    void SetUp() override
    {
        TempDatabase::SetUp();
        for (int i = 0; i < 6; ++i)
            add(schema::TipDokTable, {{"TIP_DOK", std::to_string(i + 1)}, {"NAZ_DOK", KindNames[i]}, {"TIP_UCH", "k"}});
        add(schema::TipDokTable, {{"TIP_DOK", "7"}, {"NAZ_DOK", "Начисление"}, {"TIP_UCH", "z"}});
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
        add(schema::OtdelTable, {{"NOM", "2"}, {"OTDEL", "Склад"}});
        add(schema::DolzhTable, {{"NOM", "1"}, {"DOLZH", "Бухгалтер"}});
        add(schema::DolzhTable, {{"NOM", "2"}, {"DOLZH", "Кладовщик"}});
    }

    void TearDown() override
    {
        if (orders)
            orders->hide();
        orders.reset();
        form.reset();
        Dialogs::clearRecorded();
    }

    void addEmployee(int code, const std::string &name, Fields main = {})
    {
        main["KOD"] = std::to_string(code);
        main["FIO"] = name;
        add(schema::OsnovaTable, main);
    }

    void addHistory(int code, int number, Fields extra = {})
    {
        Fields f = {{"KOD", std::to_string(code)}, {"N_IZM", std::to_string(number)}, {"D_IZM", "01.02.2020"},
                    {"D_POST", "01.02.2020"},      {"OTDEL", "1"},                     {"DOLZH", "1"},
                    {"OKLAD", "5000"},             {"D_DOG", "01.02.2020"},            {"NOM_DOG", "12"},
                    {"D_PRIL", "02.02.2020"},      {"NOM_PRIL", "3"},                  {"VID_RAB", "0"}};
        for (auto &[k, v] : extra)
            f[k] = v;
        add(schema::TrudTable, f);
    }

    // A journal record (and nothing else) as an earlier save left it.
    void addJournal(int id, int kind, int number, int code = 1, Fields extra = {})
    {
        Fields f = {{"ID_DOK", std::to_string(id)}, {"TIP_DOK", std::to_string(kind + 1)},
                    {"NOM_DOK", std::to_string(number)}, {"DATA_DOK", "10.01.2024"},
                    {"KOD", std::to_string(code)}, {"D_NACH", "11.01.2024"}};
        for (auto &[k, v] : extra)
            f[k] = v;
        add(schema::ZhurDokTable, f);
    }

    void start()
    {
        state = std::make_unique<AppState>();
        state->ProgramFolder = program;
        state->MainTablePath = pathToCp1251(database / "osnova.dbf");
        openDatabase(*state);
        form = std::make_unique<TForm1>(*state);
        orders = std::make_unique<TForm4>(*state, *form);
        FormLinks links;
        links.Form4 = orders.get();
        form->setLinks(links);
    }

    TOrderFormPanel &f() const { return *orders->DokumPanel; }

    // Chooses a kind and an employee as a person does: through the lists' activation.
    void choose(QComboBox *combo, int index)
    {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void newOrder(int kind, int employeeRecord)
    {
        form->N6_1->trigger();
        choose(f().DokumComboTipOper, kind);
        chooseEmployee(employeeRecord);
    }
    // The employee list is ordered by name: its entry is found by the main-table record.
    void chooseEmployee(int employeeRecord) { choose(f().DokumComboSotr, f().employeeEntry(employeeRecord)); }

    LoadedTable disk(std::string_view table) const { return ReadTable(file(table)); }

    static std::string field(const LoadedTable &t, int record, std::string_view name)
    {
        return cp1251ToUtf8(GetField(t.Header, t.Data, record, FieldIndex(t.Header, name)));
    }

    std::string bytesOf(std::string_view table) const
    {
        std::ifstream in(file(table), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static std::string utf8(const QString &s) { return s.toStdString(); }

    std::unique_ptr<AppState> state;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm4> orders;

};

} // namespace veltor::test
