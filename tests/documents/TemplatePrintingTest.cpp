#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "PrintingTestSupport.h"
#include "printing/RtfDocument.h"
#include "documents/TemplatePrinting.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

// Filling templates from tables held in memory, through the RTF engine with an opener that
// records what would be shown.
namespace veltor {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::rtf;
using testing::TemporaryFolder;
using testing::writeFile;
using Fields = std::map<std::string, std::string>; // field name -> UTF-8 value

enum class Operation { Document, Order };

std::string operationName(const ::testing::TestParamInfo<Operation> &info)
{
    return info.param == Operation::Document ? "Document" : "Order";
}

const fs::path DemoTemplates = fs::path(VELTOR_DEMO_DIR) / "templates";

class TemplatePrinting : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousFactory = documentApplicationFactory();
        setDocumentApplicationFactory(
            rtfApplicationFactory([this](const fs::path &file) { shown.push_back(file); }));

        schema::createEmptyDatabase(folder / "db");
        schema::createProgramTables(folder / "program");
        const auto load = [&](const fs::path &dir, std::string_view name, LoadedTable &table) {
            table = ReadTable(resolveFileName(dir, name));
        };
        const fs::path db = folder / "db";
        load(db, schema::OsnovaTable, state.Osnova);
        load(db, schema::OtdelTable, state.Otdel);
        load(db, schema::DolzhTable, state.Dolzh);
        load(db, schema::SemjaTable, state.Semja);
        load(db, schema::TrudTable, state.Trud);
        load(db, schema::PassportTable, state.Passport);
        load(db, schema::ObrazTable, state.Obraz);
        load(db, schema::VoenTable, state.Voen);
        load(db, schema::DopolnTable, state.Dopoln);
        load(db, schema::ZhurDokTable, zhurDok);
        load(db, schema::PriemTable, priem);
        load(db, schema::KomandTable, komand);
        load(db, schema::UvolTable, uvol);
        load(db, schema::OtpuskTable, otpusk);
        load(folder / "program", schema::KonstantyTable, state.Konstanty);

        fs::create_directories(out);
        state.OutputFolder = pathToCp1251(out) + "/";

        add(state.Otdel, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
        add(state.Otdel, {{"NOM", "2"}, {"OTDEL", "Столярный цех"}});
        add(state.Dolzh, {{"NOM", "1"}, {"DOLZH", "Бухгалтер"}});
        add(state.Dolzh, {{"NOM", "2"}, {"DOLZH", "Мастер участка"}});
        add(state.Dolzh, {{"NOM", "3"},
                          {"DOLZH", "Генеральный директор"},
                          {"DOLZH_KOGO", "Генерального директора"},
                          {"DOLZH_KOMU", "Генеральному директору"}});
        add(state.Osnova, {{"KOD", "1"}, {"FIO", "Петров Пётр Петрович"}, {"SOKR_FIO", "П.П. Петров"},
                           {"DOLZH", "3"}, {"OTDEL", "1"}, {"OKLAD", "90000"}});
        state.CurMainRec = add(state.Osnova, {{"KOD", "5"},
                                              {"NOM", "105"},
                                              {"FIO", "Иванов Иван Иванович"},
                                              {"DOLZH", "1"},
                                              {"OTDEL", "1"},
                                              {"OKLAD", "25000"},
                                              {"OBRAZ", "3"}});
        add(state.Konstanty, {{"PEREMEN", "ORGAN"}, {"ZNACHEN", "ООО \"Ромашка\""}});
        add(state.Konstanty, {{"PEREMEN", "DIREKTOR"}, {"ZNACHEN", "1"}});
        add(state.Konstanty, {{"PEREMEN", "KADROVIK"}, {"ZNACHEN", ""}});
        add(zhurDok, {{"ID_DOK", "7"}, {"KOD", "5"}, {"NOM_DOK", "12"}, {"DATA_DOK", "01.03.2025"}});
    }

    void TearDown() override { setDocumentApplicationFactory(m_previousFactory); }

    // Appends a record with the given fields; returns its number.
    static int add(LoadedTable &table, const Fields &fields)
    {
        AppendBlankRecord(table.Header, table.Data);
        const int record = table.Header.RecordCount;
        for (const auto &[name, value] : fields) {
            const int field = FieldIndex(table.Header, name);
            EXPECT_GT(field, 0) << name;
            SetField(table.Header, record, field, table.Data, cp(value));
        }
        return record;
    }

    OrderTables orders() const { return {&zhurDok, &priem, &komand, &uvol, &otpusk}; }

