#include "talvolink/usb/TalvoDeviceUsb.h"

#include "talvolink/DeviceHost.h"
#include "talvolink/Settings.h"
#include "talvolink/serial/Pause.h"
#include "talvolink/usb/Bytes.h"
#include "talvolink/usb/DeviceRequests.h"

#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/time/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace talvolink {

using platform::com::ComPtr;
using platform::usb::InterfaceClass;
using namespace std::chrono_literals;

namespace {

constexpr LONG kSubDevice = 1;
constexpr std::uintptr_t kActivityTimer = 2;
constexpr auto kTimerInterval = 10ms;
constexpr auto kWirelessIdle = 100ms;
constexpr LONG kSampleRate = 100;
constexpr int kWirelessDeadRecords = 4;
constexpr int kZoneCountdown = 5;
constexpr int kMiddleZone = 2;
constexpr int kZoneCount = 5;
constexpr double kZoneStep = 13.0;
constexpr double kZoneOffset = 25.0;
constexpr double kBiathlonFactor = 10.0;
constexpr std::uint8_t kMiddleSignal = 128;
constexpr std::uint8_t kStatusSignal = 60;
constexpr int kDovecoteWirelessCurrent = 40000;
constexpr int kDovecoteOpticalCurrent = 2000;
constexpr int kTargetCodeOffset = 1;
constexpr int kRegulationEvery = 12;

// The nominal spacing of the emitters the sensor sees, by what it aims at.
constexpr double kDovecoteSpacing = 50.0;
constexpr double kZoneTargetSpacing = 50.0;
constexpr double kWirelessTargetSpacing = 190.0;
constexpr double kSensorAloneDistance = 625.0;

std::optional<double> nominalDistanceOfCode(std::uint8_t code)
{
    switch (code) {
    case 6:
        return 182.0;
    case 7:
    case 13:
        return 76.0;
    case 11:
        return 190.0;
    default:
        return std::nullopt; // other targets keep the distance the sensor has
    }
}

// The wParam of kAppMessage: a target connected or went, or the device at the model's path went away.
constexpr WPARAM kTargetChanged = 1;
constexpr WPARAM kDeviceLost = 2;

// Vendor requests.
constexpr std::uint8_t kControllerLamps = 0x81;
constexpr std::uint8_t kReceiverSerial = 0x81;
constexpr std::uint8_t kControllerStart = 0x83;
constexpr std::uint8_t kStopRequest = 0x84;
constexpr std::uint8_t kOpticalCalibration = 0x86;
constexpr std::uint8_t kControllerSubTarget = 0x87;
constexpr std::uint8_t kControllerCurrents = 0x88;
constexpr std::uint8_t kControllerState = 0x8A;
constexpr std::uint8_t kSerialRequest = 0x8B;
constexpr std::uint8_t kOpticalStart = 0x8D;
constexpr std::uint8_t kOpticalStop = 0x8E;
constexpr std::uint8_t kSwitchRequest = 0x90;
constexpr std::uint8_t kDovecoteLamps = 0xA0;
constexpr std::uint8_t kDovecoteLampBrightness = 0xA2;
constexpr std::uint8_t kDovecoteLedBrightness = 0xA3;
constexpr std::uint8_t kDovecoteMeasureWireless = 0xA6;
constexpr std::uint8_t kDovecoteCurrents = 0xA8;
constexpr std::uint8_t kDovecoteSubTarget = 0xA9;
constexpr std::uint8_t kDovecoteMeasureOptical = 0xAC;
constexpr std::uint16_t kDovecoteStartIndex = 2500;

// The target controller's 16-byte state: connected flag, target code, then the target's serial number.
constexpr std::size_t kStateLength = 16;
constexpr std::size_t kStateSerial = 2;

// The descriptor's kind code and serial number.
constexpr std::size_t kDescriptorKind = 0;
constexpr std::size_t kDescriptorSerial = 8;

constexpr const char* kLedsBrightness = "leds_brightness";
constexpr const char* kLampsBrightness = "lamps_brightness";

// A record's own fields after the base's.
#pragma pack(push, 1)
struct UsbRecordFields {
    double shotReference;
    double x;
    double y;
    double phase;
    double lens;
    std::uint8_t packetLength; // 0: an optical record
    std::array<std::uint8_t, 31> packet;
};
#pragma pack(pop)
static_assert(sizeof(UsbRecordFields) <= sizeof(DeviceRecord::modelData));

UsbRecordFields fieldsOf(const DeviceRecord& record)
{
    UsbRecordFields fields{};
    std::memcpy(&fields, record.modelData.data(), sizeof fields);
    return fields;
}

void setFields(DeviceRecord& record, const UsbRecordFields& fields)
{
    std::memcpy(record.modelData.data(), &fields, sizeof fields);
}

// A measured value as a record's 16-bit field; one that is not a number gives 0.
std::int16_t toInt16(double value)
{
    return std::isfinite(value) ? static_cast<std::int16_t>(std::clamp(value, 0.0, 32767.0)) : std::int16_t{0};
}

int clampCurrent(double value, int low, int high)
{
    return static_cast<int>(std::clamp(value, double(low), double(high)));
}

} // namespace

const char* CTalvoDeviceUSB::modelName(InterfaceClass pathClass)
{
    switch (pathClass) {
    case InterfaceClass::WirelessTarget:
        return "TALVO WIRELESS";
    case InterfaceClass::DovecoteTarget:
        return "TALVO DOVECOTE WIRELESS";
    default:
        return "TALVO USB";
    }
}

CTalvoDeviceUSB::CTalvoDeviceUSB(DeviceHost& host, platform::usb::UsbTransport& transport, std::string path,
                                 InterfaceClass pathClass, TargetCommands::PauseFunction pause)
    : CGenericTalvo(host, nullptr), m_transport(transport), m_path(std::move(path)), m_pathClass(pathClass),
      m_wireless(pathClass == InterfaceClass::WirelessTarget || pathClass == InterfaceClass::DovecoteTarget),
      m_optical(transport), m_controller(transport),
      m_side(host, transport, [this] { postAppMessage(kAppMessage1, 1); }), m_receiver(transport),
      m_dovecote(transport),
      m_pause(pause ? std::move(pause)
                    : TargetCommands::PauseFunction([&host](std::chrono::milliseconds d) { Pause(host.clock(), d); })),
      m_commands(m_receiver, host.clock(), m_pause), m_targetLevel(m_wireless ? 500 : 1200),
      m_session(host, *this, kSubDevice)
{
    m_activity.renew(host.clock().steadyNow());
    (void)m_xFilter.Design(0.15, FilterKind::LowPass, 0.5, 2); // valid constants
    (void)m_yFilter.Design(0.15, FilterKind::LowPass, 0.5, 2);
    if (const auto key = OpenSettingsKey()) {
        DWORD level = 0;
        if (ReadSettingDword(*key, m_wireless ? u"WirelessSignalLevel" : u"SignalLevel", &level) == 0 && level >= 500 &&
            level <= 2000) {
            m_targetLevel = static_cast<int>(level);
        }
    }
}

CTalvoDeviceUSB::~CTalvoDeviceUSB()
{
    unhookDevices();
    closeDevices();
}

// --- Opening and closing ---------------------------------------------------------------------------------------

