#pragma once

#include "tools/sensorsim/AimSample.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sensorsim {

/// How one sensor model talks: its identification, speeds, packets and the commands it takes.
struct SensorProfile {
    int modelCode = 0;
    SensorKind kind = SensorKind::Pavane;
    std::string modelName;
    std::uint32_t initialBaud = 0;
    std::array<std::uint32_t, 4> rateBauds{}; ///< The speed each rate code of command 2 switches to.
    int sequenceModulus = 256;
    int fixedSampleRate = 0;                      ///< The Biathlon's; 0 when command 16 sets the rate.
    std::map<std::uint8_t, int> commandArguments; ///< Command code: argument bytes before the checksum.

    /// The plug-and-play answer: "(", revision, "TLV", product id, the fields, checksum digits, ")".
    std::string pnpAnswer(const std::string& serialNumber) const;
    std::vector<std::uint8_t> encode(const AimSample& sample, std::uint8_t sequence) const;
};

/// The profile of model 300, 302, 303, 306 or 307; nothing for another code.
std::optional<SensorProfile> profileFor(int modelCode);

} // namespace sensorsim
