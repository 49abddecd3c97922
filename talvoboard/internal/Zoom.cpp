#include "talvoboard/internal/Zoom.h"

#include "talvoboard/internal/TargetGeometry.h"

#include "platform/com/Variant.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace talvoboard {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using platform::gfx::Rect;

namespace {

float ring(ITargetParams* face, LONG score)
{
    float diameter = 0.0f;
    return SUCCEEDED(face->get_Ring(score, &diameter)) ? diameter : 0.0f;
}

/// "_zoom_%3.1f" and "_zoom_%i" of a level, formatted in the C locale.
std::string zoomName(float zoom, bool withTenths)
{
    char digits[32] = {};
    const auto end = withTenths ? std::to_chars(digits, digits + sizeof digits, zoom, std::chars_format::fixed, 1).ptr
                                : std::to_chars(digits, digits + sizeof digits, static_cast<int>(zoom)).ptr;
    return "_zoom_" + std::string(digits, end);
}

/// The event's side in millimetres for a level, when it names one above 0.
std::optional<float> eventZoomSide(IEventParams* event, float zoom)
{
    Variant value;
    if (FAILED(event->get_Value(Bstr(zoomName(zoom, true)).get(), value.put())) || value.type() == VT_EMPTY) {
        if (FAILED(event->get_Value(Bstr(zoomName(zoom, false)).get(), value.put()))) {
            return std::nullopt;
        }
    }
    if (value.type() == VT_EMPTY || FAILED(value.changeType(VT_R4)) || !(value.get().fltVal > 0.0f)) {
        return std::nullopt;
    }
    return value.get().fltVal;
}

} // namespace

float storedZoom(float level)
{
    if (level > 9.0f) {
        return 9.0f;
    }
    return level < 1.0f ? 0.0f : level;
}

ZoomLevel zoomLevel(float zoom, IEventParams* event, ITargetParams* face, const Rect& faceRect)
{
    if (event) {
        if (const auto side = eventZoomSide(event, zoom)) {
            return {zoom, centredSquare(*side)};
        }
    }
    if (zoom == 0.0f) {
        return {zoom, faceRect};
    }
    while (true) {
        const auto level = static_cast<LONG>(zoom);
        float diameter = ring(face, level);
        if (diameter > 0.0f) {
            if (level < 10) {
                const float inner = ring(face, level + 1);
                if (inner > 0.0f && inner < diameter) {
                    diameter -= (zoom - static_cast<float>(level)) * (diameter - inner);
                }
            }
            return {zoom, centredSquare(diameter)};
        }
        if (level >= 10) {
            return {zoom, std::nullopt};
        }
        zoom = static_cast<float>(level + 1);
    }
}

float minimumZoomSide(ITargetParams* face)
{
    float width = 0.0f;
    float height = 0.0f;
    (void)face->get_FormWidth(&width); // An unreadable size stays 0, which sets no minimum.
    (void)face->get_FormHeight(&height);
    float side = std::min(width, height) / 10.0f;
    for (LONG score = 1; score <= 9; ++score) {
        const float diameter = ring(face, score);
        if (diameter > 0.0f && side > diameter) {
            side = diameter;
        }
    }
    return side;
}

HalfExtents fitHalfExtents(const std::vector<AimingEntry>& aimings, bool withTraces, IEventParams* event,
                           ITargetParams* face, bool square)
{
    float ex = 0.0f;
    float ey = 0.0f;
    for (const AimingEntry& entry : aimings) {
        ComPtr<IRange> range;
        float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
        if (withTraces && SUCCEEDED(entry.aiming->Range(0.0f, 0.0f, range.put())) && range &&
            SUCCEEDED(range->GetBounds(&left, &top, &right, &bottom))) {
            ex = std::max({ex, std::fabs(left), std::fabs(right)});
            ey = std::max({ey, std::fabs(top), std::fabs(bottom)});
        }
        LONG shots = 0;
        (void)entry.aiming->get_ShotCount(&shots); // No count, no shots.
        for (LONG index = 1; index <= shots; ++index) {
            ComPtr<IShot> shot;
            float x = 0.0f, y = 0.0f;
            if (SUCCEEDED(entry.aiming->get_Shot(index, shot.put())) && shot && SUCCEEDED(shot->Breach(&x, &y))) {
                ex = std::max(ex, std::fabs(x));
                ey = std::max(ey, std::fabs(y));
            }
        }
    }
    const float spare = displayCalibre(event) / 2.0f;
    ex += spare;
    ey += spare;
    HalfExtents half;
    for (LONG score = 9; score >= 1; --score) {
        const float radius = ring(face, score) / 2.0f;
        if (half.x == 0.0f && ex <= radius) {
            half.x = radius;
        }
        if (half.y == 0.0f && ey <= radius) {
            half.y = radius;
        }
    }
    if (half.x == 0.0f) {
        half.x = ex;
    }
    if (half.y == 0.0f) {
        half.y = ey;
    }
    if (square) {
        half.x = half.y = std::max(half.x, half.y);
    }
    return half;
}

} // namespace talvoboard
