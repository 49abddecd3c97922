#include "tools/sensorsim/PacketEncoder.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sensorsim {
namespace {

int clamp(int value, int low, int high)
{
    return std::clamp(value, low, high);
}

// Bytes 0 to 5 of both Pavane forms: x, y (10 bits around 512), twice the level (10 bits), piezo / 4 (8 bits) and
// three sequence bits in byte 5.
std::vector<std::uint8_t> spotBytes(const AimSample& sample, std::size_t length, int sequenceLow)
{
    const int x = clamp(sample.x + 512, 0, 1023);
    const int y = clamp(sample.y + 512, 0, 1023);
    const int level = clamp(sample.level, 0, 511) * 2;
    const int piezo = clamp(sample.piezo, 0, 1020) / 4;
    std::vector<std::uint8_t> p(length);
    p[0] = static_cast<std::uint8_t>(0x80 | (x & 0x7F));
    p[1] = static_cast<std::uint8_t>(((x >> 7) & 0x07) | ((y & 0x0F) << 3));
    p[2] = static_cast<std::uint8_t>((y >> 4) & 0x3F);
    p[3] = static_cast<std::uint8_t>(level & 0x7F);
    p[4] = static_cast<std::uint8_t>(((level >> 7) & 0x07) | ((piezo & 0x0F) << 3));
    p[5] = static_cast<std::uint8_t>(((piezo >> 4) & 0x0F) | ((sequenceLow & 0x07) << 4));
    return p;
}

} // namespace

std::vector<std::uint8_t> encodePavane(const AimSample& sample, std::uint8_t sequence)
{
    std::vector<std::uint8_t> p = spotBytes(sample, 8, sequence);
    p[6] = static_cast<std::uint8_t>((sequence >> 3) & 0x1F);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        sum += p[i];
    }
    const unsigned check = sum & 0xFF; // bit 0 in byte 6's bit 6, the rest in byte 7
    p[6] = static_cast<std::uint8_t>(p[6] | ((check & 1) << 6));
    p[7] = static_cast<std::uint8_t>(check >> 1);
    return p;
}

std::vector<std::uint8_t> encode306(const AimSample& sample, std::uint8_t sequence)
{
    std::vector<std::uint8_t> p = spotBytes(sample, 10, sequence);
    const int trigger = clamp(sample.trigger, 0, 1023);
    const int pulse = clamp(sample.pulse, 0, 1023);
    p[6] = static_cast<std::uint8_t>(((sequence >> 3) & 1) | ((trigger & 3) << 5));
    p[7] = static_cast<std::uint8_t>((trigger >> 2) & 0x7F);
    p[8] = static_cast<std::uint8_t>(((trigger >> 9) & 1) | ((pulse & 0x3F) << 1));
    p[9] = static_cast<std::uint8_t>((pulse >> 6) & 0x0F);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 10; ++i) {
        sum += p[i]; // byte 6 holds no check bits yet
    }
    const unsigned nibble = ((sum >> 4) ^ sum) & 0x0F;
    p[6] = static_cast<std::uint8_t>(p[6] | (nibble << 1));
    return p;
}

std::vector<std::uint8_t> encodeBiathlon(const AimSample& sample, std::uint8_t sequence)
{
    constexpr int kTargets = 5;
    constexpr double kSpacing = 250.0;
    const int size = clamp(sample.level, 0, 1023);
    const double aimX = sample.x / 10.0;
    const double aimY = -sample.y / 10.0;
    std::array<int, 18> values{};
    for (int k = 0; k < kTargets; ++k) {
        const double r = 1024.0 / (0.5 * size + 100.0);
        const double a = ((k - 2) * kSpacing - aimX) / r;
        const double b = aimY / r;
        values[static_cast<std::size_t>(3 * k)] = clamp(static_cast<int>(std::lround((a - b) / 2.0)) + 512, 0, 1023);
        values[static_cast<std::size_t>(3 * k + 1)] =
            clamp(static_cast<int>(std::lround((a + b) / 2.0)) + 512, 0, 1023);
        values[static_cast<std::size_t>(3 * k + 2)] = size;
    }
    values[15] = clamp(sample.piezo, 0, 1023);
    values[16] = clamp(sample.pulse, 0, 1023);
    values[17] = clamp(sample.trigger, 0, 1023);

    std::vector<std::uint8_t> p(28);
    for (std::size_t index = 0; index < values.size(); ++index) {
        for (int bit = 0; bit < 10; ++bit) {
            const std::size_t position = index * 10 + static_cast<std::size_t>(bit);
            p[position / 7] =
                static_cast<std::uint8_t>(p[position / 7] | (((values[index] >> bit) & 1) << (position % 7)));
        }
    }
    p[0] |= 0x80;
    p[26] = static_cast<std::uint8_t>(p[26] | ((sequence & 0x1F) << 2));
    unsigned sum = 0;
    for (std::size_t i = 0; i < 27; ++i) {
        sum += p[i];
    }
    p[27] = static_cast<std::uint8_t>(~sum & 0x7F);
    return p;
}

} // namespace sensorsim
