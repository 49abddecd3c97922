// The catalog watcher over a catalog of 10,000 practices in 100 shooter folders.
// Targets: the first index under 5 s on one core; the rescan after one new practice, of the folder that the
// notifications name, under 10 ms; the full walk after one new practice (after lost notifications and in the
// periodic fallback) under 50 ms; a reader's refresh of the whole cache under 20 ms.
#include "talvowatch/CatalogWorker.h"
#include "talvowatch/ChangeSource.h"
#include "talvowatch/TrayModel.h"
#include "talvowatch/tests/support/PracticeFile.h"

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
        // Ten practices of different shooters' lengths and scores, copied over the folders.
        std::vector<std::string> templates;
        for (int i = 0; i < 10; ++i) {
            const fs::path path = root / ("template" + std::to_string(i));
            testsupport::PracticeSpec spec;
            spec.shooter = u"Shooter " + std::u16string(1, static_cast<char16_t>(u'A' + i));
            spec.matchShots = 10 + i;
            if (!testsupport::writePractice(path, spec)) {
                return;
            }
            std::ifstream in(path, std::ios::binary);
            templates.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            fs::remove(path);
        }
        for (int i = 0; i < kPractices; ++i) {
            const fs::path folder = root / "catalog" / ("shooter " + std::to_string(i % kShooters));
            fs::create_directories(folder);
            std::ofstream(folder / ("practice " + std::to_string(i) + ".talvo"), std::ios::binary)
                << templates[static_cast<std::size_t>(i) % templates.size()];
        }
        page.emplace(catalogcache::GenerationPage::create(root / "run" / "TALVOWATCHIM").value());
        guard = platform::kernel::SwmrgGuard::CreateGuard(root / "run", catalogcache::kGuardName).value();
        ready = true;
    }
    ~Catalog() { fs::remove_all(root); }

    /// A worker over a cache opened afresh (`empty`) or as the last one left it.
    std::unique_ptr<CatalogWorker> openWorker(bool empty)
    {
        cache.reset();
        if (empty) {
            fs::remove(cacheFile());
        }
        cache = catalogcache::CatalogCache::open(cacheFile(), *page).value();
        return std::make_unique<CatalogWorker>(WorkerServices{*cache, *guard, changes, tray, clock, {}},
                                               root / "catalog");
    }
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
        state.SkipWithError("the practices cannot be written: build the talvo_events target first");
    }
    return catalog().ready;
}

void firstIndexOf10000Practices(benchmark::State& state)
{
    if (!prepared(state, 5000)) {
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const auto worker = catalog().openWorker(/*empty=*/true);
        state.ResumeTiming();
        worker->rescan();
    }
    state.counters["records"] = catalog().cache->header().liveDocuments;
}
BENCHMARK(firstIndexOf10000Practices)->Unit(benchmark::kMillisecond)->Iterations(3);

/// A practice copied into a shooter folder; each iteration removes it again, so every one meets 10,000.
fs::path addPractice()
{
    const fs::path source = catalog().root / "catalog" / "shooter 0" / "practice 0.talvo";
    const fs::path added = catalog().root / "catalog" / "shooter 7" / "new.talvo";
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
