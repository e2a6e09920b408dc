#include "documents/TemplatePrinting.h"

#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"
#include "text/OrfoUnit.h"

#include <cctype>
#include <vector>

namespace veltor {
namespace {

// A date left empty is stored as 01.01.1900 (what an empty date picker holds): it prints empty,
// not as "Трудовой договор от 01.01.1900".
std::string printedValue(const std::string &stored)
{
    return stored == dateToStr(EmptyDate) ? std::string() : stored;
}

// A salary of up to 12 digits (its field's width) is put into words; a text of other characters
// fails with the integer conversion message, as before.
double wholeAmount(const std::string &text)
{
    if (!text.empty() && text.size() <= 15 && text.find_first_not_of("0123456789") == std::string::npos)
        return std::stod(text);
    return strToInt(text);
}


ApplicationFactory &factorySlot()
{
    static ApplicationFactory factory = rtfApplicationFactory();
    return factory;
}

std::function<void(const std::filesystem::path &)> &savedListener()
{
    static std::function<void(const std::filesystem::path &)> listener;
    return listener;
}

bool endsWithSeparator(const std::string &folder)
{
    return !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
}

// "1 строку", "2 строки", "5 строк".
std::string rowsText(int n)
{
    const int lastTwo = n % 100, last = n % 10;
    const char *word = (lastTwo >= 11 && lastTwo <= 14) ? "строк"
                       : last == 1                      ? "строку"
                       : (last >= 2 && last <= 4)       ? "строки"
                                                        : "строк";
    return std::to_string(n) + " " + word;
}

std::string trimmed(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return std::string(s.substr(b, e - b));
}

std::string fieldName(const TTableHeader &h, int f) { return trimmed(h.FieldNames[f]); }

std::string valueOf(const LoadedTable &t, int record, std::string_view field)
{
    return GetField(t.Header, t.Data, record, FieldIndex(t.Header, field));
}

// The records of a table whose field equals the text, as SelectEqualIdx finds them.
std::vector<int> recordsWhere(const LoadedTable &t, std::string_view field, std::string_view text)
{
    TIndex found;
    SelectEqualIdx(t.Header, t.Data, FieldIndex(t.Header, field), text, found);
    return std::vector<int>(found.begin() + 1, found.end());
}

int firstWhere(const LoadedTable &t, std::string_view field, std::string_view text)
{
    auto found = recordsWhere(t, field, text);
    return found.empty() ? 0 : found.front();
}

// Name of a department or position number; empty when there is none.
std::string departmentName(const AppState &s, const std::string &nom)
{
    return valueOf(s.Otdel, firstWhere(s.Otdel, schema::NOM, nom), schema::OTDEL);
}

std::string positionName(const AppState &s, const std::string &nom)
{
    return valueOf(s.Dolzh, firstWhere(s.Dolzh, schema::NOM, nom), schema::DOLZH);
}

std::string placeholder(std::string_view table, std::string_view field)
{
    std::string p = "<";
    p += table;
    p += '.';
    p += field;
    p += '>';
    return p;
}

// One entry of a fixed list by a stored 0-based position; empty outside the list.
std::string listEntry(const std::vector<const char *> &entries, const std::string &value)
{
    const int i = strToInt(value);
    return i >= 0 && i < static_cast<int>(entries.size()) ? cp(entries[i]) : std::string();
}

class Filler {
public:
    Filler(const AppState &state, DocumentApplication &word) : m_state(state), m_word(word) {}

    void replace(std::string_view text, std::string_view value) { zamenaVDokumente(text, value, m_word); }

    void everyField(std::string_view name, const LoadedTable &t, int record)
    {
        for (int f = 1; f <= FieldCount(t.Header); ++f)
            replace(placeholder(name, fieldName(t.Header, f)), printedValue(GetField(t.Header, t.Data, record, f)));
    }

    // <FAM>, <IMJA>, <OTCH>, <OSNOVA.OKLAD_PROPIS> and, for documents, <OSNOVA.OBRAZ_N>, then
    // <BUKVA> and <DATA>.
    // `salary` replaces the main record's salary when given (the salary an order set).
    void nameAndSalary(int mainRecord, bool withEducation, const std::string *salaryOfOrder = nullptr)
    {
        const LoadedTable &main = m_state.Osnova;
        const std::string fio = valueOf(main, mainRecord, schema::FIO);
        replace("<FAM>", NthWord(fio, 1));
        replace("<IMJA>", NthWord(fio, 2));
        replace("<OTCH>", NthWord(fio, 3));
        const std::string salary = salaryOfOrder ? *salaryOfOrder : valueOf(main, mainRecord, schema::OKLAD);
        if (!salary.empty())
            replace("<OSNOVA.OKLAD_PROPIS>", AmountInWords(0, wholeAmount(salary)));
        if (withEducation) {
            const std::string level = valueOf(main, mainRecord, schema::OBRAZ);
            std::string text;
            if (!level.empty() && level != "-1")
                text = listEntry({"Начальное", "Среднее", "Средне-специал.", "Высшее", "Ученая степень"},
                                 level);
            replace("<OSNOVA.OBRAZ_N>", text);
        }
        replace("<BUKVA>", fio.substr(0, 1));
        replace("<DATA>", dateToStr(today()));
    }

