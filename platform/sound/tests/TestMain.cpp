#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // OpenAL Soft's null output mixes as a device would, with no sound card; it must be chosen before the
    // library opens its first device.
    ::setenv("ALSOFT_DRIVERS", "null", /*overwrite=*/1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
