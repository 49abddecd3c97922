#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace talvolink::testsupport {

/// Splits fuzzed bytes into packets: each is a length byte and that many bytes (cut short at the end).
std::vector<std::span<const std::uint8_t>> splitPackets(std::span<const std::uint8_t> bytes);

} // namespace talvolink::testsupport
