#include "talvodata/EventParams.h"

#include "talvodata/EventFile.h"
#include "talvodata/EventsFolder.h"

#include "interfaces/talvodata/Guids.h"
#include "platform/com/MemoryStream.h"
#include "platform/com/Property.h"
#include "platform/com/StreamForms.h"
#include "platform/gfx/PictureObject.h"
#include "platform/text/CaseFolding.h"

#include <algorithm>
#include <filesystem>

namespace talvodata {

using platform::com::Bstr;
using platform::com::bytesLeft;
using platform::com::ComPtr;
using platform::com::copyProperty;
using platform::com::readBstr;
using platform::com::readFloat;
using platform::com::readGuid;
using platform::com::readInt32;
using platform::com::writeBstr;
using platform::com::writeFloat;
using platform::com::writeInt32;
using platform::com::writeObject;

namespace {

constexpr std::int32_t kRecordVersion = 4;
// The smallest nested face: a class identifier and a record version.
constexpr std::uint64_t kSmallestFace = 16 + 4;
constexpr float kSmallestCaliber = 0.1F;
constexpr float kNearestDistance = 2.0F;
constexpr float kFarthestDistance = 1000.0F;

// NaN is refused as well. A loaded event is held to the same rules as one set through its properties.
bool isCaliber(float value)
{
    return value >= kSmallestCaliber;
}

bool isDistance(float value)
{
    return value >= kNearestDistance && value <= kFarthestDistance;
}

// A short name becomes a file name: it must name one file inside the events folder that the manager lists back
// (not hidden) and that no other short name maps to (whole text: a lone surrogate has no UTF-8 form of its own).
bool usableAsFileName(std::u16string_view name)
{
    const bool control = std::any_of(name.begin(), name.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; });
    return !name.starts_with(u'.') && !control && name.find_first_of(u"/\\", 0) == std::u16string_view::npos &&
           platform::com::utf8ToUtf16(platform::com::utf16ToUtf8(name)) == name;
}

// Another event's file whose name differs from this one only in case: the two would be one file wherever names
// ignore case (a copied events folder, a shared drive), so one event would overwrite the other.
bool clashesWithAnotherFile(const std::filesystem::path& folder, const std::string& fileName)
{
    const std::u16string folded = platform::text::foldCase(platform::com::utf8ToUtf16(fileName));
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string other = entry.path().filename().string();
        if (other != fileName && platform::text::foldCase(platform::com::utf8ToUtf16(other)) == folded) {
            return true;
        }
    }
    return false;
}

} // namespace

CEventParams::CEventParams()
{
    m_faces.push_back(CTargetParams::create());
}

ComPtr<CEventParams> CEventParams::create()
{
    return ComPtr<CEventParams>(new CEventParams());
}

HRESULT CEventParams::get_ShortName(BSTR* pVal)
{
    return getProperty(m_shortName, pVal);
}

HRESULT CEventParams::put_ShortName(BSTR newVal)
{
    return putProperty(m_shortName, Bstr::copyOf(newVal));
}

HRESULT CEventParams::get_Target(LONG SubTarget, ITargetParams** pVal)
{
    auto guard = lock();
    if (!pVal || *pVal) {
        return E_POINTER;
    }
    const auto count = static_cast<LONG>(m_faces.size());
    if (SubTarget < 1 || SubTarget > count + 1) {
        return E_INVALIDARG;
    }
    if (SubTarget == count + 1) {
        m_faces.push_back(CTargetParams::create());
    }
    return ComPtr<ITargetParams>(m_faces[SubTarget - 1]).copyTo(pVal);
}

HRESULT CEventParams::GetTargetAppearance(LONG SubTarget, VARIANT_BOOL Background, VARIANT_BOOL ScoreRings,
                                          IDispatch** Picture)
{
    if (!Picture) {
        return E_POINTER;
    }
    *Picture = nullptr;
    auto guard = lock();
    CTargetParams* target = face(SubTarget);
    if (!target) {
        return E_INVALIDARG;
    }
    const int slot = (Background != VARIANT_TRUE ? 1 : 0) + (ScoreRings == VARIANT_TRUE ? 2 : 0);
    CachedFace& cached = m_faceCache[{SubTarget, slot}];
    // The record stands for everything drawn; a face that cannot save itself is drawn every time.
    auto stream = platform::com::makeComObject<platform::com::MemoryStream>();
    const bool recorded = SUCCEEDED(target->Save(stream.get(), FALSE));
    std::vector<std::uint8_t> record = recorded ? stream->bytes() : std::vector<std::uint8_t>{};
    if (!cached.picture || !recorded || cached.record != record) {
        const auto background = Background == VARIANT_TRUE ? FaceBackground::Filled : FaceBackground::Transparent;
        const auto rings = ScoreRings == VARIANT_TRUE ? FaceRings::Drawn : FaceRings::Omitted;
        cached.picture =
            ComPtr<IDispatch>(platform::gfx::PictureObject::create(drawFace(target->look(), background, rings)));
        cached.record = std::move(record);
    }
    return cached.picture.copyTo(Picture);
}

