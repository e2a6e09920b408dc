#include "printing/RtfDocument.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "printing/CodePages.h"
#include "printing/DocumentFiles.h"
#include "printing/RtfReader.h"
#include "printing/RtfText.h"
#include "printing/RtfTokenizer.h"
#include "text/Errors.h"

namespace veltor {

namespace {

// m_origin of a text position: a read character's number, or, with the Inserted bit, the
// number of the read character before whose bytes the inserted character is written, with
// the formatting it is written in.
constexpr uint32_t Inserted = 1u << 31;
constexpr int FormatShift = 29;
constexpr uint32_t FormatMask = 3u << FormatShift;
constexpr uint32_t IndexMask = (1u << FormatShift) - 1;
constexpr uint32_t InheritFormat = 0;
constexpr uint32_t BoldFormat = 1u << FormatShift;
constexpr uint32_t NotBoldFormat = 2u << FormatShift;

// Text width of an A4 page with 3 cm and 1.5 cm side margins, in twips.
constexpr int NewTableWidth = 9355;
// Word allows at most 63 columns in a table.
constexpr int MaxNewTableColumns = 63;

constexpr std::string_view BlankHead =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049\\uc1\n"
    "{\\fonttbl{\\f0\\froman\\fcharset204\\fprq2 Times New Roman;}}\n"
    "{\\colortbl;\\red0\\green0\\blue0;}\n"
    "{\\stylesheet{\\ql\\widctlpar\\f0\\fs24\\lang1049\\snext0 Normal;}}\n"
    "\\paperw11906\\paperh16838\\margl1701\\margr850\\margt1134\\margb1134"
    "\\widowctrl\\ftnbj\\viewkind1\\sectd\n";
constexpr std::string_view BlankBody = "\\pard\\plain\\ql\\widctlpar\\f0\\fs24\\lang1049 \\par}\n";

// What a file that is not RTF is, for the message.
std::string notRtfMessage(std::string_view bytes, const std::string &name)
{
    if (bytes.substr(0, 4) == std::string_view("\xD0\xCF\x11\xE0", 4))
        return "Документ «" + name
               + "» сохранён в двоичном формате Word (.doc), а не в RTF. Сохраните его в Word "
                 "или LibreOffice как «Текст в формате RTF»";
    if (bytes.substr(0, 2) == "PK")
        return "Документ «" + name
               + "» сохранён в формате Word 2007 (.docx), а не в RTF. Сохраните его в Word "
                 "или LibreOffice как «Текст в формате RTF»";
    return "Файл «" + name + "» не является документом RTF";
}

class CharacterCounter : public RtfSink {
public:
    void character(const RtfChar &) override { ++count; }
    size_t count = 0;
};

// What keeps text written after an open end from joining it.
std::string_view separatorAfter(RtfOpenEnd open)
{
    switch (open) {
    case RtfOpenEnd::ControlWord: return " ";
    case RtfOpenEnd::HexEscape: return "{}";
    case RtfOpenEnd::None: break;
    }
    return {};
}

bool isVisible(char32_t c) { return !isMark(c); }

// What is left of RTF bytes that are dropped: the groups they close and the heads of the groups
// they open ("{", "\\*" and the destination word), so that the groups around them stay balanced
// and what follows stays in the destination it was in. A group both opened and closed in the
// bytes goes entirely. "{}" when nothing is left, so that what comes before cannot join what
// comes after.
void appendGroupsOf(std::string &out, std::string_view bytes)
{
    const size_t before = out.size();
    std::vector<size_t> opened; // where each group opened here starts in `out`
    RtfTokenizer tokenizer(bytes);
    bool head = false;      // the token follows "{" or "{\\*"
    bool ignorable = false; // and that was "{\\*"
    for (RtfToken token = tokenizer.next(); token.type != RtfToken::Type::End; token = tokenizer.next()) {
        const bool wasHead = head;
        head = false;
        if (!wasHead)
            ignorable = false;
        switch (token.type) {
        case RtfToken::Type::GroupStart:
            opened.push_back(out.size());
            out.push_back('{');
            head = true;
            break;
        case RtfToken::Type::GroupEnd:
            if (opened.empty()) {
                out.push_back('}');
            } else {
                out.resize(opened.back());
                opened.pop_back();
            }
            break;
        case RtfToken::Type::ControlSymbol:
            if (wasHead && token.symbol == '*') {
                out.append("\\*");
                head = true;
                ignorable = true;
            }
            break;
        case RtfToken::Type::ControlWord:
            if (wasHead && (ignorable || RtfReader::isDestinationWord(token.word))) {
                out.append(bytes.substr(token.begin, token.end - token.begin));
                if (!token.delimitedByBlank)
                    out.push_back(' ');
            }
            break;
        default:
            break;
        }
    }
    if (out.size() == before)
        out.append("{}");
}

// Closes the groups a damaged document leaves open at its end, its own included: word
// processors refuse a document that does not close.
void closeOpenGroups(std::string &out)
{
    RtfTokenizer tokenizer(out);
    int depth = 0;
    RtfToken last;
    RtfToken binary; // the last \\binN
    for (RtfToken token = tokenizer.next(); token.type != RtfToken::Type::End; token = tokenizer.next()) {
        if (token.type == RtfToken::Type::GroupStart)
            ++depth;
        else if (token.type == RtfToken::Type::GroupEnd && depth > 0)
            --depth;
        else if (token.type == RtfToken::Type::ControlWord && token.word == "bin")
            binary = token;
        last = token;
    }
    // \\binN data cut short would take the closing braces for data: the cut data goes.
    if (last.type == RtfToken::Type::Binary && last.end - last.begin < static_cast<uint32_t>(binary.parameter)) {
        out.resize(binary.begin);
        closeOpenGroups(out);
        return;
    }
    // A lone backslash at the end reads as one; followed by a brace it would make that brace
    // text instead.
    if (last.type == RtfToken::Type::ControlSymbol && last.symbol == '\\' && last.end - last.begin == 1)
        out.push_back('\\');
    out.append(static_cast<size_t>(depth), '}');
}

} // namespace

RtfDocument::RtfDocument(std::string bytes, std::string name) : m_name(std::move(name))
{
    load(std::move(bytes));
}

std::unique_ptr<RtfDocument> RtfDocument::open(const std::filesystem::path &path)
{
    return std::make_unique<RtfDocument>(readDocumentFile(path), displayPath(path));
}

std::unique_ptr<RtfDocument> RtfDocument::blank()
{
    std::string bytes;
    bytes.append(BlankHead).append(BlankBody);
    auto document = std::make_unique<RtfDocument>(std::move(bytes), "Документ1");
    document->m_blank = true;
    document->m_newTablesAt = static_cast<uint32_t>(BlankHead.size());
    return document;
}

void RtfDocument::load(std::string bytes)
{
    if (!std::string_view(bytes).starts_with("{\\rtf"))
        throw DocumentError(notRtfMessage(bytes, m_name));
    if (bytes.size() > MaxDocumentSize)
        throw DocumentError("Документ «" + m_name + "» слишком велик");

    // Each character of text costs about 30 bytes here. Counted first, so that the vectors are
    // made once at their size and a document too large to hold is refused before any of it is.
    CharacterCounter counter;
    RtfReader(bytes).read(counter);
    if (counter.count > MaxDocumentCharacters)
        throw DocumentError("Документ «" + m_name + "» слишком велик: в нём больше "
                            + std::to_string(MaxDocumentCharacters / 1000000)
                            + " млн знаков текста. Шаблоны документов много меньше; проверьте, "
                              "тот ли это файл");
    m_bytes = std::move(bytes);

    class Collector : public RtfSink {
    public:
        explicit Collector(RtfDocument &d) : m_d(d) {}
        void character(const RtfChar &c) override
        {
            m_d.m_sources.push_back(Source{c.begin, c.end, c.unicodeSkip, c.openBefore, c.hidden, c.codePage});
            m_d.m_hasHidden = m_d.m_hasHidden || c.hidden;
            m_d.m_text.push_back(c.code);
        }

    private:
        RtfDocument &m_d;
    };
    const size_t count = counter.count;
    m_sources.clear();
    m_text.clear();
    m_hasHidden = false;
    m_sources.reserve(count);
    m_text.reserve(count);
    Collector collector(*this);
    RtfReader reader(m_bytes);
    reader.read(collector);

    m_origin.resize(m_text.size());
    m_folded.resize(m_text.size());
    for (size_t i = 0; i < m_text.size(); ++i) {
        m_origin[i] = static_cast<uint32_t>(i);
        m_folded[i] = foldCase(m_text[i]);
    }
    m_deleted.assign(m_text.size(), 0);
    m_documentEnd = reader.documentEnd();
    m_plainCodePage = reader.plainCodePage();
    m_openGroupsAtEnd = reader.openGroupsAtEnd();
    m_nestedTables = reader.nestedTables();
    m_nestedTableDeleted.assign(m_nestedTables.size(), 0);
    m_newTablesAt = m_documentEnd;
    m_tables.reset();
}

void RtfDocument::setSaveListener(std::function<void(const std::filesystem::path &)> listener)
{
    m_saveListener = std::move(listener);
}

void RtfDocument::replaceAll(std::string_view text, std::string_view replacement)
{
    replaceText(fromCp1251(text), documentTextOf(replacement));
}

int RtfDocument::replaceAllUnicode(std::u32string_view text, std::u32string_view replacement)
{
    return replaceText(std::u32string(text), documentTextOf(replacement));
}

void RtfDocument::setCellTextUnicode(int table, int row, int column, std::u32string_view text)
{
    checkTable(table);
    if (newTable(table) != nullptr) {
        setCellText(table, row, column, toCp1251(text));
        return;
    }
    const CellRange range = cellRange(table, row, column);
    replaceRange(range.begin, range.end, documentTextOf(text), InheritFormat);
}

bool RtfDocument::isHidden(size_t position) const
{
    const uint32_t o = m_origin[position];
    return !(o & Inserted) && m_sources[o].hidden;
}

int RtfDocument::replaceText(std::u32string pattern, const std::u32string &inserted)
{
    if (pattern.empty())
        return 0;
    writeNewTablesIntoSource();
    for (char32_t &c : pattern)
        c = foldCase(c);
    const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());

