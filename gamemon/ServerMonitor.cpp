// The LAN game monitor: one socket per refresh, the game's search broadcast on port 6111, and the games and idle
// players that answer, one record per sender address and the first datagram winning.
#include "gamemon/ServerMonitor.h"

#include <cstring>

namespace {

constexpr const char* LIMITED_BROADCAST = "255.255.255.255";

template <typename Record>
std::unique_ptr<Record> MakeZeroed() {
    auto record = std::make_unique<Record>();
    memset(record.get(), 0, sizeof(Record));
    return record;
}

}  // namespace

CServerMonitor::CServerMonitor(ISocketFactory& factory, std::string bindAddress)
    : m_Factory(factory), m_strBindAddress(std::move(bindAddress)) {}

int CServerMonitor::BeginRefresh() {
    m_bRefreshing = true;

    games.clear();
    m_GameAddresses.clear();
    idlePlayers.clear();
    m_IdleAddresses.clear();

    // The port is held only while a refresh runs: the previous socket goes before the new one binds it again.
    socket.reset();

    std::unique_ptr<CNotifySocket> fresh = m_Factory.CreateUdpSocket();
    if (!fresh || !fresh->SetOption(SocketOption::ReuseAddress, 1) || !fresh->SetOption(SocketOption::Broadcast, 1) ||
        !fresh->Bind(m_strBindAddress, GAME_SEARCH_PORT))
        return -1;  // the half-made socket is closed here
    fresh->owner = this;
    socket = std::move(fresh);

    // Our own search comes back to this socket, possibly before SendTo returns; the classification drops it.
    if (!socket->SendTo(GameSearchQuery, GAME_SEARCH_SIZE, LIMITED_BROADCAST, GAME_SEARCH_PORT))
        return -2;
    return 0;
}

void CServerMonitor::EndRefresh() {
    m_bRefreshing = false;
    socket.reset();
}

int CServerMonitor::OnDatagram(CNotifySocket& from) {
    uint8_t buffer[GAME_DATAGRAM_MAX];
    memset(buffer, 0, sizeof(buffer));
    std::string senderAddress;
    uint16_t senderPort = 0;
    int n = from.ReceiveFrom(buffer, sizeof(buffer), senderAddress, senderPort);
    if (n > static_cast<int>(sizeof(buffer)))
        n = -1;  // a socket layer that claims more than fits is treated as a failed receive

    // Read even when not refreshing, so that a late datagram does not stay queued.
    if (!m_bRefreshing)
        return 0;

    switch (ClassifyGameDatagram(buffer, n)) {
    case GameDatagramKind::Game: {
        auto game = MakeZeroed<GameInfo>();
        ParseGameInfo(buffer, n, senderAddress.c_str(), *game);
        // The key is the address as stored, so that the index and the list always agree.
        if (m_GameAddresses.insert(game->address).second)
            games.push_back(std::move(game));
        break;
    }
    case GameDatagramKind::IdlePlayer: {
        auto player = MakeZeroed<IdlePlayer>();
        size_t len = strnlen(senderAddress.c_str(), sizeof(player->address) - 1);
        memcpy(player->address, senderAddress.c_str(), len);
        player->address[len] = '\0';
        if (m_IdleAddresses.insert(player->address).second)
            idlePlayers.push_back(std::move(player));
        break;
    }
    case GameDatagramKind::Drop:
        break;
    }
    return 0;
}

bool CServerMonitor::FindGame(const std::string& address) const { return m_GameAddresses.count(address) != 0; }

bool CServerMonitor::FindIdlePlayer(const std::string& address) const { return m_IdleAddresses.count(address) != 0; }