HRESULT CEventParams::get_Name(BSTR* pVal)
{
    return getProperty(m_name, pVal);
}

HRESULT CEventParams::put_Name(BSTR newVal)
{
    return putProperty(m_name, Bstr::copyOf(newVal));
}

HRESULT CEventParams::get_Caliber(float* pVal)
{
    return getProperty(m_caliber, pVal);
}

HRESULT CEventParams::put_Caliber(float newVal)
{
    return putChecked(m_caliber, newVal, isCaliber(newVal));
}

HRESULT CEventParams::get_Distance(float* pVal)
{
    return getProperty(m_distance, pVal);
}

HRESULT CEventParams::put_Distance(float newVal)
{
    return putChecked(m_distance, newVal, isDistance(newVal));
}

HRESULT CEventParams::get_MinShotsPerAiming(LONG* pVal)
{
    return getProperty(m_minShotsPerAiming, pVal);
}

HRESULT CEventParams::put_MinShotsPerAiming(LONG newVal)
{
    return putProperty(m_minShotsPerAiming, newVal);
}

HRESULT CEventParams::get_MaxShotsPerAiming(LONG* pVal)
{
    return getProperty(m_maxShotsPerAiming, pVal);
}

HRESULT CEventParams::put_MaxShotsPerAiming(LONG newVal)
{
    return putProperty(m_maxShotsPerAiming, newVal);
}

HRESULT CEventParams::GetPointScore(float x, float y, LONG SubTarget, float* pScore)
{
    auto guard = lock();
    return score(x, y, SubTarget, 0.0F, pScore);
}

HRESULT CEventParams::GetBreachScore(float x, float y, LONG SubTarget, float* pScore)
{
    auto guard = lock();
    return score(x, y, SubTarget, m_caliber, pScore);
}

HRESULT CEventParams::Save()
{
    auto guard = lock();
    if (m_shortName.length() == 0) {
        return E_UNEXPECTED;
    }
    if (!usableAsFileName(m_shortName.view())) {
        return E_INVALIDARG;
    }
    const std::filesystem::path folder = eventsFolder();
    const std::string fileName = m_shortName.toUtf8() + ".evl";
    if (clashesWithAnotherFile(folder, fileName)) {
        return STG_E_FILEALREADYEXISTS;
    }
    return writeEventFile(folder / fileName, unknown());
}

HRESULT CEventParams::Update()
{
    return S_OK;
}

HRESULT CEventParams::get_DisplayCaliber(float* pVal)
{
    return getProperty(m_displayCaliber, pVal);
}

HRESULT CEventParams::put_DisplayCaliber(float newVal)
{
    return putChecked(m_displayCaliber, newVal, isCaliber(newVal));
}

HRESULT CEventParams::get_TargetCount(LONG* pVal)
{
    auto guard = lock();
    return copyProperty(static_cast<LONG>(m_faces.size()), pVal);
}

HRESULT CEventParams::GetPointArea(float x, float y, LONG SubTarget, LONG* AreaIndex, float* cx, float* cy)
{
    auto guard = lock();
    return area(x, y, SubTarget, /*nearest=*/false, AreaIndex, cx, cy);
}

HRESULT CEventParams::GetNearestArea(float x, float y, LONG SubTarget, LONG* AreaIndex, float* cx, float* cy)
{
    auto guard = lock();
    return area(x, y, SubTarget, /*nearest=*/true, AreaIndex, cx, cy);
}

HRESULT CEventParams::get_MaxShotsPerSerie(LONG* pVal)
{
    return getProperty(m_maxShotsPerSerie, pVal);
}

HRESULT CEventParams::put_MaxShotsPerSerie(LONG newVal)
{
    return putProperty(m_maxShotsPerSerie, newVal);
}

HRESULT CEventParams::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IEventParams::kIid ? S_OK : S_FALSE;
}

CTargetParams* CEventParams::face(LONG subTarget) const
{
    if (subTarget < 1 || static_cast<std::size_t>(subTarget) > m_faces.size()) {
        return nullptr;
    }
    return m_faces[subTarget - 1].get();
}