    void referenceFields(std::string_view name, const LoadedTable &t, const std::string &nom)
    {
        everyField(name, t, firstWhere(t, schema::NOM, nom));
    }

    void constants()
    {
        const LoadedTable &k = m_state.Konstanty;
        const LoadedTable &main = m_state.Osnova;
        for (int r = 1; r <= k.Header.RecordCount; ++r) {
            const std::string key = valueOf(k, r, "PEREMEN");
            const std::string value = valueOf(k, r, "ZNACHEN");
            replace(placeholder("KONST", key), value);
            if ((key != schema::DIREKTOR && key != schema::GL_BUH && key != schema::KADROVIK) || value.empty())
                continue;
            const int person = firstWhere(main, schema::KOD, value);
            const int position = firstWhere(m_state.Dolzh, schema::NOM, valueOf(main, person, schema::DOLZH));
            const std::string prefix = "<KONST." + key + ".";
            for (const char *f : {"FIO", "SOKR_FIO", "FIO_KOGO"})
                replace(prefix + f + ">", valueOf(main, person, f));
            for (const char *f : {"DOLZH", "DOLZH_KOGO", "DOLZH_KOMU"})
                replace(prefix + f + ">", valueOf(m_state.Dolzh, position, f));
        }
    }

private:
    const AppState &m_state;
    DocumentApplication &m_word;
};

// The template file as it is named in its folder: like every file name, the template's is
// matched without regard to letter case ("т-1.RTF" finds "т-1.rtf").
// A template named ….rtf that is not there is looked for as ….docx: the order templates have
// fixed names, and a clerk who saves one in today's Word gets it under the new extension.
std::filesystem::path existingTemplate(const std::filesystem::path &templatePath)
{
    if (fileExists(templatePath))
        return resolvePath(templatePath);
    std::string extension = pathToCp1251(templatePath.extension());
    for (char &c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".rtf") {
        std::filesystem::path docx = templatePath;
        docx.replace_extension(".docx");
        if (fileExists(docx))
            return resolvePath(docx);
    }
    throw DocumentError("Файл шаблона не найден");
}

// Of the employee's records in an order table, the one written by the order being printed, so
// that reprinting an older order from the journal prints that order and not the latest one;
// the employee's last record where the table holds none of this order.
int orderRecord(const LoadedTable &t, const std::vector<int> &records, int orderId)
{
    const int idField = FieldIndex(t.Header, schema::ID_DOK);
    if (idField > 0)
        for (auto r = records.rbegin(); r != records.rend(); ++r) {
            int32_t id = 0;
            if (tryStrToInt(GetField(t.Header, t.Data, *r, idField), id) && id == orderId)
                return *r;
        }
    return records.back();
}

// The employee's code as the documents read it: an integer (ConversionError otherwise).
std::string employeeCode(const AppState &s, int mainRecord)
{
    return intToStr(strToInt(valueOf(s.Osnova, mainRecord, schema::KOD)));
}

// The template's table has no rows added to it: one too short is named with what to add,
// before any of its cells is filled.
void requireRows(Document &doc, const std::filesystem::path &templatePath, int table,
                 const char *contents, size_t records)
{
    const int needed = 2 + static_cast<int>(records);
    const int rows = doc.rowCount(table);
    if (rows >= needed)
        return;
    throw DocumentError("Записей сотрудника (" + std::string(contents) + "): " + std::to_string(records)
                        + ", а строк для них в таблице " + std::to_string(table) + " шаблона «"
                        + pathToUtf8(templatePath.filename()) + "»: " + std::to_string(std::max(0, rows - 2))
                        + ". Добавьте в конец таблицы " + std::to_string(table) + " ещё "
                        + rowsText(needed - rows)
                        + " в Word или LibreOffice, сохраните шаблон и напечатайте снова");
}

void fillPersonalCardTables(const AppState &s, Document &doc, const std::filesystem::path &templatePath,
                            const std::vector<int> &history, const std::vector<int> &family, bool history20)
{
    if (history20) {
        requireRows(doc, templatePath, 20, "история работы", history.size());
        int row = 3;
        for (int r : history) {
            const std::string otdel = valueOf(s.Trud, r, schema::OTDEL);
            const std::string dolzh = valueOf(s.Trud, r, schema::DOLZH);
            const int dept = firstWhere(s.Otdel, schema::NOM, otdel);
            const int pos = firstWhere(s.Dolzh, schema::NOM, dolzh);
            doc.setCellText(20, row, 1, valueOf(s.Trud, r, schema::D_IZM));
            doc.setCellText(20, row, 2, dept ? valueOf(s.Otdel, dept, schema::OTDEL) : cp("подразделение удалено"));
            doc.setCellText(20, row, 3, pos ? valueOf(s.Dolzh, pos, schema::DOLZH) : cp("должность удалена"));
            doc.setCellText(20, row, 4, valueOf(s.Trud, r, schema::OKLAD));
            ++row;
        }
        return;
    }
    requireRows(doc, templatePath, 12, "состав семьи", family.size());
    int row = 3;
    for (int r : family) {
        doc.setCellText(12, row, 1, valueOf(s.Semja, r, "S_TIP_N"));
        doc.setCellText(12, row, 2, valueOf(s.Semja, r, "S_FIO"));
        doc.setCellText(12, row, 3, valueOf(s.Semja, r, "S_ROZHD"));
        ++row;
    }
}

void documentSaved(const std::filesystem::path &output)
{
    if (savedListener())
        savedListener()(output);
}

// Saves the active document as the employee's output file, in its own format, and shows it.
void showAndSave(const AppState &state, DocumentApplication &word, const std::string &employeeName,
                 const std::string &documentName)
{
    Document &document = word.activeDocument();
    const std::filesystem::path output =
        outputDocumentPath(state, employeeName, documentName, today(), document.fileExtension());
    document.saveAs(output);
    documentSaved(output);
    word.setVisible(true);
}

} // namespace

const ApplicationFactory &documentApplicationFactory() { return factorySlot(); }

void setDocumentSavedListener(std::function<void(const std::filesystem::path &)> listener)
{
    savedListener() = std::move(listener);
}

std::string fileInFolder(const std::string &folder, const std::string &name)
{
    if (folder.empty() || endsWithSeparator(folder))
        return folder + name;
    return folder + static_cast<char>(std::filesystem::path::preferred_separator) + name;
}

std::string withFinalSeparator(std::string folder)
{
    if (!folder.empty() && !endsWithSeparator(folder))
        folder += static_cast<char>(std::filesystem::path::preferred_separator);
    return folder;
}
void setDocumentApplicationFactory(ApplicationFactory factory) { factorySlot() = std::move(factory); }

namespace {

// A part of a file name: separators and characters no file name may hold become "_".
std::string fileNamePart(const std::string &text)
{
    std::string name;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool forbidden = u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?'
            || c == '"' || c == '<' || c == '>' || c == '|';
        name += forbidden ? '_' : c;
    }
    return name;
}

} // namespace

