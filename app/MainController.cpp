// The main window's logic: start-up, refresh cycle, status tree rebuild, main commands and command-line keys.
#include "app/MainController.h"

#include <cstdio>

#include "app/AppSettings.h"
#include "console/CommandTables.h"

namespace {

// Texts of the list lines and tree items are formatted into buffers that hold every field at its full width.
template <typename... Args>
std::string Format(const char* pattern, Args... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof(buffer), pattern, args...);
    return buffer;
}

}  // namespace

CMainController::CMainController(IMainView& view, ISocketFactory& sockets, const std::string& localAddress)
    : m_View(view), m_ServerMonitor(sockets, localAddress), m_strLocalAddress(localAddress) {}

void CMainController::Start(IConsoleOwner* owner, IOutputPane* outputPane, IEditBox* commandBox,
                            ITreeView* statusTree) {
    m_CommandEdit.Attach(commandBox);
    m_StatusTree.Attach(statusTree);

    m_Console.Init(owner, &m_CommandEdit, outputPane, nullptr);
    m_Console.RegisterCommands(MainCommands, sizeof(MainCommands) / sizeof(MainCommands[0]));
    m_Console.SetDefaultCommand(CMD_A);

    WriteBanner();

    // The first timer events are delivered at once, on this thread, so the first refresh starts before the
    // window is shown.
    if (AppSettings.RefreshAuto != 0) {
        m_nAutoRefreshTimer = m_View.SetTimer(TIMER_AUTO_REFRESH, AppSettings.RefreshPeriod);
        OnTimer(TIMER_AUTO_REFRESH);
    } else {
        m_nAutoRefreshTimer = 0;
    }
    m_nGameWatchTimer = m_View.SetTimer(TIMER_GAME_WATCH, GAME_WATCH_PERIOD);
    OnTimer(TIMER_GAME_WATCH);
}

void CMainController::WriteBanner() {
    const std::string rule(44, '-');
    m_Console.WriteLine("Korvalen SE v0.70");
    m_Console.WriteLine(rule);
    m_Console.WriteLine("Initializing built-in modules:");

    m_Console.Write(" Starting Scoutline\x99 engine...");
    m_Console.WriteLine(m_ServerMonitor.Start() != 0 ? " [FAILED]" : " [OK]");

    // The peer messenger and the game assistant are not part of this build: their lines say so.
    m_Console.Write(" Starting Chatline\x99...");
    m_Console.WriteLine(" [FAILED]");
    m_Console.Write(" Starting keyRelay\x99...");
    m_Console.WriteLine(" [FAILED]");

    m_Console.Write(" Starting Bulwark\x99 services...");
    m_Console.WriteLine(" [FAILED]");

    m_Console.WriteLine("Done");
    m_Console.WriteLine(rule);
    m_Console.WriteLine("Type '/help' to get list of commands");
    m_Console.WriteLine("");
}

void CMainController::RunStartupScript() {
    m_Console.Execute("/exec autoexec.cfg");
}

void CMainController::Shutdown() {
    if (m_nAutoRefreshTimer != 0) {
        m_View.KillTimer(TIMER_AUTO_REFRESH);
        m_nAutoRefreshTimer = 0;
    }
    if (m_nGameWatchTimer != 0) {
        m_View.KillTimer(TIMER_GAME_WATCH);
        m_nGameWatchTimer = 0;
    }
}

void CMainController::OnTimer(unsigned id) {
    switch (id) {
    case TIMER_AUTO_REFRESH:
        StartRefresh();  // a tick during a running refresh is skipped silently
        break;
    case TIMER_REFRESH_DONE:
        // Killed before the refresh is finished, not after: finishing updates the tray, and while that call waits
        // the window handles sent messages. A refresh started there arms this timer anew, and killing it
        // afterwards would leave that refresh running for good (button disabled, automatic refresh skipped).
        m_View.KillTimer(TIMER_REFRESH_DONE);
        FinishRefresh();
        break;
    default:
        // The game watch and the in-game console's timers belong to the game assistant, not in this build.
        break;
    }
}

int CMainController::StartRefresh() {
    if (m_ServerMonitor.IsRefreshing())
        return -1;
    if (m_ServerMonitor.BeginRefresh() != 0)
        m_Console.WriteLine("warning: m_ServerMonitor.BeginRefresh() failed");
    m_View.SetTimer(TIMER_REFRESH_DONE, AppSettings.RefreshTimeout);
    m_View.EnableRefreshButton(false);
    return 0;
}

void CMainController::RequestRefresh() {
    if (StartRefresh() != 0)
        m_Console.WriteLine("Refresh in progress, please wait");
}

void CMainController::FinishRefresh() {
    if (m_ServerMonitor.IsRefreshing())
        m_ServerMonitor.EndRefresh();
    RebuildStatusTree();
    m_View.EnableRefreshButton(true);
    const int users = 0;  // no peer messenger in this build
    char tip[128];
    std::snprintf(tip, sizeof(tip), "Servers: %d, Waiting: %d, Users: %d",
                  static_cast<int>(m_ServerMonitor.Games().size()),
                  static_cast<int>(m_ServerMonitor.IdlePlayers().size()), users);
    m_View.SetTrayTip(tip);
}

