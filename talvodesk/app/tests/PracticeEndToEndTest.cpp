#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/views/FrameServices.h"
#include "talvodesk/views/TraceView.h"

#include "platform/com/Bstr.h"
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
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>
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
    /// Pixels per millimetre.
    float scale() const { return m_scale; }

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

/// The program's own dialogs, but for the options dialog, whose OK gives the options set here.
class ProgramDialogs final : public FrameDialogs {
public:
    std::optional<std::uint32_t> editOptions(QWidget*, COptions& live, const TextLookup&,
                                             const platform::registry::Key*) override
    {
        if (!edited) {
            return std::nullopt;
        }
        COptions copy = live;
        edited(copy);
        return live.Assign(copy);
    }

    std::function<void(COptions&)> edited;
};

class PracticeEndToEndTest : public platform::registry::testing::RegistryFixture {
protected:
    PracticeEndToEndTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr); // A fresh account: not even the catalog folder exists yet.
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

    /// Runs the program as `arguments` start it on a simulated sensor of `model` that streams `script`; `body`
    /// gets the main window once the practice runs, and ends the program.
    void practise(int model, std::vector<sensorsim::AimSample> script, std::vector<std::string_view> arguments,
                  const std::function<void(MainFrame&)>& body, const std::function<void(COptions&)>& stored = {})
    {
        auto created = sensorsim::SensorSimulator::create(model);
        ASSERT_TRUE(created);
        simulator = std::move(*created);
        simulator->setScript(std::move(script));
        setEnvironment("TALVO_SERIAL_PORTS", ("COM7=" + simulator->programPath()).c_str());
        COptions options;
        options.enableRS232 = 1; // serial sensors are listed only when the options ask for them
        if (stored) {
            stored(options);
        }
        ASSERT_TRUE(options.Save(*OpenSettingsRoot()).hasValue());
        bool ran = false;
        QTimer poll;
        poll.setInterval(20);
        QElapsedTimer waited;
        waited.start();
        QObject::connect(&poll, &QTimer::timeout, qApp, [&] {
            auto* frame = dynamic_cast<MainFrame*>(FrameServices());
            if (!(frame && frame->practiceRun().IsRunning()) && waited.elapsed() < kPatienceMs) {
                return;
            }
            poll.stop();
            ran = frame != nullptr;
            if (frame) {
                body(*frame);
                frame->runCommand(cmd::StopPractice);
                frame->runCommand(cmd::Exit);
            }
        });
        poll.start();
        EXPECT_EQ(0, RunProgram(arguments, programDialogs));
        EXPECT_TRUE(ran) << "no practice started";
    }

    ProgramDialogs programDialogs;
    std::unique_ptr<sensorsim::SensorSimulator> simulator;
    std::vector<std::string> boxes;
};

std::vector<sensorsim::AimSample> darkness(double seconds, int sampleRate)
{
    return std::vector<sensorsim::AimSample>(static_cast<std::size_t>(seconds * sampleRate));
}

bool captionMarks(MainFrame& frame, const char* mark)
{
    return QTest::qWaitFor([&] { return frame.windowTitle().contains(QLatin1String(mark)); }, 3000);
}

TEST_F(PracticeEndToEndTest, APracticeOnTheSimulatedSerialSensorIsDrawnLiveAndSavesItsThreeScoredShots)
{
    std::vector<sensorsim::AimSample> script;
    for (const unsigned seed : {1U, 2U, 3U}) {
        const auto hold = sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {200, 2.0, seed});
        script.insert(script.end(), hold.begin(), hold.end());
    }
    bool stopped = false;
    const std::vector<std::string_view> arguments{"-n", "AR10", "Ann"};
    practise(300, std::move(script), arguments, [&](MainFrame& frame) {
        // The dialog started by itself on the first listed sensor, the simulator's port.
        ComPtr<ITalvoDevice> device;
        ASSERT_TRUE(frame.GetDevice(device.put()));
        LONG port = 0;
        EXPECT_EQ(S_OK, device->get_CommPort(&port));
        EXPECT_EQ(kSimulatorPort, port);
        device.reset();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return frame.sightingShots() == 3 && frame.practiceRun().CurrentAiming() == nullptr; }, kPatienceMs));
        QTest::qWait(600); // The zoom animation settles.
        EXPECT_EQ(cmd::ViewTrace, frame.currentView());
        const fs::path artifacts = fs::path(TALVO_TEST_ARTIFACTS);
        fs::create_directories(artifacts);
        EXPECT_TRUE(frame.grab().toImage().save(
            QString::fromStdString((artifacts / "main-window-after-three-shots.png").string())));
        auto* view = dynamic_cast<CTraceView*>(frame.findChild<QWidget*>(QStringLiteral("TraceView")));
        ASSERT_NE(view, nullptr);
        expectLastAimingDrawn(*view);
        frame.runCommand(cmd::StopPractice);
        stopped = !frame.devicePresent();
        frame.runCommand(cmd::FileSave);
    });

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

