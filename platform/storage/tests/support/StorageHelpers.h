#pragma once

#include "platform/com/Result.h"
#include "platform/storage/Storage.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::storage::testing {

/// Deterministic stream content; olefile_check.py computes the same bytes.
std::vector<std::uint8_t> pattern(std::size_t size, unsigned seed);

HRESULT writeStream(IStorage& storage, const std::u16string& name, std::span<const std::uint8_t> bytes);
Result<std::vector<std::uint8_t>> readStream(IStorage& storage, const std::u16string& name);

/// A canonical text of a whole storage tree: names, types, class identifiers, sizes and content checksums.
std::string describeTree(IStorage& storage);

/// The fuzz entry: opens the bytes and, when they open, walks every element, writes the file again and checks
/// that the written file reads back to the same tree. Aborts on a broken round trip; hostile input that does not
/// open is fine.
void exerciseCompoundFile(std::span<const std::uint8_t> bytes);

/// Empty when every sibling set in the directory of a small version 3 file is a valid red-black tree in the
/// format's name order (ASCII names only), else what is wrong.
std::string checkDirectoryTrees(std::span<const std::uint8_t> bytes);

} // namespace platform::storage::testing
