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

void LongTable::paginate(const QTextDocument &document)
{
    const double pageHeight = document.pageSize().height();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextCharFormat format = block.charFormat();
        if (format.objectType() != ObjectType)
            continue;
        const int first = format.intProperty(SliceProperty);
        const QTextLayout *layout = block.layout();
        for (int line = 0; line < layout->lineCount(); ++line) {
            const size_t index = static_cast<size_t>(first + line);
            if (index >= m_slices.size())
                break;
            const double y = layout->position().y() + layout->lineAt(line).y();
            m_slices[index].page = pageHeight > 0 ? static_cast<int>(y / pageHeight) : 0;
        }
    }
    for (size_t start = 0; start < m_slices.size();) {
        size_t end = start + 1;
        while (end < m_slices.size() && !m_slices[end].first && m_slices[end].page == m_slices[start].page)
            ++end;
        // The part's text, cell by cell, each cell's runs of one font joined into one run:
        // a PDF pays for every run it is given.
        std::vector<QGlyphRun> &text = m_slices[start].text;
        const size_t cells = m_slices[start].cells.size();
        for (size_t c = 0; c < cells; ++c) {
            const size_t cellStart = text.size();
            double offset = 0;
            for (size_t k = start; k < end; ++k) {
                for (QGlyphRun &run : m_slices[k].cells[c]) {
                    if (offset != 0) {
                        QList<QPointF> positions = run.positions();
                        for (QPointF &p : positions)
                            p.ry() += offset;
                        run.setPositions(positions);
                    }
                    QGlyphRun *same = nullptr;
                    for (size_t t = cellStart; t < text.size(); ++t)
                        if (text[t].rawFont() == run.rawFont() && text[t].flags() == run.flags())
                            same = &text[t];
                    if (same == nullptr) {
                        text.push_back(std::move(run));
                    } else {
                        same->setGlyphIndexes(same->glyphIndexes() + run.glyphIndexes());
                        same->setPositions(same->positions() + run.positions());
                    }
                }
                offset += m_slices[k].height;
            }
        }
        for (size_t k = start; k < end; ++k)
            m_slices[k].cells = {};
        start = end;
    }
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
    for (const QGlyphRun &run : s.text)
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
