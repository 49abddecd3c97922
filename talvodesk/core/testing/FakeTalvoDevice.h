#pragma once

#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Variant.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace talvodesk::testsupport {

/// A device control whose answers a test sets and which logs every call that changes it, in order, as
/// "Name(sub)=value" or "Name=value" (methods as "Name(sub)"), so tests can check what was configured and in which
/// order. Its events come from a connection point the test fires, e.g. the one of a FakeDevice.
class FakeTalvoDevice final : public platform::com::ComObject<ITalvoDevice, IConnectionPointContainer> {
public:
    explicit FakeTalvoDevice(platform::com::ComPtr<platform::com::ConnectionPoint> events = {});

    // Answers; a failing `Connected` put leaves the device disconnected.
    long modelVersion = 100;
    std::u16string modelName = u"Fake";
    std::u16string serialNumber = u"FAKE-0001";
    bool connectSucceeds = true;
    bool lookupFinds = false;
    bool calibrationWanted = false;
    bool pulseAvailable = false;
    bool triggerAvailable = false;
    bool semaphoreAvailable = false;
    bool ledsAvailable = false;
    bool lampsAvailable = false;
    long signalLevel = 0;
    std::array<float, 9> data{};
    std::map<long, platform::com::Variant> values;
    platform::com::ComPtr<IEventParams> event;

    // State kept from puts.
    bool connected = false;
    bool calibrationMode = false;
    long piezoSensitivity = 40;
    long ledsBrightness = 0;
    long lampsBrightness = 0;
    long firingPoint = 1;

    const std::vector<std::string>& log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    platform::com::ConnectionPoint& events() { return *m_events; }
    std::size_t sinkCount() const { return m_events->sinks().size(); }

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

private:
    ~FakeTalvoDevice() override;

    template <typename T> void record(const char* name, T value);
    template <typename T> void record(const char* name, LONG subDevice, T value);

    platform::com::ComPtr<platform::com::ConnectionPoint> m_events;
    std::vector<std::string> m_log;
    LONG m_commPort = 0;
    LONG m_sampleRate = 200;
    std::u16string m_devicePath;
    std::u16string m_eventShortName;
    enumTargetType m_targetType{};
    float m_before = 0;
    float m_after = 0;
    enumSensorPosition m_sensorPosition{};
    enumSemaphoreMode m_semaphore{};
    LONG m_subTarget = 0;
};

} // namespace talvodesk::testsupport
