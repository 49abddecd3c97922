#include "talvoboard/internal/TargetPainter.h"

#include "platform/com/ObjectIdentity.h"
#include "platform/com/Variant.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/IPicture.h"
#include "platform/gfx/TextFormat.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <optional>

namespace talvoboard {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::gfx::Brush;
using platform::gfx::BrushStyle;
using platform::gfx::Pen;
using platform::gfx::PenStyle;
using platform::gfx::Point;
using platform::gfx::Rect;
using platform::gfx::resolveColor;

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr Brush kNoBrush{BrushStyle::Hollow, 0};
/// Breaches are never drawn smaller than this.
constexpr LONG kSmallestBreach = 6;

/// Plays a picture object upright into rect; nothing when it is no picture.
void render(platform::gfx::DrawContext& context, IDispatch* picture, const Rect& rect)
{
    const auto drawable = ComPtr<IDispatch>(picture).queryInterface<IPicture>();
    if (drawable) {
        (void)drawable->Render(&context, rect.left, rect.top, rect.width(), rect.height()); // A face may be missing.
    }
}

bool hasValue(ITargetElement* element, const char* name)
{
    platform::com::Variant value;
    return SUCCEEDED(element->get_Value(Bstr(name).get(), value.put())) && value.type() != VT_EMPTY;
}

} // namespace

TargetPainter::TargetPainter(platform::gfx::DrawContext& context, TargetDrawSurface surface, const TargetState& state,
                             const TargetOverlay& overlay)
    : m_context(context), m_surface(surface), m_state(state), m_overlay(overlay), m_traces(context, m_surface, state)
{
}

void TargetPainter::paintAll(bool userMode)
{
    if (!m_state.event) {
        noEvent(userMode);
        return;
    }
    m_context.fillRect(m_surface.bounds(), backgroundColor());
    m_context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
    face();
    breaches(/*filled=*/true);
    if (m_state.displayTrace) {
        for (const AimingEntry& entry : m_state.aimings) {
            LONG first = 0;
            LONG last = 0;
            ComPtr<IAimingTrace> trace;
            if (SUCCEEDED(entry.aiming->get_Trace(trace.put())) && trace && SUCCEEDED(trace->get_First(&first)) &&
                SUCCEEDED(trace->get_Last(&last))) {
                m_traces.trace(entry.aiming.get(), first, last);
            }
        }
    }
    replayBreaches(/*filled=*/true);
    replayTrace();
    if (m_state.displayTrace) {
        breaches(/*filled=*/false);
    }
    replayBreaches(/*filled=*/false);
    elements(/*underBreaches=*/false);
    dragFeedback();
    caption();
    sightingMark();
    labels();
}

void TargetPainter::noEvent(bool userMode)
{
    const Rect& bounds = m_surface.bounds();
    if (userMode) {
        m_context.fillRect(bounds, platform::gfx::sysColor(platform::gfx::COLOR_WINDOW));
        return;
    }
    m_context.fillRect(bounds, backgroundColor());
    m_context.setPen(Pen{PenStyle::Solid, 0, kBlack});
    m_context.setBrush(kNoBrush);
    m_context.rectangle(bounds);
    m_context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
    m_context.setTextColor(kBlack);
    const platform::gfx::TextMetrics metrics = m_context.textMetrics();
    m_context.textOut({bounds.left + metrics.aveCharWidth, bounds.top + metrics.height / 2}, u"Event not specified.");
}

COLORREF TargetPainter::backgroundColor() const
{
    OLE_COLOR color = m_state.backColor;
    if (m_state.defaultBackground && m_state.targetParams) {
        (void)m_state.targetParams->get_BackgroundColor(&color); // Unreadable: the control's own colour.
    }
    return resolveColor(color);
}

