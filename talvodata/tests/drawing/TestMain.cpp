#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Painting and fonts need a GUI application, and tests have no display.
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/1);
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    const int result = RUN_ALL_TESTS();
    platform::com::ClassTable::instance().clear();
    return result;
}
