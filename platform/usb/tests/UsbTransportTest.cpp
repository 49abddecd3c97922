#include "platform/usb/UsbTransport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace platform::usb {
namespace {

TEST(UsbTransportTest, SystemBusListsEveryClassWithoutError)
{
    for (const InterfaceClass interfaceClass : allInterfaceClasses()) {
        const auto present = systemUsbTransport().enumerate(interfaceClass);
        ASSERT_TRUE(present.hasValue()) << present.error().detail;
        for (const DeviceInterface& device : *present) {
            EXPECT_EQ(interfaceClass, classOfDevice(device.id));
        }
    }
}

TEST(UsbTransportTest, SystemBusAnswersOpenFailuresAsSystemErrors)
{
    EXPECT_EQ(kErrorFileNotFound, systemUsbTransport().open("/dev/bus/usb/999/999").error);
    // A file that is no USB device node.
    const auto notUsb = systemUsbTransport().open("/dev/null");
    EXPECT_EQ(nullptr, notUsb.connection);
    EXPECT_NE(kErrorSuccess, notUsb.error);
}

TEST(UsbTransportTest, ClassTableIsOneToOneAndMatchesTheUdevRules)
{
    std::ifstream rules(TALVO_UDEV_RULES);
    ASSERT_TRUE(rules.is_open());
    std::set<std::pair<unsigned, unsigned>> ruled;
    for (std::string line; std::getline(rules, line);) {
        unsigned vendor = 0;
        unsigned product = 0;
        if (std::sscanf(line.c_str(), "SUBSYSTEM==\"usb\", ATTR{idVendor}==\"%4x\", ATTR{idProduct}==\"%4x\"", &vendor,
                        &product) == 2) {
            EXPECT_NE(std::string::npos, line.find("GROUP=\"plugdev\"")) << line;
            ruled.emplace(vendor, product);
        }
    }
    std::set<std::pair<unsigned, unsigned>> tabled;
    for (const InterfaceClass interfaceClass : allInterfaceClasses()) {
        for (const UsbId id : idsOfClass(interfaceClass)) {
            EXPECT_EQ(interfaceClass, classOfDevice(id));
            tabled.emplace(id.vendorId, id.productId);
        }
    }
    EXPECT_EQ(allInterfaceClasses().size(), tabled.size());
    EXPECT_EQ(tabled, ruled);
}

TEST(UsbTransportTest, PathsCompareWithoutRegardToCase)
{
    EXPECT_TRUE(samePath("/dev/bus/usb/001/00a", "/DEV/BUS/USB/001/00A"));
    EXPECT_FALSE(samePath("/dev/bus/usb/001/001", "/dev/bus/usb/001/0010"));
    EXPECT_FALSE(samePath("/dev/bus/usb/001/001", "/dev/bus/usb/001/002"));
}

} // namespace
} // namespace platform::usb
