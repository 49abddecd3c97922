#pragma once

#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

struct ITypeInfo;

struct ISupportErrorInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("DF0B3D60-548F-101B-8E65-08002B2BD119");

    /// S_OK for the interfaces whose failures may carry error information, S_FALSE otherwise.
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

inline constexpr DWORD GUIDKIND_DEFAULT_SOURCE_DISP_IID = 1;

struct IProvideClassInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("B196B283-BAB4-101A-B69C-00AA00341D07");

    /// There are no type libraries here: E_NOTIMPL.
    virtual HRESULT GetClassInfo(ITypeInfo** typeInfo) = 0;

protected:
    ~IProvideClassInfo() = default;
};

struct IProvideClassInfo2 : IProvideClassInfo {
    using Base = IProvideClassInfo;
    static constexpr IID kIid = platform::com::makeGuid("A6BC3AC0-DBAA-11CE-9DE3-00AA004BB851");

    /// With GUIDKIND_DEFAULT_SOURCE_DISP_IID: the object's event interface.
    virtual HRESULT GetGUID(DWORD kind, GUID* guid) = 0;

protected:
    ~IProvideClassInfo2() = default;
};

namespace platform::com {

/// Answers IProvideClassInfo2 for an object whose events leave through `OutgoingIid`.
template <typename Interface, const IID& OutgoingIid> class ProvidesClassInfo : public Interface {
public:
    HRESULT GetClassInfo(ITypeInfo** typeInfo) override
    {
        if (typeInfo) {
            *typeInfo = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT GetGUID(DWORD kind, GUID* guid) override
    {
        if (!guid) {
            return E_POINTER;
        }
        *guid = GUID_NULL;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
            return E_INVALIDARG;
        }
        *guid = OutgoingIid;
        return S_OK;
    }

protected:
    ~ProvidesClassInfo() = default;
};

} // namespace platform::com
