// The 10 m air rifle face drawn into an 800 x 800 image, as every paint of a target draws it.
// Target: under 2 ms on one core.
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/IPicture.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>

namespace {

using platform::com::ComPtr;

constexpr int kSide = 800;

void airRifleFace(benchmark::State& state)
{
    const ComPtr<IEventParams> event = bench::shippedEvent("AR10");
    if (!event) {
        bench::fail("no AR10 event file: build the talvo_events target first");
    }
    ComPtr<IDispatch> appearance;
    if (FAILED(event->GetTargetAppearance(1, VARIANT_TRUE, VARIANT_TRUE, appearance.put()))) {
        bench::fail("no face picture");
    }
    const ComPtr<IPicture> picture = appearance.queryInterface<IPicture>();
    QImage image(kSide, kSide, QImage::Format_RGB32);
    for (auto _ : state) {
        platform::gfx::DrawContextQt context(image);
        benchmark::DoNotOptimize(picture->Render(&context, 0, 0, kSide, kSide));
    }
    state.counters["target_ms"] = 2;
    state.SetLabel("target under 2 ms");
}
BENCHMARK(airRifleFace)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0); // Fonts need an application, not a display.
    QGuiApplication application(argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
