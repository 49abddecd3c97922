// The catalog watcher over a catalog of 10,000 real practices (60 jittered 6 s aimings each, about 157 KB) in 10
// groups of 10 shooter folders. Targets: the first index of all 10,000 under 3 s on one core, read from each file's
// summary (a group of 1,000 shows the growth); the rescan after one new practice, of the folder that the
// notifications name, under 10 ms; the full walk after one new practice (after lost notifications and in the
// periodic fallback) under 50 ms; a reader's refresh of the whole cache under 20 ms.
#include "bench/support/Aimings.h"

#include "talvowatch/CatalogWorker.h"
#include "talvowatch/ChangeSource.h"
#include "talvowatch/TrayModel.h"

#include "catalogcache/CatalogCache.h"
#include "catalogcache/CatalogReader.h"
#include "catalogcache/GenerationPage.h"
#include "platform/com/ClassTable.h"
#include "platform/kernel/SwmrgGuard.h"
#include "platform/time/Clock.h"
#include "talvodata/Register.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <mutex>
#include <unistd.h>

namespace {

using namespace talvowatch;
namespace fs = std::filesystem;

constexpr int kPractices = 10000;
constexpr int kShooters = 100;

/// No folder changes and no stop: the benchmarks call rescan() themselves.
class Quiet final : public ChangeSource {
public:
    platform::Status watchFolder(const fs::path&) override { return {}; }
    void unwatchFolder(const fs::path&) override {}
    Wake wait(platform::kernel::Timeout) override { return Wake::Stop; }
    Changes takeChanges() override { return {}; }
    bool stopRequested() const override { return false; }
};

/// The catalog and the watcher's cache, runtime folder and services, made once for all benchmarks.
struct Catalog {
    Catalog()
    {
        talvodata::registerClasses(platform::com::ClassTable::instance());
        fs::create_directories(root / "catalog");
        fs::create_directories(root / "run");
        // Ten real practices copied over the folders.
        const platform::com::ComPtr<IEventParams> event = bench::shippedEvent("AR10");
        if (!event) {
            return;
        }
        std::vector<std::string> templates;
        for (int i = 0; i < 10; ++i) {
            const fs::path path = root / ("template" + std::to_string(i));
            bench::writeRecordedPractice(path, event.get(), 60, static_cast<unsigned>(100 * i), bench::kRealHold);
            std::ifstream in(path, std::ios::binary);
            templates.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            fs::remove(path);
        }
        for (int i = 0; i < kPractices; ++i) {
            const fs::path folder = shooterFolder(i % kShooters);
            fs::create_directories(folder);
            std::ofstream(folder / ("practice " + std::to_string(i) + ".talvo"), std::ios::binary)
                << templates[static_cast<std::size_t>(i) % templates.size()];
        }
        page.emplace(catalogcache::GenerationPage::create(root / "run" / "TALVOWATCHIM").value());
        guard = platform::kernel::SwmrgGuard::CreateGuard(root / "run", catalogcache::kGuardName).value();
        ready = true;
    }
    ~Catalog() { fs::remove_all(root); }

    /// Shooter folders lie in groups of ten, so that a group is a catalog of a tenth of the practices.
    fs::path shooterFolder(int shooter) const
    {
        return root / "catalog" / ("group " + std::to_string(shooter / 10)) / ("shooter " + std::to_string(shooter));
    }

    /// A worker over a cache opened afresh (`empty`) or as the last one left it, watching `folder`.
    std::unique_ptr<CatalogWorker> openWorker(bool empty, const fs::path& folder)
    {
        cache.reset();
        if (empty) {
            fs::remove(cacheFile());
        }
        cache = catalogcache::CatalogCache::open(cacheFile(), *page).value();
        return std::make_unique<CatalogWorker>(WorkerServices{*cache, *guard, changes, tray, clock, {}}, folder);
    }
    std::unique_ptr<CatalogWorker> openWorker(bool empty) { return openWorker(empty, root / "catalog"); }
    fs::path cacheFile() const { return root / "talvowatch.tmp"; }

