#pragma once

#include "platform/com/Stream.h"

#include <cstdint>

namespace talvodata {

/// The limits one outermost record load puts on all the records it reads from its stream: how deep objects may
/// nest, and how many trace samples the traces together may claim. A run of invalid samples costs a few bytes
/// whatever its length, so without a budget per stream a small file could claim gigabytes.
/// Thread rule: per thread; every record's Load enters one on the thread that loads.
class LoadScope {
public:
    /// Deeper than any real practice or event nests (a document holds aimings, an aiming shots, a shot named
    /// values, an event faces, a face elements).
    static constexpr int kMaxDepth = 16;
    /// Samples the records of one stream may claim beyond one per byte of the stream: an hour of samples at the
    /// highest rate, on both axes.
    static constexpr std::uint64_t kFreeSamples = 2 * 500 * 3600;

    /// The outermost scope of a thread measures the bytes left in `stream`.
    explicit LoadScope(IStream* stream);
    ~LoadScope();
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;

    /// False when this record lies deeper than kMaxDepth.
    bool withinDepth() const;
    /// Takes `samples` from the budget of the stream being loaded; false when its records claim more than it could
    /// hold.
    static bool claimSamples(std::uint64_t samples);
};

} // namespace talvodata
