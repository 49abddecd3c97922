#include "talvodesk/core/document/TalvoData.h"

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/com/Variant.h"
#include "platform/registry/Key.h"

#include <algorithm>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr long kDefaultShotsPerSerie = 10;

ComPtr<IShot> itemOf(IShotCollection* shots, long index)
{
    ComPtr<IShot> shot;
    if (FAILED(shots->get_Item(index, shot.put()))) {
        shot.reset();
    }
    return shot;
}

/// The 1-based position of `shot` in the collection by object identity, 0 when absent.
long positionOf(IShotCollection* shots, long count, IShot* shot)
{
    IUnknown* wanted = platform::com::identityOf(shot);
    for (long i = 1; i <= count; ++i) {
        if (platform::com::identityOf(itemOf(shots, i).get()) == wanted) {
            return i;
        }
    }
    return 0;
}

/// Series of `size` shots: the first `sightings` shots count their series from shot 1, the rest from the shot
/// after them; the last sighting series may be shorter.
struct Series {
    long size;
    long sightings;

    long first(long p) const
    {
        const long base = p <= sightings ? 1 : sightings + 1;
        return base + (p - base) / size * size;
    }
    long last(long p) const
    {
        const long end = first(p) + size - 1;
        return p <= sightings ? std::min(end, sightings) : end;
    }
};

} // namespace

void CTalvoData::ComputeRealBreach(IShot* shot)
{
    ComPtr<IRange> range;
    LONG index = 0;
    LONG first = 0;
    LONG last = 0;
    float x = 0;
    float y = 0;
    if (FAILED(shot->Range(0, 0, range.put())) || FAILED(range->Sec2Index(m_fRealBreachTime, &index)) ||
        FAILED(range->get_First(&first)) || FAILED(range->get_Last(&last))) {
        return;
    }
    index = std::clamp(index, first, std::max(first, last));
    if (SUCCEEDED(range->Breaches(index, m_nFCoefficient, &x, &y))) {
        (void)shot->put_RealBreachX(x); // A shot that refuses keeps its values.
        (void)shot->put_RealBreachY(y);
    }
}

void CTalvoData::NextDispersionOffset(IShot* shot)
{
    float dx = 0;
    float dy = 0;
    if (m_services.dispersionOffset) {
        m_services.dispersionOffset(dx, dy, m_fDispersion);
    } else {
        GetDispersionOffset(dx, dy, m_fDispersion);
    }
    (void)shot->put_OffsetX(dx);
    (void)shot->put_OffsetY(dy);
}

bool CTalvoData::CentreShots(IShotCollection* shots)
{
    const long count = countOf(shots);
    float sumX = 0;
    float sumY = 0;
    long hits = 0;
    for (long i = 1; i <= count; ++i) {
        ComPtr<IShot> shot = itemOf(shots, i);
        float x = 0;
        float y = 0;
        if (shot && !isMissed(shot.get()) && SUCCEEDED(shot->get_BreachX(&x)) && SUCCEEDED(shot->get_BreachY(&y))) {
            sumX += x;
            sumY += y;
            ++hits;
        }
    }
    if (hits == 0) {
        return false;
    }
    const float meanX = sumX / static_cast<float>(hits);
    const float meanY = sumY / static_cast<float>(hits);
    for (long i = 1; i <= count; ++i) {
        ComPtr<IShot> shot = itemOf(shots, i);
        float offsetX = 0;
        float offsetY = 0;
        if (shot && !isMissed(shot.get()) && SUCCEEDED(shot->get_OffsetX(&offsetX)) &&
            SUCCEEDED(shot->get_OffsetY(&offsetY))) {
            (void)shot->put_OffsetX(offsetX - meanX);
            (void)shot->put_OffsetY(offsetY - meanY);
        }
    }
    return true;
}

bool CTalvoData::AddShot(IShot* shot, IAiming* aiming)
{
    ComPtr<IAimingCollection> aimings;
    if (!GetAimings(aimings)) {
        return false;
    }
    (void)aimings->Add(aiming); // An aiming held already is kept once.
    m_bModified = 1;
    ReleaseCollections();
    bool centred = false;
    if (shot && !isMissed(shot)) {
        ComPtr<IAimingAttr> attributes = attributesOf(shot);
        if (m_fRealBreachTime != 0) {
            (void)shot->put_OffsetX(0);
            (void)shot->put_OffsetY(0);
            if (attributes) {
                (void)attributes->put_UseRealBreaches(VARIANT_TRUE);
            }
            ComputeRealBreach(shot);
        }
        if (m_fDispersion > 0) {
            NextDispersionOffset(shot);
        }
        if (m_bCentreGroup) {
            ComPtr<IShotCollection> group;
            if (isMatch(attributes.get()) ? GetMatchShots(group) : GetSightingShots(group)) {
                (void)CentreShots(group.get());
            }
            centred = true;
        }
    }
    UpdateAllViews(nullptr, HintShotAdded, ShotAddedHint{aiming, shot, centred});
    return true;
}

