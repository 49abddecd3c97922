#include "talvolink/TalvoDevice.h"

#include "talvolink/DeviceModel.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/Sampling.h"
#include "interfaces/talvolink/DispIds.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/com/ClassTable.h"
#include "platform/com/Property.h"
#include "platform/time/Clock.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <mutex>
#include <string_view>
#include <type_traits>

namespace talvolink {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::copyProperty;
using platform::com::fromVariantBool;
using platform::com::inRange;
using platform::com::Notify;
using platform::com::toVariantBool;
using platform::com::Variant;

namespace {

constexpr LONG kMinCommPort = 1;
constexpr LONG kMaxCommPort = 256;
constexpr float kMinTraceTime = 0.5F;
// The longest trace a document keeps, an hour; the sample count of any longer time may not fit an int32.
constexpr float kMaxTraceTime = 3600.0F;
constexpr LONG kFirstUsbModelCode = 500;
constexpr LONG kErrorTextIndex = 3;

// Sensor texts are zero-terminated bytes of at most the field's width, taken as Latin-1.
HRESULT copyText(std::string_view field, BSTR* pVal)
{
    const std::string_view text = field.substr(0, field.find('\0'));
    std::u16string wide;
    for (const char c : text) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    return Bstr(std::u16string_view(wide)).copyTo(pVal);
}

template <std::size_t N> std::string_view fieldOf(const std::array<char, N>& field)
{
    return std::string_view(field.data(), N);
}

// Hundredths of a millimetre from millimetres, to the nearest, so a value read and written back never drifts;
// nothing for values no LONG can hold.
bool toHundredths(float millimetres, LONG* hundredths)
{
    const double scaled = static_cast<double>(millimetres) * 100.0;
    if (!std::isfinite(scaled) || std::fabs(scaled) > static_cast<double>(std::numeric_limits<LONG>::max())) {
        return false;
    }
    *hundredths = static_cast<LONG>(std::lround(scaled));
    return true;
}

} // namespace

/// Held by every method that may fire events: its reference, taken before the lock and dropped after it, keeps the
/// control alive while a sink lets it go, and the dispatch it counts keeps a model that a sink disconnects open until
/// the outermost dispatch ends.
class CTalvoDevice::EventScope {
public:
    explicit EventScope(CTalvoDevice& control) : m_control(&control), m_lock(control.lock()), m_dispatch(control) {}

private:
    ComPtr<CTalvoDevice> m_control;
    std::unique_lock<platform::com::ObjectMutex> m_lock;
    DispatchScope m_dispatch;
};

platform::Result<ComPtr<CTalvoDevice>> CTalvoDevice::create()
{
    static platform::time::SystemClock systemClock;
    return create(makeDeviceFactory(), systemClock);
}

platform::Result<ComPtr<CTalvoDevice>> CTalvoDevice::create(std::unique_ptr<DeviceFactory> factory,
                                                            platform::time::Clock& clock)
{
    ComPtr<IEventManager> eventManager;
    const HRESULT hr =
        CoCreateInstance(talvodata::CLSID_EventManager, nullptr, 0, IEventManager::kIid, eventManager.putVoid());
    if (FAILED(hr)) {
        return platform::Error{hr, "the event manager cannot be made"};
    }
    return ComPtr<CTalvoDevice>(new CTalvoDevice(std::move(factory), clock, std::move(eventManager)));
}

CTalvoDevice::CTalvoDevice(std::unique_ptr<DeviceFactory> factory, platform::time::Clock& clock,
                           ComPtr<IEventManager> eventManager)
    : m_factory(std::move(factory)), m_clock(clock), m_eventManager(std::move(eventManager)),
      m_events(platform::com::makeComObject<platform::com::ConnectionPoint>(this, _ITalvoDeviceEvents::kIid))
{
}

CTalvoDevice::~CTalvoDevice()
{
    disconnect();
    m_events->detachContainer();
}

HRESULT CTalvoDevice::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point) {
        return E_POINTER;
    }
    *point = nullptr;
    if (riid != _ITalvoDeviceEvents::kIid) {
        return CONNECT_E_NOCONNECTION;
    }
    return ComPtr<IConnectionPoint>(m_events).copyTo(point);
}

