// The printed report on A4 at 600 dots per inch, read from the program's own views (general information, series,
// the five graphs): laid out for a 60-shot practice, target under 150 ms, and for a 600-shot practice, target under
// 1 s; one laid-out page drawn into a 600 dots-per-inch image, target under 100 ms; and a practice of 1,000 and of
// 10,000 shots opened with every view computed and the report laid out, target under 5 s at 10,000. The views have
// computed what they show before the clock starts, as they have when the user prints a practice already open.
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodesk/app/Program.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/views/CoordinationView.h"
#include "talvodesk/views/HiddenTargetPictures.h"
#include "talvodesk/views/InfoView.h"
#include "talvodesk/views/PrintJob.h"
#include "talvodesk/views/ProbabilityView.h"
#include "talvodesk/views/ReportViews.h"
#include "talvodesk/views/SeriesView.h"
#include "talvodesk/views/SpeedView.h"
#include "talvodesk/views/TimeIntervalsView.h"
#include "talvodesk/views/TimeShiftView.h"

#include "talvoboard/Register.h"
#include "talvodata/Register.h"

#include "platform/com/Bstr.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/time/Clock.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using platform::com::Bstr;
using namespace talvodesk;

// A4 at 600 dots per inch with a quarter-inch unprintable border.
const PrinterPage kA4{4960, 7016, 150, 150, 150, 150, {600, 600}};

/// A recorded practice of `shots` shots, written once per program.
const std::filesystem::path& practiceFile(int shots)
{
    static platform::fs::testing::TemporaryFolder folder;
    static std::map<int, std::filesystem::path> written;
    auto& path = written[shots];
    if (path.empty()) {
        const auto event = bench::shippedEvent("AR10");
        if (!event) {
            bench::fail("no AR10 event file: build the talvo_events target first");
        }
        path = folder / ("practice" + std::to_string(shots) + ".talvo");
        bench::writeRecordedPractice(path, event.get(), shots, 1);
    }
    return path;
}

/// A practice open in the document, with the views the report reads, and its report laid out once.
class Practice {
public:
    explicit Practice(const std::filesystem::path& path)
    {
        if (!m_data.Open(Bstr(path.string()).get())) {
            bench::fail("the practice cannot be opened");
        }
        m_info = std::make_unique<CInfoView>(CInfoView::Services{m_module, m_options, m_clock, {}}, &m_parent);
        m_series = std::make_unique<CSeriesView>(
            CSeriesView::Services{m_data,
                                  m_options,
                                  m_clock,
                                  nullptr,
                                  [this](std::uint32_t id) { return std::u16string(m_module.LoadString(id)); },
                                  {},
                                  {}},
            &m_parent);
        const ChartServices services{m_data, m_options, &m_module, nullptr};
        const ViewReportSources::Charts charts{chart<CCoordinationView>(services), chart<CTimeShiftView>(services),
                                               chart<CSpeedView>(services), chart<CTimeIntervalsView>(services),
                                               chart<CProbabilityView>(services)};
        m_sources.emplace(ViewReportSources::Views{m_data, m_module, m_info.get(), m_series.get(), charts});
        m_data.AddView(&m_info->logic());
        m_data.AddView(&m_series->logic());
        for (const auto& chart : m_charts) {
            m_data.AddView(chart.get());
        }
        m_data.UpdateAllViews(nullptr, HintReset);
        // The first report applies what the hidden views put off.
        Printout printout;
        if (!build(printout) || printout.empty()) {
            bench::fail("the report cannot be laid out");
        }
    }
    ~Practice()
    {
        for (const auto& chart : m_charts) {
            m_data.RemoveView(chart.get());
        }
        m_data.RemoveView(&m_series->logic());
        m_data.RemoveView(&m_info->logic());
    }

    bool build(Printout& printout)
    {
        printout.clear();
        PrinterMeasure measure(kA4);
        return BuildReportPrintout({m_data,
                                    m_options,
                                    m_module,
                                    m_pictures,
                                    m_newShots,
                                    &*m_sources,
                                    measure.context(),
                                    &measure.context().textMeasure(),
                                    kA4,
                                    {}},
                                   m_fonts, printout);
    }

private:
    /// A graph view the practice keeps for its report.
    template <typename View> View* chart(const ChartServices& services)
    {
        m_charts.push_back(std::make_unique<View>(services, &m_parent));
        return static_cast<View*>(m_charts.back().get());
    }
    CTalvoAppModule m_module;
    COptions m_options;
    platform::time::SystemClock m_clock;
    CTalvoData m_data;
    QWidget m_parent;
    HiddenTargetPictures m_pictures{&m_parent};
    const ShotCollectionFactory m_newShots = NewShotCollection;
    std::unique_ptr<CInfoView> m_info;
    std::unique_ptr<CSeriesView> m_series;
    std::vector<std::unique_ptr<CChartView>> m_charts;
    std::optional<ViewReportSources> m_sources;
    ReportFonts m_fonts;
};

Practice& practice(int shots)
{
    static std::unique_ptr<Practice> sixty;
    static std::unique_ptr<Practice> many;
    std::unique_ptr<Practice>& shared = shots == 60 ? sixty : many;
    if (!shared) {
        shared = std::make_unique<Practice>(practiceFile(shots));
    }
    return *shared;
}

void reportLaidOut(benchmark::State& state)
{
    const auto shots = static_cast<int>(state.range(0));
    Practice& open = practice(shots);
    Printout printout;
    for (auto _ : state) {
        if (!open.build(printout)) {
            state.SkipWithError("the report failed");
            break;
        }
        benchmark::DoNotOptimize(printout.data());
    }
    const int target = shots == 60 ? 150 : 1000;
    state.counters["pages"] = static_cast<double>(printout.size());
    state.counters["target_ms"] = target;
    state.SetLabel(std::to_string(shots) + " shots: target under " + std::to_string(target) + " ms");
}
BENCHMARK(reportLaidOut)->Arg(60)->Arg(600)->Unit(benchmark::kMillisecond);

// Opening as the user does: the file read, the views told, and the first report computing what they put off.
// Target under 5 s for 10,000 shots, growing linearly from 1,000.
void openedWithEveryViewAndTheReport(benchmark::State& state)
{
    const auto shots = static_cast<int>(state.range(0));
    const std::filesystem::path& path = practiceFile(shots);
    for (auto _ : state) {
        const Practice open(path);
        benchmark::DoNotOptimize(&open);
    }
    state.counters["target_ms"] = 5000;
    state.SetLabel(std::to_string(shots) + " shots: target under 5 s at 10,000, linear");
}
BENCHMARK(openedWithEveryViewAndTheReport)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

void pageDrawnAt600Dpi(benchmark::State& state)
{
    Practice& open = practice(60);
    Printout printout;
    if (!open.build(printout) || printout.size() <= static_cast<std::size_t>(state.range(0))) {
        state.SkipWithError("the report has no such page");
        return;
    }
    QImage image(kA4.printableWidth(), kA4.printableHeight(), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        platform::gfx::DrawContextQt context(image);
        DrawPrintoutPage(printout[static_cast<std::size_t>(state.range(0))], context);
    }
    state.counters["target_ms"] = 100;
    state.SetLabel("page " + std::to_string(state.range(0) + 1) + " of " + std::to_string(printout.size()) +
                   ": target under 100 ms");
}
// Page 1 holds the target picture and the general information, page 2 serie tables, page 4 two graphs.
BENCHMARK(pageDrawnAt600Dpi)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runWidgetBenchmarks(argc, argv, {talvodata::registerClasses, talvoboard::registerClasses});
}
