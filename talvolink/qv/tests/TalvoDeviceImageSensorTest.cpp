#include "talvolink/qv/TalvoDeviceImageSensor.h"
#include "talvolink/DeviceFactory.h"
#include "talvolink/TalvoDevice.h"
#include "talvolink/qv/tests/support/FakeImageSensor.h"
#include "talvolink/serial/tests/support/RecordingHost.h"
#include "talvolink/tests/support/EventRecorder.h"
#include "talvolink/usb/tests/support/ScriptedUsbBus.h"

#include "talvodata/tests/support/Events.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/com/Bstr.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/PictureObject.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/ManualClock.h"

#include <QCoreApplication>

#include <algorithm>

#include <gtest/gtest.h>

#include <thread>

namespace talvolink {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using testsupport::FakeImageSensor;
using testsupport::QVFrameFields;
using testsupport::ScriptedUsbBus;

const std::string kPath = "/dev/bus/usb/002/011";
constexpr int kShotFrame = 60;

// Upright, one pixel left of the reference: 2.4 mm right on a 10 m target.
QVFrameFields aim(int frame)
{
    QVFrameFields fields{.x = 375.0F, .y = 240.0F};
    // The shot's event comes with its frame, its level and counter with the frame after.
    if (frame == kShotFrame) {
        fields.event = 4;
    }
    if (frame == kShotFrame + 1) {
        fields.level = 300;
        fields.counter = 1000;
    }
    return fields;
}

class TalvoDeviceImageSensorTest : public platform::registry::testing::RegistryFixture {
protected:
    void SetUp() override
    {
        plugSideSensors();
        auto created = CTalvoDevice::create(makeDeviceFactory(m_script.bus), m_clock);
        ASSERT_TRUE(created);
        m_control = created.value();
        m_recorder = platform::com::makeComObject<testsupport::EventRecorder>();
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(S_OK, m_control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put()));
        ASSERT_EQ(S_OK, point->Advise(m_recorder.get(), &m_cookie));
        ASSERT_EQ(S_OK, m_control->put_EventShortName(1, Bstr("AR10").get()));
        ASSERT_EQ(S_OK, m_control->put_DevicePath(Bstr(kPath).get()));
        ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_TRUE));
        deliver();
        ASSERT_TRUE(m_fake.framesOn());
        m_clock.advance(std::chrono::milliseconds(100)); // The hold-off of the start's settings.
    }

    void TearDown() override
    {
        ComPtr<IConnectionPoint> point;
        if (m_control && m_control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put()) == S_OK) {
            (void)point->Unadvise(m_cookie);
        }
        if (m_control) {
            (void)m_control->put_Connected(VARIANT_FALSE);
        }
    }

    static void deliver()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();
    }

    void run(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            m_fake.stream(1, m_clock);
            deliver();
        }
    }

    virtual void plugSideSensors() {}

    std::vector<DISPID> eventsBut(std::initializer_list<DISPID> skipped) const
    {
        std::vector<DISPID> ids;
        for (const DISPID id : m_recorder->sequence()) {
            if (std::ranges::find(skipped, id) == skipped.end()) {
                ids.push_back(id);
            }
        }
        return ids;
    }

    // The last window centre sent.
    std::pair<int, int> sentCentre()
    {
        std::pair<int, int> centre{-1, -1};
        for (const auto& request : m_fake.device().requests()) {
            if (request.setup.request == 0x8C) {
                centre = {request.setup.value, request.setup.index};
            }
        }
        return centre;
    }

    platform::time::ManualClock m_clock{/*wall=*/46000.5};
    ScriptedUsbBus m_script{m_clock};
    FakeImageSensor m_fake{m_script.bus, kPath};
    ComPtr<CTalvoDevice> m_control;
    ComPtr<testsupport::EventRecorder> m_recorder;
    DWORD m_cookie = 0;
};

// A trigger sensor and a pulse sensor beside the image sensor.
class ImageSensorWithSideSensorsTest : public TalvoDeviceImageSensorTest {
protected:
    void plugSideSensors() override
    {
        m_trigger = &m_script.plugTrigger();
        m_pulse = &m_script.plugPulse();
    }

    platform::usb::FakeUsbDevice* m_trigger = nullptr;
    platform::usb::FakeUsbDevice* m_pulse = nullptr;
};

