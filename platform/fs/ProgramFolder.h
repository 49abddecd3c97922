#pragma once

#include <filesystem>
#include <string_view>

namespace platform::fs {

/// The folder of the running program (GetModuleFolder).
std::filesystem::path programFolder();
/// The installed data folder <prefix>/share/talvo/<name> beside the program's bin folder, or the program's own
/// folder when that does not exist (an uninstalled build).
std::filesystem::path dataFolder(std::string_view name);

} // namespace platform::fs
