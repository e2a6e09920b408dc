#include "app/StringGrid.h"

#include "storage/DBFUnit.h"
#include "text/Cp1251.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace veltor {
namespace {

TEST(StringGridTest, CellsResizeAndHeadings)
{
    TStringGrid grid;
    QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    grid.setSize(3, 4);
    grid.setCell(1, 0, cp("Имя"));
    grid.setCell(2, 3, "x");
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("Имя"));
    EXPECT_EQ(grid.model()->data(grid.model()->index(2, 2), Qt::DisplayRole).toString(), "x");
    grid.setSize(2, 5); // keeps what stays
    EXPECT_EQ(grid.Cell(1, 0), cp("Имя"));
    EXPECT_EQ(grid.Cell(2, 3), "");
    EXPECT_EQ(grid.Cell(7, 7), "");
}

TEST(StringGridTest, HiddenColumnsAndSelection)
{
    TStringGrid grid;
    grid.setSize(3, 3);
    grid.setColWidth(1, -1);
    EXPECT_TRUE(grid.isColumnHidden(1));
    EXPECT_EQ(grid.ColWidth(1), -1);
    QSignalSpy spy(&grid, &TStringGrid::selectCell);
    grid.setRow(2);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 2);
    EXPECT_EQ(grid.Col(), 2); // the hidden column 1 is passed over
    grid.setRow(2); // selecting the current row again still reports it
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(grid.Row(), 2);
}

TEST(StringGridTest, EditingOnlyWhereAllowed)
{
    TStringGrid grid;
    grid.setSize(3, 2);
    auto *m = grid.model();
    EXPECT_FALSE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
    grid.setEditing(true);
    grid.setColumnEditable(2, false);
    EXPECT_TRUE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m->flags(m->index(0, 2)) & Qt::ItemIsEditable);
    int editedCol = -1;
    grid.onCellEdited([&](int c, int) { editedCol = c; });
    EXPECT_TRUE(m->setData(m->index(0, 1), QString::fromUtf8("Ёж"), Qt::EditRole));
    EXPECT_EQ(grid.Cell(1, 1), cp("Ёж"));
    EXPECT_EQ(editedCol, 1);
    EXPECT_FALSE(m->setData(m->index(0, 2), "x", Qt::EditRole));
}

TEST(StringGridTest, TableToGridShowsTheWholeTable)
{
    TTableHeader h;
    std::string data;
    QTemporaryDir dir;
    const std::filesystem::path file = dir.path().toStdString() + "/t.dbf";
    CreateTableFile(file, "NOM%C(4)NAME%C(10)", 0);
    ReadTable(file, h, data);
    TStringGrid grid;
    TableToGrid(h, data, grid);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.RowCount(), 2); // headings and one blank row for an empty table
    EXPECT_EQ(grid.Cell(2, 0), "NAME");
    EXPECT_EQ(grid.ColWidth(2), 70);
    EXPECT_EQ(grid.ColWidth(0), 10);
    AppendBlankRecord(h, data);
    SetField(h, 1, 2, data, cp("Отдел"));
    AppendBlankRecord(h, data);
    TableToGrid(h, data, grid);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Cell(2, 1), cp("Отдел"));
    EXPECT_EQ(grid.Cell(2, 2), "");
}

} // namespace
} // namespace veltor
