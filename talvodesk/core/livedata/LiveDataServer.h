#pragma once

#include "talvodesk/core/livedata/LiveDataMessage.h"
#include "talvodesk/core/livedata/LiveDataPoster.h"

#include "platform/com/Result.h"
#include "platform/kernel/OwnerThread.h"

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace platform::ipc {
class DatagramSocket;
class SocketSet;
} // namespace platform::ipc

namespace talvodesk {

/// Serves live data to outside programs. A client registers its datagram socket by sending "TALVO:REGISTER" from
/// it to the program's socket; from then on it receives the messages of its mode, each client in the order of its
/// address. Each client has a bounded queue of its own, sent from whenever its socket can take more: a client that
/// reads loses nothing, one that stops reading loses only its own oldest messages, and sends never block. A client
/// whose socket is gone is dropped; at most kMaxClients are served. Thread rule: owner thread only (the frame's).
class LiveDataServer final : public ILiveDataPoster {
public:
    /// The mode that also receives every point and trigger reading.
    static constexpr LONG kEveryPointMode = 3;
    /// Messages a client's queue holds beyond its socket: ten seconds of points with their trigger readings.
    static constexpr std::size_t kClientQueueLimit = 4096;
    /// Registrations beyond this many clients are refused (and logged once per client): each client holds a
    /// descriptor. Clients that have gone are dropped first, even while nothing is posted.
    static constexpr std::size_t kMaxClients = 32;
    /// Addresses whose refusal was logged; beyond this many the memory starts again.
    static constexpr std::size_t kRefusalsRemembered = 1024;

    /// The program's socket: kLiveDataSocketName in the user's runtime folder.
    static platform::Result<std::filesystem::path> defaultSocketPath();
    /// Receives registrations at `socketPath`. E_ACCESSDENIED while another program serves there.
    static platform::Result<std::unique_ptr<LiveDataServer>> create(const std::filesystem::path& socketPath);

    ~LiveDataServer() override;

    /// Readable when registrations wait or a client's socket can take more of its queue; the frame watches it and
    /// then calls serve().
    int fd() const;
    /// Handles the waiting "TALVO:REGISTER"s, at most 64 a call so that a flood cannot hold the frame's thread (the
    /// descriptor stays readable for the rest), and sends what the clients that can take more have queued. Any other
    /// datagram, and one from a socket without an address, is dropped.
    void serve();
    /// Mode 0 removes the client (nothing when unknown); any other mode adds it or replaces its mode. A client that
    /// cannot be reached is not added, nor a new one beyond kMaxClients.
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
    /// Datagrams offered to a socket at once.
    static constexpr std::size_t kMostOffered = 64;
    struct Client {
        LONG mode;
        std::unique_ptr<platform::ipc::DatagramSocket> socket;
        std::deque<LiveDataDatagram> queue;
        bool waiting = false; // watched until its socket can take more
        /// How many its socket took when it last filled: offering more costs the kernel a datagram it refuses.
        std::size_t room = kMostOffered;
    };
    using Clients = std::map<std::string, Client>;

    LiveDataServer(std::unique_ptr<platform::ipc::DatagramSocket> socket,
                   std::unique_ptr<platform::ipc::SocketSet> watched);

    void processRegistrations();
    /// Logs the refusal of `address` unless it was logged already.
    void refuseOnce(const std::string& address);
    /// Queues the datagrams for every client whose mode wants them and sends what each socket takes.
    void post(const std::vector<LiveDataDatagram>& datagrams, bool everyPointOnly);
    /// Sends from the client's queue until its socket is full; the next client, or end() when this one is gone.
    Clients::iterator send(Clients::iterator client);

    platform::kernel::OwnerThread m_ownerThread;
    std::unique_ptr<platform::ipc::DatagramSocket> m_socket;
    std::unique_ptr<platform::ipc::SocketSet> m_watched;
    Clients m_clients;
    std::set<std::string> m_refused;
    bool m_stateTwoSent = false;
};

} // namespace talvodesk
