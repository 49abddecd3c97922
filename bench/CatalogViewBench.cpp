// A shooter folder of 10,000 practices listed into the catalog view's model and sorted with the folder's own
// order (newest first). Target: under 50 ms.
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

constexpr int kPractices = 10000;

void listAndSortPractices(benchmark::State& state)
{
    platform::fs::testing::TemporaryFolder folder;
    std::filesystem::create_directory(folder / "run");
    const catalogcache::CatalogLocation location{folder / "talvowatch.tmp", folder / "run"};
    auto page = catalogcache::GenerationPage::create(location.generationPage());
    std::vector<catalogcache::CatalogRecord> records;
    std::size_t size = catalogcache::kHeaderSize;
    for (int i = 0; i < kPractices; ++i) {
        catalogcache::CatalogRecord record = catalogcache::testsupport::practice(
            platform::com::utf8ToUtf16("/catalog/Ann " + std::to_string(i) + ".talvo"));
        record.date = 46000 + (i * 7919 % kPractices) / 24.0; // Dates out of file order.
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
        model.Fill(nullptr);
        benchmark::DoNotOptimize(model.rowCount());
    }
    if (model.rowCount() != kPractices) {
        state.SkipWithError("the folder did not list every practice");
    }
    state.counters["target_ms"] = 50;
    state.SetLabel("10,000 practices listed and sorted: target under 50 ms");
}
BENCHMARK(listAndSortPractices)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runWidgetBenchmarks(argc, argv, {});
}
