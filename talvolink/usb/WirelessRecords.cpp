#include "talvolink/usb/WirelessRecords.h"

#include <algorithm>
#include <cmath>

namespace talvolink {

namespace {

constexpr double kHalfPeriod = 0.5;

// The sample before the shot's half-period and the one after: the piezo level goes to the one the microphone
// phase points at, with the phase measured within it.
void placePiezo(UsbSample& first, UsbSample& second, double phase, std::int16_t piezo, bool keepWithoutPhase)
{
    if (std::isnan(phase)) {
        first.piezo = keepWithoutPhase ? piezo : 0;
        second.piezo = keepWithoutPhase ? piezo : 0;
        first.phase = kNoValue;
        second.phase = kNoValue;
        return;
    }
    UsbSample& heard = phase < kHalfPeriod ? first : second;
    UsbSample& other = phase < kHalfPeriod ? second : first;
    heard.piezo = piezo;
    heard.phase = (phase < kHalfPeriod ? phase : phase - kHalfPeriod) * 2.0;
    other.piezo = 0;
    other.phase = kNoValue;
}

} // namespace

void WirelessRecords::setRatio(int ratio)
{
    m_x.setRatio(ratio);
    m_y.setRatio(ratio);
}

void WirelessRecords::resetTrigger()
{
    m_triggerSeen = false;
    m_lastTrigger = 0;
}

void WirelessRecords::build(std::span<const std::uint8_t> packet, Result& result)
{
    const int previousKind = m_decoder.lastKind();
    const int previousIdent = m_decoder.lastIdent();
    result.packet = m_decoder.decode(packet);
    result.count = 0;
    const WirelessSample& s = result.packet;
    result.newSource =
        s.state != WirelessSample::State::Nothing && (s.kind != previousKind || s.ident != previousIdent);
    if (s.state != WirelessSample::State::Sample) {
        return;
    }
    UsbSample base;
    base.kind = s.kind;
    base.lens = m_decoder.lensFactor();
    base.scale = s.scale;
    base.angle = s.angle;
    base.piezo = static_cast<std::int16_t>(s.piezoStatus * 4);
    base.phase = s.phase;
    if (IsPositionKind(s.kind)) {
        if (s.extra != -1) {
            m_lastTrigger = static_cast<std::int16_t>(s.extra / 4);
            m_triggerSeen = true;
        }
        base.trigger = m_lastTrigger;
        buildPositions(s, base, result);
    } else {
        buildSpots(s, base, result);
    }
}

void WirelessRecords::buildSpots(const WirelessSample& s, const UsbSample& base, Result& result)
{
    UsbSample sample = base;
    sample.valid = s.valid && std::isfinite(s.midX) && std::isfinite(s.midY) && std::isfinite(base.lens);
    if (!sample.valid) {
        m_x.reset();
        m_y.reset();
        sample.level = 0;
        result.samples[0] = sample;
        result.count = 1;
        return;
    }
    // Both sums reach 2 x 4 x 65535 / 12 at most, past the 16-bit field.
    sample.level = static_cast<std::int16_t>(std::min(std::lround(s.spotSum[0] + s.spotSum[1]), 32767L));
    const double a = s.angle;
    const double k = s.scale;
    const double x = k * (s.midX * std::cos(a) + s.midY * std::sin(a));
    const double y = -k * (s.midY * std::cos(a) - s.midX * std::sin(a));
    const Resampler::Outputs xs = m_x.push(x);
    const Resampler::Outputs ys = m_y.push(y);
    result.count = xs.count;
    for (std::size_t i = 0; i < xs.count; ++i) {
        UsbSample& out = result.samples[i];
        out = sample;
        out.x = xs.values[i];
        out.y = ys.values[i];
        out.piezo = 0;
        out.phase = kNoValue;
    }
    if (xs.count == 1) {
        result.samples[0].piezo = sample.piezo;
        result.samples[0].phase = sample.phase;
    } else if (xs.count >= 2) {
        placePiezo(result.samples[xs.count - 2], result.samples[xs.count - 1], sample.phase, sample.piezo, true);
    }
}

void WirelessRecords::buildPositions(const WirelessSample& s, const UsbSample& base, Result& result)
{
    const double a = s.angle;
    const double k = s.scale;
    for (std::size_t i = 0; i < 2; ++i) {
        UsbSample& out = result.samples[i];
        out = base;
        out.valid = s.valid;
        out.level = static_cast<std::int16_t>(s.valid ? m_decoder.levelA() + m_decoder.levelB() : 0);
        const double u = s.positions[i][0];
        const double v = s.positions[i][1];
        out.x = -k * (v * std::cos(a) - u * std::sin(a));
        out.y = -k * (v * std::sin(a) + u * std::cos(a));
    }
    placePiezo(result.samples[0], result.samples[1], s.phase, base.piezo, false);
    result.count = 2;
}

} // namespace talvolink
