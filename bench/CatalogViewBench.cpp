// A shooter folder of 10,000 or 50,000 practices listed into the catalog view's model and sorted with the folder's
// own order (newest first), warm (the cache unchanged since the last listing) and cold (the watcher changed the
// cache just before, so the listing reads it again). Target: 50,000 under 50 ms, cold and warm.
#include "bench/support/Run.h"

#include "catalogcache/GenerationPage.h"
#include "catalogcache/tests/support/Records.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/shell/Computer.h"
#include "talvoshell/CatalogItemModel.h"
#include "talvoshell/TalvoFolder.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

using namespace platform::shell;
using platform::com::ComPtr;

void listAndSortPractices(benchmark::State& state)
{
    const auto practices = static_cast<int>(state.range(0));
    const bool cold = state.range(1) != 0;
    platform::fs::testing::TemporaryFolder folder;
    std::filesystem::create_directory(folder / "run");
    const catalogcache::CatalogLocation location{folder / "talvowatch.tmp", folder / "run"};
    auto page = catalogcache::GenerationPage::create(location.generationPage());
    std::vector<catalogcache::CatalogRecord> records;
    std::size_t size = catalogcache::kHeaderSize;
    for (int i = 0; i < practices; ++i) {
        catalogcache::CatalogRecord record = catalogcache::testsupport::practice(
            platform::com::utf8ToUtf16("/catalog/Ann " + std::to_string(i) + ".talvo"));
        record.date = 46000 + (i * 7919 % practices) / 24.0; // Dates out of file order.
        size += catalogcache::recordLength(record);
        records.push_back(std::move(record));
    }
    const auto bytes = catalogcache::testsupport::cacheOf(records, (size / 4096 + 1) * 4096);
    std::ofstream(location.cacheFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    page.value().increment();

    auto services = std::make_shared<talvoshell::CatalogServices>();
    services->catalog = std::make_shared<talvoshell::CCatalog>(
        location, [] { return true; }, u"talvowatch", [](const std::u16string&, const std::u16string&) {});
    ItemIdPtr list = ComputerIdList();
    for (const char16_t* name : {u"Talvo Catalog", u"AR", u"Ann"}) {
        list.reset(ILAppend(list.release(), ItemIdPtr(MakeCatalogItem(1, name)).get()));
    }
    auto shooter = platform::com::makeComObject<talvoshell::CTalvoFolder>(services);
    if (FAILED(shooter->Initialize(list.get()))) {
        state.SkipWithError("no folder");
        return;
    }
    talvoshell::CatalogItemModel model(shooter);
    for (auto _ : state) {
        if (cold) {
            page.value().increment();
        }
        model.Fill(nullptr);
        benchmark::DoNotOptimize(model.rowCount());
    }
    if (model.rowCount() != practices) {
        state.SkipWithError("the folder did not list every practice");
    }
    state.counters["target_ms"] = 50;
    state.SetLabel(cold ? "cold: target 50,000 under 50 ms" : "warm: target 50,000 under 50 ms");
}
BENCHMARK(listAndSortPractices)
    ->ArgNames({"practices", "cold"})
    ->ArgsProduct({{10000, 50000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runWidgetBenchmarks(argc, argv, {});
}
