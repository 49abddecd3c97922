#include "talvolink/usb/TalvoDeviceUsb.h"
#include "talvolink/usb/tests/support/ScriptedUsbBus.h"

#include "talvodata/tests/support/Events.h"

#include "platform/kernel/tests/support/ProcessThreads.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include "platform/time/ManualClock.h"

#include <QCoreApplication>

#include <cstring>
#include <limits>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

namespace talvolink {
namespace {

using namespace std::chrono_literals;
using platform::usb::InterfaceClass;
using testsupport::Bytes;
using testsupport::ScriptedUsbBus;
using Log = std::vector<std::string>;
using Points = std::vector<std::pair<LONG, LONG>>;

// A kind-0 spot packet whose spot 0 leans by `lean`; `piezo` the status value of a 24-byte packet (none: 22).
Bytes spotPacket(std::uint8_t counter, int lean, int piezo = -1)
{
    const int q[8] = {2400 + lean, 1200, 1200, 1200 + lean / 2, 1200, 1200, 1200, 2400};
    Bytes p(piezo < 0 ? 22 : 24, 0);
    p[0] = static_cast<std::uint8_t>(p.size());
    p[4] = counter;
    p[5] = 0xFF;
    for (std::size_t i = 0; i < 8; ++i) {
        p[6 + 2 * i] = static_cast<std::uint8_t>(q[i] & 0xFF);
        p[7 + 2 * i] = static_cast<std::uint8_t>(q[i] >> 8);
    }
    if (piezo >= 0) {
        p[22] = 24; // heard three quarters into the period: the later of the packet's two last samples
        p[23] = static_cast<std::uint8_t>(piezo);
    }
    return p;
}

// A kind-2 packet with counter `counter` and its side byte, positions (u, v) and (u + 1, v), and `tail`.
Bytes positionPacket(std::uint8_t counter, std::uint8_t side, std::int16_t u, std::int16_t v, Bytes tail = {})
{
    Bytes p{0, 2, 0x01, 0x00, counter, side};
    for (const std::int16_t value : {u, v, static_cast<std::int16_t>(u + 50), v}) {
        p.push_back(static_cast<std::uint8_t>(value & 0xFF));
        p.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }
    p.insert(p.end(), tail.begin(), tail.end());
    p[0] = static_cast<std::uint8_t>(p.size());
    return p;
}

class UsbSessionTest : public platform::registry::testing::RegistryFixture {
protected:
    UsbSessionTest()
    {
        m_host.settings[0].event = talvodata::testsupport::shippedEvent("AR10");
        m_host.settings[0].maxTimeAfterShot = 0.1F;
    }

    ~UsbSessionTest() override
    {
        if (m_model) {
            (void)m_model->Close();
        }
    }

    void make(const char* path, InterfaceClass cls)
    {
        m_model = std::make_unique<CTalvoDeviceUSB>(m_host, m_script.bus, path, cls,
                                                    [this](std::chrono::milliseconds d) { clock().advance(d); });
    }

    platform::time::ManualClock& clock() { return static_cast<platform::time::ManualClock&>(m_host.clock()); }

    // Feeds the reads and runs the batch they make.
    void feed(platform::usb::FakeUsbDevice& device, const std::vector<Bytes>& reads)
    {
        for (const Bytes& read : reads) {
            ScriptedUsbBus::feed(device, read);
        }
        QCoreApplication::sendPostedEvents();
    }
    void feed(platform::usb::FakeUsbDevice& device, const Bytes& read) { feed(device, std::vector<Bytes>{read}); }

    Log takeLog() { return std::exchange(m_host.log, {}); }

