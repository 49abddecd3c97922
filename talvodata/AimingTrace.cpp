#include "talvodata/AimingTrace.h"

#include "talvodata/Allocation.h"
#include "talvodata/LoadScope.h"
#include "talvodata/PackedChannel.h"

#include "platform/com/LittleEndian.h"
#include "platform/com/Property.h"
#include "platform/com/StreamForms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace talvodata {

using platform::com::Bstr;
using platform::com::bytesLeft;
using platform::com::ComPtr;
using platform::com::readBstr;
using platform::com::readBytes;
using platform::com::readInt32;
using platform::com::toVariantBool;
using platform::com::writeBstr;
using platform::com::writeBytes;
using platform::com::writeInt32;

namespace {

// Hundredths of a millimetre, rounded in single precision and then half to even.
HRESULT toHundredths(float millimetres, LONG& hundredths)
{
    const float scaled = std::nearbyint(millimetres * 100.0f);
    if (!(scaled > -2147483648.5f && scaled < 2147483647.0f)) {
        return E_INVALIDARG; // Beyond the storage, or the invalid-sample marker itself.
    }
    hundredths = static_cast<LONG>(scaled);
    return S_OK;
}

} // namespace

ComPtr<CAimingTrace> CAimingTrace::create()
{
    return platform::com::makeComObject<CAimingTrace>();
}

void CAimingTrace::attachAttributes(ComPtr<IAimingAttr> attributes)
{
    auto guard = lock();
    m_attributes = std::move(attributes);
}

const CLSID& CAimingTrace::persistentClassId() const
{
    return CLSID_AimingTrace;
}

HRESULT CAimingTrace::sampleRate(std::int32_t& rate) const
{
    rate = 0;
    if (m_attributes) {
        RETURN_IF_FAILED(m_attributes->get_SampleRate(&rate));
    }
    return rate > 0 ? S_OK : E_UNEXPECTED;
}

std::vector<TraceChannel*> CAimingTrace::channels()
{
    std::vector<TraceChannel*> all{&m_x, &m_y};
    for (UserChannel& channel : m_userChannels) {
        all.push_back(&channel.values);
    }
    return all;
}

HRESULT CAimingTrace::get_Valid(VARIANT_BOOL* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = toVariantBool(m_count > 0);
    return S_OK;
}

HRESULT CAimingTrace::get_Count(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_count;
    return S_OK;
}

HRESULT CAimingTrace::get_First(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_first;
    return S_OK;
}

HRESULT CAimingTrace::get_Last(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_first + m_count - 1;
    return S_OK;
}

HRESULT CAimingTrace::get_Attr(IAimingAttr** pVal)
{
    auto guard = lock();
    return m_attributes.copyTo(pVal);
}

HRESULT CAimingTrace::coordinate(const TraceChannel& channel, LONG index, float* value) const
{
    if (!value) {
        return E_POINTER;
    }
    if (!isStored(index)) {
        return E_INVALIDARG;
    }
    *value = static_cast<float>(channel.at(positionOf(index)) / 100.0);
    return S_OK;
}

HRESULT CAimingTrace::get_x(LONG nIndex, float* pVal)
{
    auto guard = lock();
    return coordinate(m_x, nIndex, pVal);
}

HRESULT CAimingTrace::get_y(LONG nIndex, float* pVal)
{
    auto guard = lock();
    return coordinate(m_y, nIndex, pVal);
}

HRESULT CAimingTrace::get_MaxTimeBeforeShot(float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_maxTimeBeforeShot;
    return S_OK;
}

HRESULT CAimingTrace::put_MaxTimeBeforeShot(float newVal)
{
    auto guard = lock();
    if (!(newVal >= 0.5f)) {
        return E_INVALIDARG;
    }
    if (newVal != m_maxTimeBeforeShot) {
        m_maxTimeBeforeShot = newVal;
        setDirty();
    }
    return S_OK;
}

