#include "talvodesk/core/document/TalvoData.h"

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/PulseLog.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/TextFormat.h"

#include "interfaces/talvodata/DispIds.h"
#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/com/Variant.h"
#include "platform/registry/Key.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr std::uint32_t kOpeningDocument = 32840;
constexpr std::uint32_t kSavingDocument = 32841;
constexpr std::uint32_t kAskSaveChanges = 32817;
constexpr std::uint32_t kCatalogFolderUnmade = 36135;
constexpr std::uint32_t kCatalogFolderUnwritable = 36136;
constexpr double kFirstOrderedShotTime = 25570.0; // 1970-01-02

ComPtr<ITalvoDocument> createDocument()
{
    ComPtr<ITalvoDocument> document;
    (void)CoCreateInstance(talvodata::CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid,
                           document.putVoid()); // A null document says it all.
    return document;
}

bool isValidDocument(ITalvoDocument* document)
{
    VARIANT_BOOL valid = VARIANT_FALSE;
    return document && SUCCEEDED(document->get_Valid(&valid)) && valid == VARIANT_TRUE;
}

bool readText(ITalvoDocument* document, HRESULT (ITalvoDocument::*getter)(BSTR*), Bstr& text)
{
    Bstr value;
    if (!isValidDocument(document) || FAILED((document->*getter)(value.put()))) {
        return false;
    }
    text = std::move(value);
    return true;
}

/// A BSTR named value: true when the read call succeeded, the text only when it is a BSTR.
bool readStringValue(ITalvoDocument* document, const char* name, Bstr& text)
{
    Variant value;
    if (!isValidDocument(document) || FAILED(document->get_Value(Bstr(name).get(), value.put()))) {
        return false;
    }
    if (value.type() == VT_BSTR) {
        text = Bstr::copyOf(value.get().bstrVal);
    }
    return true;
}

bool positionText(const CTalvoAppModule* module, bool found, const Bstr& stored, std::u16string& text)
{
    if (!found) {
        return false;
    }
    static constexpr std::array<std::pair<std::u16string_view, std::uint32_t>, 3> kNames{
        {{u"prone", 32824}, {u"standing", 32825}, {u"kneeling", 32826}}};
    text = stored.view();
    for (const auto& [name, id] : kNames) {
        if (stored.view() == name && module) {
            text = module->LoadString(id);
        }
    }
    return true;
}

} // namespace

std::u16string_view CTalvoData::LoadString(std::uint32_t id) const
{
    return m_services.module ? m_services.module->LoadString(id) : StringTable::englishText(id);
}

/// Passes a document's Progress events to the wrapper while a load or save runs.
class CTalvoData::ProgressSink final : public platform::com::ComObject<IDispatch> {
public:
    explicit ProgressSink(CTalvoData& owner) : m_owner(owner) {}

    HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (dispIdMember != DISPID_TALVODOCUMENTEVENTS_PROGRESS || !params || params->cArgs != 2) {
            return DISP_E_MEMBERNOTFOUND;
        }
        // Automation passes the arguments reversed: Total first.
        Variant total = Variant::copyOf(params->rgvarg[0]);
        Variant done = Variant::copyOf(params->rgvarg[1]);
        if (FAILED(total.changeType(VT_I4)) || FAILED(done.changeType(VT_I4))) {
            return DISP_E_TYPEMISMATCH;
        }
        m_owner.OnProgress(done.get().lVal, total.get().lVal);
        return S_OK;
    }

private:
    ~ProgressSink() override = default;
    CTalvoData& m_owner;
};