    fs::path root = fs::temp_directory_path() / ("talvo-catalog-bench-" + std::to_string(getpid()));
    bool ready = false;
    std::optional<catalogcache::GenerationPage> page;
    std::unique_ptr<platform::kernel::SwmrgGuard> guard;
    std::unique_ptr<catalogcache::CatalogCache> cache;
    Quiet changes;
    TrayModel tray;
    platform::time::SystemClock clock;
};

Catalog& catalog()
{
    static Catalog shared;
    return shared;
}

bool prepared(benchmark::State& state, double targetMs)
{
    state.counters["target_ms"] = targetMs;
    if (!catalog().ready) {
        state.SkipWithError("no AR10 event file: build the talvo_events target first");
    }
    return catalog().ready;
}

void firstIndexOfRealPractices(benchmark::State& state)
{
    if (!prepared(state, 3000)) {
        return;
    }
    const bool whole = state.range(0) == kPractices;
    for (auto _ : state) {
        state.PauseTiming();
        const auto worker = catalog().openWorker(/*empty=*/true, whole ? catalog().root / "catalog"
                                                                       : catalog().root / "catalog" / "group 0");
        state.ResumeTiming();
        worker->rescan();
    }
    state.counters["records"] = catalog().cache->header().liveDocuments;
    state.SetLabel("real practices from their summaries: target 10,000 under 3 s");
}
BENCHMARK(firstIndexOfRealPractices)
    ->Arg(kPractices / 10)
    ->Arg(kPractices)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

/// A practice copied into a shooter folder; each iteration removes it again, so every one meets 10,000.
fs::path addPractice()
{
    const fs::path source = catalog().shooterFolder(0) / "practice 0.talvo";
    const fs::path added = catalog().shooterFolder(7) / "new.talvo";
    fs::copy_file(source, added);
    return added;
}

void rescanAfterOneNewPractice(benchmark::State& state)
{
    if (!prepared(state, 10)) {
        return;
    }
    auto watch = platform::kernel::FolderWatch::create();
    if (!watch) {
        state.SkipWithError("no folder notifications");
        return;
    }
    FolderWatchSource changes(std::move(watch).value());
    auto& shared = catalog();
    shared.openWorker(/*empty=*/false);
    CatalogWorker worker(WorkerServices{*shared.cache, *shared.guard, changes, shared.tray, shared.clock, {}},
                         shared.root / "catalog");
    worker.rescan(); // Watches every folder.
    const auto notified = [&] {
        const bool seen = changes.wait(platform::kernel::Timeout(1000)) == ChangeSource::Wake::Change;
        return seen ? changes.takeChanges() : ChangeSource::Changes{};
    };
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path added = addPractice();
        const ChangeSource::Changes changed = notified();
        state.ResumeTiming();
        if (changed.overflowed || changed.folders.size() != 1) {
            state.SkipWithError("the notifications did not name the one folder");
            return;
        }
        worker.rescan(changed);
        state.PauseTiming();
        fs::remove(added);
        worker.rescan(notified());
        state.ResumeTiming();
    }
    state.counters["records"] = shared.cache->header().liveDocuments;
    state.SetLabel("the changed folder only: target under 10 ms");
}
BENCHMARK(rescanAfterOneNewPractice)->Unit(benchmark::kMillisecond);

void fullWalkAfterOneNewPractice(benchmark::State& state)
{
    if (!prepared(state, 50)) {
        return;
    }
    auto worker = catalog().openWorker(/*empty=*/false);
    worker->rescan();
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path added = addPractice();
        state.ResumeTiming();
        worker->rescan();
        state.PauseTiming();
        fs::remove(added);
        worker->rescan();
        state.ResumeTiming();
    }
    state.counters["records"] = catalog().cache->header().liveDocuments;
    state.SetLabel("the whole tree: target under 50 ms");
}
BENCHMARK(fullWalkAfterOneNewPractice)->Unit(benchmark::kMillisecond);

void readerRefreshOfTheWholeCache(benchmark::State& state)
{
    if (!prepared(state, 20)) {
        return;
    }
    catalog().openWorker(/*empty=*/false)->rescan();
    const catalogcache::CatalogLocation location{catalog().cacheFile(), catalog().root / "run"};
    const auto reader = catalogcache::CatalogReader::create(location).value();
    for (auto _ : state) {
        catalog().page->increment(); // Each refresh reads every record again.
        benchmark::DoNotOptimize(reader->refresh());
    }
    state.counters["records"] = static_cast<double>(reader->records().size());
}
BENCHMARK(readerRefreshOfTheWholeCache)->Unit(benchmark::kMillisecond);

} // namespace
