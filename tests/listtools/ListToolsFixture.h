#pragma once
#include <QAbstractItemDelegate>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
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
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "listtools/Unit3.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "support/TempDatabase.h"
#include "text/Cp1251.h"

namespace veltor::test {

// Types into a grid cell's emptied editor as a keyboard's input method commits characters,
// then leaves the cell, keeping what the editor holds when `keep`; returns what it held.
inline QString typeIntoCell(TStringGrid &g, int col, int row, const QString &text, bool keep = true)
{
    const QModelIndex cell = g.model()->index(row - g.FixedRows(), col);
    g.setCurrentIndex(cell);
    g.edit(cell);
    auto *editor = qobject_cast<QLineEdit *>(g.indexWidget(cell));
    if (editor == nullptr)
        return QStringLiteral("(no editor)");
    editor->clear();
    for (const char32_t c : text.toUcs4()) {
        QInputMethodEvent event;
        event.setCommitString(QString::fromUcs4(&c, 1));
        QApplication::sendEvent(editor, &event);
    }
    const QString shown = editor->text();
    if (keep)
        emit g.itemDelegate()->commitData(editor);
    emit g.itemDelegate()->closeEditor(editor);
    return shown;
}

// A database and program folder in a temporary directory, the main window and the tools dialog
// over them as main() creates them. Tables are filled on disk before start(); the tests then
// drive the dialog's panels and read the list and the files back.
class ListToolsFixture : public TempDatabase {
protected:
    void SetUp() override
    {
        TempDatabase::SetUp();
        addFixedConstants();
    }

    void TearDown() override
    {
        if (tools)
            tools->hide();
        tools.reset();
        form.reset();
        Dialogs::clearRecorded();
    }

    void addEmployee(int code, const std::string &name, Fields main = {}, Fields passport = {})
    {
        main["KOD"] = std::to_string(code);
        main["FIO"] = name;
        add(schema::OsnovaTable, main);
        passport["KOD"] = std::to_string(code);
        add(schema::PassportTable, passport);
        add(schema::DopolnTable, {{"KOD", std::to_string(code)}});
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

    // Loads everything as start-up does and creates the windows.
    void start()
    {
        state = std::make_unique<AppState>();
        state->ProgramFolder = program;
        state->MainTablePath = pathToCp1251(database / "osnova.dbf");
        state->Stolb = ReadTable(file(schema::StolbTable));
        state->ColumnSettings = columnSettingsFromStolb(state->Stolb);
        state->Konstanty = ReadTable(file(schema::KonstantyTable));
        state->ExtraParamCount = extraParamCount(state->Konstanty);
        openDatabase(*state);
        form = std::make_unique<TForm1>(*state);
        tools = std::make_unique<TForm3>(*state, *form);
        FormLinks links;
        links.Form3 = tools.get();
        form->setLinks(links);
        form->zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
        form->setWindowTitle(QString::fromUtf8("Перечень сотрудников"));
    }

    TStringGrid &grid() const { return *form->StringGrid1; }

    // The list column `col` from row 1 down, as UTF-8.
    std::vector<std::string> column(int col) const
    {
        std::vector<std::string> texts;
        for (int r = 1; r < grid().RowCount(); ++r)
            texts.push_back(cp1251ToUtf8(grid().Cell(col, r)));
        return texts;
    }

    // The main window's caption after the program's name, which always leads it.
    std::string caption() const
    {
        const QString lead = QString::fromUtf8("Вельтор — ");
        const QString title = form->windowTitle();
        EXPECT_TRUE(title.startsWith(lead)) << title.toStdString();
        return title.mid(lead.size()).toStdString();
    }

    std::string bytesOf(const std::filesystem::path &path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    QStringList messages() const { return Dialogs::shownMessages(); }

    std::unique_ptr<AppState> state;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm3> tools;

};

} // namespace veltor::test