CTalvoDevice::SubDevice* CTalvoDevice::subDeviceAt(LONG nSubDevice)
{
    if (nSubDevice < 1 || nSubDevice > static_cast<LONG>(m_subDevices.size())) {
        return nullptr;
    }
    return &m_subDevices[static_cast<std::size_t>(nSubDevice - 1)];
}

const SubDeviceSettings& CTalvoDevice::subDevice(LONG nSubDevice) const
{
    return m_subDevices[nSubDevice == 2 ? 1 : 0].settings;
}

void CTalvoDevice::setCalibrationWanted(LONG nSubDevice, bool wanted)
{
    if (SubDevice* sub = subDeviceAt(nSubDevice)) {
        sub->settings.calibrationWanted = wanted;
    }
}

void CTalvoDevice::setCorrection(LONG nSubDevice, LONG x, LONG y)
{
    if (SubDevice* sub = subDeviceAt(nSubDevice)) {
        sub->settings.correctionX = x;
        sub->settings.correctionY = y;
    }
}

template <typename T, typename Tell>
HRESULT CTalvoDevice::putSubDevice(LONG nSubDevice, T SubDeviceSettings::*field, std::type_identity_t<T> value,
                                   Tell tell)
{
    auto guard = lock();
    SubDevice* sub = subDeviceAt(nSubDevice);
    if (!sub) {
        return E_INVALIDARG;
    }
    return putProperty(sub->settings.*field, std::move(value), Notify::Always, tell);
}

template <typename T>
HRESULT CTalvoDevice::putSubDevice(LONG nSubDevice, T SubDeviceSettings::*field, std::type_identity_t<T> value)
{
    return putSubDevice(nSubDevice, field, std::move(value), [] {});
}

template <typename Method, typename... Args> auto CTalvoDevice::toModel(Method method, Args... args)
{
    return [=, this] {
        if (m_model) {
            (void)std::invoke(method, *m_model, args...); // What a model answers is its own affair.
        }
    };
}

template <typename Read, typename... Args> HRESULT CTalvoDevice::modelReading(LONG* pVal, Read read, Args... args)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_model ? std::invoke(read, *m_model, args...) : 0;
    return S_OK;
}

// Connection ------------------------------------------------------------------------------------------------------

HRESULT CTalvoDevice::get_Connected(VARIANT_BOOL* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = toVariantBool(m_model != nullptr);
    return S_OK;
}

HRESULT CTalvoDevice::put_Connected(VARIANT_BOOL newVal)
{
    const EventScope scope(*this);
    if (!newVal) {
        disconnect();
        return S_OK;
    }
    return connect();
}

HRESULT CTalvoDevice::connect()
{
    m_lastErrorText.clear();
    if (m_model) {
        return S_OK;
    }
    auto created = createModel();
    if (!created) {
        if (m_lastErrorText.empty()) {
            m_lastErrorText = created.error().detail;
        }
        return E_FAIL;
    }
    std::unique_ptr<CGenericTalvo> model = std::move(created.value());
    m_silent = false;
    if (!model->Open()) {
        (void)model->Close(); // Its reason is in the last error text already.
        return E_FAIL;
    }
    m_model = std::move(model);
    for (LONG n = 1; n <= static_cast<LONG>(m_subDevices.size()); ++n) {
        m_model->PutPiezoSensitivity(n, subDevice(n).piezoSensitivity);
        (void)m_model->PutSubTarget(n, subDevice(n).subTarget); // Models that keep no sub-target say true anyway.
    }
    if (m_model->SemaphoreAvailable()) {
        (void)m_model->PutSemaphore(m_semaphore); // A light that missed the command is set again on the next put.
    }
    return S_OK;
}

platform::Result<std::unique_ptr<CGenericTalvo>> CTalvoDevice::createModel()
{
    if (m_devicePath.length() == 0) {
        return createSerialModel();
    }
    auto model = m_factory->createUsbModel(std::u16string(m_devicePath.view()), *this);
    if (!model) {
        return platform::Error{E_FAIL, "no device answers at " + m_devicePath.toUtf8()};
    }
    return model;
}

