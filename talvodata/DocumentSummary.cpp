#include "talvodata/DocumentSummary.h"

#include "talvodata/TalvoDocument.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingCollection.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/Bstr.h"
#include "platform/com/StreamForms.h"
#include "platform/com/Variant.h"
#include "platform/storage/CompoundFile.h"

#include <cmath>

namespace talvodata {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr std::int32_t kSummaryVersion = 1;

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
bool firstShotTiming(IShotCollection* shots, DocumentSummary& summary)
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
    summary.date = date;
    summary.coefficient = static_cast<std::int32_t>(coefficient);
    return true;
}

void summariseShots(ITalvoDocument& document, DocumentSummary& summary)
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
                summary.integerTotal += static_cast<std::int32_t>(result);
                summary.decimalTotal += result;
            }
        }
        summary.matchShots = static_cast<std::int32_t>(count);
    }
    if (!firstShotTiming(match.get(), summary) || summary.date == 0) {
        (void)firstShotTiming(shotsOf(*aimings, false).get(), summary); // No sighting shot keeps what there is.
    }
}

HRESULT writeText(IStream* stream, const std::u16string& text)
{
    return platform::com::writeBstr(stream, Bstr(text).get());
}

HRESULT readText(IStream* stream, std::u16string& text)
{
    Bstr read;
    RETURN_IF_FAILED(platform::com::readBstr(stream, read));
    text = std::u16string(read.view());
    return S_OK;
}

} // namespace

DocumentSummary summariseDocument(ITalvoDocument& document)
{
    DocumentSummary summary;
    LONG fileVersion = 0;
    (void)document.get_FileVersion(&fileVersion); // A failure keeps 0: the file then lists as "other".
    summary.fileVersion = static_cast<std::int32_t>(fileVersion);
    ComPtr<IEventParams> event;
    Bstr shortName;
    if (SUCCEEDED(document.get_Event(event.put())) && event && SUCCEEDED(event->get_ShortName(shortName.put()))) {
        summary.eventShortName = std::u16string(shortName.view());
    }
    Bstr shooter;
    (void)document.get_ShooterName(shooter.put()); // A failure leaves it empty.
    summary.shooter = std::u16string(shooter.view());
    summary.comments = textValue(document, "_comments");
    summary.position = textValue(document, "_position");
    summariseShots(document, summary);
    return summary;
}

HRESULT writeSummary(IStream* stream, const DocumentSummary& summary)
{
    using namespace platform::com;
    RETURN_IF_FAILED(writeInt32(stream, kSummaryVersion));
    RETURN_IF_FAILED(writeInt32(stream, summary.fileVersion));
    for (const std::u16string* text :
         {&summary.eventShortName, &summary.shooter, &summary.comments, &summary.position}) {
        RETURN_IF_FAILED(writeText(stream, *text));
    }
    RETURN_IF_FAILED(writeDouble(stream, summary.date));
    RETURN_IF_FAILED(writeInt32(stream, summary.coefficient));
    RETURN_IF_FAILED(writeInt32(stream, summary.matchShots));
    RETURN_IF_FAILED(writeInt32(stream, summary.integerTotal));
    return writeFloat(stream, summary.decimalTotal);
}

HRESULT readSummary(IStream* stream, DocumentSummary& summary)
{
    using namespace platform::com;
    std::int32_t version = 0;
    DocumentSummary read;
    if (FAILED(readInt32(stream, version)) || version != kSummaryVersion ||
        FAILED(readInt32(stream, read.fileVersion))) {
        return E_FAIL;
    }
    for (std::u16string* text : {&read.eventShortName, &read.shooter, &read.comments, &read.position}) {
        if (FAILED(readText(stream, *text))) {
            return E_FAIL;
        }
    }
    if (FAILED(readDouble(stream, read.date)) || FAILED(readInt32(stream, read.coefficient)) ||
        FAILED(readInt32(stream, read.matchShots)) || FAILED(readInt32(stream, read.integerTotal)) ||
        FAILED(readFloat(stream, read.decimalTotal)) || read.matchShots < 0 || !std::isfinite(read.date) ||
        !std::isfinite(read.decimalTotal)) {
        return E_FAIL;
    }
    summary = std::move(read);
    return S_OK;
}

platform::Result<DocumentSummary> readSavedSummary(const std::filesystem::path& path)
{
    auto root = platform::storage::openCompoundFile(path);
    if (!root) {
        return root.error();
    }
    STATSTG stat{};
    ComPtr<IStream> contents;
    ComPtr<IStream> saved;
    std::int32_t contentsVersion = 0;
    if (FAILED((*root)->Stat(&stat, STATFLAG_NONAME)) || stat.clsid != CLSID_TalvoDocument ||
        FAILED((*root)->OpenStream(kSummaryStream, STGM_READ | STGM_SHARE_EXCLUSIVE, saved.put())) ||
        FAILED((*root)->OpenStream(u"Contents", STGM_READ | STGM_SHARE_EXCLUSIVE, contents.put())) ||
        FAILED(platform::com::readInt32(contents.get(), contentsVersion))) {
        return platform::Error{E_FAIL, path.string() + ": no practice summary"};
    }
    DocumentSummary summary;
    // A summary that disagrees with its contents' version was not written with them.
    if (FAILED(readSummary(saved.get(), summary)) || summary.fileVersion != contentsVersion || contentsVersion < 0 ||
        contentsVersion > CTalvoDocument::kFileVersion) {
        return platform::Error{E_FAIL, path.string() + ": the practice summary is damaged"};
    }
    return summary;
}

} // namespace talvodata