    fs::path writeTemplate(const std::string &body, const std::string &name = "template.rtf")
    {
        const fs::path path = folder / name;
        writeFile(path, rtf(body));
        return path;
    }

    void print(Operation operation, const fs::path &templatePath, int orderId = 7)
    {
        if (operation == Operation::Document)
            pechat(state, templatePath, std::string());
        else
            pechatdok(state, templatePath, state.CurMainRec, orders(), orderId);
    }

    // The text of a saved document, as a reader of the file sees it (UTF-8).
    static std::string savedText(const fs::path &file)
    {
        return cp1251ToUtf8(RtfDocument::open(file)->text());
    }

    // Prints a template of one paragraph per placeholder and returns what each became.
    std::vector<std::string> fill(Operation operation, const std::vector<std::string> &placeholders,
                                  int orderId = 7)
    {
        std::string body;
        for (const std::string &p : placeholders)
            body += "\\pard " + p + "|\\par\n";
        print(operation, writeTemplate(body), orderId);
        std::vector<std::string> values;
        const std::string text = savedText(shown.back());
        for (size_t begin = 0, bar; (bar = text.find("|\n", begin)) != std::string::npos;
             begin = bar + 2)
            values.push_back(text.substr(begin, bar - begin));
        return values;
    }

    std::string fillOne(Operation operation, const std::string &placeholder, int orderId = 7)
    {
        const auto values = fill(operation, std::vector<std::string>{placeholder}, orderId);
        return values.empty() ? "(nothing)" : values.front();
    }

