// The main window's logic: the banner and timers of start-up, the refresh cycle over the modules, the status tree
// and tray tip from their contributions, the routing of commands and timers, and the command line's keys.
#include "app/MainController.h"

#include <algorithm>
#include <optional>

#include "app/ShellCommands.h"

CMainController::CMainController(IMainView& view, CAppContext& context) : m_View(view), m_Context(context) {
    m_Context.AddSettingsListener(*this);
}

CMainController::~CMainController() { m_Context.RemoveSettingsListener(*this); }

std::vector<ConsoleCommand> CMainController::MainCommandRows() const {
    std::vector<ConsoleCommand> rows(std::begin(ShellCommands), std::end(ShellCommands));
    for (const auto& module : m_Modules) {
        const std::vector<ConsoleCommand> own = module->Commands();
        rows.insert(rows.end(), own.begin(), own.end());
    }
    // The table's order is its ids' order, whichever module brings a row.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ConsoleCommand& a, const ConsoleCommand& b) { return a.id < b.id; });
    return rows;
}

void CMainController::Start(IConsoleOwner* owner, IOutputPane* outputPane, IEditBox* commandBox,
                            ITreeControl* statusTree) {
    m_CommandEdit.Attach(commandBox);
    m_StatusTree.Attach(statusTree);

    m_CommandOwners.clear();
    for (const auto& module : m_Modules)
        for (const ConsoleCommand& row : module->Commands())
            m_CommandOwners.emplace(row.id, module.get());

    // Every write also goes to the in-game console, from the banner's first line on.
    IOverlaySink* overlay = nullptr;
    for (const auto& module : m_Modules)
        if (!overlay)
            overlay = module->OverlaySink();
    m_Console.Init(owner, &m_CommandEdit, outputPane, overlay);
    const std::vector<ConsoleCommand> rows = MainCommandRows();
    m_Console.RegisterCommands(rows.data(), rows.size());
    for (const auto& module : m_Modules) {
        if (const std::optional<uint32_t> plainLine = module->PlainLineCommand()) {
            m_Console.SetDefaultCommand(*plainLine);
            break;
        }
    }

    WriteBanner();

    // The first timer events are delivered at once, on this thread, so the first refresh starts before the
    // window is shown.
    if (m_Context.Settings().RefreshAuto != 0) {
        m_nAutoRefreshTimer = m_View.SetTimer(TIMER_AUTO_REFRESH, m_Context.Settings().RefreshPeriod);
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
    for (const auto& module : m_Modules) {
        m_Console.Write(module->BannerText());
        m_Console.WriteLine(module->Start() != 0 ? " [FAILED]" : " [OK]");
    }
    m_Console.WriteLine("Done");
    m_Console.WriteLine(rule);
    m_Console.WriteLine("Type '/help' to get list of commands");
    m_Console.WriteLine("");
}

void CMainController::RunStartupScript() { m_Console.Execute("/exec autoexec.cfg"); }

void CMainController::Shutdown() {
    for (const auto& module : m_Modules)
        module->Shutdown();
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
        return;
    case TIMER_REFRESH_DONE:
        // Killed before the refresh is finished, not after: finishing updates the tray, and while that call waits
        // the window handles sent messages. A refresh started there arms this timer anew, and killing it
        // afterwards would leave that refresh running for good (button disabled, automatic refresh skipped).
        m_View.KillTimer(TIMER_REFRESH_DONE);
        FinishRefresh();
        return;
    default:
        for (const auto& module : m_Modules) {
            if (module->OwnsTimer(id)) {
                module->OnTimer(id);
                return;
            }
        }
    }
}

void CMainController::ArmAutoRefresh() {
    if (m_nAutoRefreshTimer != 0) {
        m_View.KillTimer(TIMER_AUTO_REFRESH);
        m_nAutoRefreshTimer = 0;
    }
    if (m_Context.Settings().RefreshAuto != 0)
        m_nAutoRefreshTimer = m_View.SetTimer(TIMER_AUTO_REFRESH, m_Context.Settings().RefreshPeriod);
}

void CMainController::OnSettingsChanged() { ArmAutoRefresh(); }

int CMainController::StartRefresh() {
    if (m_bRefreshing)
        return -1;
    m_bRefreshing = true;
    for (const auto& module : m_Modules) {
        const char* name = module->RefreshName();
        if (name && module->BeginRefresh() != 0)
            m_Console.WriteLine(std::string("warning: ") + name + ".BeginRefresh() failed");
    }
    m_View.SetTimer(TIMER_REFRESH_DONE, m_Context.Settings().RefreshTimeout);
    m_View.EnableRefreshButton(false);
    return 0;
}

void CMainController::RequestRefresh() {
    if (StartRefresh() != 0)
        m_Console.WriteLine("Refresh in progress, please wait");
}

void CMainController::FinishRefresh() {
    if (m_bRefreshing) {
        m_bRefreshing = false;
        for (const auto& module : m_Modules)
            if (module->RefreshName())
                module->EndRefresh();
    }
    RebuildStatusTree();
    m_View.EnableRefreshButton(true);
    std::string tip;
    for (const auto& module : m_Modules) {
        const std::string part = module->TrayTipPart();
        if (part.empty())
            continue;
        if (!tip.empty())
            tip += ", ";
        tip += part;
    }
    // The tray keeps at most 127 characters of its tip.
    m_View.SetTrayTip(tip.substr(0, 127));
}

void CMainController::RebuildStatusTree() {
    if (!m_StatusTree.Control())
        return;
    // Drawing is suspended while the control is edited (RestoreTreeState brings it to the rebuilt tree).
    m_StatusTree.SaveTreeState();
    for (const auto& module : m_Modules)
        module->BuildTreeSection(m_StatusTree.Model());
    m_StatusTree.RestoreTreeState(true);
}

// name and sign: with an argument the setting takes it (stored at the next save), without one it is shown.
void CMainController::ShowOrSet(const char* label, std::string& setting, const std::string& argument) {
    if (argument.empty())
        m_Console.WriteLine(std::string(label) + ": \"" + setting + "\"");
    else
        setting = argument;
}

bool CMainController::RunShellCommand(uint32_t id, const std::string& argument) {
    switch (id) {
    case CMD_QUIT:
        m_Console.WriteLine("Terminating...");
        m_View.EndDialog(0);
        return true;
    case CMD_REFRESH:
        RequestRefresh();
        return true;
    case CMD_HISTORY:
        m_Console.WriteList(m_CommandEdit.History());
        return true;
    case CMD_KEYWORDS:
        m_Console.WriteList(m_CommandEdit.Keywords());
        return true;
    case CMD_NAME:
        ShowOrSet("Name", m_Context.Settings().Name, argument);
        return true;
    case CMD_SIGN:
        ShowOrSet("Sign", m_Context.Settings().Sign, argument);
        return true;
    case CMD_CONFIGURE:
        m_View.Configure();
        return true;
    case CMD_BW:
        m_View.LaunchGame();
        return true;
    default:
        return false;
    }
}

void CMainController::OnConsoleCommand(std::unique_ptr<CommandRequest> request) {
    if (!request)
        return;
    const std::string argument = request->args;
    if (RunShellCommand(request->id, argument))
        return;
    const auto owner = m_CommandOwners.find(request->id);
    if (owner != m_CommandOwners.end())
        owner->second->OnCommand(request->id, argument);
    // Any other id does nothing; the request is freed all the same.
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
