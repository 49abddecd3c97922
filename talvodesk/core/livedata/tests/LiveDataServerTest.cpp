#include "talvodesk/core/livedata/LiveDataServer.h"

#include "talvodata/tests/support/FakeEvent.h"
#include "talvodata/tests/support/ShotBuilder.h"
#include "talvodata/tests/support/TraceBuilder.h"

#include "platform/com/Bstr.h"
#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace talvodesk {
namespace {

using platform::fs::testing::TemporaryFolder;
using Bytes = std::vector<std::uint8_t>;

/// An outside program's socket, written against the system calls alone. It asks the kernel to stamp each datagram
/// with the moment it was sent, so that a test can tell the order of datagrams sent to different clients.
class TestClient {
public:
    explicit TestClient(const std::filesystem::path& path) : m_path(path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = addressOf(path);
        EXPECT_EQ(0, ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
        const int on = 1;
        EXPECT_EQ(0, ::setsockopt(m_fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof(on)));
    }
    ~TestClient() { close(); }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    /// Sends "TALVO:REGISTER" with the mode to the program's socket.
    void registerAt(const std::filesystem::path& server, std::int32_t mode) const
    {
        const LiveDataDatagram datagram(LiveDataMessage::Register, static_cast<std::uint32_t>(mode), 0);
        const sockaddr_un address = addressOf(server);
        EXPECT_EQ(static_cast<ssize_t>(datagram.bytes().size()),
                  ::sendto(m_fd, datagram.bytes().data(), datagram.bytes().size(), 0,
                           reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
    }

    struct Received {
        std::int64_t sentAt;
        Bytes bytes;
    };
    /// Everything waiting, without blocking.
    std::vector<Received> drain() const
    {
        std::vector<Received> received;
        for (;;) {
            Bytes bytes(64);
            iovec part{bytes.data(), bytes.size()};
            alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
            msghdr message{};
            message.msg_iov = &part;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof(control);
            const ssize_t size = ::recvmsg(m_fd, &message, MSG_DONTWAIT);
            if (size < 0) {
                return received;
            }
            bytes.resize(static_cast<std::size_t>(size));
            timespec stamp{};
            const cmsghdr* header = CMSG_FIRSTHDR(&message);
            EXPECT_TRUE(header && header->cmsg_type == SCM_TIMESTAMPNS);
            if (header) {
                std::memcpy(&stamp, CMSG_DATA(header), sizeof(stamp));
            }
            received.push_back({stamp.tv_sec * 1000000000LL + stamp.tv_nsec, std::move(bytes)});
        }
    }

    /// Blocks until `count` datagrams came or `patience` passed, as a program reading on a thread of its own.
    std::vector<Bytes> read(std::size_t count, std::chrono::milliseconds patience) const
    {
        std::vector<Bytes> bytes;
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd watched{m_fd, POLLIN, 0};
            if (::poll(&watched, 1, 10) > 0) {
                for (auto& more : drainBytes()) {
                    bytes.push_back(std::move(more));
                }
            }
        }
        return bytes;
    }

    std::vector<Bytes> drainBytes() const
    {
        std::vector<Bytes> bytes;
        for (auto& one : drain()) {
            bytes.push_back(std::move(one.bytes));
        }
        return bytes;
    }

    /// The program ends without removing its socket file.
    void close()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    std::string address() const { return m_path.string(); }

private:
    static sockaddr_un addressOf(const std::filesystem::path& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        return address;
    }

    std::filesystem::path m_path;
    int m_fd = -1;
};

Bytes wire(std::string_view name, std::uint32_t wParam, std::uint32_t lParam)
{
    Bytes bytes(name.begin(), name.end());
    bytes.push_back(0);
    for (const std::uint32_t word : {wParam, lParam}) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
        }
    }
    return bytes;
}

// What the frame does when the server's descriptor turns readable, until `done` or five seconds passed.
template <typename Done> bool serveUntil(LiveDataServer& server, Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        pollfd watched{server.fd(), POLLIN, 0};
        if (::poll(&watched, 1, 10) > 0) {
            server.serve();
        }
    }
    return true;
}

