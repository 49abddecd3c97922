#include "talvoboard/Target.h"

#include "talvoboard/ObjectIdentity.h"
#include "talvoboard/TargetMouseBinding.h"
#include "talvoboard/TargetReplayBinding.h"
#include "talvoboard/TargetWidget.h"
#include "talvoboard/internal/PropertyTable.h"
#include "talvoboard/internal/TargetGeometry.h"
#include "talvoboard/internal/TargetPainter.h"
#include "talvoboard/internal/Zoom.h"

#include "interfaces/talvoboard/DispIds.h"
#include "interfaces/talvodata/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/com/Property.h"
#include "platform/gfx/BitmapQt.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/Himetric.h"
#include "platform/gfx/PictureObject.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/TextMeasureQt.h"

#include <QApplication>

#include <algorithm>
#include <utility>

namespace talvoboard {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::copyFlag;
using platform::com::copyProperty;
using platform::com::fromVariantBool;
using platform::com::isSameObject;
using platform::com::Notify;
using platform::com::storeProperty;
using platform::gfx::DrawContext;
using platform::gfx::Rect;
using platform::gfx::Resolution;
using platform::gfx::Size;

namespace {

/// The screen resolution the extent is measured in.
constexpr Resolution kScreen{};

bool isLabelPosition(LONG position)
{
    return position == 1 || position == 2;
}

} // namespace

platform::Result<ComPtr<CTarget>> CTarget::create()
{
    // The control is a widget: without a widget application (a console program) it cannot be made.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return platform::Error{E_UNEXPECTED, "the target control needs a QApplication"};
    }
    ComPtr<IEventManager> events;
    const HRESULT hr = CoCreateInstance(talvodata::CLSID_EventManager, nullptr, CLSCTX_INPROC_SERVER,
                                        IEventManager::kIid, events.putVoid());
    if (FAILED(hr)) {
        return platform::Error{hr, "the event manager cannot be made"};
    }
    return ComPtr<CTarget>(new CTarget(std::move(events)));
}

CTarget::CTarget(ComPtr<IEventManager> events)
    : m_events(std::move(events)),
      m_eventPoint(platform::com::makeComObject<platform::com::ConnectionPoint>(this, DIID__ITargetEvents))
{
    m_widget = new TargetWidget([this](DrawContext& context, const Rect& bounds) { paint(context, bounds); });
    const TargetAccess access{*this, m_state, m_widget,
                              [this](DISPID dispId, std::vector<platform::com::Variant> arguments) {
                                  m_eventPoint->fire(dispId, std::move(arguments));
                              }};
    m_replay = std::make_unique<TargetReplayBinding>(access);
    m_mouse = std::make_unique<TargetMouseBinding>(access);
    m_replay->attach(*m_widget);
    m_mouse->attach(*m_widget);
    setExtent(m_extent);
}

CTarget::~CTarget()
{
    m_eventPoint->detachContainer();
    delete m_widget.data(); // Null when a host's parent already deleted it.
}

void CTarget::refresh()
{
    m_ownerThread.assertOwnerThread(); // The widget lives on the control's thread.
    if (!m_state.enableUpdate) {
        m_state.updatePending = true;
        return;
    }
    if (m_widget) {
        m_widget->invalidate();
    }
}

TargetDrawSurface CTarget::windowSurface() const
{
    const Rect client = m_widget ? m_widget->clientRect() : Rect{};
    return TargetDrawSurface(client, m_state.visible);
}

void CTarget::showRectangle(const Rect& visible)
{
    if (visible != m_state.visible) {
        m_state.visible = visible;
        refresh();
    }
}

TargetOverlay CTarget::overlay() const
{
    // The bindings come after the widget, which may ask for a drawing in between.
    TargetOverlay shown = m_replay ? m_replay->overlay() : TargetOverlay{};
    if (m_mouse) {
        const TargetMouse& mouse = m_mouse->mouse();
        shown.dragShot = mouse.dragShot();
        shown.draggingShot = mouse.isDraggingShot();
        shown.dragAnchor = mouse.dragAnchor();
        shown.dragCurrent = mouse.dragCurrent();
        shown.drawingZoomRectangle = mouse.isDrawingZoomRectangle();
        shown.zoomAnchor = mouse.anchor();
        shown.zoomCurrent = mouse.current();
    }
    return shown;
}

