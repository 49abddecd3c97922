#pragma once

#include "platform/com/Types.h"

#include <optional>
#include <string>
#include <string_view>

// The parts of the unique file name a practice is saved under in the catalog folder.
namespace talvodata {

/// The shooter name as a file-name part: through the user's locale charset (UTF-8) and back, the first 50 characters, a
/// space kept, each of " * / : < > ? \ | becoming ".", control characters dropped, never two separators in a row and
/// nothing (not even a ".", which would hide the file) at the start. May be empty.
std::u16string cleanShooterName(std::u16string_view name);

/// The time as "dd-mm-yy HH-MM-SS", rounded to the nearest second (23:59:59.6 is the next day). Nothing for a
/// date outside the calendar's range.
std::optional<std::string> uniqueNameTime(DATE time);

} // namespace talvodata
