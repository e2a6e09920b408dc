#include "printing/LongTable.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>

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
    const Row &r = row(s.row);
    // The slice stands where its paragraph starts; the cells' edges are given from the table's
    // left edge, which may lie left of the paragraph (a negative \trleft).
    const double top = rect.bottom() - s.height;
    const double bottom = rect.bottom();
    painter->save();
    for (const QGlyphRun &run : s.glyphs)
        painter->drawGlyphRun(QPointF(rect.left(), top), run);
    // Edges of one pen go to the painter in one call (a PDF pays for every call), and the
    // edge two cells share is drawn once.
    std::vector<std::pair<QPen, std::vector<QLineF>>> edges;
    const auto edge = [&edges](const QPen &pen, QPointF a, QPointF b) {
        if (pen.style() == Qt::NoPen)
            return;
        for (auto &[kept, lines] : edges)
            if (kept == pen) {
                lines.emplace_back(a, b);
                return;
            }
        edges.push_back({pen, {QLineF(a, b)}});
    };
    for (size_t c = 0; c < r.cells.size(); ++c) {
        const Cell &cell = r.cells[c];
        const double left = rect.left() + cell.left;
        const double right = rect.left() + cell.right;
        if (c == 0 || r.cells[c - 1].border[3].style() == Qt::NoPen)
            edge(cell.border[1], {left, top}, {left, bottom});
        edge(cell.border[3], {right, top}, {right, bottom});
        if (s.first)
            edge(cell.border[0], {left, top}, {right, top});
        if (s.last)
            edge(cell.border[2], {left, bottom}, {right, bottom});
    }
    for (const auto &[pen, lines] : edges) {
        painter->setPen(pen);
        painter->drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    painter->restore();
}

} // namespace veltor
