#include "talvoboard/internal/HitTest.h"

#include "talvoboard/internal/TargetGeometry.h"

namespace talvoboard {

using platform::com::ComPtr;
using platform::gfx::Point;

namespace {

/// The breach of a shot that can be hit, in millimetres.
bool breachOf(IShot* shot, float& x, float& y)
{
    VARIANT_BOOL missed = VARIANT_FALSE;
    if (FAILED(shot->get_Missed(&missed)) || missed != VARIANT_FALSE) {
        return false;
    }
    return SUCCEEDED(shot->Breach(&x, &y));
}

bool within(float x, float y, Point point, float calibre)
{
    const double dx = static_cast<double>(x) - point.x / 100.0;
    const double dy = static_cast<double>(y) - point.y / 100.0;
    return dx * dx + dy * dy <= static_cast<double>(calibre) * calibre * 0.25;
}

Hit hitAt(Point point, const ComPtr<IAiming>& aiming, const ComPtr<IShot>& shot, float x, float y)
{
    return {aiming, shot, toUnits(x - point.x / 100.0), toUnits(y - point.y / 100.0)};
}

} // namespace

Hit hitTest(Point point, const std::vector<AimingEntry>& aimings, bool selectable, float calibre,
            const DraggedShot* dragged)
{
    if (!selectable) {
        return {};
    }
    if (dragged && dragged->aiming && dragged->shot) {
        float x = 0.0f;
        float y = 0.0f;
        if (!breachOf(dragged->shot.get(), x, y)) {
            return {};
        }
        x += toMillimetres(dragged->current.x - dragged->anchor.x);
        y += toMillimetres(dragged->current.y - dragged->anchor.y);
        return within(x, y, point, calibre) ? hitAt(point, dragged->aiming, dragged->shot, x, y) : Hit{};
    }
    for (auto entry = aimings.rbegin(); entry != aimings.rend(); ++entry) {
        LONG shots = 0;
        (void)entry->aiming->get_ShotCount(&shots); // No count, no shots.
        for (LONG index = shots; index >= 1; --index) {
            ComPtr<IShot> shot;
            float x = 0.0f;
            float y = 0.0f;
            if (SUCCEEDED(entry->aiming->get_Shot(index, shot.put())) && shot && breachOf(shot.get(), x, y) &&
                within(x, y, point, calibre)) {
                return hitAt(point, entry->aiming, shot, x, y);
            }
        }
    }
    return {};
}

} // namespace talvoboard
