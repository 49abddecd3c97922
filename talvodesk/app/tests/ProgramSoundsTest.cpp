#include "platform/fs/ProgramFolder.h"
#include "talvodesk/app/CalibrationDlg.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/testing/FakeDevice.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"

#include "talvodata/tests/support/Events.h"

#include "interfaces/talvolink/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/sound/WaveDiskFile.h"
#include "platform/sound/tests/support/RecordingBackend.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace talvodesk;
using platform::com::ComPtr;
namespace fs = std::filesystem;

namespace {

constexpr int kPatienceMs = 20000;

/// Starts every practice on the given event, and runs the calibration dialog as the test says.
class SoundDialogs final : public FrameDialogs {
public:
    std::optional<StartPracticeChoice> startPractice(QWidget*, const StartPracticeRequest& request) override
    {
        if (FAILED(request.device->put_Connected(VARIANT_TRUE))) {
            return std::nullopt;
        }
        return StartPracticeChoice{event, u"Ann", -1, u"FAKE-0001"};
    }
    void calibrate(QWidget* owner, const CalibrationRequest& request) override
    {
        if (calibrating) {
            calibrating(owner, request);
        }
    }

    ComPtr<IEventParams> event;
    std::function<void(QWidget*, const CalibrationRequest&)> calibrating;
};

/// The program on a recording sound output and a scripted device, with the sounds built beside the tests, which
/// are laid out as they are installed.
class ProgramSoundsTest : public platform::registry::testing::RegistryFixture {
protected:
    ProgramSoundsTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDNO; });
        for (const auto& entry : fs::directory_iterator(platform::fs::dataFolder("sounds"))) {
            platform::sound::CWaveDiskFile wave;
            if (SUCCEEDED(wave.Open(entry.path(), nullptr, platform::sound::WaveOpenMode::Read))) {
                std::vector<std::uint8_t> data(wave.GetSize());
                DWORD read = 0;
                (void)wave.Read(data.data(), wave.GetSize(), &read); // a short read shows as an unknown sound
                m_names.emplace(std::move(data), entry.path().stem().string());
            }
        }
    }
    ~ProgramSoundsTest() override { SetMessageBoxAnswerer({}); }

    /// Runs the program on `event` with the device's events coming from `device`.
    void run(const char* event, const std::function<void(MainFrame&)>& body)
    {
        const SoundOutput output = [this] {
            return std::make_unique<platform::sound::testing::RecordingBackend>(m_log);
        };
        QTimer::singleShot(0, qApp, [&] {
            auto* frame = dynamic_cast<MainFrame*>(FrameServices());
            ASSERT_NE(frame, nullptr);
            // From the program's own event manager, as the device's aimings are.
            dialogs.event = talvodata::testsupport::shippedEvent(event);
            platform::com::ClassTable::instance().registerClass(
                {talvolink::CLSID_TalvoDevice, "Test.TalvoDevice.1", "Test.TalvoDevice",
                 [this](REFIID riid, void** object) {
                     auto fake = platform::com::makeComObject<testsupport::FakeTalvoDevice>(device->connectionPoint());
                     fake->modelVersion = 300;
                     return fake->QueryInterface(riid, object);
                 }});
            frame->runCommand(cmd::StartPractice);
            EXPECT_TRUE(frame->devicePresent());
            body(*frame);
            frame->runCommand(cmd::StopPractice);
            frame->runCommand(cmd::Exit);
        });
        device = std::make_unique<testsupport::FakeDevice>(event);
        const std::vector<std::string_view> none;
        EXPECT_EQ(0, RunProgram(none, dialogs, output));
    }

    /// The installed sounds played so far, by name, in order.
    std::vector<std::string> played()
    {
        std::lock_guard lock(m_log->mutex);
        std::vector<std::string> names;
        for (const std::size_t sound : m_log->played) {
            const auto found = m_names.find(m_log->sounds[sound]);
            names.push_back(found == m_names.end() ? "(not an installed sound)" : found->second);
        }
        return names;
    }
    bool waitForPlayed(const std::string& name)
    {
        return QTest::qWaitFor(
            [&] {
                const auto names = played();
                return std::find(names.begin(), names.end(), name) != names.end();
            },
            kPatienceMs);
    }

    SoundDialogs dialogs;
    std::unique_ptr<testsupport::FakeDevice> device;

