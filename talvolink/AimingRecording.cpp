#include "talvolink/AimingRecording.h"

#include "interfaces/talvodata/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/time/Clock.h"

namespace talvolink {

using platform::com::ComPtr;

bool startRecordedAiming(DeviceHost& host, LONG subDevice, ComPtr<IAiming>& aiming, ComPtr<IAimingTrace>& trace)
{
    ComPtr<IAiming> made;
    if (FAILED(CoCreateInstance(talvodata::CLSID_Aiming, nullptr, CLSCTX_ALL, IAiming::kIid, made.putVoid()))) {
        return false;
    }
    ComPtr<IAimingTrace> madeTrace;
    ComPtr<IAimingAttr> attributes;
    if (FAILED(made->get_Trace(madeTrace.put())) || FAILED(made->get_Attr(attributes.put()))) {
        return false;
    }
    const SubDeviceSettings& settings = host.subDevice(subDevice);
    (void)madeTrace->put_MaxTimeBeforeShot(settings.maxTimeBeforeShot); // The control keeps it at 0.5 or more.
    (void)attributes->put_SampleRate(host.sampleRate());                  // The control keeps it within 20 .. 500.
    if (settings.event) {
        (void)attributes->put_Event(settings.event.get()); // Only a null event is refused.
    }
    (void)attributes->put_StartTime(host.clock().wallNow()); // Cannot fail.
    aiming = std::move(made);
    trace = std::move(madeTrace);
    return true;
}

ComPtr<IShot> addRecordedShot(DeviceHost& host, IAiming& aiming, VARIANT_BOOL missed)
{
    ComPtr<IShot> shot;
    if (FAILED(aiming.AddShot(missed, shot.put())) || !shot) {
        return nullptr;
    }
    const DATE now = host.clock().wallNow();
    (void)shot->put_ShotTime(now); // Cannot fail.
    ComPtr<IAimingAttr> attributes;
    DATE enterTime = 0.0;
    if (SUCCEEDED(aiming.get_Attr(attributes.put())) && SUCCEEDED(attributes->get_EnterTime(&enterTime)) &&
        enterTime == 0.0) {
        (void)attributes->put_EnterTime(now); // Cannot fail.
    }
    return shot;
}

} // namespace talvolink
