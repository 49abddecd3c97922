#pragma once

#include "talvodata/PersistentObject.h"

#include "interfaces/talvodata/IAiming.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Result.h"

#include <vector>

namespace talvodata {

class CAimingAttr;
class CAimingTrace;
class CShot;

/// One aiming of a practice: its attributes, its trace and its shots. Thread rule: any thread; every method
/// holds the object's lock.
class CAiming final : public PersistentObject<IAiming> {
public:
    CAiming(platform::com::ComPtr<CAimingAttr> attributes, platform::com::ComPtr<CAimingTrace> trace);
    /// Fails when the attributes cannot be made (no event manager).
    static platform::Result<platform::com::ComPtr<CAiming>> create();

    HRESULT get_Attr(IAimingAttr** pVal) override;
    HRESULT get_Trace(IAimingTrace** pVal) override;
    HRESULT get_ShotCount(LONG* pVal) override;
    HRESULT get_Shot(LONG nShot, IShot** pVal) override;
    HRESULT AddShot(VARIANT_BOOL Missed, IShot** pVal) override;
    HRESULT Range(float First, float Last, IRange** pVal) override;
    HRESULT AddShot2(VARIANT_BOOL Missed, double microphonePhase, IShot** pVal) override;
    HRESULT get__NewEnum(IUnknown** pVal) override;

    static constexpr std::int32_t kRecordVersion = 2;

private:
    ~CAiming() override;

    const CLSID& persistentClassId() const override;
    HRESULT saveRecord(IStream* stream) override;
    HRESULT loadRecord(IStream* stream) override;

    platform::com::ComPtr<CAimingAttr> m_attributes;
    platform::com::ComPtr<CAimingTrace> m_trace;
    std::vector<platform::com::ComPtr<CShot>> m_shots;
};

} // namespace talvodata
