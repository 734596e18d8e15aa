// The game keyboard assistant as a module of the main window: its banner line (the keystroke worker and the
// keyboard hook), the game's commands, and typing into the game window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "assistant/GameCommands.h"
#include "assistant/KeyRelay.h"
#include "assistant/KeystrokeSender.h"
#include "base/GameWindow.h"
#include "base/Module.h"

class CGameAssistantModule : public IModule {
public:
    CGameAssistantModule(IModuleHost& host, const IWindowFinder& windows, IKeyRelay& keyRelay,
                         IKeystrokePlatform& platform);
    ~CGameAssistantModule() override;
    CGameAssistantModule(const CGameAssistantModule&) = delete;
    CGameAssistantModule& operator=(const CGameAssistantModule&) = delete;

    const char* BannerText() const override { return " Starting keyRelay\x99..."; }
    // The queue's event and mutex, the keystroke worker, then the hook: 0 when the worker runs and the hook is
    // installed.
    int Start() override { return Init(); }
    void Shutdown() override;

    std::vector<ConsoleCommand> Commands() const override;
    void OnCommand(uint32_t id, const std::string& argument) override;

    int Init();
    // Queues a text in the keystroke notation for the worker; false (nothing queued) when the game window is not
    // the foreground window or the worker is not running.
    bool SendKeys(const std::string& text);

    bool WorkerRunning() const { return m_pWorker != nullptr; }
    bool HookInstalled() const { return m_bHooked; }

private:
    IModuleHost& m_Host;
    const IWindowFinder& m_Windows;
    IKeyRelay& m_KeyRelay;
    IKeystrokePlatform& m_Platform;
    KeyboardOutput m_Output;
    std::unique_ptr<IQueueSync> m_pQueueSync;
    std::unique_ptr<CKeyQueue> m_pKeyQueue;
    std::unique_ptr<IWorkerThread> m_pWorker;
    bool m_bHooked = false;
};
