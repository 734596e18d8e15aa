// The LAN game monitor: one refresh broadcasts the game's search and collects games and idle players by address.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "gamemon/GameDatagrams.h"
#include "network/NetworkSockets.h"
#include "network/NotifySocket.h"

class CServerMonitor : public CSocketSink {
public:
    // bindAddress: the host's own address text (LocalAddress). A refresh binds GAME_SEARCH_PORT on each network the
    // PC is on (on this address alone when none can be learnt).
    CServerMonitor(ISocketFactory& factory, std::string bindAddress);

    int Start() { return 0; }
    // 0; -1 no socket on any network; -2 the search went out on none.
    [[nodiscard]] int BeginRefresh();
    void EndRefresh();
    bool IsRefreshing() const { return m_bRefreshing; }

    const std::vector<std::unique_ptr<GameInfo>>& Games() const { return games; }
    const std::vector<std::unique_ptr<IdlePlayer>>& IdlePlayers() const { return idlePlayers; }

    int OnDatagram(CNotifySocket& socket) override;

    bool FindGame(const std::string& address) const;
    bool FindIdlePlayer(const std::string& address) const;

private:
    CNetworkSockets m_Sockets;  // open only while a refresh runs
    bool m_bRefreshing = false;
    std::vector<std::unique_ptr<GameInfo>> games;
    std::vector<std::unique_ptr<IdlePlayer>> idlePlayers;
    // Address indexes of the two lists, so that a refresh with many hosts stays linear.
    std::unordered_set<std::string> m_GameAddresses;
    std::unordered_set<std::string> m_IdleAddresses;
};
