#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"

namespace talvodesk {

/// The arguments of one event a sink receives, in call order (automation passes them reversed). Arguments that do not
/// convert read as 0 or none.
class EventArguments {
public:
    explicit EventArguments(const DISPPARAMS& params) : m_params(params) {}

    UINT count() const { return m_params.cArgs; }
    long integer(UINT index) const
    {
        platform::com::Variant value = platform::com::Variant::copyOf(at(index));
        return SUCCEEDED(value.changeType(VT_I4)) ? value.get().lVal : 0;
    }
    double date(UINT index) const
    {
        platform::com::Variant value = platform::com::Variant::copyOf(at(index));
        return SUCCEEDED(value.changeType(VT_R8)) ? value.get().dblVal : 0.0;
    }
    float real(UINT index) const
    {
        platform::com::Variant value = platform::com::Variant::copyOf(at(index));
        return SUCCEEDED(value.changeType(VT_R4)) ? value.get().fltVal : 0.0F;
    }
    IDispatch* object(UINT index) const
    {
        const VARIANT& value = at(index);
        return value.vt == VT_DISPATCH ? value.pdispVal : nullptr;
    }
    template <typename I> platform::com::ComPtr<I> objectAs(UINT index) const
    {
        return platform::com::ComPtr<IDispatch>(object(index)).queryInterface<I>();
    }
    platform::com::ComPtr<IAiming> aiming(UINT index) const { return objectAs<IAiming>(index); }

private:
    const VARIANT& at(UINT index) const { return m_params.rgvarg[m_params.cArgs - 1 - index]; }
    const DISPPARAMS& m_params;
};

} // namespace talvodesk
