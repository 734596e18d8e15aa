// The in-game console's life over the game window: opened and closed by the console key (and the hook's key mode with
// it), drawn while open or while recent lines are on show, its timers, and the console's lines taken in when the
// thread is idle. Its model (GameConsole.h) says what a key does; this carries it out on the platform.
#pragma once

#include <cstdint>
#include <string>

#include "assistant/GameConsole.h"
#include "assistant/KeyRelay.h"
#include "assistant/Overlay.h"
#include "base/GameWindow.h"
#include "base/Module.h"

class CInGameConsole : public IOverlaySink {
public:
    // Its timers, its lines run and its completion words are the host's; it draws on the window in front.
    CInGameConsole(IModuleHost& host, const IWindowFinder& windows, IOverlayPlatform& overlay, IKeyRelay& keyRelay)
        : m_Host(host), m_Windows(windows), m_Overlay(overlay), m_KeyRelay(keyRelay) {}
    CInGameConsole(const CInGameConsole&) = delete;
    CInGameConsole& operator=(const CInGameConsole&) = delete;

    // Its fonts; false when they cannot be had, and there is no in-game console.
    bool CreateFonts();
    // Closed, no longer drawn, no timer left, and its font freed.
    void Shutdown();

    bool IsOpen() const { return m_Model.IsOpen(); }
    // Opens or closes it; whether it is open now.
    bool OnConsoleKey();
    // A character, or a key pressed while it is open.
    void OnCharacter(char c) { CarryOut(m_Model.OnCharacter(c, m_Host.Keywords())); }
    void OnEditingKey(uint32_t vk) { CarryOut(m_Model.OnEditingKey(vk)); }
    // Its timers, CONSOLE_TIMER_FIRST and above.
    void OnTimer(unsigned id);

    // Every console write; completed lines are taken in when the thread is next idle.
    void AddOverlayText(const std::string& text, const CConsoleText& all) override;

private:
    // What the model asked for after a character or an editing key.
    void CarryOut(ConsoleAction action);
    // The completed lines of what was written: into the console, and on show over the game in front.
    void TakeInPendingText();
    // What waits for the text timer, now.
    void TakeInWritten();
    void StartDrawing();
    void StopDrawing();
    void StopHideTimer();
    void InvalidateConsole();

    IModuleHost& m_Host;
    const IWindowFinder& m_Windows;
    IOverlayPlatform& m_Overlay;
    IKeyRelay& m_KeyRelay;

    CGameConsole m_Model;
    uintptr_t m_hDrawWindow = 0;
    IOverlayCanvas* m_pCanvas = nullptr;           // the drawing context, present only while drawing
    const CConsoleText* m_pConsoleText = nullptr;  // what the console wrote, once it has written
    bool m_bTextTimer = false;                     // TIMER_CONSOLE_TEXT is set
    bool m_bFonts = false;
};
