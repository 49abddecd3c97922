#include "bench/support/Aimings.h"

#include "interfaces/talvodata/IEventManager.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace bench {

using platform::com::ComPtr;

ComPtr<IEventParams> shippedEvent(const char* shortName)
{
    ComPtr<IEventManager> events;
    ComPtr<IEventParams> event;
    if (FAILED(CoCreateInstance(talvodata::CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid,
                                events.putVoid())) ||
        events->FindByShortName(platform::com::Bstr(shortName).get(), event.put()) != S_OK) {
        return nullptr;
    }
    return event;
}

ComPtr<IAiming> recordedAiming(IEventParams* event, const AimingShape& shape, unsigned seed)
{
    ComPtr<IAiming> aiming;
    ComPtr<IAimingTrace> trace;
    ComPtr<IAimingAttr> attributes;
    if (FAILED(CoCreateInstance(talvodata::CLSID_Aiming, nullptr, CLSCTX_ALL, IAiming::kIid, aiming.putVoid())) ||
        FAILED(aiming->get_Trace(trace.put())) || FAILED(aiming->get_Attr(attributes.put())) ||
        FAILED(attributes->put_SampleRate(200)) || FAILED(attributes->put_Event(event)) ||
        FAILED(trace->put_WrapEnabled(VARIANT_FALSE))) {
        return nullptr;
    }
    // A hold that wanders a few millimetres, different for every seed.
    const double phase = seed * 0.7;
    std::minstd_rand noise(seed + 1);
    std::uniform_int_distribution<int> jitter(-shape.jitter, shape.jitter);
    const auto add = [&](int i) {
        const double t = i / 200.0 + phase;
        const auto x = static_cast<LONG>(shape.centreX + 300 * std::sin(t * 1.3) + 40 * std::sin(t * 17));
        const auto y = static_cast<LONG>(shape.centreY + 250 * std::cos(t * 0.9) + 35 * std::cos(t * 23));
        return trace->_Add(x + jitter(noise), y + jitter(noise));
    };
    for (int i = 0; i < shape.samplesBeforeShot; ++i) {
        if (FAILED(add(i))) {
            return nullptr;
        }
    }
    ComPtr<IShot> shot;
    if (FAILED(aiming->AddShot(VARIANT_FALSE, shot.put()))) {
        return nullptr;
    }
    for (int i = 0; i < shape.samplesAfterShot; ++i) {
        if (FAILED(add(shape.samplesBeforeShot + i))) {
            return nullptr;
        }
    }
    if (FAILED(trace->put_ReadOnly(VARIANT_TRUE))) {
        return nullptr;
    }
    return aiming;
}

void fail(const char* what)
{
    std::fprintf(stderr, "benchmark set-up failed: %s\n", what);
    std::exit(EXIT_FAILURE);
}

} // namespace bench
