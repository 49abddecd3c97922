#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"
#include "platform/com/Result.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    // Unreadable practices and refused watches are reported on purpose.
    platform::setFailureLogger([](const platform::Error&) {});
    const int result = RUN_ALL_TESTS();
    platform::com::ClassTable::instance().clear();
    return result;
}