// The datagrams of a batch: each sample's point, then its trigger reading.
std::vector<Bytes> pointsAndReadings(IAimingTrace& trace, LONG first, LONG count, LONG trigger)
{
    std::vector<Bytes> expected;
    for (LONG i = first; i < first + count; ++i) {
        float x = 0.0F;
        float y = 0.0F;
        LONG reading = 0;
        EXPECT_EQ(S_OK, trace.get_x(i, &x));
        EXPECT_EQ(S_OK, trace.get_y(i, &y));
        EXPECT_EQ(S_OK, trace.get_UserData(trigger, i, &reading));
        expected.push_back(wire("TALVO:POINT", 0, makeLong(toTwentieths(x), toTwentieths(y))));
        expected.push_back(wire("TALVO:TRIGGER", static_cast<std::uint32_t>(reading), 0));
    }
    return expected;
}

// A trace of `count` samples whose trigger reading is the sample's index.
platform::com::ComPtr<talvodata::CAimingTrace> traceWithReadings(int count, LONG& trigger)
{
    auto trace = talvodata::testsupport::TraceBuilder(200).samples(count).build();
    EXPECT_EQ(S_OK, trace->AddUserData(platform::com::Bstr("_trigger").get(), &trigger));
    for (LONG i = 0; i < count; ++i) {
        EXPECT_EQ(S_OK, trace->put_UserData(trigger, i, i));
    }
    return trace;
}

std::vector<std::string>& failuresLogged()
{
    static std::vector<std::string> logged;
    return logged;
}

class LiveDataServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto created = LiveDataServer::create(m_folder / "livedata");
        ASSERT_TRUE(created);
        m_server = std::move(*created);
    }

    std::unique_ptr<TestClient> client(const std::string& name, std::int32_t mode)
    {
        auto made = std::make_unique<TestClient>(m_folder / name);
        made->registerAt(m_folder / "livedata", mode);
        m_server->serve();
        return made;
    }

    TemporaryFolder m_folder;
    std::unique_ptr<LiveDataServer> m_server;
};

TEST(LiveDataMessageTest, PositionsAndResultsRoundAsTheProcessorDoes)
{
    const struct {
        float value;
        std::uint16_t twentieths;
    } positions[] = {
        {1.23f, 25},        // 24.6
        {-0.5f, 0xFFF6},    // -10
        {0.025f, 0},        // a tie after the single-precision step: 0.5 goes to even
        {0.075f, 2},        // 1.5
        {0.125f, 2},        // 2.5
        {1638.35f, 32767},  // the largest that fits
        {1638.4f, 0x8000},  // wraps
        {-1638.4f, 0x8000}, // the smallest that fits
        {1638.45f, 0x8001}, {3276.8f, 0}, {NAN, 0}, {3.0e9f, 0},
    };
    for (const auto& c : positions) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.twentieths, toTwentieths(c.value));
    }
    const struct {
        float result;
        std::int32_t tenths;
    } results[] = {{10.4f, 104}, {9.7f, 97}, {10.45f, 104}, {10.55f, 106}, {0.0f, 0}, {-1.25f, -12}};
    for (const auto& c : results) {
        SCOPED_TRACE(c.result);
        EXPECT_EQ(c.tenths, toTenths(c.result));
    }
    EXPECT_EQ(0xFFF60019u, makeLong(toTwentieths(1.23f), toTwentieths(-0.5f)));
}

TEST(LiveDataMessageTest, DatagramsAreNameNulAndTwoLittleEndianWords)
{
    const LiveDataDatagram point(LiveDataMessage::Point, 0, 0xFFF60019u);
    const Bytes expected{'T', 'A', 'L', 'V', 'O', ':', 'P', 'O', 'I', 'N', 'T', 0, 0, 0, 0, 0, 0x19, 0, 0xF6, 0xFF};
    EXPECT_EQ(expected, Bytes(point.bytes().begin(), point.bytes().end()));

    for (const auto message : {LiveDataMessage::Register, LiveDataMessage::State, LiveDataMessage::Point,
                               LiveDataMessage::Shot, LiveDataMessage::Trigger, LiveDataMessage::HeartBeat}) {
        const LiveDataDatagram datagram(message, 0x01020304u, 0xA0B0C0D0u);
        const auto packet = decodeLiveData(datagram.bytes());
        ASSERT_TRUE(packet);
        EXPECT_EQ(message, packet->message);
        EXPECT_EQ(0x01020304u, packet->wParam);
        EXPECT_EQ(0xA0B0C0D0u, packet->lParam);
    }
    Bytes longer = wire("TALVO:STATE", 1, 0);
    longer.push_back(0);
    for (const auto& bad : {longer, Bytes(longer.begin(), longer.end() - 2), wire("TALVO:STATES", 1, 0), Bytes{}}) {
        EXPECT_FALSE(decodeLiveData(bad));
    }
}

