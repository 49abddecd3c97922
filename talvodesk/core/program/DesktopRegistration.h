#pragma once

#include "platform/com/Result.h"

#include <filesystem>
#include <string_view>

namespace talvodesk {

/// The current user's data folder of the XDG conventions: $XDG_DATA_HOME when it is an absolute path, else
/// $HOME/.local/share; an error without either.
platform::Result<std::filesystem::path> UserDataFolder();

/// Installs, for the current user, the desktop entry "talvodesk.desktop" that opens practices with `program`,
/// the MIME type of ".talvo" files and the program's icon (`iconSvg`, into the hicolor theme). Folders it has to
/// make are noted in the entry, so Unregister can take them away again and leave the data folder as it was.
platform::Status RegisterDesktopEntry(const std::filesystem::path& dataFolder, const std::filesystem::path& program,
                                      std::string_view iconSvg);
/// Removes what RegisterDesktopEntry installed, and the folders it made when they are empty again. Nothing to
/// remove is not an error.
platform::Status UnregisterDesktopEntry(const std::filesystem::path& dataFolder);

} // namespace talvodesk
