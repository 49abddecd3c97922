#include "talvoboard/internal/PropertyTable.h"

#include "interfaces/talvoboard/DispIds.h"
#include "platform/com/Variant.h"

#include <algorithm>
#include <array>

namespace talvoboard {

namespace {

using platform::com::Variant;

template <typename T> struct Automation;
template <> struct Automation<VARIANT_BOOL> {
    static constexpr VARTYPE kType = VT_BOOL;
    static VARIANT_BOOL read(const VARIANT& value) { return value.boolVal; }
    static void write(VARIANT& value, VARIANT_BOOL field) { value.boolVal = field; }
};
template <> struct Automation<LONG> {
    static constexpr VARTYPE kType = VT_I4;
    static LONG read(const VARIANT& value) { return value.lVal; }
    static void write(VARIANT& value, LONG field) { value.lVal = field; }
};
// OLE_COLOR is unsigned, as its automation type VT_UI4 is.
template <> struct Automation<OLE_COLOR> {
    static constexpr VARTYPE kType = VT_UI4;
    static OLE_COLOR read(const VARIANT& value) { return value.ulVal; }
    static void write(VARIANT& value, OLE_COLOR field) { value.ulVal = field; }
};
template <> struct Automation<float> {
    static constexpr VARTYPE kType = VT_R4;
    static float read(const VARIANT& value) { return value.fltVal; }
    static void write(VARIANT& value, float field) { value.fltVal = field; }
};
template <> struct Automation<BSTR> {
    static constexpr VARTYPE kType = VT_BSTR;
    static BSTR read(const VARIANT& value) { return value.bstrVal; }
    static void write(VARIANT& value, BSTR field) { value.bstrVal = field; }
};

template <typename T> HRESULT finishGet(HRESULT hr, T field, VARIANT* value)
{
    if (FAILED(hr)) {
        return hr;
    }
    (void)VariantClear(value); // Replacing the caller's value; clearing owned storage cannot fail.
    value->vt = Automation<T>::kType;
    Automation<T>::write(*value, field);
    return S_OK;
}

template <typename T> HRESULT convert(const VARIANT& value, Variant& converted)
{
    const HRESULT hr = VariantChangeType(converted.put(), &value, 0, Automation<T>::kType);
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

template <typename T, HRESULT (ITarget::*Get)(T*)> HRESULT get(ITarget& target, LONG /*index*/, VARIANT* value)
{
    if (!value) {
        return E_POINTER;
    }
    T field{};
    const HRESULT hr = (target.*Get)(&field);
    return finishGet(hr, field, value);
}

template <typename T, HRESULT (ITarget::*Put)(T)> HRESULT put(ITarget& target, LONG /*index*/, const VARIANT& value)
{
    Variant converted;
    RETURN_IF_FAILED(convert<T>(value, converted));
    return (target.*Put)(Automation<T>::read(converted.get()));
}

HRESULT getLabel(ITarget& target, LONG index, VARIANT* value)
{
    if (!value) {
        return E_POINTER;
    }
    BSTR text = nullptr;
    const HRESULT hr = target.get_Label(index, &text);
    return finishGet(hr, text, value);
}

HRESULT putLabel(ITarget& target, LONG index, const VARIANT& value)
{
    Variant converted;
    RETURN_IF_FAILED(convert<BSTR>(value, converted));
    return target.put_Label(index, converted.get().bstrVal);
}

template <typename T, HRESULT (ITarget::*Get)(T*), HRESULT (ITarget::*Put)(T)>
constexpr PropertyEntry property(const char16_t* name, DISPID dispId)
{
    return {name, dispId, Automation<T>::kType, &get<T, Get>, &put<T, Put>};
}

template <typename T, HRESULT (ITarget::*Get)(T*)> constexpr PropertyEntry readOnly(const char16_t* name, DISPID dispId)
{
    return {name, dispId, Automation<T>::kType, &get<T, Get>, nullptr};
}

using B = VARIANT_BOOL;
using C = OLE_COLOR;
using T = ITarget;

constexpr std::array kTable{
    readOnly<LONG, &T::get_Count>(u"Count", DISPID_TARGET_COUNT),
    PropertyEntry{u"Label", DISPID_TARGET_LABEL, VT_BSTR, &getLabel, &putLabel},
    property<B, &T::get_Match, &T::put_Match>(u"Match", DISPID_TARGET_MATCH),
    property<float, &T::get_TraceHeadingLength, &T::put_TraceHeadingLength>(u"TraceHeadingLength",
                                                                            DISPID_TARGET_TRACEHEADINGLENGTH),
    property<B, &T::get_DisplayBreach, &T::put_DisplayBreach>(u"DisplayBreach", DISPID_TARGET_DISPLAYBREACH),
    property<B, &T::get_DisplayTrace, &T::put_DisplayTrace>(u"DisplayTrace", DISPID_TARGET_DISPLAYTRACE),
    property<B, &T::get_DisplayReplayMark, &T::put_DisplayReplayMark>(u"DisplayReplayMark",
                                                                      DISPID_TARGET_DISPLAYREPLAYMARK),
    property<B, &T::get_Selectable, &T::put_Selectable>(u"Selectable", DISPID_TARGET_SELECTABLE),
    property<B, &T::get_Dragable, &T::put_Dragable>(u"Dragable", DISPID_TARGET_DRAGABLE),
    property<float, &T::get_Zoom, &T::put_Zoom>(u"Zoom", DISPID_TARGET_ZOOM),
    property<B, &T::get_AutoZoom, &T::put_AutoZoom>(u"AutoZoom", DISPID_TARGET_AUTOZOOM),
    property<C, &T::get_ReplayMarkColor, &T::put_ReplayMarkColor>(u"ReplayMarkColor", DISPID_TARGET_REPLAYMARKCOLOR),
    property<C, &T::get_SightingMarkColor, &T::put_SightingMarkColor>(u"SightingMarkColor",
                                                                      DISPID_TARGET_SIGHTINGMARKCOLOR),
    property<C, &T::get_TraceAfterShotColor, &T::put_TraceAfterShotColor>(u"TraceAfterShotColor",
                                                                          DISPID_TARGET_TRACEAFTERSHOTCOLOR),
    property<C, &T::get_TraceColor, &T::put_TraceColor>(u"TraceColor", DISPID_TARGET_TRACECOLOR),
    property<C, &T::get_TraceHeadingColor, &T::put_TraceHeadingColor>(u"TraceHeadingColor",
                                                                      DISPID_TARGET_TRACEHEADINGCOLOR),
    property<B, &T::get_EnableUpdate, &T::put_EnableUpdate>(u"EnableUpdate", DISPID_TARGET_ENABLEUPDATE),
    property<LONG, &T::get_ReplaySpeed, &T::put_ReplaySpeed>(u"ReplaySpeed", DISPID_TARGET_REPLAYSPEED),
    property<float, &T::get_ReplayPosition, &T::put_ReplayPosition>(u"ReplayPosition", DISPID_TARGET_REPLAYPOSITION),
    property<B, &T::get_ReplayPaused, &T::put_ReplayPaused>(u"ReplayPaused", DISPID_TARGET_REPLAYPAUSED),
    property<BSTR, &T::get_EventShortName, &T::put_EventShortName>(u"EventShortName", DISPID_TARGET_EVENTSHORTNAME),
    property<B, &T::get_ShadeLabel, &T::put_ShadeLabel>(u"ShadeLabel", DISPID_TARGET_SHADELABEL),
    property<C, &T::get_LabelColor, &T::put_LabelColor>(u"LabelColor", DISPID_TARGET_LABELCOLOR),
    property<B, &T::get_DefaultBackground, &T::put_DefaultBackground>(u"DefaultBackground",
                                                                      DISPID_TARGET_DEFAULTBACKGROUND),
    property<BSTR, &T::get_ReplayLabel, &T::put_ReplayLabel>(u"ReplayLabel", DISPID_TARGET_REPLAYLABEL),
    property<BSTR, &T::get_ReplayPausedLabel, &T::put_ReplayPausedLabel>(u"ReplayPausedLabel",
                                                                         DISPID_TARGET_REPLAYPAUSEDLABEL),
    property<float, &T::get_TraceThickness, &T::put_TraceThickness>(u"TraceThickness", DISPID_TARGET_TRACETHICKNESS),
    property<C, &T::get_BreachColor, &T::put_BreachColor>(u"BreachColor", DISPID_TARGET_BREACHCOLOR),
    property<C, &T::get_SelectedBreachColor, &T::put_SelectedBreachColor>(u"SelectedBreachColor",
                                                                          DISPID_TARGET_SELECTEDBREACHCOLOR),
    readOnly<float, &T::get_VisibleLeft>(u"VisibleLeft", DISPID_TARGET_VISIBLELEFT),
    readOnly<float, &T::get_VisibleTop>(u"VisibleTop", DISPID_TARGET_VISIBLETOP),
    readOnly<float, &T::get_VisibleWidth>(u"VisibleWidth", DISPID_TARGET_VISIBLEWIDTH),
    readOnly<float, &T::get_VisibleHeight>(u"VisibleHeight", DISPID_TARGET_VISIBLEHEIGHT),
    property<LONG, &T::get_SubTarget, &T::put_SubTarget>(u"SubTarget", DISPID_TARGET_SUBTARGET),
    readOnly<LONG, &T::get_ElementCount>(u"ElementCount", DISPID_TARGET_ELEMENTCOUNT),
    property<C, &T::get_BackColor, &T::put_BackColor>(u"BackColor", DISPID_TARGET_BACKCOLOR),
    property<B, &T::get_DisplayScoreRings, &T::put_DisplayScoreRings>(u"DisplayScoreRings",
                                                                      DISPID_TARGET_DISPLAYSCORERINGS),
};

} // namespace

std::span<const PropertyEntry> propertyTable()
{
    return kTable;
}

const PropertyEntry* findProperty(DISPID dispId)
{
    const auto found = std::find_if(kTable.begin(), kTable.end(),
                                    [dispId](const PropertyEntry& entry) { return entry.dispId == dispId; });
    return found == kTable.end() ? nullptr : &*found;
}

} // namespace talvoboard
