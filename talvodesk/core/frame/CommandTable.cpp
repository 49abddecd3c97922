#include "talvodesk/core/frame/CommandTable.h"

#include <algorithm>
#include <array>

namespace talvodesk {

namespace {

constexpr std::array kCommands = {
    CommandInfo{cmd::StartPractice, 35000, "Ctrl+N", "media-playback-start"},
    CommandInfo{cmd::FileOpen, 35001, "Ctrl+O", "document-open"},
    CommandInfo{cmd::FileSave, 35002, "Ctrl+S", "document-save"},
    CommandInfo{cmd::OpenModel, 35003, "", "document-open-recent"},
    CommandInfo{cmd::CloseModel, 35004, ""},
    CommandInfo{cmd::Print, 35005, "Ctrl+P", "document-print"},
    CommandInfo{cmd::PrintPreview, 35006, "", "document-print-preview"},
    CommandInfo{cmd::PrintSetup, 35007, "", "document-page-setup"},
    CommandInfo{cmd::PreviewNextPage, 35008, "", "go-next"},
    CommandInfo{cmd::PreviewPreviousPage, 35009, "", "go-previous"},
    CommandInfo{cmd::PreviewClose, 35010, "", "window-close"},
    CommandInfo{cmd::SendMail, 35011, "", "mail-send"},
    CommandInfo{cmd::SendToFolder, 35012, ""},
    CommandInfo{cmd::Exit, 35013, "Alt+F4", "application-exit"},
    CommandInfo{cmd::HideShot, 35014, ""},
    CommandInfo{cmd::DeleteSightingShots, 35015, ""},
    CommandInfo{cmd::DeleteAllShots, 35016, ""},
    CommandInfo{cmd::Replay, 35017, "Space"},
    CommandInfo{cmd::ReplayAll, 35018, ""},
    CommandInfo{cmd::AdjustSensor, 35019, "F2", "preferences-desktop-peripherals"},
    CommandInfo{cmd::Match, 35020, "F3", "media-record"},
    CommandInfo{cmd::ResetTraceTarget, 35021, "Return"},
    CommandInfo{cmd::Continue, 35022, "", "media-skip-forward"},
    CommandInfo{cmd::Prone, 35023, ""},
    CommandInfo{cmd::Standing, 35024, ""},
    CommandInfo{cmd::Kneeling, 35025, ""},
    CommandInfo{cmd::StopPractice, 35026, "", "media-playback-stop"},
    CommandInfo{cmd::ExpertMode, 35027, ""},
    CommandInfo{cmd::ShotList, 35028, ""},
    CommandInfo{cmd::Series, 35029, "", "format-justify-fill"},
    CommandInfo{cmd::ViewInfo, 35030, "F4"},
    CommandInfo{cmd::ViewTrace, 35031, "F5"},
    CommandInfo{cmd::ViewDistance, 35032, "F6"},
    CommandInfo{cmd::ViewCoordination, 35033, "F7"},
    CommandInfo{cmd::ViewShift, 35034, "F8"},
    CommandInfo{cmd::ViewSpeed, 35035, "F9"},
    CommandInfo{cmd::ViewIntervals, 35036, "F10"},
    CommandInfo{cmd::ViewProbability, 35037, "F11"},
    CommandInfo{cmd::ViewToolbar, 35038, ""},
    CommandInfo{cmd::ViewStatusBar, 35039, ""},
    CommandInfo{cmd::DisplaySightings, 35040, ""},
    CommandInfo{cmd::DisplayAllTraces, 35041, ""},
    CommandInfo{cmd::DisplayHiddenShots, 35042, ""},
    CommandInfo{cmd::FullScreen, 35043, "F12", "view-fullscreen"},
    CommandInfo{cmd::PrintTarget, 35044, ""},
    CommandInfo{cmd::ResetHardware, 35045, "Ctrl+H"},
    CommandInfo{cmd::ShotsParameters, 35046, "", "document-properties"},
    CommandInfo{cmd::Options, 35047, "", "preferences-system"},
    CommandInfo{cmd::Help, 35048, "F1", "help-contents"},
    CommandInfo{cmd::WebPage, 35049, ""},
    CommandInfo{cmd::About, 35050, "", "help-about"},
    CommandInfo{cmd::ClosePane, 35051, ""},
    CommandInfo{cmd::Sound, 35052, "", "audio-volume-high"},
    CommandInfo{cmd::ShotPrint, 35053, ""},
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

CommandPrompt SplitPrompt(std::u16string_view prompt)
{
    const std::size_t lineBreak = prompt.rfind(u'\n');
    if (lineBreak == std::u16string_view::npos) {
        return {prompt, {}};
    }
    return {prompt.substr(0, lineBreak), prompt.substr(lineBreak + 1)};
}

} // namespace talvodesk
