#pragma once

#include "talvolink/DeviceHost.h"

#include "interfaces/talvodata/IAiming.h"
#include "platform/time/Clock.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

namespace talvolink::testsupport {

/// A control stand-in for the serial models: settings on the system clock (the sensors' pauses and the reader's
/// rounds are real time against a simulated sensor), and a log of the events the model fired.
/// Thread rule: the test's thread, which runs the Qt event loop the model's hidden window needs.
class RecordingHost final : public DeviceHost {
public:
    enum class Kind {
        StartAiming,
        NewCoordinates,
        Shot,
        ConcludeAiming,
        FinalConcludeAiming,
        PulseChanged,
        Trigger,
        HeartBeat,
        Disconnected,
        Reconnected,
        Timeout,
    };
    struct Fired {
        Kind kind;
        LONG value = 0; ///< Count, pulse, seconds; for Shot whether it was missed.
    };

    LONG sampleRate() const override { return m_sampleRate.load(); }
    void setSampleRate(LONG samplesPerSecond) override { m_sampleRate.store(samplesPerSecond); }
    const SubDeviceSettings& subDevice(LONG nSubDevice) const override { return settings[nSubDevice == 2 ? 1 : 0]; }
    void setCalibrationWanted(LONG /*nSubDevice*/, bool /*wanted*/) override {}
    void setCorrection(LONG /*nSubDevice*/, LONG /*x*/, LONG /*y*/) override {}
    LONG firingPoint() const override { return 1; }
    DeviceInformation& deviceInformation() override { return information; }
    void setLastErrorText(std::string text) override { lastErrorText = std::move(text); }
    platform::time::Clock& clock() const override { return m_clock; }

    void fireStartAiming(LONG, IAiming* aiming) override;
    void fireNewCoordinates(LONG, IAiming*, LONG count) override { fired.push_back({Kind::NewCoordinates, count}); }
    void fireShot(LONG, IAiming*, IShot* shot) override;
    void fireConcludeAiming(LONG, IAiming*) override { fired.push_back({Kind::ConcludeAiming}); }
    void fireFinalConcludeAiming(LONG) override { fired.push_back({Kind::FinalConcludeAiming}); }
    void firePulseChanged(LONG, LONG pulse) override { fired.push_back({Kind::PulseChanged, pulse}); }
    void fireTrigger(LONG, LONG count) override;
    void fireHeartBeat(LONG, DATE, DATE) override { fired.push_back({Kind::HeartBeat}); }
    void fireDisconnected() override { fired.push_back({Kind::Disconnected}); }
    void fireReconnected() override { fired.push_back({Kind::Reconnected}); }
    void fireTimeout(LONG seconds) override { fired.push_back({Kind::Timeout, seconds}); }

    std::size_t count(Kind kind) const;
    /// Runs the Qt event loop until `done` holds; false when `timeout` passed first.
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    SubDeviceSettings settings[2];
    DeviceInformation information;
    std::string lastErrorText;
    std::vector<Fired> fired;
    std::vector<platform::com::ComPtr<IAiming>> aimings;
    /// Runs inside fireTrigger, while the model's trigger values can be asked for.
    std::function<void(LONG count)> onTrigger;

private:
    std::atomic<LONG> m_sampleRate{200};
    mutable platform::time::SystemClock m_clock;
};

} // namespace talvolink::testsupport
