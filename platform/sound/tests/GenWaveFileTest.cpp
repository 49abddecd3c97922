#include "platform/sound/GenWaveFile.h"

#include "platform/testing/Matchers.h"

#include <algorithm>
#include <vector>

using namespace platform::sound;

namespace {

std::vector<std::int16_t> samples16(CGenWaveFile& tone, DWORD count)
{
    std::vector<std::int16_t> samples(count);
    DWORD read = 0;
    EXPECT_HR(S_OK, tone.Read(reinterpret_cast<std::uint8_t*>(samples.data()), count * 2, &read));
    EXPECT_EQ(count * 2, read);
    return samples;
}

TEST(GenWaveFileTest, ToneHasItsFormatStepAndRange)
{
    CGenWaveFile tone(22050, 16, 0xFFFFFFFF);
    EXPECT_EQ(pcmFormat(1, 22050, 16), *tone.GetFormat());
    EXPECT_EQ(44100u, tone.GetFormat()->nAvgBytesPerSec);
    EXPECT_EQ(0xFFFFFFFFu, tone.GetSize());
    EXPECT_FLOAT_EQ(100.0F, tone.frequency());

    tone.setFrequency(1000.0F);
    (void)samples16(tone, 1);
    EXPECT_NEAR(0.28495, tone.phase(), 1e-4);
    const auto wave = samples16(tone, 22050);
    EXPECT_EQ(16383, *std::ranges::max_element(wave));
    EXPECT_EQ(-16383, *std::ranges::min_element(wave));

    CGenWaveFile bytes(22050, 8, 100);
    bytes.setFrequency(1000.0F);
    std::vector<std::uint8_t> eight(22050);
    DWORD read = 0;
    ASSERT_HR(S_OK, bytes.Read(eight.data(), 22050, &read));
    EXPECT_EQ(255, *std::ranges::max_element(eight));
    EXPECT_EQ(0, *std::ranges::min_element(eight));
    EXPECT_EQ(127, eight[0]);

    bytes.setVolume(250);
    ASSERT_HR(S_OK, bytes.Read(eight.data(), 22050, &read));
    EXPECT_EQ(255, *std::ranges::max_element(eight));
    bytes.setFrequency(1e30F);
    ASSERT_HR(S_OK, bytes.Read(eight.data(), 100, &read));
    EXPECT_LE(bytes.phase(), 6.2831855F);
    ASSERT_HR(S_OK, bytes.ResetFile());
    EXPECT_EQ(0.0F, bytes.phase());
}

} // namespace
