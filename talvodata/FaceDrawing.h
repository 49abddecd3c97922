#pragma once

#include "talvodata/PolygonHitTest.h"

#include "interfaces/talvodata/Enums.h"
#include "platform/com/ComPtr.h"
#include "platform/gfx/IPicture.h"
#include "platform/gfx/Picture.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace platform::gfx {
class DrawContext;
}

namespace talvodata {

/// What drawing reads of a target element, copied under the element's lock.
struct ElementLook {
    enumTargetElementType type = elementRectangle;
    float left = 0.0F;
    float top = 0.0F;
    float width = 0.0F;
    float height = 0.0F;
    std::vector<PointF> points;
    float borderWidth = 0.0F;
    OLE_COLOR borderColor = 0;
    OLE_COLOR bodyColor = 0;
    bool fill = false;
    bool visible = false;
    bool clip = false;
    bool drawBeforeRings = false;
    platform::com::ComPtr<IPicture> picture;
    std::optional<std::u16string> text; // The "text" named value, when it is a string.
    std::optional<std::u16string> font; // The "font" named value, when it is a string.
};

/// What drawing reads of a target face, copied under the face's lock.
struct FaceLook {
    float formWidth = 0.0F;
    float formHeight = 0.0F;
    float black = 0.0F;
    float innerTen = 0.0F;
    float ringThickness = 0.0F;
    std::array<float, 10> rings{}; // Diameters of rings 1..10.
    float textHeight = 0.0F;
    LONG lastNumberedRing = 0;
    LONG textOrientation = 0;
    enumTargetFillCenter fillCenter = NoFill;
    OLE_COLOR backgroundColor = 0;
    OLE_COLOR blackColor = 0;
    OLE_COLOR ringColor = 0;
    OLE_COLOR innerRingColor = 0;
    platform::com::ComPtr<IPicture> picture;
    std::vector<ElementLook> elements;
};

enum class FaceBackground {
    Filled,
    /// Nothing painted under the face: the picture shows what it is drawn over.
    Transparent,
};

enum class FaceRings {
    Drawn,
    Omitted,
};

/// Logical units per millimetre for a face of that form size: 100, and fewer for large faces so coordinates
/// stay small.
LONG faceScale(float formWidth, float formHeight);

/// The face drawn in logical units at faceScale() with the face centre at the origin; its bounds are the form
/// rectangle, its frame that rectangle at 96 dpi.
platform::gfx::Picture drawFace(const FaceLook& face, FaceBackground background, FaceRings rings);

} // namespace talvodata
