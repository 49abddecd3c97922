#include "talvolink/tests/support/ControlFixture.h"

#include "talvolink/DeviceModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <thread>

namespace talvolink {
namespace {

using ::testing::ElementsAre;
using testsupport::makeRecord;

testsupport::TestDeviceFactory::Settings scripted(int records)
{
    testsupport::TestDeviceFactory::Settings settings;
    settings.script.assign(static_cast<std::size_t>(records), makeRecord(0));
    return settings;
}

class DeviceModelTest : public testsupport::ControlFixture {
protected:
    void SetUp() override
    {
        makeControl();
        connect();
    }

    LONG stat(HRESULT (ITalvoDevice::*getter)(LONG*))
    {
        LONG value = -1;
        EXPECT_EQ(S_OK, (m_control.get()->*getter)(&value));
        return value;
    }
};

TEST_F(DeviceModelTest, SkippedRecordsAreCountedBySequenceNumber)
{
    struct Case {
        std::vector<int> sequence;
        LONG skipped;
    };
    const Case cases[] = {
        {{254, 255, 0, 1}, 0}, // 255 to 0 wraps: 0 - 255 - 1 + 256.
        {{3, 7}, 3},
        {{5, 5}, -1}, // A repeated number lowers the count.
        {{10, 9}, 254},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.sequence));
        makeControl();
        connect();
        std::vector<DeviceRecord> records;
        for (const int number : c.sequence) {
            records.push_back(makeRecord(0, 0, 0, 0, number));
        }
        feed(records);
        EXPECT_EQ(c.skipped, stat(&ITalvoDevice::get_StatTotalSkipped));
        EXPECT_EQ(static_cast<LONG>(c.sequence.size()), stat(&ITalvoDevice::get_StatTotalReceived));
    }
}

TEST_F(DeviceModelTest, RecordsOfFourReaderThreadsAreDrainedInOrder)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 240; // 960 fit the ring of 5 x 200 records, so no reader stalls.
    std::array<std::thread, kThreads> readers;
    for (int t = 0; t < kThreads; ++t) {
        readers[static_cast<std::size_t>(t)] = std::thread([this, t] {
            for (int i = 0; i < kPerThread; ++i) {
                model().QueueRecord(makeRecord(0, 0, t, i));
            }
        });
    }
    // Drain while the readers still queue.
    while (model().processed().size() < static_cast<std::size_t>(kThreads * kPerThread)) {
        deliverPosted();
    }
    for (std::thread& reader : readers) {
        reader.join();
    }
    deliverPosted();

    std::array<int, kThreads> next{};
    for (const DeviceRecord& record : model().processed()) {
        const int reader = record.x; // Copies: the record is packed.
        const int index = record.y;
        ASSERT_EQ(next[static_cast<std::size_t>(reader)], index) << "reader " << reader;
        ++next[static_cast<std::size_t>(reader)];
    }
    EXPECT_THAT(next, ElementsAre(kPerThread, kPerThread, kPerThread, kPerThread));
    EXPECT_EQ(kThreads * kPerThread, stat(&ITalvoDevice::get_StatTotalReceived));
}

TEST_F(DeviceModelTest, RecordQueuedWhileABatchIsProcessedBringsItsOwnDrain)
{
    bool queuedInside = false;
    m_recorder->hook = [&](const testsupport::ReceivedEvent& event) {
        if (event.dispId == DISPID_TALVODEVICEEVENTS_STARTAIMING && !queuedInside) {
            queuedInside = true;
            model().QueueRecord(makeRecord(78));
        }
    };
    feed({makeRecord(0), makeRecord(78)});
    deliverPosted();

    ASSERT_TRUE(queuedInside);
    EXPECT_EQ(3u, model().processed().size()) << "no record waits for the next packet";
}

TEST_F(DeviceModelTest, FullRingStallsTheReaderForOneSecondThenDropsTheRecord)
{
    makeControl();
    ASSERT_EQ(S_OK, m_control->put_SampleRate(20)); // A ring of 100 records holds 99.
    connect();
    for (int i = 0; i < 99; ++i) {
        model().QueueRecord(makeRecord(0, 0, 0, i));
    }
    std::thread reader([this] { model().QueueRecord(makeRecord(0, 0, 0, 99)); });
    for (int step = 0; step < 20; ++step) {
        m_clock.awaitWaiters(1); // The reader waits for room in 50 ms steps.
        m_clock.advance(std::chrono::milliseconds(50));
    }
    reader.join();
    deliverPosted();

    EXPECT_EQ(99, stat(&ITalvoDevice::get_StatTotalReceived));
    const int lastIndex = model().processed().back().y;
    EXPECT_EQ(98, lastIndex);
}

TEST_F(DeviceModelTest, StalledReaderGetsRoomOnceTheRingIsDrained)
{
    makeControl();
    ASSERT_EQ(S_OK, m_control->put_SampleRate(20));
    connect();
    for (int i = 0; i < 99; ++i) {
        model().QueueRecord(makeRecord(0, 0, 0, i));
    }
    std::thread reader([this] { model().QueueRecord(makeRecord(0, 0, 0, 99)); });
    m_clock.awaitWaiters(1);
    deliverPosted(); // The drain makes room while the reader waits.
    m_clock.advance(std::chrono::milliseconds(50));
    reader.join();
    deliverPosted();

    EXPECT_EQ(100, stat(&ITalvoDevice::get_StatTotalReceived));
}

