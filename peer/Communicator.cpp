// The messenger's socket and user list: the query at each refresh, presence answers at any time, the users that
// answered, texts to one address or to everybody, and the notices handed to the main window.
#include "peer/Communicator.h"

#include <algorithm>
#include <cstring>

#include "network/LocalAddress.h"

namespace {

constexpr const char* LIMITED_BROADCAST = "255.255.255.255";
constexpr size_t LARGEST_UDP_DATAGRAM = 65536;

}  // namespace

CCommunicator::CCommunicator(ISocketFactory& factory, std::string bindAddress, const SettingsRecord& settings,
                             const IWindowFinder& windows)
    : m_Factory(factory),
      m_strBindAddress(std::move(bindAddress)),
      m_Settings(settings),
      m_Windows(windows),
      m_Landing(LARGEST_UDP_DATAGRAM) {
    memset(m_ReceiveBuffer, 0, sizeof(m_ReceiveBuffer));
}

CCommunicator::~CCommunicator() {
    // The socket goes first: no notification can reach a half-destroyed communicator.
    socket.reset();
    ClearUsers();
}

int CCommunicator::Start() {
    std::unique_ptr<CNotifySocket> fresh = m_Factory.CreateUdpSocket();
    if (!fresh || !fresh->Bind(m_strBindAddress, PEER_PORT) || !fresh->SetOption(SocketOption::Broadcast, 1))
        return -1;  // the half-made socket is closed here
    fresh->owner = this;
    socket = std::move(fresh);
    return 0;
}

void CCommunicator::ClearUsers() {
    m_UsersByAddress.clear();
    users.clear();
}

int CCommunicator::BeginRefresh() {
    m_bRefreshing = true;
    ClearUsers();
    // Our own query comes back to this socket and is answered like any other: we list ourselves too.
    if (!socket || !socket->SendTo(PeerQuery, sizeof(PeerQuery), LIMITED_BROADCAST, PEER_PORT))
        return -1;
    return 0;
}

void CCommunicator::SendText(const std::string& address, const std::string& text) {
    if (!socket)
        return;
    const bool toAll = address.empty();
    // Anything but a dotted quad is a host name; one that the platform cannot resolve sends nothing. The callers do
    // not look at the outcome.
    const std::string to = toAll ? LIMITED_BROADCAST : IsDottedQuad(address) ? address : m_Factory.ResolveHost(address);
    if (to.empty())
        return;
    const PeerBytes datagram = BuildText(toAll ? PEER_TEXT_ALL : PEER_TEXT_PRIVATE, text);
    (void)socket->SendTo(datagram.data(), datagram.size(), to, PEER_PORT);
}

void CCommunicator::SendPresence(const std::string& address) {
    if (!socket)
        return;
    // The game's state at this moment: the game comes and goes while we run.
    const PeerBytes datagram = BuildPresence(m_Settings.Name, m_Settings.Sign, QueryGameWindowState(m_Windows));
    (void)socket->SendTo(datagram.data(), datagram.size(), address, PEER_PORT);
}

std::string CCommunicator::NameByAddress(const std::string& address) const {
    const auto found = m_UsersByAddress.find(address);
    return found != m_UsersByAddress.end() ? std::string(found->second->name) : std::string("Unknown");
}

void CCommunicator::AddUser(const std::string& senderAddress, int length) {
    auto user = std::make_unique<PeerUser>();
    ParsePresence(m_ReceiveBuffer, length, senderAddress.c_str(), *user);
    // The key is the address as stored (cut to its field), so that the index and the list always agree; the first
    // presence from an address wins.
    if (m_UsersByAddress.emplace(user->address, user.get()).second)
        users.push_back(std::move(user));
}

void CCommunicator::Notify(const std::string& senderAddress, int length, const uint8_t* data, intptr_t kind) {
    if (!ownerWindow)
        return;
    PeerNotice notice;
    CopyField(notice.address, sizeof(notice.address), senderAddress.c_str());
    notice.length = length;
    notice.data = data;
    ownerWindow->OnPeerNotice(notice, kind);
}

int CCommunicator::OnDatagram(CNotifySocket& from) {
    memset(m_ReceiveBuffer, 0, sizeof(m_ReceiveBuffer));
    std::string senderAddress;
    uint16_t senderPort = 0;  // not used: answers go to PEER_PORT
    int n = from.ReceiveFrom(m_Landing.data(), m_Landing.size(), senderAddress, senderPort);
    if (n > static_cast<int>(m_Landing.size()))
        n = -1;  // a socket layer that claims more than fits is treated as a failed receive
    if (n > 0) {
        // A datagram longer than the receive buffer is handled as its beginning.
        n = std::min(n, static_cast<int>(sizeof(m_ReceiveBuffer)));
        memcpy(m_ReceiveBuffer, m_Landing.data(), static_cast<size_t>(n));
    }

    switch (ClassifyPeerDatagram(m_ReceiveBuffer, n)) {
    case PeerDatagramKind::NewerVersion:
        if (m_nNewerVersionNotices > 0) {
            --m_nNewerVersionNotices;
            Notify(senderAddress, n, nullptr, PEER_NOTICE_NEWER_VERSION);
        }
        break;
    case PeerDatagramKind::Drop:
        break;
    case PeerDatagramKind::Query:
        SendPresence(senderAddress);  // refreshing or not
        break;
    case PeerDatagramKind::Presence:
        if (m_bRefreshing)
            AddUser(senderAddress, n);
        break;
    case PeerDatagramKind::Message:
        // The owner reads the buffer during this call; nothing here touches it until the call returns.
        Notify(senderAddress, std::max(n, 0), m_ReceiveBuffer, PEER_NOTICE_MESSAGE);
        break;
    }
    return 0;
}
