// The shared halves of the window-procedure forwarders: fault reports and class registration.
#include "base/win32/WindowProc.h"

#include <cstdio>

void ReportCaughtFault(const char* where, const std::exception* fault) noexcept {
    char text[512];
    std::snprintf(text, sizeof(text), "KVL SE: %s: exception in a window procedure: %s\n", where ? where : "?",
                  fault ? fault->what() : "unknown exception");
    ::OutputDebugStringA(text);
}

bool RegisterClassOnce(const char* className, WNDPROC procedure) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExA(instance, className, &existing))
        return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    return ::RegisterClassExA(&wc) != 0;
}
