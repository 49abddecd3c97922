#include "talvolink/usb/tests/support/RecordingUsbDevice.h"

#include "talvolink/usb/SerialNumber.h"
#include "talvolink/usb/UsbPulseSensor.h"
#include "talvolink/usb/UsbTarget.h"
#include "talvolink/usb/UsbTriggerSensor.h"
#include "talvolink/usb/UsbWirelessDovecoteTarget.h"
#include "talvolink/usb/UsbWirelessTarget.h"

#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace talvolink {
namespace {

using namespace platform::usb;
using Bytes = std::vector<std::uint8_t>;

const std::string kPath = "/dev/bus/usb/005/009";

// Answers each request from the device by its code (a missing code fails) and takes every request to it.
FakeUsbDevice::VendorScript answers(std::map<std::uint8_t, Bytes> replies)
{
    return [replies = std::move(replies)](const SetupPacket& setup, std::span<std::uint8_t> data) {
        if (setup.requestType == kVendorOut) {
            return Transfer{kErrorSuccess, data.size()};
        }
        const auto found = replies.find(setup.request);
        if (found == replies.end()) {
            return Transfer{kErrorGenFailure, 0};
        }
        std::ranges::copy(found->second, data.begin());
        return Transfer{kErrorSuccess, found->second.size()};
    };
}

std::vector<std::uint8_t> requestCodes(const FakeUsbDevice& fake)
{
    std::vector<std::uint8_t> codes;
    for (const FakeRequest& request : fake.requests()) {
        codes.push_back(request.setup.request);
    }
    return codes;
}

const Bytes kSerial{1, 2, 3, 4, 5, 6, 7, 200};

TEST(UsbDevicesTest, InitializeAsksEachKindItsRequests)
{
    platform::time::ManualClock clock;
    const struct {
        const char* name;
        std::function<std::unique_ptr<UsbDevice>(UsbTransport&)> make;
        std::map<std::uint8_t, Bytes> replies;
        std::vector<std::uint8_t> codes;
        std::string error;
    } cases[] = {
        {"target, newer firmware",
         [](UsbTransport& bus) { return std::make_unique<UsbTarget>(bus); },
         {{0x98, {4, 0, 1, 0}}, {0x8B, kSerial}, {0x99, {1}}},
         {0x98, 0x8B, 0x99},
         ""},
        {"target, older firmware",
         [](UsbTransport& bus) { return std::make_unique<UsbTarget>(bus); },
         {{0x98, {3, 0, 1, 0}}, {0x8B, kSerial}},
         {0x98, 0x8B},
         ""},
        {"target without serial",
         [](UsbTransport& bus) { return std::make_unique<UsbTarget>(bus); },
         {{0x98, {4, 0, 1, 0}}},
         {0x98, 0x8B},
         "unable to retrieve serial number"},
        {"wireless",
         [](UsbTransport& bus) { return std::make_unique<UsbWirelessTarget>(bus); },
         {{0x81, kSerial}, {0x8B, {0}}},
         {0x81, 0x8B},
         ""},
        {"wireless without serial",
         [](UsbTransport& bus) { return std::make_unique<UsbWirelessTarget>(bus); },
         {},
         {0x81},
         "unable to retrieve serial number"},
        {"dovecote",
         [](UsbTransport& bus) { return std::make_unique<UsbWirelessDovecoteTarget>(bus); },
         {{0x86, {1, 0, 2, 0}}, {0x81, kSerial}, {0x8B, {1}}, {0xAD, Bytes(16, 9)}},
         {0x86, 0x81, 0x8B, 0xAD},
         ""},
        {"dovecote without state",
         [](UsbTransport& bus) { return std::make_unique<UsbWirelessDovecoteTarget>(bus); },
         {{0x81, kSerial}},
         {0x86, 0x81, 0x8B, 0xAD},
         "Unable to read target state"},
        {"trigger", [](UsbTransport& bus) { return std::make_unique<UsbTriggerSensor>(bus); }, {}, {}, ""},
        {"pulse, newer firmware",
         [&](UsbTransport& bus) { return std::make_unique<UsbPulseSensor>(bus, clock); },
         {{0x85, {2, 0, 0, 0}}, {0x91, {1}}},
         {0x85, 0x91},
         ""},
        {"pulse, older firmware",
         [&](UsbTransport& bus) { return std::make_unique<UsbPulseSensor>(bus, clock); },
         {{0x85, {1, 0, 0, 0}}},
         {0x85},
         ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        FakeUsbTransport bus;
        FakeUsbDevice& fake = bus.plug(kPath, {0x2D7A, 0x0010});
        fake.setVendorScript(answers(test.replies));
        auto device = test.make(bus);
        device->setUsesReader(false);
        EXPECT_EQ(test.error.empty(), device->Open(kPath));
        EXPECT_EQ(test.error, device->errorText());
        EXPECT_EQ(test.codes, requestCodes(fake));
    }
}

TEST(UsbDevicesTest, FlagsAndSerialNumbersComeFromTheirRequests)
{
    platform::time::ManualClock clock;
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, {0x2D7A, 0x0010});
    fake.setVendorScript(answers({{0x98, {4, 0, 0, 0}}, {0x8B, kSerial}, {0x99, {2}}, {0x85, {2, 0, 0, 0}}}));
    UsbTarget target(bus);
    target.setUsesReader(false);
    ASSERT_TRUE(target.Open(kPath));
    EXPECT_FALSE(target.flag()); // 0x99 answered 2
    EXPECT_EQ("1-2-3-4-5-6-7-200", FormatSerialNumber(target.serialNumber()));
    target.Close();

    UsbPulseSensor pulse(bus, clock);
    pulse.setUsesReader(false);
    ASSERT_TRUE(pulse.Open(kPath));
    EXPECT_TRUE(pulse.flag()); // 0x91 failed
}

TEST(UsbDevicesTest, DovecoteShutdownStopsTheTargetUnlessItsFlagIsSet)
{
    for (const std::uint8_t flag : {0, 1}) {
        SCOPED_TRACE(flag);
        FakeUsbTransport bus;
        FakeUsbDevice& fake = bus.plug(kPath, {0x2D7B, 0x0022});
        fake.setVendorScript(answers({{0x81, kSerial}, {0x8B, {flag}}, {0xAD, Bytes(16, 9)}}));
        UsbWirelessDovecoteTarget target(bus);
        target.setUsesReader(false);
        ASSERT_TRUE(target.Open(kPath));
        target.Close();
        const auto codes = requestCodes(fake);
        EXPECT_EQ(flag == 0, codes.back() == 0x91);
        Bytes expected(16, flag == 0 ? 0 : 9);
        std::fill(expected.begin() + 8, expected.end(), 9);
        EXPECT_EQ(expected, Bytes(target.state().begin(), target.state().end()));
    }
}

TEST(UsbDevicesTest, WirelessSubBlocksRaiseTheirEventsAndEndAtAShortOne)
{
    FakeUsbTransport bus;
    UsbWirelessTarget wireless(bus);
    UsbWirelessDovecoteTarget dovecote(bus);
    std::vector<std::pair<int, Bytes>> data;
    std::vector<Bytes> targets;
    wireless.eventWirelessData.hook([&](int channel, std::span<const std::uint8_t> bytes) {
        data.emplace_back(channel, Bytes(bytes.begin(), bytes.end()));
    });
    wireless.eventTarget.hook(
        [&](std::span<const std::uint8_t> bytes) { targets.emplace_back(bytes.begin(), bytes.end()); });
    dovecote.eventWirelessData.hook([&](int channel, std::span<const std::uint8_t> bytes) {
        data.emplace_back(channel, Bytes(bytes.begin(), bytes.end()));
    });

    wireless.OnData(std::vector<std::uint8_t>{5, 0x44, 0xE3, 1, 2, 4, 0x88, 7, 8, 3, 0x55, 0, 2, 0x44, 2, 0x44, 9});
    EXPECT_EQ((std::vector<std::pair<int, Bytes>>{{3, {1, 2}}}), data);
    EXPECT_EQ((std::vector<Bytes>{{7, 8}}), targets);

    data.clear();
    for (const Bytes& read :
         {Bytes{4, 0x44, 1, 2, 1, 0x44}, Bytes{4, 0x44, 1, 2, 9, 0x44, 1}, Bytes{4, 0x44, 1, 2, 0, 0x44}}) {
        dovecote.OnData(read);
    }
    // A length of 1 (below the header), one past the read and a length of 0 each end their read.
    EXPECT_EQ((std::vector<std::pair<int, Bytes>>{{0, {1, 2}}, {0, {1, 2}}, {0, {1, 2}}}), data);
}

TEST(UsbDevicesTest, TargetTriggerAndPulsePackets)
{
    FakeUsbTransport bus;
    UsbTarget target(bus);
    int connects = 0;
    int states = 0;
    target.eventConnect.hook([&](std::span<const std::uint8_t>) { ++connects; });
    target.eventState.hook([&](std::span<const std::uint8_t>) { ++states; });
    for (const Bytes& packet : {Bytes{2}, Bytes{1, 5}, Bytes{3}, Bytes{}}) {
        target.OnPacket(packet);
    }
    EXPECT_EQ(1, connects);
    EXPECT_EQ(1, states);

    UsbTriggerSensor trigger(bus);
    EXPECT_TRUE(trigger.Initialize());
    trigger.OnPacket(Bytes{0x10, 0x02, 0xFF});
    trigger.OnPacket(Bytes{0x01});                   // too short to hold a value
    EXPECT_DOUBLE_EQ(528.0, trigger.CurrentValue()); // the filter starts at its first input
    EXPECT_DOUBLE_EQ(528.0, trigger.CurrentValue());

    platform::time::ManualClock clock;
    UsbPulseSensor pulse(bus, clock);
    std::vector<DATE> beats;
    pulse.eventHeartBeat.hook([&](DATE beat) { beats.push_back(beat); });
    const DATE start = clock.wallNow();
    for (const int step : {0, 199, 201, 400}) {
        clock.advance(std::chrono::milliseconds(step));
        pulse.OnPacket({});
    }
    ASSERT_EQ(2u, beats.size()); // 199 ms after a beat is too soon; 201 and 400 ms after the last one are beats
    EXPECT_NEAR(start + 0.4 / 86400.0, beats[0], 1e-9);
}

TEST(UsbDevicesTest, SerialNumbersParseOnlyEightNumbersInRange)
{
    const struct {
        const char* text;
        std::optional<UsbSerialNumber> serial;
    } cases[] = {
        {"1-2-3-4-5-6-7-8", UsbSerialNumber{1, 2, 3, 4, 5, 6, 7, 8}},
        {"254-254-254-254-254-254-254-254", UsbSerialNumber{254, 254, 254, 254, 254, 254, 254, 254}},
        {"0-2-3-4-5-6-7-8", std::nullopt},
        {"1-2-3-4-5-6-7", std::nullopt},
        {"1-2-3-4-5-6-7-255", std::nullopt},
        {"1-2-3-4-5-6-7-8-9", std::nullopt},
        {"1-2-3-4-5-6-7-8 ", std::nullopt},
        {"1--2-3-4-5-6-7-8", std::nullopt},
        {"+1-2-3-4-5-6-7-8", std::nullopt},
        {"001-2-3-4-5-6-7-8", UsbSerialNumber{1, 2, 3, 4, 5, 6, 7, 8}},
        {"00001-00002-00003-00004-5-6-7-8", UsbSerialNumber{1, 2, 3, 4, 5, 6, 7, 8}}, // 31 characters
        {"000001-00002-00003-00004-5-6-7-8", std::nullopt},                           // 32 characters
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        EXPECT_EQ(test.serial, ParseSerialNumber(test.text));
    }
    EXPECT_EQ("128-255-0-1-2-3-4-254", FormatSerialNumber({128, 255, 0, 1, 2, 3, 4, 254}));
}

} // namespace
} // namespace talvolink
