#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/FrameServices.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/app/TraceView.h"
#include "talvodesk/core/Options.h"
#include "talvodesk/core/Settings.h"
#include "talvodesk/core/TalvoData.h"
#include "talvolink/Register.h"

#include "talvoboard/Register.h"

#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "tools/sensorsim/SensorSimulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

// Bounds the waits on the simulated sensor; passing it is a failure, never the expected path.
constexpr int kPatienceMs = 60000;
constexpr long kSimulatorPort = 7;

/// Where the control's plane (millimetres, y down) lands in its widget: the visible part, its aspect kept,
/// centred.
class PlaneToPixels {
public:
    PlaneToPixels(ITarget& target, const QSize& size)
    {
        float left = 0;
        float top = 0;
        float width = 1;
        float height = 1;
        EXPECT_EQ(S_OK, target.get_VisibleLeft(&left));
        EXPECT_EQ(S_OK, target.get_VisibleTop(&top));
        EXPECT_EQ(S_OK, target.get_VisibleWidth(&width));
        EXPECT_EQ(S_OK, target.get_VisibleHeight(&height));
        m_scale = std::min(size.width() / width, size.height() / height);
        m_left = left - (size.width() / m_scale - width) / 2;
        m_top = top - (size.height() / m_scale - height) / 2;
    }
    QPoint operator()(float x, float y) const
    {
        return {static_cast<int>(std::lround((x - m_left) * m_scale)),
                static_cast<int>(std::lround((y - m_top) * m_scale))};
    }

private:
    float m_scale = 1;
    float m_left = 0;
    float m_top = 0;
};

/// Whether the drawing differs from the bare face within `radius` pixels of `at`.
bool drawnNear(const QImage& drawing, const QImage& face, QPoint at, int radius)
{
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (drawing.rect().contains(p) && drawing.pixel(p) != face.pixel(p)) {
                return true;
            }
        }
    }
    return false;
}

/// Checks that the trace view shows the last aiming's breach and its trace before the shot where their
/// coordinates say, against the same face drawn bare, and leaves the face alone far from them.
void expectLastAimingDrawn(CTraceView& view)
{
    ITarget* target = view.target();
    QWidget* widget = view.targetWidget();
    ASSERT_NE(target, nullptr);
    const QImage drawing = widget->grab().toImage();
    ComPtr<IAiming> aiming;
    ComPtr<IShot> shot;
    ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, target->get_Item(1, aiming.put()));
    ASSERT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
    ASSERT_EQ(S_OK, aiming->get_Trace(trace.put()));
    const PlaneToPixels toPixels(*target, widget->size());
    float breachX = 0;
    float breachY = 0;
    ASSERT_EQ(S_OK, shot->get_BreachX(&breachX));
    ASSERT_EQ(S_OK, shot->get_BreachY(&breachY));
    LONG shotIndex = 0;
    ASSERT_EQ(S_OK, shot->get_TraceIndex(&shotIndex));
    std::vector<QPoint> tracePoints;
    for (LONG i = shotIndex - 150; i <= shotIndex; i += 10) { // The last 0.75 s before the shot.
        float x = 0;
        float y = 0;
        if (SUCCEEDED(trace->get_x(i, &x)) && SUCCEEDED(trace->get_y(i, &y))) {
            tracePoints.push_back(toPixels(x, y));
        }
    }
    ASSERT_EQ(S_OK, target->Clear());
    ASSERT_EQ(S_OK, target->Refresh());
    const QImage face = widget->grab().toImage();

    EXPECT_TRUE(drawnNear(drawing, face, toPixels(breachX, breachY), 1));
    ASSERT_FALSE(tracePoints.empty());
    for (const QPoint& at : tracePoints) {
        EXPECT_TRUE(drawnNear(drawing, face, at, 2)) << at.x() << ", " << at.y();
    }
    const QPoint corners[] = {{8, 8}, {widget->width() - 9, 8}};
    for (const QPoint& corner : corners) {
        const bool nearTrace = std::any_of(tracePoints.begin(), tracePoints.end(),
                                           [&](const QPoint& p) { return (p - corner).manhattanLength() < 40; });
        if (!nearTrace) {
            EXPECT_FALSE(drawnNear(drawing, face, corner, 3)) << corner.x() << ", " << corner.y();
        }
    }
}