TEST_F(PracticeEndToEndTest, ASimulatedShootersShotsScoreApartAndMakeAGroup)
{
    // Four shots of a practice, about half a minute of it (twenty made a 29.3 mm group of 18 different results).
    constexpr int shots = 4;
    practise(300, sensorsim::practiceScript(sensorsim::SensorKind::Pavane, {200, shots, 5}), {"-n", "AR10", "Ann"},
             [&](MainFrame& frame) {
                 EXPECT_TRUE(QTest::qWaitFor(
                     [&] {
                         return frame.sightingShots() == static_cast<std::uint32_t>(shots) &&
                                frame.practiceRun().CurrentAiming() == nullptr;
                     },
                     shots * 15000));
                 ComPtr<IShotCollection> all;
                 LONG count = 0;
                 ASSERT_TRUE(frame.document().GetShots(all));
                 ASSERT_EQ(S_OK, all->get_Count(&count));
                 std::vector<std::pair<float, float>> breaches;
                 std::set<float> results;
                 for (LONG i = 1; i <= count; ++i) {
                     ComPtr<IShot> shot;
                     ASSERT_EQ(S_OK, all->get_Item(i, shot.put()));
                     float x = 0;
                     float y = 0;
                     float result = 0;
                     EXPECT_EQ(S_OK, shot->get_BreachX(&x));
                     EXPECT_EQ(S_OK, shot->get_BreachY(&y));
                     EXPECT_EQ(S_OK, shot->get_Result(&result));
                     VARIANT_BOOL missed = VARIANT_FALSE;
                     EXPECT_EQ(S_OK, shot->get_Missed(&missed));
                     if (missed == VARIANT_FALSE) {
                         breaches.emplace_back(x, y);
                     }
                     results.insert(result);
                 }
                 float groupSize = 0;
                 for (std::size_t a = 0; a < breaches.size(); ++a) {
                     for (std::size_t b = a + 1; b < breaches.size(); ++b) {
                         groupSize = std::max(groupSize, std::hypot(breaches[a].first - breaches[b].first,
                                                                    breaches[a].second - breaches[b].second));
                     }
                 }
                 EXPECT_GT(groupSize, 0.0F);
                 EXPECT_GT(results.size(), 1U);
             });
}

/// Dragging the live shot moves the device's correction by as much.
void expectDraggingTheLiveShotMovesTheCorrection(MainFrame& frame, CTraceView& view, ITalvoDevice& device)
{
    ComPtr<IShot> shot;
    ASSERT_TRUE(frame.document().GetCurrentShot(shot));
    float breachX = 0;
    float breachY = 0;
    ASSERT_EQ(S_OK, shot->get_BreachX(&breachX));
    ASSERT_EQ(S_OK, shot->get_BreachY(&breachY));
    QWidget* target = view.targetWidget();
    const PlaneToPixels toPixels(*view.target(), target->size());
    const QPoint from = toPixels(breachX, breachY);
    const QPoint to = from + QPoint(30, 0);
    float correctionX = 0;
    float correctionY = 0;
    ASSERT_EQ(S_OK, device.get_CorrectionX(1, &correctionX));
    ASSERT_EQ(S_OK, device.get_CorrectionY(1, &correctionY));
    // The control draws and takes the mouse in a widget of its own inside the host.
    QWidget* surface = target->childAt(from);
    ASSERT_NE(surface, nullptr);
    QTest::mousePress(surface, Qt::LeftButton, {}, surface->mapFrom(target, from));
    QTest::mouseMove(surface, surface->mapFrom(target, from + QPoint(15, 0)));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, surface->mapFrom(target, to));
    float draggedX = 0;
    float draggedY = 0;
    ASSERT_EQ(S_OK, device.get_CorrectionX(1, &draggedX));
    ASSERT_EQ(S_OK, device.get_CorrectionY(1, &draggedY));
    const float pixel = 1.0F / toPixels.scale();
    EXPECT_NEAR(draggedX - correctionX, 30 * pixel, 2 * pixel);
    EXPECT_NEAR(draggedY - correctionY, 0.0F, 2 * pixel);
}

