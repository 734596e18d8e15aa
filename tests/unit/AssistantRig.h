// The game assistant and its parts on fakes: the platform's (FakePlatform, with the game's window in front) and the
// main window as their host, whose console hands every write to the in-game console and lets the thread idle after
// it; what a frame of the in-game console shows; and the assistant itself, driven by commands and the hook's reports.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "assistant/GameAssistant.h"
#include "assistant/GameCommands.h"
#include "tests/unit/FakeModuleHost.h"
#include "tests/unit/FakePlatform.h"

namespace kvltest {

constexpr uintptr_t kGame = 0x100;

// What a frame of the in-game console shows: its lines from the top down; while open, the input line and the caret's
// place in it.
struct Shown {
    std::vector<std::string> lines;
    std::string input;
    size_t caret = 0;
};

inline Shown ShownIn(const std::vector<std::string>& calls) {
    std::map<int, std::vector<std::string>> rows;  // the white texts written at x 5, by row
    for (const std::string& call : calls) {
        int x = 0, y = 0, at = 0;
        if (std::sscanf(call.c_str(), "white %d,%d%n", &x, &y, &at) == 2 && x == 5)
            rows[y].push_back(call.substr(static_cast<size_t>(at) + 1));
    }
    Shown shown;
    for (const auto& row : rows) {
        if (row.first != 185) {
            shown.lines.push_back(row.second.front());
        } else {
            shown.input = row.second.front().substr(2);  // "> " and the input
            shown.caret = row.second.at(1).size() - 3;   // "> ", a blank per character before the caret, "_"
        }
    }
    return shown;
}

// The assistant on the fakes, not yet started. The console's writes and the timers' ticks reach it, or a part of it
// that a test wires in its place (host.sink and Tick).
class AssistantRig : public ::testing::Test, public FakePlatform {
protected:
    AssistantRig() {
        windows.game = windows.foreground = kGame;
        host.sink = assistant.OverlaySink();
        host.idle = [this] { Idle(); };
    }
    virtual void Tick(unsigned id) { assistant.OnTimer(id); }
    // The thread has nothing else to do: what was written is taken in.
    void Idle() {
        if (host.timers.count(TIMER_CONSOLE_TEXT))
            Tick(TIMER_CONSOLE_TEXT);
    }
    // What the next frame shows (nothing while nothing is drawn).
    Shown Frame() {
        overlay.canvas.calls.clear();
        Tick(TIMER_CONSOLE_PAINT);
        return ShownIn(overlay.canvas.calls);
    }

    // Runs a command; what it wrote to the console.
    std::string Run(uint32_t id, const std::string& argument) {
        host.out.clear();
        assistant.OnCommand(id, argument);
        return host.out;
    }
    void Report(uint32_t event, uint32_t wParam = 0) {
        ASSERT_NE(hookReports.receiver, nullptr);
        hookReports.receiver->QueueHookEvent(HookEvent{event, wParam, 0});
        hookReports.receiver->DrainHookEvents();
    }
    // The keys the worker has sent once count of them arrived (or two seconds passed).
    std::string Keys(size_t count) {
        keyRelay.WaitForKeys(count);
        return Describe(keyRelay.Keys());
    }
    AssistantPlatform Platform() { return {windows, keyRelay, keystrokes, overlay, hookReports, elevation}; }

    FakeModuleHost host;
    CGameAssistant assistant{host, Platform()};
};

}  // namespace kvltest
