// The application's main window, as the application object names it while the window lives: the window that the
// program's pop-ups fall back on when their caller gives them none (a balloon tip without a parent).
#pragma once

#include <winsock2.h>
#include <windows.h>

// Null when it is gone. Both on the user-interface thread.
void SetApplicationMainWindow(HWND window) noexcept;
HWND ApplicationMainWindow() noexcept;
