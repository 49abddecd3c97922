#include "talvowatch/tests/support/PracticeFile.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IEventManager.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/Variant.h"
#include "talvodata/Aiming.h"
#include "talvodata/TalvoDocument.h"

#include <cmath>
#include <cstdint>
#include <utility>

namespace talvowatch::testsupport {

using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

/// A point of a settling hold, in hundredths of a millimetre: it circles the shot's point ever closer.
std::pair<LONG, LONG> holdPoint(int index, int sample, int samples)
{
    std::uint32_t seed = 2654435761U * static_cast<std::uint32_t>(index + 1);
    const auto next = [&seed] {
        seed = seed * 1664525U + 1013904223U;
        return static_cast<double>(seed >> 8) / (1U << 24) - 0.5;
    };
    const double centreX = 500 * (next() + next());
    const double centreY = 500 * (next() + next());
    const double left = 1.0 - static_cast<double>(sample) / samples;
    const double radius = 150 + 1400 * left * left;
    const double angle = 0.09 * sample + index;
    return {static_cast<LONG>(centreX + radius * std::cos(angle)),
            static_cast<LONG>(centreY + radius * std::sin(1.3 * angle))};
}

HRESULT addAiming(IAimingCollection& aimings, IEventParams* event, bool match, DATE when, int index, bool grouped)
{
    auto created = talvodata::CAiming::create();
    if (!created) {
        return created.error().code;
    }
    ComPtr<talvodata::CAiming> aiming = std::move(created).value();
    ComPtr<IAimingAttr> attributes;
    ComPtr<IAimingTrace> trace;
    RETURN_IF_FAILED(aiming->get_Attr(attributes.put()));
    RETURN_IF_FAILED(aiming->get_Trace(trace.put()));
    RETURN_IF_FAILED(attributes->put_SampleRate(200));
    RETURN_IF_FAILED(attributes->put_Event(event));
    constexpr int kBefore = 360;
    constexpr int kAfter = 40;
    for (int i = 0; i < kBefore; ++i) {
        const auto [x, y] = grouped ? holdPoint(index, i, kBefore)
                                    : std::pair<LONG, LONG>{40 * index + 3 * (i % 50), -30 * index + 2 * (i % 70)};
        RETURN_IF_FAILED(trace->_Add(x, y));
    }
    ComPtr<IShot> shot;
    RETURN_IF_FAILED(aiming->AddShot(VARIANT_FALSE, shot.put()));
    if (grouped) {
        RETURN_IF_FAILED(shot->put_ShotTime(when));
    }
    for (int i = 0; i < kAfter; ++i) {
        const auto [x, y] =
            grouped ? holdPoint(index, kBefore, kBefore) : std::pair<LONG, LONG>{40 * index, -30 * index};
        RETURN_IF_FAILED(trace->_Add(x + i, y + i));
    }
    RETURN_IF_FAILED(trace->put_ReadOnly(VARIANT_TRUE));
    RETURN_IF_FAILED(attributes->put_Match(match ? VARIANT_TRUE : VARIANT_FALSE));
    RETURN_IF_FAILED(attributes->put_EnterTime(when));
    RETURN_IF_FAILED(attributes->put_FCoefficient(12));
    return aimings.Add(aiming.get());
}

} // namespace

platform::Status writePractice(const std::filesystem::path& path, const PracticeSpec& spec)
{
    auto created = talvodata::CTalvoDocument::create();
    if (!created) {
        return created.error();
    }
    ComPtr<talvodata::CTalvoDocument> document = std::move(created).value();
    ComPtr<IEventManager> events;
    ComPtr<IEventParams> event;
    HRESULT hr =
        CoCreateInstance(talvodata::CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid, events.putVoid());
    if (SUCCEEDED(hr)) {
        hr = events->FindByShortName(Bstr(spec.event).get(), event.put());
    }
    if (hr != S_OK) {
        return platform::Error{FAILED(hr) ? hr : E_FAIL, std::string("no event ") + spec.event};
    }
    ComPtr<IAimingCollection> aimings;
    if (FAILED(hr = document->put_Event(event.get())) || FAILED(hr = document->get_Aimings(aimings.put())) ||
        FAILED(hr = document->put_ShooterName(Bstr(spec.shooter).get()))) {
        return platform::Error{hr, "cannot fill the practice"};
    }
    if (!spec.comments.empty()) {
        (void)document->put_Value(Bstr("_comments").get(),
                                  platform::com::Variant::fromString(Bstr(spec.comments)).get());
    }
    const int shots = spec.sightingShots + spec.matchShots;
    for (int i = 0; i < shots; ++i) {
        const bool match = i >= spec.sightingShots;
        if (FAILED(hr = addAiming(*aimings, event.get(), match, spec.firstShot + i * (spec.grouped ? 40 : 1) / 86400.0,
                                  i, spec.grouped))) {
            return platform::Error{hr, "cannot add an aiming"};
        }
    }
    if (FAILED(hr = document->put_FileName(Bstr(path.string()).get())) || FAILED(hr = document->Save())) {
        return platform::Error{hr, "cannot save " + path.string()};
    }
    return {};
}

} // namespace talvowatch::testsupport
