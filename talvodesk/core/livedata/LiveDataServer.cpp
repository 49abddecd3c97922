#include "talvodesk/core/livedata/LiveDataServer.h"

#include "platform/com/Bstr.h"
#include "platform/fs/UserFolders.h"
#include "platform/ipc/DatagramSocket.h"
#include "platform/ipc/SocketSet.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

namespace talvodesk {

namespace {

constexpr std::size_t kMaxRegistrationsPerCall = 64;

} // namespace

platform::Result<std::filesystem::path> LiveDataServer::defaultSocketPath()
{
    auto folder = platform::fs::runtimeFolder();
    if (!folder) {
        return folder.error();
    }
    return *folder / kLiveDataSocketName;
}

platform::Result<std::unique_ptr<LiveDataServer>> LiveDataServer::create(const std::filesystem::path& socketPath)
{
    auto socket = platform::ipc::DatagramSocket::bind(socketPath);
    if (!socket) {
        return socket.error();
    }
    auto watched = platform::ipc::SocketSet::create();
    if (!watched) {
        return watched.error();
    }
    if (!(*watched)->watch((*socket)->fd(), /*readable=*/true, /*writable=*/false)) {
        return platform::Error{E_FAIL, "cannot watch the live-data socket"};
    }
    return std::unique_ptr<LiveDataServer>(new LiveDataServer(std::move(*socket), std::move(*watched)));
}

LiveDataServer::LiveDataServer(std::unique_ptr<platform::ipc::DatagramSocket> socket,
                               std::unique_ptr<platform::ipc::SocketSet> watched)
    : m_socket(std::move(socket)), m_watched(std::move(watched))
{
}

LiveDataServer::~LiveDataServer() = default;

int LiveDataServer::fd() const
{
    return m_watched->fd();
}

void LiveDataServer::serve()
{
    m_ownerThread.assertOwnerThread();
    for (const auto& ready : m_watched->ready()) {
        if (ready.fd == m_socket->fd()) {
            processRegistrations();
            continue;
        }
        const auto client = std::ranges::find_if(
            m_clients, [fd = ready.fd](const auto& entry) { return entry.second.socket->fd() == fd; });
        if (client != m_clients.end()) {
            (void)send(client);
        }
    }
}

void LiveDataServer::processRegistrations()
{
    // Bounded, so that a flood of datagrams cannot hold the frame's thread; the rest wait for the next call.
    for (std::size_t i = 0; i < kMaxRegistrationsPerCall; ++i) {
        const auto datagram = m_socket->receive();
        if (!datagram) {
            return;
        }
        const auto packet = decodeLiveData(datagram->bytes);
        if (packet && packet->message == LiveDataMessage::Register && !datagram->sender.empty()) {
            registerClient(datagram->sender, static_cast<LONG>(packet->wParam));
        }
    }
}

void LiveDataServer::registerClient(const std::string& address, LONG mode)
{
    m_ownerThread.assertOwnerThread();
    if (mode == 0) {
        m_clients.erase(address); // closing its socket takes it out of the watched set
        return;
    }
    if (const auto found = m_clients.find(address); found != m_clients.end()) {
        found->second.mode = mode;
        return;
    }
    if (m_clients.size() >= kMaxClients) {
        // A client that has gone is noticed by a send, and an idle program sends nothing: look before refusing.
        std::erase_if(m_clients,
                      [](const auto& entry) { return platform::ipc::DatagramSocket::nothingReceivesAt(entry.first); });
    }
    if (m_clients.size() >= kMaxClients) {
        refuseOnce(address);
        return;
    }
    auto socket = platform::ipc::DatagramSocket::connect(address);
    if (socket) {
        m_refused.erase(address);
        m_clients.emplace(address, Client{mode, std::move(*socket), {}});
    }
}

void LiveDataServer::refuseOnce(const std::string& address)
{
    // A refused client asks again and again: one line each, and a flood of new addresses is remembered only so far.
    if (!m_refused.insert(address).second) {
        return;
    }
    if (m_refused.size() > kRefusalsRemembered) {
        m_refused.clear();
        m_refused.insert(address);
    }
    (void)platform::reportFailure(platform::Error{E_ACCESSDENIED, "live data: " + std::to_string(kMaxClients) +
                                                                      " clients already, refused " + address});
}

std::vector<std::pair<std::string, LONG>> LiveDataServer::clients() const
{
    std::vector<std::pair<std::string, LONG>> table;
    for (const auto& [address, client] : m_clients) {
        table.emplace_back(address, client.mode);
    }
    return table;
}

void LiveDataServer::PostState(int state)
{
    const bool alreadySent = state == 2 && m_stateTwoSent;
    m_stateTwoSent = state == 1;
    if (alreadySent) {
        return;
    }
    std::vector<LiveDataDatagram> datagrams{{LiveDataMessage::State, static_cast<std::uint32_t>(state), 0}};
    if (state == 1) {
        datagrams.emplace_back(LiveDataMessage::State, 2, 0);
    }
    post(datagrams, /*everyPointOnly=*/false);
}

void LiveDataServer::PostPoints(IAimingTrace* trace, long count)
{
    LONG first = 0;
    LONG last = 0;
    if (!trace || count <= 0 || FAILED(trace->get_First(&first)) || FAILED(trace->get_Last(&last))) {
        return;
    }
    LONG trigger = -1;
    const platform::com::Bstr triggerName("_trigger");
    if (FAILED(trace->GetUserData(triggerName.get(), &trigger))) {
        trigger = -1;
    }
    // A batch larger than what the trace still holds starts at its oldest sample.
    const LONG begin = count > static_cast<long>(last) - first + 1 ? first : static_cast<LONG>(last - count + 1);
    std::vector<LiveDataDatagram> datagrams;
    for (LONG i = begin; i <= last; ++i) {
        VARIANT_BOOL valid = VARIANT_FALSE;
        float x = 0.0f;
        float y = 0.0f;
        if (FAILED(trace->get_ValidCoordinate(i, &valid)) || valid != VARIANT_TRUE || FAILED(trace->get_x(i, &x)) ||
            FAILED(trace->get_y(i, &y))) {
            continue;
        }
        datagrams.emplace_back(LiveDataMessage::Point, 0, makeLong(toTwentieths(x), toTwentieths(y)));
        LONG reading = 0;
        if (trigger > 0 && SUCCEEDED(trace->get_UserData(trigger, i, &reading))) {
            datagrams.emplace_back(LiveDataMessage::Trigger, static_cast<std::uint32_t>(reading), 0);
        }
    }
    post(datagrams, /*everyPointOnly=*/true);
}

void LiveDataServer::PostShot(IShot* shot)
{
    float result = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    if (!shot || FAILED(shot->get_Result(&result)) || FAILED(shot->Breach(&x, &y))) {
        return;
    }
    post({{LiveDataMessage::Shot, static_cast<std::uint32_t>(toTenths(result)),
           makeLong(toTwentieths(x), toTwentieths(y))}},
         /*everyPointOnly=*/false);
}

void LiveDataServer::PostHeartBeat()
{
    post({{LiveDataMessage::HeartBeat, 0, 0}}, /*everyPointOnly=*/false);
}

void LiveDataServer::post(const std::vector<LiveDataDatagram>& datagrams, bool everyPointOnly)
{
    m_ownerThread.assertOwnerThread();
    if (datagrams.empty()) {
        return;
    }
    for (auto client = m_clients.begin(); client != m_clients.end();) {
        if (everyPointOnly && client->second.mode != kEveryPointMode) {
            ++client;
            continue;
        }
        std::deque<LiveDataDatagram>& queue = client->second.queue;
        queue.insert(queue.end(), datagrams.begin(), datagrams.end());
        if (queue.size() > kClientQueueLimit) {
            queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(queue.size() - kClientQueueLimit));
        }
        client = send(client);
    }
}

