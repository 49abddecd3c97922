#include "talvolink/tests/support/ControlFixture.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvolink/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/testing/Matchers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace talvolink {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

testsupport::TestDeviceFactory::Settings portHeldElsewhere()
{
    testsupport::TestDeviceFactory::Settings settings;
    settings.portOpens = false;
    return settings;
}

testsupport::TestDeviceFactory::Settings silentSensor()
{
    testsupport::TestDeviceFactory::Settings settings;
    settings.sensorAnswers = false;
    return settings;
}

testsupport::TestDeviceFactory::Settings sensorThatDoesNotStart()
{
    testsupport::TestDeviceFactory::Settings settings;
    settings.sensorStarts = false;
    return settings;
}

testsupport::TestDeviceFactory::Settings scripted(int records)
{
    testsupport::TestDeviceFactory::Settings settings;
    settings.script.assign(static_cast<std::size_t>(records), testsupport::makeRecord(0));
    return settings;
}

class TalvoDeviceTest : public testsupport::ControlFixture {
protected:
    void SetUp() override { makeControl(); }

    std::string text(HRESULT (ITalvoDevice::*getter)(BSTR*))
    {
        Bstr value;
        EXPECT_EQ(S_OK, (m_control.get()->*getter)(value.put()));
        return value.toUtf8();
    }
};

TEST_F(TalvoDeviceTest, IsCreatedByClassIdentifierAndProgId)
{
    ComPtr<ITalvoDevice> device;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TalvoDevice, nullptr, 0, ITalvoDevice::kIid, device.putVoid()));
    CLSID classId{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(Bstr("TalvoLink.TalvoDevice.1").get(), &classId));
    EXPECT_EQ(CLSID_TalvoDevice, classId);
    ASSERT_EQ(S_OK, CLSIDFromProgID(Bstr("TalvoLink.TalvoDevice").get(), &classId));
    EXPECT_EQ(CLSID_TalvoDevice, classId);

    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(S_OK, device->QueryInterface(IConnectionPointContainer::kIid, container.putVoid()));
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(ITalvoDevice::kIid, point.put()));
}

TEST_F(TalvoDeviceTest, NewControlHasTheDocumentedDefaults)
{
    LONG value = 0;
    ASSERT_EQ(S_OK, m_control->get_CommPort(&value));
    EXPECT_EQ(1, value);
    ASSERT_EQ(S_OK, m_control->get_SampleRate(&value));
    EXPECT_EQ(200, value);
    ASSERT_EQ(S_OK, m_control->get_FiringPoint(&value));
    EXPECT_EQ(1, value);
    for (LONG sub = 1; sub <= 2; ++sub) {
        SCOPED_TRACE(sub);
        ASSERT_EQ(S_OK, m_control->get_PiezoSensitivity(sub, &value));
        EXPECT_EQ(40, value);
        ASSERT_EQ(S_OK, m_control->get_SubTarget(sub, &value));
        EXPECT_EQ(1, value);
        float seconds = 0;
        ASSERT_EQ(S_OK, m_control->get_MaxTimeBeforeShot(sub, &seconds));
        EXPECT_EQ(5.0F, seconds);
        ASSERT_EQ(S_OK, m_control->get_MaxTimeAfterShot(sub, &seconds));
        EXPECT_EQ(0.5F, seconds);
        ASSERT_EQ(S_OK, m_control->get_PiezoRejectInterval(sub, &seconds));
        EXPECT_EQ(1.0F, seconds);
        enumTargetType type{};
        ASSERT_EQ(S_OK, m_control->get_TargetType(sub, &type));
        EXPECT_EQ(Target10m, type);
        enumSensorPosition position{};
        ASSERT_EQ(S_OK, m_control->get_SensorPosition(sub, &position));
        EXPECT_EQ(SensorBottom, position);
        VARIANT_BOOL flag = VARIANT_TRUE;
        ASSERT_EQ(S_OK, m_control->get_CalibrationMode(sub, &flag));
        EXPECT_EQ(VARIANT_FALSE, flag);
        ASSERT_EQ(S_OK, m_control->get_CalibrationWanted(sub, &flag));
        EXPECT_EQ(VARIANT_TRUE, flag);
    }
    VARIANT_BOOL connected = VARIANT_TRUE;
    ASSERT_EQ(S_OK, m_control->get_Connected(&connected));
    EXPECT_EQ(VARIANT_FALSE, connected);
}

