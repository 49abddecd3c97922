#include "platform/ui/MessageWindow.h"

#include "platform/kernel/Event.h"
#include "platform/kernel/Thread.h"
#include "platform/testing/EventPump.h"
#include "platform/testing/Matchers.h"

#include <QCoreApplication>

#include <atomic>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

namespace platform::ui {
namespace {

using namespace std::chrono_literals;
using kernel::Event;
using kernel::EventReset;
using kernel::Thread;
using platform::testing::pumpUntil;

constexpr UINT kDrain = 0x7FFF;
constexpr UINT kOther = 0x8000;
constexpr auto kBound = 30s;

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};

// Delivers everything already queued for the window.
void deliverQueued(MessageWindow& window)
{
    QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
}

std::unique_ptr<Thread> startThread(Thread::Body body)
{
    auto thread = Thread::start(std::move(body));
    EXPECT_THAT(thread, IsOk());
    return thread ? std::move(thread).value() : nullptr;
}

TEST(MessageWindowTest, PostsFromManyThreadsArriveInOrderOnTheOwnerThread)
{
    constexpr int kThreads = 4;
    constexpr int kPostsPerThread = 500;
    MessageWindow window;
    const std::thread::id owner = std::this_thread::get_id();
    int received = 0;
    int offThread = 0;
    std::vector<LPARAM> lastSequence(kThreads, -1);
    int outOfOrder = 0;
    window.setHandler(kDrain, [&](WPARAM poster, LPARAM sequence) {
        ++received;
        offThread += std::this_thread::get_id() != owner;
        outOfOrder += sequence != lastSequence.at(poster) + 1;
        lastSequence.at(poster) = sequence;
    });

    std::vector<std::unique_ptr<Thread>> posters;
    for (WPARAM poster = 0; poster < kThreads; ++poster) {
        posters.push_back(startThread([&window, poster](Event&) {
            for (LPARAM sequence = 0; sequence < kPostsPerThread; ++sequence) {
                window.post(kDrain, poster, sequence);
            }
        }));
    }
    ASSERT_TRUE(pumpUntil([&] { return received == kThreads * kPostsPerThread; }));
    posters.clear();

    EXPECT_EQ(0, offThread);
    EXPECT_EQ(0, outOfOrder);
    EXPECT_EQ(std::vector<LPARAM>(kThreads, kPostsPerThread - 1), lastSequence);
}

TEST(MessageWindowTest, PostOnceCoalescesABurstPerMessageNumber)
{
    MessageWindow window;
    std::vector<Received> received;
    for (const UINT message : {kDrain, kOther}) {
        window.setHandler(message, [&received, message](WPARAM w, LPARAM l) { received.push_back({message, w, l}); });
    }

    int posted = 0;
    {
        auto burst = startThread([&](Event&) {
            for (int i = 0; i < 1000; ++i) {
                posted += window.postOnce(kDrain, 1, 0);
            }
            posted += window.postOnce(kOther, 1, 0);
            // A plain post of the same number neither waits for nor clears the pending mark.
            window.post(kDrain, 2, 7);
            posted += window.postOnce(kDrain, 1, 0);
        });
    }
    EXPECT_EQ(2, posted);
    deliverQueued(window);
    EXPECT_EQ((std::vector<Received>{{kDrain, 1, 0}, {kOther, 1, 0}, {kDrain, 2, 7}}), received);

    // Taken, so the next burst posts again.
    EXPECT_TRUE(window.postOnce(kDrain, 1, 0));
    EXPECT_FALSE(window.postOnce(kDrain, 1, 0));
    deliverQueued(window);
    EXPECT_EQ(4u, received.size());
}

TEST(MessageWindowTest, PostOnceMadeWhileTheHandlerWorksIsDeliveredAfterIt)
{
    MessageWindow window;
    Event handlerRunning(EventReset::Manual);
    Event posterDone(EventReset::Manual);
    int deliveries = 0;
    bool repostAccepted = false;
    window.setHandler(kDrain, [&](WPARAM, LPARAM) {
        if (++deliveries == 1) {
            handlerRunning.set();
            EXPECT_TRUE(posterDone.wait(kBound));
        }
    });

    ASSERT_TRUE(window.postOnce(kDrain, 1, 0));
    auto poster = startThread([&](Event&) {
        if (handlerRunning.wait(kBound)) {
            repostAccepted = window.postOnce(kDrain, 1, 0);
        }
        posterDone.set();
    });
    ASSERT_TRUE(pumpUntil([&] { return deliveries == 2; }));
    poster.reset();
    EXPECT_TRUE(repostAccepted);
}

TEST(MessageWindowTest, ProducerWithACoalescedDrainLosesNoRecord)
{
    // The device model's shape: records queued under a lock by a reader, one drain message at a time.
    constexpr int kRecords = 20000;
    MessageWindow window;
    kernel::Mutex mutex;
    std::deque<int> queue;
    std::vector<int> drained;
    window.setHandler(kDrain, [&](WPARAM, LPARAM) {
        std::deque<int> batch;
        {
            kernel::LockGuard guard(mutex);
            batch.swap(queue);
        }
        drained.insert(drained.end(), batch.begin(), batch.end());
    });

    auto reader = startThread([&](Event&) {
        for (int record = 0; record < kRecords; ++record) {
            {
                kernel::LockGuard guard(mutex);
                queue.push_back(record);
            }
            (void)window.postOnce(kDrain, 1, 0);
        }
    });
    ASSERT_TRUE(pumpUntil([&] { return drained.size() == kRecords; }));
    reader.reset();
    for (int record = 0; record < kRecords; ++record) {
        ASSERT_EQ(record, drained[record]);
    }
}

TEST(MessageWindowTest, MessagesWithoutAHandlerAreDroppedAndReleaseTheirPendingMark)
{
    MessageWindow window;
    EXPECT_TRUE(window.postOnce(kDrain, 1, 0));
    window.post(kDrain, 2, 0);
    deliverQueued(window);

    int received = 0;
    window.setHandler(kDrain, [&](WPARAM, LPARAM) { ++received; });
    EXPECT_TRUE(window.postOnce(kDrain, 1, 0));
    deliverQueued(window);
    EXPECT_EQ(1, received);

    window.setHandler(kDrain, nullptr);
    window.post(kDrain, 1, 0);
    deliverQueued(window);
    EXPECT_EQ(1, received);
}

TEST(MessageWindowTest, DestroyingTheWindowDropsQueuedMessages)
{
    int received = 0;
    auto window = std::make_unique<MessageWindow>();
    window->setHandler(kDrain, [&](WPARAM, LPARAM) { ++received; });
    window->setTimerHandler([&](std::uintptr_t) { ++received; });
    window->setTimer(1, 0ms);
    {
        auto poster = startThread([&](Event&) {
            for (int i = 0; i < 100; ++i) {
                window->post(kDrain, 1, i);
            }
            (void)window->postOnce(kDrain, 1, 0);
        });
    }
    window.reset();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(0, received);
}

TEST(MessageWindowTest, HandlerMayDestroyItsWindow)
{
    int received = 0;
    auto window = std::make_unique<MessageWindow>();
    window->setHandler(kDrain, [&](WPARAM, LPARAM) {
        ++received;
        window.reset();
    });
    for (int i = 0; i < 10; ++i) {
        window->post(kDrain, 1, i);
    }
    ASSERT_TRUE(pumpUntil([&] { return window == nullptr; }));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(1, received);
}

TEST(MessageWindowTest, TimersFireWithTheirIdUntilKilled)
{
    MessageWindow window;
    int firstTimer = 0;
    int secondTimer = 0;
    window.setTimerHandler([&](std::uintptr_t timerId) {
        if (timerId == 7 && ++firstTimer == 3) {
            // Killed from its own callback; the other timer keeps the loop turning.
            EXPECT_TRUE(window.killTimer(7));
            window.setTimer(8, 0ms);
        }
        if (timerId == 8) {
            ++secondTimer;
        }
    });
    window.setTimer(7, 0ms);
    ASSERT_TRUE(pumpUntil([&] { return secondTimer == 20; }));
    EXPECT_TRUE(window.killTimer(8));
    EXPECT_EQ(3, firstTimer);
}

TEST(MessageWindowTest, KillingATimerThatDoesNotRunFails)
{
    MessageWindow window;
    EXPECT_FALSE(window.killTimer(1));
    window.setTimer(1, 1h);
    window.setTimer(1, 2h);
    EXPECT_TRUE(window.killTimer(1));
    EXPECT_FALSE(window.killTimer(1));
}

TEST(MessageWindowTest, TimerCallbackMayDestroyItsWindow)
{
    int fired = 0;
    auto window = std::make_unique<MessageWindow>();
    window->setTimerHandler([&](std::uintptr_t) {
        ++fired;
        window.reset();
    });
    window->setTimer(3, 0ms);
    window->setTimer(4, 0ms);
    ASSERT_TRUE(pumpUntil([&] { return window == nullptr; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(1, fired);
}

} // namespace
} // namespace platform::ui