HRESULT CAimingTrace::Add(float x, float y)
{
    LONG storedX = 0;
    LONG storedY = 0;
    RETURN_IF_FAILED(toHundredths(x, storedX));
    RETURN_IF_FAILED(toHundredths(y, storedY));
    return _Add(storedX, storedY);
}

HRESULT CAimingTrace::AddInvalid()
{
    return _Add(TraceChannel::kInvalid, TraceChannel::kInvalid);
}

HRESULT CAimingTrace::resizeStorage(std::size_t capacity)
{
    // Allocate every channel before committing any, so a failure leaves the trace as it was.
    const std::vector<TraceChannel*> all = channels();
    std::vector<TraceChannel> resized(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        RETURN_IF_FAILED(all[i]->resizedCopy(capacity, m_offset, static_cast<std::size_t>(m_count), resized[i]));
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        *all[i] = std::move(resized[i]);
    }
    m_capacity = capacity;
    m_offset = 0;
    return S_OK;
}

HRESULT CAimingTrace::_Add(LONG x, LONG y)
{
    auto guard = lock();
    if (m_readOnly) {
        return E_UNEXPECTED;
    }
    std::int32_t rate = 0;
    RETURN_IF_FAILED(sampleRate(rate));
    if (m_capacity == 0) {
        const auto capacity = static_cast<std::size_t>(3 * rate);
        for (TraceChannel* channel : channels()) {
            RETURN_IF_FAILED(channel->allocate(capacity, /*narrow=*/false));
        }
        m_capacity = capacity;
        m_offset = 0;
    }
    const auto window = static_cast<std::int32_t>(m_maxTimeBeforeShot * static_cast<float>(rate));
    // At or past the window: a lowered window keeps sliding instead of growing without end.
    if (m_wrapEnabled && m_count >= window) {
        ++m_first;
        ++m_offset;
        --m_count;
        if (m_offset + static_cast<std::size_t>(m_count) == m_capacity) {
            for (TraceChannel* channel : channels()) {
                channel->moveDown(m_offset, static_cast<std::size_t>(m_count));
            }
            m_offset = 0;
        }
    } else if (m_offset + static_cast<std::size_t>(m_count) == m_capacity) {
        RETURN_IF_FAILED(resizeStorage(m_capacity + static_cast<std::size_t>(2.5 * rate)));
    }
    // Coordinates stay 32-bit while the trace is writable; user channels a save narrowed still hold 0.
    const std::size_t position = m_offset + static_cast<std::size_t>(m_count);
    m_x.set(position, x);
    m_y.set(position, y);
    for (UserChannel& channel : m_userChannels) {
        channel.values.set(position, 0);
    }
    ++m_count;
    setDirty();
    return S_OK;
}

HRESULT CAimingTrace::Index2Sec(LONG nIndex, float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    std::int32_t rate = 0;
    RETURN_IF_FAILED(sampleRate(rate));
    *pVal = static_cast<float>(nIndex) / static_cast<float>(rate);
    return S_OK;
}

HRESULT CAimingTrace::Sec2Index(float Seconds, LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    std::int32_t rate = 0;
    RETURN_IF_FAILED(sampleRate(rate));
    const float index = std::nearbyint(static_cast<float>(rate) * Seconds);
    if (!(index >= -2147483648.0f && index < 2147483648.0f)) {
        return E_INVALIDARG;
    }
    *pVal = static_cast<LONG>(index);
    return S_OK;
}

HRESULT CAimingTrace::get_ReadOnly(VARIANT_BOOL* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = toVariantBool(m_readOnly);
    return S_OK;
}

void CAimingTrace::narrowAll()
{
    for (TraceChannel* channel : channels()) {
        // A failed allocation keeps the channel at full width, which is still correct.
        (void)channel->narrowIfPossible(m_offset, static_cast<std::size_t>(m_count));
    }
}

HRESULT CAimingTrace::put_ReadOnly(VARIANT_BOOL newVal)
{
    auto guard = lock();
    if (newVal == VARIANT_FALSE) {
        return m_readOnly ? E_INVALIDARG : S_OK;
    }
    if (newVal != VARIANT_TRUE || m_readOnly) {
        return S_OK;
    }
    m_readOnly = true;
    setDirty();
    if (m_count > 0 && SUCCEEDED(resizeStorage(static_cast<std::size_t>(m_count)))) {
        narrowAll();
    }
    return S_OK;
}

