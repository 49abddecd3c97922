#include "talvodata/TraceChannel.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <stdexcept>

namespace talvodata {
namespace {

// The one place where an allocation failure becomes a result instead of an exception.
template <typename T> HRESULT makeStorage(std::vector<T>& storage, std::size_t capacity)
{
    try {
        storage.assign(capacity, T{});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::length_error&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

} // namespace

void TraceChannel::copyOut(std::size_t from, std::size_t count, std::int32_t* out) const
{
    if (m_isNarrow) {
        std::copy_n(m_narrow.begin() + static_cast<std::ptrdiff_t>(from), count, out);
    } else {
        std::copy_n(m_wide.begin() + static_cast<std::ptrdiff_t>(from), count, out);
    }
}

void TraceChannel::set(std::size_t position, std::int32_t value)
{
    if (m_isNarrow) {
        assert(fitsNarrow(value) && "a 16-bit channel must be widened first");
        m_narrow[position] = static_cast<std::int16_t>(value);
    } else {
        m_wide[position] = value;
    }
}

HRESULT TraceChannel::allocate(std::size_t capacity, bool narrow)
{
    std::vector<std::int32_t> wide;
    std::vector<std::int16_t> narrowStorage;
    RETURN_IF_FAILED(narrow ? makeStorage(narrowStorage, capacity) : makeStorage(wide, capacity));
    m_wide = std::move(wide);
    m_narrow = std::move(narrowStorage);
    m_isNarrow = narrow;
    return S_OK;
}

HRESULT TraceChannel::resizedCopy(std::size_t capacity, std::size_t from, std::size_t count,
                                  TraceChannel& resized) const
{
    TraceChannel copy;
    RETURN_IF_FAILED(copy.allocate(capacity, m_isNarrow));
    const auto begin = static_cast<std::ptrdiff_t>(from);
    const auto length = static_cast<std::ptrdiff_t>(count);
    if (m_isNarrow) {
        std::copy(m_narrow.begin() + begin, m_narrow.begin() + begin + length, copy.m_narrow.begin());
    } else {
        std::copy(m_wide.begin() + begin, m_wide.begin() + begin + length, copy.m_wide.begin());
    }
    resized = std::move(copy);
    return S_OK;
}

void TraceChannel::moveDown(std::size_t from, std::size_t count)
{
    if (m_isNarrow) {
        std::copy_n(m_narrow.begin() + static_cast<std::ptrdiff_t>(from), count, m_narrow.begin());
    } else {
        std::copy_n(m_wide.begin() + static_cast<std::ptrdiff_t>(from), count, m_wide.begin());
    }
}

HRESULT TraceChannel::narrowIfPossible(std::size_t from, std::size_t count)
{
    if (m_isNarrow) {
        return S_OK;
    }
    const auto begin = m_wide.begin() + static_cast<std::ptrdiff_t>(from);
    if (!std::all_of(begin, begin + static_cast<std::ptrdiff_t>(count), [](std::int32_t v) { return fitsNarrow(v); })) {
        return S_OK;
    }
    std::vector<std::int16_t> storage;
    RETURN_IF_FAILED(makeStorage(storage, m_wide.size()));
    std::transform(m_wide.begin(), m_wide.end(), storage.begin(),
                   [](std::int32_t v) { return static_cast<std::int16_t>(fitsNarrow(v) ? v : 0); });
    m_narrow = std::move(storage);
    m_wide = {};
    m_isNarrow = true;
    return S_OK;
}

HRESULT TraceChannel::widen()
{
    if (!m_isNarrow) {
        return S_OK;
    }
    std::vector<std::int32_t> storage;
    RETURN_IF_FAILED(makeStorage(storage, m_narrow.size()));
    std::copy(m_narrow.begin(), m_narrow.end(), storage.begin());
    m_wide = std::move(storage);
    m_narrow = {};
    m_isNarrow = false;
    return S_OK;
}

} // namespace talvodata