private:
    std::shared_ptr<platform::sound::testing::RecordingBackend::Log> m_log =
        std::make_shared<platform::sound::testing::RecordingBackend::Log>();
    std::map<std::vector<std::uint8_t>, std::string> m_names;
};

TEST_F(ProgramSoundsTest, TheRangeOfficerOfSP1CallsLoadAttentionAndUnloadAroundTheSightingSeries)
{
    run("SP1", [&](MainFrame& frame) {
        ASSERT_TRUE(waitForPlayed("Attention"));
        QTest::qWait(7500); // the window opens 7 s after "Attention"
        for (int shot = 0; shot < 5; ++shot) {
            (void)device->aiming();
        }
        EXPECT_EQ(frame.sightingShots(), 5U);
        ASSERT_TRUE(waitForPlayed("Unload"));
    });
    std::vector<std::string> prompts = played();
    std::erase_if(prompts, [](const std::string& name) { return name == "Shot" || name.starts_with("Result "); });
    EXPECT_EQ(prompts, (std::vector<std::string>{"Load", "Attention", "Unload"}));
}

/// Where a shot breaks from the centre for AR10 to score `score`: the trace's second point, in its units.
long breachScoring(const char* score)
{
    testsupport::FakeDevice scratch("AR10");
    for (long x = 1; x < 2000; ++x) {
        ComPtr<IAiming> aiming = scratch.newAiming();
        ComPtr<IAimingTrace> trace;
        ComPtr<IShot> shot;
        float result = 0;
        if (FAILED(aiming->get_Trace(trace.put())) || FAILED(trace->_Add(0, 0)) || FAILED(trace->_Add(x, 0)) ||
            FAILED(aiming->AddShot(VARIANT_FALSE, shot.put())) || FAILED(shot->get_Result(&result))) {
            return 0;
        }
        char text[16];
        std::snprintf(text, sizeof text, "%3.1f", double{result});
        if (std::string_view(text) == score) {
            return x;
        }
    }
    return 0;
}

TEST_F(ProgramSoundsTest, AShotOfNinePointSevenSoundsAndIsSpokenAsResultNinePointSeven)
{
    const long x = breachScoring("9.7");
    ASSERT_NE(x, 0);
    run("AR10", [&](MainFrame& frame) {
        ComPtr<IAiming> aiming = device->newAiming();
        device->startAiming(aiming.get());
        device->coordinates(aiming.get(), 2, x, 0);
        (void)device->shot(aiming.get());
        device->coordinates(aiming.get(), 10, 0, 0);
        device->conclude(aiming.get());
        device->finalConclude();
        ComPtr<IShot> current;
        float result = 0;
        ASSERT_TRUE(frame.document().GetCurrentShot(current) && current);
        ASSERT_EQ(S_OK, current->get_Result(&result));
        EXPECT_NEAR(result, 9.7F, 0.05F);
        ASSERT_TRUE(waitForPlayed("Result 9.7"));
    });
    EXPECT_EQ(played(), (std::vector<std::string>{"Shot", "Result 9.7"}));
}

TEST_F(ProgramSoundsTest, TheCalibrationDialogPlaysTheShotSound)
{
    bool calibrated = false;
    dialogs.calibrating = [&](QWidget* owner, const CalibrationRequest& request) {
        CCalibrationDlg dialog(request, owner);
        dialog.show();
        (void)device->aiming();
        dialog.done(QDialog::Accepted);
        calibrated = true;
    };
    run("AR10", [&](MainFrame& frame) { frame.runCommand(cmd::AdjustSensor); });
    EXPECT_TRUE(calibrated);
    EXPECT_EQ(played(), std::vector<std::string>{"Shot"});
}

} // namespace
