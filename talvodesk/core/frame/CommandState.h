#pragma once

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/frame/CommandIds.h"

#include "platform/com/Types.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvodesk {

/// What the command rules read of the frame, its document and its device at one moment.
struct FrameSnapshot {
    bool documentValid = false;
    bool modelValid = false;
    bool previewOpen = false;
    /// The page the print preview shows, zero-based, of its page count.
    int previewPage = -1;
    int previewPages = 0;
    std::uint32_t sightingShots = 0;
    std::uint32_t matchShots = 0;
    bool threePositions = false;
    std::int32_t eventCode = 0;
    bool device = false;
    /// The device's ModelVersion is 600 (an image sensor).
    bool imageSensor = false;
    bool currentShot = false;
    bool showSightings = false;
    bool hiddenShotsShown = false;
    std::int32_t replayState = 0;
    bool shotTimesAscending = true;
    bool mailAvailable = false;
    bool matchMode = false;
    bool continueOffered = false;
    bool aimingOpen = false;
    bool advancedMode = false;
    bool bothPanesShown = false;
    bool shotListMode = true;
    bool allTraces = false;
    bool toolbarVisible = true;
    bool statusBarVisible = true;
    bool fullScreen = false;
    bool uiLocked = false;
    bool soundEnabled = true;
    bool replayAll = false;
    /// The frame's biathlon sub-target: 2 prone, 1 standing, -1 none.
    std::int32_t subTarget = -1;
    /// The document's stored position ("prone", "standing", "kneeling" or anything else).
    std::u16string position;
    cmd::Id currentView = cmd::ViewInfo;
    LCID uiLocale = 0x409;
};

struct CommandState {
    cmd::Id id;
    bool enabled;
    bool checked;
};

/// The enable and check state of every command the frame updates, the language items included, as a pure function
/// of the snapshot. Commands that are not listed keep their state.
std::vector<CommandState> ComputeCommandStates(const FrameSnapshot& s);

struct ButtonVisibility {
    cmd::Id id;
    bool hidden;
};

/// Which tool-bar buttons are hidden (never disabled) in this state: the main, view and display tool bars.
std::vector<ButtonVisibility> ComputeHiddenButtons(const FrameSnapshot& s);
/// The whole series-pane tool bar is hidden with expert mode off or without a document.
bool IsSeriesPaneToolbarHidden(const FrameSnapshot& s);

} // namespace talvodesk
