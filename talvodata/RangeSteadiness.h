#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

#include <span>

namespace talvodata {

/// A circle a steadiness counts a range's breaches in, in millimetres.
struct SteadinessCircle {
    float radius = 0;
    float centreX = 0;
    float centreY = 0;
};

/// The document model's own way to ask a range for several steadiness circles at once, beside IRange: the window's
/// breaches are worked out once for all of them.
struct IRangeSteadiness : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("281F41C2-DDEA-4F37-8B9F-94139F539B7C");

    /// Fills `percents` with what IRange::Steadiness answers for each circle with the same coefficient.
    /// E_INVALIDARG, with nothing filled, when the two differ in size; on a failure the percents are 0.
    virtual HRESULT steadiness(LONG coefficient, std::span<const SteadinessCircle> circles,
                               std::span<float> percents) = 0;

protected:
    ~IRangeSteadiness() = default;
};

} // namespace talvodata
