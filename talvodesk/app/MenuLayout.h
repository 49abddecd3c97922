#pragma once

#include "talvodesk/core/frame/CommandIds.h"

#include <span>
#include <string_view>
#include <vector>

namespace talvodesk {

/// One popup of the main menu: its title and its items (kSeparatorItem for a separator, kSubmenuItem for the
/// "Send to" and "Language" submenus, whose own items follow in `submenu`).
struct MenuPopup {
    std::string_view title;
    std::vector<cmd::Id> items;
    std::string_view submenuTitle;
    std::vector<cmd::Id> submenu;
};

/// The main menu in its full (expert) form.
std::span<const MenuPopup> MainMenu();

} // namespace talvodesk
