#pragma once

#include "talvodata/PersistentObject.h"
#include "talvodata/TraceChannel.h"
#include "talvodata/TracePoints.h"

#include "interfaces/talvodata/IAimingTrace.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"

#include <vector>

namespace talvodata {

/// The samples of one aiming. While recorded it keeps a sliding window of the last seconds; once read-only it
/// is trimmed and narrowed to 16-bit storage where the values allow. Stored as a version 4 record with every
/// channel packed. Thread rule: any thread; every method holds the object's lock.
class CAimingTrace final : public PersistentObject<IAimingTrace, ITracePoints> {
public:
    CAimingTrace() = default;
    static platform::com::ComPtr<CAimingTrace> create();

    /// The owning aiming's attributes, source of the sample rate.
    void attachAttributes(platform::com::ComPtr<IAimingAttr> attributes);

    HRESULT get_Valid(VARIANT_BOOL* pVal) override;
    HRESULT get_Count(LONG* pVal) override;
    HRESULT get_First(LONG* pVal) override;
    HRESULT get_Last(LONG* pVal) override;
    HRESULT get_Attr(IAimingAttr** pVal) override;
    HRESULT get_x(LONG nIndex, float* pVal) override;
    HRESULT get_y(LONG nIndex, float* pVal) override;
    HRESULT get_MaxTimeBeforeShot(float* pVal) override;
    HRESULT put_MaxTimeBeforeShot(float newVal) override;
    HRESULT Add(float x, float y) override;
    HRESULT Index2Sec(LONG nIndex, float* pVal) override;
    HRESULT Sec2Index(float Seconds, LONG* pVal) override;
    HRESULT get_ReadOnly(VARIANT_BOOL* pVal) override;
    HRESULT put_ReadOnly(VARIANT_BOOL newVal) override;
    HRESULT put_WrapEnabled(VARIANT_BOOL newVal) override;
    HRESULT get_ValidCoordinate(LONG index, VARIANT_BOOL* pVal) override;
    HRESULT AddInvalid() override;
    HRESULT AddUserData(BSTR Name, LONG* index) override;
    HRESULT GetUserData(BSTR Name, LONG* index) override;
    HRESULT get_UserData(LONG DataIndex, LONG index, LONG* pVal) override;
    HRESULT put_UserData(LONG DataIndex, LONG index, LONG newVal) override;
    HRESULT _Add(LONG x, LONG y) override;
    HRESULT _GetPoint(LONG nIndex, LONG* pX, LONG* pY) override;
    HRESULT RemoveUserData(BSTR Name) override;

    HRESULT copyPoints(std::int64_t from, std::int64_t to, TracePoints& points) override;
    HRESULT readPoints(std::int64_t from, std::int64_t to, PointsReader& reader) override;

    /// The record version written.
    static constexpr std::int32_t kRecordVersion = 4;
    /// More samples than an hour at the highest sample rate means a damaged record.
    static constexpr std::int32_t kMaxStoredSamples = 500 * 3600;

private:
    struct UserChannel {
        platform::com::Bstr name;
        TraceChannel values;
    };

    ~CAimingTrace() override = default;

    const CLSID& persistentClassId() const override;
    HRESULT saveRecord(IStream* stream) override;
    HRESULT loadRecord(IStream* stream) override;

    HRESULT sampleRate(std::int32_t& rate) const;
    // In 64 bits: an index far from the first one must not wrap around into the stored range.
    bool isStored(LONG index) const { return index >= m_first && std::int64_t{index} - m_first < m_count; }
    std::size_t positionOf(LONG index) const
    {
        return m_offset + static_cast<std::size_t>(std::int64_t{index} - m_first);
    }
    /// How many samples of from..to are stored, the first of them at `first`.
    std::size_t heldRun(std::int64_t from, std::int64_t to, std::int64_t& first) const;
    HRESULT coordinate(const TraceChannel& channel, LONG index, float* value) const;
    HRESULT findUserChannel(BSTR name, LONG& index) const;
    std::vector<TraceChannel*> channels();
    HRESULT resizeStorage(std::size_t capacity);
    void narrowAll();
    HRESULT loadUnpacked(IStream* stream);
    HRESULT loadPacked(IStream* stream, std::int32_t version);

    platform::com::ComPtr<IAimingAttr> m_attributes;
    std::int32_t m_first = 0;
    std::int32_t m_count = 0;
    std::size_t m_offset = 0;
    std::size_t m_capacity = 0;
    float m_maxTimeBeforeShot = 5.0f;
    bool m_wrapEnabled = true;
    bool m_readOnly = false;
    bool m_narrowUserChannels = false;
    TraceChannel m_x;
    TraceChannel m_y;
    std::vector<UserChannel> m_userChannels;
};

} // namespace talvodata
