#include "printing/PdfOutput.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "printing/DocumentFiles.h"
#include "printing/RtfLayout.h"
#include "text/Errors.h"

namespace veltor {

namespace {

void drawDocument(const QTextDocument &document, QPainter &painter, const QRectF &clip)
{
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
}

QString qtPath(const std::filesystem::path &path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

} // namespace

void paintPage(const RtfLayout &layout, QPainter &painter, int page)
{
    const QSizeF paper = layout.paperSize();
    const QTextDocument &body = layout.body();
    const double height = body.pageSize().height();

    painter.save();
    const QRectF pageRect(0, page * height, paper.width(), height);
    painter.translate(0, -page * height);
    painter.setClipRect(pageRect);
    drawDocument(body, painter, pageRect);
    painter.restore();

    const QMarginsF margins = layout.margins();
    if (const QTextDocument *header = layout.header()) {
        painter.save();
        painter.translate(margins.left(), layout.headerDistance());
        drawDocument(*header, painter, QRectF());
        painter.restore();
    }
    if (const QTextDocument *footer = layout.footer()) {
        painter.save();
        painter.translate(margins.left(),
                          paper.height() - layout.footerDistance() - footer->size().height());
        drawDocument(*footer, painter, QRectF());
        painter.restore();
    }
}

bool paintPages(const RtfLayout &layout, QPagedPaintDevice &device, int first, int last,
                const PageProgress &progress)
{
    const QSizeF paper = layout.paperSize() / TwipsPerPoint;
    const bool landscape = paper.width() > paper.height();
    const QSizeF portrait = landscape ? paper.transposed() : paper;
    device.setPageLayout(QPageLayout(QPageSize(portrait, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                     landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));

    const int pages = layout.pageCount();
    if (last < 0 || last >= pages)
        last = pages - 1;
    first = std::max(first, 0);
    QPainter painter;
    if (!painter.begin(&device))
        throw DocumentError("Не удалось начать печать документа");
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = device.logicalDpiX() / TwipsPerInch;
    painter.scale(scale, device.logicalDpiY() / TwipsPerInch);
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device.newPage();
        paintPage(layout, painter, page);
        if (progress && !progress(page - first + 1, last - first + 1)) {
            painter.end();
            return false;
        }
    }
    painter.end();
    return true;
}

std::filesystem::path pdfPathFor(const std::filesystem::path &document)
{
    std::filesystem::path pdf = document;
    pdf.replace_extension(".pdf");
    return pdf;
}

bool writePdf(const RtfLayout &layout, const std::filesystem::path &path, const PageProgress &progress)
{
    const std::string failure = "Не удалось сохранить PDF «" + displayPath(path) + "»: ";
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw DocumentError(failure + "под этим именем уже есть папка");
    QSaveFile file(qtPath(path));
    if (!file.open(QIODevice::WriteOnly))
        throw DocumentError(failure + file.errorString().toStdString());
    {
        QPdfWriter writer(&file);
        writer.setResolution(static_cast<int>(TwipsPerInch));
        writer.setCreator(QStringLiteral("veltor"));
        writer.setTitle(QString::fromStdString(displayPath(path.stem())));
        if (!paintPages(layout, writer, 0, -1, progress)) {
            file.cancelWriting();
            return false;
        }
    }
    // A full disk shows at the flush of the last buffered bytes; commit() alone would not say.
    if (!file.flush() || !file.commit())
        throw DocumentError(failure + file.errorString().toStdString());
    return true;
}

} // namespace veltor
