#include "app/ArchiveRestoreDialog.h"

#include "app/Dialogs.h"
#include "records/Startup.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "storage/FileNames.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace veltor {

ArchiveRestoreDialog::ArchiveRestoreDialog(const std::vector<ArchiveFile> &archives, QWidget *parent)
    : QDialog(parent), m_archives(archives)
{
    setObjectName("ArchiveRestoreDialog");
    setWindowTitle(QString::fromUtf8("Восстановить из архива"));
    setAccessibleName(windowTitle());
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QString::fromUtf8("&Архивы папки базы данных"), this);
    layout->addWidget(label);

    ArchiveList = new QTreeWidget(this);
    ArchiveList->setObjectName("ArchiveList");
    ArchiveList->setAccessibleName(QString::fromUtf8("Архивы папки базы данных"));
    label->setBuddy(ArchiveList);
    ArchiveList->setRootIsDecorated(false);
    ArchiveList->setHeaderLabels({QString::fromUtf8("Архив"), QString::fromUtf8("Дата"), QString::fromUtf8("Размер")});
    const QLocale russian(QLocale::Russian);
    for (const ArchiveFile &a : m_archives) {
        auto *item = new QTreeWidgetItem(ArchiveList);
        item->setText(0, pathToQString(a.path.filename()));
        item->setText(1, a.modified.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
        item->setText(2, russian.toString(static_cast<double>(a.size) / 1024.0, 'f', 1) + QString::fromUtf8(" КБ"));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    ArchiveList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ArchiveList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ArchiveList->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    ArchiveList->header()->setStretchLastSection(false);
    if (!m_archives.empty())
        ArchiveList->setCurrentItem(ArchiveList->topLevelItem(0));
    layout->addWidget(ArchiveList);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *restore = buttons->addButton(QString::fromUtf8("Восстановить"), QDialogButtonBox::AcceptRole);
    restore->setObjectName("RestoreButton");
    restore->setEnabled(!m_archives.empty());
    buttons->addButton(QString::fromUtf8("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ArchiveList, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(720, 320);
}

std::filesystem::path ArchiveRestoreDialog::chosen() const
{
    const int row = ArchiveList->indexOfTopLevelItem(ArchiveList->currentItem());
    return row >= 0 && row < static_cast<int>(m_archives.size()) ? m_archives[static_cast<size_t>(row)].path
                                                                  : std::filesystem::path();
}

std::filesystem::path ArchiveRestoreDialog::choose(const std::filesystem::path &folder, QWidget *parent)
{
    if (Dialogs::testMode())
        return pathFromQString(Dialogs::openFile(QString(), QString(), parent));
    ArchiveRestoreDialog dialog(listArchives(folder), parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : std::filesystem::path();
}

void TForm1::N2_11Click()
{
    const std::filesystem::path folder = m_state.databaseFolder();
    const std::filesystem::path archive = ArchiveRestoreDialog::choose(folder, this);
    if (archive.empty())
        return;
    if (!Dialogs::question(QString::fromUtf8("Восстановить таблицы из архива «") +
                               pathToQString(archive.filename()) +
                               QString::fromUtf8("»? Текущие таблицы будут сначала заархивированы."),
                           this))
        return;
    const std::filesystem::path undo = restoreFromArchive(m_state, archive, QDateTime::currentDateTime());
    showMissingTables();
    refillList("-1", std::string());
    Dialogs::message(QString::fromUtf8("Таблицы восстановлены из архива «") + pathToQString(archive.filename()) +
                         QString::fromUtf8("». Прежние таблицы сохранены в архиве «") +
                         pathToQString(undo.filename()) + QString::fromUtf8("»."),
                     this);
}

} // namespace veltor
