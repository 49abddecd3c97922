#include "talvolink/usb/tests/support/RecordingUsbDevice.h"

#include "talvolink/usb/UsbDeviceProbe.h"

#include <gtest/gtest.h>

#include <functional>

namespace talvolink {
namespace {

using namespace platform::usb;
using testsupport::answerAll;
using testsupport::RecordingUsbDevice;

constexpr UsbId kOptical{0x2D7A, 0x000E};
constexpr UsbId kTrigger{0x2D7A, 0x0012};
const std::string kPath = "/dev/bus/usb/001/004";

TEST(UsbDeviceTest, OpenFailuresLeaveTheirTextAndCloseTheDevice)
{
    struct Case {
        const char* name;
        std::function<void(FakeUsbDevice&, RecordingUsbDevice&)> arrange;
        std::string text;
        UsbError code;
    };
    const PipeInformation bulkOut{PipeType::Bulk, 0x01, 64, 0};
    const Case cases[] = {
        {"busy", [](FakeUsbDevice& fake, RecordingUsbDevice&) { fake.setBusy(true); }, "Error opening device",
         kErrorSharingViolation},
        {"open refused", [](FakeUsbDevice& fake, RecordingUsbDevice&) { fake.failStep(FakeStep::Open, 5); },
         "Error opening device", kErrorAccessDenied},
        {"descriptor", [](FakeUsbDevice& fake, RecordingUsbDevice&) { fake.failStep(FakeStep::Descriptor, 31); },
         "Error reading device descriptor", kErrorGenFailure},
        {"driver descriptor",
         [](FakeUsbDevice& fake, RecordingUsbDevice&) {
             fake.setWinUsb(false);
             fake.failStep(FakeStep::Descriptor, 31);
         },
         "Error reading device descriptor", kErrorGenFailure},
        {"short descriptor",
         [](FakeUsbDevice& fake, RecordingUsbDevice&) {
             auto descriptor = makeDeviceDescriptor(kTrigger);
             descriptor.pop_back();
             fake.setDescriptor(descriptor);
         },
         "Invalid device descriptor", kErrorSuccess},
        {"two configurations",
         [](FakeUsbDevice& fake, RecordingUsbDevice&) { fake.setDescriptor(makeDeviceDescriptor(kTrigger, 2)); },
         "Please upgrade TALVO firmware. (1)", kErrorSuccess},
        {"initialize without text", [](FakeUsbDevice&, RecordingUsbDevice& device) { device.initializeResult = false; },
         "Unable to initialize device", kErrorSuccess},
        {"initialize with text",
         [](FakeUsbDevice&, RecordingUsbDevice& device) {
             device.initializeResult = false;
             device.initializeText = "unable to retrieve serial number";
         },
         "unable to retrieve serial number", kErrorSuccess},
        {"interface", [](FakeUsbDevice& fake, RecordingUsbDevice&) { fake.failStep(FakeStep::InterfaceSettings, 31); },
         "Error reading interface descriptor", kErrorGenFailure},
        {"pipe", [](FakeUsbDevice& fake, RecordingUsbDevice&) { fake.failStep(FakeStep::QueryPipe, 31); },
         "Error reading pipe info", kErrorGenFailure},
        {"isochronous",
         [&](FakeUsbDevice& fake, RecordingUsbDevice&) {
             fake.setPipes({bulkOut, {PipeType::Isochronous, 0x82, 64, 1}, {PipeType::Bulk, 0x83, 64, 0}});
         },
         "Please upgrade TALVO firmware. (2)", kErrorSuccess},
        {"no in pipe", [&](FakeUsbDevice& fake, RecordingUsbDevice&) { fake.setPipes({bulkOut}); },
         "Please upgrade TALVO firmware. (3)", kErrorSuccess},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FakeUsbTransport bus;
        FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
        RecordingUsbDevice device(bus);
        test.arrange(fake, device);
        EXPECT_FALSE(device.Open(kPath));
        EXPECT_EQ(test.text, device.errorText());
        EXPECT_EQ(test.code, device.errorCode());
        EXPECT_FALSE(device.isOpen());
        EXPECT_FALSE(fake.isOpen());
        EXPECT_FALSE(device.isReading());
    }
}

TEST(UsbDeviceTest, OpenFindsTheReadPipeOrFallsBackToTheDriver)
{
    FakeUsbTransport bus;
    FakeUsbDevice& winUsb = bus.plug("/dev/bus/usb/001/004", kOptical);
    winUsb.setPipes({{PipeType::Bulk, 0x02, 64, 0}, {PipeType::Interrupt, 0x81, 16, 4}});
    FakeUsbDevice& driver = bus.plug("/dev/bus/usb/001/005", kOptical);
    driver.setWinUsb(false);
    driver.setDescriptor(makeDeviceDescriptor(kOptical, 3)); // the driver path checks no configuration count

    RecordingUsbDevice first(bus);
    ASSERT_TRUE(first.Open("/DEV/BUS/USB/001/004")) << first.errorText();
    EXPECT_TRUE(first.isWinUsb());
    EXPECT_EQ((PipeInformation{PipeType::Interrupt, 0x81, 16, 4}), first.readPipe());
    EXPECT_EQ(0x000E, first.productId());
    EXPECT_EQ(10000u, winUsb.policy(0, PipePolicy::TransferTimeout));
    EXPECT_FALSE(first.Open("/dev/bus/usb/001/004"));

    RecordingUsbDevice second(bus);
    ASSERT_TRUE(second.Open("/dev/bus/usb/001/005")) << second.errorText();
    EXPECT_FALSE(second.isWinUsb());
    EXPECT_EQ(std::vector<std::uint8_t>{}, driver.ioControlInputs().at(0));
}

TEST(UsbDeviceTest, VendorRequestsCarryTheirExactSetupBytes)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    fake.setVendorScript(answerAll(0x5A));
    RecordingUsbDevice device(bus);
    device.setUsesReader(false);
    ASSERT_TRUE(device.Open(kPath));