void CTarget::paint(DrawContext& context, const Rect& bounds)
{
    m_ownerThread.assertOwnerThread();
    auto guard = lock();
    TargetPainter painter(context, TargetDrawSurface(bounds, m_state.visible), m_state, overlay());
    painter.paintAll(m_userMode);
    if (m_mouse) {
        m_mouse->mouse().setZoomRectangleDrawn(painter.zoomRectangleDrawn());
    }
}

void CTarget::setExtent(Size himetric)
{
    m_extent = himetric;
    if (m_widget) {
        const Rect pixels = platform::gfx::pixelsFromHimetric({0, 0, himetric.cx, himetric.cy}, kScreen);
        m_widget->resize(std::max(pixels.width(), 0), std::max(pixels.height(), 0));
    }
}

Size CTarget::extent()
{
    if (m_widget) {
        const Rect current = platform::gfx::pixelsFromHimetric({0, 0, m_extent.cx, m_extent.cy}, kScreen);
        // A size the extent already gives keeps the extent, so a loaded extent survives its own rounding.
        if (current.width() != m_widget->width() || current.height() != m_widget->height()) {
            const Rect himetric = platform::gfx::himetricFromPixels(m_widget->clientRect(), kScreen);
            m_extent = {himetric.width(), himetric.height()};
        }
    }
    return m_extent;
}

// Content.

HRESULT CTarget::get_Item(LONG nIndex, IAiming** pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    auto guard = lock();
    if (nIndex < 1 || static_cast<std::size_t>(nIndex) > m_state.aimings.size()) {
        return E_INVALIDARG;
    }
    return m_state.aimings[static_cast<std::size_t>(nIndex) - 1].aiming.copyTo(pVal);
}

HRESULT CTarget::get_Count(LONG* pVal)
{
    auto guard = lock();
    return copyProperty(static_cast<LONG>(m_state.aimings.size()), pVal);
}

HRESULT CTarget::Add(IAiming* pAiming)
{
    if (!pAiming) {
        return E_INVALIDARG;
    }
    auto guard = lock();
    if (m_state.heldAimings.contains(pAiming)) {
        return S_OK;
    }
    m_state.aimings.push_back({ComPtr<IAiming>(pAiming), 0, 0});
    m_state.heldAimings.add(pAiming);
    if (m_state.autoZoom) {
        zoomToFit(false);
    }
    refresh();
    return S_OK;
}

HRESULT CTarget::Clear()
{
    auto guard = lock();
    m_mouse->mouse().abort();
    m_state.elements.clear();
    m_state.selectedAiming.reset();
    m_state.selectedShot.reset();
    m_mouse->mouse().releaseDragShot();
    m_replay->replay().clear();
    m_state.aimings.clear();
    m_state.heldAimings.clear();
    m_state.labels = {};
    if (m_state.autoZoom) {
        zoomToFit(false);
    }
    refresh();
    return S_OK;
}

HRESULT CTarget::get_SelectedAiming(IAiming** pVal)
{
    if (!pVal) {
        return E_INVALIDARG;
    }
    auto guard = lock();
    return m_state.selectedAiming.copyTo(pVal);
}

HRESULT CTarget::get_SelectedShot(IShot** pVal)
{
    if (!pVal) {
        return E_INVALIDARG;
    }
    auto guard = lock();
    return m_state.selectedShot.copyTo(pVal);
}

