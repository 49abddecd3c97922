#include "talvodata/UniqueName.h"

#include "platform/com/Bstr.h"
#include "platform/time/OleDate.h"

#include <cmath>
#include <cstdio>

namespace talvodata {

std::u16string cleanShooterName(std::u16string_view name)
{
    constexpr std::size_t kLookedAt = 50;
    // Through the user's locale charset, UTF-8: every letter of any script stays, a lone surrogate does not.
    const std::u16string mapped = platform::com::utf8ToUtf16(platform::com::utf16ToUtf8(name));
    const std::u16string_view looked = std::u16string_view(mapped).substr(0, kLookedAt);
    std::u16string result;
    auto appendSeparator = [&result](char16_t separator) {
        if (!result.empty() && result.back() != u' ' && result.back() != u'.') {
            result.push_back(separator);
        }
    };
    for (const char16_t c : looked) {
        if (c == u' ') {
            appendSeparator(u' ');
        } else if (std::u16string_view(u"\"*/:<>?\\|").find(c) != std::u16string_view::npos) {
            appendSeparator(u'.');
        } else if (c < 32 || (c == u'.' && result.empty())) {
            continue;
        } else {
            result.push_back(c);
        }
    }
    return result;
}

std::optional<std::string> uniqueNameTime(DATE time)
{
    // Rounded once, from the date itself: rounding to the millisecond first carries 0.4996 s up to a whole second.
    if (!std::isfinite(time)) {
        return std::nullopt;
    }
    DATE day = std::trunc(time); // The time of day of a date before 1899-12-30 is its fraction's magnitude.
    double seconds = std::floor(std::fabs(time - day) * 86400.0 + 0.5);
    if (seconds >= 86400.0) {
        day += 1.0;
        seconds -= 86400.0;
    }
    auto fields = platform::time::toCalendarTime(day);
    if (!fields) {
        return std::nullopt;
    }
    const int second = static_cast<int>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d-%02d %02d-%02d-%02d", fields->day, fields->month, fields->year % 100,
                  second / 3600, second / 60 % 60, second % 60);
    return std::string(text);
}

} // namespace talvodata
