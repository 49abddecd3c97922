#include "platform/sound/GenWaveFile.h"

#include <cmath>
#include <cstring>

namespace platform::sound {

namespace {

constexpr float kTwoPi = 6.2831854820251465F;

} // namespace

CGenWaveFile::CGenWaveFile(DWORD sampleRate, WORD bitsPerSample, DWORD size)
    : m_format(pcmFormat(1, sampleRate, bitsPerSample)), m_size(size)
{
}

HRESULT CGenWaveFile::ResetFile()
{
    m_phase = 0.0F;
    return S_OK;
}

HRESULT CGenWaveFile::Read(std::uint8_t* buffer, DWORD wanted, DWORD* read)
{
    if (!buffer || !read) {
        return E_INVALIDARG;
    }
    const float step = m_frequency / static_cast<float>(m_format.nSamplesPerSec) * kTwoPi;
    const float scale = static_cast<float>(m_volume) / 100.0F;
    const DWORD samples = wanted / m_format.nBlockAlign;
    for (DWORD i = 0; i < samples; ++i) {
        const float sample = std::sin(m_phase);
        if (m_format.wBitsPerSample == 8) {
            buffer[i] = static_cast<std::uint8_t>(scale * 127.5F * sample + 127.5F);
        } else {
            const auto value = static_cast<std::int16_t>(scale * 16383.5F * sample);
            std::memcpy(buffer + 2 * i, &value, 2); // Little-endian, as the format's samples are.
        }
        m_phase += step;
    }
    // A wild frequency must not stall the loop below, where subtracting 2 pi no longer changes a huge float.
    if (m_phase > kTwoPi * 65536.0F) {
        m_phase = std::fmod(m_phase, kTwoPi);
    }
    while (m_phase > kTwoPi) {
        m_phase -= kTwoPi;
    }
    *read = wanted;
    return S_OK;
}

} // namespace platform::sound