TEST_F(LiveDataServerTest, RegistrationsKeepOneEntryPerClientInAddressOrder)
{
    const auto b = client("b", 1);
    const auto a = client("a", 1);
    a->registerAt(m_folder / "livedata", 3);
    b->registerAt(m_folder / "livedata", 0);
    const auto never = std::make_unique<TestClient>(m_folder / "never");
    never->registerAt(m_folder / "livedata", 0);
    m_server->serve();
    EXPECT_EQ((std::vector<std::pair<std::string, LONG>>{{a->address(), 3}}), m_server->clients());

    m_server->registerClient(b->address(), -7);
    m_server->registerClient((m_folder / "nobody").string(), 1);
    EXPECT_EQ((std::vector<std::pair<std::string, LONG>>{{a->address(), 3}, {b->address(), -7}}), m_server->clients());
}

TEST_F(LiveDataServerTest, ClientsReceiveTheirMessagesInClientOrderWithExactBytes)
{
    const auto everyPoint = client("a", 3);
    const auto statesOnly = client("b", 1);
    auto trace =
        talvodata::testsupport::TraceBuilder(200).samples(118).point(123, -50).invalid().point(-163840, 0).build();
    LONG trigger = 0;
    ASSERT_EQ(S_OK, trace->AddUserData(platform::com::Bstr("_trigger").get(), &trigger));
    ASSERT_EQ(S_OK, trace->put_UserData(trigger, 118, 1));
    ASSERT_EQ(S_OK, trace->put_UserData(trigger, 120, -2));
    auto event = platform::com::makeComObject<talvodata::testing::FakeEvent>();
    auto shot = talvodata::testing::ShotBuilder(event.get()).result(9.7f).build();

    m_server->PostState(1);
    m_server->PostState(2);
    m_server->PostPoints(trace.get(), 3);
    m_server->PostShot(shot.get());
    m_server->PostHeartBeat();
    m_server->PostState(5);

    std::vector<std::pair<char, Bytes>> merged;
    std::vector<std::pair<std::int64_t, std::pair<char, Bytes>>> stamped;
    for (const auto& [name, socket] : {std::pair{'a', everyPoint.get()}, std::pair{'b', statesOnly.get()}}) {
        for (auto& received : socket->drain()) {
            stamped.push_back({received.sentAt, {name, std::move(received.bytes)}});
        }
    }
    std::stable_sort(stamped.begin(), stamped.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    for (auto& one : stamped) {
        merged.push_back(std::move(one.second));
    }
    const Bytes shotBytes = wire("TALVO:SHOT", 97, makeLong(194, 0));
    const std::vector<std::pair<char, Bytes>> expected{
        {'a', wire("TALVO:STATE", 1, 0)},
        {'a', wire("TALVO:STATE", 2, 0)},
        {'b', wire("TALVO:STATE", 1, 0)},
        {'b', wire("TALVO:STATE", 2, 0)},
        {'a', wire("TALVO:POINT", 0, makeLong(25, 0xFFF6))}, // index 118; 119 is invalid
        {'a', wire("TALVO:TRIGGER", 1, 0)},
        {'a', wire("TALVO:POINT", 0, makeLong(0x8000, 0))}, // -1638.4 mm
        {'a', wire("TALVO:TRIGGER", 0xFFFFFFFEu, 0)},
        {'a', shotBytes},
        {'b', shotBytes},
        {'a', wire("TALVO:HEARTBEAT", 0, 0)},
        {'b', wire("TALVO:HEARTBEAT", 0, 0)},
        {'a', wire("TALVO:STATE", 5, 0)},
        {'b', wire("TALVO:STATE", 5, 0)},
    };
    EXPECT_EQ(expected, merged);
}

TEST_F(LiveDataServerTest, PointBatchesStartAtTheFirstReadableSample)
{
    const auto everyPoint = client("a", 3);
    auto trace = talvodata::testsupport::TraceBuilder(200).point(20, 0).point(40, 0).build();
    const struct {
        long count;
        std::vector<Bytes> expected;
    } cases[] = {
        {1, {wire("TALVO:POINT", 0, 8)}},
        {2, {wire("TALVO:POINT", 0, 4), wire("TALVO:POINT", 0, 8)}},
        {5, {wire("TALVO:POINT", 0, 4), wire("TALVO:POINT", 0, 8)}},
        {0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        m_server->PostPoints(trace.get(), c.count);
        EXPECT_EQ(c.expected, everyPoint->drainBytes()) << "no trigger readings without \"_trigger\" data";
    }
}

TEST_F(LiveDataServerTest, AClientWhoseSocketIsGoneIsDropped)
{
    auto closed = client("a", 1);
    auto closedAndRemoved = client("b", 1);
    const auto alive = client("c", 1);
    closed->close();
    closedAndRemoved->close();
    std::filesystem::remove(m_folder / "b");
    m_server->PostHeartBeat();
    EXPECT_EQ((std::vector<std::pair<std::string, LONG>>{{alive->address(), 1}}), m_server->clients());
    EXPECT_EQ(std::vector<Bytes>{wire("TALVO:HEARTBEAT", 0, 0)}, alive->drainBytes());
}

TEST_F(LiveDataServerTest, AClientThatNeverReadsBlocksNeitherTheProgramNorOtherClients)
{
    const auto stuck = client("a", 3);
    const auto reading = client("b", 3);
    auto trace = talvodata::testsupport::TraceBuilder(200).samples(10).build();
    for (int batch = 0; batch < 100; ++batch) {
        m_server->PostPoints(trace.get(), 10);
        EXPECT_EQ(10u, reading->drainBytes().size());
    }
    EXPECT_EQ(2u, m_server->clients().size()) << "a full queue keeps its client";
    EXPECT_FALSE(stuck->drainBytes().empty());
}

TEST_F(LiveDataServerTest, BatchOf200PointsReachesAClientReadingOnItsOwnThreadCompleteAndInOrder)
{
    const auto reading = client("a", 3);
    LONG trigger = 0;
    auto trace = traceWithReadings(200, trigger);
    const std::vector<Bytes> expected = pointsAndReadings(*trace, 0, 200, trigger);
    std::atomic<bool> done{false};
    std::vector<Bytes> received;
    std::thread reader([&] {
        received = reading->read(expected.size(), std::chrono::seconds(5));
        done = true;
    });
    m_server->PostPoints(trace.get(), 200);
    EXPECT_TRUE(serveUntil(*m_server, [&] { return done.load(); }));
    reader.join();
    ASSERT_EQ(expected.size(), received.size());
    EXPECT_TRUE(expected == received) << "in order";
}

TEST_F(LiveDataServerTest, AClientThatStopsReadingLosesOnlyItsOwnOldestMessages)
{
    const auto stuck = client("a", 3);
    const auto reading = client("b", 3);
    LONG trigger = 0;
    auto trace = traceWithReadings(50, trigger);
    const std::vector<Bytes> batch = pointsAndReadings(*trace, 0, 50, trigger);
    constexpr int kBatches = 60; // far more than the stuck client's queue holds
    static_assert(kBatches * 100 > LiveDataServer::kClientQueueLimit + 100);
    for (int i = 0; i < kBatches; ++i) {
        m_server->PostPoints(trace.get(), 50);
        std::vector<Bytes> got;
        EXPECT_TRUE(serveUntil(*m_server, [&] {
            for (auto& more : reading->drainBytes()) {
                got.push_back(std::move(more));
            }
            return got.size() >= batch.size();
        }));
        ASSERT_EQ(batch.size(), got.size()) << "batch " << i;
        ASSERT_TRUE(batch == got) << "batch " << i;
    }
    EXPECT_EQ(2U, m_server->clients().size());

    // Reading at last, the stuck client finds what its socket held, then the newest of its queue: the oldest of
    // the rest were let go.
    std::vector<Bytes> late = stuck->drainBytes();
    const std::size_t early = late.size();
    EXPECT_TRUE(serveUntil(*m_server, [&] {
        for (auto& more : stuck->drainBytes()) {
            late.push_back(std::move(more));
        }
        return late.size() >= early + LiveDataServer::kClientQueueLimit;
    }));
    ASSERT_EQ(early + LiveDataServer::kClientQueueLimit, late.size());
    EXPECT_TRUE(std::equal(late.begin(), late.begin() + static_cast<std::ptrdiff_t>(early), batch.begin()));
    EXPECT_EQ(batch.back(), late.back());
    EXPECT_TRUE(stuck->drainBytes().empty());
}

TEST_F(LiveDataServerTest, ARegistrationBeyondTheClientLimitIsRefusedAndLogged)
{
    failuresLogged().clear();
    platform::setFailureLogger([](const platform::Error& error) { failuresLogged().push_back(error.detail); });
    std::vector<std::unique_ptr<TestClient>> clients;
    for (std::size_t i = 0; i <= LiveDataServer::kMaxClients; ++i) {
        clients.push_back(client("c" + std::to_string(100 + i), 1));
    }
    platform::setFailureLogger(nullptr);
    const auto table = m_server->clients();
    EXPECT_EQ(LiveDataServer::kMaxClients, table.size());
    EXPECT_EQ(table.back().first, clients[LiveDataServer::kMaxClients - 1]->address());
    ASSERT_EQ(1U, failuresLogged().size());
    EXPECT_NE(std::string::npos, failuresLogged()[0].find(clients.back()->address()));

    // A registered client may still change its mode, and one that leaves makes room.
    m_server->registerClient(clients[0]->address(), 3);
    m_server->registerClient(clients[1]->address(), 0);
    m_server->registerClient(clients.back()->address(), 1);
    EXPECT_EQ(LiveDataServer::kMaxClients, m_server->clients().size());
    EXPECT_EQ(3, m_server->clients().front().second);
}

TEST_F(LiveDataServerTest, ClientsThatVanishWhileIdleMakeRoomAndARefusalIsLoggedOncePerClient)
{
    failuresLogged().clear();
    platform::setFailureLogger([](const platform::Error& error) { failuresLogged().push_back(error.detail); });
    // A burst of registrations, then every one of those programs ends; no practice runs, nothing is posted.
    std::vector<std::unique_ptr<TestClient>> vanished;
    for (std::size_t i = 0; i < LiveDataServer::kMaxClients; ++i) {
        vanished.push_back(client("v" + std::to_string(100 + i), 1));
    }
    ASSERT_EQ(LiveDataServer::kMaxClients, m_server->clients().size());
    for (std::size_t i = 0; i < vanished.size(); ++i) {
        vanished[i]->close();
        if (i % 2 == 0) {
            std::filesystem::remove(m_folder / ("v" + std::to_string(100 + i)));
        }
    }
    const auto newcomer = client("new", 1);
    EXPECT_EQ((std::vector<std::pair<std::string, LONG>>{{newcomer->address(), 1}}), m_server->clients());
    m_server->PostHeartBeat();
    EXPECT_EQ(std::vector<Bytes>{wire("TALVO:HEARTBEAT", 0, 0)}, newcomer->drainBytes());
    EXPECT_TRUE(failuresLogged().empty());

    // With the table full of clients that live, a newcomer that keeps asking is refused, and logged once.
    std::vector<std::unique_ptr<TestClient>> alive;
    for (std::size_t i = 1; i < LiveDataServer::kMaxClients; ++i) {
        alive.push_back(client("a" + std::to_string(100 + i), 1));
    }
    const auto refused = std::make_unique<TestClient>(m_folder / "refused");
    const auto other = std::make_unique<TestClient>(m_folder / "other");
    for (int k = 0; k < 50; ++k) {
        refused->registerAt(m_folder / "livedata", 1);
        other->registerAt(m_folder / "livedata", 1);
        m_server->serve();
    }
    platform::setFailureLogger(nullptr);
    EXPECT_EQ(LiveDataServer::kMaxClients, m_server->clients().size());
    ASSERT_EQ(2U, failuresLogged().size());
    EXPECT_NE(std::string::npos, failuresLogged()[0].find(refused->address()));
    EXPECT_NE(std::string::npos, failuresLogged()[1].find(other->address()));
}

} // namespace
} // namespace talvodesk
