// The main frame: the start-up of the whole program, from exec to the main window's first paint, empty and with a
// practice of 60 or 5,000 aimings (2 s traces) named on its command line (target: under 300 ms, and with 5,000
// aimings at most three times the empty start; the program's resident memory at its first paint under 80 MB), and one
// refresh of the command states, as the pure rule and as the window applies it to its actions (target: under 50 us).
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodata/Register.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/core/frame/CommandState.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/program/ServerLockMonitor.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include "platform/fs/tests/support/ChildProcess.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/time/Clock.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace talvodesk;

/// What a frame needs around it, with the settings in a temporary folder.
struct FrameWorld {
    /// With `aimings` 0 the program starts without a practice.
    explicit FrameWorld(int aimings = 60)
    {
        setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
        setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
        talvowatch::testsupport::PracticeSpec spec;
        spec.matchShots = aimings;
        // Held round the centre as a shooter's are, not strewn metres across the face.
        spec.grouped = true;
        if (aimings > 0 && !talvowatch::testsupport::writePractice(practice, spec)) {
            bench::fail("the practice cannot be written");
        }
        (void)module.Init(environment);
    }
    std::unique_ptr<MainFrame> frame()
    {
        return std::make_unique<MainFrame>(
            MainFrame::Services{module, environment, options, monitor, clock, dialogs, {}, NewShotCollection});
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

// A program that takes longer is stuck (a dialog waiting for a click, say) and is ended.
constexpr int kPatienceMs = 20000;

/// Runs talvodesk on the offscreen platform with its folders in `world`'s, opening the practice when there is one;
/// answers once the program reports its first paint through its measurement hook (fd 3), or false when it ends or
/// stalls without.
bool startProgram(const FrameWorld& world, pid_t& pid)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        return false;
    }
    const std::string folder = world.folder.path().string();
    const std::vector<std::string> settings{
        "HOME=" + folder,           "XDG_CONFIG_HOME=" + folder, "XDG_DATA_HOME=" + folder,
        "XDG_CACHE_HOME=" + folder, "XDG_RUNTIME_DIR=" + folder, "QT_QPA_PLATFORM=offscreen",
        "TALVO_FIRST_PAINT_FD=3"};
    std::vector<std::string> arguments;
    if (std::filesystem::exists(world.practice)) {
        arguments.push_back(world.practice.string());
    }
    pid = platform::fs::testing::startProgram(TALVODESK_PROGRAM, arguments, settings,
                                              {{3, {}, pipe[1]}, {1, "/dev/null"}, {2, "/dev/null"}});
    ::close(pipe[1]);
    pollfd ready{pipe[0], POLLIN, 0};
    char painted = 0;
    const bool reported = pid > 0 && ::poll(&ready, 1, kPatienceMs) == 1 && ::read(pipe[0], &painted, 1) == 1;
    ::close(pipe[0]);
    return reported;
}

/// The program's resident memory in kilobytes, as it stands; 0 once it is gone.
long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

/// Waits for the program to quit after its first paint, ending it when it does not; answers its peak resident
/// memory in kilobytes.
long reap(pid_t pid)
{
    rusage usage{};
    for (int waited = 0; waited < kPatienceMs; waited += 10) {
        if (::wait4(pid, nullptr, WNOHANG, &usage) != 0) {
            return usage.ru_maxrss;
        }
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::wait4(pid, nullptr, 0, &usage);
    return usage.ru_maxrss;
}

void startUpToFirstPaint(benchmark::State& state)
{
    const auto aimings = static_cast<int>(state.range(0));
    FrameWorld world(aimings);
    long peakKb = 0;
    long paintedKb = 0;
    for (auto _ : state) {
        pid_t pid = -1;
        const bool painted = startProgram(world, pid);
        state.PauseTiming();
        if (painted) {
            paintedKb = std::max(paintedKb, residentKb(pid));
        }
        if (pid > 0) {
            peakKb = std::max(peakKb, reap(pid));
        }
        if (!painted) {
            state.SkipWithError("the program ended or stalled before its first paint");
            return;
        }
        state.ResumeTiming();
    }
    state.counters["target_ms"] = 300;
    state.counters["peak_rss_mb"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["rss_at_paint_mb"] = static_cast<double>(paintedKb) / 1024.0;
    state.SetLabel(aimings == 0 ? "exec to first paint, no practice"
                                : "exec to first paint: target under 300 ms, 3x the empty start; 80 MB at 5,000");
}
BENCHMARK(startUpToFirstPaint)->Arg(0)->Arg(60)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

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
    return bench::runWidgetBenchmarks(argc, argv, {talvodata::registerClasses});
}
