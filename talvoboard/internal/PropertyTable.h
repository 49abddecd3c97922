#pragma once

#include "interfaces/talvoboard/ITarget.h"

#include <span>

namespace talvoboard {

/// One property of ITarget as late-bound callers and the persisted property map reach it: its name, its DISPID,
/// its automation type and typed accessors. `index` is the optional position of Label (1 when not given) and is
/// ignored by every other property. A read-only property has no put.
struct PropertyEntry {
    const char16_t* name;
    DISPID dispId;
    VARTYPE type;
    HRESULT (*get)(ITarget& target, LONG index, VARIANT* value);
    /// Converts the value to the property's type first: DISP_E_TYPEMISMATCH when it does not convert.
    HRESULT (*put)(ITarget& target, LONG index, const VARIANT& value);
};

/// Every property of ITarget of a plain type (flags, numbers, colours, texts), in DISPID order. Object properties
/// are reached through the vtable only.
std::span<const PropertyEntry> propertyTable();
/// Null when the table has no property of that DISPID.
const PropertyEntry* findProperty(DISPID dispId);

} // namespace talvoboard
