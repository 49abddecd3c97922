#pragma once

#include <filesystem>

namespace talvodata {

/// Where the event-definition files live: the folder named by $TALVO_EVENTS_DIR when set (tests), else the
/// installed data folder share/talvo/events of the prefix that holds this library, else the library's own
/// folder (an uninstalled build).
std::filesystem::path eventsFolder();

} // namespace talvodata
