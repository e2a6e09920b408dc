#include "AppFixture.h"

#include "app/EmployeeList.h"
#include "app/QtText.h"
#include "app/StringGrid.h"

#include <QAction>
#include <QLabel>
#include <QPixmap>
#include <QPalette>
#include <QFrame>

namespace veltor::test {

std::string AppFixture::cell(int col, int row) const
{
    return cp1251ToUtf8(form->StringGrid1->Cell(col, row));
}

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

class EmployeeListTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        add(schema::DolzhTable, {{"NOM", "1"}, {"DOLZH", "Бухгалтер"}});
        add(schema::DolzhTable, {{"NOM", "2"}, {"DOLZH", "Инженер"}});
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
    }
};

TEST_F(EmployeeListTest, CodeListShowsItsRowsInItsOrder)
{
    addColumn("ФИО", "FIO", "1");
    for (int code : {3, 5, 7})
        addEmployee(code, "Сотрудник " + std::to_string(code));
    writeStandardConfig();
    TForm1 &w = start();
    EXPECT_EQ(w.StringGrid1->RowCount(), 4);

    state->CurrentCodeList = "7,3,";
    w.zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
    EXPECT_EQ(w.StringGrid1->RowCount(), 3);
    EXPECT_EQ(cell(1, 0), "ФИО");
    EXPECT_EQ(cell(1, 1), "Сотрудник 7");
    EXPECT_EQ(cell(1, 2), "Сотрудник 3");
    EXPECT_EQ(w.StringGrid1->ColWidth(1), 90);
    EXPECT_EQ(w.StringGrid1->ColWidth(0), 10);
}

TEST_F(EmployeeListTest, CodedValuesAreShownAsTexts)
{
    addColumn("Образование", "OBRAZ", "1");
    addColumn("Вид работы", "VID_RAB", "4");
    addColumn("Семья", "S_TIP_N", "3");
    addColumn("Должность", "DOLZH", "1");
    addColumn("Отдел", "OTDEL", "1");
    addColumn("Скрытая", "FIO", "1", "0");
    addEmployee(1, "А", {{"OBRAZ", "3"}, {"DOLZH", "2"}, {"OTDEL", "1"}});
    addEmployee(2, "Б", {{"OBRAZ", "-1"}, {"DOLZH", "9"}, {"OTDEL", "4"}});
    addEmployee(3, "В");
    // Two history records: the list shows the later one in file order, whatever N_IZM says.
    add(schema::TrudTable, {{"KOD", "1"}, {"N_IZM", "2"}, {"VID_RAB", "1"}});
    add(schema::TrudTable, {{"KOD", "1"}, {"N_IZM", "1"}, {"VID_RAB", "0"}});
    add(schema::TrudTable, {{"KOD", "2"}, {"VID_RAB", "7"}});
    add(schema::SemjaTable, {{"KOD", "1"}, {"S_TIP_N", "жена"}});
    add(schema::SemjaTable, {{"KOD", "2"}, {"S_TIP_N", "мать"}});
    add(schema::SemjaTable, {{"KOD", "1"}, {"S_TIP_N", "сын"}});
    add(schema::SemjaTable, {{"KOD", "1"}, {"S_TIP_N", "дочь"}});
    writeStandardConfig();
    TForm1 &w = start();
    ASSERT_EQ(w.StringGrid1->ColCount(), 6);
    EXPECT_EQ(cell(1, 1), "Высшее");
    EXPECT_EQ(cell(1, 2), "Не указано");
    EXPECT_EQ(cell(1, 3), "");
    EXPECT_EQ(cell(2, 1), "Постоянный сотрудник");
    EXPECT_EQ(cell(2, 2), "Не указан");
    EXPECT_EQ(cell(2, 3), "Не указан");
    EXPECT_EQ(cell(3, 1), " жена сын дочь");
    EXPECT_EQ(cell(3, 2), " мать");
    EXPECT_EQ(cell(3, 3), "");
    EXPECT_EQ(cell(4, 1), "Инженер");
    EXPECT_EQ(cell(4, 2), "должность удалена");
    EXPECT_EQ(cell(4, 3), "должность не указана");
    EXPECT_EQ(cell(5, 1), "Бухгалтерия");
    EXPECT_EQ(cell(5, 2), "отдел удален");
    EXPECT_EQ(cell(5, 3), "отдел не указан");
}

