#include "platform/time/OleDate.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace platform::time {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
/// Days from 30 December 1899 to 1 January 1970.
constexpr std::int64_t kUnixEpochDay = 25'569;
/// 1 January 100 and 31 December 9999, in days from 30 December 1899.
constexpr std::int64_t kFirstDay = -657'434;
constexpr std::int64_t kLastDay = 2'958'465;

Error outOfRange(const char* what)
{
    return Error{E_INVALIDARG, std::string(what) + " is outside 100-01-01..9999-12-31"};
}

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// Days from 1 January 1970 in the proleptic Gregorian calendar (H. Hinnant's civil calendar algorithms).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = floorDivide(year, 400);
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + static_cast<std::int64_t>(dayOfEra) - 719'468;
}

void civilFromDays(std::int64_t days, CalendarTime& time)
{
    days += 719'468;
    const std::int64_t era = floorDivide(days, 146'097);
    const auto dayOfEra = static_cast<unsigned>(days - era * 146'097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 + (time.month <= 2));
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

/// Milliseconds since 30 December 1899 00:00 on a straight line, rounded to the nearest millisecond.
Result<std::int64_t> linearFromDate(DATE date)
{
    if (!std::isfinite(date) || date <= static_cast<double>(kFirstDay - 1) ||
        date >= static_cast<double>(kLastDay + 1)) {
        return outOfRange("date");
    }
    const double wholeDays = std::trunc(date);
    const auto timeOfDay = static_cast<std::int64_t>(std::llround(std::fabs(date - wholeDays) * kMillisecondsPerDay));
    // Rounding may reach 24:00, which is midnight of the next calendar day whatever the sign.
    const std::int64_t linear = static_cast<std::int64_t>(wholeDays) * kMillisecondsPerDay + timeOfDay;
    if (floorDivide(linear, kMillisecondsPerDay) > kLastDay) {
        return outOfRange("date");
    }
    return linear;
}

Result<DATE> dateFromLinear(std::int64_t linear)
{
    const std::int64_t day = floorDivide(linear, kMillisecondsPerDay);
    if (day < kFirstDay || day > kLastDay) {
        return outOfRange("date");
    }
    const double fraction = static_cast<double>(linear - day * kMillisecondsPerDay) / kMillisecondsPerDay;
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

Result<CalendarTime> calendarFromLinear(std::int64_t linear)
{
    const std::int64_t day = floorDivide(linear, kMillisecondsPerDay);
    if (day < kFirstDay || day > kLastDay) {
        return outOfRange("date");
    }
    CalendarTime time;
    civilFromDays(day - kUnixEpochDay, time);
    auto timeOfDay = static_cast<int>(linear - day * kMillisecondsPerDay);
    time.millisecond = timeOfDay % 1000;
    timeOfDay /= 1000;
    time.second = timeOfDay % 60;
    timeOfDay /= 60;
    time.minute = timeOfDay % 60;
    time.hour = timeOfDay / 60;
    return time;
}

Result<std::int64_t> linearFromCalendar(const CalendarTime& time)
{
    if (time.year < 100 || time.year > 9999 || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > daysInMonth(time.year, time.month) || time.hour < 0 || time.hour > 23 || time.minute < 0 ||
        time.minute > 59 || time.second < 0 || time.second > 59 || time.millisecond < 0 || time.millisecond > 999) {
        return Error{E_INVALIDARG, "calendar time has a field out of range"};
    }
    const std::int64_t day =
        daysFromCivil(time.year, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day)) + kUnixEpochDay;
    const std::int64_t timeOfDay = ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000 + time.millisecond;
    return day * kMillisecondsPerDay + timeOfDay;
}

/// Milliseconds since 1970-01-01 00:00 UTC, and that instant in local time.
Result<std::int64_t> localLinearFromUnixMilliseconds(std::int64_t unixMilliseconds)
{
    const std::time_t seconds = floorDivide(unixMilliseconds, 1000);
    std::tm local{};
    if (!::localtime_r(&seconds, &local)) {
        return outOfRange("utc time");
    }
    const CalendarTime time{local.tm_year + 1900,
                            local.tm_mon + 1,
                            local.tm_mday,
                            local.tm_hour,
                            local.tm_min,
                            local.tm_sec,
                            static_cast<int>(unixMilliseconds - seconds * 1000LL)};
    // A leap second (tm_sec 60) counts as the last millisecond of its minute.
    return linearFromCalendar(
        time.second == 60 ? CalendarTime{time.year, time.month, time.day, time.hour, time.minute, 59, 999} : time);
}

} // namespace

Result<CalendarTime> toCalendarTime(DATE date)
{
    const Result<std::int64_t> linear = linearFromDate(date);
    if (!linear) {
        return linear.error();
    }
    return calendarFromLinear(*linear);
}

Result<DATE> toDate(const CalendarTime& time)
{
    const Result<std::int64_t> linear = linearFromCalendar(time);
    if (!linear) {
        return linear.error();
    }
    return dateFromLinear(*linear);
}

Result<DATE> addMilliseconds(DATE date, std::int64_t milliseconds)
{
    const Result<std::int64_t> linear = linearFromDate(date);
    if (!linear) {
        return linear.error();
    }
    return dateFromLinear(*linear + milliseconds);
}

Result<DATE> localToUtc(DATE local)
{
    const Result<CalendarTime> time = toCalendarTime(local);
    if (!time) {
        return time.error();
    }
    std::tm fields{};
    fields.tm_year = time->year - 1900;
    fields.tm_mon = time->month - 1;
    fields.tm_mday = time->day;
    fields.tm_hour = time->hour;
    fields.tm_min = time->minute;
    fields.tm_sec = time->second;
    fields.tm_isdst = -1;
    fields.tm_wday = -1; // mktime sets it on success; -1 is also a valid time_t, so this tells failure apart.
    const std::time_t seconds = std::mktime(&fields);
    if (fields.tm_wday == -1) {
        return outOfRange("local time");
    }
    return dateFromLinear((static_cast<std::int64_t>(seconds) + kUnixEpochDay * 86'400) * 1000 + time->millisecond);
}

Result<DATE> utcToLocal(DATE utc)
{
    const Result<std::int64_t> linear = linearFromDate(utc);
    if (!linear) {
        return linear.error();
    }
    const Result<std::int64_t> local = localLinearFromUnixMilliseconds(*linear - kUnixEpochDay * kMillisecondsPerDay);
    if (!local) {
        return local.error();
    }
    return dateFromLinear(*local);
}

DATE nowLocal()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const Result<std::int64_t> local =
        localLinearFromUnixMilliseconds(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
    const Result<DATE> date = local ? dateFromLinear(*local) : Result<DATE>(local.error());
    assert(date && "the system clock is within the OLE date range");
    return date ? *date : 0.0;
}

} // namespace platform::time
