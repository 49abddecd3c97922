#pragma once

#include "platform/com/ComPtr.h"
#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"
#include "platform/gfx/IPicture.h"
#include "platform/gfx/Picture.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::gfx {
class DrawContext;
}

namespace talvodesk {

// What is printed or previewed is laid out once, in the printer's device units, as pages of cells that can draw
// themselves into any context. Nothing is measured again when a page is drawn. Owner thread only.

/// Colour meaning "no colour": such a cell fills nothing, so pure white can never be a fill.
inline constexpr COLORREF kNoFill = 0xFFFFFF;

class CPrintoutCell {
public:
    virtual ~CPrintoutCell() = default;

    /// Draws the cell; a failed call leaves it undrawn and says nothing.
    virtual void Draw(platform::gfx::DrawContext& context) const = 0;
    /// Draws only a visible cell whose rectangle has a width and a height.
    void DrawIfVisible(platform::gfx::DrawContext& context) const;

    platform::gfx::Rect rect;
    bool visible = true;
    COLORREF color = kNoFill;
};

/// Text in the rectangle less its margins, over an optional background of the whole rectangle.
class CPrintoutTextCell final : public CPrintoutCell {
public:
    /// Word break, expanded tabs, no clipping, edit-control line breaking.
    static constexpr UINT kDefaultFormat = 0x2150;

    void Draw(platform::gfx::DrawContext& context) const override;
    /// The size the text needs with the cell's font and format within `widthLimit` (not wrapped when the limit is
    /// below 1), margins included; a hidden cell needs none.
    platform::gfx::Size Measure(platform::gfx::DrawContext& context, LONG widthLimit) const;

    /// The context's current font when empty.
    std::optional<platform::gfx::Font> font;
    std::u16string text;
    UINT format = kDefaultFormat;
    COLORREF textColor = 0x000000;
    LONG horizontalMargin = 0;
    LONG verticalMargin = 0;
};

/// The rectangle filled with the cell's colour.
class CPrintoutBarCell final : public CPrintoutCell {
public:
    void Draw(platform::gfx::DrawContext& context) const override;
};

/// The rectangle's outline, one device pixel wide.
class CPrintoutRectangleCell final : public CPrintoutCell {
public:
    void Draw(platform::gfx::DrawContext& context) const override;
};

/// A picture stretched over the rectangle, clipped to `clip` when that has a width and a height.
class CPrintoutPictureCell final : public CPrintoutCell {
public:
    void Draw(platform::gfx::DrawContext& context) const override;

    platform::com::ComPtr<IPicture> picture;
    platform::gfx::Rect clip;
};

/// A recorded picture fitted into the rectangle with its aspect kept, centred.
class CPrintoutMetaCell final : public CPrintoutCell {
public:
    void Draw(platform::gfx::DrawContext& context) const override;
    /// Where the picture goes: the rectangle shrunk to the picture's aspect, in whole thousandths as the layout
    /// has always computed it.
    static platform::gfx::Rect FitRect(const platform::gfx::Rect& cell, const platform::gfx::Rect& bounds);

    std::optional<platform::gfx::Picture> metafile;
};

/// The cells of one page in drawing order: a cell added later paints over earlier ones.
struct PrintoutPage {
    std::vector<std::unique_ptr<CPrintoutCell>> cells;

    template <typename Cell> Cell& add()
    {
        auto cell = std::make_unique<Cell>();
        Cell& added = *cell;
        cells.push_back(std::move(cell));
        return added;
    }
};

/// Pages addressed by a zero-based number.
using Printout = std::vector<PrintoutPage>;

void DrawPrintoutPage(const PrintoutPage& page, platform::gfx::DrawContext& context);

} // namespace talvodesk
