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
    WNDCLASSEXA wc{};
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = className;
    return RegisterClassOnce(wc);
}

bool RegisterClassOnce(WNDCLASSEXA windowClass) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExA(instance, windowClass.lpszClassName, &existing))
        return true;
    windowClass.cbSize = sizeof(windowClass);
    windowClass.hInstance = instance;
    return ::RegisterClassExA(&windowClass) != 0;
}
