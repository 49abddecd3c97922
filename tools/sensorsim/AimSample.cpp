#include "tools/sensorsim/AimSample.h"

#include <algorithm>
#include <cmath>

namespace sensorsim {
namespace {

constexpr double kRestSeconds = 0.5;
constexpr double kFollowThroughSeconds = 0.4;
constexpr double kLoweredSeconds = 0.5;
// A biathlon practice keeps an aiming open 5 s after its shot while the sensor sees no target, so a rifle raised
// again within that time goes on aiming in the same aiming: the biathlon hold stays down past it.
constexpr double kBiathlonLoweredSeconds = 5.0;
constexpr int kJoltSamples = 3;
constexpr double kPulseHertz = 1.2;
constexpr double kPulseCycle = 2.5;

// A small linear congruential generator: the same wobble on every machine.
class Wobble {
public:
    explicit Wobble(unsigned seed) : m_state(seed) {}
    double next()
    {
        m_state = m_state * 1103515245u + 12345u;
        return static_cast<double>((m_state >> 16) & 0x7FFF) / 16384.0 - 1.0; // -1..1
    }

private:
    unsigned m_state;
};

struct Scale {
    double position; // units per "millimetre" of the hold's path
    int level;       // steady signal
    int jolt;        // piezo at the shot
    int minimum;     // the records' coordinate range
    int maximum;
};

Scale scaleFor(SensorKind kind)
{
    // Pavane: sensor units near the centre; Biathlon: tenths of a millimetre on a 250 mm plate pitch.
    return kind == SensorKind::Biathlon ? Scale{10.0, 120, 400, -32768, 32767} : Scale{1.0, 180, 400, -512, 511};
}

/// The shooter of practiceHolds, in the hold's millimetres: a Pavane unit is about 0.05 mm of a 10 m face, a
/// biathlon one a millimetre of the plate.
struct Shooter {
    double step;   // how far the settled aim may move from one shot to the next (about 3 mm)
    double wide;   // the extra pull of a wide shot (about 8 mm)
    double missed; // off the face altogether (the Pavane sensor's range ends at 511)
};

Shooter shooterFor(SensorKind kind)
{
    return kind == SensorKind::Biathlon ? Shooter{3.0, 10.0, 70.0} : Shooter{60.0, 160.0, 480.0};
}

constexpr double kWalkPull = 0.7; // the part of the last offset a shooter keeps: corrections pull back
constexpr double kWideEvery = 8;  // shots, on average
constexpr double kMissedEvery = 20;

} // namespace

std::size_t shotIndex(const HoldParameters& parameters)
{
    const double rate = parameters.sampleRate;
    return static_cast<std::size_t>(std::lround((kRestSeconds + parameters.shotAfterSeconds) * rate));
}

std::vector<AimSample> holdWithShot(SensorKind kind, const HoldParameters& parameters)
{
    const double rate = parameters.sampleRate;
    const Scale scale = scaleFor(kind);
    const auto rest = static_cast<std::size_t>(std::lround(kRestSeconds * rate));
    const std::size_t shot = shotIndex(parameters);
    const std::size_t release = shot + static_cast<std::size_t>(std::lround(kFollowThroughSeconds * rate));
    // Lowered long enough to end on a whole number of pulse cycles (three beats at 72 a minute take 2.5 s), so a
    // looping script keeps a regular pulse.
    const double lowered =
        (kind == SensorKind::Biathlon ? kBiathlonLoweredSeconds : kLoweredSeconds) + parameters.extraLoweredSeconds;
    const double seconds = static_cast<double>(release) / rate + lowered;
    const std::size_t end =
        static_cast<std::size_t>(std::lround(std::ceil(seconds / kPulseCycle) * kPulseCycle * rate));
    Wobble wobble(parameters.seed);
    std::vector<AimSample> script(end);
    for (std::size_t i = 0; i < end; ++i) {
        AimSample& sample = script[i];
        sample.pulse = 512 + static_cast<int>(300 * std::sin(2 * M_PI * kPulseHertz * static_cast<double>(i) / rate));
        sample.trigger = 100; // resting finger
        if (i < rest || i >= release) {
            continue; // resting or lowered: no light
        }
        const double t = static_cast<double>(i - rest) / rate;
        // Comes down from above right onto the centre and settles in a shrinking figure.
        const double settle = std::exp(-1.5 * t);
        double x = parameters.aimX + 60.0 * settle * std::cos(3.0 * t) + 4.0 * wobble.next();
        double y = parameters.aimY - 80.0 * settle * std::cos(2.3 * t) + 4.0 * wobble.next();
        if (i >= shot) {
            y -= 25.0 * (1.0 - std::exp(-10.0 * static_cast<double>(i - shot) / rate)); // recoil lifts the muzzle
        }
        sample.x = std::clamp(static_cast<int>(std::lround(x * scale.position)), scale.minimum, scale.maximum);
        sample.y = std::clamp(static_cast<int>(std::lround(y * scale.position)), scale.minimum, scale.maximum);
        sample.level = scale.level + static_cast<int>(std::lround(5.0 * wobble.next()));
        if (i < shot && i + static_cast<std::size_t>(rate / 2) >= shot) {
            sample.trigger = 600; // taking up the trigger
        }
        if (i >= shot && i < shot + kJoltSamples) {
            sample.piezo = scale.jolt;
        }
    }
    return script;
}

std::vector<HoldParameters> practiceHolds(SensorKind kind, const PracticeParameters& parameters)
{
    const Shooter shooter = shooterFor(kind);
    Wobble draw(parameters.seed);
    const auto uniform = [&draw](double low, double high) { return low + (draw.next() + 1.0) / 2.0 * (high - low); };
    std::vector<HoldParameters> holds;
    double x = 0;
    double y = 0;
    for (int shot = 0; shot < parameters.shots; ++shot) {
        x = kWalkPull * x + shooter.step * draw.next();
        y = kWalkPull * y + shooter.step * draw.next();
        HoldParameters hold;
        hold.sampleRate = parameters.sampleRate;
        hold.shotAfterSeconds = uniform(2.5, 6.0);
        hold.extraLoweredSeconds = uniform(1.0, 4.0);
        hold.seed = parameters.seed * 7919u + static_cast<unsigned>(shot) + 1u;
        hold.aimX = x;
        hold.aimY = y;
        if (uniform(0, kMissedEvery) < 1) {
            hold.aimX += shooter.missed;
        } else if (uniform(0, kWideEvery) < 1) {
            const double angle = uniform(0, 2 * M_PI);
            hold.aimX += shooter.wide * std::cos(angle);
            hold.aimY += shooter.wide * std::sin(angle);
        }
        holds.push_back(hold);
    }
    return holds;
}

std::vector<AimSample> practiceScript(SensorKind kind, const PracticeParameters& parameters)
{
    std::vector<AimSample> script;
    for (const HoldParameters& hold : practiceHolds(kind, parameters)) {
        const std::vector<AimSample> samples = holdWithShot(kind, hold);
        script.insert(script.end(), samples.begin(), samples.end());
    }
    return script;
}

} // namespace sensorsim
