#pragma once

#include "platform/com/Types.h"

namespace platform::gfx {

// DrawText format flags.
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
/// Only with DT_SINGLELINE.
inline constexpr UINT DT_VCENTER = 0x0004;
/// Only with DT_SINGLELINE.
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
/// Tab stops every eight average character widths.
inline constexpr UINT DT_EXPANDTABS = 0x0040;
inline constexpr UINT DT_NOCLIP = 0x0100;
/// Measures only: the rectangle gets the size of the text, nothing is drawn.
inline constexpr UINT DT_CALCRECT = 0x0400;
/// With DT_WORDBREAK, a word wider than the rectangle is broken between characters.
inline constexpr UINT DT_EDITCONTROL = 0x2000;

// TextOut alignment flags: where the reference point lies on the text.
inline constexpr UINT TA_LEFT = 0;
inline constexpr UINT TA_RIGHT = 2;
inline constexpr UINT TA_CENTER = 6;
inline constexpr UINT TA_TOP = 0;
inline constexpr UINT TA_BOTTOM = 8;
inline constexpr UINT TA_BASELINE = 24;

} // namespace platform::gfx
