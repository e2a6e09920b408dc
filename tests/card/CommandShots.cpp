// Screenshots of the card's documents and HR-order pop-ups and of the main window's settings
// menu, on the demo database, taken of the whole screen so the pop-ups show where they open:
//   xvfb-run -a -s "-screen 0 1280x900x24" card_command_shots <output folder>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <cstdio>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "card/MainPage.h"
#include "card/Unit2.h"
#include "listtools/Unit3.h"

namespace {

// The card and its pop-ups take more rounds of events to settle.
void settle() { veltor::shots::settle(10); }

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: card_command_shots <output folder>");
    if (out.isEmpty())
        return 2;
    veltor::Dialogs::setTestMode(true);

    QTemporaryDir temp;
    const std::filesystem::path run = std::filesystem::path(temp.path().toStdString()) / "run";
    veltor::demo::installDemo(DEMO_FOLDER, run);

    veltor::AppState state;
    state.ProgramFolder = run;
    veltor::TForm1 form1(state);
    veltor::TForm2 card(state, form1);
    veltor::TForm3 tools(state, form1);
    veltor::FormLinks links;
    links.Form2 = &card;
    links.Form3 = &tools;
    links.choosePosition = [&tools](std::function<void(int)> picked) { tools.choosePosition(std::move(picked)); };
    form1.setLinks(links);
    form1.FormCreate();
    form1.show();
    form1.StringGrid1->setRow(2);
    card.show();
    card.move(200, 60);
    settle();
    auto screen = [&](const QString &name) {
        settle();
        QGuiApplication::primaryScreen()->grabWindow(0).save(out + "/" + name + ".png");
    };
    card.Button1Click();
    screen("card-documents-popup");
    card.PopupMenu->hide();
    card.Button5Click();
    screen("card-orders-popup");
    card.PopupMenu->hide();
    card.hide();
    // The position chooser, reachable when positions are not picked from a drop-down list.
    state.PositionListMode = 0;
    card.show();
    card.OsnovnList->Button4->click();
    tools.move(420, 240);
    screen("card-position-chooser");
    tools.close();
    card.hide();
    form1.N2->popup(form1.mapToGlobal(QPoint(300, 20)));
    screen("main-settings-menu");
    form1.N2->hide();
    // Archiving, answered Yes: the status bar tells when the archive is made.
    veltor::Dialogs::queueAnswer(true);
    form1.N2_5->trigger();
    if (auto *zip = form1.findChild<QProcess *>())
        zip->waitForFinished(60000);
    screen("main-archive-done");
    for (const QString &m : veltor::Dialogs::shownMessages())
        std::fprintf(stderr, "message: %s\n", m.toUtf8().constData());
    return 0;
}