    // Hidden text, tracked deletions and comment marks are not searched, as Find passes over
    // them; one inside a match goes with it. Without them the text is searched as it is.
    std::vector<uint32_t> visible;
    std::vector<char32_t> visibleFolded;
    if (m_hasHidden) {
        visible.reserve(m_folded.size());
        visibleFolded.reserve(m_folded.size());
        for (size_t i = 0; i < m_folded.size(); ++i)
            if (!isHidden(i)) {
                visible.push_back(static_cast<uint32_t>(i));
                visibleFolded.push_back(m_folded[i]);
            }
    }
    const std::vector<char32_t> &searched = m_hasHidden ? visibleFolded : m_folded;
    struct Match {
        size_t begin;
        size_t end;
    };
    std::vector<Match> matches;
    auto from = searched.begin();
    for (;;) {
        const auto found = searcher(from, searched.end()).first;
        if (found == searched.end())
            break;
        const auto first = static_cast<size_t>(found - searched.begin());
        const size_t last = first + pattern.size() - 1;
        if (m_hasHidden)
            matches.push_back(Match{visible[first], visible[last] + size_t(1)});
        else
            matches.push_back(Match{first, last + 1});
        from = found + static_cast<std::ptrdiff_t>(pattern.size());
    }
    if (matches.empty())
        return 0;

