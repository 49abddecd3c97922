#pragma once

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/Types.h"

#include <type_traits>

/// The root of every COM-lite interface. Interfaces name their identifier as `kIid` and their base as `Base`.
struct IUnknown {
    using Base = void;
    static constexpr IID kIid = platform::com::makeGuid("00000000-0000-0000-C000-000000000046");

    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

namespace platform::com {

template <typename I> constexpr const IID& iidOf()
{
    return I::kIid;
}

/// True when `riid` names I or one of the interfaces I derives from.
template <typename I> constexpr bool interfaceChainHas(REFIID riid)
{
    if (riid == I::kIid) {
        return true;
    }
    if constexpr (std::is_void_v<typename I::Base>) {
        return false;
    } else {
        return interfaceChainHas<typename I::Base>(riid);
    }
}

} // namespace platform::com
