#include "talvodesk/views/ReplayControlWindow.h"

#include "talvodesk/core/document/PulseLog.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/views/PulseWindow.h"
#include "talvodesk/views/TargetWindow.h"

#include "interfaces/talvodata/IAimingTrace.h"
#include "platform/com/Bstr.h"
#include "platform/testing/Matchers.h"
#include "talvoboard/tests/support/TestEvent.h"
#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Events.h"

#include <QLabel>
#include <QScrollBar>
#include <QStyle>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace talvodesk {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using talvodata::testsupport::AimingBuilder;

constexpr DATE kShotTime = 45000.5;
constexpr double kDay = 86400.0;

DATE shotTimePlus(double seconds)
{
    return kShotTime + seconds / kDay;
}

struct Tone {
    float x;
    float y;
    bool withEvent;
    bool withAttributes;
};

class ReplayControlWindowTest : public testing::Test {
protected:
    ReplayControlWindowTest()
    {
        m_view.resize(400, 400);
        EXPECT_TRUE(m_host.Create(&m_view, QRect(0, 0, 192, 192)));
        EXPECT_HR(S_OK, m_host.target()->put_Event(talvoboard::testsupport::makeEvent().get()));
        m_pulse.resize(32, 200);
        m_pulse.SetFlags(true, true);
        EXPECT_TRUE(m_data.NewPractice(talvodata::testsupport::shippedEvent("AR10").get(), Bstr("Ann").get(), 0,
                                       Bstr("TALVO USB").get(), 12));
        // As the trace view does: the replay control after the trace window.
        ReplayControlServices services{&m_data, m_host.target().get(), &m_pulse,
                                       [this](float x, float y, IEventParams* event, IAimingAttr* attributes) {
                                           m_tones.push_back({x, y, event != nullptr, attributes != nullptr});
                                       },
                                       [this] { ++m_counterRefreshes; }};
        m_window = new CReplayControlWindow(&m_view, std::move(services));
    }

    /// 200 samples a second along y = 0, 0.6 mm apart, from -60 mm; the shot at sample 100, at the centre.
    void build(AimingBuilder& builder)
    {
        builder.stopSliding().at(-6000, 0).samples(101, 60, 0).shot().samples(100, 60, 0);
        m_aiming = builder.build();
        ASSERT_HR(S_OK, m_aiming->get_Shot(1, m_shot.put()));
        ASSERT_HR(S_OK, m_shot->put_ShotTime(kShotTime));
    }

    /// Gives sample i of the trace the trigger value values(i).
    template <typename Values> void addTrigger(Values values)
    {
        ComPtr<IAimingTrace> trace;
        ASSERT_HR(S_OK, m_aiming->get_Trace(trace.put()));
        LONG channel = 0;
        ASSERT_HR(S_OK, trace->AddUserData(Bstr("_trigger").get(), &channel));
        for (LONG i = 0; i < 201; ++i) {
            ASSERT_HR(S_OK, trace->put_UserData(channel, i, values(i)));
        }
    }

    float replayPosition()
    {
        float seconds = 0;
        EXPECT_HR(S_OK, m_host.target()->get_ReplayPosition(&seconds));
        return seconds;
    }

    QWidget m_view;
    CTargetWindow m_host;
    CPulseWindow m_pulse;
    CTalvoData m_data;
    std::vector<Tone> m_tones;
    int m_counterRefreshes = 0;
    CReplayControlWindow* m_window = nullptr; // The view's child.
    ComPtr<IAiming> m_aiming;
    ComPtr<IShot> m_shot;
};

