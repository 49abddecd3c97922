#include "talvodata/EventManager.h"
#include "talvodata/EventsFolder.h"

#include "platform/com/Bstr.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

// Scoring speed on the shipped 10 m air rifle face, and the cost of reading every event file once.
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

struct Point {
    float x;
    float y;
};

void breachScoresOnAirRifle(benchmark::State& state)
{
    auto events = talvodata::CEventManager::create();
    ComPtr<IEventParams> airRifle;
    if (events->FindByShortName(Bstr("AR10").get(), airRifle.put()) != S_OK) {
        state.SkipWithError("no AR10 event file: build the talvo_events target first");
        return;
    }
    // Points spread over the whole card, in and beyond the rings.
    std::mt19937 random(42);
    std::uniform_real_distribution<float> coordinate(-40.0F, 40.0F);
    std::vector<Point> points(4096);
    for (Point& point : points) {
        point = {coordinate(random), coordinate(random)};
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const Point& point = points[next++ & (points.size() - 1)];
        float score = 0;
        benchmark::DoNotOptimize(airRifle->GetBreachScore(point.x, point.y, 1, &score));
        benchmark::DoNotOptimize(score);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(breachScoresOnAirRifle);

void loadAllEventFiles(benchmark::State& state)
{
    const auto folder = talvodata::eventsFolder();
    LONG count = 0;
    for (auto _ : state) {
        auto events = talvodata::CEventManager::createFromFolder(folder);
        benchmark::DoNotOptimize(events->get_Count(&count));
    }
    state.counters["events"] = static_cast<double>(count);
    if (count == 0) {
        state.SkipWithError("no event files: build the talvo_events target first");
    }
}
BENCHMARK(loadAllEventFiles)->Unit(benchmark::kMillisecond);

} // namespace
