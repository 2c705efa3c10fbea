// Test entry point for everything that needs a QApplication.
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // Settings go to a test location, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    // Tests end dialogs themselves; a window closing must not end anything else.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
