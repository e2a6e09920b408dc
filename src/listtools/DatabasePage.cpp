#include "listtools/DatabasePage.h"

#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/ServerConnection.h"
#include "records/AppState.h"
#include "records/Migration.h"
#include "records/ServerConfig.h"
#include "storage/FileNames.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

QLineEdit *edit(QWidget *parent, const char *name, const char *label, QFormLayout *form)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setAccessibleName(u(label));
    form->addRow(u(label), e);
    return e;
}

QPushButton *button(QWidget *parent, const char *name, const char *caption)
{
    auto *b = new QPushButton(u(caption), parent);
    b->setObjectName(name);
    b->setAccessibleName(u(caption));
    return b;
}

// A progress bar for a long copy, kept responsive.
MigrationProgress progressOf(QProgressDialog &dialog)
{
    return [&dialog](int64_t done, int64_t total) {
        dialog.setMaximum(static_cast<int>(std::max<int64_t>(1, total)));
        dialog.setValue(static_cast<int>(done));
        QCoreApplication::processEvents();
    };
}

QString reportText(const char *what, const MigrationReport &report)
{
    QString text = u(what) + u(": %1 записей в %2 таблицах.").arg(report.records).arg(report.tables.size());
    for (const auto &[name, count] : report.tables)
        text += u("\n%1 — %2").arg(QString::fromStdString(name)).arg(count);
    return text;
}

} // namespace

TDatabasePage::TDatabasePage(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("DatabasePage");
    auto *choice = new QGroupBox(u("База данных"), this);
    choice->setAccessibleName(u("База данных"));
    FolderChoice = new QRadioButton(u("папка таблиц"), choice);
    FolderChoice->setObjectName("FolderChoice");
    ServerChoice = new QRadioButton(u("сервер PostgreSQL"), choice);
    ServerChoice->setObjectName("ServerChoice");
    auto *group = new QButtonGroup(this);
    group->addButton(FolderChoice);
    group->addButton(ServerChoice);
    auto *choiceLayout = new QHBoxLayout(choice);
    choiceLayout->addWidget(FolderChoice);
    choiceLayout->addWidget(ServerChoice);
    choiceLayout->addStretch(1);

    auto *form = new QFormLayout;
    HostEdit = edit(this, "HostEdit", "Сервер", form);
    PortEdit = edit(this, "PortEdit", "Порт", form);
    DatabaseEdit = edit(this, "DatabaseEdit", "База данных на сервере", form);
    UserEdit = edit(this, "UserEdit", "Пользователь", form);
    PortEdit->setInputMask(QStringLiteral("00000"));
    auto *note = new QLabel(u("Пароль берется из файла ~/.pgpass или спрашивается при запуске; в настройках он не "
                              "хранится. Выбор вступает в силу при следующем запуске программы."),
                            this);
    note->setWordWrap(true);

    RememberButton = button(this, "RememberButton", "Запомнить выбор");
    MigrateButton = button(this, "MigrateButton", "Перенести базу на сервер");
    ExportButton = button(this, "ExportButton", "Выгрузить базу в папку");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(RememberButton);
    buttons->addWidget(MigrateButton);
    buttons->addWidget(ExportButton);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(choice);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addLayout(buttons);
    layout->addStretch(1);

    const std::optional<ServerSettings> saved = readServerConfig(m_state.ProgramFolder);
    (saved ? ServerChoice : FolderChoice)->setChecked(true);
    if (saved) {
        HostEdit->setText(QString::fromStdString(saved->host));
        PortEdit->setText(QString::fromStdString(saved->port));
        DatabaseEdit->setText(QString::fromStdString(saved->database));
        UserEdit->setText(QString::fromStdString(saved->user));
    }
    updateEnabled();
    connect(ServerChoice, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    connect(RememberButton, &QPushButton::clicked, this, guarded(this, [this] { rememberChoice(); }));
    connect(MigrateButton, &QPushButton::clicked, this, guarded(this, [this] { migrateClick(); }));
    connect(ExportButton, &QPushButton::clicked, this, guarded(this, [this] { exportClick(); }));
}

ServerSettings TDatabasePage::settings() const
{
    ServerSettings s;
    s.host = HostEdit->text().trimmed().toStdString();
    s.port = PortEdit->text().trimmed().toStdString();
    s.database = DatabaseEdit->text().trimmed().toStdString();
    s.user = UserEdit->text().trimmed().toStdString();
    return s;
}

void TDatabasePage::updateEnabled()
{
    for (QWidget *w : {static_cast<QWidget *>(HostEdit), static_cast<QWidget *>(PortEdit),
                       static_cast<QWidget *>(DatabaseEdit), static_cast<QWidget *>(UserEdit),
                       static_cast<QWidget *>(MigrateButton), static_cast<QWidget *>(ExportButton)})
        w->setEnabled(ServerChoice->isChecked());
}

void TDatabasePage::rememberChoice()
{
    if (ServerChoice->isChecked() && settings().database.empty()) {
        Dialogs::message(u("Укажите базу данных на сервере."), this);
        return;
    }
    writeServerConfig(m_state.ProgramFolder,
                      ServerChoice->isChecked() ? std::optional<ServerSettings>(settings()) : std::nullopt);
    Dialogs::message(u("Выбор базы данных запомнен; он вступит в силу при следующем запуске программы."), this);
}

void TDatabasePage::migrateClick()
{
    if (m_state.MainTablePath.empty() || (m_state.Storage && m_state.Storage->isServer())) {
        Dialogs::message(u("Перенести на сервер можно базу, открытую из папки таблиц."), this);
        return;
    }
    if (!Dialogs::question(u("Перенести базу из папки «%1» в базу данных «%2» на сервере? База на сервере должна быть "
                             "пустой.")
                               .arg(pathToQString(m_state.databaseFolder()), DatabaseEdit->text()),
                           this))
        return;
    PgStorage server(settings(), passwordPrompt(this));
    QProgressDialog progress(u("Перенос базы на сервер…"), QString(), 0, 1, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAccessibleName(u("Перенос базы на сервер"));
    const MigrationReport report =
        migrateToServer(pathFromCp1251(m_state.MainTablePath), server, progressOf(progress));
    progress.close();
    Dialogs::message(reportText("База перенесена на сервер, число записей проверено", report), this);
}

void TDatabasePage::exportClick()
{
    const QString folder = Dialogs::chooseFolder(u("Папка для таблиц базы"), this);
    if (folder.isEmpty())
        return;
    PgStorage server(settings(), passwordPrompt(this));
    QProgressDialog progress(u("Выгрузка базы в папку…"), QString(), 0, 1, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAccessibleName(u("Выгрузка базы в папку"));
    const MigrationReport report = exportToFolder(server, pathFromQString(folder), progressOf(progress));
    progress.close();
    Dialogs::message(reportText("База выгружена в папку, число записей проверено", report), this);
}

} // namespace veltor
