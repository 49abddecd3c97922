#include "talvodesk/core/LiveDataServer.h"

#include "platform/com/Bstr.h"
#include "platform/fs/UserFolders.h"
#include "platform/ipc/DatagramSocket.h"

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
    return std::unique_ptr<LiveDataServer>(new LiveDataServer(std::move(*socket)));
}

LiveDataServer::LiveDataServer(std::unique_ptr<platform::ipc::DatagramSocket> socket) : m_socket(std::move(socket)) {}

LiveDataServer::~LiveDataServer() = default;

int LiveDataServer::fd() const
{
    return m_socket->fd();
}

void LiveDataServer::processRegistrations()
{
    m_ownerThread.assertOwnerThread();
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
        m_clients.erase(address);
        return;
    }
    if (const auto found = m_clients.find(address); found != m_clients.end()) {
        found->second.mode = mode;
        return;
    }
    auto socket = platform::ipc::DatagramSocket::connect(address);
    if (socket) {
        m_clients.emplace(address, Client{mode, std::move(*socket)});
    }
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
        bool gone = false;
        for (const auto& datagram : datagrams) {
            if (client->second.socket->send(datagram.bytes()) == platform::ipc::SendResult::Gone) {
                gone = true;
                break;
            }
        }
        client = gone ? m_clients.erase(client) : std::next(client);
    }
}

} // namespace talvodesk
