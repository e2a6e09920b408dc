// Screenshots of the print preview and of the layout progress, to look at them as a person
// would:
//   xvfb-run -a preview_shots <output folder>
// Prints the personal card of the demo's first employee, a hire order and the demo list, lays them out as
// "Просмотр" does and saves the preview windows.
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QTemporaryDir>

#include "../ShotSupport.h"
#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "app/DocumentOutput.h"
#include "app/EmployeeList.h"
#include "app/Language.h"
#include "records/Startup.h"
#include "app/Unit1.h"
#include "documents/TemplatePrinting.h"
#include "printing/DocumentFiles.h"
#include "printing/RtfLayout.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = veltor::shots::outputFolder(argc, argv, "usage: preview_shots <output folder>");
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

    std::filesystem::path shown;
    veltor::setDocumentApplicationFactory(
        veltor::rtfApplicationFactory([&shown](const std::filesystem::path &file) { shown = file; }));
    state.CurMainRec = 1;
    veltor::printPechatTemplate(state, 1);
    const std::filesystem::path card = shown;

    const auto preview = [&](const std::filesystem::path &file, const QString &name) {
        std::shared_ptr<veltor::RtfLayout> layout =
            veltor::RtfLayout::fromRtf(veltor::readDocumentFile(file), veltor::displayPath(file));
        QPrintPreviewDialog *dialog = veltor::showPrintPreview(layout, file, &form1);
        dialog->resize(1366, 768);
        veltor::shots::settle(20);
        dialog->grab().save(out + "/" + name);
        dialog->close();
        veltor::shots::settle();
    };
    preview(card, QStringLiteral("preview-card.png"));

    // A hire order of the same employee, with no order saved: the template's own fields empty.
    veltor::pechatdok(state,
                      veltor::pathFromCp1251(veltor::fileInFolder(state.TemplatesFolder,
                                                                   veltor::utf8ToCp1251("т-1.RTF"))),
                      1, veltor::OrderTables{}, -1);
    preview(shown, QStringLiteral("preview-order.png"));

    veltor::ListContent list = veltor::buildEmployeeList(state, veltor::effectiveCodeList(state, "-1"));
    veltor::printEmployeeList(state, list.cols, list.rows,
                              [&list](int col, int row) -> const std::string & { return list.at(col, row); });
    preview(shown, QStringLiteral("preview-list.png"));
    return 0;
}
