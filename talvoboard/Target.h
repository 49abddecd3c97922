#pragma once

#include "talvoboard/TargetWindow.h"
#include "talvoboard/internal/TargetState.h"

#include "interfaces/talvoboard/ITarget.h"
#include "interfaces/talvoboard/_ITargetEvents.h"
#include "interfaces/talvodata/IEventManager.h"
#include "platform/com/ClassInfo.h"
#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Persist.h"
#include "platform/com/PropertyBag.h"
#include "platform/com/Result.h"
#include "platform/gfx/Geometry.h"
#include "platform/kernel/OwnerThread.h"

#include <QPointer>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::gfx {
class DrawContext;
}

namespace talvoboard {

class TargetWidget;
class TargetDrawSurface;
class TargetMouseBinding;
class TargetReplayBinding;
struct TargetOverlay;

/// The target display control: one event's face with the aimings added to it, drawn in its own widget. It persists
/// its property map to streams and property bags and sends _ITargetEvents to advised sinks. Sinks are held until
/// they unadvise or the control goes; the widget only observes the control, so releasing the control frees it all.
/// Thread rule: owner (user-interface) thread only.
class CTarget final
    : public platform::com::ComObject<ITarget, IPersistStreamInit, IPersistPropertyBag, IConnectionPointContainer,
                                      platform::com::ProvidesClassInfo<IProvideClassInfo2, DIID__ITargetEvents>,
                                      ITargetWindow> {
public:
    /// Fails when the document model's event manager cannot be made.
    static platform::Result<platform::com::ComPtr<CTarget>> create();

    // ITarget
    HRESULT get_Item(LONG nIndex, IAiming** pVal) override;
    HRESULT get_Event(IEventParams** pVal) override;
    HRESULT put_Event(IEventParams* newVal) override;
    HRESULT get_Count(LONG* pVal) override;
    HRESULT get_Label(LONG nPosition, BSTR* pVal) override;
    HRESULT put_Label(LONG nPosition, BSTR newVal) override;
    HRESULT get_Match(VARIANT_BOOL* pVal) override;
    HRESULT put_Match(VARIANT_BOOL newVal) override;
    HRESULT get_TraceHeadingLength(float* pVal) override;
    HRESULT put_TraceHeadingLength(float newVal) override;
    HRESULT get_DisplayBreach(VARIANT_BOOL* pVal) override;
    HRESULT put_DisplayBreach(VARIANT_BOOL newVal) override;
    HRESULT get_DisplayTrace(VARIANT_BOOL* pVal) override;
    HRESULT put_DisplayTrace(VARIANT_BOOL newVal) override;
    HRESULT get_DisplayReplayMark(VARIANT_BOOL* pVal) override;
    HRESULT put_DisplayReplayMark(VARIANT_BOOL newVal) override;
    HRESULT get_Selectable(VARIANT_BOOL* pVal) override;
    HRESULT put_Selectable(VARIANT_BOOL newVal) override;
    HRESULT get_Dragable(VARIANT_BOOL* pVal) override;
    HRESULT put_Dragable(VARIANT_BOOL newVal) override;
    HRESULT get_Zoom(float* pVal) override;
    HRESULT put_Zoom(float newVal) override;
    HRESULT get_AutoZoom(VARIANT_BOOL* pVal) override;
    HRESULT put_AutoZoom(VARIANT_BOOL newVal) override;
    HRESULT get_ReplayMarkColor(OLE_COLOR* pVal) override;
    HRESULT put_ReplayMarkColor(OLE_COLOR newVal) override;
    HRESULT get_SightingMarkColor(OLE_COLOR* pVal) override;
    HRESULT put_SightingMarkColor(OLE_COLOR newVal) override;
    HRESULT get_TraceAfterShotColor(OLE_COLOR* pVal) override;
    HRESULT put_TraceAfterShotColor(OLE_COLOR newVal) override;
    HRESULT get_TraceColor(OLE_COLOR* pVal) override;
    HRESULT put_TraceColor(OLE_COLOR newVal) override;
    HRESULT get_TraceHeadingColor(OLE_COLOR* pVal) override;
    HRESULT put_TraceHeadingColor(OLE_COLOR newVal) override;
    HRESULT get_EnableUpdate(VARIANT_BOOL* pVal) override;
    HRESULT put_EnableUpdate(VARIANT_BOOL newVal) override;
    HRESULT Clear() override;
    HRESULT Add(IAiming* pAiming) override;
    HRESULT get_SelectedAiming(IAiming** pVal) override;
    HRESULT get_SelectedShot(IShot** pVal) override;
    HRESULT put_SelectedShot(IShot* newVal) override;
    HRESULT ZoomToFit(VARIANT_BOOL vbSquare) override;
    HRESULT ZoomTo(float Left, float Top, float Width, float Height) override;
    HRESULT ResetIntervals() override;
    HRESULT AddTraceInterval(float secStart, float secEnd, OLE_COLOR color) override;
    HRESULT UpdateAiming(IAiming* pAiming) override;
    HRESULT SetShotCorrection(IShot* pShot, float dx, float dy) override;
    HRESULT GetImage(VARIANT_BOOL Metafile, IDispatch** Image) override;
    HRESULT get_ReplaySpeed(LONG* pVal) override;
    HRESULT put_ReplaySpeed(LONG newVal) override;
    HRESULT get_ReplayPosition(float* pVal) override;
    HRESULT put_ReplayPosition(float newVal) override;
    HRESULT get_ReplayAiming(IAiming** pVal) override;
    HRESULT put_ReplayAiming(IAiming* newVal) override;
    HRESULT get_ReplayShot(IShot** pVal) override;
    HRESULT put_ReplayShot(IShot* newVal) override;
    HRESULT get_ReplayPaused(VARIANT_BOOL* pVal) override;
    HRESULT put_ReplayPaused(VARIANT_BOOL newVal) override;
    HRESULT get_EventShortName(BSTR* pVal) override;
    HRESULT put_EventShortName(BSTR newVal) override;
    HRESULT get_ShadeLabel(VARIANT_BOOL* pVal) override;
    HRESULT put_ShadeLabel(VARIANT_BOOL newVal) override;
    HRESULT get_LabelColor(OLE_COLOR* pVal) override;
    HRESULT put_LabelColor(OLE_COLOR newVal) override;
    HRESULT Refresh() override;
    HRESULT get_DefaultBackground(VARIANT_BOOL* pVal) override;
    HRESULT put_DefaultBackground(VARIANT_BOOL newVal) override;
    HRESULT get_ReplayLabel(BSTR* pVal) override;
    HRESULT put_ReplayLabel(BSTR newVal) override;
    HRESULT get_ReplayPausedLabel(BSTR* pVal) override;
    HRESULT put_ReplayPausedLabel(BSTR newVal) override;
    HRESULT get_TraceThickness(float* pVal) override;
    HRESULT put_TraceThickness(float newVal) override;
    HRESULT get_BreachColor(OLE_COLOR* pVal) override;
    HRESULT put_BreachColor(OLE_COLOR newVal) override;
    HRESULT get_SelectedBreachColor(OLE_COLOR* pVal) override;
    HRESULT put_SelectedBreachColor(OLE_COLOR newVal) override;
    HRESULT get_VisibleLeft(float* pVal) override;
    HRESULT get_VisibleTop(float* pVal) override;
    HRESULT get_VisibleWidth(float* pVal) override;
    HRESULT get_VisibleHeight(float* pVal) override;
    HRESULT get_SubTarget(LONG* pVal) override;
    HRESULT put_SubTarget(LONG newVal) override;
    HRESULT AddElement(enumTargetElementType Type, float Left, float Top, float Width, float Height,
                       ITargetElement** ppElement) override;
    HRESULT get_Elements(LONG index, ITargetElement** pVal) override;
    HRESULT get_ElementCount(LONG* pVal) override;
    HRESULT ClearElements() override;
    HRESULT get_BackColor(OLE_COLOR* pVal) override;
    HRESULT put_BackColor(OLE_COLOR newVal) override;
    HRESULT get_DisplayScoreRings(VARIANT_BOOL* pVal) override;
    HRESULT put_DisplayScoreRings(VARIANT_BOOL newVal) override;

    /// Late-bound gets and puts of the plain-typed properties (PropertyTable.h); anything else:
    /// DISP_E_MEMBERNOTFOUND.
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exceptionInfo, UINT* argumentError) override;

