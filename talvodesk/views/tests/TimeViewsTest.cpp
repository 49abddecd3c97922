#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/ChartSeries.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/core/testing/RecordingFrame.h"
#include "talvodesk/views/ChartWindow.h"
#include "talvodesk/views/ShotDetailsPane.h"
#include "talvodesk/views/SpeedView.h"
#include "talvodesk/views/TimeIntervalsView.h"
#include "talvodesk/views/TimeShiftView.h"

#include "talvodata/tests/support/TempFolder.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "platform/com/ObjectIdentity.h"

#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

namespace talvodesk {
namespace {

using platform::com::ComPtr;
using testsupport::FindSeries;

class TimeViewsTest : public ::testing::Test {
protected:
    TimeViewsTest()
    {
        for (CChartView* view : std::initializer_list<CChartView*>{&shift, &speed, &intervals}) {
            data.AddView(view);
            view->resize(600, 500);
        }
    }

    /// Opens a practice of `match` match shots a minute apart and one sighting shot, and tells the views.
    void open(int match, const char* event = "AR10")
    {
        ASSERT_TRUE(data.Open(testsupport::writePractice(folder.path() / "practice.tlv", match, 1, event).get()));
        for (long i = 1; i <= match; ++i) {
            ASSERT_EQ(S_OK, matchShot(i)->put_ShotTime(46001.25 + i / 1440.0));
        }
        data.UpdateAllViews(nullptr, HintReset);
    }
    ComPtr<IShot> matchShot(long index)
    {
        ComPtr<IShotCollection> shots;
        ComPtr<IShot> shot;
        EXPECT_TRUE(data.GetMatchShots(shots));
        EXPECT_EQ(S_OK, shots->get_Item(index, shot.put()));
        return shot;
    }
    bool isCurrent(long index)
    {
        ComPtr<IShot> current;
        return data.GetCurrentShot(current) && platform::com::isSameObject(current.get(), matchShot(index).get());
    }
    /// The first point along the window's middle row over series `id`.
    static QPoint pointOver(CChartWindow& window, int id)
    {
        for (int y : {window.height() / 2, window.height() / 3}) {
            for (int x = 0; x < window.width(); ++x) {
                if (window.seriesAt({x, y}) == id) {
                    return {x, y};
                }
            }
        }
        return {-1, -1};
    }
    long progressSteps() const { return std::count_if(frame.calls.begin(), frame.calls.end(), isProgress); }
    static bool isProgress(const std::string& call)
    {
        return call.rfind("progress", 0) == 0 && call.rfind("progress 0/", 0) != 0;
    }

