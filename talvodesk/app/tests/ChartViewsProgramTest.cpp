#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/testing/ChartSeries.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/views/ChartWindow.h"
#include "talvodesk/views/CoordinationView.h"
#include "talvodesk/views/DistanceView.h"
#include "talvodesk/views/ProbabilityView.h"
#include "talvodesk/views/ShotDetailsPane.h"
#include "talvodesk/views/SpeedView.h"
#include "talvodesk/views/TimeIntervalsView.h"
#include "talvodesk/views/TimeShiftView.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QTest>

#include <filesystem>

using namespace talvodesk;
using talvodesk::testsupport::FindSeries;
namespace fs = std::filesystem;

namespace {

/// The catalog answers the open-model command with one practice.
class ModelDialogs final : public FrameDialogs {
public:
    explicit ModelDialogs(fs::path model) : m_model(std::move(model)) {}
    std::optional<fs::path> openFromCatalog(QWidget*, const CatalogChoice&) override { return m_model; }

private:
    fs::path m_model;
};

class ChartViewsProgramTest : public platform::registry::testing::RegistryFixture {
protected:
    ChartViewsProgramTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        fs::create_directories(folder() / "Talvo catalog");
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            boxes.push_back(box.text.toStdString());
            return IDNO;
        });
    }
    ~ChartViewsProgramTest() override { SetMessageBoxAnswerer({}); }

    /// Runs the program on `practice` as main() does; `check` runs in it once the frame is up, then it exits.
    void runOn(const fs::path& practice, FrameDialogs& dialogs, const std::function<void(MainFrame*)>& check)
    {
        EXPECT_EQ(0,
                  testsupport::RunProgramWith({practice.string()}, dialogs, [&](MainFrame& frame) { check(&frame); }));
        EXPECT_TRUE(boxes.empty()) << boxes.front();
    }

    std::vector<std::string> boxes;
};

struct ViewPage {
    cmd::Id command;
    const char* name;
};

/// Shows the page through its view command, checks that it computed what it was told while hidden, and saves it.
template <typename View> View* showPage(MainFrame* frame, const ViewPage& page, const std::string& artifact)
{
    auto* view = dynamic_cast<View*>(frame->findChild<QWidget*>(QString::fromLatin1(page.name)));
    EXPECT_NE(view, nullptr);
    if (!view) {
        return nullptr;
    }
    EXPECT_NE(view->pendingParts(), 0U);
    frame->runCommand(page.command);
    EXPECT_EQ(frame->currentView(), page.command);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->pendingParts(), 0U);
    QTest::qWait(50);
    const fs::path artifacts = fs::path(TALVO_TEST_ARTIFACTS);
    fs::create_directories(artifacts);
    EXPECT_TRUE(view->grab().save(QString::fromStdString((artifacts / (artifact + ".png")).string())));
    return view;
}

long pointsOf(CChartImpl& chart, std::int32_t id)
{
    return static_cast<long>(FindSeries(chart, id)->points.size());
}

TEST_F(ChartViewsProgramTest, TheThreeGraphsOfASixtyShotPracticeWithAModelAreShownThroughTheViewCommands)
{
    const fs::path practice = folder() / "practice.talvo";
    const fs::path model = folder() / "model.talvo";
    (void)testsupport::writePractice(practice, 60, 2);
    (void)testsupport::writePractice(model, 60, 4);
    ModelDialogs dialogs(model);

    bool checked = false;
    const auto check = [&](MainFrame* frame) {
        frame->runCommand(cmd::OpenModel);
        EXPECT_TRUE(frame->snapshot().modelValid);
        const fs::path artifacts = fs::path(TALVO_TEST_ARTIFACTS);
        fs::create_directories(artifacts);
        struct Page {
            cmd::Id command;
            const char* name;
        };
        for (const Page& page :
             {Page{cmd::ViewDistance, "DistanceView"}, Page{cmd::ViewCoordination, "CoordinationView"},
              Page{cmd::ViewProbability, "ProbabilityView"}}) {
            SCOPED_TRACE(page.name);
            auto* view = dynamic_cast<CChartView*>(frame->findChild<QWidget*>(QString::fromLatin1(page.name)));
            ASSERT_NE(view, nullptr);
            // Hidden until now, the view kept what it was told and computes as it is shown.
            EXPECT_NE(view->pendingParts(), 0U);
            frame->runCommand(page.command);
            EXPECT_EQ(frame->currentView(), page.command);
            EXPECT_TRUE(view->isVisible());
            EXPECT_EQ(view->pendingParts(), 0U);
            QTest::qWait(50);
            EXPECT_TRUE(
                view->grab().save(QString::fromStdString((artifacts / (std::string(page.name) + ".png")).string())));
        }
        auto* distance = dynamic_cast<CDistanceView*>(frame->findChild<QWidget*>(QStringLiteral("DistanceView")));
        auto* coordination =
            dynamic_cast<CCoordinationView*>(frame->findChild<QWidget*>(QStringLiteral("CoordinationView")));
        auto* probability =
            dynamic_cast<CProbabilityView*>(frame->findChild<QWidget*>(QStringLiteral("ProbabilityView")));
        ASSERT_TRUE(distance && coordination && probability);
        // The first match shot is current: the default 2 s window holds all 300 samples before the shot, and 40
        // follow it.
        EXPECT_EQ(pointsOf(distance->graph().distance(), DistanceGraph::kAbsoluteDistance), 300 + 40);
        EXPECT_EQ(FindSeries(coordination->graph().chart(), CoordinationGraph::kDocumentFinal)->name,
                  u"Coordination: 60 match shots");
        EXPECT_EQ(FindSeries(coordination->graph().chart(), CoordinationGraph::kModelFinal)->name,
                  u"Model: 60 match shots");
        EXPECT_GT(pointsOf(coordination->graph().chart(), CoordinationGraph::kModelFinal) +
                      pointsOf(coordination->graph().chart(), CoordinationGraph::kModelBefore),
                  0);
        EXPECT_EQ(pointsOf(probability->graph().probability(), ProbabilityGraph::kAtLeast), 41);
        checked = true;
    };
    runOn(practice, dialogs, check);
    EXPECT_TRUE(checked);
}