class PracticeEndToEndTest : public platform::registry::testing::RegistryFixture {
protected:
    PracticeEndToEndTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr); // A fresh account: not even the catalog folder exists yet.
        talvoboard::registerClasses(platform::com::ClassTable::instance());
        talvolink::registerClasses(platform::com::ClassTable::instance());
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            boxes.push_back(box.text.toStdString());
            return IDNO;
        });
    }
    ~PracticeEndToEndTest() override { SetMessageBoxAnswerer({}); }

    /// The practices saved anywhere under the test's folder.
    std::vector<fs::path> savedPractices() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(folder())) {
            if (entry.path().extension() == ".talvo") {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    FrameDialogs dialogs;
    std::vector<std::string> boxes;
};

TEST_F(PracticeEndToEndTest, APracticeOnTheSimulatedSerialSensorIsDrawnLiveAndSavesItsThreeScoredShots)
{
    auto sensor = sensorsim::SensorSimulator::create(300);
    ASSERT_TRUE(sensor);
    std::vector<sensorsim::AimSample> script;
    for (const unsigned seed : {1U, 2U, 3U}) {
        const auto hold = sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {200, 2.0, seed});
        script.insert(script.end(), hold.begin(), hold.end());
    }
    (*sensor)->setScript(std::move(script));
    setEnvironment("TALVO_SERIAL_PORTS", ("COM7=" + (*sensor)->programPath()).c_str());
    // Serial sensors are listed only when the options ask for them.
    COptions options;
    options.enableRS232 = 1;
    ASSERT_TRUE(options.Save(*OpenSettingsRoot()).hasValue());

    bool stopped = false;
    // The start dialog runs its own loop: the test goes on once the practice it started runs.
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, qApp, [&] {
        auto* frame = dynamic_cast<MainFrame*>(FrameServices());
        const bool running = frame != nullptr && frame->practiceRun().IsRunning();
        if (!running && waited.elapsed() < kPatienceMs) {
            return;
        }
        poll.stop();
        ASSERT_TRUE(running) << "no practice started";
        // The dialog started by itself on the first listed sensor, the simulator's port.
        ComPtr<ITalvoDevice> device;
        ASSERT_TRUE(frame->GetDevice(device.put()));
        LONG port = 0;
        EXPECT_EQ(S_OK, device->get_CommPort(&port));
        EXPECT_EQ(kSimulatorPort, port);
        device.reset();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return frame->sightingShots() == 3 && frame->practiceRun().CurrentAiming() == nullptr; },
            kPatienceMs));
        QTest::qWait(600); // The zoom animation settles.
        EXPECT_EQ(cmd::ViewTrace, frame->currentView());
        const fs::path artifacts = fs::path(TALVO_TEST_ARTIFACTS);
        fs::create_directories(artifacts);
        EXPECT_TRUE(frame->grab().toImage().save(
            QString::fromStdString((artifacts / "main-window-after-three-shots.png").string())));
        auto* view = dynamic_cast<CTraceView*>(frame->findChild<QWidget*>(QStringLiteral("TraceView")));
        ASSERT_NE(view, nullptr);
        expectLastAimingDrawn(*view);
        frame->runCommand(cmd::StopPractice);
        stopped = !frame->devicePresent();
        frame->runCommand(cmd::FileSave);
        frame->runCommand(cmd::Exit);
    });
    poll.start();
    const std::vector<std::string_view> arguments{"-n", "AR10", "Ann"};
    EXPECT_EQ(0, RunProgram(arguments, dialogs));

    EXPECT_TRUE(stopped);
    EXPECT_TRUE(boxes.empty()) << boxes.front();

    const std::vector<fs::path> saved = savedPractices();
    ASSERT_EQ(1U, saved.size());
    EXPECT_EQ(folder() / "Talvo catalog", saved.front().parent_path()) << "the first save makes the catalog folder";
    CTalvoData practice;
    ASSERT_TRUE(practice.Open(Bstr(saved.front().string()).get()));
    ComPtr<IShotCollection> shots;
    LONG count = 0;
    ASSERT_TRUE(practice.GetShots(shots));
    ASSERT_EQ(S_OK, shots->get_Count(&count));
    ASSERT_EQ(3, count);
    for (LONG i = 1; i <= count; ++i) {
        SCOPED_TRACE(i);
        ComPtr<IShot> shot;
        ASSERT_EQ(S_OK, shots->get_Item(i, shot.put()));
        VARIANT_BOOL missed = VARIANT_TRUE;
        float result = 0;
        EXPECT_EQ(S_OK, shot->get_Missed(&missed));
        EXPECT_EQ(VARIANT_FALSE, missed);
        EXPECT_EQ(S_OK, shot->get_Result(&result));
        EXPECT_GT(result, 0.0F);
    }
    Bstr shooter;
    EXPECT_TRUE(practice.GetShooterName(shooter));
    EXPECT_EQ(u"Ann", shooter.view());
}

} // namespace
