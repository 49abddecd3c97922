#pragma once

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/frame/CommandIds.h"
#include "talvodesk/core/practice/TraceTimes.h"

#include "platform/com/HResult.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ITalvoDevice;

namespace talvodesk {

class COptions;
class CTalvoData;
class CView;

/// The device's part of the options' follow-up during a practice, on sub-device 1: the trace times by the event's
/// rule when they changed, the piezo reject interval always, the firing point when it changed.
void ApplyOptionsToDevice(ITalvoDevice& device, const COptions& options, std::uint32_t changed, std::int32_t eventCode);
/// A trace dragged by (dx, dy) millimetres moves the device's correction of sub-device 1 by as much.
void AddDeviceCorrection(ITalvoDevice& device, float dx, float dy);
/// "Reset hardware": disconnects and connects again; the failure message when it did not connect.
std::optional<std::u16string> ReconnectDevice(ITalvoDevice& device);

/// A position command's biathlon sub-target (2 prone, 1 standing, -1 kneeling) and the word other events store.
struct ShootingPosition {
    std::int32_t subTarget = -1;
    std::u16string_view word;
};
std::optional<ShootingPosition> PositionOfCommand(cmd::Id id);
enum class PositionChange : std::uint8_t { Unchanged, Restarted, SaveFailed };
/// The position of a practice of any event but the biathlon: unless it is stored already, a modified practice
/// with match shots is saved, and the practice starts again empty with the new position and no file name, so the
/// next save makes a new file. A practice that could not be saved keeps its shots and its position.
PositionChange RestartWithPosition(CTalvoData& data, std::u16string_view word);

/// The Replay all command with the replay-all flag as it was: the flag it becomes. Turned on it makes the first
/// shot current when none is (telling every view but `sender`) and resumes or starts the replay; with no shot at
/// all, or a replay refused, it stays off. Turned off it stops the replay.
bool ToggleReplayAll(CTalvoData& data, bool replayAll, CView* sender);
/// The step of Replay all after each replay: of the aimings shown (with the sighting shots when they are
/// displayed), the one after the current shot's (the first after the last, or when none is current) has its first
/// shot made current and replayed. Nothing with fewer than two aimings. True when a replay started.
bool ReplayNextAiming(CTalvoData& data, CView* sender);
/// The Hide shot item's text: the first line of its command text for a shown shot, the second for a hidden one.
std::u16string_view HideShotMenuText(std::u16string_view commandText, bool hidden);

/// Mailing a practice: the document is saved first when it is modified or its file is of a version below 10.
bool MailNeedsSave(bool modified, std::int32_t fileVersion);
/// The mail program's arguments, one element each, never joined into a shell line.
std::vector<std::string> MailArguments(const std::filesystem::path& attachment);
/// The mail program's exit codes 0 (sent), 1 (cancelled) and 3 (no account) stay silent; any other gives the
/// failure text.
std::optional<std::u16string_view> MailResultMessage(int exitCode);

/// The arguments that open a page or folder in the desktop's browser.
std::vector<std::string> OpenInBrowserArguments(const std::filesystem::path& page);

} // namespace talvodesk