std::filesystem::path outputDocumentPath(const AppState &state, const std::string &employeeName,
                                         const std::string &documentName, const Date &date,
                                         const std::string &extension)
{
    if (!state.SavePrintedDocuments)
        return pathFromCp1251(fileInFolder(state.OutputFolder, "temp" + extension));
    std::string name = fileNamePart(employeeName);
    for (const std::string &part : {fileNamePart(documentName), dateToStr(date)})
        if (!part.empty())
            name += (name.empty() ? "" : " ") + part;
    // "." and ".." as names, or a name of dots, would not name a file of the folder.
    if (name.find_first_not_of('.') == std::string::npos)
        name = "_" + name;
    // A document printed before is never replaced: the next free " (n)" is taken.
    std::filesystem::path path = pathFromCp1251(fileInFolder(state.OutputFolder, name + extension));
    std::error_code error;
    for (int n = 2; std::filesystem::exists(path, error); ++n)
        path = pathFromCp1251(fileInFolder(state.OutputFolder, name + " (" + intToStr(n) + ")" + extension));
    return path;
}

std::string documentNameOf(const std::filesystem::path &templatePath)
{
    return pathToCp1251(templatePath.stem());
}

bool isPersonalCardTemplate(const std::filesystem::path &templatePath)
{
    std::string path = pathToCp1251(templatePath);
    for (char &c : path)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    // The card saved by a word processor of today keeps its name with the .docx extension.
    return path.find(cp("т-2.rtf")) != std::string::npos || path.find(cp("т-2.docx")) != std::string::npos;
}