platform::Result<std::unique_ptr<CGenericTalvo>> CTalvoDevice::createSerialModel()
{
    auto port = m_factory->openPort(m_commPort);
    if (!port) {
        return platform::Error{E_FAIL, port.error().detail};
    }
    const std::string portName = "COM" + std::to_string(m_commPort);
    if (!m_factory->probe(*port.value(), m_information.record, m_clock)) {
        return platform::Error{E_FAIL, "no sensor answers on " + portName};
    }
    if (!m_subDevices[0].settings.event) {
        return platform::Error{E_FAIL, "no shooting event is set"};
    }
    const LONG modelCode = m_information.record.modelCode;
    auto model = m_factory->createSerialModel(modelCode, *this, std::move(port.value()));
    if (!model) {
        return platform::Error{E_FAIL,
                               "the sensor on " + portName + " is of an unknown model " + std::to_string(modelCode)};
    }
    return model;
}

void CTalvoDevice::disconnect()
{
    // Taken first: the events that closing fires may call back in here.
    std::unique_ptr<CGenericTalvo> model = std::move(m_model);
    if (!model) {
        return;
    }
    // Inside an event (a dispatch beyond this call's own), the sink that disconnects hears nothing more.
    if (m_dispatchDepth > 1) {
        m_silent = true;
    }
    if (model->SemaphoreAvailable()) {
        (void)model->PutSemaphore(SemaphoreOff); // The device goes away either way.
    }
    // A sink may be inside an event of this model: it finishes the step it is in, and closing it now would conclude
    // the aiming under that step.
    model->markClosing();
    m_retiredModels.push_back({std::move(model), m_silent});
    if (m_dispatchDepth == 0) {
        closeRetiredModels(); // The destructor, the one caller outside a dispatch.
    }
}

void CTalvoDevice::closeRetiredModels()
{
    // Closing concludes an open aiming, and a sink of that conclusion may disconnect a model connected since.
    while (!m_retiredModels.empty()) {
        RetiredModel retired = std::move(m_retiredModels.back());
        m_retiredModels.pop_back();
        // A connection made since clears the control's silence, not this model's.
        const bool silent = std::exchange(m_silent, retired.silent);
        (void)retired.model->Close(); // Always true.
        m_silent = silent;
    }
}

void CTalvoDevice::beginDispatch()
{
    AddRef(); // A sink may let the control go while it runs.
    ++m_dispatchDepth;
}

void CTalvoDevice::endDispatch()
{
    if (m_dispatchDepth == 1) {
        closeRetiredModels(); // Still counted, so that disconnections in its events wait for this loop.
    }
    --m_dispatchDepth;
    (void)Release(); // May delete the control.
}

HRESULT CTalvoDevice::LookupDevice(VARIANT_BOOL* bExist)
{
    auto guard = lock();
    if (!bExist) {
        return E_POINTER;
    }
    *bExist = VARIANT_FALSE;
    if (m_model) {
        return E_UNEXPECTED;
    }
    auto port = m_factory->openPort(m_commPort);
    if (!port) {
        return S_OK;
    }
    *bExist = toVariantBool(m_factory->probe(*port.value(), m_information.record, m_clock));
    return S_OK;
}

// Control settings -----------------------------------------------------------------------------------------------

HRESULT CTalvoDevice::get_CommPort(LONG* pVal)
{
    return getProperty(m_commPort, pVal);
}

HRESULT CTalvoDevice::put_CommPort(LONG newVal)
{
    auto guard = lock();
    if (!inRange(newVal, kMinCommPort, kMaxCommPort)) {
        return E_INVALIDARG;
    }
    if (m_model && newVal != m_commPort) {
        return E_UNEXPECTED;
    }
    m_commPort = newVal;
    return S_OK;
}

HRESULT CTalvoDevice::get_SampleRate(LONG* pVal)
{
    auto guard = lock();
    return copyProperty(m_sampleRate.load(), pVal);
}

HRESULT CTalvoDevice::put_SampleRate(LONG newVal)
{
    auto guard = lock();
    if (!inRange(newVal, kLowestSampleRate, kHighestSampleRate)) {
        return E_INVALIDARG;
    }
    m_sampleRate.store(newVal);
    return S_OK;
}

