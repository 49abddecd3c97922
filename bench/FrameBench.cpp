// The main frame: start-up to the frame shown with a 60-shot practice opened (target: under 300 ms), and one
// refresh of the command states, as the pure rule and as the window applies it to its actions (target: under
// 50 us).
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodata/Register.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/core/CommandState.h"
#include "talvodesk/core/Options.h"
#include "talvodesk/core/ServerLockMonitor.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include "platform/com/ClassTable.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/time/Clock.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

namespace {

using namespace talvodesk;

/// What a frame needs around it, with the settings in a temporary folder.
struct FrameWorld {
    FrameWorld()
    {
        setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
        setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
        talvowatch::testsupport::PracticeSpec spec;
        spec.matchShots = 60;
        if (!talvowatch::testsupport::writePractice(practice, spec)) {
            bench::fail("the practice cannot be written");
        }
        (void)module.Init(environment);
    }
    std::unique_ptr<MainFrame> frame()
    {
        return std::make_unique<MainFrame>(MainFrame::Services{module, environment, options, monitor, clock, dialogs});
    }

    platform::fs::testing::TemporaryFolder folder;
    std::filesystem::path practice = folder.path() / "practice.talvo";
    platform::time::SystemClock clock;
    CTalvoAppModule module;
    CTalvoAppModule::Environment environment{nullptr, 0x409, folder.path(), folder.path()};
    COptions options;
    ServerLockMonitor monitor{clock, [] {}};
    FrameDialogs dialogs;
};

void startUpWithPractice(benchmark::State& state)
{
    FrameWorld world;
    for (auto _ : state) {
        auto frame = world.frame();
        if (!frame->openFile(world.practice)) {
            state.SkipWithError("the practice does not open");
            return;
        }
        frame->show();
        QApplication::processEvents();
        state.PauseTiming();
        frame.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["target_ms"] = 300;
    state.SetLabel("60 shots: target under 300 ms");
}
BENCHMARK(startUpWithPractice)->Unit(benchmark::kMillisecond);

void commandStateRule(benchmark::State& state)
{
    FrameSnapshot snapshot;
    snapshot.documentValid = true;
    snapshot.matchShots = 60;
    snapshot.device = true;
    snapshot.threePositions = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeCommandStates(snapshot));
    }
    state.counters["target_us"] = 50;
    state.SetLabel("the rule alone: target under 50 us");
}
BENCHMARK(commandStateRule)->Unit(benchmark::kMicrosecond);

void commandStateRefresh(benchmark::State& state)
{
    FrameWorld world;
    auto frame = world.frame();
    if (!frame->openFile(world.practice)) {
        bench::fail("the practice does not open");
    }
    for (auto _ : state) {
        frame->refreshCommandStates();
    }
    state.counters["target_us"] = 50;
    state.SetLabel("the frame's refresh: target under 50 us");
}
BENCHMARK(commandStateRefresh)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0); // Widgets need an application, not a display.
    QApplication application(argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
