#include "platform/sound/internal/RiffParser.h"

#include <cstdlib>

// libFuzzer entry (Clang builds only): whatever the bytes, a parsed wave's data lies within them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    const auto wave = platform::sound::internal::parseWave(bytes);
    if (wave && wave->dataStart + wave->dataSize > bytes.size()) {
        std::abort();
    }
    return 0;
}
