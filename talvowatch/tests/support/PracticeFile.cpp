#include "talvowatch/tests/support/PracticeFile.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IEventManager.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/Variant.h"
#include "talvodata/Aiming.h"
#include "talvodata/TalvoDocument.h"

namespace talvowatch::testsupport {

using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

HRESULT addAiming(IAimingCollection& aimings, IEventParams* event, bool match, DATE when, int index)
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
    for (int i = 0; i < 360; ++i) {
        RETURN_IF_FAILED(trace->_Add(40 * index + 3 * (i % 50), -30 * index + 2 * (i % 70)));
    }
    ComPtr<IShot> shot;
    RETURN_IF_FAILED(aiming->AddShot(VARIANT_FALSE, shot.put()));
    for (int i = 0; i < 40; ++i) {
        RETURN_IF_FAILED(trace->_Add(40 * index + i, -30 * index + i));
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
        if (FAILED(hr = addAiming(*aimings, event.get(), match, spec.firstShot + i / 86400.0, i))) {
            return platform::Error{hr, "cannot add an aiming"};
        }
    }
    if (FAILED(hr = document->put_FileName(Bstr(path.string()).get())) || FAILED(hr = document->Save())) {
        return platform::Error{hr, "cannot save " + path.string()};
    }
    return {};
}

} // namespace talvowatch::testsupport