TEST_F(TalvoDeviceTest, RangesAreChecked)
{
    struct Case {
        const char* what;
        std::function<HRESULT()> call;
        HRESULT expected;
    };
    const Case cases[] = {
        {"CommPort 0", [&] { return m_control->put_CommPort(0); }, E_INVALIDARG},
        {"CommPort 257", [&] { return m_control->put_CommPort(257); }, E_INVALIDARG},
        {"CommPort 256", [&] { return m_control->put_CommPort(256); }, S_OK},
        {"SampleRate 19", [&] { return m_control->put_SampleRate(19); }, E_INVALIDARG},
        {"SampleRate 501", [&] { return m_control->put_SampleRate(501); }, E_INVALIDARG},
        {"SampleRate 20", [&] { return m_control->put_SampleRate(20); }, S_OK},
        {"MaxTimeBeforeShot 0.49", [&] { return m_control->put_MaxTimeBeforeShot(1, 0.49F); }, E_INVALIDARG},
        {"MaxTimeAfterShot 0.49", [&] { return m_control->put_MaxTimeAfterShot(1, 0.49F); }, E_INVALIDARG},
        {"MaxTimeAfterShot NaN", [&] { return m_control->put_MaxTimeAfterShot(1, std::nanf("")); }, E_INVALIDARG},
        {"MaxTimeAfterShot 0.5", [&] { return m_control->put_MaxTimeAfterShot(1, 0.5F); }, S_OK},
        {"MaxTimeAfterShot 3600", [&] { return m_control->put_MaxTimeAfterShot(1, 3600.0F); }, S_OK},
        {"MaxTimeAfterShot 1e30", [&] { return m_control->put_MaxTimeAfterShot(1, 1e30F); }, E_INVALIDARG},
        {"CorrectionX infinite", [&] { return m_control->put_CorrectionX(1, INFINITY); }, E_INVALIDARG},
        {"CorrectionY 1e30", [&] { return m_control->put_CorrectionY(1, 1e30F); }, E_INVALIDARG},
        {"SerialNumber2 0", [&] { return m_control->get_SerialNumber2(0, Bstr().put()); }, E_INVALIDARG},
        {"SerialNumber2 4", [&] { return m_control->get_SerialNumber2(4, Bstr().put()); }, E_INVALIDARG},
        {"Event null", [&] { return m_control->put_Event(1, nullptr); }, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_HR(c.expected, c.call());
    }
}

TEST_F(TalvoDeviceTest, SubDevicesOtherThanOneAndTwoAreRefused)
{
    for (const LONG sub : {0, 3}) {
        SCOPED_TRACE(sub);
        LONG value = 0;
        float seconds = 0;
        VARIANT_BOOL flag = 0;
        EXPECT_HR(E_INVALIDARG, m_control->put_PiezoSensitivity(sub, 40));
        EXPECT_HR(E_INVALIDARG, m_control->get_PiezoSensitivity(sub, &value));
        EXPECT_HR(E_INVALIDARG, m_control->put_MaxTimeBeforeShot(sub, 5.0F));
        EXPECT_HR(E_INVALIDARG, m_control->get_MaxTimeAfterShot(sub, &seconds));
        EXPECT_HR(E_INVALIDARG, m_control->put_CorrectionX(sub, 1.0F));
        EXPECT_HR(E_INVALIDARG, m_control->put_TargetType(sub, Target5m));
        EXPECT_HR(E_INVALIDARG, m_control->put_SubTarget(sub, 1));
        EXPECT_HR(E_INVALIDARG, m_control->put_SensorPosition(sub, SensorTop));
        EXPECT_HR(E_INVALIDARG, m_control->put_CalibrationMode(sub, VARIANT_TRUE));
        EXPECT_HR(E_INVALIDARG, m_control->get_CalibrationWanted(sub, &flag));
        EXPECT_HR(E_INVALIDARG, m_control->put_EventShortName(sub, Bstr("AR10").get()));
        EXPECT_HR(E_INVALIDARG, m_control->get_Event(sub, ComPtr<IEventParams>().put()));
        EXPECT_HR(E_INVALIDARG, m_control->get_SignalLevel(sub, &value));
        EXPECT_HR(E_INVALIDARG, m_control->get_Trigger(sub, 1, &value));
        EXPECT_HR(E_INVALIDARG, m_control->Reset(sub));
        EXPECT_HR(E_INVALIDARG, m_control->ConcludeCurrentAiming(sub));
    }
}

TEST_F(TalvoDeviceTest, CorrectionIsKeptInTheNearestWholeHundredth)
{
    // 0.29F lies just below 0.29: truncation kept 0.28, and every read and write back lost another hundredth.
    const struct {
        float put;
        float expected;
    } cases[] = {{1.239F, 1.24F}, {-0.456F, -0.46F}, {0.29F, 0.29F}, {-0.29F, -0.29F}, {0.004F, 0.0F}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.put);
        float value = 0;
        ASSERT_EQ(S_OK, m_control->put_CorrectionX(1, c.put));
        ASSERT_EQ(S_OK, m_control->get_CorrectionX(1, &value));
        EXPECT_FLOAT_EQ(c.expected, value);
        ASSERT_EQ(S_OK, m_control->put_CorrectionY(2, value));
        ASSERT_EQ(S_OK, m_control->get_CorrectionY(2, &value));
        EXPECT_FLOAT_EQ(c.expected, value) << "read and written back";
    }
}