void TargetPainter::face()
{
    ComPtr<IDispatch> picture;
    if (SUCCEEDED(m_state.event->GetTargetAppearance(
            m_state.subTarget, m_state.defaultBackground ? VARIANT_TRUE : VARIANT_FALSE,
            m_state.displayScoreRings ? VARIANT_TRUE : VARIANT_FALSE, picture.put())) &&
        picture) {
        const Point topLeft = m_surface.toDevice({m_state.face.left, m_state.face.top});
        const Point bottomRight = m_surface.toDevice({m_state.face.right, m_state.face.bottom});
        render(m_context, picture.get(), {topLeft.x, topLeft.y, bottomRight.x - 2, bottomRight.y - 2});
    }
    elements(/*underBreaches=*/true);
    m_zoomRectangleDrawn = false;
}

void TargetPainter::breaches(bool filled)
{
    if (!m_state.displayBreach) {
        return;
    }
    for (const AimingEntry& entry : m_state.aimings) {
        // While a shot is dragged no breach shows as selected.
        const bool selectedAiming =
            !m_overlay.draggingShot && platform::com::isSameObject(entry.aiming.get(), m_state.selectedAiming.get());
        aimingBreaches(entry.aiming.get(), selectedAiming ? m_state.selectedShot.get() : nullptr, filled, std::nullopt);
    }
}

void TargetPainter::replayBreaches(bool filled)
{
    if (m_overlay.replayAiming) {
        aimingBreaches(m_overlay.replayAiming, nullptr, filled, m_overlay.replayPosition);
    }
}

void TargetPainter::aimingBreaches(IAiming* aiming, IShot* selected, bool filled, std::optional<LONG> upTo)
{
    const LONG calibre = std::max<LONG>(m_surface.toPixels(toUnits(displayCalibre(m_state.event.get()))), 0);
    const LONG size = calibre < 7 ? kSmallestBreach : calibre;
    LONG count = 0;
    (void)aiming->get_ShotCount(&count); // No count, no shots.
    for (LONG number = 1; number <= count; ++number) {
        ComPtr<IShot> shot;
        VARIANT_BOOL missed = VARIANT_TRUE;
        if (FAILED(aiming->get_Shot(number, shot.put())) || !shot || FAILED(shot->get_Missed(&missed)) ||
            missed != VARIANT_FALSE) {
            continue;
        }
        LONG index = 0;
        if (upTo && (FAILED(shot->get_TraceIndex(&index)) || index > *upTo)) {
            continue;
        }
        breach(shot.get(), selected && platform::com::isSameObject(shot.get(), selected), filled, size);
    }
}

void TargetPainter::replayTrace()
{
    IAiming* aiming = m_overlay.replayAiming;
    ComPtr<IAimingTrace> trace;
    LONG first = 0;
    if (!aiming || FAILED(aiming->get_Trace(trace.put())) || !trace || FAILED(trace->get_First(&first))) {
        return;
    }
    const LONG position = m_overlay.replayPosition;
    const LONG headingStart = std::max(first, position - headingSamples(aiming));
    m_traces.trace(aiming, first, headingStart);
    replayHeading(headingStart, position);
}

COLORREF TargetPainter::breachColor(bool selected) const
{
    OLE_COLOR color = selected ? m_state.selectedBreachColor : m_state.breachColor;
    if (color == 0 && m_state.targetParams) {
        (void)(selected ? m_state.targetParams->get_SelectedBreachColor(&color)
                        : m_state.targetParams->get_BreachColor(&color)); // Unreadable: black.
    }
    return resolveColor(color);
}

void TargetPainter::breach(IShot* shot, bool selected, bool filled, LONG size)
{
    float x = 0.0f;
    float y = 0.0f;
    if (FAILED(shot->Breach(&x, &y))) {
        return;
    }
    const COLORREF color = breachColor(selected);
    m_context.setPen(m_state.displayTrace ? Pen{PenStyle::InsideFrame, 2, color}
                                          : Pen{PenStyle::InsideFrame, 0, kBlack});
    m_context.setBrush(filled ? Brush{BrushStyle::Solid, color} : kNoBrush);
    const Point centre = m_surface.toDevice({toUnits(x), toUnits(y)});
    const LONG left = centre.x - size / 2;
    const LONG top = centre.y - size / 2;
    const Rect circle{left, top, left + size, top + size};
    m_context.ellipse(circle);
    VARIANT_BOOL hidden = VARIANT_FALSE;
    if (SUCCEEDED(shot->get_Hidden(&hidden)) && hidden != VARIANT_FALSE) {
        const LONG k = size * 3 / 10;
        m_context.setPen(Pen{PenStyle::Solid, 0, kBlack});
        m_context.moveTo({circle.right - k, circle.bottom - k});
        m_context.lineTo({circle.left + k, circle.top + k});
        m_context.moveTo({circle.right - k, circle.top + k});
        m_context.lineTo({circle.left + k, circle.bottom - k});
    }
}

