#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"

#include <functional>
#include <optional>

namespace talvolink {

class CGenericTalvo;
class DeviceHost;

/// The aiming of one sub-device from its start to its conclusion, as every device model records and announces it:
/// the aiming and its trace in the document model, its points and shots, the conclusion with the missed shots the
/// event asks for, and the control's events for each step. The model keeps its own rules (when to start, where a
/// point lies, when the piezo fires, lamps) and drives the session.
/// A sink may act inside any event the session fires: a step stops when its aiming was concluded meanwhile, and
/// nothing ends an aiming while its conclusion runs, so an aiming is announced concluded exactly once.
/// Thread rule: owner (control's) thread.
class AimingSession {
public:
    /// Runs between adding a shot and announcing it (the Biathlon lights the target hit).
    using ShotHook = std::function<void(IShot& shot)>;

    /// `model` flushes with its FlushCoordinates, which announces the session's points through flushPoints and
    /// whatever else the model collects with them.
    AimingSession(DeviceHost& host, CGenericTalvo& model, LONG subDevice, ShotHook beforeShotAnnounced = {});
    ~AimingSession();
    AimingSession(const AimingSession&) = delete;
    AimingSession& operator=(const AimingSession&) = delete;

    /// An aiming was started and is not yet let go (it may be concluding).
    bool hasAiming() const { return m_aiming != nullptr; }
    /// An aiming takes points and shots: started and not concluding.
    bool isOpen() const { return m_aiming && !m_concluding; }
    /// Null without an aiming.
    IAiming* aiming() const { return m_aiming.get(); }
    IAimingTrace* trace() const { return m_trace.get(); }
    /// The shots of the open aiming, or of the last one until the next starts (or forgetShots).
    LONG shotCount() const { return m_shotCount; }

    /// Flushes, makes an aiming with the sub-device's trace window, event, the control's sample rate and the start
    /// time now, and announces it. False when none could be made (the model tries again later) or a sink concluded
    /// it inside StartAiming.
    bool start();
    /// Appends a point in hundredths of a millimetre (or one without a position) for the next NewCoordinates.
    void addPoint(LONG x, LONG y);
    void addInvalidPoint();
    /// Whether the aim entered the target: the aiming's EnterTime is set.
    bool hasEntered() const;
    /// Sets the EnterTime to now unless it is set.
    void enter();

    /// The records after a shot that conclude the aiming: SampleRate x MaxTimeAfterShot, truncated.
    LONG recordsAfterShot() const;
    /// Counts a record after the last shot; false, counting nothing, when recordsAfterShot of them have passed and
    /// the model is to conclude.
    bool countRecordAfterShot();

    /// A shot unless the event's maximum is reached: the trace stops sliding, the points so far are flushed, the
    /// shot is added with ShotTime now (the aiming's EnterTime too when unset) and announced. Null when refused, or
    /// when a sink concluded the aiming inside the flush.
    /// With a microphone phase (the fraction of a sample period at which the shot was heard) the shot keeps it; an
    /// unlimited shot goes past the event's maximum.
    platform::com::ComPtr<IShot> addShot(VARIANT_BOOL missed, std::optional<double> microphonePhase = std::nullopt,
                                         bool unlimited = false);
    /// Missed shots up to the event's minimum (none for an aiming without points), the trace read-only, the flush,
    /// ConcludeAiming; then the aiming is let go and a final conclusion is pending. False when no aiming was open.
    bool conclude();
    /// The control's ConcludeCurrentAiming: flushes, and concludes an open aiming followed by
    /// FinalConcludeAiming(nSubDevice); the pending final conclusion stays. Then forgets the shot count.
    void concludeCurrent(LONG nSubDevice);
    /// Flushes and lets the aiming go without concluding it; nothing while its conclusion runs.
    void end();

    /// NewCoordinates with the points added since the last one, while an aiming is there.
    void flushPoints();
    /// Drops the count of points not yet announced (a new batch of records begins).
    void dropPendingPoints() { m_pendingPoints = 0; }
    /// FinalConcludeAiming when a concluded aiming still waits for it.
    bool finalConclusionPending() const { return m_finalConclusionPending; }
    void fireFinalConclusion();

private:
    void release();

    DeviceHost& m_host;
    CGenericTalvo& m_model;
    const LONG m_subDevice;
    const ShotHook m_beforeShotAnnounced;
    platform::com::ComPtr<IAiming> m_aiming;
    platform::com::ComPtr<IAimingTrace> m_trace;
    bool m_concluding = false;
    bool m_finalConclusionPending = false;
    LONG m_shotCount = 0;
    LONG m_recordsSinceShot = 0;
    LONG m_pendingPoints = 0;
};

} // namespace talvolink
