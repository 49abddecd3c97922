#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"
#include "platform/com/Result.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    platform::setFailureLogger([](const platform::Error&) {}); // Damaged caches are read on purpose.
    const int result = RUN_ALL_TESTS();
    platform::com::ClassTable::instance().clear();
    return result;
}
