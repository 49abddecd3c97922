// Optical records decoded per second through the optical sensor's OnPacket (newer firmware, 47-byte records) and
// OnData (older firmware, 93-byte records), with a handler on eventSignal as the model has.
// Target: over one million records a second on one core.
// Wireless packets decoded into the model's samples per second (kind 0 resampled to twice its rate, kind 2 with
// two positions a packet). Target: over one million packets a second on one core.
#include "talvolink/usb/Bytes.h"
#include "talvolink/usb/UsbOpticalSensor.h"
#include "talvolink/usb/WirelessRecords.h"

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

constexpr int kPacketsPerRound = 64;

// Spot packets of kind 0 with the spots drifting a little, counters running on.
std::vector<std::vector<std::uint8_t>> spotPackets()
{
    std::vector<std::vector<std::uint8_t>> packets;
    for (int i = 0; i < kPacketsPerRound; ++i) {
        std::vector<std::uint8_t> p(24);
        p[0] = 24;
        p[4] = static_cast<std::uint8_t>(i);
        const int q[8] = {2400, 1200, 1200, 1200, 1200, 1200, 1200, 2400};
        for (int j = 0; j < 8; ++j) {
            bytes::put(std::span(p), 6 + 2 * j, static_cast<std::uint16_t>(q[j] + 7 * i * (j % 3)));
        }
        p[22] = static_cast<std::uint8_t>(i % 32);
        p[23] = 3;
        packets.push_back(std::move(p));
    }
    return packets;
}

// Position packets of kind 2 whose side channels carry an angle and a scale.
std::vector<std::vector<std::uint8_t>> positionPackets()
{
    std::vector<std::vector<std::uint8_t>> packets;
    const std::uint8_t sides[6] = {35, 35, 0x10, 0x00, 0x10, 0x27};
    for (int i = 0; i < kPacketsPerRound; ++i) {
        std::vector<std::uint8_t> p(17);
        p[0] = 17;
        p[1] = 2;
        p[4] = static_cast<std::uint8_t>(i % 120);
        p[5] = sides[(i % 120) % 6];
        bytes::put(std::span(p), 6, static_cast<std::int16_t>(100 + i));
        bytes::put(std::span(p), 8, static_cast<std::int16_t>(-50 - i));
        bytes::put(std::span(p), 10, static_cast<std::int16_t>(90 + i));
        bytes::put(std::span(p), 12, static_cast<std::int16_t>(-40 - i));
        p[14] = static_cast<std::uint8_t>(i);
        p[15] = static_cast<std::uint8_t>(0x10 | (i % 16));
        packets.push_back(std::move(p));
    }
    return packets;
}

void decodeWireless(benchmark::State& state, const std::vector<std::vector<std::uint8_t>>& packets, int ratio,
                    double spacing)
{
    talvolink::WirelessRecords records;
    records.setRatio(ratio);
    records.decoder().setSpacing(spacing);
    talvolink::WirelessRecords::Result result;
    double checksum = 0.0;
    for (auto _ : state) {
        for (const auto& packet : packets) {
            records.build(packet, result);
            for (std::size_t i = 0; i < result.count; ++i) {
                checksum += result.samples[i].x;
            }
        }
    }
    benchmark::DoNotOptimize(checksum);
    const auto packetsDone = static_cast<double>(state.iterations() * kPacketsPerRound);
    state.SetItemsProcessed(state.iterations() * kPacketsPerRound);
    state.counters["packets_per_s"] = benchmark::Counter(packetsDone, benchmark::Counter::kIsRate);
    state.counters["target_per_s"] = kTarget;
}

void wirelessSpotKind(benchmark::State& state)
{
    decodeWireless(state, spotPackets(), 2, 190.0);
}
BENCHMARK(wirelessSpotKind);

void wirelessPositionKind(benchmark::State& state)
{
    decodeWireless(state, positionPackets(), 1, 50.0);
}
BENCHMARK(wirelessPositionKind);

} // namespace
