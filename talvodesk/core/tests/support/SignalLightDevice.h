#pragma once

#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ComObject.h"

#include <vector>

namespace talvodesk::testing {

/// A device that only has a signal light, or not, and records what the light was switched to.
class SignalLightDevice final : public platform::com::ComObject<ITalvoDevice> {
public:
    explicit SignalLightDevice(bool hasLight) : m_hasLight(hasLight) {}

    const std::vector<enumSemaphoreMode>& switched() const { return m_switched; }

    HRESULT get_SemaphoreAvailable(VARIANT_BOOL* pVal) override
    {
        *pVal = m_hasLight ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT put_Semaphore(enumSemaphoreMode newVal) override
    {
        m_switched.push_back(newVal);
        return S_OK;
    }
    HRESULT get_Semaphore(enumSemaphoreMode*) override { return E_NOTIMPL; }

    HRESULT get_CommPort(LONG*) override { return E_NOTIMPL; }
    HRESULT put_CommPort(LONG) override { return E_NOTIMPL; }
    HRESULT get_Connected(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT put_Connected(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT get_SampleRate(LONG*) override { return E_NOTIMPL; }
    HRESULT put_SampleRate(LONG) override { return E_NOTIMPL; }
    HRESULT get_EventShortName(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT put_EventShortName(LONG, BSTR) override { return E_NOTIMPL; }
    HRESULT get_Event(LONG, IEventParams**) override { return E_NOTIMPL; }
    HRESULT put_Event(LONG, IEventParams*) override { return E_NOTIMPL; }
    HRESULT get_TargetType(LONG, enumTargetType*) override { return E_NOTIMPL; }
    HRESULT put_TargetType(LONG, enumTargetType) override { return E_NOTIMPL; }
    HRESULT get_PiezoSensitivity(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT put_PiezoSensitivity(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT get_MaxTimeBeforeShot(LONG, float*) override { return E_NOTIMPL; }
    HRESULT put_MaxTimeBeforeShot(LONG, float) override { return E_NOTIMPL; }
    HRESULT get_MaxTimeAfterShot(LONG, float*) override { return E_NOTIMPL; }
    HRESULT put_MaxTimeAfterShot(LONG, float) override { return E_NOTIMPL; }
    HRESULT get_CorrectionX(LONG, float*) override { return E_NOTIMPL; }
    HRESULT put_CorrectionX(LONG, float) override { return E_NOTIMPL; }
    HRESULT get_CorrectionY(LONG, float*) override { return E_NOTIMPL; }
    HRESULT put_CorrectionY(LONG, float) override { return E_NOTIMPL; }
    HRESULT get_SignalLevel(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT get_PiezoLevel(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT get_StatTotalReceived(LONG*) override { return E_NOTIMPL; }
    HRESULT get_StatTotalInvalid(LONG*) override { return E_NOTIMPL; }
    HRESULT get_StatTotalSkipped(LONG*) override { return E_NOTIMPL; }
    HRESULT get_ModelName(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_ModelVersion(LONG*) override { return E_NOTIMPL; }
    HRESULT get_SerialNumber(BSTR*) override { return E_NOTIMPL; }
    HRESULT Reset(LONG) override { return E_NOTIMPL; }
    HRESULT ConcludeCurrentAiming(LONG) override { return E_NOTIMPL; }
    HRESULT LookupDevice(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_CalibrationMode(LONG, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT put_CalibrationMode(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT get_PulseAvailable(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_TriggerControlAvailable(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_Trigger(LONG, LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT get_SubTarget(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT put_SubTarget(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT get_PiezoRejectInterval(LONG, float*) override { return E_NOTIMPL; }
    HRESULT put_PiezoRejectInterval(LONG, float) override { return E_NOTIMPL; }
    HRESULT get_SensorPosition(LONG, enumSensorPosition*) override { return E_NOTIMPL; }
    HRESULT put_SensorPosition(LONG, enumSensorPosition) override { return E_NOTIMPL; }
    HRESULT get_DevicePath(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_DevicePath(BSTR) override { return E_NOTIMPL; }
    HRESULT AddShot(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT get_SerialNumber2(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT Data(float*, float*, float*, float*, float*, float*, float*, float*, float*) override { return E_NOTIMPL; }
    HRESULT get_FiringPoint(LONG*) override { return E_NOTIMPL; }
    HRESULT put_FiringPoint(LONG) override { return E_NOTIMPL; }
    HRESULT get_WirelessTargetDistance(float*) override { return E_NOTIMPL; }
    HRESULT put_WirelessTargetDistance(float) override { return E_NOTIMPL; }
    HRESULT get_CalibrationWanted(LONG, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_LedsBrightnessAvailable(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_LampsBrightnessAvailable(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_LedsBrightness(LONG*) override { return E_NOTIMPL; }
    HRESULT put_LedsBrightness(LONG) override { return E_NOTIMPL; }
    HRESULT get_LampsBrightness(LONG*) override { return E_NOTIMPL; }
    HRESULT put_LampsBrightness(LONG) override { return E_NOTIMPL; }
    HRESULT get_Value(LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Value(LONG, VARIANT) override { return E_NOTIMPL; }

private:
    bool m_hasLight;
    std::vector<enumSemaphoreMode> m_switched;
};

} // namespace talvodesk::testing
