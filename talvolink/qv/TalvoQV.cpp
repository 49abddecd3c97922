#include "talvolink/qv/TalvoQV.h"

#include "talvolink/DeviceModel.h"
#include "talvolink/Settings.h"
#include "talvolink/qv/QVRecord.h"
#include "talvolink/qv/TalvoQVPattern.h"
#include "talvolink/usb/Bytes.h"

#include "platform/text/Printf.h"
#include "platform/time/Clock.h"
#include "platform/ui/MessageWindow.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace talvolink {

using platform::kernel::LockGuard;
using platform::kernel::Mutex;

namespace {

constexpr std::uint8_t kFramesOff = 0x81;
constexpr std::uint8_t kVersion = 0x44;
constexpr std::uint8_t kSerial = 0x40;
constexpr std::uint8_t kProtocol = 0x45;
constexpr std::uint8_t kFlashLengthRequest = 0xA2;
constexpr std::uint8_t kFlashRequest = 0xA3;
constexpr std::uint16_t kAllFrames = 0xFFFF;

constexpr std::uint16_t kDefaultGain = 64;
constexpr std::uint16_t kDefaultExposure = 100;
constexpr std::uint8_t kForceGain = 255;
constexpr std::uint16_t kForceExposure = 0xFFFF;
constexpr int kMinHardwareForThreshold = 2;
constexpr std::uint64_t kLevelWindowMs = 1000;

// A queue entry: [u32 byte count][u64 time in ms][the bytes].
constexpr std::size_t kEntryHeader = 12;

constexpr std::u16string_view kUltraSensitiveTriggerValue = u"QV_UltraSensitiveTriggerMode";
constexpr std::u16string_view kFilterForeignShotsValue = u"QV_FilterForeignShots";
constexpr std::u16string_view kFrequencyModeValue = u"QV_powerSupplyFrequencyMode";

bool inRange(double value, double low, double high)
{
    return value >= low && value <= high;
}

} // namespace

TalvoQV::TalvoQV(platform::usb::UsbTransport& transport, platform::time::Clock& clock, QVStateRequest finalRequest)
    : UsbDevice(transport), m_clock(clock), m_finalRequest(finalRequest),
      m_window(std::make_unique<platform::ui::MessageWindow>()),
      m_assembler(
          [this](const QVHeader& header, std::span<const std::uint8_t> payload) { onFrameComplete(header, payload); },
          [this](const QVFrameRecord& record, std::uint64_t time) { onFrameDelivered(record, time); })
{
    m_window->setHandler(kDeviceMessage, [this](WPARAM, LPARAM) { ProcessQueue(); });
    if (const auto key = OpenSettingsKey()) {
        DWORD value = 0;
        if (ReadSettingDword(*key, kUltraSensitiveTriggerValue, &value) == 0) {
            m_ultraSensitiveTrigger = value != 0;
        }
        if (ReadSettingDword(*key, kFilterForeignShotsValue, &value) == 0) {
            m_filterForeignShots = value != 0;
        }
        if (ReadSettingDword(*key, kFrequencyModeValue, &value) == 0 && (value == 1 || value == 2)) {
            m_frequencyMode = static_cast<int>(value);
        }
    }
    m_wanted.parameter21 = static_cast<std::uint16_t>(frameRate());
}

TalvoQV::~TalvoQV()
{
    Close();
}

int TalvoQV::frameRate() const
{
    return m_frequencyMode == 2 ? 120 : 100;
}

std::uint64_t TalvoQV::now() const
{
    return static_cast<std::uint64_t>(m_clock.steadyNow().count());
}

void TalvoQV::resetState()
{
    m_triggerLevel = 100;
    m_frame.clear();
    m_frameWidth = 0;
    m_frameHeight = 0;
    m_assembler.reset();
    m_levels.clear();
    m_peakLevel = 0;
}

bool TalvoQV::Initialize()
{
    resetState();
    ResetDevice();
    return identify() && readFlash();
}