TEST_F(ImageSensorWithSideSensorsTest, PracticeAimsShootsAndConcludes)
{
    Bstr name;
    ASSERT_EQ(S_OK, m_control->get_ModelName(name.put()));
    EXPECT_EQ(name.toUtf8(), CTalvoDeviceImageSensor::kModelName);
    LONG rate = 0;
    ASSERT_EQ(S_OK, m_control->get_SampleRate(&rate));
    EXPECT_EQ(rate, 100);
    VARIANT_BOOL available = VARIANT_FALSE;
    ASSERT_EQ(S_OK, m_control->get_TriggerControlAvailable(&available));
    EXPECT_EQ(available, VARIANT_TRUE);
    ASSERT_EQ(S_OK, m_control->get_PulseAvailable(&available));
    EXPECT_EQ(available, VARIANT_TRUE);

    // One trigger reading of 2000 before the first frame: every record carries 2000 / 4.
    ScriptedUsbBus::feed(*m_trigger, {0xD0, 0x07});
    std::vector<std::vector<LONG>> announced;
    m_recorder->hook = [&](const testsupport::ReceivedEvent& event) {
        if (event.dispId != DISPID_TALVODEVICEEVENTS_TRIGGER) {
            return;
        }
        std::vector<LONG> values;
        for (LONG i = 1; i <= event.intArgument(1); ++i) {
            LONG value = -1;
            EXPECT_EQ(S_OK, m_control->get_Trigger(1, i, &value));
            values.push_back(value);
        }
        announced.push_back(values);
    };
    m_fake.setScript(aim);
    run(kShotFrame + 60);
    m_fake.setScript([](int) { return QVFrameFields{.valid = false}; });
    run(3);

    EXPECT_EQ(
        eventsBut({DISPID_TALVODEVICEEVENTS_NEWCOORDINATES, DISPID_TALVODEVICEEVENTS_TRIGGER}),
        (std::vector<DISPID>{DISPID_TALVODEVICEEVENTS_STARTAIMING, DISPID_TALVODEVICEEVENTS_SHOT,
                             DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING, DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING}));
    // Each record is a batch of its own, announced once, in or out of an aiming; the last frame waits for the next.
    EXPECT_EQ(announced, std::vector<std::vector<LONG>>(kShotFrame + 60 + 3 - 1, {500}));
    const auto start = m_recorder->eventsOf(DISPID_TALVODEVICEEVENTS_STARTAIMING).at(0);
    ComPtr<IAiming> aiming;
    ASSERT_EQ(S_OK, start.dispatchArgument(1)->QueryInterface(IAiming::kIid, reinterpret_cast<void**>(aiming.put())));
    ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, aiming->get_Trace(trace.put()));
    LONG count = 0;
    ASSERT_EQ(S_OK, trace->get_Count(&count));
    // Every frame up to the shot's, then 50 more (MaxTimeAfterShot 0.5 s at 100 a second).
    EXPECT_EQ(count, kShotFrame + 1 + 50);
    EXPECT_EQ(testsupport::LoggingHost::triggerData(*aiming), std::vector<LONG>(kShotFrame + 1 + 50, 500));
    LONG last = 0;
    ASSERT_EQ(S_OK, trace->get_Last(&last));
    float x = 0.0F;
    float y = 0.0F;
    ASSERT_EQ(S_OK, trace->get_x(last, &x));
    ASSERT_EQ(S_OK, trace->get_y(last, &y));
    EXPECT_NEAR(x, 2.4F, 0.011F);
    EXPECT_NEAR(y, 0.0F, 0.011F);

    // A correction moves the tracking centre by whole pixels at the shot's angle.
    ASSERT_EQ(S_OK, m_control->put_CorrectionX(1, 4.8F));
    ASSERT_EQ(S_OK, m_control->put_CorrectionY(1, -2.4F));
    deliver();
    EXPECT_EQ(sentCentre(), (std::pair<int, int>{378, 239}));

    // Heart beats 800 ms apart: the first packet only sets the clock going, the fourth beat gives 75 a minute.
    m_recorder->events.clear();
    std::vector<DATE> beats;
    for (int packet = 0; packet < 6; ++packet) {
        m_clock.advance(std::chrono::milliseconds(800));
        ScriptedUsbBus::feed(*m_pulse, {1, 0});
        deliver();
        if (packet > 0) {
            beats.push_back(m_clock.wallNow());
        }
    }
    ASSERT_EQ(m_recorder->sequence(),
              (std::vector<DISPID>{DISPID_TALVODEVICEEVENTS_HEARTBEAT, DISPID_TALVODEVICEEVENTS_HEARTBEAT,
                                   DISPID_TALVODEVICEEVENTS_HEARTBEAT, DISPID_TALVODEVICEEVENTS_HEARTBEAT,
                                   DISPID_TALVODEVICEEVENTS_PULSECHANGED, DISPID_TALVODEVICEEVENTS_HEARTBEAT}));
    const auto heartBeats = m_recorder->eventsOf(DISPID_TALVODEVICEEVENTS_HEARTBEAT);
    for (std::size_t i = 0; i < beats.size(); ++i) {
        EXPECT_EQ(heartBeats[i].arguments.at(2).get().date, beats[i]) << i;
    }
    EXPECT_EQ(m_recorder->eventsOf(DISPID_TALVODEVICEEVENTS_PULSECHANGED).front().intArgument(1), 75);

    // Started with the sensor, stopped with it.
    ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
    const auto sent = m_script.outLog();
    for (const char* request : {"trigger 90 1 0", "trigger 84 0 0", "pulse 84 0 0"}) {
        EXPECT_EQ(std::ranges::count_if(sent, [&](const std::string& line) { return line.ends_with(request); }), 1)
            << request;
    }
}

