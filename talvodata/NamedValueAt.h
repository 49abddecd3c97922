#pragma once

#include "NamedValues.h"

#include "platform/com/Types.h"

namespace talvodata {

/// The index-th (from 0) entry of a bag in key order, as `KeyValue` hands it out: E_INVALIDARG with a null
/// key and VT_EMPTY outside 0..size-1.
HRESULT namedValueAt(const NamedValues& values, LONG index, BSTR* key, VARIANT* value);

} // namespace talvodata