    size_t replaced = 0;
    for (const Match &match : matches)
        replaced += match.end - match.begin;
    const size_t newSize = m_text.size() - replaced + matches.size() * inserted.size();
    std::vector<char32_t> text2, folded2;
    std::vector<uint32_t> origin2;
    text2.reserve(newSize);
    folded2.reserve(newSize);
    origin2.reserve(newSize);
    size_t pos = 0;
    auto copyUpTo = [&](size_t end) {
        text2.insert(text2.end(), m_text.begin() + pos, m_text.begin() + end);
        folded2.insert(folded2.end(), m_folded.begin() + pos, m_folded.begin() + end);
        origin2.insert(origin2.end(), m_origin.begin() + pos, m_origin.begin() + end);
    };
    for (const Match &match : matches) {
        copyUpTo(match.begin);
        // The replacement goes where the first replaced character is written, in its format.
        const uint32_t first = m_origin[match.begin];
        const uint32_t origin = (first & Inserted) ? first : (Inserted | first);
        for (size_t k = match.begin; k < match.end; ++k) {
            const uint32_t o = m_origin[k];
            if (!(o & Inserted))
                m_deleted[o] = 1;
        }
        for (char32_t c : inserted) {
            text2.push_back(c);
            folded2.push_back(foldCase(c));
            origin2.push_back(origin);
        }
        pos = match.end;
    }
    copyUpTo(m_text.size());
    m_text.swap(text2);
    m_folded.swap(folded2);
    m_origin.swap(origin2);
    m_tables.reset();
    return static_cast<int>(matches.size());
}

