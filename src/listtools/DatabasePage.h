#pragma once
#include <QWidget>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace veltor {

struct AppState;
struct ServerSettings;

// The "База данных" page of the program's settings: the folder of tables or a PostgreSQL
// server, remembered in server.ini for the next start; moving the folder's database to the
// server and writing the server's database back into a folder.
class TDatabasePage : public QWidget {
    Q_OBJECT
public:
    TDatabasePage(AppState &state, QWidget *parent);

    void rememberChoice();  // "Запомнить выбор"
    void migrateClick();    // "Перенести базу на сервер"
    void exportClick();     // "Выгрузить базу в папку"

    QRadioButton *FolderChoice = nullptr, *ServerChoice = nullptr;
    QLineEdit *HostEdit = nullptr, *PortEdit = nullptr, *DatabaseEdit = nullptr, *UserEdit = nullptr;
    QPushButton *RememberButton = nullptr, *MigrateButton = nullptr, *ExportButton = nullptr;

private:
    ServerSettings settings() const;
    void updateEnabled();
    AppState &m_state;
};

} // namespace veltor
