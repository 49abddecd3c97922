#include "talvodesk/core/calibration/CalibrationState.h"

#include "talvodesk/core/calibration/CalibrationEventSink.h"
#include "talvodesk/core/options/AppModule.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "interfaces/talvolink/Guids.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Variant.h"
#include "platform/registry/Key.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <optional>

namespace talvodesk {

using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr LONG kSubDevice = 1;

// The device's Value indexes of the image sensor's options.
constexpr LONG kValueFilterForeignShots = 0;
constexpr LONG kValuePreviewPicture = 4;
constexpr LONG kValuePreviewMode = 5;
constexpr LONG kValueUltraSensitiveTrigger = 7;
constexpr LONG kValueTriggerLevel = 8;
constexpr LONG kValueMainsFrequency = 9;

bool isOn(VARIANT_BOOL value)
{
    return value != VARIANT_FALSE;
}

/// The half extent of the event's first target face, millimetres; 0 when it cannot be read.
float targetExtent(ITalvoDevice& device)
{
    ComPtr<IEventParams> event;
    ComPtr<ITargetParams> target;
    float width = 0;
    float height = 0;
    if (FAILED(device.get_Event(kSubDevice, event.put())) || !event || FAILED(event->get_Target(1, target.put())) ||
        !target || FAILED(target->get_FormWidth(&width)) || FAILED(target->get_FormHeight(&height))) {
        return 0;
    }
    return std::max(width, height) / 2;
}

std::optional<long> integerValue(ITalvoDevice& device, LONG index)
{
    Variant value;
    if (FAILED(device.get_Value(index, value.put())) || FAILED(value.changeType(VT_I4))) {
        return std::nullopt;
    }
    return value.get().lVal;
}

std::optional<std::array<float, 9>> readData(ITalvoDevice& device)
{
    std::array<float, 9> raw{};
    if (FAILED(device.Data(&raw[0], &raw[1], &raw[2], &raw[3], &raw[4], &raw[5], &raw[6], &raw[7], &raw[8]))) {
        return std::nullopt;
    }
    return raw;
}

/// The last sample of the aiming's trace.
std::optional<std::pair<float, float>> lastSample(IAiming& aiming)
{
    ComPtr<IRange> range;
    LONG count = 0;
    LONG last = 0;
    float x = 0;
    float y = 0;
    if (FAILED(aiming.Range(0, 0, range.put())) || !range || FAILED(range->get_Count(&count)) || count <= 0 ||
        FAILED(range->get_Last(&last)) || FAILED(range->get_x(last, &x)) || FAILED(range->get_y(last, &y)) ||
        !std::isfinite(x) || !std::isfinite(y)) {
        return std::nullopt;
    }
    return std::pair(x, y);
}

} // namespace

CalibrationState::CalibrationState(ITalvoDevice* device, CalibrationServices services)
    : m_device(device), m_services(std::move(services))
{
    assert(m_device && "the calibration dialog needs a device");
    LONG version = 0;
    if (SUCCEEDED(m_device->get_ModelVersion(&version))) {
        m_modelVersion = version;
    }
    m_variant = CalibrationVariantOf(m_modelVersion);
    m_picture.variant = m_variant;
    m_picture.extent = targetExtent(*m_device);
    // Failures leave the device as it was; the dialog still shows what arrives.
    (void)m_device->Reset(kSubDevice);
    (void)m_device->put_CalibrationMode(kSubDevice, VARIANT_TRUE);
}

CalibrationState::~CalibrationState()
{
    Finish();
}

bool CalibrationState::Subscribe()
{
    if (m_finished || m_sink) {
        return false;
    }
    const auto container = m_device.queryInterface<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    if (!container || FAILED(container->FindConnectionPoint(talvolink::DIID__ITalvoDeviceEvents, point.put()))) {
        return false;
    }
    auto sink = platform::com::makeComObject<CalibrationEventSink>(*this);
    if (FAILED(point->Advise(static_cast<IDispatch*>(sink.get()), &m_cookie))) {
        sink->Detach();
        return false;
    }
    m_sink = std::move(sink);
    m_point = std::move(point);
    return true;
}

void CalibrationState::Finish()
{
    if (m_finished) {
        return;
    }
    m_finished = true;
    if (m_sink) {
        m_sink->Detach();
        (void)m_point->Unadvise(m_cookie); // The cookie came from this point.
        m_sink.reset();
        m_point.reset();
    }
    (void)m_device->put_CalibrationMode(kSubDevice, VARIANT_FALSE); // Nothing to do when the device refuses.
    (void)m_device->ConcludeCurrentAiming(kSubDevice);
}

