#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvolink/Enums.h"
#include "interfaces/talvolink/Guids.h"
#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

/// The device control: connects to one sensor and turns its samples into aimings and shots, announced through
/// _ITalvoDeviceEvents. nSubDevice takes 1 or 2; anything else is E_INVALIDARG. Changes a connection forbids give
/// E_UNEXPECTED, as do members that need a connected device when there is none.
struct ITalvoDevice : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvolink::IID_ITalvoDevice;

    virtual HRESULT get_CommPort(LONG* pVal) = 0;
    /// 1..256; a different port while connected: E_UNEXPECTED.
    virtual HRESULT put_CommPort(LONG newVal) = 0;
    virtual HRESULT get_Connected(VARIANT_BOOL* pVal) = 0;
    /// TRUE connects (E_FAIL with the reason in Value index 3); FALSE switches the light off and disconnects.
    virtual HRESULT put_Connected(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_SampleRate(LONG* pVal) = 0;
    /// 20..500 samples per second.
    virtual HRESULT put_SampleRate(LONG newVal) = 0;
    virtual HRESULT get_EventShortName(LONG nSubDevice, BSTR* pVal) = 0;
    /// Also sets Event from the event list; E_FAIL when no event has that short name (the name stays).
    virtual HRESULT put_EventShortName(LONG nSubDevice, BSTR newVal) = 0;
    /// Without an event, a new empty one is made and kept.
    virtual HRESULT get_Event(LONG nSubDevice, IEventParams** pVal) = 0;
    virtual HRESULT put_Event(LONG nSubDevice, IEventParams* newVal) = 0;
    virtual HRESULT get_TargetType(LONG nSubDevice, enumTargetType* pVal) = 0;
    virtual HRESULT put_TargetType(LONG nSubDevice, enumTargetType newVal) = 0;
    virtual HRESULT get_PiezoSensitivity(LONG nSubDevice, LONG* pVal) = 0;
    virtual HRESULT put_PiezoSensitivity(LONG nSubDevice, LONG newVal) = 0;
    virtual HRESULT get_MaxTimeBeforeShot(LONG nSubDevice, float* pVal) = 0;
    /// Seconds, 0.5 or more.
    virtual HRESULT put_MaxTimeBeforeShot(LONG nSubDevice, float newVal) = 0;
    virtual HRESULT get_MaxTimeAfterShot(LONG nSubDevice, float* pVal) = 0;
    /// Seconds, 0.5 or more.
    virtual HRESULT put_MaxTimeAfterShot(LONG nSubDevice, float newVal) = 0;
    /// Millimetres, kept as whole hundredths (truncated).
    virtual HRESULT get_CorrectionX(LONG nSubDevice, float* pVal) = 0;
    virtual HRESULT put_CorrectionX(LONG nSubDevice, float newVal) = 0;
    virtual HRESULT get_CorrectionY(LONG nSubDevice, float* pVal) = 0;
    virtual HRESULT put_CorrectionY(LONG nSubDevice, float newVal) = 0;
    virtual HRESULT get_SignalLevel(LONG nSubDevice, LONG* pVal) = 0;
    virtual HRESULT get_PiezoLevel(LONG nSubDevice, LONG* pVal) = 0;
    virtual HRESULT get_StatTotalReceived(LONG* pVal) = 0;
    virtual HRESULT get_StatTotalInvalid(LONG* pVal) = 0;
    virtual HRESULT get_StatTotalSkipped(LONG* pVal) = 0;
    virtual HRESULT get_ModelName(BSTR* pVal) = 0;
    virtual HRESULT get_ModelVersion(LONG* pVal) = 0;
    virtual HRESULT get_SerialNumber(BSTR* pVal) = 0;
    virtual HRESULT Reset(LONG nSubDevice) = 0;
    virtual HRESULT ConcludeCurrentAiming(LONG nSubDevice) = 0;
    /// Probes the serial port CommPort; E_UNEXPECTED while connected.
    virtual HRESULT LookupDevice(VARIANT_BOOL* bExist) = 0;
    virtual HRESULT get_Semaphore(enumSemaphoreMode* pVal) = 0;
    /// S_FALSE when the connected device has no signal light (the mode is kept).
    virtual HRESULT put_Semaphore(enumSemaphoreMode newVal) = 0;
    virtual HRESULT get_CalibrationMode(LONG nSubDevice, VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_CalibrationMode(LONG nSubDevice, VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_PulseAvailable(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_TriggerControlAvailable(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_SemaphoreAvailable(VARIANT_BOOL* pVal) = 0;
    /// index counts from 1 over the values of the last Trigger event.
    virtual HRESULT get_Trigger(LONG nSubDevice, LONG index, LONG* pVal) = 0;
    virtual HRESULT get_SubTarget(LONG nSubDevice, LONG* pVal) = 0;
    virtual HRESULT put_SubTarget(LONG nSubDevice, LONG newVal) = 0;
    virtual HRESULT get_PiezoRejectInterval(LONG nSubDevice, float* pVal) = 0;
    virtual HRESULT put_PiezoRejectInterval(LONG nSubDevice, float newVal) = 0;
    virtual HRESULT get_SensorPosition(LONG nSubDevice, enumSensorPosition* pVal) = 0;
    virtual HRESULT put_SensorPosition(LONG nSubDevice, enumSensorPosition newVal) = 0;
    virtual HRESULT get_DevicePath(BSTR* pVal) = 0;
    /// A USB device path; empty selects the serial port.
    virtual HRESULT put_DevicePath(BSTR newVal) = 0;
    virtual HRESULT AddShot(VARIANT_BOOL vbUnlimited) = 0;
    /// nDev 1..3.
    virtual HRESULT get_SerialNumber2(LONG nDev, BSTR* pVal) = 0;
    /// The current sensor state; any value may be not a number.
    virtual HRESULT Data(float* pVal1, float* pVal2, float* pVal3, float* pVal4, float* pVal5, float* pVal6,
                         float* pVal7, float* pVal8, float* pVal9) = 0;
    virtual HRESULT get_FiringPoint(LONG* pVal) = 0;
    virtual HRESULT put_FiringPoint(LONG newVal) = 0;
    virtual HRESULT get_WirelessTargetDistance(float* pVal) = 0;
    virtual HRESULT put_WirelessTargetDistance(float newVal) = 0;
    virtual HRESULT get_CalibrationWanted(LONG nSubDevice, VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_LedsBrightnessAvailable(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_LampsBrightnessAvailable(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_LedsBrightness(LONG* pVal) = 0;
    virtual HRESULT put_LedsBrightness(LONG newVal) = 0;
    virtual HRESULT get_LampsBrightness(LONG* pVal) = 0;
    virtual HRESULT put_LampsBrightness(LONG newVal) = 0;
    /// Index 3: the text of the last connection failure; other indexes belong to the device model (E_FAIL when
    /// it has no such value or nothing is connected).
    virtual HRESULT get_Value(LONG index, VARIANT* pVal) = 0;
    virtual HRESULT put_Value(LONG index, VARIANT newVal) = 0;

protected:
    ~ITalvoDevice() = default;
};
