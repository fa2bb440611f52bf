#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include "TandrelApp.h"

int main(int argc, char** argv)
{
    // Tests never need a display; test discovery runs without CTest's environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    QApplication app(argc, argv);
    // The window reads as a user of the English desktop sees it.
    TandrelApp::loadTranslations(app, QLocale(QLocale::English));
    return RUN_ALL_TESTS();
}
