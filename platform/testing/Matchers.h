#pragma once

#include "platform/com/HResult.h"
#include "platform/com/Result.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

// Result codes print by name ("E_FAIL"), so a failed expectation reads at once.
#define EXPECT_HR(expected, actual)                                                                                    \
    EXPECT_EQ(::platform::com::hresultName(expected), ::platform::com::hresultName(actual))
#define ASSERT_HR(expected, actual)                                                                                    \
    ASSERT_EQ(::platform::com::hresultName(expected), ::platform::com::hresultName(actual))

// GoogleTest finds this by argument-dependent lookup, so EXPECT_EQ on results prints names as well.
inline void PrintTo(HRESULT hr, std::ostream* out)
{
    *out << ::platform::com::hresultName(hr);
}

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