    std::vector<std::string> filesIn(const fs::path &dir) const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(dir))
            names.push_back(pathToUtf8(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

    TemporaryFolder folder;
    fs::path out = folder / "out";
    AppState state;
    LoadedTable zhurDok, priem, komand, uvol, otpusk;
    std::vector<fs::path> shown;

private:
    ApplicationFactory m_previousFactory;
};

class BothOperations : public TemplatePrinting, public ::testing::WithParamInterface<Operation> {};
INSTANTIATE_TEST_SUITE_P(, BothOperations, ::testing::Values(Operation::Document, Operation::Order),
                         operationName);

TEST_P(BothOperations, TemplateWithoutPlaceholdersIsSavedUnchangedAndShown)
{
    const std::string bytes = rtf("{\\pard\\qc\\b \\'cf\\'f0\\'e8\\'ea\\'e0\\'e7 <FAMILY> <> <FAM \\par}");
    writeFile(folder / "plain.rtf", bytes);
    print(GetParam(), folder / "plain.rtf");
    const fs::path expected = out / ("Иванов Иван Иванович plain " + dateToStr(today()) + ".doc");
    EXPECT_EQ(shown, std::vector<fs::path>{expected});
    EXPECT_EQ(readFile(expected), bytes);
}

TEST_P(BothOperations, NameWordsKeepTheBlankThatFollowsThem)
{
    // The surname and the first name end in a blank, so a blank typed after them doubles it.
    EXPECT_EQ(fill(GetParam(), {"<FAM> <IMJA><OTCH>.", "<BUKVA>", "<DATA>"}),
              (std::vector<std::string>{"Иванов  Иван Иванович.", "И", dateToStr(today())}));
}

TEST_P(BothOperations, EmployeeWithoutPassportGetsEveryPassportFieldEmpty)
{
    add(state.Passport, {{"KOD", "1"}, {"PASSPORT", "40 01 123456"}, {"ADRESS", "Кириши"}});
    std::vector<std::string> placeholders;
    for (int f = 1; f <= FieldCount(state.Passport.Header); ++f)
        placeholders.push_back("<PASSPORT." + state.Passport.Header.FieldNames[f] + ">");
    EXPECT_EQ(fill(GetParam(), placeholders), std::vector<std::string>(placeholders.size(), ""));
}

TEST_P(BothOperations, AmountInWordsNeedsASalary)
{
    EXPECT_EQ(fillOne(GetParam(), "<OSNOVA.OKLAD_PROPIS>"), "двадцать пять тысяч рублей");
    shown.clear();
    SetField(state.Osnova.Header, state.CurMainRec, FieldIndex(state.Osnova.Header, "OKLAD"),
             state.Osnova.Data, "");
    EXPECT_EQ(fillOne(GetParam(), "<OSNOVA.OKLAD_PROPIS>"), "<OSNOVA.OKLAD_PROPIS>");
}

// A date stored empty (01.01.1900, what an empty picker holds) prints empty; a new card's
// T-1 used to read "Трудовой договор от 01.01.1900".
TEST_P(BothOperations, EmptyDatePrintsEmpty)
{
    add(state.Passport, {{"KOD", "5"}, {"PASS_DATA", "01.01.1900"}, {"DATA_ROZHD", "02.01.1900"}});
    EXPECT_EQ(fill(GetParam(), {"<PASSPORT.PASS_DATA>", "<PASSPORT.DATA_ROZHD>"}),
              (std::vector<std::string>{"", "02.01.1900"}));
}

TEST_P(BothOperations, ConstantsAndTheOfficersTheyName)
{
    EXPECT_EQ(fill(GetParam(), {"<KONST.ORGAN>", "<KONST.DIREKTOR>", "<KONST.DIREKTOR.SOKR_FIO>",
                                "<KONST.DIREKTOR.DOLZH_KOMU>", "<KONST.KADROVIK.FIO>"}),
              (std::vector<std::string>{"ООО \"Ромашка\"", "1", "П.П. Петров", "Генеральному директору",
                                        // No officer is named: the derived placeholders stay.
                                        "<KONST.KADROVIK.FIO>"}));
}

// Every document of a person is kept: the name says whose, which and when, and a name taken
// gets " (2)", " (3)" ... Printing a second document for one person used to replace the first
// ("<ФИО>.doc") without a word.
TEST_P(BothOperations, PrintedDocumentsAreNeverReplaced)
{
    const fs::path first = writeTemplate("\\pard <OSNOVA.NOM>\\par\n", "т-9.rtf");
    const fs::path second = writeTemplate("\\pard <OSNOVA.FIO>\\par\n", "т-2.rtf");
    for (const fs::path &path : {first, second, first, first})
        print(GetParam(), path);
    const std::string day = dateToStr(today());
    const std::string person = "Иванов Иван Иванович ";
    EXPECT_EQ(shown, (std::vector<fs::path>{out / (person + "т-9 " + day + ".doc"), out / (person + "т-2 " + day + ".doc"),
                                            out / (person + "т-9 " + day + " (2).doc"),
                                            out / (person + "т-9 " + day + " (3).doc")}));
    EXPECT_EQ(savedText(shown[0]), "105\n");
    EXPECT_EQ(savedText(shown[1]), "Иванов Иван Иванович\n");
}

TEST_P(BothOperations, WithoutKeepingDocumentsEveryPrintingOverwritesTempDoc)
{
    state.SavePrintedDocuments = false;
    const fs::path path = writeTemplate("\\pard <OSNOVA.FIO>\\par\n");
    print(GetParam(), path);
    state.CurMainRec = 1;
    print(GetParam(), path);
    EXPECT_EQ(shown, (std::vector<fs::path>{out / "temp.doc", out / "temp.doc"}));
    EXPECT_EQ(filesIn(out), std::vector<std::string>{"temp.doc"});
    EXPECT_EQ(savedText(out / "temp.doc"), "Петров Пётр Петрович\n");
}

TEST_P(BothOperations, FoldersAreJoinedWithASeparatorWhateverWasTyped)
{
    // A folder typed without its final "/" saved "outИванов Иван Иванович.doc" beside it.
    state.OutputFolder = pathToCp1251(out);
    print(GetParam(), writeTemplate("\\pard <OSNOVA.FIO>\\par\n"));
    EXPECT_EQ(shown, std::vector<fs::path>{out / ("Иванов Иван Иванович template " + dateToStr(today()) + ".doc")});

    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    EXPECT_EQ(fileInFolder(cp("/d/Шаблоны"), cp("т-1.RTF")), cp("/d/Шаблоны" + sep + "т-1.RTF"));
    EXPECT_EQ(fileInFolder(cp("/d/Шаблоны/"), cp("т-1.RTF")), cp("/d/Шаблоны/т-1.RTF"));
    EXPECT_EQ(fileInFolder("C:\\Docs\\", "a.doc"), "C:\\Docs\\a.doc");
    EXPECT_EQ(fileInFolder("", "a.doc"), "a.doc");
    EXPECT_EQ(withFinalSeparator("/d/out"), "/d/out" + sep);
    EXPECT_EQ(withFinalSeparator("/d/out/"), "/d/out/");
    EXPECT_EQ(withFinalSeparator(""), "");
}

TEST_P(BothOperations, MissingTemplateIsReportedAndNothingIsWritten)
{
    try {
        print(GetParam(), folder / "т-1.RTF");
        ADD_FAILURE() << "no error";
    } catch (const DocumentError &error) {
        EXPECT_STREQ(error.what(), "Файл шаблона не найден");
    }
    EXPECT_EQ(shown, std::vector<fs::path>{});
    EXPECT_EQ(filesIn(out), std::vector<std::string>{});
}

TEST_P(BothOperations, WithoutAWordProcessorNothingIsWritten)
{
    const fs::path path = writeTemplate("\\pard <OSNOVA.FIO>\\par\n");
    for (const ApplicationFactory &factory :
         {ApplicationFactory(), ApplicationFactory([] { return std::unique_ptr<DocumentApplication>(); })}) {
        setDocumentApplicationFactory(factory);
        try {
            print(GetParam(), path);
            ADD_FAILURE() << "no error";
        } catch (const DocumentError &error) {
            EXPECT_STREQ(error.what(), "Word не найден");
        }
    }
    EXPECT_EQ(filesIn(out), std::vector<std::string>{});
}

TEST_P(BothOperations, TemplateNameIsFoundInAnyLetterCase)
{
    // The templates folder may hold "т-1.rtf" where the program asks for "т-1.RTF"; the same
    // file is used, as for every other file name.
    writeTemplate("\\pard <OSNOVA.NOM>\\par\n", "т-1.rtf");
    print(GetParam(), folder / "т-1.RTF");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(savedText(shown.front()), "105\n");
}

TEST_P(BothOperations, EmployeeNameNeverLeadsOutOfTheOutputFolder)
{
    const fs::path path = writeTemplate("\\pard <OSNOVA.NOM>\\par\n");
    const int field = FieldIndex(state.Osnova.Header, "FIO");
    const std::string date = " template " + dateToStr(today()) + ".doc";
    const std::pair<const char *, std::string> cases[] = {
        {"../../Иванов", ".._.._Иванов" + date},
        {"..", ".." + date},
        {"/tmp/x", "_tmp_x" + date},
        {"a\\b:c*d?\"e<f>g|h", "a_b_c_d__e_f_g_h" + date},
    };
    for (const auto &[name, file] : cases) {
        SCOPED_TRACE(name);
        shown.clear();
        SetField(state.Osnova.Header, state.CurMainRec, field, state.Osnova.Data, cp(name));
        print(GetParam(), path);
        EXPECT_EQ(shown, std::vector<fs::path>{out / file});
    }
    // The date makes a name of dots a name of the folder's own.
    EXPECT_EQ(outputDocumentPath(state, "..", "", Date{2024, 1, 2}), out / ".. 02.01.2024.doc");
    EXPECT_EQ(outputDocumentPath(state, "", "/..", Date{2024, 1, 2}), out / "_.. 02.01.2024.doc");
    EXPECT_EQ(filesIn(folder.path()), (std::vector<std::string>{"db", "out", "program", "template.rtf"}));
}

TEST_P(BothOperations, MissingOutputFolderIsAClearErrorAndWritesNothing)
{
    const fs::path path = writeTemplate("\\pard <OSNOVA.NOM>\\par\n");
    fs::remove_all(out);
    try {
        print(GetParam(), path);
        ADD_FAILURE() << "no error";
    } catch (const DocumentError &error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("Не удалось сохранить документ"), std::string::npos) << message;
        EXPECT_NE(message.find(pathToUtf8(out)), std::string::npos) << message;
    }
    EXPECT_EQ(shown, std::vector<fs::path>{});
    EXPECT_FALSE(fs::exists(out));
}

