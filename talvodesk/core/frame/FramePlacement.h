#pragma once

#include "talvodesk/core/options/Settings.h"

#include <cstdint>
#include <optional>

namespace platform::registry {
class Key;
}

namespace talvodesk {

/// The frame's settings under the settings root: its placement and the bars.
struct FrameSettings {
    bool zoomed = false;
    /// The normal-position rectangle; nothing leaves the window where the system puts it.
    std::optional<WindowRect> windowRect;
    bool toolBar = true;
    bool statusBar = true;
    std::uint32_t splitterPos = 250;
};

/// "Zoomed", "WindowRect" (16-byte REG_BINARY, not empty), "ToolBar", "StatusBar" and "SplitterPos"; a value
/// that is missing or of the wrong type keeps its default.
FrameSettings LoadFrameSettings(const platform::registry::Key& root);

/// Whether the frame was ever shown and whether full screen is on when it is destroyed.
struct FrameClosing {
    bool shown = false;
    bool fullScreen = false;
};

/// Writes the settings back, but only for a frame that was shown (a start that failed before showing it keeps the
/// stored placement); in full screen the stored rectangle keeps the last normal one from before.
void SaveFrameSettings(const platform::registry::Key& root, const FrameSettings& settings, FrameClosing closing);

} // namespace talvodesk
