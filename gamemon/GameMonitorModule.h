// The LAN game monitor as a module of the main window: its banner line, its part of the refresh, the "Games" and
// "Waiting games" roots of the status tree, the servers and waiting counts of the tray tip, and the games and
// players listings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Module.h"
#include "gamemon/ServerMonitor.h"

enum : uint32_t {
    CMD_GAMES = 13,
    CMD_PLAYERS = 14,
};

extern const ConsoleCommand GameMonitorCommands[2];

class CGameMonitorModule : public IModule {
public:
    // bindAddress: the host's own address; the monitor's socket binds there.
    CGameMonitorModule(IModuleHost& host, ISocketFactory& sockets, std::string bindAddress);

    const char* BannerText() const override { return " Starting Scoutline\x99 engine..."; }
    int Start() override { return m_ServerMonitor.Start(); }

    std::vector<ConsoleCommand> Commands() const override;
    void OnCommand(uint32_t id, const std::string& argument) override;

    const char* RefreshName() const override { return "m_ServerMonitor"; }
    int BeginRefresh() override { return m_ServerMonitor.BeginRefresh(); }
    void EndRefresh() override;

    void BuildTreeSection(ITreeView& tree) override;
    std::string TrayTipPart() const override;

    CServerMonitor& ServerMonitor() { return m_ServerMonitor; }

private:
    void ListGames();
    void ListIdlePlayers();

    IModuleHost& m_Host;
    CServerMonitor m_ServerMonitor;
};
