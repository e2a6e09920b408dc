#include "printing/WordApi.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "printing/DocumentFiles.h"
#include "printing/RtfApplication.h"
#include "text/Errors.h"

namespace veltor {

namespace {

ViewerFailureHandler &failureHandler()
{
    static ViewerFailureHandler handler;
    return handler;
}

void reportViewerFailure(const std::filesystem::path &file, const std::string &reason)
{
    if (failureHandler())
        failureHandler()(file, reason);
    else
        qWarning("%s: %s", displayPath(file).c_str(), reason.c_str());
}

} // namespace

void setViewerFailureHandler(ViewerFailureHandler handler)
{
    failureHandler() = std::move(handler);
}

void openWithDesktop(const std::filesystem::path &file)
{
#if defined(_WIN32)
    // Explorer's exit code says nothing about the file: only a failed start is known.
    if (!QProcess::startDetached(QStringLiteral("explorer.exe"), {QString::fromStdWString(file.native())}))
        reportViewerFailure(file, "не запускается explorer.exe");
#else
#if defined(__APPLE__)
    const QString program = QStringLiteral("open");
    const QString argument = QString::fromStdString(file.native());
#else
    const QString program = QStringLiteral("xdg-open");
    const QString argument = QString::fromStdString(file.native());
#endif
    // Not detached: only the opener's exit code tells that no application took the file.
    // The process object lives until the opener ends (it is not killed with the program).
    auto *process = new QProcess;
    process->setProgram(program);
    process->setArguments({argument});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    const std::string name = program.toStdString();
    QObject::connect(process, &QProcess::finished, process,
                     [process, file, name](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status == QProcess::NormalExit && code == 0)
                             return;
                         reportViewerFailure(
                             file, status == QProcess::NormalExit
                                       ? "нет программы, которая открывает такие файлы (" + name
                                             + " завершился с кодом " + std::to_string(code) + ")"
                                       : name + " завершился аварийно");
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, file, name](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         reportViewerFailure(file, "не запускается " + name);
                     });
    process->start();
#endif
}

ApplicationFactory rtfApplicationFactory(FileOpener opener)
{
    return [opener = std::move(opener)]() -> std::unique_ptr<DocumentApplication> {
        return std::make_unique<RtfApplication>(opener);
    };
}

std::unique_ptr<DocumentApplication> createApplication(const ApplicationFactory &factory)
{
    std::unique_ptr<DocumentApplication> application;
    if (factory) {
        try {
            application = factory();
        } catch (const std::exception &) {
            application.reset();
        }
    }
    if (!application)
        throw DocumentError("Word не найден");
    return application;
}

void zamenaVDokumente(std::string_view text, std::string_view replacement,
                      DocumentApplication &word)
{
    word.activeDocument().replaceAll(text, replacement);
}

} // namespace veltor
