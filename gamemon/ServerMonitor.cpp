// The LAN game monitor: sockets on each network for one refresh, the game's search broadcast on port 6111 on each,
// and the games and idle players that answer, one record per sender address and the first datagram winning.
#include "gamemon/ServerMonitor.h"

#include <cstring>

namespace {

template <typename Record>
std::unique_ptr<Record> MakeZeroed() {
    auto record = std::make_unique<Record>();
    memset(record.get(), 0, sizeof(Record));
    return record;
}

}  // namespace

CServerMonitor::CServerMonitor(ISocketFactory& factory, std::string bindAddress)
    : m_Sockets(factory, std::move(bindAddress), [](CNotifySocket& socket, const std::string& address) {
          return socket.SetOption(SocketOption::ReuseAddress, 1) && socket.SetOption(SocketOption::Broadcast, 1) &&
                 socket.Bind(address, GAME_SEARCH_PORT);
      }) {}

int CServerMonitor::BeginRefresh() {
    m_bRefreshing = true;

    games.clear();
    m_GameAddresses.clear();
    idlePlayers.clear();
    m_IdleAddresses.clear();

    // The port is held only while a refresh runs: the previous sockets go before new ones bind it again, on the
    // networks the PC is on now.
    m_Sockets.CloseAll();
    if (m_Sockets.Update(*this) == 0)
        return -1;
    // Our own search comes back to each socket, possibly before the send returns; the classification drops it.
    if (!m_Sockets.Broadcast(GameSearchQuery, GAME_SEARCH_SIZE, GAME_SEARCH_PORT))
        return -2;
    return 0;
}

void CServerMonitor::EndRefresh() {
    m_bRefreshing = false;
    m_Sockets.CloseAll();
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
