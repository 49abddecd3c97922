#include "talvodesk/core/testing/FakeTalvoDevice.h"

#include "interfaces/talvolink/Guids.h"
#include "platform/com/Bstr.h"

#include <sstream>

namespace talvodesk::testsupport {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::viewOf;

namespace {

std::string text(const std::u16string_view value)
{
    return platform::com::utf16ToUtf8(value);
}

std::string text(IEventParams* event)
{
    Bstr name;
    if (event == nullptr || FAILED(event->get_ShortName(name.put()))) {
        return "none";
    }
    return text(name.view());
}

template <typename T> std::string text(T value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

HRESULT answer(VARIANT_BOOL* out, bool value)
{
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT answer(BSTR* out, const std::u16string& value)
{
    *out = Bstr(value).detach();
    return S_OK;
}

template <typename T, typename U> HRESULT answer(T* out, U value)
{
    *out = static_cast<T>(value);
    return S_OK;
}

} // namespace

FakeTalvoDevice::FakeTalvoDevice(ComPtr<platform::com::ConnectionPoint> events)
    : m_events(events ? std::move(events)
                      : platform::com::makeComObject<platform::com::ConnectionPoint>(
                            nullptr, talvolink::DIID__ITalvoDeviceEvents))
{
}

FakeTalvoDevice::~FakeTalvoDevice() = default;

template <typename T> void FakeTalvoDevice::record(const char* name, T value)
{
    m_log.push_back(std::string(name) + "=" + text(value));
}

template <typename T> void FakeTalvoDevice::record(const char* name, LONG subDevice, T value)
{
    m_log.push_back(std::string(name) + "(" + std::to_string(subDevice) + ")=" + text(value));
}

HRESULT FakeTalvoDevice::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (riid != talvolink::DIID__ITalvoDeviceEvents) {
        return CONNECT_E_NOCONNECTION;
    }
    *point = ComPtr<IConnectionPoint>(m_events.get()).detach();
    return S_OK;
}

HRESULT FakeTalvoDevice::get_CommPort(LONG* pVal)
{
    return answer(pVal, m_commPort);
}
HRESULT FakeTalvoDevice::put_CommPort(LONG newVal)
{
    record("CommPort", newVal);
    m_commPort = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_Connected(VARIANT_BOOL* pVal)
{
    return answer(pVal, connected);
}
HRESULT FakeTalvoDevice::put_Connected(VARIANT_BOOL newVal)
{
    record("Connected", newVal != VARIANT_FALSE);
    if (newVal != VARIANT_FALSE && !connectSucceeds) {
        return E_FAIL;
    }
    connected = newVal != VARIANT_FALSE;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_SampleRate(LONG* pVal)
{
    return answer(pVal, m_sampleRate);
}
HRESULT FakeTalvoDevice::put_SampleRate(LONG newVal)
{
    record("SampleRate", newVal);
    m_sampleRate = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_EventShortName(LONG, BSTR* pVal)
{
    return answer(pVal, m_eventShortName);
}
HRESULT FakeTalvoDevice::put_EventShortName(LONG nSubDevice, BSTR newVal)
{
    record("EventShortName", nSubDevice, viewOf(newVal));
    m_eventShortName = viewOf(newVal);
    return S_OK;
}
HRESULT FakeTalvoDevice::get_Event(LONG, IEventParams** pVal)
{
    *pVal = ComPtr<IEventParams>(event).detach();
    return event ? S_OK : E_FAIL;
}
HRESULT FakeTalvoDevice::put_Event(LONG nSubDevice, IEventParams* newVal)
{
    record("Event", nSubDevice, newVal);
    event = ComPtr<IEventParams>(newVal);
    return S_OK;
}
HRESULT FakeTalvoDevice::get_TargetType(LONG, enumTargetType* pVal)
{
    return answer(pVal, m_targetType);
}
HRESULT FakeTalvoDevice::put_TargetType(LONG nSubDevice, enumTargetType newVal)
{
    record("TargetType", nSubDevice, static_cast<long>(newVal));
    m_targetType = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_PiezoSensitivity(LONG, LONG* pVal)
{
    return answer(pVal, piezoSensitivity);
}
HRESULT FakeTalvoDevice::put_PiezoSensitivity(LONG nSubDevice, LONG newVal)
{
    record("PiezoSensitivity", nSubDevice, newVal);
    piezoSensitivity = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_MaxTimeBeforeShot(LONG, float* pVal)
{
    return answer(pVal, m_before);
}
HRESULT FakeTalvoDevice::put_MaxTimeBeforeShot(LONG nSubDevice, float newVal)
{
    record("MaxTimeBeforeShot", nSubDevice, newVal);
    m_before = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_MaxTimeAfterShot(LONG, float* pVal)
{
    return answer(pVal, m_after);
}
HRESULT FakeTalvoDevice::put_MaxTimeAfterShot(LONG nSubDevice, float newVal)
{
    record("MaxTimeAfterShot", nSubDevice, newVal);
    m_after = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_CorrectionX(LONG, float* pVal)
{
    return answer(pVal, 0.0F);
}
HRESULT FakeTalvoDevice::put_CorrectionX(LONG nSubDevice, float newVal)
{
    record("CorrectionX", nSubDevice, newVal);
    return S_OK;
}
HRESULT FakeTalvoDevice::get_CorrectionY(LONG, float* pVal)
{
    return answer(pVal, 0.0F);
}
HRESULT FakeTalvoDevice::put_CorrectionY(LONG nSubDevice, float newVal)
{
    record("CorrectionY", nSubDevice, newVal);
    return S_OK;
}
HRESULT FakeTalvoDevice::get_SignalLevel(LONG, LONG* pVal)
{
    return answer(pVal, signalLevel);
}
HRESULT FakeTalvoDevice::get_PiezoLevel(LONG, LONG* pVal)
{
    return answer(pVal, 0);
}
HRESULT FakeTalvoDevice::get_StatTotalReceived(LONG* pVal)
{
    return answer(pVal, 0);
}
HRESULT FakeTalvoDevice::get_StatTotalInvalid(LONG* pVal)
{
    return answer(pVal, 0);
}
HRESULT FakeTalvoDevice::get_StatTotalSkipped(LONG* pVal)
{
    return answer(pVal, 0);
}
HRESULT FakeTalvoDevice::get_ModelName(BSTR* pVal)
{
    return answer(pVal, modelName);
}
HRESULT FakeTalvoDevice::get_ModelVersion(LONG* pVal)
{
    return answer(pVal, modelVersion);
}
HRESULT FakeTalvoDevice::get_SerialNumber(BSTR* pVal)
{
    return answer(pVal, serialNumber);
}
HRESULT FakeTalvoDevice::Reset(LONG nSubDevice)
{
    m_log.push_back("Reset(" + std::to_string(nSubDevice) + ")");
    return S_OK;
}
HRESULT FakeTalvoDevice::ConcludeCurrentAiming(LONG nSubDevice)
{
    m_log.push_back("ConcludeCurrentAiming(" + std::to_string(nSubDevice) + ")");
    return S_OK;
}
HRESULT FakeTalvoDevice::LookupDevice(VARIANT_BOOL* bExist)
{
    return answer(bExist, lookupFinds);
}
HRESULT FakeTalvoDevice::get_Semaphore(enumSemaphoreMode* pVal)
{
    return answer(pVal, m_semaphore);
}
HRESULT FakeTalvoDevice::put_Semaphore(enumSemaphoreMode newVal)
{
    record("Semaphore", static_cast<long>(newVal));
    m_semaphore = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_CalibrationMode(LONG, VARIANT_BOOL* pVal)
{
    return answer(pVal, calibrationMode);
}
HRESULT FakeTalvoDevice::put_CalibrationMode(LONG nSubDevice, VARIANT_BOOL newVal)
{
    record("CalibrationMode", nSubDevice, newVal != VARIANT_FALSE);
    calibrationMode = newVal != VARIANT_FALSE;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_PulseAvailable(VARIANT_BOOL* pVal)
{
    return answer(pVal, pulseAvailable);
}
HRESULT FakeTalvoDevice::get_TriggerControlAvailable(VARIANT_BOOL* pVal)
{
    return answer(pVal, triggerAvailable);
}
HRESULT FakeTalvoDevice::get_SemaphoreAvailable(VARIANT_BOOL* pVal)
{
    return answer(pVal, semaphoreAvailable);
}
HRESULT FakeTalvoDevice::get_Trigger(LONG, LONG, LONG* pVal)
{
    return answer(pVal, 0);
}
HRESULT FakeTalvoDevice::get_SubTarget(LONG, LONG* pVal)
{
    return answer(pVal, m_subTarget);
}
HRESULT FakeTalvoDevice::put_SubTarget(LONG nSubDevice, LONG newVal)
{
    record("SubTarget", nSubDevice, newVal);
    m_subTarget = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_PiezoRejectInterval(LONG, float* pVal)
{
    return answer(pVal, 0.0F);
}
HRESULT FakeTalvoDevice::put_PiezoRejectInterval(LONG nSubDevice, float newVal)
{
    record("PiezoRejectInterval", nSubDevice, newVal);
    return S_OK;
}
HRESULT FakeTalvoDevice::get_SensorPosition(LONG, enumSensorPosition* pVal)
{
    return answer(pVal, m_sensorPosition);
}
HRESULT FakeTalvoDevice::put_SensorPosition(LONG nSubDevice, enumSensorPosition newVal)
{
    record("SensorPosition", nSubDevice, static_cast<long>(newVal));
    m_sensorPosition = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_DevicePath(BSTR* pVal)
{
    return answer(pVal, m_devicePath);
}
HRESULT FakeTalvoDevice::put_DevicePath(BSTR newVal)
{
    record("DevicePath", viewOf(newVal));
    m_devicePath = viewOf(newVal);
    return S_OK;
}
HRESULT FakeTalvoDevice::AddShot(VARIANT_BOOL vbUnlimited)
{
    record("AddShot", vbUnlimited != VARIANT_FALSE);
    return S_OK;
}
HRESULT FakeTalvoDevice::get_SerialNumber2(LONG, BSTR* pVal)
{
    return answer(pVal, serialNumber);
}
HRESULT FakeTalvoDevice::Data(float* pVal1, float* pVal2, float* pVal3, float* pVal4, float* pVal5, float* pVal6,
                              float* pVal7, float* pVal8, float* pVal9)
{
    float* const out[] = {pVal1, pVal2, pVal3, pVal4, pVal5, pVal6, pVal7, pVal8, pVal9};
    for (std::size_t i = 0; i < data.size(); ++i) {
        *out[i] = data[i];
    }
    return S_OK;
}
HRESULT FakeTalvoDevice::get_FiringPoint(LONG* pVal)
{
    return answer(pVal, firingPoint);
}
HRESULT FakeTalvoDevice::put_FiringPoint(LONG newVal)
{
    record("FiringPoint", newVal);
    firingPoint = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_WirelessTargetDistance(float* pVal)
{
    return answer(pVal, 0.0F);
}
HRESULT FakeTalvoDevice::put_WirelessTargetDistance(float newVal)
{
    record("WirelessTargetDistance", newVal);
    return S_OK;
}
HRESULT FakeTalvoDevice::get_CalibrationWanted(LONG, VARIANT_BOOL* pVal)
{
    return answer(pVal, calibrationWanted);
}
HRESULT FakeTalvoDevice::get_LedsBrightnessAvailable(VARIANT_BOOL* pVal)
{
    return answer(pVal, ledsAvailable);
}
HRESULT FakeTalvoDevice::get_LampsBrightnessAvailable(VARIANT_BOOL* pVal)
{
    return answer(pVal, lampsAvailable);
}
HRESULT FakeTalvoDevice::get_LedsBrightness(LONG* pVal)
{
    return answer(pVal, ledsBrightness);
}
HRESULT FakeTalvoDevice::put_LedsBrightness(LONG newVal)
{
    record("LedsBrightness", newVal);
    ledsBrightness = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_LampsBrightness(LONG* pVal)
{
    return answer(pVal, lampsBrightness);
}
HRESULT FakeTalvoDevice::put_LampsBrightness(LONG newVal)
{
    record("LampsBrightness", newVal);
    lampsBrightness = newVal;
    return S_OK;
}
HRESULT FakeTalvoDevice::get_Value(LONG index, VARIANT* pVal)
{
    const auto found = values.find(index);
    if (found == values.end()) {
        return E_INVALIDARG;
    }
    return VariantCopy(pVal, &found->second.get());
}
HRESULT FakeTalvoDevice::put_Value(LONG index, VARIANT newVal)
{
    m_log.push_back("Value(" + std::to_string(index) + ")");
    values[index] = platform::com::Variant::copyOf(newVal);
    return S_OK;
}

} // namespace talvodesk::testsupport
