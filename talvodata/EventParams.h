#pragma once

#include "talvodata/NamedValueProperty.h"
#include "talvodata/PersistentObject.h"
#include "talvodata/TargetParams.h"

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassInfo.h"
#include "platform/com/ComPtr.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace talvodata {

/// A shooting event: names, calibre, distance, shot limits, its faces and named values; scores points on its
/// faces, draws them as pictures and writes itself as an event-definition file. Thread rule: any thread; every method
/// holds the event's lock, and calls into faces and elements take theirs (event, then face, then element).
class CEventParams final : public ListedNamedValueProperty<PersistentObject<IEventParams, ISupportErrorInfo>> {
public:
    /// A new event with one new face.
    static platform::com::ComPtr<CEventParams> create();

    using PersistentObject::Save;

    HRESULT get_ShortName(BSTR* pVal) override;
    HRESULT put_ShortName(BSTR newVal) override;
    HRESULT get_Target(LONG SubTarget, ITargetParams** pVal) override;
    HRESULT GetTargetAppearance(LONG SubTarget, VARIANT_BOOL Background, VARIANT_BOOL ScoreRings,
                                IDispatch** Picture) override;
    HRESULT get_Name(BSTR* pVal) override;
    HRESULT put_Name(BSTR newVal) override;
    HRESULT get_Caliber(float* pVal) override;
    HRESULT put_Caliber(float newVal) override;
    HRESULT get_Distance(float* pVal) override;
    HRESULT put_Distance(float newVal) override;
    HRESULT get_MinShotsPerAiming(LONG* pVal) override;
    HRESULT put_MinShotsPerAiming(LONG newVal) override;
    HRESULT get_MaxShotsPerAiming(LONG* pVal) override;
    HRESULT put_MaxShotsPerAiming(LONG newVal) override;
    HRESULT GetPointScore(float x, float y, LONG SubTarget, float* pScore) override;
    HRESULT GetBreachScore(float x, float y, LONG SubTarget, float* pScore) override;
    HRESULT Save() override;
    HRESULT Update() override;
    HRESULT get_DisplayCaliber(float* pVal) override;
    HRESULT put_DisplayCaliber(float newVal) override;
    HRESULT get_TargetCount(LONG* pVal) override;
    HRESULT GetPointArea(float x, float y, LONG SubTarget, LONG* AreaIndex, float* cx, float* cy) override;
    HRESULT GetNearestArea(float x, float y, LONG SubTarget, LONG* AreaIndex, float* cx, float* cy) override;
    HRESULT get_MaxShotsPerSerie(LONG* pVal) override;
    HRESULT put_MaxShotsPerSerie(LONG newVal) override;

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    CEventParams();
    ~CEventParams() override = default;

    const CLSID& persistentClassId() const override;
    HRESULT saveRecord(IStream* stream) override;
    HRESULT loadRecord(IStream* stream) override;
    HRESULT loadFace(IStream* stream, LONG subTarget);
    /// The face of a sub-target, or null when the event has none by that number.
    CTargetParams* face(LONG subTarget) const;
    HRESULT score(float x, float y, LONG subTarget, float caliber, float* pScore) const;
    HRESULT area(float x, float y, LONG subTarget, bool nearest, LONG* areaIndex, float* cx, float* cy) const;

    /// A drawn face and the face record it was drawn from.
    struct CachedFace {
        std::vector<std::uint8_t> record;
        platform::com::ComPtr<IDispatch> picture;
    };

    platform::com::Bstr m_name;
    platform::com::Bstr m_shortName;
    float m_caliber = 0.0F;
    float m_displayCaliber = 0.0F;
    float m_distance = 0.0F;
    LONG m_minShotsPerAiming = 0;
    LONG m_maxShotsPerAiming = -1;
    LONG m_maxShotsPerSerie = 10;
    std::vector<platform::com::ComPtr<CTargetParams>> m_faces;
    // Keyed by sub-target and flag slot; an entry is drawn again when its face's record has changed.
    std::map<std::pair<LONG, int>, CachedFace> m_faceCache;
};

} // namespace talvodata
