#pragma once

#include "platform/com/Result.h"

#include <filesystem>

namespace platform::fs {

/// The user's folder for files that live only while the user is logged in (locks, shared pages):
/// $XDG_RUNTIME_DIR/talvo, or talvo-<uid> in the temporary folder when that variable is unset. Created, owner only,
/// when missing. Errors: the storage codes of creating it.
Result<std::filesystem::path> runtimeFolder();

/// The user's folder for caches that can be rebuilt: $XDG_CACHE_HOME/talvo, else $HOME/.cache/talvo; created
/// when missing. Errors: STG_E_PATHNOTFOUND without either variable, else the storage codes of creating it.
Result<std::filesystem::path> cacheFolder();

} // namespace platform::fs