// Orders decode the position, department and kind of work of every table; documents print the
// stored codes.
TEST_F(TemplatePrinting, OrdersDecodeCodesDocumentsDoNot)
{
    add(priem, {{"ID_DOK", "7"}, {"KOD", "5"}, {"OTDEL", "2"}, {"DOLZH", "2"}, {"VID_RAB", "0"}});
    add(state.Trud, {{"KOD", "5"}, {"N_IZM", "1"}, {"OTDEL", "1"}, {"DOLZH", "9"}, {"VID_RAB", "1"}});
    const std::vector<std::string> placeholders = {"<PRIEM.OTDEL>", "<PRIEM.DOLZH>", "<PRIEM.VID_RAB>",
                                                   "<TRUD.OTDEL>",  "<TRUD.DOLZH>",  "<TRUD.VID_RAB>",
                                                   "<OSNOVA.DOLZH>"};
    EXPECT_EQ(fill(Operation::Order, placeholders),
              (std::vector<std::string>{"Столярный цех", "Мастер участка", "Основная работа", "Бухгалтерия",
                                        "", "Временная работа", "Бухгалтер"}));
    EXPECT_EQ(fill(Operation::Document, placeholders),
              (std::vector<std::string>{"<PRIEM.OTDEL>", "<PRIEM.DOLZH>", "<PRIEM.VID_RAB>", "1", "9", "1",
                                        "1"}));
}

