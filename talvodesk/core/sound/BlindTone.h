#pragma once

#include <cstdint>
#include <memory>

struct IEventParams;

namespace platform::sound {
class CGenWaveFile;
class CSoundManager;
class CStreamingSound;
} // namespace platform::sound

namespace talvodesk {

class COptions;

/// The blind-training tone: a looping sine whose pitch tells the shooter the score under the point of aim and
/// whose place left or right tells the side. Owner thread only.
class BlindTone {
public:
    virtual ~BlindTone() = default;
    virtual void setFrequency(float hertz) = 0;
    /// Applied at once; y and z stay 0.
    virtual void setPosition(float x) = 0;
    virtual bool isPlaying() const = 0;
    virtual void playLooping() = 0;
    /// Stops every buffer of the tone.
    virtual void stop() = 0;
};

/// The tone streamed through the program's sound output: a 22050 Hz 16-bit generator in two pieces of 4410
/// bytes (a tenth of a second each), a 3-D buffer. Null when the output cannot stream it.
std::unique_ptr<BlindTone> CreateStreamedTone(platform::sound::CSoundManager& manager);

/// The score of the biathlon plate under (x, y): the first of its five targets, left to right, that holds the
/// point; 10 within the inner radius and 9 within half the outer diameter of sub-target 1 (80, 115) or 2 (20, 45);
/// 0 off every target.
int BiathlonToneScore(float x, float y, long subTarget);

/// Feeds the tone with one point of aim: the pitch of "BlindGen<score>" and the place x x 20 / FormWidth x 10 / 15
/// of the event's first target, and starts it when it is silent. Nothing unless SoundEnabled and BlindGen are on
/// and there is a tone and an event.
void FeedBlindTone(const COptions& options, BlindTone* tone, IEventParams* event, bool biathlon, long subTarget,
                   float x, float y);

} // namespace talvodesk
