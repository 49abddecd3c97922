#pragma once

namespace talvodesk {

/// The numbered update hints every view switches on. The numbers are a contract: never renumber. A hint listed
/// without a payload (HintPayload.h) carries none.
enum DocumentHint : int {
    HintReset = 0,
    HintLanguage = 1,
    HintModel = 2,
    HintSaved = 3,
    HintCurrentShot = 4,
    HintShowSightings = 5,
    HintShooterName = 6,
    HintComments = 7,
    HintPosition = 8,
    HintShotParameters = 9,
    /// AimingHint.
    HintStartAiming = 10,
    /// AimingHint.
    HintNewCoordinates = 11,
    /// ShotAddedHint.
    HintShotAdded = 12,
    /// AimingHint.
    HintConcludeAiming = 13,
    HintFinalConcludeAiming = 14,
    /// AnswerHint: a view that must not let a replay start sets it.
    HintReplayQuery = 15,
    HintReplayStart = 16,
    HintReplayEnd = 17,
    /// ReplayPauseHint: paused or resumed.
    HintReplayPause = 18,
    /// TraceOffsetHint.
    HintTraceOffset = 19,
    HintPulse = 20,
    HintPracticeStart = 21,
    HintMatch = 22,
    HintPracticeStop = 23,
    /// TriggerHint.
    HintTrigger = 24,
    /// AnswerHint: a view that still replays sets it.
    HintReplayRunning = 25,
    /// PositionHint.
    HintPositionSet = 26,
    /// HeartBeatHint.
    HintHeartBeat = 27,
    HintExpertMode = 28,
};

} // namespace talvodesk
