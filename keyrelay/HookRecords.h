// The records and values that the keyboard-hook library shares with the main program: the report it sends, its
// event codes and key modes, its messages and the layout of its shared section. Portable: the main program's core
// reads these without the platform's headers.
#pragma once

#include <cstddef>
#include <cstdint>

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

// The settings that every process mapping the library shares (section ".SHKEY"), in this order. The notify window
// is kept as a 32-bit value so that the layout is the same in every build (window handles fit in 32 bits).
struct SharedHookState {
    uint32_t notifyWindow;     // the main program's window that receives the reports; 0 = the hook has no owner
    int32_t keyMode;           // KEYMODE_OFF, KEYMODE_TEXT, KEYMODE_WATCHED
    uint8_t watchedKeys[256];  // by virtual-key code: 1 watched, 0 not
};
static_assert(sizeof(SharedHookState) == 264, "notify window, key mode, 256 watched-key bytes, no padding");
static_assert(offsetof(SharedHookState, keyMode) == 4 && offsetof(SharedHookState, watchedKeys) == 8,
              "the shared section's layout");
constexpr const char* KEYRELAY_SECTION_NAME = ".SHKEY";
