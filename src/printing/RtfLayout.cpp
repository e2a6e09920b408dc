#include "printing/RtfLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QTextLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>
#include <QThread>

#include <algorithm>
#include <array>
#include <bit>
#include <map>
#include <unordered_map>
#include <vector>

#include "printing/CodePages.h"
#include "printing/LongTable.h"
#include "printing/RtfTokenizer.h"
#include "text/Errors.h"

namespace veltor {

QPaintDevice &twipsDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        // logicalDpi is dotsPerMeter * 0.0254, rounded.
        image.setDotsPerMeterX(qRound(TwipsPerInch / 0.0254));
        image.setDotsPerMeterY(qRound(TwipsPerInch / 0.0254));
        return image;
    }();
    return device;
}

double layoutLengthPerTwip()
{
    // Qt's text layout takes the lengths of formats (margins, indents, widths, padding) in
    // pixels of the screen's resolution and scales them to its paint device; page sizes and
    // fonts it takes as they are. What one twip is in those pixels is measured once.
    static const double unit = [] {
        QTextDocument probe;
        probe.setDocumentMargin(0);
        probe.documentLayout()->setPaintDevice(&twipsDevice());
        QTextFrameFormat indented = probe.rootFrame()->frameFormat();
        indented.setLeftMargin(1000);
        probe.rootFrame()->setFrameFormat(indented);
        QTextCursor(&probe).insertText(QStringLiteral("x"));
        const double x = probe.documentLayout()->blockBoundingRect(probe.begin()).x();
        return x > 0 ? 1000.0 / x : 1.0;
    }();
    return unit;
}

RtfLayout::RtfLayout() : m_body(std::make_unique<QTextDocument>()) {}
RtfLayout::~RtfLayout() = default;

int RtfLayout::pageCount() const
{
    return m_body->pageCount();
}

