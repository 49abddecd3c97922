#include "talvowatch/PracticeSummary.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "interfaces/talvodata/ITalvoDocument.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"

namespace talvowatch {

using catalogcache::CatalogRecord;
using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

std::u16string eventName(ITalvoDocument& document)
{
    ComPtr<IEventParams> event;
    if (FAILED(document.get_Event(event.put())) || !event) {
        return {};
    }
    Bstr name;
    if (FAILED(event->get_Name(name.put())) || name.length() == 0) {
        name = Bstr();
        (void)event->get_ShortName(name.put()); // A failure leaves the name empty.
    }
    return std::u16string(name.view());
}

std::u16string textValue(ITalvoDocument& document, const char* key)
{
    Variant value;
    if (FAILED(document.get_Value(Bstr(key).get(), value.put())) || value.type() != VT_BSTR) {
        return {};
    }
    return std::u16string(Bstr::copyOf(value.get().bstrVal).view());
}

/// The shots of the match or the sighting aimings, hidden ones left out; null when they cannot be had.
ComPtr<IShotCollection> shotsOf(IAimingCollection& aimings, bool match)
{
    ComPtr<IAimingCollection> part;
    ComPtr<IShotCollection> shots;
    if (FAILED(match ? aimings.get_Match(part.put()) : aimings.get_Sighting(part.put())) || !part ||
        FAILED(part->get_Shots(VARIANT_FALSE, shots.put()))) {
        return nullptr;
    }
    return shots;
}

/// The enter time and coefficient of the first shot's aiming; false when the collection has no shot.
bool firstShotTiming(IShotCollection* shots, CatalogRecord& record)
{
    LONG count = 0;
    ComPtr<IShot> shot;
    ComPtr<IAimingAttr> attributes;
    if (shots == nullptr || FAILED(shots->get_Count(&count)) || count < 1 || FAILED(shots->get_Item(1, shot.put())) ||
        FAILED(shot->get_Attr(attributes.put()))) {
        return false;
    }
    DATE date = 0;
    LONG coefficient = 0;
    (void)attributes->get_EnterTime(&date);           // A failure keeps 0.
    (void)attributes->get_FCoefficient(&coefficient); // Likewise.
    record.date = date;
    record.coefficient = static_cast<std::int32_t>(coefficient);
    return true;
}

void summariseShots(ITalvoDocument& document, CatalogRecord& record)
{
    ComPtr<IAimingCollection> aimings;
    if (FAILED(document.get_Aimings(aimings.put())) || !aimings) {
        return;
    }
    const ComPtr<IShotCollection> match = shotsOf(*aimings, true);
    LONG count = 0;
    if (match && SUCCEEDED(match->get_Count(&count))) {
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<IShot> shot;
            float result = 0;
            if (SUCCEEDED(match->get_Item(i, shot.put())) && SUCCEEDED(shot->get_Result(&result))) {
                record.integerTotal += static_cast<std::int32_t>(result);
                record.decimalTotal += result;
            }
        }
        record.matchShots = static_cast<std::int32_t>(count);
    }
    if (!firstShotTiming(match.get(), record) || record.date == 0) {
        (void)firstShotTiming(shotsOf(*aimings, false).get(), record); // No sighting shot keeps what there is.
    }
}

} // namespace

CatalogRecord summarisePractice(const std::filesystem::path& path)
{
    CatalogRecord record;
    ComPtr<ITalvoDocument> document;
    VARIANT_BOOL valid = VARIANT_FALSE;
    if (FAILED(CoCreateInstance(talvodata::CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid,
                                document.putVoid())) ||
        FAILED(document->put_FileName(Bstr(path.string()).get())) || FAILED(document->Load()) ||
        FAILED(document->get_Valid(&valid)) || valid != VARIANT_TRUE) {
        return record;
    }
    LONG fileVersion = 0;
    (void)document->get_FileVersion(&fileVersion); // A failure keeps 0: the file then lists as "other".
    record.fileVersion = static_cast<std::int32_t>(fileVersion);
    record.event = eventName(*document);
    Bstr shooter;
    (void)document->get_ShooterName(shooter.put()); // A failure leaves it empty, shown as "Unknown".
    record.shooter = shooter.length() == 0 ? u"Unknown" : std::u16string(shooter.view());
    record.comments = textValue(*document, "_comments");
    record.position = textValue(*document, "_position");
    summariseShots(*document, record);
    return record;
}

} // namespace talvowatch
