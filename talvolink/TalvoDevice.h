#pragma once

#include "talvolink/DeviceFactory.h"
#include "talvolink/DeviceHost.h"
#include "talvolink/DeviceRecord.h"

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Result.h"
#include "platform/kernel/OwnerThread.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace platform::time {
class Clock;
}

namespace talvolink {

class CGenericTalvo;

/// The device control: keeps the settings of the sensor link, picks and owns the device model while connected,
/// and fires the model's aimings and shots to the advised _ITalvoDeviceEvents sinks.
/// Thread rule: owner thread (the thread that created it); its models post from their reader threads to it.
class CTalvoDevice final : public platform::com::ComObject<ITalvoDevice, IConnectionPointContainer>, public DeviceHost {
public:
    /// With the real devices and the system clock.
    static platform::Result<platform::com::ComPtr<CTalvoDevice>> create();
    /// With the given devices and clock; the clock must outlive the control.
    static platform::Result<platform::com::ComPtr<CTalvoDevice>> create(std::unique_ptr<DeviceFactory> factory,
                                                                        platform::time::Clock& clock);

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // ITalvoDevice
    HRESULT get_CommPort(LONG* pVal) override;
    HRESULT put_CommPort(LONG newVal) override;
    HRESULT get_Connected(VARIANT_BOOL* pVal) override;
    HRESULT put_Connected(VARIANT_BOOL newVal) override;
    HRESULT get_SampleRate(LONG* pVal) override;
    HRESULT put_SampleRate(LONG newVal) override;
    HRESULT get_EventShortName(LONG nSubDevice, BSTR* pVal) override;
    HRESULT put_EventShortName(LONG nSubDevice, BSTR newVal) override;
    HRESULT get_Event(LONG nSubDevice, IEventParams** pVal) override;
    HRESULT put_Event(LONG nSubDevice, IEventParams* newVal) override;
    HRESULT get_TargetType(LONG nSubDevice, enumTargetType* pVal) override;
    HRESULT put_TargetType(LONG nSubDevice, enumTargetType newVal) override;
    HRESULT get_PiezoSensitivity(LONG nSubDevice, LONG* pVal) override;
    HRESULT put_PiezoSensitivity(LONG nSubDevice, LONG newVal) override;
    HRESULT get_MaxTimeBeforeShot(LONG nSubDevice, float* pVal) override;
    HRESULT put_MaxTimeBeforeShot(LONG nSubDevice, float newVal) override;
    HRESULT get_MaxTimeAfterShot(LONG nSubDevice, float* pVal) override;
    HRESULT put_MaxTimeAfterShot(LONG nSubDevice, float newVal) override;
    HRESULT get_CorrectionX(LONG nSubDevice, float* pVal) override;
    HRESULT put_CorrectionX(LONG nSubDevice, float newVal) override;
    HRESULT get_CorrectionY(LONG nSubDevice, float* pVal) override;
    HRESULT put_CorrectionY(LONG nSubDevice, float newVal) override;
    HRESULT get_SignalLevel(LONG nSubDevice, LONG* pVal) override;
    HRESULT get_PiezoLevel(LONG nSubDevice, LONG* pVal) override;
    HRESULT get_StatTotalReceived(LONG* pVal) override;
    HRESULT get_StatTotalInvalid(LONG* pVal) override;
    HRESULT get_StatTotalSkipped(LONG* pVal) override;
    HRESULT get_ModelName(BSTR* pVal) override;
    HRESULT get_ModelVersion(LONG* pVal) override;
    HRESULT get_SerialNumber(BSTR* pVal) override;
    HRESULT Reset(LONG nSubDevice) override;
    HRESULT ConcludeCurrentAiming(LONG nSubDevice) override;
    HRESULT LookupDevice(VARIANT_BOOL* bExist) override;
    HRESULT get_Semaphore(enumSemaphoreMode* pVal) override;
    HRESULT put_Semaphore(enumSemaphoreMode newVal) override;
    HRESULT get_CalibrationMode(LONG nSubDevice, VARIANT_BOOL* pVal) override;
    HRESULT put_CalibrationMode(LONG nSubDevice, VARIANT_BOOL newVal) override;
    HRESULT get_PulseAvailable(VARIANT_BOOL* pVal) override;
    HRESULT get_TriggerControlAvailable(VARIANT_BOOL* pVal) override;
    HRESULT get_SemaphoreAvailable(VARIANT_BOOL* pVal) override;
    HRESULT get_Trigger(LONG nSubDevice, LONG index, LONG* pVal) override;
    HRESULT get_SubTarget(LONG nSubDevice, LONG* pVal) override;
    HRESULT put_SubTarget(LONG nSubDevice, LONG newVal) override;
    HRESULT get_PiezoRejectInterval(LONG nSubDevice, float* pVal) override;
    HRESULT put_PiezoRejectInterval(LONG nSubDevice, float newVal) override;
    HRESULT get_SensorPosition(LONG nSubDevice, enumSensorPosition* pVal) override;
    HRESULT put_SensorPosition(LONG nSubDevice, enumSensorPosition newVal) override;
    HRESULT get_DevicePath(BSTR* pVal) override;
    HRESULT put_DevicePath(BSTR newVal) override;
    HRESULT AddShot(VARIANT_BOOL vbUnlimited) override;
    HRESULT get_SerialNumber2(LONG nDev, BSTR* pVal) override;
    HRESULT Data(float* pVal1, float* pVal2, float* pVal3, float* pVal4, float* pVal5, float* pVal6, float* pVal7,
                 float* pVal8, float* pVal9) override;
    HRESULT get_FiringPoint(LONG* pVal) override;
    HRESULT put_FiringPoint(LONG newVal) override;
    HRESULT get_WirelessTargetDistance(float* pVal) override;
    HRESULT put_WirelessTargetDistance(float newVal) override;
    HRESULT get_CalibrationWanted(LONG nSubDevice, VARIANT_BOOL* pVal) override;
    HRESULT get_LedsBrightnessAvailable(VARIANT_BOOL* pVal) override;
    HRESULT get_LampsBrightnessAvailable(VARIANT_BOOL* pVal) override;
    HRESULT get_LedsBrightness(LONG* pVal) override;
    HRESULT put_LedsBrightness(LONG newVal) override;
    HRESULT get_LampsBrightness(LONG* pVal) override;
    HRESULT put_LampsBrightness(LONG newVal) override;
    HRESULT get_Value(LONG index, VARIANT* pVal) override;
    HRESULT put_Value(LONG index, VARIANT newVal) override;