HRESULT CAimingTrace::put_WrapEnabled(VARIANT_BOOL newVal)
{
    auto guard = lock();
    if (m_readOnly || newVal == VARIANT_TRUE) {
        return E_INVALIDARG;
    }
    m_wrapEnabled = false;
    setDirty();
    return S_OK;
}

HRESULT CAimingTrace::get_ValidCoordinate(LONG index, VARIANT_BOOL* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    if (!isStored(index)) {
        return E_INVALIDARG;
    }
    *pVal = toVariantBool(m_x.isNarrow() || m_x.at(positionOf(index)) != TraceChannel::kInvalid);
    return S_OK;
}

HRESULT CAimingTrace::findUserChannel(BSTR name, LONG& index) const
{
    const std::u16string_view wanted = platform::com::viewOf(name);
    for (std::size_t i = 0; i < m_userChannels.size(); ++i) {
        if (m_userChannels[i].name.view() == wanted) {
            index = static_cast<LONG>(i + 1);
            return S_OK;
        }
    }
    index = -1;
    return S_FALSE;
}

HRESULT CAimingTrace::AddUserData(BSTR Name, LONG* index)
{
    auto guard = lock();
    if (!Name || !index) {
        return E_INVALIDARG;
    }
    if (findUserChannel(Name, *index) == S_OK) {
        return S_OK;
    }
    UserChannel channel{Bstr::copyOf(Name), {}};
    if (m_capacity > 0) {
        RETURN_IF_FAILED(channel.values.allocate(m_capacity, /*narrow=*/false));
        m_narrowUserChannels = true;
    }
    m_userChannels.push_back(std::move(channel));
    *index = static_cast<LONG>(m_userChannels.size());
    return S_OK;
}

HRESULT CAimingTrace::GetUserData(BSTR Name, LONG* index)
{
    auto guard = lock();
    if (!Name || !index) {
        return E_INVALIDARG;
    }
    (void)findUserChannel(Name, *index); // S_FALSE with -1 is the answer for a missing channel.
    return S_OK;
}

HRESULT CAimingTrace::get_UserData(LONG DataIndex, LONG index, LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    if (DataIndex < 1 || static_cast<std::size_t>(DataIndex) > m_userChannels.size() || !isStored(index)) {
        return E_INVALIDARG;
    }
    *pVal = m_userChannels[static_cast<std::size_t>(DataIndex - 1)].values.at(positionOf(index));
    return S_OK;
}

HRESULT CAimingTrace::put_UserData(LONG DataIndex, LONG index, LONG newVal)
{
    auto guard = lock();
    if (DataIndex < 1 || static_cast<std::size_t>(DataIndex) > m_userChannels.size() || !isStored(index)) {
        return E_INVALIDARG;
    }
    TraceChannel& channel = m_userChannels[static_cast<std::size_t>(DataIndex - 1)].values;
    if (channel.isNarrow() && !TraceChannel::fitsNarrow(newVal)) {
        RETURN_IF_FAILED(channel.widen());
    }
    channel.set(positionOf(index), newVal);
    return S_OK;
}

HRESULT CAimingTrace::_GetPoint(LONG nIndex, LONG* pX, LONG* pY)
{
    auto guard = lock();
    if (!pX || !pY) {
        return E_POINTER;
    }
    if (!isStored(nIndex)) {
        return E_INVALIDARG;
    }
    *pX = m_x.at(positionOf(nIndex));
    *pY = m_y.at(positionOf(nIndex));
    return S_OK;
}

std::size_t CAimingTrace::heldRun(std::int64_t from, std::int64_t to, std::int64_t& first) const
{
    first = std::max<std::int64_t>(from, m_first);
    const std::int64_t last = std::min<std::int64_t>(to, std::int64_t{m_first} + m_count - 1);
    return static_cast<std::size_t>(std::max<std::int64_t>(last - first + 1, 0));
}