    std::array<std::uint8_t, 4> in{};
    EXPECT_TRUE(device.ReadVendor(0x90, 0x1234, 0xABCD, in));
    EXPECT_EQ((std::array<std::uint8_t, 4>{0x5A, 0x5A, 0x5A, 0x5A}), in);
    EXPECT_TRUE(device.SendVendorCommand(0x8D, 1, 2));
    const std::array<std::uint8_t, 3> out{7, 8, 9};
    EXPECT_TRUE(device.WriteVendor(0x8C, 0x0100, 0x00FF, out));

    const auto requests = fake.requests();
    ASSERT_EQ(3u, requests.size());
    using Bytes = std::array<std::uint8_t, 8>;
    EXPECT_EQ((Bytes{0xC0, 0x90, 0x34, 0x12, 0xCD, 0xAB, 0x04, 0x00}), requests[0].setup.bytes());
    EXPECT_EQ((Bytes{0x40, 0x8D, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00}), requests[1].setup.bytes());
    EXPECT_EQ((Bytes{0x40, 0x8C, 0x00, 0x01, 0xFF, 0x00, 0x03, 0x00}), requests[2].setup.bytes());
    EXPECT_EQ((std::vector<std::uint8_t>{7, 8, 9}), requests[2].data);

    // A device that answers fewer bytes than asked fails the read.
    fake.setVendorScript([](const SetupPacket&, std::span<std::uint8_t>) { return Transfer{kErrorSuccess, 3}; });
    EXPECT_FALSE(device.ReadVendor(0x90, 0, 0, in));
    device.Close();
    EXPECT_FALSE(device.SendVendorCommand(0x8D, 0, 0));
}

TEST(UsbDeviceTest, DriverVendorRequestsCarryTheEightByteHeader)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    fake.setWinUsb(false);
    fake.setVendorScript(answerAll(1));
    RecordingUsbDevice device(bus);
    device.setUsesReader(false);
    ASSERT_TRUE(device.Open(kPath));

    std::array<std::uint8_t, 2> in{};
    EXPECT_TRUE(device.ReadVendor(0x91, 0x0203, 0x0405, in));
    EXPECT_TRUE(device.SendVendorCommand(0x84, 0x0607, 0x0809));
    const std::array<std::uint8_t, 2> out{0xEE, 0xFF};
    EXPECT_TRUE(device.WriteVendor(0x8E, 0x0A0B, 0x0C0D, out));