HRESULT CTarget::put_SelectedShot(IShot* newVal)
{
    auto guard = lock();
    auto& aimings = m_state.aimings;
    for (std::size_t index = 0; newVal && index < aimings.size(); ++index) {
        LONG shots = 0;
        (void)aimings[index].aiming->get_ShotCount(&shots); // No count, no shots.
        for (LONG number = 1; number <= shots; ++number) {
            ComPtr<IShot> shot;
            if (FAILED(aimings[index].aiming->get_Shot(number, shot.put())) || !isSameObject(shot.get(), newVal)) {
                continue;
            }
            if (isSameObject(m_state.selectedAiming.get(), aimings[index].aiming.get()) &&
                isSameObject(m_state.selectedShot.get(), newVal)) {
                return S_OK;
            }
            m_state.selectedAiming = aimings[index].aiming;
            m_state.selectedShot = ComPtr<IShot>(newVal);
            // The selected aiming is drawn last, on top of the others.
            std::swap(aimings[index], aimings.back());
            refresh();
            return S_OK;
        }
    }
    const bool wasSelected = m_state.selectedAiming || m_state.selectedShot;
    m_state.selectedAiming.reset();
    m_state.selectedShot.reset();
    if (wasSelected) {
        refresh();
    }
    return S_OK;
}

HRESULT CTarget::SetShotCorrection(IShot* pShot, float dx, float dy)
{
    auto guard = lock();
    if (!m_state.dragable) {
        return S_OK;
    }
    if (!pShot) {
        return E_INVALIDARG;
    }
    const auto holder = std::find_if(m_state.aimings.begin(), m_state.aimings.end(),
                                     [&](const AimingEntry& entry) { return holdsShot(entry.aiming.get(), pShot); });
    if (holder == m_state.aimings.end()) {
        return S_OK;
    }
    m_mouse->mouse().setCorrection(holder->aiming.get(), pShot, dx, dy);
    refresh();
    return S_OK;
}

HRESULT CTarget::AddElement(enumTargetElementType Type, float Left, float Top, float Width, float Height,
                            ITargetElement** ppElement)
{
    if (!ppElement) {
        return E_POINTER;
    }
    *ppElement = nullptr;
    ComPtr<ITargetElement> element;
    if (FAILED(CoCreateInstance(talvodata::CLSID_TargetElement, nullptr, CLSCTX_INPROC_SERVER, ITargetElement::kIid,
                                element.putVoid()))) {
        return E_FAIL;
    }
    RETURN_IF_FAILED(element->put_Type(Type));
    RETURN_IF_FAILED(element->put_Left(Left));
    RETURN_IF_FAILED(element->put_Top(Top));
    RETURN_IF_FAILED(element->put_Width(Width));
    RETURN_IF_FAILED(element->put_Height(Height));
    auto guard = lock();
    m_state.elements.push_back(element);
    refresh();
    *ppElement = element.detach();
    return S_OK;
}

HRESULT CTarget::get_Elements(LONG index, ITargetElement** pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    auto guard = lock();
    if (index < 1 || static_cast<std::size_t>(index) > m_state.elements.size()) {
        return E_INVALIDARG;
    }
    return m_state.elements[static_cast<std::size_t>(index) - 1].copyTo(pVal);
}

HRESULT CTarget::get_ElementCount(LONG* pVal)
{
    auto guard = lock();
    return copyProperty(static_cast<LONG>(m_state.elements.size()), pVal);
}

HRESULT CTarget::ClearElements()
{
    auto guard = lock();
    if (!m_state.elements.empty()) {
        m_state.elements.clear();
        refresh();
    }
    return S_OK;
}

HRESULT CTarget::Refresh()
{
    auto guard = lock();
    refresh();
    return S_OK;
}

HRESULT CTarget::UpdateAiming(IAiming* pAiming)
{
    auto guard = lock();
    const auto entry = std::find_if(m_state.aimings.begin(), m_state.aimings.end(), [&](const AimingEntry& held) {
        return pAiming && isSameObject(held.aiming.get(), pAiming);
    });
    if (entry == m_state.aimings.end() || !m_state.displayTrace) {
        return S_OK;
    }
    ComPtr<IAimingTrace> trace;
    LONG first = 0;
    LONG last = 0;
    if (FAILED(pAiming->get_Trace(trace.put())) || !trace || FAILED(trace->get_First(&first)) ||
        FAILED(trace->get_Last(&last))) {
        return S_OK;
    }
    const LONG drawnTo = std::max(entry->drawnTo, first);
    if (drawnTo >= last) {
        return S_OK;
    }
    if (!m_state.enableUpdate) {
        refresh();
        return S_OK;
    }
    LONG shots = 0;
    (void)pAiming->get_ShotCount(&shots); // No count, no new shots.
    const bool newShots = shots > entry->shotsDrawn;
    if (newShots) {
        entry->shotsDrawn = shots;
    }
    entry->drawnTo = last;
    if (!m_widget) {
        return S_OK;
    }
    m_ownerThread.assertOwnerThread(); // Draws into the window.
    const ComPtr<IAiming> aiming(pAiming);
    m_widget->drawIncrement([&](DrawContext& context, const Rect& bounds) {
        TargetPainter painter(context, TargetDrawSurface(bounds, m_state.visible), m_state, overlay());
        if (newShots) {
            painter.breaches(/*filled=*/true);
            painter.trace(aiming.get(), first, last);
        } else {
            painter.trace(aiming.get(), std::max(first, drawnTo - painter.headingSamples(aiming.get())), last);
        }
    });
    return S_OK;
}

