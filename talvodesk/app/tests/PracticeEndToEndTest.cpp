#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/FrameServices.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/core/Options.h"
#include "talvodesk/core/Settings.h"
#include "talvodesk/core/TalvoData.h"
#include "talvolink/Register.h"

#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "tools/sensorsim/SensorSimulator.h"

#include <QApplication>
#include <QElapsedTimer>
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

    FrameDialogs dialogs;
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
    // Serial sensors are listed only when the options ask for them.
    COptions options;
    options.enableRS232 = 1;
    ASSERT_TRUE(options.Save(*OpenSettingsRoot()).hasValue());

    bool stopped = false;
    // The start dialog runs its own loop: the test goes on once the practice it started runs.
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, qApp, [&] {
        auto* frame = dynamic_cast<MainFrame*>(FrameServices());
        const bool running = frame != nullptr && frame->practiceRun().IsRunning();
        if (!running && waited.elapsed() < kPatienceMs) {
            return;
        }
        poll.stop();
        ASSERT_TRUE(running) << "no practice started";
        // The dialog started by itself on the first listed sensor, the simulator's port.
        ComPtr<ITalvoDevice> device;
        ASSERT_TRUE(frame->GetDevice(device.put()));
        LONG port = 0;
        EXPECT_EQ(S_OK, device->get_CommPort(&port));
        EXPECT_EQ(kSimulatorPort, port);
        device.reset();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return frame->sightingShots() == 3 && frame->practiceRun().CurrentAiming() == nullptr; },
            kPatienceMs));
        frame->runCommand(cmd::StopPractice);
        stopped = !frame->devicePresent();
        frame->runCommand(cmd::FileSave);
        frame->runCommand(cmd::Exit);
    });
    poll.start();
    const std::vector<std::string_view> arguments{"-n", "AR10", "Ann"};
    EXPECT_EQ(0, RunProgram(arguments, dialogs));

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
