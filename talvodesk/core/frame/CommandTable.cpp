#include "talvodesk/core/frame/CommandTable.h"

#include <algorithm>
#include <array>

namespace talvodesk {

namespace {

constexpr std::array kCommands = {
    CommandInfo{cmd::StartPractice, "&Start Practice...", "Ctrl+N", "media-playback-start"},
    CommandInfo{cmd::FileOpen, "&Open...", "Ctrl+O", "document-open"},
    CommandInfo{cmd::FileSave, "&Save", "Ctrl+S", "document-save"},
    CommandInfo{cmd::OpenModel, "Open &model...", "", "document-open-recent"},
    CommandInfo{cmd::CloseModel, "Cl&ose model", ""},
    CommandInfo{cmd::Print, "&Print...", "Ctrl+P", "document-print"},
    CommandInfo{cmd::PrintPreview, "Print Pre&view", "", "document-print-preview"},
    CommandInfo{cmd::PrintSetup, "P&rint Setup...", "", "document-page-setup"},
    CommandInfo{cmd::PreviewNextPage, "Next page", "", "go-next"},
    CommandInfo{cmd::PreviewPreviousPage, "Previous page", "", "go-previous"},
    CommandInfo{cmd::PreviewClose, "Close", "", "window-close"},
    CommandInfo{cmd::SendMail, "Email...", "", "mail-send"},
    CommandInfo{cmd::SendToFolder, "Folder...", ""},
    CommandInfo{cmd::Exit, "E&xit", "Alt+F4", "application-exit"},
    CommandInfo{cmd::HideShot, "Hide shot\nRestore shot", ""},
    CommandInfo{cmd::DeleteSightingShots, "Delete sighting shots", ""},
    CommandInfo{cmd::DeleteAllShots, "Delete all shots", ""},
    CommandInfo{cmd::Replay, "Replay", "Space"},
    CommandInfo{cmd::ReplayAll, "Replay all shots", ""},
    CommandInfo{cmd::AdjustSensor, "Adjust Optical Sensor...", "F2", "preferences-desktop-peripherals"},
    CommandInfo{cmd::Match, "Match", "F3", "media-record"},
    CommandInfo{cmd::ResetTraceTarget, "Reset trace target", "Return"},
    CommandInfo{cmd::Continue, "Continue", "", "media-skip-forward"},
    CommandInfo{cmd::Prone, "Prone", ""},
    CommandInfo{cmd::Standing, "Standing", ""},
    CommandInfo{cmd::Kneeling, "Kneeling", ""},
    CommandInfo{cmd::StopPractice, "Stop Practice", "", "media-playback-stop"},
    CommandInfo{cmd::ExpertMode, "Expert mode", ""},
    CommandInfo{cmd::ShotList, "Shot list", ""},
    CommandInfo{cmd::Series, "Series", "", "format-justify-fill"},
    CommandInfo{cmd::ViewInfo, "General info", "F4"},
    CommandInfo{cmd::ViewTrace, "Trace", "F5"},
    CommandInfo{cmd::ViewDistance, "Distance graph", "F6"},
    CommandInfo{cmd::ViewCoordination, "Coordination", "F7"},
    CommandInfo{cmd::ViewShift, "Shift", "F8"},
    CommandInfo{cmd::ViewSpeed, "Trace Speed", "F9"},
    CommandInfo{cmd::ViewIntervals, "Time Intervals", "F10"},
    CommandInfo{cmd::ViewProbability, "Probability", "F11"},
    CommandInfo{cmd::ViewToolbar, "&Toolbar", ""},
    CommandInfo{cmd::ViewStatusBar, "&Status Bar", ""},
    CommandInfo{cmd::DisplaySightings, "Display sightings", ""},
    CommandInfo{cmd::DisplayAllTraces, "Display all traces", ""},
    CommandInfo{cmd::DisplayHiddenShots, "Display hidden shots", ""},
    CommandInfo{cmd::FullScreen, "Full Screen", "F12", "view-fullscreen"},
    CommandInfo{cmd::PrintTarget, "Print target...", ""},
    CommandInfo{cmd::ResetHardware, "Reset hardware", "Ctrl+H"},
    CommandInfo{cmd::ShotsParameters, "Shots parameters...", "", "document-properties"},
    CommandInfo{cmd::Options, "Options...", "", "preferences-system"},
    CommandInfo{cmd::Help, "&Help", "F1", "help-contents"},
    CommandInfo{cmd::WebPage, "Talvo on the Internet", ""},
    CommandInfo{cmd::About, "&About...", "", "help-about"},
    CommandInfo{cmd::ClosePane, "Close pane", ""},
    CommandInfo{cmd::Sound, "Sound", "", "audio-volume-high"},
    CommandInfo{cmd::ShotPrint, "Print", ""},
};

} // namespace

std::span<const CommandInfo> CommandTable()
{
    return kCommands;
}

const CommandInfo* FindCommand(cmd::Id id)
{
    const auto found = std::find_if(kCommands.begin(), kCommands.end(), [id](const auto& c) { return c.id == id; });
    return found == kCommands.end() ? nullptr : &*found;
}

bool IsPlainKey(std::string_view key)
{
    return key == "Space" || key == "Return" || key == "Enter";
}

} // namespace talvodesk
