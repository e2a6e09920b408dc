#pragma once
#include <memory>

#include "records/AppState.h"
#include "records/PgStorage.h"

class QWidget;

namespace veltor {

// Asks for the server's password once, in a dialog; nothing when the clerk cancels (and in tests).
PgStorage::PasswordPrompt passwordPrompt(QWidget *parent);

// The server database chosen by `--database` (state.ServerAddress) or in server.ini, connected;
// nullptr when the folder of tables is chosen. FileError when the server cannot be reached.
std::shared_ptr<PgStorage> connectChosenServer(const AppState &state, QWidget *parent);

} // namespace veltor
