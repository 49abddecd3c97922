#pragma once

#include <cstdint>
#include <span>

namespace talvolink {

/// The image sensor's automatic exposure: from the brightness of each complete frame it picks the exposure time and
/// analogue gain to ask the sensor for. The exposure is re-evaluated every third frame, moves towards its target by
/// at most a tenth of its value per frame and a factor of 1.2 per evaluation; the gain moves in steps of 2.
/// Thread rule: owner thread (the transport's).
struct QVExposureControl {
    bool enabled = true;
    int darkMean = 112;     ///< Below this frame mean the exposure is raised.
    int brightMean = 144;   ///< Above it the exposure is lowered.
    int narrowSpread = 112; ///< Below this brightness spread the gain is raised.
    int wideSpread = 144;   ///< Above it the gain is lowered.
    std::uint8_t gain = 64;
    std::uint16_t exposure = 100;
    bool gainChanged = false;     ///< Set here, cleared by the transport once sent.
    bool exposureChanged = false; ///< Likewise.
    bool pending = false;         ///< A request went out and the sensor has not yet reported it.
    int targetExposure = 0;
    int step = 0;
    int countdown = 0;

    static constexpr int kMaxExposure = 2047;
    static constexpr int kMinGain = 24;
    static constexpr int kMaxGain = 64;
    static constexpr int kFramesPerEvaluation = 3;

    void clearPending() { pending = false; }
    void setExposure(std::uint16_t value) { exposure = value; }
    /// One step for a frame of 8-bit grey pixels with the gain and exposure it was taken with; nothing for an
    /// empty frame.
    void OnFrame(std::uint8_t reportedGain, std::uint16_t reportedExposure, std::span<const std::uint8_t> pixels);

private:
    void evaluate(std::uint8_t reportedGain, int reportedExposure, int mean, int spread);
};

} // namespace talvolink