HRESULT CTalvoDevice::get_DevicePath(BSTR* pVal)
{
    return getProperty(m_devicePath, pVal);
}

HRESULT CTalvoDevice::put_DevicePath(BSTR newVal)
{
    return putProperty(m_devicePath, Bstr(platform::com::viewOf(newVal)));
}

HRESULT CTalvoDevice::get_Semaphore(enumSemaphoreMode* pVal)
{
    return getProperty(m_semaphore, pVal);
}

HRESULT CTalvoDevice::put_Semaphore(enumSemaphoreMode newVal)
{
    auto guard = lock();
    if (newVal == m_semaphore) {
        return S_OK;
    }
    m_semaphore = newVal;
    if (!m_model) {
        return S_OK;
    }
    if (!m_model->SemaphoreAvailable()) {
        return S_FALSE;
    }
    (void)m_model->PutSemaphore(newVal); // The mode is kept and goes out again at the next connection.
    return S_OK;
}

HRESULT CTalvoDevice::get_FiringPoint(LONG* pVal)
{
    return getProperty(m_firingPoint, pVal);
}

HRESULT CTalvoDevice::put_FiringPoint(LONG newVal)
{
    return putProperty(m_firingPoint, newVal, Notify::Always, toModel(&CGenericTalvo::PutFiringPoint));
}

HRESULT CTalvoDevice::get_WirelessTargetDistance(float* pVal)
{
    return getProperty(m_wirelessTargetDistance, pVal);
}

HRESULT CTalvoDevice::put_WirelessTargetDistance(float newVal)
{
    return putProperty(m_wirelessTargetDistance, newVal);
}

// Sub-device settings --------------------------------------------------------------------------------------------

HRESULT CTalvoDevice::get_EventShortName(LONG nSubDevice, BSTR* pVal)
{
    auto guard = lock();
    const SubDevice* sub = subDeviceAt(nSubDevice);
    if (!sub) {
        return E_INVALIDARG;
    }
    return sub->eventShortName.copyTo(pVal);
}

HRESULT CTalvoDevice::put_EventShortName(LONG nSubDevice, BSTR newVal)
{
    auto guard = lock();
    SubDevice* sub = subDeviceAt(nSubDevice);
    if (!sub) {
        return E_INVALIDARG;
    }
    sub->eventShortName = Bstr(platform::com::viewOf(newVal));
    ComPtr<IEventParams> event;
    if (m_eventManager->FindByShortName(sub->eventShortName.get(), event.put()) != S_OK || !event) {
        return E_FAIL;
    }
    sub->settings.event = std::move(event);
    return S_OK;
}

HRESULT CTalvoDevice::get_Event(LONG nSubDevice, IEventParams** pVal)
{
    auto guard = lock();
    SubDevice* sub = subDeviceAt(nSubDevice);
    if (!sub) {
        return E_INVALIDARG;
    }
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    if (!sub->settings.event) {
        ComPtr<IEventParams> event;
        if (FAILED(CoCreateInstance(talvodata::CLSID_EventParams, nullptr, 0, IEventParams::kIid, event.putVoid()))) {
            return E_FAIL;
        }
        sub->settings.event = std::move(event);
    }
    return sub->settings.event.copyTo(pVal);
}

HRESULT CTalvoDevice::put_Event(LONG nSubDevice, IEventParams* newVal)
{
    if (!newVal) {
        return E_INVALIDARG;
    }
    return putSubDevice(nSubDevice, &SubDeviceSettings::event, ComPtr<IEventParams>(newVal));
}

template <typename Out, typename Read> HRESULT CTalvoDevice::subDeviceProperty(LONG nSubDevice, Out* pVal, Read read)
{
    auto guard = lock();
    const SubDevice* sub = subDeviceAt(nSubDevice);
    if (!sub) {
        return E_INVALIDARG;
    }
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = read(sub->settings);
    return S_OK;
}

HRESULT CTalvoDevice::get_TargetType(LONG nSubDevice, enumTargetType* pVal)
{
    return subDeviceProperty(nSubDevice, pVal, [](const SubDeviceSettings& settings) { return settings.targetType; });
}

