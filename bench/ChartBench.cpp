// The graph views of a 60-shot practice with a 60-shot model (5 s before each shot and 1 s after it at 200 Hz):
// one recomputation of the distance graph (the current shot; target under 5 ms), of the coordination graph (the
// practice and the model; target under 5 ms) and of the probability graph (target under 20 ms), and drawing the
// distance view's displacement chart into an 800 x 600 image (target under 3 ms). The time views: the time shift,
// speed and time intervals graphs of the same practice (targets under 10 ms each), and the time shift graph of a
// 600-shot practice without a model over a 3 s window (target under 100 ms).
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodesk/core/analysis/chart/CoordinationGraph.h"
#include "talvodesk/core/analysis/chart/DistanceGraph.h"
#include "talvodesk/core/analysis/chart/ProbabilityGraph.h"
#include "talvodesk/core/analysis/chart/SpeedGraph.h"
#include "talvodesk/core/analysis/chart/TimeIntervalsGraph.h"
#include "talvodesk/core/analysis/chart/TimeShiftGraph.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/ChartSeries.h"

#include "talvodata/Register.h"
#include "talvodata/TalvoDocument.h"

#include "interfaces/talvodata/IShot.h"

#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/gfx/DrawContextQt.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
namespace fs = std::filesystem;

constexpr int kShots = 60;
constexpr int kManyShots = 600;

/// Writes a practice of match shots spread over the face, a minute apart, and returns its path.
fs::path writePractice(const fs::path& path, unsigned seed, int shots = kShots)
{
    const ComPtr<IEventParams> event = bench::shippedEvent("AR10");
    auto created = talvodata::CTalvoDocument::create();
    if (!event || !created) {
        bench::fail("no AR10 event file: build the talvo_events target first");
    }
    const ComPtr<talvodata::CTalvoDocument> document = std::move(created).value();
    ComPtr<IAimingCollection> aimings;
    if (FAILED(document->get_Aimings(aimings.put())) || FAILED(document->put_Event(event.get()))) {
        bench::fail("no document");
    }
    for (int i = 0; i < shots; ++i) {
        bench::AimingShape shape;
        shape.centreX = (i % 7 - 3) * 150;
        shape.centreY = (i % 5 - 2) * 150;
        const ComPtr<IAiming> aiming = bench::recordedAiming(event.get(), shape, seed + static_cast<unsigned>(i));
        ComPtr<IAimingAttr> attributes;
        ComPtr<IShot> shot;
        if (!aiming || FAILED(aiming->get_Attr(attributes.put())) || FAILED(attributes->put_Match(VARIANT_TRUE)) ||
            FAILED(aiming->get_Shot(1, shot.put())) || FAILED(shot->put_ShotTime(46000.25 + i / 1440.0)) ||
            FAILED(aimings->Add(aiming.get()))) {
            bench::fail("no aiming");
        }
    }
    const Bstr name(path.string());
    if (FAILED(document->put_FileName(name.get())) || FAILED(document->Save())) {
        bench::fail("the practice cannot be saved");
    }
    return path;
}

