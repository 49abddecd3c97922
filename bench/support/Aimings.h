#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComPtr.h"

#include <filesystem>

namespace bench {

/// One of the shipped shooting events from the process's event manager; null when the event files are missing.
platform::com::ComPtr<IEventParams> shippedEvent(const char* shortName);

/// How an aiming of the benchmarks is recorded: a wandering hold at 200 Hz with one shot.
struct AimingShape {
    int samplesBeforeShot = 1000;
    int samplesAfterShot = 200;
    /// Where the hold is centred, in hundredths of a millimetre, so breaches spread over the face.
    long centreX = 0;
    long centreY = 0;
    /// The most a sample strays from the smooth hold, in hundredths of a millimetre, drawn anew for every sample
    /// as a held rifle's sensor gives it; 0 for a smooth hold.
    int jitter = 0;
};

/// The jitter of a held rifle as a sensor reports it: a few hundredths of a millimetre on every sample.
inline constexpr int kHeldRifleJitter = 3;

/// A concluded (read-only) aiming of `event` recorded as the device link records one; null when it cannot be made.
platform::com::ComPtr<IAiming> recordedAiming(IEventParams* event, const AimingShape& shape, unsigned seed);

/// How the aimings of a saved practice are held: 3.5 s each, smooth, unless told otherwise.
inline constexpr AimingShape kShortHold{600, 100};
/// A real practice's aimings: 6 s each, jittered as a held rifle's sensor reports them.
inline constexpr AimingShape kRealHold{1000, 200, 0, 0, kHeldRifleJitter};

/// Saves a practice of `event` with `shots` recorded match aimings of one shot each, held as `hold` says (its
/// centre aside), spread over the face and 30 s apart; fails the program when it cannot.
void writeRecordedPractice(const std::filesystem::path& path, IEventParams* event, int shots, unsigned seed,
                           const AimingShape& hold = kShortHold);

/// Aborts the benchmark program with a message: a set-up that fails gives no figure worth printing.
[[noreturn]] void fail(const char* what);

} // namespace bench
