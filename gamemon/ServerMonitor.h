// The LAN game monitor: one refresh broadcasts the game's search and collects games and idle players by address.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "gamemon/GameDatagrams.h"
#include "network/NotifySocket.h"

class CServerMonitor : public CSocketSink {
public:
    // bindAddress: the host's own address text (LocalAddress); the socket binds there on GAME_SEARCH_PORT.
    CServerMonitor(ISocketFactory& factory, std::string bindAddress);

    int Start() { return 0; }
    [[nodiscard]] int BeginRefresh();  // 0, -1 no socket, -2 send failed
    void EndRefresh();
    bool IsRefreshing() const { return m_bRefreshing; }

    const std::vector<std::unique_ptr<GameInfo>>& Games() const { return games; }
    const std::vector<std::unique_ptr<IdlePlayer>>& IdlePlayers() const { return idlePlayers; }

    int OnDatagram(CNotifySocket& socket) override;

    bool FindGame(const std::string& address) const;
    bool FindIdlePlayer(const std::string& address) const;

    void SetBindAddress(std::string address) { m_strBindAddress = std::move(address); }

private:
    ISocketFactory& m_Factory;
    std::string m_strBindAddress;

    std::unique_ptr<CNotifySocket> socket;
    bool m_bRefreshing = false;
    std::vector<std::unique_ptr<GameInfo>> games;
    std::vector<std::unique_ptr<IdlePlayer>> idlePlayers;
    // Address indexes of the two lists, so that a refresh with many hosts stays linear.
    std::unordered_set<std::string> m_GameAddresses;
    std::unordered_set<std::string> m_IdleAddresses;
};
