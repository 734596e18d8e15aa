// The main window's logic: a router over the subsystem modules plus the refresh cycle that ties them together. It
// starts the modules in banner order, registers their command rows, hands each command, timer tick and window
// message to the module that owns it, and rebuilds the status tree and the tray tip from their contributions. The
// Win32 dialog only forwards its messages here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/KVLTreeCtrl.h"
#include "base/AppContext.h"
#include "base/MessageRouter.h"
#include "base/Module.h"
#include "base/Timers.h"
#include "console/CommandEdit.h"
#include "console/Console.h"

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
    // The Launch and Configure buttons' operations, also run by the bw and configure commands.
    virtual void LaunchGame() = 0;
    virtual void Configure() = 0;
    virtual bool IsWindowOnScreen() const = 0;
    virtual void ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon,
                                 unsigned seconds) = 0;
};

class CMainController : public IModuleHost, public ISettingsListener {
public:
    CMainController(IMainView& view, CAppContext& context);
    ~CMainController() override;
    CMainController(const CMainController&) = delete;
    CMainController& operator=(const CMainController&) = delete;

    // Registers a subsystem before Start. Modules are started and written into the banner, asked for their rows,
    // and build their tree sections and tray tip parts in the order they were added.
    template <typename Module>
    Module& AddModule(std::unique_ptr<Module> module) {
        Module& added = *module;
        m_Modules.push_back(std::move(module));
        return added;
    }
    // A Win32 notification handler of a module (hook reports, peer notices, registered messages).
    void AddMessageHandler(IMessageHandler& handler) { m_Messages.Add(handler); }

    // Start-up: console and command tables, the banner with the modules, the timers with their first events.
    void Start(IConsoleOwner* owner, IOutputPane* outputPane, IEditBox* commandBox, ITreeControl* statusTree);
    // The last start-up step: the start-up script.
    void RunStartupScript();
    // Shutdown: the modules let go, the timers are killed (a running refresh is not finished).
    void Shutdown();

    void OnTimer(unsigned id);
    void OnConsoleCommand(std::unique_ptr<CommandRequest> request);
    // A window message that the main window does not handle itself; true when a module took it.
    bool OnWindowMessage(const WindowMessage& message, intptr_t& result) { return m_Messages.Route(message, result); }
    // The Exec button and Enter.
    void OnExec();
    // A key-down in the main window before its controls see it; the caller acts on the returned routing.
    KeyAction PreTranslateKey(int virtualKey, bool inCommandBox);

    int StartRefresh();
    void RequestRefresh();
    void FinishRefresh();
    void RebuildStatusTree();
    bool IsRefreshing() const { return m_bRefreshing; }

    // The rows of the main command table as registered: every module's rows and the main window's own, by id.
    std::vector<ConsoleCommand> MainCommandRows() const;

    // IModuleHost
    CConsole& Console() override { return m_Console; }
    int Execute(const std::string& line) override { return m_Console.Execute(line); }
    bool AddKeyword(const std::string& word) override { return m_CommandEdit.AddKeyword(word); }
    const std::vector<std::string>& Keywords() const override { return m_CommandEdit.Keywords(); }
    uintptr_t SetTimer(unsigned id, unsigned milliseconds) override { return m_View.SetTimer(id, milliseconds); }
    void KillTimer(unsigned id) override { m_View.KillTimer(id); }
    bool IsWindowOnScreen() const override { return m_View.IsWindowOnScreen(); }
    void ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon,
                         unsigned seconds) override {
        m_View.ShowTrayBalloon(text, title, icon, seconds);
    }

    // ISettingsListener: the automatic refresh follows the new settings (no refresh is started at once).
    void OnSettingsChanged() override;

    const std::vector<std::unique_ptr<IModule>>& Modules() const { return m_Modules; }
    CCommandEdit& CommandEdit() { return m_CommandEdit; }
    CKVLTreeCtrl& StatusTree() { return m_StatusTree; }
    uintptr_t AutoRefreshTimer() const { return m_nAutoRefreshTimer; }

private:
    void WriteBanner();
    void ArmAutoRefresh();
    // The main window's own commands; false when the id is not one of them.
    bool RunShellCommand(uint32_t id, const std::string& argument);
    void ShowOrSet(const char* label, std::string& setting, const std::string& argument);

    IMainView& m_View;
    CAppContext& m_Context;
    CConsole m_Console;
    CCommandEdit m_CommandEdit;
    CKVLTreeCtrl m_StatusTree;
    std::vector<std::unique_ptr<IModule>> m_Modules;
    std::map<uint32_t, IModule*> m_CommandOwners;
    CMessageRouter m_Messages;
    bool m_bRefreshing = false;
    uintptr_t m_nAutoRefreshTimer = 0;
    uintptr_t m_nGameWatchTimer = 0;
};
