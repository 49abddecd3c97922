// Records per second through the aiming state machine of the serial sensors: a shooter's holds with a shot each,
// as the sensor simulator scripts them, drained ten records at a time as the control's drain timer does.
// Target: over one million records a second on one core.
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodata/Register.h"
#include "talvolink/AimingStateMachine.h"

#include "platform/com/ClassTable.h"
#include "platform/time/Clock.h"

#include "tools/sensorsim/AimSample.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <span>
#include <vector>

namespace {

using talvolink::DeviceRecord;

/// A control that keeps its settings and ignores the events.
class QuietHost final : public talvolink::DeviceHost {
public:
    explicit QuietHost(platform::com::ComPtr<IEventParams> event) { m_settings.event = std::move(event); }

    LONG sampleRate() const override { return 200; }
    void setSampleRate(LONG /*samplesPerSecond*/) override {}
    const talvolink::SubDeviceSettings& subDevice(LONG /*nSubDevice*/) const override { return m_settings; }
    void setCalibrationWanted(LONG /*nSubDevice*/, bool /*wanted*/) override {}
    void setCorrection(LONG /*nSubDevice*/, LONG /*x*/, LONG /*y*/) override {}
    LONG firingPoint() const override { return 1; }
    talvolink::DeviceInformation& deviceInformation() override { return m_information; }
    void setLastErrorText(std::string /*text*/) override {}
    platform::time::Clock& clock() const override { return m_clock; }

    void fireStartAiming(LONG /*nSubDevice*/, IAiming* /*aiming*/) override {}
    void fireNewCoordinates(LONG /*nSubDevice*/, IAiming* /*aiming*/, LONG count) override { points += count; }
    void fireShot(LONG /*nSubDevice*/, IAiming* /*aiming*/, IShot* /*shot*/) override { ++shots; }
    void fireConcludeAiming(LONG /*nSubDevice*/, IAiming* /*aiming*/) override {}
    void fireFinalConcludeAiming(LONG /*nSubDevice*/) override {}
    void firePulseChanged(LONG /*nSubDevice*/, LONG /*pulse*/) override {}
    void fireTrigger(LONG /*nSubDevice*/, LONG /*count*/) override {}
    void fireHeartBeat(LONG /*nSubDevice*/, DATE /*dateMin*/, DATE /*dateMax*/) override {}
    void fireDisconnected() override {}
    void fireReconnected() override {}
    void fireTimeout(LONG /*seconds*/) override {}

    /// What the records made, to show the benchmark exercises the whole machine.
    std::int64_t points = 0;
    std::int64_t shots = 0;

private:
    talvolink::SubDeviceSettings m_settings;
    talvolink::DeviceInformation m_information;
    mutable platform::time::SystemClock m_clock;
};

/// The state machine alone, without a port: one sensor unit is one millimetre at level 78.
class PortlessSensor final : public talvolink::AimingStateMachine {
public:
    explicit PortlessSensor(talvolink::DeviceHost& host) : AimingStateMachine(host, nullptr) {}

    int SequenceModulus() override { return 256; }
    void ApplyEventTarget() override { setRangeDivisor(10); }
    void Stop() override {}
};

std::vector<DeviceRecord> holdRecords()
{
    const auto script = sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {});
    std::vector<DeviceRecord> records(script.size());
    for (std::size_t i = 0; i < script.size(); ++i) {
        records[i].sequence = static_cast<std::uint8_t>(i % 256);
        records[i].level = static_cast<std::int16_t>(script[i].level);
        records[i].x = script[i].x;
        records[i].y = script[i].y;
        records[i].piezo = static_cast<std::int16_t>(script[i].piezo);
    }
    return records;
}

void stateMachineRecords(benchmark::State& state)
{
    QuietHost host(bench::shippedEvent("AR10"));
    PortlessSensor sensor(host);
    sensor.ApplyEventTarget();
    const std::vector<DeviceRecord> records = holdRecords();
    constexpr std::size_t kDrain = 10;
    for (auto _ : state) {
        for (std::size_t i = 0; i < records.size(); i += kDrain) {
            sensor.ProcessRecords(std::span(records).subspan(i, std::min(kDrain, records.size() - i)));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records.size()));
    state.counters["records_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(records.size()), benchmark::Counter::kIsRate);
    state.counters["target_per_second"] = 1e6;
    state.counters["points"] = benchmark::Counter(static_cast<double>(host.points), benchmark::Counter::kAvgIterations);
    state.counters["shots"] = benchmark::Counter(static_cast<double>(host.shots), benchmark::Counter::kAvgIterations);
    state.SetLabel("target over 1,000,000 records a second");
}
BENCHMARK(stateMachineRecords)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    talvodata::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
