#pragma once
#include <filesystem>
#include <functional>
#include <string>

#include "records/AppState.h"
#include "printing/WordApi.h"
#include "text/Convert.h"

// Filling document templates from the loaded tables: personnel documents (pechat), HR orders
// (pechatdok) and the printed employee list. The logic talks only to the document interface.
namespace veltor {

// The application factory printing uses; tests put their own in place.
const ApplicationFactory &documentApplicationFactory();
void setDocumentApplicationFactory(ApplicationFactory factory);

// The card's progress bar while a personnel document is filled.
struct PrintProgress {
    std::function<void()> show;
    std::function<void(int)> set;
    std::function<void()> hide;
};

// The orders window's own tables, loaded each time it is shown.
struct OrderTables {
    const LoadedTable *ZhurDok = nullptr;
    const LoadedTable *Priem = nullptr;
    const LoadedTable *Komand = nullptr;
    const LoadedTable *Uvol = nullptr;
    const LoadedTable *Otpusk = nullptr;
};

// "Файл шаблона не найден" and "Word не найден" are raised as DocumentError; so is any
// failing document call, which ends the operation with nothing saved.

// A personnel document for the current employee (CurMainRec). A template whose path contains
// "т-2.rtf" or "т-2.docx" (Latin letters in any case) is the personal card: its tables 20 and 12 get the
// employment history and the family from row 3.
void pechat(const AppState &state, const std::filesystem::path &templatePath,
            const std::string &continuation, const PrintProgress &progress = {});

// Pechat record `tag` (1-based) printed with pechat for the current employee.
void printPechatTemplate(const AppState &state, int tag, const PrintProgress &progress = {});

// An HR order for the employee of main-table record `employeeRecord`; `currentOrderId` is the
// order printed: the journal and order tables give its records (the employee's last record only
// where a table holds none of it), and <TRUD.PRED.OTDEL> and <TRUD.PRED.DOLZH> look behind the
// history record it wrote.
void pechatdok(const AppState &state, const std::filesystem::path &templatePath,
               int employeeRecord, const OrderTables &orders, int currentOrderId);

// The employee list as a table with a bold heading row, saved as OutputFolder + "Perechen.doc".
// cell(c, r) gives the list's cells, r = 0 the headings; column 0 is not printed.
void printEmployeeList(const AppState &state, int cols, int rows,
                       const std::function<const std::string &(int col, int row)> &cell);

// The output file of a printed document: OutputFolder + "<name> <document> <date>" + the
// extension, with " (2)", " (3)" ... when a file of that name exists, so no printed document is
// replaced; or "temp" + the extension when printed documents are not kept. The extension is the
// document's format (".docx" for a document filled from a .docx template). The name is made a
// file name: separators and characters no file name may hold become "_", so it can never point
// outside the folder.
std::filesystem::path outputDocumentPath(const AppState &state, const std::string &employeeName,
                                         const std::string &documentName, const Date &date,
                                         const std::string &extension = ".doc");
// The document's name in output file names: the template's file name without its extension.
std::string documentNameOf(const std::filesystem::path &templatePath);

// A file of a folder as the settings give the folder (CP1251): a separator is put between them
// when the folder's text does not end in one, so "…/Документы" and "…/Документы/" name the same
// file. An empty folder leaves the name as it is.
std::string fileInFolder(const std::string &folder, const std::string &name);
// The folder's text as it is stored: ending in a separator (config.ini's files expect one),
// empty when empty.
std::string withFinalSeparator(std::string folder);

// Called with every document printing saves, after it is saved (the main window names it in
// its status bar). Empty for none.
void setDocumentSavedListener(std::function<void(const std::filesystem::path &)> listener);

// True for the personal card template (see pechat).
bool isPersonalCardTemplate(const std::filesystem::path &templatePath);

} // namespace veltor
