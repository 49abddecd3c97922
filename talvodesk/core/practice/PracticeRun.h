#pragma once

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/livedata/LiveDataPoster.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/practice/PracticeDevice.h"

#include "interfaces/talvodata/IAiming.h"
#include "platform/com/ComPtr.h"
#include "platform/time/Clock.h"

#include <cstdint>

namespace talvodesk {

/// The readings one Trigger event may report at most; a larger count is cut to this.
inline constexpr long kMaxTriggerReadings = 4096;

/// The frame's handling of the device's events while a practice runs: completes each aiming's attributes, records
/// aimings and shots in the document, logs the pulse, tells the views and outside programs, and saves
/// automatically. The frame owns it and forwards every device event to it. Owner thread only (the user-interface
/// thread, where the device fires); no locks.
class PracticeRun {
public:
    struct Services {
        CTalvoData& data;
        COptions& options;
        const platform::time::Clock& clock;
        /// The frame's own view: hints sent with it as sender reach every other view.
        CView* frameView = nullptr;
        ILiveDataPoster* live = nullptr;
    };

    explicit PracticeRun(Services services) : m_services(services) {}

    /// Practice start and stop (the frame's commands). Start clears the auto-save counter and takes the series
    /// start time; Stop posts the live state 5 and forgets the device and the current aiming.
    void Start(PracticeDevice* device, bool matchMode, long subTarget);
    void Stop();
    bool IsRunning() const { return m_running; }
    PracticeDevice* Device() const { return m_device; }

    bool MatchMode() const { return m_matchMode; }
    void SetMatchMode(bool match) { m_matchMode = match; }
    long SubTarget() const { return m_subTarget; }
    /// The position commands: a new sub-target also restarts the auto-save count.
    void SetSubTarget(long subTarget);
    long AutoSaveCounter() const { return m_autoSaveCounter; }
    /// A practice started again with a new position counts its shots to the next automatic save from 0.
    void RestartAutoSaveCounter() { m_autoSaveCounter = 0; }
    /// Range pacing: aiming events outside the shooting window are ignored. Open unless the pacing closes it.
    void SetShootingWindowOpen(bool open) { m_shootingWindowOpen = open; }
    bool ShootingWindowOpen() const { return m_shootingWindowOpen; }
    /// Set on a shot after it became current; the frame takes it with the next hint it receives.
    bool TakeAutoReplayPending() { return std::exchange(m_autoReplayPending, false); }
    /// Steady milliseconds of the last strong signal; the status bar shows a mark while it is under 1 s old.
    std::int64_t LastStrongSignal() const { return m_lastStrongSignal; }
    IAiming* CurrentAiming() const { return m_currentAiming.get(); }

    // The signal light. The series start time is taken at every green light, with or without a light to switch.
    void SemaphoreGreen();
    void SemaphoreRed();
    void SemaphoreOff();
    DATE SeriesStartTime() const { return m_seriesStartTime; }

    // The device's events.
    void OnStartAiming(long subDevice, IAiming* aiming);
    void OnNewCoordinates(long subDevice, IAiming* aiming, long count);
    void OnShot(long subDevice, IAiming* aiming, IDispatch* shot);
    void OnConcludeAiming(long subDevice, IAiming* aiming);
    void OnFinalConcludeAiming(long subDevice);
    void OnPulseChanged(long subDevice, long pulse);
    void OnTrigger(long subDevice, long count);
    void OnHeartBeat(long subDevice, DATE earliest, DATE latest);

private:
    bool TakesAimingEvents() const { return m_running && m_shootingWindowOpen; }
    /// The prologue of coordinates, shot and conclusion: the event's aiming becomes the current one, concluding a
    /// different current aiming and starting this one as if their own events had come.
    void MakeCurrent(long subDevice, IAiming* aiming);
    void StartAiming(IAiming* aiming);
    void ConcludeAiming(IAiming* aiming);
    void PostState(int state);
    void Hint(DocumentHint hint, const HintPayload& payload = {});

    Services m_services;
    PracticeDevice* m_device = nullptr;
    bool m_running = false;
    bool m_shootingWindowOpen = true;
    platform::com::ComPtr<IAiming> m_currentAiming;
    bool m_matchMode = true;
    long m_autoSaveCounter = 0;
    long m_subTarget = 0;
    DATE m_seriesStartTime = 0;
    bool m_autoReplayPending = false;
    std::int64_t m_lastStrongSignal = 0;
};

} // namespace talvodesk
