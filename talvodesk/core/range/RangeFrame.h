#pragma once

#include <string_view>

struct ITalvoDevice;

namespace talvodesk {

/// What the range-command sequence asks of the main frame. The frame implements it by forwarding each call to the
/// command or practice state it already has. Owner thread only (the frame's).
class RangeFrame {
public:
    virtual ~RangeFrame() = default;

    /// The practice's device control; null once the practice has stopped.
    virtual ITalvoDevice* rangeDevice() = 0;

    /// The signal light, as the frame switches it for the practice (green also starts the series time).
    virtual void lightOff() = 0;
    virtual void lightRed() = 0;
    virtual void lightGreen() = 0;

    /// The shooting window: while closed, the frame records none of the device's aimings.
    virtual bool isShootingWindowOpen() const = 0;
    virtual void setShootingWindowOpen(bool open) = 0;

    /// The calibration command: runs the calibration dialog modally and returns when it has closed.
    virtual void calibrate() = 0;
    /// The match command: the aimings that follow count as match aimings.
    virtual void enterMatchMode() = 0;
    /// Plays a prompt by its sound file's name; a missing file or sound off leaves it silent.
    virtual void playPrompt(std::u16string_view name) = 0;
    /// The stop-practice command.
    virtual void stopPractice() = 0;
};

} // namespace talvodesk