namespace {

/// Advises a Progress sink on a document for its lifetime, with the progress bar and the wait cursor shown.
class ProgressScope {
public:
    ProgressScope(DocumentServices* frame, std::uint32_t textId, ITalvoDocument* document, IDispatch* sink)
        : m_frame(frame)
    {
        if (m_frame) {
            m_frame->SetWaitCursor(true);
            (void)m_frame->BeginProgress(textId); // Without a bar the work goes on unshown.
        }
        if (auto container = ComPtr<ITalvoDocument>(document).queryInterface<IConnectionPointContainer>()) {
            if (SUCCEEDED(container->FindConnectionPoint(talvodata::DIID__ITalvoDocumentEvents, m_point.put())) &&
                FAILED(m_point->Advise(sink, &m_cookie))) {
                m_point.reset();
            }
        }
    }
    ~ProgressScope()
    {
        if (m_point) {
            (void)m_point->Unadvise(m_cookie); // The cookie is ours; nothing to do if the point forgot it.
        }
        if (m_frame) {
            m_frame->EndProgress();
            m_frame->SetWaitCursor(false);
        }
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    DocumentServices* m_frame;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

} // namespace

CTalvoData::CTalvoData(TalvoDataServices services) : m_services(std::move(services))
{
    Reset();
}

CTalvoData::~CTalvoData()
{
    Reset();
}

bool CTalvoData::IsValid() const
{
    return isValidDocument(m_spDocument.get());
}

bool CTalvoData::IsModelValid() const
{
    return IsValid() && isValidDocument(m_spModel.get());
}

void CTalvoData::Reset()
{
    m_spDocument.reset();
    m_spModel.reset();
    m_spCurrentShot.reset();
    ReleaseCollections();
    m_fRealBreachTime = 0;
    m_fDispersion = 0;
    m_bShowSightings = false;
    m_bIncludeHidden = VARIANT_FALSE;
    m_nFCoefficient = 0;
    m_fControlInterval = 1.0F;
    m_nControlInterval2 = 2;
    if (m_services.settingsRoot) {
        if (auto stored = m_services.settingsRoot->dword(u"ControlInterval2"); stored && *stored >= 1 && *stored <= 5) {
            m_nControlInterval2 = static_cast<long>(*stored);
        }
    }
    m_nShotTimesOrdered = -1;
    m_nModelShotTimesOrdered = -1;
    m_bCentreGroup = false;
    m_nReplayState = 0;
    m_nPulse = 0;
    m_bModified = 0;
}

void CTalvoData::ReleaseCollections()
{
    m_spAimings.reset();
    m_spShots.reset();
    m_spSightingAimings.reset();
    m_spMatchAimings.reset();
    m_spSightingShots.reset();
    m_spMatchShots.reset();
}

bool CTalvoData::NewPractice(IEventParams* event, BSTR shooterName, long position, BSTR deviceName, long fCoefficient)
{
    ReleaseCollections();
    m_spDocument = createDocument();
    if (!m_spDocument) {
        return false;
    }
    if (FAILED(m_spDocument->put_Event(event))) {
        m_spDocument.reset();
        return false;
    }
    if (platform::com::viewOf(deviceName).size() > 0) {
        (void)m_spDocument->put_Value(Bstr("_device").get(), Variant::fromString(Bstr::copyOf(deviceName)).get());
    }
    if (position >= 0) {
        static constexpr std::array<const char*, 3> kPositions{"prone", "standing", "kneeling"};
        const Bstr text = position < 3 ? Bstr(kPositions[static_cast<std::size_t>(position)]) : Bstr::empty();
        (void)m_spDocument->put_Value(Bstr("_position").get(), Variant::fromString(text).get());
    }
    (void)m_spDocument->put_ShooterName(shooterName); // A practice without a name is still a practice.
    m_bShowSightings = true;
    m_nFCoefficient = fCoefficient;
    m_nShotTimesOrdered = 1;
    return true;
}

bool CTalvoData::LoadInto(ComPtr<ITalvoDocument>& target, BSTR path)
{
    target = createDocument();
    if (!target) {
        return false;
    }
    if (FAILED(target->put_FileName(path))) {
        return false;
    }
    auto sink = platform::com::makeComObject<ProgressSink>(*this);
    HRESULT hr = E_FAIL;
    {
        ProgressScope scope(m_services.frame, kOpeningDocument, target.get(), sink.get());
        hr = target->Load();
    }
    return SUCCEEDED(hr) && isValidDocument(target.get());
}

bool CTalvoData::Open(BSTR path)
{
    if (m_services.frame) {
        m_services.frame->SetWaitCursor(true);
    }
    m_bstrReadError = Bstr();
    ComPtr<ITalvoDocument> loaded;
    const bool loadedWell = LoadInto(loaded, path);
    if (m_services.frame) {
        m_services.frame->SetWaitCursor(false);
    }
    if (!loaded) {
        return false;
    }
    if (!loadedWell) {
        (void)loaded->get_ReadErrorMsg(m_bstrReadError.put()); // No text is also an answer.
        m_spDocument.reset();
        UpdateAllViews(nullptr, HintReset);
        return false;
    }
    m_spDocument = loaded;
    ReleaseCollections();
    m_nShotTimesOrdered = -1; // The times of the practice before say nothing of this one.
    ComPtr<IShotCollection> shots;
    (void)GetMatchShots(shots);
    long count = countOf(shots.get());
    if (count == 0) {
        shots.reset();
        m_bShowSightings = true;
        (void)GetShots(shots);
        count = countOf(shots.get());
    }
    m_nFCoefficient = 0;
    if (count > 0) {
        ComPtr<IShot> first;
        ComPtr<IAimingAttr> attributes;
        LONG coefficient = 0;
        if (SUCCEEDED(shots->get_Item(1, first.put()))) {
            m_spCurrentShot = first;
            if (SUCCEEDED(first->get_Attr(attributes.put())) && SUCCEEDED(attributes->get_FCoefficient(&coefficient))) {
                m_nFCoefficient = coefficient;
            }
        }
    }
    UpdateAllViews(nullptr, HintReset);
    return true;
}

bool CTalvoData::SaveWithProgress(const std::function<bool()>& save)
{
    auto sink = platform::com::makeComObject<ProgressSink>(*this);
    ProgressScope scope(m_services.frame, kSavingDocument, m_spDocument.get(), sink.get());
    return save();
}

bool CTalvoData::SaveDocument(std::u16string& reason)
{
    if (!m_spDocument) {
        return false;
    }
    const bool saved = SaveWithProgress([this, &reason] {
        Bstr name;
        if (SUCCEEDED(m_spDocument->get_FileName(name.put())) && name.length() > 0 && SUCCEEDED(m_spDocument->Save())) {
            return true;
        }
        Bstr catalog;
        if (FAILED(m_spDocument->get_CatalogPath(catalog.put()))) {
            return false;
        }
        // The first save of a new account finds no catalog folder yet.
        const std::u16string folder(catalog.view());
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(folder), error);
        if (error) {
            reason = FormatResText(m_services.module, kCatalogFolderUnmade,
                                   {folder, platform::com::utf8ToUtf16(error.message())});
            return false;
        }
        if (FAILED(m_spDocument->SaveUnique(catalog.get()))) {
            reason = FormatResText(m_services.module, kCatalogFolderUnwritable, {folder});
            return false;
        }
        return true;
    });
    if (!saved) {
        return false;
    }
    m_bModified = 0;
    UpdateAllViews(nullptr, HintSaved);
    return true;
}

bool CTalvoData::Save()
{
    std::u16string reason;
    if (SaveDocument(reason)) {
        return true;
    }
    if (m_services.frame) {
        m_services.frame->ReportSaveFailure(reason);
    }
    return false;
}

bool CTalvoData::TrySave()
{
    std::u16string reason;
    return SaveDocument(reason);
}

bool CTalvoData::SaveModified()
{
    if (m_bModified == 0 || !IsValid()) {
        return true;
    }
    ComPtr<IShotCollection> match;
    if (!GetMatchShots(match) || countOf(match.get()) == 0) {
        return true;
    }
    if (!m_services.frame) {
        return true;
    }
    switch (m_services.frame->AskYesNoCancel(kAskSaveChanges)) {
    case Answer::Cancel:
        return false;
    case Answer::Yes:
        return Save();
    case Answer::No:
        return true;
    }
    return false;
}

bool CTalvoData::ClearFileName()
{
    return m_spDocument && SUCCEEDED(m_spDocument->put_FileName(Bstr::empty().get()));
}

bool CTalvoData::GetFileName(Bstr& name) const
{
    return m_spDocument && SUCCEEDED(m_spDocument->get_FileName(name.put()));
}

bool CTalvoData::GetCatalogPath(Bstr& path) const
{
    return m_spDocument && SUCCEEDED(m_spDocument->get_CatalogPath(path.put()));
}

void CTalvoData::OnProgress(long done, long total)
{
    if (m_services.frame) {
        m_services.frame->SetProgress(done, total);
    }
}

bool CTalvoData::GetEvent(ComPtr<IEventParams>& event) const
{
    ComPtr<IEventParams> found;
    if (!IsValid() || FAILED(m_spDocument->get_Event(found.put())) || !found) {
        return false;
    }
    event = found;
    return true;
}

bool CTalvoData::GetEventShortName(Bstr& name) const
{
    ComPtr<IEventParams> event;
    return GetEvent(event) && SUCCEEDED(event->get_ShortName(name.put()));
}

bool CTalvoData::GetEventName(Bstr& name) const
{
    ComPtr<IEventParams> event;
    return GetEvent(event) && SUCCEEDED(event->get_Name(name.put()));
}

bool CTalvoData::GetEventDisplayName(std::u16string& name) const
{
    ComPtr<IEventParams> event;
    return m_services.module && GetEvent(event) && talvodesk::GetEventDisplayName(*event, *m_services.module, name);
}

long CTalvoData::GetEventCode() const
{
    Bstr name;
    if (!GetEventShortName(name)) {
        return 0;
    }
    return EventCodeOf(name.view());
}

bool EventHasThreePositions(IEventParams* event)
{
    Variant value;
    if (!event || FAILED(event->get_Value(Bstr("_three_positions").get(), value.put()))) {
        return false;
    }
    if (value.type() == VT_EMPTY || value.type() == VT_NULL) {
        return false;
    }
    return value.type() != VT_BSTR || platform::com::viewOf(value.get().bstrVal).size() > 0;
}

bool CTalvoData::HasThreePositions() const
{
    ComPtr<IEventParams> event;
    return GetEvent(event) && EventHasThreePositions(event.get());
}

bool CTalvoData::GetShooterName(Bstr& name) const
{
    return readText(m_spDocument.get(), &ITalvoDocument::get_ShooterName, name);
}

bool CTalvoData::GetModelShooterName(Bstr& name) const
{
    return IsModelValid() && readText(m_spModel.get(), &ITalvoDocument::get_ShooterName, name);
}

bool CTalvoData::GetComments(Bstr& text) const
{
    return readStringValue(m_spDocument.get(), "_comments", text);
}

bool CTalvoData::GetModelComments(Bstr& text) const
{
    return IsModelValid() && readStringValue(m_spModel.get(), "_comments", text);
}

bool CTalvoData::GetPosition(Bstr& text) const
{
    return readStringValue(m_spDocument.get(), "_position", text);
}

bool CTalvoData::GetModelPosition(Bstr& text) const
{
    return IsModelValid() && readStringValue(m_spModel.get(), "_position", text);
}

bool CTalvoData::GetPositionText(std::u16string& text) const
{
    Bstr stored;
    const bool found = GetPosition(stored);
    return positionText(m_services.module, found, stored, text);
}

bool CTalvoData::GetModelPositionText(std::u16string& text) const
{
    Bstr stored;
    const bool found = GetModelPosition(stored);
    return positionText(m_services.module, found, stored, text);
}

long CTalvoData::GetFileVersion() const
{
    LONG version = 0;
    return IsValid() && SUCCEEDED(m_spDocument->get_FileVersion(&version)) ? version : 0;
}

bool CTalvoData::GetAimings(ComPtr<IAimingCollection>& aimings)
{
    if (!IsValid()) {
        return false;
    }
    if (!m_spAimings && FAILED(m_spDocument->get_Aimings(m_spAimings.put()))) {
        m_spAimings.reset();
    }
    aimings = m_spAimings;
    return aimings != nullptr;
}

bool CTalvoData::GetSightingAimings(ComPtr<IAimingCollection>& aimings)
{
    ComPtr<IAimingCollection> all;
    if (!m_spSightingAimings && GetAimings(all) && FAILED(all->get_Sighting(m_spSightingAimings.put()))) {
        m_spSightingAimings.reset();
    }
    aimings = m_spSightingAimings;
    return IsValid() && aimings != nullptr;
}

bool CTalvoData::GetMatchAimings(ComPtr<IAimingCollection>& aimings)
{
    ComPtr<IAimingCollection> all;
    if (!m_spMatchAimings && GetAimings(all) && FAILED(all->get_Match(m_spMatchAimings.put()))) {
        m_spMatchAimings.reset();
    }
    aimings = m_spMatchAimings;
    return IsValid() && aimings != nullptr;
}

bool CTalvoData::GetShots(ComPtr<IShotCollection>& shots)
{
    ComPtr<IAimingCollection> all;
    if (!m_spShots && GetAimings(all) && FAILED(all->get_Shots(m_bIncludeHidden, m_spShots.put()))) {
        m_spShots.reset();
    }
    shots = m_spShots;
    return IsValid() && shots != nullptr;
}

bool CTalvoData::GetSightingShots(ComPtr<IShotCollection>& shots)
{
    ComPtr<IShotCollection> all;
    if (!m_spSightingShots && GetShots(all) && FAILED(all->get_Sighting(m_spSightingShots.put()))) {
        m_spSightingShots.reset();
    }
    shots = m_spSightingShots;
    return IsValid() && shots != nullptr;
}

bool CTalvoData::GetMatchShots(ComPtr<IShotCollection>& shots)
{
    ComPtr<IShotCollection> all;
    if (!m_spMatchShots && GetShots(all) && FAILED(all->get_Match(m_spMatchShots.put()))) {
        m_spMatchShots.reset();
    }
    shots = m_spMatchShots;
    return IsValid() && shots != nullptr;
}

bool CTalvoData::GetModelAimings(ComPtr<IAimingCollection>& aimings) const
{
    ComPtr<IAimingCollection> found;
    if (!m_spModel || FAILED(m_spModel->get_Aimings(found.put())) || !found) {
        return false;
    }
    aimings = found;
    return true;
}

bool CTalvoData::GetModelShots(ComPtr<IShotCollection>& shots) const
{
    ComPtr<IAimingCollection> aimings;
    ComPtr<IShotCollection> found;
    if (!GetModelAimings(aimings) || FAILED(aimings->get_Shots(VARIANT_FALSE, found.put())) || !found) {
        return false;
    }
    shots = found;
    return true;
}

bool CTalvoData::FindAiming(IShot* shot, ComPtr<IAiming>& aiming)
{
    ComPtr<IAimingCollection> aimings;
    ComPtr<IAiming> found;
    if (!shot || !GetAimings(aimings) || FAILED(aimings->FindAiming(shot, found.put())) || !found) {
        return false;
    }
    aiming = found;
    return true;
}

bool CTalvoData::GetCurrentShot(ComPtr<IShot>& shot) const
{
    shot = m_spCurrentShot;
    return shot != nullptr;
}

bool CTalvoData::GetCurrentAiming(ComPtr<IAiming>& aiming)
{
    return m_spCurrentShot && FindAiming(m_spCurrentShot.get(), aiming);
}

bool CTalvoData::SetCurrentShot(IShot* shot, CView* sender)
{
    if (platform::com::isSameObject(shot, m_spCurrentShot.get())) {
        return false;
    }
    m_spCurrentShot = ComPtr<IShot>(shot);
    UpdateAllViews(sender, HintCurrentShot);
    return true;
}

void CTalvoData::SetShowSightings(bool show, bool notify)
{
    if (show == m_bShowSightings) {
        return;
    }
    m_bShowSightings = show;
    if (notify) {
        UpdateAllViews(nullptr, HintShowSightings);
    }
}

bool CTalvoData::ShotsOrdered(IShotCollection* shots, long& cache)
{
    if (cache == -1 && shots) {
        const long count = countOf(shots);
        double previous = kFirstOrderedShotTime;
        long ordered = 1;
        for (long i = 1; i <= count && ordered == 1; ++i) {
            ComPtr<IShot> shot;
            DATE time = 0;
            if (FAILED(shots->get_Item(i, shot.put())) || FAILED(shot->get_ShotTime(&time))) {
                return false; // Not known yet: asked again next time.
            }
            ordered = time > previous ? 1 : 0;
            previous = time;
        }
        cache = ordered;
    }
    return cache == 1;
}

bool CTalvoData::HasOrderedShotTimes()
{
    ComPtr<IShotCollection> shots;
    if (!IsValid()) {
        return false;
    }
    if (m_nShotTimesOrdered == -1) {
        (void)GetShots(shots);
    }
    return ShotsOrdered(shots.get(), m_nShotTimesOrdered);
}

bool CTalvoData::HasOrderedModelShotTimes()
{
    ComPtr<IShotCollection> shots;
    if (!IsModelValid()) {
        return false;
    }
    if (m_nModelShotTimesOrdered == -1) {
        (void)GetModelShots(shots);
    }
    return ShotsOrdered(shots.get(), m_nModelShotTimesOrdered);
}

DATE CTalvoData::FirstMatchEnterTime()
{
    ComPtr<IAimingCollection> match;
    ComPtr<IAiming> first;
    ComPtr<IAimingAttr> attributes;
    DATE when = 0;
    if (!GetMatchAimings(match) || !match || FAILED(match->get_Item(1, first.put())) || !first ||
        FAILED(first->get_Attr(attributes.put())) || FAILED(attributes->get_EnterTime(&when))) {
        return 0;
    }
    return when;
}

bool CTalvoData::HasTriggerData()
{
    ComPtr<IShotCollection> shots;
    if (!GetShots(shots)) {
        return false;
    }
    const long count = countOf(shots.get());
    const Bstr name("_trigger");
    for (long i = 1; i <= count; ++i) {
        ComPtr<IShot> shot;
        ComPtr<IAimingTrace> trace;
        LONG index = -1;
        if (SUCCEEDED(shots->get_Item(i, shot.put())) && SUCCEEDED(shot->get_Trace(trace.put())) &&
            SUCCEEDED(trace->GetUserData(name.get(), &index)) && index > 0) {
            return true;
        }
    }
    return false;
}

long CTalvoData::GetReplayState()
{
    if (!m_spCurrentShot) {
        return 0;
    }
    if (m_nReplayState != 0) {
        bool running = false;
        UpdateAllViews(nullptr, HintReplayRunning, AnswerHint{&running});
        if (!running) {
            m_nReplayState = 0;
        }
    }
    return m_nReplayState;
}

bool CTalvoData::StartReplay()
{
    if (!m_spCurrentShot) {
        return false;
    }
    bool vetoed = false;
    UpdateAllViews(nullptr, HintReplayQuery, AnswerHint{&vetoed});
    if (vetoed) {
        return false;
    }
    UpdateAllViews(nullptr, HintReplayStart);
    m_nReplayState = 2;
    return true;
}

void CTalvoData::PauseReplay()
{
    if (!m_spCurrentShot || GetReplayState() != 2) {
        return;
    }
    m_nReplayState = 1;
    UpdateAllViews(nullptr, HintReplayPause, ReplayPauseHint{/*paused=*/true});
}

void CTalvoData::ResumeReplay()
{
    if (!m_spCurrentShot || GetReplayState() != 1) {
        return;
    }
    m_nReplayState = 2;
    UpdateAllViews(nullptr, HintReplayPause, ReplayPauseHint{/*paused=*/false});
}

bool CTalvoData::StopReplay()
{
    UpdateAllViews(nullptr, HintReplayEnd);
    m_nReplayState = 0;
    return true;
}

std::uint16_t CTalvoData::GetPulse() const
{
    return IsValid() ? m_nPulse : 0;
}

bool CTalvoData::SetPulse(std::uint16_t pulse)
{
    if (pulse != m_nPulse) {
        m_nPulse = pulse;
        UpdateAllViews(nullptr, HintPulse);
    }
    return true;
}

long CTalvoData::GetPulseCount() const
{
    return IsValid() ? pulselog::count(m_spDocument.get(), "_pulse_s") : 0;
}

bool CTalvoData::GetPulseSample(long index, DATE& time, long& pulse) const
{
    Variant value;
    Variant when;
    if (!IsValid() || !pulselog::entry(m_spDocument.get(), index, "_pulse_s", "_pulse_t", value, when) ||
        value.type() != VT_I2 || when.type() != VT_DATE || !std::isfinite(when.get().date)) {
        return false;
    }
    time = when.get().date;
    pulse = value.get().iVal;
    return true;
}

bool CTalvoData::AddPulseSample(DATE time, std::int16_t pulse)
{
    if (!IsValid()) {
        return false;
    }
    ITalvoDocument* document = m_spDocument.get();
    long first = 0;
    long last = 0;
    DATE lastTime = 0;
    long lastPulse = 0;
    if (pulselog::bounds(document, first, last) && GetPulseSample(last - first, lastTime, lastPulse) &&
        lastPulse == pulse) {
        return true;
    }
    long index = 0;
    return pulselog::nextIndex(document, index) &&
           pulselog::write(document, pulselog::key("_pulse_s", index), pulselog::int16Value(pulse)) &&
           pulselog::write(document, pulselog::key("_pulse_t", index), Variant::fromDate(time)) &&
           pulselog::write(document, Bstr("_pulse_li"), Variant::fromInt32(index));
}

} // namespace talvodesk
