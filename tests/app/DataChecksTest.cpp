// The data check report over the shown list.
#include "AppFixture.h"

#include "app/DataChecks.h"
#include "printing/RtfDocument.h"
#include "documents/TemplatePrinting.h"
#include "printing/WordApi.h"

#include <QAction>

namespace veltor::test {
namespace {

class DataCheckReport : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        writeStandardConfig();
        addColumn("ФИО", "FIO", "1");
    }

    void addPerson(int code, const std::string &name, const Fields &main, const std::string &birth,
                   const std::string &hired, const std::string &dismissed = {})
    {
        Fields m = main;
        m["NOM"] = std::to_string(100 + code);
        addEmployee(code, name, m);
        add(schema::PassportTable, {{"KOD", std::to_string(code)}, {"DATA_ROZHD", birth}});
        add(schema::TrudTable, {{"KOD", std::to_string(code)}, {"D_POST", hired}});
        // A later change of position: the hiring date is still that of the first record.
        add(schema::TrudTable, {{"KOD", std::to_string(code)}, {"D_POST", "01.06.2021"}, {"D_UVOL", dismissed}});
    }

    std::vector<std::string> reportRows(const std::vector<std::string> &codes) const
    {
        const FaultReport report = faultReport(*state, codes, Date{2026, 1, 1});
        std::vector<std::string> rows;
        for (int r = 0; r < report.rows(); ++r)
            rows.push_back(cp1251ToUtf8(report.at(1, r) + "|" + report.at(2, r) + "|" + report.at(3, r)));
        return rows;
    }
};

TEST_F(DataCheckReport, ListsEachEmployeeWithFaultsInListOrder)
{
    addPerson(1, "Верный", {{"INN", "500100732259"}, {"STRAH_SVID", "112-233-445 95"}}, "05.03.1980", "01.02.2005");
    addPerson(2, "Ошибкин", {{"INN", "500100732258"}, {"STRAH_SVID", "112-233-445 96"}}, "05.03.1980",
              "01.02.2005");
    addPerson(3, "Ранний", {}, "05.03.2010", "01.02.2005", "01.01.2004");
    addPerson(4, "Будущий", {}, "05.03.2030", "", "");
    start();
    EXPECT_EQ(reportRows({"4", "1", "2", "3"}),
              (std::vector<std::string>{
                  "ФИО|Таб №|Проверьте данные",
                  "Будущий|104|дата рождения 05.03.2030 в будущем",
                  "Ошибкин|102|ИНН «500100732258» не из 12 цифр с верными контрольными цифрами; "
                  "СНИЛС «112-233-445 96» с неверным контрольным числом",
                  "Ранний|103|дата рождения 05.03.2010 позже даты приема 01.02.2005; "
                  "дата увольнения 01.01.2004 раньше даты приема 01.02.2005",
              }));
}

TEST_F(DataCheckReport, PrintsThroughTheListPrinting)
{
    addPerson(1, "Верный", {{"INN", "500100732259"}}, "05.03.1980", "01.02.2005");
    addPerson(2, "Ошибкин", {{"INN", "123"}}, "05.03.1980", "01.02.2005");
    std::filesystem::create_directories(root / "out");
    start();
    std::vector<std::filesystem::path> shown;
    const ApplicationFactory previous = documentApplicationFactory();
    setDocumentApplicationFactory(rtfApplicationFactory([&](const std::filesystem::path &f) { shown.push_back(f); }));
    form->N1_12->trigger();
    setDocumentApplicationFactory(previous);
    ASSERT_EQ(Dialogs::shownMessages(), QStringList());
    ASSERT_EQ(shown, std::vector<std::filesystem::path>{root / "out" / "Perechen.doc"});
    const auto document = RtfDocument::open(shown[0]);
    ASSERT_EQ(document->rowCount(1), 2);
    EXPECT_EQ(cp1251ToUtf8(document->cellText(1, 1, 3)), "Проверьте данные");
    EXPECT_EQ(cp1251ToUtf8(document->cellText(1, 2, 1)), "Ошибкин");
    EXPECT_EQ(cp1251ToUtf8(document->cellText(1, 2, 3)),
              "ИНН «123» не из 12 цифр с верными контрольными цифрами");
}

TEST_F(DataCheckReport, NothingToReportSaysSo)
{
    addPerson(1, "Верный", {{"INN", "500100732259"}}, "05.03.1980", "01.02.2005");
    start();
    form->N1_12->trigger();
    EXPECT_EQ(Dialogs::shownMessages(), QStringList{QString::fromUtf8("Проверка данных: ошибок не найдено")});
}

} // namespace
} // namespace veltor::test
