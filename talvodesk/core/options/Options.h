#pragma once

#include "platform/com/Result.h"
#include "platform/com/Types.h"

#include <array>
#include <cstdint>
#include <vector>

namespace platform::registry {
class Key;
}

namespace talvodesk {

/// An extra coloured interval of the trace, in seconds relative to the shot.
struct TraceInterval {
    COLORREF color = 0;
    float begin = 0;
    float end = 0;

    friend bool operator==(const TraceInterval&, const TraceInterval&) = default;
};

// What COptions::Assign reports as changed, so the frame refreshes only that.
inline constexpr std::uint32_t kOptionsChangedTraceTimes = 0x01;
inline constexpr std::uint32_t kOptionsChangedPrint = 0x02;
inline constexpr std::uint32_t kOptionsChangedShotList = 0x04;
inline constexpr std::uint32_t kOptionsChangedReplaySpeed = 0x08;
inline constexpr std::uint32_t kOptionsChangedColors = 0x10;
inline constexpr std::uint32_t kOptionsChangedTraceDisplay = 0x20;
inline constexpr std::uint32_t kOptionsChangedSound = 0x40;
inline constexpr std::uint32_t kOptionsChangedBlindGenFrequencies = 0x80;
inline constexpr std::uint32_t kOptionsChangedFiringPoint = 0x100;

/// The program options of the settings root's subkey "Options". Every switch is a u32 that is 0 or 1 (loading
/// enforces no range); colours are COLORREF 0x00BBGGRR. Owner thread only (the user-interface thread).
class COptions {
public:
    COptions() = default;

    /// Opens (does not create) "Options" and takes each value that exists as a REG_DWORD of 4 bytes and
    /// "TraceColors" as a REG_BINARY of at least 32 bytes; every other field keeps its value. kErrorFileNotFound
    /// when "Options" is missing, kErrorBadHive for a damaged settings file (which is left as it is).
    platform::Status Load(const platform::registry::Key& root);
    /// Creates or opens "Options" and writes every value in one change of the settings file. Fails when the
    /// subkey cannot be created or the file not written; a damaged settings file is never overwritten.
    platform::Status Save(const platform::registry::Key& root) const;

    /// Takes every value of the edited copy and returns the kOptionsChanged* flags of what differed. Some
    /// values (ReplayAllPause, the automatic replay and saving, PiezoRejectInterval...) set no flag.
    std::uint32_t Assign(const COptions& edited);

    friend bool operator==(const COptions&, const COptions&) = default;

    std::uint32_t replayAllPause = 1;
    std::uint32_t replaySpeed = 100;
    std::uint32_t targetResult = 1;
    std::uint32_t targetLen = 0;
    std::uint32_t targetSmoothZoom = 1;
    std::uint32_t advancedMode = 1;
    std::uint32_t showControlInterval2 = 1;
    std::uint32_t forceReplay = 0;
    std::uint32_t soundEnabled = 1;
    std::uint32_t blindGen = 0;
    /// Hertz of the blind-shooter tone for result zones 0..10.
    std::array<std::uint32_t, 11> blindGenFrequency{0, 200, 400, 600, 800, 1000, 1200, 1400, 1600, 1800, 2000};
    std::uint32_t enableRS232 = 0;
    std::uint32_t firingPoint = 1;
    std::uint32_t autoReplay = 1;
    std::uint32_t autoSwitchToTrace = 1;
    std::uint32_t enableAutoSaveAfterShot = 0;
    std::uint32_t displayTimeCounter = 1;
    std::uint32_t autoReplaySec = 1;
    std::uint32_t saveSecBeforeShot = 5;
    std::uint32_t saveSecAfterShot = 1;
    std::uint32_t autoSaveAfterShot = 10;
    /// Seconds. Stored whole as "PiezoRejectInterval" for older readers and exactly, in milliseconds, as
    /// "PiezoRejectIntervalMs", which loading prefers.
    float piezoRejectInterval = 1.0F;
    std::uint32_t printAllShots = 1;
    std::uint32_t printGenInfo = 1;
    std::uint32_t printSeries = 1;
    std::uint32_t printCoordination = 1;
    std::uint32_t printShift = 1;
    std::uint32_t printSpeed = 1;
    std::uint32_t printIntervals = 1;
    std::uint32_t printProbability = 1;
    std::uint32_t shotListIndex = 1;
    std::uint32_t shotListResult = 1;
    std::uint32_t shotListTraceSpeed = 1;
    std::uint32_t shotListTraceSpeed250 = 1;
    std::uint32_t shotListAimingTime = 1;
    std::uint32_t shotListSteadiness6 = 0;
    std::uint32_t shotListSteadiness9 = 0;
    std::uint32_t shotListSteadiness10center = 1;
    std::uint32_t shotListSteadiness10p5center = 0;
    std::uint32_t shotListSteadiness10 = 1;
    std::uint32_t shotListSteadiness10p5 = 0;
    std::uint32_t shotListBreachFromAAP = 1;
    // Kept together in "TraceColors".
    std::uint32_t traceHeading = 1;
    float traceHeadingLength = 0.1F;
    COLORREF traceColorBeforeShot = 0x00FF00;
    COLORREF traceColorAfterShot = 0x0000FF;
    COLORREF headingColor = 0x0000FF;
    COLORREF controlIntervalColor = 0x00FFFF;
    std::vector<TraceInterval> additionalIntervals{{0xFF0000, -0.2F, 0.0F}};
    COLORREF breachColor = 0xFFFFFF;
    COLORREF selectedBreachColor = 0xFF00FF;
};

} // namespace talvodesk
