#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Persist.h"

#include <cstdint>

namespace talvodata::testsupport {

/// A stand-in picture: a dispatch object that stores one int32 as its record.
class FakePicture final : public platform::com::ComObject<IDispatch, IPersistStream> {
public:
    static constexpr CLSID kClassId = platform::com::makeGuid("0BE0A0C1-5E8C-4F5B-9C61-7A3D2B1E0F11");

    static platform::com::ComPtr<FakePicture> create() { return platform::com::ComPtr<FakePicture>(new FakePicture); }
    /// Enters the class into the process's class table so nested pictures can be read back.
    static void registerClass();

    std::int32_t tag = 0;

    HRESULT GetClassID(CLSID* classId) override;
    HRESULT IsDirty() override { return S_FALSE; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT GetSizeMax(ULONGLONG* /*size*/) override { return E_NOTIMPL; }

private:
    FakePicture() = default;
    ~FakePicture() override = default;
};

} // namespace talvodata::testsupport