bool CTalvoDeviceUSB::fail(const std::string& text)
{
    host().setLastErrorText(text);
    return false;
}

bool CTalvoDeviceUSB::openFirst(UsbDevice& device, InterfaceClass interfaceClass)
{
    const auto found = m_transport.enumerate(interfaceClass);
    if (!found || found.value().empty()) {
        return false;
    }
    if (device.Open(found.value().front().path)) {
        return true;
    }
    host().setLastErrorText(device.errorText());
    return false;
}

void CTalvoDeviceUSB::openSideSensors()
{
    if (m_side.openMissing()) {
        m_records.resetTrigger();
    }
}

void CTalvoDeviceUSB::setSerial(std::size_t slot, const UsbSerialNumber& serial)
{
    auto& target = host().deviceInformation().serialSlots[slot];
    target.fill(0);
    std::ranges::copy(serial, target.begin());
}

void CTalvoDeviceUSB::setSpacing(double spacing)
{
    if (m_wireless) {
        m_records.decoder().setSpacing(spacing);
    } else {
        m_optical.setNominalDistance(spacing);
    }
}

void CTalvoDeviceUSB::hookDevices()
{
    unhookDevices();
    const auto post = [this](UINT message) {
        return [this, message](auto&&...) { postAppMessage(message, kTargetChanged); };
    };
    const auto connect = m_controller.eventConnect.hook(post(kAppMessage));
    const auto target = m_receiver.eventTarget.hook(post(kAppMessage));
    const auto signal = m_optical.eventSignal.hook([this](const OpticalSample& s) { onOpticalSample(s); });
    const auto data = [this](int, std::span<const std::uint8_t> bytes) { onWirelessData(bytes); };
    const auto wireless = m_receiver.eventWirelessData.hook(data);
    const auto dovecote = m_dovecote.eventWirelessData.hook(data);
    UsbDevice& pathDevice = pathDeviceOf();
    const auto lost = pathDevice.eventLost.hook([this] { postAppMessage(kAppMessage, kDeviceLost); });
    m_unhooks = {[&pathDevice, lost] { pathDevice.eventLost.unhook(lost); },
                 [this, connect] { m_controller.eventConnect.unhook(connect); },
                 [this, target] { m_receiver.eventTarget.unhook(target); },
                 [this, signal] { m_optical.eventSignal.unhook(signal); },
                 [this, wireless] { m_receiver.eventWirelessData.unhook(wireless); },
                 [this, dovecote] { m_dovecote.eventWirelessData.unhook(dovecote); }};
}

void CTalvoDeviceUSB::unhookDevices()
{
    for (const auto& unhook : m_unhooks) {
        unhook();
    }
    m_unhooks.clear();
}

void CTalvoDeviceUSB::closeDevices()
{
    // Each Close joins its reader, so no handler runs once this returns.
    m_dovecote.Close();
    m_receiver.Close();
    m_side.close();
    m_controller.Close();
    m_optical.Close();
}

UsbDevice& CTalvoDeviceUSB::pathDeviceOf()
{
    switch (m_pathClass) {
    case InterfaceClass::WirelessTarget:
        return m_receiver;
    case InterfaceClass::DovecoteTarget:
        return m_dovecote;
    default:
        return m_optical;
    }
}

bool CTalvoDeviceUSB::Open()
{
    m_lost = false;
    m_ledsAvailable = false;
    m_lampsAvailable = false;
    m_ledsBrightness = 0;
    m_lampsBrightness = 0;
    m_records = WirelessRecords();
    m_lastKind = -1;
    const bool target10m = isTarget10m();
    host().setLastErrorText("");
    if (m_wireless) {
        if (!target10m) {
            return false;
        }
        (void)m_xFilter.Design(0.15, FilterKind::LowPass, 0.5, 2);
        (void)m_yFilter.Design(0.15, FilterKind::LowPass, 0.5, 2);
        m_targetNumber = 0;
        UsbDevice& device = pathDeviceOf();
        if (!device.Open(m_path)) {
            return fail(device.errorText());
        }
    } else {
        if (target10m && !openFirst(m_controller, InterfaceClass::TargetController) &&
            !openFirst(m_receiver, InterfaceClass::WirelessTarget) &&
            !openFirst(m_dovecote, InterfaceClass::DovecoteTarget)) {
            return fail("Target controller is not connected");
        }
        if (!m_optical.Open(m_path)) {
            return fail(m_optical.errorText());
        }
        m_optical.setSensorKind(host().subDevice(kSubDevice).targetType);
    }
    hookDevices();

    auto& slots = host().deviceInformation().serialSlots;
    slots[1].fill(0);
    slots[2].fill(0);
    if (!m_wireless) {
        UsbSerialNumber serial{};
        if (!ReadSerialNumber(m_optical, kSerialRequest, serial)) {
            return fail("Unable to retrieve optical sensor's serial number");
        }
        setSerial(0, serial);
    }

    bool ok = true;
    if (m_controller.isOpen()) {
        ok = setUpController();
    } else if (m_receiver.isOpen()) {
        ok = setUpWirelessTarget();
    } else if (m_dovecote.isOpen()) {
        ok = setUpDovecote();
    } else if (!target10m) {
        m_optical.setNominalDistance(kSensorAloneDistance);
        (void)selectSubTarget();
    }
    if (!ok) {
        return false;
    }
    openSideSensors();

    SetupPort();
    openLink();
    startTimer(kActivityTimer, kTimerInterval);
    Reconfigure();

    if (!m_wireless) {
        std::array<std::uint8_t, 20> calibration{};
        bool present = m_optical.ReadVendor(kOpticalCalibration, 0, 0, calibration);
        for (std::size_t i = 0; present && i < 5; ++i) {
            const std::uint32_t value = bytes::le32(calibration, 4 * i);
            present = value != 0 && value != 0xFFFFFFFF;
        }
        if (!present) {
            return fail("Missing optical sensor's calibration info.");
        }
        m_opticalLens = bytes::le32(calibration, 16) / 65536.0;
        m_optical.setCalibrationScale(m_opticalLens);
        m_optical.setPiezoSensitivity(m_piezoSensitivity);
    } else {
        (void)selectSubTarget();
        m_regulator.restart();
        m_records.setRatio(2);
    }
    if (!Start()) {
        return false;
    }
    return true;
}

bool CTalvoDeviceUSB::setUpController()
{
    UsbSerialNumber serial{};
    if (!ReadSerialNumber(m_controller, kSerialRequest, serial)) {
        return fail("Unable to retrieve target controller's serial number");
    }
    setSerial(1, serial);
    std::array<std::uint8_t, kStateLength> state{};
    if (!m_controller.ReadVendor(kControllerState, 0, 0, state) || state[0] != 1) {
        return fail("Target is not connected (1). Check cable.");
    }
    std::ranges::copy_n(state.begin() + kStateSerial, 8, serial.begin());
    setSerial(2, serial);
    applyTargetCode(state[kTargetCodeOffset]);
    (void)selectSubTarget();
    loadCalibration();
    (void)sendCurrents();
    return true;
}

void CTalvoDeviceUSB::applyTargetCode(std::uint8_t code)
{
    if (const auto distance = nominalDistanceOfCode(code)) {
        m_optical.setNominalDistance(*distance);
    }
}

