#pragma once

#include <cstdint>
#include <vector>

namespace sensorsim {

/// What the sensor sees at one sample. Pavane family: x and y in sensor units around the centre (-512..511), level
/// 0..511 (0: no light), piezo 0..1020. Biathlon: the aim point on the plate in tenths of a millimetre (x right, y
/// down as the records carry it), level the light spots' size (below 32: no target in sight), piezo 0..1023.
struct AimSample {
    int x = 0;
    int y = 0;
    int level = 0;
    int piezo = 0;
    int pulse = 0;   ///< Model 306: the pulse sensor, 0..1023.
    int trigger = 0; ///< Model 306: the trigger sensor, 0..1023.
    friend bool operator==(const AimSample&, const AimSample&) = default;
};

enum class SensorKind : std::uint8_t { Pavane, Model306, Biathlon };

/// A shooter's hold with one shot at `sampleRate`: the weapon rests, rises onto the target, settles with a
/// shrinking wobble, fires (a piezo jolt and a recoil jump), follows through for 0.4 s and is lowered for at least
/// 0.5 s (a biathlon hold: 5 s, longer than the aiming after its shot lasts in a biathlon practice). The wobble is
/// pseudo-random from `seed`, so a script is repeatable. The shot comes `shotAfterSeconds` after the rise. Throughout,
/// a pulse of 72 a minute; the trigger reads 100, and 600 while it is taken up in the half second before the shot.
/// The hold settles on (aimX, aimY) from the centre, in the hold's millimetres (sensor units for the Pavane family,
/// millimetres on the plate for the biathlon sensor), and stays lowered `extraLoweredSeconds` longer.
struct HoldParameters {
    int sampleRate = 200;
    double shotAfterSeconds = 2.0;
    unsigned seed = 1;
    double aimX = 0;
    double aimY = 0;
    double extraLoweredSeconds = 0;
};
std::vector<AimSample> holdWithShot(SensorKind kind, const HoldParameters& parameters);

/// The index of the first sample of the shot's jolt in holdWithShot's script.
std::size_t shotIndex(const HoldParameters& parameters);

/// A practice of `shots` holds by one shooter. The point each hold settles on walks from shot to shot (a seeded
/// random walk drawn back towards the centre), about one shot in eight goes wide and one in twenty misses the face;
/// the time from the rise to the shot (2.5 to 6 s) and the pause after it (1 to 4 s more) vary as a shooter's do.
/// The same seed gives the same practice on every machine.
struct PracticeParameters {
    int sampleRate = 200;
    int shots = 20;
    unsigned seed = 1;
};
std::vector<HoldParameters> practiceHolds(SensorKind kind, const PracticeParameters& parameters);
/// The scripts of the holds one after the other.
std::vector<AimSample> practiceScript(SensorKind kind, const PracticeParameters& parameters);

} // namespace sensorsim