namespace {

enum class Action : uint8_t {
    // destinations
    Skip,        // nothing visible inside
    Container,   // no text of its own; nested destinations may show text
    TextResult,  // a field's or object's shown result
    FontTable,
    ColorTable,
    Header,
    Footer,
    // text
    Character,
    Paragraph,
    Section,
    Page,
    Cell,
    Row,
    NestedCell,
    NestedRow,
    Unicode,
    UnicodeSkip,
    // document
    AnsiCodePage,
    DefaultFont,
    PaperWidth,
    PaperHeight,
    MarginLeft,
    MarginRight,
    MarginTop,
    MarginBottom,
    HeaderDistance,
    FooterDistance,
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    // characters
    Plain,
    Font,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    Caps,
    Color,
    Superscript,
    Subscript,
    NoSuperSub,
    // paragraphs
    ParagraphDefaults,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    InTable,
    TableLevel,
    PageBreakBefore,
    KeepNext,
    // rows and cells
    RowDefaults,
    RowLeft,
    RowGap,
    RowAlignLeft,
    RowAlignCenter,
    RowAlignRight,
    RowHeading,
    RowPadding,   // value: side
    RowBorder,    // value: side (0 top, 1 left, 2 bottom, 3 right, 4 inner horizontal, 5 inner vertical)
    CellBorder,   // value: side
    ParagraphBorder,
    CellPadding,  // value: side, in Word's order (see below)
    CellRight,
    CellMergeFirst,
    CellMerge,
    CellVerticalMergeFirst,
    CellVerticalMerge,
    CellVerticalTop,
    CellVerticalCenter,
    CellVerticalBottom,
    BorderStyle,  // value: QTextFrameFormat::BorderStyle + 1; 0 none
    BorderWidth,
    BorderColor,
};

struct ControlWordInfo {
    std::string_view word;
    Action action;
    int value;
};

constexpr int BorderNone = 0;
constexpr int BorderSolid = 1 + QTextFrameFormat::BorderStyle_Solid;
constexpr int BorderDouble = 1 + QTextFrameFormat::BorderStyle_Double;
constexpr int BorderDotted = 1 + QTextFrameFormat::BorderStyle_Dotted;
constexpr int BorderDashed = 1 + QTextFrameFormat::BorderStyle_Dashed;

// Every control word the layout acts on, sorted by name; any other one changes nothing shown.
constexpr ControlWordInfo ControlWords[] = {
    {"aftncn", Action::Skip, 0},
    {"aftnsep", Action::Skip, 0},
    {"aftnsepc", Action::Skip, 0},
    {"annotation", Action::Skip, 0},
    {"ansicpg", Action::AnsiCodePage, 0},
    {"atnauthor", Action::Skip, 0},
    {"atnid", Action::Skip, 0},
    {"author", Action::Skip, 0},
    {"b", Action::Bold, 0},
    {"bkmkend", Action::Skip, 0},
    {"bkmkstart", Action::Skip, 0},
    {"blue", Action::Blue, 0},
    {"box", Action::ParagraphBorder, 0},
    {"brdrb", Action::ParagraphBorder, 0},
    {"brdrcf", Action::BorderColor, 0},
    {"brdrdash", Action::BorderStyle, BorderDashed},
    {"brdrdb", Action::BorderStyle, BorderDouble},
    {"brdrdot", Action::BorderStyle, BorderDotted},
    {"brdrl", Action::ParagraphBorder, 0},
    {"brdrnil", Action::BorderStyle, BorderNone},
    {"brdrnone", Action::BorderStyle, BorderNone},
    {"brdrr", Action::ParagraphBorder, 0},
    {"brdrs", Action::BorderStyle, BorderSolid},
    {"brdrt", Action::ParagraphBorder, 0},
    {"brdrth", Action::BorderStyle, BorderSolid},
    {"brdrw", Action::BorderWidth, 0},
    {"bullet", Action::Character, 0x2022},
    {"caps", Action::Caps, 0},
    {"cell", Action::Cell, 0},
    {"cellx", Action::CellRight, 0},
    {"cf", Action::Color, 0},
    {"chftn", Action::Skip, 0},
    {"clbrdrb", Action::CellBorder, 2},
    {"clbrdrl", Action::CellBorder, 1},
    {"clbrdrr", Action::CellBorder, 3},
    {"clbrdrt", Action::CellBorder, 0},
    {"clmgf", Action::CellMergeFirst, 0},
    {"clmrg", Action::CellMerge, 0},
    {"clpadb", Action::CellPadding, 2},
    {"clpadl", Action::CellPadding, 0}, // Word's names: \clpadl is the top padding
    {"clpadr", Action::CellPadding, 3},
    {"clpadt", Action::CellPadding, 1}, // and \clpadt the left one
    {"clvertalb", Action::CellVerticalBottom, 0},
    {"clvertalc", Action::CellVerticalCenter, 0},
    {"clvertalt", Action::CellVerticalTop, 0},
    {"clvmgf", Action::CellVerticalMergeFirst, 0},
    {"clvmrg", Action::CellVerticalMerge, 0},
    {"colortbl", Action::ColorTable, 0},
    {"comment", Action::Skip, 0},
    {"cpg", Action::FontCodePage, 0},
    {"datafield", Action::Skip, 0},
    {"datastore", Action::Skip, 0},
    {"deff", Action::DefaultFont, 0},
    {"do", Action::Skip, 0},
    {"docvar", Action::Skip, 0},
    {"emdash", Action::Character, 0x2014},
    {"emspace", Action::Character, 0x2003},
    {"endash", Action::Character, 0x2013},
    {"enspace", Action::Character, 0x2002},
    {"f", Action::Font, 0},
    {"fcharset", Action::FontCharset, 0},
    {"fi", Action::FirstIndent, 0},
    {"fldinst", Action::Skip, 0},
    {"fldrslt", Action::TextResult, 0},
    {"fonttbl", Action::FontTable, 0},
    {"footer", Action::Footer, 0},
    {"footerf", Action::Skip, 0},
    {"footerl", Action::Footer, 0},
    {"footerr", Action::Footer, 0},
    {"footery", Action::FooterDistance, 0},
    {"footnote", Action::Skip, 0},
    {"formfield", Action::Skip, 0},
    {"fs", Action::FontSize, 0},
    {"ftncn", Action::Skip, 0},
    {"ftnsep", Action::Skip, 0},
    {"ftnsepc", Action::Skip, 0},
    {"generator", Action::Skip, 0},
    {"green", Action::Green, 0},
    {"header", Action::Header, 0},
    {"headerf", Action::Skip, 0},
    {"headerl", Action::Header, 0},
    {"headerr", Action::Header, 0},
    {"headery", Action::HeaderDistance, 0},
    {"i", Action::Italic, 0},
    {"info", Action::Skip, 0},
    {"intbl", Action::InTable, 0},
    {"itap", Action::TableLevel, 0},
    {"keepn", Action::KeepNext, 0},
    {"latentstyles", Action::Skip, 0},
    {"ldblquote", Action::Character, 0x201C},
    {"li", Action::LeftIndent, 0},
    {"lin", Action::LeftIndent, 0},
    {"line", Action::Character, 0x2028},
    {"listoverridetable", Action::Skip, 0},
    {"listtable", Action::Skip, 0},
    {"listtext", Action::Skip, 0},
    {"lquote", Action::Character, 0x2018},
    {"margb", Action::MarginBottom, 0},
    {"margbsxn", Action::MarginBottom, 0},
    {"margl", Action::MarginLeft, 0},
    {"marglsxn", Action::MarginLeft, 0},
    {"margr", Action::MarginRight, 0},
    {"margrsxn", Action::MarginRight, 0},
    {"margt", Action::MarginTop, 0},
    {"margtsxn", Action::MarginTop, 0},
    {"mmath", Action::Skip, 0},
    {"nestcell", Action::NestedCell, 0},
    {"nestrow", Action::NestedRow, 0},
    {"nesttableprops", Action::Skip, 0},
    {"nonesttables", Action::Skip, 0},
    {"nonshppict", Action::Skip, 0},
    {"nosupersub", Action::NoSuperSub, 0},
    {"objdata", Action::Skip, 0},
    {"object", Action::Container, 0},
    {"page", Action::Page, 0},
    {"pagebb", Action::PageBreakBefore, 0},
    {"paperh", Action::PaperHeight, 0},
    {"paperw", Action::PaperWidth, 0},
    {"par", Action::Paragraph, 0},
    {"pard", Action::ParagraphDefaults, 0},
    {"pgdsctbl", Action::Skip, 0}, // LibreOffice's page styles repeat what \paperw etc. say
    {"pghsxn", Action::PaperHeight, 0},
    {"pgwsxn", Action::PaperWidth, 0},
    {"pict", Action::Skip, 0},
    {"plain", Action::Plain, 0},
    {"pntext", Action::Skip, 0},
    {"pntxta", Action::Skip, 0},
    {"pntxtb", Action::Skip, 0},
    {"qc", Action::AlignCenter, 0},
    {"qj", Action::AlignJustify, 0},
    {"ql", Action::AlignLeft, 0},
    {"qr", Action::AlignRight, 0},
    {"rdblquote", Action::Character, 0x201D},
    {"red", Action::Red, 0},
    {"result", Action::TextResult, 0},
    {"revtbl", Action::Skip, 0},
    {"ri", Action::RightIndent, 0},
    {"rin", Action::RightIndent, 0},
    {"row", Action::Row, 0},
    {"rquote", Action::Character, 0x2019},
    {"rsidtbl", Action::Skip, 0},
    {"sa", Action::SpaceAfter, 0},
    {"sb", Action::SpaceBefore, 0},
    {"sect", Action::Section, 0},
    {"shp", Action::Container, 0},
    {"shpinst", Action::Container, 0},
    {"shppict", Action::Skip, 0},
    {"shprslt", Action::Skip, 0},
    {"shptxt", Action::Skip, 0},
    {"sl", Action::LineSpacing, 0},
    {"slmult", Action::LineMultiple, 0},
    {"sn", Action::Skip, 0},
    {"sp", Action::Skip, 0},
    {"strike", Action::Strike, 0},
    {"stylesheet", Action::Skip, 0},
    {"sub", Action::Subscript, 0},
    {"super", Action::Superscript, 0},
    {"sv", Action::Skip, 0},
    {"tab", Action::Character, '\t'},
    {"tc", Action::Skip, 0},
    {"template", Action::Skip, 0},
    {"themedata", Action::Skip, 0},
    {"trbrdrb", Action::RowBorder, 2},
    {"trbrdrh", Action::RowBorder, 4},
    {"trbrdrl", Action::RowBorder, 1},
    {"trbrdrr", Action::RowBorder, 3},
    {"trbrdrt", Action::RowBorder, 0},
    {"trbrdrv", Action::RowBorder, 5},
    {"trgaph", Action::RowGap, 0},
    {"trhdr", Action::RowHeading, 0},
    {"trleft", Action::RowLeft, 0},
    {"trowd", Action::RowDefaults, 0},
    {"trpaddb", Action::RowPadding, 2},
    {"trpaddl", Action::RowPadding, 1},
    {"trpaddr", Action::RowPadding, 3},
    {"trpaddt", Action::RowPadding, 0},
    {"trqc", Action::RowAlignCenter, 0},
    {"trql", Action::RowAlignLeft, 0},
    {"trqr", Action::RowAlignRight, 0},
    {"txe", Action::Skip, 0},
    {"u", Action::Unicode, 0},
    {"uc", Action::UnicodeSkip, 0},
    {"ud", Action::TextResult, 0},
    {"ul", Action::Underline, 0},
    {"uld", Action::Underline, 0},
    {"uldb", Action::Underline, 0},
    {"ulnone", Action::UnderlineNone, 0},
    {"ulw", Action::Underline, 0},
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

const ControlWordInfo *findControlWord(std::string_view word)
{
    static const std::unordered_map<std::string_view, const ControlWordInfo *> byWord = [] {
        std::unordered_map<std::string_view, const ControlWordInfo *> map;
        for (const ControlWordInfo &info : ControlWords)
            map.emplace(info.word, &info);
        return map;
    }();
    const auto it = byWord.find(word);
    return it == byWord.end() ? nullptr : it->second;
}

bool isDestination(Action a)
{
    return a <= Action::Footer;
}

enum class Destination : uint8_t { Text, Skip, Container, FontTable, ColorTable };
enum class Story : uint8_t { Body, Header, Footer };

struct CharacterProperties {
    int font = -1; // -1: the default font
    int halfPoints = 24;
    int color = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    bool caps = false;
    int8_t shift = 0; // 1 superscript, -1 subscript

    bool operator==(const CharacterProperties &) const = default;
};

struct ParagraphProperties {
    Qt::Alignment align = Qt::AlignLeft;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    bool inTable = false;
    int tableLevel = 0;
    bool pageBreakBefore = false;
    bool keepNext = false;
};

struct Border {
    int style = BorderNone;
    int width = 10; // twips
    int color = 0;
};

struct CellDefinition {
    int right = 0;
    std::array<Border, 4> borders{}; // top, left, bottom, right
    std::array<int, 4> padding{-1, -1, -1, -1};
    bool mergeFirst = false, merge = false;
    bool verticalMergeFirst = false, verticalMerge = false;
    QTextCharFormat::VerticalAlignment valign = QTextCharFormat::AlignTop;
};

struct RowDefinition {
    int left = 0;
    int gap = 0;
    Qt::Alignment align = Qt::AlignLeft;
    bool heading = false;
    std::array<int, 4> padding{-1, -1, -1, -1};
    std::array<Border, 6> borders{};
    std::vector<CellDefinition> cells;
};

struct Run {
    CharacterProperties props;
    QString text;
};

struct Paragraph {
    ParagraphProperties props;
    CharacterProperties mark; // the formatting of the paragraph mark: an empty line's height
    std::vector<Run> runs;
};

struct Cell {
    std::vector<Paragraph> paragraphs;
};

struct Row {
    RowDefinition definition;
    std::vector<Cell> cells;
};

struct Font {
    QString name;
    int codePage = 0;
};

struct Group {
    Destination destination = Destination::Text;
    Story story = Story::Body;
    bool ignorable = false;
    uint8_t unicodeSkip = 1;
    CharacterProperties chars;
    ParagraphProperties para;
};

// Converts the tokens to paragraphs and tables and writes them into the documents.
class Builder {
public:
    Builder(RtfLayout &layout, std::unique_ptr<LongTable> &longTable, std::string_view bytes,
            const LayoutProgress &progress)
        : m_layout(layout), m_longTable(longTable), m_bytes(bytes), m_progress(progress)
    {
    }

    bool run();

    QSizeF paper;
    QMarginsF margins;
    double headerDistance = 720;
    double footerDistance = 720;
    std::vector<Paragraph> headerParagraphs, footerParagraphs;

    void write(QTextDocument &document, const std::vector<Paragraph> &paragraphs);

private:
    void controlWord(const RtfToken &token);
    void controlSymbol(const RtfToken &token);
    void text(const RtfToken &token);
    void character(char32_t c);
    void endParagraph(bool tableParagraph);
    void endCell();
    void endRow();
    void flushTable();
    bool reportProgress(uint32_t position);
    Paragraph &current() { return m_paragraph[static_cast<int>(m_groups.back().story)]; }
    int codePage() const;

    // `spaceAbove`: the space the paragraph before asked for below it, in layout lengths;
    // becomes this paragraph's.
    // `first`: the paragraph takes the cursor's empty block, else it starts a new one. A
    // table cell's first block keeps its character format: the cell's own format lives there.
    enum class Block { New, First, FirstInCell };
    void insertParagraph(QTextCursor &cursor, const Paragraph &p, Block where, double &spaceAbove);
    void insertTable(QTextCursor &cursor, const std::vector<Row> &rows);
    bool isLongTable(const std::vector<Row> &rows) const;
    void insertLongTable(QTextCursor &cursor, const std::vector<Row> &rows);
    QTextCharFormat charFormat(const CharacterProperties &p);
    QTextBlockFormat blockFormat(const ParagraphProperties &p) const;

    RtfLayout &m_layout;
    std::unique_ptr<LongTable> &m_longTable;
    std::string_view m_bytes;
    const LayoutProgress &m_progress;
    std::vector<Group> m_groups;
    int m_documentCodePage = 1252;
    int m_defaultFont = 0;
    int m_fontBeingDefined = -1;
    std::map<int, Font> m_fonts;
    std::vector<QColor> m_colors;
    QColor m_colorBeingDefined{0, 0, 0};
    bool m_colorTouched = false;
    uint32_t m_skipRemaining = 0; // fallback characters of a \uN still to skip
    std::array<Paragraph, 3> m_paragraph; // per story, the one being read

    RowDefinition m_row;
    CellDefinition m_cellDefinition;
    Border *m_border = nullptr; // what \brdrs, \brdrw and \brdrcf apply to
    Border m_ignoredBorder;
    Cell m_cell;
    Row m_rowRead;
    std::vector<Row> m_tableRows;
    bool m_pageBreakPending = false;

    QTextCursor m_cursor;
    bool m_firstBlock = true;
    double m_spaceAbove = 0;
    std::unordered_map<int, QFont> m_qfonts;
    // The lines of a long table's cell texts, by text, width and formatting (see insertLongTable).
    QHash<QString, std::vector<std::pair<QList<QGlyphRun>, double>>> m_cellLines;
    CharacterProperties m_lastProps;
    QTextCharFormat m_lastFormat;
    bool m_haveLastFormat = false;
    uint32_t m_nextProgressAt = 0;
    uint32_t m_position = 0;   // of the token being read
    uint32_t m_tableStart = 0; // where the rows waiting in m_tableRows began
    bool m_cancelled = false;
    const double m_unit = layoutLengthPerTwip();
};

int Builder::codePage() const
{
    const int font = m_groups.back().chars.font >= 0 ? m_groups.back().chars.font : m_defaultFont;
    const auto it = m_fonts.find(font);
    return it == m_fonts.end() || it->second.codePage == 0 ? m_documentCodePage : it->second.codePage;
}

bool Builder::reportProgress(uint32_t position)
{
    if (m_cancelled)
        return false;
    if (!m_progress || position < m_nextProgressAt)
        return true;
    m_nextProgressAt = position + 16 * 1024;
    // Reading and building is about the first half of the work; laying out pages the rest.
    if (!m_progress(static_cast<long>(position), 2 * static_cast<long>(m_bytes.size())))
        m_cancelled = true;
    return !m_cancelled;
}

bool Builder::run()
{
    m_cursor = QTextCursor(&m_layout.body());
    m_groups.assign(1, Group{});
    RtfTokenizer tokenizer(m_bytes);
    for (;;) {
        const RtfToken token = tokenizer.next();
        if (token.type == RtfToken::Type::End)
            break;
        m_position = token.begin;
        // Rows read are built when their table ends; that building reports for them.
        if (m_tableRows.empty() && !reportProgress(token.begin))
            return false;
        Group &g = m_groups.back();
        if (m_skipRemaining > 0 && token.type != RtfToken::Type::GroupStart
            && token.type != RtfToken::Type::GroupEnd) {
            if (token.type == RtfToken::Type::Text) {
                const uint32_t length = token.end - token.begin;
                const uint32_t skipped = std::min(length, m_skipRemaining);
                m_skipRemaining -= skipped;
                if (skipped < length) {
                    RtfToken rest = token;
                    rest.begin += skipped;
                    text(rest);
                }
            } else if (!(token.type == RtfToken::Type::ControlWord && token.word == "bin")) {
                --m_skipRemaining;
            }
            continue;
        }
        switch (token.type) {
        case RtfToken::Type::GroupStart: {
            m_skipRemaining = 0;
            Group inner = g;
            inner.ignorable = false;
            m_groups.push_back(inner);
            break;
        }
        case RtfToken::Type::GroupEnd:
            m_skipRemaining = 0;
            if (g.destination == Destination::ColorTable && m_groups.size() > 1
                && m_groups[m_groups.size() - 2].destination != Destination::ColorTable) {
                m_colorTouched = false;
            }
            if (m_groups.size() > 1)
                m_groups.pop_back();
            break;
        case RtfToken::Type::ControlWord:
            controlWord(token);
            break;
        case RtfToken::Type::ControlSymbol:
            controlSymbol(token);
            break;
        case RtfToken::Type::Hex:
            if (g.destination == Destination::Text)
                character(decodeByte(codePage(), token.byte));
            else if (g.destination == Destination::FontTable && m_fontBeingDefined >= 0)
                m_fonts[m_fontBeingDefined].name.append(
                    QChar(static_cast<char16_t>(decodeByte(m_documentCodePage, token.byte))));
            break;
        case RtfToken::Type::Text:
            text(token);
            break;
        case RtfToken::Type::Binary:
        case RtfToken::Type::End:
            break;
        }
    }
    // Text after the last paragraph mark, and a table the document ends with.
    for (int story = 0; story < 3; ++story) {
        Paragraph &p = m_paragraph[story];
        if (p.runs.empty())
            continue;
        m_groups.back().story = static_cast<Story>(story);
        endParagraph(false);
    }
    flushTable();
    return !m_cancelled;
}

void Builder::text(const RtfToken &token)
{
    Group &g = m_groups.back();
    if (g.destination == Destination::FontTable) {
        if (m_fontBeingDefined < 0)
            return;
        Font &font = m_fonts[m_fontBeingDefined];
        for (uint32_t pos = token.begin; pos < token.end; ++pos) {
            const char c = m_bytes[pos];
            if (c == ';')
                m_fontBeingDefined = -1;
            else if (m_fontBeingDefined >= 0)
                font.name.append(QChar(static_cast<char16_t>(decodeByte(m_documentCodePage,
                                                                        static_cast<unsigned char>(c)))));
            if (m_fontBeingDefined < 0)
                break;
        }
        return;
    }
    if (g.destination == Destination::ColorTable) {
        for (uint32_t pos = token.begin; pos < token.end; ++pos)
            if (m_bytes[pos] == ';') {
                m_colors.push_back(m_colorTouched ? m_colorBeingDefined : QColor(Qt::black));
                m_colorBeingDefined = QColor(0, 0, 0);
                m_colorTouched = false;
            }
        return;
    }
    if (g.destination != Destination::Text)
        return;
    const int page = codePage();
    for (uint32_t pos = token.begin; pos < token.end; ++pos) {
        const auto b = static_cast<unsigned char>(m_bytes[pos]);
        if (b == '\t')
            character(U'\t');
        else if (b >= 0x20)
            character(decodeByte(page, b));
    }
}

void Builder::character(char32_t c)
{
    const Group &g = m_groups.back();
    if (g.chars.hidden)
        return;
    Paragraph &p = current();
    if (p.runs.empty() || !(p.runs.back().props == g.chars))
        p.runs.push_back(Run{g.chars, {}});
    QString &text = p.runs.back().text;
    if (c > 0xFFFF) {
        text.append(QChar::highSurrogate(c));
        text.append(QChar::lowSurrogate(c));
    } else {
        text.append(QChar(static_cast<char16_t>(c)));
    }
}

void Builder::controlSymbol(const RtfToken &token)
{
    Group &g = m_groups.back();
    if (token.symbol == '*') {
        g.ignorable = true;
        return;
    }
    if (g.destination != Destination::Text)
        return;
    switch (token.symbol) {
    case '\\':
    case '{':
    case '}':
        character(static_cast<unsigned char>(token.symbol));
        break;
    case '~':
        character(0x00A0);
        break;
    case '_':
        character(0x2011);
        break;
    case '\r':
    case '\n':
        endParagraph(g.para.inTable);
        break;
    default:
        break;
    }
}

void Builder::controlWord(const RtfToken &token)
{
    Group &g = m_groups.back();
    if (g.destination == Destination::Skip)
        return;
    const ControlWordInfo *info = findControlWord(token.word);
    if (g.ignorable) {
        g.ignorable = false;
        if (info == nullptr || !isDestination(info->action)) {
            g.destination = Destination::Skip;
            return;
        }
    }
    if (info == nullptr)
        return;
    const int n = token.parameter;
    const bool on = !token.hasParameter || n != 0;
    CharacterProperties &chars = g.chars;
    ParagraphProperties &para = g.para;
    if (g.destination == Destination::FontTable) {
        if (info->action == Action::Font) {
            m_fontBeingDefined = n;
            m_fonts[n] = Font{};
        } else if (info->action == Action::FontCharset && m_fontBeingDefined >= 0) {
            m_fonts[m_fontBeingDefined].codePage = codePageOfCharset(n);
        } else if (info->action == Action::FontCodePage && m_fontBeingDefined >= 0) {
            m_fonts[m_fontBeingDefined].codePage = n;
        } else if (isDestination(info->action)) {
            g.destination = Destination::Skip;
        }
        return;
    }
    if (g.destination == Destination::ColorTable) {
        const int value = std::clamp(n, 0, 255);
        if (info->action == Action::Red)
            m_colorBeingDefined.setRed(value);
        else if (info->action == Action::Green)
            m_colorBeingDefined.setGreen(value);
        else if (info->action == Action::Blue)
            m_colorBeingDefined.setBlue(value);
        else if (isDestination(info->action))
            g.destination = Destination::Skip;
        m_colorTouched = m_colorTouched || info->action == Action::Red || info->action == Action::Green
                         || info->action == Action::Blue;
        return;
    }
    const bool inText = g.destination == Destination::Text;
    // Lengths a damaged document might give absurdly: kept within a sheet of paper's size.
    const auto length = [n](int limit) { return std::clamp(n, -limit, limit); };
    switch (info->action) {
    case Action::Skip:
        g.destination = Destination::Skip;
        break;
    case Action::Container:
        g.destination = Destination::Container;
        break;
    case Action::TextResult:
        if (g.destination == Destination::Container || g.destination == Destination::Text)
            g.destination = Destination::Text;
        break;
    case Action::FontTable:
        g.destination = Destination::FontTable;
        break;
    case Action::ColorTable:
        g.destination = Destination::ColorTable;
        m_colors.clear();
        break;
    case Action::Header:
    case Action::Footer:
        g.destination = Destination::Text;
        g.story = info->action == Action::Header ? Story::Header : Story::Footer;
        // A header given again (for left and right pages) replaces the one read before.
        (g.story == Story::Header ? headerParagraphs : footerParagraphs).clear();
        current() = Paragraph{};
        break;
    case Action::Character:
        if (inText)
            character(static_cast<char32_t>(info->value));
        break;
    case Action::Paragraph:
        if (inText)
            endParagraph(para.inTable || para.tableLevel > 0);
        break;
    case Action::Section:
        if (inText)
            endParagraph(false);
        break;
    case Action::Page:
        if (inText && g.story == Story::Body) {
            if (!current().runs.empty())
                endParagraph(para.inTable);
            m_pageBreakPending = true;
        }
        break;
    case Action::Cell:
        if (inText && g.story == Story::Body)
            endCell();
        else if (inText)
            character(U'\t');
        break;
    case Action::NestedCell:
        if (inText)
            endParagraph(true);
        break;
    case Action::Row:
        if (inText && g.story == Story::Body)
            endRow();
        break;
    case Action::NestedRow:
        break;
    case Action::Unicode:
        if (inText) {
            int32_t value = n < 0 ? n + 65536 : n;
            character(value >= 0 && value <= 0xFFFF ? static_cast<char32_t>(value) : UnknownCharacter);
        }
        m_skipRemaining = g.unicodeSkip;
        break;
    case Action::UnicodeSkip:
        g.unicodeSkip = static_cast<uint8_t>(std::clamp(token.hasParameter ? n : 1, 0, 255));
        break;
    case Action::AnsiCodePage:
        if (n > 0)
            m_documentCodePage = n;
        break;
    case Action::DefaultFont:
        m_defaultFont = n;
        break;
    case Action::PaperWidth:
        if (n > 0)
            paper.setWidth(std::min(n, 31680));
        break;
    case Action::PaperHeight:
        if (n > 0)
            paper.setHeight(std::min(n, 31680));
        break;
    case Action::MarginLeft:
        margins.setLeft(std::clamp(n, 0, 15000));
        break;
    case Action::MarginRight:
        margins.setRight(std::clamp(n, 0, 15000));
        break;
    case Action::MarginTop:
        margins.setTop(std::clamp(std::abs(n), 0, 15000));
        break;
    case Action::MarginBottom:
        margins.setBottom(std::clamp(std::abs(n), 0, 15000));
        break;
    case Action::HeaderDistance:
        headerDistance = std::clamp(n, 0, 15000);
        break;
    case Action::FooterDistance:
        footerDistance = std::clamp(n, 0, 15000);
        break;
    case Action::FontCharset:
    case Action::FontCodePage:
    case Action::Red:
    case Action::Green:
    case Action::Blue:
        break;
    case Action::Plain:
        chars = CharacterProperties{};
        break;
    case Action::Font:
        chars.font = n;
        break;
    case Action::FontSize:
        chars.halfPoints = token.hasParameter && n > 0 ? std::min(n, 3276) : 24;
        break;
    case Action::Bold:
        chars.bold = on;
        break;
    case Action::Italic:
        chars.italic = on;
        break;
    case Action::Underline:
        chars.underline = on;
        break;
    case Action::UnderlineNone:
        chars.underline = false;
        break;
    case Action::Strike:
        chars.strike = on;
        break;
    case Action::Hidden:
        chars.hidden = on;
        break;
    case Action::Caps:
        chars.caps = on;
        break;
    case Action::Color:
        chars.color = n;
        break;
    case Action::Superscript:
        chars.shift = 1;
        break;
    case Action::Subscript:
        chars.shift = -1;
        break;
    case Action::NoSuperSub:
        chars.shift = 0;
        break;
    case Action::ParagraphDefaults:
        para = ParagraphProperties{};
        break;
    case Action::AlignLeft:
        para.align = Qt::AlignLeft;
        break;
    case Action::AlignCenter:
        para.align = Qt::AlignHCenter;
        break;
    case Action::AlignRight:
        para.align = Qt::AlignRight;
        break;
    case Action::AlignJustify:
        para.align = Qt::AlignJustify;
        break;
    case Action::LeftIndent:
        para.leftIndent = length(15000);
        break;
    case Action::RightIndent:
        para.rightIndent = length(15000);
        break;
    case Action::FirstIndent:
        para.firstIndent = length(15000);
        break;
    case Action::SpaceBefore:
        para.spaceBefore = std::clamp(n, 0, 15000);
        break;
    case Action::SpaceAfter:
        para.spaceAfter = std::clamp(n, 0, 15000);
        break;
    case Action::LineSpacing:
        para.lineSpacing = length(15000);
        break;
    case Action::LineMultiple:
        para.lineMultiple = on;
        break;
    case Action::InTable:
        para.inTable = true;
        break;
    case Action::TableLevel:
        para.tableLevel = n;
        para.inTable = n > 0;
        break;
    case Action::PageBreakBefore:
        para.pageBreakBefore = on;
        break;
    case Action::KeepNext:
        para.keepNext = on;
        break;
    case Action::RowDefaults:
        m_row = RowDefinition{};
        m_cellDefinition = CellDefinition{};
        m_border = nullptr;
        break;
    case Action::RowLeft:
        m_row.left = length(15000);
        break;
    case Action::RowGap:
        m_row.gap = std::clamp(n, 0, 3000);
        break;
    case Action::RowAlignLeft:
        m_row.align = Qt::AlignLeft;
        break;
    case Action::RowAlignCenter:
        m_row.align = Qt::AlignHCenter;
        break;
    case Action::RowAlignRight:
        m_row.align = Qt::AlignRight;
        break;
    case Action::RowHeading:
        m_row.heading = true;
        break;
    case Action::RowPadding:
        m_row.padding[static_cast<size_t>(info->value)] = std::clamp(n, 0, 3000);
        break;
    case Action::RowBorder:
        m_border = &m_row.borders[static_cast<size_t>(info->value)];
        *m_border = Border{};
        break;
    case Action::CellBorder:
        m_border = &m_cellDefinition.borders[static_cast<size_t>(info->value)];
        *m_border = Border{};
        break;
    case Action::ParagraphBorder:
        m_border = &m_ignoredBorder;
        break;
    case Action::CellPadding:
        m_cellDefinition.padding[static_cast<size_t>(info->value)] = std::clamp(n, 0, 3000);
        break;
    case Action::CellRight:
        m_cellDefinition.right = length(31680);
        m_row.cells.push_back(m_cellDefinition);
        m_cellDefinition = CellDefinition{};
        m_border = nullptr;
        break;
    case Action::CellMergeFirst:
        m_cellDefinition.mergeFirst = true;
        break;
    case Action::CellMerge:
        m_cellDefinition.merge = true;
        break;
    case Action::CellVerticalMergeFirst:
        m_cellDefinition.verticalMergeFirst = true;
        break;
    case Action::CellVerticalMerge:
        m_cellDefinition.verticalMerge = true;
        break;
    case Action::CellVerticalTop:
        m_cellDefinition.valign = QTextCharFormat::AlignTop;
        break;
    case Action::CellVerticalCenter:
        m_cellDefinition.valign = QTextCharFormat::AlignMiddle;
        break;
    case Action::CellVerticalBottom:
        m_cellDefinition.valign = QTextCharFormat::AlignBottom;
        break;
    case Action::BorderStyle:
        if (m_border != nullptr)
            m_border->style = info->value;
        break;
    case Action::BorderWidth:
        if (m_border != nullptr)
            m_border->width = std::clamp(n, 0, 300);
        break;
    case Action::BorderColor:
        if (m_border != nullptr)
            m_border->color = n;
        break;
    }
}

void Builder::endParagraph(bool tableParagraph)
{
    const Group &g = m_groups.back();
    Paragraph p = std::move(current());
    current() = Paragraph{};
    p.props = g.para;
    p.mark = g.chars;
    p.mark.hidden = false;
    if (g.story == Story::Header) {
        headerParagraphs.push_back(std::move(p));
        return;
    }
    if (g.story == Story::Footer) {
        footerParagraphs.push_back(std::move(p));
        return;
    }
    if (m_pageBreakPending) {
        p.props.pageBreakBefore = true;
        m_pageBreakPending = false;
    }
    if (tableParagraph) {
        m_cell.paragraphs.push_back(std::move(p));
        return;
    }
    flushTable();
    insertParagraph(m_cursor, p, m_firstBlock ? Block::First : Block::New, m_spaceAbove);
    m_firstBlock = false;
}

void Builder::endCell()
{
    // The cell's last paragraph ends with the cell mark, not with \par.
    Paragraph &p = current();
    if (!p.runs.empty() || m_cell.paragraphs.empty()) {
        const bool pending = m_pageBreakPending;
        endParagraph(true);
        m_pageBreakPending = pending;
    }
    m_rowRead.cells.push_back(std::move(m_cell));
    m_cell = Cell{};
}

void Builder::endRow()
{
    current() = Paragraph{};
    m_rowRead.definition = m_row;
    if (m_tableRows.empty())
        m_tableStart = m_position;
    if (!m_rowRead.cells.empty())
        m_tableRows.push_back(std::move(m_rowRead));
    m_rowRead = Row{};
}

void Builder::flushTable()
{
    if (!m_tableRows.empty()) {
        if (m_pageBreakPending && !m_tableRows.front().cells.front().paragraphs.empty())
            m_tableRows.front().cells.front().paragraphs.front().props.pageBreakBefore = true;
        if (isLongTable(m_tableRows)) {
            insertLongTable(m_cursor, m_tableRows);
        } else {
            insertTable(m_cursor, m_tableRows);
            // Qt ends a table with an empty paragraph of its own, which it shows with no
            // height; the next paragraph read comes after it.
            m_firstBlock = false;
        }
        m_tableRows.clear();
        m_spaceAbove = 0; // a table's margins do not join a paragraph's
    }
    // Cells without a \row (damaged input) are shown as paragraphs.
    for (Cell &cell : m_rowRead.cells)
        for (Paragraph &p : cell.paragraphs) {
            insertParagraph(m_cursor, p, m_firstBlock ? Block::First : Block::New, m_spaceAbove);
            m_firstBlock = false;
        }
    m_rowRead = Row{};
}

QTextCharFormat Builder::charFormat(const CharacterProperties &p)
{
    if (m_haveLastFormat && p == m_lastProps)
        return m_lastFormat;
    QTextCharFormat f;
    const int fontNumber = p.font >= 0 ? p.font : m_defaultFont;
    auto it = m_qfonts.find(fontNumber);
    if (it == m_qfonts.end()) {
        const auto known = m_fonts.find(fontNumber);
        QFont font(known != m_fonts.end() && !known->second.name.trimmed().isEmpty()
                       ? known->second.name.trimmed()
                       : QStringLiteral("Times New Roman"));
        // No style hint: with one, Qt passes over fontconfig's aliases ("Times New Roman" is
        // Liberation Serif or Nimbus Roman, metric-compatible) for the generic serif font, whose
        // wider letters wrap lines a word processor keeps whole.
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setKerning(true); // word processors kern pairs too
        it = m_qfonts.emplace(fontNumber, font).first;
    }
    QFont font = it->second;
    font.setPointSizeF(p.halfPoints / 2.0);
    font.setBold(p.bold);
    font.setItalic(p.italic);
    font.setUnderline(p.underline);
    font.setStrikeOut(p.strike);
    if (p.caps)
        font.setCapitalization(QFont::AllUppercase);
    // Only what was set: every property of a format is copied and compared many times over
    // while Qt lays tables out and draws them.
    f.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    if (p.color > 0 && static_cast<size_t>(p.color) < m_colors.size())
        f.setForeground(m_colors[static_cast<size_t>(p.color)]);
    if (p.shift != 0)
        f.setVerticalAlignment(p.shift > 0 ? QTextCharFormat::AlignSuperScript
                                           : QTextCharFormat::AlignSubScript);
    m_lastProps = p;
    m_lastFormat = f;
    m_haveLastFormat = true;
    return f;
}

QTextBlockFormat Builder::blockFormat(const ParagraphProperties &p) const
{
    QTextBlockFormat f;
    f.setAlignment(p.align);
    // Qt scales a paragraph's space above and below to the device, but takes its indents as
    // they are.
    f.setLeftMargin(p.leftIndent);
    f.setRightMargin(p.rightIndent);
    f.setTextIndent(p.firstIndent);
    f.setTopMargin(p.spaceBefore * m_unit);
    f.setBottomMargin(p.spaceAfter * m_unit);
    if (p.lineSpacing > 0 && p.lineMultiple)
        f.setLineHeight(100.0 * p.lineSpacing / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (p.lineSpacing > 0)
        f.setLineHeight(p.lineSpacing * m_unit, QTextBlockFormat::MinimumHeight);
    else if (p.lineSpacing < 0)
        f.setLineHeight(-p.lineSpacing * m_unit, QTextBlockFormat::FixedHeight);
    if (p.pageBreakBefore)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return f;
}

void Builder::insertParagraph(QTextCursor &cursor, const Paragraph &p, Block where, double &spaceAbove)
{
    QTextBlockFormat block = blockFormat(p.props);
    const QTextCharFormat mark = charFormat(p.mark);
    if (p.props.lineMultiple && p.props.lineSpacing > 240) {
        // Qt widens the space between a paragraph's lines, word processors every line, the
        // last one too: the last line's share comes after the paragraph.
        const double line = QFontMetricsF(mark.font(), &twipsDevice()).height();
        block.setBottomMargin(block.bottomMargin()
                              + (p.props.lineSpacing - 240) / 240.0 * line * m_unit);
    }
    // Qt lets the larger of two adjoining margins stand for both, as web pages do; word
    // processors add them. The space above takes the sum, which Qt then prefers.
    block.setTopMargin(block.topMargin() + spaceAbove);
    spaceAbove = block.bottomMargin();
    // Qt hides an empty paragraph right before a table, unless it has a background; a word
    // processor shows its height.
    if (p.runs.empty())
        block.setBackground(QBrush(Qt::NoBrush));
    if (where == Block::FirstInCell) {
        cursor.setBlockFormat(block);
    } else if (where == Block::First) {
        cursor.setBlockFormat(block);
        cursor.setBlockCharFormat(mark);
    } else {
        cursor.insertBlock(block, mark);
    }
    for (const Run &run : p.runs)
        cursor.insertText(run.text, charFormat(run.props));
}

void Builder::write(QTextDocument &document, const std::vector<Paragraph> &paragraphs)
{
    QTextCursor cursor(&document);
    bool first = true;
    double spaceAbove = 0;
    for (const Paragraph &p : paragraphs) {
        insertParagraph(cursor, p, first ? Block::First : Block::New, spaceAbove);
        first = false;
    }
}

// Tables from this many rows on whose rows are all alike go the fast way (see LongTable).
constexpr size_t LongTableRows = 20;

bool Builder::isLongTable(const std::vector<Row> &rows) const
{
    if (rows.size() < LongTableRows)
        return false;
    const RowDefinition &first = rows.front().definition;
    for (const Row &row : rows) {
        const RowDefinition &d = row.definition;
        if (d.left != first.left || d.cells.size() != first.cells.size()
            || row.cells.size() != d.cells.size())
            return false;
        for (size_t c = 0; c < d.cells.size(); ++c) {
            const CellDefinition &cell = d.cells[c];
            if (cell.right != first.cells[c].right || cell.merge || cell.mergeFirst
                || cell.verticalMerge || cell.verticalMergeFirst || row.cells[c].paragraphs.size() > 1)
                return false;
        }
    }
    return true;
}

QPen borderPen(int style, int width, const QColor &color)
{
    if (style == BorderNone)
        return QPen(Qt::NoPen);
    QPen pen(color, std::max(width, 1));
    pen.setCapStyle(Qt::SquareCap);
    if (style == BorderDotted)
        pen.setStyle(Qt::DotLine);
    else if (style == BorderDashed)
        pen.setStyle(Qt::DashLine);
    return pen;
}

void Builder::insertLongTable(QTextCursor &cursor, const std::vector<Row> &rows)
{
    if (!m_longTable) {
        m_longTable = std::make_unique<LongTable>();
        cursor.document()->documentLayout()->registerHandler(LongTable::ObjectType, m_longTable.get());
    }
    LongTable &table = *m_longTable;
    const auto colour = [this](int index) {
        return index > 0 && static_cast<size_t>(index) < m_colors.size() ? m_colors[static_cast<size_t>(index)]
                                                                         : QColor(Qt::black);
    };
    // The table's few kinds of line, each made into a pen once.
    std::vector<std::pair<std::array<int, 3>, LongTable::PenId>> pens;
    const auto penOf = [&](const Border &b) {
        const std::array<int, 3> kind{b.style, b.width, b.color};
        for (const auto &[known, id] : pens)
            if (known == kind)
                return id;
        const LongTable::PenId id = table.penId(borderPen(b.style, b.width, colour(b.color)));
        pens.emplace_back(kind, id);
        return id;
    };
    QTextCharFormat slice;
    slice.setObjectType(LongTable::ObjectType);
    // The line is as high as the slice, not as a font: the object sits on the line's bottom.
    slice.setFontPointSize(1);
    slice.setVerticalAlignment(QTextCharFormat::AlignBottom);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    for (size_t r = 0; r < rows.size(); ++r) {
        const uint64_t span = m_position > m_tableStart ? m_position - m_tableStart : 0;
        if (!reportProgress(m_tableStart + static_cast<uint32_t>(span * r / rows.size())))
            return;
        const RowDefinition &d = rows[r].definition;
        const auto pad = [&d](const CellDefinition &def, size_t side) {
            if (def.padding[side] >= 0)
                return def.padding[side];
            if (d.padding[side] >= 0)
                return d.padding[side];
            return side == 1 || side == 3 ? d.gap : 0;
        };
        LongTable::Row row;
        // A word processor keeps a row's text below its top line; the line between two rows
        // is the lower row's top, so only the last row makes room for its bottom line too.
        const auto line = [&](size_t side) {
            Border b = d.cells.front().borders[side];
            if (b.style == BorderNone)
                b = d.borders[r == 0 || r + 1 == rows.size() ? side : 4];
            return b.style == BorderNone ? 0 : std::max(b.width, 1);
        };
        const double topPadding = pad(d.cells.front(), 0) + line(0);
        const double bottomPadding = pad(d.cells.front(), 2) + (r + 1 == rows.size() ? line(2) : 0);
        // Each cell's lines, as glyphs placed from the cell's text origin, with their heights.
        std::vector<std::vector<std::pair<QList<QGlyphRun>, double>>> lines(d.cells.size());
        size_t lineCount = 1;
        int left = d.left;
        for (size_t c = 0; c < d.cells.size(); ++c) {
            const CellDefinition &def = d.cells[c];
            LongTable::Cell cell;
            cell.left = left - d.left;
            cell.right = def.right - d.left;
            left = def.right;
            const bool lastInRow = c + 1 == d.cells.size();
            for (size_t side = 0; side < 4; ++side) {
                Border b = def.borders[side];
                if (b.style == BorderNone) {
                    const bool outer = (side == 1 && c == 0) || (side == 3 && lastInRow)
                                       || (side == 0 && r == 0) || (side == 2 && r + 1 == rows.size());
                    b = d.borders[outer ? side : (side == 0 || side == 2 ? 4 : 5)];
                }
                cell.border[side] = penOf(b);
            }
            QString text;
            QList<QTextLayout::FormatRange> formats;
            QTextCharFormat base;
            Qt::Alignment align = Qt::AlignLeft;
            const std::vector<Paragraph> &paragraphs = rows[r].cells[c].paragraphs;
            if (!paragraphs.empty()) {
                const Paragraph &p = paragraphs.front();
                align = p.props.align;
                base = charFormat(p.runs.empty() ? p.mark : p.runs.front().props);
                for (const Run &run : p.runs) {
                    formats.append({static_cast<int>(text.size()), static_cast<int>(run.text.size()),
                                    charFormat(run.props)});
                    text += run.text;
                }
            } else {
                base = charFormat(CharacterProperties{});
            }
            // Word processors may break a line after a hyphen between digits ("088-|97-86");
            // Qt's rules forbid it, and would break inside a number instead. An invisible
            // break opportunity puts the break where the word processor does.
            for (qsizetype i = text.size() - 2; i > 0; --i)
                if (text[i] == QLatin1Char('-') && text[i - 1].isDigit() && text[i + 1].isDigit()) {
                    text.insert(i + 1, QChar(0x200B));
                    for (QTextLayout::FormatRange &range : formats) {
                        if (range.start > i)
                            ++range.start;
                        else if (range.start + range.length > i)
                            ++range.length;
                    }
                }
            const double width = std::max(1.0, cell.right - cell.left - pad(def, 1) - pad(def, 3));
            const QPointF origin(cell.left + pad(def, 1), 0);
            // A list repeats many values (departments, posts, kinds of work): each text is laid
            // out once for a width and formatting, its lines kept from the text's origin.
            // The key holds its numbers as raw bits: it is made for every cell of the table.
            QString key;
            const auto number = [&key](uint64_t value, int chars) {
                for (int i = 0; i < chars; ++i, value >>= 16)
                    key.append(QChar(static_cast<char16_t>(value & 0xFFFF)));
            };
            const size_t runCount = paragraphs.empty() ? 0 : paragraphs.front().runs.size();
            key.reserve(text.size() + 8 + static_cast<qsizetype>(runCount) * 10);
            number(static_cast<uint64_t>(text.size()), 2);
            key += text;
            number(std::bit_cast<uint64_t>(width), 4);
            number(static_cast<uint32_t>(align.toInt()), 2);
            if (!paragraphs.empty()) {
                const Paragraph &p = paragraphs.front();
                for (const Run &run : p.runs) {
                    number(static_cast<uint64_t>(run.text.size()), 2);
                    number(static_cast<uint32_t>(run.props.font), 2);
                    number(static_cast<uint32_t>(run.props.halfPoints), 2);
                    number(static_cast<uint32_t>(run.props.color), 2);
                    number(static_cast<uint32_t>(run.props.bold | run.props.italic << 1 | run.props.underline << 2
                                                 | run.props.strike << 3 | run.props.caps << 4
                                                 | (run.props.shift + 1) << 5 | run.props.hidden << 8),
                           2);
                }
            }
            auto cached = m_cellLines.find(key);
            if (cached == m_cellLines.end()) {
                QTextLayout layout(text, base.font(), &twipsDevice());
                option.setAlignment(align);
                layout.setTextOption(option);
                layout.setFormats(formats);
                double y = 0;
                layout.beginLayout();
                for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                    line.setLineWidth(width);
                    // A line is as high as the font's ascent, descent and line gap, as in the
                    // paragraphs Qt lays out and in word processors.
                    line.setLeadingIncluded(true);
                    line.setPosition(QPointF(0, y));
                    y += line.height();
                }
                layout.endLayout();
                std::vector<std::pair<QList<QGlyphRun>, double>> laid;
                for (int i = 0; i < layout.lineCount(); ++i) {
                    const QTextLine line = layout.lineAt(i);
                    QList<QGlyphRun> runs = line.glyphRuns();
                    for (QGlyphRun &run : runs) {
                        QList<QPointF> positions = run.positions();
                        for (QPointF &p : positions)
                            p.ry() -= line.y();
                        run.setPositions(positions);
                    }
                    laid.emplace_back(std::move(runs), line.height());
                }
                cached = m_cellLines.emplace(std::move(key), std::move(laid));
            }
            for (const auto &[laidRuns, height] : *cached) {
                QList<QGlyphRun> runs = laidRuns;
                for (QGlyphRun &run : runs) {
                    QList<QPointF> positions = run.positions();
                    for (QPointF &p : positions)
                        p += origin;
                    run.setPositions(positions);
                }
                lines[c].emplace_back(std::move(runs), height);
            }
            lineCount = std::max(lineCount, lines[c].size());
            row.cells.push_back(std::move(cell));
        }
        std::vector<LongTable::Slice> slices(lineCount);
        for (size_t i = 0; i < lineCount; ++i) {
            LongTable::Slice &s = slices[i];
            s.first = i == 0;
            s.last = i + 1 == lineCount;
            const double textTop = s.first ? topPadding : 0;
            s.cells.resize(lines.size());
            for (size_t c = 0; c < lines.size(); ++c) {
                if (i >= lines[c].size())
                    continue;
                s.height = std::max(s.height, lines[c][i].second);
                for (QGlyphRun &run : lines[c][i].first) {
                    if (textTop != 0) {
                        QList<QPointF> positions = run.positions();
                        for (QPointF &p : positions)
                            p.ry() += textTop;
                        run.setPositions(positions);
                    }
                    s.cells[c].push_back(std::move(run));
                }
            }
            s.height += (s.first ? topPadding : 0) + (s.last ? bottomPadding : 0);
        }
        const auto [first, end] = table.addRow(std::move(row), std::move(slices));
        // A row is one paragraph, its slices inline objects on lines of their own: the
        // document breaks pages between lines.
        QString objects;
        for (int s = first; s < end; ++s) {
            if (s > first)
                objects.append(QChar::LineSeparator);
            objects.append(QChar::ObjectReplacementCharacter);
        }
        QTextBlockFormat block;
        if (r == 0 && rows.front().cells.front().paragraphs.size() == 1
            && rows.front().cells.front().paragraphs.front().props.pageBreakBefore)
            block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        slice.setProperty(LongTable::SliceProperty, first);
        if (m_firstBlock) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(slice);
            m_firstBlock = false;
        } else {
            cursor.insertBlock(block, slice);
        }
        cursor.insertText(objects, slice);
        // Qt drops a paragraph's shaped text once it is laid out and shapes it again for every
        // drawing; a row's few object characters are cheaper kept.
        cursor.block().layout()->setCacheEnabled(true);
    }
}

QTextFrameFormat::BorderStyle qtBorderStyle(int style)
{
    return style == BorderNone ? QTextFrameFormat::BorderStyle_None
                               : static_cast<QTextFrameFormat::BorderStyle>(style - 1);
}

void Builder::insertTable(QTextCursor &cursor, const std::vector<Row> &rows)
{
    // Rows of one table may divide it differently: the grid has a column between every two
    // cell edges any row has, and each cell spans the columns between its own edges.
    std::vector<int> edges;
    for (const Row &row : rows) {
        edges.push_back(row.definition.left);
        for (const CellDefinition &c : row.definition.cells)
            edges.push_back(c.right);
    }
    std::sort(edges.begin(), edges.end());
    // Edges a few twips apart are one edge that rounding moved.
    std::vector<int> grid;
    for (int e : edges)
        if (grid.empty() || e - grid.back() > 10)
            grid.push_back(e);
    if (grid.size() < 2)
        grid = {0, 1440};
    const auto columnOf = [&grid](int x) {
        const auto it = std::lower_bound(grid.begin(), grid.end(), x - 10);
        return static_cast<int>(std::min<ptrdiff_t>(it - grid.begin(), static_cast<ptrdiff_t>(grid.size()) - 1));
    };
    const int columns = static_cast<int>(grid.size()) - 1;

    // Where each read cell goes: its first column and span, per row.
    struct Placement {
        int column;
        int span;
    };
    std::vector<std::vector<Placement>> placements(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const RowDefinition &d = rows[r].definition;
        int left = d.left;
        for (size_t c = 0; c < rows[r].cells.size(); ++c) {
            int right;
            if (c < d.cells.size())
                right = d.cells[c].right;
            else // more cells than definitions (damaged input): one column each
                right = grid[std::min<size_t>(static_cast<size_t>(columnOf(left)) + 1, grid.size() - 1)];
            const int first = std::min(columnOf(left), columns - 1);
            const int last = std::max(first + 1, columnOf(right));
            placements[r].push_back({first, std::min(last, columns) - first});
            left = right;
        }
    }

    const RowDefinition &firstRow = rows.front().definition;
    QTextTableFormat format;
    // Borders are the cells' own, each line between two cells given to one of them (see below):
    // Qt's collapsing of borders compares every cell with its neighbours each time it lays out
    // or draws one, which took a third of the time of a personal card.
    format.setBorderCollapse(false);
    format.setBorder(0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setMargin(0);
    format.setLeftMargin(std::max(0, firstRow.left) * m_unit);
    format.setAlignment(firstRow.align);
    QList<QTextLength> widths;
    for (int c = 0; c < columns; ++c)
        widths.append(QTextLength(QTextLength::FixedLength, (grid[c + 1] - grid[c]) * m_unit));
    format.setColumnWidthConstraints(widths);
    int headings = 0;
    while (headings < static_cast<int>(rows.size()) && rows[headings].definition.heading)
        ++headings;
    if (headings < static_cast<int>(rows.size()))
        format.setHeaderRowCount(headings);
    const Paragraph *opening = rows.front().cells.front().paragraphs.empty()
                                   ? nullptr
                                   : &rows.front().cells.front().paragraphs.front();
    if (opening != nullptr && opening->props.pageBreakBefore)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);

    // A table cannot open a document: Qt keeps an empty paragraph before it, which the first
    // block already is, and shows it with no height.
    QTextTable *table = cursor.insertTable(static_cast<int>(rows.size()), columns, format);

    const auto borderOf = [&](const RowDefinition &d, const CellDefinition &c, size_t side, bool outer) {
        if (c.borders[side].style != BorderNone)
            return c.borders[side];
        // Row borders: the outer ones at the table's edge, the inner ones between cells.
        const size_t rowSide = outer ? side : (side == 0 || side == 2 ? 4 : 5);
        return d.borders[rowSide];
    };
    const auto setBorder = [&](QTextTableCellFormat &f, size_t side, const Border &b) {
        // A side without a line is left unset (Qt then draws none), and black is Qt's default:
        // fewer properties make the many copies of cell formats cheaper.
        if (b.style == BorderNone)
            return;
        const double width = std::max(b.width, 1) * m_unit;
        const QTextFrameFormat::BorderStyle style = qtBorderStyle(b.style);
        const bool coloured = b.color > 0 && static_cast<size_t>(b.color) < m_colors.size()
                              && m_colors[static_cast<size_t>(b.color)] != QColor(Qt::black);
        const QBrush brush(coloured ? m_colors[static_cast<size_t>(b.color)] : QColor(Qt::black));
        switch (side) {
        case 0:
            f.setTopBorder(width), f.setTopBorderStyle(style);
            if (coloured)
                f.setTopBorderBrush(brush);
            break;
        case 1:
            f.setLeftBorder(width), f.setLeftBorderStyle(style);
            if (coloured)
                f.setLeftBorderBrush(brush);
            break;
        case 2:
            f.setBottomBorder(width), f.setBottomBorderStyle(style);
            if (coloured)
                f.setBottomBorderBrush(brush);
            break;
        default:
            f.setRightBorder(width), f.setRightBorderStyle(style);
            if (coloured)
                f.setRightBorderBrush(brush);
            break;
        }
    };

    // Which read cell covers each column of each row, for the lines between rows.
    std::vector<std::vector<int>> coverOf(rows.size(), std::vector<int>(static_cast<size_t>(columns), -1));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < placements[r].size(); ++c)
            for (int k = 0; k < placements[r][c].span; ++k)
                coverOf[r][static_cast<size_t>(placements[r][c].column + k)] = static_cast<int>(c);
    // The line on a side of a read cell, as its definition and its row's give it.
    const auto lineOf = [&](size_t r, size_t c, size_t side) {
        const RowDefinition &d = rows[r].definition;
        const CellDefinition def = c < d.cells.size() ? d.cells[c] : CellDefinition{};
        const bool outer = (side == 1 && c == 0) || (side == 3 && c + 1 == rows[r].cells.size())
                           || (side == 0 && r == 0) || (side == 2 && r + 1 == rows.size());
        return borderOf(d, def, side, outer);
    };
    // A word processor draws one line between two cells, on their common edge. Here the cell
    // right of an edge and the one below it draw the line, inside themselves: a cell has its
    // left and top lines (its own, else its neighbour's), and its right and bottom ones only at
    // the table's edge or where no cell adjoins.
    const auto linesOf = [&](size_t r, size_t c, int column) {
        std::array<Border, 4> lines{};
        lines[1] = lineOf(r, c, 1);
        if (c > 0 && lines[1].style == BorderNone)
            lines[1] = lineOf(r, c - 1, 3);
        lines[0] = lineOf(r, c, 0);
        if (r > 0 && lines[0].style == BorderNone && coverOf[r - 1][static_cast<size_t>(column)] >= 0)
            lines[0] = lineOf(r - 1, static_cast<size_t>(coverOf[r - 1][static_cast<size_t>(column)]), 2);
        if (c + 1 == rows[r].cells.size())
            lines[3] = lineOf(r, c, 3);
        if (r + 1 == rows.size() || coverOf[r + 1][static_cast<size_t>(column)] < 0)
            lines[2] = lineOf(r, c, 2);
        return lines;
    };
    // The line right of each read cell, which the next cell draws: room is kept for it.
    const auto rightLineOf = [&](size_t r, size_t c) {
        const Border own = lineOf(r, c, 3);
        if (c + 1 >= rows[r].cells.size() || own.style != BorderNone)
            return own;
        return lineOf(r, c + 1, 1);
    };