    const auto inputs = fake.ioControlInputs();
    ASSERT_EQ(4u, inputs.size()); // the descriptor first
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ((Bytes{0x91, 0, 0x03, 0x02, 0x05, 0x04, 0, 0}), inputs[1]);
    EXPECT_EQ((Bytes{0x84, 0, 0x07, 0x06, 0x09, 0x08, 0, 0}), inputs[2]);
    EXPECT_EQ((Bytes{0x8E, 0, 0x0B, 0x0A, 0x0D, 0x0C, 0x02, 0, 0xEE, 0xFF}), inputs[3]);
    EXPECT_EQ(SetupPacket({kVendorIn, 0x91, 0x0203, 0x0405, 2}), fake.requests().at(0).setup);
}

TEST(UsbDeviceTest, ProbeOpensWithoutCheckingPipesOrStartingTheReader)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kOptical);
    fake.setPipes({{PipeType::Isochronous, 0x81, 64, 1}});
    UsbDeviceProbe probe(bus);
    probe.setUsesReader(false);
    ASSERT_TRUE(probe.Open(kPath)) << probe.errorText();
    EXPECT_FALSE(probe.isReading());
    EXPECT_EQ(0u, fake.pendingReads());

    UsbDeviceProbe busy(bus);
    busy.setUsesReader(false);
    EXPECT_FALSE(busy.Open(kPath));
    EXPECT_EQ("Error opening device", busy.errorText());
    probe.Close();
    EXPECT_TRUE(busy.Open(kPath));
}

TEST(UsbDeviceTest, CloseWhileReadingStopsTheReaderAndFreesTheDevice)
{
    FakeUsbTransport bus;
    FakeUsbDevice& fake = bus.plug(kPath, kTrigger);
    RecordingUsbDevice device(bus);
    ASSERT_TRUE(device.Open(kPath));
    ASSERT_TRUE(fake.waitForPendingReads(32, std::chrono::seconds(10)));
    EXPECT_TRUE(device.isReading());
    device.Close();
    EXPECT_FALSE(device.isReading());
    EXPECT_FALSE(fake.isOpen());
    EXPECT_EQ(0u, fake.pendingReads());
    EXPECT_EQ(kErrorSuccess, device.errorCode());
    fake.feed({1, 2, 3}); // nobody reads any more
    EXPECT_TRUE(device.packets.empty());
    EXPECT_TRUE(device.errors.empty());
}

TEST(UsbDeviceTest, FindDeviceInterfaceLooksAtTheFirst256InterfacesOfTheClass)
{
    FakeUsbTransport bus;
    EXPECT_FALSE(FindDeviceInterface(bus, "/dev/bus/usb/001/001", InterfaceClass::OpticalSensor));

    for (int i = 0; i < 300; ++i) {
        bus.plug("/dev/bus/usb/001/" + std::to_string(i), kOptical);
    }
    bus.plug("/dev/bus/usb/002/001", kTrigger);
    const struct {
        std::string path;
        InterfaceClass interfaceClass;
        bool found;
    } cases[] = {
        {"/dev/bus/usb/001/0", InterfaceClass::OpticalSensor, true},
        {"/DEV/BUS/USB/001/255", InterfaceClass::OpticalSensor, true},
        {"/dev/bus/usb/001/256", InterfaceClass::OpticalSensor, false},
        {"/dev/bus/usb/002/001", InterfaceClass::OpticalSensor, false},
        {"/dev/bus/usb/002/001", InterfaceClass::TriggerSensor, true},
        {"/dev/bus/usb/001/1", InterfaceClass::WirelessTarget, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.path);
        EXPECT_EQ(test.found, FindDeviceInterface(bus, test.path, test.interfaceClass));
    }
    EXPECT_EQ(300u, bus.enumerate(InterfaceClass::OpticalSensor)->size());
    bus.setEnumerationFails(true);
    EXPECT_FALSE(FindDeviceInterface(bus, "/dev/bus/usb/001/0", InterfaceClass::OpticalSensor));
}

} // namespace
} // namespace talvolink
