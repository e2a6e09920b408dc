#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printing/RtfNewTable.h"
#include "printing/RtfReader.h"
#include "printing/WordApi.h"

// An RTF document opened for filling. The source bytes are kept as read; edits are kept beside
// them and applied when the document is written, so every byte an edit does not touch is saved
// as it was, and a document without edits is saved byte for byte.
//
// The document's text is held as characters, each knowing the source bytes it came from
// (see RtfReader). Replacing text deletes the source bytes of the characters it replaces and
// inserts the new characters where the first of them stood, inside the same groups and so in
// the same formatting; a search therefore sees through formatting runs, revision marks and
// bookmarks as a word processor's Find does. Inserted characters stay in the text, so later
// searches find them too.
namespace veltor {

class RtfDocument : public Document, public UnicodeTextDocument {
public:
    // Reads RTF bytes; `name` (UTF-8) names the document in messages. DocumentError when the
    // bytes are not RTF.
    RtfDocument(std::string bytes, std::string name);
    // Reads a file. DocumentError when it is missing, unreadable or not RTF.
    static std::unique_ptr<RtfDocument> open(const std::filesystem::path &path);
    // A new empty document: A4, Times New Roman, CP1251.
    static std::unique_ptr<RtfDocument> blank();

    // The document as RTF bytes, edits applied.
    std::string toBytes() const;
    // The visible text of the read or edited document (tables added by addTable not included)
    // in CP1251: paragraphs and rows end with "\n", cells with "\a", line breaks are "\v".
    std::string text() const;

    // Called after every successful saveAs with the path written.
    void setSaveListener(std::function<void(const std::filesystem::path &)> listener);

    // replaceAll and setCellText for text beyond CP1251 (written as \uN where the document's
    // code page cannot hold it). replaceAllUnicode returns the number of places replaced.
    int replaceAllUnicode(std::u32string_view text, std::u32string_view replacement) override;
    void setCellTextUnicode(int table, int row, int column, std::u32string_view text) override;

    std::string name() const override { return m_name; }
    void replaceAll(std::string_view text, std::string_view replacement) override;
    int tableCount() const override;
    int rowCount(int table) const override;
    int columnCount(int table, int row) const override;
    std::string cellText(int table, int row, int column) const override;
    void setCellText(int table, int row, int column, std::string_view text) override;
    void setCellBold(int table, int row, int column, bool bold) override;
    int addTable(int rows, int columns) override;
    void addRow(int table) override;
    void saveAs(const std::filesystem::path &path) override;
    std::filesystem::path savedPath() const override { return m_savedPath; }

private:
    // Where a character of the current text came from.
    struct Source {
        uint32_t begin;
        uint32_t end;
        uint8_t unicodeSkip;
        RtfOpenEnd openBefore;
        bool hidden;       // see RtfChar::hidden
        uint16_t codePage; // of the text at this character, for text inserted before it
    };
    // A cell of a read table: text positions [begin, end), `end` being its cell mark.
    struct CellRange {
        uint32_t begin;
        uint32_t end;
    };
    using TableRows = std::vector<std::vector<CellRange>>;

    void load(std::string bytes);
    int replaceText(std::u32string pattern, const std::u32string &inserted);
    bool isHidden(size_t position) const;
    void writeNewTablesIntoSource();
    const std::vector<TableRows> &tableIndex() const;
    int readTableCount() const { return static_cast<int>(tableIndex().size()); }
    const TableRows &readTable(int table) const;
    CellRange cellRange(int table, int row, int column) const;
    // A table made by addTable, or nullptr for a table of the read document.
    const RtfNewTable *newTable(int table) const;
    RtfNewTable *newTable(int table);
    void checkNewTableCell(const RtfNewTable &added, int table, int row, int column) const;
    void checkTable(int table) const;
    void replaceRange(uint32_t begin, uint32_t end, std::u32string_view text, uint32_t format);
    std::string textOf(uint32_t begin, uint32_t end, bool forCell) const;
    // The nested table a read character belongs to, or -1.
    int nestedTableOf(uint32_t character) const;
    void appendNewTables(std::string &out) const;

    std::string m_name;
    std::string m_bytes;
    std::vector<Source> m_sources;  // characters as read, in source order
    std::vector<uint8_t> m_deleted; // per read character: its bytes are not written
    std::vector<RtfSpan> m_nestedTables;       // see RtfReader::nestedTables
    std::vector<uint8_t> m_nestedTableDeleted; // its cell was replaced: only its braces are written
    // The current text: the characters, their case-folded form for searching, and where each
    // came from (a read character, or text inserted at a read character; see RtfDocument.cpp).
    std::vector<char32_t> m_text;
    std::vector<char32_t> m_folded;
    std::vector<uint32_t> m_origin;
    uint32_t m_documentEnd = 0;
    int m_openGroupsAtEnd = 0;
    bool m_hasHidden = false;   // some read character is hidden from Find
    int m_plainCodePage = 1252; // of text in the default font, for tables added at the end
    bool m_blank = false;       // made by blank(): new tables go at the start of its body
    uint32_t m_newTablesAt = 0; // source position where new tables are written
    std::vector<RtfNewTable> m_newTables;
    mutable std::optional<std::vector<TableRows>> m_tables;
    std::filesystem::path m_savedPath;
    std::function<void(const std::filesystem::path &)> m_saveListener;
};

} // namespace veltor
