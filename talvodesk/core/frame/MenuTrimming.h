#pragma once

#include "talvodesk/core/frame/CommandIds.h"

#include <cstddef>
#include <span>
#include <vector>

namespace talvodesk {

/// A separator in a popup's list of items; a submenu carries kSubmenuItem.
inline constexpr cmd::Id kSeparatorItem = 0;
inline constexpr cmd::Id kSubmenuItem = 0xFFFF;

/// Whether expert mode off removes the command from the menus.
bool IsExpertOnlyMenuItem(cmd::Id id);

/// The positions of a top-level popup's items that stay with expert mode off: the expert-only items go, then a
/// separator at the top, one that follows another and one left at the bottom.
std::vector<std::size_t> TrimmedPopup(std::span<const cmd::Id> items);

} // namespace talvodesk
