// One batch of new trace samples posted as live data to ten outside programs that follow every point: five
// samples, each a point and a trigger reading, so 100 datagrams. Target: under 1 ms.
#include "talvodesk/core/LiveDataServer.h"

#include "talvodata/AimingAttr.h"
#include "talvodata/AimingTrace.h"
#include "talvodata/Register.h"

#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/ipc/DatagramSocket.h"

#include "bench/support/Run.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kClients = 10;
constexpr long kBatch = 5;

void pointBatchToTenClients(benchmark::State& state)
{
    std::string folder = (std::filesystem::temp_directory_path() / "talvo-livedata-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    auto server = talvodesk::LiveDataServer::create(std::filesystem::path(folder) / "livedata");
    auto attributes = talvodata::CAimingAttr::create();
    if (!server) {
        state.SkipWithError("no live-data socket");
        return;
    }
    if (!attributes || FAILED((*attributes)->put_SampleRate(200))) {
        state.SkipWithError("no aiming attributes");
        return;
    }
    std::vector<std::unique_ptr<platform::ipc::DatagramSocket>> clients;
    for (int i = 0; i < kClients; ++i) {
        auto client = platform::ipc::DatagramSocket::bindAnonymous();
        if (!client) {
            state.SkipWithError("no client socket");
            return;
        }
        (*server)->registerClient((*client)->address(), talvodesk::LiveDataServer::kEveryPointMode);
        clients.push_back(std::move(*client));
    }
    auto trace = talvodata::CAimingTrace::create();
    trace->attachAttributes(*attributes);
    LONG trigger = 0;
    (void)trace->AddUserData(platform::com::Bstr("_trigger").get(), &trigger); // A failure shows in the count.
    for (LONG i = 0; i < 600; ++i) {
        (void)trace->_Add(i % 300, -i % 200);
        (void)trace->put_UserData(trigger, i, i % 2);
    }

    std::size_t received = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        (*server)->PostPoints(trace.get(), kBatch);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        for (const auto& client : clients) {
            while (client->receive()) {
                ++received;
            }
        }
    }
    state.counters["datagrams_per_batch"] =
        benchmark::Counter(static_cast<double>(received), benchmark::Counter::kAvgIterations);
    state.counters["target_ms"] = 1;
    std::filesystem::remove_all(folder);
}

BENCHMARK(pointBatchToTenClients)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    talvodata::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
