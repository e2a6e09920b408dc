#include "app/DocumentNotices.h"

#include "app/Dialogs.h"
#include "app/DocumentOutput.h"
#include "documents/TemplatePrinting.h"
#include "printing/WordApi.h"
#include "storage/FileNames.h"

#include <QDesktopServices>
#include <QPointer>
#include <QStatusBar>
#include <QUrl>

namespace veltor {
namespace {

std::function<void(const QString &)> &folderOpener()
{
    static std::function<void(const QString &)> opener = [](const QString &folder) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    };
    return opener;
}

} // namespace

void setFolderOpener(std::function<void(const QString &folder)> opener)
{
    folderOpener() = std::move(opener);
}

void reportUnshownDocument(const std::filesystem::path &file, const std::string &reason, QWidget *parent)
{
    const QString text = QString::fromUtf8("Документ сохранен в файле\n«") + pathToQString(file)
                         + QString::fromUtf8("»,\nно открыть его не удалось: ") + QString::fromStdString(reason)
                         + QString::fromUtf8(".\nОткройте файл из его папки в Word или LibreOffice Writer "
                                             "или посмотрите и распечатайте его в программе («Просмотр»).");
    // Without a word processor the program's own preview still shows, prints and saves a PDF.
    switch (Dialogs::messageWithActions(text, {QString::fromUtf8("Открыть папку"), QString::fromUtf8("Просмотр")},
                                        parent)) {
    case 0:
        if (folderOpener())
            folderOpener()(pathToQString(file.parent_path()));
        break;
    case 1:
        layOutDocument(file, LayoutThen::ShowPreview, parent);
        break;
    default:
        break;
    }
}

void installDocumentNotices(QStatusBar *statusBar, QWidget *window)
{
    QPointer<QStatusBar> bar(statusBar);
    setDocumentSavedListener([bar](const std::filesystem::path &file) {
        if (bar)
            // A minute: long enough to read, and the row counter under it comes back.
            bar->showMessage(QString::fromUtf8("Документ сохранен: ") + pathToQString(file), 60000);
    });
    QPointer<QWidget> parent(window);
    setViewerFailureHandler([parent](const std::filesystem::path &file, const std::string &reason) {
        reportUnshownDocument(file, reason, parent);
    });
}

} // namespace veltor
