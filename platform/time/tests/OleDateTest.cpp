#include "platform/time/OleDate.h"

#include "platform/testing/Matchers.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

using namespace platform::time;

namespace {

std::string describe(const CalendarTime& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return text;
}

TEST(OleDateTest, ConvertsBothWaysAroundTheEpoch)
{
    struct Case {
        DATE date;
        CalendarTime time;
    };
    const Case cases[] = {
        {0.0, {1899, 12, 30, 0, 0, 0, 0}},       {2.25, {1900, 1, 1, 6, 0, 0, 0}},
        {-1.25, {1899, 12, 29, 6, 0, 0, 0}},     {-1.0, {1899, 12, 29, 0, 0, 0, 0}},
        {-2.75, {1899, 12, 28, 18, 0, 0, 0}},    {60.0, {1900, 2, 28, 0, 0, 0, 0}},
        {61.0, {1900, 3, 1, 0, 0, 0, 0}}, // 1900 was no leap year
        {36585.5, {2000, 2, 29, 12, 0, 0, 0}},   {45351.0, {2024, 2, 29, 0, 0, 0, 0}},
        {45352.0, {2024, 3, 1, 0, 0, 0, 0}},     {-657434.0, {100, 1, 1, 0, 0, 0, 0}},
        {2958465.0, {9999, 12, 31, 0, 0, 0, 0}}, {45351.0 + 45296789.0 / 86400000.0, {2024, 2, 29, 12, 34, 56, 789}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.time));
        const auto time = toCalendarTime(c.date);
        ASSERT_THAT(time, IsOk());
        EXPECT_EQ(describe(c.time), describe(*time));
        const auto date = toDate(c.time);
        ASSERT_THAT(date, IsOk());
        EXPECT_DOUBLE_EQ(c.date, *date);
    }
}

TEST(OleDateTest, NegativeHalfDayIsTheSameMomentAsPositive)
{
    EXPECT_EQ(describe({1899, 12, 30, 12, 0, 0, 0}), describe(*toCalendarTime(-0.5)));
    EXPECT_EQ(describe({1899, 12, 30, 12, 0, 0, 0}), describe(*toCalendarTime(0.5)));
}

TEST(OleDateTest, RoundsToTheMillisecondAndRollsOverMidnight)
{
    const double almostMidnight = 86399.9996 / 86400.0;
    struct Case {
        DATE date;
        CalendarTime time;
    };
    const Case cases[] = {
        {1.0 + almostMidnight, {1900, 1, 1, 0, 0, 0, 0}},
        {-1.0 - almostMidnight, {1899, 12, 30, 0, 0, 0, 0}}, // the next day of 29 December is day 0
        {45351.0 + almostMidnight, {2024, 3, 1, 0, 0, 0, 0}},
        {1.0 + 86399.9994 / 86400.0, {1899, 12, 31, 23, 59, 59, 999}},
        {1.0 + 0.0004 / 86400.0, {1899, 12, 31, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.time));
        const auto time = toCalendarTime(c.date);
        ASSERT_THAT(time, IsOk());
        EXPECT_EQ(describe(c.time), describe(*time));
    }
}

TEST(OleDateTest, RejectsValuesOutsideTheRange)
{
    const DATE dates[] = {std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(),
                          2958466.0,
                          -657435.0,
                          2958465.0 + 86399.9996 / 86400.0,
                          1e300};
    for (const DATE date : dates) {
        SCOPED_TRACE(date);
        EXPECT_THAT(toCalendarTime(date), FailsWith(E_INVALIDARG));
    }
    const CalendarTime times[] = {
        {2023, 2, 29, 0, 0, 0, 0}, {1900, 2, 29, 0, 0, 0, 0},   {2024, 4, 31, 0, 0, 0, 0}, {2024, 13, 1, 0, 0, 0, 0},
        {2024, 0, 1, 0, 0, 0, 0},  {2024, 1, 0, 0, 0, 0, 0},    {2024, 1, 1, 24, 0, 0, 0}, {2024, 1, 1, 0, 60, 0, 0},
        {2024, 1, 1, 0, 0, 60, 0}, {2024, 1, 1, 0, 0, 0, 1000}, {99, 12, 31, 0, 0, 0, 0},  {10000, 1, 1, 0, 0, 0, 0},
    };
    for (const CalendarTime& time : times) {
        SCOPED_TRACE(describe(time));
        EXPECT_THAT(toDate(time), FailsWith(E_INVALIDARG));
    }
}

TEST(OleDateTest, AddsMillisecondsAcrossTheNegativeEncoding)
{
    EXPECT_DOUBLE_EQ(0.0, *addMilliseconds(-1.25, 18 * 3'600'000));
    EXPECT_DOUBLE_EQ(-1.75, *addMilliseconds(0.25, -12 * 3'600'000));
    EXPECT_DOUBLE_EQ(45352.0, *addMilliseconds(45351.5, 12 * 3'600'000));
    EXPECT_THAT(addMilliseconds(2958465.5, 12 * 3'600'000), FailsWith(E_INVALIDARG));
}

/// Sets TZ for one test and puts the previous value back.
class TimeZone {
public:
    explicit TimeZone(const char* zone)
    {
        if (const char* previous = std::getenv("TZ")) {
            m_previous = previous;
        }
        ::setenv("TZ", zone, /*overwrite=*/1);
        ::tzset();
    }
    ~TimeZone()
    {
        if (m_previous) {
            ::setenv("TZ", m_previous->c_str(), /*overwrite=*/1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::optional<std::string> m_previous;
};

TEST(OleDateTest, ConvertsBetweenLocalTimeAndUtcWithSummerTime)
{
    const TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    struct Case {
        CalendarTime local;
        CalendarTime utc;
    };
    const Case cases[] = {
        {{2024, 1, 15, 12, 0, 0, 250}, {2024, 1, 15, 11, 0, 0, 250}},
        {{2024, 7, 1, 12, 0, 0, 0}, {2024, 7, 1, 10, 0, 0, 0}},
        {{2024, 1, 1, 0, 30, 0, 0}, {2023, 12, 31, 23, 30, 0, 0}},
        {{1899, 12, 30, 0, 30, 0, 0}, {1899, 12, 29, 23, 30, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.local));
        const auto utc = localToUtc(*toDate(c.local));
        ASSERT_THAT(utc, IsOk());
        EXPECT_EQ(describe(c.utc), describe(*toCalendarTime(*utc)));
        const auto local = utcToLocal(*utc);
        ASSERT_THAT(local, IsOk());
        EXPECT_EQ(describe(c.local), describe(*toCalendarTime(*local)));
    }
    // 02:30 on the last Sunday of March does not exist; it is read with the winter offset.
    const auto skipped = localToUtc(*toDate({2024, 3, 31, 2, 30, 0, 0}));
    ASSERT_THAT(skipped, IsOk());
    EXPECT_EQ(describe({2024, 3, 31, 1, 30, 0, 0}), describe(*toCalendarTime(*skipped)));
    EXPECT_THAT(utcToLocal(std::numeric_limits<double>::quiet_NaN()), FailsWith(E_INVALIDARG));
    EXPECT_THAT(localToUtc(-657435.0), FailsWith(E_INVALIDARG));
}

} // namespace
