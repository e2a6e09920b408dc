// Screenshots of what the clerk sees when a printed document cannot be shown:
//   xvfb-run -a document_notice_shots <output folder>
// Prints the demo list with an opener that finds no application, then saves the message and
// the main window with its status bar.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/DocumentNotices.h"
#include "app/Language.h"
#include "app/Unit1.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: document_notice_shots <output folder>");
    if (out.isEmpty())
        return 2;
    veltor::useRussianInterface();

    QTemporaryDir temp;
    const std::filesystem::path root(temp.path().toStdString());
    veltor::demo::installDemo(DEMO_FOLDER, root / "run");
    std::filesystem::create_directories(root / "bin");
    std::ofstream(root / "bin" / "xdg-open") << "#!/bin/sh\nexit 3\n";
    std::filesystem::permissions(root / "bin" / "xdg-open", std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString((root / "bin").string()) + ":" + qgetenv("PATH"));
    veltor::setFolderOpener([](const QString &folder) { std::printf("open folder %s\n", qPrintable(folder)); });

    veltor::AppState state;
    state.ProgramFolder = root / "run";
    veltor::TForm1 form1(state);
    form1.FormCreate();
    form1.resize(1100, 600);
    form1.show();
    veltor::shots::settle();

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        poll.stop();
        veltor::shots::settle();
        box->grab().save(out + "/document-not-shown.png");
        form1.grab().save(out + "/document-saved-status.png");
        for (QAbstractButton *button : box->buttons())
            if (box->buttonRole(button) == QMessageBox::ActionRole)
                button->click();
        QTimer::singleShot(200, &app, &QApplication::quit);
    });
    poll.start(100);
    form1.N5_1->trigger();
    QTimer::singleShot(15000, &app, &QApplication::quit);
    return app.exec();
}
