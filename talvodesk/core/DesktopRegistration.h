#pragma once

#include "platform/com/Result.h"

#include <filesystem>

namespace talvodesk {

/// The current user's data folder of the XDG conventions: $XDG_DATA_HOME when it is an absolute path, else
/// $HOME/.local/share; an error without either.
platform::Result<std::filesystem::path> UserDataFolder();

/// Installs, for the current user, the desktop entry "talvodesk.desktop" that opens practices with `program`,
/// and the MIME type of ".talvo" files. Folders it has to make are noted in the entry, so Unregister can take them
/// away again and leave the data folder as it was.
platform::Status RegisterDesktopEntry(const std::filesystem::path& dataFolder, const std::filesystem::path& program);
/// Removes what RegisterDesktopEntry installed, and the folders it made when they are empty again. Nothing to
/// remove is not an error.
platform::Status UnregisterDesktopEntry(const std::filesystem::path& dataFolder);

} // namespace talvodesk
