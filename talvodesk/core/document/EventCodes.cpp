#include "talvodesk/core/document/EventCodes.h"

#include <array>
#include <utility>

namespace talvodesk {

long EventCodeOf(std::u16string_view shortName)
{
    static constexpr std::array<std::pair<std::u16string_view, long>, 12> kCodes{{
        {kBiathlonShortName, kBiathlonEventCode},
        {u"SP1", 4},
        {u"SP2", 5},
        {u"SPF", 6},
        {u"N4TL3", 7},
        {u"N4TL15", 8},
        {u"MRF-22-10", 9},
        {u"MRF-32-10", 9},
        {u"MRF-22-8", 10},
        {u"MRF-32-8", 10},
        {u"MRF-22-6", 11},
        {u"MRF-32-6", 11},
    }};
    for (const auto& [name, code] : kCodes) {
        if (name == shortName) {
            return code;
        }
    }
    return 1;
}

} // namespace talvodesk
