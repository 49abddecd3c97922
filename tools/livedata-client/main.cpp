// Registers with the running program for live data and prints each message it receives, one a line, until
// interrupted; then it unregisters. Usage: livedata-client [mode [program socket]]. Mode 3 (the default) also
// receives every trace point and trigger reading; any other non-zero mode only states, shots and heart beats.
#include "talvodesk/core/livedata/LiveDataMessage.h"
#include "talvodesk/core/livedata/LiveDataServer.h"

#include "platform/ipc/DatagramSocket.h"
#include "platform/text/Number.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <poll.h>
#include <string>

namespace {

volatile std::sig_atomic_t s_interrupted = 0;

void interrupt(int)
{
    s_interrupted = 1;
}

void print(const talvodesk::LiveDataPacket& packet)
{
    const std::string name(talvodesk::liveDataMessageName(packet.message));
    const auto word = [](std::uint32_t value) { return static_cast<int>(static_cast<std::int16_t>(value)); };
    if (packet.message == talvodesk::LiveDataMessage::Point) {
        std::printf("%s x=%d y=%d\n", name.c_str(), word(packet.lParam), word(packet.lParam >> 16));
    } else if (packet.message == talvodesk::LiveDataMessage::Shot) {
        std::printf("%s result=%d x=%d y=%d\n", name.c_str(), static_cast<std::int32_t>(packet.wParam),
                    word(packet.lParam), word(packet.lParam >> 16));
    } else {
        std::printf("%s %d\n", name.c_str(), static_cast<std::int32_t>(packet.wParam));
    }
    std::fflush(stdout);
}

bool sendRegister(platform::ipc::DatagramSocket& socket, const std::string& program, std::int32_t mode)
{
    const talvodesk::LiveDataDatagram datagram(talvodesk::LiveDataMessage::Register, static_cast<std::uint32_t>(mode),
                                               0);
    return socket.sendTo(program, datagram.bytes()) == platform::ipc::SendResult::Sent;
}

} // namespace

int main(int argc, char** argv)
{
    const auto mode = argc > 1 ? platform::text::parseInteger(argv[1]) : std::optional<std::int64_t>(3);
    if (argc > 3 || !mode || *mode == 0 || *mode < INT32_MIN || *mode > INT32_MAX) {
        std::fprintf(stderr, "usage: livedata-client [mode (not 0) [program socket]]\n");
        return 2;
    }
    std::string program;
    if (argc > 2) {
        program = argv[2];
    } else if (const auto path = talvodesk::LiveDataServer::defaultSocketPath()) {
        program = path->string();
    } else {
        std::fprintf(stderr, "livedata-client: %s\n", path.error().detail.c_str());
        return 1;
    }
    auto socket = platform::ipc::DatagramSocket::bindAnonymous();
    if (!socket) {
        std::fprintf(stderr, "livedata-client: %s\n", socket.error().detail.c_str());
        return 1;
    }
    if (!sendRegister(**socket, program, static_cast<std::int32_t>(*mode))) {
        std::fprintf(stderr, "livedata-client: no program receives at %s\n", program.c_str());
        return 1;
    }
    std::signal(SIGINT, interrupt);
    std::signal(SIGTERM, interrupt);
    while (!s_interrupted) {
        pollfd waiting{(*socket)->fd(), POLLIN, 0};
        if (::poll(&waiting, 1, -1) <= 0) {
            continue;
        }
        while (const auto datagram = (*socket)->receive()) {
            if (const auto packet = talvodesk::decodeLiveData(datagram->bytes)) {
                print(*packet);
            }
        }
    }
    (void)sendRegister(**socket, program, 0); // A program that has ended needs no goodbye.
    return 0;
}
