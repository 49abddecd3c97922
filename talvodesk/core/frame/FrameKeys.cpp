#include "talvodesk/core/frame/FrameKeys.h"

#include "talvodesk/core/options/TextFormat.h"

namespace talvodesk {

namespace {

constexpr float kPiezoStep = 0.1F;

/// The digit of '0'..'9' or of the keypad's 0..9 as a zoom factor (0 means 10); 0 for any other key.
int ZoomOfDigit(std::uint32_t key)
{
    int digit = -1;
    if (key >= '0' && key <= '9') {
        digit = static_cast<int>(key - '0');
    } else if (key >= kKeyNumpad0 && key <= kKeyNumpad0 + 9) {
        digit = static_cast<int>(key - kKeyNumpad0);
    }
    return digit < 0 ? 0 : (digit == 0 ? 10 : digit);
}

void StepPiezoRejectInterval(float step, PracticeDevice& device, FrameKeyTargets& frame, COptions& options)
{
    float seconds = options.piezoRejectInterval + step;
    if (seconds < 0.0F) {
        seconds = 0.0F;
    }
    options.piezoRejectInterval = seconds;
    device.SetPiezoRejectInterval(seconds);
    frame.SetStatusText(PiezoRejectIntervalText(seconds, frame.LoadString(kPiezoRejectIntervalText)));
}

bool TraceViewRules(const KeyDown& key, FrameKeyTargets& frame, COptions& options)
{
    PracticeDevice* device = frame.Device();
    if (device && key.control && key.virtualKey == 'Q') {
        device->AddShot();
        return true;
    }
    if (device && key.virtualKey == kKeyEnter) {
        frame.SendCommand(kCommandResetTraceTarget);
        return true;
    }
    if (device && (key.virtualKey == kKeyAdd || key.virtualKey == kKeySubtract)) {
        StepPiezoRejectInterval(key.virtualKey == kKeyAdd ? kPiezoStep : -kPiezoStep, *device, frame, options);
    }
    return frame.TraceViewKey(key);
}

} // namespace

std::u16string PiezoRejectIntervalText(float seconds, std::u16string_view format)
{
    return FormatFloat(seconds, format);
}

bool PreTranslateKey(const KeyDown& key, FrameKeyTargets& frame, COptions& options)
{
    if (key.virtualKey == kKeyEscape) {
        if (frame.HasPrintPreview()) {
            frame.PostCommand(kCommandClosePrintPreview);
            return true;
        }
        if (frame.IsFullScreen()) {
            frame.PostCommand(kCommandFullScreen);
            return true;
        }
    }
    if (key.control && !frame.HasPrintPreview()) {
        if (const int zoom = ZoomOfDigit(key.virtualKey); zoom > 0) {
            frame.SetTargetZoom(zoom);
            return true;
        }
    }
    if (frame.TranslateAccelerator(key)) {
        return true;
    }
    if (frame.InfoViewHasFocus() && frame.InfoViewPreTranslate(key)) {
        return true;
    }
    if (frame.TraceViewVisible() && TraceViewRules(key, frame, options)) {
        return true;
    }
    return frame.SeriesViewHasFocus() && frame.SeriesViewNavigate(key);
}

} // namespace talvodesk
