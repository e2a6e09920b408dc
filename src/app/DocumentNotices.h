#pragma once
#include <QString>
#include <filesystem>
#include <functional>
#include <string>

class QStatusBar;
class QWidget;

// The clerk always learns where a printed document went: the status bar names every document
// printing saves, and a document the desktop could not show is named in a message whose
// button opens its folder.
namespace veltor {

// Installs both notices for the program's run; `window` parents the message.
void installDocumentNotices(QStatusBar *statusBar, QWidget *window);

// The message for a saved document that could not be shown.
void reportUnshownDocument(const std::filesystem::path &file, const std::string &reason, QWidget *parent);

// How a folder is opened for the clerk (the desktop's file manager); tests put their own.
void setFolderOpener(std::function<void(const QString &folder)> opener);

} // namespace veltor
