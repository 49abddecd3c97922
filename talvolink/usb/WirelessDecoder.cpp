#include "talvolink/usb/WirelessDecoder.h"

#include "talvolink/usb/Bytes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace talvolink {

namespace {

constexpr std::uint8_t kLengthMask = 0x1F;
constexpr std::uint8_t kStatusBit = 0x20;
constexpr std::uint8_t kInvertedBit = 0x40;
constexpr std::uint8_t kSaturatedBit = 0x80;
constexpr std::size_t kMaxPacket = 31;

// The shortest packets that hold what every packet of their kind must carry.
constexpr std::size_t kSpotPacket = 22;
constexpr std::size_t kSpotPacketWithPhase = 24;
constexpr std::size_t kPositionPacket = 14;
constexpr std::size_t kShortStatus = 6;
constexpr std::size_t kLongStatus = 18;

constexpr double kIntensityDivisor = 12.0;
constexpr double kMinQuadrant = 10.0;
constexpr double kNormalisedSum = 2000.0;
constexpr double kNormaliseAbove = 50.0;
constexpr double kPositionUnit = 50.0;
constexpr double kCodeUnit = 10000.0;
constexpr double kSpacingUnit = 50.0;
constexpr double kLongScaleUnit = 251658240.0; // 15 x 2^24
constexpr double kFilterCutoff = 0.05;
constexpr double kFilterRipple = 0.5;
constexpr int kFilterPoles = 2;

constexpr double kPi = std::numbers::pi;

bool isSpotKind(int kind)
{
    return kind == 0 || kind == 1 || kind == 4;
}

double wrapAngle(double angle)
{
    while (angle > kPi) {
        angle -= 2.0 * kPi;
    }
    while (angle < -kPi) {
        angle += 2.0 * kPi;
    }
    return angle;
}

double phaseOf(std::uint8_t byte)
{
    return (byte & 0x0F) / 16.0;
}

} // namespace

bool IsPositionKind(int kind)
{
    return kind == 2 || kind == 3 || (kind >= 5 && kind <= 8);
}

double BatteryVoltage(std::uint8_t battery, int kind)
{
    double factor = 0.0;
    switch (kind) {
    case 0:
    case 1:
        factor = 1.92 * 2;
        break;
    case 3:
    case 7:
    case 8:
        factor = 2.06 * 2;
        break;
    case 6:
        factor = 2.62 * 2;
        break;
    case 2:
    case 4:
    case 5:
        factor = 2.18 * 3;
        break;
    default:
        return kNoValue;
    }
    return battery * 4.0 / 1023.0 * factor;
}

int BatteryPercent(double voltage, int kind)
{
    if (!std::isfinite(voltage)) {
        return -1;
    }
    double full = 1.55;
    double empty = 1.15;
    if (kind == 1) {
        full = 3.1;
        empty = 2.6;
    } else if (kind == 2 || kind == 4 || kind == 5) {
        full = 4.2;
        empty = 3.3;
    }
    const double percent = std::round(std::max(voltage - empty, 0.0) / (full - empty) * 100.0);
    return static_cast<int>(std::min(percent, 100.0));
}

void WirelessDecoder::reset()
{
    const double spacing = m_spacing;
    *this = WirelessDecoder();
    m_spacing = spacing;
}

WirelessDecoder::WirelessDecoder()
{
    (void)m_scaleFilter.Design(kFilterCutoff, FilterKind::LowPass, kFilterRipple, kFilterPoles); // valid constants
    (void)m_angleFilter.Design(kFilterCutoff, FilterKind::LowPass, kFilterRipple, kFilterPoles);
}

void WirelessDecoder::restartFilters()
{
    m_scaleFilter.restart();
    m_angleFilter.restart();
}

void WirelessDecoder::setBattery(std::uint8_t battery, int kind)
{
    const double voltage = BatteryVoltage(battery, kind);
    if (voltage == m_batteryVoltage || (std::isnan(voltage) && std::isnan(m_batteryVoltage))) {
        return;
    }
    m_batteryVoltage = voltage;
    m_batteryPercent = BatteryPercent(voltage, kind);
}

