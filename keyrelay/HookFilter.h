// Which keyboard messages of the game window the hook takes away from the game and reports: a pure function of the
// key mode, the watched-key table and the message, shared by the hook procedure and its tests. Nothing here may
// allocate or throw: it runs on the game's own thread, inside the game's process.
#pragma once

#include <cstdint>

#include "HookRecords.h"

enum : uint32_t {
    HOOK_MSG_KEYDOWN = 0x100,  // WM_KEYDOWN
    HOOK_MSG_KEYUP = 0x101,    // WM_KEYUP
    HOOK_MSG_CHAR = 0x102,     // WM_CHAR
    HOOK_KEYBOARD_FIRST = 0x100,
    HOOK_KEYBOARD_LAST = 0x109,  // WM_KEYFIRST .. WM_KEYLAST
    HOOK_CONSOLE_VK = 0xC0,      // the key left of 1 on a US layout
};

// A key-down of the console key: reported (HOOK_CONSOLE_KEY) and swallowed in every mode but KEYMODE_OFF.
constexpr bool IsConsoleKeyDown(uint32_t message, uintptr_t wParam) {
    return message == HOOK_MSG_KEYDOWN && wParam == HOOK_CONSOLE_VK;
}

// The in-game console's editing keys, reported in KEYMODE_TEXT.
constexpr bool IsConsoleEditingKey(uintptr_t vk) {
    return vk == 0x25 || vk == 0x27 || vk == 0x26 || vk == 0x28 || vk == 0x21 || vk == 0x22 || vk == 0x2E;
}

constexpr bool IsKeyboardMessage(uint32_t message) {
    return message >= HOOK_KEYBOARD_FIRST && message <= HOOK_KEYBOARD_LAST;
}

// The report (HOOK_CHAR, HOOK_KEY_DOWN or HOOK_KEY_UP) that the mode asks for, 0 for none; a reported message is
// swallowed. System keys (ALT combinations) are never reported.
inline uint32_t ClassifyHookMessage(int32_t mode, const volatile uint8_t* watchedKeys, uint32_t message,
                                    uintptr_t wParam) {
    const bool down = message == HOOK_MSG_KEYDOWN;
    const bool key = down || message == HOOK_MSG_KEYUP;
    if (mode == KEYMODE_TEXT) {
        if (key && IsConsoleEditingKey(wParam))
            return down ? HOOK_KEY_DOWN : HOOK_KEY_UP;
        if (message == HOOK_MSG_CHAR)
            return HOOK_CHAR;
    } else if (mode == KEYMODE_WATCHED) {
        if (key && watchedKeys[wParam & 0xFF] != 0)
            return down ? HOOK_KEY_DOWN : HOOK_KEY_UP;
    }
    return 0;
}

// The whole decision for one message with the mode unchanged during the console key's report.
struct HookDecision {
    bool consoleKey;  // report HOOK_CONSOLE_KEY first
    uint32_t report;  // then this report, 0 for none
    bool swallow;
};

inline HookDecision FilterHookMessage(int32_t mode, const volatile uint8_t* watchedKeys, uint32_t message,
                                      uintptr_t wParam) {
    if (mode == KEYMODE_OFF)
        return HookDecision{false, 0, false};
    const bool consoleKey = IsConsoleKeyDown(message, wParam);
    const uint32_t report = ClassifyHookMessage(mode, watchedKeys, message, wParam);
    return HookDecision{consoleKey, report, consoleKey || report != 0};
}

// The two steps of one report to the main program: the record is copied over (the game's thread waits for it, with a
// time-out), then the main program is told to handle what it has queued. The notify goes whatever the copy's outcome:
// a copy that timed out is not cancelled and may still be queued late, and its record must not wait for the next
// key's notify; a notify that finds nothing queued costs nothing.
template <class Channel>
void SendReport(Channel& channel, const HookEvent& record) {
    (void)channel.Copy(record);
    channel.Notify();
}