    testsupport::LoggingHost m_host;
    ScriptedUsbBus m_script{m_host.clock()};
    std::unique_ptr<CTalvoDeviceUSB> m_model;
};

TEST_F(UsbSessionTest, WirelessSpotKindResampledAndConcludedByTheTimer)
{
    auto& receiver = m_script.plugReceiver(1, 3);
    make(ScriptedUsbBus::kReceiverPath, InterfaceClass::WirelessTarget);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    EXPECT_EQ(m_host.sampleRate(), 100);
    EXPECT_EQ(m_model->targetNumber(), 1);
    EXPECT_EQ(m_script.outLog(), (Log{"0 receiver 90 1 0", "1100 receiver F0 500 1 [32]", "1100 receiver F0 500 1 [33]",
                                      "1100 receiver F0 500 1 [64 10 16]", "1100 receiver F0 1000 1 [80 100 90]",
                                      "1100 receiver F0 500 1 [64 10 16]", "1100 receiver F0 500 1 [22]"}));

    std::vector<Bytes> packets;
    for (std::uint8_t c = 0; c < 8; ++c) {
        packets.push_back(spotPacket(c, 40 * c, c == 5 ? 20 : -1));
    }
    feed(receiver, ScriptedUsbBus::receiverRead(packets));
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 10", "Shot", "NewCoordinates 4"}));
    ASSERT_EQ(m_host.aimings.size(), 1U);
    EXPECT_EQ(testsupport::LoggingHost::points(*m_host.aimings[0]), (Points{{54, -97},
                                                                            {63, -113},
                                                                            {95, -171},
                                                                            {148, -265},
                                                                            {206, -369},
                                                                            {263, -469},
                                                                            {317, -564},
                                                                            {371, -656},
                                                                            {425, -747},
                                                                            {479, -838},
                                                                            {534, -929},
                                                                            {589, -1018},
                                                                            {645, -1107},
                                                                            {701, -1194}}));

    clock().advance(99ms);
    m_model->OnTimer(2, 0);
    EXPECT_TRUE(takeLog().empty());
    clock().advance(1ms);
    m_model->OnTimer(2, 0);
    EXPECT_EQ(takeLog(), (Log{"ConcludeAiming"}));
    feed(receiver, ScriptedUsbBus::receiverRead({Bytes{0x16, 0, 0x00, 0x00, 8}}));
}

TEST_F(UsbSessionTest, WirelessPositionKindTwoSamplesAPacketWithTrigger)
{
    auto& receiver = m_script.plugReceiver(1, 3);
    make(ScriptedUsbBus::kReceiverPath, InterfaceClass::WirelessTarget);
    m_host.firing = 3;
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    m_script.clearLog();
    // Side channels first (levels 35 and 36, angle 0, scale 1), each packet with a trigger reading (extra / 4).
    const std::uint8_t sides[6] = {35, 36, 0x00, 0x00, 0x10, 0x27};
    std::vector<Bytes> packets;
    for (std::uint8_t c = 0; c < 10; ++c) {
        packets.push_back(positionPacket(c, sides[c % 6], static_cast<std::int16_t>(100 + 10 * c), -50,
                                         Bytes{static_cast<std::uint8_t>(4 * c)}));
    }
    feed(receiver, ScriptedUsbBus::receiverRead(packets));
    // The first packet of kind 2 selects the pair of firing point 3; the side channels complete at counter 5.
    EXPECT_EQ(m_script.outLog(), (Log{"1100 receiver F0 500 1 [64 18 22]"}));
    // The aiming's start announces the readings so far; the rest follow with the points, each once.
    EXPECT_EQ(takeLog(), (Log{"Trigger 6", "StartAiming", "NewCoordinates 9", "Trigger 4"}));
    ASSERT_EQ(m_host.aimings.size(), 1U);
    EXPECT_EQ(
        testsupport::LoggingHost::points(*m_host.aimings[0]),
        (Points{{23, -95}, {23, -92}, {23, -87}, {23, -87}, {23, -90}, {23, -93}, {23, -96}, {23, -98}, {23, -101}}));
    EXPECT_EQ(testsupport::LoggingHost::triggerData(*m_host.aimings[0]),
              (std::vector<LONG>{5, 6, 6, 7, 7, 8, 8, 9, 9}));
    EXPECT_TRUE(m_model->TriggerControlAvailable());
    EXPECT_EQ(m_model->GetSignalLevel(1), static_cast<LONG>(71 * 1200.0 / 35.0));
}

// An optical record of newer firmware: spots leaning by `lean`, `intensity` per quadrant, a shot value; quadrant
// `dark` (when given) sees almost nothing.
Bytes opticalRecord(std::uint32_t sequence, float intensity, float lean, std::uint16_t shot = 0, int dark = -1)
{
    Bytes r(47, 0);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            r[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    put32(0, sequence);
    put32(4, 0);
    put32(8, shot ? 100 : 0);
    r[12] = static_cast<std::uint8_t>(shot & 0xFF);
    r[13] = static_cast<std::uint8_t>(shot >> 8);
    // The spots lie one above the other around the centre; `lean` brightens spot 0's first quadrant.
    float q[8] = {2 * intensity + lean, intensity,     intensity, 2 * intensity, intensity,
                  2 * intensity,        2 * intensity, intensity};
    if (dark >= 0) {
        q[dark] = 19.0F;
    }
    for (std::size_t i = 0; i < 8; ++i) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &q[i], 4);
        put32(14 + 4 * i, bits);
    }
    return r;
}

// The records in reads of at most eight (a read holds 512 bytes).
std::vector<Bytes> opticalReads(const std::vector<Bytes>& records)
{
    std::vector<Bytes> reads;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i % 8 == 0) {
            reads.emplace_back();
        }
        const Bytes block = ScriptedUsbBus::packetBlock(records[i]);
        reads.back().insert(reads.back().end(), block.begin(), block.end());
    }
    return reads;
}

