#include "talvodesk/app/PulseWindow.h"

#include <QImage>

#include <gtest/gtest.h>

namespace talvodesk {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kGrey = 0xFFC0C0C0;

QImage imageOf(CPulseWindow& window)
{
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

/// Whether any pixel of the rectangle is darker than light grey (the text's strokes).
bool hasInk(const QImage& image, const QRect& rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                return true;
            }
        }
    }
    return false;
}

class PulseWindowTest : public testing::Test {
protected:
    PulseWindowTest()
    {
        m_window.resize(32, 200);
        m_window.SetFlags(true, true);
    }

    CPulseWindow m_window;
};

TEST_F(PulseWindowTest, SetFlagsResetsTheValues)
{
    m_window.SetPulse(80);
    m_window.SetBeatPhase(0);
    m_window.SetTriggerScale(100);
    m_window.SetTriggerValue(40);
    m_window.SetFlags(false, true);
    EXPECT_FALSE(m_window.showPulse());
    EXPECT_TRUE(m_window.showTrigger());
    EXPECT_EQ(0, m_window.state().pulse);
    EXPECT_EQ(0, m_window.state().triggerValue);
    EXPECT_EQ(1, m_window.state().triggerScale);
    EXPECT_EQ(1, m_window.state().beatPhase);
    // The trigger part moves up to the top.
    EXPECT_EQ(0, m_window.layout().symbol.top);
}

TEST_F(PulseWindowTest, ATriggerScaleOf10IsRaisedTo32)
{
    m_window.SetTriggerScale(10);
    EXPECT_EQ(32, m_window.state().triggerScale);
    m_window.SetTriggerScale(500);
    EXPECT_EQ(500, m_window.state().triggerScale);
}

TEST_F(PulseWindowTest, TheBarIsWhiteAboveItsLevelAndBlueBelow)
{
    struct Case {
        const char* name;
        std::int32_t value;
        int level;
    };
    // The bar runs from row 99 to 199 (101 rows); full scale fills 101 * 100 / 120 = 84 of them.
    const Case cases[] = {{"zero", 0, 200}, {"full scale", 64, 116}, {"half", 32, 158}, {"over", 640, 99}};
    m_window.SetTriggerScale(64);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_window.SetTriggerValue(c.value);
        const QImage image = imageOf(m_window);
        if (c.level > 99) {
            EXPECT_EQ(kWhite, image.pixel(16, c.level - 1));
        }
        if (c.level < 200) {
            EXPECT_EQ(kBlue, image.pixel(16, c.level));
            EXPECT_EQ(kBlue, image.pixel(0, 199));
        }
    }
}

TEST_F(PulseWindowTest, TheHeartFollowsTheBeatPhaseAndThePulseShowsFromOne)
{
    QImage image = imageOf(m_window);
    const QRect text(0, 32, 32, 32);
    EXPECT_EQ(kGrey, image.pixel(16, 65)); // The band between the parts.
    EXPECT_FALSE(hasInk(image, text));     // A pulse of 0 shows no number...
    const QRgb resting = image.pixel(16, 16);
    EXPECT_NE(kWhite, resting); // ...but the heart.

    m_window.SetBeatPhase(0);
    m_window.SetPulse(72);
    image = imageOf(m_window);
    EXPECT_NE(resting, image.pixel(16, 16));
    EXPECT_NE(kWhite, image.pixel(16, 16));
    EXPECT_TRUE(hasInk(image, text));
}

} // namespace
} // namespace talvodesk