CalibrationControls CalibrationState::ReadControls() const
{
    CalibrationControls controls;
    LONG value = 0;
    VARIANT_BOOL available = VARIANT_FALSE;
    if (SUCCEEDED(m_device->get_PiezoSensitivity(kSubDevice, &value))) {
        controls.piezoSensitivity = std::clamp<int>(value, kPiezoMinimum, kPiezoMaximum);
    }
    controls.ledsAvailable = SUCCEEDED(m_device->get_LedsBrightnessAvailable(&available)) && isOn(available);
    if (controls.ledsAvailable && SUCCEEDED(m_device->get_LedsBrightness(&value))) {
        controls.ledsBrightness = std::clamp<int>(value, 0, kBrightnessMaximum);
    }
    controls.lampsAvailable = SUCCEEDED(m_device->get_LampsBrightnessAvailable(&available)) && isOn(available);
    if (controls.lampsAvailable && SUCCEEDED(m_device->get_LampsBrightness(&value))) {
        controls.lampsBrightness = std::clamp<int>(value, 0, kBrightnessMaximum);
    }
    if (m_variant == CalibrationVariant::ImageSensor) {
        controls.ultraSensitiveTrigger = integerValue(*m_device, kValueUltraSensitiveTrigger).value_or(0) != 0;
        controls.filterForeignShots = integerValue(*m_device, kValueFilterForeignShots).value_or(0) != 0;
        controls.mainsFrequency = integerValue(*m_device, kValueMainsFrequency).value_or(0);
    }
    return controls;
}

std::string CalibrationState::SetPiezoSensitivity(int position)
{
    (void)m_device->put_PiezoSensitivity(kSubDevice, position); // The label shows the slider either way.
    if (m_services.settingsRoot != nullptr) {
        (void)m_services.settingsRoot->setDword(u"PiezoSensitivity", static_cast<DWORD>(position)); // Best effort.
    }
    return PiezoSensitivityText(position, ModuleOrEnglish(m_services.module));
}

std::string CalibrationState::SetLedsBrightness(int brightness)
{
    (void)m_device->put_LedsBrightness(brightness); // The label shows the slider either way.
    return LedsBrightnessText(brightness, ModuleOrEnglish(m_services.module));
}

std::string CalibrationState::SetLampsBrightness(int brightness)
{
    (void)m_device->put_LampsBrightness(brightness); // The label shows the slider either way.
    return LampsBrightnessText(brightness, ModuleOrEnglish(m_services.module));
}

void CalibrationState::writeOption(long index, bool on, std::u16string_view settingName)
{
    (void)m_device->put_Value(index, Variant::fromBool(on).get()); // A refused option keeps the device's own.
    if (m_services.settingsRoot != nullptr) {
        (void)m_services.settingsRoot->setDword(settingName, on ? 1 : 0); // Best effort: only next start loses it.
    }
}

void CalibrationState::SetUltraSensitiveTrigger(bool on)
{
    writeOption(kValueUltraSensitiveTrigger, on, u"QV_UltraSensitiveTriggerMode");
}

void CalibrationState::SetFilterForeignShots(bool on)
{
    writeOption(kValueFilterForeignShots, on, u"QV_FilterForeignShots");
}

void CalibrationState::SetPreviewMode(bool on)
{
    (void)m_device->put_Value(kValuePreviewMode, Variant::fromBool(on).get()); // The box shows the request.
    m_previewMode = on;
    m_picture.preview = on ? m_preview.get() : nullptr;
    draw();
}

void CalibrationState::SetMainsFrequency(long mode)
{
    // The device control keeps the frequency itself.
    (void)m_device->put_Value(kValueMainsFrequency, Variant::fromInt32(static_cast<std::int32_t>(mode)).get());
}

void CalibrationState::OnStartAiming()
{
    m_picture.shotShown = false;
}