bool CTalvoDeviceUSB::receiverOn()
{
    const bool on = m_receiver.SendVendorCommand(kSwitchRequest, 1, 0);
    m_pause(100ms);
    return on;
}

bool CTalvoDeviceUSB::setUpWirelessTarget()
{
    (void)receiverOn(); // A receiver that missed it shows no target below.
    m_targetNumber = 0;
    for (int attempt = 0; attempt < 3 && m_targetNumber == 0; ++attempt) {
        m_pause(1000ms);
        m_targetNumber = m_commands.firstPresentTarget();
    }
    if (m_targetNumber == 0) {
        return fail("Target is not connected (2). Check cable.");
    }
    UsbSerialNumber serial{};
    if (!ReadSerialNumber(m_receiver, kReceiverSerial, serial)) {
        return fail("Unable to retrieve target controller's serial number");
    }
    setSerial(1, serial);
    const std::uint8_t descriptor[1] = {command::kDescriptor};
    if (!m_commands.sendWithReply(m_targetNumber, descriptor, m_descriptor, kQuickCommand)) {
        return fail("Unable to retrieve target's descriptor");
    }
    std::ranges::copy_n(m_descriptor.begin() + kDescriptorSerial, 8, serial.begin());
    setSerial(2, serial);
    const std::uint8_t settings[1] = {command::kSettings};
    if (!m_commands.sendWithReply(m_targetNumber, settings, m_settings, kQuickCommand)) {
        return fail("Unable to retrieve target's settings");
    }
    m_regulator.setCurrents({m_settings[0], m_settings[1]});
    if (zoneTarget()) {
        m_ledsAvailable = true;
        m_lampsAvailable = true;
        m_ledsBrightness = kNotSet;
        m_lampsBrightness = kNotSet;
        loadBrightness();
        setSpacing(kZoneTargetSpacing);
        (void)selectSubTarget();
        m_regulator.setCurrents({kMiddleSignal, kMiddleSignal});
        loadCalibration();
        m_zoneCountdown = kZoneCountdown;
        (void)selectZone(kMiddleZone, true);
    } else {
        setSpacing(kWirelessTargetSpacing);
        (void)selectSubTarget();
        loadCalibration();
    }
    (void)sendCurrents(); // retried by the regulation
    return true;
}

bool CTalvoDeviceUSB::setUpDovecote()
{
    setSerial(2, m_dovecote.serialNumber());
    if (!m_dovecote.SendVendorCommand(kSwitchRequest, 1, kDovecoteStartIndex)) {
        return fail("Unable to start target device (1)");
    }
    m_ledsAvailable = true;
    m_lampsAvailable = true;
    m_ledsBrightness = kNotSet;
    m_lampsBrightness = kNotSet;
    loadBrightness();
    if (m_wireless) {
        if (!m_dovecote.SendVendorCommand(kDovecoteMeasureWireless, 1, 0)) {
            return fail("Unable to start target device (2)");
        }
        setSpacing(kDovecoteSpacing);
    } else {
        if (!m_dovecote.SendVendorCommand(kDovecoteMeasureOptical, 1, 0)) {
            return fail("Unable to start target device (3)");
        }
        setSpacing(kDovecoteSpacing);
    }
    (void)selectSubTarget();
    const int current = m_wireless ? kDovecoteWirelessCurrent : kDovecoteOpticalCurrent;
    m_regulator.setCurrents({current, current});
    loadCalibration();
    (void)sendCurrents();
    return true;
}

bool CTalvoDeviceUSB::Close()
{
    // The base stops (with the devices still open) and lets a reader stalled on the full ring go; closing the
    // devices then joins their readers.
    (void)CGenericTalvo::Close();
    unhookDevices();
    closeDevices();
    m_records.resetTrigger();
    return true;
}

bool CTalvoDeviceUSB::Start()
{
    EndAiming();
    if (m_wireless) {
        if (m_receiver.isOpen()) {
            if (m_targetNumber < 1) {
                return fail("Target is not connected (4). Check cable.");
            }
            const std::uint8_t start[1] = {command::kStartWireless};
            (void)sendCommand(start, kQuickCommand); // the target starts sending when it hears it
        }
        m_activity.renew(host().clock().steadyNow());
        return true;
    }
    if (!m_optical.SendVendorCommand(kOpticalStart, 0, 0)) {
        return fail("Unable to start optical sensor");
    }
    if (isTarget10m()) {
        if (m_controller.isOpen()) {
            (void)m_controller.SendVendorCommand(kControllerStart, 0, 0);
        } else if (m_receiver.isOpen()) {
            if (m_targetNumber < 1) {
                return fail("Target is not connected (3). Check cable.");
            }
            const std::uint8_t start[1] = {command::kStartOptical};
            (void)sendCommand(start, kQuickCommand);
        }
    }
    return true;
}

void CTalvoDeviceUSB::Stop()
{
    if (m_session.isOpen()) {
        ConcludeAiming();
    }
    (void)allLampsOff();
    (void)m_controller.SendVendorCommand(kStopRequest, 0, 0);
    if (m_receiver.isOpen()) {
        const std::uint8_t stop[1] = {command::kStopLink};
        (void)m_commands.send(0, stop, kQuickCommand);
        (void)m_receiver.SendVendorCommand(kSwitchRequest, 0, 0);
    } else {
        (void)m_dovecote.SendVendorCommand(kSwitchRequest, 0, kDovecoteStartIndex);
    }
    (void)m_optical.SendVendorCommand(kOpticalStop, 0, 0);
    m_side.stop();
    m_records.resetTrigger();
}

void CTalvoDeviceUSB::SetupPort()
{
    host().setSampleRate(kSampleRate);
    m_detection.setDeadRecords(m_wireless ? kWirelessDeadRecords : static_cast<int>(host().sampleRate() / 20));
}

// --- Reader threads ------------------------------------------------------------------------------------------

void CTalvoDeviceUSB::onOpticalSample(const OpticalSample& s)
{
    const auto block = std::span<const std::uint8_t>(s);
    const auto value = [&](std::size_t offset) { return bytes::get<double>(block, offset); };
    const bool target10m = isTarget10m();
    if (target10m && host().subDevice(kSubDevice).calibrationMode) {
        std::array<double, 8> quadrants{};
        for (std::size_t i = 0; i < quadrants.size(); ++i) {
            quadrants[i] = value(optical::kQuadrants + 8 * i);
        }
        const std::array<double, 2> sums{value(optical::kSpotSum), value(optical::kSpotSum + 8)};
        const RegulationRule& rule = m_controller.isOpen() ? kOpticalControllerRule
                                     : m_dovecote.isOpen() ? kOpticalDovecoteRule
                                                           : kOpticalWirelessRule;
        if (const auto next = m_regulator.onSpots(rule, quadrants, sums, m_targetLevel, false)) {
            const Currents before = m_regulator.currents();
            m_regulator.setCurrents(*next);
            if (!sendCurrents() && !m_controller.isOpen()) {
                m_regulator.setCurrents(before);
            }
        }
    }
    const double intensity = value(optical::kSumBoth);
    const double scale = value(optical::kFactor);
    // The sensor's own verdict (every quadrant lit) comes first: a dark quadrant skews the position.
    const bool bright = target10m ? m_opticalLens * scale <= 16.0 && intensity >= 1000.0
                                  : intensity >= (m_optical.majorVersion() >= 5 ? 300.0 : 500.0);
    const bool valid = s[optical::kValid] != 0 && bright;
    DeviceRecord record;
    record.aimValid = valid ? 1 : 0;
    record.level = toInt16(std::round(intensity));
    const double shotValue = value(optical::kShotValue);
    record.piezo = toInt16(shotValue / 4.0);
    record.scale = scale;
    record.angle = value(optical::kAngleUsed);
    UsbRecordFields fields{};
    fields.shotReference = shotValue;
    fields.x = value(optical::kX);
    fields.y = -value(optical::kY);
    fields.phase = bytes::get<float>(block, optical::kShotTime);
    fields.lens = m_opticalLens;
    setFields(record, fields);
    QueueRecord(record);
}

