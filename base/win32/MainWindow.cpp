// The application's main window.
#include "base/win32/MainWindow.h"

namespace {

// Only the user-interface thread sets and reads it.
HWND g_hMainWindow = nullptr;

}  // namespace

void SetApplicationMainWindow(HWND window) noexcept { g_hMainWindow = window; }

HWND ApplicationMainWindow() noexcept { return g_hMainWindow; }
