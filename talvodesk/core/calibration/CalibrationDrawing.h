#pragma once

#include "talvodesk/core/calibration/CalibrationRules.h"

#include "platform/gfx/Geometry.h"

#include <array>
#include <string>

struct IPicture;

namespace platform::gfx {
class DrawContext;
}

namespace talvodesk {

/// What the calibration target shows. Points are millimetres from the centre, y downwards.
struct CalibrationPicture {
    CalibrationVariant variant = CalibrationVariant::Serial;
    /// The millimetres that half the drawing square spans (the image sensor always spans 68.5).
    float extent = 0;
    bool aimVisible = false;
    float aimX = 0;
    float aimY = 0;
    /// Whole degrees 0..359; -1 draws no arrow.
    int direction = -1;
    bool shotShown = false;
    float shotX = 0;
    float shotY = 0;
    /// The USB sensor's working circle, millimetres.
    float workingDiameter = 0;
    /// The USB sensor's status line.
    std::string status;
    /// The image sensor's camera picture, drawn behind the target; none draws the white disc.
    IPicture* preview = nullptr;
};

/// Where the calibration target lies in its area: the largest square centred in it, a margin of 1/25 of its width,
/// and the drawing square, taken in by two margins on every side, over which the white disc lies.
struct CalibrationGeometry {
    platform::gfx::Rect square;
    platform::gfx::Rect disc;
    platform::gfx::Point centre;
    LONG margin = 0;
    double pixelsPerMm = 0;

    /// Millimetres to pixels; far points are held well inside what a coordinate can hold.
    platform::gfx::Point toPixel(float x, float y) const;
    LONG discRadius() const { return disc.width() / 2; }
};

inline constexpr float kImageSensorExtent = 68.5F;

CalibrationGeometry CalibrationGeometryOf(const platform::gfx::Rect& area, CalibrationVariant variant, float extent);

/// The arrow towards a direction: its tip 2 pixels outside the white disc, its other corners two margins back
/// towards the centre at plus and minus 30 degrees.
std::array<platform::gfx::Point, 3> DirectionArrow(const CalibrationGeometry& geometry, int degrees);

/// Draws the whole target area; the caller copies it to the window.
void DrawCalibrationTarget(platform::gfx::DrawContext& context, const platform::gfx::Rect& area,
                           const CalibrationPicture& picture);

} // namespace talvodesk
