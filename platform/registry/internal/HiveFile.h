#pragma once

#include "platform/registry/internal/HiveTree.h"

#include "platform/registry/Key.h"

#include <filesystem>
#include <functional>

// Where the hive files live and how they are read and changed. Reading takes no lock: a hive file is only ever
// replaced whole by a rename, so a reader sees the old file or the new one. Changing takes an exclusive flock on
// "<hive file>.lock" beside the hive, reads the file afresh under it, changes it and replaces it atomically, so
// writers in several processes (and threads) lose nothing.
namespace platform::registry::internal {

struct HiveFile {
    std::filesystem::path path;
    /// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
    std::u16string rootName;
};

/// $XDG_CONFIG_HOME/talvo/user.reg (falling back to $HOME/.config/talvo/), and machine.reg beside it unless
/// TALVO_MACHINE_REGISTRY names another file. E_FAIL when neither variable gives a folder.
Result<HiveFile> locateHive(Hive hive);

/// The hive's tree. A hive whose file does not exist yet holds one empty key, "Software", as on Windows.
Result<std::unique_ptr<HiveKey>> readHive(const HiveFile& file);

/// Applies `change` to the current tree under the lock and writes the result when `change` reports a change
/// (true). A failed change or a damaged file leaves the file as it is.
Status updateHive(const HiveFile& file, const std::function<Result<bool>(HiveKey& root)>& change);

} // namespace platform::registry::internal