TEST_F(TalvoDeviceImageSensorTest, SensorUnpluggedMidAimingIsReportedAndTheAimingConcluded)
{
    m_fake.setScript([](int) { return QVFrameFields{.x = 375.0F, .y = 240.0F}; });
    run(5);
    ASSERT_EQ(eventsBut({DISPID_TALVODEVICEEVENTS_NEWCOORDINATES}),
              std::vector<DISPID>{DISPID_TALVODEVICEEVENTS_STARTAIMING});
    m_recorder->events.clear();
    m_fake.device().unplug();
    for (int i = 0; i < 500 && m_recorder->events.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        deliver();
    }
    // The event's one shot is added as missed by the conclusion.
    EXPECT_EQ(
        eventsBut({DISPID_TALVODEVICEEVENTS_NEWCOORDINATES}),
        (std::vector<DISPID>{DISPID_TALVODEVICEEVENTS_SHOT, DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING,
                             DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING, DISPID_TALVODEVICEEVENTS_DISCONNECTED}));
}

TEST_F(TalvoDeviceImageSensorTest, LoudPiezoFreezesTheAngleForTheRestOfTheAiming)
{
    m_fake.setScript([](int frame) {
        QVFrameFields fields{.x = 375.0F, .y = 240.0F};
        // Level 303 on the second record: piezo 101, too early in the trace for a shot.
        if (frame == 1) {
            fields.event = 4;
        }
        if (frame == 2) {
            fields.level = 303;
            fields.counter = 1000;
        }
        // Then the sensor rolls a quarter turn.
        if (frame >= 5) {
            fields.axisX = 2148;
            fields.axisY = 2048;
        }
        return fields;
    });
    run(40);
    ASSERT_FALSE(m_recorder->events.empty());
    ComPtr<IAiming> aiming;
    ASSERT_EQ(S_OK, m_recorder->events.front().dispatchArgument(1)->QueryInterface(
                        IAiming::kIid, reinterpret_cast<void**>(aiming.put())));
    ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, aiming->get_Trace(trace.put()));
    LONG last = 0;
    ASSERT_EQ(S_OK, trace->get_Last(&last));
    float x = 0.0F;
    float y = 0.0F;
    ASSERT_EQ(S_OK, trace->get_x(last, &x));
    ASSERT_EQ(S_OK, trace->get_y(last, &y));
    EXPECT_NEAR(x, 2.4F, 0.011F);
    EXPECT_NEAR(y, 0.0F, 0.011F);
    EXPECT_EQ(eventsBut({DISPID_TALVODEVICEEVENTS_NEWCOORDINATES}),
              std::vector<DISPID>{DISPID_TALVODEVICEEVENTS_STARTAIMING});
}

