#pragma once

#include <cstdint>
#include <string_view>

namespace talvodesk {

/// The biathlon event's short name and code.
inline constexpr std::u16string_view kBiathlonShortName = u"BTLN";
inline constexpr std::int32_t kBiathlonEventCode = 2;

/// The event code of an event's short name: 2 the biathlon event, 4..11 the events with range commands, else 1.
long EventCodeOf(std::u16string_view shortName);

/// Whether a code is one of the events with range commands.
constexpr bool IsRangeEvent(std::int32_t code)
{
    return code >= 4 && code <= 11;
}

} // namespace talvodesk
