#pragma once

#include "platform/com/Result.h"
#include "platform/com/Types.h"

// OLE automation dates: days since 30 December 1899 as a double, the fraction being the time of day. Before that
// day the integer part counts days backwards while the fraction still counts forwards: -1.25 is 29 December 1899,
// 06:00. The range is 1 January 100 to 31 December 9999.
namespace platform::time {

/// A calendar date and time of day, all fields as written (month 1..12, day 1..31, millisecond 0..999).
struct CalendarTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

/// Rounds to the nearest millisecond, so 23:59:59.9996 is midnight of the next day.
/// E_INVALIDARG for NaN and dates outside the range.
Result<CalendarTime> toCalendarTime(DATE date);
/// E_INVALIDARG when a field is out of its range (30 February, hour 24, year 10000).
Result<DATE> toDate(const CalendarTime& time);

/// Conversions between the local time zone and UTC as the C library knows them (TZ). A local time that the change
/// to summer time skips is taken with the offset before the change; an hour that occurs twice, as the C library's
/// mktime resolves it. E_INVALIDARG as above.
Result<DATE> localToUtc(DATE local);
Result<DATE> utcToLocal(DATE utc);

/// The current local time.
DATE nowLocal();

/// The date `milliseconds` later (earlier when negative), counting across the negative-date encoding.
/// E_INVALIDARG as above.
Result<DATE> addMilliseconds(DATE date, std::int64_t milliseconds);

} // namespace platform::time