void CMainController::RebuildStatusTree() {
    ITreeView* tree = m_StatusTree.View();
    if (!tree)
        return;
    tree->SetRedraw(false);
    m_StatusTree.SaveTreeState();

    const TreeItem games = tree->InsertItem(TREE_NONE, "Games", IMG_ROOT_GAMES, false);
    for (const auto& game : m_ServerMonitor.Games()) {
        const TreeItem item =
            tree->InsertItem(games, Format("[%d/%d] %s", game->players, game->maxPlayers, game->name),
                             game->running != 0 ? IMG_GAME_RUNNING : IMG_GAME_WAITING, false);
        tree->InsertItem(item, Format("Address: %s", game->address), IMG_ADDRESS, false);
        tree->InsertItem(item, Format("Map: %s", game->map), IMG_MAP, false);
        tree->InsertItem(item, "Type: " + GameTypeText(game->status), IMG_TYPE, false);
        tree->InsertItem(item, game->running != 0 ? "Status: Running" : "Status: Waiting", IMG_STATUS, false);
        m_CommandEdit.AddKeyword(game->name);
        m_CommandEdit.AddKeyword(game->address);
    }
    tree->SortChildren(games);
    tree->Expand(games);

    const TreeItem waiting = tree->InsertItem(TREE_NONE, "Waiting games", IMG_ROOT_WAITING, false);
    for (const auto& player : m_ServerMonitor.IdlePlayers()) {
        tree->InsertItem(waiting, Format("[%s]", player->address), IMG_IDLE_PLAYER, false);
        m_CommandEdit.AddKeyword(player->address);
    }
    tree->SortChildren(waiting);
    tree->Expand(waiting);

    const TreeItem users = tree->InsertItem(TREE_NONE, "KVL's online", IMG_ROOT_USERS, false);
    tree->SortChildren(users);
    tree->Expand(users);

    m_StatusTree.RestoreTreeState(true);
    tree->SetRedraw(true);
}

void CMainController::ListGames() {
    m_Console.WriteLine("Current games: ");
    for (const auto& game : m_ServerMonitor.Games())
        m_Console.WriteLine(Format(" %s (%s) [%d/%d] - %s - %s", game->name, game->address, game->players,
                                   game->maxPlayers, game->map, game->running != 0 ? "running" : "waiting"));
    m_Console.WriteLine("");
}

void CMainController::ListIdlePlayers() {
    m_Console.WriteLine("Current idle players: ");
    for (const auto& player : m_ServerMonitor.IdlePlayers())
        m_Console.WriteLine(Format(" %s", player->address));
    m_Console.WriteLine("");
}

// name and sign: with an argument the setting takes it (stored at the next save), without one it is shown.
void CMainController::ShowOrSet(const char* label, std::string& setting, const std::string& argument) {
    if (argument.empty())
        m_Console.WriteLine(std::string(label) + ": \"" + setting + "\"");
    else
        setting = argument;
}

void CMainController::OnConsoleCommand(std::unique_ptr<CommandRequest> request) {
    if (!request)
        return;
    const std::string argument = request->args;
    switch (request->id) {
    case CMD_QUIT:
        m_Console.WriteLine("Terminating...");
        m_View.EndDialog(0);
        break;
    case CMD_REFRESH:
        RequestRefresh();
        break;
    case CMD_HISTORY:
        m_Console.WriteList(m_CommandEdit.History());
        break;
    case CMD_KEYWORDS:
        m_Console.WriteList(m_CommandEdit.Keywords());
        break;
    case CMD_NAME:
        ShowOrSet("Name", AppSettings.Name, argument);
        break;
    case CMD_SIGN:
        ShowOrSet("Sign", AppSettings.Sign, argument);
        break;
    case CMD_GAMES:
        ListGames();
        break;
    case CMD_PLAYERS:
        ListIdlePlayers();
        break;
    default:
        // Chat, private messages, users, the configuration dialog, the game launch and the game's commands come
        // with their subsystems; until then they do nothing.
        break;
    }
}

void CMainController::OnExec() {
    IEditBox* box = m_CommandEdit.Box();
    if (!box)
        return;
    const std::string command = box->GetText();
    m_Console.Execute(command);
    if (!command.empty())
        m_CommandEdit.AddHistory(command);
    box->SetText("");
}

KeyAction CMainController::PreTranslateKey(int virtualKey, bool inCommandBox) {
    const KeyAction action = RouteKey(virtualKey, inCommandBox);
    switch (action) {
    case KeyAction::HistoryPrev:
        m_CommandEdit.HistoryPrev();
        break;
    case KeyAction::HistoryNext:
        m_CommandEdit.HistoryNext();
        break;
    case KeyAction::ClearBox:
        m_CommandEdit.ClearText();
        break;
    case KeyAction::Refresh:
        StartRefresh();
        break;
    default:
        break;
    }
    return action;
}
