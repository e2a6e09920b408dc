// Screenshots of the main window on the demo database, to look at it as a person would:
//   xvfb-run -a main_shots <output folder>
// Saves the window at start, after a deletion, a question box, a calendar and the photo picker.
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "app/Language.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: main_shots <output folder>");
    if (out.isEmpty())
        return 2;
    veltor::useRussianInterface();
    veltor::Dialogs::setTestMode(true);

    QTemporaryDir temp;
    const std::filesystem::path run = std::filesystem::path(temp.path().toStdString()) / "run";
    veltor::demo::installDemo(DEMO_FOLDER, run);

    veltor::AppState state;
    state.ProgramFolder = run;
    veltor::TForm1 form1(state);
    form1.FormCreate();
    form1.resize(1100, 600);
    form1.show();
    form1.activateWindow();
    veltor::shots::settle();
    form1.grab().save(out + "/main-start.png");

    form1.StringGrid1->setRow(3);
    veltor::shots::settle();
    form1.grab().save(out + "/main-row3.png");
    veltor::Dialogs::queueAnswer(true);
    form1.N1_9Click();
    veltor::shots::settle();
    form1.grab().save(out + "/main-after-delete.png");

    auto box = veltor::Dialogs::box(veltor::Dialogs::Kind::Question,
                                    QStringLiteral("Вы уверены, что хотите удалить эту запись???"));
    box->show();
    veltor::shots::settle();
    box->grab().save(out + "/question.png");
    box->hide();

    QCalendarWidget calendar;
    calendar.setSelectedDate(QDate(2024, 3, 15));
    calendar.show();
    veltor::shots::settle();
    calendar.grab().save(out + "/calendar.png");

    // The photo picker as the card opens it, from a demo photo: it starts in the photos' folder.
    veltor::Dialogs::setTestMode(false);
    QTimer::singleShot(500, [&] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            dialog->grab().save(out + "/file-dialog.png");
            dialog->close();
        }
    });
    veltor::Dialogs::openPicture(nullptr, QString::fromStdString((run / "database" / "foto" / "101.jpg").string()));
    veltor::Dialogs::setTestMode(true);

    for (const QString &m : veltor::Dialogs::shownMessages())
        std::fprintf(stderr, "message: %s\n", m.toUtf8().constData());
    state.RecordsDeleted = false;
    form1.close();
    return 0;
}
