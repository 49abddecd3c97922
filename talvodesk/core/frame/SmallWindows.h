#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace talvodesk {

/// One filled band of the calibration dialog's sensing bar, in client coordinates (top inclusive, bottom
/// exclusive), with its COLORREF.
struct SensingBand {
    int top = 0;
    int bottom = 0;
    std::uint32_t color = 0;
    friend bool operator==(const SensingBand&, const SensingBand&) = default;
};

inline constexpr std::uint32_t kSensingRed = 0x0000FF;
inline constexpr std::uint32_t kSensingGreen = 0x00FF00;
inline constexpr int kSensingRange = 512;

/// The sensing bar of a client area `height` pixels high at `position` (0..512): nothing at 0; all red when the
/// bar ends below the low mark (100/512); else green from the bottom up to the bar's top or the high mark
/// (300/512), whichever is lower, and red above the high mark.
std::vector<SensingBand> SensingBarBands(int height, int position);

/// What a key does on the trace view's target.
struct TraceKeyAction {
    enum class Kind { StartReplay, ResumeReplay, PauseReplay, Zoom };
    Kind kind;
    /// The zoom factor for Zoom (1 to 10).
    int zoom = 0;
    friend bool operator==(const TraceKeyAction&, const TraceKeyAction&) = default;
};

/// Space starts (state 0), resumes (1, paused) or pauses (2, playing) the replay; the digits of the main keyboard
/// and of the keypad zoom to that factor, 0 meaning 10. Other keys are not handled.
std::optional<TraceKeyAction> TraceKey(std::uint32_t virtualKey, long replayState);

} // namespace talvodesk