bool CTalvoData::AddMissedShot(bool match, ComPtr<IShot>& shot)
{
    ComPtr<IAimingCollection> aimings;
    ComPtr<IAiming> aiming;
    if (!GetAimings(aimings) || FAILED(aimings->AddMissed(match ? VARIANT_TRUE : VARIANT_FALSE, aiming.put())) ||
        !aiming) {
        return false;
    }
    m_bModified = 1;
    ReleaseCollections();
    ComPtr<IShot> added;
    (void)aiming->get_Shot(1, added.put()); // The new aiming always holds its one shot.
    shot = added;
    UpdateAllViews(nullptr, HintShotAdded, ShotAddedHint{aiming.get(), added.get(), /*centred=*/false});
    return true;
}

bool CTalvoData::SetShotParameters(long fCoefficient, float controlInterval, long controlInterval2,
                                   float realBreachTime, float dispersion, bool centreGroup)
{
    if (fCoefficient == m_nFCoefficient && controlInterval == m_fControlInterval &&
        controlInterval2 == m_nControlInterval2 && realBreachTime == m_fRealBreachTime && dispersion == m_fDispersion &&
        centreGroup == m_bCentreGroup) {
        return true;
    }
    if (fCoefficient >= -500 && fCoefficient <= 500) {
        m_nFCoefficient = fCoefficient;
    }
    if (controlInterval >= 0.1F && controlInterval <= 5.0F) {
        m_fControlInterval = controlInterval;
    }
    if (controlInterval2 >= 1 && controlInterval2 <= 5) {
        m_nControlInterval2 = controlInterval2;
        if (m_services.settingsRoot) {
            (void)m_services.settingsRoot->setDword(u"ControlInterval2", static_cast<DWORD>(controlInterval2));
        }
    }
    if (realBreachTime >= -5.0F && realBreachTime <= 0.5F) {
        m_fRealBreachTime = realBreachTime;
    }
    if (dispersion >= 0.0F && dispersion <= 50.0F) {
        m_fDispersion = dispersion;
    }
    m_bCentreGroup = centreGroup;
    ComPtr<IShotCollection> shots;
    if (GetSightingShots(shots)) {
        ApplyShotParameters(shots.get());
    }
    if (GetMatchShots(shots)) {
        ApplyShotParameters(shots.get());
    }
    if (GetModelShots(shots)) {
        ApplyShotParameters(shots.get());
    }
    UpdateAllViews(nullptr, HintShotParameters);
    return true;
}

bool CTalvoData::ApplyShotParameters(IShotCollection* shots)
{
    const long count = countOf(shots);
    long hits = 0;
    for (long i = 1; i <= count; ++i) {
        ComPtr<IShot> shot = itemOf(shots, i);
        if (!shot || isMissed(shot.get())) {
            continue;
        }
        ++hits;
        (void)shot->put_OffsetX(0);
        (void)shot->put_OffsetY(0);
        if (ComPtr<IAimingAttr> attributes = attributesOf(shot.get())) {
            (void)attributes->put_FCoefficient(m_nFCoefficient);
            (void)attributes->put_UseRealBreaches(m_fRealBreachTime != 0 ? VARIANT_TRUE : VARIANT_FALSE);
        }
        (void)shot->put_RealBreachX(0);
        (void)shot->put_RealBreachY(0);
        if (m_fRealBreachTime != 0) {
            ComputeRealBreach(shot.get());
        }
    }
    if (hits == 0) {
        return true;
    }
    if (m_fDispersion > 0) {
        for (long i = 1; i <= count; ++i) {
            if (ComPtr<IShot> shot = itemOf(shots, i)) {
                NextDispersionOffset(shot.get());
            }
        }
    }
    if (m_bCentreGroup) {
        (void)CentreShots(shots);
    }
    return true;
}

long CTalvoData::AimingStepTarget(IShotCollection* list, long n, IShot* from, long p, int step)
{
    // The shot count of the aiming holding the shot at a position; 0 when there is none.
    const auto shotCountAt = [&](long position) -> long {
        ComPtr<IAiming> aiming;
        ComPtr<IShot> shot = position >= 1 && position <= n ? itemOf(list, position) : nullptr;
        LONG count = 0;
        return shot && FindAiming(shot.get(), aiming) && SUCCEEDED(aiming->get_ShotCount(&count)) ? count : 0;
    };
    ComPtr<IAiming> aiming;
    LONG c = 0;
    long i = 0; // The from shot's number within its aiming.
    if (FindAiming(from, aiming) && SUCCEEDED(aiming->get_ShotCount(&c))) {
        for (long k = 1; k <= c && i == 0; ++k) {
            ComPtr<IShot> shot;
            if (SUCCEEDED(aiming->get_Shot(k, shot.put())) && platform::com::isSameObject(shot.get(), from)) {
                i = k;
            }
        }
    }
    if (i == 0) {
        return p;
    }
    if (step > 0) {
        const long next = shotCountAt(p + 1);
        return i < c ? p + (c - i) : (next > 0 ? p + next : p);
    }
    const long previous = shotCountAt(p - 1);
    return i >= 2 ? p - i + 1 : (previous > 0 ? p - previous : p);
}

