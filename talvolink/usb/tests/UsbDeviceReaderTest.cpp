#include "talvolink/usb/tests/support/RecordingUsbDevice.h"

#include <gtest/gtest.h>

namespace talvolink {
namespace {

using namespace platform::usb;
using testsupport::RecordingUsbDevice;
using Bytes = std::vector<std::uint8_t>;

constexpr UsbId kTrigger{0x2D7A, 0x0012};  // its reads are wrapped as packets
constexpr UsbId kWireless{0x2D7A, 0x0022}; // frames its reads itself
const std::string kPath = "/dev/bus/usb/003/007";
constexpr std::chrono::seconds kPatience{10};

Bytes numbered(std::size_t length, int number)
{
    Bytes block(length);
    for (std::size_t i = 0; i < length; ++i) {
        block[i] = static_cast<std::uint8_t>(number + i);
    }
    return block;
}

TEST(UsbDeviceReaderTest, ReadCompleteSplitsTaggedBlocks)
{
    const struct {
        const char* name;
        Bytes read;
        std::vector<Bytes> data;
        std::vector<Bytes> packets;
    } cases[] = {
        {"data then packet",
         {0x44, 5, 0, 0, 0, 1, 2, 3, 4, 5, 0x88, 3, 0, 0, 0, 6, 7, 8},
         {{1, 2, 3, 4, 5}},
         {{6, 7, 8}}},
        {"unknown tag skipped", {0x55, 1, 0, 0, 0, 9, 0x88, 1, 0, 0, 0, 7}, {}, {{7}}},
        {"empty block", {0x88, 0, 0, 0, 0}, {}, {{}}},
        {"block past the end", {0x88, 2, 0, 0, 0, 1, 0x44, 1, 0, 0, 0, 2}, {}, {{1, 0x44}}},
        {"length past the read", {0x44, 4, 0, 0, 0, 1, 2, 3}, {}, {}},
        {"huge length", {0x44, 0xFF, 0xFF, 0xFF, 0xFF, 1}, {}, {}},
        {"header cut", {0x88, 1, 0, 0}, {}, {}},
    };
    FakeUsbTransport bus;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        RecordingUsbDevice device(bus);
        device.OnReadComplete(test.read);
        EXPECT_EQ(test.data, device.data);
        EXPECT_EQ(test.packets, device.packets);
    }
}

TEST(UsbDeviceReaderTest, PoolDeliversBlocksInOrderWrappedAsPackets)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    RecordingUsbDevice device(bus);
    ASSERT_TRUE(device.Open(kPath));
    ASSERT_TRUE(fake.waitForPendingReads(32, kPatience));
    EXPECT_EQ(1u, fake.policy(0x81, PipePolicy::AutoClearStall));
    EXPECT_EQ(1u, fake.policy(0x81, PipePolicy::RawIo));
    EXPECT_EQ(1, fake.pipeResets());

    constexpr int kBlocks = 200; // many more than the pool holds, so every read is submitted again
    for (int i = 0; i < kBlocks; ++i) {
        fake.feed(numbered(1 + i % 512, i));
    }
    ASSERT_TRUE(device.waitFor([&] { return device.packets.size() == kBlocks; }));
    for (int i = 0; i < kBlocks; ++i) {
        ASSERT_EQ(numbered(1 + i % 512, i), device.packets[i]) << i;
    }
    EXPECT_TRUE(device.data.empty());
    EXPECT_TRUE(fake.waitForPendingReads(32, kPatience));
}

TEST(UsbDeviceReaderTest, SelfFramingDeviceGetsItsReadsAsTheyCame)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kWireless);
    RecordingUsbDevice device(bus);
    ASSERT_TRUE(device.Open(kPath));
    fake.feed({0x44, 2, 0, 0, 0, 1, 2, 0x88, 1, 0, 0, 0, 3});
    ASSERT_TRUE(device.waitFor([&] { return device.packets.size() == 1; }));
    EXPECT_EQ((std::vector<Bytes>{{1, 2}}), device.data);
    EXPECT_EQ((std::vector<Bytes>{{3}}), device.packets);
}

TEST(UsbDeviceReaderTest, StalledPipeIsClearedAndReadingGoesOn)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    RecordingUsbDevice device(bus);
    ASSERT_TRUE(device.Open(kPath));
    ASSERT_TRUE(fake.waitForPendingReads(32, kPatience));
    fake.stall();
    fake.feed({42});
    ASSERT_TRUE(device.waitFor([&] { return device.packets.size() == 1; }));
    EXPECT_EQ(Bytes{42}, device.packets[0]);
    EXPECT_EQ(1, fake.haltsCleared());
    EXPECT_EQ(2, fake.pipeResets()); // at the start and after the stall
    EXPECT_TRUE(device.errors.empty());
}

