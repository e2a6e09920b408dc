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

// What the worker hands back to the window's thread.
struct Job {
    std::string bytes;
    std::filesystem::path file;
    LayoutThen then = LayoutThen::ShowPreview;
    std::atomic<bool> cancelled{false};
    std::shared_ptr<RtfLayout> layout;
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
            const bool pdf = job->then == LayoutThen::SavePdf;
            // Laying out is most of the work; a PDF's pages take the rest.
            auto layout = RtfLayout::fromRtf(job->bytes, displayPath(job->file), [&](long done, long total) {
                return report(pdf ? done * 6 / 10 : done, total);
            });
            if (!layout)
                return;
            if (pdf) {
                const bool written = writePdf(*layout, pdfPathFor(job->file), [&](int done, int total) {
                    return report(600 + 400L * done / std::max(total, 1), 1000);
                });
                if (!written)
                    return;
            }
            layout->moveToThread(qApp->thread());
            job->layout = std::move(layout);
        } catch (...) {
            job->error = std::current_exception();
        }
    });
    QPointer<QWidget> owner(window);
    QObject::connect(worker, &QThread::finished, qApp, [worker, job, shown, owner] {
        worker->deleteLater();
        if (shown)
            shown->close();
        QWidget *parent = owner.data();
        if (job->error) {
            showException(parent, job->error);
            return;
        }
        if (!job->layout || job->cancelled)
            return;
        if (job->then == LayoutThen::SavePdf)
            showPdf(pdfPathFor(job->file), parent);
        else
            showPrintPreview(job->layout, job->file, parent);
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