// A reprinted order puts its own salary into words, as it prints its own figures; it used to
// print the order's figures beside today's salary in words. A salary of twelve digits, which
// its field holds, is put into words too.
TEST_F(TemplatePrinting, OrderSalaryInWordsIsTheOrders)
{
    add(priem, {{"ID_DOK", "7"}, {"KOD", "5"}, {"OKLAD", "30000"}});
    add(state.Trud, {{"KOD", "5"}, {"N_IZM", "1"}, {"ID_DOK", "9"}, {"OKLAD", "41000"}});
    add(priem, {{"ID_DOK", "8"}, {"KOD", "5"}, {"OKLAD", "123456789012"}});
    const std::vector<std::string> placeholders = {"<PRIEM.OKLAD>", "<OSNOVA.OKLAD_PROPIS>"};
    EXPECT_EQ(fill(Operation::Order, placeholders, 7),
              (std::vector<std::string>{"30000", "тридцать тысяч рублей"}));
    // An order without a record of its own in Priem.dbf: the history record it wrote.
    EXPECT_EQ(fillOne(Operation::Order, "<OSNOVA.OKLAD_PROPIS>", 9), "сорок одна тысяча рублей");
    EXPECT_EQ(fillOne(Operation::Order, "<OSNOVA.OKLAD_PROPIS>", 8).find("сто двадцать три"), 0u);
    // Documents keep the present salary.
    EXPECT_EQ(fillOne(Operation::Document, "<OSNOVA.OKLAD_PROPIS>"), "двадцать пять тысяч рублей");
}

// Each order prints its own vacation record, not the employee's latest one.
TEST_F(TemplatePrinting, EachVacationOrderPrintsItsOwnRecord)
{
    add(zhurDok, {{"ID_DOK", "9"}, {"KOD", "5"}, {"NOM_DOK", "13"}});
    add(otpusk, {{"ID_DOK", "9"}, {"KOD", "5"}, {"OTP_OSN", "28"}, {"RAB_OT", "01.01.2024"}});
    add(otpusk, {{"ID_DOK", "3"}, {"KOD", "1"}, {"OTP_OSN", "7"}});
    add(otpusk, {{"ID_DOK", "7"}, {"KOD", "5"}, {"OTP_OSN", "14"}, {"RAB_OT", "01.01.2025"}});
    const std::vector<std::string> placeholders = {"<OTPUSK.OTP_OSN>", "<OTPUSK.RAB_OT>", "<OTPUSK.ID_DOK>"};
    EXPECT_EQ(fill(Operation::Order, placeholders, 7), (std::vector<std::string>{"14", "01.01.2025", "7"}));
    EXPECT_EQ(fill(Operation::Order, placeholders, 9), (std::vector<std::string>{"28", "01.01.2024", "9"}));
    // An order of which a table holds nothing (the vacation table for a business trip): the
    // employee's last record stands in, as before.
    EXPECT_EQ(fill(Operation::Order, placeholders, 11), (std::vector<std::string>{"14", "01.01.2025", "7"}));
}

// Reprinting the employee's older order from the journal: its number, dates and days, from the
// journal and every order table, though a newer order of the same employee follows it.
TEST_F(TemplatePrinting, ReprintingAnOlderOrderPrintsThatOrder)
{
    // Order 7 (set up above, journal number 12 of 01.03.2025) is the older one.
    add(komand, {{"ID_DOK", "7"}, {"KOD", "5"}, {"KUDA", "Тверь"}});
    add(uvol, {{"ID_DOK", "7"}, {"KOD", "5"}, {"DN_KOM", "5"}});
    add(zhurDok, {{"ID_DOK", "8"}, {"KOD", "5"}, {"NOM_DOK", "19"}, {"DATA_DOK", "10.04.2025"}});
    add(komand, {{"ID_DOK", "8"}, {"KOD", "5"}, {"KUDA", "Казань"}});
    add(uvol, {{"ID_DOK", "8"}, {"KOD", "5"}, {"DN_KOM", "12"}});
    // Each wrote its change into the history; the newer one's used to stand in the older order.
    add(state.Trud, {{"KOD", "5"}, {"N_IZM", "1"}, {"OKLAD", "30000"}, {"ID_DOK", "7"}});
    add(state.Trud, {{"KOD", "5"}, {"N_IZM", "2"}, {"OKLAD", "45000"}, {"ID_DOK", "8"}});
    const std::vector<std::string> placeholders = {"<ZHURDOK.NOM_DOK>", "<ZHURDOK.DATA_DOK>", "<KOMAND.KUDA>",
                                                   "<UVOL.DN_KOM>", "<TRUD.OKLAD>"};
    EXPECT_EQ(fill(Operation::Order, placeholders, 7),
              (std::vector<std::string>{"12", "01.03.2025", "Тверь", "5", "30000"}));
    EXPECT_EQ(fill(Operation::Order, placeholders, 8),
              (std::vector<std::string>{"19", "10.04.2025", "Казань", "12", "45000"}));
    // An order that wrote no change (a vacation) prints the employee's last one, as before.
    EXPECT_EQ(fill(Operation::Order, {"<TRUD.OKLAD>"}, 9), std::vector<std::string>{"45000"});
}

