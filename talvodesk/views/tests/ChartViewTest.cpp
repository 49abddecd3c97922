#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/core/testing/RecordingFrame.h"
#include "talvodesk/views/ChartWindow.h"
#include "talvodesk/views/CoordinationView.h"
#include "talvodesk/views/DistanceView.h"
#include "talvodesk/views/ProbabilityView.h"

#include "talvodata/tests/support/TempFolder.h"

#include "interfaces/talvodata/IAiming.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace talvodesk {
namespace {

class ChartViewTest : public ::testing::Test {
protected:
    ChartViewTest()
    {
        const auto path = testsupport::writePractice(folder.path() / "practice.tlv", 3, 1);
        EXPECT_TRUE(data.Open(path.get()));
        for (CChartView* view : std::initializer_list<CChartView*>{&distance, &coordination, &probability}) {
            data.AddView(view);
            view->resize(600, 500);
        }
    }

    /// How many coordination and probability computations ran.
    long computations(std::string_view begin) const
    {
        return std::count(frame.calls.begin(), frame.calls.end(), std::string(begin));
    }

    talvodata::testsupport::TempFolder folder;
    testsupport::RecordingFrame frame;
    CTalvoData data;
    COptions options;
    ChartServices services{data, options, nullptr, &frame};
    const DispersionSource still = [](float& dx, float& dy, float) { dx = dy = 0; };
    CDistanceView distance{services};
    CCoordinationView coordination{services};
    CProbabilityView probability{services, nullptr, still};
};

TEST_F(ChartViewTest, HiddenViewsKeepTheirHintsAndComputeOnceWhenShown)
{
    data.UpdateAllViews(nullptr, HintReset);
    data.UpdateAllViews(nullptr, HintShotParameters);
    data.UpdateAllViews(nullptr, HintModel);
    EXPECT_TRUE(frame.calls.empty());
    EXPECT_EQ(coordination.pendingParts(), CoordinationGraph::kAllParts);
    EXPECT_NE(probability.pendingParts(), 0U);

    coordination.show();
    probability.show();
    EXPECT_EQ(computations("begin 61510"), 1);
    EXPECT_EQ(computations("begin 61514"), 1);
    EXPECT_FALSE(coordination.ApplyPendingUpdate());

    // Shown, a hint computes at once; a concluded aiming without shots changes nothing.
    data.UpdateAllViews(nullptr, HintConcludeAiming);
    data.UpdateAllViews(nullptr, HintCurrentShot);
    EXPECT_EQ(computations("begin 61510"), 1);
    data.UpdateAllViews(nullptr, HintModel);
    EXPECT_EQ(computations("begin 61510"), 2);
    EXPECT_EQ(computations("begin 61514"), 1);
}

TEST_F(ChartViewTest, TheControlIntervalBoxStoresTheOptionAndEveryViewRecomputes)
{
    distance.show();
    coordination.show();
    options.showControlInterval2 = 0;
    data.UpdateAllViews(nullptr, HintShotParameters);
    QCheckBox* box = distance.controlIntervalBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(coordination.controlIntervalBox()->isChecked());
    const long before = computations("begin 61510");

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(options.showControlInterval2, 1U);
    EXPECT_EQ(computations("begin 61510"), before + 1);
    EXPECT_TRUE(coordination.controlIntervalBox()->isChecked());
    // The default second interval of 2 s opens both views' windows.
    EXPECT_EQ(coordination.graph().chart().m_xMin, -2.0);
    EXPECT_EQ(distance.graph().distance().m_xMin, -2.0);
    // The probability view was hidden: it computes when shown.
    EXPECT_NE(probability.pendingParts(), 0U);
}

TEST_F(ChartViewTest, FractionModeRecomputesTheProbabilityView)
{
    probability.show();
    probability.ApplyPendingUpdate();
    const long before = computations("begin 61514");
    QCheckBox* box = probability.fractionModeBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(probability.fractionMode());
    EXPECT_EQ(computations("begin 61514"), before + 1);

    probability.hide();
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(computations("begin 61514"), before + 1);
    probability.show();
    EXPECT_EQ(computations("begin 61514"), before + 2);
}

TEST_F(ChartViewTest, TwoChartViewsSplitAtThreeFifthsWithTheBoxAtTheTopRight)
{
    probability.show();
    QSplitter* splitter = probability.splitter();
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(splitter->geometry(), QRect(0, 0, 600, 500));
    EXPECT_EQ(splitter->sizes().front(), (500 - splitter->handleWidth()) * 3 / 5);
    QCheckBox* box = probability.fractionModeBox();
    EXPECT_EQ(box->parentWidget(), probability.probabilityWindow());
    EXPECT_EQ(box->geometry().right() + 1, probability.probabilityWindow()->width() - 5);
    EXPECT_EQ(box->geometry().top(), 5);
    EXPECT_EQ(coordination.splitter(), nullptr);
}

/// A move of the pointer with no button held, delivered as the window system would.
void moveMouse(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

TEST(ChartWindowTest, TheCursorAndAClickOnABarReportItsSeriesThePulseCurvesToo)
{
    for (const int id : {7, 0}) {
        SCOPED_TRACE(id);
        CChartImpl chart;
        chart.m_xMin = -10;
        chart.m_xMax = 10;
        chart.m_yMin = -10;
        chart.m_yMax = 10;
        chart.AddSeries(id, 0x0000FF, 15, true); // a bar at x 238 from y 78 to 223 in a 400 x 300 window at 96 dpi
        chart.AddPoint(id, 2, -5);
        chart.AddPoint(id, 2, 5);
        CChartWindow window(chart);
        window.resize(400, 300);
        window.setHitTesting(true);
        QSignalSpy clicked(&window, &CChartWindow::seriesClicked);
        moveMouse(&window, QPoint(200, 150));
        EXPECT_EQ(Qt::ArrowCursor, window.cursor().shape());
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(200, 150));
        EXPECT_EQ(clicked.count(), 0);
        moveMouse(&window, QPoint(239, 20));
        EXPECT_EQ(Qt::PointingHandCursor, window.cursor().shape());
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(239, 20));
        ASSERT_EQ(clicked.count(), 1);
        EXPECT_EQ(clicked.front().front().toInt(), id);
    }
}

} // namespace
} // namespace talvodesk