const std::vector<RtfDocument::TableRows> &RtfDocument::tableIndex() const
{
    if (m_tables)
        return *m_tables;
    // A top-level table is a run of rows (\row) not parted by a paragraph outside tables. A
    // cell holds the text between the previous boundary (a cell or row mark, or the paragraph
    // before the table) and its cell mark; nested tables are part of that text.
    std::vector<TableRows> tables;
    TableRows rows;
    std::vector<CellRange> cells;
    uint32_t cellStart = 0;
    auto closeTable = [&] {
        if (!cells.empty())
            rows.push_back(std::move(cells));
        cells.clear();
        if (!rows.empty())
            tables.push_back(std::move(rows));
        rows.clear();
    };
    const auto count = static_cast<uint32_t>(m_text.size());
    for (uint32_t i = 0; i < count; ++i) {
        switch (m_text[i]) {
        case BodyParagraphMark:
            closeTable();
            cellStart = i + 1;
            break;
        case CellMark:
            cells.push_back(CellRange{cellStart, i});
            cellStart = i + 1;
            break;
        case RowMark:
            if (!cells.empty())
                rows.push_back(std::move(cells));
            cells.clear();
            cellStart = i + 1;
            break;
        default:
            break;
        }
    }
    closeTable();
    m_tables = std::move(tables);
    return *m_tables;
}

void RtfDocument::checkTable(int table) const
{
    if (table < 1 || table > tableCount())
        throw DocumentError("В документе «" + m_name + "» нет таблицы " + std::to_string(table)
                            + " (таблиц в нём: " + std::to_string(tableCount()) + ")");
}

const RtfDocument::TableRows &RtfDocument::readTable(int table) const
{
    return tableIndex()[static_cast<size_t>(table - 1)];
}

const RtfNewTable *RtfDocument::newTable(int table) const
{
    const int index = table - readTableCount() - 1;
    if (index < 0 || index >= static_cast<int>(m_newTables.size()))
        return nullptr;
    return &m_newTables[static_cast<size_t>(index)];
}

RtfDocument::CellRange RtfDocument::cellRange(int table, int row, int column) const
{
    checkTable(table);
    const TableRows &rows = readTable(table);
    if (row < 1 || row > static_cast<int>(rows.size()) || column < 1
        || column > static_cast<int>(rows[static_cast<size_t>(row - 1)].size()))
        throw DocumentError("В таблице " + std::to_string(table) + " документа «" + m_name
                            + "» нет ячейки в строке " + std::to_string(row) + ", столбце "
                            + std::to_string(column));
    return rows[static_cast<size_t>(row - 1)][static_cast<size_t>(column - 1)];
}

RtfNewTable *RtfDocument::newTable(int table)
{
    return const_cast<RtfNewTable *>(std::as_const(*this).newTable(table));
}

void RtfDocument::checkNewTableCell(const RtfNewTable &added, int table, int row, int column) const
{
    if (!added.hasCell(row, column))
        throw DocumentError("В таблице " + std::to_string(table) + " документа «" + m_name
                            + "» нет ячейки в строке " + std::to_string(row) + ", столбце "
                            + std::to_string(column));
}

int RtfDocument::tableCount() const
{
    return readTableCount() + static_cast<int>(m_newTables.size());
}

int RtfDocument::rowCount(int table) const
{
    checkTable(table);
    if (const RtfNewTable *added = newTable(table))
        return added->rowCount();
    return static_cast<int>(readTable(table).size());
}

int RtfDocument::columnCount(int table, int row) const
{
    checkTable(table);
    if (const RtfNewTable *added = newTable(table))
        return added->columnCount(row);
    const TableRows &rows = readTable(table);
    if (row < 1 || row > static_cast<int>(rows.size()))
        return 0;
    return static_cast<int>(rows[static_cast<size_t>(row - 1)].size());
}

