#pragma once

#include "talvodesk/core/practice/PracticeDevice.h"

#include "interfaces/talvodata/IAiming.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"

#include <algorithm>
#include <string>
#include <vector>

namespace talvodesk::testsupport {

/// A scripted device: builds aimings, traces and shots as the device link does and fires _ITalvoDeviceEvents at
/// the advised sinks through IDispatch. It also answers the practice's questions of the device and records what
/// the practice asked of it.
class FakeDevice final : public PracticeDevice {
public:
    explicit FakeDevice(std::string eventShortName = "AR10", long sampleRate = 200);
    ~FakeDevice() override;

    void advise(IUnknown* sink);
    /// Where the events go out: give it to a FakeTalvoDevice so sinks advised there get these events.
    const platform::com::ComPtr<platform::com::ConnectionPoint>& connectionPoint() const { return m_point; }

    // The events, one call each.
    platform::com::ComPtr<IAiming> newAiming(); // Builds an aiming without telling anyone.
    void startAiming(IAiming* aiming);
    /// Appends `count` samples moving (stepX, stepY) hundredths of a millimetre each, then NewCoordinates.
    void coordinates(IAiming* aiming, int count, long stepX = 3, long stepY = -2);
    platform::com::ComPtr<IShot> shot(IAiming* aiming, bool missed = false);
    void conclude(IAiming* aiming);
    void finalConclude();
    void pulse(long beatsPerMinute);
    void trigger(std::vector<long> readings);
    /// Fires Trigger with a count of its own, whatever readings are held.
    void triggerCount(long count);
    void heartBeat(DATE earliest, DATE latest);

    /// One whole aiming: start, `before` samples in batches of `batch`, `shots` shots, 40 samples after, conclusion
    /// and final conclusion. Returns the aiming.
    platform::com::ComPtr<IAiming> aiming(int before = 300, int shots = 1, int batch = 10);

    // PracticeDevice.
    long SignalLevel() override { return signalLevel; }
    long Trigger(long index) override;
    bool SemaphoreAvailable() override { return semaphoreAvailable; }
    void SetSemaphore(enumSemaphoreMode mode) override { semaphores.push_back(mode); }
    void AddShot() override { ++handShots; }
    void SetPiezoRejectInterval(float seconds) override { piezoRejectIntervals.push_back(seconds); }

    long signalLevel = 0;
    std::vector<long> triggerReadings;
    std::vector<long> triggerIndexes; // Every index read.
    bool semaphoreAvailable = false;
    std::vector<enumSemaphoreMode> semaphores;
    int handShots = 0;
    std::vector<float> piezoRejectIntervals;

private:
    void fire(DISPID id, std::vector<platform::com::Variant> arguments);

    std::string m_event;
    long m_sampleRate;
    platform::com::ComPtr<platform::com::ConnectionPoint> m_point;
    long m_x = 0;
    long m_y = 0;
};

} // namespace talvodesk::testsupport