long CTalvoData::SeriesStepTarget(long p, int step)
{
    LONG size = 0;
    ComPtr<IEventParams> event;
    if (!GetEvent(event) || FAILED(event->get_MaxShotsPerSerie(&size)) || size < 1) {
        size = kDefaultShotsPerSerie;
    }
    ComPtr<IShotCollection> sightings;
    const long k = m_bShowSightings && GetSightingShots(sightings) ? countOf(sightings.get()) : 0;
    const Series series{size, k};
    if (step < 0) {
        return p != series.first(p) ? series.first(p) : (p > 1 ? series.first(p - 1) : p);
    }
    return p != series.last(p) ? series.last(p) : series.last(p + 1);
}

bool CTalvoData::NavigateShot(IShot* from, ComPtr<IShot>& out, int step)
{
    ComPtr<IShotCollection> list;
    if (!(m_bShowSightings ? GetShots(list) : GetMatchShots(list))) {
        return false;
    }
    const long n = countOf(list.get());
    if (n == 0) {
        return false;
    }
    long q = 0;
    const long p = from ? positionOf(list.get(), n, from) : 0;
    if (step == -3 || step == 3) {
        q = step < 0 ? 1 : n;
    } else if (!from) {
        q = step > 0 ? 1 : n;
    } else if (p == 0) {
        q = step == -2 || step == -1 ? n : 1;
    } else if (step == -1 || step == 1) {
        q = p + step;
    } else if (step == -2 || step == 2) {
        q = GetEventCode() == kBiathlonEventCode ? AimingStepTarget(list.get(), n, from, p, step)
                                                 : SeriesStepTarget(p, step);
    } else {
        q = p;
    }
    q = std::clamp(q, 1L, n);
    if (q != p) {
        out = itemOf(list.get(), q);
    }
    return out != nullptr;
}

bool CTalvoData::SetIncludeHidden(bool include)
{
    const VARIANT_BOOL flag = include ? VARIANT_TRUE : VARIANT_FALSE;
    if (flag == m_bIncludeHidden) {
        return true;
    }
    m_bIncludeHidden = flag;
    ReleaseCollections();
    ComPtr<IAimingCollection> aimings;
    ComPtr<IShotCollection> all;
    if (!GetAimings(aimings) || FAILED(aimings->get_Shots(VARIANT_TRUE, all.put()))) {
        return true;
    }
    const long count = countOf(all.get());
    for (long i = 1; i <= count; ++i) {
        ComPtr<IShot> shot = itemOf(all.get(), i);
        VARIANT_BOOL hidden = VARIANT_FALSE;
        if (shot && SUCCEEDED(shot->get_Hidden(&hidden)) && hidden == VARIANT_TRUE) {
            UpdateAllViews(nullptr, HintReset);
            break;
        }
    }
    return true;
}

bool CTalvoData::SetPosition(BSTR position)
{
    Bstr stored;
    if (!IsValid()) {
        return false;
    }
    if (GetPosition(stored) && stored.view() == platform::com::viewOf(position)) {
        return true;
    }
    if (FAILED(m_spDocument->put_Value(Bstr("_position").get(), Variant::fromString(Bstr::copyOf(position)).get()))) {
        return false;
    }
    m_bModified = 1;
    UpdateAllViews(nullptr, HintPosition);
    return true;
}

bool CTalvoData::SetShooterName(std::u16string_view name, CView* sender)
{
    Bstr stored;
    if (!IsValid()) {
        return false;
    }
    if (GetShooterName(stored) && stored.view() == name) {
        return true;
    }
    if (FAILED(m_spDocument->put_ShooterName(Bstr(name).get()))) {
        return false;
    }
    m_bModified = 1;
    UpdateAllViews(sender, HintShooterName);
    return true;
}

bool CTalvoData::SetComments(std::u16string_view text, CView* sender)
{
    Bstr stored;
    if (!IsValid()) {
        return false;
    }
    if (GetComments(stored) && stored.view() == text) {
        return true;
    }
    if (FAILED(m_spDocument->put_Value(Bstr("_comments").get(), Variant::fromString(Bstr(text)).get()))) {
        return false;
    }
    m_bModified = 1;
    UpdateAllViews(sender, HintComments);
    return true;
}

