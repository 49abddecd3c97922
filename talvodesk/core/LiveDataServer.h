#pragma once

#include "talvodesk/core/LiveDataMessage.h"
#include "talvodesk/core/LiveDataPoster.h"

#include "platform/com/Result.h"
#include "platform/kernel/OwnerThread.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform::ipc {
class DatagramSocket;
}

namespace talvodesk {

/// Serves live data to outside programs. A client registers its datagram socket by sending "TALVO:REGISTER" from
/// it to the program's socket; from then on it receives the messages of its mode, each client in the order of its
/// address. Sends never block: a message that does not fit into a client's queue is lost, and a client whose socket
/// is gone is dropped. Thread rule: owner thread only (the frame's).
class LiveDataServer final : public ILiveDataPoster {
public:
    /// The mode that also receives every point and trigger reading.
    static constexpr LONG kEveryPointMode = 3;

    /// The program's socket: kLiveDataSocketName in the user's runtime folder.
    static platform::Result<std::filesystem::path> defaultSocketPath();
    /// Receives registrations at `socketPath`. E_ACCESSDENIED while another program serves there.
    static platform::Result<std::unique_ptr<LiveDataServer>> create(const std::filesystem::path& socketPath);

    ~LiveDataServer() override;

    /// Readable when registrations wait; the frame watches it and then calls processRegistrations().
    int fd() const;
    /// Handles the waiting "TALVO:REGISTER"s, at most 64 a call so that a flood cannot hold the frame's thread (the
    /// socket stays readable for the rest). Any other datagram, and one from a socket without an address, is dropped.
    void processRegistrations();
    /// Mode 0 removes the client (nothing when unknown); any other mode adds it or replaces its mode. A client that
    /// cannot be reached is not added.
    void registerClient(const std::string& address, LONG mode);
    /// The client table in posting order: address and mode.
    std::vector<std::pair<std::string, LONG>> clients() const;

    /// State 1 goes to each client as 1 and then 2 before the next client; a 2 posted right after it was therefore
    /// sent already.
    void PostState(int state) override;
    /// Samples from the trace's first readable index on; invalid samples send neither point nor trigger reading.
    void PostPoints(IAimingTrace* trace, long count) override;
    void PostShot(IShot* shot) override;
    void PostHeartBeat() override;

private:
    struct Client {
        LONG mode;
        std::unique_ptr<platform::ipc::DatagramSocket> socket;
    };

    explicit LiveDataServer(std::unique_ptr<platform::ipc::DatagramSocket> socket);

    /// Sends the datagrams in order to every client whose mode wants them, dropping those that are gone.
    void post(const std::vector<LiveDataDatagram>& datagrams, bool everyPointOnly);

    platform::kernel::OwnerThread m_ownerThread;
    std::unique_ptr<platform::ipc::DatagramSocket> m_socket;
    std::map<std::string, Client> m_clients;
    bool m_stateTwoSent = false;
};

} // namespace talvodesk
