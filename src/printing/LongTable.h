#pragma once
#include <QGlyphRun>
#include <QObject>
#include <QPen>
#include <QTextObjectInterface>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A long table of plain rows (the printed employee list, the data check report) laid out
// without Qt's table engine, which lays every cell out several times and takes seconds for a
// few thousand rows. Each row is cut into slices, one per line of text, and every slice is an
// inline object on a paragraph of its own, so the document still breaks pages between any two
// lines of a row, as word processors do. Lengths are in twips.
namespace veltor {

class LongTable : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    // The object type of slices in the document.
    static constexpr int ObjectType = QTextFormat::UserObject + 17;
    // The property of a row's character format that holds the number of its first slice.
    static constexpr int SliceProperty = QTextFormat::UserProperty + 17;

    // A table has a handful of distinct lines and tens of thousands of cell sides: the sides
    // hold numbers of pens kept once (pen()), 0 for none.
    using PenId = uint16_t;
    static constexpr PenId NoLine = 0;
    struct Cell {
        double left = 0; // from the table's left edge as the row definition gives it
        double right = 0;
        PenId border[4] = {NoLine, NoLine, NoLine, NoLine}; // top, left, bottom, right
    };
    struct Row {
        std::vector<Cell> cells;
    };
    // One line of every cell of a row: per cell its glyphs, placed from the table's left edge
    // and the slice's top, kept rather than the laid-out texts, which cost ten times the memory.
    struct Slice {
        int row = 0;
        double height = 0;
        bool first = false;
        bool last = false;
        std::vector<std::vector<QGlyphRun>> cells;
        // After paginate(): the slice that starts the row's part on a page draws the text of
        // that whole part, cell by cell, as a word processor does, so that text taken from the
        // PDF reads cell by cell; the other slices draw borders only.
        std::vector<QGlyphRun> text;
        int page = 0;
        // After paginate(): the first slice on a page draws the lines of every slice of its
        // page, placed from its own top, collinear edges of one pen joined into one line: a
        // PDF pays for every line, and a page holds a few hundred edges of cells.
        std::vector<std::pair<QPen, std::vector<QLineF>>> lines;
    };

    // The number of a pen, kept once; NoLine for Qt::NoPen.
    PenId penId(const QPen &pen);
    const QPen &pen(PenId id) const { return m_pens[id]; }

    // Adds a row and the slices it is cut into; returns the slices' numbers [first, end).
    std::pair<int, int> addRow(Row row, std::vector<Slice> slices);
    // Notes on which page each slice fell and gathers the text of each row's part on a page.
    // `progress` is told the share done (0 to 1) now and then; returning false stops it, and
    // the table is then not fit to draw.
    bool paginate(const QTextDocument &document, const std::function<bool(double done)> &progress = {});

    const Slice &slice(int index) const { return m_slices[static_cast<size_t>(index)]; }
    const Row &row(int index) const { return m_rows[static_cast<size_t>(index)]; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }

    QSizeF intrinsicSize(QTextDocument *document, int position, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                    const QTextFormat &format) override;

private:
    int sliceAt(QTextDocument *document, int position, const QTextFormat &format) const;

    std::vector<QPen> m_pens{QPen(Qt::NoPen)};
    std::vector<Row> m_rows;
    std::vector<Slice> m_slices;
};

} // namespace veltor