LiveDataServer::Clients::iterator LiveDataServer::send(Clients::iterator client)
{
    Client& served = client->second;
    // A socket takes a few at a time; offering the whole queue each time would cost more than the sending.
    std::array<std::span<const std::uint8_t>, kMostOffered> datagrams;
    platform::ipc::SendResult result = platform::ipc::SendResult::Sent;
    while (!served.queue.empty() && result == platform::ipc::SendResult::Sent) {
        const std::size_t count = std::min(served.room, served.queue.size());
        for (std::size_t i = 0; i < count; ++i) {
            datagrams[i] = served.queue[i].bytes();
        }
        std::size_t sent = 0;
        result = served.socket->sendMany(std::span(datagrams).first(count), sent);
        served.queue.erase(served.queue.begin(), served.queue.begin() + static_cast<std::ptrdiff_t>(sent));
        if (result == platform::ipc::SendResult::Busy) {
            served.room = std::max<std::size_t>(sent, 1);
        } else if (sent == served.room && !served.queue.empty()) {
            // As many as filled it last time: likely full again, which the watched set tells without a refusal.
            served.room = std::min(2 * served.room, kMostOffered);
            result = platform::ipc::SendResult::Busy;
        }
    }
    if (result == platform::ipc::SendResult::Gone) {
        return m_clients.erase(client);
    }
    if (result == platform::ipc::SendResult::Busy) {
        // Its socket is full: the rest waits until it can take more.
        if (!served.waiting) {
            served.waiting = m_watched->watch(served.socket->fd(), /*readable=*/false, /*writable=*/true);
        }
        return std::next(client);
    }
    if (served.waiting) {
        served.waiting = !m_watched->watch(served.socket->fd(), /*readable=*/false, /*writable=*/false);
    }
    return std::next(client);
}

} // namespace talvodesk
