#include "talvodesk/core/frame/FrameKeys.h"

#include "talvodesk/core/options/StringTable.h"
#include "talvodesk/core/testing/FakeDevice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace talvodesk;

namespace {

/// The frame's windows as flags; every action the rules take is written down in order.
class RecordingKeyTargets final : public FrameKeyTargets {
public:
    bool HasPrintPreview() override { return printPreview; }
    bool IsFullScreen() override { return fullScreen; }
    void PostCommand(std::uint16_t command) override { log.push_back("post " + std::to_string(command)); }
    void SendCommand(std::uint16_t command) override { log.push_back("send " + std::to_string(command)); }
    void SetTargetZoom(int zoom) override { log.push_back("zoom " + std::to_string(zoom)); }
    bool TranslateAccelerator(const KeyDown&) override { return accelerator; }
    bool InfoViewHasFocus() override { return infoFocus; }
    bool InfoViewPreTranslate(const KeyDown&) override
    {
        log.push_back("info");
        return true;
    }
    bool TraceViewVisible() override { return traceVisible; }
    bool TraceViewKey(const KeyDown&) override
    {
        log.push_back("trace");
        return traceHandles;
    }
    bool SeriesViewHasFocus() override { return seriesFocus; }
    bool SeriesViewNavigate(const KeyDown&) override
    {
        log.push_back("series");
        return true;
    }
    void SetStatusText(const std::u16string& text) override { log.emplace_back(text.begin(), text.end()); }
    std::u16string_view LoadString(std::uint32_t id) override { return StringTable::englishText(id); }
    PracticeDevice* Device() override { return device; }

    bool printPreview = false;
    bool fullScreen = false;
    bool accelerator = false;
    bool infoFocus = false;
    bool traceVisible = false;
    bool traceHandles = false;
    bool seriesFocus = false;
    PracticeDevice* device = nullptr;
    std::vector<std::string> log;
};

TEST(FrameKeysTest, TheFirstRuleThatAppliesTakesTheKey)
{
    testsupport::FakeDevice device;
    struct Case {
        const char* name;
        KeyDown key;
        std::function<void(RecordingKeyTargets&)> setUp;
        bool consumed;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"escape closes the preview",
         {kKeyEscape},
         [](auto& f) { f.printPreview = f.fullScreen = true; },
         true,
         {"post 32853"}},
        {"escape leaves full screen", {kKeyEscape}, [](auto& f) { f.fullScreen = true; }, true, {"post 32797"}},
        {"escape otherwise passes", {kKeyEscape}, [](auto&) {}, false, {}},
        {"ctrl+0 zooms 10", {'0', true}, [](auto&) {}, true, {"zoom 10"}},
        {"ctrl+keypad 7 zooms 7", {kKeyNumpad0 + 7, true}, [](auto&) {}, true, {"zoom 7"}},
        {"no zoom under the preview", {'3', true}, [](auto& f) { f.printPreview = true; }, false, {}},
        {"accelerators before views", {'3'}, [](auto& f) { f.accelerator = f.infoFocus = true; }, true, {}},
        {"the info view", {'3'}, [](auto& f) { f.infoFocus = f.traceVisible = true; }, true, {"info"}},
        {"ctrl+q shoots by hand", {'Q', true}, [&](auto& f) { f.traceVisible = true, f.device = &device; }, true, {}},
        {"ctrl+q without a device", {'Q', true}, [](auto& f) { f.traceVisible = true; }, false, {"trace"}},
        {"enter resets the trace target",
         {kKeyEnter},
         [&](auto& f) { f.traceVisible = true, f.device = &device; },
         true,
         {"send 32871"}},
        {"the trace view's own keys", {' '}, [](auto& f) { f.traceVisible = f.traceHandles = true; }, true, {"trace"}},
        {"the series view last",
         {'N'},
         [](auto& f) { f.traceVisible = f.seriesFocus = true; },
         true,
         {"trace", "series"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingKeyTargets frame;
        c.setUp(frame);
        COptions options;
        const int handShots = device.handShots;
        EXPECT_EQ(c.consumed, PreTranslateKey(c.key, frame, options));
        EXPECT_EQ(c.log, frame.log);
        EXPECT_EQ(std::string(c.name) == "ctrl+q shoots by hand" ? handShots + 1 : handShots, device.handShots);
    }
}

TEST(FrameKeysTest, KeypadPlusAndMinusStepThePiezoRejectIntervalAndPassTheKeyOn)
{
    struct Case {
        float start;
        std::uint32_t key;
        float result;
        const char* text;
    };
    for (const Case c : {Case{1.0F, kKeyAdd, 1.1F, "PiezoRejectInterval = 1.1"},
                         Case{0.05F, kKeySubtract, 0.0F, "PiezoRejectInterval = 0.0"},
                         Case{0.0F, kKeySubtract, 0.0F, "PiezoRejectInterval = 0.0"}}) {
        SCOPED_TRACE(c.text);
        testsupport::FakeDevice device;
        RecordingKeyTargets frame;
        frame.traceVisible = true;
        frame.traceHandles = true;
        frame.device = &device;
        COptions options;
        options.piezoRejectInterval = c.start;
        EXPECT_TRUE(PreTranslateKey({c.key}, frame, options));
        EXPECT_FLOAT_EQ(c.result, options.piezoRejectInterval);
        EXPECT_EQ(std::vector<float>{options.piezoRejectInterval}, device.piezoRejectIntervals);
        EXPECT_EQ((std::vector<std::string>{c.text, "trace"}), frame.log);
    }
}

} // namespace
