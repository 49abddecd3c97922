#include "talvodesk/core/options/StringTable.h"
#include "talvodesk/core/options/TextFormat.h"

#include "platform/text/Number.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

// Fuzz entry of a language file: whatever it holds, each text it keeps formats its number into a text of bounded
// size (no gigabyte fields, no other conversions), quickly.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace talvodesk;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto table = StringTable::parse(text);
    if (!table) {
        return 0;
    }
    constexpr std::size_t kLongest = 4096;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const auto id = platform::text::parseInteger(line.substr(0, line.find('\t')));
        const std::u16string* kept = id && *id >= 0 ? table->find(static_cast<std::uint32_t>(*id)) : nullptr;
        if (!kept) {
            continue;
        }
        std::u16string formatted;
        AppendFormattedInt(formatted, std::numeric_limits<int>::min(), false, *kept);
        AppendFormattedFloat(formatted, -std::numeric_limits<float>::max(), *kept);
        AppendFormattedFloat(formatted, 1.5F, u"%99.99f", *kept);
        if (formatted.size() > kLongest + 3 * kept->size()) {
            std::abort(); // a translation that makes the program format megabytes
        }
    }
    return 0;
}