// Event and face.

HRESULT CTarget::get_Event(IEventParams** pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    auto guard = lock();
    if (!m_state.event) {
        return E_INVALIDARG;
    }
    return m_state.event.copyTo(pVal);
}

HRESULT CTarget::put_Event(IEventParams* newVal)
{
    if (!newVal) {
        return E_INVALIDARG;
    }
    ComPtr<ITargetParams> face;
    RETURN_IF_FAILED(newVal->get_Target(1, face.put()));
    float width = 0.0f;
    float height = 0.0f;
    RETURN_IF_FAILED(face->get_FormWidth(&width));
    RETURN_IF_FAILED(face->get_FormHeight(&height));
    auto guard = lock();
    m_state.event = ComPtr<IEventParams>(newVal);
    m_state.targetParams = std::move(face);
    m_state.face = centredForm(width, height);
    m_state.visible = m_state.face;
    refresh();
    return S_OK;
}

HRESULT CTarget::get_EventShortName(BSTR* pVal)
{
    return getProperty(m_state.eventShortName, pVal);
}

HRESULT CTarget::put_EventShortName(BSTR newVal)
{
    auto guard = lock();
    m_state.eventShortName = Bstr::copyOf(newVal);
    ComPtr<IEventParams> event;
    if (SUCCEEDED(m_events->FindByShortName(newVal, event.put())) && event) {
        return put_Event(event.get());
    }
    return S_OK;
}

HRESULT CTarget::get_SubTarget(LONG* pVal)
{
    return getProperty(m_state.subTarget, pVal);
}

HRESULT CTarget::put_SubTarget(LONG newVal)
{
    return putProperty(m_state.subTarget, newVal, Notify::OnChange, repaint());
}

// Zoom.

HRESULT CTarget::get_Zoom(float* pVal)
{
    return getProperty(m_state.zoom, pVal);
}

HRESULT CTarget::put_Zoom(float newVal)
{
    if (!(newVal >= 0.0f && newVal <= 10.0f)) {
        return E_INVALIDARG;
    }
    auto guard = lock();
    m_state.zoom = storedZoom(newVal);
    if (!m_state.targetParams) {
        return S_OK;
    }
    const ZoomLevel level = zoomLevel(m_state.zoom, m_state.event.get(), m_state.targetParams.get(), m_state.face);
    m_state.zoom = level.zoom;
    if (level.visible) {
        showRectangle(*level.visible);
    }
    return S_OK;
}

HRESULT CTarget::get_AutoZoom(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.autoZoom, pVal);
}

HRESULT CTarget::put_AutoZoom(VARIANT_BOOL newVal)
{
    auto guard = lock();
    if (storeProperty(m_state.autoZoom, fromVariantBool(newVal), Notify::OnChange) && m_state.autoZoom) {
        zoomToFit(false);
    }
    return S_OK;
}

HRESULT CTarget::ZoomTo(float Left, float Top, float Width, float Height)
{
    auto guard = lock();
    return zoomTo(Left, Top, Width, Height);
}

HRESULT CTarget::zoomTo(float left, float top, float width, float height)
{
    if (!m_state.targetParams) {
        return E_UNEXPECTED;
    }
    const float minimum = minimumZoomSide(m_state.targetParams.get());
    if (minimum > width || minimum > height) {
        return E_INVALIDARG;
    }
    const LONG x = toUnits(left);
    const LONG y = toUnits(top);
    showRectangle({x, y, x + toUnits(width), y + toUnits(height)});
    return S_OK;
}