void CalibrationState::OnNewCoordinates(long subDevice, IAiming* aiming)
{
    if (m_picture.shotShown || aiming == nullptr) {
        return;
    }
    LONG level = 0;
    if (SUCCEEDED(m_device->get_SignalLevel(subDevice, &level))) {
        if (level > kStrongSignal && m_services.signalSeen) {
            m_services.signalSeen();
        }
        if (m_window != nullptr) {
            m_window->ShowSignalLevel(ScaledSignalLevel(m_modelVersion, level));
        }
    }
    const auto sample = lastSample(*aiming);
    if (!sample) {
        return;
    }
    float x = sample->first;
    float y = sample->second;
    if (m_variant == CalibrationVariant::UsbOptical) {
        readOpticalData();
        if (m_data[2] && m_data[3]) {
            x = *m_data[2];
            y = *m_data[3];
        }
    }
    if (moveAim(x, y)) {
        scheduleRedraw();
    }
}

void CalibrationState::readOpticalData()
{
    const auto raw = readData(*m_device);
    m_data = raw ? DeviceDataFrom(*raw) : DeviceData{};
    const auto reading = OpticalReadingFrom(m_data);
    m_inside = reading && reading->inside;
    m_picture.workingDiameter = reading ? reading->workingDiameter : 0.0F;
    if (m_inside) {
        m_distances.Add(reading->distance);
    } else {
        m_distances.Clear();
    }
    const bool averaged = m_inside && m_distances.IsFull();
    m_picture.status = OpticalStatusText(m_data, averaged ? std::optional(m_distances.Average()) : std::nullopt,
                                         ModuleOrEnglish(m_services.module));
}

bool CalibrationState::moveAim(float x, float y)
{
    const int direction = AimDirection(x, y);
    if (m_picture.aimVisible && m_picture.aimX == x && m_picture.aimY == y && m_picture.direction == direction) {
        return false;
    }
    m_picture.aimX = x;
    m_picture.aimY = y;
    m_picture.direction = direction;
    m_picture.aimVisible = true;
    return true;
}

void CalibrationState::scheduleRedraw()
{
    if (m_redrawPending || m_window == nullptr) {
        return;
    }
    m_redrawPending = true;
    m_window->StartRedrawTimer();
}

void CalibrationState::draw()
{
    if (m_window != nullptr) {
        m_window->DrawTarget();
    }
}

void CalibrationState::OnShot(IShot* shot)
{
    float x = 0;
    float y = 0;
    if (m_variant != CalibrationVariant::Serial) {
        // These sensors place the shot where they last saw the aim.
        x = m_picture.aimX;
        y = m_picture.aimY;
    } else if (FAILED(shot->get_BreachX(&x)) || FAILED(shot->get_BreachY(&y))) {
        return;
    }
    m_picture.shotX = x;
    m_picture.shotY = y;
    m_picture.shotShown = true;
    if (m_services.playSound) {
        m_services.playSound(u"Shot");
    }
    draw();
}

void CalibrationState::OnConcludeAiming()
{
    m_picture.aimVisible = false;
    draw();
}

void CalibrationState::OnRedrawTimer()
{
    m_redrawPending = false;
    draw();
}

void CalibrationState::OnPollTimer()
{
    if (m_finished || m_closing) {
        return;
    }
    if (const auto level = integerValue(*m_device, kValueTriggerLevel); level && m_window != nullptr) {
        m_window->ShowTriggerLevel(*level);
    }
    if (m_previewMode) {
        Variant value;
        if (SUCCEEDED(m_device->get_Value(kValuePreviewPicture, value.put())) && value.type() == VT_DISPATCH) {
            if (auto picture = ComPtr<IDispatch>(value.get().pdispVal).queryInterface<IPicture>()) {
                m_preview = std::move(picture);
                m_picture.preview = m_preview.get();
                draw();
            }
        }
    }
    const auto raw = readData(*m_device);
    if (!raw) {
        return;
    }
    const DeviceData data = DeviceDataFrom(*raw);
    const bool visible = data[0] && *data[0] > 0;
    const bool shot = data[2] && *data[2] > 0;
    bool redraw = visible != m_picture.aimVisible;
    m_picture.aimVisible = visible;
    if (data[3] && data[4] && (m_picture.aimX != *data[3] || m_picture.aimY != *data[4])) {
        m_picture.aimX = *data[3];
        m_picture.aimY = *data[4];
        m_picture.direction = AimDirection(*data[3], *data[4]);
        redraw = true;
    }
    if (shot) {
        m_picture.shotX = m_picture.aimX;
        m_picture.shotY = m_picture.aimY;
        m_picture.shotShown = true;
        m_closing = true;
        draw();
        if (m_window != nullptr) {
            m_window->PostClose();
        }
        return;
    }
    if (redraw) {
        draw();
    }
}

} // namespace talvodesk
