#include "talvodesk/core/sound/BlindTone.h"

#include "talvodesk/core/options/Options.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/ComPtr.h"
#include "platform/sound/GenWaveFile.h"
#include "platform/sound/SoundManager.h"

#include <algorithm>
#include <cmath>

namespace talvodesk {

using platform::com::ComPtr;
namespace sound = platform::sound;

namespace {

constexpr DWORD kToneRate = 22050;
constexpr WORD kToneBits = 16;
constexpr DWORD kTonePieces = 2;
// A tenth of a second of 16-bit mono per piece, so a new pitch is heard within about that.
constexpr DWORD kTonePieceBytes = kToneRate * 2 / kTonePieces / 5;
constexpr DWORD kToneFlags =
    sound::DSBCAPS_CTRL3D | sound::DSBCAPS_CTRLPOSITIONNOTIFY | sound::DSBCAPS_GETCURRENTPOSITION2;

class StreamedTone final : public BlindTone {
public:
    StreamedTone(std::unique_ptr<sound::CStreamingSound> sound, sound::CGenWaveFile& generator)
        : m_sound(std::move(sound)), m_generator(generator)
    {
    }

    void setFrequency(float hertz) override { m_generator.setFrequency(hertz); }
    void setPosition(float x) override
    {
        if (sound::SoundBuffer* buffer = m_sound->Get3DBufferInterface(0)) {
            buffer->setPosition(x, 0.0F, 0.0F);
        }
    }
    bool isPlaying() const override { return m_sound->IsSoundPlaying(); }
    void playLooping() override { (void)m_sound->Play(0, sound::DSBPLAY_LOOPING, 0, 0xFFFFFFFF, 0); }
    void stop() override { (void)m_sound->Stop(); }

private:
    std::unique_ptr<sound::CStreamingSound> m_sound;
    // Owned by m_sound, which reads it on its refill thread.
    sound::CGenWaveFile& m_generator;
};

} // namespace

std::unique_ptr<BlindTone> CreateStreamedTone(sound::CSoundManager& manager)
{
    auto generator = std::make_unique<sound::CGenWaveFile>(kToneRate, kToneBits, 0xFFFFFFFF);
    generator->setFrequency(0.0F);
    sound::CGenWaveFile& kept = *generator;
    std::unique_ptr<sound::CStreamingSound> streamed;
    if (FAILED(manager.CreateStreaming(&streamed, std::move(generator), kToneFlags, kTonePieces, kTonePieceBytes)) ||
        !streamed) {
        return nullptr;
    }
    return std::make_unique<StreamedTone>(std::move(streamed), kept);
}

int BiathlonToneScore(float x, float y, long subTarget)
{
    const float inner = subTarget == 2 ? 20.0F : 80.0F;
    const float outer = subTarget == 2 ? 45.0F : 115.0F;
    for (const float centre : {-500.0F, -250.0F, 0.0F, 250.0F, 500.0F}) {
        const float d = std::hypot(x - centre, y);
        if (d <= inner) {
            return 10;
        }
        if (d <= outer * 0.5F) {
            return 9;
        }
    }
    return 0;
}

void FeedBlindTone(const COptions& options, BlindTone* tone, IEventParams* event, bool biathlon, long subTarget,
                   float x, float y)
{
    if (!options.soundEnabled || !options.blindGen || !tone || !event) {
        return;
    }
    int score = 0;
    if (biathlon) {
        score = BiathlonToneScore(x, y, subTarget);
    } else {
        float points = 0;
        if (SUCCEEDED(event->GetPointScore(x, y, 1, &points))) {
            score = static_cast<int>(points);
        }
    }
    score = std::clamp(score, 0, 10);
    tone->setFrequency(static_cast<float>(options.blindGenFrequency[static_cast<std::size_t>(score)]));

    ComPtr<ITargetParams> face;
    float formWidth = 0;
    if (SUCCEEDED(event->get_Target(1, face.put())) && face && SUCCEEDED(face->get_FormWidth(&formWidth)) &&
        formWidth > 0) {
        tone->setPosition(x * 20.0F / formWidth * 10.0F / 15.0F);
    }
    if (!tone->isPlaying()) {
        tone->playLooping();
    }
}

} // namespace talvodesk