    // DeviceHost
    LONG sampleRate() const override { return m_sampleRate.load(); }
    void setSampleRate(LONG samplesPerSecond) override { m_sampleRate.store(samplesPerSecond); }
    const SubDeviceSettings& subDevice(LONG nSubDevice) const override;
    void setCalibrationWanted(LONG nSubDevice, bool wanted) override;
    void setCorrection(LONG nSubDevice, LONG x, LONG y) override;
    LONG firingPoint() const override { return m_firingPoint; }
    DeviceInformation& deviceInformation() override { return m_information; }
    void setLastErrorText(std::string text) override { m_lastErrorText = std::move(text); }
    platform::time::Clock& clock() const override { return m_clock; }
    void fireStartAiming(LONG nSubDevice, IAiming* aiming) override;
    void fireNewCoordinates(LONG nSubDevice, IAiming* aiming, LONG count) override;
    void fireShot(LONG nSubDevice, IAiming* aiming, IShot* shot) override;
    void fireConcludeAiming(LONG nSubDevice, IAiming* aiming) override;
    void fireFinalConcludeAiming(LONG nSubDevice) override;
    void firePulseChanged(LONG nSubDevice, LONG pulse) override;
    void fireTrigger(LONG nSubDevice, LONG count) override;
    void fireHeartBeat(LONG nSubDevice, DATE dateMin, DATE dateMax) override;
    void fireDisconnected() override;
    void fireReconnected() override;
    void fireTimeout(LONG seconds) override;
    void beginDispatch() override;
    void endDispatch() override;

private:
    /// A setting of one sub-device; E_INVALIDARG for an unknown sub-device, E_POINTER for a null out-pointer.
    template <typename Out, typename Read> HRESULT subDeviceProperty(LONG nSubDevice, Out* pVal, Read read);
    /// A time before or after the shot: E_INVALIDARG below the minimum, for NaN or infinity.
    HRESULT putTraceTime(LONG nSubDevice, float seconds, float SubDeviceSettings::*time);
    /// A property the connected model answers; E_UNEXPECTED while none is connected.
    template <typename Value, typename Out> HRESULT modelProperty(Value (CGenericTalvo::*query)(), Out* pVal);
    /// Stores a setting of one sub-device and calls `tell()`; E_INVALIDARG for an unknown sub-device.
    template <typename T, typename Tell>
    HRESULT putSubDevice(LONG nSubDevice, T SubDeviceSettings::*field, std::type_identity_t<T> value, Tell tell);
    template <typename T>
    HRESULT putSubDevice(LONG nSubDevice, T SubDeviceSettings::*field, std::type_identity_t<T> value);
    /// The hook of puts the connected model takes as well: calls `method` with `args` on it, if any.
    template <typename Method, typename... Args> auto toModel(Method method, Args... args);
    /// A reading of the connected model; 0 while none is connected.
    template <typename Read, typename... Args> HRESULT modelReading(LONG* pVal, Read read, Args... args);
    struct SubDevice {
        platform::com::Bstr eventShortName = platform::com::Bstr::empty();
        SubDeviceSettings settings;
    };
    class EventScope;