HRESULT CAimingTrace::copyPoints(std::int64_t from, std::int64_t to, TracePoints& points)
{
    auto guard = lock();
    std::int64_t first = 0;
    const std::size_t count = heldRun(from, to, first);
    points.first = first;
    RETURN_IF_FAILED(assignDefaults(points.x, count));
    RETURN_IF_FAILED(assignDefaults(points.y, count));
    if (count > 0) {
        m_x.copyOut(positionOf(static_cast<LONG>(first)), count, points.x.data());
        m_y.copyOut(positionOf(static_cast<LONG>(first)), count, points.y.data());
    }
    return S_OK;
}

HRESULT CAimingTrace::readPoints(std::int64_t from, std::int64_t to, PointsReader& reader)
{
    auto guard = lock();
    PointsView points;
    points.count = heldRun(from, to, points.first);
    const std::size_t position = points.count > 0 ? positionOf(static_cast<LONG>(points.first)) : 0;
    points.x = m_x.view(position);
    points.y = m_y.view(position);
    return reader.read(points);
}

HRESULT CAimingTrace::RemoveUserData(BSTR Name)
{
    auto guard = lock();
    if (!Name) {
        return E_INVALIDARG;
    }
    LONG index = 0;
    if (findUserChannel(Name, index) == S_OK) {
        m_userChannels.erase(m_userChannels.begin() + (index - 1));
    }
    return S_OK;
}

HRESULT CAimingTrace::saveRecord(IStream* stream)
{
    RETURN_IF_FAILED(writeInt32(stream, kRecordVersion));
    RETURN_IF_FAILED(writeInt32(stream, m_first));
    RETURN_IF_FAILED(writeInt32(stream, m_count));
    if (m_count < 1) {
        return S_OK;
    }
    if (m_offset > 0 && FAILED(resizeStorage(static_cast<std::size_t>(m_count)))) {
        return E_FAIL;
    }
    const auto count = static_cast<std::size_t>(m_count);
    const std::uint8_t flags = (m_x.isNarrow() ? 1 : 0) | (m_y.isNarrow() ? 2 : 0);
    RETURN_IF_FAILED(writeBytes(stream, &flags, 1));
    for (const TraceChannel* channel : {&m_x, &m_y}) {
        const std::vector<std::uint8_t> packed = packed::encode(*channel, 0, count);
        RETURN_IF_FAILED(writeBytes(stream, packed.data(), packed.size()));
    }
    RETURN_IF_FAILED(writeInt32(stream, static_cast<std::int32_t>(m_userChannels.size())));
    for (UserChannel& channel : m_userChannels) {
        if (m_narrowUserChannels) {
            (void)channel.values.narrowIfPossible(0, count); // Full width is still a correct record.
        }
        const std::uint8_t channelFlags = channel.values.isNarrow() ? 1 : 0;
        RETURN_IF_FAILED(writeBytes(stream, &channelFlags, 1));
        RETURN_IF_FAILED(writeBstr(stream, channel.name.get()));
        const std::vector<std::uint8_t> packed = packed::encode(channel.values, 0, count);
        RETURN_IF_FAILED(writeBytes(stream, packed.data(), packed.size()));
    }
    m_narrowUserChannels = false;
    return S_OK;
}

