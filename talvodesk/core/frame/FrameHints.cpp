#include "talvodesk/core/frame/FrameHints.h"

#include "talvodesk/core/options/Options.h"

namespace talvodesk {

namespace {

constexpr std::chrono::milliseconds kStatusPeriod{500};
constexpr std::chrono::milliseconds kAfterShotPeriod{1000};
constexpr std::chrono::milliseconds kSpeakPeriod{500};

std::chrono::milliseconds seconds(std::uint32_t value)
{
    return std::chrono::milliseconds(std::int64_t{value} * 1000);
}

} // namespace

void FrameHintReactions::startAutoReplay()
{
    if (m_options.autoReplaySec >= 1) {
        m_timers.start(FrameTimers::kAutoReplay, seconds(m_options.autoReplaySec));
        return;
    }
    flags.autoReplayPending = false;
    m_actions.startReplay();
}

void FrameHintReactions::onUpdate(std::uint32_t hint, const HintPayload& payload)
{
    switch (hint) {
    case 0: // reset
    case 1: // language
    case 3: // saved
    case 6: // shooter name
    case 7: // comments
        if (hint <= 1) {
            flags.replayAll = false;
            flags.oneSecondAfterShot = false;
        }
        m_actions.refreshStatus();
        m_actions.refreshCommandStates();
        if (hint == 0) {
            m_actions.applyExpertVisibility();
        }
        if (hint != 3) {
            m_actions.refreshPrintPreview();
        }
        break;
    case 4: // current shot
        flags.replayAll = false;
        flags.autoReplayPending = false;
        break;
    case 9: // shot parameters
        m_actions.refreshPrintPreview();
        break;
    case 10: // aiming started
        flags.aimingOpen = true;
        flags.replayAll = false;
        flags.autoReplayPending = false;
        flags.oneSecondAfterShot = false;
        if (m_options.autoSwitchToTrace != 0) {
            m_actions.switchToView(cmd::ViewTrace);
        }
        m_actions.refreshCommandStates();
        break;
    case 12: { // shot added
        const auto* added = payload.get<ShotAddedHint>();
        flags.shotToSpeak = platform::com::ComPtr<IShot>(added ? added->shot : nullptr);
        if (flags.shotToSpeak) {
            m_timers.start(FrameTimers::kSpeakResult, kSpeakPeriod);
        }
        m_actions.playSound(u"Shot");
        flags.replayAll = false;
        m_timers.start(FrameTimers::kAfterShot, kAfterShotPeriod);
        m_actions.refreshStatus();
        m_actions.refreshCommandStates();
        m_actions.refreshPrintPreview();
        break;
    }
    case 13: // aiming concluded
        if (m_options.forceReplay != 0 && flags.autoReplayPending) {
            m_actions.releaseOpenAiming();
            startAutoReplay();
        }
        break;
    case 14:                      // the device's final conclusion
        flags.aimingOpen = false; // before the replay, which an open aiming refuses
        if (m_options.forceReplay == 0 && flags.autoReplayPending) {
            startAutoReplay();
        }
        break;
    case 15: // replay veto query
        if (const auto* query = payload.get<AnswerHint>(); query && query->answer && flags.aimingOpen) {
            *query->answer = true;
        }
        break;
    case 16: // replay starts
        m_actions.switchToView(cmd::ViewTrace);
        break;
    case 17: // replay ended
        if (flags.replayAll) {
            m_timers.start(FrameTimers::kReplayAllPause, seconds(m_options.replayAllPause));
        }
        m_actions.refreshCommandStates();
        break;
    case 19: // trace dragged
        flags.replayAll = false;
        flags.autoReplayPending = false;
        if (const auto* offset = payload.get<TraceOffsetHint>()) {
            m_actions.addSensorCorrection(offset->dx, offset->dy);
        }
        break;
    default:
        break;
    }
}

void FrameHintReactions::onTimer(int id, std::chrono::milliseconds now)
{
    switch (id) {
    case FrameTimers::kCommandState:
        m_actions.refreshCommandStates();
        if (now - m_lastStatusMark >= kStatusPeriod) {
            m_lastStatusMark = now;
            m_actions.refreshStatus();
        }
        break;
    case FrameTimers::kReplayAllPause:
        m_timers.kill(id);
        if (flags.replayAll) {
            m_actions.replayNextShot();
        }
        break;
    case FrameTimers::kAfterShot:
        m_timers.kill(id);
        flags.oneSecondAfterShot = true;
        m_actions.refreshCommandStates();
        break;
    case FrameTimers::kAutoReplay:
        m_timers.kill(id);
        if (flags.autoReplayPending) {
            flags.autoReplayPending = false;
            m_actions.startReplay();
        }
        break;
    case FrameTimers::kSpeakResult:
        m_timers.kill(id);
        if (flags.shotToSpeak) {
            m_actions.speakResult(flags.shotToSpeak.get());
            flags.shotToSpeak = {};
        }
        break;
    default:
        break;
    }
}

} // namespace talvodesk
