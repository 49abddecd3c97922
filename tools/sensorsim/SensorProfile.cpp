#include "tools/sensorsim/SensorProfile.h"

#include "tools/sensorsim/PacketEncoder.h"

#include <cstdio>

namespace sensorsim {

std::string SensorProfile::pnpAnswer(const std::string& serialNumber) const
{
    std::string answer = "(01TLV" + std::to_string(modelCode) + "\\" + serialNumber + "\\SENSOR\\TLV" +
                         std::to_string(modelCode) + "\\" + modelName;
    unsigned sum = ')';
    for (char c : answer) {
        sum += static_cast<unsigned char>(c);
    }
    char digits[3] = {};
    std::snprintf(digits, sizeof digits, "%02X", sum & 0xFF);
    return answer + digits + ")";
}

std::vector<std::uint8_t> SensorProfile::encode(const AimSample& sample, std::uint8_t sequence) const
{
    switch (kind) {
    case SensorKind::Pavane:
        return encodePavane(sample, sequence);
    case SensorKind::Model306:
        return encode306(sample, sequence);
    case SensorKind::Biathlon:
        return encodeBiathlon(sample, sequence);
    }
    return {};
}

std::optional<SensorProfile> profileFor(int modelCode)
{
    // Range 1, rate 2, period 16, start and stop 13.
    const std::map<std::uint8_t, int> pavane = {{1, 1}, {2, 1}, {16, 2}, {13, 3}};
    SensorProfile profile;
    profile.modelCode = modelCode;
    profile.commandArguments = pavane;
    profile.initialBaud = 19200;
    profile.rateBauds = {9600, 19200, 38400, 57600};
    switch (modelCode) {
    case 300:
        profile.modelName = "TALVO PAVANE";
        return profile;
    case 302:
        profile.modelName = "TALVO PAVANE I";
        profile.commandArguments[22] = 1; // signal light
        return profile;
    case 303:
        profile.modelName = "TALVO PAVANE S";
        profile.commandArguments[21] = 1;
        return profile;
    case 306:
        profile.kind = SensorKind::Model306;
        profile.modelName = "TALVO 306";
        profile.commandArguments[21] = 1;
        profile.initialBaud = 38400;
        profile.rateBauds = {19200, 38400, 57600, 57600};
        profile.sequenceModulus = 16;
        return profile;
    case 307:
        profile.kind = SensorKind::Biathlon;
        profile.modelName = "TALVO BIATHLON";
        profile.commandArguments = {{8, 3}, {9, 0}, {6, 0}, {5, 1}}; // start, stop, state reset, light a target
        profile.initialBaud = 57600;
        profile.rateBauds = {57600, 57600, 57600, 57600};
        profile.sequenceModulus = 32;
        profile.fixedSampleRate = 100;
        return profile;
    default:
        return std::nullopt;
    }
}

} // namespace sensorsim
