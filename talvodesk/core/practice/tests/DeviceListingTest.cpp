#include "talvodesk/core/practice/DeviceListing.h"

#include "talvolink/TalvoDevice.h"
#include "talvolink/qv/tests/support/FakeImageSensor.h"

#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/ManualClock.h"
#include "platform/usb/UsbTransportFake.h"

#include "tools/sensorsim/SensorSimulator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace talvodesk {
namespace {

using platform::usb::FakeUsbDevice;
using platform::usb::FakeUsbTransport;
using platform::usb::InterfaceClass;
using talvolink::testsupport::FakeImageSensor;

std::string pathOf(int n)
{
    char path[32];
    std::snprintf(path, sizeof path, "/dev/bus/usb/001/%03d", n);
    return path;
}

/// The fake bus with the devices a case plugs, each at pathOf(its plugging number).
class Bench {
public:
    FakeUsbDevice& plug(InterfaceClass cls, bool busy = false)
    {
        FakeUsbDevice& device = bus.plug(pathOf(++m_plugged), platform::usb::idsOfClass(cls).front());
        device.setBusy(busy);
        m_devices.push_back(&device);
        return device;
    }
    void plugImageSensor(FakeImageSensor::Identity identity = {})
    {
        m_sensors.push_back(std::make_unique<FakeImageSensor>(bus, pathOf(++m_plugged), identity));
        m_devices.push_back(&m_sensors.back()->device());
    }
    DeviceList list(ITalvoDevice* serialProbe = nullptr) { return ListDevices({serialProbe, bus, m_clock}); }
    const std::vector<FakeUsbDevice*>& devices() const { return m_devices; }