void CTalvoDeviceUSB::onWirelessData(std::span<const std::uint8_t> data)
{
    DeviceRecord record;
    UsbRecordFields fields{};
    fields.packetLength = static_cast<std::uint8_t>(std::min(data.size(), fields.packet.size()));
    std::copy_n(data.begin(), fields.packetLength, fields.packet.begin());
    setFields(record, fields);
    QueueRecord(record);
}

// --- Availability, brightness, semaphore, data ----------------------------------------------------------------

bool CTalvoDeviceUSB::isTarget10m() const
{
    return host().subDevice(kSubDevice).targetType == Target10m;
}

bool CTalvoDeviceUSB::SemaphoreAvailable()
{
    return isTarget10m();
}

bool CTalvoDeviceUSB::PulseAvailable()
{
    return m_side.pulseOpen();
}

bool CTalvoDeviceUSB::TriggerControlAvailable()
{
    return m_side.triggerOpen() || m_records.triggerSeen();
}

void CTalvoDeviceUSB::PutLedsBrightness(LONG value)
{
    (void)putBrightness(true, value);
}

void CTalvoDeviceUSB::PutLampsBrightness(LONG value)
{
    (void)putBrightness(false, value);
}

bool CTalvoDeviceUSB::putBrightness(bool leds, LONG value)
{
    if (value < 0 || value > 7 || !(leds ? m_ledsAvailable : m_lampsAvailable) || !isTarget10m()) {
        return false;
    }
    bool sent = false;
    if (m_receiver.isOpen()) {
        const std::array<std::uint8_t, 2> bytes{leds ? command::kLedBrightness : command::kLampBrightness,
                                                static_cast<std::uint8_t>(leds ? 7 - value : value)};
        sent = m_targetNumber >= 1 && sendCommand(bytes, kBrightnessCommand);
    } else if (m_dovecote.isOpen()) {
        sent = m_dovecote.SendVendorCommand(leds ? kDovecoteLedBrightness : kDovecoteLampBrightness,
                                            static_cast<std::uint16_t>(value), 0);
    }
    if (!sent) {
        return false;
    }
    (leds ? m_ledsBrightness : m_lampsBrightness) = value;
    saveBrightness();
    return true;
}

void CTalvoDeviceUSB::PutPiezoSensitivity(LONG nSubDevice, LONG value)
{
    if (nSubDevice == kSubDevice) {
        m_piezoSensitivity = value;
        if (m_optical.isOpen()) {
            m_optical.setPiezoSensitivity(value);
        }
    }
}

LONG CTalvoDeviceUSB::GetPiezoSensitivity(LONG /*nSubDevice*/)
{
    return m_piezoSensitivity;
}

LONG CTalvoDeviceUSB::GetSignalLevel(LONG /*nSubDevice*/)
{
    if (!m_wireless) {
        return m_lastLevel;
    }
    if (m_lastKind < 0) {
        return 0;
    }
    const double scale = IsPositionKind(m_lastKind) ? 1200.0 / 35.0 : 1200.0 / 500.0;
    return static_cast<LONG>(m_lastLevel * scale);
}

LONG CTalvoDeviceUSB::GetPiezoLevel(LONG /*nSubDevice*/)
{
    return m_lastPiezo;
}

bool CTalvoDeviceUSB::PutSemaphore(enumSemaphoreMode mode)
{
    if (!isTarget10m()) {
        return false;
    }
    bool ok = switchLamp(false, 1, mode == SemaphoreRed);
    ok = switchLamp(true, 2, mode == SemaphoreGreen) && ok;
    if (mode == SemaphoreOff) {
        ok = allLampsOff() && ok;
    }
    return ok;
}

bool CTalvoDeviceUSB::GetTrigger(LONG /*nSubDevice*/, LONG index, LONG* value)
{
    return m_side.trigger(index, value);
}

void CTalvoDeviceUSB::GetData(std::array<float, 9>& values)
{
    const float none = std::numeric_limits<float>::quiet_NaN();
    values = {static_cast<float>(GetSignalLevel(kSubDevice)),
              static_cast<float>(m_current.scale),
              static_cast<float>(m_current.x),
              static_cast<float>(m_current.y),
              static_cast<float>(m_lastPiezo),
              static_cast<float>(m_current.angle),
              static_cast<float>(lensOf(m_current)),
              none,
              none};
    if (m_wireless) {
        values[7] = static_cast<float>(m_records.decoder().batteryPercent());
        values[8] = static_cast<float>(m_records.decoder().batteryVoltage());
    }
}

// --- Targets ---------------------------------------------------------------------------------------------------

bool CTalvoDeviceUSB::zoneTarget() const
{
    return m_receiver.isOpen() && m_targetNumber >= 1 && descriptorKind() == kZoneTargetKind;
}

int CTalvoDeviceUSB::descriptorKind() const
{
    return bytes::le16(m_descriptor, kDescriptorKind);
}

bool CTalvoDeviceUSB::sendCommand(std::span<const std::uint8_t> bytes, CommandTiming timing)
{
    return m_targetNumber >= 1 && m_commands.send(m_targetNumber, bytes, timing);
}

bool CTalvoDeviceUSB::sendSignals(std::uint8_t s0, std::uint8_t s1)
{
    const std::array<std::uint8_t, 3> bytes{command::kSignals, s0, s1};
    if (!sendCommand(bytes, kSignalsCommand)) {
        return false;
    }
    m_regulator.setCurrents({s0, s1});
    return true;
}

bool CTalvoDeviceUSB::sendCurrents()
{
    const Currents currents = m_regulator.currents();
    if (m_controller.isOpen()) {
        return m_controller.SendVendorCommand(kControllerCurrents, static_cast<std::uint16_t>(currents[0]),
                                              static_cast<std::uint16_t>(currents[1]));
    }
    if (m_dovecote.isOpen()) {
        return m_dovecote.SendVendorCommand(kDovecoteCurrents, static_cast<std::uint16_t>(currents[0]),
                                            static_cast<std::uint16_t>(currents[1]));
    }
    if (m_receiver.isOpen()) {
        return sendSignals(static_cast<std::uint8_t>(currents[0]), static_cast<std::uint8_t>(currents[1]));
    }
    return false;
}

