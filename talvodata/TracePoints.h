#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

#include <cstdint>
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

/// The document model's own access to the samples of its traces, beside IAimingTrace.
struct ITracePoints : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("95EC8539-B243-4EE5-93B8-F824DF883A93");

    /// The samples of trace indexes from..to that the trace holds, under one lock; none when it holds none of them.
    /// E_OUTOFMEMORY when the copy cannot be made.
    virtual HRESULT copyPoints(std::int64_t from, std::int64_t to, TracePoints& points) = 0;

protected:
    ~ITracePoints() = default;
};

} // namespace talvodata