bool CTalvoData::ClearShots()
{
    if (!m_spDocument) {
        return false;
    }
    m_spCurrentShot.reset();
    (void)m_spDocument->ClearShots(); // The aimings go; the event stays.
    ReleaseCollections();
    m_bShowSightings = false;
    m_bModified = 1;
    UpdateAllViews(nullptr, HintReset);
    return true;
}

bool CTalvoData::CloseModel()
{
    if (m_spModel) {
        m_spModel.reset();
        UpdateAllViews(nullptr, HintModel);
    }
    return true;
}

bool CTalvoData::OpenModel(BSTR path)
{
    const bool hadModel = m_spModel != nullptr;
    m_spModel.reset();
    ComPtr<ITalvoDocument> model;
    ComPtr<IEventParams> ownEvent;
    ComPtr<IEventParams> modelEvent;
    ComPtr<IAimingCollection> aimings;
    LONG count = 0;
    if (m_services.frame) {
        m_services.frame->SetWaitCursor(true);
    }
    const bool accepted =
        LoadInto(model, path) && GetEvent(ownEvent) && SUCCEEDED(model->get_Event(modelEvent.put())) &&
        platform::com::isSameObject(ownEvent.get(), modelEvent.get()) && SUCCEEDED(model->get_Aimings(aimings.put())) &&
        SUCCEEDED(aimings->get_Count(&count)) && count > 1;
    if (m_services.frame) {
        m_services.frame->SetWaitCursor(false);
    }
    if (!accepted) {
        if (hadModel) {
            UpdateAllViews(nullptr, HintModel);
        }
        return false;
    }
    (void)model->ClearSightingShots();
    (void)aimings->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<IAiming> aiming;
        ComPtr<IAimingAttr> attributes;
        if (SUCCEEDED(aimings->get_Item(i, aiming.put())) && SUCCEEDED(aiming->get_Attr(attributes.put()))) {
            (void)attributes->put_FCoefficient(m_nFCoefficient);
        }
    }
    m_spModel = model;
    m_nModelShotTimesOrdered = -1;
    UpdateAllViews(nullptr, HintModel);
    return true;
}

bool CTalvoData::SaveCopyToFolder(BSTR folder)
{
    if (!m_spDocument) {
        return false;
    }
    return SaveWithProgress([this, folder] {
        Bstr own;
        (void)m_spDocument->get_FileName(own.put()); // No name is put back as no name.
        const bool saved = SUCCEEDED(m_spDocument->SaveUnique(folder));
        (void)m_spDocument->put_FileName(own.get());
        return saved;
    });
}

bool CTalvoData::SelectAimingFirstShot(IAiming* aiming, CView* sender)
{
    ComPtr<IShot> first;
    if (!aiming || FAILED(aiming->get_Shot(1, first.put()))) {
        return false;
    }
    return SetCurrentShot(first.get(), sender);
}

bool CTalvoData::SetShotHidden(IShot* shot, bool hide)
{
    if (!shot) {
        return false;
    }
    ComPtr<IShot> next;
    if (hide && m_bIncludeHidden != VARIANT_TRUE && platform::com::isSameObject(shot, m_spCurrentShot.get())) {
        if (!NavigateShot(shot, next, 1)) {
            (void)NavigateShot(shot, next, -1);
        }
    }
    (void)shot->put_Hidden(hide ? VARIANT_TRUE : VARIANT_FALSE);
    if (next && !platform::com::isSameObject(next.get(), m_spCurrentShot.get())) {
        m_spCurrentShot = next;
    }
    ReleaseCollections();
    m_bModified = 1;
    UpdateAllViews(nullptr, HintReset);
    return true;
}

bool CTalvoData::DeleteSightingShots()
{
    if (!m_spDocument) {
        return false;
    }
    ComPtr<IAimingAttr> attributes = m_spCurrentShot ? attributesOf(m_spCurrentShot.get()) : nullptr;
    VARIANT_BOOL match = VARIANT_TRUE;
    if (attributes && SUCCEEDED(attributes->get_Match(&match)) && match != VARIANT_TRUE) {
        // The current shot goes with the sighting shots: the first match shot, or none, takes its place.
        ComPtr<IShotCollection> matchShots;
        m_spCurrentShot =
            GetMatchShots(matchShots) && countOf(matchShots.get()) > 0 ? itemOf(matchShots.get(), 1) : nullptr;
    }
    (void)m_spDocument->ClearSightingShots();
    ReleaseCollections();
    m_bShowSightings = false;
    m_bModified = 1;
    UpdateAllViews(nullptr, HintReset);
    return true;
}

} // namespace talvodesk