HRESULT CEventParams::score(float x, float y, LONG subTarget, float caliber, float* pScore) const
{
    if (!pScore) {
        return E_POINTER;
    }
    *pScore = 0.0F;
    const CTargetParams* target = face(subTarget);
    if (!target) {
        return E_INVALIDARG;
    }
    *pScore = target->score(x, y, caliber);
    return S_OK;
}

HRESULT CEventParams::area(float x, float y, LONG subTarget, bool nearest, LONG* areaIndex, float* cx, float* cy) const
{
    if (!areaIndex || !cx || !cy) {
        return E_POINTER;
    }
    *areaIndex = 0;
    *cx = 0.0F;
    *cy = 0.0F;
    const CTargetParams* target = face(subTarget);
    if (!target) {
        return E_INVALIDARG;
    }
    const AreaHit hit = nearest ? target->nearestArea(x, y) : target->pointArea(x, y);
    *areaIndex = hit.areaIndex;
    *cx = hit.cx;
    *cy = hit.cy;
    return S_OK;
}

const CLSID& CEventParams::persistentClassId() const
{
    return CLSID_EventParams;
}

HRESULT CEventParams::saveRecord(IStream* stream)
{
    RETURN_IF_FAILED(writeInt32(stream, kRecordVersion));
    RETURN_IF_FAILED(writeBstr(stream, m_name.get()));
    RETURN_IF_FAILED(writeBstr(stream, m_shortName.get()));
    RETURN_IF_FAILED(writeFloat(stream, m_caliber));
    RETURN_IF_FAILED(writeFloat(stream, m_displayCaliber));
    RETURN_IF_FAILED(writeFloat(stream, m_distance));
    RETURN_IF_FAILED(writeInt32(stream, m_maxShotsPerAiming));
    RETURN_IF_FAILED(writeInt32(stream, m_minShotsPerAiming));
    RETURN_IF_FAILED(writeInt32(stream, m_maxShotsPerSerie));
    RETURN_IF_FAILED(writeInt32(stream, static_cast<std::int32_t>(m_faces.size())));
    for (const auto& target : m_faces) {
        RETURN_IF_FAILED(writeObject(stream, target->unknown()));
    }
    return m_values.save(stream);
}

HRESULT CEventParams::loadFace(IStream* stream, LONG subTarget)
{
    CLSID classId{};
    RETURN_IF_FAILED(readGuid(stream, classId));
    if (classId != CLSID_TargetParams) {
        return E_FAIL;
    }
    if (static_cast<std::size_t>(subTarget) > m_faces.size()) {
        m_faces.push_back(CTargetParams::create());
    }
    return m_faces[subTarget - 1]->Load(stream);
}

HRESULT CEventParams::loadRecord(IStream* stream)
{
    std::int32_t version = 0;
    RETURN_IF_FAILED(readInt32(stream, version));
    if (version > kRecordVersion) {
        return E_FAIL;
    }
    if (version < 1) {
        return S_OK; // Nothing was stored before the first version's fields.
    }
    RETURN_IF_FAILED(readBstr(stream, m_name));
    RETURN_IF_FAILED(readBstr(stream, m_shortName));
    RETURN_IF_FAILED(readFloat(stream, m_caliber));
    if (version >= 2) {
        RETURN_IF_FAILED(readFloat(stream, m_displayCaliber));
    }
    RETURN_IF_FAILED(readFloat(stream, m_distance));
    // 0 is what a new event holds until it is set; anything else must be what the setters take.
    const auto unsetOr = [](float value, bool (*valid)(float)) { return value == 0.0F || valid(value); };
    if (!unsetOr(m_caliber, isCaliber) || !unsetOr(m_displayCaliber, isCaliber) || !unsetOr(m_distance, isDistance)) {
        return E_FAIL;
    }
    RETURN_IF_FAILED(readInt32(stream, m_maxShotsPerAiming));
    RETURN_IF_FAILED(readInt32(stream, m_minShotsPerAiming));
    if (version >= 4) {
        RETURN_IF_FAILED(readInt32(stream, m_maxShotsPerSerie));
    }
    if (version < 3) {
        RETURN_IF_FAILED(loadFace(stream, 1));
    } else {
        std::int32_t count = 0;
        RETURN_IF_FAILED(readInt32(stream, count));
        std::uint64_t left = 0;
        RETURN_IF_FAILED(bytesLeft(stream, left));
        if (count < 0 || static_cast<std::uint64_t>(count) * kSmallestFace > left) {
            return E_FAIL;
        }
        for (LONG subTarget = 1; subTarget <= count; ++subTarget) {
            RETURN_IF_FAILED(loadFace(stream, subTarget));
        }
    }
    return m_values.load(stream);
}

} // namespace talvodata