bool TalvoQV::identify()
{
    std::array<std::uint8_t, 4> word{};
    if (!ReadVendor(kVersion, 0, 0, word)) {
        setErrorText("unable to retrieve device version");
        return false;
    }
    m_hardware = bytes::le16(word, 2);
    m_firmware = bytes::le16(word, 0);
    if (!ReadVendor(kSerial, 0, 0, m_serialNumber)) {
        setErrorText("unable to retrieve device serial number");
        return false;
    }
    if (m_hardware < kMinHardware) {
        setErrorText(
            platform::text::formatC("Unsupported TALVO QV sensor version hw:%d, fw:%d.", m_hardware, m_firmware));
        return false;
    }
    if (m_firmware < kMinFirmware) {
        setErrorText(platform::text::formatC("Please update DU-02 firmware to version %d or better. (hw:%d, fw:%d)",
                                             kMinFirmware, m_hardware, m_firmware));
        return false;
    }
    if (!ReadVendor(kProtocol, 0, 0, word)) {
        setErrorText("unable to retrieve protocol version");
        return false;
    }
    m_protocolMajor = bytes::le16(word, 0);
    m_protocolMinor = bytes::le16(word, 2);
    if (m_protocolMajor > kMaxProtocolMajor) {
        setErrorText(platform::text::formatC(
            "Unsupported TALVO QV sensor protocol version major:%d, minor:%d. Please update to the "
            "latest version of TALVO software.",
            m_protocolMajor, m_protocolMinor));
        return false;
    }
    return true;
}

bool TalvoQV::readFlash()
{
    std::array<std::uint8_t, 2> length{};
    if (!ReadVendor(kFlashLengthRequest, 0, 0, length)) {
        setErrorText("unable to retrieve flash block length");
        return false;
    }
    if (bytes::le16(length, 0) != kFlashLength) {
        setErrorText("unsupported device");
        return false;
    }
    std::array<std::uint8_t, kFlashLength> flash{};
    if (!ReadVendor(kFlashRequest, 0, 0, flash)) {
        setErrorText("unable to read flash block");
        return false;
    }
    m_geometryX = bytes::le16(flash, 4);
    m_geometryY = bytes::le16(flash, 6);
    m_focal = bytes::leFloat(flash, 12);
    m_model = bytes::le16(flash, 24);
    if (!inRange(m_focal, 15.0, 46.0) || !inRange(m_geometryX, 160, 592) || !inRange(m_geometryY, 160, 320)) {
        setErrorText("Service required. Please contact TALVO tech support");
        return false;
    }
    if (m_model != 0 && m_model != 5) {
        setErrorText(platform::text::formatC("Unsupported TALVO QV sensor hw:%d, fw:%d, model:%d.", m_hardware,
                                             m_firmware, m_model));
        return false;
    }
    const bool second = m_finalRequest == QVStateRequest::DeviceState2;
    std::array<std::uint8_t, 4> state{};
    if (!ReadVendor(static_cast<std::uint8_t>(m_finalRequest), 0, 0, std::span(state).first(second ? 4 : 2))) {
        setErrorText(second ? "unable to retrieve device state 2" : "unable to retrieve device state");
        return false;
    }
    m_deviceState = bytes::le16(state, 0);
    return true;
}

void TalvoQV::Shutdown()
{
    (void)SendVendorCommand(kFramesOff, 0, 0); // Closing goes on whatever the sensor says.
    m_sent.framesOn = false;
}

void TalvoQV::OnReadError(platform::usb::UsbError /*error*/, bool& stop)
{
    CloseHandle();
    stop = true;
}

void TalvoQV::ResetDevice()
{
    (void)SendVendorCommand(kFramesOff, kAllFrames, 0); // Any answer: the start exchange follows.
}

void TalvoQV::OnPacket(std::span<const std::uint8_t> bytes)
{
    const auto count = static_cast<std::uint32_t>(bytes.size());
    const std::uint64_t time = now();
    {
        LockGuard<Mutex> lock(m_queueLock);
        const std::size_t at = m_queue.size();
        m_queue.resize(at + kEntryHeader + bytes.size());
        std::span<std::uint8_t> entry(m_queue.data() + at, kEntryHeader + bytes.size());
        bytes::put(entry, 0, count);
        bytes::put(entry, 4, time);
        std::ranges::copy(bytes, entry.begin() + kEntryHeader);
    }
    postOnce();
}

void TalvoQV::postOnce()
{
    (void)m_window->postOnce(kDeviceMessage, static_cast<WPARAM>(DeviceMessage::Drain), 0); // Coalesced is fine.
}

void TalvoQV::ProcessQueue()
{
    bool settings = false;
    {
        LockGuard<Mutex> lock(m_queueLock);
        settings = std::exchange(m_settingsPending, false);
    }
    if (settings) {
        (void)RunSettingsSequence(); // A failure is retried by the model's timer.
    }
    std::vector<std::uint8_t> queue;
    {
        LockGuard<Mutex> lock(m_queueLock);
        queue.swap(m_queue);
    }
    const std::span<const std::uint8_t> all(queue);
    std::size_t at = 0;
    while (all.size() - at >= kEntryHeader) {
        const std::size_t count = bytes::le32(all, at);
        if (all.size() - at - kEntryHeader < count) {
            break;
        }
        const auto time = bytes::get<std::uint64_t>(all, at + 4);
        AssemblePacket(time, all.subspan(at + kEntryHeader, count));
        at += kEntryHeader + count;
    }
}

