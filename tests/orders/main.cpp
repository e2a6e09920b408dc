#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "app/Dialogs.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Every commit is checked against writing the whole table.
    qputenv("VELTOR_VERIFY_COMMITS", "1");
    // Window places and other user settings go to a test location, not the clerk's.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    veltor::Dialogs::setTestMode(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