    // Cells that a vertical merge continues: (row, column) -> the row its merge started in.
    std::vector<std::vector<int>> mergedFrom(rows.size(), std::vector<int>(static_cast<size_t>(columns), -1));
    std::vector<int> openMerge(static_cast<size_t>(columns), -1);
    for (size_t r = 0; r < rows.size(); ++r) {
        const uint64_t span = m_position > m_tableStart ? m_position - m_tableStart : 0;
        if (!reportProgress(m_tableStart + static_cast<uint32_t>(span * r / rows.size())))
            return;
        const RowDefinition &d = rows[r].definition;
        std::vector<bool> covered(static_cast<size_t>(columns), false);
        for (size_t c = 0; c < rows[r].cells.size(); ++c) {
            const Placement place = placements[r][c];
            const CellDefinition def = c < d.cells.size() ? d.cells[c] : CellDefinition{};
            if (def.verticalMerge && openMerge[static_cast<size_t>(place.column)] >= 0) {
                mergedFrom[r][static_cast<size_t>(place.column)] = openMerge[static_cast<size_t>(place.column)];
            } else {
                openMerge[static_cast<size_t>(place.column)] =
                    def.verticalMergeFirst ? static_cast<int>(r) : -1;
            }
            for (int k = 0; k < place.span; ++k)
                covered[static_cast<size_t>(place.column + k)] = true;
            if (place.span > 1)
                table->mergeCells(static_cast<int>(r), place.column, 1, place.span);
            QTextTableCell cell = table->cellAt(static_cast<int>(r), place.column);
            const bool hidden = mergedFrom[r][static_cast<size_t>(place.column)] >= 0;
            const std::vector<Paragraph> &paragraphs = rows[r].cells[c].paragraphs;
            // Its text first (unless a vertical merge hides it, as a word processor does): the
            // cell's format lives in the character format of its first paragraph, which
            // setting that paragraph's formats would overwrite.
            if (!hidden) {
                QTextCursor in = cell.firstCursorPosition();
                bool first = true;
                double spaceAbove = 0;
                for (const Paragraph &p : paragraphs) {
                    Paragraph copy = p;
                    copy.props.pageBreakBefore = false;
                    insertParagraph(in, copy, first ? Block::FirstInCell : Block::New, spaceAbove);
                    first = false;
                }
            }
            // Qt copies a cell's format every time it looks at the cell, many times over while
            // laying out and drawing a table: only what differs from its defaults is set.
            QTextTableCellFormat f;
            if (!paragraphs.empty()) {
                // An empty cell is as high as its paragraph mark's font.
                const QFont mark = charFormat(paragraphs.front().mark).font();
                f.setFontFamilies(mark.families());
                f.setFontPointSize(mark.pointSizeF());
            }
            const std::array<Border, 4> lines = linesOf(r, c, place.column);
            for (size_t side = 0; side < 4; ++side)
                setBorder(f, side, lines[side]);
            // Padding: the cell's own, else the row's, else half the gap between cells.
            const auto pad = [&](size_t side) {
                if (def.padding[side] >= 0)
                    return def.padding[side];
                if (d.padding[side] >= 0)
                    return d.padding[side];
                return side == 1 || side == 3 ? d.gap : 0;
            };
            // Qt puts a cell's text inside its lines and then the padding. Word processors
            // measure the left padding from the cell's edge, the line within it, and keep the
            // line on the right edge out of the text besides the padding.
            const Border right = rightLineOf(r, c);
            const double rightLine = right.style == BorderNone ? 0 : std::max(right.width, 1);
            const double paddings[4] = {pad(0) * m_unit, std::max(0.0, pad(1) * m_unit - f.leftBorder()),
                                        pad(2) * m_unit,
                                        (pad(3) + rightLine) * m_unit - f.rightBorder()};
            if (paddings[0] > 0)
                f.setTopPadding(paddings[0]);
            if (paddings[1] > 0)
                f.setLeftPadding(paddings[1]);
            if (paddings[2] > 0)
                f.setBottomPadding(paddings[2]);
            if (paddings[3] > 0)
                f.setRightPadding(paddings[3]);
            if (def.valign != QTextCharFormat::AlignTop)
                f.setVerticalAlignment(def.valign);
            // A cell's format holds its spans too: a merge is lost unless they are kept.
            if (cell.columnSpan() > 1)
                f.setTableCellColumnSpan(cell.columnSpan());
            if (cell.rowSpan() > 1)
                f.setTableCellRowSpan(cell.rowSpan());
            cell.setFormat(f);
        }
        // Columns no cell of this row reaches (a short row) are left without borders.
        (void)covered;
    }
    // Vertical merges, from the bottom up so earlier merges do not move later cells.
    for (int c = 0; c < columns; ++c) {
        int r = static_cast<int>(rows.size()) - 1;
        while (r > 0) {
            const int from = mergedFrom[static_cast<size_t>(r)][static_cast<size_t>(c)];
            if (from < 0) {
                --r;
                continue;
            }
            int last = r;
            while (r > from && mergedFrom[static_cast<size_t>(r)][static_cast<size_t>(c)] == from)
                --r;
            const QTextTableCell top = table->cellAt(from, c);
            table->mergeCells(from, c, last - from + 1, top.columnSpan());
            // The merged cell ends where its last part did, with that part's bottom line.
            const auto lastRow = static_cast<size_t>(last);
            const int below = lastRow + 1 < rows.size() ? coverOf[lastRow + 1][static_cast<size_t>(c)] : -1;
            if (below < 0 && coverOf[lastRow][static_cast<size_t>(c)] >= 0) {
                QTextTableCell merged = table->cellAt(from, c);
                QTextTableCellFormat f = merged.format().toTableCellFormat();
                setBorder(f, 2, lineOf(lastRow, static_cast<size_t>(coverOf[lastRow][static_cast<size_t>(c)]), 2));
                merged.setFormat(f);
            }
            r = from - 1;
        }
    }
    cursor.movePosition(QTextCursor::End);
}

} // namespace

