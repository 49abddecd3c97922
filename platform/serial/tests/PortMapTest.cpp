#include "platform/serial/PortMap.h"

#include "platform/serial/SerialPort.h"
#include "platform/serial/tests/support/TemporaryFolder.h"
#include "platform/testing/Matchers.h"

#include <fstream>

using namespace platform::serial;

namespace {

TEST(PortMapTest, ParsesTheOverrideList)
{
    auto map = PortMap::parse("COM1=/dev/pts/5, com12=/dev/ttyUSB0 ,COM256=/dev/ttyACM0,");
    ASSERT_THAT(map, IsOk());
    EXPECT_EQ("/dev/pts/5", *map->devicePath(1));
    EXPECT_EQ("/dev/ttyUSB0", *map->devicePath(12));
    EXPECT_EQ("/dev/ttyACM0", *map->devicePath(256));
    EXPECT_THAT(map->devicePath(2), FailsWith(kPortNotFound));
}

TEST(PortMapTest, RejectsBadOverrideEntries)
{
    const char* const cases[] = {
        "COM1",              // no path
        "PORT1=/dev/ttyS0",  // not a COM name
        "COM=/dev/ttyS0",    // no number
        "COMx=/dev/ttyS0",   // not a number
        "COM0=/dev/ttyS0",   // below COM1
        "COM257=/dev/ttyS0", // above the highest port
        "COM1=ttyS0",        // relative path
        "COM1=",             // empty path
        "COM1=/a,,COM2=/b",  // empty entry
        "COM1=/a,COM1=/b",   // one number twice
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        auto map = PortMap::parse(text);
        ASSERT_THAT(map, FailsWith(E_INVALIDARG));
        EXPECT_NE(std::string::npos, map.error().detail.find("TALVO_SERIAL_PORTS"));
    }
}

TEST(PortMapTest, RejectsNumbersOutsideTheComRange)
{
    auto map = PortMap::parse("COM1=/dev/ttyS0");
    ASSERT_THAT(map, IsOk());
    EXPECT_THAT(map->devicePath(0), FailsWith(E_INVALIDARG));
    EXPECT_THAT(map->devicePath(kMaxComNumber + 1), FailsWith(E_INVALIDARG));
    EXPECT_THAT(map->devicePath(-1), FailsWith(E_INVALIDARG));
}

class FakeSysfs {
public:
    FakeSysfs() { std::filesystem::create_directories(classTty()); }

    std::filesystem::path classTty() const { return m_folder.path() / "class" / "tty"; }

    // A tty entry; with a device it gets a `device` link as sysfs has, with a type a `type` attribute.
    void add(const std::string& name, bool hasDevice, const char* type = nullptr)
    {
        const auto entry = classTty() / name;
        std::filesystem::create_directories(entry);
        if (hasDevice) {
            const auto device = m_folder.path() / "devices" / name;
            std::filesystem::create_directories(device);
            std::filesystem::create_directory_symlink(device, entry / "device");
        }
        if (type) {
            std::ofstream(entry / "type") << type << "\n";
        }
    }

private:
    support::TemporaryFolder m_folder;
};

TEST(PortMapTest, EnumeratesRealPortsInAStableOrder)
{
    FakeSysfs sysfs;
    sysfs.add("tty0", false);
    sysfs.add("ptmx", false);
    sysfs.add("console", false);
    sysfs.add("ttyS0", true, "0"); // registered by the 8250 driver without hardware
    sysfs.add("ttyS10", true, "4");
    sysfs.add("ttyS2", true, "4");
    sysfs.add("ttyS1", true, "4");
    sysfs.add("ttyAMA0", true, "91");
    sysfs.add("ttyUSB10", true);
    sysfs.add("ttyUSB2", true);
    sysfs.add("ttyUSB3", false); // its adapter is gone
    sysfs.add("ttyACM0", true);
    sysfs.add("ttyGS0", true); // a gadget port is not a serial port to a sensor

    const PortMap map = PortMap::enumerate(sysfs.classTty(), "/dev");
    const char* const expected[] = {"/dev/ttyAMA0", "/dev/ttyS1",    "/dev/ttyS2",  "/dev/ttyS10",
                                    "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0"};
    int comNumber = 1;
    for (const char* path : expected) {
        SCOPED_TRACE(comNumber);
        auto device = map.devicePath(comNumber++);
        ASSERT_THAT(device, IsOk());
        EXPECT_EQ(path, *device);
    }
    EXPECT_THAT(map.devicePath(comNumber), FailsWith(kPortNotFound));
}

TEST(PortMapTest, EnumeratingAMissingFolderGivesNoPorts)
{
    support::TemporaryFolder folder;
    const PortMap map = PortMap::enumerate(folder.path() / "absent", "/dev");
    EXPECT_THAT(map.devicePath(1), FailsWith(kPortNotFound));
}

} // namespace