HRESULT CTarget::ZoomToFit(VARIANT_BOOL vbSquare)
{
    auto guard = lock();
    zoomToFit(vbSquare == VARIANT_TRUE);
    return S_OK;
}

void CTarget::zoomToFit(bool square)
{
    if (!m_state.targetParams) {
        return;
    }
    const HalfExtents half =
        fitHalfExtents(m_state.aimings, m_state.displayTrace, m_state.event.get(), m_state.targetParams.get(), square);
    (void)zoomTo(-half.x, -half.y, 2.0f * half.x, 2.0f * half.y); // A frame below the minimum keeps the view.
}

HRESULT CTarget::get_VisibleLeft(float* pVal)
{
    auto guard = lock();
    return copyProperty(toMillimetres(m_state.visible.left), pVal);
}

HRESULT CTarget::get_VisibleTop(float* pVal)
{
    auto guard = lock();
    return copyProperty(toMillimetres(m_state.visible.top), pVal);
}

HRESULT CTarget::get_VisibleWidth(float* pVal)
{
    auto guard = lock();
    return copyProperty(toMillimetres(windowSurface().visibleWidth()), pVal);
}

HRESULT CTarget::get_VisibleHeight(float* pVal)
{
    auto guard = lock();
    return copyProperty(toMillimetres(windowSurface().visibleHeight()), pVal);
}

HRESULT CTarget::GetImage(VARIANT_BOOL Metafile, IDispatch** Image)
{
    if (!Image) {
        return E_POINTER;
    }
    *Image = nullptr;
    m_ownerThread.assertOwnerThread(); // Text is measured with the GUI thread's fonts.
    auto guard = lock();
    // The window's size also before it was ever shown.
    const Rect client = m_widget ? m_widget->clientRect() : Rect{};
    if (client.isEmpty()) {
        return E_FAIL;
    }
    const TargetDrawSurface surface(client, m_state.visible);
    platform::gfx::Picture picture;
    if (Metafile == VARIANT_TRUE) {
        const platform::gfx::TextMeasureQt measure;
        platform::gfx::PictureRecorder recorder(kScreen, &measure);
        recorder.setClipRect(surface.viewport());
        TargetPainter(recorder, surface, m_state, overlay()).paintAll(m_userMode);
        picture = recorder.finish(platform::gfx::himetricFromPixels(client, kScreen));
    } else {
        QImage image(client.width(), client.height(), QImage::Format_RGB32);
        if (image.isNull()) {
            return E_OUTOFMEMORY;
        }
        {
            platform::gfx::DrawContextQt context(image);
            if (m_widget) {
                // The window's own drawing fills the same outlines at the same size.
                m_widget->coverageCache().beginPass();
                context.setCoverageCache(&m_widget->coverageCache());
            }
            TargetPainter(context, surface, m_state, overlay()).paintAll(m_userMode);
        } // The painting ends first: an image that is still painted on is copied whole whenever it is shared.
        picture = platform::gfx::Picture::fromBitmap(platform::gfx::toBitmap(image), kScreen);
    }
    const auto object = platform::gfx::PictureObject::create(std::move(picture));
    return object->QueryInterface(IDispatch::kIid, reinterpret_cast<void**>(Image));
}

// Colour intervals.

HRESULT CTarget::ResetIntervals()
{
    auto guard = lock();
    m_state.intervals.reset(m_state.traceColor, m_state.traceAfterShotColor);
    return S_OK;
}

HRESULT CTarget::AddTraceInterval(float secStart, float secEnd, OLE_COLOR color)
{
    auto guard = lock();
    m_state.intervals.add(secStart, secEnd, color);
    return S_OK;
}

// Replay.

HRESULT CTarget::get_ReplaySpeed(LONG* pVal)
{
    auto guard = lock();
    return copyProperty(m_replay->replay().speed(), pVal);
}

HRESULT CTarget::put_ReplaySpeed(LONG newVal)
{
    auto guard = lock();
    return m_replay->replay().setSpeed(newVal);
}

