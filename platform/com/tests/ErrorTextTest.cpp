#include "platform/com/ErrorText.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ErrorTextTest, DescribesKnownErrorsInEnglishAndNumbersOthers)
{
    EXPECT_EQ("No such file or directory", platform::com::errorText(ENOENT));
    EXPECT_EQ("Permission denied", platform::com::errorText(EACCES));
    EXPECT_EQ("error 99999", platform::com::errorText(99999));
    EXPECT_EQ("error -1", platform::com::errorText(-1));
}

} // namespace
