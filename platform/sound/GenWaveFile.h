#pragma once

#include "platform/sound/WaveFile.h"

#include <atomic>

namespace platform::sound {

/// An endless sine tone in 8- or 16-bit mono PCM whose pitch and loudness may change while it plays. The phase
/// is carried from one Read to the next, so pieces join without clicks. Read, ResetFile: the thread that streams
/// the tone; the frequency and volume: any thread.
class CGenWaveFile final : public CWaveFile {
public:
    /// `size` is what GetSize reports; the tone itself never ends.
    CGenWaveFile(DWORD sampleRate, WORD bitsPerSample, DWORD size);

    DWORD GetSize() const override { return m_size; }
    HRESULT ResetFile() override;
    HRESULT Read(std::uint8_t* buffer, DWORD wanted, DWORD* read) override;
    const WAVEFORMATEX* GetFormat() const override { return &m_format; }

    void setFrequency(float hertz) { m_frequency = hertz; }
    float frequency() const { return m_frequency; }
    /// Per cent of full scale; more than 100 is taken as 100, which the sample range holds.
    void setVolume(std::uint8_t percent) { m_volume = percent > 100 ? 100 : percent; }
    /// Radians, always within 0..2 pi after a Read.
    float phase() const { return m_phase; }

private:
    WAVEFORMATEX m_format;
    DWORD m_size;
    std::atomic<float> m_frequency = 100.0F;
    std::atomic<std::uint8_t> m_volume = 100;
    float m_phase = 0.0F;
};

} // namespace platform::sound
