// Screenshots of the settings, about, reference-list, column-choice and streaming-entry panels
// on the demo database, to look at them as a person would:
//   xvfb-run -a listtools_settings_shots <output folder>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "listtools/ObrabPanel.h"
#include "listtools/SettingsPanel.h"
#include "listtools/SpravPanel.h"
#include "listtools/StolbPanel.h"
#include "listtools/Unit3.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: listtools_settings_shots <output folder>");
    if (out.isEmpty())
        return 2;
    veltor::Dialogs::setTestMode(true);

    QTemporaryDir temp;
    const std::filesystem::path run = std::filesystem::path(temp.path().toStdString()) / "run";
    veltor::demo::installDemo(DEMO_FOLDER, run);

    veltor::AppState state;
    state.ProgramFolder = run;
    veltor::TForm1 form1(state);
    veltor::TForm3 tools(state, form1);
    veltor::FormLinks links;
    links.Form3 = &tools;
    form1.setLinks(links);
    form1.FormCreate();
    form1.resize(1200, 700);
    form1.show();

    auto shot = [&](QWidget &w, const QString &name) {
        veltor::shots::settle();
        w.grab().save(out + "/" + name + ".png");
    };

    form1.N2_1->trigger();
    auto &nastr = *tools.PanelNastr;
    shot(tools, "settings-general");
    nastr.PageControl1->setCurrentIndex(1);
    for (int r = 1; r < nastr.StringGrid3->RowCount(); ++r)
        if (nastr.StringGrid3->cellText(3, r).contains(QString::fromUtf8("иректор")) ||
            nastr.StringGrid3->cellText(2, r) == "DIREKTOR") {
            nastr.StringGrid3->setRow(r);
            nastr.StringGrid3SelectCell(4, r);
            break;
        }
    shot(tools, "settings-constants");
    nastr.PageControl1->setCurrentIndex(2);
    nastr.StringGrid4->setRow(1);
    nastr.StringGrid4SelectCell(3, 1);
    shot(tools, "settings-print");
    nastr.PageControl1->setCurrentIndex(3);
    shot(tools, "settings-interface");
    nastr.PageControl1->setCurrentIndex(4);
    shot(tools, "settings-database");
    nastr.Button5->click();

    form1.N3_1->trigger();
    shot(tools, "about");
    form1.N2_3->trigger();
    shot(tools, "departments");
    form1.N2_4->trigger();
    shot(tools, "positions");
    form1.N2_7->trigger();
    shot(tools, "columns");
    tools.close();

    form1.N1_8->trigger();
    auto &obrab = *tools.PanelObrab;
    shot(tools, "entry-open");
    auto choose = [&](const char *caption) {
        const int i = obrab.ComboBox4->findText(QString::fromUtf8(caption), Qt::MatchContains);
        std::fprintf(stderr, "%s -> %d\n", caption, i);
        obrab.ComboBox4Change(i);
    };
    choose("Оклад");
    obrab.Button21Click();
    shot(tools, "entry-salary");
    tools.close();
    form1.N1_8->trigger();
    choose("олжн");
    obrab.ValueListSelectCell(1, 2);
    shot(tools, "entry-position");
    tools.close();
    form1.N1_8->trigger();
    choose("Дата");
    obrab.ValueListSelectCell(1, 1);
    shot(tools, "entry-date");
    for (const QString &m : veltor::Dialogs::shownMessages())
        std::fprintf(stderr, "message: %s\n", m.toUtf8().constData());
    tools.close();
    form1.close();
    return 0;
}
