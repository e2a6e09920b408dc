#include "printing/RtfReader.h"

#include <algorithm>
#include <unordered_map>

#include "printing/CodePages.h"

namespace veltor {

namespace {

enum class Action : uint8_t {
    Skip,               // destination without visible text
    SeparatedSkip,      // the same, standing where a picture sits in the text
    SeparatedContainer, // a shape or object: no text of its own, may hold a text box or result
    Container,          // no text of its own, nested destinations may hold text
    Story,              // header, footer, footnote, text box: text outside the main story
    TextDestination,    // field result, object result, the Unicode half of \upr
    FontTable,
    NestTableProps,
    NoNestTables,       // skipped; ends a nested row for readers without nested tables
    Character,          // a character or mark given in the table
    Paragraph,
    Section,
    Cell,
    Row,
    NestedCell,
    NestedRow,
    UnicodeSkip,
    Unicode,
    Font,
    Plain,
    ParagraphDefaults,
    InTable,
    TableLevel,
    AnsiCodePage,
    CharsetCodePage, // \ansi, \mac, \pc, \pca: the code page given in the table
    DefaultFont,
    FontCharset,
    FontCodePage,
    Hidden,         // \v, \deleted: on, or off with 0
    AnnotationMark, // a comment's reference: a separator Find passes over
};

struct ControlWordInfo {
    std::string_view word;
    Action action;
    char32_t value;
};

// Every control word the reader acts on, sorted by name; any other control word changes
// nothing the reader tracks and is passed over.
constexpr ControlWordInfo ControlWords[] = {
    {"aftncn", Action::Skip, 0},
    {"aftnsep", Action::Skip, 0},
    {"aftnsepc", Action::Skip, 0},
    {"annotation", Action::Skip, 0},
    {"ansi", Action::CharsetCodePage, 1252},
    {"ansicpg", Action::AnsiCodePage, 0},
    {"atnauthor", Action::Skip, 0},
    {"atndate", Action::Skip, 0},
    {"atnicn", Action::Skip, 0},
    {"atnid", Action::Skip, 0},
    {"atnparent", Action::Skip, 0},
    {"atnref", Action::Skip, 0},
    {"atntime", Action::Skip, 0},
    {"atrfend", Action::Skip, 0},
    {"atrfstart", Action::Skip, 0},
    {"author", Action::Skip, 0},
    {"bkmkend", Action::Skip, 0},
    {"bkmkstart", Action::Skip, 0},
    {"bullet", Action::Character, 0x2022},
    {"buptim", Action::Skip, 0},
    {"category", Action::Skip, 0},
    {"cell", Action::Cell, 0},
    {"chatn", Action::AnnotationMark, 0},
    {"chdate", Action::Character, SeparatorMark},
    {"chdpa", Action::Character, SeparatorMark},
    {"chdpl", Action::Character, SeparatorMark},
    {"chftn", Action::Character, SeparatorMark},
    {"chftnsep", Action::Character, SeparatorMark},
    {"chftnsepc", Action::Character, SeparatorMark},
    {"chpgn", Action::Character, SeparatorMark},
    {"chtime", Action::Character, SeparatorMark},
    {"colorschememapping", Action::Skip, 0},
    {"colortbl", Action::Skip, 0},
    {"column", Action::Character, LineBreakMark},
    {"comment", Action::Skip, 0},
    {"company", Action::Skip, 0},
    {"cpg", Action::FontCodePage, 0},
    {"creatim", Action::Skip, 0},
    {"datafield", Action::Skip, 0},
    {"datastore", Action::Skip, 0},
    {"deff", Action::DefaultFont, 0},
    {"deleted", Action::Hidden, 0},
    {"do", Action::SeparatedSkip, 0},
    {"doccomm", Action::Skip, 0},
    {"docvar", Action::Skip, 0},
    {"emdash", Action::Character, 0x2014},
    {"emspace", Action::Character, 0x2003},
    {"endash", Action::Character, 0x2013},
    {"enspace", Action::Character, 0x2002},
    {"f", Action::Font, 0},
    {"fcharset", Action::FontCharset, 0},
    {"filetbl", Action::Skip, 0},
    {"fldinst", Action::Skip, 0},
    {"fldrslt", Action::TextDestination, 0},
    {"fldtype", Action::Skip, 0},
    {"fonttbl", Action::FontTable, 0},
    {"footer", Action::Story, 0},
    {"footerf", Action::Story, 0},
    {"footerl", Action::Story, 0},
    {"footerr", Action::Story, 0},
    {"footnote", Action::Story, 0},
    {"formfield", Action::Skip, 0},
    {"ftncn", Action::Skip, 0},
    {"ftnsep", Action::Skip, 0},
    {"ftnsepc", Action::Skip, 0},
    {"generator", Action::Skip, 0},
    {"header", Action::Story, 0},
    {"headerf", Action::Story, 0},
    {"headerl", Action::Story, 0},
    {"headerr", Action::Story, 0},
    {"info", Action::Skip, 0},
    {"intbl", Action::InTable, 0},
    {"itap", Action::TableLevel, 0},
    {"keywords", Action::Skip, 0},
    {"latentstyles", Action::Skip, 0},
    {"ldblquote", Action::Character, 0x201C},
    {"line", Action::Character, LineBreakMark},
    {"listoverridetable", Action::Skip, 0},
    {"listtable", Action::Skip, 0},
    {"listtext", Action::Skip, 0},
    {"lquote", Action::Character, 0x2018},
    {"mac", Action::CharsetCodePage, 10000},
    {"manager", Action::Skip, 0},
    {"mmath", Action::Skip, 0},
    {"mmathPict", Action::Skip, 0},
    {"mmathPr", Action::Skip, 0},
    {"nestcell", Action::NestedCell, 0},
    {"nestrow", Action::NestedRow, 0},
    {"nesttableprops", Action::NestTableProps, 0},
    {"nonesttables", Action::NoNestTables, 0},
    {"nonshppict", Action::Skip, 0},
    {"objdata", Action::Skip, 0},
    {"object", Action::SeparatedContainer, 0},
    {"operator", Action::Skip, 0},
    {"page", Action::Character, LineBreakMark},
    {"par", Action::Paragraph, 0},
    {"pard", Action::ParagraphDefaults, 0},
    {"pc", Action::CharsetCodePage, 437},
    {"pca", Action::CharsetCodePage, 850},
    {"pgdsctbl", Action::Container, 0}, // LibreOffice's page styles, with their headers
    {"pict", Action::SeparatedSkip, 0},
    {"plain", Action::Plain, 0},
    {"pntext", Action::Skip, 0},
    {"pntxta", Action::Skip, 0},
    {"pntxtb", Action::Skip, 0},
    {"printim", Action::Skip, 0},
    {"qmspace", Action::Character, 0x2005},
    {"rdblquote", Action::Character, 0x201D},
    {"result", Action::TextDestination, 0},
    {"revtbl", Action::Skip, 0},
    {"revtim", Action::Skip, 0},
    {"row", Action::Row, 0},
    {"rquote", Action::Character, 0x2019},
    {"rsidtbl", Action::Skip, 0},
    {"rxe", Action::Skip, 0},
    {"sect", Action::Section, 0},
    {"shp", Action::SeparatedContainer, 0},
    {"shpgrp", Action::SeparatedContainer, 0},
    {"shpinst", Action::Container, 0},
    {"shppict", Action::SeparatedSkip, 0},
    {"shprslt", Action::Skip, 0},
    {"shptxt", Action::Story, 0},
    {"sn", Action::Skip, 0},
    {"sp", Action::Skip, 0},
    {"stylesheet", Action::Skip, 0},
    {"subject", Action::Skip, 0},
    {"sv", Action::Skip, 0},
    {"tab", Action::Character, U'\t'},
    {"tc", Action::Skip, 0},
    {"template", Action::Skip, 0},
    {"themedata", Action::Skip, 0},
    {"title", Action::Skip, 0},
    {"txe", Action::Skip, 0},
    {"u", Action::Unicode, 0},
    {"uc", Action::UnicodeSkip, 0},
    {"ud", Action::TextDestination, 0},
    {"upr", Action::Container, 0},
    {"userprops", Action::Skip, 0},
    {"v", Action::Hidden, 0},
    {"wgrffmtfilter", Action::Skip, 0},
    {"xe", Action::Skip, 0},
    {"xmlnstbl", Action::Skip, 0},
    {"zwj", Action::Character, 0x200D},
    {"zwnj", Action::Character, 0x200C},
};

static_assert(std::is_sorted(std::begin(ControlWords), std::end(ControlWords),
                             [](const ControlWordInfo &a, const ControlWordInfo &b) {
                                 return a.word < b.word;
                             }),
              "the control word table must stay sorted");

// Every control word of a document is looked up, so by hash: one comparison instead of eight.
const ControlWordInfo *findControlWord(std::string_view word)
{
    static const std::unordered_map<std::string_view, const ControlWordInfo *> byWord = [] {
        std::unordered_map<std::string_view, const ControlWordInfo *> map;
        map.reserve(std::size(ControlWords));
        for (const ControlWordInfo &info : ControlWords)
            map.emplace(info.word, &info);
        return map;
    }();
    const auto it = byWord.find(word);
    return it == byWord.end() ? nullptr : it->second;
}

bool isDestination(Action action)
{
    switch (action) {
    case Action::Skip:
    case Action::SeparatedSkip:
    case Action::SeparatedContainer:
    case Action::Container:
    case Action::Story:
    case Action::TextDestination:
    case Action::FontTable:
    case Action::NestTableProps:
    case Action::NoNestTables:
        return true;
    default:
        return false;
    }
}

} // namespace

bool RtfReader::isDestinationWord(std::string_view word)
{
    const ControlWordInfo *info = findControlWord(word);
    return info != nullptr && isDestination(info->action);
}

void RtfReader::read(RtfSink &sink)
{
    RtfTokenizer tokenizer(m_bytes);
    m_groups.assign(1, GroupState{});
    m_documentEnd = static_cast<uint32_t>(m_bytes.size());
    for (;;) {
        const RtfToken token = tokenizer.next();
        if (token.type == RtfToken::Type::End)
            break;
        m_atGroupStart = m_lastWasGroupStart;
        m_lastWasGroupStart = token.type == RtfToken::Type::GroupStart;
        if (m_unicodePending && token.type != RtfToken::Type::GroupStart
            && token.type != RtfToken::Type::GroupEnd) {
            // Fallback characters of a \uN: a control word, a control symbol, \'hh, \binN with
            // its data and every text byte count as one; a group boundary ends the skipping.
            if (token.type == RtfToken::Type::ControlWord && token.word == "bin" && token.hasParameter
                && token.parameter > 0) {
                m_unicode.end = token.end; // its data comes next and counts with it
                continue;
            }
            if (token.type == RtfToken::Type::Text) {
                const uint32_t length = token.end - token.begin;
                const uint32_t skipped = std::min(length, m_skipRemaining);
                m_unicode.end = token.begin + skipped;
                m_skipRemaining -= skipped;
                if (m_skipRemaining == 0)
                    flushUnicode(sink);
                if (skipped < length) {
                    RtfToken rest = token;
                    rest.begin += skipped;
                    text(rest, sink);
                }
                continue;
            }
            m_unicode.end = token.end;
            noteOpenEnd(token);
            if (--m_skipRemaining == 0)
                flushUnicode(sink);
            continue;
        }
        switch (token.type) {
        case RtfToken::Type::GroupStart: {
            flushUnicode(sink);
            GroupState inner = m_groups.back();
            inner.ignorable = false;
            inner.storyStart = false;
            m_groups.push_back(inner);
            break;
        }
        case RtfToken::Type::GroupEnd:
            flushUnicode(sink);
            if (m_groups.size() > 1) {
                if (m_groups.back().nestedRowEnd && m_inNestedTable)
                    m_nestedTable.end = token.end;
                if (m_groups.back().storyStart)
                    emitMark(sink, StoryEndMark, token.begin, token.begin);
                m_groups.pop_back();
                // Text after a closing brace that ends the document early (damaged input) is
                // still read; the last such brace counts as the end.
                if (m_groups.size() == 1)
                    m_documentEnd = token.begin;
            }
            break;
        case RtfToken::Type::ControlWord:
            controlWord(token, sink);
            noteOpenEnd(token);
            break;
        case RtfToken::Type::ControlSymbol:
            controlSymbol(token, sink);
            noteOpenEnd(token);
            break;
        case RtfToken::Type::Hex:
            if (m_groups.back().destination == Destination::Text)
                emitCharacter(sink, decodeByte(currentCodePage(), token.byte), token.begin, token.end);
            break;
        case RtfToken::Type::Text:
            text(token, sink);
            break;
        case RtfToken::Type::Binary:
        case RtfToken::Type::End:
            break;
        }
    }
    flushUnicode(sink);
    if (m_inNestedTable)
        m_nestedTables.push_back(m_nestedTable);
    m_inNestedTable = false;
    m_openGroupsAtEnd = static_cast<int>(m_groups.size()) - 1;
}

void RtfReader::noteOpenEnd(const RtfToken &token)
{
    if (token.type == RtfToken::Type::ControlWord && !token.delimitedByBlank) {
        m_openEndPosition = token.end;
        m_openEnd = RtfOpenEnd::ControlWord;
    } else if (token.type == RtfToken::Type::ControlSymbol && token.symbol == '\'') {
        m_openEndPosition = token.end;
        m_openEnd = RtfOpenEnd::HexEscape;
    }
}

RtfOpenEnd RtfReader::openBefore(uint32_t position) const
{
    return position == m_openEndPosition ? m_openEnd : RtfOpenEnd::None;
}

void RtfReader::controlWord(const RtfToken &token, RtfSink &sink)
{
    GroupState &state = m_groups.back();
    if (state.destination == Destination::Skip)
        return;
    const ControlWordInfo *info = findControlWord(token.word);
    if (state.ignorable) {
        // {\*\word ...}: a reader that does not know the destination skips the group.
        state.ignorable = false;
        if (info == nullptr || !isDestination(info->action)) {
            state.destination = Destination::Skip;
            return;
        }
    }
    if (state.destination == Destination::NestTableProps) {
        if (info != nullptr && info->action == Action::NestedRow)
            emitMark(sink, NestedRowMark, token.begin, token.end);
        return;
    }
    if (state.destination == Destination::FontTable) {
        if (info == nullptr)
            return;
        if (info->action == Action::Font) {
            m_fontBeingDefined = token.parameter;
            m_fontCodePages.try_emplace(m_fontBeingDefined, 0);
        } else if (info->action == Action::FontCharset && m_fontBeingDefined >= 0) {
            m_fontCodePages[m_fontBeingDefined] = codePageOfCharset(token.parameter);
        } else if (info->action == Action::FontCodePage && m_fontBeingDefined >= 0) {
            m_fontCodePages[m_fontBeingDefined] = token.parameter;
        } else if (isDestination(info->action)) {
            state.destination = Destination::Skip;
        }
        return;
    }
    if (info == nullptr)
        return;
    const bool inText = state.destination == Destination::Text;
    switch (info->action) {
    case Action::Skip:
        state.destination = Destination::Skip;
        break;
    case Action::SeparatedSkip:
        if (inText)
            emitMark(sink, SeparatorMark, token.begin, token.begin);
        state.destination = Destination::Skip;
        break;
    case Action::SeparatedContainer:
        if (inText)
            emitMark(sink, SeparatorMark, token.begin, token.begin);
        state.destination = Destination::Container;
        break;
    case Action::Container:
        state.destination = Destination::Container;
        break;
    case Action::Story:
        emitMark(sink, StoryStartMark, token.begin, token.begin);
        state.destination = Destination::Text;
        state.otherStory = true;
        state.storyStart = true;
        break;
    case Action::TextDestination:
        state.destination = Destination::Text;
        break;
    case Action::FontTable:
        state.destination = Destination::FontTable;
        break;
    case Action::NestTableProps:
        state.destination = Destination::NestTableProps;
        state.nestedRowEnd = true;
        break;
    case Action::NoNestTables:
        state.destination = Destination::Skip;
        state.nestedRowEnd = true;
        break;
    case Action::Character:
        if (inText) {
            if (info->value == SeparatorMark) // an automatic character is never removed
                emitMark(sink, SeparatorMark, token.begin, token.begin);
            else if (isMark(info->value))
                emitMark(sink, static_cast<RtfMark>(info->value), token.begin, token.end);
            else
                emitCharacter(sink, info->value, token.begin, token.end);
        }
        break;
    case Action::Paragraph:
        if (inText) {
            emitMark(sink, tableLevel() > 0 ? TableParagraphMark : BodyParagraphMark, token.begin,
                     token.end);
        }
        break;
    case Action::Section:
        if (inText)
            emitMark(sink, BodyParagraphMark, token.begin, token.end);
        break;
    case Action::Cell:
        if (inText)
            emitMark(sink, CellMark, token.begin, token.end);
        break;
    case Action::Row:
        if (inText)
            emitMark(sink, RowMark, token.begin, token.end);
        break;
    case Action::NestedCell:
        if (inText)
            emitMark(sink, NestedCellMark, token.begin, token.end);
        break;
    case Action::NestedRow:
        if (inText)
            emitMark(sink, NestedRowMark, token.begin, token.end);
        break;
    case Action::UnicodeSkip:
        state.unicodeSkip = static_cast<uint8_t>(
            std::clamp(token.hasParameter ? token.parameter : 1, 0, 255));
        break;
    case Action::Unicode:
        if (inText) {
            // The parameter is a signed 16-bit number: characters above U+7FFF come negative.
            int32_t value = token.parameter;
            if (value < 0)
                value += 65536;
            const char32_t code = (value < 0 || value > 0xFFFF) ? UnknownCharacter
                                                                : static_cast<char32_t>(value);
            m_unicode = RtfChar{code, token.begin, token.end, state.unicodeSkip,
                                openBefore(token.begin), state.hidden,
                                static_cast<uint16_t>(currentCodePage())};
            m_unicodePending = true;
            m_skipRemaining = state.unicodeSkip;
            if (m_skipRemaining == 0)
                flushUnicode(sink);
        }
        break;
    case Action::Font:
        state.font = token.parameter;
        break;
    case Action::Plain:
        state.font = -1;
        state.hidden = false;
        break;
    case Action::Hidden:
        state.hidden = !token.hasParameter || token.parameter != 0;
        break;
    case Action::AnnotationMark:
        if (inText)
            emitCharacter(sink, SeparatorMark, token.begin, token.begin, true);
        break;
    case Action::ParagraphDefaults:
        state.inTable = false;
        state.tableLevel = -1;
        if (inText && !state.otherStory)
            m_pardAt = token.begin;
        break;
    case Action::InTable:
        state.inTable = true;
        break;
    case Action::TableLevel:
        state.tableLevel = token.parameter;
        if (inText && !state.otherStory && token.parameter >= 2 && !m_inNestedTable) {
            // The nested table starts with the properties of its first paragraph.
            m_inNestedTable = true;
            m_nestedTable = RtfSpan{m_pardAt != UINT32_MAX ? m_pardAt : token.begin, token.end};
        }
        break;
    case Action::AnsiCodePage:
        if (token.parameter > 0) {
            m_documentCodePage = token.parameter;
            m_codePageGiven = true;
        }
        break;
    case Action::CharsetCodePage:
        if (!m_codePageGiven)
            m_documentCodePage = static_cast<int>(info->value);
        break;
    case Action::DefaultFont:
        m_defaultFont = token.parameter;
        break;
    case Action::FontCharset:
    case Action::FontCodePage:
        break;
    }
}

void RtfReader::controlSymbol(const RtfToken &token, RtfSink &sink)
{
    GroupState &state = m_groups.back();
    if (token.symbol == '*') {
        // Only "{\*" marks an ignorable destination; a \* elsewhere is an unknown symbol that
        // shows nothing, and the text after it stays visible.
        if (m_atGroupStart && state.destination != Destination::Skip)
            state.ignorable = true;
        return;
    }
    if (state.destination != Destination::Text)
        return;
    switch (token.symbol) {
    case '\\':
    case '{':
    case '}':
        emitCharacter(sink, static_cast<unsigned char>(token.symbol), token.begin, token.end);
        break;
    case '~':
        emitCharacter(sink, 0x00A0, token.begin, token.end);
        break;
    case '_':
        emitCharacter(sink, 0x2011, token.begin, token.end);
        break;
    case '\t':
        emitCharacter(sink, U'\t', token.begin, token.end);
        break;
    case '\r':
    case '\n': {
        // A backslash before a line break is a paragraph mark.
        const int level = state.tableLevel >= 0 ? state.tableLevel : (state.inTable ? 1 : 0);
        emitMark(sink, level > 0 ? TableParagraphMark : BodyParagraphMark, token.begin, token.end);
        break;
    }
    default:
        // \- (optional hyphen), \: and \| show nothing.
        break;
    }
}

void RtfReader::text(const RtfToken &token, RtfSink &sink)
{
    if (m_groups.back().destination != Destination::Text)
        return;
    const int codePage = currentCodePage();
    for (uint32_t pos = token.begin; pos < token.end; ++pos) {
        const auto b = static_cast<unsigned char>(m_bytes[pos]);
        if (b == '\t')
            emitCharacter(sink, U'\t', pos, pos + 1);
        else if (b >= 0x20)
            emitCharacter(sink, decodeByte(codePage, b), pos, pos + 1);
    }
}

void RtfReader::emitCharacter(RtfSink &sink, char32_t code, uint32_t begin, uint32_t end, bool hidden)
{
    deliver(sink, RtfChar{code, begin, end, m_groups.back().unicodeSkip, openBefore(begin), hidden,
                          static_cast<uint16_t>(currentCodePage())});
}

int RtfReader::tableLevel() const
{
    const GroupState &state = m_groups.back();
    return state.tableLevel >= 0 ? state.tableLevel : (state.inTable ? 1 : 0);
}

void RtfReader::deliver(RtfSink &sink, const RtfChar &c)
{
    if (!m_groups.back().otherStory && c.code != StoryStartMark && c.code != StoryEndMark) {
        // The marks of the top-level table end a nested one whatever the paragraph says.
        const bool outer = c.code == CellMark || c.code == RowMark || c.code == BodyParagraphMark;
        const bool nested = c.code == NestedCellMark || c.code == NestedRowMark
                            || (!outer && tableLevel() >= 2);
        if (nested && !m_inNestedTable) {
            m_inNestedTable = true;
            m_nestedTable = RtfSpan{m_pardAt != UINT32_MAX ? m_pardAt : c.begin, c.end};
        } else if (nested) {
            m_nestedTable.end = std::max(m_nestedTable.end, c.end);
        } else if (m_inNestedTable) {
            m_nestedTables.push_back(m_nestedTable);
            m_inNestedTable = false;
        }
        m_pardAt = UINT32_MAX;
    }
    sink.character(c);
}

void RtfReader::emitMark(RtfSink &sink, RtfMark mark, uint32_t begin, uint32_t end)
{
    // Tables and paragraphs of other stories do not belong to the main text's structure.
    if (m_groups.back().otherStory && mark != LineBreakMark && mark != StoryStartMark
        && mark != StoryEndMark)
        mark = SeparatorMark;
    emitCharacter(sink, mark, begin, end);
}

void RtfReader::flushUnicode(RtfSink &sink)
{
    if (!m_unicodePending)
        return;
    m_unicodePending = false;
    m_skipRemaining = 0;
    deliver(sink, m_unicode);
}

int RtfReader::currentCodePage() const
{
    return codePageOfFont(m_groups.back().font >= 0 ? m_groups.back().font : m_defaultFont);
}

int RtfReader::plainCodePage() const
{
    return codePageOfFont(m_defaultFont);
}

int RtfReader::codePageOfFont(int font) const
{
    const auto it = m_fontCodePages.find(font);
    if (it == m_fontCodePages.end() || it->second == 0)
        return m_documentCodePage;
    return it->second;
}

} // namespace veltor
