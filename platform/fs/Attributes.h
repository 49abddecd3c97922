#pragma once

#include "platform/com/Result.h"

#include <filesystem>

namespace platform::fs {

/// The read-only attribute is the owner's write permission: clear means read-only.
/// Errors as readWholeFile's.
Result<bool> isReadOnly(const std::filesystem::path& path);

enum class ReadOnly { No, Yes };

/// Yes clears every write permission bit; No gives the owner write permission back.
Status setReadOnly(const std::filesystem::path& path, ReadOnly readOnly);

} // namespace platform::fs
