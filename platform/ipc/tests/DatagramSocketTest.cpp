#include "platform/ipc/DatagramSocket.h"

#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::ipc {
namespace {

const std::vector<std::uint8_t> kBytes{1, 2, 3};

TEST(DatagramSocketTest, DatagramsCarryTheirBytesAndSender)
{
    fs::testing::TemporaryFolder folder;
    auto receiver = DatagramSocket::bind(folder / "receiver");
    auto sender = DatagramSocket::bindAnonymous();
    ASSERT_TRUE(receiver && sender);
    EXPECT_FALSE((*receiver)->receive());

    ASSERT_EQ(SendResult::Sent, (*sender)->sendTo((*receiver)->address(), kBytes));
    const auto datagram = (*receiver)->receive();
    ASSERT_TRUE(datagram);
    EXPECT_EQ(kBytes, datagram->bytes);
    EXPECT_EQ((*sender)->address(), datagram->sender);
    EXPECT_EQ('\0', datagram->sender.front());

    ASSERT_EQ(SendResult::Sent, (*sender)->sendTo((*receiver)->address(), std::vector<std::uint8_t>(300, 7)));
    EXPECT_EQ(256u, (*receiver)->receive()->bytes.size());
}

TEST(DatagramSocketTest, SendTellsAFullQueueFromAGonePeer)
{
    fs::testing::TemporaryFolder folder;
    auto receiver = DatagramSocket::bind(folder / "receiver");
    ASSERT_TRUE(receiver);
    auto toReceiver = DatagramSocket::connect((*receiver)->address());
    ASSERT_TRUE(toReceiver);

    SendResult result = SendResult::Sent;
    int sent = 0;
    while (result == SendResult::Sent && sent < 100000) {
        result = (*toReceiver)->send(kBytes);
        ++sent;
    }
    EXPECT_EQ(SendResult::Busy, result) << "never blocks, and a queue that is not read fills up";
    ASSERT_TRUE((*receiver)->receive());
    EXPECT_EQ(SendResult::Sent, (*toReceiver)->send(kBytes)) << "one read makes room again";

    receiver->reset();
    EXPECT_FALSE(std::filesystem::exists(folder / "receiver"));
    EXPECT_EQ(SendResult::Gone, (*toReceiver)->send(kBytes));
    EXPECT_FALSE(DatagramSocket::connect((folder / "receiver").string()));
}

TEST(DatagramSocketTest, BindReplacesOnlyAStaleSocketFile)
{
    fs::testing::TemporaryFolder folder;
    const auto path = folder / "socket";
    // A program that ended without removing its socket file leaves one nobody receives on.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const int ended = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_EQ(0, ::bind(ended, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
    ::close(ended);
    ASSERT_TRUE(std::filesystem::exists(path));

    auto running = DatagramSocket::bind(path);
    ASSERT_TRUE(running);
    EXPECT_EQ(E_ACCESSDENIED, DatagramSocket::bind(path).code());
    EXPECT_TRUE(DatagramSocket::connect(path.string())) << "the running program's socket stays";
}

} // namespace
} // namespace platform::ipc
