#include "talvodesk/core/CommandTable.h"

#include <algorithm>
#include <array>

namespace talvodesk {

namespace {

constexpr std::array kCommands = {
    CommandInfo{cmd::StartPractice, "&Start Practice...", "Ctrl+N"},
    CommandInfo{cmd::FileOpen, "&Open...", "Ctrl+O"},
    CommandInfo{cmd::FileSave, "&Save", "Ctrl+S"},
    CommandInfo{cmd::OpenModel, "Open &model...", ""},
    CommandInfo{cmd::CloseModel, "Cl&ose model", ""},
    CommandInfo{cmd::Print, "&Print...", "Ctrl+P"},
    CommandInfo{cmd::PrintPreview, "Print Pre&view", ""},
    CommandInfo{cmd::PrintSetup, "P&rint Setup...", ""},
    CommandInfo{cmd::PreviewNextPage, "Next page", ""},
    CommandInfo{cmd::PreviewPreviousPage, "Previous page", ""},
    CommandInfo{cmd::PreviewClose, "Close", ""},
    CommandInfo{cmd::SendMail, "Email...", ""},
    CommandInfo{cmd::SendToFolder, "Folder...", ""},
    CommandInfo{cmd::Exit, "E&xit", "Alt+F4"},
    CommandInfo{cmd::HideShot, "Hide shot\nRestore shot", ""},
    CommandInfo{cmd::DeleteSightingShots, "Delete sighting shots", ""},
    CommandInfo{cmd::DeleteAllShots, "Delete all shots", ""},
    CommandInfo{cmd::Replay, "Replay", "Space"},
    CommandInfo{cmd::ReplayAll, "Replay all shots", ""},
    CommandInfo{cmd::AdjustSensor, "Adjust Optical Sensor...", "F2"},
    CommandInfo{cmd::Match, "Match", "F3"},
    CommandInfo{cmd::ResetTraceTarget, "Reset trace target", "Return"},
    CommandInfo{cmd::Continue, "Continue", ""},
    CommandInfo{cmd::Prone, "Prone", ""},
    CommandInfo{cmd::Standing, "Standing", ""},
    CommandInfo{cmd::Kneeling, "Kneeling", ""},
    CommandInfo{cmd::StopPractice, "Stop Practice", ""},
    CommandInfo{cmd::ExpertMode, "Expert mode", ""},
    CommandInfo{cmd::ShotList, "Shot list", ""},
    CommandInfo{cmd::Series, "Series", ""},
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
    CommandInfo{cmd::FullScreen, "Full Screen", "F12"},
    CommandInfo{cmd::PrintTarget, "Print target...", ""},
    CommandInfo{cmd::ResetHardware, "Reset hardware", "Ctrl+H"},
    CommandInfo{cmd::ShotsParameters, "Shots parameters...", ""},
    CommandInfo{cmd::Options, "Options...", ""},
    CommandInfo{cmd::Help, "&Help", "F1"},
    CommandInfo{cmd::WebPage, "Talvo on the Internet", ""},
    CommandInfo{cmd::About, "&About...", ""},
    CommandInfo{cmd::ClosePane, "Close pane", ""},
    CommandInfo{cmd::Sound, "Sound", ""},
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
