#include "printing/DocxDocument.h"

#include <algorithm>
#include <functional>

#include <QList>

#include "printing/CodePages.h"
#include "printing/DocumentFiles.h"
#include "text/Errors.h"

namespace veltor {
namespace {

const QString Paragraph = QStringLiteral("w:p");
const QString Run = QStringLiteral("w:r");
const QString RunText = QStringLiteral("w:t");
const QString RunProperties = QStringLiteral("w:rPr");
const QString Table = QStringLiteral("w:tbl");
const QString TableRow = QStringLiteral("w:tr");
const QString TableCell = QStringLiteral("w:tc");

// Elements whose content is never document text.
bool isNotText(const QString &name)
{
    static const QString names[] = {
        QStringLiteral("w:rPr"),     QStringLiteral("w:pPr"),         QStringLiteral("w:tblPr"),
        QStringLiteral("w:trPr"),    QStringLiteral("w:tcPr"),        QStringLiteral("w:tblGrid"),
        QStringLiteral("w:sectPr"),  QStringLiteral("w:instrText"),   QStringLiteral("w:delText"),
        QStringLiteral("w:delInstrText"), QStringLiteral("w:tblPrEx"), QStringLiteral("w:sdtPr"),
        QStringLiteral("w:sdtEndPr"), QStringLiteral("w:rPrChange"),  QStringLiteral("w:pPrChange"),
    };
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// Elements that stand for something in the text other than a character: a match stops there.
bool isStop(const QString &name)
{
    static const QString names[] = {
        QStringLiteral("w:tab"),     QStringLiteral("w:br"),           QStringLiteral("w:cr"),
        QStringLiteral("w:drawing"), QStringLiteral("w:pict"),         QStringLiteral("w:object"),
        QStringLiteral("w:sym"),     QStringLiteral("w:footnoteReference"),
        QStringLiteral("w:endnoteReference"), QStringLiteral("w:ptab"), QStringLiteral("w:pgNum"),
        QStringLiteral("w:noBreakHyphen"), QStringLiteral("w:softHyphen"),
    };
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// "On" unless w:val says off (an attribute-less toggle is on).
bool toggleOn(const XmlNode *element)
{
    if (element == nullptr)
        return false;
    const QString value = element->attribute(QStringLiteral("w:val"), QStringLiteral("true"));
    return value != QStringLiteral("0") && value != QStringLiteral("false") && value != QStringLiteral("off");
}

QString fromCp1251Text(std::string_view cp1251)
{
    const std::u32string text = fromCp1251(cp1251);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

QString fromUnicode(std::u32string_view text)
{
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toCp1251Text(const QString &text)
{
    const QList<uint> codes = text.toUcs4();
    return toCp1251(std::u32string(codes.begin(), codes.end()));
}

std::unique_ptr<XmlNode> textElement(const QString &text)
{
    auto t = XmlNode::element(RunText);
    t->attributes.emplace_back(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    t->append(XmlNode::textNode(text));
    return t;
}

// A value as the run content Word writes for it: text, <w:br/> for a line break, <w:tab/>.
std::vector<std::unique_ptr<XmlNode>> runContent(const QString &text)
{
    std::vector<std::unique_ptr<XmlNode>> nodes;
    QString pending;
    auto flush = [&] {
        if (!pending.isEmpty())
            nodes.push_back(textElement(pending));
        pending.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            flush();
            nodes.push_back(XmlNode::element(QStringLiteral("w:br")));
        } else if (c == u'\t') {
            flush();
            nodes.push_back(XmlNode::element(QStringLiteral("w:tab")));
        } else if (c.unicode() >= 0x20 || c.isSurrogate()) {
            pending += c;
        }
        // Other control characters cannot be written in XML: dropped.
    }
    flush();
    return nodes;
}

// Every element of that name under `node` in document order, not looking inside the elements
// found nor inside `stopAt` elements.
void findElements(XmlNode &node, const QString &name, const QString &stopAt, std::vector<XmlNode *> &out)
{
    for (const auto &c : node.children) {
        if (c->kind != XmlNode::Kind::Element)
            continue;
        if (c->name == name)
            out.push_back(c.get());
        else if (c->name != stopAt && !isNotText(c->name) && !isStop(c->name))
            findElements(*c, name, stopAt, out);
    }
}

std::string partName(const ZipEntry &entry) { return entry.name; }

} // namespace

bool looksLikeZip(std::string_view bytes)
{
    return bytes.starts_with(std::string_view("PK\x03\x04", 4));
}

DocxDocument::DocxDocument(std::string bytes, std::string name) : m_name(std::move(name))
{
    if (bytes.size() > MaxDocumentSize)
        throw DocumentError("Документ «" + m_name + "» слишком велик");
    // The parts unpack to several times the archive; a document's text stays far below this.
    m_entries = readZip(bytes, m_name, 4 * MaxDocumentSize);

    // The main part is named by the package's relationships; Word calls it word/document.xml.
    std::string main = "word/document.xml";
    for (const ZipEntry &entry : m_entries)
        if (entry.name == "_rels/.rels") {
            const auto rels = readXml(entry.data, m_name + ": " + entry.name);
            std::vector<XmlNode *> found;
            for (const auto &top : rels->children)
                findElements(*top, QStringLiteral("Relationship"), QString(), found);
            for (XmlNode *r : found)
                if (r->attribute(QStringLiteral("Type")).endsWith(QStringLiteral("/officeDocument"))) {
                    main = r->attribute(QStringLiteral("Target")).toStdString();
                    if (main.starts_with('/'))
                        main.erase(0, 1);
                }
        }
    const std::string folder = main.substr(0, main.rfind('/') + 1);
    std::optional<size_t> mainEntry;
    std::vector<size_t> stories;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const std::string &entry = m_entries[i].name;
        if (entry == main) {
            mainEntry = i;
        } else if (entry.starts_with(folder) && entry.ends_with(".xml") && entry.find('/', folder.size()) == std::string::npos) {
            const std::string file = entry.substr(folder.size());
            if (file.starts_with("header") || file.starts_with("footer") || file == "footnotes.xml"
                || file == "endnotes.xml")
                stories.push_back(i);
        }
    }
    if (!mainEntry)
        throw DocumentError("Файл «" + m_name + "» не является документом Word: в архиве нет части «" + main + "»");
    m_parts.push_back(Part{*mainEntry, readXml(m_entries[*mainEntry].data, m_name + ": " + main)});
    for (size_t i : stories)
        m_parts.push_back(Part{i, readXml(m_entries[i].data, m_name + ": " + partName(m_entries[i]))});
}

DocxDocument::~DocxDocument() = default;

void DocxDocument::setSaveListener(std::function<void(const std::filesystem::path &)> listener)
{
    m_saveListener = std::move(listener);
}

void DocxDocument::collect(const XmlNode &node, bool hidden, std::vector<Character> &out)
{
    for (const auto &child : node.children) {
        const XmlNode &c = *child;
        if (c.kind != XmlNode::Kind::Element)
            continue;
        if (c.name == RunText) {
            for (const auto &t : c.children)
                if (t->kind == XmlNode::Kind::Text)
                    for (qsizetype i = 0; i < t->text.size(); ++i)
                        out.push_back(Character{t.get(), static_cast<int>(i), t->text[i].unicode(), Mark::None, hidden});
        } else if (isNotText(c.name)) {
            continue;
        } else if (isStop(c.name)) {
            const Mark mark = c.name == QStringLiteral("w:tab")                                   ? Mark::Tab
                              : c.name == QStringLiteral("w:br") || c.name == QStringLiteral("w:cr") ? Mark::Break
                                                                                                     : Mark::Other;
            out.push_back(Character{nullptr, 0, 0, mark, false});
            // A drawing or an object may hold a text box: its text follows the mark.
            collect(c, hidden, out);
        } else if (c.name == Run) {
            const XmlNode *properties = c.child(RunProperties);
            const bool vanish = properties && toggleOn(properties->child(QStringLiteral("w:vanish")));
            collect(c, hidden || vanish, out);
        } else if (c.name == QStringLiteral("w:del") || c.name == QStringLiteral("w:moveFrom")) {
            collect(c, true, out);
        } else {
            collect(c, hidden, out);
            if (c.name == Paragraph)
                out.push_back(Character{nullptr, 0, 0, Mark::Paragraph, false});
            else if (c.name == TableCell)
                out.push_back(Character{nullptr, 0, 0, Mark::Cell, false});
            else if (c.name == TableRow)
                out.push_back(Character{nullptr, 0, 0, Mark::Row, false});
        }
    }
}

std::vector<DocxDocument::Character> DocxDocument::charactersOf(const XmlNode &root)
{
    std::vector<Character> chars;
    collect(root, false, chars);
    return chars;
}

std::string DocxDocument::visibleText(const std::vector<Character> &chars, bool forCell)
{
    QString text;
    for (const Character &c : chars) {
        if (c.hidden)
            continue;
        switch (c.mark) {
        case Mark::None: text += QChar(c.code); break;
        case Mark::Paragraph: text += forCell ? u'\r' : u'\n'; break;
        case Mark::Cell:
            // A cell's last paragraph ends with the cell, as in Word's text.
            if (text.endsWith(forCell ? u'\r' : u'\n'))
                text.chop(1);
            text += u'\a';
            break;
        case Mark::Row: text += forCell ? u'\a' : u'\n'; break;
        case Mark::Tab: text += u'\t'; break;
        case Mark::Break: text += u'\v'; break;
        case Mark::Other: break;
        }
    }
    // A cell's last paragraph has no mark of its own in Range.Text.
    if (forCell && text.endsWith(u'\r'))
        text.chop(1);
    return toCp1251Text(text);
}

std::string DocxDocument::text() const
{
    std::string result;
    for (const Part &part : m_parts)
        result += visibleText(charactersOf(*part.root), false);
    return result;
}

void DocxDocument::replaceAll(std::string_view text, std::string_view replacement)
{
    replaceText(fromCp1251Text(text), fromCp1251Text(replacement));
}

int DocxDocument::replaceAllUnicode(std::u32string_view text, std::u32string_view replacement)
{
    return replaceText(fromUnicode(text), fromUnicode(replacement));
}

int DocxDocument::replaceText(const QString &text, const QString &replacement)
{
    if (text.isEmpty())
        return 0;
    std::u16string pattern;
    for (QChar c : text)
        pattern.push_back(static_cast<char16_t>(foldCase(c.unicode())));
    int count = 0;
    for (Part &part : m_parts)
        count += replaceInPart(part, pattern, replacement);
    return count;
}

int DocxDocument::replaceInPart(Part &part, const std::u16string &pattern, const QString &replacement)
{
    const std::vector<Character> chars = charactersOf(*part.root);
    // Hidden characters are not searched; one inside a match goes with it. A mark never
    // matches: it is searched as a character no text holds.
    std::vector<uint32_t> visible;
    std::u16string searched;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (chars[i].hidden)
            continue;
        visible.push_back(static_cast<uint32_t>(i));
        searched.push_back(chars[i].mark == Mark::None ? static_cast<char16_t>(foldCase(chars[i].code)) : u'\xFFFF');
    }
    std::vector<std::pair<size_t, size_t>> matches;
    const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());
    for (auto from = searched.begin();;) {
        const auto found = searcher(from, searched.end()).first;
        if (found == searched.end())
            break;
        const auto first = static_cast<size_t>(found - searched.begin());
        matches.emplace_back(visible[first], visible[first + pattern.size() - 1]);
        from = found + static_cast<std::ptrdiff_t>(pattern.size());
    }
    // From the last match back, so that the characters of earlier ones still point where they
    // stood.
    for (auto m = matches.rbegin(); m != matches.rend(); ++m)
        replaceMatch(chars, m->first, m->second, replacement);
    if (!matches.empty()) {
        part.changed = true;
        m_tables.reset();
    }
    return static_cast<int>(matches.size());
}

void DocxDocument::replaceMatch(const std::vector<Character> &chars, size_t first, size_t last,
                                const QString &replacement)
{
    XmlNode *start = chars[first].node;
    // The text of every later node in the match goes, from the last one back.
    int startEnd = chars[first].offset + 1;
    for (size_t k = last + 1; k-- > first;) {
        const Character &c = chars[k];
        if (c.node == nullptr)
            continue;
        if (c.node == start) {
            startEnd = std::max(startEnd, c.offset + 1);
            continue;
        }
        size_t j = k;
        while (j > first && chars[j - 1].node == c.node)
            --j;
        c.node->text.remove(chars[j].offset, c.offset - chars[j].offset + 1);
        c.node->parent->setAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        k = j;
    }
    // The first node gets the replacement in its run's formatting; a line break or tab in it
    // becomes <w:br/> or <w:tab/> in the same run, the rest of the node's text after them.
    const QString after = start->text.mid(startEnd);
    start->text.truncate(chars[first].offset);
    XmlNode *textElementNode = start->parent;
    textElementNode->setAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    std::vector<std::unique_ptr<XmlNode>> content = runContent(replacement);
    size_t at = textElementNode->index() + 1;
    XmlNode *lastText = start;
    for (size_t i = 0; i < content.size(); ++i) {
        if (i == 0 && content[i]->name == RunText) {
            start->text += content[i]->children.front()->text;
            continue;
        }
        XmlNode *inserted = textElementNode->parent->insert(at++, std::move(content[i]));
        lastText = inserted->name == RunText ? inserted->children.front().get() : nullptr;
    }
    if (lastText == nullptr) {
        if (after.isEmpty())
            return;
        lastText = textElementNode->parent->insert(at, textElement(QString()))->children.front().get();
    }
    lastText->text += after;
}

const std::vector<XmlNode *> &DocxDocument::tables() const
{
    if (!m_tables) {
        std::vector<XmlNode *> found;
        for (const auto &top : m_parts.front().root->children)
            if (top->kind == XmlNode::Kind::Element)
                if (XmlNode *body = top->child(QStringLiteral("w:body")))
                    findElements(*body, Table, QString(), found);
        m_tables = std::move(found);
    }
    return *m_tables;
}

void DocxDocument::checkTable(int table) const
{
    if (table < 1 || table > tableCount())
        throw DocumentError("В документе «" + m_name + "» нет таблицы " + std::to_string(table));
}

int DocxDocument::tableCount() const
{
    return static_cast<int>(tables().size());
}

namespace {

std::vector<XmlNode *> rowsOf(XmlNode &table)
{
    std::vector<XmlNode *> rows;
    findElements(table, TableRow, TableCell, rows);
    return rows;
}

std::vector<XmlNode *> cellsOf(XmlNode &row)
{
    std::vector<XmlNode *> cells;
    findElements(row, TableCell, QString(), cells);
    return cells;
}

} // namespace

int DocxDocument::rowCount(int table) const
{
    checkTable(table);
    return static_cast<int>(rowsOf(*tables()[static_cast<size_t>(table - 1)]).size());
}

int DocxDocument::columnCount(int table, int row) const
{
    checkTable(table);
    const auto rows = rowsOf(*tables()[static_cast<size_t>(table - 1)]);
    if (row < 1 || row > static_cast<int>(rows.size()))
        return 0;
    return static_cast<int>(cellsOf(*rows[static_cast<size_t>(row - 1)]).size());
}

XmlNode *DocxDocument::cell(int table, int row, int column) const
{
    checkTable(table);
    const auto rows = rowsOf(*tables()[static_cast<size_t>(table - 1)]);
    if (row >= 1 && row <= static_cast<int>(rows.size())) {
        const auto cells = cellsOf(*rows[static_cast<size_t>(row - 1)]);
        if (column >= 1 && column <= static_cast<int>(cells.size()))
            return cells[static_cast<size_t>(column - 1)];
    }
    throw DocumentError("В таблице " + std::to_string(table) + " документа «" + m_name + "» нет ячейки в строке "
                        + std::to_string(row) + ", столбце " + std::to_string(column));
}

std::string DocxDocument::cellText(int table, int row, int column) const
{
    return visibleText(charactersOf(*cell(table, row, column)), true);
}

void DocxDocument::setCellText(int table, int row, int column, std::string_view text)
{
    setCellContent(*cell(table, row, column), fromCp1251Text(text), std::nullopt);
}

void DocxDocument::setCellTextUnicode(int table, int row, int column, std::u32string_view text)
{
    setCellContent(*cell(table, row, column), fromUnicode(text), std::nullopt);
}

void DocxDocument::setCellBold(int table, int row, int column, bool bold)
{
    XmlNode &target = *cell(table, row, column);
    const std::string text = visibleText(charactersOf(target), true);
    setCellContent(target, fromCp1251Text(text), bold);
}

void DocxDocument::setCellContent(XmlNode &cell, const QString &text, std::optional<bool> bold)
{
    // The formatting of the cell's first character outside a nested table.
    std::unique_ptr<XmlNode> format;
    std::function<bool(const XmlNode &)> findFormat = [&](const XmlNode &node) {
        for (const auto &c : node.children) {
            if (c->kind != XmlNode::Kind::Element || c->name == Table || isNotText(c->name)
                || c->name == QStringLiteral("w:del") || c->name == QStringLiteral("w:moveFrom"))
                continue;
            // A hidden run's formatting would hide the new text.
            const XmlNode *properties = c->child(RunProperties);
            if (c->name == Run && properties && toggleOn(properties->child(QStringLiteral("w:vanish"))))
                continue;
            if (c->name == Run && c->child(RunText)) {
                if (properties)
                    format = properties->clone();
                return true;
            }
            if (findFormat(*c))
                return true;
        }
        return false;
    };
    findFormat(cell);

    // The cell keeps its properties and its first paragraph's; everything else goes.
    std::unique_ptr<XmlNode> paragraph;
    std::vector<std::unique_ptr<XmlNode>> kept;
    for (auto &c : cell.children) {
        if (c->isElement(QStringLiteral("w:tcPr")))
            kept.push_back(std::move(c));
        else if (!paragraph && c->isElement(Paragraph))
            paragraph = std::move(c);
    }
    if (!paragraph)
        paragraph = XmlNode::element(Paragraph);
    std::vector<std::unique_ptr<XmlNode>> paragraphKept;
    for (auto &c : paragraph->children)
        if (c->isElement(QStringLiteral("w:pPr")))
            paragraphKept.push_back(std::move(c));
    paragraph->children.clear();
    for (auto &c : paragraphKept)
        paragraph->append(std::move(c));
    cell.children.clear();
    for (auto &c : kept)
        cell.append(std::move(c));

    if (bold) {
        if (!format)
            format = XmlNode::element(RunProperties);
        auto &props = format->children;
        props.erase(std::remove_if(props.begin(), props.end(),
                                   [](const auto &p) {
                                       return p->isElement(QStringLiteral("w:b")) || p->isElement(QStringLiteral("w:bCs"));
                                   }),
                    props.end());
        // w:b follows w:rStyle and w:rFonts in a run's properties; Word checks the order.
        size_t at = 0;
        while (at < props.size()
               && (props[at]->isElement(QStringLiteral("w:rStyle")) || props[at]->isElement(QStringLiteral("w:rFonts"))))
            ++at;
        auto b = XmlNode::element(QStringLiteral("w:b"));
        if (!*bold)
            b->attributes.emplace_back(QStringLiteral("w:val"), QStringLiteral("0"));
        format->insert(at, std::move(b));
    }
    std::vector<std::unique_ptr<XmlNode>> content = runContent(text);
    if (!content.empty()) {
        auto run = XmlNode::element(Run);
        if (format)
            run->append(std::move(format));
        for (auto &c : content)
            run->append(std::move(c));
        paragraph->append(std::move(run));
    }
    cell.append(std::move(paragraph));
    m_parts.front().changed = true; // tables are those of the body
    m_tables.reset();
}

int DocxDocument::addTable(int, int)
{
    throw DocumentError("В документ «" + m_name + "» формата Word 2007 (.docx) таблицы не добавляются");
}

void DocxDocument::addRow(int table)
{
    checkTable(table);
    throw DocumentError("В таблицу " + std::to_string(table) + " документа «" + m_name
                        + "» строки не добавляются: это таблица шаблона");
}

std::string DocxDocument::toBytes() const
{
    std::vector<ZipEntry> entries = m_entries;
    for (const Part &part : m_parts)
        if (part.changed)
            entries[part.entry].data = writeXml(*part.root);
    return writeZip(entries, m_name);
}

void DocxDocument::saveAs(const std::filesystem::path &path)
{
    writeDocumentFile(path, toBytes());
    m_savedPath = path;
    m_name = displayPath(path);
    if (m_saveListener)
        m_saveListener(path);
}

} // namespace veltor