std::string RtfDocument::cellText(int table, int row, int column) const
{
    checkTable(table);
    if (const RtfNewTable *added = newTable(table)) {
        checkNewTableCell(*added, table, row, column);
        return added->text(row, column);
    }
    const CellRange range = cellRange(table, row, column);
    return textOf(range.begin, range.end, true);
}

void RtfDocument::setCellText(int table, int row, int column, std::string_view text)
{
    checkTable(table);
    if (RtfNewTable *added = newTable(table)) {
        checkNewTableCell(*added, table, row, column);
        added->setText(row, column, text);
        return;
    }
    const CellRange range = cellRange(table, row, column);
    replaceRange(range.begin, range.end, documentTextOf(text), InheritFormat);
}

void RtfDocument::setCellBold(int table, int row, int column, bool bold)
{
    checkTable(table);
    if (RtfNewTable *added = newTable(table)) {
        checkNewTableCell(*added, table, row, column);
        added->setBold(row, column, bold);
        return;
    }
    // A read cell is rewritten with its own text, bold or not as a whole.
    const CellRange range = cellRange(table, row, column);
    const std::string text = textOf(range.begin, range.end, true);
    replaceRange(range.begin, range.end, documentTextOf(text), bold ? BoldFormat : NotBoldFormat);
}

int RtfDocument::addTable(int rows, int columns)
{
    if (rows < 1 || columns < 1 || columns > MaxNewTableColumns)
        throw DocumentError("Таблицу из " + std::to_string(rows) + " строк и "
                            + std::to_string(columns) + " столбцов нельзя добавить в документ «"
                            + m_name + "»");
    m_newTables.emplace_back(rows, columns);
    return tableCount();
}

void RtfDocument::addRow(int table)
{
    checkTable(table);
    RtfNewTable *added = newTable(table);
    if (added == nullptr)
        throw DocumentError("В таблицу " + std::to_string(table) + " документа «" + m_name
                            + "» строки не добавляются: это таблица шаблона");
    added->addRow();
}

void RtfDocument::replaceRange(uint32_t begin, uint32_t end, std::u32string_view text,
                               uint32_t format)
{
    // Only the main text of the range is replaced: a header, footer or footnote whose bytes lie
    // in the range (a footnote in the cell, the section's headers before a table at the start
    // of the document) is kept. The new text is written where the first visible character of
    // the range is, in its formatting; a range without one gets it before its cell mark.
    // A nested table in the range goes as a whole (see RtfReader::nestedTables); the new text
    // is never written inside it.
    uint32_t anchor = m_origin[end] & IndexMask;
    uint32_t anchorFormat = InheritFormat;
    int depth = 0;
    for (uint32_t i = begin; i < end; ++i) {
        const char32_t c = m_text[i];
        if (c == StoryStartMark)
            ++depth;
        else if (c == StoryEndMark)
            --depth;
        // Not in hidden text: the new text would be hidden with it.
        else if (depth == 0 && isVisible(c) && !isHidden(i) && nestedTableOf(m_origin[i] & IndexMask) < 0) {
            anchor = m_origin[i] & IndexMask;
            anchorFormat = m_origin[i] & Inserted ? m_origin[i] & FormatMask : InheritFormat;
            break;
        }
    }
    if (format == InheritFormat)
        format = anchorFormat;
    const uint32_t origin = Inserted | format | anchor;

    std::vector<char32_t> text2;
    std::vector<uint32_t> origin2;
    text2.reserve(text.size());
    origin2.reserve(text.size());
    bool textPlaced = false;
    auto placeText = [&] {
        text2.insert(text2.end(), text.begin(), text.end());
        origin2.insert(origin2.end(), text.size(), origin);
        textPlaced = true;
    };
    depth = 0;
    for (uint32_t i = begin; i < end; ++i) {
        const char32_t c = m_text[i];
        const uint32_t o = m_origin[i];
        const bool inStory = depth > 0 || c == StoryStartMark;
        if (c == StoryStartMark)
            ++depth;
        else if (c == StoryEndMark)
            --depth;
        const int nested = nestedTableOf(o & IndexMask);
        if (nested >= 0) {
            m_nestedTableDeleted[static_cast<size_t>(nested)] = 1;
            if (!(o & Inserted))
                m_deleted[o] = 1;
        } else if (inStory) {
            if (!textPlaced && (o & IndexMask) >= anchor)
                placeText();
            text2.push_back(c);
            origin2.push_back(o);
        } else if (!(o & Inserted)) {
            m_deleted[o] = 1;
        }
    }
    if (!textPlaced)
        placeText();
    std::vector<char32_t> folded2(text2.size());
    std::transform(text2.begin(), text2.end(), folded2.begin(), foldCase);

    m_text.erase(m_text.begin() + begin, m_text.begin() + end);
    m_text.insert(m_text.begin() + begin, text2.begin(), text2.end());
    m_folded.erase(m_folded.begin() + begin, m_folded.begin() + end);
    m_folded.insert(m_folded.begin() + begin, folded2.begin(), folded2.end());
    m_origin.erase(m_origin.begin() + begin, m_origin.begin() + end);
    m_origin.insert(m_origin.begin() + begin, origin2.begin(), origin2.end());

    // The table structure is unchanged; positions after the range move.
    if (m_tables) {
        const auto delta = static_cast<int64_t>(text2.size()) - static_cast<int64_t>(end - begin);
        for (TableRows &rows : *m_tables)
            for (auto &cells : rows)
                for (CellRange &cell : cells) {
                    if (cell.begin > begin)
                        cell.begin = static_cast<uint32_t>(cell.begin + delta);
                    if (cell.end >= end)
                        cell.end = static_cast<uint32_t>(cell.end + delta);
                }
    }
}

