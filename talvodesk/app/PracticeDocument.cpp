#include "talvodesk/app/PracticeDocument.h"

#include "talvodata/TalvoDocument.h"

#include "platform/com/Bstr.h"
#include "platform/fs/ReadFile.h"

#include <algorithm>

namespace talvodesk {

namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

std::u16string text(const Bstr& value)
{
    return std::u16string(value.view());
}

ComPtr<IAimingCollection> aimings(ITalvoDocument* document, bool match)
{
    ComPtr<IAimingCollection> all;
    ComPtr<IAimingCollection> part;
    if (FAILED(document->get_Aimings(all.put())) ||
        FAILED(match ? all->get_Match(part.put()) : all->get_Sighting(part.put()))) {
        return {};
    }
    return part;
}

std::uint32_t shotCount(ITalvoDocument* document, bool match)
{
    const ComPtr<IAimingCollection> part = aimings(document, match);
    ComPtr<IShotCollection> shots;
    LONG count = 0;
    if (!part || FAILED(part->get_Shots(VARIANT_FALSE, shots.put())) || FAILED(shots->get_Count(&count))) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::max<LONG>(count, 0));
}

} // namespace

bool PracticeDocument::open(const std::filesystem::path& path)
{
    reset();
    auto created = talvodata::CTalvoDocument::create();
    if (!created) {
        m_readError = std::u16string(Bstr(created.error().detail).view());
        return false;
    }
    ComPtr<ITalvoDocument> document = std::move(created).value();
    VARIANT_BOOL valid = VARIANT_FALSE;
    if (FAILED(document->put_FileName(Bstr(path.string()).get())) || FAILED(document->Load()) ||
        FAILED(document->get_Valid(&valid)) || valid != VARIANT_TRUE) {
        Bstr error;
        if (SUCCEEDED(document->get_ReadErrorMsg(error.put()))) {
            m_readError = text(error);
        }
        if (m_readError.empty()) {
            // The document names only damaged contents; say why a file could not be read at all.
            const auto start = platform::fs::readFileStart(path, 1);
            m_readError = platform::com::utf8ToUtf16(start ? "the file is not a practice" : start.error().detail);
        }
        return false;
    }
    m_document = std::move(document);
    countShots();
    showSightings = m_sightingShots > 0;
    return true;
}

void PracticeDocument::reset()
{
    m_document = {};
    m_readError.clear();
    m_sightingShots = m_matchShots = 0;
    modified = false;
}

void PracticeDocument::countShots()
{
    m_sightingShots = m_document ? shotCount(m_document.get(), false) : 0;
    m_matchShots = m_document ? shotCount(m_document.get(), true) : 0;
}

std::u16string PracticeDocument::shooterName() const
{
    Bstr name;
    return m_document && SUCCEEDED(m_document->get_ShooterName(name.put())) ? text(name) : std::u16string();
}

std::u16string PracticeDocument::eventShortName() const
{
    ComPtr<IEventParams> event;
    Bstr name;
    if (!m_document || FAILED(m_document->get_Event(event.put())) || !event ||
        FAILED(event->get_ShortName(name.put()))) {
        return {};
    }
    return text(name);
}

std::filesystem::path PracticeDocument::fileName() const
{
    Bstr name;
    if (!m_document || FAILED(m_document->get_FileName(name.put()))) {
        return {};
    }
    return std::filesystem::path(platform::com::utf16ToUtf8(name.view()));
}

std::int32_t PracticeDocument::fileVersion() const
{
    LONG version = 0;
    return m_document && SUCCEEDED(m_document->get_FileVersion(&version)) ? version : 0;
}

DATE PracticeDocument::firstMatchEnterTime() const
{
    const ComPtr<IAimingCollection> match = m_document ? aimings(m_document.get(), true) : ComPtr<IAimingCollection>();
    ComPtr<IAiming> first;
    ComPtr<IAimingAttr> attributes;
    DATE when = 0;
    if (!match || FAILED(match->get_Item(1, first.put())) || !first || FAILED(first->get_Attr(attributes.put())) ||
        FAILED(attributes->get_EnterTime(&when))) {
        return 0;
    }
    return when;
}

void PracticeDocument::clearSightingShots()
{
    if (m_document && SUCCEEDED(m_document->ClearSightingShots())) {
        modified = true;
        showSightings = false;
        countShots();
    }
}

void PracticeDocument::clearShots()
{
    if (m_document && SUCCEEDED(m_document->ClearShots())) {
        modified = true;
        countShots();
    }
}

} // namespace talvodesk