TEST_F(ReplayControlWindowTest, ReplayStartsAtTheFirstValidSampleInsideTheVisibleArea)
{
    AimingBuilder builder;
    // Samples 70 and 71 (-18 and -17.4 mm) are lost: the first one inside is sample 72.
    builder.stopSliding().at(-6000, 0).samples(70, 60, 0);
    ComPtr<IAimingTrace> trace;
    ASSERT_HR(S_OK, builder.build()->get_Trace(trace.put()));
    ASSERT_HR(S_OK, trace->AddInvalid());
    ASSERT_HR(S_OK, trace->AddInvalid());
    builder.at(-1680, 0).samples(29, 60, 0).shot().samples(100, 60, 0);
    m_aiming = builder.build();
    ASSERT_HR(S_OK, m_aiming->get_Shot(1, m_shot.put()));

    struct Case {
        const char* name;
        float left;
        float expected;
    };
    const Case cases[] = {
        {"whole face: the first sample", -85.0F, -0.5F},
        {"the left edge on sample 60 is inside", -24.0F, -0.2F},
        {"lost samples are passed over", -18.0F, -0.14F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_HR(S_OK, m_host.target()->ZoomTo(c.left, c.left, -2.0F * c.left, -2.0F * c.left));
        float visibleLeft = 0;
        ASSERT_HR(S_OK, m_host.target()->get_VisibleLeft(&visibleLeft));
        ASSERT_FLOAT_EQ(c.left, visibleLeft);
        m_counterRefreshes = 0;
        EXPECT_EQ(std::nullopt, m_window->StartReplay(m_shot.get(), m_aiming.get()));
        EXPECT_FLOAT_EQ(c.expected, replayPosition());
        EXPECT_EQ(1, m_counterRefreshes);
        ComPtr<IShot> replayed;
        EXPECT_HR(S_OK, m_host.target()->get_ReplayShot(replayed.put()));
        EXPECT_EQ(m_shot.get(), replayed.get());
        EXPECT_EQ(m_shot.get(), m_window->shot().get());
        EXPECT_FALSE(m_window->isHidden());
    }
}

TEST_F(ReplayControlWindowTest, ReplayStartTakesTheTriggerScaleFromTheRange)
{
    // The largest value, or 1 when all are negative, which the panel raises to 32.
    const std::pair<LONG, std::int32_t> scales[] = {{77, 77}, {-5, 32}};
    for (const auto& [largest, panelScale] : scales) {
        SCOPED_TRACE(largest);
        AimingBuilder builder;
        build(builder);
        addTrigger(
            [largest = largest](LONG i) -> LONG { return i == 150 ? largest : std::min<LONG>(largest, i % 10); });
        EXPECT_EQ(std::max<LONG>(largest, 1), m_window->StartReplay(m_shot.get(), m_aiming.get()));
        EXPECT_EQ(panelScale, m_pulse.state().triggerScale);
    }
}

TEST_F(ReplayControlWindowTest, ScrollingMovesTheReplayByTheSampleRate)
{
    AimingBuilder builder;
    build(builder);
    m_window->SetShot(m_shot.get());
    EXPECT_FALSE(m_window->isHidden());
    EXPECT_EQ(QPoint(0, 0), m_window->pos());
    EXPECT_EQ(-100, m_window->scrollBar()->minimum());
    EXPECT_EQ(100, m_window->scrollBar()->maximum());
    EXPECT_EQ("-0.50", m_window->leftLabel()->text());
    EXPECT_EQ("-0.50", m_window->centreLabel()->text());
    EXPECT_EQ("0.50 ", m_window->rightLabel()->text());
    // Without a replayed shot the bar stays where it is.
    const int before = m_window->scrollBar()->value();
    m_window->scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(before, m_window->scrollBar()->value());

    ASSERT_TRUE(m_window->StartReplay(m_shot.get(), m_aiming.get()) == std::nullopt);
    ASSERT_HR(S_OK, m_host.target()->put_ReplayPaused(VARIANT_TRUE));
    struct Case {
        const char* name;
        QAbstractSlider::SliderAction action;
        float from;
        float expected;
    };
    // 200 samples a second: a line is max(5, 200 / 30) = 6 samples, a page 40.
    const Case cases[] = {
        {"line right", QAbstractSlider::SliderSingleStepAdd, 0.0F, 0.03F},
        {"line left", QAbstractSlider::SliderSingleStepSub, 0.0F, -0.03F},
        {"page right", QAbstractSlider::SliderPageStepAdd, 0.0F, 0.2F},
        {"page left", QAbstractSlider::SliderPageStepSub, 0.0F, -0.2F},
        {"page left stops at the first", QAbstractSlider::SliderPageStepSub, -0.45F, -0.5F},
        {"to the first", QAbstractSlider::SliderToMinimum, 0.0F, -0.5F},
        {"to the last", QAbstractSlider::SliderToMaximum, 0.0F, 0.5F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_HR(S_OK, m_host.target()->put_ReplayPosition(c.from));
        m_window->scrollBar()->triggerAction(c.action);
        EXPECT_FLOAT_EQ(c.expected, replayPosition());
        EXPECT_EQ(static_cast<int>(std::lround(c.expected * 200)), m_window->scrollBar()->value());
        EXPECT_EQ(QString::asprintf("%-5.2f", static_cast<double>(c.expected)), m_window->centreLabel()->text());
    }
    // Dragging the thumb takes its position.
    m_window->scrollBar()->setSliderPosition(25);
    EXPECT_FLOAT_EQ(0.125F, replayPosition());

    m_window->SetShot(nullptr);
    EXPECT_TRUE(m_window->isHidden());
}

TEST_F(ReplayControlWindowTest, SetPositionFeedsTheToneTriggerHeartAndPulse)
{
    AimingBuilder builder;
    build(builder);
    addTrigger([](LONG i) { return 2 * i; });
    ComPtr<IAimingAttr> attributes;
    ASSERT_HR(S_OK, m_aiming->get_Attr(attributes.put()));
    ASSERT_TRUE(AppendHeartBeat(attributes.get(), shotTimePlus(-0.2), shotTimePlus(0.1)));
    ASSERT_TRUE(m_data.AddPulseSample(shotTimePlus(-0.4), 60));
    ASSERT_TRUE(m_data.AddPulseSample(shotTimePlus(0.1), 70));
    ASSERT_TRUE(m_data.AddPulseSample(shotTimePlus(0.3), 80));
    m_window->SetShot(m_shot.get());
    LONG traceIndex = 0;
    ASSERT_HR(S_OK, m_shot->get_TraceIndex(&traceIndex));

    struct Case {
        float seconds;
        LONG index;
        std::int32_t beatPhase;
        std::uint16_t pulse;
    };
    const Case cases[] = {
        {-0.5F, -100, 1, 60}, // The pulse of the first reading later than the position.
        {-0.1F, -20, 0, 70},  {0.05F, 10, 0, 70}, {0.2F, 40, 1, 80}, {0.5F, 100, 1, 80}, // No reading later: the last.
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        m_tones.clear();
        m_window->SetPosition(c.seconds);
        ASSERT_EQ(1u, m_tones.size());
        const float x = static_cast<float>(-6000 + 60 * (traceIndex + c.index)) / 100.0F;
        EXPECT_NEAR(x, m_tones[0].x, 1e-4);
        EXPECT_EQ(0.0F, m_tones[0].y);
        EXPECT_TRUE(m_tones[0].withEvent);
        EXPECT_TRUE(m_tones[0].withAttributes);
        EXPECT_EQ(c.index, m_window->scrollBar()->value());
        EXPECT_EQ(QString::asprintf("%-5.2f", static_cast<double>(c.seconds)), m_window->centreLabel()->text());
        EXPECT_EQ(2 * (traceIndex + c.index), m_pulse.state().triggerValue);
        EXPECT_EQ(c.beatPhase, m_pulse.state().beatPhase);
        EXPECT_EQ(c.pulse, m_pulse.state().pulse);
    }
}

TEST_F(ReplayControlWindowTest, TheTimesAreNeverClippedWhateverTheFont)
{
    AimingBuilder builder;
    build(builder);
    for (const int points : {8, 30}) {
        SCOPED_TRACE(points);
        QFont font = m_window->font();
        font.setPointSize(points);
        m_window->setFont(font);
        m_window->SetShot(m_shot.get());
        for (const QLabel* label : {m_window->leftLabel(), m_window->centreLabel(), m_window->rightLabel()}) {
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << label->text().toStdString();
            EXPECT_GE(label->height(), label->fontMetrics().height());
        }
        const int style = m_window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        EXPECT_GE(m_window->width(), 12 * style);
    }
}

} // namespace
} // namespace talvodesk