int RtfDocument::nestedTableOf(uint32_t character) const
{
    if (m_nestedTables.empty() || character >= m_sources.size())
        return -1;
    const uint32_t at = m_sources[character].begin;
    auto it = std::upper_bound(m_nestedTables.begin(), m_nestedTables.end(), at,
                               [](uint32_t position, const RtfSpan &t) { return position < t.begin; });
    if (it == m_nestedTables.begin() || at >= (it - 1)->end)
        return -1;
    return static_cast<int>(it - 1 - m_nestedTables.begin());
}

std::string RtfDocument::textOf(uint32_t begin, uint32_t end, bool forCell) const
{
    // A cell's text is its main text; the whole document's text includes every story.
    std::string result;
    int depth = 0;
    for (uint32_t i = begin; i < end; ++i) {
        const char32_t c = m_text[i];
        if (c == StoryStartMark)
            ++depth;
        else if (c == StoryEndMark)
            --depth;
        if (forCell && (depth > 0 || c == StoryEndMark))
            continue;
        if (isHidden(i))
            continue;
        switch (c) {
        case BodyParagraphMark:
        case RowMark:
            result.push_back('\n');
            break;
        case TableParagraphMark:
            result.push_back(forCell ? '\r' : '\n');
            break;
        case CellMark:
        case NestedCellMark:
        case NestedRowMark:
            result.push_back('\a');
            break;
        case LineBreakMark:
            result.push_back('\v');
            break;
        case SeparatorMark:
        case StoryStartMark:
        case StoryEndMark:
            break;
        default: {
            const int b = encodeCp1251(c);
            result.push_back(b < 0 ? '?' : static_cast<char>(b));
        }
        }
    }
    return result;
}

std::string RtfDocument::text() const
{
    return textOf(0, static_cast<uint32_t>(m_text.size()), false);
}

void RtfDocument::writeNewTablesIntoSource()
{
    if (m_newTables.empty())
        return;
    std::string bytes = toBytes();
    m_newTables.clear();
    m_blank = false;
    load(std::move(bytes));
}

void RtfDocument::appendNewTables(std::string &out) const
{
    const int codePage = m_blank ? 1251 : m_plainCodePage;
    if (!m_blank) {
        // Back at the document's level (a damaged document may end inside groups), and past
        // the fallback of a \uN that may end the document.
        if (m_openGroupsAtEnd > 1)
            out.append(static_cast<size_t>(m_openGroupsAtEnd - 1), '}');
        out.append("{}");
    }
    for (size_t i = 0; i < m_newTables.size(); ++i) {
        // An empty paragraph before each table (Paragraphs.Add); in a template the last
        // paragraph is ended first, in a new document the first table takes the place of its
        // empty first paragraph.
        if (i > 0)
            out.append("\\pard\\plain\\par ");
        else if (!m_blank)
            out.append("\\par\\pard\\plain\\par ");
        m_newTables[i].render(out, NewTableWidth, codePage);
    }
    if (!m_blank)
        out.append("\\pard\\plain ");
}

