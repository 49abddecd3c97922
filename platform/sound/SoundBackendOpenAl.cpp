#include "platform/sound/SoundBackend.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <vector>

namespace platform::sound {

namespace {

/// The opened device with its context, made current for the process (one output per program). Shared by the
/// backend and every voice, because the program may keep a voice (the tone) beyond the sound manager.
class Output {
public:
    Output(ALCdevice* device, ALCcontext* context) : m_device(device), m_context(context) {}
    ~Output()
    {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
        alcCloseDevice(m_device);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

private:
    ALCdevice* m_device;
    ALCcontext* m_context;
};

std::optional<ALenum> alFormatOf(const WAVEFORMATEX& format)
{
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.nSamplesPerSec == 0) {
        return std::nullopt;
    }
    if (format.nChannels == 1 && format.wBitsPerSample == 8) {
        return AL_FORMAT_MONO8;
    }
    if (format.nChannels == 1 && format.wBitsPerSample == 16) {
        return AL_FORMAT_MONO16;
    }
    if (format.nChannels == 2 && format.wBitsPerSample == 8) {
        return AL_FORMAT_STEREO8;
    }
    if (format.nChannels == 2 && format.wBitsPerSample == 16) {
        return AL_FORMAT_STEREO16;
    }
    return std::nullopt;
}

Error alError(const char* what)
{
    return Error{E_FAIL, std::string("cannot ") + what + " (OpenAL error " + std::to_string(alGetError()) + ")"};
}

/// One OpenAL source with the settings every voice shares.
class Voice {
public:
    Voice(std::shared_ptr<Output> output, ALuint source, DWORD rate, DWORD flags)
        : m_output(std::move(output)), m_source(source), m_rate(rate)
    {
        // Voices that are not placed in space play at the listener, unattenuated.
        const bool placed = (flags & DSBCAPS_CTRL3D) != 0;
        alSourcei(m_source, AL_SOURCE_RELATIVE, placed ? AL_FALSE : AL_TRUE);
    }
    ~Voice()
    {
        alSourceStop(m_source);
        alDeleteSources(1, &m_source);
    }
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    ALuint source() const { return m_source; }
    DWORD rate() const { return m_rate; }
    bool isPlaying() const
    {
        ALint state = AL_STOPPED;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        return state == AL_PLAYING;
    }
    void setVolume(LONG volume) { alSourcef(m_source, AL_GAIN, static_cast<ALfloat>(std::pow(10.0, volume / 2000.0))); }
    void setFrequency(DWORD hertz)
    {
        if (hertz > 0) {
            alSourcef(m_source, AL_PITCH, static_cast<ALfloat>(static_cast<double>(hertz) / m_rate));
        }
    }
    void setPan(LONG pan)
    {
        const double x = std::clamp(pan / 10000.0, -1.0, 1.0);
        alSource3f(m_source, AL_POSITION, static_cast<ALfloat>(x), 0.0F, static_cast<ALfloat>(-std::sqrt(1 - x * x)));
    }
    void setPosition(float x, float y, float z) { alSource3f(m_source, AL_POSITION, x, y, z); }

private:
    std::shared_ptr<Output> m_output;
    ALuint m_source;
    DWORD m_rate;
};

Result<ALuint> newSource()
{
    ALuint source = 0;
    (void)alGetError();
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) {
        return alError("create a voice");
    }
    return source;
}

/// Sound data shared by a voice and its duplicates.
class Samples {
public:
    explicit Samples(ALuint buffer) : m_buffer(buffer) {}
    ~Samples() { alDeleteBuffers(1, &m_buffer); }
    Samples(const Samples&) = delete;
    Samples& operator=(const Samples&) = delete;
    ALuint buffer() const { return m_buffer; }

private:
    ALuint m_buffer;
};

class StaticVoice final : public SoundBuffer {
public:
    StaticVoice(std::shared_ptr<Output> output, std::shared_ptr<Samples> samples, ALuint source, DWORD rate,
                DWORD flags)
        : m_voice(std::move(output), source, rate, flags), m_samples(std::move(samples)), m_flags(flags)
    {
        alSourcei(source, AL_BUFFER, static_cast<ALint>(m_samples->buffer()));
    }
    ~StaticVoice() override { alSourcei(m_voice.source(), AL_BUFFER, 0); }

    Status play(bool looping) override
    {
        alSourcei(m_voice.source(), AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
        alSourcePlay(m_voice.source());
        return {};
    }
    void stop() override { alSourceStop(m_voice.source()); }
    bool isPlaying() const override { return m_voice.isPlaying(); }
    void setVolume(LONG volume) override { m_voice.setVolume(volume); }
    void setFrequency(DWORD hertz) override { m_voice.setFrequency(hertz); }
    void setPan(LONG pan) override { m_voice.setPan(pan); }
    void setPosition(float x, float y, float z) override { m_voice.setPosition(x, y, z); }

    const std::shared_ptr<Samples>& samples() const { return m_samples; }
    DWORD rate() const { return m_voice.rate(); }
    DWORD flags() const { return m_flags; }

private:
    Voice m_voice;
    std::shared_ptr<Samples> m_samples;
    DWORD m_flags;
};

/// A source fed with a queue of OpenAL buffers; played buffers are kept for the next pieces.
class StreamVoice final : public StreamBuffer {
public:
    StreamVoice(std::shared_ptr<Output> output, ALuint source, ALenum format, DWORD rate, DWORD flags)
        : m_voice(std::move(output), source, rate, flags), m_format(format)
    {
    }
    ~StreamVoice() override
    {
        alSourceStop(m_voice.source());
        alSourcei(m_voice.source(), AL_BUFFER, 0);
        alDeleteBuffers(static_cast<ALsizei>(m_buffers.size()), m_buffers.data());
    }

