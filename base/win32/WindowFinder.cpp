// The platform's window look-ups behind the game-window questions.
#include "base/win32/WindowFinder.h"

#include <winsock2.h>
#include <windows.h>

uintptr_t CWindowFinder::FindTopLevel(const char* className, const char* caption) const {
    return reinterpret_cast<uintptr_t>(::FindWindowA(className, caption));
}

uintptr_t CWindowFinder::ForegroundWindow() const { return reinterpret_cast<uintptr_t>(::GetForegroundWindow()); }
