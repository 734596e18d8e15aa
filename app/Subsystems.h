// The program's subsystems, registered with the main window logic in the order of the start-up banner. A new
// subsystem is one module in its own folder and one line here.
#pragma once

#include "app/MainController.h"
#include "assistant/KeyRelay.h"
#include "assistant/KeystrokeSender.h"
#include "assistant/Overlay.h"
#include "base/AppContext.h"
#include "base/GameWindow.h"
#include "base/ProcessElevation.h"
#include "network/NotifySocket.h"

// What the platform layer provides for the modules: on Windows CWin32Platform (app/win32/Win32Platform.h) owns the
// services, in the unit tests FakePlatform (tests/unit/FakePlatform.h) owns their fakes.
struct PlatformServices {
    ISocketFactory& sockets;
    IWindowFinder& windows;          // the game window's look-ups
    IKeyRelay& keyRelay;             // the hook library: its hook and the keys it types
    IKeystrokePlatform& keystrokes;  // layout, clock, queue synchronisation and thread of the keystroke worker
    IOverlayPlatform& overlay;       // the in-game console's fonts and drawing on the game window
    IHookReports& hookReports;       // the hook's reports, as window messages arrive
    IProcessElevation& elevation;    // whether the game's process and this one run elevated
};

void RegisterSubsystems(CMainController& controller, const CAppContext& context, PlatformServices platform);
