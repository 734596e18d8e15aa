// keyRelay.dll: the keyboard-hook library. This file holds its shared settings and its entry point; the hook
// procedure and the exported operations build on them.
#include <windows.h>

#include "keyRelay.h"

namespace {

// One copy for every process that maps the library (the section is flagged SHARED), so that what the main program
// sets is what the hook procedure sees inside the game's process.
struct SharedHookState {
    HWND notifyWindow;
    int32_t keyMode;
    uint8_t watchedKeys[256];
};
// 32-bit (the shipped library): no padding. A 64-bit build has an 8-byte handle and 4 bytes of tail padding to
// the struct's 8-byte alignment; both sides of the section are always the same build.
static_assert(sizeof(SharedHookState) == (sizeof(void*) == 4 ? 4 + 4 + 256 : 8 + 4 + 256 + 4),
              "the shared state is laid out as expected for the target's pointer size");

}  // namespace

static SharedHookState g_SharedState __attribute__((section(".SHKEY"), shared)) = {nullptr, KEYMODE_WATCHED, {0}};

// Per process.
static HHOOK g_hHook = nullptr;  // set only in the process that installed the hook
static HINSTANCE g_hInstance = nullptr;
static UINT g_nInMessage = 0;
static HWND g_hGameWindow = nullptr;

// Removes this process's hook; on success the hook has no owner any more.
static BOOL RemoveOwnHook() {
    if (!g_hHook)
        return FALSE;
    const BOOL removed = ::UnhookWindowsHookEx(g_hHook);
    if (removed) {
        g_hHook = nullptr;
        g_SharedState.notifyWindow = nullptr;
    }
    return removed;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // Each process looks the game window up once, when the library arrives in it.
        g_hGameWindow = ::FindWindowA("SWarClass", "Brood War");
        g_hInstance = instance;
        g_nInMessage = ::RegisterWindowMessageA(KEYRELAY_IN_MESSAGE_NAME);
        break;
    case DLL_PROCESS_DETACH:
        // Only the owning process can remove the hook; elsewhere this changes nothing.
        if (g_SharedState.notifyWindow)
            RemoveOwnHook();
        break;
    default:
        break;
    }
    return TRUE;
}
