#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    const int result = RUN_ALL_TESTS();
    platform::com::ClassTable::instance().clear();
    return result;
}
