#include "bench/support/Aimings.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingCollection.h"
#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/ITalvoDocument.h"
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

void writeRecordedPractice(const std::filesystem::path& path, IEventParams* event, int shots, unsigned seed,
                           const AimingShape& hold)
{
    constexpr DATE kStart = 46000.5;
    ComPtr<ITalvoDocument> document;
    ComPtr<IAimingCollection> aimings;
    if (FAILED(CoCreateInstance(talvodata::CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid,
                                document.putVoid())) ||
        FAILED(document->put_Event(event)) || FAILED(document->get_Aimings(aimings.put()))) {
        fail("no practice document");
    }
    for (int i = 0; i < shots; ++i) {
        AimingShape shape = hold;
        shape.centreX = static_cast<long>(250 * std::cos(i * 2.4));
        shape.centreY = static_cast<long>(250 * std::sin(i * 2.4));
        const ComPtr<IAiming> aiming = recordedAiming(event, shape, seed + static_cast<unsigned>(i));
        ComPtr<IAimingAttr> attributes;
        ComPtr<IShot> shot;
        const DATE when = kStart + i * 30.0 / 86400.0;
        if (!aiming || FAILED(aiming->get_Attr(attributes.put())) || FAILED(attributes->put_Match(VARIANT_TRUE)) ||
            FAILED(attributes->put_EnterTime(when - 3.0 / 86400.0)) || FAILED(aiming->get_Shot(1, shot.put())) ||
            FAILED(shot->put_ShotTime(when)) || FAILED(aimings->Add(aiming.get()))) {
            fail("the aimings cannot be recorded");
        }
    }
    if (FAILED(document->put_FileName(platform::com::Bstr(path.string()).get())) || FAILED(document->Save())) {
        fail("the practice cannot be saved");
    }
}

void fail(const char* what)
{
    std::fprintf(stderr, "benchmark set-up failed: %s\n", what);
    std::exit(EXIT_FAILURE);
}

} // namespace bench
