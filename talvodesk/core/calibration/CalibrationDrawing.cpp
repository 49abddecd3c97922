#include "talvodesk/core/calibration/CalibrationDrawing.h"

#include "platform/gfx/DrawContext.h"
#include "platform/gfx/IPicture.h"
#include "platform/gfx/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace talvodesk {

using platform::gfx::Brush;
using platform::gfx::BrushStyle;
using platform::gfx::DrawContext;
using platform::gfx::Pen;
using platform::gfx::PenStyle;
using platform::gfx::Point;
using platform::gfx::Rect;

namespace {

constexpr COLORREF kGrey = 0xC0C0C0;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kWorkingCircle = 0xC0FFC0;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kBlack = 0x000000;
constexpr LONG kMarginParts = 25;
constexpr LONG kMarkSize = 10;
constexpr LONG kArrowOutside = 2;
constexpr double kArrowSpread = 30.0;
constexpr double kSerialWorkingCircle = 0.3;
constexpr LONG kTextInset = 8;
constexpr LONG kTextHeight = 16;
/// Keeps far-off points and huge circles inside what a coordinate holds.
constexpr double kFarthest = 1e6;

LONG pixel(double value)
{
    return static_cast<LONG>(std::lround(std::clamp(value, -kFarthest, kFarthest)));
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

Rect around(Point centre, LONG radius)
{
    return {centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius};
}

void disc(DrawContext& context, const Rect& rect, COLORREF color)
{
    context.setPen(Pen{PenStyle::Null, 0, color});
    context.setBrush(Brush{BrushStyle::Solid, color});
    // A null pen leaves out the right and bottom edges: widen by one to fill the whole rectangle.
    context.ellipse({rect.left, rect.top, rect.right + 1, rect.bottom + 1});
}

void drawWorkingCircle(DrawContext& context, const CalibrationGeometry& geometry, const CalibrationPicture& picture)
{
    double radius = 0;
    if (picture.variant == CalibrationVariant::Serial) {
        radius = geometry.discRadius() * kSerialWorkingCircle;
    } else if (picture.variant == CalibrationVariant::UsbOptical) {
        radius = picture.workingDiameter / 2 * geometry.pixelsPerMm;
    }
    if (radius >= 1) {
        disc(context, around(geometry.centre, pixel(radius)), kWorkingCircle);
    }
}

void drawMarks(DrawContext& context, const CalibrationGeometry& geometry, const CalibrationPicture& picture)
{
    if (picture.direction >= 0) {
        const auto arrow = DirectionArrow(geometry, picture.direction);
        context.setPen(Pen{PenStyle::Solid, 0, kRed});
        context.setBrush(Brush{BrushStyle::Solid, kRed});
        context.polygon(arrow);
    }
    if (picture.shotShown) {
        disc(context, around(geometry.toPixel(picture.shotX, picture.shotY), kMarkSize / 2), kBlue);
    } else if (picture.aimVisible) {
        const Point aim = geometry.toPixel(picture.aimX, picture.aimY);
        disc(context, around(aim, kMarkSize / 2), kBlack);
        const Rect& square = geometry.square;
        context.fillRect({square.left, aim.y, square.right, aim.y + 1}, kBlack);
        context.fillRect({aim.x, square.top, aim.x + 1, square.bottom}, kBlack);
    }
}

void drawStatus(DrawContext& context, const CalibrationGeometry& geometry, const std::string& status)
{
    if (status.empty()) {
        return;
    }
    context.setFont(platform::gfx::Font{u"Helv", kTextHeight});
    context.setTextColor(kBlack);
    context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
    context.setTextAlign(platform::gfx::TA_LEFT | platform::gfx::TA_BASELINE);
    // The status is ASCII.
    const std::u16string text(status.begin(), status.end());
    context.textOut({geometry.square.left + kTextInset, geometry.square.bottom - kTextInset}, text);
}

} // namespace

Point CalibrationGeometry::toPixel(float x, float y) const
{
    return {pixel(centre.x + x * pixelsPerMm), pixel(centre.y + y * pixelsPerMm)};
}

CalibrationGeometry CalibrationGeometryOf(const Rect& area, CalibrationVariant variant, float extent)
{
    CalibrationGeometry geometry;
    const LONG side = std::max<LONG>(0, std::min(area.width(), area.height()));
    const LONG left = area.left + (area.width() - side) / 2;
    const LONG top = area.top + (area.height() - side) / 2;
    geometry.square = {left, top, left + side, top + side};
    geometry.centre = {left + side / 2, top + side / 2};
    geometry.margin = side / kMarginParts;
    geometry.disc = geometry.square.inset(2 * geometry.margin);
    const float span = variant == CalibrationVariant::ImageSensor ? kImageSensorExtent : extent;
    geometry.pixelsPerMm = span > 0 ? geometry.disc.width() / 2.0 / span : 0.0;
    return geometry;
}

std::array<Point, 3> DirectionArrow(const CalibrationGeometry& geometry, int degrees)
{
    const double angle = radians(degrees);
    const double reach = geometry.discRadius() + kArrowOutside;
    const double tipX = geometry.centre.x + reach * std::cos(angle);
    const double tipY = geometry.centre.y + reach * std::sin(angle);
    const double back = 2.0 * geometry.margin;
    const auto corner = [&](double spread) {
        return Point{pixel(tipX - back * std::cos(angle + radians(spread))),
                     pixel(tipY - back * std::sin(angle + radians(spread)))};
    };
    return {Point{pixel(tipX), pixel(tipY)}, corner(kArrowSpread), corner(-kArrowSpread)};
}

void DrawCalibrationTarget(DrawContext& context, const Rect& area, const CalibrationPicture& picture)
{
    const CalibrationGeometry geometry = CalibrationGeometryOf(area, picture.variant, picture.extent);
    if (geometry.square.isEmpty()) {
        return;
    }
    platform::gfx::StateSaver saver(context);
    context.setClipRect(geometry.square);
    context.fillRect(geometry.square, kGrey);
    if (picture.preview != nullptr) {
        const Rect& box = geometry.disc;
        (void)picture.preview->Render(&context, box.left, box.top, box.width(), box.height()); // Nothing to show.
    } else {
        disc(context, geometry.disc, kWhite);
    }
    drawWorkingCircle(context, geometry, picture);
    drawMarks(context, geometry, picture);
    drawStatus(context, geometry, picture.status);
}

} // namespace talvodesk
