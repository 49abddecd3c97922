#pragma once

#include <cstdint>

#include <string>

// Windows locale identifiers (LCIDs) over ICU's locales.
namespace platform::text {

/// The LCID of the user's locale as ICU takes it from the environment (LC_ALL, LC_MESSAGES, LANG); 0x409 for "C",
/// "POSIX" or a locale Windows has no number for.
std::uint32_t userLocaleId();

/// A calendar date and time of day as the locale writes it in short form (date, and time with seconds): the date
/// alone when `withTime` is false, the time alone when `withDate` is false. An unknown LCID writes as 0x409.
/// Any thread; the process locale is neither read nor changed.
std::u16string formatDateTime(std::uint32_t lcid, int year, int month, int day, int hour, int minute, int second,
                              bool withDate, bool withTime);

} // namespace platform::text
