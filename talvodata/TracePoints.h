#pragma once

#include "interfaces/talvodata/Sampling.h"
#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace talvodata {

/// The stored hundredths of a run of consecutive samples of a trace, copied at once: statistics over thousands of
/// samples then take the trace's lock once instead of once per sample.
struct TracePoints {
    /// The trace index of the first sample copied.
    std::int64_t first = 0;
    std::vector<LONG> x;
    std::vector<LONG> y;

    /// Whether the copy holds the sample at a trace index.
    bool holds(std::int64_t index) const
    {
        return index >= first && index - first < static_cast<std::int64_t>(x.size());
    }
    LONG xAt(std::int64_t index) const { return x[static_cast<std::size_t>(index - first)]; }
    LONG yAt(std::int64_t index) const { return y[static_cast<std::size_t>(index - first)]; }
};

/// One channel of a run of stored samples, in the width it is stored in: exactly one of the two is set.
struct ChannelView {
    const std::int16_t* narrow = nullptr;
    const std::int32_t* wide = nullptr;
};

/// A run of consecutive samples looked at where the trace stores them; valid only inside the read that hands it out.
struct PointsView {
    /// The trace index of the first sample.
    std::int64_t first = 0;
    std::size_t count = 0;
    ChannelView x;
    ChannelView y;
};

/// The stored hundredths of a run of samples with each axis in its storage type, for loops the compiler can unroll
/// and vectorise per width.
template <typename X, typename Y> struct StoredPoints {
    std::int64_t first = 0;
    std::int64_t count = 0;
    const X* xs = nullptr;
    const Y* ys = nullptr;

    bool holds(std::int64_t index) const { return index >= first && index - first < count; }
    LONG xAt(std::int64_t index) const { return xs[index - first]; }
    LONG yAt(std::int64_t index) const { return ys[index - first]; }
    /// An invalid sample is stored as its x; 16-bit storage never holds one.
    static constexpr bool kEveryHeldValid = std::is_same_v<X, std::int16_t>;
    bool validAt(std::int64_t index) const
    {
        if constexpr (kEveryHeldValid) {
            return true;
        } else {
            return xs[index - first] != kInvalidSample;
        }
    }
};

/// Called with the samples of a read while the trace holds its lock: it must not call back into the trace.
class PointsReader {
public:
    virtual HRESULT read(const PointsView& points) = 0;

protected:
    ~PointsReader() = default;
};

/// The document model's own access to the samples of its traces, beside IAimingTrace.
struct ITracePoints : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("95EC8539-B243-4EE5-93B8-F824DF883A93");

    /// The samples of trace indexes from..to that the trace holds, under one lock; none when it holds none of them.
    /// E_OUTOFMEMORY when the copy cannot be made.
    virtual HRESULT copyPoints(std::int64_t from, std::int64_t to, TracePoints& points) = 0;
    /// Hands the samples of trace indexes from..to that the trace holds (possibly none) to `reader` in place, under
    /// one lock; the reader's result.
    virtual HRESULT readPoints(std::int64_t from, std::int64_t to, PointsReader& reader) = 0;

protected:
    ~ITracePoints() = default;
};

/// Hands a read to `visit` as a StoredPoints of the storage types it came in.
template <typename Visit> class StoredPointsReader final : public PointsReader {
public:
    explicit StoredPointsReader(Visit& visit) : m_visit(visit) {}
    HRESULT read(const PointsView& points) override
    {
        return points.x.narrow ? withY(points, points.x.narrow) : withY(points, points.x.wide);
    }

private:
    template <typename X> HRESULT withY(const PointsView& points, const X* xs)
    {
        const auto count = static_cast<std::int64_t>(points.count);
        if (points.y.narrow) {
            return m_visit(StoredPoints<X, std::int16_t>{points.first, count, xs, points.y.narrow});
        }
        return m_visit(StoredPoints<X, std::int32_t>{points.first, count, xs, points.y.wide});
    }

    Visit& m_visit;
};

/// Reads from..to of `trace` in place and calls `visit` with them as a StoredPoints of their storage types; the
/// result of `visit`.
template <typename Visit>
HRESULT readStoredPoints(ITracePoints& trace, std::int64_t from, std::int64_t to, Visit&& visit)
{
    StoredPointsReader<std::remove_reference_t<Visit>> reader(visit);
    return trace.readPoints(from, to, reader);
}

} // namespace talvodata