bool CTalvoDeviceUSB::switchLamp(bool hitLamp, int lamp, bool on)
{
    if (!isTarget10m()) {
        return false;
    }
    if (m_receiver.isOpen()) {
        const LampBytes next = SwitchLamp(lampBytes(), hitLamp, lamp, on);
        if (!sendCommand(LampCommand(next, descriptorKind()), kQuickCommand)) {
            return false;
        }
        m_settings[2] = next.hit;
        m_settings[3] = next.miss;
        return true;
    }
    if (m_dovecote.isOpen()) {
        const LampBytes next = SwitchLamp(m_dovecoteLamps, hitLamp, lamp, on);
        if (!m_dovecote.SendVendorCommand(kDovecoteLamps, static_cast<std::uint16_t>(next.miss << 8 | next.hit), 0)) {
            return false;
        }
        m_dovecoteLamps = next;
        return true;
    }
    if (m_controller.isOpen() && lamp >= 1 && lamp <= 16) {
        std::uint16_t& mask = hitLamp ? m_hitMask : m_missMask;
        const auto bit = static_cast<std::uint16_t>(1U << (lamp - 1));
        mask = on ? static_cast<std::uint16_t>(mask | bit) : static_cast<std::uint16_t>(mask & ~bit);
        return m_controller.SendVendorCommand(kControllerLamps, m_hitMask, m_missMask);
    }
    return false;
}

bool CTalvoDeviceUSB::allLampsOff()
{
    bool ok = true;
    if (m_dovecote.isOpen()) {
        ok = m_dovecote.SendVendorCommand(kDovecoteLamps, 0, 0);
        if (ok) {
            m_dovecoteLamps = {};
        }
    }
    if (m_controller.isOpen()) {
        m_hitMask = 0;
        m_missMask = 0;
        ok = m_controller.SendVendorCommand(kControllerLamps, 0, 0) && ok;
    }
    if (m_receiver.isOpen() && m_targetNumber >= 1) {
        const bool sent = sendCommand(LampCommand({}, descriptorKind()), kQuickCommand);
        if (sent) {
            m_settings[2] = 0;
            m_settings[3] = 0;
        }
        ok = sent && ok;
    }
    m_litMissLamp = 0;
    m_lampCountdown = 0;
    return ok;
}

bool CTalvoDeviceUSB::selectZone(int zone, bool force)
{
    if (!force && zone == m_zone) {
        return true;
    }
    const std::array<std::uint8_t, 2> bytes{command::kZone, static_cast<std::uint8_t>(1U << zone)};
    if (!sendCommand(bytes, kZoneCommand)) {
        return false;
    }
    m_zone = zone;
    return true;
}

bool CTalvoDeviceUSB::selectSubTarget()
{
    const SubTargetPair pair = SelectSubTargetPair(m_wireless, m_lastKind, host().firingPoint());
    if (!m_wireless) {
        m_optical.setParity(pair.parity);
    }
    bool ok = true;
    if (m_receiver.isOpen() && m_targetNumber >= 1) {
        const std::array<std::uint8_t, 3> bytes{command::kSubTarget, pair.a, pair.b};
        ok = sendCommand(bytes, kSubTargetCommand);
        if (ok) {
            m_settings[4] = pair.a;
            m_settings[5] = pair.b;
        }
    } else if (m_dovecote.isOpen()) {
        ok = m_dovecote.SendVendorCommand(kDovecoteSubTarget, pair.a, pair.b);
    } else if (m_controller.isOpen() && isTarget10m()) {
        ok = m_controller.SendVendorCommand(kControllerSubTarget, static_cast<std::uint16_t>(pair.parity), 0);
    }
    return ok;
}

void CTalvoDeviceUSB::PutFiringPoint()
{
    const bool anyTarget = m_controller.isOpen() || m_receiver.isOpen() || m_dovecote.isOpen();
    if (m_wireless || (m_optical.isOpen() && (!isTarget10m() || anyTarget))) {
        (void)selectSubTarget();
    }
    if (isTarget10m() && m_controller.isOpen()) {
        (void)sendCurrents();
    }
}

void CTalvoDeviceUSB::PutCalibrationMode()
{
    const bool calibrating = host().subDevice(kSubDevice).calibrationMode;
    (void)allLampsOff();
    if (isBiathlon() && zoneTarget()) {
        m_zoneCountdown = kZoneCountdown;
        (void)selectZone(kMiddleZone, true);
    }
    if (calibrating) {
        if (zoneTarget()) {
            for (const int lamp : {1, 2, 4, 5}) {
                (void)switchLamp(false, lamp, true);
            }
        } else {
            (void)switchLamp(false, 1, true);
        }
    }
    if (m_wireless && calibrating) {
        if (m_receiver.isOpen()) {
            (void)sendSignals(kMiddleSignal, kMiddleSignal);
        } else if (m_dovecote.isOpen()) {
            m_regulator.setCurrents({kDovecoteWirelessCurrent, kDovecoteWirelessCurrent});
            (void)sendCurrents();
        }
        m_regulator.restart();
    }
}

void CTalvoDeviceUSB::regulateWireless(const WirelessSample& packet)
{
    if (!host().subDevice(kSubDevice).calibrationMode) {
        return;
    }
    const bool dovecote = m_dovecote.isOpen() && !m_receiver.isOpen();
    if (packet.state != WirelessSample::State::Sample) {
        if (packet.state == WirelessSample::State::StatusOn && IsPositionKind(packet.kind) && m_receiver.isOpen()) {
            (void)sendSignals(kStatusSignal, kStatusSignal);
        } else if (packet.state != WirelessSample::State::Nothing && !IsPositionKind(packet.kind)) {
            (void)selectSubTarget();
        }
        return;
    }
    std::optional<Currents> next;
    if (IsPositionKind(packet.kind)) {
        if (packet.counter % kRegulationEvery == 1) {
            const std::array<int, 2> levels{m_records.decoder().levelA(), m_records.decoder().levelB()};
            next = RegulateLevels(m_regulator.currents(), levels, packet.saturated, !dovecote);
        }
    } else {
        const RegulationRule& rule = dovecote ? kWirelessDovecoteRule : kWirelessTargetRule;
        next = m_regulator.onSpots(rule, packet.quadrants, packet.spotSum, m_targetLevel, packet.saturated);
    }
    if (!next) {
        return;
    }
    if (dovecote) {
        const Currents before = m_regulator.currents();
        m_regulator.setCurrents(*next);
        if (!sendCurrents()) {
            m_regulator.setCurrents(before);
        }
    } else {
        (void)sendSignals(static_cast<std::uint8_t>(clampCurrent((*next)[0], 0, 255)),
                          static_cast<std::uint8_t>(clampCurrent((*next)[1], 0, 255)));
    }
}

// --- Calibration -----------------------------------------------------------------------------------------------

std::string CTalvoDeviceUSB::targetSerial() const
{
    UsbSerialNumber serial{};
    std::ranges::copy_n(host().deviceInformation().serialSlots[2].begin(), 8, serial.begin());
    return FormatSerialNumber(serial);
}

std::string CTalvoDeviceUSB::calibrationPrefix() const
{
    UsbSerialNumber serial{};
    std::ranges::copy_n(host().deviceInformation().serialSlots[0].begin(), 8, serial.begin());
    return CalibrationPrefix(FormatSerialNumber(serial), targetSerial());
}

