#include "talvolink/qv/QVExposureControl.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace talvolink {

namespace {

constexpr double kMaxFactor = 1.2;
constexpr double kMidGrey = 128.0;
constexpr double kBlackFactor = 1.5;
constexpr int kGainStep = 2;

// Halves round up.
int roundHalfUp(double value)
{
    return static_cast<int>(std::floor(value + 0.5));
}

struct Brightness {
    int mean = 0;
    int spread = 0;
};

// The mean grey level, and the spread between the levels at which the running counts from either end first
// reach the fullest bin.
Brightness measure(std::span<const std::uint8_t> pixels)
{
    std::array<std::size_t, 256> bins{};
    std::uint64_t sum = 0;
    for (const std::uint8_t pixel : pixels) {
        ++bins[pixel];
        sum += pixel;
    }
    const std::size_t peak = *std::ranges::max_element(bins);
    int low = 255;
    std::size_t running = 0;
    for (int level = 0; level < 256; ++level) {
        running += bins[level];
        if (running >= peak) {
            low = level;
            break;
        }
    }
    int high = 0;
    running = 0;
    for (int level = 255; level >= 0; --level) {
        running += bins[level];
        if (running >= peak) {
            high = level;
            break;
        }
    }
    return {static_cast<int>(sum / pixels.size()), high - low};
}

} // namespace

void QVExposureControl::OnFrame(std::uint8_t reportedGain, std::uint16_t reportedExposure,
                                std::span<const std::uint8_t> pixels)
{
    if (pixels.empty()) {
        return;
    }
    if (pending && reportedGain == gain && reportedExposure == exposure) {
        pending = false;
    }
    const Brightness brightness = measure(pixels);
    if (enabled && !pending) {
        --countdown;
        if (countdown <= 0) {
            evaluate(reportedGain, reportedExposure, brightness.mean, brightness.spread);
        }
    }
    if (reportedExposure != targetExposure) {
        const int next = reportedExposure + step;
        if (next != exposure) {
            exposure = static_cast<std::uint16_t>(next);
            exposureChanged = true;
        }
    }
}

void QVExposureControl::evaluate(std::uint8_t reportedGain, int e, int mean, int spread)
{
    int target = e;
    if (mean < darkMean) {
        const double factor = std::min(mean == 0 ? kBlackFactor : kMidGrey / mean, kMaxFactor);
        target = roundHalfUp(e * factor);
        if (target == e) {
            target = e + 1;
        }
    } else if (mean > brightMean) {
        const double factor = std::min(mean / kMidGrey, kMaxFactor);
        target = roundHalfUp(e / factor);
        if (target == e) {
            target = e - 1;
        }
    }
    targetExposure = std::clamp(target, 1, kMaxExposure);

    int newGain = reportedGain;
    if (spread > wideSpread) {
        newGain -= kGainStep;
    } else if (spread < narrowSpread) {
        newGain += kGainStep;
    }
    newGain = std::clamp(newGain, kMinGain, kMaxGain);

    step = targetExposure - e;
    if (std::abs(step) > e / 10 + 1) {
        step = roundHalfUp(e / 10.0);
        if (e >= targetExposure) {
            step = -step;
        }
    }
    if (newGain != gain) {
        gain = static_cast<std::uint8_t>(newGain);
        gainChanged = true;
    }
    countdown = kFramesPerEvaluation;
}

} // namespace talvolink
