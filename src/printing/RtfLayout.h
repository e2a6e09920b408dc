#pragma once
#include <QMarginsF>
#include <QSizeF>
#include <QTextDocument>

#include <functional>
#include <memory>
#include <string_view>

// An RTF document laid out on pages by Qt's text engine, so the program can show, print and
// save a filled document as PDF without a word processor. Paragraph and character formatting,
// tables (cell widths, borders, padding, merged cells, heading rows), page size and margins,
// page breaks and plain headers and footers are carried over; pictures, shapes, footnotes and
// fields other than their shown result are not.
//
// Every length is in twips: the documents are laid out for a device of 1440 dots per inch, so
// RTF's measures are taken over unchanged and lines break as they would on paper.
namespace veltor {

constexpr double TwipsPerInch = 1440.0;
constexpr double TwipsPerPoint = 20.0;

// Told how far the layout has come (done of total); returning false cancels it.
using LayoutProgress = std::function<bool(long done, long total)>;

class LongTable;

class RtfLayout {
public:
    // Reads RTF bytes and lays them out; `name` (UTF-8) names the document in messages.
    // DocumentError when the bytes are not RTF; nullptr when `progress` cancelled.
    static std::unique_ptr<RtfLayout> fromRtf(std::string_view bytes, const std::string &name,
                                              const LayoutProgress &progress = {});

    RtfLayout();
    ~RtfLayout();
    RtfLayout(const RtfLayout &) = delete;
    RtfLayout &operator=(const RtfLayout &) = delete;

    // The paper and its margins, in twips.
    QSizeF paperSize() const { return m_paper; }
    QMarginsF margins() const { return m_margins; }
    // Where the header's top and the footer's bottom stand from the paper's edges, in twips.
    double headerDistance() const { return m_headerDistance; }
    double footerDistance() const { return m_footerDistance; }

    QTextDocument &body() { return *m_body; }
    const QTextDocument &body() const { return *m_body; }
    // The same text on every page, or nullptr.
    const QTextDocument *header() const { return m_header.get(); }
    const QTextDocument *footer() const { return m_footer.get(); }

    // Lays the body out (once) and counts its pages.
    int pageCount() const;

    // A layout is painted in the thread that made it: Qt keeps fonts per thread, and text laid
    // out in one thread cannot be drawn in another once that thread has ended.

private:
    friend class RtfLayoutBuilder;

    QSizeF m_paper{11906, 16838}; // A4
    QMarginsF m_margins{1800, 1440, 1800, 1440};
    double m_headerDistance = 720;
    double m_footerDistance = 720;
    std::unique_ptr<QTextDocument> m_body;
    std::unique_ptr<QTextDocument> m_header;
    std::unique_ptr<QTextDocument> m_footer;
    std::unique_ptr<LongTable> m_longTable; // draws the rows of long tables in the body
};

// The paint device every layout measures text on: 1440 dots per inch, one dot a twip.
QPaintDevice &twipsDevice();
// One twip as a length of a Qt text format (QTextLength, margins, padding) on that device.
double layoutLengthPerTwip();

} // namespace veltor
