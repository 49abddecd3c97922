#pragma once

#include "platform/sound/WaveFormat.h"

#include <cstddef>
#include <optional>
#include <vector>

// The chunks of a RIFF WAVE file, checked against the bytes present.
namespace platform::sound::internal {

struct ParsedWave {
    WAVEFORMATEX format;
    /// Where the sound data begins in the file, and its size as far as the file holds it.
    std::size_t dataStart = 0;
    DWORD dataSize = 0;
};

/// Nothing when the bytes are not a RIFF "WAVE" file with a "fmt " chunk of at least 16 bytes (and, beyond PCM,
/// its extra bytes), channels, a block alignment and a "data" chunk.
std::optional<ParsedWave> parseWave(const std::vector<std::uint8_t>& bytes);

} // namespace platform::sound::internal
