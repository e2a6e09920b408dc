#pragma once
#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printing/WordApi.h"
#include "printing/XmlTree.h"
#include "printing/ZipArchive.h"

// A Word 2007+ document (.docx, Office Open XML) opened for filling: a zip archive of XML parts.
// The parts holding text (the body, headers, footers, footnotes and endnotes) are read into
// element trees and written back only when changed; every other part is saved as it was read.
//
// Find sees the text of <w:t> elements across runs as Word does: a placeholder Word split into
// several runs (spell-check marks, revision ids, formatting changed mid-word) is found, and its
// text is replaced in the first run, in that run's formatting. Hidden text (<w:vanish/>),
// tracked deletions and comment marks are passed over; paragraphs, cells, tabs, breaks and
// pictures stop a match.
namespace veltor {

class DocxDocument : public Document, public UnicodeTextDocument {
public:
    // Reads the archive's bytes; `name` (UTF-8) names the document in messages. DocumentError
    // when they are not a Word document.
    DocxDocument(std::string bytes, std::string name);
    ~DocxDocument() override;

    // The document as .docx bytes, edits applied.
    std::string toBytes() const;
    // The text of the body, headers and footers (CP1251): paragraphs end with "\n", cells with
    // "\a"; for tests.
    std::string text() const;

    void setSaveListener(std::function<void(const std::filesystem::path &)> listener);

    std::string name() const override { return m_name; }
    std::string fileExtension() const override { return ".docx"; }
    void replaceAll(std::string_view text, std::string_view replacement) override;
    int replaceAllUnicode(std::u32string_view text, std::u32string_view replacement) override;
    int tableCount() const override;
    int rowCount(int table) const override;
    int columnCount(int table, int row) const override;
    std::string cellText(int table, int row, int column) const override;
    void setCellText(int table, int row, int column, std::string_view text) override;
    void setCellTextUnicode(int table, int row, int column, std::u32string_view text) override;
    void setCellBold(int table, int row, int column, bool bold) override;
    int addTable(int rows, int columns) override;
    void addRow(int table) override;
    void saveAs(const std::filesystem::path &path) override;
    std::filesystem::path savedPath() const override { return m_savedPath; }

private:
    struct Part {
        size_t entry;                  // in m_entries
        std::unique_ptr<XmlNode> root; // the parsed part
        bool changed = false;
    };
    // One character of a part's text: a character of a <w:t>, or a mark that stops a match.
    enum class Mark : uint8_t { None, Paragraph, Cell, Row, Tab, Break, Other };
    struct Character {
        XmlNode *node = nullptr; // the text node, nullptr for a mark
        int offset = 0;          // in the node's text
        char16_t code = 0;
        Mark mark = Mark::None;
        bool hidden = false;
    };
    static void collect(const XmlNode &node, bool hidden, std::vector<Character> &out);

    int replaceText(const QString &text, const QString &replacement);
    int replaceInPart(Part &part, const std::u16string &pattern, const QString &replacement);
    void replaceMatch(const std::vector<Character> &chars, size_t first, size_t last,
                      const QString &replacement);
    static std::vector<Character> charactersOf(const XmlNode &root);
    static std::string visibleText(const std::vector<Character> &chars, bool forCell);
    const std::vector<XmlNode *> &tables() const;
    XmlNode *cell(int table, int row, int column) const;
    void checkTable(int table) const;
    void setCellContent(XmlNode &cell, const QString &text, std::optional<bool> bold);

    std::string m_name;
    std::vector<ZipEntry> m_entries;
    std::vector<Part> m_parts; // the main part first
    mutable std::optional<std::vector<XmlNode *>> m_tables;
    std::filesystem::path m_savedPath;
    std::function<void(const std::filesystem::path &)> m_saveListener;
};

// True for bytes that begin like a zip archive (a .docx).
bool looksLikeZip(std::string_view bytes);

} // namespace veltor