HRESULT CTalvoDevice::put_TargetType(LONG nSubDevice, enumTargetType newVal)
{
    auto guard = lock();
    SubDevice* sub = subDeviceAt(nSubDevice);
    if (!sub) {
        return E_INVALIDARG;
    }
    if (m_model && newVal != sub->settings.targetType) {
        return E_UNEXPECTED;
    }
    sub->settings.targetType = newVal;
    return S_OK;
}

HRESULT CTalvoDevice::get_PiezoSensitivity(LONG nSubDevice, LONG* pVal)
{
    return subDeviceProperty(nSubDevice, pVal,
                             [](const SubDeviceSettings& settings) { return settings.piezoSensitivity; });
}

HRESULT CTalvoDevice::put_PiezoSensitivity(LONG nSubDevice, LONG newVal)
{
    return putSubDevice(nSubDevice, &SubDeviceSettings::piezoSensitivity, newVal,
                        toModel(&CGenericTalvo::PutPiezoSensitivity, nSubDevice, newVal));
}

HRESULT CTalvoDevice::get_MaxTimeBeforeShot(LONG nSubDevice, float* pVal)
{
    return subDeviceProperty(nSubDevice, pVal,
                             [](const SubDeviceSettings& settings) { return settings.maxTimeBeforeShot; });
}

HRESULT CTalvoDevice::putTraceTime(LONG nSubDevice, float seconds, float SubDeviceSettings::*time)
{
    auto guard = lock();
    SubDevice* sub = subDeviceAt(nSubDevice);
    // The record count after a shot is SampleRate x the time after it: a huge time would overflow it.
    if (!sub || !(seconds >= kMinTraceTime && seconds <= kMaxTraceTime)) {
        return E_INVALIDARG;
    }
    sub->settings.*time = seconds;
    return S_OK;
}

HRESULT CTalvoDevice::put_MaxTimeBeforeShot(LONG nSubDevice, float newVal)
{
    return putTraceTime(nSubDevice, newVal, &SubDeviceSettings::maxTimeBeforeShot);
}

HRESULT CTalvoDevice::get_MaxTimeAfterShot(LONG nSubDevice, float* pVal)
{
    return subDeviceProperty(nSubDevice, pVal,
                             [](const SubDeviceSettings& settings) { return settings.maxTimeAfterShot; });
}

HRESULT CTalvoDevice::put_MaxTimeAfterShot(LONG nSubDevice, float newVal)
{
    return putTraceTime(nSubDevice, newVal, &SubDeviceSettings::maxTimeAfterShot);
}

HRESULT CTalvoDevice::get_CorrectionX(LONG nSubDevice, float* pVal)
{
    return subDeviceProperty(nSubDevice, pVal, [](const SubDeviceSettings& settings) {
        return static_cast<float>(settings.correctionX / 100.0);
    });
}