EmitterDevice CTalvoDeviceUSB::emitterDevice() const
{
    if (m_receiver.isOpen()) {
        return EmitterDevice::WirelessTarget;
    }
    return m_dovecote.isOpen() ? EmitterDevice::Dovecote : EmitterDevice::TargetController;
}

void CTalvoDeviceUSB::loadCalibration()
{
    if (m_wireless || !isTarget10m()) {
        return;
    }
    const auto key = OpenSettingsKey();
    const auto values = key ? LoadCalibration(*key, calibrationPrefix(), emitterDevice()) : std::nullopt;
    if (!values) {
        return;
    }
    host().setCalibrationWanted(kSubDevice, false);
    const Currents currents{static_cast<int>(values->signal0), static_cast<int>(values->signal1)};
    m_regulator.setCurrents(currents);
    m_offset = values->offset;
    m_calibrationScale = values->scale;
    m_calibrated = true;
    host().setCorrection(kSubDevice, std::lround(values->corrx), std::lround(values->corry));
    m_corrx = values->corrx / 100.0;
    m_corry = values->corry / 100.0;
}

void CTalvoDeviceUSB::saveCalibration()
{
    if (m_wireless || !isTarget10m()) {
        return;
    }
    const auto key = OpenSettingsKey();
    if (!key) {
        return;
    }
    std::optional<CalibrationValues> values;
    if (m_calibrated) {
        const Currents currents = m_regulator.currents();
        values = CalibrationValues{double(currents[0]), double(currents[1]), m_offset,
                                   m_corrx * 100.0,     m_corry * 100.0,     m_calibrationScale};
    }
    (void)SaveCalibration(*key, calibrationPrefix(), values); // a broken-off save leaves a refused "scale"
}

void CTalvoDeviceUSB::loadBrightness()
{
    const auto key = OpenSettingsKey();
    if (!key) {
        return;
    }
    const std::string serial = targetSerial();
    (void)putBrightness(true, static_cast<LONG>(LoadBrightness(*key, serial, kLedsBrightness)));
    (void)putBrightness(false, static_cast<LONG>(LoadBrightness(*key, serial, kLampsBrightness)));
}

void CTalvoDeviceUSB::saveBrightness()
{
    const auto key = OpenSettingsKey();
    if (!key) {
        return;
    }
    const std::string serial = targetSerial();
    if (m_ledsBrightness != kNotSet) {
        (void)SaveBrightness(*key, serial, kLedsBrightness, static_cast<DWORD>(m_ledsBrightness));
    }
    if (m_lampsBrightness != kNotSet) {
        (void)SaveBrightness(*key, serial, kLampsBrightness, static_cast<DWORD>(m_lampsBrightness));
    }
}

void CTalvoDeviceUSB::OnCorrectionChanged()
{
    if (!m_lastShot.valid) {
        return;
    }
    const SubDeviceSettings& settings = host().subDevice(kSubDevice);
    const double correctionX = settings.correctionX / 100.0;
    const double correctionY = settings.correctionY / 100.0;
    const double factor = m_lastShot.factor != 0.0 ? m_lastShot.factor : 1.0;
    m_offset.angle0 = m_lastShot.angle;
    m_calibrated = true;
    m_offset.dx0 = m_lastShot.x - ((correctionX - m_corrx) / factor + m_lastShot.transformed.x);
    m_offset.dy0 = m_lastShot.y - ((correctionY - m_corry) / factor + m_lastShot.transformed.y);
    m_corrx = correctionX;
    m_corry = correctionY;
    saveCalibration();
}

// --- Records and aiming ----------------------------------------------------------------------------------------

bool CTalvoDeviceUSB::isBiathlon() const
{
    const auto& event = host().subDevice(kSubDevice).event;
    platform::com::Bstr name;
    return event && SUCCEEDED(event->get_ShortName(name.put())) && name.view() == u"BTLN";
}

double CTalvoDeviceUSB::distance() const
{
    const auto& event = host().subDevice(kSubDevice).event;
    float value = 0.0F;
    return event && SUCCEEDED(event->get_Distance(&value)) ? value : 0.0;
}

double CTalvoDeviceUSB::lensOf(const UsbSample& sample) const
{
    return m_wireless ? sample.lens : m_opticalLens;
}

void CTalvoDeviceUSB::BeginRecords(int count)
{
    m_session.dropPendingPoints();
    m_side.beginBatch(static_cast<std::size_t>(std::max(count, 0)) * WirelessRecords::kMaxSamples);
    openSideSensors();
}

void CTalvoDeviceUSB::OnRecord(const DeviceRecord& record)
{
    const UsbRecordFields fields = fieldsOf(record);
    const std::optional<std::int16_t> sensorTrigger = m_side.nextTrigger();
    if (!m_wireless) {
        UsbSample sample;
        sample.valid = record.aimValid != 0;
        sample.level = record.level;
        sample.piezo = record.piezo;
        sample.trigger = sensorTrigger.value_or(0);
        sample.scale = record.scale;
        sample.angle = record.angle;
        sample.x = fields.x;
        sample.y = fields.y;
        sample.phase = fields.phase;
        sample.lens = fields.lens;
        sample.shotReference = fields.shotReference;
        onSample(sample);
        return;
    }
    m_records.build(std::span(fields.packet).first(fields.packetLength), m_result);
    if (m_result.newSource) {
        m_lastKind = m_result.packet.kind;
        (void)selectSubTarget();
        m_regulator.restart();
        (void)m_xFilter.Design(0.18, FilterKind::LowPass, 0.5, 2);
        (void)m_yFilter.Design(0.18, FilterKind::LowPass, 0.5, 2);
    }
    regulateWireless(m_result.packet);
    if (!sensorTrigger && m_records.triggerSeen() && m_result.count > 0) {
        m_side.appendTrigger(m_result.samples[0].trigger);
    }
    const WirelessRecords::Result result = m_result; // a sink may run the next batch inside onSample
    for (std::size_t i = 0; i < result.count; ++i) {
        UsbSample sample = result.samples[i];
        if (sensorTrigger) {
            sample.trigger = *sensorTrigger;
        }
        onSample(sample);
    }
}

void CTalvoDeviceUSB::onSample(UsbSample sample)
{
    // A position that is not a number cannot become a point.
    if (!std::isfinite(sample.x) || !std::isfinite(sample.y)) {
        sample.valid = false;
    }
    m_current = sample;
    m_lastLevel = sample.level;
    m_lastPiezo = sample.piezo;
    if (isBiathlon() && zoneTarget()) {
        tuneZone(sample);
    }
    if (sample.valid && !host().subDevice(kSubDevice).calibrationMode && outsideForm(sample)) {
        sample.valid = false;
    }
    if (isBiathlon()) {
        onBiathlonSample(sample);
    } else {
        onOtherSample(sample);
    }
}

