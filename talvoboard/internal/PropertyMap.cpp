#include "talvoboard/internal/PropertyMap.h"

#include "interfaces/talvoboard/DispIds.h"
#include "platform/com/StreamForms.h"

#include <array>

namespace talvoboard {

using platform::com::Variant;
using platform::gfx::Size;

namespace {

struct MapEntry {
    const char16_t* name;
    DISPID dispId;
};

// The order is the stream form's. "ReplayPaused" carries DISPID 45, ReplayLabel, as saved maps always have.
constexpr std::array<MapEntry, 27> kPersisted{{
    {u"EventShortName", DISPID_TARGET_EVENTSHORTNAME},
    {u"DisplayTrace", DISPID_TARGET_DISPLAYTRACE},
    {u"AutoZoom", DISPID_TARGET_AUTOZOOM},
    {u"ReplaySpeed", DISPID_TARGET_REPLAYSPEED},
    {u"Dragable", DISPID_TARGET_DRAGABLE},
    {u"Match", DISPID_TARGET_MATCH},
    {u"ReplayMarkColor", DISPID_TARGET_REPLAYMARKCOLOR},
    {u"SightingMarkColor", DISPID_TARGET_SIGHTINGMARKCOLOR},
    {u"DisplayBreach", DISPID_TARGET_DISPLAYBREACH},
    {u"DisplayReplayMark", DISPID_TARGET_DISPLAYREPLAYMARK},
    {u"Label", DISPID_TARGET_LABEL},
    {u"Zoom", DISPID_TARGET_ZOOM},
    {u"TraceHeadingLength", DISPID_TARGET_TRACEHEADINGLENGTH},
    {u"TraceHeadingColor", DISPID_TARGET_TRACEHEADINGCOLOR},
    {u"TraceColor", DISPID_TARGET_TRACECOLOR},
    {u"TraceAfterShotColor", DISPID_TARGET_TRACEAFTERSHOTCOLOR},
    {u"Selectable", DISPID_TARGET_SELECTABLE},
    {u"ShadeLabel", DISPID_TARGET_SHADELABEL},
    {u"LabelColor", DISPID_TARGET_LABELCOLOR},
    {u"DefaultBackground", DISPID_TARGET_DEFAULTBACKGROUND},
    {u"ReplayPaused", DISPID_TARGET_REPLAYLABEL},
    {u"ReplayPausedLabel", DISPID_TARGET_REPLAYPAUSEDLABEL},
    {u"TraceThickness", DISPID_TARGET_TRACETHICKNESS},
    {u"BreachColor", DISPID_TARGET_BREACHCOLOR},
    {u"SelectedBreachColor", DISPID_TARGET_SELECTEDBREACHCOLOR},
    {u"SubTarget", DISPID_TARGET_SUBTARGET},
    {u"BackColor", DISPID_TARGET_BACKCOLOR},
}};

constexpr const char16_t* kExtentWidth = u"_cx";
constexpr const char16_t* kExtentHeight = u"_cy";

HRESULT getProperty(IDispatch& control, DISPID dispId, Variant& value)
{
    DISPPARAMS none;
    return control.Invoke(dispId, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.put(), nullptr, nullptr);
}

HRESULT putProperty(IDispatch& control, DISPID dispId, const Variant& value)
{
    VARIANT argument = value.get(); // Borrowed: Invoke does not own its arguments.
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    return control.Invoke(dispId, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT writeExtent(IPropertyBag* bag, const char16_t* name, LONG value)
{
    VARIANT variant;
    variant.vt = VT_UI4;
    variant.ulVal = static_cast<ULONG>(value);
    return bag->Write(name, &variant);
}

/// A missing extent keeps `value`.
HRESULT readExtent(IPropertyBag* bag, const char16_t* name, LONG& value)
{
    Variant variant;
    VARIANT* slot = variant.put();
    slot->vt = VT_UI4; // Asks the bag for the extent's type.
    const HRESULT hr = bag->Read(name, slot, nullptr);
    if (hr == E_INVALIDARG) {
        return S_OK;
    }
    RETURN_IF_FAILED(hr);
    if (variant.type() != VT_UI4) {
        RETURN_IF_FAILED(variant.changeType(VT_UI4));
    }
    value = static_cast<LONG>(variant.get().ulVal);
    return S_OK;
}

} // namespace

HRESULT savePropertyMap(IDispatch& control, Size extent, IStream* stream)
{
    if (!stream) {
        return E_POINTER;
    }
    RETURN_IF_FAILED(platform::com::writeUInt32(stream, kPropertyMapVersion));
    RETURN_IF_FAILED(platform::com::writeInt32(stream, extent.cx));
    RETURN_IF_FAILED(platform::com::writeInt32(stream, extent.cy));
    for (const MapEntry& entry : kPersisted) {
        Variant value;
        RETURN_IF_FAILED(getProperty(control, entry.dispId, value));
        RETURN_IF_FAILED(platform::com::writeVariant(stream, value.get()));
    }
    return S_OK;
}

HRESULT loadPropertyMap(IDispatch& control, Size& extent, IStream* stream)
{
    if (!stream) {
        return E_POINTER;
    }
    std::uint32_t version = 0;
    RETURN_IF_FAILED(platform::com::readUInt32(stream, version));
    if (version > kPropertyMapVersion) {
        return E_FAIL;
    }
    Size loaded;
    RETURN_IF_FAILED(platform::com::readInt32(stream, loaded.cx));
    RETURN_IF_FAILED(platform::com::readInt32(stream, loaded.cy));
    extent = loaded;
    for (const MapEntry& entry : kPersisted) {
        Variant value;
        RETURN_IF_FAILED(platform::com::readVariant(stream, value));
        RETURN_IF_FAILED(putProperty(control, entry.dispId, value));
    }
    return S_OK;
}

HRESULT savePropertyBag(IDispatch& control, Size extent, IPropertyBag* bag)
{
    if (!bag) {
        return E_POINTER;
    }
    RETURN_IF_FAILED(writeExtent(bag, kExtentWidth, extent.cx));
    RETURN_IF_FAILED(writeExtent(bag, kExtentHeight, extent.cy));
    for (const MapEntry& entry : kPersisted) {
        Variant value;
        RETURN_IF_FAILED(getProperty(control, entry.dispId, value));
        VARIANT copy = value.get(); // Borrowed: the bag copies what it keeps.
        RETURN_IF_FAILED(bag->Write(entry.name, &copy));
    }
    return S_OK;
}

HRESULT loadPropertyBag(IDispatch& control, Size& extent, IPropertyBag* bag)
{
    if (!bag) {
        return E_POINTER;
    }
    RETURN_IF_FAILED(readExtent(bag, kExtentWidth, extent.cx));
    RETURN_IF_FAILED(readExtent(bag, kExtentHeight, extent.cy));
    for (const MapEntry& entry : kPersisted) {
        Variant value;
        const HRESULT hr = bag->Read(entry.name, value.put(), nullptr);
        if (hr == E_INVALIDARG) {
            continue;
        }
        RETURN_IF_FAILED(hr);
        RETURN_IF_FAILED(putProperty(control, entry.dispId, value));
    }
    return S_OK;
}

} // namespace talvoboard
