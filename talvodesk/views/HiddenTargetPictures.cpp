#include "talvodesk/views/HiddenTargetPictures.h"

#include "talvodesk/views/TargetWindow.h"

#include <QRect>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace talvodesk {

namespace {

// The control draws at the window's proportions; the picture is scaled to its cell when printed.
constexpr int kHostWidth = 500;

} // namespace

platform::com::ComPtr<IPicture> HiddenTargetPictures::Draw(const TargetPicture& picture)
{
    CTargetWindow host;
    const auto hostHeight = static_cast<int>(static_cast<std::int64_t>(kHostWidth) * picture.size.cy / picture.size.cx);
    if (!host.Create(m_parent, QRect(0, 0, kHostWidth, std::max(hostHeight, 1)), kTargetWindowHiddenStyle)) {
        return {};
    }
    ITarget& target = *host.target();
    const VARIANT_BOOL trace = picture.trace ? VARIANT_TRUE : VARIANT_FALSE;
    if (FAILED(target.put_EnableUpdate(VARIANT_FALSE)) || FAILED(target.put_Event(&picture.event)) ||
        FAILED(target.put_DefaultBackground(VARIANT_TRUE)) || FAILED(target.put_DisplayTrace(trace)) ||
        FAILED(target.put_Match(picture.match ? VARIANT_TRUE : VARIANT_FALSE)) ||
        FAILED(target.put_SubTarget(picture.subTarget))) {
        return {};
    }
    if (picture.trace &&
        (FAILED(target.put_TraceColor(0xFFFFFF)) || FAILED(target.put_TraceAfterShotColor(0xFFFFFF)))) {
        return {};
    }
    for (const platform::com::ComPtr<IAiming>& aiming : picture.aimings) {
        (void)target.Add(aiming.get()); // an aiming the control refuses is left off the picture
    }
    if (picture.halfX != 0 && picture.halfY != 0) {
        // Unzoomed, the whole face is printed.
        (void)target.ZoomTo(-picture.halfX, -picture.halfY, 2 * picture.halfX, 2 * picture.halfY);
    }
    platform::com::ComPtr<IDispatch> image;
    if (FAILED(target.put_EnableUpdate(VARIANT_TRUE)) || FAILED(target.GetImage(VARIANT_TRUE, image.put())) || !image) {
        return {};
    }
    return image.queryInterface<IPicture>();
}

} // namespace talvodesk