/// Changed options reach the running device.
void expectChangedOptionsReachTheDevice(MainFrame& frame, ProgramDialogs& dialogs, ITalvoDevice& device)
{
    dialogs.edited = [](COptions& options) {
        options.saveSecBeforeShot = 2;
        options.saveSecAfterShot = 2;
        options.firingPoint = 7;
    };
    frame.runCommand(cmd::Options);
    float before = 0;
    float after = 0;
    LONG firingPoint = 0;
    EXPECT_EQ(S_OK, device.get_MaxTimeBeforeShot(1, &before));
    EXPECT_EQ(S_OK, device.get_MaxTimeAfterShot(1, &after));
    EXPECT_EQ(S_OK, device.get_FiringPoint(&firingPoint));
    EXPECT_EQ(before, 2.0F);
    EXPECT_EQ(after, 2.0F);
    EXPECT_EQ(firingPoint, 7);
}

/// Enter concludes the aiming the shooter is holding, as a missed shot; the shot then comes in an aiming of its
/// own. `shots` gets the first shot of each of the three aimings.
void expectEnterConcludesTheHeldAimingAsMissed(MainFrame& frame, std::vector<ComPtr<IShot>>& shots)
{
    QApplication::setActiveWindow(&frame);
    // Held for a while: an aiming of no points would be a flicker, not a missed shot.
    const auto heldPoints = [&] {
        ComPtr<IAimingTrace> trace;
        LONG points = 0;
        IAiming* aiming = frame.practiceRun().CurrentAiming();
        return frame.snapshot().aimingOpen && aiming && SUCCEEDED(aiming->get_Trace(trace.put())) &&
               SUCCEEDED(trace->get_Count(&points)) && points >= 20;
    };
    ASSERT_TRUE(QTest::qWaitFor(heldPoints, kPatienceMs));
    const ComPtr<IAiming> held(frame.practiceRun().CurrentAiming());
    ASSERT_TRUE(held);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &frame, Qt::Key_Return);
    EXPECT_NE(frame.practiceRun().CurrentAiming(), held.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.sightingShots() == 3; }, kPatienceMs));
    ComPtr<IAimingCollection> aimings;
    ASSERT_TRUE(frame.document().GetAimings(aimings));
    for (LONG i = 1; i <= 3; ++i) {
        ComPtr<IAiming> aiming;
        ComPtr<IShot> first;
        VARIANT_BOOL missed = VARIANT_FALSE;
        ASSERT_EQ(S_OK, aimings->get_Item(i, aiming.put()));
        ASSERT_EQ(S_OK, aiming->get_Shot(1, first.put()));
        ASSERT_EQ(S_OK, first->get_Missed(&missed));
        EXPECT_EQ(missed == VARIANT_TRUE, i == 2) << i;
        shots.push_back(first);
    }
}

/// Replay all goes on from the last aiming to the first and through every other, passing over the missed shot,
/// which has no trace to replay.
void expectReplayAllPassesOverTheMissedShot(MainFrame& frame, const std::vector<ComPtr<IShot>>& shots)
{
    frame.runCommand(cmd::ReplayAll);
    EXPECT_TRUE(frame.snapshot().replayAll);
    const auto replaying = [&](const ComPtr<IShot>& expected) {
        return QTest::qWaitFor(
            [&] {
                ComPtr<IShot> current;
                return frame.document().GetCurrentShot(current) && current.get() == expected.get() &&
                       frame.snapshot().replayState != 0;
            },
            15000);
    };
    EXPECT_TRUE(replaying(shots[0]));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            ComPtr<IShot> current;
            return frame.document().GetCurrentShot(current) && current.get() == shots[1].get();
        },
        15000));
    EXPECT_TRUE(replaying(shots[2]));
    EXPECT_TRUE(frame.snapshot().replayAll);
    frame.runCommand(cmd::ReplayAll);
    EXPECT_FALSE(frame.snapshot().replayAll);
    EXPECT_EQ(frame.snapshot().replayState, 0);
}

