#include "talvodesk/core/analysis/InfoViewLogic.h"

#include "talvodesk/core/analysis/Drawing.h"
#include "talvodesk/core/analysis/InfoPage.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/frame/CommandIds.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/Bstr.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/time/Clock.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

constexpr std::uint32_t kMillimetresFormat = 61224;
constexpr std::uint32_t kSecondsFormat = 61229;

/// A target's settings for a fill; its aimings are added between begin and end.
void beginTarget(ITarget& target, IEventParams* event, const COptions& options, bool selectable)
{
    // A control that refuses a setting keeps its own; the fill goes on.
    (void)target.put_EnableUpdate(VARIANT_FALSE);
    (void)target.put_Event(event);
    (void)target.Clear();
    (void)target.ClearElements();
    (void)target.put_BreachColor(options.breachColor);
    (void)target.put_SelectedBreachColor(options.selectedBreachColor);
    (void)target.put_DisplayTrace(VARIANT_FALSE);
    if (!selectable) {
        (void)target.put_Selectable(VARIANT_FALSE);
    }
}

/// The aimings of the side's shown shots, in shot order, each once. One walk of the aimings instead of a search
/// per shot: a 600-shot practice would otherwise compare shots 180,000 times.
std::vector<ComPtr<IAiming>> aimingsOfShots(CTalvoData& data, bool model)
{
    ComPtr<IShotCollection> shots;
    ComPtr<IAimingCollection> aimings;
    LONG shotCount = 0;
    LONG aimingCount = 0;
    if (!(model ? data.GetModelShots(shots) : data.GetMatchShots(shots)) || !shots ||
        !(model ? data.GetModelAimings(aimings) : data.GetMatchAimings(aimings)) || !aimings ||
        FAILED(shots->get_Count(&shotCount)) || FAILED(aimings->get_Count(&aimingCount))) {
        return {};
    }
    // Each held shot beside the index of its aiming, sorted to be looked up; a shot in two aimings takes the first.
    std::vector<ComPtr<IAiming>> held;
    std::vector<std::pair<IUnknown*, std::size_t>> owners;
    for (LONG a = 1; a <= aimingCount; ++a) {
        ComPtr<IAiming> aiming;
        LONG count = 0;
        if (FAILED(aimings->get_Item(a, aiming.put())) || !aiming || FAILED(aiming->get_ShotCount(&count))) {
            continue;
        }
        for (LONG k = 1; k <= count; ++k) {
            ComPtr<IShot> shot;
            if (SUCCEEDED(aiming->get_Shot(k, shot.put()))) {
                owners.emplace_back(platform::com::identityOf(shot.get()), held.size());
            }
        }
        held.push_back(std::move(aiming));
    }
    std::sort(owners.begin(), owners.end());
    std::vector<ComPtr<IAiming>> found;
    std::vector<bool> added(held.size());
    for (LONG i = 1; i <= shotCount; ++i) {
        ComPtr<IShot> shot;
        if (FAILED(shots->get_Item(i, shot.put()))) {
            continue;
        }
        IUnknown* identity = platform::com::identityOf(shot.get());
        const auto owner = std::lower_bound(owners.begin(), owners.end(), std::make_pair(identity, std::size_t{0}));
        if (owner != owners.end() && owner->first == identity && !added[owner->second]) {
            added[owner->second] = true;
            found.push_back(held[owner->second]);
        }
    }
    return found;
}

} // namespace

InfoViewLogic::InfoViewLogic(InfoViewHost& host, const CTalvoAppModule& module, const COptions& options,
                             const platform::time::Clock& clock)
    : m_host(host), m_module(module), m_options(options), m_clock(clock)
{
    DeclareInfoPage(m_page, [this](std::uint32_t id) { return m_module.LoadString(id); });
}

bool InfoViewLogic::documentValid() const
{
    return document() && document()->IsValid();
}

void InfoViewLogic::PageLoaded()
{
    const PageElements::Batch batch(m_page);
    m_loaded = true;
    for (std::size_t i = 0; i < kInfoTitleIds.size(); ++i) {
        m_titles[i].clear();
        (void)m_page.GetElementText(kInfoTitleIds[i], m_titles[i]);
    }
    ShowIntroOrInfo();
    if (m_refreshOnLoad) {
        OnUpdate(nullptr, HintReset, {});
    }
}

