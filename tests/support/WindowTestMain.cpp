// The main of the tests that drive windows: offscreen, with dialogs answered by the tests, every
// commit checked against writing the whole table, and user settings kept out of the clerk's.
// Built with VELTOR_SMALL_SCREEN, the windows are laid out on a screen as small as 1366x768.
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include "app/Dialogs.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef VELTOR_SMALL_SCREEN
    QTemporaryFile screens;
    if (screens.open()) {
        screens.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1366, "height": 768,
                          "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    }
#endif
    qputenv("VELTOR_VERIFY_COMMITS", "1");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    veltor::Dialogs::setTestMode(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
