#include "talvodesk/app/TraceView.h"
#include "talvodesk/core/DeviceEventSink.h"
#include "talvodesk/core/Options.h"
#include "talvodesk/core/PracticeDevice.h"
#include "talvodesk/core/PracticeRun.h"
#include "talvodesk/core/TalvoData.h"
#include "talvolink/Register.h"
#include "talvolink/TalvoDevice.h"

#include "talvodata/tests/support/Events.h"

#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/Clock.h"
#include "tools/sensorsim/SensorSimulator.h"

#include <QImage>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <filesystem>

using namespace talvodesk;
namespace fs = std::filesystem;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

// Bounds the waits on the simulated sensor; passing it is a failure, never the expected path.
constexpr int kPatienceMs = 60000;

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

class TraceViewEndToEndTest : public platform::registry::testing::RegistryFixture {};

TEST_F(TraceViewEndToEndTest, APracticeOnTheSimulatedSensorIsDrawnLiveWhereItsCoordinatesSay)
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
    talvolink::registerClasses(platform::com::ClassTable::instance());
    auto created = talvolink::CTalvoDevice::create();
    ASSERT_TRUE(created);
    const ComPtr<talvolink::CTalvoDevice> control = created.value();

    // The practice as the frame runs it: the device's events through the practice run into the document, whose
    // views include the trace view.
    platform::time::SystemClock clock;
    COptions options;
    CTalvoData data;
    PracticeRun run({data, options, clock});
    CTraceView view({data, options, clock});
    data.AddView(&view.logic());
    view.resize(640, 480);
    view.show();
    ASSERT_TRUE(
        data.NewPractice(talvodata::testsupport::shippedEvent("AR10").get(), Bstr("Ann").get(), -1, Bstr().get(), 12));
    data.UpdateAllViews(nullptr, HintReset);
    data.UpdateAllViews(nullptr, HintPracticeStart);
    const auto sink = platform::com::makeComObject<DeviceEventSink>(run);
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put()));
    ASSERT_EQ(S_OK, point->Advise(sink.get(), &cookie));
    ASSERT_EQ(S_OK, control->put_CommPort(7));
    ASSERT_EQ(S_OK, control->put_EventShortName(1, Bstr("AR10").get()));
    TalvoDevicePort port(control);
    run.Start(&port, /*matchMode=*/true, /*subTarget=*/1);
    ASSERT_EQ(S_OK, control->put_Connected(VARIANT_TRUE));
    ITarget* target = view.target();
    ASSERT_NE(target, nullptr);

    // Live: the open aiming is on the target while the shooter aims.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            ComPtr<IAiming> shown;
            IAiming* open = run.CurrentAiming();
            return open && SUCCEEDED(target->get_Item(1, shown.put())) && shown.get() == open;
        },
        kPatienceMs));
    const auto shots = [&data] {
        ComPtr<IShotCollection> all;
        LONG count = 0;
        return data.GetShots(all) && SUCCEEDED(all->get_Count(&count)) ? count : 0;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return shots() == 3 && !run.CurrentAiming(); }, kPatienceMs));
    QTest::qWait(600); // The zoom animation settles.
    (void)control->put_Connected(VARIANT_FALSE);
    run.Stop();
    (void)point->Unadvise(cookie);

    const fs::path artifacts = fs::path(TALVO_TEST_ARTIFACTS);
    fs::create_directories(artifacts);
    EXPECT_TRUE(
        view.grab().toImage().save(QString::fromStdString((artifacts / "trace-view-after-three-shots.png").string())));
    // The last aiming with its shot, against the same face drawn bare.
    QWidget* widget = view.targetWidget();
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
    // Far from the trace the face is left as it is.
    const QPoint corners[] = {{8, 8}, {widget->width() - 9, 8}};
    for (const QPoint& corner : corners) {
        const bool nearTrace = std::any_of(tracePoints.begin(), tracePoints.end(),
                                           [&](const QPoint& p) { return (p - corner).manhattanLength() < 40; });
        if (!nearTrace) {
            EXPECT_FALSE(drawnNear(drawing, face, corner, 3)) << corner.x() << ", " << corner.y();
        }
    }
}

} // namespace
