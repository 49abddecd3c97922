#pragma once

#include "talvolink/DeviceHost.h"

#include "interfaces/talvodata/IAiming.h"
#include "platform/time/ManualClock.h"
#include "platform/usb/UsbTransportFake.h"

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace talvolink::testsupport {

using Bytes = std::vector<std::uint8_t>;

/// A control stand-in on virtual time that logs the events a model fires as text ("StartAiming",
/// "NewCoordinates 3", "Shot", "Trigger 2", "PulseChanged 75", ...).
class LoggingHost final : public DeviceHost {
public:
    LONG sampleRate() const override { return m_sampleRate; }
    void setSampleRate(LONG samplesPerSecond) override { m_sampleRate = samplesPerSecond; }
    const SubDeviceSettings& subDevice(LONG nSubDevice) const override { return settings[nSubDevice == 2 ? 1 : 0]; }
    void setCalibrationWanted(LONG nSubDevice, bool wanted) override;
    void setCorrection(LONG nSubDevice, LONG x, LONG y) override;
    LONG firingPoint() const override { return firing; }
    DeviceInformation& deviceInformation() override { return information; }
    void setLastErrorText(std::string text) override { errorText = std::move(text); }
    platform::time::Clock& clock() const override { return m_clock; }

    void fireStartAiming(LONG, IAiming* aiming) override;
    void fireNewCoordinates(LONG, IAiming*, LONG count) override;
    void fireShot(LONG, IAiming*, IShot*) override { log.push_back("Shot"); }
    void fireConcludeAiming(LONG, IAiming*) override { log.push_back("ConcludeAiming"); }
    void fireFinalConcludeAiming(LONG) override { log.push_back("FinalConcludeAiming"); }
    void firePulseChanged(LONG, LONG pulse) override { log.push_back("PulseChanged " + std::to_string(pulse)); }
    void fireTrigger(LONG, LONG count) override { log.push_back("Trigger " + std::to_string(count)); }
    void fireHeartBeat(LONG, DATE, DATE) override { log.push_back("HeartBeat"); }
    void fireDisconnected() override { log.push_back("Disconnected"); }
    void fireReconnected() override { log.push_back("Reconnected"); }
    void fireTimeout(LONG) override { log.push_back("Timeout"); }

    /// The points of an aiming's trace in hundredths of a millimetre, invalid ones as (0, 0).
    static std::vector<std::pair<LONG, LONG>> points(IAiming& aiming);
    /// The "_trigger" user data of an aiming's trace.
    static std::vector<LONG> triggerData(IAiming& aiming);

    SubDeviceSettings settings[2];
    DeviceInformation information;
    std::string errorText;
    std::vector<std::string> log;
    std::vector<platform::com::ComPtr<IAiming>> aimings;
    LONG firing = 1;
    LONG correctionSet = 0;

private:
    LONG m_sampleRate = 50;
    mutable platform::time::ManualClock m_clock{45000.5};
};

/// One vendor request a scripted device took: when (virtual milliseconds), which device, and what came with it.
struct LoggedRequest {
    long long at = 0;
    std::string device;
    bool out = false;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    Bytes data;
};

/// Scripted devices of every class on a fake bus: each answers the requests it knows from its answer table (a
/// request without an answer fails), and logs every request it takes, with the host's virtual time.
class ScriptedUsbBus {
public:
    explicit ScriptedUsbBus(platform::time::Clock& clock) : m_clock(clock) {}

    platform::usb::FakeUsbTransport bus;

    static constexpr const char* kOpticalPath = "/dev/bus/usb/001/002";
    static constexpr const char* kControllerPath = "/dev/bus/usb/001/003";
    static constexpr const char* kReceiverPath = "/dev/bus/usb/001/004";
    static constexpr const char* kTriggerPath = "/dev/bus/usb/001/005";
    static constexpr const char* kPulsePath = "/dev/bus/usb/001/006";
    static constexpr const char* kDovecotePath = "/dev/bus/usb/001/007";

    platform::usb::FakeUsbDevice& plugOptical();
    platform::usb::FakeUsbDevice& plugController();
    /// A receiver whose target `target` (0: none) has descriptor kind `kind`.
    platform::usb::FakeUsbDevice& plugReceiver(int target, int kind);
    platform::usb::FakeUsbDevice& plugDovecote();
    platform::usb::FakeUsbDevice& plugTrigger();
    platform::usb::FakeUsbDevice& plugPulse();

    /// Replaces the answer of one request of a device ("optical", "controller", "receiver", ...); an empty
    /// answer of a request that reads makes it fail. Commands through the receiver are keyed 0x100 + command.
    void answer(const std::string& device, int request, Bytes reply);
    void fail(const std::string& device, int request);

    std::vector<LoggedRequest> requests() const;
    /// "device request value index [data]" of each OUT request, with its time: "120 receiver F0 500 1 [32 0 2]".
    std::vector<std::string> outLog() const;
    void clearLog();

    /// Hands one read to the device's reader and waits until its handlers have run.
    static void feed(platform::usb::FakeUsbDevice& device, const Bytes& read);
    /// One read of the receiver: each packet in its data sub-block of channel 1.
    static Bytes receiverRead(const std::vector<Bytes>& packets);
    /// One read of a tagged device: a packet block.
    static Bytes packetBlock(const Bytes& packet);

private:
    platform::usb::FakeUsbDevice& plug(const std::string& name, const char* path, platform::usb::InterfaceClass cls);

    platform::time::Clock& m_clock;
    mutable std::mutex m_mutex;
    std::map<std::string, std::map<int, Bytes>> m_answers;
    std::set<std::pair<std::string, int>> m_failing;
    std::vector<LoggedRequest> m_log;
    std::map<std::string, int> m_lastCommand;
};

} // namespace talvolink::testsupport
