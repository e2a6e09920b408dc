#include "printing/LongTable.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace veltor {

std::pair<int, int> LongTable::addRow(Row row, std::vector<Slice> slices)
{
    const int rowIndex = static_cast<int>(m_rows.size());
    const int first = static_cast<int>(m_slices.size());
    for (Slice &s : slices) {
        s.row = rowIndex;
        m_slices.push_back(std::move(s));
    }
    m_rows.push_back(std::move(row));
    return {first, static_cast<int>(m_slices.size())};
}

LongTable::PenId LongTable::penId(const QPen &pen)
{
    if (pen.style() == Qt::NoPen)
        return NoLine;
    for (size_t i = 1; i < m_pens.size(); ++i)
        if (m_pens[i] == pen)
            return static_cast<PenId>(i);
    if (m_pens.size() > UINT16_MAX)
        return 1; // never in practice: a table's lines come from a few border definitions
    m_pens.push_back(pen);
    return static_cast<PenId>(m_pens.size() - 1);
}

namespace {

using Lines = std::vector<std::pair<QPen, std::vector<QLineF>>>;

// A page's lines by pen number, in the order the pens first appear.
using PageLines = std::vector<std::pair<LongTable::PenId, std::vector<QLineF>>>;

void addLine(PageLines &lines, LongTable::PenId pen, QPointF a, QPointF b)
{
    if (pen == LongTable::NoLine)
        return;
    for (auto &[kept, list] : lines)
        if (kept == pen) {
            list.emplace_back(a, b);
            return;
        }
    lines.push_back({pen, {QLineF(a, b)}});
}

// Joins lines of one pen that continue one another along a row or a column.
void joinLines(Lines &lines)
{
    constexpr double Near = 0.5;
    for (auto &[pen, list] : lines) {
        const auto vertical = [](const QLineF &l) { return l.x1() == l.x2(); };
        std::sort(list.begin(), list.end(), [&](const QLineF &a, const QLineF &b) {
            if (vertical(a) != vertical(b))
                return vertical(a);
            if (vertical(a))
                return a.x1() != b.x1() ? a.x1() < b.x1() : std::min(a.y1(), a.y2()) < std::min(b.y1(), b.y2());
            return a.y1() != b.y1() ? a.y1() < b.y1() : std::min(a.x1(), a.x2()) < std::min(b.x1(), b.x2());
        });
        std::vector<QLineF> joined;
        for (const QLineF &l : list) {
            const QLineF n = vertical(l) ? QLineF(l.x1(), std::min(l.y1(), l.y2()), l.x1(), std::max(l.y1(), l.y2()))
                                         : QLineF(std::min(l.x1(), l.x2()), l.y1(), std::max(l.x1(), l.x2()), l.y1());
            if (!joined.empty()) {
                QLineF &last = joined.back();
                if (vertical(last) && vertical(n) && last.x1() == n.x1() && n.y1() <= last.y2() + Near) {
                    last.setP2(QPointF(last.x2(), std::max(last.y2(), n.y2())));
                    continue;
                }
                if (!vertical(last) && !vertical(n) && last.y1() == n.y1() && n.x1() <= last.x2() + Near) {
                    last.setP2(QPointF(std::max(last.x2(), n.x2()), last.y2()));
                    continue;
                }
            }
            joined.push_back(n);
        }
        list = std::move(joined);
    }
}

} // namespace