void CTalvoDeviceUSB::tuneZone(UsbSample& sample)
{
    if (m_zoneCountdown > 0) {
        --m_zoneCountdown;
        sample.valid = false;
        return;
    }
    const int minimum = sample.kind < 0 ? 300 : IsPositionKind(sample.kind) ? 10 : 25;
    if (!sample.valid || sample.level < minimum) {
        if (m_zone != kMiddleZone) {
            (void)selectZone(kMiddleZone, false);
            m_zoneCountdown = kZoneCountdown;
        }
        return;
    }
    sample.zoneOffset = (m_zone - kMiddleZone) * kZoneOffset;
    if (host().subDevice(kSubDevice).calibrationMode) {
        return;
    }
    Point p{sample.x, sample.y};
    if (m_calibrated) {
        p = CalibrateInSensor(m_offset, p, sample.angle);
    }
    if (std::fabs(p.y) >= kZoneStep) {
        const int next = std::clamp(m_zone + static_cast<int>(p.y / kZoneStep), 0, kZoneCount - 1);
        if (next != m_zone && selectZone(next, false)) {
            m_zoneCountdown = kZoneCountdown;
        }
    }
}

bool CTalvoDeviceUSB::outsideForm(const UsbSample& sample) const
{
    const auto& event = host().subDevice(kSubDevice).event;
    ComPtr<ITargetParams> target;
    float width = 0.0F;
    float height = 0.0F;
    if (!event || FAILED(event->get_Target(1, target.put())) || !target || FAILED(target->get_FormWidth(&width)) ||
        FAILED(target->get_FormHeight(&height))) {
        return false;
    }
    Point p{sample.x, sample.y};
    if (m_calibrated) {
        p = CalibrateInSensor(m_offset, p, sample.angle);
    }
    const double a = (m_calibrationScale > 0.0 ? m_calibrationScale : sample.scale) * lensOf(sample);
    const double factor = OnTargetFactor(distance(), a, m_softening);
    return std::fabs(p.x * factor) > width / 2.0 || std::fabs(p.y * factor) > height / 2.0;
}

void CTalvoDeviceUSB::onBiathlonSample(const UsbSample& sample)
{
    if (m_lampCountdown > 0 && --m_lampCountdown == 0 && m_litMissLamp > 0) {
        (void)switchLamp(false, m_litMissLamp, false);
        m_litMissLamp = 0;
    }
    const LONG rate = host().sampleRate();
    if (!m_session.hasAiming()) {
        if (sample.valid) {
            StartAiming();
        } else {
            m_session.fireFinalConclusion();
        }
        return;
    }
    if (!m_session.isOpen()) {
        return;
    }
    if (!sample.valid) {
        ++m_recordsSince;
        const LONG shots = m_session.shotCount();
        const LONG window = shots >= 5 ? rate : rate * 15;
        if (shots > 0 && m_recordsSince < window) {
            (void)AddCoordinates(sample);
        } else {
            ConcludeAiming();
            m_session.fireFinalConclusion();
        }
        return;
    }
    const SubDeviceSettings& settings = host().subDevice(kSubDevice);
    if (!m_detection.armed()) {
        if (++m_recordsSince >= static_cast<LONG>(rate * settings.piezoRejectInterval)) {
            m_detection.arm();
        } else {
            (void)AddCoordinates(sample);
            return;
        }
    }
    const LONG shots = m_session.shotCount();
    if (shots > 0) {
        const LONG limit = shots >= 5 ? static_cast<LONG>(rate * settings.maxTimeAfterShot) : rate * 60;
        if (m_pointsAfterShot >= limit) {
            ConcludeAiming();
            return;
        }
        ++m_pointsAfterShot;
    }
    LONG points = 0;
    if (AddCoordinates(sample) && m_session.trace() && SUCCEEDED(m_session.trace()->get_Count(&points)) &&
        m_detection.fires(sample.piezo, m_piezoSensitivity, points - 1)) {
        Shot(&sample);
    }
}

void CTalvoDeviceUSB::onOtherSample(const UsbSample& sample)
{
    if (!m_session.hasAiming()) {
        if (!sample.valid) {
            if (m_belowCount == 0) {
                m_session.fireFinalConclusion();
            }
            ++m_belowCount;
            return;
        }
        const bool hadShot = m_session.shotCount() > 0;
        bool start = false;
        if (m_wireless) {
            start = m_activity.mayStart(hadShot, host().clock().steadyNow());
        } else {
            start = !hadShot || m_belowCount > host().sampleRate() / 2;
            if (!start) {
                m_belowCount = 0;
            }
        }
        if (start) {
            StartAiming();
        }
        return;
    }
    if (!m_session.isOpen()) {
        return;
    }
    if (!sample.valid) {
        ConcludeAiming();
        return;
    }
    if (!m_detection.armed()) {
        (void)AddCoordinates(sample);
        m_detection.countDead();
        return;
    }
    LONG points = 0;
    if (AddCoordinates(sample) && m_session.trace() && SUCCEEDED(m_session.trace()->get_Count(&points)) &&
        m_detection.fires(sample.piezo, m_piezoSensitivity, points - 1)) {
        Shot(&sample);
    }
}

void CTalvoDeviceUSB::StartAiming()
{
    m_side.endTrace();
    m_belowCount = 0;
    m_recordsSince = 0;
    if (!m_session.start()) {
        return;
    }
    m_detection.arm();
    m_side.startTrace(*m_session.trace(), m_records.triggerSeen());
}

std::optional<Point> CTalvoDeviceUSB::transformed(const UsbSample& sample, double factor, bool biathlon)
{
    Point p{sample.x, sample.y};
    if (m_calibrated) {
        p = CalibrateInSensor(m_offset, p, sample.angle);
    }
    m_lastTransformed = p;
    if (biathlon) {
        p.x += sample.zoneOffset;
    }
    if (!std::isfinite(p.x * factor) || !std::isfinite(p.y * factor)) {
        return std::nullopt;
    }
    return Point{p.x * factor, p.y * factor};
}

bool CTalvoDeviceUSB::AddCoordinates(const UsbSample& sample)
{
    m_activity.renew(host().clock().steadyNow());
    const bool biathlon = isBiathlon();
    if (!biathlon && !m_session.countRecordAfterShot()) {
        ConcludeAiming();
        return false;
    }
    IAimingTrace* trace = m_session.trace();
    if (!trace) {
        return false;
    }
    bool added = false;
    if (!biathlon || sample.valid) {
        double factor = kBiathlonFactor;
        if (!biathlon) {
            const double a = (m_calibrationScale > 0.0 ? m_calibrationScale : sample.scale) * lensOf(sample);
            m_softening = DistanceSoftening(a);
            factor = DistanceFactor(distance(), a, m_softening);
        }
        m_lastFactor = factor;
        const auto point = transformed(sample, factor, biathlon);
        LONG count = 0;
        if (point && SUCCEEDED(trace->get_Count(&count)) && count == 0) {
            m_xFilter.restart();
            m_yFilter.restart();
        }
        const auto x = point ? ToHundredths(m_xFilter.Step(point->x)) : std::nullopt;
        const auto y = point ? ToHundredths(m_yFilter.Step(point->y)) : std::nullopt;
        if (x && y) {
            m_session.addPoint(*x, *y);
            added = true;
            if (!m_session.hasEntered()) {
                const auto& event = host().subDevice(kSubDevice).event;
                float score = 0.0F;
                if (event &&
                    SUCCEEDED(event->GetPointScore(static_cast<float>(*x) / 100.0F, static_cast<float>(*y) / 100.0F, 1,
                                                   &score)) &&
                    score >= 1.0F) {
                    m_session.enter();
                }
            }
        } else if (biathlon) {
            m_session.addInvalidPoint();
            added = true;
        }
    } else {
        m_session.addInvalidPoint();
        added = true;
    }
    if (added) {
        m_side.recordTrigger(*trace, sample.trigger);
    }
    return added;
}

