#pragma once

#include "interfaces/talvolink/Enums.h"
#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ComPtr.h"

namespace talvodesk {

/// What a running practice asks of the device, on sub-device 1. Read failures give 0 or false. Owner thread only.
class PracticeDevice {
public:
    virtual ~PracticeDevice() = default;

    virtual long SignalLevel() = 0;
    /// Trigger reading `index` (from 1) of the last Trigger event.
    virtual long Trigger(long index) = 0;
    virtual bool SemaphoreAvailable() = 0;
    virtual void SetSemaphore(enumSemaphoreMode mode) = 0;
    /// A shot made by hand.
    virtual void AddShot() = 0;
    virtual void SetPiezoRejectInterval(float seconds) = 0;
};

/// The device control seen as a PracticeDevice.
class TalvoDevicePort final : public PracticeDevice {
public:
    explicit TalvoDevicePort(platform::com::ComPtr<ITalvoDevice> device) : m_device(std::move(device)) {}

    long SignalLevel() override;
    long Trigger(long index) override;
    bool SemaphoreAvailable() override;
    void SetSemaphore(enumSemaphoreMode mode) override;
    void AddShot() override;
    void SetPiezoRejectInterval(float seconds) override;

private:
    platform::com::ComPtr<ITalvoDevice> m_device;
};

} // namespace talvodesk
