#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Dialogs need an application, and tests have no display.
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/1);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