void TargetPainter::elements(bool underBreaches)
{
    for (const auto& element : m_state.elements) {
        VARIANT_BOOL visible = VARIANT_FALSE;
        if (SUCCEEDED(element->get_Visible(&visible)) && visible != VARIANT_FALSE &&
            hasValue(element.get(), "_bs") == underBreaches) {
            this->element(element.get());
        }
    }
}

void TargetPainter::element(ITargetElement* element)
{
    float left = 0.0f, top = 0.0f, width = 0.0f, height = 0.0f, border = 0.0f;
    OLE_COLOR borderColor = 0;
    OLE_COLOR bodyColor = 0;
    VARIANT_BOOL fill = VARIANT_FALSE;
    enumTargetElementType type = elementText;
    if (FAILED(element->get_Left(&left)) || FAILED(element->get_Top(&top)) || FAILED(element->get_Width(&width)) ||
        FAILED(element->get_Height(&height)) || FAILED(element->get_BorderWidth(&border)) ||
        FAILED(element->get_BorderColor(&borderColor)) || FAILED(element->get_BodyColor(&bodyColor)) ||
        FAILED(element->get_Fill(&fill)) || FAILED(element->get_Type(&type))) {
        return;
    }
    const Point corner = m_surface.toDevice({toUnits(left), toUnits(top)});
    const Rect rect{corner.x, corner.y, corner.x + m_surface.toPixels(toUnits(width)),
                    corner.y + m_surface.toPixels(toUnits(height))};
    m_context.setPen(Pen{PenStyle::InsideFrame, m_surface.toPixels(toUnits(border)), resolveColor(borderColor)});
    m_context.setBrush(fill != VARIANT_FALSE ? Brush{BrushStyle::Solid, resolveColor(bodyColor)} : kNoBrush);
    switch (type) {
    case elementPolyline:
    case elementPolygon: {
        LONG count = 0;
        (void)element->get_PointCount(&count); // No count, no points.
        std::vector<Point> points;
        for (LONG index = 1; index <= count; ++index) {
            float x = 0.0f;
            float y = 0.0f;
            if (SUCCEEDED(element->get_x(index, &x)) && SUCCEEDED(element->get_y(index, &y))) {
                points.push_back(m_surface.toDevice({toUnits(x), toUnits(y)}));
            }
        }
        if (count >= 2 && type == elementPolyline) {
            m_context.polyline(points);
        } else if (count >= 2) {
            m_context.polygon(points);
        }
        break;
    }
    case elementEllipse:
        m_context.ellipse(rect);
        break;
    case elementPicture: {
        ComPtr<IDispatch> picture;
        if (SUCCEEDED(element->get_Picture(picture.put())) && picture) {
            render(m_context, picture.get(), rect);
        }
        break;
    }
    case elementRectangle:
        m_context.rectangle(rect);
        break;
    case elementText:
        break;
    }
}

void TargetPainter::dragFeedback()
{
    const platform::gfx::RasterOp previous = m_context.state().rasterOp;
    m_context.setRasterOp(platform::gfx::RasterOp::NotXorPen);
    if (m_overlay.dragShot) {
        dragMark();
    }
    if (m_overlay.drawingZoomRectangle) {
        zoomRectangle();
    }
    m_context.setRasterOp(previous);
}

