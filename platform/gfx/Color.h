#pragma once

#include "platform/com/Types.h"

namespace platform::gfx {

// Colours are COLORREFs, 0x00BBGGRR. A value whose high byte is 0x80 names a system colour by its index in the
// low byte (the OLE_COLOR convention), and resolveColor turns it into an RGB value.

constexpr COLORREF rgb(BYTE red, BYTE green, BYTE blue)
{
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) | (static_cast<COLORREF>(blue) << 16);
}
constexpr BYTE redOf(COLORREF color)
{
    return static_cast<BYTE>(color & 0xFF);
}
constexpr BYTE greenOf(COLORREF color)
{
    return static_cast<BYTE>((color >> 8) & 0xFF);
}
constexpr BYTE blueOf(COLORREF color)
{
    return static_cast<BYTE>((color >> 16) & 0xFF);
}

inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_ACTIVECAPTION = 2;
inline constexpr int COLOR_INACTIVECAPTION = 3;
inline constexpr int COLOR_MENU = 4;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_MENUTEXT = 7;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_CAPTIONTEXT = 9;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_INACTIVEBORDER = 11;
inline constexpr int COLOR_APPWORKSPACE = 12;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;

inline constexpr COLORREF kSystemColorFlag = 0x80000000;

/// The COLORREF that names system colour `index` (COLOR_WINDOW ...).
constexpr COLORREF systemColorRef(int index)
{
    return kSystemColorFlag | static_cast<COLORREF>(index);
}

/// The RGB value of a system colour from a fixed table; black for an index the table does not hold.
COLORREF sysColor(int index);

/// An RGB COLORREF: system colours translated, any other high byte dropped.
COLORREF resolveColor(COLORREF color);

} // namespace platform::gfx
