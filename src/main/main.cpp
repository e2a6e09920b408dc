#include "records/AppState.h"
#include "app/DocumentOutput.h"
#include "app/Language.h"
#include "app/Unit1.h"
#include "documents/TemplatePrinting.h"
#include "card/Unit2.h"
#include "listtools/Unit3.h"
#include "orders/Unit4.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt aborts with a message about platform plugins; say plainly what to do.
bool displayAvailable()
{
#if defined(Q_OS_LINUX)
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char *x = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
#else
    return true;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "Нет графического дисплея: программе нужен рабочий стол.\n"
                     "No display found. Run it on a desktop, or under a virtual display:\n"
                     "  xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "veltor");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("veltor"));
    QApplication::setQuitOnLastWindowClosed(false);
    veltor::useRussianInterface();

    veltor::AppState state;
    state.ProgramFolder = QDir(QCoreApplication::applicationDirPath()).filesystemAbsolutePath();
    // --database postgresql://user@host:port/name opens a database on a server for this run.
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--database") && i + 1 < arguments.size())
            state.ServerAddress = arguments[++i].toStdString();
        else if (arguments[i].startsWith(QStringLiteral("--database=")))
            state.ServerAddress = arguments[i].mid(11).toStdString();
    }

    // The four windows are created once, in this order, and kept for the whole run.
    veltor::TForm1 form1(state);
    // The other three belong to the main window: they stay above it and go with it.
    veltor::TForm2 form2(state, form1, &form1);
    veltor::TForm3 form3(state, form1, &form1);
    veltor::TForm4 form4(state, form1, &form1);
    veltor::FormLinks links;
    links.Form2 = &form2;
    links.Form3 = &form3;
    links.Form4 = &form4;
    // The documents menu prints as the card's print button does.
    links.printTemplate = [&form2](int tag) { form2.ButPechatClick(tag); };
    links.choosePosition = [&form3](std::function<void(int)> picked) { form3.choosePosition(std::move(picked)); };
    form1.setLinks(links);

    // Printed documents go where the clerk chose: the desktop's editor, the preview or a PDF.
    veltor::setDocumentApplicationFactory(veltor::rtfApplicationFactory(veltor::documentOpener(&form1)));

    form1.FormCreate();
    if (form1.quitRequested())
        return 0;
    form1.show();
    return app.exec();
}