void TalvoQV::AssemblePacket(std::uint64_t time, std::span<const std::uint8_t> packet)
{
    m_assembler.push(time, packet);
}

void TalvoQV::onFrameComplete(const QVHeader& header, std::span<const std::uint8_t> payload)
{
    m_frameWidth = header[10];
    m_frameHeight = header[11];
    m_frame.assign(payload.begin(), payload.end());
    m_exposure.OnFrame(header[52], bytes::le16(header, 24), payload);
}

void TalvoQV::onFrameDelivered(const QVFrameRecord& frame, std::uint64_t time)
{
    const QVRecordContext context{m_referenceX, m_referenceY, m_millimetresPerPixel, m_filterForeignShots};
    const DeviceRecord record = BuildQVRecord(frame, time, context);
    const std::uint16_t level = static_cast<std::uint16_t>(record.piezo);
    m_levels.emplace_back(time, level);
    while (m_levels.size() > 1 && m_levels.front().first + kLevelWindowMs < time) {
        m_levels.pop_front();
    }
    m_peakLevel = std::ranges::max(m_levels, {}, &std::pair<std::uint64_t, std::uint16_t>::second).second;
    eventSignal.raise(record);
}

bool TalvoQV::ExecuteRequest(VendorRequest& request)
{
    if (request.refused) {
        return false;
    }
    bool done = false;
    if (request.length != 0) {
        request.data.resize(request.length);
        done = ReadVendor(request.request, request.value, request.index, request.data);
    } else if (request.data.empty()) {
        done = SendVendorCommand(request.request, request.value, request.index);
    } else {
        done = WriteVendor(request.request, request.value, request.index, request.data);
    }
    request.done = done;
    request.result = done ? 0 : -1;
    return done;
}

void TalvoQV::HoldFrames(std::chrono::milliseconds duration)
{
    m_assembler.holdUntil(now() + static_cast<std::uint64_t>(duration.count()));
}

void TalvoQV::RequestSettings(const TalvoQVSettings& settings, bool force)
{
    if (!force && settings == m_wanted && settings == m_sent) {
        return;
    }
    m_sendAll = m_sendAll || force;
    m_wanted = settings;
    bool post = false;
    {
        LockGuard<Mutex> lock(m_queueLock);
        post = !std::exchange(m_settingsPending, true);
    }
    if (post) {
        postOnce();
    }
}

bool TalvoQV::RunSettingsSequence()
{
    m_settingsIncomplete = !SendQVSettings(m_wanted, m_sent, m_sendAll, *this);
    return !m_settingsIncomplete;
}

void TalvoQV::setTarget(double distance, double diameter, double trackingSize)
{
    m_distance = distance;
    m_diameter = diameter;
    m_trackingSize = trackingSize;
}

void TalvoQV::BuildSettings(bool force)
{
    const bool both = m_choiceA && m_choiceB;
    TalvoQVSettings s = m_wanted;
    s.mode = m_choiceA ? 1 : 2;
    s.parameter84 = both ? 1 : 0;
    s.centreX = static_cast<std::int32_t>(m_referenceX);
    s.centreY = static_cast<std::int32_t>(m_referenceY);
    s.switch9F = !both;
    s.parameter21 = static_cast<std::uint16_t>(frameRate());
    s.parameter92 = 1;
    s.switch9E = true;
    s.parameter1 = 200;
    s.parameter2 = 255;
    s.parameter4 = 2;

    TalvoQVPattern pattern;
    pattern.choiceA = m_choiceA;
    pattern.choiceB = m_choiceB;
    pattern.focal = m_focal;
    pattern.distance = m_distance;
    pattern.diameter = m_diameter > 0.0 ? m_diameter : TalvoQVPattern::kNotGiven;
    pattern.triggerTime = m_trackingSize > 0.0 ? m_trackingSize : TalvoQVPattern::kNotGiven;
    if (pattern.compute()) {
        s.framesOn = true;
        s.parameter5 = both ? 0 : 2;
        s.parameter8B = both ? 16 : 64;
        s.scale = pattern.scale;
        s.secondScale = pattern.secondScale;
        s.windowSize = static_cast<std::uint8_t>(pattern.window);
        for (std::size_t slot = 0; slot < pattern.scales.size(); ++slot) {
            s.patterns[slot] = pattern.scales[slot].list;
            s.patternEnabled[slot] = pattern.scales[slot].succeeded;
        }
        s.parameter6 = pattern.parameter6;
        s.switch23 = m_choiceA && pattern.changeFlag;
        s.switch22 = !m_choiceA && pattern.changeFlag;
        m_millimetresPerPixel = pattern.millimetresPerPixel;
    } else {
        s.patterns = {};
        s.framesOn = false;
        m_millimetresPerPixel = TalvoQVPattern::kNotGiven;
    }
    if (m_ultraSensitiveTrigger) {
        s.triggerMode = 2;
        s.triggerLevel = m_triggerLevel;
    } else {
        s.triggerMode = 1;
    }
    RequestSettings(s, force);
}

