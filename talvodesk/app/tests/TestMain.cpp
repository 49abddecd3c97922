#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // The program's windows need an application, and tests have no display.
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/1);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // The singletons (the event manager) go before the application does.
    platform::com::ClassTable::instance().clear();
    return result;
}