    FakeUsbTransport bus;

private:
    platform::time::ManualClock m_clock;
    int m_plugged = 0;
    std::vector<std::unique_ptr<FakeImageSensor>> m_sensors;
    std::vector<FakeUsbDevice*> m_devices;
};

struct Expected {
    std::u16string text;
    long id;
    int plugged; ///< The plugging number of the device, whose path the entry maps to.
};

using DeviceListingTest = platform::registry::testing::RegistryFixture;

TEST_F(DeviceListingTest, ListsEachClassInOrderWithIdsPathsAndBusyMarks)
{
    const struct {
        const char* name;
        std::function<void(Bench&)> plug;
        std::vector<Expected> entries;
        std::vector<std::string> errors;
    } cases[] = {
        {"nothing", [](Bench&) {}, {}, {}},
        {"two optical sensors, the second held",
         [](Bench& b) {
             b.plug(InterfaceClass::OpticalSensor);
             b.plug(InterfaceClass::OpticalSensor, true);
         },
         {{u"Talvo USB #1", 257, 1}, {u"Talvo USB #2 - busy", 258, 2}},
         {}},
        {"every class, plugged in reverse, targets held; trigger and pulse sensors are no choice",
         [](Bench& b) {
             b.plug(InterfaceClass::DovecoteTarget, true);
             b.plugImageSensor({.model = 5});
             b.plug(InterfaceClass::WirelessTarget);
             b.plug(InterfaceClass::OpticalSensor);
             b.plug(InterfaceClass::TriggerSensor);
             b.plug(InterfaceClass::PulseSensor);
             b.plug(InterfaceClass::WirelessTarget, true);
         },
         {{u"Talvo USB #1", 257, 4},
          {u"Talvo Wireless #1", 1024, 3},
          {u"Talvo Wireless #2 - busy", 1025, 7},
          {u"Talvo QV #1", 4096, 2},
          {u"Talvo Wireless (Dovecote trainer) #1 - busy", 2048, 1}},
         {}},
        {"an image sensor that fails its start is left out, its number kept",
         [](Bench& b) {
             b.plugImageSensor({.hardware = 1});
             b.plugImageSensor({.model = 3});
             b.plugImageSensor();
         },
         {{u"Talvo QV #3", 4098, 3}},
         {"Unsupported TALVO QV sensor version hw:1, fw:35.", "Unsupported TALVO QV sensor hw:2, fw:35, model:3."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench;
        c.plug(bench);
        const DeviceList list = bench.list();

        std::vector<std::pair<std::u16string, long>> entries;
        for (const DeviceListEntry& entry : list.entries) {
            entries.emplace_back(entry.text, entry.id);
        }
        std::vector<std::pair<std::u16string, long>> wantedEntries;
        std::map<long, std::string> wantedPaths;
        for (const Expected& e : c.entries) {
            wantedEntries.emplace_back(e.text, e.id);
            wantedPaths[e.id] = pathOf(e.plugged);
        }
        EXPECT_EQ(entries, wantedEntries);
        EXPECT_EQ(list.paths, wantedPaths);
        EXPECT_EQ(list.imageSensorErrors, c.errors);
        // Each probe closed its device again and never read from it: no reader thread was started.
        for (const FakeUsbDevice* device : bench.devices()) {
            EXPECT_FALSE(device->isOpen()) << device->path();
            EXPECT_EQ(device->pendingReads(), 0U) << device->path();
        }
    }
}

TEST_F(DeviceListingTest, ListsOnlyTheFirst256InterfacesOfAClass)
{
    Bench bench;
    for (int n = 0; n < 257; ++n) {
        bench.plug(InterfaceClass::OpticalSensor);
    }
    const DeviceList list = bench.list();
    ASSERT_EQ(list.entries.size(), 256U);
    EXPECT_EQ(list.entries.back().text, u"Talvo USB #256");
    EXPECT_EQ(list.entries.back().id, 512);
    EXPECT_EQ(list.paths.at(512), pathOf(256));
    EXPECT_TRUE(IsDeviceOfInterfaceClass(bench.bus, pathOf(256), InterfaceClass::OpticalSensor));
    EXPECT_FALSE(IsDeviceOfInterfaceClass(bench.bus, pathOf(257), InterfaceClass::OpticalSensor));
}

TEST_F(DeviceListingTest, TellsTheClassOfTheChosenEntryByIdAndExactPath)
{
    Bench bench;
    bench.plug(InterfaceClass::OpticalSensor);
    bench.plug(InterfaceClass::WirelessTarget);
    bench.plug(InterfaceClass::DovecoteTarget);
    bench.plug(InterfaceClass::ImageSensor);
    const struct {
        const char* name;
        std::optional<SelectedDevice> selected;
        bool usb;
        bool wireless;
        bool imageSensor;
    } cases[] = {
        {"nothing chosen", std::nullopt, false, false, false},
        {"serial port 256", SelectedDevice{256, ""}, false, false, false},
        {"optical sensor", SelectedDevice{257, pathOf(1)}, true, false, false},
        {"wireless target", SelectedDevice{1024, pathOf(2)}, true, true, false},
        {"Dovecote target", SelectedDevice{2048, pathOf(3)}, true, true, false},
        {"image sensor", SelectedDevice{4096, pathOf(4)}, true, false, true},
        {"wireless path in other letter case", SelectedDevice{1024, "/DEV/BUS/USB/001/002"}, true, false, false},
        {"wireless path under an optical id", SelectedDevice{1023, pathOf(2)}, true, false, false},
        {"image-sensor path under a wireless id", SelectedDevice{4095, pathOf(4)}, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsUsbDeviceSelected(c.selected), c.usb);
        EXPECT_EQ(IsWirelessSelected(bench.bus, c.selected), c.wireless);
        EXPECT_EQ(IsImageSensorSelected(bench.bus, c.selected), c.imageSensor);
    }
}

TEST_F(DeviceListingTest, ListsASerialSensorByItsPortAndModelBeforeTheUsbDevices)
{
    auto sensor = sensorsim::SensorSimulator::create(300);
    ASSERT_TRUE(sensor);
    // The map names only COM7, so every other port fails to open at once.
    ASSERT_EQ(::setenv("TALVO_SERIAL_PORTS", ("COM7=" + (*sensor)->programPath()).c_str(), 1), 0);
    auto control = talvolink::CTalvoDevice::create();
    ASSERT_TRUE(control);
    Bench bench;
    bench.plug(InterfaceClass::OpticalSensor);
    const DeviceList list = bench.list(control->get());
    ::unsetenv("TALVO_SERIAL_PORTS");

    ASSERT_EQ(list.entries.size(), 2U);
    EXPECT_EQ(list.entries[0].text, u"COM7: TALVO PAVANE");
    EXPECT_EQ(list.entries[0].id, 7);
    EXPECT_EQ(list.entries[1].text, u"Talvo USB #1");
    EXPECT_EQ(list.paths, (std::map<long, std::string>{{257, pathOf(1)}}));
}

} // namespace
} // namespace talvodesk
