#include "talvolink/qv/QVRecord.h"
#include "talvolink/qv/TalvoQV.h"
#include "talvolink/qv/tests/support/FakeImageSensor.h"
#include "talvolink/usb/Bytes.h"

#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/ManualClock.h"
#include "platform/usb/UsbTransportFake.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace talvolink {
namespace {

using Packets = std::vector<std::vector<std::uint8_t>>;

class QVMutatedFramesTest : public platform::registry::testing::RegistryFixture {};

// Damages a frame's packets the ways a bad link or a hostile device could: bytes flipped, packets cut, repeated,
// swapped or lost, and header sizes and sequence numbers replaced.
Packets mutate(Packets packets, std::mt19937& random)
{
    const auto pick = [&](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    const int mutations = 1 + static_cast<int>(pick(4));
    for (int m = 0; m < mutations && !packets.empty(); ++m) {
        auto& packet = packets[pick(packets.size())];
        switch (pick(7)) {
        case 0:
            if (!packet.empty()) {
                packet[pick(packet.size())] = static_cast<std::uint8_t>(random());
            }
            break;
        case 1:
            packet.resize(pick(packet.size() + 1));
            break;
        case 2:
            packets.push_back(packet);
            break;
        case 3:
            std::swap(packets[pick(packets.size())], packets[pick(packets.size())]);
            break;
        case 4:
            packets.erase(packets.begin() + static_cast<std::ptrdiff_t>(pick(packets.size())));
            break;
        case 5:
            if (packet.size() >= 4) {
                packet[2] = static_cast<std::uint8_t>(random());
                packet[3] = static_cast<std::uint8_t>(random());
            }
            break;
        default:
            if (!packet.empty()) {
                packet[0] = static_cast<std::uint8_t>(pick(4));
            }
            break;
        }
    }
    return packets;
}

TEST_F(QVMutatedFramesTest, ThousandsOfDamagedFramesNeitherCrashNorMakeFalseRecords)
{
    platform::usb::FakeUsbTransport bus;
    platform::time::ManualClock clock;
    TalvoQV sensor(bus, clock);
    std::size_t records = 0;
    sensor.eventSignal.hook([&](const DeviceRecord& record) {
        ++records;
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(&record), sizeof record);
        if (record.aimValid != 0) {
            EXPECT_TRUE(std::isfinite(bytes::get<double>(bytes, qvrecord::kX)));
            EXPECT_TRUE(std::isfinite(bytes::get<double>(bytes, qvrecord::kY)));
        }
    });
    const std::vector<std::uint8_t> pixels = testsupport::FakeImageSensor::spotImage(80);
    const Packets frame = testsupport::qvFramePackets({.width = 80, .height = 80}, pixels, 63);
    const Packets headerOnly{testsupport::qvHeader({.event = 4}, 0)};
    std::mt19937 random(20261209);
    constexpr int kRounds = 4000;
    std::uint64_t time = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (const auto& packet : mutate(round % 3 == 0 ? headerOnly : frame, random)) {
            sensor.AssemblePacket(time, packet);
        }
        // A whole frame now and then, so damage meets assembly in every state.
        if (round % 5 == 0) {
            for (const auto& packet : frame) {
                sensor.AssemblePacket(time, packet);
            }
        }
        time += 10;
    }
    EXPECT_GT(records, static_cast<std::size_t>(kRounds / 5));
}

} // namespace
} // namespace talvolink
