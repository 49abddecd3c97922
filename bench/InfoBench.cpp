// The practice page of a 600-shot practice beside a 600-shot model: the summary of both (a control-interval range
// per shot, its steadiness, the farthest pairs of hits on each side), target under 20 ms; the page written from
// that summary into its widgets and six target controls, target under 5 ms; and the whole fill, summary and page,
// of practices of 60, 600 and 3,000 shots beside models as long, growing no faster than the shots.
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodesk/core/analysis/InfoSummary.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/views/InfoView.h"

#include "talvoboard/Register.h"
#include "talvodata/Register.h"
#include "talvodata/TalvoDocument.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingCollection.h"
#include "platform/com/Bstr.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/time/Clock.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

constexpr int kShots = 600;

/// A practice with a model of as many shots, open in the document the info view shows.
struct Practice {
    explicit Practice(int shots = kShots)
    {
        const ComPtr<IEventParams> event = bench::shippedEvent("AR10");
        if (!event) {
            bench::fail("no AR10 event file: build the talvo_events target first");
        }
        bench::writeRecordedPractice(folder / "practice.talvo", event.get(), shots, 1);
        bench::writeRecordedPractice(folder / "model.talvo", event.get(), shots, 1000);
        if (!data.Open(Bstr((folder / "practice.talvo").string()).get()) ||
            !data.OpenModel(Bstr((folder / "model.talvo").string()).get())) {
            bench::fail("the practices cannot be opened");
        }
    }

    platform::fs::testing::TemporaryFolder folder;
    talvodesk::CTalvoData data;
};

Practice& practice()
{
    static Practice shared;
    return shared;
}

void summaryOfBothSides(benchmark::State& state)
{
    talvodesk::CTalvoData& data = practice().data;
    talvodesk::InfoSummary summary;
    for (auto _ : state) {
        talvodesk::ComputeSummary(data, summary, true, true);
        benchmark::DoNotOptimize(summary.sides[1].aimingStability);
    }
    if (summary.sides[0].hitCount != kShots || summary.sides[1].hitCount != kShots) {
        state.SkipWithError("not every shot was summed up");
    }
    state.counters["target_ms"] = 20;
    state.SetLabel("600 + 600 shots: target under 20 ms");
}
BENCHMARK(summaryOfBothSides)->Unit(benchmark::kMillisecond);

/// An info view of 900 x 1200 shown over a practice's document, one of its views while it lives.
class ShownPage {
public:
    explicit ShownPage(talvodesk::CTalvoData& data) : m_data(data)
    {
        m_view.resize(900, 1200);
        m_view.show();
        m_data.AddView(&m_view.logic());
    }
    ~ShownPage() { m_data.RemoveView(&m_view.logic()); }
    ShownPage(const ShownPage&) = delete;
    ShownPage& operator=(const ShownPage&) = delete;

    talvodesk::InfoViewLogic& logic() { return m_view.logic(); }

private:
    talvodesk::CTalvoData& m_data;
    talvodesk::CTalvoAppModule m_module;
    talvodesk::COptions m_options;
    platform::time::SystemClock m_clock;
    talvodesk::CInfoView m_view{{m_module, m_options, m_clock, {}}};
};

void pageWrittenFromTheSummary(benchmark::State& state)
{
    ShownPage page(practice().data);
    page.logic().Fill(true, true);
    for (auto _ : state) {
        page.logic().WritePage();
    }
    state.counters["target_ms"] = 5;
    state.SetLabel("texts, rows and six targets: target under 5 ms");
}
BENCHMARK(pageWrittenFromTheSummary)->Unit(benchmark::kMillisecond);

void wholeFill(benchmark::State& state)
{
    const auto shots = static_cast<int>(state.range(0));
    Practice shown(shots);
    ShownPage page(shown.data);
    for (auto _ : state) {
        page.logic().Fill(true, true);
    }
    state.counters["shots"] = shots;
    state.SetLabel("summary and page of both sides: linear in the shots");
}
BENCHMARK(wholeFill)->Arg(60)->Arg(600)->Arg(3000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runWidgetBenchmarks(argc, argv, {talvodata::registerClasses, talvoboard::registerClasses});
}
