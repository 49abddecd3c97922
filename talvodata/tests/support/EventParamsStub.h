#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComObject.h"

namespace talvodata::testing {

/// An event whose every method answers E_NOTIMPL; fakes override the few their tests need.
class EventParamsStub : public platform::com::ComObject<IEventParams> {
public:
    HRESULT get_Value(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT putref_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT get_ShortName(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_ShortName(BSTR) override { return E_NOTIMPL; }
    HRESULT get_Target(LONG, ITargetParams**) override { return E_NOTIMPL; }
    HRESULT GetTargetAppearance(LONG, VARIANT_BOOL, VARIANT_BOOL, IDispatch**) override { return E_NOTIMPL; }
    HRESULT get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_Name(BSTR) override { return E_NOTIMPL; }
    HRESULT get_Caliber(float*) override { return E_NOTIMPL; }
    HRESULT put_Caliber(float) override { return E_NOTIMPL; }
    HRESULT get_Distance(float*) override { return E_NOTIMPL; }
    HRESULT put_Distance(float) override { return E_NOTIMPL; }
    HRESULT get_MinShotsPerAiming(LONG*) override { return E_NOTIMPL; }
    HRESULT put_MinShotsPerAiming(LONG) override { return E_NOTIMPL; }
    HRESULT get_MaxShotsPerAiming(LONG*) override { return E_NOTIMPL; }
    HRESULT put_MaxShotsPerAiming(LONG) override { return E_NOTIMPL; }
    HRESULT GetPointScore(float, float, LONG, float*) override { return E_NOTIMPL; }
    HRESULT GetBreachScore(float, float, LONG, float*) override { return E_NOTIMPL; }
    HRESULT Save() override { return E_NOTIMPL; }
    HRESULT Update() override { return E_NOTIMPL; }
    HRESULT get_DisplayCaliber(float*) override { return E_NOTIMPL; }
    HRESULT put_DisplayCaliber(float) override { return E_NOTIMPL; }
    HRESULT get_TargetCount(LONG*) override { return E_NOTIMPL; }
    HRESULT GetPointArea(float, float, LONG, LONG*, float*, float*) override { return E_NOTIMPL; }
    HRESULT GetNearestArea(float, float, LONG, LONG*, float*, float*) override { return E_NOTIMPL; }
    HRESULT get_MaxShotsPerSerie(LONG*) override { return E_NOTIMPL; }
    HRESULT put_MaxShotsPerSerie(LONG) override { return E_NOTIMPL; }
    HRESULT get_ValuesCount(LONG*) override { return E_NOTIMPL; }
    HRESULT KeyValue(LONG, BSTR*, VARIANT*) override { return E_NOTIMPL; }

protected:
    ~EventParamsStub() override = default;
};

} // namespace talvodata::testing