TEST_F(UsbSessionTest, OpticalSensorWithTargetController)
{
    m_script.plugController();
    auto& optical = m_script.plugOptical();
    make(ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    EXPECT_EQ(m_script.outLog(),
              (Log{"0 controller 87 1 0", "0 controller 88 32768 32768", "0 optical 8D 0 0", "0 controller 83 0 0"}));
    m_script.clearLog();
    std::vector<Bytes> records;
    for (std::uint32_t i = 0; i < 12; ++i) {
        records.push_back(opticalRecord(i, 400.0F, 2.0F * i, i == 8 ? 200 : 0));
    }
    records.push_back(opticalRecord(12, 5.0F, 0.0F));
    records.push_back(opticalRecord(13, 5.0F, 0.0F));
    records.push_back(opticalRecord(14, 5.0F, 0.0F));
    feed(optical, opticalReads(records));
    // Samples come one record late; the shot takes the 9th point, three of the five dead records follow.
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 8", "Shot", "NewCoordinates 3", "ConcludeAiming",
                              "FinalConcludeAiming"}));
    ASSERT_EQ(m_host.aimings.size(), 1U);
    EXPECT_EQ(testsupport::LoggingHost::points(*m_host.aimings[0]), (Points{{147, -98},
                                                                            {165, -110},
                                                                            {235, -157},
                                                                            {359, -240},
                                                                            {511, -341},
                                                                            {668, -447},
                                                                            {821, -549},
                                                                            {968, -649},
                                                                            {1111, -747},
                                                                            {1254, -844},
                                                                            {1395, -942}}));
    EXPECT_EQ(m_script.outLog(), (Log{"0 optical 85 200 0"})); // the shot's reference back to the sensor
}

