#include "platform/gfx/Color.h"

#include <array>

namespace platform::gfx {

namespace {

// A fixed scheme, so drawing does not depend on the desktop theme.
constexpr std::array<COLORREF, 25> kSystemColors = {
    rgb(212, 208, 200), // COLOR_SCROLLBAR
    rgb(58, 110, 165),  // COLOR_BACKGROUND
    rgb(10, 36, 106),   // COLOR_ACTIVECAPTION
    rgb(128, 128, 128), // COLOR_INACTIVECAPTION
    rgb(212, 208, 200), // COLOR_MENU
    rgb(255, 255, 255), // COLOR_WINDOW
    rgb(0, 0, 0),       // COLOR_WINDOWFRAME
    rgb(0, 0, 0),       // COLOR_MENUTEXT
    rgb(0, 0, 0),       // COLOR_WINDOWTEXT
    rgb(255, 255, 255), // COLOR_CAPTIONTEXT
    rgb(212, 208, 200), // COLOR_ACTIVEBORDER
    rgb(212, 208, 200), // COLOR_INACTIVEBORDER
    rgb(128, 128, 128), // COLOR_APPWORKSPACE
    rgb(10, 36, 106),   // COLOR_HIGHLIGHT
    rgb(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    rgb(212, 208, 200), // COLOR_BTNFACE
    rgb(128, 128, 128), // COLOR_BTNSHADOW
    rgb(128, 128, 128), // COLOR_GRAYTEXT
    rgb(0, 0, 0),       // COLOR_BTNTEXT
    rgb(212, 208, 200), // COLOR_INACTIVECAPTIONTEXT
    rgb(255, 255, 255), // COLOR_BTNHIGHLIGHT
    rgb(64, 64, 64),    // COLOR_3DDKSHADOW
    rgb(212, 208, 200), // COLOR_3DLIGHT
    rgb(0, 0, 0),       // COLOR_INFOTEXT
    rgb(255, 255, 225), // COLOR_INFOBK
};

} // namespace

COLORREF sysColor(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= kSystemColors.size()) {
        return rgb(0, 0, 0);
    }
    return kSystemColors[static_cast<std::size_t>(index)];
}

COLORREF resolveColor(COLORREF color)
{
    if ((color & 0xFF000000) == kSystemColorFlag) {
        // Only the low byte is an index; anything in the middle bytes makes it a colour no table holds.
        return (color & 0x00FFFF00) == 0 ? sysColor(static_cast<int>(color & 0xFF)) : rgb(0, 0, 0);
    }
    return color & 0x00FFFFFF;
}

} // namespace platform::gfx