WirelessSample WirelessDecoder::decode(std::span<const std::uint8_t> packet)
{
    WirelessSample sample;
    const std::size_t n = packet.size();
    if (n < 4 || n > kMaxPacket || (packet[0] & kLengthMask) != n) {
        return sample;
    }
    std::array<std::uint8_t, kMaxPacket> bytes{};
    std::ranges::copy(packet, bytes.begin());
    if ((packet[0] & kInvertedBit) != 0) {
        std::for_each(bytes.begin() + 1, bytes.begin() + static_cast<std::ptrdiff_t>(n),
                      [](std::uint8_t& byte) { byte = static_cast<std::uint8_t>(~byte); });
    }
    const std::span<const std::uint8_t> p(bytes.data(), n);
    sample.kind = p[1];
    sample.ident = bytes::le16(p, 2);
    if (sample.kind != m_lastKind || sample.ident != m_lastIdent) {
        restartFilters();
        m_lastKind = sample.kind;
        m_lastIdent = sample.ident;
    }
    if ((p[0] & kStatusBit) != 0) {
        decodeStatus(p, sample);
    } else if (isSpotKind(sample.kind) && n >= kSpotPacket) {
        decodeSpots(p, sample);
    } else if (IsPositionKind(sample.kind) && n >= kPositionPacket) {
        decodePositions(p, sample);
    }
    return sample;
}

void WirelessDecoder::decodeStatus(std::span<const std::uint8_t> p, WirelessSample& sample)
{
    const int kind = sample.kind;
    const std::size_t n = p.size();
    if (isSpotKind(kind)) {
        if (n < kShortStatus || p[4] > 1) {
            return;
        }
        sample.state = p[4] == 0 ? WirelessSample::State::Status : WirelessSample::State::StatusOn;
        setBattery(p[5], kind);
        return;
    }
    const bool longKind8 = kind == 8 && n == kLongStatus + 1;
    if (!IsPositionKind(kind) || (n != kLongStatus && !longKind8)) {
        return;
    }
    sample.state = WirelessSample::State::StatusOn;
    std::copy_n(p.begin() + 4, sample.statusBytes.size(), sample.statusBytes.begin());
    setBattery(p[15], kind);
    sample.statusByte = p[16];
    if (longKind8) {
        sample.auxiliary = p[18];
    }
}

void WirelessDecoder::decodeSpots(std::span<const std::uint8_t> p, WirelessSample& sample)
{
    sample.state = WirelessSample::State::Sample;
    const int modulus = sample.kind == 4 ? 0x7F : 0xFF;
    sample.counter = p[4];
    if (sample.kind == 4) {
        sample.saturated = (p[4] & kSaturatedBit) != 0;
        sample.counter = p[4] & 0x7F;
    }
    if ((sample.counter & 4) == 0) {
        const unsigned index = sample.counter & 3;
        if ((m_lensMask & (1U << index)) == 0) {
            m_lens |= static_cast<std::uint32_t>(p[5]) << (8 * index);
            m_lensMask |= 1U << index;
            if (lensKnown()) {
                m_lensFactor = m_lens == 0xFFFFFFFF ? kDefaultLensFactor : m_lens / 65536.0;
            }
        }
    } else if ((sample.counter & 7) == 4) {
        setBattery(p[5], sample.kind);
    }
    for (std::size_t i = 0; i < 8; ++i) {
        sample.quadrants[(i % 2) * 4 + i / 2] = bytes::le16(p, 6 + 2 * i) / kIntensityDivisor;
    }
    if (p.size() >= kSpotPacketWithPhase) {
        sample.phase = p[22] / 32.0;
        sample.piezoStatus = p[23];
    }

    const bool continuous = m_lastCounter < 0 || sample.counter == ((m_lastCounter + 1) & modulus);
    m_lastCounter = sample.counter;
    if (!continuous) {
        restartFilters();
    }

    for (int spot = 0; spot < 2; ++spot) {
        const double* q = &sample.quadrants[spot * 4];
        double dx = q[1] + q[0] - q[2] - q[3];
        double dy = q[2] + q[0] - q[1] - q[3];
        const double sum = q[0] + q[1] + q[2] + q[3];
        if (sum > kNormaliseAbove) {
            dx *= kNormalisedSum / sum;
            dy *= kNormalisedSum / sum;
        }
        sample.spotDx[spot] = dx;
        sample.spotDy[spot] = dy;
        sample.spotSum[spot] = sum;
    }
    sample.midX = (sample.spotDx[0] + sample.spotDx[1]) / 2.0;
    sample.midY = (sample.spotDy[0] + sample.spotDy[1]) / 2.0;
    const double ex = sample.spotDx[1] - sample.spotDx[0];
    const double ey = sample.spotDy[1] - sample.spotDy[0];
    sample.distance = std::hypot(ex, ey);
    if (*std::ranges::min_element(sample.quadrants) < kMinQuadrant) {
        return;
    }
    if (!(m_spacing > 0.0) || m_spacing / 4.0 > sample.distance) {
        restartFilters();
        return;
    }
    sample.rawScale = m_spacing / sample.distance;
    // The reference line runs from (0, spacing / 2) down to (0, -spacing / 2).
    sample.rawAngle = wrapAngle(std::atan2(ey, ex) - std::atan2(-m_spacing, 0.0));
    smooth(sample, sample.rawScale, sample.rawAngle);
}

