#include "talvolink/tests/support/EventRecorder.h"

#include "talvolink/TalvoDevice.h"

#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/testing/EventPump.h"
#include "platform/testing/Matchers.h"

#include "tools/sensorsim/SensorSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

namespace talvolink {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

// Bounds the waits on a condition; passing it is a failure, never the expected path.
constexpr std::chrono::milliseconds kPatience{20000};

/// Names the simulated sensor's port COM7 for the test's length.
class PortMapScope {
public:
    explicit PortMapScope(const std::string& devicePath)
    {
        if (const char* old = std::getenv("TALVO_SERIAL_PORTS")) {
            m_saved = old;
        }
        ::setenv("TALVO_SERIAL_PORTS", ("COM7=" + devicePath).c_str(), 1);
    }
    ~PortMapScope()
    {
        if (m_saved) {
            ::setenv("TALVO_SERIAL_PORTS", m_saved->c_str(), 1);
        } else {
            ::unsetenv("TALVO_SERIAL_PORTS");
        }
    }
    PortMapScope(const PortMapScope&) = delete;
    PortMapScope& operator=(const PortMapScope&) = delete;

private:
    std::optional<std::string> m_saved;
};

TEST(TalvoDeviceSerialTest, ShotOfTheSimulatedPavaneReachesTheSinks)
{
    auto sensor = sensorsim::SensorSimulator::create(300);
    ASSERT_THAT(sensor, IsOk());
    (*sensor)->setScript(sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {}));
    const PortMapScope ports((*sensor)->programPath());

    auto created = CTalvoDevice::create();
    ASSERT_THAT(created, IsOk());
    const ComPtr<CTalvoDevice> control = created.value();
    const auto recorder = platform::com::makeComObject<testsupport::EventRecorder>();
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put()));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(recorder.get(), &cookie));
    ASSERT_EQ(S_OK, control->put_CommPort(7));
    ASSERT_EQ(S_OK, control->put_EventShortName(1, Bstr("AR10").get()));

    const HRESULT connected = control->put_Connected(VARIANT_TRUE);
    platform::com::Variant reason;
    (void)control->get_Value(3, reason.put()); // Only read for the failure message.
    ASSERT_EQ(S_OK, connected) << (reason.type() == VT_BSTR ? Bstr::copyOf(reason.get().bstrVal).toUtf8() : "");
    LONG modelCode = 0;
    ASSERT_EQ(S_OK, control->get_ModelVersion(&modelCode));
    EXPECT_EQ(300, modelCode);

    EXPECT_TRUE(platform::testing::pumpUntil(
        [&] { return !recorder->eventsOf(DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING).empty(); }, kPatience));
    const std::vector<DISPID> sequence = recorder->sequence();
    ASSERT_FALSE(sequence.empty());
    EXPECT_EQ(DISPID_TALVODEVICEEVENTS_STARTAIMING, sequence.front());
    const auto shots = recorder->eventsOf(DISPID_TALVODEVICEEVENTS_SHOT);
    ASSERT_EQ(1u, shots.size());
    ComPtr<IShot> shot;
    ASSERT_EQ(S_OK, shots[0].dispatchArgument(2)->QueryInterface(IShot::kIid, shot.putVoid()));
    VARIANT_BOOL missed = VARIANT_TRUE;
    ASSERT_EQ(S_OK, shot->get_Missed(&missed));
    EXPECT_EQ(VARIANT_FALSE, missed) << "the piezo fired";
    EXPECT_EQ(1u, recorder->eventsOf(DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING).size());

    ASSERT_EQ(S_OK, control->put_Connected(VARIANT_FALSE));
    ASSERT_EQ(S_OK, point->Unadvise(cookie));
}

} // namespace
} // namespace talvolink
