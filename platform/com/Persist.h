#pragma once

#include "platform/com/Stream.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

struct IPersist : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("0000010C-0000-0000-C000-000000000046");

    virtual HRESULT GetClassID(CLSID* classId) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistStream : IPersist {
    using Base = IPersist;
    static constexpr IID kIid = platform::com::makeGuid("00000109-0000-0000-C000-000000000046");

    /// S_OK when changed since the last save, S_FALSE when not.
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
    virtual HRESULT GetSizeMax(ULONGLONG* size) = 0;

protected:
    ~IPersistStream() = default;
};

struct IPersistStreamInit : IPersist {
    using Base = IPersist;
    static constexpr IID kIid = platform::com::makeGuid("7FD52380-4E07-101B-AE2D-08002B2EC713");

    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
    virtual HRESULT GetSizeMax(ULONGLONG* size) = 0;
    virtual HRESULT InitNew() = 0;

protected:
    ~IPersistStreamInit() = default;
};
