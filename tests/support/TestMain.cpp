#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Tests never need a display; test discovery runs without CTest's environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
