#pragma once

#include "talvodesk/core/frame/CommandIds.h"

#include <cstdint>
#include <span>
#include <vector>

namespace talvodesk {

/// One popup of the main menu: the string-table number of its title and its items (kSeparatorItem for a separator,
/// kSubmenuItem for the "Send to" and "Language" submenus, whose own items follow in `submenu`).
struct MenuPopup {
    std::uint32_t title;
    std::vector<cmd::Id> items;
    std::uint32_t submenuTitle;
    std::vector<cmd::Id> submenu;
};

/// The main menu in its full (expert) form.
std::span<const MenuPopup> MainMenu();

} // namespace talvodesk
