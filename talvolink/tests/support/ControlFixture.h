#pragma once

#include "talvolink/tests/support/EventRecorder.h"
#include "talvolink/tests/support/TestDeviceFactory.h"
#include "talvolink/tests/support/TestEvent.h"

#include "talvolink/TalvoDevice.h"

#include "interfaces/talvolink/_ITalvoDeviceEvents.h"

#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

namespace talvolink::testsupport {

/// A control on virtual time with the test devices, an event recorder advised to it, and a TestEvent (one shot
/// per aiming by default) as the event of sub-device 1.
class ControlFixture : public ::testing::Test {
protected:
    /// Creates the control; call it again to start over with other device settings.
    void makeControl(TestDeviceFactory::Settings settings = {});
    /// Connects through the serial path; the model is factory()->lastModel().
    void connect();
    /// Queues the records from this thread and delivers the posted drain (timers are left alone).
    void feed(const std::vector<DeviceRecord>& records);
    /// Delivers what is posted to the control's thread.
    static void deliverPosted();

    ScriptedDevice& model() { return *m_factory->lastModel(); }
    TestDeviceFactory* factory() { return m_factory; }

    void TearDown() override;

    platform::time::ManualClock m_clock{/*wall=*/46000.5};
    platform::com::ComPtr<CTalvoDevice> m_control;
    platform::com::ComPtr<EventRecorder> m_recorder;
    platform::com::ComPtr<TestEvent> m_event;
    DWORD m_cookie = 0;

private:
    TestDeviceFactory* m_factory = nullptr; // Owned by the control.
};

} // namespace talvolink::testsupport
