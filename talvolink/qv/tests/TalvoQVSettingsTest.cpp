#include "talvolink/qv/TalvoQVSettings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace talvolink {
namespace {

using Log = std::vector<std::string>;

// Logs each request as "code value index" (hex), with its data length, and the holds and assembly ends between.
class LoggingChannel final : public QVRequestChannel {
public:
    explicit LoggingChannel(int failAt = -1) : m_failAt(failAt) {}

    bool ExecuteRequest(VendorRequest& request) override
    {
        std::array<char, 64> text{};
        std::snprintf(text.data(), text.size(), "%02X %X %X", request.request, request.value, request.index);
        std::string entry = text.data();
        if (!request.data.empty()) {
            entry += " +" + std::to_string(request.data.size());
        }
        log.push_back(entry);
        lastData = request.data;
        return m_requests++ != m_failAt;
    }
    void HoldFrames() override { log.emplace_back("hold"); }
    void EndAssembly() override { log.emplace_back("end"); }

    Log log;
    std::vector<std::uint8_t> lastData;

private:
    int m_failAt;
    int m_requests = 0;
};

TEST(TalvoQVSettingsTest, SendAllSendsEverySettingInOrder)
{
    const TalvoQVSettings wanted;
    TalvoQVSettings sent;
    bool sendAll = true;
    LoggingChannel channel;
    ASSERT_TRUE(SendQVSettings(wanted, sent, sendAll, channel));
    EXPECT_FALSE(sendAll);
    const Log expected{"BC 1 0 +8", "hold",    "8C 178 F0", "hold",    "84 0 0", "hold",     "9D 0 0", "BA C8 1",
                       "hold",      "BA FF 2", "hold",      "BA 1 16", "hold",   "BA 1 17",  "hold",   "BA 0 12",
                       "hold",      "BA 1 4",  "hold",      "BA 0 5",  "hold",   "BA 64 15", "hold",   "BA F0 6",
                       "82 1E 0",   "8B 40 0", "92 1 0",    "9E 0 0",  "9F 0 0", "B1 0 1",   "B1 0 2", "B1 0 4",
                       "BA 1 F",    "hold",    "BA 400 10", "hold",    "end",    "81 0 0",   "hold"};
    EXPECT_EQ(channel.log, expected);
}

TEST(TalvoQVSettingsTest, WindowDataCarriesModeScaleCentreAndSize)
{
    TalvoQVSettings wanted;
    wanted.mode = 2;
    wanted.scale = 4;
    wanted.secondScale = 2;
    wanted.centreX = 0x1234;
    wanted.centreY = 0x56;
    wanted.windowSize = 48;
    TalvoQVSettings sent;
    bool sendAll = false;
    LoggingChannel channel;
    ASSERT_TRUE(SendQVSettings(wanted, sent, sendAll, channel));
    EXPECT_EQ(channel.log, (Log{"BC 2 0 +8", "hold"}));
    EXPECT_EQ(channel.lastData, (std::vector<std::uint8_t>{2, 4, 0x34, 0x12, 0x56, 0, 48, 0}));
    EXPECT_EQ(sent, wanted);
}

TEST(TalvoQVSettingsTest, SendsOnlyWhatDiffers)
{
    TalvoQVSettings wanted;
    wanted.centreX = 300;
    wanted.parameter6 = 100;
    wanted.switch9E = true;
    TalvoQVSettings sent;
    bool sendAll = false;
    LoggingChannel channel;
    ASSERT_TRUE(SendQVSettings(wanted, sent, sendAll, channel));
    EXPECT_EQ(channel.log, (Log{"8C 12C F0", "hold", "BA 64 6", "9E 1 0"}));
    EXPECT_EQ(sent, wanted);
}

// Streaming with a new window and a pattern of 22 entries at scale 4.
TalvoQVSettings streamingChange()
{
    TalvoQVSettings wanted;
    wanted.framesOn = true;
    wanted.windowSize = 48;
    wanted.patternEnabled[2] = true;
    wanted.patterns[2].assign(22, QVPatternEntry{1, -1, 1});
    return wanted;
}

TEST(TalvoQVSettingsTest, WindowChangeStopsFramesAndStartsThemAgain)
{
    const TalvoQVSettings wanted = streamingChange();
    TalvoQVSettings sent;
    sent.framesOn = true;
    bool sendAll = false;
    LoggingChannel channel;
    ASSERT_TRUE(SendQVSettings(wanted, sent, sendAll, channel));
    const Log expected{"81 0 0",    "end",    "hold", "BC 1 0 +8", "hold",   "B1 1 4", "B2 15 4 +63",
                       "B2 1 4 +3", "B3 0 4", "hold", "end",       "80 0 0", "hold"};
    EXPECT_EQ(channel.log, expected);
    EXPECT_EQ(sent, wanted);
}

TEST(TalvoQVSettingsTest, FailurePartWayIsFinishedByTheNextSequence)
{
    const TalvoQVSettings wanted = streamingChange();
    TalvoQVSettings sent;
    sent.framesOn = true;
    bool sendAll = false;
    LoggingChannel failing(/*failAt=*/1);
    EXPECT_FALSE(SendQVSettings(wanted, sent, sendAll, failing));
    EXPECT_EQ(failing.log, (Log{"81 0 0", "end", "hold", "BC 1 0 +8"}));
    EXPECT_FALSE(sent.framesOn);

    // The retry sends the rest and switches the frames back on.
    LoggingChannel retry;
    ASSERT_TRUE(SendQVSettings(wanted, sent, sendAll, retry));
    const Log expected{"BC 1 0 +8", "hold", "B1 1 4", "B2 15 4 +63", "B2 1 4 +3",
                       "B3 0 4",    "hold", "end",    "80 0 0",      "hold"};
    EXPECT_EQ(retry.log, expected);
    EXPECT_EQ(sent, wanted);
}

} // namespace
} // namespace talvolink