HRESULT CTarget::get_ReplayPosition(float* pVal)
{
    auto guard = lock();
    return m_replay->replay().positionSeconds(pVal);
}

HRESULT CTarget::put_ReplayPosition(float newVal)
{
    auto guard = lock();
    return m_replay->replay().setPositionSeconds(newVal);
}

HRESULT CTarget::get_ReplayAiming(IAiming** pVal)
{
    auto guard = lock();
    return m_replay->replay().aiming(pVal);
}

HRESULT CTarget::put_ReplayAiming(IAiming* newVal)
{
    auto guard = lock();
    return m_replay->replay().setAiming(newVal);
}

HRESULT CTarget::get_ReplayShot(IShot** pVal)
{
    auto guard = lock();
    return m_replay->replay().shot(pVal);
}

HRESULT CTarget::put_ReplayShot(IShot* newVal)
{
    auto guard = lock();
    return m_replay->replay().setShot(newVal);
}

HRESULT CTarget::get_ReplayPaused(VARIANT_BOOL* pVal)
{
    auto guard = lock();
    return copyFlag(m_replay->replay().isPaused(), pVal);
}

HRESULT CTarget::put_ReplayPaused(VARIANT_BOOL newVal)
{
    auto guard = lock();
    m_replay->replay().setPaused(newVal == VARIANT_TRUE);
    return S_OK;
}

// Labels.

HRESULT CTarget::get_Label(LONG nPosition, BSTR* pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    if (!isLabelPosition(nPosition)) {
        return E_INVALIDARG;
    }
    auto guard = lock();
    return m_state.labels[static_cast<std::size_t>(nPosition) - 1].copyTo(pVal);
}

HRESULT CTarget::put_Label(LONG nPosition, BSTR newVal)
{
    if (!isLabelPosition(nPosition)) {
        return E_INVALIDARG;
    }
    auto guard = lock();
    Bstr& label = m_state.labels[static_cast<std::size_t>(nPosition) - 1];
    Bstr text = Bstr::copyOf(newVal);
    const bool changed = label.view() != text.view(); // A null and an empty label look the same.
    label = std::move(text);
    if (changed) {
        refresh();
    }
    return S_OK;
}

HRESULT CTarget::get_ReplayLabel(BSTR* pVal)
{
    return getProperty(m_state.replayLabel, pVal);
}

HRESULT CTarget::put_ReplayLabel(BSTR newVal)
{
    auto guard = lock();
    Bstr text = Bstr::copyOf(newVal);
    const bool shown = !m_replay->replay().isPaused() && (!m_state.replayLabel.view().empty() || !text.view().empty());
    m_state.replayLabel = std::move(text);
    if (shown && m_state.displayReplayMark && m_replay->replay().isCaptionShown()) {
        refresh();
    }
    return S_OK;
}

HRESULT CTarget::get_ReplayPausedLabel(BSTR* pVal)
{
    return getProperty(m_state.replayPausedLabel, pVal);
}

HRESULT CTarget::put_ReplayPausedLabel(BSTR newVal)
{
    auto guard = lock();
    Bstr text = Bstr::copyOf(newVal);
    const bool shown =
        m_replay->replay().isPaused() && (!m_state.replayPausedLabel.view().empty() || !text.view().empty());
    m_state.replayPausedLabel = std::move(text);
    if (shown && m_state.displayReplayMark && m_replay->replay().isCaptionShown()) {
        refresh();
    }
    return S_OK;
}

HRESULT CTarget::get_ShadeLabel(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.shadeLabel, pVal);
}

HRESULT CTarget::put_ShadeLabel(VARIANT_BOOL newVal)
{
    auto guard = lock();
    const bool anyLabel = m_state.labels[0].length() > 0 || m_state.labels[1].length() > 0;
    if (storeProperty(m_state.shadeLabel, fromVariantBool(newVal), Notify::OnChange) && anyLabel) {
        refresh();
    }
    return S_OK;
}

// Plain display properties.

HRESULT CTarget::get_Match(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.match, pVal);
}

HRESULT CTarget::put_Match(VARIANT_BOOL newVal)
{
    return putProperty(m_state.match, fromVariantBool(newVal), Notify::OnChange, repaint());
}

