#pragma once
#include <filesystem>
#include <functional>

class QPagedPaintDevice;
class QPainter;

// Laid-out documents on paper: pages painted onto any paged device (a PDF file, a printer, the
// print preview), and PDF files written beside the documents they show.
namespace veltor {

class RtfLayout;

// Told how many pages of how many are painted; returning false stops painting.
using PageProgress = std::function<bool(int done, int total)>;

// Paints one page (0-based) with the painter's origin at the paper's top left corner and one
// unit a twip: the body's part for that page, then the header and the footer.
void paintPage(const RtfLayout &layout, QPainter &painter, int page);

// Sets the device's paper to the layout's and paints pages [first, last] (0-based; last -1 for
// every page), a new sheet for each. False when `progress` stopped it.
bool paintPages(const RtfLayout &layout, QPagedPaintDevice &device, int first = 0, int last = -1,
                const PageProgress &progress = {});

// The PDF file beside a document: the same name with the extension ".pdf".
std::filesystem::path pdfPathFor(const std::filesystem::path &document);

// Writes the layout as a PDF file, replacing it atomically: a failed write leaves no partial
// file. DocumentError naming the file when it cannot be written; false when `progress` stopped
// it (nothing is written then).
bool writePdf(const RtfLayout &layout, const std::filesystem::path &path,
              const PageProgress &progress = {});

} // namespace veltor
