#pragma once

#include "platform/com/HResult.h"
#include "platform/com/Result.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// Result codes print by name ("E_FAIL"), so a failed expectation reads at once.
#define EXPECT_HR(expected, actual)                                                                                    \
    EXPECT_EQ(::platform::com::hresultName(expected), ::platform::com::hresultName(actual))
#define ASSERT_HR(expected, actual)                                                                                    \
    ASSERT_EQ(::platform::com::hresultName(expected), ::platform::com::hresultName(actual))

MATCHER(IsOk, "succeeds")
{
    if (arg.hasValue()) {
        return true;
    }
    *result_listener << "failed with " << ::platform::com::hresultName(arg.error().code) << ": " << arg.error().detail;
    return false;
}

MATCHER_P(FailsWith, code, "fails with " + ::platform::com::hresultName(code))
{
    if (arg.hasValue()) {
        *result_listener << "succeeded";
        return false;
    }
    *result_listener << "failed with " << ::platform::com::hresultName(arg.error().code) << ": " << arg.error().detail;
    return arg.error().code == code;
}
