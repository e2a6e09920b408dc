// The tests of windows laid out on a screen as small as a clerk's 1366x768.
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include "app/Dialogs.h"

int main(int argc, char **argv)
{
    // The clerk's screen is as small as 1366x768: the windows are laid out on one of that size.
    QTemporaryFile screens;
    if (screens.open()) {
        screens.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1366, "height": 768,
                          "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Every commit is checked against writing the whole table.
    qputenv("VELTOR_VERIFY_COMMITS", "1");
    // Window places and other user settings go to a test location, not the clerk's.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    veltor::Dialogs::setTestMode(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
