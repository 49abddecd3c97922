#pragma once

#include "platform/com/Result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace talvodesk {

/// The current user's data folder of the XDG conventions: $XDG_DATA_HOME when it is an absolute path, else
/// $HOME/.local/share; an error without either.
platform::Result<std::filesystem::path> UserDataFolder();

/// Installs, for the current user, the desktop entry "talvodesk.desktop" that opens practices with `program`,
/// the MIME type of ".talvo" files and the program's icon (`iconSvg`, into the hicolor theme), then updates the
/// MIME and application databases with update-mime-database and update-desktop-database. Folders it has to make
/// are noted in the entry, so Unregister can take them away again and leave the data folder as it was. Gives a
/// sentence for the user for each database tool that is missing or failed; the files are installed all the same.
platform::Result<std::vector<std::string>> RegisterDesktopEntry(const std::filesystem::path& dataFolder,
                                                                const std::filesystem::path& program,
                                                                std::string_view iconSvg);
/// Removes what RegisterDesktopEntry installed, updates the databases, drops the ones that describe nothing any
/// more, and the folders it made when they are empty again. Nothing to remove is not an error. Gives what the
/// database tools could not do, as Register does.
platform::Result<std::vector<std::string>> UnregisterDesktopEntry(const std::filesystem::path& dataFolder);

} // namespace talvodesk
