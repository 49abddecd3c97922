#pragma once

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComObject.h"

namespace talvodata::testing {

/// Attributes that answer what ranges, shots and collections ask of them: sample rate, event, sub-target,
/// correction coefficient, match flag and the use of real breaches. `Event` fails while none is set.
class FakeAttributes final : public platform::com::ComObject<IAimingAttr> {
public:
    explicit FakeAttributes(LONG sampleRate, IEventParams* event = nullptr) : m_sampleRate(sampleRate), m_event(event)
    {
    }

    HRESULT get_SampleRate(LONG* pVal) override
    {
        *pVal = m_sampleRate;
        return S_OK;
    }
    HRESULT put_SampleRate(LONG newVal) override
    {
        m_sampleRate = newVal;
        return S_OK;
    }
    HRESULT get_Event(IEventParams** pVal) override
    {
        *pVal = nullptr;
        return m_event ? m_event.copyTo(pVal) : E_UNEXPECTED;
    }
    HRESULT put_Event(IEventParams* newVal) override
    {
        m_event = platform::com::ComPtr<IEventParams>(newVal);
        return S_OK;
    }
    HRESULT get_SubTarget(LONG* pVal) override
    {
        *pVal = m_subTarget;
        return S_OK;
    }
    HRESULT put_SubTarget(LONG newVal) override
    {
        m_subTarget = newVal;
        return S_OK;
    }
    HRESULT get_FCoefficient(LONG* pVal) override
    {
        *pVal = m_coefficient;
        return S_OK;
    }
    HRESULT put_FCoefficient(LONG newVal) override
    {
        m_coefficient = newVal;
        return S_OK;
    }
    HRESULT get_Match(VARIANT_BOOL* pVal) override
    {
        *pVal = m_match;
        return S_OK;
    }
    HRESULT put_Match(VARIANT_BOOL newVal) override
    {
        m_match = newVal == VARIANT_TRUE ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT get_UseRealBreaches(VARIANT_BOOL* pVal) override
    {
        *pVal = m_useRealBreaches;
        return S_OK;
    }
    HRESULT put_UseRealBreaches(VARIANT_BOOL newVal) override
    {
        m_useRealBreaches = newVal == VARIANT_TRUE ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HRESULT get_Value(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT putref_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT get_EnterTime(DATE*) override { return E_NOTIMPL; }
    HRESULT put_EnterTime(DATE) override { return E_NOTIMPL; }
    HRESULT get_StartTime(DATE*) override { return E_NOTIMPL; }
    HRESULT put_StartTime(DATE) override { return E_NOTIMPL; }

private:
    ~FakeAttributes() override = default;

    LONG m_sampleRate;
    platform::com::ComPtr<IEventParams> m_event;
    LONG m_subTarget = 1;
    LONG m_coefficient = 0;
    VARIANT_BOOL m_match = VARIANT_TRUE;
    VARIANT_BOOL m_useRealBreaches = VARIANT_FALSE;
};

} // namespace talvodata::testing