TEST_F(TemplatePrinting, PreviousPlaceComesFromTheHistoryRecordBeforeTheOrders)
{
    struct Case {
        const char *what;
        int orderId;
        bool history;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"transfer that wrote change 3", 7, true, {"Бухгалтерия", "Бухгалтер"}},
        {"order without a history record (vacation)", 8, true, {"", ""}},
        {"employee without history", 7, false, {"<TRUD.PRED.OTDEL>", "<TRUD.PRED.DOLZH>"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        state.Trud.Data.clear();
        state.Trud.Header.RecordCount = 0;
        if (c.history) {
            add(state.Trud, {{"KOD", "5"}, {"N_IZM", "1"}, {"OTDEL", "2"}, {"DOLZH", "2"}});
            add(state.Trud, {{"KOD", "1"}, {"N_IZM", "2"}, {"OTDEL", "2"}, {"DOLZH", "3"}});
            add(state.Trud, {{"KOD", "5"}, {"N_IZM", "2"}, {"OTDEL", "1"}, {"DOLZH", "1"}});
            add(state.Trud, {{"KOD", "5"}, {"N_IZM", "3"}, {"OTDEL", "2"}, {"DOLZH", "2"}, {"ID_DOK", "7"}});
        }
        EXPECT_EQ(fill(Operation::Order, {"<TRUD.PRED.OTDEL>", "<TRUD.PRED.DOLZH>"}, c.orderId), c.expected);
    }
}

struct CardName {
    const char *name;
    bool personalCard;
};

class PersonalCardName : public TemplatePrinting, public ::testing::WithParamInterface<CardName> {};
INSTANTIATE_TEST_SUITE_P(, PersonalCardName,
                         ::testing::Values(CardName{"т-2.rtf", true}, CardName{"т-2.RTF", true},
                                           CardName{"т-2.Rtf", true}, CardName{"Т-2.rtf", false},
                                           CardName{"Т-2.RTF", false}, CardName{"т-20.rtf", false},
                                           CardName{"копия т-2.rtf", true}),
                         [](const auto &info) { return std::to_string(info.index); });

// The Latin letters of the name may be capitals; the Cyrillic "т" must be small.
TEST_P(PersonalCardName, DecidesWhetherTablesAreFilled)
{
    EXPECT_EQ(isPersonalCardTemplate(fs::path("/шаблоны") / GetParam().name), GetParam().personalCard);

    add(state.Trud, {{"KOD", "5"}, {"N_IZM", "1"}, {"D_IZM", "01.02.2020"}, {"OTDEL", "1"}, {"DOLZH", "1"}});
    fs::copy_file(DemoTemplates / "т-2.rtf", folder / GetParam().name);
    pechat(state, folder / GetParam().name, std::string());
    ASSERT_EQ(shown.size(), 1u);
    auto card = RtfDocument::open(shown.front());
    EXPECT_EQ(cp1251ToUtf8(card->cellText(20, 3, 1)), GetParam().personalCard ? "01.02.2020" : "");
    EXPECT_EQ(cp1251ToUtf8(card->text()).find("<TRUD>") == std::string::npos, GetParam().personalCard);
}

TEST_F(TemplatePrinting, PersonalCardGetsHistoryAndFamilyFromTheThirdRow)
{
    add(state.Trud, {{"KOD", "5"}, {"N_IZM", "1"}, {"D_IZM", "01.02.2020"}, {"OTDEL", "2"}, {"DOLZH", "2"},
                     {"OKLAD", "20000"}});
    add(state.Trud, {{"KOD", "1"}, {"N_IZM", "1"}, {"D_IZM", "05.05.2019"}, {"OTDEL", "1"}, {"DOLZH", "3"}});
    add(state.Trud, {{"KOD", "5"}, {"N_IZM", "2"}, {"D_IZM", "01.02.2022"}, {"OTDEL", "8"}, {"DOLZH", "1"},
                     {"OKLAD", "22000"}});
    add(state.Trud, {{"KOD", "5"}, {"N_IZM", "3"}, {"D_IZM", "01.02.2024"}, {"OTDEL", "1"}, {"DOLZH", "8"},
                     {"OKLAD", "25000"}});
    add(state.Semja, {{"KOD", "5"}, {"S_TIP_N", "жена"}, {"S_FIO", "Иванова Анна Петровна"},
                      {"S_ROZHD", "03.04.1990"}});
    add(state.Semja, {{"KOD", "1"}, {"S_TIP_N", "сын"}, {"S_FIO", "Петров Павел"}});
    add(state.Semja, {{"KOD", "5"}, {"S_TIP_N", "дочь"}, {"S_FIO", "Иванова Мария Ивановна"},
                      {"S_ROZHD", "12.12.2015"}});
    pechat(state, DemoTemplates / "т-2.rtf", std::string());
    ASSERT_EQ(shown.size(), 1u);
    auto card = RtfDocument::open(shown.front());
    const auto row = [&](int table, int r, int columns) {
        std::vector<std::string> cells;
        for (int c = 1; c <= columns; ++c)
            cells.push_back(cp1251ToUtf8(card->cellText(table, r, c)));
        return cells;
    };
    using Row = std::vector<std::string>;
    EXPECT_EQ(row(20, 2, 4), (Row{"1", "2", "3", "4"}));
    EXPECT_EQ(row(20, 3, 4), (Row{"01.02.2020", "Столярный цех", "Мастер участка", "20000"}));
    EXPECT_EQ(row(20, 4, 4), (Row{"01.02.2022", "подразделение удалено", "Бухгалтер", "22000"}));
    EXPECT_EQ(row(20, 5, 4), (Row{"01.02.2024", "Бухгалтерия", "должность удалена", "25000"}));
    EXPECT_EQ(row(20, 6, 4), (Row{"", "", "", ""}));
    EXPECT_EQ(row(12, 2, 3), (Row{"1", "2", "3"}));
    EXPECT_EQ(row(12, 3, 3), (Row{"жена", "Иванова Анна Петровна", "03.04.1990"}));
    EXPECT_EQ(row(12, 4, 3), (Row{"дочь", "Иванова Мария Ивановна", "12.12.2015"}));
    EXPECT_EQ(row(12, 5, 3), (Row{"", "", ""}));
    const std::string text = cp1251ToUtf8(card->text());
    EXPECT_EQ(text.find("<TRUD>"), std::string::npos);
    EXPECT_EQ(text.find("<SEMJA>"), std::string::npos);
}

TEST_F(TemplatePrinting, PersonalCardWithMoreHistoryThanRowsIsAnErrorAndSavesNothing)
{
    auto card = RtfDocument::open(DemoTemplates / "т-2.rtf");
    const int rows = card->rowCount(20);
    for (int n = 1; n <= rows - 1; ++n)
        add(state.Trud, {{"KOD", "5"}, {"N_IZM", std::to_string(n)}, {"OTDEL", "1"}, {"DOLZH", "1"}});
    // This said only that table 20 has no cell in row N, naming no remedy.
    try {
        pechat(state, DemoTemplates / "т-2.rtf", std::string());
        ADD_FAILURE() << "no error";
    } catch (const DocumentError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "Записей сотрудника (история работы): " + std::to_string(rows - 1)
                      + ", а строк для них в таблице 20 шаблона «т-2.rtf»: " + std::to_string(rows - 2)
                      + ". Добавьте в конец таблицы 20 ещё 1 строку в Word или LibreOffice, сохраните "
                        "шаблон и напечатайте снова");
    }
    EXPECT_EQ(shown, std::vector<fs::path>{});
    EXPECT_EQ(filesIn(out), std::vector<std::string>{});
}