    talvodata::testsupport::TempFolder folder;
    testsupport::RecordingFrame frame;
    CTalvoData data;
    COptions options;
    ChartServices services{data, options, nullptr, &frame};
    CTimeShiftView shift{services};
    CSpeedView speed{services};
    CTimeIntervalsView intervals{services};
};

TEST_F(TimeViewsTest, ClickingABarMakesItsShotCurrentEverywhereAndFillsTheShotDetails)
{
    open(3);
    intervals.show();
    speed.show();
    CChartWindow& chart = *intervals.chartWindow();
    const QPoint second = pointOver(chart, 2);
    ASSERT_GE(second.x(), 0);
    QTest::mouseClick(&chart, Qt::LeftButton, {}, second);
    EXPECT_TRUE(isCurrent(2));
    const QColor highlight = intervals.palette().color(QPalette::Highlight);
    EXPECT_EQ(FindSeries(intervals.graph().chart(), 2)->color,
              static_cast<COLORREF>(highlight.red() | highlight.green() << 8 | highlight.blue() << 16));
    EXPECT_NE(FindSeries(intervals.graph().chart(), 1)->color, FindSeries(intervals.graph().chart(), 2)->color);
    CShotDetailsPane& pane = *intervals.detailsPane();
    const auto text = [&](std::u16string_view id) {
        std::u16string value;
        EXPECT_TRUE(pane.page().GetElementText(id, value));
        return value;
    };
    const auto shown = [&](const char* id) { return pane.element(QString::fromLatin1(id))->isVisibleTo(&pane); };
    EXPECT_EQ(text(u"idShotNumber"), u"2");
    EXPECT_EQ(text(u"idShotIntervalPrev"), u"00:01:00");
    EXPECT_FALSE(shown("idShotPulse"));
    // A language change rebuilds the page, captions included, and shows the same shot again.
    data.UpdateAllViews(nullptr, HintLanguage);
    EXPECT_EQ(text(u"idShotNumberTitle"), u"Match shot number");
    EXPECT_EQ(text(u"idShotNumber"), u"2");
    EXPECT_FALSE(shown("idShotPulse"));
    // The speed view heard hint 4 too: its lower chart shows the new shot.
    EXPECT_FALSE(FindSeries(speed.graph().currentShot(), SpeedGraph::kCurrentShot)->points.empty());

    // A click beside the bars hits nothing; the current shot stays.
    QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(second.x() + 3, second.y()));
    EXPECT_TRUE(isCurrent(2));
    // A sighting shot made current hides the table.
    ComPtr<IShotCollection> sighting;
    ComPtr<IShot> first;
    ASSERT_TRUE(data.GetSightingShots(sighting));
    ASSERT_EQ(S_OK, sighting->get_Item(1, first.put()));
    data.SetCurrentShot(first.get());
    EXPECT_FALSE(shown("idShotNumber"));
}

TEST_F(TimeViewsTest, HintsRecomputeOnlyTheSpeedPartsTheyConcern)
{
    open(3);
    speed.show();
    struct Case {
        const char* name;
        DocumentHint hint;
        bool matchAiming;
        long steps; // a step before each collection part and one after each part that runs
    };
    const Case cases[] = {
        {"current shot", HintCurrentShot, true, 2},        {"match aiming", HintConcludeAiming, true, 3},
        {"sighting aiming", HintConcludeAiming, false, 0}, {"model", HintModel, true, 3},
        {"parameters", HintShotParameters, true, 4},
    };
    ComPtr<IAiming> aiming;
    ASSERT_TRUE(data.FindAiming(matchShot(1).get(), aiming));
    ComPtr<IAimingAttr> attributes;
    ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frame.calls.clear();
        ASSERT_EQ(S_OK, attributes->put_Match(c.matchAiming ? VARIANT_TRUE : VARIANT_FALSE));
        data.UpdateAllViews(nullptr, c.hint, AimingHint{aiming.get()});
        EXPECT_EQ(progressSteps(), c.steps);
    }
}

TEST_F(TimeViewsTest, PanesSplitAsEachViewLaysThemOut)
{
    open(3);
    speed.show();
    intervals.show();
    // The speed charts share the height and the bar cannot be dragged.
    const QList<int> halves = speed.splitter()->sizes();
    EXPECT_LE(std::abs(halves[0] - halves[1]), 1);
    EXPECT_FALSE(speed.splitter()->handle(1)->isEnabled());
    // The shot details keep their height as the view grows; the chart takes the rest.
    const int details = intervals.splitter()->sizes()[1];
    EXPECT_GT(details, intervals.detailsPane()->headerHeight());
    EXPECT_LE(details, intervals.detailsPane()->headerHeight() + (500 - intervals.splitter()->handleWidth()) * 2 / 5);
    intervals.resize(600, 700);
    EXPECT_EQ(intervals.splitter()->sizes()[1], details);

    open(3, "BTLN");
    EXPECT_FALSE(intervals.detailsPane()->isVisible());
    EXPECT_EQ(intervals.graph().count(), 0);
    open(3);
    EXPECT_TRUE(intervals.detailsPane()->isVisible());
}

} // namespace
} // namespace talvodesk
