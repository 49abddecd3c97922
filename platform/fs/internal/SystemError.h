#pragma once

#include "platform/com/Result.h"

#include <filesystem>
#include <string_view>

namespace platform::fs::internal {

enum class Access { Read, Write };

/// Maps an errno value to the storage result a Windows caller expects, with a detail naming the operation and path.
/// A missing name is STG_E_FILENOTFOUND when its folder exists and STG_E_PATHNOTFOUND otherwise.
Error systemError(int error, std::string_view operation, const std::filesystem::path& path, Access access);

} // namespace platform::fs::internal
