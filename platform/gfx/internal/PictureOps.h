#pragma once

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/Picture.h"

#include <string>
#include <variant>
#include <vector>

namespace platform::gfx {

// The operations a picture records, all in the recording's device coordinates.

struct SetPenOp {
    Pen pen;
};
struct SetBrushOp {
    Brush brush;
};
struct SetFontOp {
    Font font;
};
struct SetTextColorOp {
    COLORREF color;
};
struct SetBackgroundColorOp {
    COLORREF color;
};
struct SetBackgroundModeOp {
    BackgroundMode mode;
};
struct SetTextAlignOp {
    UINT flags;
};
struct SetRasterOpOp {
    RasterOp op;
};
struct SaveOp {};
struct RestoreOp {};
struct PolylineOp {
    std::vector<Point> points;
};
struct PolygonOp {
    std::vector<Point> points;
};
struct RectangleOp {
    Rect rect;
};
struct EllipseOp {
    Rect rect;
};
struct FillRectOp {
    Rect rect;
    COLORREF color;
};
struct ShadeRectOp {
    Rect rect;
};
struct TextOutOp {
    Point point;
    std::u16string text;
};
struct DrawTextOp {
    Rect rect;
    std::u16string text;
    UINT format;
};
struct SetClipRectOp {
    Rect rect;
};
struct ClearClipOp {};
struct BeginPathOp {};
struct EndPathOp {};
struct SelectClipPathOp {
    ClipCombine combine;
};
struct DrawPictureOp {
    Picture picture;
    Rect rect;
};
struct DrawBitmapOp {
    Bitmap bitmap;
    Rect rect;
};

struct PictureOp {
    std::variant<SetPenOp, SetBrushOp, SetFontOp, SetTextColorOp, SetBackgroundColorOp, SetBackgroundModeOp,
                 SetTextAlignOp, SetRasterOpOp, SaveOp, RestoreOp, PolylineOp, PolygonOp, RectangleOp, EllipseOp,
                 FillRectOp, ShadeRectOp, TextOutOp, DrawTextOp, SetClipRectOp, ClearClipOp, BeginPathOp, EndPathOp,
                 SelectClipPathOp, DrawPictureOp, DrawBitmapOp>
        op;
};

} // namespace platform::gfx