void InfoViewLogic::OnUpdate(CView*, DocumentHint hint, const HintPayload& payload)
{
    if (!m_loaded) {
        m_refreshOnLoad = true;
        return;
    }
    switch (hint) {
    case HintReset:
    case HintShotParameters: {
        const PageElements::Batch batch(m_page);
        ShowIntroOrInfo();
        ShowShooterName();
        ShowComments();
        FillOrDefer(true, true);
        break;
    }
    case HintLanguage: {
        // The page comes back in the new language and is filled again, its value formats included.
        const PageElements::Batch batch(m_page);
        m_loaded = false;
        m_refreshOnLoad = true;
        SetInfoPageTexts(m_page, [this](std::uint32_t id) { return m_module.LoadString(id); });
        PageLoaded();
        break;
    }
    case HintModel:
        FillOrDefer(false, true);
        break;
    case HintCurrentShot:
        showCurrentShot();
        break;
    case HintShooterName:
        ShowShooterName();
        break;
    case HintComments:
        ShowComments();
        break;
    case HintConcludeAiming: {
        IAiming* aiming = payload.aiming();
        LONG shots = 0;
        if (aiming && SUCCEEDED(aiming->get_ShotCount(&shots)) && shots > 0) {
            FillOrDefer(true, false);
        }
        break;
    }
    default:
        break;
    }
}

void InfoViewLogic::showCurrentShot()
{
    ComPtr<IShot> current;
    if (document()) {
        (void)document()->GetCurrentShot(current); // None selects nothing.
    }
    const std::u16string_view targets[] = {u"TargetStanding1", u"TargetProne1"};
    for (const std::u16string_view id : m_summary.biathlon ? std::span(targets) : std::span(&kInfoTargetIds[0], 1)) {
        if (ITarget* target = m_page.target(id)) {
            (void)target->put_SelectedShot(current.get());
        }
    }
}

bool InfoViewLogic::FillOrDefer(bool documentPart, bool modelPart)
{
    if (m_host.isPageVisible()) {
        Fill(documentPart, modelPart);
        return true;
    }
    m_pendingDocument = m_pendingDocument || documentPart;
    m_pendingModel = m_pendingModel || modelPart;
    return true;
}

bool InfoViewLogic::ApplyPendingUpdate()
{
    if (m_pendingDocument || m_pendingModel) {
        Fill(m_pendingDocument, m_pendingModel);
    }
    m_pendingDocument = m_pendingModel = false;
    return true;
}

bool InfoViewLogic::Fill(bool documentPart, bool modelPart)
{
    // What this fill computes is no longer waiting for the page to be shown.
    m_pendingDocument = m_pendingDocument && !documentPart;
    m_pendingModel = m_pendingModel && !modelPart;
    if (document()) {
        m_host.setWaitCursor(true);
        ComputeSummary(*document(), m_summary, documentPart, modelPart);
        m_host.setWaitCursor(false);
    } else {
        m_summary = {};
    }
    WritePage();
    return true;
}

void InfoViewLogic::WritePage()
{
    const PageElements::Batch batch(m_page);
    InfoPageFormats formats;
    formats.millimetres = m_module.LoadString(kMillimetresFormat);
    formats.seconds = m_module.LoadString(kSecondsFormat);
    formats.locale = m_module.m_lcid;
    formats.centreGroup = document() && document()->CentreGroup();
    Bstr comments;
    if (document() && document()->GetModelComments(comments)) {
        formats.modelComments = comments.view();
    }
    if (FillInfoPageTexts(m_page, m_summary, formats)) {
        fillTargets();
    } else {
        for (const std::u16string_view id : kInfoTargetIds) {
            if (ITarget* target = m_page.target(id)) {
                (void)target->Clear();
                (void)target->ClearElements();
            }
        }
    }
    m_host.layoutPage();
}

