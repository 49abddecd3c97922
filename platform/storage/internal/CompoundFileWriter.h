#pragma once

#include "platform/storage/internal/Element.h"

#include <cstdint>
#include <vector>

namespace platform::storage::internal {

/// The largest stream a version 3 file can describe.
inline constexpr std::uint64_t kMaxStreamSize = 0xFFFFFFFFu;

/// Writes the tree as a version 3 compound file (512-byte sectors): streams below 4096 bytes in the mini stream,
/// every sibling set as a valid red-black tree, DIFAT sectors once the FAT outgrows the header's 109 entries.
/// Streams must not exceed kMaxStreamSize.
std::vector<std::uint8_t> writeCompoundFile(const Element& root);

} // namespace platform::storage::internal