TEST_F(TalvoDeviceTest, CalibrationModeStoresTrueOnlyForVariantTrue)
{
    ASSERT_EQ(S_OK, m_control->put_CalibrationMode(1, 1));
    VARIANT_BOOL flag = VARIANT_TRUE;
    ASSERT_EQ(S_OK, m_control->get_CalibrationMode(1, &flag));
    EXPECT_EQ(VARIANT_FALSE, flag);
}

TEST_F(TalvoDeviceTest, EventShortNameLooksTheEventUp)
{
    ASSERT_EQ(S_OK, m_control->put_EventShortName(2, Bstr("AR10").get()));
    ComPtr<IEventParams> event;
    ASSERT_EQ(S_OK, m_control->get_Event(2, event.put()));
    Bstr shortName;
    ASSERT_EQ(S_OK, event->get_ShortName(shortName.put()));
    EXPECT_EQ("AR10", shortName.toUtf8());

    EXPECT_HR(E_FAIL, m_control->put_EventShortName(2, Bstr("NOSUCH").get()));
    Bstr kept;
    ASSERT_EQ(S_OK, m_control->get_EventShortName(2, kept.put()));
    EXPECT_EQ("NOSUCH", kept.toUtf8()) << "the name stays";
    ComPtr<IEventParams> still;
    ASSERT_EQ(S_OK, m_control->get_Event(2, still.put()));
    EXPECT_EQ(event.get(), still.get()) << "and so does the event";
}

TEST_F(TalvoDeviceTest, EventIsMadeOnFirstRead)
{
    ComPtr<IEventParams> first;
    ASSERT_EQ(S_OK, m_control->get_Event(2, first.put()));
    ASSERT_TRUE(first);
    ComPtr<IEventParams> second;
    ASSERT_EQ(S_OK, m_control->get_Event(2, second.put()));
    EXPECT_EQ(first.get(), second.get());
}

TEST_F(TalvoDeviceTest, ConnectingPicksTheModelOfTheProbedCode)
{
    connect();
    EXPECT_EQ(300, [&] {
        LONG code = 0;
        EXPECT_EQ(S_OK, m_control->get_ModelVersion(&code));
        return code;
    }());
    EXPECT_EQ("Pavane", text(&ITalvoDevice::get_ModelName));
    EXPECT_EQ("12345678", text(&ITalvoDevice::get_SerialNumber));
    EXPECT_EQ(1, factory()->openPorts()) << "the model holds the port";
    LONG piezo = 0;
    ASSERT_EQ(S_OK, m_control->put_PiezoSensitivity(1, 55));
    EXPECT_EQ(55, model().GetPiezoSensitivity(1)) << "forwarded to the model";

    EXPECT_HR(S_OK, m_control->put_CommPort(1)) << "the same port while connected";
    EXPECT_HR(E_UNEXPECTED, m_control->put_CommPort(2));
    EXPECT_HR(S_OK, m_control->put_TargetType(1, Target10m));
    EXPECT_HR(E_UNEXPECTED, m_control->put_TargetType(1, Target5m));
    EXPECT_HR(S_OK, m_control->put_SampleRate(100)) << "allowed while connected";
    VARIANT_BOOL exists = VARIANT_TRUE;
    EXPECT_HR(E_UNEXPECTED, m_control->LookupDevice(&exists));
    EXPECT_EQ(VARIANT_FALSE, exists);
    ASSERT_EQ(S_OK, m_control->get_PiezoLevel(1, &piezo));

    ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
    EXPECT_EQ(0, factory()->openPorts());
    EXPECT_HR(S_OK, m_control->put_Connected(VARIANT_FALSE)) << "nothing to disconnect";
}

