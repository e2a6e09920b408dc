#include "app/Dialogs.h"

#include "app/Mnemonics.h"
#include "app/Release.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <vector>

namespace veltor {
namespace {

struct TestHooks {
    bool on = false;
    std::deque<bool> answers;
    std::deque<Dialogs::SaveChoice> saveChoices;
    std::deque<int> actionChoices;
    std::deque<QString> paths;
    QStringList messages;
    QStringList questions;
    QStringList startFolders;
    QStringList openedFiles;
};

TestHooks &hooks()
{
    static TestHooks h;
    return h;
}

// Qt's own file dialogs speak the interface's language; the desktop's would speak the machine's.
constexpr QFileDialog::Option OwnDialog = QFileDialog::DontUseNativeDialog;

QString takePath(const QString &startAt)
{
    auto &h = hooks();
    h.startFolders.push_back(Dialogs::startFolder(startAt));
    if (h.paths.empty())
        return {};
    QString p = h.paths.front();
    h.paths.pop_front();
    return p;
}

// Every answer gets an underlined letter of its own, Qt's translated ones included.
void underlineAnswers(QMessageBox &box)
{
    QList<QWidget *> buttons;
    for (QAbstractButton *b : box.buttons())
        buttons.push_back(b);
    assignMnemonics(buttons);
}

} // namespace

QString Dialogs::programName()
{
    return QString::fromUtf8(ProgramName);
}

std::unique_ptr<QMessageBox> Dialogs::box(Kind kind, const QString &text, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(programName());
    box->setText(text);
    switch (kind) {
    case Kind::Message:
        box->setIcon(QMessageBox::Information);
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Error:
        box->setIcon(QMessageBox::Critical);
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Question:
        box->setIcon(QMessageBox::Question);
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::No);
        break;
    }
    underlineAnswers(*box);
    return box;
}

void Dialogs::message(const QString &text, QWidget *parent)
{
    if (hooks().on) {
        hooks().messages << text;
        return;
    }
    box(Kind::Message, text, parent)->exec();
}

void Dialogs::error(const QString &text, QWidget *parent)
{
    if (hooks().on) {
        hooks().messages << text;
        return;
    }
    box(Kind::Error, text, parent)->exec();
}

int Dialogs::messageWithActions(const QString &text, const QStringList &actions, QWidget *parent)
{
    auto &h = hooks();
    if (h.on) {
        h.messages << text;
        int chosen = -1;
        if (!h.actionChoices.empty()) {
            chosen = h.actionChoices.front();
            h.actionChoices.pop_front();
        } else if (!h.answers.empty()) {
            chosen = h.answers.front() ? 0 : -1;
            h.answers.pop_front();
        }
        return chosen;
    }
    auto shown = box(Kind::Message, text, parent);
    std::vector<QPushButton *> buttons;
    for (const QString &action : actions)
        buttons.push_back(shown->addButton(action, QMessageBox::ActionRole));
    underlineAnswers(*shown);
    shown->exec();
    const auto at = std::find(buttons.begin(), buttons.end(), shown->clickedButton());
    return at == buttons.end() ? -1 : static_cast<int>(at - buttons.begin());
}

bool Dialogs::question(const QString &text, QWidget *parent)
{
    auto &h = hooks();
    if (h.on) {
        h.questions << text;
        if (h.answers.empty())
            return false;
        bool yes = h.answers.front();
        h.answers.pop_front();
        return yes;
    }
    return box(Kind::Question, text, parent)->exec() == QMessageBox::Yes;
}

Dialogs::SaveChoice Dialogs::askToSave(const QString &text, QWidget *parent)
{
    auto &h = hooks();
    if (h.on) {
        h.questions << text;
        if (h.saveChoices.empty())
            return SaveChoice::Drop;
        const SaveChoice choice = h.saveChoices.front();
        h.saveChoices.pop_front();
        return choice;
    }
    auto shown = box(Kind::Question, text, parent);
    shown->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    shown->setDefaultButton(QMessageBox::Yes);
    shown->setEscapeButton(QMessageBox::Cancel);
    underlineAnswers(*shown);
    switch (shown->exec()) {
    case QMessageBox::Yes:
        return SaveChoice::Save;
    case QMessageBox::No:
        return SaveChoice::Drop;
    default:
        return SaveChoice::Cancel;
    }
}

QString Dialogs::startFolder(const QString &startAt)
{
    if (startAt.isEmpty())
        return {};
    const QFileInfo info(startAt);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return QFileInfo(folder).isDir() ? QDir::cleanPath(folder) : QString();
}

QString Dialogs::openFile(const QString &caption, const QString &filter, QWidget *parent,
                          const QString &startAt)
{
    if (hooks().on)
        return takePath(startAt);
    return QFileDialog::getOpenFileName(parent, caption, startFolder(startAt), filter, nullptr, OwnDialog);
}

QString Dialogs::saveFile(const QString &caption, const QString &filter, QString *selectedFilter,
                          QWidget *parent, const QString &startAt)
{
    if (hooks().on)
        return takePath(startAt);
    return QFileDialog::getSaveFileName(parent, caption, startFolder(startAt), filter, selectedFilter,
                                        OwnDialog);
}

QString Dialogs::openPicture(QWidget *parent, const QString &startAt)
{
    if (hooks().on)
        return takePath(startAt);
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Выбор фотографии"), startFolder(startAt),
                                        QStringLiteral("Изображения (*.jpg *.jpeg *.bmp *.ico);;"
                                                       "Все файлы (*)"),
                                        nullptr, OwnDialog);
}

QString Dialogs::chooseFolder(const QString &caption, QWidget *parent, const QString &startAt)
{
    if (hooks().on)
        return takePath(startAt);
    return QFileDialog::getExistingDirectory(parent, caption, startFolder(startAt),
                                             QFileDialog::ShowDirsOnly | OwnDialog);
}

bool Dialogs::openWithApplication(const QString &path)
{
    if (hooks().on) {
        hooks().openedFiles.push_back(path);
        return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void Dialogs::setTestMode(bool on) { hooks().on = on; }
bool Dialogs::testMode() { return hooks().on; }
void Dialogs::queueAnswer(bool yes) { hooks().answers.push_back(yes); }
void Dialogs::queuePath(const QString &path) { hooks().paths.push_back(path); }
void Dialogs::queueSaveChoice(SaveChoice choice) { hooks().saveChoices.push_back(choice); }
void Dialogs::queueActionChoice(int action) { hooks().actionChoices.push_back(action); }
const QStringList &Dialogs::shownMessages() { return hooks().messages; }
const QStringList &Dialogs::askedQuestions() { return hooks().questions; }
const QStringList &Dialogs::startFolders() { return hooks().startFolders; }
const QStringList &Dialogs::openedFiles() { return hooks().openedFiles; }

void Dialogs::clearRecorded()
{
    auto &h = hooks();
    h.messages.clear();
    h.questions.clear();
    h.answers.clear();
    h.saveChoices.clear();
    h.actionChoices.clear();
    h.paths.clear();
    h.startFolders.clear();
    h.openedFiles.clear();
}

} // namespace veltor