TEST_F(UsbSessionTest, OpticalSensorAlone)
{
    m_host.settings[0].targetType = Target25m;
    auto& optical = m_script.plugOptical();
    make(ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    EXPECT_EQ(m_script.outLog(), (Log{"0 optical 8D 0 0"}));
    std::vector<Bytes> records;
    for (std::uint32_t i = 0; i < 10; ++i) {
        records.push_back(opticalRecord(i, 100.0F, 0.2F * i, i == 7 ? 200 : 0));
    }
    records.push_back(opticalRecord(10, 5.0F, 0.0F));
    records.push_back(opticalRecord(11, 5.0F, 0.0F));
    feed(optical, opticalReads(records));
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 7", "Shot", "NewCoordinates 2", "ConcludeAiming"}));
    ASSERT_EQ(m_host.aimings.size(), 1U);
    EXPECT_EQ(testsupport::LoggingHost::points(*m_host.aimings[0]), (Points{{-165, 110},
                                                                            {-186, 124},
                                                                            {-264, 176},
                                                                            {-404, 269},
                                                                            {-576, 384},
                                                                            {-754, 502},
                                                                            {-927, 618},
                                                                            {-1094, 729},
                                                                            {-1259, 839}}));
}

TEST_F(UsbSessionTest, OpticalRecordsThatAreNotNumbersStartNothing)
{
    m_host.settings[0].targetType = Target25m;
    auto& optical = m_script.plugOptical();
    make(ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float huge = std::numeric_limits<float>::infinity();
    std::vector<Bytes> records;
    for (std::uint32_t i = 0; i < 6; ++i) {
        records.push_back(opticalRecord(i, i % 2 ? nan : huge, 0.0F));
    }
    feed(optical, opticalReads(records));
    EXPECT_TRUE(takeLog().empty());
    EXPECT_TRUE(m_host.aimings.empty());
    EXPECT_EQ(m_model->GetSignalLevel(1), 0);
}

TEST_F(UsbSessionTest, PulseRateFromHeartBeats)
{
    m_script.plugReceiver(1, 3);
    auto& pulse = m_script.plugPulse();
    make(ScriptedUsbBus::kReceiverPath, InterfaceClass::WirelessTarget);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    EXPECT_TRUE(m_model->PulseAvailable());
    for (int beat = 0; beat < 6; ++beat) {
        clock().advance(800ms);
        feed(pulse, Bytes{1, 0});
    }
    EXPECT_EQ(takeLog(), (Log{"HeartBeat", "HeartBeat", "HeartBeat", "HeartBeat", "PulseChanged 75", "HeartBeat"}));
}

TEST_F(UsbSessionTest, TargetUnpluggedAndBackMidPracticeThenClosedWithReadersRunning)
{
    auto& receiver = m_script.plugReceiver(1, 3);
    m_script.plugPulse();
    make(ScriptedUsbBus::kReceiverPath, InterfaceClass::WirelessTarget);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    std::vector<Bytes> packets;
    for (std::uint8_t c = 0; c < 4; ++c) {
        packets.push_back(spotPacket(c, 0));
    }
    feed(receiver, ScriptedUsbBus::receiverRead(packets));
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 6"}));

    // The receiver reports its target gone: no target answers.
    m_script.answer("receiver", 0x82, Bytes(16, 0));
    feed(receiver, Bytes{4, 0x88, 2, 0});
    EXPECT_EQ(m_model->targetNumber(), 0);
    EXPECT_FALSE(m_model->Start());
    EXPECT_EQ(m_host.errorText, "Target is not connected (4). Check cable.");

    // Back again: set up and started anew.
    Bytes present(16, 0);
    present[0] = 1;
    m_script.answer("receiver", 0x82, present);
    m_script.clearLog();
    feed(receiver, Bytes{4, 0x88, 2, 1});
    EXPECT_EQ(m_model->targetNumber(), 1);
    EXPECT_EQ(m_script.outLog(),
              (Log{"1100 receiver F0 500 1 [32]", "1100 receiver F0 500 1 [33]", "1100 receiver F0 500 1 [64 10 16]",
                   "1100 receiver F0 1000 1 [80 100 90]", "1100 receiver F0 500 1 [22]"}));
    packets.clear();
    for (std::uint8_t c = 4; c < 8; ++c) {
        packets.push_back(spotPacket(c, 0));
    }
    feed(receiver, ScriptedUsbBus::receiverRead(packets));
    // Starting again let the old aiming go: the practice goes on with a new one.
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 7"}));
    EXPECT_EQ(m_host.aimings.size(), 2U);

    const std::size_t threadsBefore = platform::kernel::testing::processThreadCount();
    EXPECT_TRUE(m_model->Close());
    m_model.reset();
    // The receiver's and the pulse sensor's readers are gone.
    EXPECT_TRUE(platform::kernel::testing::settlesAtThreadCount(threadsBefore - 2));
    EXPECT_EQ(receiver.pendingReads(), 0U);
    EXPECT_FALSE(receiver.isOpen());
}

TEST_F(UsbSessionTest, EveryOpenAndStartErrorText)
{
    struct Case {
        const char* name;
        InterfaceClass cls;
        bool controller;
        int target; // -1: no receiver, -2: a Dovecote target instead
        std::vector<std::pair<std::string, int>> failing;
        enumTargetType targetType;
        const char* text;
    };
    const std::vector<Case> cases{
        {"no target", InterfaceClass::OpticalSensor, false, -1, {}, Target10m, "Target controller is not connected"},
        {"unplugged",
         InterfaceClass::OpticalSensor,
         true,
         -1,
         {},
         Target10m,
         "Target is not connected (1). Check cable."},
        {"no target answers",
         InterfaceClass::OpticalSensor,
         false,
         0,
         {},
         Target10m,
         "Target is not connected (2). Check cable."},
        {"descriptor",
         InterfaceClass::OpticalSensor,
         false,
         1,
         {{"receiver", 0x120}},
         Target10m,
         "Unable to retrieve target's descriptor"},
        {"settings",
         InterfaceClass::OpticalSensor,
         false,
         1,
         {{"receiver", 0x121}},
         Target10m,
         "Unable to retrieve target's settings"},
        {"calibration",
         InterfaceClass::OpticalSensor,
         true,
         -1,
         {{"optical", 0x86}},
         Target10m,
         "Missing optical sensor's calibration info."},
        {"start",
         InterfaceClass::OpticalSensor,
         true,
         -1,
         {{"optical", 0x8D}},
         Target10m,
         "Unable to start optical sensor"},
        {"optical serial",
         InterfaceClass::OpticalSensor,
         true,
         -1,
         {{"optical", 0x8B}},
         Target10m,
         "unable to retrieve serial number"},
        {"dovecote start",
         InterfaceClass::OpticalSensor,
         false,
         -2,
         {{"dovecote", 0x90}},
         Target10m,
         "Unable to start target device (1)"},
        {"dovecote optical",
         InterfaceClass::OpticalSensor,
         false,
         -2,
         {{"dovecote", 0xAC}},
         Target10m,
         "Unable to start target device (3)"},
        {"dovecote wireless",
         InterfaceClass::DovecoteTarget,
         false,
         -2,
         {{"dovecote", 0xA6}},
         Target10m,
         "Unable to start target device (2)"},
        {"wireless elsewhere", InterfaceClass::WirelessTarget, false, 1, {}, Target25m, ""},
        {"wireless no target",
         InterfaceClass::WirelessTarget,
         false,
         0,
         {},
         Target10m,
         "Target is not connected (2). Check cable."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::LoggingHost host;
        host.settings[0].event = m_host.settings[0].event;
        host.settings[0].targetType = c.targetType;
        host.errorText = "unset";
        ScriptedUsbBus script(host.clock());
        if (c.cls == InterfaceClass::OpticalSensor) {
            script.plugOptical();
        }
        if (c.controller) {
            script.plugController();
            if (std::string(c.name) == "unplugged") {
                script.answer("controller", 0x8A, Bytes(16, 0));
            }
        }
        if (c.target >= 0) {
            script.plugReceiver(c.target, 3);
        } else if (c.target == -2) {
            script.plugDovecote();
        }
        for (const auto& [device, request] : c.failing) {
            script.fail(device, request);
        }
        auto& clock = static_cast<platform::time::ManualClock&>(host.clock());
        const char* path = c.cls == InterfaceClass::OpticalSensor    ? ScriptedUsbBus::kOpticalPath
                           : c.cls == InterfaceClass::DovecoteTarget ? ScriptedUsbBus::kDovecotePath
                                                                     : ScriptedUsbBus::kReceiverPath;
        CTalvoDeviceUSB model(host, script.bus, path, c.cls,
                              [&clock](std::chrono::milliseconds d) { clock.advance(d); });
        EXPECT_FALSE(model.Open());
        EXPECT_EQ(host.errorText, c.text);
        (void)model.Close();
    }
}

TEST_F(UsbSessionTest, OpticalStartThroughAReceiverWithoutATargetFails)
{
    m_script.plugOptical();
    auto& receiver = m_script.plugReceiver(1, 3);
    make(ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    // The receiver reports its target gone before the practice starts.
    m_script.answer("receiver", 0x82, Bytes(16, 0));
    feed(receiver, Bytes{4, 0x88, 2, 0});
    ASSERT_EQ(m_model->targetNumber(), 0);
    EXPECT_FALSE(m_model->Start());
    EXPECT_EQ(m_host.errorText, "Target is not connected (3). Check cable.");
}

TEST_F(UsbSessionTest, ZoneTargetOpensWithLampsZonesAndBrightness)
{
    m_host.settings[0].event = talvodata::testsupport::shippedEvent("BTLN");
    m_script.plugReceiver(2, 18);
    make(ScriptedUsbBus::kReceiverPath, InterfaceClass::WirelessTarget);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    EXPECT_TRUE(m_model->LedsBrightnessAvailable());
    EXPECT_EQ(m_model->GetLedsBrightness(), 7);
    EXPECT_EQ(m_model->zone(), 2);
    // Brightness loaded (7 when none was saved), the middle zone, signals 128, lamps off, started.
    EXPECT_EQ(m_script.outLog(), (Log{"0 receiver 90 1 0", "1100 receiver F0 500 2 [32]", "1100 receiver F0 500 2 [33]",
                                      "1100 receiver F0 500 2 [51 0]", "1100 receiver F0 500 2 [52 7]",
                                      "1100 receiver F0 500 2 [64 10 16]", "1100 receiver F0 500 2 [37 4]",
                                      "1100 receiver F0 1000 2 [80 128 128]", "1100 receiver F0 500 2 [64 10 16]",
                                      "1100 receiver F0 500 2 [50 0 0]", "1100 receiver F0 500 2 [22]"}));
    m_script.clearLog();
    m_model->PutLedsBrightness(8);
    m_model->PutLedsBrightness(7);
    EXPECT_TRUE(m_model->PutSemaphore(SemaphoreGreen));
    m_host.settings[0].calibrationMode = true;
    m_model->PutCalibrationMode();
    // 8 is refused; lamp bytes go miss byte first; calibration lights miss lamps 1, 2, 4 and 5.
    EXPECT_EQ(m_script.outLog(), (Log{"1100 receiver F0 500 2 [51 0]", "1100 receiver F0 500 2 [50 0 0]",
                                      "1100 receiver F0 500 2 [50 0 2]", "1100 receiver F0 500 2 [50 0 0]",
                                      "1100 receiver F0 500 2 [37 4]", "1100 receiver F0 500 2 [50 1 0]",
                                      "1100 receiver F0 500 2 [50 3 0]", "1100 receiver F0 500 2 [50 11 0]",
                                      "1100 receiver F0 500 2 [50 27 0]", "1100 receiver F0 1000 2 [80 128 128]"}));
    EXPECT_EQ(m_model->lampBytes().miss, 27);
}

TEST_F(UsbSessionTest, NoShotBeforeSixPointsAndARestartWaitsHalfASecondAfterAShot)
{
    auto& receiver = m_script.plugReceiver(1, 3);
    make(ScriptedUsbBus::kReceiverPath, InterfaceClass::WirelessTarget);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    // The piezo fires with the 4th point: too early. It fires again once the trace holds six.
    std::vector<Bytes> packets;
    for (std::uint8_t c = 0; c < 5; ++c) {
        packets.push_back(spotPacket(c, 0, c == 2 || c == 4 ? 20 : 0));
    }
    feed(receiver, ScriptedUsbBus::receiverRead(packets));
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 8", "Shot"}));
    clock().advance(100ms);
    m_model->OnTimer(2, 0);
    EXPECT_EQ(takeLog(), (Log{"ConcludeAiming"}));

    // Within half a second of the last point the aim goes on unrecorded; the signal lost ends the aiming's turn.
    const auto spots = [](std::uint8_t from, std::uint8_t to) {
        std::vector<Bytes> out;
        for (std::uint8_t c = from; c < to; ++c) {
            out.push_back(spotPacket(c, 0));
        }
        return out;
    };
    clock().advance(300ms);
    feed(receiver, ScriptedUsbBus::receiverRead(spots(5, 8)));
    EXPECT_TRUE(takeLog().empty());
    clock().advance(300ms); // the last sample renewed the activity
    feed(receiver, ScriptedUsbBus::receiverRead(spots(8, 9)));
    EXPECT_TRUE(takeLog().empty());
    clock().advance(500ms);
    feed(receiver, ScriptedUsbBus::receiverRead(spots(9, 11)));
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 3"}));
}

TEST_F(UsbSessionTest, CalibrationShotSavedAndLoadedByTheNextOpen)
{
    m_script.plugController();
    auto& optical = m_script.plugOptical();
    make(ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    EXPECT_FALSE(m_model->calibrated());
    m_host.settings[0].calibrationMode = true;
    std::vector<Bytes> records;
    for (std::uint32_t i = 0; i < 10; ++i) {
        records.push_back(opticalRecord(i, 400.0F, 2.0F * i, i == 8 ? 200 : 0));
    }
    feed(optical, opticalReads(records));
    ASSERT_TRUE(m_model->calibrated());
    (void)m_model->Close();
    m_model.reset();

    m_host.settings[0].calibrationMode = false;
    m_host.settings[0].correctionX = 0;
    m_script.clearLog();
    make(ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    EXPECT_TRUE(m_model->calibrated());
    EXPECT_FALSE(m_host.settings[0].calibrationWanted);
    EXPECT_EQ(m_host.correctionSet, 1);
}

TEST_F(UsbSessionTest, BiathlonZonesAndLamps)
{
    m_host.settings[0].event = talvodata::testsupport::shippedEvent("BTLN");
    auto& receiver = m_script.plugReceiver(1, 18);
    make(ScriptedUsbBus::kReceiverPath, InterfaceClass::WirelessTarget);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    m_script.clearLog();
    std::vector<Bytes> packets;
    for (std::uint8_t c = 0; c < 14; ++c) {
        packets.push_back(spotPacket(c, 3 * c, c == 10 ? 20 : 0));
    }
    feed(receiver, ScriptedUsbBus::receiverRead(packets));
    // The first five samples wait for the zone to settle; the shot lands in area 3, whose hit lamp lights (the
    // zone target takes the miss byte first).
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 15", "Shot", "NewCoordinates 6"}));
    EXPECT_EQ(m_model->zone(), 2);
    EXPECT_EQ(m_script.outLog(), (Log{"1100 receiver F0 500 1 [64 10 16]", "1100 receiver F0 500 1 [50 0 4]"}));
    EXPECT_EQ(m_model->lampBytes().hit, 4);
    ASSERT_EQ(m_host.aimings.size(), 1U);
    EXPECT_EQ(testsupport::LoggingHost::points(*m_host.aimings[0]),
              (Points{{41, -83},   {43, -85},   {49, -94},   {58, -108},  {67, -123},  {74, -138},  {81, -152},
                      {90, -166},  {98, -180},  {105, -193}, {112, -207}, {121, -221}, {130, -235}, {136, -248},
                      {143, -262}, {153, -276}, {161, -290}, {167, -303}, {175, -316}, {184, -330}, {192, -344}}));
}

TEST_F(UsbSessionTest, OpticalScaleFollowsTheTargetsNominalDistance)
{
    enum class Target { Controller, Receiver, ZoneReceiver, Dovecote, Alone };
    struct Case {
        const char* name;
        Target target;
        std::uint8_t code;     // the target controller's target code
        std::uint8_t codeLate; // the code it reports when it connects again (0: no reconnection)
        double distance;
    };
    const Case cases[] = {
        {"code 6", Target::Controller, 6, 0, 182.0},        {"code 7", Target::Controller, 7, 0, 76.0},
        {"code 13", Target::Controller, 13, 0, 76.0},       {"code 11", Target::Controller, 11, 0, 190.0},
        {"other code", Target::Controller, 9, 0, 182.0},    {"code 6 then 7", Target::Controller, 6, 7, 76.0},
        {"Dovecote", Target::Dovecote, 0, 0, 50.0},         {"sensor alone", Target::Alone, 0, 0, 625.0},
        {"wireless target", Target::Receiver, 0, 0, 190.0}, {"zone target", Target::ZoneReceiver, 0, 0, 50.0},
    };
    std::optional<double> scale182; // the record's scale against 182
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::LoggingHost host;
        host.settings[0].event = m_host.settings[0].event;
        host.settings[0].targetType = c.target == Target::Alone ? Target25m : Target10m;
        ScriptedUsbBus script(host.clock());
        auto& optical = script.plugOptical();
        if (c.target == Target::Controller) {
            script.plugController();
            script.answer("controller", 0x8A, {1, c.code, 41, 42, 43, 44, 45, 46, 47, 48, 0, 0, 0, 0, 0, 0});
        } else if (c.target == Target::Dovecote) {
            script.plugDovecote();
        } else if (c.target != Target::Alone) {
            script.plugReceiver(1, c.target == Target::ZoneReceiver ? 18 : 3);
        }
        auto& clock = static_cast<platform::time::ManualClock&>(host.clock());
        CTalvoDeviceUSB model(host, script.bus, ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor,
                              [&clock](std::chrono::milliseconds d) { clock.advance(d); });
        ASSERT_TRUE(model.Open()) << host.errorText;
        if (c.codeLate != 0) {
            script.answer("controller", 0x8A, {1, c.codeLate, 41, 42, 43, 44, 45, 46, 47, 48, 0, 0, 0, 0, 0, 0});
            model.OnAppMessage(1, 0);
        }
        for (const Bytes& read : opticalReads({opticalRecord(0, 400.0F, 0.0F), opticalRecord(1, 400.0F, 0.0F)})) {
            ScriptedUsbBus::feed(optical, read);
        }
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(model.opticalSensor().nominalDistance(), c.distance);
        // On the 10 m targets the record's scale is measured against it (the sensor alone scales by its lens).
        std::array<float, 9> data{};
        model.GetData(data);
        if (!scale182) {
            scale182 = data[1];
        }
        if (c.target != Target::Alone) {
            EXPECT_NEAR(data[1], *scale182 * c.distance / 182.0, 1e-3);
        }
        (void)model.Close();
    }
}

TEST_F(UsbSessionTest, OpticalSensorHearsThePiezoSensitivityAndTheFiringPointsParity)
{
    m_host.settings[0].targetType = Target25m;
    m_script.plugOptical();
    m_host.firing = 2;
    make(ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    EXPECT_EQ(m_model->opticalSensor().piezoSensitivity(), 40);
    EXPECT_EQ(m_model->opticalSensor().parity(), 0);
    m_model->PutPiezoSensitivity(1, 300);
    m_host.firing = 3;
    m_model->PutFiringPoint();
    EXPECT_EQ(m_model->opticalSensor().piezoSensitivity(), 300);
    EXPECT_EQ(m_model->opticalSensor().parity(), 1);
}

TEST_F(UsbSessionTest, SampleTheSensorMarksInvalidEndsTheAimingWithoutAPoint)
{
    m_host.settings[0].targetType = Target25m;
    auto& optical = m_script.plugOptical();
    make(ScriptedUsbBus::kOpticalPath, InterfaceClass::OpticalSensor);
    ASSERT_TRUE(m_model->Open()) << m_host.errorText;
    std::vector<Bytes> records;
    for (std::uint32_t i = 0; i < 5; ++i) {
        records.push_back(opticalRecord(i, 30.0F, 0.0F));
    }
    // Bright enough as a whole, but one quadrant is dark: the sensor calls the sample invalid.
    records.push_back(opticalRecord(5, 30.0F, 0.0F, 0, 4));
    records.push_back(opticalRecord(6, 30.0F, 0.0F));
    feed(optical, opticalReads(records));
    // The event's one shot is added as missed when the aiming concludes.
    EXPECT_EQ(takeLog(), (Log{"StartAiming", "NewCoordinates 4", "Shot", "ConcludeAiming"}));
    ASSERT_EQ(m_host.aimings.size(), 1U);
    EXPECT_EQ(testsupport::LoggingHost::points(*m_host.aimings[0]).size(), 4U);
}

TEST_F(UsbSessionTest, SensorUnpluggedMidPracticeIsReportedAndItsAimingConcluded)
{
    struct Case {
        const char* name;
        InterfaceClass cls;
    };
    for (const Case& c :
         {Case{"optical", InterfaceClass::OpticalSensor}, Case{"wireless", InterfaceClass::WirelessTarget}}) {
        SCOPED_TRACE(c.name);
        testsupport::LoggingHost host;
        host.settings[0].event = m_host.settings[0].event;
        ScriptedUsbBus script(host.clock());
        platform::usb::FakeUsbDevice* device = nullptr;
        std::vector<Bytes> reads;
        if (c.cls == InterfaceClass::OpticalSensor) {
            script.plugController();
            device = &script.plugOptical();
            std::vector<Bytes> records;
            for (std::uint32_t i = 0; i < 4; ++i) {
                records.push_back(opticalRecord(i, 400.0F, 0.0F));
            }
            reads = opticalReads(records);
        } else {
            device = &script.plugReceiver(1, 3);
            std::vector<Bytes> packets;
            for (std::uint8_t i = 0; i < 4; ++i) {
                packets.push_back(spotPacket(i, 0));
            }
            reads = {ScriptedUsbBus::receiverRead(packets)};
        }
        auto& clock = static_cast<platform::time::ManualClock&>(host.clock());
        CTalvoDeviceUSB model(host, script.bus,
                              c.cls == InterfaceClass::OpticalSensor ? ScriptedUsbBus::kOpticalPath
                                                                     : ScriptedUsbBus::kReceiverPath,
                              c.cls, [&clock](std::chrono::milliseconds d) { clock.advance(d); });
        ASSERT_TRUE(model.Open()) << host.errorText;
        for (const Bytes& read : reads) {
            ScriptedUsbBus::feed(*device, read);
        }
        QCoreApplication::sendPostedEvents();
        ASSERT_EQ(host.log.front(), "StartAiming");
        host.log.clear();

        device->unplug();
        for (int i = 0; i < 500 && host.log.empty(); ++i) {
            std::this_thread::sleep_for(2ms);
            QCoreApplication::sendPostedEvents();
        }
        // The event's one shot is added as missed by the conclusion.
        EXPECT_EQ(host.log, (Log{"Shot", "ConcludeAiming", "FinalConcludeAiming", "Disconnected"}));
        (void)model.Close();
    }
}

} // namespace
} // namespace talvolink
