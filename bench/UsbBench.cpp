// Optical records decoded per second through the optical sensor's OnPacket (newer firmware, 47-byte records) and
// OnData (older firmware, 93-byte records), with a handler on eventSignal as the model has.
// Target: over one million records a second on one core.
#include "talvolink/usb/Bytes.h"
#include "talvolink/usb/UsbOpticalSensor.h"

#include "platform/usb/UsbTransportFake.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using namespace platform::usb;
using talvolink::OpticalSample;
using talvolink::UsbOpticalSensor;
namespace optical = talvolink::optical;
namespace bytes = talvolink::bytes;

constexpr double kTarget = 1e6;
constexpr int kRecordsPerRead = 10;

// An optical sensor of the given firmware version, open without its reader.
struct Sensor {
    explicit Sensor(std::uint32_t version) : sensor(bus)
    {
        FakeUsbDevice& fake = bus.plug("/dev/bus/usb/001/002", {0x2D7A, 0x000E});
        fake.setVendorScript([version](const SetupPacket& setup, std::span<std::uint8_t> data) {
            if (setup.request == 0x90) {
                bytes::put(data, 0, version);
            }
            return Transfer{kErrorSuccess, data.size()};
        });
        sensor.setUsesReader(false);
        (void)sensor.Open("/dev/bus/usb/001/002");
        sensor.eventSignal.hook([this](const OpticalSample& sample) { checksum += sample[optical::kValid]; });
    }

    FakeUsbTransport bus;
    UsbOpticalSensor sensor;
    std::size_t checksum = 0;
};

// Two spots moving a little from record to record, as a steady hold does.
std::vector<std::uint8_t> shortRecords()
{
    std::vector<std::uint8_t> read(kRecordsPerRead * optical::kShortRecord);
    for (int r = 0; r < kRecordsPerRead; ++r) {
        for (int q = 0; q < 8; ++q) {
            bytes::put(std::span(read), r * optical::kShortRecord + 14 + 4 * q, 300.0F + 7.0F * q + r);
        }
    }
    return read;
}

std::vector<std::uint8_t> longRecords()
{
    std::vector<std::uint8_t> read(kRecordsPerRead * optical::kLongRecord);
    for (int r = 0; r < kRecordsPerRead; ++r) {
        for (int c = 0; c < 16; ++c) {
            bytes::put(std::span(read), r * optical::kLongRecord + 4 * c,
                       static_cast<std::int32_t>(102400 * (150 + c + r)));
        }
    }
    return read;
}

void report(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kRecordsPerRead);
    state.counters["records_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kRecordsPerRead), benchmark::Counter::kIsRate);
    state.counters["target_per_s"] = kTarget;
}

// Decodes `read` again and again through `handler` of a sensor of firmware `version`.
void decode(benchmark::State& state, std::uint32_t version,
            void (UsbOpticalSensor::*handler)(std::span<const std::uint8_t>), const std::vector<std::uint8_t>& read)
{
    Sensor sensor(version);
    for (auto _ : state) {
        (sensor.sensor.*handler)(read);
    }
    benchmark::DoNotOptimize(sensor.checksum);
    report(state);
}

void opticalOnPacket(benchmark::State& state)
{
    decode(state, 0x00050000, &UsbOpticalSensor::OnPacket, shortRecords());
}
BENCHMARK(opticalOnPacket);

void opticalOnData(benchmark::State& state)
{
    decode(state, 0x00040003, &UsbOpticalSensor::OnData, longRecords());
}
BENCHMARK(opticalOnData);

} // namespace