HRESULT CTarget::get_TraceHeadingLength(float* pVal)
{
    return getProperty(m_state.traceHeadingLength, pVal);
}

HRESULT CTarget::put_TraceHeadingLength(float newVal)
{
    return putChecked(m_state.traceHeadingLength, newVal, newVal >= 0.0f);
}

HRESULT CTarget::get_DisplayBreach(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.displayBreach, pVal);
}

HRESULT CTarget::put_DisplayBreach(VARIANT_BOOL newVal)
{
    return putProperty(m_state.displayBreach, fromVariantBool(newVal), Notify::OnChange, repaint());
}

HRESULT CTarget::get_DisplayTrace(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.displayTrace, pVal);
}

HRESULT CTarget::put_DisplayTrace(VARIANT_BOOL newVal)
{
    auto guard = lock();
    if (storeProperty(m_state.displayTrace, fromVariantBool(newVal), Notify::OnChange)) {
        if (m_state.autoZoom) {
            zoomToFit(false);
        }
        refresh();
    }
    return S_OK;
}

HRESULT CTarget::get_DisplayReplayMark(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.displayReplayMark, pVal);
}

HRESULT CTarget::put_DisplayReplayMark(VARIANT_BOOL newVal)
{
    return putProperty(m_state.displayReplayMark, fromVariantBool(newVal), Notify::OnChange, repaint());
}

HRESULT CTarget::get_Selectable(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.selectable, pVal);
}

HRESULT CTarget::put_Selectable(VARIANT_BOOL newVal)
{
    return putProperty(m_state.selectable, fromVariantBool(newVal)); // Nothing shown depends on it.
}

HRESULT CTarget::get_Dragable(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.dragable, pVal);
}

HRESULT CTarget::put_Dragable(VARIANT_BOOL newVal)
{
    auto guard = lock();
    if (storeProperty(m_state.dragable, fromVariantBool(newVal), Notify::OnChange) && !m_state.dragable) {
        m_mouse->mouse().abortShotDrag();
        m_mouse->mouse().releaseDragShot();
        refresh();
    }
    return S_OK;
}

HRESULT CTarget::get_EnableUpdate(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.enableUpdate, pVal);
}

HRESULT CTarget::put_EnableUpdate(VARIANT_BOOL newVal)
{
    auto guard = lock();
    if (storeProperty(m_state.enableUpdate, fromVariantBool(newVal), Notify::OnChange) && m_state.enableUpdate &&
        m_state.updatePending) {
        m_state.updatePending = false;
        refresh();
    }
    return S_OK;
}

HRESULT CTarget::get_DefaultBackground(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.defaultBackground, pVal);
}

HRESULT CTarget::put_DefaultBackground(VARIANT_BOOL newVal)
{
    return putProperty(m_state.defaultBackground, fromVariantBool(newVal), Notify::OnChange, repaint());
}

HRESULT CTarget::get_DisplayScoreRings(VARIANT_BOOL* pVal)
{
    return getFlag(m_state.displayScoreRings, pVal);
}

HRESULT CTarget::put_DisplayScoreRings(VARIANT_BOOL newVal)
{
    return putProperty(m_state.displayScoreRings, fromVariantBool(newVal), Notify::OnChange, repaint());
}

HRESULT CTarget::get_TraceThickness(float* pVal)
{
    return getProperty(m_state.traceThickness, pVal);
}

HRESULT CTarget::put_TraceThickness(float newVal)
{
    return putProperty(m_state.traceThickness, newVal, Notify::OnChange, repaint());
}

HRESULT CTarget::get_ReplayMarkColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.replayMarkColor, pVal);
}

HRESULT CTarget::put_ReplayMarkColor(OLE_COLOR newVal)
{
    return putProperty(m_state.replayMarkColor, newVal, Notify::Always, repaint());
}

HRESULT CTarget::get_SightingMarkColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.sightingMarkColor, pVal);
}

HRESULT CTarget::put_SightingMarkColor(OLE_COLOR newVal)
{
    return putProperty(m_state.sightingMarkColor, newVal, Notify::Always, repaint());
}

HRESULT CTarget::get_LabelColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.labelColor, pVal);
}