std::string RtfDocument::toBytes() const
{
    // Inserted text, in runs that share the read character they are written before.
    struct Run {
        uint32_t anchor;
        uint32_t format;
        uint32_t begin;
        uint32_t end;
    };
    std::vector<Run> runs;
    const auto count = static_cast<uint32_t>(m_text.size());
    for (uint32_t i = 0; i < count;) {
        const uint32_t o = m_origin[i];
        if (!(o & Inserted)) {
            ++i;
            continue;
        }
        uint32_t j = i + 1;
        while (j < count && m_origin[j] == o)
            ++j;
        runs.push_back(Run{o & IndexMask, o & FormatMask, i, j});
        i = j;
    }
    if (runs.empty() && m_newTables.empty() && m_openGroupsAtEnd == 0
        && std::find(m_deleted.begin(), m_deleted.end(), 1) == m_deleted.end())
        return m_bytes;

    std::string out;
    out.reserve(m_bytes.size() + m_bytes.size() / 8);
    uint32_t pos = 0;
    // The output ends with a control word (or a damaged \') that would swallow what is written
    // next: a separator goes first.
    RtfOpenEnd open = RtfOpenEnd::None;
    auto closeOpenEnd = [&] {
        out.append(separatorAfter(open));
        open = RtfOpenEnd::None;
    };
    size_t nested = 0; // the first nested table not yet passed
    auto copyTo = [&](uint32_t to, RtfOpenEnd openAtTo) {
        if (to <= pos)
            return;
        closeOpenEnd();
        open = openAtTo;
        while (pos < to) {
            while (nested < m_nestedTables.size()
                   && (!m_nestedTableDeleted[nested] || m_nestedTables[nested].end <= pos))
                ++nested;
            if (nested == m_nestedTables.size() || m_nestedTables[nested].begin >= to) {
                out.append(m_bytes, pos, to - pos);
                pos = to;
                break;
            }
            const RtfSpan &table = m_nestedTables[nested];
            if (table.begin > pos) {
                out.append(m_bytes, pos, table.begin - pos);
                pos = table.begin;
            }
            const uint32_t stop = std::min(to, table.end);
            appendGroupsOf(out, std::string_view(m_bytes).substr(pos, stop - pos));
            pos = stop;
            if (pos == to)
                open = RtfOpenEnd::None;
        }
    };
    bool newTablesWritten = m_newTables.empty();
    auto writeNewTables = [&] {
        copyTo(m_newTablesAt, RtfOpenEnd::None);
        closeOpenEnd();
        appendNewTables(out);
        newTablesWritten = true;
    };
    size_t run = 0;
    const auto sourceCount = static_cast<uint32_t>(m_sources.size());
    for (uint32_t k = 0; k < sourceCount; ++k) {
        const Source &source = m_sources[k];
        if (!newTablesWritten && source.begin >= m_newTablesAt)
            writeNewTables();
        while (run < runs.size() && runs[run].anchor == k) {
            copyTo(source.begin, source.openBefore);
            closeOpenEnd();
            const Run &r = runs[run];
            if (r.format == BoldFormat)
                out.append("{\\b ");
            else if (r.format == NotBoldFormat)
                out.append("{\\b0 ");
            appendRtfText(out, std::u32string_view(m_text.data() + r.begin, r.end - r.begin),
                          source.unicodeSkip, source.codePage);
            if (r.format != InheritFormat)
                out.push_back('}');
            ++run;
        }
        // A nested table that goes is written as a whole below (appendGroupsOf).
        const int nestedTable = m_deleted[k] ? nestedTableOf(k) : -1;
        if (m_deleted[k] && (nestedTable < 0 || !m_nestedTableDeleted[static_cast<size_t>(nestedTable)])) {
            copyTo(source.begin, source.openBefore);
            pos = std::max(pos, source.end);
        }
    }
    if (!newTablesWritten)
        writeNewTables();
    copyTo(static_cast<uint32_t>(m_bytes.size()), RtfOpenEnd::None);
    if (m_openGroupsAtEnd > 0)
        closeOpenGroups(out);
    return out;
}

void RtfDocument::saveAs(const std::filesystem::path &path)
{
    writeDocumentFile(path, toBytes());
    m_savedPath = path;
    m_name = displayPath(path);
    if (m_saveListener)
        m_saveListener(path);
}

} // namespace veltor
