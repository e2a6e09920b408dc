#pragma once
#include <QString>

#include <filesystem>
#include <memory>

#include "printing/WordApi.h"

class QPrintPreviewDialog;
class QWidget;

// The ways out of a filled document besides the desktop's editor: the program's own print
// preview (pages, zoom, the printer through the print dialog, PDF) and a PDF written beside
// the document. Long documents are laid out behind a progress dialog that can cancel: a PDF in
// a worker thread, the preview in the window's thread (fonts cannot cross threads) with the
// window's events handled between steps.
namespace veltor {

class RtfLayout;

// How printing shows a saved document: by the clerk's choice in the settings (AfterFilling).
// Windows of the preview and the progress belong to `window`.
FileOpener documentOpener(QWidget *window);

// Lays `file` (RTF) out and then shows the preview, or writes the PDF beside it and shows that.
enum class LayoutThen { ShowPreview, SavePdf };
void layOutDocument(const std::filesystem::path &file, LayoutThen then, QWidget *window);

// The print preview of a laid-out document, a window of its own (not modal). `file` is the
// document shown; "Сохранить в PDF" writes the PDF beside it.
QPrintPreviewDialog *showPrintPreview(std::shared_ptr<const RtfLayout> layout,
                                      const std::filesystem::path &file, QWidget *window);

} // namespace veltor
