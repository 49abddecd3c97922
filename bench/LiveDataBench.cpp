// A batch of 200 new trace samples posted as live data to ten outside programs that follow every point and read
// as they go: 2000 points, with a trigger sensor 4000 datagrams (argument 1), every one delivered (a socket holds
// about ten, so the program sends from each client's queue as its socket empties). Timed: the program's part (the
// post and the rounds of its loop until every client has the whole batch), not the clients' reading. Target: under
// 2 ms.
#include "talvodesk/core/livedata/LiveDataServer.h"

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
constexpr long kBatch = 200;

void pointBatchToTenClients(benchmark::State& state)
{
    const bool readings = state.range(0) != 0;
    const std::size_t perClient = readings ? 2 * kBatch : kBatch; // each point followed by its trigger reading
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
    if (readings) {
        (void)trace->AddUserData(platform::com::Bstr("_trigger").get(), &trigger); // A failure shows as lost.
    }
    for (LONG i = 0; i < 1000; ++i) {
        (void)trace->_Add(i % 300, -i % 200);
        if (readings) {
            (void)trace->put_UserData(trigger, i, i % 2);
        }
    }

    std::size_t lost = 0;
    for (auto _ : state) {
        std::vector<std::size_t> received(clients.size(), 0);
        std::size_t complete = 0;
        std::chrono::steady_clock::duration inProgram{};
        auto start = std::chrono::steady_clock::now();
        (*server)->PostPoints(trace.get(), kBatch);
        inProgram += std::chrono::steady_clock::now() - start;
        // The clients read what arrived, and the program sends more where a socket has room, as its loop would.
        for (int round = 0; complete < clients.size() && round < 100000; ++round) {
            for (std::size_t i = 0; i < clients.size(); ++i) {
                if (received[i] == perClient) {
                    continue;
                }
                while (clients[i]->receive()) {
                    ++received[i];
                }
                complete += received[i] == perClient ? 1 : 0;
            }
            start = std::chrono::steady_clock::now();
            (*server)->serve();
            inProgram += std::chrono::steady_clock::now() - start;
        }
        state.SetIterationTime(std::chrono::duration<double>(inProgram).count());
        for (const std::size_t count : received) {
            lost += perClient - count;
        }
    }
    state.counters["datagrams_lost"] = static_cast<double>(lost);
    state.counters["target_ms"] = 2;
    std::filesystem::remove_all(folder);
}

BENCHMARK(pointBatchToTenClients)->ArgName("trigger")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    talvodata::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