TEST_F(DeviceModelTest, ClosingWhileTheReaderRunsLeavesNoThread)
{
    makeControl(scripted(50));
    connect();
    const auto finished = model().readerFinished();
    const auto queued = model().readerQueued();
    for (int i = 1; i <= 10; ++i) {
        m_clock.awaitWaiters(1);
        m_clock.advance(std::chrono::milliseconds(5)); // One sample period at 200 per second.
        while (queued->load() < i) {
            std::this_thread::yield(); // The reader runs on its own; its progress is the condition.
        }
    }
    EXPECT_EQ(10, queued->load());

    ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
    EXPECT_TRUE(finished->load()) << "Close joined the reader";
}

TEST_F(DeviceModelTest, ClosingReleasesAReaderStalledOnAFullRing)
{
    makeControl(scripted(150));
    ASSERT_EQ(S_OK, m_control->put_SampleRate(20));
    connect();
    const auto finished = model().readerFinished();
    const auto queued = model().readerQueued();
    while (queued->load() < 99) {
        m_clock.awaitWaiters(1);
        m_clock.advance(std::chrono::milliseconds(50));
    }
    m_clock.awaitWaiters(1);
    m_clock.advance(std::chrono::milliseconds(50)); // The 100th finds the ring full.
    m_clock.awaitWaiters(1);

    ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
    EXPECT_TRUE(finished->load());
}

TEST_F(DeviceModelTest, SinkThatDisconnectsDuringADrainEndsIt)
{
    m_recorder->hook = [this](const testsupport::ReceivedEvent& event) {
        if (event.dispId == DISPID_TALVODEVICEEVENTS_SHOT) {
            EXPECT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));
        }
    };
    std::vector<DeviceRecord> records(3, makeRecord(0));
    records.insert(records.end(), 6, makeRecord(78));
    records.push_back(makeRecord(78, 40));
    records.insert(records.end(), 20, makeRecord(78));
    feed(records);

    // The sink that disconnected hears nothing more, not even the conclusion that closing makes.
    EXPECT_THAT(m_recorder->sequence(),
                ElementsAre(DISPID_TALVODEVICEEVENTS_STARTAIMING, DISPID_TALVODEVICEEVENTS_NEWCOORDINATES,
                            DISPID_TALVODEVICEEVENTS_SHOT));
    VARIANT_BOOL connected = VARIANT_TRUE;
    ASSERT_EQ(S_OK, m_control->get_Connected(&connected));
    EXPECT_EQ(VARIANT_FALSE, connected);
    EXPECT_EQ(0, factory()->openPorts());
}

TEST_F(DeviceModelTest, SinkThatReleasesTheControlDuringADrainIsSafe)
{
    const auto ports = factory()->openPortCounter();
    m_recorder->hook = [this](const testsupport::ReceivedEvent& event) {
        if (event.dispId == DISPID_TALVODEVICEEVENTS_STARTAIMING) {
            m_control = nullptr; // The drain keeps the control until it ends.
        }
    };
    feed({makeRecord(0), makeRecord(78), makeRecord(78)});

    EXPECT_EQ(0, ports->load()) << "the control went once the drain ended, and closed its device";
}

TEST_F(DeviceModelTest, LineMessagesBecomeEventsOnTheControlsThread)
{
    std::thread reader([this] {
        model().postDeviceMessage(DeviceMessage::Disconnected);
        model().postDeviceMessage(DeviceMessage::Timeout, 3);
        model().postDeviceMessage(DeviceMessage::Reconnect); // The scripted sensor cannot be identified again.
    });
    reader.join();
    deliverPosted();

    EXPECT_THAT(m_recorder->sequence(),
                ElementsAre(DISPID_TALVODEVICEEVENTS_DISCONNECTED, DISPID_TALVODEVICEEVENTS_TIMEOUT));
    EXPECT_EQ(3, m_recorder->events.at(1).intArgument(0));
}

TEST_F(DeviceModelTest, ReconnectionRestartsTheSensorWhenItIsTheSameOne)
{
    feed({makeRecord(0, 0, 0, 0, 7)});
    model().setLineUp(false);
    model().postDeviceMessage(DeviceMessage::Reconnect);
    deliverPosted();
    EXPECT_TRUE(m_recorder->sequence().empty()) << "a sensor that is not identified again stays down";
    EXPECT_FALSE(model().lineUp());

    model().setIdentifiesAgain(true);
    model().postDeviceMessage(DeviceMessage::Reconnect);
    model().postDeviceMessage(DeviceMessage::Reconnect); // Rounds pile up while the lines were down.
    deliverPosted();
    EXPECT_THAT(m_recorder->sequence(), ElementsAre(DISPID_TALVODEVICEEVENTS_RECONNECTED));
    EXPECT_TRUE(model().lineUp());

    feed({makeRecord(0, 0, 0, 0, 200)});
    EXPECT_EQ(0, stat(&ITalvoDevice::get_StatTotalSkipped)) << "sequence numbers start over";
}

TEST_F(DeviceModelTest, CommandsCarryTheComplementOfTheirSum)
{
    model().BeginCommand(13);
    for (int i = 1; i < 127; ++i) {
        ASSERT_TRUE(model().AddCommandByte(0));
    }
    EXPECT_FALSE(model().AddCommandByte(0)) << "127 bytes at most";
}

} // namespace
} // namespace talvolink