void TargetPainter::dragMark()
{
    float x = 0.0f;
    float y = 0.0f;
    if (FAILED(m_overlay.dragShot->Breach(&x, &y))) {
        return;
    }
    const Point breach{toUnits(x), toUnits(y)};
    const Point moved{breach.x + m_overlay.dragCurrent.x - m_overlay.dragAnchor.x,
                      breach.y + m_overlay.dragCurrent.y - m_overlay.dragAnchor.y};
    const Point centre = m_surface.toDevice(moved);
    m_context.setPen(Pen{PenStyle::Dot, 1, kBlack});
    m_context.moveTo(m_surface.toDevice(breach));
    m_context.lineTo(centre);
    // A ring a little smaller than the breach, its line a tenth of the calibre.
    const double calibre = displayCalibre(m_state.event.get());
    const LONG radius = m_surface.toPixels(toUnits(0.9 * calibre * 0.5));
    m_context.setPen(Pen{PenStyle::Solid, m_surface.toPixels(toUnits(0.1 * calibre)), kBlack});
    m_context.setBrush(kNoBrush);
    m_context.ellipse({centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius});
}

void TargetPainter::zoomRectangle()
{
    const Point a = m_surface.toDevice(m_overlay.zoomAnchor);
    const Point b = m_surface.toDevice(m_overlay.zoomCurrent);
    m_context.setPen(Pen{PenStyle::Dot, 1, kBlack});
    // One-pixel lines leave out their last pixel, so every corner is inverted once.
    m_context.moveTo(a);
    m_context.lineTo({b.x, a.y});
    m_context.lineTo(b);
    m_context.lineTo({a.x, b.y});
    m_context.lineTo(a);
    m_zoomRectangleDrawn = true;
}

void TargetPainter::caption()
{
    if (!m_overlay.replayAiming || !m_overlay.captionShown || !m_state.displayReplayMark) {
        return;
    }
    const platform::com::Bstr& text = m_overlay.replayPaused ? m_state.replayPausedLabel : m_state.replayLabel;
    const Rect& bounds = m_surface.bounds();
    const platform::gfx::TextMetrics metrics = m_context.textMetrics();
    m_context.setTextColor(resolveColor(m_state.replayMarkColor));
    m_context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
    m_context.textOut({bounds.left + metrics.aveCharWidth, bounds.top + metrics.height}, text.view());
}

void TargetPainter::sightingMark()
{
    if (m_state.match) {
        return;
    }
    const Rect& bounds = m_surface.bounds();
    const LONG m = std::min(bounds.width(), bounds.height()) / 5;
    m_context.setPen(Pen{PenStyle::Null, 0, kBlack});
    m_context.setBrush(Brush{BrushStyle::Solid, resolveColor(m_state.sightingMarkColor)});
    const Point corners[] = {
        {bounds.right - m, bounds.top}, {bounds.right, bounds.top}, {bounds.right, bounds.top + m}};
    m_context.polygon(corners);
}

void TargetPainter::labels()
{
    label(m_state.labels[0], /*rightAligned=*/false);
    label(m_state.labels[1], /*rightAligned=*/true);
}

void TargetPainter::label(const Bstr& text, bool rightAligned)
{
    if (text.length() == 0) {
        return;
    }
    using namespace platform::gfx;
    const Rect& bounds = m_surface.bounds();
    m_context.setFont(Font{u"Arial", std::max<LONG>(14, std::min(bounds.width(), bounds.height()) / 10), FW_BOLD});
    // Labels show what the ANSI code page can: anything else becomes "?".
    const std::u16string shown = platform::text::fromAnsi(platform::text::toAnsi(text.view()));
    constexpr UINT kFormat = DT_WORDBREAK | DT_EXPANDTABS | DT_EDITCONTROL | DT_NOCLIP;
    Rect area = bounds;
    (void)m_context.drawText(shown, area, kFormat | DT_CALCRECT); // The area gets the text's size.
    if (area.height() < bounds.height()) {
        area = area.translated({0, bounds.bottom - area.bottom});
    }
    if (rightAligned) {
        area = area.translated({bounds.right - area.right, 0});
    }
    if (m_state.shadeLabel) {
        m_context.shadeRect(area);
    }
    m_context.setTextColor(resolveColor(m_state.labelColor));
    m_context.setBackgroundMode(BackgroundMode::Transparent);
    (void)m_context.drawText(shown, area, kFormat); // The height it returns is not needed.
}

} // namespace talvoboard
