// Test entry point for everything that needs a QApplication.
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    // Offscreen, on a 1920 x 1080 screen: the dialogs fit it as laid out
    // (the platform's own screen, 800 x 800, would make them shrink).
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::strcmp(platform, "offscreen") == 0)
        setenv("QT_QPA_PLATFORM", "offscreen:configfile=" ZM_OFFSCREEN_SCREEN, 1);
    QApplication app(argc, argv);
    // Settings go to a test location, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    // Tests end dialogs themselves; a window closing must not end anything else.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
