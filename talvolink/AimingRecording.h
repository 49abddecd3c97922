#pragma once

#include "talvolink/DeviceHost.h"

#include "interfaces/talvodata/IAiming.h"
#include "platform/com/ComPtr.h"

// The steps every aiming state machine takes on the document model, whatever its sensor.
namespace talvolink {

/// A new aiming for `subDevice` carrying the control's event, sample rate, window before the shot and the start
/// time now. False when the document model cannot make one (the caller stays idle and tries again later).
bool startRecordedAiming(DeviceHost& host, LONG subDevice, platform::com::ComPtr<IAiming>& aiming,
                         platform::com::ComPtr<IAimingTrace>& trace);

/// Adds a shot at the trace's last sample, stamped with the time now; the aiming's enter time becomes its first
/// shot's time. Null when the aiming refuses the shot.
platform::com::ComPtr<IShot> addRecordedShot(DeviceHost& host, IAiming& aiming, VARIANT_BOOL missed);

} // namespace talvolink