void TalvoQV::setUltraSensitiveTrigger(bool on)
{
    m_ultraSensitiveTrigger = on;
    BuildSettings(false);
}

void TalvoQV::SetPowerSupplyFrequencyMode(int mode)
{
    if ((mode != 1 && mode != 2) || mode == m_frequencyMode) {
        return;
    }
    m_frequencyMode = mode;
    BuildSettings(false);
    if (const auto key = OpenSettingsKey()) {
        (void)key->setDword(kFrequencyModeValue, static_cast<DWORD>(mode)); // Kept for this run when it fails.
    }
}

void TalvoQV::SetAutomaticExposure(bool on)
{
    m_automaticExposure = on;
    m_exposure.gainChanged = false;
    m_exposure.exposureChanged = false;
    m_exposure.gain = kDefaultGain;
    m_exposure.exposure = kDefaultExposure;
    m_exposure.clearPending();
    TalvoQVSettings s = m_wanted;
    s.parameter8B = kDefaultGain;
    s.parameter82 = kDefaultExposure;
    RequestSettings(s, false);
}

bool TalvoQV::SendExposureChange()
{
    if (!m_exposure.gainChanged && !m_exposure.exposureChanged) {
        return false;
    }
    TalvoQVSettings s = m_wanted;
    // The sent value is spoilt so the request goes out even when the sensor had the value already.
    if (m_exposure.gainChanged) {
        m_sent.parameter8B = kForceGain;
        s.parameter8B = m_exposure.gain;
    }
    if (m_exposure.exposureChanged) {
        m_sent.parameter82 = kForceExposure;
        s.parameter82 = m_exposure.exposure;
    }
    m_exposure.gainChanged = false;
    m_exposure.exposureChanged = false;
    m_exposure.pending = true;
    RequestSettings(s, false);
    return true;
}

bool TalvoQV::SetShotThreshold(std::uint16_t threshold)
{
    if (m_hardware < kMinHardwareForThreshold) {
        return false;
    }
    m_shotThreshold = threshold;
    BuildSettings(false);
    return true;
}

void TalvoQV::SetTracking(bool requested)
{
    m_trackingTaken = false;
    if (requested) {
        m_trackingDone = false; // A new calibration takes a new centre.
    }
    m_trackingRequested = requested;
    BuildSettings(false);
}

void TalvoQV::TakeTrackingCentre(double x, double y)
{
    m_trackingDone = true;
    m_trackingTaken = true;
    m_referenceX = std::trunc(x);
    m_referenceY = std::trunc(y);
    BuildSettings(false);
}

void TalvoQV::MoveTrackingCentre(double dx, double dy, double angle)
{
    const double s = m_millimetresPerPixel;
    // Without a scale there is no way to move: the centre stays where it is.
    if (!std::isfinite(s) || s <= 0.0) {
        return;
    }
    m_referenceX += std::cos(angle) * dx / s + std::sin(angle) * dy / s;
    m_referenceY += std::cos(angle) * dy / s - std::sin(angle) * dx / s;
    BuildSettings(false);
}

std::pair<double, double> TalvoQV::positionWithFallback(double foundX, double foundY) const
{
    return {std::isfinite(foundX) ? foundX : m_geometryX, std::isfinite(foundY) ? foundY : m_geometryY};
}

bool TalvoQV::Reset(double foundX, double foundY)
{
    setErrorText("unable to reset device");
    const auto [x, y] = positionWithFallback(foundX, foundY);
    m_referenceX = std::trunc(x);
    m_referenceY = std::trunc(y);
    BuildSettings(true);
    setErrorText({});
    return true;
}

} // namespace talvolink