HRESULT CTarget::put_LabelColor(OLE_COLOR newVal)
{
    return putProperty(m_state.labelColor, newVal, Notify::Always, repaint());
}

HRESULT CTarget::get_BackColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.backColor, pVal);
}

HRESULT CTarget::put_BackColor(OLE_COLOR newVal)
{
    return putProperty(m_state.backColor, newVal, Notify::Always, repaint());
}

HRESULT CTarget::get_TraceAfterShotColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.traceAfterShotColor, pVal);
}

HRESULT CTarget::put_TraceAfterShotColor(OLE_COLOR newVal)
{
    return putProperty(m_state.traceAfterShotColor, newVal, Notify::Always,
                       [=, this] { m_state.intervals.recolor(1, newVal); });
}

HRESULT CTarget::get_TraceColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.traceColor, pVal);
}

HRESULT CTarget::put_TraceColor(OLE_COLOR newVal)
{
    return putProperty(m_state.traceColor, newVal, Notify::Always, [=, this] { m_state.intervals.recolor(0, newVal); });
}

HRESULT CTarget::get_TraceHeadingColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.traceHeadingColor, pVal);
}

HRESULT CTarget::put_TraceHeadingColor(OLE_COLOR newVal)
{
    return putProperty(m_state.traceHeadingColor, newVal);
}

HRESULT CTarget::get_BreachColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.breachColor, pVal);
}

HRESULT CTarget::put_BreachColor(OLE_COLOR newVal)
{
    return putProperty(m_state.breachColor, newVal);
}

HRESULT CTarget::get_SelectedBreachColor(OLE_COLOR* pVal)
{
    return getProperty(m_state.selectedBreachColor, pVal);
}

HRESULT CTarget::put_SelectedBreachColor(OLE_COLOR newVal)
{
    return putProperty(m_state.selectedBreachColor, newVal);
}

// Late binding.

HRESULT CTarget::Invoke(DISPID dispIdMember, REFIID /*riid*/, LCID /*lcid*/, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* /*exceptionInfo*/, UINT* /*argumentError*/)
{
    const PropertyEntry* entry = findProperty(dispIdMember);
    if (!entry) {
        return DISP_E_MEMBERNOTFOUND;
    }
    const UINT count = params ? params->cArgs : 0;
    if (flags & DISPATCH_PROPERTYPUT) {
        if (!entry->put) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (count < 1) {
            return DISP_E_PARAMNOTFOUND;
        }
        // Arguments come last first: the new value, then the optional position.
        LONG index = 1;
        if (count >= 2) {
            platform::com::Variant position = platform::com::Variant::copyOf(params->rgvarg[1]);
            if (FAILED(position.changeType(VT_I4))) {
                return DISP_E_TYPEMISMATCH;
            }
            index = position.get().lVal;
        }
        return entry->put(*this, index, params->rgvarg[0]);
    }
    if (flags & DISPATCH_PROPERTYGET) {
        LONG index = 1;
        if (count >= 1) {
            platform::com::Variant position = platform::com::Variant::copyOf(params->rgvarg[0]);
            if (FAILED(position.changeType(VT_I4))) {
                return DISP_E_TYPEMISMATCH;
            }
            index = position.get().lVal;
        }
        platform::com::Variant value;
        RETURN_IF_FAILED(entry->get(*this, index, value.put()));
        return value.copyTo(result);
    }
    return DISP_E_MEMBERNOTFOUND;
}

// Connection points and the host.

HRESULT CTarget::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point) {
        return E_POINTER;
    }
    *point = nullptr;
    if (riid != DIID__ITargetEvents) {
        return CONNECT_E_NOCONNECTION;
    }
    return m_eventPoint.copyTo(point);
}

HRESULT CTarget::GetWidget(QWidget** widget)
{
    if (!widget) {
        return E_POINTER;
    }
    auto guard = lock();
    *widget = m_widget.data();
    return m_widget ? S_OK : E_UNEXPECTED;
}

HRESULT CTarget::put_UserMode(VARIANT_BOOL userMode)
{
    return putProperty(m_userMode, fromVariantBool(userMode), Notify::OnChange, repaint());
}

} // namespace talvoboard