struct BadValueCase {
    const char *table;
    const char *field;
    const char *value;
    const char *named; // the line of the message naming it
};

class UnreadableStoredNumber : public EmployeeListTest, public ::testing::WithParamInterface<BadValueCase> {};

// One stored value that is not an integer used to leave the whole list empty with a message
// naming only the value.
TEST_P(UnreadableStoredNumber, IsShownEmptyAndNamedOnce)
{
    const BadValueCase &c = GetParam();
    addColumn("ФИО", "FIO", "1");
    addColumn("Должность", "DOLZH", "1");
    addColumn("Семья", "S_TIP_N", "3");
    addEmployee(1, "А", {{"DOLZH", "1"}});
    addEmployee(30, "Б", {{"DOLZH", "2"}});
    add(schema::SemjaTable, {{"KOD", "30"}, {"S_TIP_N", "сын"}});
    const bool semja = std::string(c.table) == "semja.dbf";
    if (semja)
        add(schema::SemjaTable, {{"KOD", c.value}, {"S_TIP_N", "дочь"}});
    add(schema::OsnovaTable, {{"KOD", !semja && std::string(c.field) == "KOD" ? c.value : "31"},
                              {"FIO", "В"},
                              {"DOLZH", std::string(c.field) == "DOLZH" ? c.value : "1"}});
    writeStandardConfig();
    TForm1 &w = start();
    ASSERT_EQ(w.StringGrid1->RowCount(), 4);
    EXPECT_EQ(cell(1, 1), "А");
    EXPECT_EQ(cell(2, 1), "Бухгалтер");
    EXPECT_EQ(cell(1, 2), "Б");
    EXPECT_EQ(cell(3, 2), " сын");
    // A row whose own code does not read finds no record, as a code no table holds.
    const bool badCode = !semja && std::string(c.field) == "KOD";
    EXPECT_EQ(cell(2, 3), semja ? "Бухгалтер" : badCode ? "должность не указана" : "");
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_TRUE(Dialogs::shownMessages()[0].contains(u(c.named))) << Dialogs::shownMessages()[0].toStdString();

    // A refill finding the same value says nothing again; choosing a row still works.
    w.zapolnenieOsnovnojTablitsy("-1");
    w.StringGrid1->setRow(2);
    EXPECT_EQ(state->CurMainRec, 2);
    EXPECT_EQ(Dialogs::shownMessages().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    EmployeeListTest, UnreadableStoredNumber,
    ::testing::Values(
        BadValueCase{"semja.dbf", "KOD", "30а", "semja.dbf, поле KOD, запись 2: «30а» не является целым числом"},
        BadValueCase{"osnova.dbf", "KOD", "1а", "osnova.dbf, поле KOD, В: «1а» не является целым числом"},
        BadValueCase{"osnova.dbf", "DOLZH", "2б", "osnova.dbf, поле DOLZH, В: «2б» не является целым числом"}));

TEST_F(EmployeeListTest, SelectingARowSetsCurrentRecordsStatusAndPreview)
{
    addColumn("ФИО", "FIO", "1");
    for (int code = 1; code <= 25; ++code)
        addEmployee(code, "Сотрудник " + std::to_string(code),
                    {{"DOLZH", code == 3 ? "9" : "1"}, {"OKLAD", "1500"}, {"OTDEL", code == 3 ? "" : "1"}});
    add(schema::PassportTable, {{"KOD", "3"}});
    add(schema::TrudTable, {{"KOD", "3"}});
    add(schema::TrudTable, {{"KOD", "4"}});
    add(schema::TrudTable, {{"KOD", "3"}});
    writeStandardConfig();
    TForm1 &w = start();
    w.StringGrid1->setRow(3);
    EXPECT_EQ(state->CurMainRec, 3);
    EXPECT_EQ(state->CurPassportRec, 1);
    EXPECT_EQ(state->CurTrudRec, 3);
    EXPECT_EQ(state->CurDopolnRec, 0);
    EXPECT_EQ(w.StatusPanel0->text(), u("Строка № 3 из 25"));
    EXPECT_EQ(w.StaticText1->text(), u("Сотрудник 3"));
    EXPECT_EQ(w.StaticText2->text(), u("Должность удалена"));
    EXPECT_EQ(w.StaticText3->text(), u("Оклад: 1500 рублей"));
    EXPECT_EQ(w.StaticText4->text(), u(""));

    w.StringGrid1->setRow(2);
    EXPECT_EQ(w.StaticText2->text(), u("Должность: Бухгалтер"));
    EXPECT_EQ(w.StaticText4->text(), u("Отдел: Бухгалтерия"));
}

TEST_F(EmployeeListTest, ShowingThePreviewAgainMakesTheFirstEmployeeCurrent)
{
    addColumn("ФИО", "FIO", "1");
    for (int code : {4, 8, 15})
        addEmployee(code, "Сотрудник " + std::to_string(code));
    writeStandardConfig();
    TForm1 &w = start();
    w.StringGrid1->setRow(3);
    EXPECT_EQ(state->CurMainRec, 3);
    w.N2_9Click();
    EXPECT_FALSE(w.previewVisible());
    EXPECT_EQ(w.N2_9->text().remove(QLatin1Char('&')), u("Показать панель предпросмотра"));
    w.N2_9Click();
    EXPECT_TRUE(w.previewVisible());
    EXPECT_EQ(w.N2_9->text().remove(QLatin1Char('&')), u("Убрать панель предпросмотра"));
    EXPECT_EQ(state->CurMainRec, 1);
    EXPECT_EQ(w.StaticText1->text(), u("Сотрудник 4"));
}

TEST_F(EmployeeListTest, DismissedEmployeesGetARedMarker)
{
    addColumn("ФИО", "FIO", "1");
    addEmployee(1, "А", {{"UVOLEN", "1"}});
    addEmployee(2, "Б", {{"UVOLEN", "0"}});
    addEmployee(3, "В");
    writeStandardConfig();
    TForm1 &w = start();
    auto color = [&](int row) {
        return w.StringGrid1->model()->markerColor(row);
    };
    EXPECT_EQ(color(1), QColor(255, 0, 0));
    const QColor face = w.palette().color(QPalette::Button);
    EXPECT_EQ(color(2), face);
    EXPECT_EQ(color(3), face);
    // The marker follows the table without a refill (an order may dismiss an employee).
    SetField(state->Osnova, 3, "UVOLEN", "1");
    EXPECT_EQ(color(3), QColor(255, 0, 0));
}

TEST_F(EmployeeListTest, UnreadablePhotoIsReportedAndTheNoPhotoPictureShown)
{
    addColumn("ФИО", "FIO", "1");
    const auto broken = root / "broken.jpg";
    std::ofstream(broken, std::ios::binary) << std::string("\xFF\xD8\xFF\xE0 truncated", 14);
    const auto text = root / "text.jpg";
    std::ofstream(text, std::ios::binary) << "not an image at all";
    addEmployee(1, "А", {{"FOTO", broken.string()}});
    addEmployee(2, "Б", {{"FOTO", text.string()}});
    addEmployee(3, "В", {{"FOTO", (root / "missing.jpg").string()}});
    addEmployee(4, "Г");
    QImage noPhoto(8, 8, QImage::Format_RGB888);
    noPhoto.fill(Qt::gray);
    noPhoto.save(QString::fromStdString((program / "nonFoto.bmp").string()), "BMP");
    writeStandardConfig();
    TForm1 &w = start();
    for (int row = 1; row <= 3; ++row) {
        Dialogs::clearRecorded();
        w.StringGrid1->setRow(row);
        EXPECT_EQ(Dialogs::shownMessages().size(), 1) << row;
        ASSERT_FALSE(w.Foto1->pixmap().isNull()) << row;
        EXPECT_EQ(w.Foto1->pixmap().size(), QSize(8, 8)) << row;
        EXPECT_EQ(w.StaticText1->text().isEmpty(), false);
    }
    Dialogs::clearRecorded();
    w.StringGrid1->setRow(4);
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty());
    EXPECT_EQ(w.Foto1->pixmap().size(), QSize(8, 8));
}

