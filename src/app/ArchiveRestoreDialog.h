#pragma once
#include <QDialog>
#include <filesystem>

#include "app/ArchiveRestore.h"

class QTreeWidget;

namespace veltor {

// The list of a folder's archives with their dates and sizes, to pick the one to restore.
class ArchiveRestoreDialog : public QDialog {
    Q_OBJECT
public:
    ArchiveRestoreDialog(const std::vector<ArchiveFile> &archives, QWidget *parent = nullptr);
    std::filesystem::path chosen() const;

    // Shows the dialog and returns the archive picked, empty when cancelled. In the dialogs'
    // test mode the queued path is taken instead.
    static std::filesystem::path choose(const std::filesystem::path &folder, QWidget *parent);

    QTreeWidget *ArchiveList = nullptr;

private:
    std::vector<ArchiveFile> m_archives;
};

} // namespace veltor
