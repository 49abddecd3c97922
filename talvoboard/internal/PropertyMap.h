#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/PropertyBag.h"
#include "platform/com/Stream.h"
#include "platform/gfx/Geometry.h"

namespace talvoboard {

/// The version word that leads the stream form; newer streams are refused.
inline constexpr std::uint32_t kPropertyMapVersion = 0x0800;

// The persisted properties of the control: its extent ("_cx", "_cy", HIMETRIC) and a fixed list of properties,
// each read through the control's own IDispatch on save and written back through it on load, so loading runs the
// setters' rules. The stream form is the version word, the extent as two raw int32 values, then every property
// as a variant (u16 type, then its value); the bag form keeps the same names and values.

HRESULT savePropertyMap(IDispatch& control, platform::gfx::Size extent, IStream* stream);
/// E_FAIL for a newer version or a short stream; a property the control refuses fails the load with its code.
/// Properties before the failure stay loaded.
HRESULT loadPropertyMap(IDispatch& control, platform::gfx::Size& extent, IStream* stream);

HRESULT savePropertyBag(IDispatch& control, platform::gfx::Size extent, IPropertyBag* bag);
/// Names missing from the bag keep their values.
HRESULT loadPropertyBag(IDispatch& control, platform::gfx::Size& extent, IPropertyBag* bag);

} // namespace talvoboard
