#pragma once

#include "platform/com/Types.h"

#include <string>

namespace platform::gfx {

enum class PenStyle {
    Solid,
    /// Three pixels on, three off; wider than one pixel it is solid, as in GDI.
    Dot,
    Null,
    /// Like Solid, but closed figures with a bounding rectangle (rectangles, ellipses) keep the whole line inside it.
    InsideFrame,
};

/// Width 0 (and 1) is a one-pixel line that leaves out the last pixel of each line; wider pens have round caps
/// and joins. Widths are in device pixels.
struct Pen {
    PenStyle style = PenStyle::Solid;
    LONG width = 0;
    COLORREF color = 0x000000;

    friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle {
    Solid,
    Hollow,
};

struct Brush {
    BrushStyle style = BrushStyle::Solid;
    COLORREF color = 0xFFFFFF;

    friend bool operator==(const Brush&, const Brush&) = default;
};

inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;

/// A logical font. A positive height is the cell height (ascent + descent), a negative one the character height
/// (the cell less its internal leading), 0 a default size. Escapement is in tenths of a degree, counter-clockwise.
struct Font {
    std::u16string faceName;
    LONG height = 0;
    LONG weight = FW_NORMAL;
    bool italic = false;
    LONG escapement = 0;

    friend bool operator==(const Font&, const Font&) = default;
};

/// The font dialogs and charts use when they are given none (8 points at 96 dpi).
Font defaultGuiFont();

enum class BackgroundMode {
    Transparent,
    Opaque,
};

/// How pens and brushes combine with the pixels below them; text and fillRect always copy.
enum class RasterOp {
    CopyPen,
    /// ~(pen ^ destination): drawing the same figure twice restores what was there.
    NotXorPen,
};

/// The metrics of a font in device pixels.
struct TextMetrics {
    LONG height = 0;
    LONG ascent = 0;
    LONG descent = 0;
    LONG internalLeading = 0;
    LONG externalLeading = 0;
    LONG aveCharWidth = 0;
    LONG maxCharWidth = 0;
};

/// Dots per inch of a device (its LOGPIXELSX and LOGPIXELSY).
struct Resolution {
    LONG x = 96;
    LONG y = 96;

    friend bool operator==(const Resolution&, const Resolution&) = default;
};

} // namespace platform::gfx
