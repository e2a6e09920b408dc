#include "app/ServerConnection.h"

#include "app/Dialogs.h"
#include "records/ServerConfig.h"
#include "text/Errors.h"

#include <QInputDialog>
#include <QLineEdit>

namespace veltor {

PgStorage::PasswordPrompt passwordPrompt(QWidget *parent)
{
    return [parent](const std::string &what) -> std::optional<std::string> {
        if (Dialogs::testMode())
            return std::nullopt;
        bool ok = false;
        const QString password = QInputDialog::getText(
            parent, QString::fromUtf8("Пароль"),
            QString::fromUtf8("Пароль для базы данных %1:").arg(QString::fromStdString(what)), QLineEdit::Password,
            QString(), &ok);
        if (!ok)
            return std::nullopt;
        return password.toStdString();
    };
}

std::shared_ptr<PgStorage> connectChosenServer(const AppState &state, QWidget *parent)
{
    std::optional<ServerSettings> settings;
    if (!state.ServerAddress.empty()) {
        settings = serverFromUri(state.ServerAddress);
        if (!settings)
            throw FileError("Адрес базы данных «" + state.ServerAddress +
                            "» не понят: ожидается postgresql://пользователь@сервер:порт/база");
    } else {
        settings = readServerConfig(state.ProgramFolder);
    }
    if (!settings)
        return nullptr;
    return std::make_shared<PgStorage>(*settings, passwordPrompt(parent));
}

} // namespace veltor