bool LongTable::paginate(const QTextDocument &document, const std::function<bool(double done)> &progress)
{
    // Three passes over the slices: their places, the pages' lines, the rows' text.
    size_t nextReport = 0;
    const auto report = [&](int pass, size_t done) {
        if (!progress || done < nextReport)
            return true;
        nextReport = done + 2000;
        return progress((pass + static_cast<double>(done) / std::max<size_t>(m_slices.size(), 1)) / 3);
    };
    const double pageHeight = document.pageSize().height();
    std::vector<double> tops(m_slices.size(), 0); // of each slice, in the document
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextCharFormat format = block.charFormat();
        if (format.objectType() != ObjectType)
            continue;
        const int first = format.intProperty(SliceProperty);
        if (!report(0, static_cast<size_t>(first)))
            return false;
        const QTextLayout *layout = block.layout();
        for (int line = 0; line < layout->lineCount(); ++line) {
            const size_t index = static_cast<size_t>(first + line);
            if (index >= m_slices.size())
                break;
            const QTextLine textLine = layout->lineAt(line);
            const double y = layout->position().y() + textLine.y();
            m_slices[index].page = pageHeight > 0 ? static_cast<int>(y / pageHeight) : 0;
            // The slice sits on its line's bottom (see drawObject()).
            tops[index] = y + textLine.height() - m_slices[index].height;
        }
    }
    nextReport = 0;
    for (size_t start = 0; start < m_slices.size();) {
        if (!report(1, start))
            return false;
        size_t end = start + 1;
        while (end < m_slices.size() && m_slices[end].page == m_slices[start].page)
            ++end;
        PageLines lines;
        for (size_t k = start; k < end; ++k) {
            const Slice &s = m_slices[k];
            const Row &r = m_rows[static_cast<size_t>(s.row)];
            const double top = tops[k] - tops[start];
            const double bottom = top + s.height;
            for (size_t c = 0; c < r.cells.size(); ++c) {
                const Cell &cell = r.cells[c];
                // The edge two cells share is drawn once.
                if (c == 0 || r.cells[c - 1].border[3] == NoLine)
                    addLine(lines, cell.border[1], {cell.left, top}, {cell.left, bottom});
                addLine(lines, cell.border[3], {cell.right, top}, {cell.right, bottom});
                if (s.first)
                    addLine(lines, cell.border[0], {cell.left, top}, {cell.right, top});
                if (s.last)
                    addLine(lines, cell.border[2], {cell.left, bottom}, {cell.right, bottom});
            }
        }
        Lines &kept = m_slices[start].lines;
        for (auto &[id, list] : lines)
            kept.emplace_back(m_pens[id], std::move(list));
        joinLines(kept);
        start = end;
    }
    nextReport = 0;
    for (size_t start = 0; start < m_slices.size();) {
        if (!report(2, start))
            return false;
        size_t end = start + 1;
        while (end < m_slices.size() && !m_slices[end].first && m_slices[end].page == m_slices[start].page)
            ++end;
        // The part's text, cell by cell, each cell's runs of one font joined into one run:
        // a PDF pays for every run it is given.
        std::vector<QGlyphRun> &text = m_slices[start].text;
        const size_t cells = m_slices[start].cells.size();
        struct Joined {
            QGlyphRun run;
            QList<quint32> glyphs;
            QList<QPointF> positions;
        };
        std::vector<Joined> joined;
        for (size_t c = 0; c < cells; ++c) {
            joined.clear();
            double offset = 0;
            for (size_t k = start; k < end; ++k) {
                for (QGlyphRun &run : m_slices[k].cells[c]) {
                    Joined *same = nullptr;
                    for (Joined &j : joined)
                        if (j.run.rawFont() == run.rawFont() && j.run.flags() == run.flags())
                            same = &j;
                    if (same == nullptr) {
                        joined.push_back({std::move(run), {}, {}});
                        same = &joined.back();
                        same->glyphs = same->run.glyphIndexes();
                        same->positions = same->run.positions();
                        if (offset != 0)
                            for (QPointF &p : same->positions)
                                p.ry() += offset;
                        continue;
                    }
                    same->glyphs += run.glyphIndexes();
                    const QList<QPointF> positions = run.positions();
                    same->positions.reserve(same->positions.size() + positions.size());
                    for (const QPointF &p : positions)
                        same->positions.append(QPointF(p.x(), p.y() + offset));
                }
                offset += m_slices[k].height;
            }
            for (Joined &j : joined) {
                j.run.setGlyphIndexes(j.glyphs);
                j.run.setPositions(j.positions);
                text.push_back(std::move(j.run));
            }
        }
        for (size_t k = start; k < end; ++k)
            m_slices[k].cells = {};
        start = end;
    }
    return true;
}

int LongTable::sliceAt(QTextDocument *document, int position, const QTextFormat &format) const
{
    // A row's paragraph holds its slices as objects with line breaks between them.
    const int index = format.intProperty(SliceProperty) + (position - document->findBlock(position).position()) / 2;
    return index >= 0 && index < static_cast<int>(m_slices.size()) ? index : -1;
}

QSizeF LongTable::intrinsicSize(QTextDocument *document, int position, const QTextFormat &format)
{
    const int index = sliceAt(document, position, format);
    if (index < 0)
        return QSizeF(1, 1);
    const Slice &s = slice(index);
    const Row &r = row(s.row);
    const double width = r.cells.empty() ? 0 : r.cells.back().right - r.cells.front().left;
    return QSizeF(std::max(width, 1.0), s.height);
}

void LongTable::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                           const QTextFormat &format)
{
    const int index = sliceAt(document, position, format);
    if (index < 0)
        return;
    const Slice &s = slice(index);
    // The slice stands where its paragraph starts; the cells' edges are given from the table's
    // left edge, which may lie left of the paragraph (a negative \trleft).
    const double top = rect.bottom() - s.height;
    painter->save();
    for (const QGlyphRun &run : s.text)
        painter->drawGlyphRun(QPointF(rect.left(), top), run);
    // The lines of the slice's page, if it is the first there (see paginate()).
    painter->translate(rect.left(), top);
    for (const auto &[pen, lines] : s.lines) {
        painter->setPen(pen);
        painter->drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    painter->restore();
}

} // namespace veltor
