// The keyboard-hook library keyRelay: the record it reports to the main program and the values of its settings.
#pragma once

#include <cstdint>

// Exported functions carry this; the library itself is built with KEYRELAY_BUILD.
#ifdef KEYRELAY_BUILD
#define KEYRELAY_API __declspec(dllexport)
#else
#define KEYRELAY_API __declspec(dllimport)
#endif

// One report of the hook: sent with WM_COPYDATA (data tag 0, 12 bytes), then announced with the notify message.
struct HookEvent {
    uint32_t event;   // HOOK_CONSOLE_KEY, HOOK_CHAR, HOOK_KEY_DOWN, HOOK_KEY_UP
    uint32_t wParam;  // virtual key (key down/up) or character code; not set for HOOK_CONSOLE_KEY
    uint32_t lParam;  // repeat count, scan code and flags of the reported message
};
static_assert(sizeof(HookEvent) == 12, "HookEvent is three 32-bit fields");

enum : uint32_t {
    HOOK_CONSOLE_KEY = 10,
    HOOK_CHAR = 20,
    HOOK_KEY_DOWN = 30,
    HOOK_KEY_UP = 40,
};

enum : int32_t {
    KEYMODE_OFF = 0,
    KEYMODE_TEXT = 1,
    KEYMODE_WATCHED = 2,
};

// The message that announces queued reports (WM_APP + 0x14), and the registered message name of the library.
constexpr uint32_t KEYRELAY_NOTIFY_MESSAGE = 0x8014;
constexpr const char* KEYRELAY_IN_MESSAGE_NAME = "UWM_KEYRELAY_IN_MSG-keyRelay";
