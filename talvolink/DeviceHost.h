#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvolink/Enums.h"
#include "talvolink/DeviceRecord.h"

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"

#include <string>

struct IAiming;
struct IShot;

namespace platform::time {
class Clock;
}

namespace talvolink {

/// The control's properties of one sub-device, as the device models read them.
struct SubDeviceSettings {
    platform::com::ComPtr<IEventParams> event;
    enumTargetType targetType = Target10m;
    LONG piezoSensitivity = 40;
    float maxTimeBeforeShot = 5.0F;   ///< Seconds.
    float maxTimeAfterShot = 0.5F;    ///< Seconds.
    float piezoRejectInterval = 1.0F; ///< Seconds.
    LONG subTarget = 1;
    enumSensorPosition sensorPosition = SensorBottom;
    LONG correctionX = 0; ///< Hundredths of a millimetre.
    LONG correctionY = 0;
    bool calibrationMode = false;
    bool calibrationWanted = true;
};

/// What a device model sees of the control that owns it: its settings and its events (CTalvoDevice is the one host;
/// tests may give their own).
/// Thread rule: owner (control's) thread, except sampleRate() and clock(), which reader threads use too.
class DeviceHost {
public:
    /// Samples per second.
    virtual LONG sampleRate() const = 0;
    /// The Biathlon model fixes its own rate.
    virtual void setSampleRate(LONG samplesPerSecond) = 0;
    /// nSubDevice 1 or 2.
    virtual const SubDeviceSettings& subDevice(LONG nSubDevice) const = 0;
    virtual void setCalibrationWanted(LONG nSubDevice, bool wanted) = 0;
    /// A loaded calibration brings back the correction it was made with (hundredths of a millimetre).
    virtual void setCorrection(LONG nSubDevice, LONG x, LONG y) = 0;
    /// The firing point the shooter stands at (1 and up); the targets light the sub-target it faces.
    virtual LONG firingPoint() const = 0;
    virtual DeviceInformation& deviceInformation() = 0;
    /// The reason of a failed connection, which the host reads as Value index 3.
    virtual void setLastErrorText(std::string text) = 0;
    /// "Now" of the models (wallNow, local OLE dates) and their timed waits.
    virtual platform::time::Clock& clock() const = 0;

    // The control's events, fired on the control's thread.
    virtual void fireStartAiming(LONG nSubDevice, IAiming* aiming) = 0;
    virtual void fireNewCoordinates(LONG nSubDevice, IAiming* aiming, LONG count) = 0;
    virtual void fireShot(LONG nSubDevice, IAiming* aiming, IShot* shot) = 0;
    virtual void fireConcludeAiming(LONG nSubDevice, IAiming* aiming) = 0;
    virtual void fireFinalConcludeAiming(LONG nSubDevice) = 0;
    virtual void firePulseChanged(LONG nSubDevice, LONG pulse) = 0;
    virtual void fireTrigger(LONG nSubDevice, LONG count) = 0;
    virtual void fireHeartBeat(LONG nSubDevice, DATE dateMin, DATE dateMax) = 0;
    virtual void fireDisconnected() = 0;
    virtual void fireReconnected() = 0;
    virtual void fireTimeout(LONG seconds) = 0;

    /// Work that fires events begins and ends (use DispatchScope). In between the host stays alive, and a model
    /// that a sink disconnects meanwhile finishes the step it is in and is closed when the outermost work has ended.
    virtual void beginDispatch() {}
    virtual void endDispatch() {}

protected:
    ~DeviceHost() = default;
};

/// Pairs the host's beginDispatch and endDispatch. When it ends the model that made it may be deleted.
class DispatchScope {
public:
    explicit DispatchScope(DeviceHost& host) : m_host(host) { m_host.beginDispatch(); }
    ~DispatchScope() { m_host.endDispatch(); }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    DeviceHost& m_host;
};

} // namespace talvolink
