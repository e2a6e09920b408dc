#include "printing/WordApi.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include "printing/DocumentFiles.h"
#include "printing/RtfApplication.h"
#include "text/Errors.h"

namespace veltor {

void openWithDesktop(const std::filesystem::path &file)
{
#if defined(_WIN32)
    const QString program = QStringLiteral("explorer.exe");
    const QString argument = QString::fromStdWString(file.native());
#elif defined(__APPLE__)
    const QString program = QStringLiteral("open");
    const QString argument = QString::fromStdString(file.native());
#else
    const QString program = QStringLiteral("xdg-open");
    const QString argument = QString::fromStdString(file.native());
#endif
    if (!QProcess::startDetached(program, QStringList{argument}))
        throw DocumentError("Документ сохранён в «" + displayPath(file)
                            + "», но открыть его не удалось: не запускается "
                            + program.toStdString());
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