void CTalvoDeviceUSB::Shot(const UsbSample* sample)
{
    if (sample) {
        if (host().subDevice(kSubDevice).calibrationMode) {
            m_offset = {sample->angle, sample->x, sample->y};
            m_calibrated = true;
            m_calibrationScale = sample->scale;
            saveCalibration();
        } else {
            m_lastShot = {true, sample->angle, sample->x, sample->y, m_lastTransformed, m_lastFactor};
        }
        if (!m_wireless) {
            const double reference = std::isfinite(sample->shotReference) ? sample->shotReference : 0.0;
            (void)m_optical.SendShotReference(static_cast<std::uint16_t>(std::clamp(reference, 0.0, 65535.0)));
        }
    }
    const ComPtr<IShot> shot = m_session.addShot(VARIANT_FALSE, sample ? sample->phase : kNoValue);
    if (!shot) {
        return;
    }
    if (isBiathlon()) {
        LONG area = 0;
        if (SUCCEEDED(shot->get_AreaIndex(&area)) && area >= 1) {
            (void)switchLamp(true, static_cast<int>(area), true);
        } else {
            LONG last = 0;
            LONG x = 0;
            LONG y = 0;
            LONG nearest = 0;
            float cx = 0.0F;
            float cy = 0.0F;
            const auto& event = host().subDevice(kSubDevice).event;
            IAimingTrace* trace = m_session.trace();
            if (trace && event && SUCCEEDED(trace->get_Last(&last)) && SUCCEEDED(trace->_GetPoint(last, &x, &y)) &&
                SUCCEEDED(event->GetNearestArea(x / 100.0F, y / 100.0F, 1, &nearest, &cx, &cy)) && nearest >= 1) {
                if (switchLamp(false, static_cast<int>(nearest), true)) {
                    m_litMissLamp = static_cast<int>(nearest);
                    m_lampCountdown = static_cast<int>(host().sampleRate() / 2);
                }
            }
        }
    }
    afterShot();
}

void CTalvoDeviceUSB::afterShot()
{
    m_detection.disarm();
    m_recordsSince = 0;
    m_pointsAfterShot = 0;
}

void CTalvoDeviceUSB::AddShot(VARIANT_BOOL vbUnlimited)
{
    if (!m_session.isOpen()) {
        return;
    }
    if (m_session.addShot(VARIANT_FALSE, std::nullopt, vbUnlimited != VARIANT_FALSE)) {
        afterShot();
    }
}

void CTalvoDeviceUSB::ConcludeAiming()
{
    if (m_session.conclude()) {
        EndAiming();
    }
}

void CTalvoDeviceUSB::EndAiming()
{
    m_session.end();
    if (isBiathlon()) {
        (void)allLampsOff();
    }
    m_lampCountdown = 0;
    m_litMissLamp = 0;
    m_detection.disarm();
    m_recordsSince = 0;
    m_side.endTrace();
}

void CTalvoDeviceUSB::FlushCoordinates()
{
    m_session.flushPoints();
    m_side.flushBatch();
}

void CTalvoDeviceUSB::ConcludeCurrentAiming(LONG nSubDevice)
{
    m_session.concludeCurrent(nSubDevice);
    EndAiming();
}

void CTalvoDeviceUSB::Reset(LONG nSubDevice)
{
    ConcludeCurrentAiming(nSubDevice);
}

void CTalvoDeviceUSB::OnTimer(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (m_wireless && m_session.isOpen() && m_activity.sinceActivity(host().clock().steadyNow()) >= kWirelessIdle) {
        const DispatchScope dispatch(host());
        ConcludeAiming();
    }
}

void CTalvoDeviceUSB::onDeviceLost()
{
    // Reported once; reconnecting is the user's (Reset hardware), as for a serial sensor.
    if (std::exchange(m_lost, true)) {
        return;
    }
    const DispatchScope dispatch(host());
    ConcludeCurrentAiming(kSubDevice);
    host().fireDisconnected();
}

void CTalvoDeviceUSB::OnAppMessage(WPARAM wParam, LPARAM /*lParam*/)
{
    if (wParam == kDeviceLost) {
        onDeviceLost();
        return;
    }
    if (wParam != kTargetChanged || !isTarget10m()) {
        return;
    }
    const DispatchScope dispatch(host());
    if (!m_controller.isOpen()) {
        if (!m_receiver.isOpen()) {
            return;
        }
        if (m_reconnectCountdown > 0) {
            --m_reconnectCountdown;
            return;
        }
        const int target = m_commands.firstPresentTarget();
        if (target == 0) {
            m_targetNumber = 0;
            return;
        }
        m_targetNumber = target;
        const std::uint8_t descriptor[1] = {command::kDescriptor};
        const std::uint8_t settings[1] = {command::kSettings};
        if (!m_commands.sendWithReply(target, descriptor, m_descriptor, kQuickCommand) ||
            !m_commands.sendWithReply(target, settings, m_settings, kQuickCommand)) {
            m_targetNumber = 0;
            return;
        }
        m_regulator.setCurrents({m_settings[0], m_settings[1]});
        const bool zones = descriptorKind() == kZoneTargetKind;
        m_ledsAvailable = zones;
        m_lampsAvailable = zones;
        setSpacing(zones ? kZoneTargetSpacing : kWirelessTargetSpacing);
        (void)selectSubTarget();
        if (zones) {
            m_regulator.setCurrents({kMiddleSignal, kMiddleSignal});
            m_zoneCountdown = kZoneCountdown;
            (void)selectZone(kMiddleZone, true);
        }
        (void)sendCurrents();
        if (!Start()) {
            m_targetNumber = 0;
        }
        return;
    }
    std::array<std::uint8_t, kStateLength> state{};
    if (!m_controller.ReadVendor(kControllerState, 0, 0, state) || state[0] != 1) {
        return;
    }
    applyTargetCode(state[kTargetCodeOffset]);
    (void)selectSubTarget();
    (void)sendCurrents();
    (void)m_controller.SendVendorCommand(kControllerStart, 0, 0);
}

void CTalvoDeviceUSB::OnAppMessage1(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    m_side.onBeatMessage();
}

// --- Factory ---------------------------------------------------------------------------------------------------

std::unique_ptr<CGenericTalvo> CreateUsbModel(const std::string& path, DeviceHost& host,
                                              platform::usb::UsbTransport& transport)
{
    InterfaceClass pathClass = InterfaceClass::OpticalSensor;
    for (const InterfaceClass candidate : platform::usb::allInterfaceClasses()) {
        if (FindDeviceInterface(transport, path, candidate)) {
            pathClass = candidate;
            break;
        }
    }
    if (pathClass == InterfaceClass::ImageSensor) {
        return nullptr;
    }
    host.deviceInformation().record.setModel(CTalvoDeviceUSB::kModelCode, CTalvoDeviceUSB::modelName(pathClass));
    return std::make_unique<CTalvoDeviceUSB>(host, transport, path, pathClass);
}

} // namespace talvolink