TEST_F(EmployeeListTest, JpegPhotoIsShown)
{
    addColumn("ФИО", "FIO", "1");
    const auto photo = root / "photo.jpg";
    QImage image(30, 40, QImage::Format_RGB888);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(QString::fromStdString(photo.string()), "JPEG"));
    addEmployee(1, "А", {{"FOTO", photo.string()}});
    writeStandardConfig();
    TForm1 &w = start();
    w.StringGrid1->setRow(1);
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty());
    EXPECT_EQ(w.Foto1->pixmap().size(), QSize(30, 40));
}

TEST(CodeListTest, SplittingAndExpanding)
{
    EXPECT_EQ(splitCodeList("12,3,40,"), (std::vector<std::string>{"12", "3", "40"}));
    EXPECT_EQ(splitCodeList("12,3,4"), (std::vector<std::string>{"12", "3"}));
    EXPECT_EQ(nthCode("12,3,40,", 2), "3");
    EXPECT_EQ(nthCode("12,3,40,", 4), "");
    AppState s;
    EXPECT_EQ(effectiveCodeList(s, "-1"), "0,");
    EXPECT_EQ(effectiveCodeList(s, "5,"), "5,");
}

} // namespace
} // namespace veltor::test

namespace veltor::test {
namespace {

// A long list is filled column by column side by side: every cell must still be its own
// employee's, and unreadable values must be told in the order of a fill one column at a time.
TEST_F(EmployeeListTest, ALongListFilledSideBySideHoldsEveryEmployeesOwnValues)
{
    AppState s;
    s.Osnova = ReadTable(file(schema::OsnovaTable));
    s.Trud = ReadTable(file(schema::TrudTable));
    s.Semja = ReadTable(file(schema::SemjaTable));
    s.Dolzh = ReadTable(file(schema::DolzhTable));
    s.Otdel = ReadTable(file(schema::OtdelTable));
    constexpr int Employees = 3000;
    auto put = [](LoadedTable &t, const Fields &fields) {
        const int r = AppendBlankRecord(t);
        for (const auto &[name, value] : fields)
            SetField(t, r, name, utf8ToCp1251(value));
    };
    for (int k = 1; k <= Employees; ++k) {
        const std::string code = std::to_string(k);
        // Every 1000th employee has a position number that is no number.
        put(s.Osnova, {{"KOD", code}, {"FIO", "Сотрудник " + code}, {"DOLZH", k % 1000 ? std::to_string(1 + k % 2) : "x" + code}});
        put(s.Trud, {{"KOD", code}, {"VID_RAB", k % 3 ? "0" : "1"}});
        if (k % 2)
            put(s.Semja, {{"KOD", code}, {"S_TIP_N", "сын"}});
    }
    s.ColumnSettings = {{"ФИО", 30, "FIO", "1", "1"}, {"Должность", 30, "DOLZH", "1", "1"},
                        {"Вид работы", 30, "VID_RAB", "4", "1"}, {"Семья", 30, "S_TIP_N", "3", "1"}};

    ListContent list = buildEmployeeList(s, effectiveCodeList(s, "-1"));
    ASSERT_EQ(list.rows, Employees + 1);
    for (int k = 1; k <= Employees; ++k) {
        const std::string code = std::to_string(k);
        ASSERT_EQ(cp1251ToUtf8(list.at(1, k)), "Сотрудник " + code);
        ASSERT_EQ(cp1251ToUtf8(list.at(2, k)), k % 1000 ? (k % 2 ? "Инженер" : "Бухгалтер") : "") << k;
        ASSERT_EQ(cp1251ToUtf8(list.at(3, k)), k % 3 ? "Постоянный сотрудник" : "Внешний совместитель") << k;
        ASSERT_EQ(cp1251ToUtf8(list.at(4, k)), k % 2 ? " сын" : "") << k;
        ASSERT_EQ(list.mainRecords[static_cast<size_t>(k)], k);
    }
    ASSERT_EQ(list.badValues.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cp1251ToUtf8(list.badValues[static_cast<size_t>(i)].value), "x" + std::to_string(1000 * (i + 1)));
}

} // namespace
} // namespace veltor::test
