#include "talvodata/Register.h"
#include "talvolink/Register.h"

#include "platform/com/ClassTable.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    talvolink::registerClasses(platform::com::ClassTable::instance());
    return RUN_ALL_TESTS();
}
