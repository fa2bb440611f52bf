#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include "TandrelApp.h"

int main(int argc, char** argv)
{
    // Tests never need a display; test discovery runs without CTest's environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test reaches the user's keyring: only the private session that with-keyring.sh starts
    // keeps its bus.
    if (!qEnvironmentVariableIsSet("TANDREL_PRIVATE_KEYRING"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tandrel-tests-have-no-bus");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    QApplication app(argc, argv);
    // The window reads as a user of the English desktop sees it.
    TandrelApp::loadTranslations(app, QLocale(QLocale::English));
    return RUN_ALL_TESTS();
}