void WirelessDecoder::decodePositions(std::span<const std::uint8_t> p, WirelessSample& sample)
{
    sample.state = WirelessSample::State::Sample;
    sample.saturated = (p[4] & kSaturatedBit) != 0;
    sample.counter = p[4] & 0x7F;
    const std::uint8_t side = p[5];
    switch (sample.counter % 6) {
    case 0:
        m_levelA = side;
        if (sample.counter == 0) {
            setBattery(side, sample.kind);
        }
        break;
    case 1:
        m_levelB = side;
        break;
    case 2:
        m_angleCode = side;
        m_angleLow = true;
        break;
    case 3:
        if (std::exchange(m_angleLow, false)) {
            const auto code = static_cast<std::int16_t>(m_angleCode | side << 8);
            double angle = std::asin(std::clamp(code / kCodeUnit, -1.0, 1.0));
            if ((code & 1) != 0) {
                angle = angle >= 0.0 ? kPi - angle : -kPi - angle;
            }
            m_sideAngle = angle;
        }
        break;
    case 4:
        m_scaleCode = side;
        m_scaleLow = true;
        break;
    default:
        if (std::exchange(m_scaleLow, false)) {
            m_sideScale = m_spacing / kSpacingUnit * static_cast<std::uint16_t>(m_scaleCode | side << 8) / kCodeUnit;
        }
        break;
    }
    for (std::size_t i = 0; i < 2; ++i) {
        sample.positions[i][0] = static_cast<std::int16_t>(bytes::le16(p, 6 + 4 * i)) / kPositionUnit;
        sample.positions[i][1] = static_cast<std::int16_t>(bytes::le16(p, 8 + 4 * i)) / kPositionUnit;
    }
    const auto longScale = [&] { m_sideScale = bytes::le32(p, 14) / kLongScaleUnit * m_spacing / kSpacingUnit; };
    const auto piezoAndPhase = [&](std::size_t piezo, std::size_t phase) {
        sample.piezoStatus = p[piezo];
        sample.phase = phaseOf(p[phase]);
    };
    const std::size_t n = p.size();
    if (sample.kind == 8) {
        if (n == 15) {
            sample.auxiliary = p[14];
        } else if (n == 16 || n == 17) {
            piezoAndPhase(15, 14);
            if (n == 17) {
                sample.auxiliary = p[16];
            }
        } else if (n == 18 || n == 19) {
            longScale();
            if (n == 19) {
                sample.auxiliary = p[18];
            }
        }
    } else if (n == 15) {
        sample.extra = p[14];
    } else if (n == 16) {
        if ((p[14] & 0x80) != 0) {
            sample.extra = ((p[14] * 256) & 0xFFF) + p[15];
        } else {
            piezoAndPhase(15, 14);
        }
    } else if (n == 17) {
        sample.extra = (p[15] / 16) * 256 + p[14];
        piezoAndPhase(16, 15);
    } else if (n == 18) {
        longScale();
    }
    if (std::isfinite(m_sideScale) && std::isfinite(m_sideAngle)) {
        sample.rawScale = m_sideScale;
        sample.rawAngle = m_sideAngle;
        smooth(sample, m_sideScale, m_sideAngle);
    }
}

void WirelessDecoder::smooth(WirelessSample& sample, double scale, double angle)
{
    const double previous = m_angleFilter.lastOutput();
    if (previous > kPi / 2 && angle < -kPi / 2) {
        m_angleFilter.shiftHistory(-2.0 * kPi);
    } else if (previous < -kPi / 2 && angle > kPi / 2) {
        m_angleFilter.shiftHistory(2.0 * kPi);
    }
    sample.scale = m_scaleFilter.Step(scale);
    sample.angle = m_angleFilter.Step(angle);
    sample.valid = std::isfinite(sample.scale) && std::isfinite(sample.angle);
}

} // namespace talvolink
