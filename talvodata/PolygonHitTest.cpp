#include "talvodata/PolygonHitTest.h"

#include <cmath>

namespace talvodata {

namespace {

enum class Side { Left, Right, Behind, Beyond, AtStart, AtEnd, Between };

// Products in double: the inputs are floats, so a point on an edge stays exactly on it.
Side classify(PointF p, PointF a, PointF b)
{
    const double abx = double(b.x) - a.x;
    const double aby = double(b.y) - a.y;
    const double apx = double(p.x) - a.x;
    const double apy = double(p.y) - a.y;
    const double cross = apy * abx - apx * aby;
    if (cross > 0.0) {
        return Side::Left;
    }
    if (cross < 0.0) {
        return Side::Right;
    }
    if (abx * apx < 0.0 || aby * apy < 0.0) {
        return Side::Behind;
    }
    if (apx * apx + apy * apy > abx * abx + aby * aby) {
        return Side::Beyond;
    }
    if (p.x == a.x && p.y == a.y) {
        return Side::AtStart;
    }
    if (p.x == b.x && p.y == b.y) {
        return Side::AtEnd;
    }
    return Side::Between;
}

enum class EdgeType { Crossing, Touching, None };

EdgeType edgeType(PointF p, PointF a, PointF b)
{
    switch (classify(p, a, b)) {
    case Side::Left:
        return a.y < p.y && p.y <= b.y ? EdgeType::Crossing : EdgeType::None;
    case Side::Right:
        return b.y < p.y && p.y <= a.y ? EdgeType::Crossing : EdgeType::None;
    case Side::Between:
    case Side::AtStart:
    case Side::AtEnd:
        return EdgeType::Touching;
    case Side::Behind:
    case Side::Beyond:
        return EdgeType::None;
    }
    return EdgeType::None;
}

bool onInnerSide(PointF p, PointF a, PointF b)
{
    const Side side = classify(p, a, b);
    return side == Side::Left || side == Side::AtStart || side == Side::AtEnd || side == Side::Between;
}

// The segment a->b drawn with width w: a rectangle along it plus a round cap at a.
bool thickSegmentHolds(PointF p, PointF a, PointF b, float width)
{
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    const float ox = dy / length * width / 2;
    const float oy = dx / length * width / 2;
    const PointF corners[4] = {{a.x + ox, a.y - oy}, {b.x + ox, b.y - oy}, {b.x - ox, b.y + oy}, {a.x - ox, a.y + oy}};
    bool inside = true;
    for (int i = 0; i < 4 && inside; ++i) {
        inside = onInnerSide(p, corners[i], corners[(i + 1) % 4]);
    }
    if (inside) {
        return true;
    }
    const float px = p.x - a.x;
    const float py = p.y - a.y;
    return std::sqrt(px * px + py * py) <= width / 2;
}

} // namespace

bool polygonHolds(std::span<const PointF> vertices, PointF p, float caliber)
{
    bool inside = false;
    const std::size_t n = vertices.size();
    for (std::size_t i = 0; i < n; ++i) {
        const PointF a = vertices[i];
        const PointF b = vertices[(i + 1) % n];
        if (a.x == b.x && a.y == b.y) {
            continue;
        }
        switch (edgeType(p, a, b)) {
        case EdgeType::Touching:
            return true;
        case EdgeType::Crossing:
            inside = !inside;
            break;
        case EdgeType::None:
            break;
        }
        if (caliber > 0.0F && thickSegmentHolds(p, a, b, caliber)) {
            return true;
        }
    }
    return inside;
}

} // namespace talvodata
