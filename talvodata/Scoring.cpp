#include "talvodata/Scoring.h"

#include "talvodata/TargetElement.h"

#include <cmath>
#include <optional>

namespace talvodata {

namespace {

constexpr float kBestScore = 10.9F;

bool outsideForm(const FaceGeometry& face, float x, float y)
{
    return std::fabs(x) > face.formWidth / 2 || std::fabs(y) > face.formHeight / 2;
}

// Clip elements bound the scoring region: when there are any, a point must lie in one of them.
bool clippedAway(const FaceGeometry& face, float x, float y, float caliber)
{
    bool anyClip = false;
    for (const auto& element : face.elements) {
        const ElementScoring scoring = element->scoring();
        if (!scoring.clip || scoring.calcAfterRings) {
            continue;
        }
        anyClip = true;
        if (element->holds(x, y, caliber)) {
            return false;
        }
    }
    return anyClip;
}

// Elements from last to first: one that holds the point may force 0 or give its own result.
std::optional<float> elementScore(const FaceGeometry& face, float x, float y, float caliber, bool afterRings)
{
    for (auto it = face.elements.rbegin(); it != face.elements.rend(); ++it) {
        const ElementScoring scoring = (*it)->scoring();
        if (scoring.calcAfterRings != afterRings || !(*it)->holds(x, y, caliber)) {
            continue;
        }
        if (scoring.ignoreResult) {
            return 0.0F;
        }
        if (scoring.result != 0.0F) {
            return scoring.result;
        }
    }
    return std::nullopt;
}

} // namespace

float ringScore(const std::array<float, 10>& rings, float x, float y, float caliber)
{
    const float d = std::sqrt(x * x + y * y);
    int previousScore = 11;
    float previousRadius = 0.0F;
    for (int n = 10; n >= 1; --n) {
        const float diameter = rings[n - 1];
        if (diameter == 0.0F) {
            if (previousRadius == 0.0F) {
                previousScore = n; // A missing inner ring widens the step to the next present one.
            }
            continue;
        }
        const float radius = diameter / 2 + caliber / 2;
        if (radius < d) {
            previousRadius = radius;
            previousScore = n;
            continue;
        }
        // Tenths run linearly from n.0 at the widened edge towards the next ring inward. The differences and the
        // fraction are taken in double: a difference rounded to single precision can cross a tenth's boundary
        // (0.79999995 mm on the air-pistol face would score 10.8, 1.6 mm 10.8 instead of 10.7).
        const double fraction = (double(radius) - double(d)) / (double(radius) - double(previousRadius));
        const double score = std::floor(10.0 * (n + (previousScore - n) * fraction)) / 10.0;
        return score > kBestScore ? kBestScore : static_cast<float>(score);
    }
    return -1.0F;
}

float scoreOnFace(const FaceGeometry& face, float x, float y, float caliber)
{
    if (outsideForm(face, x, y) || clippedAway(face, x, y, caliber)) {
        return 0.0F;
    }
    if (const auto fixed = elementScore(face, x, y, caliber, /*afterRings=*/false)) {
        return *fixed;
    }
    if (const float score = ringScore(face.rings, x, y, caliber); score >= 0.0F) {
        return score;
    }
    return elementScore(face, x, y, caliber, /*afterRings=*/true).value_or(0.0F);
}

AreaHit pointAreaOnFace(const FaceGeometry& face, float x, float y)
{
    if (outsideForm(face, x, y)) {
        return {-1, 0.0F, 0.0F};
    }
    for (const auto& element : face.elements) {
        if (element->scoring().clip && element->holds(x, y, 0.0F)) {
            return {};
        }
    }
    for (auto it = face.elements.rbegin(); it != face.elements.rend(); ++it) {
        const ElementScoring scoring = (*it)->scoring();
        if (scoring.areaIndex != 0 && (*it)->holds(x, y, 0.0F)) {
            return {scoring.areaIndex, scoring.centerX, scoring.centerY};
        }
    }
    return {};
}

AreaHit nearestAreaOnFace(const FaceGeometry& face, float x, float y)
{
    if (outsideForm(face, x, y)) {
        return {-1, 0.0F, 0.0F};
    }
    AreaHit nearest;
    float nearestDistance = 0.0F;
    for (auto it = face.elements.rbegin(); it != face.elements.rend(); ++it) {
        const ElementScoring scoring = (*it)->scoring();
        if (scoring.areaIndex == 0) {
            continue;
        }
        const float dx = scoring.centerX - x;
        const float dy = scoring.centerY - y;
        const float distance = dx * dx + dy * dy;
        if (nearest.areaIndex == 0 || distance < nearestDistance) {
            nearest = {scoring.areaIndex, scoring.centerX, scoring.centerY};
            nearestDistance = distance;
        }
    }
    return nearest;
}

} // namespace talvodata
