// The game keyboard assistant as a module of the main window: its banner line (the keystroke worker, the in-game
// console's fonts and the keyboard hook), the game's commands, and the routing of what reaches it: the hook's reports
// to the key bindings or the in-game console, console writes and timers to the in-game console, and the game window
// watched every second, with the notice of a game out of reach.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "assistant/ElevationNotice.h"
#include "assistant/InGameConsole.h"
#include "assistant/KeyBindings.h"
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

class CGameAssistant : public IModule, public IHookReceiver {
public:
    CGameAssistant(IModuleHost& host, const AssistantPlatform& platform);
    ~CGameAssistant() override;
    CGameAssistant(const CGameAssistant&) = delete;
    CGameAssistant& operator=(const CGameAssistant&) = delete;

    const char* BannerText() const override { return " Starting keyRelay\x99..."; }
    // The keystroke worker, the in-game console's fonts, then the hook: 0 when the worker runs and the hook is
    // installed.
    int Start() override;
    void Shutdown() override;

    std::vector<ConsoleCommand> Commands() const override;
    void OnCommand(uint32_t id, const std::string& argument) override;

    // The game-watch timer and the in-game console's timers.
    bool OwnsTimer(unsigned id) const override { return id == TIMER_GAME_WATCH || id >= CONSOLE_TIMER_FIRST; }
    void OnTimer(unsigned id) override;
    IOverlaySink* OverlaySink() override { return &m_InGameConsole; }

    // IHookReceiver: a report is queued while the game's thread waits, and handled on the notify message.
    void QueueHookEvent(const HookEvent& event) override { m_HookEvents.push_back(event); }
    void DrainHookEvents() override;

private:
    void OnHookNotify(const HookEvent& event);
    void RunBoundKey(uint16_t vk);
    // Looks the game window up; a console open over a game that has gone is closed.
    void WatchGameWindow();

    // A typing command: what it says when the text cannot be typed (the game behind another window only when
    // notInFront is given).
    void TypeCommand(const std::string& text, const char* notInFront);
    // Looks the game up afresh; said once per run of the game when it is out of reach.
    bool GameOutOfReach();

    IModuleHost& m_Host;
    AssistantPlatform m_Platform;

    CKeystrokeSender m_Sender;
    CKeyBindings m_Bindings;
    CInGameConsole m_InGameConsole;
    CElevationNotice m_Elevation;
    std::deque<HookEvent> m_HookEvents;
    bool m_bHooked = false;
};