TEST_F(TalvoDeviceImageSensorTest, CalibrationTakesTheCentreAtTheFirstShot)
{
    ASSERT_EQ(S_OK, m_control->put_CalibrationMode(1, VARIANT_TRUE));
    deliver();
    m_fake.setScript([](int frame) {
        QVFrameFields fields{.x = 380.0F, .y = 236.0F};
        // A shot inside the first ten records does not count.
        if (frame == 3 || frame == 20) {
            fields.event = 4;
        }
        if (frame == 4 || frame == 21) {
            fields.level = 300;
            fields.counter = 1000;
        }
        return fields;
    });
    run(15);
    std::array<float, 9> data{};
    ASSERT_EQ(S_OK, m_control->Data(&data[0], &data[1], &data[2], &data[3], &data[4], &data[5], &data[6], &data[7],
                                    &data[8]));
    EXPECT_EQ(data[0], 1.0F);
    EXPECT_EQ(data[2], 0.0F);
    EXPECT_NEAR(data[3], -4 * 2.4F, 1e-4F);
    EXPECT_NEAR(data[4], 4 * 2.4F, 1e-4F);

    run(10);
    ASSERT_EQ(S_OK, m_control->Data(&data[0], &data[1], &data[2], &data[3], &data[4], &data[5], &data[6], &data[7],
                                    &data[8]));
    EXPECT_EQ(data[1], 1.0F);
    EXPECT_EQ(data[2], 1.0F);
    EXPECT_EQ(sentCentre(), (std::pair<int, int>{380, 236}));
    EXPECT_TRUE(m_recorder->events.empty()) << "no aiming in calibration mode";
}

TEST_F(TalvoDeviceImageSensorTest, ValuesGetAndPut)
{
    m_fake.setScript(aim);
    run(kShotFrame + 3);

    const auto get = [&](LONG index) {
        Variant value;
        EXPECT_EQ(S_OK, m_control->get_Value(index, value.put())) << index;
        return value;
    };
    EXPECT_EQ(get(0).get().boolVal, VARIANT_TRUE);
    EXPECT_EQ(get(1).get().lVal, 2);
    EXPECT_EQ(get(2).get().lVal, 35);
    EXPECT_FLOAT_EQ(get(6).get().fltVal, 0.0F);
    EXPECT_EQ(get(7).get().boolVal, VARIANT_FALSE);
    EXPECT_EQ(get(8).get().lVal, 100) << "the shot's level / 3 within the last second";
    EXPECT_EQ(get(9).get().lVal, 1);

    // The frame as a picture: grey pixels of the spot image.
    const Variant picture = get(4);
    ASSERT_EQ(picture.type(), VT_DISPATCH);
    ComPtr<IPicture> object;
    ASSERT_EQ(S_OK, picture.get().pdispVal->QueryInterface(IPicture::kIid, reinterpret_cast<void**>(object.put())));
    const platform::gfx::Bitmap* bitmap = static_cast<platform::gfx::PictureObject*>(object.get())->picture().bitmap();
    ASSERT_NE(bitmap, nullptr);
    const std::uint8_t size = m_fake.windowSize();
    ASSERT_EQ(bitmap->width, size);
    const auto spot = FakeImageSensor::spotImage(size);
    for (std::size_t i = 0; i < spot.size(); ++i) {
        ASSERT_EQ(bitmap->pixels[i], spot[i] * 65793U) << i;
    }

    const struct {
        LONG index;
        Variant value;
        HRESULT result;
    } puts[] = {
        {0, Variant::fromBool(false), S_OK},  {5, Variant::fromBool(true), S_OK},
        {7, Variant::fromBool(true), S_OK},   {9, Variant::fromInt32(2), S_OK},
        {1, Variant::fromInt32(3), E_FAIL},   {2, Variant::fromInt32(3), E_FAIL},
        {4, Variant::fromBool(true), E_FAIL}, {6, Variant::fromFloat(1.0F), E_FAIL},
        {8, Variant::fromInt32(1), E_FAIL},   {9, Variant::fromString(Bstr("sixty")), E_FAIL},
    };
    for (const auto& p : puts) {
        SCOPED_TRACE(p.index);
        EXPECT_EQ(p.result, m_control->put_Value(p.index, p.value.get()));
    }
    deliver();
    EXPECT_EQ(get(0).get().boolVal, VARIANT_FALSE);
    EXPECT_EQ(get(7).get().boolVal, VARIANT_TRUE);
    EXPECT_EQ(get(9).get().lVal, 2);
    LONG rate = 0;
    ASSERT_EQ(S_OK, m_control->get_SampleRate(&rate));
    EXPECT_EQ(rate, 120);
    const auto parameters = m_fake.parameters();
    EXPECT_EQ(parameters.at(15), 2) << "ultra-sensitive trigger mode";
    EXPECT_EQ(parameters.at(16), 100);
    EXPECT_EQ(parameters.at(21), 120);
    EXPECT_EQ(m_fake.gain(), 64);
    EXPECT_EQ(m_fake.exposure(), 100);
}