HRESULT CTalvoDevice::put_CorrectionX(LONG nSubDevice, float newVal)
{
    auto guard = lock();
    SubDevice* sub = subDeviceAt(nSubDevice);
    if (!sub || !toHundredths(newVal, &sub->settings.correctionX)) {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT CTalvoDevice::get_CorrectionY(LONG nSubDevice, float* pVal)
{
    return subDeviceProperty(nSubDevice, pVal, [](const SubDeviceSettings& settings) {
        return static_cast<float>(settings.correctionY / 100.0);
    });
}

HRESULT CTalvoDevice::put_CorrectionY(LONG nSubDevice, float newVal)
{
    auto guard = lock();
    SubDevice* sub = subDeviceAt(nSubDevice);
    if (!sub || !toHundredths(newVal, &sub->settings.correctionY)) {
        return E_INVALIDARG;
    }
    if (m_model) {
        m_model->OnCorrectionChanged();
    }
    return S_OK;
}

HRESULT CTalvoDevice::get_CalibrationMode(LONG nSubDevice, VARIANT_BOOL* pVal)
{
    return subDeviceProperty(nSubDevice, pVal,
                             [](const SubDeviceSettings& settings) { return toVariantBool(settings.calibrationMode); });
}

HRESULT CTalvoDevice::put_CalibrationMode(LONG nSubDevice, VARIANT_BOOL newVal)
{
    return putSubDevice(nSubDevice, &SubDeviceSettings::calibrationMode, fromVariantBool(newVal),
                        toModel(&CGenericTalvo::PutCalibrationMode));
}

HRESULT CTalvoDevice::get_CalibrationWanted(LONG nSubDevice, VARIANT_BOOL* pVal)
{
    return subDeviceProperty(
        nSubDevice, pVal, [](const SubDeviceSettings& settings) { return toVariantBool(settings.calibrationWanted); });
}

HRESULT CTalvoDevice::get_SubTarget(LONG nSubDevice, LONG* pVal)
{
    return subDeviceProperty(nSubDevice, pVal, [](const SubDeviceSettings& settings) { return settings.subTarget; });
}

HRESULT CTalvoDevice::put_SubTarget(LONG nSubDevice, LONG newVal)
{
    // A model that keeps no sub-target says true anyway; the value is kept here either way.
    return putSubDevice(nSubDevice, &SubDeviceSettings::subTarget, newVal,
                        toModel(&CGenericTalvo::PutSubTarget, nSubDevice, newVal));
}

HRESULT CTalvoDevice::get_PiezoRejectInterval(LONG nSubDevice, float* pVal)
{
    return subDeviceProperty(nSubDevice, pVal,
                             [](const SubDeviceSettings& settings) { return settings.piezoRejectInterval; });
}

HRESULT CTalvoDevice::put_PiezoRejectInterval(LONG nSubDevice, float newVal)
{
    return putSubDevice(nSubDevice, &SubDeviceSettings::piezoRejectInterval, newVal);
}

HRESULT CTalvoDevice::get_SensorPosition(LONG nSubDevice, enumSensorPosition* pVal)
{
    return subDeviceProperty(nSubDevice, pVal,
                             [](const SubDeviceSettings& settings) { return settings.sensorPosition; });
}

HRESULT CTalvoDevice::put_SensorPosition(LONG nSubDevice, enumSensorPosition newVal)
{
    return putSubDevice(nSubDevice, &SubDeviceSettings::sensorPosition, newVal);
}

// Readings of the model ------------------------------------------------------------------------------------------

HRESULT CTalvoDevice::get_SignalLevel(LONG nSubDevice, LONG* pVal)
{
    auto guard = lock();
    if (!subDeviceAt(nSubDevice)) {
        return E_INVALIDARG;
    }
    return modelReading(pVal, &CGenericTalvo::GetSignalLevel, nSubDevice);
}

HRESULT CTalvoDevice::get_PiezoLevel(LONG nSubDevice, LONG* pVal)
{
    auto guard = lock();
    if (!subDeviceAt(nSubDevice)) {
        return E_INVALIDARG;
    }
    return modelReading(pVal, &CGenericTalvo::GetPiezoLevel, nSubDevice);
}

HRESULT CTalvoDevice::get_StatTotalReceived(LONG* pVal)
{
    return modelReading(pVal, &CGenericTalvo::statTotalReceived);
}

HRESULT CTalvoDevice::get_StatTotalInvalid(LONG* pVal)
{
    return modelReading(pVal, &CGenericTalvo::statTotalInvalid);
}

HRESULT CTalvoDevice::get_StatTotalSkipped(LONG* pVal)
{
    return modelReading(pVal, &CGenericTalvo::statTotalSkipped);
}

HRESULT CTalvoDevice::get_ModelName(BSTR* pVal)
{
    auto guard = lock();
    return copyText(fieldOf(m_information.record.modelName), pVal);
}

HRESULT CTalvoDevice::get_ModelVersion(LONG* pVal)
{
    return getProperty(m_information.record.modelCode, pVal);
}

HRESULT CTalvoDevice::serialNumberText(LONG slot, BSTR* pVal) const
{
    if (m_information.record.modelCode < kFirstUsbModelCode) {
        return copyText(fieldOf(m_information.record.serialNumber), pVal);
    }
    const auto& bytes = m_information.serialSlots[static_cast<std::size_t>(slot - 1)];
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d-%d-%d-%d-%d-%d", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                  bytes[5], bytes[6], bytes[7]);
    return copyText(text, pVal);
}

HRESULT CTalvoDevice::get_SerialNumber(BSTR* pVal)
{
    auto guard = lock();
    return serialNumberText(1, pVal);
}

HRESULT CTalvoDevice::get_SerialNumber2(LONG nDev, BSTR* pVal)
{
    auto guard = lock();
    if (nDev < 1 || nDev > static_cast<LONG>(m_information.serialSlots.size())) {
        return E_INVALIDARG;
    }
    return serialNumberText(nDev, pVal);
}

HRESULT CTalvoDevice::get_Trigger(LONG nSubDevice, LONG index, LONG* pVal)
{
    auto guard = lock();
    if (!subDeviceAt(nSubDevice)) {
        return E_INVALIDARG;
    }
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    if (!m_model || !m_model->GetTrigger(nSubDevice, index - 1, pVal)) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

HRESULT CTalvoDevice::Data(float* pVal1, float* pVal2, float* pVal3, float* pVal4, float* pVal5, float* pVal6,
                           float* pVal7, float* pVal8, float* pVal9)
{
    auto guard = lock();
    const std::array<float*, 9> out{pVal1, pVal2, pVal3, pVal4, pVal5, pVal6, pVal7, pVal8, pVal9};
    for (float* value : out) {
        if (!value) {
            return E_POINTER;
        }
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::array<float, 9> values{0, 0, 0, 0, 0, 0, 0, nan, nan};
    if (m_model) {
        m_model->GetData(values);
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        *out[i] = values[i];
    }
    return S_OK;
}

HRESULT CTalvoDevice::get_Value(LONG index, VARIANT* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    VariantInit(pVal);
    if (index == kErrorTextIndex) {
        return Variant::fromString(Bstr(std::string_view(m_lastErrorText))).copyTo(pVal);
    }
    return m_model && m_model->GetValue(index, pVal) ? S_OK : E_FAIL;
}

HRESULT CTalvoDevice::put_Value(LONG index, VARIANT newVal)
{
    auto guard = lock();
    return m_model && m_model->PutValue(index, newVal) ? S_OK : E_FAIL;
}

// Model operations -----------------------------------------------------------------------------------------------

HRESULT CTalvoDevice::Reset(LONG nSubDevice)
{
    const EventScope scope(*this);
    if (!subDeviceAt(nSubDevice)) {
        return E_INVALIDARG;
    }
    if (m_model) {
        m_model->Reset(nSubDevice);
    }
    return S_OK;
}

HRESULT CTalvoDevice::ConcludeCurrentAiming(LONG nSubDevice)
{
    const EventScope scope(*this);
    if (!subDeviceAt(nSubDevice)) {
        return E_INVALIDARG;
    }
    if (m_model) {
        m_model->ConcludeCurrentAiming(nSubDevice);
    }
    return S_OK;
}

HRESULT CTalvoDevice::AddShot(VARIANT_BOOL vbUnlimited)
{
    const EventScope scope(*this);
    if (m_model) {
        m_model->AddShot(vbUnlimited);
    }
    return S_OK;
}

template <typename Value, typename Out> HRESULT CTalvoDevice::modelProperty(Value (CGenericTalvo::*query)(), Out* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    if (!m_model) {
        return E_UNEXPECTED;
    }
    const Value value = (m_model.get()->*query)();
    if constexpr (std::is_same_v<Value, bool>) {
        *pVal = toVariantBool(value);
    } else {
        *pVal = value;
    }
    return S_OK;
}

HRESULT CTalvoDevice::get_PulseAvailable(VARIANT_BOOL* pVal)
{
    return modelProperty(&CGenericTalvo::PulseAvailable, pVal);
}

HRESULT CTalvoDevice::get_TriggerControlAvailable(VARIANT_BOOL* pVal)
{
    return modelProperty(&CGenericTalvo::TriggerControlAvailable, pVal);
}

HRESULT CTalvoDevice::get_SemaphoreAvailable(VARIANT_BOOL* pVal)
{
    return modelProperty(&CGenericTalvo::SemaphoreAvailable, pVal);
}

HRESULT CTalvoDevice::get_LedsBrightnessAvailable(VARIANT_BOOL* pVal)
{
    return modelProperty(&CGenericTalvo::LedsBrightnessAvailable, pVal);
}

HRESULT CTalvoDevice::get_LampsBrightnessAvailable(VARIANT_BOOL* pVal)
{
    return modelProperty(&CGenericTalvo::LampsBrightnessAvailable, pVal);
}

HRESULT CTalvoDevice::get_LedsBrightness(LONG* pVal)
{
    return modelProperty(&CGenericTalvo::GetLedsBrightness, pVal);
}

HRESULT CTalvoDevice::put_LedsBrightness(LONG newVal)
{
    auto guard = lock();
    if (!m_model) {
        return E_UNEXPECTED;
    }
    m_model->PutLedsBrightness(newVal);
    return S_OK;
}

HRESULT CTalvoDevice::get_LampsBrightness(LONG* pVal)
{
    return modelProperty(&CGenericTalvo::GetLampsBrightness, pVal);
}

HRESULT CTalvoDevice::put_LampsBrightness(LONG newVal)
{
    auto guard = lock();
    if (!m_model) {
        return E_UNEXPECTED;
    }
    m_model->PutLampsBrightness(newVal);
    return S_OK;
}

// Events ---------------------------------------------------------------------------------------------------------

void CTalvoDevice::fire(DISPID dispId, std::vector<Variant> arguments) const
{
    m_ownerThread.assertOwnerThread(); // Sinks are called on the control's thread only.
    if (m_silent) {
        return;
    }
    m_events->fire(dispId, std::move(arguments));
}

void CTalvoDevice::fireStartAiming(LONG nSubDevice, IAiming* aiming)
{
    fire(DISPID_TALVODEVICEEVENTS_STARTAIMING, {Variant::fromInt32(nSubDevice), Variant::fromDispatch(aiming)});
}

void CTalvoDevice::fireNewCoordinates(LONG nSubDevice, IAiming* aiming, LONG count)
{
    fire(DISPID_TALVODEVICEEVENTS_NEWCOORDINATES,
         {Variant::fromInt32(nSubDevice), Variant::fromDispatch(aiming), Variant::fromInt32(count)});
}

void CTalvoDevice::fireShot(LONG nSubDevice, IAiming* aiming, IShot* shot)
{
    fire(DISPID_TALVODEVICEEVENTS_SHOT,
         {Variant::fromInt32(nSubDevice), Variant::fromDispatch(aiming), Variant::fromDispatch(shot)});
}

void CTalvoDevice::fireConcludeAiming(LONG nSubDevice, IAiming* aiming)
{
    fire(DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING, {Variant::fromInt32(nSubDevice), Variant::fromDispatch(aiming)});
}

void CTalvoDevice::fireFinalConcludeAiming(LONG nSubDevice)
{
    fire(DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING, {Variant::fromInt32(nSubDevice)});
}

void CTalvoDevice::firePulseChanged(LONG nSubDevice, LONG pulse)
{
    fire(DISPID_TALVODEVICEEVENTS_PULSECHANGED, {Variant::fromInt32(nSubDevice), Variant::fromInt32(pulse)});
}

void CTalvoDevice::fireTrigger(LONG nSubDevice, LONG count)
{
    fire(DISPID_TALVODEVICEEVENTS_TRIGGER, {Variant::fromInt32(nSubDevice), Variant::fromInt32(count)});
}

void CTalvoDevice::fireHeartBeat(LONG nSubDevice, DATE dateMin, DATE dateMax)
{
    // OLE dates passed as plain doubles (VT_R8), as the hosts expect them.
    fire(DISPID_TALVODEVICEEVENTS_HEARTBEAT,
         {Variant::fromInt32(nSubDevice), Variant::fromDouble(dateMin), Variant::fromDouble(dateMax)});
}

void CTalvoDevice::fireDisconnected()
{
    fire(DISPID_TALVODEVICEEVENTS_DISCONNECTED, {});
}

void CTalvoDevice::fireReconnected()
{
    fire(DISPID_TALVODEVICEEVENTS_RECONNECTED, {});
}

void CTalvoDevice::fireTimeout(LONG seconds)
{
    fire(DISPID_TALVODEVICEEVENTS_TIMEOUT, {Variant::fromInt32(seconds)});
}

} // namespace talvolink