    CTalvoDevice(std::unique_ptr<DeviceFactory> factory, platform::time::Clock& clock,
                 platform::com::ComPtr<IEventManager> eventManager);
    ~CTalvoDevice() override;

    /// Null for an nSubDevice other than 1 or 2.
    SubDevice* subDeviceAt(LONG nSubDevice);
    HRESULT connect();
    /// Retires the model: closed at once outside a dispatch, else when the outermost dispatch ends.
    void disconnect();
    void closeRetiredModels();
    platform::Result<std::unique_ptr<CGenericTalvo>> createModel();
    platform::Result<std::unique_ptr<CGenericTalvo>> createSerialModel();
    HRESULT serialNumberText(LONG slot, BSTR* pVal) const;
    void fire(DISPID dispId, std::vector<platform::com::Variant> arguments) const;

    platform::kernel::OwnerThread m_ownerThread;
    std::unique_ptr<DeviceFactory> m_factory;
    platform::time::Clock& m_clock;
    platform::com::ComPtr<IEventManager> m_eventManager;
    platform::com::ComPtr<platform::com::ConnectionPoint> m_events;

    LONG m_commPort = 1;
    platform::com::Bstr m_devicePath = platform::com::Bstr::empty();
    std::atomic<LONG> m_sampleRate{200}; // Reader threads read it.
    enumSemaphoreMode m_semaphore = SemaphoreOff;
    LONG m_firingPoint = 1;
    float m_wirelessTargetDistance = 10.0F;
    std::array<SubDevice, 2> m_subDevices;
    DeviceInformation m_information;
    std::string m_lastErrorText;
    std::unique_ptr<CGenericTalvo> m_model; // Non-null exactly while connected.
    // Models disconnected while a dispatch ran: closed when the outermost dispatch ends.
    struct RetiredModel {
        std::unique_ptr<CGenericTalvo> model;
        bool silent = false; // disconnected inside an event: its closing tells the sinks nothing
    };
    std::vector<RetiredModel> m_retiredModels;
    int m_dispatchDepth = 0;
    // Set by a disconnection inside an event, cleared by the next connection: the sink that disconnected hears
    // nothing more, neither the rest of the step the model is in nor the conclusion that closing it makes.
    bool m_silent = false;
};

} // namespace talvolink