    // IPersistStreamInit and IPersistPropertyBag
    HRESULT GetClassID(CLSID* classId) override;
    /// S_OK when the persisted form differs from the last one saved or loaded.
    HRESULT IsDirty() override;
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT GetSizeMax(ULONGLONG* size) override;
    HRESULT InitNew() override;
    HRESULT Load(IPropertyBag* bag, IErrorLog* errorLog) override;
    HRESULT Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAllProperties) override;

    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // ITargetWindow
    HRESULT GetWidget(QWidget** widget) override;
    HRESULT put_UserMode(VARIANT_BOOL userMode) override;

private:
    explicit CTarget(platform::com::ComPtr<IEventManager> events);
    ~CTarget() override;

    /// Repaints, or remembers it while updates are off.
    void refresh();
    /// The window's surface: its client rectangle and the visible rectangle.
    TargetDrawSurface windowSurface() const;
    /// Sets the visible rectangle, refreshing when it changed.
    void showRectangle(const platform::gfx::Rect& visible);
    HRESULT zoomTo(float left, float top, float width, float height);
    void zoomToFit(bool square);
    /// The replay and the mouse feedback as they are now.
    TargetOverlay overlay() const;
    /// The whole drawing into `bounds`: background, face and every pass.
    void paint(platform::gfx::DrawContext& context, const platform::gfx::Rect& bounds);
    /// The extent in HIMETRIC, following the widget's size; a new control's is 5080 x 5080.
    platform::gfx::Size extent();
    /// Takes a loaded extent and sizes the widget to it.
    void setExtent(platform::gfx::Size himetric);
    /// The stream form of the persisted properties now.
    HRESULT persistedForm(std::vector<std::uint8_t>& bytes);
    void rememberPersisted();

    /// The hook of puts that change what is drawn.
    auto repaint()
    {
        return [this] { refresh(); };
    }

    platform::kernel::OwnerThread m_ownerThread;
    TargetState m_state;
    platform::com::ComPtr<IEventManager> m_events;
    platform::com::ComPtr<platform::com::ConnectionPoint> m_eventPoint;
    platform::gfx::Size m_extent{5080, 5080};
    bool m_userMode = true;
    std::vector<std::uint8_t> m_persisted;
    // Made by the control; a host that parents it hands it to the parent, so it is observed, not owned.
    QPointer<TargetWidget> m_widget;
    // After the state and the widget, which they observe.
    std::unique_ptr<TargetReplayBinding> m_replay;
    std::unique_ptr<TargetMouseBinding> m_mouse;
};

} // namespace talvoboard