TEST(UsbDeviceReaderTest, ReadErrorsFollowTheErrorRule)
{
    const struct {
        UsbError error;
        bool stops;
    } cases[] = {
        {kErrorFileNotFound, true},     {kErrorInvalidHandle, true}, {kErrorBadCommand, true},
        {kErrorOperationAborted, true}, {kErrorSemTimeout, false},   {kErrorAccessDenied, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.error);
        FakeUsbTransport bus;
        FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
        RecordingUsbDevice device(bus);
        ASSERT_TRUE(device.Open(kPath));
        ASSERT_TRUE(fake.waitForPendingReads(32, kPatience));
        fake.failRead(test.error);
        fake.feed({1});
        if (test.stops) {
            ASSERT_TRUE(device.waitFor([&] { return device.errors.size() == 1; }));
            EXPECT_EQ(test.error, device.errors[0]);
            EXPECT_FALSE(device.isOpen()); // its OnReadError closed the handle
        } else {
            ASSERT_TRUE(device.waitFor([&] { return device.packets.size() == 1; }));
            EXPECT_TRUE(fake.waitForPendingReads(32, kPatience)); // the failed read went back into the pool
            EXPECT_TRUE(device.errors.empty());
        }
        device.Close();
        EXPECT_FALSE(fake.isOpen());
    }
}

TEST(UsbDeviceReaderTest, UnpluggedDeviceEndsTheReaderWithAReadError)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    RecordingUsbDevice device(bus);
    ASSERT_TRUE(device.Open(kPath));
    fake.feed({1});
    ASSERT_TRUE(device.waitFor([&] { return device.packets.size() == 1; }));
    fake.unplug();
    ASSERT_TRUE(device.waitFor([&] { return !device.errors.empty(); }));
    EXPECT_EQ((std::vector<UsbError>{kErrorBadCommand}), device.errors);
    EXPECT_FALSE(device.isOpen());
    device.Close(); // joins the finished reader; nothing hangs
    EXPECT_FALSE(device.isReading());
    EXPECT_FALSE(device.Open(kPath));
    EXPECT_EQ("Error opening device", device.errorText());
}

TEST(UsbDeviceReaderTest, ReadsThatCannotBeSubmittedAreReportedNotDropped)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    fake.failStep(FakeStep::SubmitRead, kErrorSemTimeout);
    RecordingUsbDevice device(bus);
    ASSERT_TRUE(device.Open(kPath));
    ASSERT_TRUE(device.waitFor([&] { return !device.errors.empty(); }));
    EXPECT_EQ(kErrorSemTimeout, device.errors[0]);
}

TEST(UsbDeviceReaderTest, DriverLoopReadsInOrderAndReportsTimeoutsAndErrors)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    fake.setWinUsb(false);
    RecordingUsbDevice device(bus);
    device.setTaggedBlocks(false);
    device.setReadTimeout(std::chrono::milliseconds(1));
    ASSERT_TRUE(device.Open(kPath));
    ASSERT_FALSE(device.isWinUsb());
    ASSERT_TRUE(device.waitFor([&] { return device.timeouts > 0; }));

    for (int i = 0; i < 50; ++i) {
        fake.feed(numbered(100, i));
    }
    ASSERT_TRUE(device.waitFor([&] { return device.data.size() == 50; }));
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(numbered(100, i), device.data[i]) << i;
    }
    EXPECT_TRUE(device.packets.empty());

    fake.failRead(kErrorGenFailure);
    ASSERT_TRUE(device.waitFor([&] { return !device.errors.empty(); }));
    EXPECT_EQ(kErrorGenFailure, device.errors[0]);
    EXPECT_FALSE(device.isOpen());
    device.Close();
    EXPECT_FALSE(fake.isOpen());
}

TEST(UsbDeviceReaderTest, DriverLoopStopsWhenTimeoutAsksTo)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    fake.setWinUsb(false);
    RecordingUsbDevice device(bus);
    device.stopOnTimeout = true;
    device.setReadTimeout(std::chrono::milliseconds(1));
    ASSERT_TRUE(device.Open(kPath));
    ASSERT_TRUE(device.waitFor([&] { return device.timeouts == 1; }));
    fake.feed({1});
    device.Close();
    EXPECT_EQ(1, device.timeouts);
    EXPECT_TRUE(device.data.empty());
}

} // namespace
} // namespace talvolink
