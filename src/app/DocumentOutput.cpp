#include "app/DocumentOutput.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QThread>
#include <QToolBar>

#include <atomic>
#include <exception>

#include "app/Dialogs.h"
#include "app/Guard.h"
#include "printing/AfterFilling.h"
#include "printing/DocumentFiles.h"
#include "printing/PdfOutput.h"
#include "printing/RtfLayout.h"

namespace veltor {

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

QString fileName(const std::filesystem::path &file)
{
    return QString::fromStdString(displayPath(file.filename()));
}

void savePdf(const RtfLayout &layout, const std::filesystem::path &file, QWidget *parent)
{
    const std::filesystem::path pdf = pdfPathFor(file);
    writePdf(layout, pdf);
    Dialogs::message(u("Документ сохранён в PDF: «") + QString::fromStdString(displayPath(pdf)) + u("»"),
                     parent);
}

// Shows a PDF just written; without a viewer the clerk is told where it is.
void showPdf(const std::filesystem::path &pdf, QWidget *parent)
{
    try {
        openWithDesktop(pdf);
    } catch (const std::exception &) {
        Dialogs::message(u("Документ сохранён в PDF: «") + QString::fromStdString(displayPath(pdf))
                             + u("». Программы для просмотра PDF на этом компьютере не найдено."),
                         parent);
    }
}

// A document being laid out, shared with the worker that writes its PDF.
struct Job {
    std::string bytes;
    std::filesystem::path file;
    LayoutThen then = LayoutThen::ShowPreview;
    std::atomic<bool> cancelled{false};
    bool written = false; // the PDF
    std::exception_ptr error;
};

} // namespace

QPrintPreviewDialog *showPrintPreview(std::shared_ptr<const RtfLayout> layout,
                                      const std::filesystem::path &file, QWidget *window)
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setFullPage(true);
    printer->setDocName(fileName(file));
    auto *dialog = new QPrintPreviewDialog(printer.get(), window, Qt::Window);
    dialog->setObjectName(QStringLiteral("DocumentPreview"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(u("Просмотр — ") + fileName(file));
    dialog->setAccessibleName(u("Просмотр документа"));
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     guarded(dialog, [layout, printer](QPrinter *target) {
                         target->setFullPage(true);
                         // The print dialog's page range, 1-based; 0 for every page.
                         const int from = target->fromPage() > 0 ? target->fromPage() - 1 : 0;
                         const int to = target->toPage() > 0 ? target->toPage() - 1 : -1;
                         paintPages(*layout, *target, from, to);
                     }));
    // The printer lives as long as the window that prints on it.
    QObject::connect(dialog, &QObject::destroyed, [printer] {});

    if (auto *bar = dialog->findChild<QToolBar *>()) {
        bar->addSeparator();
        auto *pdf = bar->addAction(QIcon::fromTheme(QStringLiteral("document-save-as")), u("Сохранить в PDF"));
        pdf->setObjectName(QStringLiteral("SavePdf"));
        pdf->setToolTip(u("Сохранить в PDF рядом с документом"));
        QObject::connect(pdf, &QAction::triggered, dialog,
                         guarded(dialog, [layout, file, dialog] { savePdf(*layout, file, dialog); }));
    }
    dialog->show();
    return dialog;
}

void layOutDocument(const std::filesystem::path &file, LayoutThen then, QWidget *window)
{
    auto job = std::make_shared<Job>();
    // Read now: the file may be overwritten by the next document printed ("temp.doc").
    job->bytes = readDocumentFile(file);
    job->file = file;
    job->then = then;

    auto *progress = new QProgressDialog(u("Подготовка документа «") + fileName(file) + u("» к печати…"),
                                         u("Отмена"), 0, 1000, window);
    progress->setObjectName(QStringLiteral("LayoutProgress"));
    progress->setAccessibleName(u("Подготовка документа"));
    progress->setWindowTitle(u("Подготовка документа"));
    progress->setWindowModality(Qt::NonModal);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setMinimumDuration(300); // short documents show no progress at all
    progress->setValue(0);
    QObject::connect(progress, &QProgressDialog::canceled, progress, [job] { job->cancelled = true; });

    QPointer<QProgressDialog> shown(progress);
    QPointer<QWidget> owner(window);

    if (then == LayoutThen::ShowPreview) {
        // Text laid out in one thread cannot be painted in another: Qt keeps fonts per thread.
        // The preview's layout runs here, the window's events handled between its steps.
        std::shared_ptr<RtfLayout> layout;
        try {
            layout = RtfLayout::fromRtf(job->bytes, displayPath(file), [shown, job](long done, long total) {
                if (shown)
                    shown->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
                QCoreApplication::processEvents();
                return !job->cancelled.load();
            });
        } catch (...) {
            if (shown)
                shown->close();
            throw;
        }
        const bool cancelled = job->cancelled;
        if (shown) {
            shown->disconnect(); // closing a progress dialog reports it as cancelled
            shown->close();
        }
        if (layout && !cancelled)
            showPrintPreview(layout, file, owner.data());
        return;
    }

    // A PDF is laid out and written in a worker thread, fonts and all.
    const auto report = [shown, job](long done, long total) {
        const int value = total > 0 ? static_cast<int>(done * 1000 / total) : 0;
        QMetaObject::invokeMethod(
            qApp, [shown, value] {
                if (shown)
                    shown->setValue(value);
            },
            Qt::QueuedConnection);
        return !job->cancelled.load();
    };
    QThread *worker = QThread::create([job, report] {
        try {
            // Laying out is most of the work; the pages take the rest.
            auto layout = RtfLayout::fromRtf(job->bytes, displayPath(job->file), [&](long done, long total) {
                return report(done * 6 / 10, total);
            });
            if (!layout)
                return;
            job->written = writePdf(*layout, pdfPathFor(job->file), [&](int done, int total) {
                return report(600 + 400L * done / std::max(total, 1), 1000);
            });
        } catch (...) {
            job->error = std::current_exception();
        }
    });
    QObject::connect(worker, &QThread::finished, qApp, [worker, job, shown, owner] {
        worker->deleteLater();
        const bool cancelled = job->cancelled;
        if (shown) {
            shown->disconnect(); // closing a progress dialog reports it as cancelled
            shown->close();
        }
        if (job->error)
            showException(owner.data(), job->error);
        else if (job->written && !cancelled)
            showPdf(pdfPathFor(job->file), owner.data());
    });
    worker->start();
}

FileOpener documentOpener(QWidget *window)
{
    QPointer<QWidget> owner(window);
    return [owner](const std::filesystem::path &file) {
        switch (afterFilling()) {
        case AfterFilling::OpenInEditor:
            openWithDesktop(file);
            break;
        case AfterFilling::ShowPreview:
            layOutDocument(file, LayoutThen::ShowPreview, owner.data());
            break;
        case AfterFilling::SavePdf:
            layOutDocument(file, LayoutThen::SavePdf, owner.data());
            break;
        }
    };
}

} // namespace veltor
