#pragma once

#include "interfaces/talvodata/IAimingAttr.h"
#include "platform/com/ComObject.h"

namespace talvodata::testsupport {

/// Attributes that only know their sample rate, for testing traces on their own.
class FakeAimingAttr final : public platform::com::ComObject<IAimingAttr> {
public:
    explicit FakeAimingAttr(LONG sampleRate) : m_sampleRate(sampleRate) {}

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

    HRESULT get_Value(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT putref_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT get_FCoefficient(LONG*) override { return E_NOTIMPL; }
    HRESULT put_FCoefficient(LONG) override { return E_NOTIMPL; }
    HRESULT get_Event(IEventParams**) override { return E_NOTIMPL; }
    HRESULT put_Event(IEventParams*) override { return E_NOTIMPL; }
    HRESULT get_Match(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT put_Match(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT get_EnterTime(DATE*) override { return E_NOTIMPL; }
    HRESULT put_EnterTime(DATE) override { return E_NOTIMPL; }
    HRESULT get_StartTime(DATE*) override { return E_NOTIMPL; }
    HRESULT put_StartTime(DATE) override { return E_NOTIMPL; }
    HRESULT get_UseRealBreaches(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT put_UseRealBreaches(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT get_SubTarget(LONG*) override { return E_NOTIMPL; }
    HRESULT put_SubTarget(LONG) override { return E_NOTIMPL; }

private:
    ~FakeAimingAttr() override = default;
    LONG m_sampleRate;
};

} // namespace talvodata::testsupport
