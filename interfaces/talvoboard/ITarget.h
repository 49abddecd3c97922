#pragma once

#include "interfaces/talvoboard/Enums.h"
#include "interfaces/talvoboard/Guids.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/ITargetElement.h"
#include "platform/com/Dispatch.h"

/// The target display control: one event's face with the breaches and traces of the aimings added to it, its own
/// elements, two labels, a sighting mark and a replay. Slots follow the DISPIDs (DispIds.h). Coordinates are
/// single-precision millimetres from the target centre, colours OLE colours, booleans VARIANT_BOOLs of which a put
/// takes only -1 as true. "Refresh" means: repaint now, or remember it while EnableUpdate is off.
struct ITarget : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvoboard::IID_ITarget;

    /// Aimings count from 1; outside 1..Count: E_INVALIDARG.
    virtual HRESULT get_Item(LONG nIndex, IAiming** pVal) = 0;
    /// E_INVALIDARG while no event is set.
    virtual HRESULT get_Event(IEventParams** pVal) = 0;
    /// Null: E_INVALIDARG, the former event stays. Sizes the face from the event's first target.
    virtual HRESULT put_Event(IEventParams* newVal) = 0;
    virtual HRESULT get_Count(LONG* pVal) = 0;
    /// Position 1 is bottom left, 2 bottom right; any other: E_INVALIDARG.
    virtual HRESULT get_Label(LONG nPosition, BSTR* pVal) = 0;
    virtual HRESULT put_Label(LONG nPosition, BSTR newVal) = 0;
    virtual HRESULT get_Match(VARIANT_BOOL* pVal) = 0;
    /// FALSE shows the sighting mark.
    virtual HRESULT put_Match(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_TraceHeadingLength(float* pVal) = 0;
    /// Seconds; below 0: E_INVALIDARG.
    virtual HRESULT put_TraceHeadingLength(float newVal) = 0;
    virtual HRESULT get_DisplayBreach(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_DisplayBreach(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_DisplayTrace(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_DisplayTrace(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_DisplayReplayMark(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_DisplayReplayMark(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_Selectable(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_Selectable(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_Dragable(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_Dragable(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_Zoom(float* pVal) = 0;
    /// 0..10, else E_INVALIDARG. Level n frames ring n; 0 shows the face; the event's "_zoom_" values override.
    virtual HRESULT put_Zoom(float newVal) = 0;
    virtual HRESULT get_AutoZoom(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_AutoZoom(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_ReplayMarkColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_ReplayMarkColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_SightingMarkColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_SightingMarkColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_TraceAfterShotColor(OLE_COLOR* pVal) = 0;
    /// Also recolours the second colour interval.
    virtual HRESULT put_TraceAfterShotColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_TraceColor(OLE_COLOR* pVal) = 0;
    /// Also recolours the first colour interval.
    virtual HRESULT put_TraceColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_TraceHeadingColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_TraceHeadingColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_EnableUpdate(VARIANT_BOOL* pVal) = 0;
    /// While FALSE, redraws are only remembered; TRUE does a remembered one at once.
    virtual HRESULT put_EnableUpdate(VARIANT_BOOL newVal) = 0;
    virtual HRESULT Clear() = 0;
    /// Null: E_INVALIDARG. An aiming already held is not added twice.
    virtual HRESULT Add(IAiming* pAiming) = 0;
    /// Null out pointer: E_INVALIDARG.
    virtual HRESULT get_SelectedAiming(IAiming** pVal) = 0;
    virtual HRESULT get_SelectedShot(IShot** pVal) = 0;
    /// Null, or a shot no added aiming holds, clears the selection. No event is raised.
    virtual HRESULT put_SelectedShot(IShot* newVal) = 0;
    virtual HRESULT ZoomToFit(VARIANT_BOOL vbSquare) = 0;
    /// Narrower or lower than the smallest ring: E_INVALIDARG.
    virtual HRESULT ZoomTo(float Left, float Top, float Width, float Height) = 0;
    virtual HRESULT ResetIntervals() = 0;
    /// Seconds relative to each shot; a later interval wins where intervals overlap.
    virtual HRESULT AddTraceInterval(float secStart, float secEnd, OLE_COLOR color) = 0;
    /// Draws what a growing aiming added since it was last drawn. An aiming not held: S_OK, nothing.
    virtual HRESULT UpdateAiming(IAiming* pAiming) = 0;
    virtual HRESULT SetShotCorrection(IShot* pShot, float dx, float dy) = 0;
    /// A new picture of the current drawing: an enhanced-metafile picture or a bitmap picture.
    virtual HRESULT GetImage(VARIANT_BOOL Metafile, IDispatch** Image) = 0;
    virtual HRESULT get_ReplaySpeed(LONG* pVal) = 0;
    /// Percent of real time, 10..300, else E_INVALIDARG.
    virtual HRESULT put_ReplaySpeed(LONG newVal) = 0;
    /// Seconds relative to the replay shot; 0 without a replay.
    virtual HRESULT get_ReplayPosition(float* pVal) = 0;
    virtual HRESULT put_ReplayPosition(float newVal) = 0;
    virtual HRESULT get_ReplayAiming(IAiming** pVal) = 0;
    virtual HRESULT put_ReplayAiming(IAiming* newVal) = 0;
    virtual HRESULT get_ReplayShot(IShot** pVal) = 0;
    /// A shot the replay aiming does not hold (or no replay aiming): E_INVALIDARG.
    virtual HRESULT put_ReplayShot(IShot* newVal) = 0;
    virtual HRESULT get_ReplayPaused(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_ReplayPaused(VARIANT_BOOL newVal) = 0;
    /// The name last given, not the name of an event set through Event.
    virtual HRESULT get_EventShortName(BSTR* pVal) = 0;
    /// Keeps the name and selects the event of that short name when the event manager knows one.
    virtual HRESULT put_EventShortName(BSTR newVal) = 0;
    virtual HRESULT get_ShadeLabel(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_ShadeLabel(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_LabelColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_LabelColor(OLE_COLOR newVal) = 0;
    virtual HRESULT Refresh() = 0;
    virtual HRESULT get_DefaultBackground(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_DefaultBackground(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_ReplayLabel(BSTR* pVal) = 0;
    virtual HRESULT put_ReplayLabel(BSTR newVal) = 0;
    virtual HRESULT get_ReplayPausedLabel(BSTR* pVal) = 0;
    virtual HRESULT put_ReplayPausedLabel(BSTR newVal) = 0;
    virtual HRESULT get_TraceThickness(float* pVal) = 0;
    /// Millimetres; negative takes the face's thickness, 0 draws hairlines.
    virtual HRESULT put_TraceThickness(float newVal) = 0;
    virtual HRESULT get_BreachColor(OLE_COLOR* pVal) = 0;
    /// 0 takes the face's colour.
    virtual HRESULT put_BreachColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_SelectedBreachColor(OLE_COLOR* pVal) = 0;
    /// 0 takes the face's colour.
    virtual HRESULT put_SelectedBreachColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_VisibleLeft(float* pVal) = 0;
    virtual HRESULT get_VisibleTop(float* pVal) = 0;
    virtual HRESULT get_VisibleWidth(float* pVal) = 0;
    virtual HRESULT get_VisibleHeight(float* pVal) = 0;
    virtual HRESULT get_SubTarget(LONG* pVal) = 0;
    virtual HRESULT put_SubTarget(LONG newVal) = 0;
    /// A new element of the document model's TargetElement class, drawn by the control. Null out pointer: E_POINTER.
    virtual HRESULT AddElement(enumTargetElementType Type, float Left, float Top, float Width, float Height,
                               ITargetElement** ppElement) = 0;
    /// Elements count from 1; outside 1..ElementCount: E_INVALIDARG.
    virtual HRESULT get_Elements(LONG index, ITargetElement** pVal) = 0;
    virtual HRESULT get_ElementCount(LONG* pVal) = 0;
    virtual HRESULT ClearElements() = 0;
    virtual HRESULT get_BackColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_BackColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_DisplayScoreRings(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_DisplayScoreRings(VARIANT_BOOL newVal) = 0;

protected:
    ~ITarget() = default;
};
