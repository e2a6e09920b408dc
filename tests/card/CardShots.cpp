// Screenshots of the card on the demo database, to look at the layout as a person would:
//   xvfb-run -a card_shots <output folder> [employee row]
// Installs the demo into a temporary folder, starts the main window on it, opens the card of
// the employee in the given list row and saves one PNG per tab page and per opened group.
#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "card/EducationEditor.h"
#include "card/ExtraPage.h"
#include "card/FamilyEditor.h"
#include "card/HrPage.h"
#include "card/MainPage.h"
#include "card/Unit2.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: card_shots <output folder> [employee row]");
    if (out.isEmpty())
        return 2;
    const int row = argc > 2 ? std::atoi(argv[2]) : 1;
    veltor::Dialogs::setTestMode(true);

    QTemporaryDir temp;
    const std::filesystem::path run = std::filesystem::path(temp.path().toStdString()) / "run";
    veltor::demo::installDemo(DEMO_FOLDER, run);

    veltor::AppState state;
    state.ProgramFolder = run;
    veltor::TForm1 form1(state);
    veltor::TForm2 card(state, form1);
    veltor::FormLinks links;
    links.Form2 = &card;
    form1.setLinks(links);
    form1.FormCreate();
    form1.StringGrid1->setRow(row);
    card.show();
    veltor::shots::settle();
    for (const QString &m : veltor::Dialogs::shownMessages())
        std::fprintf(stderr, "message: %s\n", m.toUtf8().constData());

    auto shot = [&](const QString &name) {
        veltor::shots::settle();
        card.grab().save(out + "/card-" + name + ".png");
    };
    const char *const tabs[] = {"main", "extra", "hr", "params"};
    for (int i = 0; i < 4; ++i) {
        card.PageControl1->setCurrentIndex(i);
        shot(tabs[i]);
    }
    // A refused character: the salary takes digits only, and the status bar says so.
    card.PageControl1->setCurrentIndex(0);
    card.OsnovnList->Edit3->setFocus();
    card.OsnovnList->Edit3->end(false);
    for (const QString &typed : {QStringLiteral("5"), QString::fromUtf8("р")}) {
        QInputMethodEvent event;
        event.setCommitString(typed);
        QApplication::sendEvent(card.OsnovnList->Edit3, &event);
    }
    shot("refused-input");

    card.OsnovnList->Button6Click();
    shot("nameforms");
    card.OsnovnList->Button6Click();

    card.PageControl1->setCurrentIndex(2);
    card.Button19Click();
    shot("history");
    card.Button19Click();

    card.PageControl1->setCurrentIndex(1);
    card.DopList->Family->Button9Click();
    // An emoji the family member's name cannot hold: refused with a note.
    {
        QLineEdit *name = card.DopList->Family->LabeledEdit1;
        name->setFocus();
        name->end(false);
        QInputMethodEvent event;
        event.setCommitString(QString::fromUtf8("😀"));
        QApplication::sendEvent(name, &event);
    }
    shot("family-editor");
    card.DopList->Family->Button11Click();
    card.DopList->PanelObraz->Button16Click();
    shot("education-editor");
    card.DopList->PanelObraz->Button18Click();
    card.close();
    return 0;
}
