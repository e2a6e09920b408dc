#pragma once
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

// Every message, question and file dialog of the program goes through here, so tests can
// answer them without a window appearing (setTestMode + queued answers).
namespace veltor {

class Dialogs {
public:
    // A plain message box with an OK button.
    static void message(const QString &text, QWidget *parent = nullptr);
    // A message box for a failure (same look, an error icon).
    static void error(const QString &text, QWidget *parent = nullptr);
    // A message with OK and a button for each action: the index of the action chosen, -1 for
    // OK. In test mode it is recorded as a message and takes a queued action choice, else a
    // queued answer (yes: the first action; OK when none).
    static int messageWithActions(const QString &text, const QStringList &actions, QWidget *parent = nullptr);
    // A confirmation with Yes and No; true only for Yes.
    static bool question(const QString &text, QWidget *parent = nullptr);
    // "Сохранить изменения?" with Да, Нет and Отмена, asked before typed work would be left.
    enum class SaveChoice { Save, Drop, Cancel };
    static SaveChoice askToSave(const QString &text, QWidget *parent = nullptr);
    // The file dialogs open in the folder of `startAt` (a file or a folder) when it exists, so
    // the clerk starts from what is set now rather than from wherever the program was started.

    // A file-open dialog; empty when cancelled. `filter` in Qt's syntax.
    static QString openFile(const QString &caption, const QString &filter, QWidget *parent = nullptr,
                            const QString &startAt = QString());
    // A file-save dialog asking before replacing a file; empty when cancelled. The filter the
    // user chose goes to *selectedFilter.
    static QString saveFile(const QString &caption, const QString &filter,
                            QString *selectedFilter = nullptr, QWidget *parent = nullptr,
                            const QString &startAt = QString());
    // A picture-open dialog (JPEG, bitmap, icon); empty when cancelled.
    static QString openPicture(QWidget *parent = nullptr, const QString &startAt = QString());
    // A folder chooser; empty when cancelled.
    static QString chooseFolder(const QString &caption, QWidget *parent = nullptr,
                                const QString &startAt = QString());
    // The existing folder a dialog opens in for `startAt`; empty when there is none.
    static QString startFolder(const QString &startAt);

    // Opens a file with the desktop's application for its type; false when none could be
    // started. In test mode nothing opens: the file is recorded.
    static bool openWithApplication(const QString &path);

    // The box message, error and question show, built but not shown: titled with the program's
    // name, buttons in the interface's language.
    enum class Kind { Message, Error, Question };
    static std::unique_ptr<QMessageBox> box(Kind kind, const QString &text, QWidget *parent = nullptr);
    static QString programName();

    // Test hooks. In test mode nothing is shown: messages are recorded, questions take the
    // queued answers (No when the queue is empty), file dialogs the queued paths (empty).
    static void setTestMode(bool on);
    static bool testMode();
    static void queueAnswer(bool yes);
    static void queuePath(const QString &path);
    // askToSave takes these (Drop when none is queued), recorded among the questions.
    static void queueSaveChoice(SaveChoice choice);
    static void queueActionChoice(int action);
    static const QStringList &shownMessages(); // messages and errors, in order
    static const QStringList &askedQuestions();
    static const QStringList &startFolders(); // where each file dialog would have opened
    static const QStringList &openedFiles();  // what openWithApplication was given
    static void clearRecorded();
};

} // namespace veltor
