// The series view over a practice of 60, 600 or 3,000 shots in series of ten with every shot-list column shown: the
// full rebuild of both groups (serie blocks, their target controls and aimings, every row's values and the totals,
// the layout), growing no faster than the shots; one shot appended during a 60-shot practice (its row, the group's
// totals, the targets' zoom and the layout with the controls refreshed); and one repaint of the cells the view
// shows in a 400 x 800 pane. Targets: the rebuild of 600 shots under 20 ms and of 3,000 under 100 ms, the append
// under 2 ms (well inside one 5 ms sample), the repaint under 8 ms.
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/StringTable.h"
#include "talvodesk/views/SeriesView.h"

#include "talvoboard/Register.h"
#include "talvodata/Register.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/Bstr.h"
#include "platform/time/Clock.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <vector>

namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

constexpr DATE kStart = 46000.25;

/// Every column of the shot list shown, in expert mode.
talvodesk::COptions allColumns()
{
    talvodesk::COptions options;
    options.advancedMode = 1;
    for (std::uint32_t* flag :
         {&options.shotListIndex, &options.shotListResult, &options.shotListAimingTime, &options.shotListSteadiness6,
          &options.shotListSteadiness9, &options.shotListSteadiness10center, &options.shotListSteadiness10p5center,
          &options.shotListSteadiness10, &options.shotListSteadiness10p5, &options.shotListTraceSpeed,
          &options.shotListTraceSpeed250, &options.shotListBreachFromAAP}) {
        *flag = 1;
    }
    return options;
}

/// `count` match aimings of one shot each, spread over the face, entered ten seconds apart.
std::vector<ComPtr<IAiming>> matchAimings(IEventParams* event, int count)
{
    std::vector<ComPtr<IAiming>> aimings;
    for (int i = 0; i < count; ++i) {
        const bench::AimingShape shape{400, 100, (i * 37 % 1600) - 800, (i * 53 % 1600) - 800};
        ComPtr<IAiming> aiming = bench::recordedAiming(event, shape, static_cast<unsigned>(i + 1));
        ComPtr<IAimingAttr> attributes;
        ComPtr<IShot> shot;
        if (!aiming || FAILED(aiming->get_Attr(attributes.put())) || FAILED(attributes->put_Match(VARIANT_TRUE)) ||
            FAILED(attributes->put_EnterTime(kStart + i * 10 / 86400.0)) || FAILED(aiming->get_Shot(1, shot.put())) ||
            FAILED(shot->put_ShotTime(kStart + (i * 10 + 4) / 86400.0))) {
            bench::fail("the aimings cannot be recorded");
        }
        aimings.push_back(aiming);
    }
    return aimings;
}

/// A practice and a series view of it in a 400 x 800 pane; the view joins the document's views.
class SeriesSetup {
public:
    SeriesSetup()
        : m_event(bench::shippedEvent("AR10")), m_options(allColumns()),
          m_view({m_data,
                  m_options,
                  m_clock,
                  nullptr,
                  [](std::uint32_t id) { return std::u16string(talvodesk::StringTable::englishText(id)); },
                  {},
                  {}})
    {
        if (!m_event) {
            bench::fail("no AR10 event file: build the talvo_events target first");
        }
        m_view.resize(400, 800);
        // A hidden view defers its layout until it shows, and the rebuild is timed with its layout.
        m_view.show();
        m_data.AddView(&m_view.logic());
    }
    ~SeriesSetup() { m_data.RemoveView(&m_view.logic()); }

    /// A new practice holding `aimings`, shown.
    void practice(const std::vector<ComPtr<IAiming>>& aimings)
    {
        if (!m_data.NewPractice(m_event.get(), Bstr(u"Ann").get(), -1, Bstr(u"").get(), 12)) {
            bench::fail("no practice");
        }
        ComPtr<IAimingCollection> collection;
        if (FAILED(m_data.document()->get_Aimings(collection.put()))) {
            bench::fail("no aiming collection");
        }
        for (const ComPtr<IAiming>& aiming : aimings) {
            (void)collection->Add(aiming.get()); // Each aiming is new to the practice.
        }
        m_data.ReleaseCollections();
        m_data.UpdateAllViews(nullptr, talvodesk::HintReset);
    }

    IEventParams* event() const { return m_event.get(); }
    talvodesk::CTalvoData& data() { return m_data; }
    talvodesk::CSeriesView& view() { return m_view; }

private:
    ComPtr<IEventParams> m_event;
    talvodesk::COptions m_options;
    platform::time::SystemClock m_clock;
    talvodesk::CTalvoData m_data;
    talvodesk::CSeriesView m_view;
};

void fullRebuild(benchmark::State& state)
{
    const auto shots = static_cast<int>(state.range(0));
    SeriesSetup setup;
    setup.practice(matchAimings(setup.event(), shots));
    if (setup.view().logic().group(1).series.size() != static_cast<std::size_t>(shots / 10)) {
        bench::fail("the practice is not in series of ten");
    }
    for (auto _ : state) {
        setup.view().logic().Rebuild();
    }
    state.counters["target_ms"] = shots <= 600 ? 20 : 100;
    state.SetLabel("series of ten, every column: target 600 shots under 20 ms, 3,000 under 100 ms");
}
BENCHMARK(fullRebuild)->Arg(60)->Arg(600)->Arg(3000)->Unit(benchmark::kMillisecond);

void appendDuringPractice(benchmark::State& state)
{
    SeriesSetup setup;
    const std::vector<ComPtr<IAiming>> recorded = matchAimings(setup.event(), 120);
    const std::vector<ComPtr<IAiming>> first(recorded.begin(), recorded.begin() + 60);
    std::size_t next = 120;
    for (auto _ : state) {
        if (next == recorded.size()) {
            // Back to 60 shots, so every append lands in a practice of 60 to 119 shots.
            state.PauseTiming();
            setup.practice(first);
            next = 60;
            state.ResumeTiming();
        }
        const ComPtr<IAiming>& aiming = recorded[next++];
        ComPtr<IShot> shot;
        (void)aiming->get_Shot(1, shot.put()); // Recorded with its shot.
        (void)setup.data().AddShot(shot.get(), aiming.get());
    }
    state.counters["target_ms"] = 2;
    state.SetLabel("one shot into a practice of 60 to 119: target under 2 ms");
}
BENCHMARK(appendDuringPractice)->Unit(benchmark::kMillisecond);

void repaintVisible(benchmark::State& state)
{
    SeriesSetup setup;
    setup.practice(matchAimings(setup.event(), 600));
    QWidget* viewport = setup.view().viewport();
    QImage shown(viewport->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        // The cells only: each target control paints itself.
        viewport->render(&shown, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    }
    state.counters["target_ms"] = 8;
    state.SetLabel("the cells of a 400 x 800 pane: target under 8 ms");
}
BENCHMARK(repaintVisible)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runWidgetBenchmarks(argc, argv, {talvodata::registerClasses, talvoboard::registerClasses});
}
