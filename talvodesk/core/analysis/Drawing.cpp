#include "talvodesk/core/analysis/Drawing.h"

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"
#include "platform/gfx/Himetric.h"
#include "platform/gfx/PictureRecorder.h"

#include <algorithm>
#include <array>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr OLE_COLOR kCrossColor = 0x20B7CC;
constexpr COLORREF kFrameColor = 0xEEEEEE;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr LONG kCircle = 1150;
constexpr std::array<LONG, 5> kCircleOffsets{-5575, -3075, -575, 1925, 4425};

/// The cross's size: the event's "_mark_size", else its display calibre, else its calibre.
float markSize(IEventParams& event)
{
    float size = 0;
    platform::com::Variant stored;
    const platform::com::Bstr key("_mark_size");
    if (SUCCEEDED(event.get_Value(key.get(), stored.put())) && SUCCEEDED(stored.changeType(VT_R4))) {
        size = std::max(stored.get().fltVal, 0.0F);
    }
    if (size == 0) {
        (void)event.get_DisplayCaliber(&size); // Unreadable sizes fall through to the next.
    }
    if (size == 0) {
        (void)event.get_Caliber(&size);
    }
    return size;
}

void addLine(ITarget& target, float size, float x, float y, float x1, float y1, float x2, float y2)
{
    ComPtr<ITargetElement> element;
    if (FAILED(target.AddElement(elementPolyline, x - size / 2, y - size / 2, size, size, element.put())) || !element) {
        return;
    }
    (void)element->put_BorderColor(kCrossColor); // The cross only marks a point; a refused colour is harmless.
    (void)element->AddPoint(x1, y1);
    (void)element->AddPoint(x2, y2);
}

} // namespace

bool AddCrossMark(ITarget* target, float x, float y)
{
    ComPtr<IEventParams> event;
    if (!target || FAILED(target->get_Event(event.put())) || !event) {
        return false;
    }
    const float size = markSize(*event);
    addLine(*target, size, x, y, x - size / 2, y, x + size / 2, y);
    addLine(*target, size, x, y, x, y - size / 2, x, y + size / 2);
    return true;
}

bool AddGroupCross(ITarget* target, long hits, float meanX, float meanY)
{
    return hits > 0 && AddCrossMark(target, meanX, meanY);
}

platform::gfx::Picture CreateFiveTargetsPicture(long hitPosition, long position)
{
    using namespace platform::gfx;
    PictureRecorder recorder;
    recorder.setPen(Pen{PenStyle::Solid, 0, kFrameColor});
    recorder.setBrush(Brush{BrushStyle::Hollow, kWhite});
    recorder.rectangle(Rect{1930, 1925, 13070, 3075});
    if (position >= 1 && position <= 5) {
        const bool hit = hitPosition == position;
        const LONG left = 7500 + kCircleOffsets[static_cast<std::size_t>(position - 1)];
        recorder.setPen(Pen{PenStyle::Solid, 0, hit ? kBlack : kWhite});
        recorder.setBrush(Brush{BrushStyle::Solid, hit ? kWhite : kBlack});
        recorder.ellipse(Rect{left, 2500 - kCircle / 2, left + kCircle, 2500 - kCircle / 2 + kCircle});
    }
    return recorder.finish(himetricFromPixels(Rect{0, 0, 15000, 5000}, recorder.resolution()));
}

} // namespace talvodesk