TEST_F(TalvoDeviceTest, ConnectingWithoutAnEventFailsAndClosesThePort)
{
    auto created = CTalvoDevice::create(
        std::make_unique<testsupport::TestDeviceFactory>(testsupport::TestDeviceFactory::Settings{}), m_clock);
    ASSERT_TRUE(created);
    const ComPtr<CTalvoDevice> control = created.value();

    EXPECT_HR(E_FAIL, control->put_Connected(VARIANT_TRUE));
    VARIANT_BOOL connected = VARIANT_TRUE;
    ASSERT_EQ(S_OK, control->get_Connected(&connected));
    EXPECT_EQ(VARIANT_FALSE, connected);
    platform::com::Variant reason;
    ASSERT_EQ(S_OK, control->get_Value(3, reason.put()));
    EXPECT_EQ(VT_BSTR, reason.type());
}

TEST_F(TalvoDeviceTest, FailedConnectionsLeaveTheirReason)
{
    struct Case {
        const char* what;
        testsupport::TestDeviceFactory::Settings settings;
    };
    const Case cases[] = {
        {"port held elsewhere", portHeldElsewhere()},
        {"no sensor answers", silentSensor()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        makeControl(c.settings);
        EXPECT_HR(E_FAIL, m_control->put_Connected(VARIANT_TRUE));
        EXPECT_EQ(0, factory()->openPorts());
        platform::com::Variant reason;
        ASSERT_EQ(S_OK, m_control->get_Value(3, reason.put()));
        ASSERT_EQ(VT_BSTR, reason.type());
        EXPECT_NE(0u, Bstr::copyOf(reason.get().bstrVal).length());
    }
}

TEST_F(TalvoDeviceTest, ModelThatDoesNotStartIsClosedWithItsReason)
{
    makeControl(sensorThatDoesNotStart());
    EXPECT_HR(E_FAIL, m_control->put_Connected(VARIANT_TRUE));
    EXPECT_EQ(0, factory()->openPorts());
    VARIANT_BOOL connected = VARIANT_TRUE;
    ASSERT_EQ(S_OK, m_control->get_Connected(&connected));
    EXPECT_EQ(VARIANT_FALSE, connected);
    platform::com::Variant reason;
    ASSERT_EQ(S_OK, m_control->get_Value(3, reason.put()));
    ASSERT_EQ(VT_BSTR, reason.type());
    EXPECT_EQ("the scripted sensor does not start", Bstr::copyOf(reason.get().bstrVal).toUtf8());

    ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
    EXPECT_HR(E_FAIL, m_control->put_Connected(VARIANT_TRUE));
    ASSERT_EQ(S_OK, m_control->get_Value(3, reason.put()));
    EXPECT_EQ("the scripted sensor does not start", Bstr::copyOf(reason.get().bstrVal).toUtf8())
        << "emptied at each attempt and given again";
}

TEST_F(TalvoDeviceTest, LookupDeviceProbesAndClosesThePort)
{
    VARIANT_BOOL exists = VARIANT_FALSE;
    ASSERT_EQ(S_OK, m_control->LookupDevice(&exists));
    EXPECT_EQ(VARIANT_TRUE, exists);
    EXPECT_EQ(0, factory()->openPorts());
    EXPECT_EQ("Pavane", text(&ITalvoDevice::get_ModelName));

    makeControl(portHeldElsewhere());
    exists = VARIANT_TRUE;
    EXPECT_HR(S_OK, m_control->LookupDevice(&exists));
    EXPECT_EQ(VARIANT_FALSE, exists);
}

TEST_F(TalvoDeviceTest, UsbPathsSelectTheUsbModelAndItsSerialNumbers)
{
    ASSERT_EQ(S_OK, m_control->put_DevicePath(Bstr("usb:scripted").get()));
    connect();
    EXPECT_EQ("TALVO USB", text(&ITalvoDevice::get_ModelName));
    EXPECT_EQ("1-2-3-4-5-6-7-200", text(&ITalvoDevice::get_SerialNumber));
    Bstr second;
    ASSERT_EQ(S_OK, m_control->get_SerialNumber2(2, second.put()));
    EXPECT_EQ("0-0-0-0-0-0-0-0", second.toUtf8());
    EXPECT_EQ(0, factory()->probes()) << "USB devices are not probed on a serial port";

    makeControl();
    ASSERT_EQ(S_OK, m_control->put_DevicePath(Bstr("usb:unknown").get()));
    EXPECT_HR(E_FAIL, m_control->put_Connected(VARIANT_TRUE));
}

TEST_F(TalvoDeviceTest, SemaphoreWithoutALightIsKeptAndAnsweredWithSFalse)
{
    EXPECT_HR(S_OK, m_control->put_Semaphore(SemaphoreGreen)) << "not connected: only stored";
    connect();
    EXPECT_HR(S_OK, m_control->put_Semaphore(SemaphoreGreen)) << "the same mode";
    EXPECT_HR(S_FALSE, m_control->put_Semaphore(SemaphoreRed));
    enumSemaphoreMode mode = SemaphoreOff;
    ASSERT_EQ(S_OK, m_control->get_Semaphore(&mode));
    EXPECT_EQ(SemaphoreRed, mode);
}

TEST_F(TalvoDeviceTest, MembersThatNeedAModelAnswerUnexpectedWithoutOne)
{
    VARIANT_BOOL flag = VARIANT_TRUE;
    LONG value = 0;
    EXPECT_HR(E_UNEXPECTED, m_control->get_PulseAvailable(&flag));
    EXPECT_HR(E_UNEXPECTED, m_control->get_TriggerControlAvailable(&flag));
    EXPECT_HR(E_UNEXPECTED, m_control->get_SemaphoreAvailable(&flag));
    EXPECT_HR(E_UNEXPECTED, m_control->get_LedsBrightnessAvailable(&flag));
    EXPECT_HR(E_UNEXPECTED, m_control->get_LampsBrightness(&value));
    EXPECT_HR(E_UNEXPECTED, m_control->put_LedsBrightness(3));
    EXPECT_HR(E_UNEXPECTED, m_control->get_Trigger(1, 1, &value));
    EXPECT_HR(S_OK, m_control->Reset(1));
    EXPECT_HR(S_OK, m_control->ConcludeCurrentAiming(1));
    EXPECT_HR(S_OK, m_control->AddShot(VARIANT_FALSE));
    ASSERT_EQ(S_OK, m_control->get_StatTotalReceived(&value));
    EXPECT_EQ(0, value);
    platform::com::Variant result;
    EXPECT_HR(E_FAIL, m_control->get_Value(0, result.put()));
    EXPECT_HR(E_POINTER, m_control->get_Value(3, nullptr));

    connect();
    EXPECT_HR(E_UNEXPECTED, m_control->get_Trigger(1, 1, &value)) << "the scripted model has no trigger values";
    ASSERT_EQ(S_OK, m_control->get_SemaphoreAvailable(&flag));
    EXPECT_EQ(VARIANT_FALSE, flag);
}

TEST_F(TalvoDeviceTest, DataStartsWithZerosAndTwoNotANumbers)
{
    std::array<float, 9> values{};
    values.fill(5.0F);
    ASSERT_EQ(S_OK, m_control->Data(&values[0], &values[1], &values[2], &values[3], &values[4], &values[5], &values[6],
                                    &values[7], &values[8]));
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(0.0F, values[i]);
    }
    EXPECT_TRUE(std::isnan(values[7]));
    EXPECT_TRUE(std::isnan(values[8]));
}

