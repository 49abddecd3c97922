#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// The replay posts to a message window, which needs an application object on the test thread.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    const int result = RUN_ALL_TESTS();
    platform::com::ClassTable::instance().clear();
    return result;
}
