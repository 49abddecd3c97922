// Image-sensor frames per second through the transport: assembled from a header and 63-byte continuations, run
// through the exposure control and turned into device records, for the largest tracking window (80 x 80 pixels),
// with a handler on eventSignal as the model has.
// Target: over 20,000 frames a second on one core (the sensor sends at most 120).
#include "talvolink/qv/QVFrameAssembler.h"
#include "talvolink/qv/TalvoQV.h"
#include "talvolink/usb/Bytes.h"

#include "platform/time/ManualClock.h"
#include "platform/usb/InterfaceClass.h"
#include "platform/usb/UsbTransportFake.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

constexpr double kTarget = 20000.0;
constexpr std::size_t kWindow = 80;
constexpr std::size_t kPayloadPerPacket = 63;

// A frame of a bright spot on a dark field, as the sensor sends it.
std::vector<std::vector<std::uint8_t>> framePackets(std::uint8_t brightness)
{
    std::vector<std::uint8_t> pixels(kWindow * kWindow, 20);
    for (std::size_t y = 30; y < 50; ++y) {
        for (std::size_t x = 30; x < 50; ++x) {
            pixels[y * kWindow + x] = brightness;
        }
    }
    std::vector<std::uint8_t> header(talvolink::kQVHeaderLength);
    std::span<std::uint8_t> out(header);
    out[1] = 2;
    talvolink::bytes::put(out, 2, static_cast<std::uint16_t>(header.size() + pixels.size()));
    out[10] = kWindow;
    out[11] = kWindow;
    out[13] = 1;
    talvolink::bytes::put(out, 16, 370.0F);
    talvolink::bytes::put(out, 20, 245.0F);
    talvolink::bytes::put(out, 24, std::uint16_t{100});
    talvolink::bytes::put(out, 44, std::uint16_t{1948});
    out[52] = 64;
    std::vector<std::vector<std::uint8_t>> packets{header};
    std::uint8_t sequence = 1;
    for (std::size_t at = 0; at < pixels.size(); at += kPayloadPerPacket) {
        std::vector<std::uint8_t> packet{sequence++};
        const std::size_t end = std::min(pixels.size(), at + kPayloadPerPacket);
        packet.insert(packet.end(), pixels.begin() + static_cast<std::ptrdiff_t>(at),
                      pixels.begin() + static_cast<std::ptrdiff_t>(end));
        packets.push_back(std::move(packet));
    }
    return packets;
}

// Answers the start exchange of a sensor with a 25 mm lens, opens it without its reader and aims it at an air rifle
// target at 10 m, so positions have a scale.
void openOnTarget(platform::usb::FakeUsbTransport& bus, talvolink::TalvoQV& sensor)
{
    const std::string path = "/dev/bus/usb/001/003";
    platform::usb::FakeUsbDevice& fake =
        bus.plug(path, platform::usb::idsOfClass(platform::usb::InterfaceClass::ImageSensor)[0]);
    fake.setVendorScript([](const platform::usb::SetupPacket& setup, std::span<std::uint8_t> data) {
        std::fill(data.begin(), data.end(), std::uint8_t{0});
        if (setup.request == 0x44) {
            talvolink::bytes::put(data, 0, std::uint32_t{0x0002'0023}); // Hardware 2, firmware 35.
        } else if (setup.request == 0xA2) {
            talvolink::bytes::put(data, 0, std::uint16_t{26});
        } else if (setup.request == 0xA3) {
            talvolink::bytes::put(data, 4, std::uint16_t{300});
            talvolink::bytes::put(data, 6, std::uint16_t{240});
            talvolink::bytes::put(data, 12, 25.0F);
        }
        return platform::usb::Transfer{platform::usb::kErrorSuccess, data.size()};
    });
    sensor.setUsesReader(false);
    if (!sensor.Open(path)) {
        std::abort();
    }
    sensor.setTarget(10.0, 30.5, 0.08);
    sensor.BuildSettings(/*force=*/true);
}

void FramesToRecords(benchmark::State& state)
{
    // The transport reads its stored choices: keep the user's settings out of it.
    const std::filesystem::path config = std::filesystem::temp_directory_path() / "talvo-qv-bench";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    platform::usb::FakeUsbTransport bus;
    platform::time::ManualClock clock;
    talvolink::TalvoQV sensor(bus, clock);
    openOnTarget(bus, sensor);
    std::size_t records = 0;
    std::size_t valid = 0;
    sensor.eventSignal.hook([&](const talvolink::DeviceRecord& record) {
        ++records;
        valid += record.aimValid;
    });
    // Alternating brightness keeps the exposure control evaluating and stepping.
    const auto dark = framePackets(90);
    const auto bright = framePackets(250);
    std::uint64_t time = 0;
    for (auto _ : state) {
        for (const auto& packet : (time / 10) % 2 == 0 ? dark : bright) {
            sensor.AssemblePacket(time, packet);
        }
        time += 10;
    }
    // Every frame but the first becomes a valid record.
    state.counters["records"] = static_cast<double>(records);
    state.counters["valid"] = static_cast<double>(valid);
    state.SetItemsProcessed(state.iterations());
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["target_per_s"] = kTarget;
    std::filesystem::remove_all(config);
}
BENCHMARK(FramesToRecords);

} // namespace
