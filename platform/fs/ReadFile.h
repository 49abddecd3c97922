#pragma once

#include "platform/com/Result.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace platform::fs {

/// The whole content of a regular file.
/// Errors: STG_E_FILENOTFOUND (no such file), STG_E_PATHNOTFOUND (missing folder), STG_E_ACCESSDENIED (no
/// permission, or a folder), STG_E_INSUFFICIENTMEMORY (too large to hold), STG_E_READFAULT (any other failure).
Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path);

/// The whole content of a regular file of at most `limit` bytes; a longer one is STG_E_INSUFFICIENTMEMORY, refused
/// before anything is read, with its size in the detail. Other errors as above.
Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path, std::size_t limit);

/// At most the first `limit` bytes of a regular file (fewer when it is shorter). Errors as readWholeFile's.
Result<std::vector<std::uint8_t>> readFileStart(const std::filesystem::path& path, std::size_t limit);

} // namespace platform::fs
