#pragma once

namespace talvodesk {

/// The numbered update hints every view switches on. The numbers are a contract: never renumber. Unlisted arguments
/// are 0; a pointer argument points at a value of the sender, valid only during the update call.
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
    /// p1 the aiming.
    HintStartAiming = 10,
    /// p1 the aiming.
    HintNewCoordinates = 11,
    /// p1 the aiming, p2 the shot, p3 1 when the group's other shots were re-centred.
    HintShotAdded = 12,
    /// p1 the aiming.
    HintConcludeAiming = 13,
    HintFinalConcludeAiming = 14,
    /// p1 points to a bool, false on entry; a view that must not let a replay start sets it.
    HintReplayQuery = 15,
    HintReplayStart = 16,
    HintReplayEnd = 17,
    /// p1 points to a bool: true paused, false resumed.
    HintReplayPause = 18,
    /// p1, p2 point to the float offsets dx, dy in millimetres.
    HintTraceOffset = 19,
    HintPulse = 20,
    HintPracticeStart = 21,
    HintMatch = 22,
    HintPracticeStop = 23,
    /// p1 the LONG samples, p2 their count.
    HintTrigger = 24,
    /// p1 points to a bool, false on entry; a view that still replays sets it.
    HintReplayRunning = 25,
    /// p1 points to the sub-target (2 prone, 1 standing).
    HintPositionSet = 26,
    /// p1, p2 point to the beat's earliest and latest time (DATE).
    HintHeartBeat = 27,
    HintExpertMode = 28,
};

} // namespace talvodesk