TEST_F(PracticeEndToEndTest, ALivePracticeReplaysDragsTakesOptionsAndEnterConcludesTheAiming)
{
    constexpr int kRate = 200;
    std::vector<sensorsim::AimSample> script = sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {kRate, 2.0, 1});
    const auto gap = darkness(4.0, kRate);
    const auto second = sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {kRate, 3.0, 2});
    script.insert(script.end(), gap.begin(), gap.end());
    script.insert(script.end(), second.begin(), second.end());
    const std::vector<std::string_view> arguments{"-n", "AR10", "Ann"};
    practise(
        300, std::move(script), arguments,
        [&](MainFrame& frame) {
            ComPtr<ITalvoDevice> device;
            ASSERT_TRUE(frame.GetDevice(device.put()));
            auto* view = dynamic_cast<CTraceView*>(frame.findChild<QWidget*>(QStringLiteral("TraceView")));
            ASSERT_NE(view, nullptr);

            // The caption marks the strong signal while the shooter aims.
            EXPECT_TRUE(captionMarks(frame, " + ")) << frame.windowTitle().toStdString();

            // The shot is replayed by itself once the device has concluded its aiming.
            ASSERT_TRUE(QTest::qWaitFor([&] { return frame.sightingShots() == 1; }, kPatienceMs));
            EXPECT_TRUE(QTest::qWaitFor([&] { return frame.snapshot().replayState != 0; }, 5000));
            EXPECT_EQ(cmd::ViewTrace, frame.currentView());
            frame.runCommand(cmd::Replay);
            EXPECT_EQ(frame.snapshot().replayState, 0);

            ASSERT_NO_FATAL_FAILURE(expectDraggingTheLiveShotMovesTheCorrection(frame, *view, *device));
            expectChangedOptionsReachTheDevice(frame, programDialogs, *device);
            std::vector<ComPtr<IShot>> shots;
            ASSERT_NO_FATAL_FAILURE(expectEnterConcludesTheHeldAimingAsMissed(frame, shots));
            EXPECT_TRUE(QTest::qWaitFor([&] { return frame.snapshot().replayState != 0; }, 5000));
            expectReplayAllPassesOverTheMissedShot(frame, shots);

            // Once the sensor stops, so does the mark.
            simulator->unplug();
            EXPECT_TRUE(captionMarks(frame, " - ")) << frame.windowTitle().toStdString();
        },
        [](COptions& options) { options.replaySpeed = 300; });
}

TEST_F(PracticeEndToEndTest, TheBiathlonPositionsSetTheSubTargetAndResetHardwareReconnects)
{
    const std::vector<std::string_view> arguments{"-n", "BTLN", "Ann"};
    practise(307, darkness(1.0, 100), arguments, [&](MainFrame& frame) {
        ComPtr<ITalvoDevice> device;
        ASSERT_TRUE(frame.GetDevice(device.put()));
        auto* view = dynamic_cast<CTraceView*>(frame.findChild<QWidget*>(QStringLiteral("TraceView")));
        ASSERT_NE(view, nullptr);
        for (const auto& [command, subTarget] : {std::pair{cmd::Prone, 2L}, std::pair{cmd::Standing, 1L}}) {
            SCOPED_TRACE(subTarget);
            frame.runCommand(command);
            LONG onDevice = 0;
            LONG onTarget = 0;
            EXPECT_EQ(S_OK, device->get_SubTarget(1, &onDevice));
            EXPECT_EQ(S_OK, view->target()->get_SubTarget(&onTarget));
            EXPECT_EQ(onDevice, subTarget);
            EXPECT_EQ(onTarget, subTarget);
            EXPECT_TRUE(frame.action(command)->isChecked());
        }
        // Reset hardware connects the device again.
        frame.runCommand(cmd::ResetHardware);
        VARIANT_BOOL connected = VARIANT_FALSE;
        EXPECT_EQ(S_OK, device->get_Connected(&connected));
        EXPECT_EQ(connected, VARIANT_TRUE);
    });
    EXPECT_TRUE(boxes.empty()) << boxes.front();
}

} // namespace