    Status play(bool /*looping*/) override
    {
        m_playing = true;
        alSourcePlay(m_voice.source());
        return {};
    }
    void stop() override
    {
        m_playing = false;
        alSourceStop(m_voice.source());
    }
    bool isPlaying() const override { return m_voice.isPlaying(); }
    void setVolume(LONG volume) override { m_voice.setVolume(volume); }
    void setFrequency(DWORD hertz) override { m_voice.setFrequency(hertz); }
    void setPan(LONG pan) override { m_voice.setPan(pan); }
    void setPosition(float x, float y, float z) override { m_voice.setPosition(x, y, z); }

    Status queue(std::span<const std::uint8_t> piece) override
    {
        (void)alGetError();
        ALuint buffer = 0;
        if (m_free.empty()) {
            alGenBuffers(1, &buffer);
            if (alGetError() != AL_NO_ERROR) {
                return alError("create a stream piece");
            }
            m_buffers.push_back(buffer);
        } else {
            buffer = m_free.back();
            m_free.pop_back();
        }
        alBufferData(buffer, m_format, piece.data(), static_cast<ALsizei>(piece.size()),
                     static_cast<ALsizei>(m_voice.rate()));
        alSourceQueueBuffers(m_voice.source(), 1, &buffer);
        if (alGetError() != AL_NO_ERROR) {
            m_free.push_back(buffer);
            return alError("queue a stream piece");
        }
        // A source that ran dry stops by itself; it goes on once it has pieces again.
        if (m_playing && !m_voice.isPlaying()) {
            alSourcePlay(m_voice.source());
        }
        return {};
    }
    std::size_t takeProcessed() override
    {
        ALint processed = 0;
        alGetSourcei(m_voice.source(), AL_BUFFERS_PROCESSED, &processed);
        for (ALint i = 0; i < processed; ++i) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(m_voice.source(), 1, &buffer);
            m_free.push_back(buffer);
        }
        return static_cast<std::size_t>(std::max(processed, 0));
    }

private:
    Voice m_voice;
    ALenum m_format;
    std::atomic<bool> m_playing = false;
    /// Every buffer this voice made, and those not queued now.
    std::vector<ALuint> m_buffers;
    std::vector<ALuint> m_free;
};

class OpenAlBackend final : public SoundBackend {
public:
    explicit OpenAlBackend(std::shared_ptr<Output> output) : m_output(std::move(output)) {}

    Result<std::unique_ptr<SoundBuffer>> createBuffer(const WAVEFORMATEX& format, std::span<const std::uint8_t> data,
                                                      DWORD flags) override
    {
        const std::optional<ALenum> alFormat = alFormatOf(format);
        if (!alFormat) {
            return Error{E_FAIL, "a sound format the output cannot play"};
        }
        (void)alGetError();
        ALuint buffer = 0;
        alGenBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) {
            return alError("create sound data");
        }
        auto samples = std::make_shared<Samples>(buffer);
        // Whole sample frames only: OpenAL refuses a size that is not a multiple of the frame.
        const std::size_t frame = static_cast<std::size_t>(format.nChannels) * format.wBitsPerSample / 8;
        alBufferData(buffer, *alFormat, data.data(), static_cast<ALsizei>(data.size() / frame * frame),
                     static_cast<ALsizei>(format.nSamplesPerSec));
        if (alGetError() != AL_NO_ERROR) {
            return alError("load sound data");
        }
        return voiceOver(std::move(samples), format.nSamplesPerSec, flags);
    }

    Result<std::unique_ptr<SoundBuffer>> duplicate(const SoundBuffer& buffer) override
    {
        const auto& original = static_cast<const StaticVoice&>(buffer);
        return voiceOver(original.samples(), original.rate(), original.flags());
    }

    Result<std::unique_ptr<StreamBuffer>> createStream(const WAVEFORMATEX& format, DWORD flags) override
    {
        const std::optional<ALenum> alFormat = alFormatOf(format);
        if (!alFormat) {
            return Error{E_FAIL, "a sound format the output cannot play"};
        }
        const Result<ALuint> source = newSource();
        if (!source) {
            return source.error();
        }
        return std::unique_ptr<StreamBuffer>(
            std::make_unique<StreamVoice>(m_output, *source, *alFormat, format.nSamplesPerSec, flags));
    }

private:
    Result<std::unique_ptr<SoundBuffer>> voiceOver(std::shared_ptr<Samples> samples, DWORD rate, DWORD flags)
    {
        const Result<ALuint> source = newSource();
        if (!source) {
            return source.error();
        }
        return std::unique_ptr<SoundBuffer>(
            std::make_unique<StaticVoice>(m_output, std::move(samples), *source, rate, flags));
    }

    std::shared_ptr<Output> m_output;
};

} // namespace

Result<std::unique_ptr<SoundBackend>> openOpenAlBackend(const char* deviceName)
{
    ALCdevice* device = alcOpenDevice(deviceName);
    if (!device) {
        return Error{E_FAIL, "no sound output"};
    }
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context) {
            alcDestroyContext(context);
        }
        alcCloseDevice(device);
        return Error{E_FAIL, "cannot start the sound output"};
    }
    return std::unique_ptr<SoundBackend>(std::make_unique<OpenAlBackend>(std::make_shared<Output>(device, context)));
}

} // namespace platform::sound
