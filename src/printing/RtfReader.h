#pragma once
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "printing/RtfTokenizer.h"

// Reads RTF as a word processor shows it: the text of the document's stories decoded to
// Unicode, each character with the bytes it came from, and the marks of its table structure.
// Destinations that hold no visible text (font and colour tables, styles, document info,
// pictures, field instructions, bookmarks, list numbering, ...) are skipped.
namespace veltor {

// Marks of a document's structure. They lie beyond Unicode, so no searched text contains one.
enum RtfMark : char32_t {
    BodyParagraphMark = 0x110000, // \par outside tables, \sect
    TableParagraphMark,           // \par inside a table cell, at any depth
    CellMark,                     // \cell: the end of a cell of a top-level table
    RowMark,                      // \row: the end of a row of a top-level table
    NestedCellMark,               // \nestcell
    NestedRowMark,                // \nestrow
    LineBreakMark,                // \line, \page, \column
    SeparatorMark,                // text stops here: a picture or shape, an automatic character
                                  // (page number, footnote reference), a paragraph or table mark
                                  // of a story other than the main text
    StoryStartMark,               // a header, footer, footnote or text box begins
    StoryEndMark,                 // and ends
};

constexpr bool isMark(char32_t c) { return c >= BodyParagraphMark; }

// What ends right where a character begins and would swallow text written in its place.
enum class RtfOpenEnd : uint8_t {
    None,
    ControlWord, // a control word without its delimiting blank: letters or digits would join it
    HexEscape,   // a \' without its two hex digits (damaged input): hex digits would complete it
};

// One character or mark and where it came from.
struct RtfChar {
    char32_t code = 0;
    uint32_t begin = 0; // source bytes; empty for separators and story marks
    uint32_t end = 0;
    uint8_t unicodeSkip = 1;       // \uc in effect: fallback characters after a \uN
    RtfOpenEnd openBefore = RtfOpenEnd::None;
    // Not part of the text a word processor's Find sees: hidden text (\v), a tracked deletion
    // (\deleted) or a comment's reference mark (\chatn). Only characters and separators are.
    bool hidden = false;
    uint16_t codePage = 0; // of the text here (by its font); 0 when unknown
};

class RtfSink {
public:
    virtual ~RtfSink() = default;
    // Characters arrive in source order and their byte ranges do not overlap.
    virtual void character(const RtfChar &c) = 0;
};

// Source bytes [begin, end).
struct RtfSpan {
    uint32_t begin;
    uint32_t end;
};

class RtfReader {
public:
    explicit RtfReader(std::string_view bytes) : m_bytes(bytes) {}

    void read(RtfSink &sink);

    // True for a control word that starts a destination the reader knows ({\fldrslt ...}).
    static bool isDestinationWord(std::string_view word);

    // The document's code page (\ansicpg, else by \ansi, \mac, \pc, \pca; 1252 when none).
    int codePage() const { return m_documentCodePage; }
    // The code page of text in the default font (after \plain).
    int plainCodePage() const;
    // Position of the brace that closes the document's group (the size when it is missing).
    // Of several, the last.
    uint32_t documentEnd() const { return m_documentEnd; }
    // Groups still open at the end of the bytes, the document's own included; 0 when it closes.
    int openGroupsAtEnd() const { return m_openGroupsAtEnd; }
    // The bytes of each run of nested-table rows in the main text, in source order: from the
    // \pard of the first nested paragraph to the end of the last row's properties group (and
    // the {\nonesttables ...} after it). Every character read from these bytes belongs to
    // the nested table; a cell that loses its text must lose them too, or the row definitions
    // and \itap paragraphs left behind break the rows around them.
    const std::vector<RtfSpan> &nestedTables() const { return m_nestedTables; }

    enum class Destination : uint8_t {
        Text,           // visible text
        Skip,           // nothing visible inside, not even nested destinations
        Container,      // no text of its own, but nested destinations may hold text
        FontTable,      // read for the fonts' character sets
        NestTableProps, // row definition of a nested table, ended by \nestrow
    };

private:
    struct GroupState {
        Destination destination = Destination::Text;
        bool otherStory = false;  // header, footer, footnote or text box
        bool storyStart = false;  // this group starts such a story
        bool ignorable = false;   // \* seen, its destination word not yet
        bool nestedRowEnd = false; // {\*\nesttableprops ...} or {\nonesttables ...}
        uint8_t unicodeSkip = 1;
        int font = -1;            // -1: the default font
        bool inTable = false;
        int tableLevel = -1;      // \itap, -1 when not given
        bool hidden = false;      // \v or \deleted in effect
    };

    void controlWord(const RtfToken &token, RtfSink &sink);
    void controlSymbol(const RtfToken &token, RtfSink &sink);
    void text(const RtfToken &token, RtfSink &sink);
    void emitCharacter(RtfSink &sink, char32_t code, uint32_t begin, uint32_t end, bool hidden);
    void emitCharacter(RtfSink &sink, char32_t code, uint32_t begin, uint32_t end)
    {
        emitCharacter(sink, code, begin, end, m_groups.back().hidden && !isMark(code));
    }
    void emitMark(RtfSink &sink, RtfMark mark, uint32_t begin, uint32_t end);
    void flushUnicode(RtfSink &sink);
    void deliver(RtfSink &sink, const RtfChar &c);
    int tableLevel() const;
    int currentCodePage() const;
    int codePageOfFont(int font) const;
    RtfOpenEnd openBefore(uint32_t position) const;
    void noteOpenEnd(const RtfToken &token);

    std::string_view m_bytes;
    std::vector<GroupState> m_groups;
    int m_documentCodePage = 1252;
    bool m_codePageGiven = false;
    int m_defaultFont = 0;
    int m_fontBeingDefined = -1;
    std::unordered_map<int, int> m_fontCodePages; // font number -> code page, 0 = document's
    uint32_t m_documentEnd = 0;
    int m_openGroupsAtEnd = 0;
    uint32_t m_openEndPosition = UINT32_MAX; // where the last open control word or \' ends
    RtfOpenEnd m_openEnd = RtfOpenEnd::None;
    std::vector<RtfSpan> m_nestedTables;
    bool m_inNestedTable = false;
    RtfSpan m_nestedTable{0, 0};
    uint32_t m_pardAt = UINT32_MAX; // a \pard with no character of the main text read since
    bool m_lastWasGroupStart = false;
    bool m_atGroupStart = false; // the token being read follows a "{"
    // A \uN whose fallback characters are still being skipped.
    bool m_unicodePending = false;
    RtfChar m_unicode;
    uint32_t m_skipRemaining = 0;
};

} // namespace veltor
