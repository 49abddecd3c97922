#include "platform/registry/internal/HiveFormat.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

// Fuzz entry of the settings file: whatever parses is written again, and what is written parses to the same text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace platform::registry::internal;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto hive = parseHive(text, u"HKEY_CURRENT_USER", "fuzz.reg");
    if (!hive) {
        return 0;
    }
    const std::string written = formatHive(*hive.value(), u"HKEY_CURRENT_USER");
    auto again = parseHive(written, u"HKEY_CURRENT_USER", "fuzz.reg");
    if (!again || formatHive(*again.value(), u"HKEY_CURRENT_USER") != written) {
        std::abort(); // A settings file that does not read back loses the user's settings.
    }
    return 0;
}
