#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// What printing needs of a word processor: one operation per call the documents code makes.
// The printing logic talks only to these two classes, so it runs the same against the RTF
// engine and against a test double. Texts are CP1251 bytes, as the tables store them; tables,
// rows and columns are numbered from 1. Every failure raises DocumentError (text/Errors.h)
// with a message naming the document.
namespace veltor {

// One open document (Word's Document).
class Document {
public:
    virtual ~Document() = default;

    // The name used in messages: the file opened, or the name the document was saved under.
    virtual std::string name() const = 0;
    // The extension a document of this format is saved under: ".doc" for RTF (the name Word
    // opens it by), ".docx" for Office Open XML.
    virtual std::string fileExtension() const { return ".doc"; }

    // Find and replace all (Selection.Find with Forward, Wrap = continue, Replace = all and
    // every other option off): every occurrence of `text` anywhere in the document's text,
    // letters compared without regard to case, is replaced by `replacement`, left to right
    // and without overlapping; the replacement is not searched again by this call, but later
    // calls see it. The replacement takes the formatting of the first character it replaces
    // and is inserted literally (a line break in it starts a new line). An empty `text`
    // changes nothing.
    virtual void replaceAll(std::string_view text, std::string_view replacement) = 0;

    // ActiveDocument.Tables.Count: the top-level tables of the main text in document order;
    // a table nested in a cell is part of its cell, not a table of its own.
    virtual int tableCount() const = 0;
    // Tables.Item(table).Rows.Count.
    virtual int rowCount(int table) const = 0;
    // The cells of one row (the Cell(row, n) that exist).
    virtual int columnCount(int table, int row) const = 0;

    // Tables.Item(table).Cell(row, column).Range.Text: the cell's text, paragraphs separated
    // by "\r", without the end-of-cell mark.
    virtual std::string cellText(int table, int row, int column) const = 0;
    // Tables.Item(table).Cell(row, column).Range.Text <- text: the cell's whole content, tables
    // nested in it included, becomes `text` in the formatting of the cell's first character
    // outside a nested table.
    virtual void setCellText(int table, int row, int column, std::string_view text) = 0;
    // Cell(row, column).Range.Font.Bold <- bold.
    virtual void setCellBold(int table, int row, int column, bool bold) = 0;

    // Range.Paragraphs.Add, then Tables.Add(range, rows, columns): a paragraph and a table with
    // single-line borders at the end of the document. Returns the new table's number.
    virtual int addTable(int rows, int columns) = 0;
    // Tables.Item(table).Rows.Add: an empty row at the end of a table made by addTable, with as
    // many cells as its last row.
    virtual void addRow(int table) = 0;

    // SaveAs(path): the whole document written to `path` (replaced atomically; a failed write
    // leaves no partial file), in the format it was read in whatever the file's extension.
    virtual void saveAs(const std::filesystem::path &path) = 0;
    // Where the document was last saved; empty before the first saveAs.
    virtual std::filesystem::path savedPath() const = 0;
};

// A document that also takes text beyond CP1251, for values that do not come from the tables
// (docfill's command line): the RTF engine writes it as \uN, Office Open XML holds it as it is.
class UnicodeTextDocument {
public:
    virtual ~UnicodeTextDocument() = default;
    // replaceAll; returns the number of places replaced.
    virtual int replaceAllUnicode(std::u32string_view text, std::u32string_view replacement) = 0;
    // setCellText.
    virtual void setCellTextUnicode(int table, int row, int column, std::u32string_view text) = 0;
};

// The word processor (Word's Application object).
class DocumentApplication {
public:
    virtual ~DocumentApplication() = default;

    // Documents.Open(path): the file becomes the active document. A missing file, or a file the
    // application cannot read (for our engines: anything that is neither RTF nor .docx), raises
    // DocumentError naming it.
    virtual Document &open(const std::filesystem::path &path) = 0;
    // Documents.Add("Normal", false): a new empty document becomes the active document.
    virtual Document &add() = 0;
    // ActiveDocument; DocumentError when no document is open.
    virtual Document &activeDocument() = 0;

    // Visible <- visible. While the application is visible, the user sees every document it has
    // saved: setting it visible shows the documents saved so far, and a document saved while it
    // is visible is shown when it is saved.
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
};

// Shows a saved document to the user.
using FileOpener = std::function<void(const std::filesystem::path &)>;

// The desktop's default application for the file (xdg-open on Linux, never through a shell).
// The opener runs on its own; when it cannot be started or ends in failure (no application for
// the file's type), the viewer failure handler is called later from the event loop with the
// file and the reason (Russian, UTF-8).
void openWithDesktop(const std::filesystem::path &file);

using ViewerFailureHandler =
    std::function<void(const std::filesystem::path &file, const std::string &reason)>;
// The program tells the clerk; without a handler the failure is only logged.
void setViewerFailureHandler(ViewerFailureHandler handler);

// Makes the application object; the printing code is given one so tests can supply their own.
using ApplicationFactory = std::function<std::unique_ptr<DocumentApplication>()>;

// Our engines: RTF, and Office Open XML for templates that are .docx (told by their content);
// documents are shown through `opener`.
ApplicationFactory rtfApplicationFactory(FileOpener opener = openWithDesktop);

// CreateOleObject("Word.Application"): the factory's application, invisible. An empty factory,
// one that returns nothing and one that fails all raise DocumentError "Word не найден".
std::unique_ptr<DocumentApplication> createApplication(const ApplicationFactory &factory);

// The documents code's find-and-replace-all in the active document of `word`.
void zamenaVDokumente(std::string_view text, std::string_view replacement,
                      DocumentApplication &word);

} // namespace veltor
