#include "talvodesk/core/frame/CommandHandlers.h"

#include <algorithm>
#include <array>

namespace talvodesk {

namespace {

using H = FrameCommandHandlers;

constexpr std::array kHandlers = {
    CommandHandlerEntry{cmd::StartPractice, &H::onStartPractice},
    CommandHandlerEntry{cmd::FileOpen, &H::onOpen},
    CommandHandlerEntry{cmd::FileSave, &H::onSave},
    CommandHandlerEntry{cmd::OpenModel, &H::onOpenModel},
    CommandHandlerEntry{cmd::CloseModel, &H::onCloseModel},
    CommandHandlerEntry{cmd::Print, &H::onPrint},
    CommandHandlerEntry{cmd::PrintPreview, &H::onPrintPreview},
    CommandHandlerEntry{cmd::PrintSetup, &H::onPrintSetup},
    CommandHandlerEntry{cmd::PreviewNextPage, &H::onPreviewPage},
    CommandHandlerEntry{cmd::PreviewPreviousPage, &H::onPreviewPage},
    CommandHandlerEntry{cmd::PreviewClose, &H::onClosePreview},
    CommandHandlerEntry{cmd::SendMail, &H::onSendMail},
    CommandHandlerEntry{cmd::SendToFolder, &H::onSendToFolder},
    CommandHandlerEntry{cmd::Exit, &H::onExit},
    CommandHandlerEntry{cmd::HideShot, &H::onHideShot},
    CommandHandlerEntry{cmd::DeleteSightingShots, &H::onDeleteShots},
    CommandHandlerEntry{cmd::DeleteAllShots, &H::onDeleteShots},
    CommandHandlerEntry{cmd::Replay, &H::onReplay},
    CommandHandlerEntry{cmd::ReplayAll, &H::onReplayAll},
    CommandHandlerEntry{cmd::AdjustSensor, &H::onCalibrate},
    CommandHandlerEntry{cmd::Match, &H::onMatch},
    CommandHandlerEntry{cmd::ResetTraceTarget, &H::onResetTraceTarget},
    CommandHandlerEntry{cmd::Continue, &H::onContinue},
    CommandHandlerEntry{cmd::Prone, &H::onPosition},
    CommandHandlerEntry{cmd::Standing, &H::onPosition},
    CommandHandlerEntry{cmd::Kneeling, &H::onPosition},
    CommandHandlerEntry{cmd::StopPractice, &H::onStopPractice},
    CommandHandlerEntry{cmd::ExpertMode, &H::onExpertMode},
    CommandHandlerEntry{cmd::ShotList, &H::onSeriesPaneMode},
    CommandHandlerEntry{cmd::Series, &H::onSeriesPaneMode},
    CommandHandlerEntry{cmd::ViewInfo, &H::onView},
    CommandHandlerEntry{cmd::ViewTrace, &H::onView},
    CommandHandlerEntry{cmd::ViewDistance, &H::onView},
    CommandHandlerEntry{cmd::ViewCoordination, &H::onView},
    CommandHandlerEntry{cmd::ViewShift, &H::onView},
    CommandHandlerEntry{cmd::ViewSpeed, &H::onView},
    CommandHandlerEntry{cmd::ViewIntervals, &H::onView},
    CommandHandlerEntry{cmd::ViewProbability, &H::onView},
    CommandHandlerEntry{cmd::ViewToolbar, &H::onToolbar},
    CommandHandlerEntry{cmd::ViewStatusBar, &H::onStatusBar},
    CommandHandlerEntry{cmd::DisplaySightings, &H::onDisplaySightings},
    CommandHandlerEntry{cmd::DisplayAllTraces, &H::onDisplayAllTraces},
    CommandHandlerEntry{cmd::DisplayHiddenShots, &H::onDisplayHiddenShots},
    CommandHandlerEntry{cmd::FullScreen, &H::onFullScreen},
    CommandHandlerEntry{cmd::PrintTarget, &H::onPrintTarget},
    CommandHandlerEntry{cmd::ResetHardware, &H::onResetHardware},
    CommandHandlerEntry{cmd::ShotsParameters, &H::onShotsParameters},
    CommandHandlerEntry{cmd::Options, &H::onOptions},
    CommandHandlerEntry{cmd::Help, &H::onHelp},
    CommandHandlerEntry{cmd::WebPage, &H::onWebPage},
    CommandHandlerEntry{cmd::About, &H::onAbout},
    CommandHandlerEntry{cmd::ClosePane, &H::onClosePane},
    CommandHandlerEntry{cmd::Sound, &H::onSound},
    CommandHandlerEntry{cmd::ShotPrint, &H::onShotPrint},
};

} // namespace

std::span<const CommandHandlerEntry> CommandHandlers()
{
    return kHandlers;
}

CommandHandler FindCommandHandler(cmd::Id id)
{
    const auto found = std::find_if(kHandlers.begin(), kHandlers.end(), [id](const auto& h) { return h.id == id; });
    return found == kHandlers.end() ? nullptr : found->run;
}

} // namespace talvodesk
