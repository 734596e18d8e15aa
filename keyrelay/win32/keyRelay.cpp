// keyRelay.dll: the keyboard-hook library. Its hook procedure runs inside every process that retrieves window
// messages while the hook is set, the game's among them: it must never allocate, throw, lock or wait for long there.
#include <windows.h>

#include "HookFilter.h"
#include "keyRelay.h"

// One copy for every process that maps the library (the section is flagged SHARED), so that what the main program
// sets is what the hook procedure sees inside the game's process.
SharedHookState g_SharedState __attribute__((section(".SHKEY"), shared)) = {0, KEYMODE_WATCHED, {0}};

// Per process.
static HHOOK g_hHook = nullptr;  // set only in the process that installed the hook
static HINSTANCE g_hInstance = nullptr;
static UINT g_nInMessage = 0;
static HWND g_hGameWindow = nullptr;

int nkeyRelay = 0;

namespace {

constexpr char kGameClass[] = "SWarClass";
constexpr char kGameCaption[] = "Brood War";
// A report waits for the main program to take it; a program that hangs must not freeze the game with it.
constexpr UINT kReportTimeout = 1000;

// The shared fields are written by another process: read them afresh every time.
volatile SharedHookState& Shared() { return g_SharedState; }

HWND NotifyWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(Shared().notifyWindow)); }

// The main window's end of the reports.
struct NotifyChannel {
    HWND window;
    bool Copy(const HookEvent& record) const {
        COPYDATASTRUCT data = {0, sizeof(record), const_cast<HookEvent*>(&record)};
        DWORD_PTR result = 0;
        // The record is copied into the main program during the send; a failed send is not retried.
        return ::SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                     kReportTimeout, &result) != 0;
    }
    void Notify() const { ::SendNotifyMessageA(window, KEYRELAY_NOTIFY_MESSAGE, 0, 0); }
};

void Report(uint32_t event, WPARAM wParam, LPARAM lParam) {
    NotifyChannel channel{NotifyWindow()};
    if (channel.window)
        SendReport(channel, HookEvent{event, static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam)});
}

// The game window of this process. A process into which the library came before its game window existed (the
// program itself launches the game) looks again, but only while it has none and only for keyboard messages.
HWND GameWindowFor(UINT message) {
    if (!g_hGameWindow && IsKeyboardMessage(message))
        g_hGameWindow = ::FindWindowA(kGameClass, kGameCaption);
    return g_hGameWindow;
}

LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code < 0) {
        ::CallNextHookEx(g_hHook, code, wParam, lParam);
        return 0;
    }
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code != HC_ACTION || !message || Shared().keyMode == KEYMODE_OFF)
        return ::CallNextHookEx(g_hHook, code, wParam, lParam);
    HWND game = GameWindowFor(message->message);
    if (!game || message->hwnd != game)
        return ::CallNextHookEx(g_hHook, code, wParam, lParam);

    const UINT msg = message->message;
    const WPARAM keyParam = message->wParam;
    const LPARAM keyFlags = message->lParam;
    bool swallow = false;
    if (IsConsoleKeyDown(msg, keyParam)) {
        Report(HOOK_CONSOLE_KEY, 0, 0);
        swallow = true;
    }
    // The main program may have switched the mode while it took the console key.
    const uint32_t event = ClassifyHookMessage(Shared().keyMode, Shared().watchedKeys, msg, keyParam);
    if (event != 0) {
        Report(event, keyParam, keyFlags);
        swallow = true;
    }
    if (swallow) {
        // The game retrieves a message that does nothing.
        message->message = WM_NULL;
        message->wParam = 0;
        message->lParam = 0;
    }
    return ::CallNextHookEx(g_hHook, code, wParam, lParam);
}

}  // namespace

extern "C" {

BOOL keyRelaySetHook(HWND notify) {
    if (Shared().notifyWindow != 0)
        return FALSE;  // owned, by this or another process
    HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, &HookProc, g_hInstance, 0);
    if (!hook)
        return FALSE;
    g_hHook = hook;
    Shared().notifyWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(notify));
    g_hGameWindow = ::FindWindowA(kGameClass, kGameCaption);
    return TRUE;
}

BOOL keyRelayRemoveHook(HWND) {
    const BOOL removed = ::UnhookWindowsHookEx(g_hHook);
    if (removed) {
        g_hHook = nullptr;
        Shared().notifyWindow = 0;
    }
    return removed;
}

void keyRelaySetKeyMode(int mode) { Shared().keyMode = mode; }

void keyRelayAddKey(unsigned short vk) {
    if (vk < 256)
        Shared().watchedKeys[vk] = 1;
}

void keyRelayRemoveKey(unsigned short vk) {
    if (vk == 0) {
        for (volatile uint8_t& key : Shared().watchedKeys)
            key = 0;
    } else if (vk < 256) {
        Shared().watchedKeys[vk] = 0;
    }
}

void keyRelayKeybdEvent(unsigned char vk, unsigned char scan, unsigned long flags, unsigned long extraInfo) {
    ::keybd_event(vk, scan, flags, extraInfo);
}

int fnkeyRelay(void) { return 42; }

}  // extern "C"

CkeyRelay::CkeyRelay() {}

CkeyRelay& CkeyRelay::operator=(const CkeyRelay&) { return *this; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // Each process looks the game window up once, when the library arrives in it.
        g_hGameWindow = ::FindWindowA(kGameClass, kGameCaption);
        g_hInstance = instance;
        g_nInMessage = ::RegisterWindowMessageA(KEYRELAY_IN_MESSAGE_NAME);
        break;
    case DLL_PROCESS_DETACH:
        // Only the owning process can remove the hook; elsewhere the removal fails and nothing changes.
        if (Shared().notifyWindow != 0)
            keyRelayRemoveHook(nullptr);
        break;
    default:
        break;
    }
    return TRUE;
}
