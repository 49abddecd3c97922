#pragma once

#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/practice/PracticeDevice.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace talvodesk {

/// A key-down as the frame's message filter sees it.
struct KeyDown {
    std::uint32_t virtualKey = 0;
    bool control = false;
};

// Virtual-key codes the rules test.
inline constexpr std::uint32_t kKeyEnter = 0x0D;
inline constexpr std::uint32_t kKeyEscape = 0x1B;
inline constexpr std::uint32_t kKeyNumpad0 = 0x60;
inline constexpr std::uint32_t kKeyAdd = 0x6B;
inline constexpr std::uint32_t kKeySubtract = 0x6D;

inline constexpr std::uint16_t kCommandClosePrintPreview = 0x8055;
inline constexpr std::uint16_t kCommandFullScreen = 0x801D;
inline constexpr std::uint16_t kCommandResetTraceTarget = 0x8067;

/// The windows and actions of the frame that its key rules reach. The frame implements it. Owner thread only.
class FrameKeyTargets {
public:
    virtual ~FrameKeyTargets() = default;

    virtual bool HasPrintPreview() = 0;
    virtual bool IsFullScreen() = 0;
    virtual void PostCommand(std::uint16_t command) = 0;
    virtual void SendCommand(std::uint16_t command) = 0;
    /// Zooms the target controls of the info view and of the series view.
    virtual void SetTargetZoom(int zoom) = 0;
    /// The frame's accelerators; true when one was translated.
    virtual bool TranslateAccelerator(const KeyDown& key) = 0;
    virtual bool InfoViewHasFocus() = 0;
    virtual bool InfoViewPreTranslate(const KeyDown& key) = 0;
    virtual bool TraceViewVisible() = 0;
    virtual bool TraceViewKey(const KeyDown& key) = 0;
    virtual bool SeriesViewHasFocus() = 0;
    virtual bool SeriesViewNavigate(const KeyDown& key) = 0;
    virtual void SetStatusText(const std::u16string& text) = 0;
    /// A text of the program's language by its string-table number.
    virtual std::u16string_view LoadString(std::uint32_t id) = 0;
    /// The running practice's device, or null.
    virtual PracticeDevice* Device() = 0;
};

/// The frame's key rules, tested in order; the first that applies ends the search. True when the key was consumed.
/// Numpad + and - change the option PiezoRejectInterval by a tenth (never below 0) and pass the key on.
bool PreTranslateKey(const KeyDown& key, FrameKeyTargets& frame, COptions& options);

/// The string-table number of the status text that shows PiezoRejectInterval ("PiezoRejectInterval = %3.1f").
inline constexpr std::uint32_t kPiezoRejectIntervalText = 37001;

/// The status text with the interval in it, the number written with ".".
std::u16string PiezoRejectIntervalText(float seconds, std::u16string_view format);

} // namespace talvodesk