// A word processor that records what list printing asks of it.
class ListRecorder : public DocumentApplication, public Document {
public:
    Document &open(const fs::path &) override { throw DocumentError("not used"); }
    Document &add() override { return *this; }
    Document &activeDocument() override { return *this; }
    void setVisible(bool visible) override { m_visible = visible; }
    bool isVisible() const override { return m_visible; }

    std::string name() const override { return "list"; }
    void replaceAll(std::string_view, std::string_view) override {}
    int tableCount() const override { return static_cast<int>(tables.size()); }
    int rowCount(int table) const override { return static_cast<int>(tables.at(table - 1).size()); }
    int columnCount(int table, int row) const override
    {
        return static_cast<int>(tables.at(table - 1).at(row - 1).size());
    }
    std::string cellText(int table, int row, int column) const override
    {
        return cell(table, row, column).text;
    }
    void setCellText(int table, int row, int column, std::string_view text) override
    {
        cell(table, row, column).text = text;
    }
    void setCellBold(int table, int row, int column, bool bold) override
    {
        cell(table, row, column).bold = bold;
    }
    int addTable(int rows, int columns) override
    {
        tables.emplace_back(rows, std::vector<Cell>(columns));
        return tableCount();
    }
    void addRow(int table) override
    {
        auto &t = tables.at(table - 1);
        t.emplace_back(t.back().size());
    }
    void saveAs(const fs::path &path) override
    {
        saved = path;
        visibleWhenSaved = m_visible;
    }
    fs::path savedPath() const override { return saved; }

