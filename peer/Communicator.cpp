// The messenger's socket and user list: the query at each refresh, presence answers at any time, the users that
// answered, texts to one address or to everybody, and the notices handed to the main window.
#include "peer/Communicator.h"

#include <algorithm>
#include <cstring>

#include "network/LocalAddress.h"

namespace {

constexpr size_t LARGEST_UDP_DATAGRAM = 65536;

}  // namespace

CCommunicator::CCommunicator(ISocketFactory& factory, std::string bindAddress, const SettingsRecord& settings,
                             const IWindowFinder& windows)
    : m_Factory(factory),
      m_Settings(settings),
      m_Windows(windows),
      m_Sockets(factory, std::move(bindAddress),
                [](CNotifySocket& socket, const std::string& address) {
                    return socket.Bind(address, PEER_PORT) && socket.SetOption(SocketOption::Broadcast, 1);
                }),
      m_Landing(LARGEST_UDP_DATAGRAM) {
    memset(m_ReceiveBuffer, 0, sizeof(m_ReceiveBuffer));
}

CCommunicator::~CCommunicator() {
    // The sockets go first: no notification can reach a half-destroyed communicator.
    m_Sockets.CloseAll();
    ClearUsers();
}

int CCommunicator::Start() {
    m_bStarted = m_Sockets.Update(*this) > 0;
    return m_bStarted ? 0 : -1;
}

void CCommunicator::ClearUsers() {
    m_UsersByAddress.clear();
    users.clear();
    m_pOwnUser = nullptr;
}

int CCommunicator::BeginRefresh() {
    m_bRefreshing = true;
    ClearUsers();
    if (!m_bStarted)
        return -1;
    m_Sockets.Update(*this);
    // Our own query comes back to each socket and is answered like any other: we list ourselves too (once).
    if (!m_Sockets.Broadcast(PeerQuery, sizeof(PeerQuery), PEER_PORT))
        return -1;
    return 0;
}

void CCommunicator::SendText(const std::string& address, const std::string& text) {
    if (address.empty()) {
        const PeerBytes datagram = BuildText(PEER_TEXT_ALL, text);
        (void)m_Sockets.Broadcast(datagram.data(), datagram.size(), PEER_PORT);
        return;
    }
    // Anything but a dotted quad is a host name; one that the platform cannot resolve sends nothing. The callers do
    // not look at the outcome.
    const std::string to = IsDottedQuad(address) ? address : m_Factory.ResolveHost(address);
    if (to.empty())
        return;
    const PeerBytes datagram = BuildText(PEER_TEXT_PRIVATE, text);
    (void)m_Sockets.SendTo(datagram.data(), datagram.size(), to, PEER_PORT);
}

PeerBytes CCommunicator::Presence() const {
    // The game's state at this moment: the game comes and goes while we run.
    return BuildPresence(m_Settings.Name, m_Settings.Sign, QueryGameWindowState(m_Windows));
}

void CCommunicator::SendPresence(const std::string& address) {
    const PeerBytes datagram = Presence();
    (void)m_Sockets.SendTo(datagram.data(), datagram.size(), address, PEER_PORT);
}

std::string CCommunicator::NameByAddress(const std::string& address) const {
    const auto found = m_UsersByAddress.find(address);
    if (found != m_UsersByAddress.end())
        return found->second->name;
    return m_pOwnUser && IsOwnAddress(address) ? std::string(m_pOwnUser->name) : std::string("Unknown");
}

void CCommunicator::AddUser(const std::string& senderAddress, int length) {
    // We answer our own query on each network we are on: we are listed once, by the address that answered first.
    const bool own = IsOwnAddress(senderAddress);
    if (own && m_pOwnUser)
        return;
    auto user = std::make_unique<PeerUser>();
    ParsePresence(m_ReceiveBuffer, length, senderAddress.c_str(), *user);
    // The key is the address as stored (cut to its field), so that the index and the list always agree; the first
    // presence from an address wins.
    if (m_UsersByAddress.emplace(user->address, user.get()).second) {
        if (own)
            m_pOwnUser = user.get();
        users.push_back(std::move(user));
    }
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
    case PeerDatagramKind::Query: {
        // Refreshing or not, and through the socket the query came in by: the asker knows us by that network's
        // address.
        const PeerBytes presence = Presence();
        (void)from.SendTo(presence.data(), presence.size(), senderAddress, PEER_PORT);
        break;
    }
    case PeerDatagramKind::Presence:
        if (m_bRefreshing)
            AddUser(senderAddress, n);
        break;
    case PeerDatagramKind::Message:
        // A line of ours to everybody comes back once from each network we are on: it is shown once, as it came
        // back on the first one.
        if (IsOwnAddress(senderAddress) && senderAddress != m_Sockets.FirstAddress() &&
            PeerType(m_ReceiveBuffer, n) == PEER_TEXT_ALL)
            break;
        // The owner reads the buffer during this call; nothing here touches it until the call returns.
        Notify(senderAddress, std::max(n, 0), m_ReceiveBuffer, PEER_NOTICE_MESSAGE);
        break;
    }
    return 0;
}