void InfoViewLogic::fillTargets()
{
    CTalvoData& data = *document();
    ComPtr<IEventParams> event;
    (void)data.GetEvent(event);
    ComPtr<IShot> current;
    (void)data.GetCurrentShot(current);
    for (const bool model : {false, true}) {
        const std::size_t first = model ? 3 : 0;
        ITarget* single = m_page.target(kInfoTargetIds[first]);
        ITarget* standing = m_page.target(kInfoTargetIds[first + 1]);
        ITarget* prone = m_page.target(kInfoTargetIds[first + 2]);
        for (ITarget* target : {single, standing, prone}) {
            if (target) {
                beginTarget(*target, event.get(), m_options, !model);
            }
        }
        if (prone) {
            (void)prone->put_SubTarget(2);
        }
        for (const ComPtr<IAiming>& aiming : aimingsOfShots(data, model)) {
            // A control ignores an aiming it already holds.
            if (single) {
                (void)single->Add(aiming.get());
            }
            ITarget* face = subTargetOf(aiming.get()).value_or(1) == 1 ? standing : prone;
            if (face) {
                (void)face->Add(aiming.get());
            }
        }
        const SideSummary& side = m_summary.sides[model ? 1 : 0];
        if (single) {
            if (!model) {
                (void)single->put_SelectedShot(current.get());
            }
            (void)single->ZoomToFit(VARIANT_TRUE);
            (void)AddGroupCross(single, side.hitCount, side.centreX, side.centreY);
        }
        for (ITarget* target : {standing, prone}) {
            if (target && !model) {
                (void)target->put_SelectedShot(current.get());
            }
        }
        for (ITarget* target : {single, standing, prone}) {
            if (target) {
                (void)target->put_EnableUpdate(VARIANT_TRUE);
            }
        }
    }
}

void InfoViewLogic::ApplyBreachColors()
{
    for (const std::u16string_view id : {u"Target1", u"Target2"}) {
        if (ITarget* target = m_page.target(id)) {
            (void)target->put_BreachColor(m_options.breachColor);
            (void)target->put_SelectedBreachColor(m_options.selectedBreachColor);
            (void)target->Refresh();
        }
    }
}

void InfoViewLogic::ShowIntroOrInfo()
{
    const PageElements::Batch batch(m_page);
    const bool valid = documentValid();
    m_page.SetElementDisplay(u"idIntro", valid ? u"none" : u"block");
    m_page.SetElementDisplay(u"idAllInfo", valid ? u"block" : u"none");
}

void InfoViewLogic::ShowShooterName()
{
    Bstr name;
    if (documentValid()) {
        (void)document()->GetShooterName(name);
    }
    m_page.SetElementValue(u"idShooterName", name.view());
}

void InfoViewLogic::ShowComments()
{
    Bstr comments;
    if (documentValid()) {
        (void)document()->GetComments(comments);
    }
    m_page.SetElementValue(u"idComments", comments.view());
}

void InfoViewLogic::OnKeyRelease(Field field)
{
    m_reports.push_back({m_clock.steadyNow() + kEditReportDelay, field});
    armWake();
}

void InfoViewLogic::armWake()
{
    if (!m_reports.empty()) {
        m_host.wakeAt(m_reports.front().due);
    }
}

void InfoViewLogic::OnWake()
{
    while (!m_reports.empty() && m_reports.front().due <= m_clock.steadyNow()) {
        const Field field = m_reports.front().field;
        m_reports.pop_front();
        // The whole value as it is now, as each report reads it when it runs.
        const PageElements::Element* entry =
            m_page.GetElement(field == Field::ShooterName ? u"idShooterName" : u"idComments");
        const std::u16string value = entry ? entry->value : std::u16string();
        if (field == Field::ShooterName) {
            UIShooterNameChange(value);
        } else {
            UICommentChange(value);
        }
    }
    armWake();
}

void InfoViewLogic::UIShooterNameChange(std::u16string_view newVal)
{
    if (documentValid()) {
        (void)document()->SetShooterName(newVal, this); // A refused name leaves the practice as it was.
    }
}

void InfoViewLogic::UICommentChange(std::u16string_view newVal)
{
    if (documentValid()) {
        (void)document()->SetComments(newVal, this);
    }
}

void InfoViewLogic::UIStartPractice()
{
    m_host.postCommand(cmd::StartPractice);
}

void InfoViewLogic::UIOpen()
{
    m_host.postCommand(cmd::FileOpen);
}

void InfoViewLogic::UISelectionChanged(IShot* shot)
{
    if (documentValid()) {
        (void)document()->SetCurrentShot(shot, this); // Unchanged: nothing to tell.
    }
}

void InfoViewLogic::UIDblClickShot(IShot* shot)
{
    if (documentValid() && shot) {
        (void)document()->SetCurrentShot(shot, this);
        (void)document()->StartReplay(); // A view may refuse the replay.
    }
}

} // namespace talvodesk
