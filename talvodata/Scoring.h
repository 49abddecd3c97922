#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"

#include <array>
#include <span>

namespace talvodata {

class CTargetElement;

/// What scoring reads of a face, borrowed while the face's lock is held.
struct FaceGeometry {
    float formWidth;
    float formHeight;
    const std::array<float, 10>& rings; // Diameters of rings 1..10; 0 for an absent ring.
    std::span<const platform::com::ComPtr<CTargetElement>> elements;
};

/// A scoring area and the centre of the element that names it.
struct AreaHit {
    LONG areaIndex = 0;
    float cx = 0.0F;
    float cy = 0.0F;
};

/// The score of a point in tenths, 0.0 to 10.9, with every ring widened by half the caliber (0 for a point).
float scoreOnFace(const FaceGeometry& face, float x, float y, float caliber);
/// The ring pass alone: the score within the rings, or a negative value when the point lies outside all of them.
float ringScore(const std::array<float, 10>& rings, float x, float y, float caliber);
/// Area -1 outside the form; 0 inside a clip element or in no area.
AreaHit pointAreaOnFace(const FaceGeometry& face, float x, float y);
/// Area -1 outside the form; else the area element whose centre is nearest, containment not consulted.
AreaHit nearestAreaOnFace(const FaceGeometry& face, float x, float y);

} // namespace talvodata
