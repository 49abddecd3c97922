// Writes the sounds the program makes itself, rather than speaks: the shot's report and the two beeps of the rapid
// fire events. Usage: soundgen <folder>
#include "platform/sound/WaveDiskFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <vector>

namespace {

using platform::sound::CWaveDiskFile;

constexpr double kRate = 22050;
constexpr double kFullScale = 32767;

/// Samples of `seconds` from `wave` (time in seconds, -1..1), clipped to 16 bits.
std::vector<std::int16_t> render(double seconds, const std::function<double(double)>& wave)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double value = std::clamp(wave(static_cast<double>(i) / kRate), -1.0, 1.0);
        samples[i] = static_cast<std::int16_t>(std::lround(value * kFullScale));
    }
    return samples;
}

/// The report: a burst of noise, made dull by a one-pole low-pass, that dies within a few tenths of a second,
/// over a short low thump. Seeded, so every build writes the same file.
std::vector<std::int16_t> shot()
{
    std::uint32_t seed = 0x2545F491U;
    double lowPassed = 0;
    return render(0.45, [&](double t) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        const double noise = static_cast<double>(seed) / 2147483648.0 - 1.0;
        lowPassed += 0.35 * (noise - lowPassed);
        const double crack = lowPassed * std::exp(-t / 0.045);
        const double thump = std::sin(2 * std::numbers::pi * 70 * t) * std::exp(-t / 0.08);
        return 1.3 * crack + 0.45 * thump;
    });
}

/// A clean tone with 5 ms ramps, so it starts and ends without a click.
std::vector<std::int16_t> beep(double hertz, double seconds)
{
    return render(seconds, [=](double t) {
        const double ramp = std::min({1.0, t / 0.005, (seconds - t) / 0.005});
        return 0.7 * ramp * std::sin(2 * std::numbers::pi * hertz * t);
    });
}

bool write(const std::filesystem::path& path, const std::vector<std::int16_t>& samples)
{
    const auto format = platform::sound::pcmFormat(1, static_cast<DWORD>(kRate), 16);
    CWaveDiskFile file;
    DWORD written = 0;
    const auto bytes = static_cast<DWORD>(samples.size() * sizeof(std::int16_t));
    return SUCCEEDED(file.Open(path, &format, platform::sound::WaveOpenMode::Write)) &&
           SUCCEEDED(file.Write(reinterpret_cast<const std::uint8_t*>(samples.data()), bytes, &written)) &&
           SUCCEEDED(file.Close());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundgen <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const struct {
        const char* name;
        std::vector<std::int16_t> samples;
    } sounds[] = {{"Shot", shot()}, {"beep-start", beep(1000, 0.5)}, {"beep-stop", beep(750, 0.5)}};
    for (const auto& sound : sounds) {
        const auto path = folder / (std::string(sound.name) + ".wav");
        if (!write(path, sound.samples)) {
            std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
