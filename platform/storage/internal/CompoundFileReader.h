#pragma once

#include "platform/storage/internal/Element.h"

#include "platform/com/Result.h"

#include <cstdint>
#include <memory>
#include <span>

namespace platform::storage::internal {

/// Storages nested deeper than this, counting the root, are refused, so a hostile file cannot exhaust the stack of
/// whoever walks or frees the tree.
inline constexpr std::size_t kMaxStorageDepth = 256;

/// True when `bytes` begin with the compound file signature.
bool hasCompoundFileSignature(std::span<const std::uint8_t> bytes);

/// Reads a version 3 or 4 compound file into an element tree, the root storage first.
/// Errors: STG_E_INVALIDHEADER (not a compound file, or a version or sector size we do not read),
/// STG_E_DOCFILECORRUPT (anything inconsistent: chains out of range, cyclic or shared, sizes that do not fit,
/// directory cycles, duplicate names). Every size is checked against the file before anything is allocated.
Result<std::shared_ptr<Element>> readCompoundFile(std::span<const std::uint8_t> bytes);

} // namespace platform::storage::internal
