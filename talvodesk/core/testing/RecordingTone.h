#pragma once

#include "talvodesk/core/sound/BlindTone.h"

namespace talvodesk::testsupport {

/// A blind-training tone that keeps what it was told.
class RecordingTone final : public BlindTone {
public:
    void setFrequency(float hertz) override { frequency = hertz; }
    void setPosition(float x) override { position = x; }
    bool isPlaying() const override { return playing; }
    void playLooping() override
    {
        playing = true;
        ++starts;
    }
    void stop() override
    {
        playing = false;
        ++stops;
    }

    float frequency = -1;
    float position = -1;
    bool playing = false;
    int starts = 0;
    int stops = 0;
};

} // namespace talvodesk::testsupport