class RtfLayoutBuilder {
public:
    static bool build(RtfLayout &layout, std::string_view bytes, const LayoutProgress &progress)
    {
        Builder builder(layout, layout.m_longTable, bytes, progress);
        builder.paper = layout.m_paper;
        builder.margins = layout.m_margins;
        QTextDocument &body = *layout.m_body;
        prepare(body);
        setPage(body, layout.m_paper, layout.m_margins);
        {
            // One edit block: Qt lays the document out once, when it ends, instead of after
            // every insertion.
            QTextCursor edit(&body);
            edit.beginEditBlock();
            const bool built = builder.run();
            if (built) {
                layout.m_paper = builder.paper;
                layout.m_margins = builder.margins;
                setPage(body, layout.m_paper, layout.m_margins);
            }
            edit.endEditBlock();
            if (!built)
                return false;
        }
        layout.m_headerDistance = builder.headerDistance;
        layout.m_footerDistance = builder.footerDistance;

        const double textWidth = layout.m_paper.width() - layout.m_margins.left() - layout.m_margins.right();
        const auto story = [&](const std::vector<Paragraph> &paragraphs) -> std::unique_ptr<QTextDocument> {
            if (paragraphs.empty())
                return nullptr;
            auto document = std::make_unique<QTextDocument>();
            prepare(*document);
            document->setTextWidth(std::max(textWidth, 1.0));
            QTextCursor edit(document.get());
            edit.beginEditBlock();
            builder.write(*document, paragraphs);
            edit.endEditBlock();
            return document;
        };
        layout.m_header = story(builder.headerParagraphs);
        layout.m_footer = story(builder.footerParagraphs);

        // Reading took the first half of the progress. Laying out the pages goes in one step
        // (Qt has no finer ones), to three fifths; a long table's pages take the rest.
        const long total = 2 * static_cast<long>(bytes.size());
        body.documentLayout()->documentSize();
        if (progress && !progress(total * 6 / 10, total))
            return false;
        if (layout.m_longTable
            && !layout.m_longTable->paginate(body, [&](double done) {
                   return !progress || progress(total * 6 / 10 + static_cast<long>(done * (total * 4 / 10)), total);
               }))
            return false;
        if (progress && !progress(total, total))
            return false;
        return true;
    }

private:
    // The layout measures on the twips device from the start: it is made while the document is
    // still empty, and the text goes in within one edit block (see build()).
    static void prepare(QTextDocument &document)
    {
        document.setUndoRedoEnabled(false);
        document.setUseDesignMetrics(true);
        document.setDocumentMargin(0);
        QTextOption option = document.defaultTextOption();
        // A word wider than its cell is broken where it must, as word processors do.
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTabStopDistance(720);
        document.setDefaultTextOption(option);
        document.documentLayout()->setPaintDevice(&twipsDevice());
    }

    // The paper and its margins. A page size that changes has Qt lay out what text there is
    // again at once: it is set only when it differs.
    static void setPage(QTextDocument &body, QSizeF paper, QMarginsF margins)
    {
        if (body.pageSize() != paper)
            body.setPageSize(paper);
        QTextFrameFormat root = body.rootFrame()->frameFormat();
        const double unit = layoutLengthPerTwip();
        root.setLeftMargin(margins.left() * unit);
        root.setRightMargin(margins.right() * unit);
        root.setTopMargin(margins.top() * unit);
        root.setBottomMargin(margins.bottom() * unit);
        root.setBorder(0);
        root.setPadding(0);
        body.rootFrame()->setFrameFormat(root);
    }
};

std::unique_ptr<RtfLayout> RtfLayout::fromRtf(std::string_view bytes, const std::string &name,
                                              const LayoutProgress &progress)
{
    if (!bytes.starts_with("{\\rtf"))
        throw DocumentError("Документ «" + name + "» не в формате RTF: его нельзя показать");
    auto layout = std::make_unique<RtfLayout>();
    if (!RtfLayoutBuilder::build(*layout, bytes, progress))
        return nullptr;
    return layout;
}

} // namespace veltor
