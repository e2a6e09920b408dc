// The shown list exported as a workbook and as CSV, read back by LibreOffice and by Python's csv
// module as another program would read them.
#include "AppFixture.h"

#include "app/StringGrid.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

namespace veltor::test {
namespace {

QJsonObject exportedCells(const std::filesystem::path &file, const std::filesystem::path &work)
{
    QProcess process;
    process.start(QStringLiteral("python3"), {QStringLiteral(APP_TEST_DIR "/exported_cells.py"),
                                              pathToQString(file), pathToQString(work)});
    EXPECT_TRUE(process.waitForFinished(240000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

QString rowsText(const QJsonArray &rows)
{
    return QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact));
}

class ListExport : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        writeStandardConfig();
        addColumn("Таб №", "NOM", "1");
        addColumn("ФИО", "FIO", "1");
        addColumn("Оклад", "OKLAD", "1");
        addColumn("Дата рождения", "DATA_ROZHD", "2");
        addColumn("Телефон", "TELEFON", "2");
        addEmployee(1, "Иванов; \"Иван\"", {{"NOM", "007"}, {"OKLAD", "12345.50"}});
        addEmployee(2, "=1+1", {{"NOM", "2"}, {"OKLAD", "не указан"}, {"UVOLEN", "1"}});
        addEmployee(3, "Петров", {{"NOM", "3"}, {"OKLAD", "-100"}});
        add(schema::PassportTable, {{"KOD", "1"}, {"DATA_ROZHD", "05.03.1980"}, {"TELEFON", "+7 900 000"}});
        add(schema::PassportTable, {{"KOD", "2"}, {"DATA_ROZHD", "31.02.1980"}, {"TELEFON", "@home"}});
        start();
        // As a sort or filter leaves it: employee 3 left out, 2 before 1.
        form->zapolnenieOsnovnojTablitsy("2,1,");
    }

    void exportTo(const std::filesystem::path &file)
    {
        Dialogs::queuePath(pathToQString(file));
        form->N1_11->trigger();
        ASSERT_EQ(Dialogs::shownMessages(), QStringList());
    }
};

TEST_F(ListExport, CsvHoldsEveryShownCellInOrderAndNoFormula)
{
    const auto file = root / "list.csv";
    exportTo(file);
    const QJsonObject read = exportedCells(file, root);
    EXPECT_TRUE(read["bom"].toBool());
    EXPECT_EQ(rowsText(read["rows"].toArray()).toStdString(),
              R"([["Уволен","Таб №","ФИО","Оклад","Дата рождения","Телефон"],)"
              R"(["да","2","'=1+1","не указан","31.02.1980","'@home"],)"
              R"(["","007","Иванов; \"Иван\"","12345,50","05.03.1980","'+7 900 000"]])");
    const std::string bytes = bytesOf(file);
    EXPECT_NE(bytes.find(";\"Иванов; \"\"Иван\"\"\";"), std::string::npos);
}

TEST_F(ListExport, WorkbookReadByLibreOfficeKeepsCellsAndTypes)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const auto file = root / "list.xlsx";
    exportTo(file);
    const QJsonObject read = exportedCells(file, root);
    EXPECT_EQ(rowsText(read["rows"].toArray()).toStdString(),
              R"([[["string","Уволен"],["string","Таб №"],["string","ФИО"],["string","Оклад"],)"
              R"(["string","Дата рождения"],["string","Телефон"]],)"
              R"([["string","да"],["string","2"],["string","=1+1"],["string","не указан"],)"
              R"(["string","31.02.1980"],["string","@home"]],)"
              R"([["",""],["string","007"],["string","Иванов; \"Иван\""],["float","12345.50"],)"
              R"(["date","05.03.1980"],["string","+7 900 000"]]])");
    EXPECT_NE(read["headingStyle"].toString().indexOf("font-weight=\"bold\""), -1)
        << read["headingStyle"].toString().toStdString();
    // The heading row stays in view: the sheet is frozen below row 1.
    EXPECT_EQ(QJsonDocument(read["split"].toObject()).toJson(QJsonDocument::Compact).toStdString(),
              R"({"state":"frozen","topLeftCell":"A2","ySplit":"1"})");
}

// The workbook was made under a reserved temporary name and kept its owner-only permissions.
TEST_F(ListExport, WorkbookGetsThePermissionsOfAnyNewFile)
{
    exportTo(root / "list.xlsx");
    exportTo(root / "list.csv");
    EXPECT_EQ(std::filesystem::status(root / "list.xlsx").permissions(),
              std::filesystem::status(root / "list.csv").permissions());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root), {}), 4); // program, database, list.*
}

TEST_F(ListExport, AFileThatCannotBeWrittenIsReportedAndNothingIsLeft)
{
    const auto file = root / "missing-folder" / "list.xlsx";
    Dialogs::queuePath(pathToQString(file));
    form->N1_11->trigger();
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].startsWith(QString::fromUtf8("Не удается записать файл")))
        << Dialogs::shownMessages()[0].toStdString();
    EXPECT_FALSE(std::filesystem::exists(root / "missing-folder"));
}

} // namespace
} // namespace veltor::test
