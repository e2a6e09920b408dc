// Screenshots of the orders window on the demo database, to look at it as a person would:
//   xvfb-run -a orders_shots <output folder>
// Saves the journal, the order form laid out for each kind, a stored order opened from the
// journal, and a printed hire order (an RTF document) beside them; for a hire and a vacation
// also the whole screen with the employee finder's list open.
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QScreen>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "orders/OrderFormPanel.h"
#include "orders/OrderJournalPanel.h"
#include "orders/Unit4.h"
#include "documents/TemplatePrinting.h"
#include "storage/FileNames.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: orders_shots <output folder>");
    if (out.isEmpty())
        return 2;
    veltor::Dialogs::setTestMode(true);
    std::filesystem::path printed;
    veltor::setDocumentApplicationFactory(
        veltor::rtfApplicationFactory([&](const std::filesystem::path &file) { printed = file; }));

    QTemporaryDir temp;
    const std::filesystem::path run = std::filesystem::path(temp.path().toStdString()) / "run";
    veltor::demo::installDemo(VELTOR_DEMO_DIR, run);

    veltor::AppState state;
    state.ProgramFolder = run;
    veltor::TForm1 form1(state);
    veltor::TForm4 orders(state, form1);
    veltor::FormLinks links;
    links.Form4 = &orders;
    form1.setLinks(links);
    form1.FormCreate();

    auto shot = [&](const QString &name) {
        veltor::shots::settle();
        orders.grab().save(out + "/orders-" + name + ".png");
    };
    form1.N6_4->trigger();
    shot("journal");
    orders.ZhurPanel->ZhurGrid->setRow(2);
    orders.ZhurGridDblClick();
    shot("stored");
    orders.close();

    veltor::TOrderFormPanel &f = *orders.DokumPanel;
    for (int kind = 0; kind < veltor::OrderKindCount; ++kind) {
        form1.N6_1->trigger();
        f.DokumComboTipOper->setCurrentIndex(kind);
        emit f.DokumComboTipOper->activated(kind);
        f.DokumComboSotr->setCurrentIndex(1);
        emit f.DokumComboSotr->activated(1);
        shot(QStringLiteral("kind%1").arg(kind));
        if (kind == veltor::Hire || kind == veltor::Vacation) {
            // The whole screen, with the employee finder's list open over the form.
            QLineEdit *typed = f.DokumComboSotr->lineEdit();
            f.DokumComboSotr->setFocus();
            typed->setText(QString::fromUtf8(kind == veltor::Hire ? "ов" : "ля"));
            f.DokumComboSotr->completer()->setCompletionPrefix(typed->text());
            f.DokumComboSotr->completer()->complete();
            veltor::shots::settle();
            orders.screen()->grabWindow(0).save(out + QStringLiteral("/orders-finder%1.png").arg(kind));
            f.DokumComboSotr->completer()->popup()->hide();
            f.settleTypedEmployee();
        }
        if (kind == veltor::Hire) {
            veltor::Dialogs::queueAnswer(true);
            f.DokumButPech->click();
            if (!printed.empty())
                QFile::copy(veltor::pathToQString(printed), out + "/orders-hire.rtf");
        }
        orders.close();
    }
    for (const QString &m : veltor::Dialogs::shownMessages())
        std::fprintf(stderr, "message: %s\n", m.toUtf8().constData());
    return 0;
}
