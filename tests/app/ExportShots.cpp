// Screenshots of the list commands, to look at them as a person would:
//   xvfb-run -a export_shots <output folder>
// Saves the list menu, the export dialog, a data warning, the restore list and the demo list
// exported as a workbook and as CSV (open them in a spreadsheet).
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <cstdio>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/ArchiveRestoreDialog.h"
#include "app/DataChecks.h"
#include "app/Dialogs.h"
#include "app/Language.h"
#include "app/Unit1.h"
#include "text/Cp1251.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: export_shots <output folder>");
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
    veltor::shots::settle();
    form1.grab().save(out + "/main-toolbar.png");

    form1.N1->popup(form1.mapToGlobal(QPoint(0, 0)));
    veltor::shots::settle();
    form1.N1->grab().save(out + "/list-menu.png");
    form1.N1->hide();

    QFileDialog files(&form1, QStringLiteral("Экспорт перечня"), temp.path(),
                      QStringLiteral("Книга Excel (*.xlsx);;Текст CSV, разделитель «;» (*.csv)"));
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.show();
    veltor::shots::settle();
    files.grab().save(out + "/export-dialog.png");
    files.hide();

    veltor::PersonData person;
    person.inn = "500100732258";
    person.snils = "112-233-445 96";
    person.passport = "4506 123456";
    person.birth = {1990, 5, 1};
    person.hire = {1985, 1, 10};
    person.dismissal = {1984, 12, 31};
    auto box = veltor::Dialogs::box(
        veltor::Dialogs::Kind::Question,
        [&] {
            std::string text = "Проверьте данные:";
            for (const std::string &fault : veltor::dataFaults(person, {2026, 1, 1}))
                text += "\n— " + fault;
            return QString::fromStdString(text + "\n\nСохранить всё равно?");
        }());
    box->show();
    veltor::shots::settle();
    box->grab().save(out + "/data-warning.png");
    box->hide();

    const std::filesystem::path database = state.databaseFolder();
    veltor::archiveTables(database, database / "arhiv_2025_03_6.zip");
    veltor::archiveTables(database, veltor::preRestoreArchivePath(database, QDateTime::currentDateTime()));
    veltor::ArchiveRestoreDialog restore(veltor::listArchives(database), &form1);
    restore.show();
    veltor::shots::settle();
    restore.grab().save(out + "/restore-list.png");
    restore.hide();

    for (const char *name : {"/perechen.xlsx", "/perechen.csv"}) {
        veltor::Dialogs::queuePath(out + name);
        form1.N1_11->trigger();
    }
    for (const QString &message : veltor::Dialogs::shownMessages())
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    return 0;
}