// A stand-in host on real time: the model's own timer asks again for a sequence that failed part-way.
class TalvoDeviceImageSensorHostTest : public platform::registry::testing::RegistryFixture {};

TEST_F(TalvoDeviceImageSensorHostTest, FailedSettingsAreRequestedAgainFromTheTimer)
{
    platform::usb::FakeUsbTransport bus;
    FakeImageSensor fake(bus, kPath);
    fake.failRequests({0x80});
    testsupport::RecordingHost host;
    host.settings[0].event = talvodata::testsupport::shippedEvent("AR10");
    ASSERT_TRUE(host.settings[0].event);
    auto model = makeDeviceFactory(bus)->createUsbModel(u"/dev/bus/usb/002/011", host);
    ASSERT_NE(model, nullptr);
    ASSERT_TRUE(model->Open());
    auto& sensor = static_cast<CTalvoDeviceImageSensor&>(*model);
    ASSERT_TRUE(
        host.pumpUntil([&] { return sensor.sensor().sentSettings().parameter6 != 240; }, std::chrono::seconds(5)));
    EXPECT_FALSE(fake.framesOn());

    fake.failRequests({});
    EXPECT_TRUE(host.pumpUntil([&] { return fake.framesOn(); }, std::chrono::seconds(5)));
    model->Close();
}

TEST_F(TalvoDeviceImageSensorHostTest, EventValuesChooseTheTrackedTarget)
{
    platform::usb::FakeUsbTransport bus;
    FakeImageSensor fake(bus, kPath);
    // The trigger distance in pixels: the form's size at 2.4 mm a pixel, or the named tracking size, at most 240.
    const struct {
        const char* name;
        const char* value;
        Variant given;
        std::uint16_t trigger;
        bool framesOn;
    } cases[] = {
        {"the form's size", "_qv_target_tracking", Variant(), 33, true},
        {"tracking size 5 taken", "_qv_target_tracking", Variant::fromDouble(5.0), 240, true},
        {"tracking size 5.01 refused", "_qv_target_tracking", Variant::fromDouble(5.01), 33, true},
        {"tracking size 0 refused", "_qv_target_tracking", Variant::fromInt32(0), 33, true},
        {"target 256 leaves the defaults", "_qv_target", Variant::fromInt32(256), 240, false},
        {"target not a number", "_qv_target", Variant::fromString(Bstr("big")), 240, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::RecordingHost host;
        host.settings[0].event = talvodata::testsupport::shippedEvent("AR10");
        ASSERT_TRUE(host.settings[0].event);
        if (c.given.type() != VT_EMPTY) {
            ASSERT_EQ(S_OK, host.settings[0].event->put_Value(Bstr(c.value).get(), c.given.get()));
        }
        auto model = makeDeviceFactory(bus)->createUsbModel(u"/dev/bus/usb/002/011", host);
        ASSERT_TRUE(model->Open());
        const auto& wanted = static_cast<CTalvoDeviceImageSensor&>(*model).sensor().wantedSettings();
        EXPECT_EQ(wanted.parameter6, c.trigger);
        EXPECT_EQ(wanted.framesOn, c.framesOn);
        model->Close();
        // The event is the process's own: later tests must not see the value.
        EXPECT_EQ(S_OK, host.settings[0].event->put_Value(Bstr(c.value).get(), Variant().get()));
    }
}

} // namespace
} // namespace talvolink
