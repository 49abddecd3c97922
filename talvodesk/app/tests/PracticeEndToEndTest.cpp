#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/FrameServices.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/core/DeviceListing.h"
#include "talvodesk/core/TalvoData.h"
#include "talvolink/Register.h"

#include "talvodata/tests/support/Events.h"

#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/Clock.h"
#include "platform/usb/UsbTransportFake.h"
#include "tools/sensorsim/SensorSimulator.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

// Bounds the waits on the simulated sensor; passing it is a failure, never the expected path.
constexpr int kPatienceMs = 60000;
constexpr long kSimulatorPort = 7;

/// The start-practice dialog as a shooter would answer it: lists the sensors, picks the one on the simulator's
/// port, and connects it for the event and shooter of the command line.
class SerialStartDialog final : public FrameDialogs {
public:
    std::optional<StartPracticeChoice> startPractice(QWidget*, const StartPracticeRequest& request) override
    {
        platform::usb::FakeUsbTransport noUsb;
        platform::time::SystemClock clock;
        listed = ListDevices({request.device, noUsb, clock}).entries;
        const Bstr eventName(request.eventName);
        auto event = talvodata::testsupport::shippedEvent(platform::com::utf16ToUtf8(request.eventName).c_str());
        if (!event || FAILED(request.device->put_CommPort(kSimulatorPort)) ||
            FAILED(request.device->put_EventShortName(1, eventName.get())) ||
            FAILED(request.device->put_Connected(VARIANT_TRUE))) {
            return std::nullopt;
        }
        Bstr serial;
        (void)request.device->get_SerialNumber(serial.put()); // The practice keeps an empty one.
        return StartPracticeChoice{event, request.shooterName, -1, std::u16string(serial.view())};
    }

    std::vector<DeviceListEntry> listed;
};

class PracticeEndToEndTest : public platform::registry::testing::RegistryFixture {
protected:
    PracticeEndToEndTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        fs::create_directories(folder() / "Talvo catalog");
        talvolink::registerClasses(platform::com::ClassTable::instance());
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            boxes.push_back(box.text.toStdString());
            return IDNO;
        });
    }
    ~PracticeEndToEndTest() override { SetMessageBoxAnswerer({}); }

    /// The practices saved anywhere under the test's folder.
    std::vector<fs::path> savedPractices() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(folder())) {
            if (entry.path().extension() == ".talvo") {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    SerialStartDialog dialogs;
    std::vector<std::string> boxes;
};

TEST_F(PracticeEndToEndTest, APracticeOnTheSimulatedSerialSensorSavesItsThreeScoredShots)
{
    auto sensor = sensorsim::SensorSimulator::create(300);
    ASSERT_TRUE(sensor);
    std::vector<sensorsim::AimSample> script;
    for (const unsigned seed : {1U, 2U, 3U}) {
        const auto hold = sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {200, 2.0, seed});
        script.insert(script.end(), hold.begin(), hold.end());
    }
    (*sensor)->setScript(std::move(script));
    setEnvironment("TALVO_SERIAL_PORTS", ("COM7=" + (*sensor)->programPath()).c_str());

    bool stopped = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* frame = dynamic_cast<MainFrame*>(FrameServices());
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->devicePresent());
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return frame->sightingShots() == 3 && frame->practiceRun().CurrentAiming() == nullptr; },
            kPatienceMs));
        frame->runCommand(cmd::StopPractice);
        stopped = !frame->devicePresent();
        frame->runCommand(cmd::FileSave);
        frame->runCommand(cmd::Exit);
    });
    const std::vector<std::string_view> arguments{"-n", "AR10", "Ann"};
    EXPECT_EQ(0, RunProgram(arguments, dialogs));

    ASSERT_FALSE(dialogs.listed.empty());
    EXPECT_EQ(u"COM7: TALVO PAVANE", dialogs.listed.front().text);
    EXPECT_EQ(kSimulatorPort, dialogs.listed.front().id);
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(boxes.empty()) << boxes.front();

    const std::vector<fs::path> saved = savedPractices();
    ASSERT_EQ(1U, saved.size());
    CTalvoData practice;
    ASSERT_TRUE(practice.Open(Bstr(saved.front().string()).get()));
    ComPtr<IShotCollection> shots;
    LONG count = 0;
    ASSERT_TRUE(practice.GetShots(shots));
    ASSERT_EQ(S_OK, shots->get_Count(&count));
    ASSERT_EQ(3, count);
    for (LONG i = 1; i <= count; ++i) {
        SCOPED_TRACE(i);
        ComPtr<IShot> shot;
        ASSERT_EQ(S_OK, shots->get_Item(i, shot.put()));
        VARIANT_BOOL missed = VARIANT_TRUE;
        float result = 0;
        EXPECT_EQ(S_OK, shot->get_Missed(&missed));
        EXPECT_EQ(VARIANT_FALSE, missed);
        EXPECT_EQ(S_OK, shot->get_Result(&result));
        EXPECT_GT(result, 0.0F);
    }
    Bstr shooter;
    EXPECT_TRUE(practice.GetShooterName(shooter));
    EXPECT_EQ(u"Ann", shooter.view());
}

} // namespace