void pechat(const AppState &s, const std::filesystem::path &templatePath,
            const std::string &continuation, const PrintProgress &progress)
{
    const std::filesystem::path templateFile = existingTemplate(templatePath);
    auto word = createApplication(documentApplicationFactory());
    Document &doc = word->open(templateFile);
    if (progress.show)
        progress.show();
    auto setProgress = [&](int value) {
        if (progress.set)
            progress.set(value);
    };
    setProgress(0);

    const std::string code = employeeCode(s, s.CurMainRec);
    const bool personalCard = isPersonalCardTemplate(templatePath);
    Filler fill(s, *word);
    struct Named {
        const char *name;
        const LoadedTable *table;
    };
    const Named set[] = {{"OSNOVA", &s.Osnova}, {"PASSPORT", &s.Passport}, {"TRUD", &s.Trud},
                         {"SEMJA", &s.Semja},   {"OBRAZ", &s.Obraz},       {"DOPOLN", &s.Dopoln},
                         {"VOEN", &s.Voen}};
    int employeeMain = 0;
    int step = 0;
    for (const Named &n : set) {
        const std::string name = n.name;
        const LoadedTable &t = *n.table;
        setProgress(12 * ++step);
        const std::vector<int> records = recordsWhere(t, schema::KOD, code);
        if (records.empty()) {
            if (name == "TRUD") {
                fill.everyField(name, t, 0);
                fill.replace("<TRUD>", "");
            } else if (name == "SEMJA") {
                fill.replace("<SEMJA>", "");
            } else {
                fill.everyField(name, t, 0);
                if (name == "OBRAZ")
                    fill.replace("<OBRAZ.DOK_N>", "");
            }
            continue;
        }
        const int last = records.back();
        if (name == "OSNOVA")
            employeeMain = last;
        if (name == "TRUD") {
            fill.everyField(name, t, last);
            if (personalCard) {
                fill.replace("<TRUD>", "");
                fillPersonalCardTables(s, doc, templateFile, records, {}, true);
            }
        } else if (name == "SEMJA") {
            if (personalCard) {
                fill.replace("<SEMJA>", "");
                fillPersonalCardTables(s, doc, templateFile, {}, records, false);
            }
        } else {
            fill.everyField(name, t, last);
            if (name == "OBRAZ") {
                const std::string dok = valueOf(t, last, "DOK");
                if (!dok.empty())
                    fill.replace("<OBRAZ.DOK_N>", listEntry({"Аттестат", "Диплом", "Удостоверение"}, dok));
            }
        }
    }

    fill.nameAndSalary(employeeMain, true);
    int value = 12 * step;
    fill.referenceFields("DOLZH", s.Dolzh, valueOf(s.Osnova, employeeMain, schema::DOLZH));
    setProgress(value += 12);
    fill.referenceFields("OTDEL", s.Otdel, valueOf(s.Osnova, employeeMain, schema::OTDEL));
    setProgress(std::min(100, value + 12));
    fill.constants();
    fill.replace("<DALEE>", continuation);

    showAndSave(s, *word, valueOf(s.Osnova, employeeMain, schema::FIO), documentNameOf(templatePath));
    if (progress.hide)
        progress.hide();
    setProgress(0);
}

void printPechatTemplate(const AppState &state, int tag, const PrintProgress &progress)
{
    const LoadedTable &p = state.Pechat;
    const std::string path = GetField(p.Header, p.Data, tag, FieldIndex(p.Header, schema::FAIL));
    pechat(state, pathFromCp1251(path), std::string(), progress);
}