/// The document of the views: the practice, its model and its first shot current.
struct GraphWorld {
    GraphWorld(int shots, bool model)
    {
        const fs::path folder = fs::temp_directory_path() / ("chart_bench_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        if (!data.Open(Bstr(writePractice(folder / "practice.talvo", 1, shots).string()).get()) ||
            (model && !data.OpenModel(Bstr(writePractice(folder / "model.talvo", 1000, shots).string()).get()))) {
            bench::fail("the practice or its model does not open");
        }
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    talvodesk::CTalvoData data;
    talvodesk::COptions options;
    talvodesk::ChartServices services{data, options};
};

std::unique_ptr<GraphWorld> g_world;
std::unique_ptr<GraphWorld> g_largeWorld;

GraphWorld& world()
{
    if (!g_world) {
        g_world = std::make_unique<GraphWorld>(kShots, /*model=*/true);
    }
    return *g_world;
}

/// 600 shots without a model, with the second control interval of 3 s in force.
GraphWorld& largeWorld()
{
    if (!g_largeWorld) {
        g_largeWorld = std::make_unique<GraphWorld>(kManyShots, /*model=*/false);
        g_largeWorld->options.showControlInterval2 = 1;
        if (!g_largeWorld->data.SetShotParameters(12, 1.0F, 3, 0, 0, false)) {
            bench::fail("the 3 s window cannot be set");
        }
    }
    return *g_largeWorld;
}

void distanceGraph(benchmark::State& state)
{
    talvodesk::DistanceGraph graph(world().services);
    for (auto _ : state) {
        graph.Recalculate();
    }
    state.counters["points"] = static_cast<double>(
        talvodesk::testsupport::FindSeries(graph.distance(), talvodesk::DistanceGraph::kAbsoluteDistance)
            ->points.size());
    state.counters["target_ms"] = 5;
    state.SetLabel("current shot: target under 5 ms");
}
BENCHMARK(distanceGraph)->Unit(benchmark::kMillisecond);

void coordinationGraph(benchmark::State& state)
{
    talvodesk::CoordinationGraph graph(world().services);
    for (auto _ : state) {
        graph.Recalculate(talvodesk::CoordinationGraph::kAllParts);
    }
    state.counters["target_ms"] = 5;
    state.SetLabel("60 shots and a 60-shot model: target under 5 ms");
}
BENCHMARK(coordinationGraph)->Unit(benchmark::kMillisecond);

void probabilityGraph(benchmark::State& state)
{
    talvodesk::ProbabilityGraph graph(world().services);
    for (auto _ : state) {
        graph.Recalculate(/*fractionMode=*/true);
    }
    state.counters["target_ms"] = 20;
    state.SetLabel("60 shots, 41 dispersions: target under 20 ms");
}
BENCHMARK(probabilityGraph)->Unit(benchmark::kMillisecond);

void drawChart(benchmark::State& state)
{
    talvodesk::DistanceGraph graph(world().services);
    graph.Recalculate();
    QImage image(800, 600, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        platform::gfx::DrawContextQt dc(image);
        graph.displacement().Draw(dc, {0, 0, 800, 600}, {5, 5, 5, 5}, /*legend=*/true, /*print=*/false);
    }
    state.counters["target_ms"] = 3;
    state.SetLabel("displacement chart into 800 x 600: target under 3 ms");
}
BENCHMARK(drawChart)->Unit(benchmark::kMillisecond);

void timeShiftGraph(benchmark::State& state)
{
    GraphWorld& graphs = state.range(0) == kShots ? world() : largeWorld();
    talvodesk::TimeShiftGraph graph(graphs.services);
    for (auto _ : state) {
        graph.Recalculate(talvodesk::TimeShiftGraph::kAllParts, /*fractionMode=*/true);
    }
    state.counters["points"] = static_cast<double>(
        talvodesk::testsupport::FindSeries(graph.chart(), talvodesk::TimeShiftGraph::kDocument)->points.size());
    const bool large = state.range(0) == kManyShots;
    state.counters["target_ms"] = large ? 100 : 10;
    state.SetLabel(large ? "600 shots, 3 s window: target under 100 ms" : "60 shots and a model: target under 10 ms");
}
BENCHMARK(timeShiftGraph)->Arg(kShots)->Arg(kManyShots)->Unit(benchmark::kMillisecond);

void speedGraph(benchmark::State& state)
{
    talvodesk::SpeedGraph graph(world().services);
    for (auto _ : state) {
        graph.Recalculate(talvodesk::SpeedGraph::kAllParts);
    }
    state.counters["target_ms"] = 10;
    state.SetLabel("60 shots, a model and the current shot: target under 10 ms");
}
BENCHMARK(speedGraph)->Unit(benchmark::kMillisecond);

void timeIntervalsGraph(benchmark::State& state)
{
    talvodesk::TimeIntervalsGraph graph(world().services);
    for (auto _ : state) {
        graph.Recalculate();
    }
    state.counters["bars"] = static_cast<double>(graph.count());
    state.counters["target_ms"] = 10;
    state.SetLabel("60 shots: target under 10 ms");
}
BENCHMARK(timeIntervalsGraph)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0); // Fonts need an application, not a display.
    QApplication application(argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    const int code = bench::runBenchmarks(argc, argv);
    g_world.reset();
    g_largeWorld.reset();
    return code;
}
