// The main window's logic: start-up banner and timers, the refresh cycle, the status tree rebuild, the main
// commands and the command line's keys. The Win32 dialog only forwards its messages here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/KVLTreeCtrl.h"
#include "console/CommandEdit.h"
#include "console/Console.h"
#include "gamemon/ServerMonitor.h"

enum : unsigned {
    TIMER_AUTO_REFRESH = 1000,
    TIMER_REFRESH_DONE = 2000,
    TIMER_GAME_WATCH = 3000,
    GAME_WATCH_PERIOD = 1000,
};

// What the logic asks of the main window.
class IMainView {
public:
    virtual ~IMainView() = default;
    // Sets (or resets) a timer of the window; its handle, 0 on failure.
    virtual uintptr_t SetTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void KillTimer(unsigned id) = 0;
    virtual void EnableRefreshButton(bool enable) = 0;
    virtual void SetTrayTip(const std::string& text) = 0;
    // Ends the main window's modal run.
    virtual void EndDialog(int result) = 0;
};

class CMainController {
public:
    CMainController(IMainView& view, ISocketFactory& sockets, const std::string& localAddress);
    CMainController(const CMainController&) = delete;
    CMainController& operator=(const CMainController&) = delete;

    // Start-up: console and command tables, the banner with the modules, the timers with their first events.
    void Start(IConsoleOwner* owner, IOutputPane* outputPane, IEditBox* commandBox, ITreeView* statusTree);
    // The last start-up step: the start-up script.
    void RunStartupScript();
    // Shutdown: the timers are killed (a running refresh is not finished).
    void Shutdown();

    void OnTimer(unsigned id);
    void OnConsoleCommand(std::unique_ptr<CommandRequest> request);
    // The Exec button and Enter.
    void OnExec();
    // A key-down in the main window before its controls see it; the caller acts on the returned routing.
    KeyAction PreTranslateKey(int virtualKey, bool inCommandBox);

    int StartRefresh();
    void RequestRefresh();
    void FinishRefresh();
    void RebuildStatusTree();

    CConsole& Console() { return m_Console; }
    CCommandEdit& CommandEdit() { return m_CommandEdit; }
    CServerMonitor& ServerMonitor() { return m_ServerMonitor; }
    CKVLTreeCtrl& StatusTree() { return m_StatusTree; }
    uintptr_t AutoRefreshTimer() const { return m_nAutoRefreshTimer; }

private:
    void WriteBanner();
    void ListGames();
    void ListIdlePlayers();
    void ShowOrSet(const char* label, std::string& setting, const std::string& argument);

    IMainView& m_View;
    CConsole m_Console;
    CCommandEdit m_CommandEdit;
    CServerMonitor m_ServerMonitor;
    CKVLTreeCtrl m_StatusTree;
    std::string m_strLocalAddress;
    uintptr_t m_nAutoRefreshTimer = 0;
    uintptr_t m_nGameWatchTimer = 0;
};