void pechatdok(const AppState &s, const std::filesystem::path &templatePath, int employeeRecord,
               const OrderTables &orders, int currentOrderId)
{
    const std::filesystem::path templateFile = existingTemplate(templatePath);
    auto word = createApplication(documentApplicationFactory());
    word->open(templateFile);

    const std::string code = employeeCode(s, employeeRecord);
    Filler fill(s, *word);
    static const LoadedTable noTable;
    auto orNone = [](const LoadedTable *t) -> const LoadedTable & { return t ? *t : noTable; };
    struct Named {
        const char *name;
        const LoadedTable *table;
        bool ofOrder = false; // the journal, the order tables and the history: the printed order's record
    };
    const Named set[] = {{"OSNOVA", &s.Osnova},
                         {"PASSPORT", &s.Passport},
                         {"TRUD", &s.Trud, true}, // the change the order wrote, when it wrote one
                         {"ZHURDOK", &orNone(orders.ZhurDok), true},
                         {"PRIEM", &orNone(orders.Priem), true},
                         {"KOMAND", &orNone(orders.Komand), true},
                         {"UVOL", &orNone(orders.Uvol), true},
                         {"OTPUSK", &orNone(orders.Otpusk), true}};

    // The history record before the one this order wrote (by N_IZM), for <TRUD.PRED.*>.
    auto previousHistory = [&](const std::vector<int> &history) -> int {
        const int orderRecord = firstWhere(s.Trud, schema::ID_DOK, intToStr(currentOrderId));
        const std::string number = valueOf(s.Trud, orderRecord, schema::N_IZM);
        const int n = number.empty() ? 0 : strToInt(number) - 1;
        for (int r : history) {
            const std::string own = valueOf(s.Trud, r, schema::N_IZM);
            int32_t value = 0;
            if (tryStrToInt(own, value) && value == n)
                return r;
        }
        return 0;
    };

    int employeeMain = 0;
    for (const Named &n : set) {
        const std::string name = n.name;
        const LoadedTable &t = *n.table;
        const std::vector<int> records = recordsWhere(t, schema::KOD, code);
        if (records.empty()) {
            fill.everyField(name, t, 0);
            if (name == "TRUD")
                fill.replace("<TRUD>", "");
            continue;
        }
        const int last = n.ofOrder ? orderRecord(t, records, currentOrderId) : records.back();
        if (name == "OSNOVA")
            employeeMain = last;
        for (int f = 1; f <= FieldCount(t.Header); ++f) {
            const std::string field = fieldName(t.Header, f);
            const std::string value = GetField(t.Header, t.Data, last, f);
            if (field == "VID_RAB") {
                fill.replace(placeholder(name, field), cp(value == "0" ? "Основная работа" : "Временная работа"));
            } else if (field == "OTDEL") {
                fill.replace(placeholder(name, field), departmentName(s, value));
                if (name == "TRUD") {
                    const int previous = previousHistory(records);
                    fill.replace("<TRUD.PRED.OTDEL>", departmentName(s, valueOf(s.Trud, previous, schema::OTDEL)));
                }
            } else if (field == "DOLZH") {
                fill.replace(placeholder(name, field), positionName(s, value));
                if (name == "TRUD") {
                    // The previous position is taken from the previous history record, as the
                    // previous department is.
                    const int previous = previousHistory(records);
                    fill.replace("<TRUD.PRED.DOLZH>", positionName(s, valueOf(s.Trud, previous, schema::DOLZH)));
                }
            }
            fill.replace(placeholder(name, field), printedValue(value));
        }
    }

    // The salary in words is the one the order set, as its figures are: a reprinted older order
    // must not put today's salary into words.
    std::string orderSalary;
    bool salaryOfOrder = false;
    for (const LoadedTable *t : {orders.Priem, static_cast<const LoadedTable *>(&s.Trud)}) {
        if (const int r = t ? firstWhere(*t, schema::ID_DOK, intToStr(currentOrderId)) : 0; r > 0 && !salaryOfOrder) {
            orderSalary = valueOf(*t, r, schema::OKLAD);
            salaryOfOrder = true;
        }
    }
    fill.nameAndSalary(employeeMain, false, salaryOfOrder ? &orderSalary : nullptr);
    fill.referenceFields("DOLZH", s.Dolzh, valueOf(s.Osnova, employeeMain, schema::DOLZH));
    fill.referenceFields("OTDEL", s.Otdel, valueOf(s.Osnova, employeeMain, schema::OTDEL));
    fill.constants();

    showAndSave(s, *word, valueOf(s.Osnova, employeeMain, schema::FIO), documentNameOf(templatePath));
}

void printEmployeeList(const AppState &state, int cols, int rows,
                       const std::function<const std::string &(int col, int row)> &cell)
{
    auto word = createApplication(documentApplicationFactory());
    word->setVisible(true);
    Document &doc = word->add();
    const int table = doc.addTable(1, std::max(1, cols - 1));
    for (int r = 0; r < rows; ++r) {
        for (int c = 1; c < cols; ++c) {
            doc.setCellText(table, r + 1, c, cell(c, r));
            doc.setCellBold(table, r + 1, c, r == 0);
        }
        if (r < rows - 1)
            doc.addRow(table);
    }
    const std::filesystem::path output = pathFromCp1251(fileInFolder(state.OutputFolder, "Perechen.doc"));
    doc.saveAs(output);
    documentSaved(output);
}

} // namespace veltor