TEST_F(TalvoDeviceTest, EventsCarryTheirArgumentsAsVariantsOfTheirTypes)
{
    struct Case {
        DISPID dispId;
        std::function<void()> fire;
        std::vector<VARTYPE> types;
    };
    const Case cases[] = {
        {DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING, [&] { m_control->fireFinalConcludeAiming(2); }, {VT_I4}},
        {DISPID_TALVODEVICEEVENTS_PULSECHANGED, [&] { m_control->firePulseChanged(1, 72); }, {VT_I4, VT_I4}},
        {DISPID_TALVODEVICEEVENTS_TRIGGER, [&] { m_control->fireTrigger(1, 12); }, {VT_I4, VT_I4}},
        {DISPID_TALVODEVICEEVENTS_HEARTBEAT,
         [&] { m_control->fireHeartBeat(1, 46000.25, 46000.5); },
         {VT_I4, VT_R8, VT_R8}},
        {DISPID_TALVODEVICEEVENTS_DISCONNECTED, [&] { m_control->fireDisconnected(); }, {}},
        {DISPID_TALVODEVICEEVENTS_RECONNECTED, [&] { m_control->fireReconnected(); }, {}},
        {DISPID_TALVODEVICEEVENTS_TIMEOUT, [&] { m_control->fireTimeout(4); }, {VT_I4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dispId);
        m_recorder->events.clear();
        c.fire();
        ASSERT_EQ(1u, m_recorder->events.size());
        const testsupport::ReceivedEvent& event = m_recorder->events[0];
        EXPECT_EQ(c.dispId, event.dispId);
        std::vector<VARTYPE> types;
        for (const platform::com::Variant& argument : event.arguments) {
            types.push_back(argument.type());
        }
        EXPECT_EQ(c.types, types);
    }

    m_recorder->events.clear();
    m_control->fireHeartBeat(1, 46000.25, 46000.5);
    EXPECT_DOUBLE_EQ(46000.25, m_recorder->events.at(0).arguments.at(1).get().dblVal);
    EXPECT_DOUBLE_EQ(46000.5, m_recorder->events.at(0).arguments.at(2).get().dblVal);
}

TEST_F(TalvoDeviceTest, SinkActingInsideTheEventsOfAMethodLeavesEveryAimingConcludedOnce)
{
    struct Case {
        const char* what;
        DISPID actIn;
        std::function<HRESULT(ITalvoDevice&)> call;
    };
    const Case cases[] = {
        {"Connected false", DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING,
         [](ITalvoDevice& control) { return control.put_Connected(VARIANT_FALSE); }},
        {"Reset", DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING, [](ITalvoDevice& control) { return control.Reset(1); }},
        {"ConcludeCurrentAiming", DISPID_TALVODEVICEEVENTS_SHOT, // The missed shot it adds.
         [](ITalvoDevice& control) { return control.ConcludeCurrentAiming(1); }},
        {"AddShot", DISPID_TALVODEVICEEVENTS_SHOT,
         [](ITalvoDevice& control) { return control.AddShot(VARIANT_FALSE); }},
    };
    for (const Case& c : cases) {
        for (const bool release : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (release ? ", released" : ", disconnected") + " inside the event");
            makeControl();
            connect();
            feed({testsupport::makeRecord(0), testsupport::makeRecord(78), testsupport::makeRecord(78)});
            const auto ports = factory()->openPortCounter();
            bool acted = false;
            m_recorder->hook = [&](const testsupport::ReceivedEvent& event) {
                if (event.dispId != c.actIn || acted) {
                    return;
                }
                acted = true;
                if (release) {
                    m_control = nullptr; // The call's own reference keeps the control until it returns.
                } else {
                    EXPECT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
                }
            };
            ITalvoDevice& control = *m_control;
            EXPECT_EQ(S_OK, c.call(control));
            EXPECT_TRUE(acted);
            if (m_control) {
                ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
            }
            EXPECT_EQ(0, ports->load());
            EXPECT_EQ("", m_recorder->aimingOrderFault(!release));
        }
    }
}

TEST_F(TalvoDeviceTest, ReleasingAConnectedControlClosesItsDevice)
{
    makeControl(scripted(10));
    connect();
    const auto ports = factory()->openPortCounter();
    const auto finished = model().readerFinished();
    ASSERT_EQ(1, ports->load());

    m_control = nullptr; // The last reference goes while connected, with the sink still advised.
    EXPECT_EQ(0, ports->load());
    EXPECT_TRUE(finished->load());
    EXPECT_EQ(2u, m_recorder->AddRef()) << "the control let its sink go";
    (void)m_recorder->Release(); // Back to the fixture's own reference.
}

} // namespace
} // namespace talvolink
