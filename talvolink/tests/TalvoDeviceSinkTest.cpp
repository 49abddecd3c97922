#include "talvolink/tests/support/EventRecorder.h"
#include "talvolink/tests/support/TestDeviceFactory.h"

#include "talvolink/DeviceModel.h"
#include "talvolink/TalvoDevice.h"

#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/com/Bstr.h"
#include "platform/time/Clock.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvolink {
namespace {

using platform::com::ComPtr;

enum class SinkAction { Disconnect, Release, Conclude };

constexpr LONG kBiathlon = 307;

// One aiming with one shot, which every serial model announces as StartAiming, NewCoordinates (flushed by the shot),
// Shot, NewCoordinates (flushed by the conclusion), ConcludeAiming and FinalConcludeAiming; model 306 adds Trigger
// to each flush.
std::vector<DeviceRecord> aimingWithOneShot(LONG modelCode)
{
    const bool biathlon = modelCode == kBiathlon;
    const auto record = [biathlon](bool onTarget, int piezo) {
        DeviceRecord made{};
        made.level = static_cast<std::int16_t>(onTarget ? (biathlon ? 120 : 78) : 0);
        made.aimValid = onTarget && biathlon ? 1 : 0;
        made.piezo = static_cast<std::int16_t>(piezo);
        return made;
    };
    // The Biathlon runs at 100 records a second, the others at 200: MaxTimeAfterShot 0.5 s concludes at the next.
    const std::size_t afterShot = biathlon ? 51 : 101;
    std::vector<DeviceRecord> records(3, record(false, 0));
    records.insert(records.end(), 10, record(true, 0));
    records.push_back(record(true, 40)); // The control's default PiezoSensitivity.
    records.insert(records.end(), afterShot, record(true, 0));
    records.insert(records.end(), 3, record(false, 0));
    return records;
}

/// The control connected to a real serial model (the parameter is its code) on a fake port; the model's command
/// pauses run on the system clock, the records come from the test.
class TalvoDeviceSinkTest : public ::testing::TestWithParam<LONG> {
protected:
    /// Starts over with a new control, connected.
    void connect()
    {
        TearDown();
        testsupport::TestDeviceFactory::Settings settings;
        settings.modelCode = GetParam();
        settings.serialModels = true;
        auto factory = std::make_unique<testsupport::TestDeviceFactory>(settings);
        testsupport::TestDeviceFactory& made = *factory;
        m_ports = factory->openPortCounter();
        auto created = CTalvoDevice::create(std::move(factory), m_clock);
        ASSERT_TRUE(created);
        m_control = created.value();
        m_recorder = platform::com::makeComObject<testsupport::EventRecorder>();
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(S_OK, m_control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put()));
        DWORD cookie = 0;
        ASSERT_EQ(S_OK, point->Advise(m_recorder.get(), &cookie));
        ASSERT_EQ(S_OK, m_control->put_EventShortName(1, platform::com::Bstr("AR10").get()));
        ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_TRUE));
        m_model = made.lastSerialModel();
        ASSERT_NE(nullptr, m_model);
    }

    void TearDown() override
    {
        if (m_control) {
            (void)m_control->put_Connected(VARIANT_FALSE);
        }
        m_control = nullptr;
    }

    platform::time::SystemClock m_clock;
    std::shared_ptr<std::atomic<int>> m_ports;
    ComPtr<CTalvoDevice> m_control;
    ComPtr<testsupport::EventRecorder> m_recorder;
    CGenericTalvo* m_model = nullptr; // Owned by the control while connected.
};

TEST_P(TalvoDeviceSinkTest, SinkActingInsideAnEventLeavesEveryAimingConcludedOnce)
{
    struct Occurrence {
        const char* what;
        DISPID event;
        int occurrence; ///< The sink acts inside this occurrence of the event.
    };
    std::vector<Occurrence> occurrences = {
        {"StartAiming", DISPID_TALVODEVICEEVENTS_STARTAIMING, 1},
        {"NewCoordinates of the shot", DISPID_TALVODEVICEEVENTS_NEWCOORDINATES, 1},
        {"Shot", DISPID_TALVODEVICEEVENTS_SHOT, 1},
        {"NewCoordinates of the conclusion", DISPID_TALVODEVICEEVENTS_NEWCOORDINATES, 2},
        {"ConcludeAiming", DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING, 1},
        {"FinalConcludeAiming", DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING, 1},
    };
    if (GetParam() == 306) {
        occurrences.push_back({"Trigger", DISPID_TALVODEVICEEVENTS_TRIGGER, 1});
    }
    const struct {
        const char* what;
        SinkAction action;
    } actions[] = {{"disconnects", SinkAction::Disconnect},
                   {"releases the control", SinkAction::Release},
                   {"concludes the aiming", SinkAction::Conclude}};
    for (const Occurrence& at : occurrences) {
        for (const auto& [what, action] : actions) {
            SCOPED_TRACE(std::string("a sink ") + what + " inside " + at.what);
            connect();
            int seen = 0;
            bool acted = false;
            m_recorder->hook = [&, action = action](const testsupport::ReceivedEvent& event) {
                if (event.dispId != at.event || ++seen != at.occurrence) {
                    return;
                }
                acted = true;
                switch (action) {
                case SinkAction::Disconnect:
                    EXPECT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
                    return;
                case SinkAction::Release:
                    m_control = nullptr; // The sink held the last reference.
                    return;
                case SinkAction::Conclude:
                    EXPECT_EQ(S_OK, m_control->ConcludeCurrentAiming(1));
                    return;
                }
            };
            for (const DeviceRecord& record : aimingWithOneShot(GetParam())) {
                m_model->QueueRecord(record);
            }
            QCoreApplication::sendPostedEvents(); // One drain takes the whole batch.
            EXPECT_TRUE(acted);

            if (action == SinkAction::Conclude) {
                ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
            }
            EXPECT_EQ(0, m_ports->load()) << "the device was closed";
            EXPECT_EQ("", m_recorder->aimingOrderFault(action == SinkAction::Disconnect));
        }
    }
}

TEST_P(TalvoDeviceSinkTest, SinkThatDisconnectsInsideAnEventHearsNothingMore)
{
    const struct {
        const char* what;
        DISPID event;
    } occurrences[] = {{"StartAiming", DISPID_TALVODEVICEEVENTS_STARTAIMING},
                       {"NewCoordinates", DISPID_TALVODEVICEEVENTS_NEWCOORDINATES},
                       {"Shot", DISPID_TALVODEVICEEVENTS_SHOT},
                       {"ConcludeAiming", DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING}};
    for (const auto& at : occurrences) {
        SCOPED_TRACE(at.what);
        connect();
        std::size_t heard = 0;
        m_recorder->hook = [&](const testsupport::ReceivedEvent& event) {
            if (event.dispId == at.event && heard == 0) {
                heard = m_recorder->events.size();
                EXPECT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
            }
        };
        for (const DeviceRecord& record : aimingWithOneShot(GetParam())) {
            m_model->QueueRecord(record);
        }
        QCoreApplication::sendPostedEvents();
        ASSERT_NE(0U, heard);
        EXPECT_EQ(heard, m_recorder->events.size()) << "last heard: DISPID " << m_recorder->events.back().dispId;
        EXPECT_EQ(0, m_ports->load()) << "the device was closed";
    }
}

INSTANTIATE_TEST_SUITE_P(EverySerialModel, TalvoDeviceSinkTest, ::testing::Values(300, 302, 303, 306, 307),
                         [](const ::testing::TestParamInfo<LONG>& model) {
                             return "Model" + std::to_string(model.param);
                         });

} // namespace
} // namespace talvolink