TEST_F(ChartViewsProgramTest, TheTimeViewsOfASixtyShotPracticeWithAModelAreShownThroughTheViewCommands)
{
    const fs::path practice = folder() / "practice.talvo";
    const fs::path model = folder() / "model.talvo";
    (void)testsupport::writeTimedPractice(practice, 60, 2);
    (void)testsupport::writeTimedPractice(model, 60, 4);
    ModelDialogs dialogs(model);
    runOn(practice, dialogs, [](MainFrame* frame) {
        frame->runCommand(cmd::OpenModel);
        EXPECT_TRUE(frame->snapshot().modelValid);
        auto* shift = showPage<CTimeShiftView>(frame, {cmd::ViewShift, "TimeShiftView"}, "TimeShiftView");
        auto* speed = showPage<CSpeedView>(frame, {cmd::ViewSpeed, "SpeedView"}, "SpeedView");
        auto* intervals =
            showPage<CTimeIntervalsView>(frame, {cmd::ViewIntervals, "TimeIntervalsView"}, "TimeIntervalsView");
        ASSERT_TRUE(shift && speed && intervals);
        const CChartImpl& totals = shift->graph().chart();
        EXPECT_EQ(FindSeries(totals, TimeShiftGraph::kDocument)->name, u"Time shift: 60 match shots");
        EXPECT_EQ(FindSeries(totals, TimeShiftGraph::kModel)->name, u"Model: 60 match shots");
        // The default 2 s window holds all 300 samples before the shot, and 40 follow it.
        EXPECT_EQ(pointsOf(shift->graph().chart(), TimeShiftGraph::kDocument), 300 + 40);
        EXPECT_LT(totals.m_yMin, totals.m_yMax);
        EXPECT_GT(pointsOf(speed->graph().shots(), SpeedGraph::kModel), 0);
        EXPECT_GT(pointsOf(speed->graph().currentShot(), SpeedGraph::kCurrentShot), 0);
        EXPECT_EQ(intervals->graph().count(), 60);
        EXPECT_GT(pointsOf(intervals->graph().chart(), TimeIntervalsGraph::kPulse), 0);
        EXPECT_TRUE(intervals->detailsPane()->isVisible());
        std::u16string number;
        EXPECT_TRUE(intervals->detailsPane()->page().GetElementText(u"idShotNumber", number));
        EXPECT_FALSE(number.empty());
    });
}

TEST_F(ChartViewsProgramTest, TheTimeIntervalsOfABiathlonPracticeLayTheStagesOverOneAnother)
{
    const fs::path practice = folder() / "biathlon.talvo";
    (void)testsupport::writeTimedPractice(practice, 20, 0, "BTLN");
    ModelDialogs dialogs(practice);
    runOn(practice, dialogs, [](MainFrame* frame) {
        auto* intervals =
            showPage<CTimeIntervalsView>(frame, {cmd::ViewIntervals, "TimeIntervalsView"}, "TimeIntervalsViewBiathlon");
        ASSERT_NE(intervals, nullptr);
        EXPECT_FALSE(intervals->detailsPane()->isVisible());
        EXPECT_EQ(intervals->graph().chart().series().size(), 20U);
        EXPECT_EQ(intervals->graph().chart().m_yMax, 100);
    });
}

} // namespace
