#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Fonts and painting need a GUI application, and tests have no display.
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/1);
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
