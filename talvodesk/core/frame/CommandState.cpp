#include "talvodesk/core/frame/CommandState.h"

#include "talvodesk/core/frame/LanguageCommands.h"

namespace talvodesk {

namespace {

constexpr std::int32_t kProne = 2;
constexpr std::int32_t kStanding = 1;

void positionRule(const FrameSnapshot& s, bool biathlon, std::vector<CommandState>& out)
{
    CommandState prone{cmd::Prone, false, false};
    CommandState standing{cmd::Standing, false, false};
    CommandState kneeling{cmd::Kneeling, false, false};
    if (s.device) {
        const auto byBiathlonPosition = [&] {
            prone.enabled = standing.enabled = true;
            prone.checked = s.subTarget == kProne;
            standing.checked = s.subTarget == kStanding;
        };
        if (s.threePositions) {
            if (biathlon) {
                byBiathlonPosition();
            } else {
                prone.enabled = standing.enabled = kneeling.enabled = true;
                prone.checked = s.position == u"prone";
                standing.checked = s.position == u"standing";
                kneeling.checked = s.position == u"kneeling";
            }
        }
        if (biathlon) {
            byBiathlonPosition();
        }
    }
    out.push_back(prone);
    out.push_back(standing);
    out.push_back(kneeling);
}

} // namespace

std::vector<CommandState> ComputeCommandStates(const FrameSnapshot& s)
{
    const bool V = s.documentValid;
    const bool P = s.previewOpen;
    const bool D = s.device;
    const std::uint32_t S = V ? s.sightingShots : 0;
    const std::uint32_t Mt = V ? s.matchShots : 0;
    const std::uint32_t T = S + Mt;
    const bool B = V && s.eventCode == kBiathlonEventCode;
    const bool R = V && IsRangeEvent(s.eventCode);
    const bool Q = D && s.imageSensor;
    const bool sensorCommands = D && (!R || Q) && !P;
    const bool modelOrMatch = (Mt > 0 || s.modelValid) && !P;
    const auto view = [&](cmd::Id id, bool enabled) { return CommandState{id, enabled, s.currentView == id}; };

    std::vector<CommandState> out{
        {cmd::StartPractice, !D && !P, false},
        {cmd::FileSave, T > 0, false},
        {cmd::SendToFolder, T > 0 && !P, false},
        {cmd::OpenModel, V && !P, false},
        {cmd::CloseModel, s.modelValid && !P, false},
        {cmd::Print, Mt > 0, false},
        {cmd::PrintPreview, Mt > 0, false},
        {cmd::PreviewNextPage, P && s.previewPage + 1 < s.previewPages, false},
        {cmd::PreviewPreviousPage, P && s.previewPage > 0, false},
        {cmd::SendMail, T > 0 && !P && s.mailAvailable, false},
        {cmd::HideShot, s.currentShot, false},
        {cmd::DeleteSightingShots, S > 0, false},
        {cmd::DeleteAllShots, T > 0, false},
        {cmd::Replay, s.currentShot && !P, s.currentShot && s.replayState != 0},
        {cmd::ReplayAll, Mt > 0 || (S > 0 && s.showSightings), s.replayAll},
        {cmd::Match, sensorCommands && !s.matchMode, false},
        {cmd::AdjustSensor, sensorCommands, false},
        {cmd::Continue, D && s.continueOffered, false},
        {cmd::StopPractice, D, false},
        {cmd::ResetTraceTarget, D && s.aimingOpen, false},
        {cmd::ExpertMode, true, s.advancedMode},
        {cmd::DisplaySightings, S > 0, s.showSightings},
        {cmd::ShotList, V, s.bothPanesShown && s.shotListMode},
        {cmd::Series, V && !B, s.bothPanesShown && !s.shotListMode},
        {cmd::ViewToolbar, true, s.toolbarVisible},
        {cmd::ViewStatusBar, true, s.statusBarVisible},
        {cmd::DisplayHiddenShots, V, s.hiddenShotsShown},
        {cmd::DisplayAllTraces, V, s.allTraces},
        view(cmd::ViewInfo, V && !P),
        view(cmd::ViewTrace, V && !P),
        view(cmd::ViewDistance, T > 0 && !P),
        view(cmd::ViewCoordination, modelOrMatch),
        view(cmd::ViewSpeed, modelOrMatch),
        view(cmd::ViewShift, modelOrMatch && !B),
        view(cmd::ViewIntervals, Mt > 0 && !P && s.shotTimesAscending),
        view(cmd::ViewProbability, Mt > 0 && !P && !B),
        {cmd::FullScreen, true, s.fullScreen},
        {cmd::ResetHardware, D, false},
        {cmd::ShotsParameters, V, false},
        // The user's guide ships with the program, so both always open it.
        {cmd::Help, true, false},
        {cmd::WebPage, true, false},
        {cmd::Sound, true, !s.soundEnabled},
    };
    positionRule(s, B, out);
    for (const LanguageCommand& language : LanguageMenu()) {
        out.push_back({language.id, !s.uiLocked, IsLanguageChecked(language.locale, s.uiLocale)});
    }
    return out;
}

std::vector<ButtonVisibility> ComputeHiddenButtons(const FrameSnapshot& s)
{
    const bool D = s.device;
    const bool B = s.documentValid && s.eventCode == kBiathlonEventCode;
    const bool R = s.documentValid && IsRangeEvent(s.eventCode);
    const bool Q = D && s.imageSensor;
    const bool notExpert = !s.advancedMode;
    return {
        {cmd::StartPractice, D},
        {cmd::OpenModel, notExpert},
        {cmd::StopPractice, !D},
        {cmd::Continue, !D || !R || Q},
        {cmd::AdjustSensor, !(D && (!R || Q))},
        {cmd::Match, !D || s.matchMode || (R && !Q)},
        {cmd::Series, B || notExpert},
        {cmd::ShotsParameters, notExpert},
        {cmd::ViewInfo, false},
        {cmd::ViewTrace, false},
        {cmd::ViewDistance, false},
        {cmd::ViewCoordination, notExpert},
        {cmd::ViewSpeed, notExpert},
        {cmd::ViewIntervals, notExpert},
        {cmd::ViewShift, notExpert || B},
        {cmd::ViewProbability, notExpert || B},
        {cmd::DisplayAllTraces, notExpert},
        {cmd::DisplaySightings, notExpert},
    };
}

bool IsSeriesPaneToolbarHidden(const FrameSnapshot& s)
{
    return !s.advancedMode || !s.documentValid;
}

} // namespace talvodesk
