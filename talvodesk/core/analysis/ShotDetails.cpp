#include "talvodesk/core/analysis/ShotDetails.h"

#include "talvodesk/core/analysis/PageElements.h"
#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/TextFormat.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/Bstr.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/com/Variant.h"

namespace talvodesk {

using platform::com::ComPtr;

const std::array<ShotPageRow, 7> kShotPageRows = {{
    {u"idShotNumber", chartstrings::kMatchShotNumber, false, true},
    {u"idShotTime", chartstrings::kDateTime, false, true},
    {u"idShotResult", chartstrings::kShotResult, false, true},
    {u"idShotPulse", chartstrings::kShotPulse, true, false},
    {u"idShotElapsed", chartstrings::kTimeElapsed, false, true},
    {u"idShotIntervalPrev", chartstrings::kIntervalPrevious, true, true},
    {u"idShotIntervalNext", chartstrings::kIntervalNext, true, true},
}};

void DeclareShotPage(PageElements& page, const std::function<std::u16string(std::uint32_t)>& text)
{
    page.add(u"idShotNumberRow");
    for (const ShotPageRow& row : kShotPageRows) {
        const std::u16string id(row.id);
        page.add(id + u"Title", u"block", EscapeHtml(text(row.caption)));
        page.add(id);
        if (row.ownRow) {
            page.add(id + u"Row", row.shownAtLoad ? u"block" : u"none");
        }
    }
}

void ShotDetails::SetPage(PageElements* page)
{
    m_page = page;
    if (m_page && m_number >= 0) {
        Write();
    }
}

void ShotDetails::Update(CTalvoData& document)
{
    long number = 0;
    ComPtr<IShot> shot;
    ComPtr<IShot> previous;
    ComPtr<IShot> next;
    ComPtr<IShot> first;
    ComPtr<IShotCollection> shots;
    if (document.IsValid() && document.GetCurrentShot(shot) && shot && document.GetMatchShots(shots)) {
        const long n = countOf(shots.get());
        (void)shots->get_Item(1, first.put()); // None: the elapsed time stays empty.
        for (LONG i = 1; i <= n; ++i) {
            ComPtr<IShot> item;
            if (FAILED(shots->get_Item(i, item.put())) || !platform::com::isSameObject(item.get(), shot.get())) {
                continue;
            }
            number = i;
            if (i > 1) {
                (void)shots->get_Item(i - 1, previous.put()); // Unreadable: no interval shown.
            }
            if (i < n) {
                (void)shots->get_Item(i + 1, next.put());
            }
            break;
        }
    }
    Fill(number, shot.get(), previous.get(), next.get(), first.get());
}

void ShotDetails::Fill(long number, IShot* shot, IShot* previous, IShot* next, IShot* first)
{
    m_number = number;
    m_shot = ComPtr<IShot>(shot);
    m_previous = ComPtr<IShot>(previous);
    m_next = ComPtr<IShot>(next);
    m_first = ComPtr<IShot>(first);
    if (m_page) {
        Write();
    }
}

void ShotDetails::Write()
{
    const bool has = m_number > 0 && m_shot;
    const DATE time = has ? shotTimeOf(m_shot.get()) : 0;
    std::u16string text;
    if (m_number > 0) {
        AppendFormattedInt(text, static_cast<int>(m_number), false, u"%i");
    }
    (void)m_page->SetElementText(u"idShotNumber", text); // A page without an element shows the rest.

    text.clear();
    if (has) {
        FormatDate(text, time, m_module ? m_module->m_lcid : kEnglishUnitedStates);
    }
    (void)m_page->SetElementText(u"idShotTime", text);

    text.clear();
    platform::com::Variant pulse;
    if (has && SUCCEEDED(m_shot->get_Value(platform::com::Bstr(u"_pulse").get(), pulse.put())) &&
        pulse.type() == VT_I2) {
        AppendFormattedInt(text, pulse.get().iVal, true, u"%i");
    }
    (void)m_page->SetElementText(u"idShotPulse", text);

    text.clear();
    float result = 0;
    if (has && SUCCEEDED(m_shot->get_Result(&result))) {
        AppendFormattedFloat(text, result, u"%-4.1f");
    }
    (void)m_page->SetElementText(u"idShotResult", text);

    text.clear();
    if (has && m_first) {
        ComPtr<IAimingAttr> start;
        DATE entered = 0;
        if (FAILED(m_first->get_Attr(start.put())) || !start || FAILED(start->get_EnterTime(&entered))) {
            entered = 0; // An unreadable start has no time.
        }
        text = FormatTimeBetween(entered, time, /*shortForm=*/false);
    }
    (void)m_page->SetElementText(u"idShotElapsed", text);

    (void)m_page->SetElementText(
        u"idShotIntervalPrev",
        has && m_previous ? FormatTimeBetween(shotTimeOf(m_previous.get()), time, /*shortForm=*/false) : u"");
    (void)m_page->SetElementText(u"idShotIntervalNext",
                                 has && m_next ? FormatTimeBetween(time, shotTimeOf(m_next.get()), /*shortForm=*/false)
                                               : u"");
}

} // namespace talvodesk
