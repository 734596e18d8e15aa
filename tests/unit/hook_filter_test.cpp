// The keyboard hook's filter: which messages of the game window are reported and swallowed, by key mode and
// watched keys.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "keyrelay/HookFilter.h"

namespace {

struct FilterCase {
    const char* what;
    int32_t mode;
    uint32_t message;
    uintptr_t wParam;
    bool consoleKey;
    uint32_t report;
    bool swallow;
};

constexpr uint32_t KEYDOWN = 0x100, KEYUP = 0x101, CHAR = 0x102, SYSKEYDOWN = 0x104, SYSKEYUP = 0x105;

}  // namespace

TEST(HookFilter, ByModeWatchedKeysAndMessage) {
    uint8_t watched[256];
    std::memset(watched, 0, sizeof(watched));
    watched[0x74] = 1;  // F5
    watched[0x25] = 1;  // LEFT, also an editing key
    const FilterCase cases[] = {
        {"off: nothing, not even the console key", KEYMODE_OFF, KEYDOWN, 0xC0, false, 0, false},
        {"off: watched key", KEYMODE_OFF, KEYDOWN, 0x74, false, 0, false},
        {"watched: console key down", KEYMODE_WATCHED, KEYDOWN, 0xC0, true, 0, true},
        {"watched: console key up reaches the game", KEYMODE_WATCHED, KEYUP, 0xC0, false, 0, false},
        {"watched: watched key down", KEYMODE_WATCHED, KEYDOWN, 0x74, false, HOOK_KEY_DOWN, true},
        {"watched: watched key up", KEYMODE_WATCHED, KEYUP, 0x74, false, HOOK_KEY_UP, true},
        {"watched: only the low byte indexes", KEYMODE_WATCHED, KEYDOWN, 0x10074, false, HOOK_KEY_DOWN, true},
        {"watched: unwatched key", KEYMODE_WATCHED, KEYDOWN, 0x41, false, 0, false},
        {"watched: characters pass", KEYMODE_WATCHED, CHAR, 0x74, false, 0, false},
        {"watched: system keys are never reported", KEYMODE_WATCHED, SYSKEYDOWN, 0x74, false, 0, false},
        {"text: console key", KEYMODE_TEXT, KEYDOWN, 0xC0, true, 0, true},
        {"text: character", KEYMODE_TEXT, CHAR, 'a', false, HOOK_CHAR, true},
        {"text: letter key-down reaches the game", KEYMODE_TEXT, KEYDOWN, 0x41, false, 0, false},
        {"text: watched but not an editing key", KEYMODE_TEXT, KEYDOWN, 0x74, false, 0, false},
        {"text: LEFT down", KEYMODE_TEXT, KEYDOWN, 0x25, false, HOOK_KEY_DOWN, true},
        {"text: RIGHT up", KEYMODE_TEXT, KEYUP, 0x27, false, HOOK_KEY_UP, true},
        {"text: UP", KEYMODE_TEXT, KEYDOWN, 0x26, false, HOOK_KEY_DOWN, true},
        {"text: DOWN", KEYMODE_TEXT, KEYDOWN, 0x28, false, HOOK_KEY_DOWN, true},
        {"text: PAGEUP", KEYMODE_TEXT, KEYDOWN, 0x21, false, HOOK_KEY_DOWN, true},
        {"text: PAGEDOWN", KEYMODE_TEXT, KEYDOWN, 0x22, false, HOOK_KEY_DOWN, true},
        {"text: DELETE", KEYMODE_TEXT, KEYDOWN, 0x2E, false, HOOK_KEY_DOWN, true},
        {"text: HOME is not an editing key here", KEYMODE_TEXT, KEYDOWN, 0x24, false, 0, false},
        {"text: system key up", KEYMODE_TEXT, SYSKEYUP, 0x25, false, 0, false},
        {"another mode: only the console key", 7, KEYDOWN, 0xC0, true, 0, true},
        {"another mode: watched key", 7, KEYDOWN, 0x74, false, 0, false},
    };
    for (const FilterCase& c : cases) {
        const HookDecision d = FilterHookMessage(c.mode, watched, c.message, c.wParam);
        EXPECT_EQ(d.consoleKey, c.consoleKey) << c.what;
        EXPECT_EQ(d.report, c.report) << c.what;
        EXPECT_EQ(d.swallow, c.swallow) << c.what;
    }
}

TEST(HookFilter, NoWatchedKeysLeavesOnlyTheConsoleKey) {
    uint8_t watched[256];
    std::memset(watched, 0, sizeof(watched));
    for (unsigned vk = 1; vk < 256; ++vk) {
        const HookDecision down = FilterHookMessage(KEYMODE_WATCHED, watched, KEYDOWN, vk);
        const HookDecision up = FilterHookMessage(KEYMODE_WATCHED, watched, KEYUP, vk);
        EXPECT_EQ(down.swallow, vk == 0xC0) << vk;
        EXPECT_EQ(down.report, 0u) << vk;
        EXPECT_FALSE(up.swallow) << vk;
    }
}

TEST(HookFilter, KeyboardMessagesForTheWindowLookUp) {
    EXPECT_TRUE(IsKeyboardMessage(0x100));
    EXPECT_TRUE(IsKeyboardMessage(0x109));
    EXPECT_FALSE(IsKeyboardMessage(0x0F));   // WM_PAINT
    EXPECT_FALSE(IsKeyboardMessage(0x200));  // WM_MOUSEMOVE
    EXPECT_FALSE(IsKeyboardMessage(0x10A));
}

TEST(HookFilter, AReportNotifiesWhateverBecameOfItsCopy) {
    struct Channel {
        bool Copy(const HookEvent& record) {
            steps += "copy " + std::to_string(record.event) + ";";
            return copied;
        }
        void Notify() { steps += "notify;"; }
        bool copied;
        std::string steps;
    };
    for (const bool copied : {true, false}) {
        Channel channel{copied, ""};
        SendReport(channel, HookEvent{HOOK_KEY_DOWN, 0x74, 1});
        EXPECT_EQ(channel.steps, "copy 30;notify;") << "copy " << (copied ? "taken" : "timed out");
    }
}