HRESULT CAimingTrace::loadRecord(IStream* stream)
{
    m_readOnly = true;
    m_wrapEnabled = false;
    m_narrowUserChannels = false;
    std::int32_t version = 0;
    RETURN_IF_FAILED(readInt32(stream, version));
    if (version < 0 || version > kRecordVersion) {
        return E_FAIL;
    }
    // Indexes count from the start of the aiming, so a first index below 0 is damage (and Last would wrap).
    std::int32_t first = 0;
    RETURN_IF_FAILED(readInt32(stream, first));
    if (first < 0) {
        return E_FAIL;
    }
    if (version == 1) {
        std::int32_t ignored = 0;
        RETURN_IF_FAILED(readInt32(stream, ignored));
    }
    std::int32_t count = 0;
    RETURN_IF_FAILED(readInt32(stream, count));
    m_first = first;
    m_offset = 0;
    m_count = 0;
    if (count <= 0) {
        return S_OK;
    }
    // The samples claimed come out of what the whole stream may claim, not this record's alone.
    if (count > kMaxStoredSamples || m_first > std::numeric_limits<std::int32_t>::max() - count ||
        !LoadScope::claimSamples(2 * static_cast<std::uint64_t>(count))) {
        return E_FAIL;
    }
    m_count = count;
    return version >= 3 ? loadPacked(stream, version) : loadUnpacked(stream);
}

HRESULT CAimingTrace::loadPacked(IStream* stream, std::int32_t version)
{
    const auto count = static_cast<std::size_t>(m_count);
    std::uint8_t flags = 0;
    RETURN_IF_FAILED(readBytes(stream, &flags, 1));
    RETURN_IF_FAILED(m_x.allocate(count, (flags & 1) != 0));
    RETURN_IF_FAILED(m_y.allocate(count, (flags & 2) != 0));
    m_capacity = count;
    RETURN_IF_FAILED(packed::decode(stream, count, m_x));
    RETURN_IF_FAILED(packed::decode(stream, count, m_y));
    if (version < 4) {
        return S_OK;
    }
    std::int32_t channelCount = 0;
    RETURN_IF_FAILED(readInt32(stream, channelCount));
    std::uint64_t left = 0;
    constexpr std::uint64_t kSmallestChannel = 1 + 4 + 2; // Flags, a null name, one run header.
    RETURN_IF_FAILED(bytesLeft(stream, left));
    if (channelCount < 0 || static_cast<std::uint64_t>(channelCount) * kSmallestChannel > left) {
        return E_FAIL;
    }
    for (std::int32_t i = 0; i < channelCount; ++i) {
        UserChannel channel;
        std::uint8_t channelFlags = 0;
        RETURN_IF_FAILED(readBytes(stream, &channelFlags, 1));
        RETURN_IF_FAILED(readBstr(stream, channel.name));
        if (!LoadScope::claimSamples(count)) {
            return E_FAIL;
        }
        RETURN_IF_FAILED(channel.values.allocate(count, (channelFlags & 1) != 0));
        RETURN_IF_FAILED(packed::decode(stream, count, channel.values));
        m_userChannels.push_back(std::move(channel));
    }
    return S_OK;
}

HRESULT CAimingTrace::loadUnpacked(IStream* stream)
{
    const auto count = static_cast<std::size_t>(m_count);
    std::int32_t narrowPairs = 0;
    RETURN_IF_FAILED(readInt32(stream, narrowPairs));
    const std::size_t pairSize = narrowPairs != 0 ? 4 : 8;
    std::uint64_t left = 0;
    RETURN_IF_FAILED(bytesLeft(stream, left));
    if (count * pairSize > left) {
        return E_FAIL;
    }
    std::vector<std::uint8_t> pairs(count * pairSize);
    RETURN_IF_FAILED(readBytes(stream, pairs.data(), pairs.size()));
    RETURN_IF_FAILED(m_x.allocate(count, false));
    RETURN_IF_FAILED(m_y.allocate(count, false));
    m_capacity = count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* pair = pairs.data() + i * pairSize;
        if (narrowPairs != 0) {
            m_x.set(i, static_cast<std::int16_t>(platform::com::loadLittleEndian<std::uint16_t>(pair)));
            m_y.set(i, static_cast<std::int16_t>(platform::com::loadLittleEndian<std::uint16_t>(pair + 2)));
        } else {
            std::int32_t x = 0;
            std::int32_t y = 0;
            std::memcpy(&x, pair, 4);
            std::memcpy(&y, pair + 4, 4);
            m_x.set(i, x);
            m_y.set(i, y);
        }
    }
    narrowAll();
    return S_OK;
}

} // namespace talvodata
