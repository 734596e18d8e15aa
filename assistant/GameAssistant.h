// The game keyboard assistant as a module of the main window: its banner line (the keystroke worker, the in-game
// console's fonts and the keyboard hook), the game's commands, typing into the game window, key bindings, the
// hook's reports, the in-game console drawn over the game window, and the notice of a game out of reach.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "assistant/ElevationNotice.h"
#include "assistant/GameCommands.h"
#include "assistant/GameConsole.h"
#include "assistant/KeyRelay.h"
#include "assistant/KeystrokeSender.h"
#include "assistant/Overlay.h"
#include "base/GameWindow.h"
#include "base/Module.h"
#include "base/ProcessElevation.h"
#include "base/Timers.h"

// What the assistant needs of the platform.
struct AssistantPlatform {
    const IWindowFinder& windows;
    IKeyRelay& keyRelay;
    IKeystrokePlatform& keystrokes;
    IOverlayPlatform& overlay;
    IHookReports& hookReports;
    const IProcessElevation& elevation;  // whether the game runs elevated above this program
};

class CGameAssistant : public IModule, public IOverlaySink, public IHookReceiver {
public:
    CGameAssistant(IModuleHost& host, const AssistantPlatform& platform);
    ~CGameAssistant() override;
    CGameAssistant(const CGameAssistant&) = delete;
    CGameAssistant& operator=(const CGameAssistant&) = delete;

    const char* BannerText() const override { return " Starting keyRelay\x99..."; }
    // The queue's event and mutex, the keystroke worker, the in-game console's fonts, then the hook: 0 when the
    // worker runs and the hook is installed.
    int Start() override { return Init(); }
    void Shutdown() override;

    std::vector<ConsoleCommand> Commands() const override;
    void OnCommand(uint32_t id, const std::string& argument) override;

    // The game-watch timer and the in-game console's timers.
    bool OwnsTimer(unsigned id) const override { return id == TIMER_GAME_WATCH || id >= CONSOLE_TIMER_FIRST; }
    void OnTimer(unsigned id) override;
    IOverlaySink* OverlaySink() override { return this; }

    int Init();
    // Queues a text in the keystroke notation for the worker; false (nothing queued) when the game window is not
    // the foreground window, runs elevated above this program, or the worker is not running.
    bool SendKeys(const std::string& text) { return Type(text) == Typing::Queued; }

    // Key bindings: the name is upper-cased; false when it names no bindable key.
    bool Bind(std::string keyName, const std::string& command);
    // The binding of that name (as passed); the empty name removes every binding and leaves no key watched.
    void Unbind(const std::string& keyName);
    // Every binding as "KEY -> command\r\n" lines in the store's order, or the one of filter without a line end.
    std::string ListBindings(std::string filter) const;

    // IHookReceiver: a report is queued while the game's thread waits, and handled on the notify message.
    void QueueHookEvent(const HookEvent& event) override;
    void DrainHookEvents() override;
    void OnHookNotify(const HookEvent& event);

    // IOverlaySink: every console write; completed lines go to the in-game console when the thread is next idle.
    void AddOverlayText(const std::string& text, const CConsoleText& all) override;
    // Looks the game window up; a console open over a game that has gone is closed. Answers 0.
    int WatchGameWindow();

    const CGameConsole& GameConsole() const { return m_GameConsole; }
    bool IsDrawing() const { return m_pCanvas != nullptr; }
    uintptr_t GameWindow() const { return m_hGameWindow; }
    bool WorkerRunning() const { return m_pWorker != nullptr; }
    bool HookInstalled() const { return m_bHooked; }
    size_t QueuedHookEvents() const { return m_HookEvents.size(); }

private:
    enum class Typing { Queued, NotInFront, OutOfReach, NoWorker };
    Typing Type(const std::string& text);
    // A typing command: what it says when the text cannot be typed (the game behind another window only when
    // notInFront is given).
    void TypeCommand(const std::string& text, const char* notInFront);
    // Looks the game up afresh; said once per run of the game when it is out of reach.
    bool GameOutOfReach();

    void OnConsoleKey();
    // What the in-game console asked for after a character or an editing key.
    void CarryOut(ConsoleAction action);
    void RunBoundKey(uint32_t vk);

    // The completed lines of what was written: into the in-game console, and on show over the game in front.
    void TakeInPendingText();
    // What waits for the text timer, now.
    void TakeInWritten();
    void StartDrawing();
    void StopDrawing();
    void StopHideTimer();
    void InvalidateConsole();

    // The code of a bindable key's name (exact match); 0 when there is none.
    uint16_t KeyCode(const std::string& name) const;

    IModuleHost& m_Host;
    AssistantPlatform m_Platform;

    uintptr_t m_hGameWindow = 0;
    CGameConsole m_GameConsole;
    uintptr_t m_hDrawWindow = 0;
    IOverlayCanvas* m_pCanvas = nullptr;                          // the drawing context, present only while drawing
    const CConsoleText* m_pConsoleText = nullptr;                 // what the console wrote, once it has written
    std::vector<std::pair<std::string, std::string>> m_Bindings;  // key name -> command line, in binding order
    const std::map<uint16_t, std::string> m_KeyNames;
    std::deque<HookEvent> m_HookEvents;

    std::unique_ptr<IQueueSync> m_pQueueSync;
    std::unique_ptr<CKeyQueue> m_pKeyQueue;
    std::unique_ptr<IWorkerThread> m_pWorker;
    CElevationNotice m_Elevation;
    bool m_bTextTimer = false;  // TIMER_CONSOLE_TEXT is set
    bool m_bFonts = false;
    bool m_bHooked = false;
};
