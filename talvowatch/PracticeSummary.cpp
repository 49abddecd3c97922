#include "talvowatch/PracticeSummary.h"

#include "talvodata/DocumentSummary.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/ITalvoDocument.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"

#include <optional>

namespace talvowatch {

using catalogcache::CatalogRecord;
using platform::com::Bstr;
using platform::com::ComPtr;
using talvodata::DocumentSummary;

namespace {

/// The summary of a file saved without one, from the whole document; nothing when it is no valid practice.
std::optional<DocumentSummary> loadedSummary(const std::filesystem::path& path)
{
    ComPtr<ITalvoDocument> document;
    VARIANT_BOOL valid = VARIANT_FALSE;
    if (FAILED(CoCreateInstance(talvodata::CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid,
                                document.putVoid())) ||
        FAILED(document->put_FileName(Bstr(path.string()).get())) || FAILED(document->Load()) ||
        FAILED(document->get_Valid(&valid)) || valid != VARIANT_TRUE) {
        return std::nullopt;
    }
    return talvodata::summariseDocument(*document);
}

/// The installed event's name, or its short name when the name is empty; nothing when it is not installed, as a
/// practice of it cannot be loaded.
std::optional<std::u16string> eventName(const std::u16string& shortName)
{
    ComPtr<IEventManager> events;
    ComPtr<IEventParams> event;
    if (FAILED(CoCreateInstance(talvodata::CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid,
                                events.putVoid())) ||
        events->FindByShortName(Bstr(shortName).get(), event.put()) != S_OK || !event) {
        return std::nullopt;
    }
    Bstr name;
    if (FAILED(event->get_Name(name.put())) || name.length() == 0) {
        return shortName;
    }
    return std::u16string(name.view());
}

} // namespace

CatalogRecord summarisePractice(const std::filesystem::path& path)
{
    auto saved = talvodata::readSavedSummary(path);
    const std::optional<DocumentSummary> summary = saved ? std::move(saved).value() : loadedSummary(path);
    const std::optional<std::u16string> event = summary ? eventName(summary->eventShortName) : std::nullopt;
    if (!event) {
        return {};
    }
    CatalogRecord record;
    record.fileVersion = summary->fileVersion;
    record.event = *event;
    record.shooter = summary->shooter.empty() ? u"Unknown" : summary->shooter;
    record.comments = summary->comments;
    record.position = summary->position;
    record.date = summary->date;
    record.coefficient = summary->coefficient;
    record.matchShots = summary->matchShots;
    record.integerTotal = summary->integerTotal;
    record.decimalTotal = summary->decimalTotal;
    return record;
}

} // namespace talvowatch
