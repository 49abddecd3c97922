#pragma once

#include <span>

namespace talvodata {

struct PointF {
    float x;
    float y;
};

/// Whether p lies in the closed polygon through `vertices` (the last joins the first) by the even-odd rule,
/// on an edge or a vertex included; with caliber > 0 also within caliber/2 of an edge, with a round cap at the
/// start of each edge only. Edges whose ends are equal are skipped.
bool polygonHolds(std::span<const PointF> vertices, PointF p, float caliber);

} // namespace talvodata