    struct Cell {
        std::string text;
        bool bold = false;
    };
    std::vector<std::vector<std::vector<Cell>>> tables;
    fs::path saved;
    bool visibleWhenSaved = false;

private:
    Cell &cell(int table, int row, int column) { return tables.at(table - 1).at(row - 1).at(column - 1); }
    const Cell &cell(int table, int row, int column) const
    {
        return tables.at(table - 1).at(row - 1).at(column - 1);
    }
    bool m_visible = false;
};

// Ten employees under a heading row, in four grid columns of which column 0 is not printed.
std::string listCell(int col, int row)
{
    return row == 0 ? cp("Колонка " + std::to_string(col))
                    : cp("Сотрудник " + std::to_string(row) + "/" + std::to_string(col));
}

TEST_F(TemplatePrinting, ListIsATableWithABoldHeadingRowSavedAsPerechen)
{
    std::vector<std::string> cells;
    for (int r = 0; r <= 10; ++r)
        for (int c = 0; c < 4; ++c)
            cells.push_back(listCell(c, r));
    const auto cell = [&](int col, int row) -> const std::string & { return cells[row * 4 + col]; };

    // The application printing makes is released when it returns; it forwards to a recorder
    // the test keeps.
    struct Forward : DocumentApplication {
        explicit Forward(ListRecorder &r) : target(r) {}
        Document &open(const fs::path &p) override { return target.open(p); }
        Document &add() override { return target.add(); }
        Document &activeDocument() override { return target.activeDocument(); }
        void setVisible(bool v) override { target.setVisible(v); }
        bool isVisible() const override { return target.isVisible(); }
        ListRecorder &target;
    };
    auto kept = std::make_unique<ListRecorder>();
    ListRecorder *recorder = kept.get();
    setDocumentApplicationFactory([recorder] { return std::make_unique<Forward>(*recorder); });

    printEmployeeList(state, 4, 11, cell);
    ASSERT_EQ(recorder->tableCount(), 1);
    ASSERT_EQ(recorder->rowCount(1), 11);
    for (int r = 1; r <= 11; ++r) {
        ASSERT_EQ(recorder->columnCount(1, r), 3);
        for (int c = 1; c <= 3; ++c) {
            EXPECT_EQ(recorder->cellText(1, r, c), listCell(c, r - 1));
            EXPECT_EQ(recorder->tables[0][r - 1][c - 1].bold, r == 1) << r << "," << c;
        }
    }
    EXPECT_EQ(recorder->saved, out / "Perechen.doc");
    EXPECT_TRUE(recorder->visibleWhenSaved);

    // The same through the RTF engine: the saved file holds that table and is shown.
    setDocumentApplicationFactory(
        rtfApplicationFactory([this](const fs::path &file) { shown.push_back(file); }));
    printEmployeeList(state, 4, 11, cell);
    EXPECT_EQ(shown, std::vector<fs::path>{out / "Perechen.doc"});
    auto saved = RtfDocument::open(out / "Perechen.doc");
    ASSERT_EQ(saved->tableCount(), 1);
    EXPECT_EQ(saved->rowCount(1), 11);
    EXPECT_EQ(saved->columnCount(1, 11), 3);
    EXPECT_EQ(saved->cellText(1, 11, 3), listCell(3, 10));
}

} // namespace
} // namespace veltor
