// Screenshots of the tools dialog's panels and of the list after a search, a sort and a filter
// on the demo database, to look at them as a person would:
//   xvfb-run -a listtools_shots <output folder>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "card/CardWidgets.h"
#include "listtools/FilterPanel.h"
#include "listtools/SearchPanel.h"
#include "listtools/SortPanel.h"
#include "listtools/SpravPanel.h"
#include "listtools/Unit3.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: listtools_shots <output folder>");
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
    auto report = [&] {
        for (const QString &m : veltor::Dialogs::shownMessages())
            std::fprintf(stderr, "message: %s\n", m.toUtf8().constData());
        veltor::Dialogs::clearRecorded();
    };

    form1.N1_1->trigger();
    tools.PanelPoisk->Edit1->setText(QString::fromUtf8("бухгалтер"));
    shot(tools, "search");
    tools.PanelPoisk->Button1->click();
    shot(form1, "list-after-search");

    form1.N1_2->trigger();
    tools.PanelSort->ComboBox1->setCurrentIndex(0);
    tools.PanelSort->RadioButton2->setChecked(true);
    shot(tools, "sort");
    tools.PanelSort->Button2->click();
    shot(form1, "list-after-sort");

    form1.N1_3->trigger();
    auto &panel = *tools.PanelFiltr;
    panel.ComboBox2->setCurrentIndex(veltor::filterfield::Sex);
    panel.FiltrBox1->twoWay->button(1)->click();
    panel.ComboBox5->setCurrentIndex(veltor::filterfield::BirthDate);
    panel.FiltrBox2->dateMode->button(2)->click();
    panel.ComboBox7->setCurrentIndex(veltor::filterfield::Family);
    panel.FiltrBox3->family->item(2)->setCheckState(Qt::Checked);
    shot(tools, "filter");
    panel.ComboBox7->setCurrentIndex(veltor::filterfield::Position);
    shot(tools, "filter-position");
    panel.FiltrBox3->pickButton->click();
    shot(tools, "filter-pick-position");
    tools.PanelSprav->StringGrid1DblClick();
    panel.ComboBox7->setCurrentIndex(veltor::filterfield::Department);
    shot(tools, "filter-department");
    panel.ComboBox7->setCurrentIndex(-1);
    panel.Button3->click();
    report();
    shot(form1, "list-after-filter");
    tools.close();
    form1.close();
    return 0;
}
