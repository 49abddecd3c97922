#pragma once

#include "talvodata/NamedValueProperty.h"
#include "talvodata/PersistentObject.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Result.h"

namespace talvodata {

/// What is known of one aiming as a whole. It stores its event by short name and finds it again through the
/// process's event manager when loaded. Thread rule: any thread; every method holds the object's lock.
class CAimingAttr final : public NamedValueProperty<PersistentObject<IAimingAttr>> {
public:
    explicit CAimingAttr(platform::com::ComPtr<IEventManager> events);
    /// Fails when the event manager cannot be made.
    static platform::Result<platform::com::ComPtr<CAimingAttr>> create();

    HRESULT get_FCoefficient(LONG* pVal) override;
    HRESULT put_FCoefficient(LONG newVal) override;
    HRESULT get_Event(IEventParams** pVal) override;
    HRESULT put_Event(IEventParams* newVal) override;
    HRESULT get_Match(VARIANT_BOOL* pVal) override;
    HRESULT put_Match(VARIANT_BOOL newVal) override;
    HRESULT get_SampleRate(LONG* pVal) override;
    HRESULT put_SampleRate(LONG newVal) override;
    HRESULT get_EnterTime(DATE* pVal) override;
    HRESULT put_EnterTime(DATE newVal) override;
    HRESULT get_StartTime(DATE* pVal) override;
    HRESULT put_StartTime(DATE newVal) override;
    HRESULT get_UseRealBreaches(VARIANT_BOOL* pVal) override;
    HRESULT put_UseRealBreaches(VARIANT_BOOL newVal) override;
    HRESULT get_SubTarget(LONG* pVal) override;
    HRESULT put_SubTarget(LONG newVal) override;

    static constexpr std::int32_t kRecordVersion = 3;

private:
    ~CAimingAttr() override = default;

    const CLSID& persistentClassId() const override;
    /// E_UNEXPECTED without an event: the record names its event and could not be read back.
    HRESULT saveRecord(IStream* stream) override;
    HRESULT loadRecord(IStream* stream) override;

    platform::com::ComPtr<IEventManager> m_events;
    platform::com::ComPtr<IEventParams> m_event;
    bool m_match = true;
    std::int32_t m_sampleRate = 0;
    DATE m_startTime = 0;
    DATE m_enterTime = 0;
    std::int32_t m_fCoefficient = 0;
    bool m_useRealBreaches = false;
    std::int32_t m_subTarget = 1;
};

} // namespace talvodata
