#include "talvodesk/core/frame/SmallWindows.h"

#include <algorithm>

namespace talvodesk {

std::vector<SensingBand> SensingBarBands(int height, int position)
{
    if (position <= 0 || height <= 0) {
        return {};
    }
    const auto above = [height](int part) { return height - ((height * part) >> 9); };
    const int top = above(position);
    const int low = above(100);
    const int high = above(300);
    if (top > low) {
        return {{top, height, kSensingRed}};
    }
    std::vector<SensingBand> bands{{std::max(top, high), height, kSensingGreen}};
    if (top < high) {
        bands.push_back({top, high, kSensingRed});
    }
    return bands;
}

std::optional<TraceKeyAction> TraceKey(std::uint32_t virtualKey, long replayState)
{
    constexpr std::uint32_t kSpace = 0x20;
    constexpr std::uint32_t kDigit0 = 0x30;
    constexpr std::uint32_t kNumpad0 = 0x60;
    using Kind = TraceKeyAction::Kind;
    if (virtualKey == kSpace) {
        switch (replayState) {
        case 0:
            return TraceKeyAction{Kind::StartReplay};
        case 1:
            return TraceKeyAction{Kind::ResumeReplay};
        case 2:
            return TraceKeyAction{Kind::PauseReplay};
        default:
            return std::nullopt;
        }
    }
    for (const std::uint32_t first : {kDigit0, kNumpad0}) {
        if (virtualKey >= first && virtualKey <= first + 9) {
            const int digit = static_cast<int>(virtualKey - first);
            return TraceKeyAction{Kind::Zoom, digit == 0 ? 10 : digit};
        }
    }
    return std::nullopt;
}

} // namespace talvodesk
