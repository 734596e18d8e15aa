// The LAN game monitor's contributions to the main window: banner, refresh, tree section, tray tip, listings.
#include "gamemon/GameMonitorModule.h"

#include <cstdio>

#include "base/Format.h"
#include "base/TreeImages.h"

const ConsoleCommand GameMonitorCommands[2] = {
    {CMD_GAMES, "games", "Lists current games\r\nSyntax: /games"},
    {CMD_PLAYERS, "players", "Lists current idle players\r\nSyntax: /players"},
};

namespace {}  // namespace

CGameMonitorModule::CGameMonitorModule(IModuleHost& host, ISocketFactory& sockets, std::string bindAddress)
    : m_Host(host), m_ServerMonitor(sockets, std::move(bindAddress)) {}

std::vector<ConsoleCommand> CGameMonitorModule::Commands() const {
    return std::vector<ConsoleCommand>(std::begin(GameMonitorCommands), std::end(GameMonitorCommands));
}

void CGameMonitorModule::OnCommand(uint32_t id, const std::string&) {
    if (id == CMD_GAMES)
        ListGames();
    else if (id == CMD_PLAYERS)
        ListIdlePlayers();
}

void CGameMonitorModule::EndRefresh() {
    if (m_ServerMonitor.IsRefreshing())
        m_ServerMonitor.EndRefresh();
}

void CGameMonitorModule::BuildTreeSection(ITreeView& tree) {
    // Each game's details go in last, once both roots and all their children are in. The tree is the same as
    // when each game's details follow it, but the control looks an item up by a search through its items in the
    // order they were inserted (Wine's does): kept near the front, the games and idle players that the rebuild and
    // the saving of the view ask about stay cheap to find when there are thousands.
    const auto& games = m_ServerMonitor.Games();
    std::vector<TreeItem> gameItems;
    gameItems.reserve(games.size());
    const TreeItem gamesRoot = tree.InsertItem(TREE_NONE, "Games", IMG_ROOT_GAMES, false);
    for (const auto& game : games) {
        gameItems.push_back(tree.InsertItem(gamesRoot,
                                            FormatLine("[%d/%d] %s", game->players, game->maxPlayers, game->name),
                                            game->running != 0 ? IMG_GAME_RUNNING : IMG_GAME_WAITING, false));
        m_Host.AddKeyword(game->name);
        m_Host.AddKeyword(game->address);
    }
    tree.SortChildren(gamesRoot);
    tree.Expand(gamesRoot);

    const TreeItem waiting = tree.InsertItem(TREE_NONE, "Waiting games", IMG_ROOT_WAITING, false);
    for (const auto& player : m_ServerMonitor.IdlePlayers()) {
        tree.InsertItem(waiting, FormatLine("[%s]", player->address), IMG_IDLE_PLAYER, false);
        m_Host.AddKeyword(player->address);
    }
    tree.SortChildren(waiting);
    tree.Expand(waiting);

    for (size_t i = 0; i < games.size(); ++i) {
        const GameInfo& game = *games[i];
        const TreeItem item = gameItems[i];
        tree.InsertItem(item, FormatLine("Address: %s", game.address), IMG_ADDRESS, false);
        tree.InsertItem(item, FormatLine("Map: %s", game.map), IMG_MAP, false);
        tree.InsertItem(item, "Type: " + GameTypeText(game.status), IMG_TYPE, false);
        tree.InsertItem(item, game.running != 0 ? "Status: Running" : "Status: Waiting", IMG_STATUS, false);
    }
}

std::string CGameMonitorModule::TrayTipPart() const {
    return FormatLine("Servers: %d, Waiting: %d", static_cast<int>(m_ServerMonitor.Games().size()),
                      static_cast<int>(m_ServerMonitor.IdlePlayers().size()));
}

void CGameMonitorModule::ListGames() {
    std::vector<std::string> lines{"Current games: "};
    for (const auto& game : m_ServerMonitor.Games())
        lines.push_back(FormatLine(" %s (%s) [%d/%d] - %s - %s", game->name, game->address, game->players,
                                   game->maxPlayers, game->map, game->running != 0 ? "running" : "waiting"));
    lines.emplace_back();
    m_Host.Console().WriteList(lines);
}

void CGameMonitorModule::ListIdlePlayers() {
    std::vector<std::string> lines{"Current idle players: "};
    for (const auto& player : m_ServerMonitor.IdlePlayers())
        lines.push_back(FormatLine(" %s", player->address));
    lines.emplace_back();
    m_Host.Console().WriteList(lines);
}
