// The platform's services for the subsystems on Windows, owned in one place: the sockets, the game window's
// look-ups, the hook library, the keystroke worker's platform, the in-game console's drawing, the hook's reports and
// the processes' elevation.
// A new service is one member here, handed on in Services() (and its window messages in AddMessageHandlers).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "app/MainController.h"
#include "app/Subsystems.h"
#include "app/win32/KeyRelayLibrary.h"
#include "assistant/win32/GdiOverlay.h"
#include "assistant/win32/HookMessages.h"
#include "assistant/win32/KeystrokePlatform.h"
#include "base/win32/ProcessElevation.h"
#include "base/win32/WindowFinder.h"
#include "network/win32/WinsockSockets.h"
#include "res/resource.h"

class CWin32Platform {
public:
    // window: the main window's handle, set once the window exists (the hook is set during its initialisation).
    explicit CWin32Platform(const HWND& window) : m_KeyRelay(window) {}
    CWin32Platform(const CWin32Platform&) = delete;
    CWin32Platform& operator=(const CWin32Platform&) = delete;

    PlatformServices Services() {
        return PlatformServices{m_Sockets, m_WindowFinder, m_KeyRelay, m_Keystrokes,
                                m_Overlay, m_HookMessages, m_Elevation};
    }
    // The services' own window messages (the hook's reports) reach them through the main window's logic.
    void AddMessageHandlers(CMainController& controller) { controller.AddMessageHandler(m_HookMessages); }
    // Run elevated, the program still hears a game that is not (the hook's reports to the main window) and the
    // taskbar's restart (at the tray's window).
    void LetProcessesBelowIn(HWND mainWindow, HWND trayWindow) {
        const auto main = reinterpret_cast<uintptr_t>(mainWindow);
        (void)::LetProcessesBelowIn(
            m_Elevation, {{main, WM_COPYDATA},
                          {main, WM_KEYRELAY_NOTIFY},
                          {reinterpret_cast<uintptr_t>(trayWindow), ::RegisterWindowMessageA("TaskbarCreated")}});
    }

private:
    CWinsockFactory m_Sockets;
    CWindowFinder m_WindowFinder;
    CKeyRelayLibrary m_KeyRelay;
    CWin32KeystrokePlatform m_Keystrokes;
    CGdiOverlay m_Overlay;
    CHookMessages m_HookMessages;
    CProcessElevation m_Elevation;
};
