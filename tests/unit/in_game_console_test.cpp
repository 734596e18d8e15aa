// Key bindings, the hook's reports and the in-game console: the key-name table, bind/unbind and their output, the
// dispatch of reports (console key, characters, editing keys, bound keys, key-ups), the console's model, its line
// editing and its timers, and Paint against a recording canvas.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include <map>
#include <string>
#include <vector>

#include "assistant/GameAssistant.h"
#include "assistant/KeyNames.h"
#include "tests/unit/FakeDesktop.h"
#include "tests/unit/FakeElevation.h"
#include "tests/unit/FakeKeyboard.h"
#include "tests/unit/FakeModuleHost.h"
#include "tests/unit/FakeOverlay.h"

using namespace kvltest;

namespace {

constexpr uintptr_t kGame = 0x100;

class InGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.sink = assistant.OverlaySink();
        host.idle = [this] { Idle(); };
        ASSERT_EQ(assistant.Start(), 0);
    }
    void TearDown() override { assistant.Shutdown(); }

    void Report(uint32_t event, uint32_t wParam = 0) {
        ASSERT_NE(reports.receiver, nullptr);
        reports.receiver->QueueHookEvent(HookEvent{event, wParam, 0});
        reports.receiver->DrainHookEvents();
    }
    void Type(const std::string& text) {
        for (char c : text)
            Report(HOOK_CHAR, static_cast<unsigned char>(c));
    }
    std::string Command(uint32_t id, const std::string& argument) {
        host.out.clear();
        assistant.OnCommand(id, argument);
        return host.out;
    }
    const CGameConsole& Con() const { return assistant.GameConsole(); }
    // The in-game console's lines, newest first.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (size_t k = 0; k < Con().LineCount(); ++k)
            lines.emplace_back(Con().Line(k));
        return lines;
    }
    // The thread has nothing else to do: what was written is taken in.
    void Idle() {
        if (host.timers.count(TIMER_CONSOLE_TEXT))
            assistant.OnTimer(TIMER_CONSOLE_TEXT);
    }
    std::vector<std::string> Paint() {
        overlay.canvas.calls.clear();
        assistant.OnTimer(TIMER_CONSOLE_PAINT);
        return overlay.canvas.calls;
    }

    FakeModuleHost host;
    FakeDesktop desktop{kGame, kGame};
    FakeKeystrokePlatform keystrokes;
    FakeKeyRelay relay;
    FakeOverlayPlatform overlay;
    FakeHookReports reports;
    FakeElevation elevation;
    CGameAssistant assistant{host, AssistantPlatform{desktop, relay, keystrokes, overlay, reports, elevation}};
};

}  // namespace

TEST(KeyNames, NinetyFourBindableKeys) {
    const std::map<uint16_t, std::string> names = MakeKeyNames();
    EXPECT_EQ(names.size(), 94u);
    const std::map<uint16_t, std::string> samples = {
        {0x08, "BSPACE"}, {0x14, "CAPSLOCK"}, {0x2E, "DELETE"}, {0x30, "0"},  {0x41, "A"},   {0x5A, "Z"},
        {0x60, "NP_0"},   {0x69, "NP_9"},     {0x6F, "NP_DIV"}, {0x70, "F1"}, {0x7B, "F12"}, {0x91, "SCROLLLOCK"},
        {0xBA, ":"},      {0xBF, "/"},        {0xDC, "\\"},     {0xDE, "'"}};
    for (const auto& sample : samples)
        EXPECT_EQ(names.at(sample.first), sample.second);
    for (uint16_t unbindable : {0x12, 0x2C, 0x5B, 0x5C, 0x6E, 0xC0})
        EXPECT_EQ(names.count(unbindable), 0u) << unbindable;
}

TEST_F(InGameTest, BindAndUnbindCommands) {
    struct Step {
        uint32_t id;
        const char* argument;
        const char* output;
    };
    const Step steps[] = {
        {CMD_BIND, "", ""},  // no bindings: nothing at all
        {CMD_BIND, "a /w", ""},
        {CMD_BIND, "F5 /bw_sayall gg", ""},
        {CMD_BIND, "f5   /echo   two words  ", ""},  // a second binding replaces the first, in its place
        {CMD_BIND, "", "A -> /w\r\nF5 -> /echo   two words\r\n"},
        {CMD_BIND, "a", "A -> /w\r\n"},
        {CMD_BIND, "F1", "\r\n"},
        {CMD_BIND, "alt /x", "Unknown key: 'alt'\r\n"},
        {CMD_BIND, "\xC0 /x", "Unknown key: '\xC0'\r\n"},
        {CMD_UNBIND, "", "Wrong syntax\r\n"},
        {CMD_UNBIND, "F9", ""},
        {CMD_UNBIND, "a", ""},
        {CMD_BIND, "", "F5 -> /echo   two words\r\n"},
        {CMD_UNBIND, "all", ""},
        {CMD_BIND, "", ""},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(Command(step.id, step.argument), step.output) << step.id << " " << step.argument;
        if (std::string(step.argument) == "F5 /bw_sayall gg") {
            EXPECT_TRUE(relay.watched[0x41] && relay.watched[0x74]) << "A and F5 are watched";
        }
    }
    EXPECT_EQ(relay.WatchedCount(), 0u) << "no key watched after unbind all";
}

TEST_F(InGameTest, BoundKeyDispatch) {
    ASSERT_TRUE(assistant.Bind("F5", "/echo bound"));
    Report(HOOK_KEY_DOWN, 0x74);
    Report(HOOK_KEY_DOWN, 0x74);  // auto-repeat runs it again
    Report(HOOK_KEY_UP, 0x74);
    Report(HOOK_KEY_DOWN, 0x75);     // not bound
    Report(HOOK_KEY_DOWN, 0x10074);  // only the low 16 bits name the key
    Report(99, 0x74);                // unknown code
    EXPECT_EQ(host.executed, std::vector<std::string>({"/echo bound", "/echo bound", "/echo bound"}));

    // Open: key-downs are the console's editing keys; a bound key that is one of them edits.
    ASSERT_TRUE(assistant.Bind("LEFT", "/left"));
    Report(HOOK_CONSOLE_KEY);
    host.executed.clear();
    Type("ab");
    Report(HOOK_KEY_DOWN, 0x74);
    Report(HOOK_KEY_DOWN, 0x25);
    EXPECT_TRUE(host.executed.empty());
    EXPECT_EQ(Con().Caret(), 1u);
}

TEST_F(InGameTest, ConsoleKeyOpensAndCloses) {
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_PAINT), 0u);
    Report(HOOK_CONSOLE_KEY);
    EXPECT_TRUE(Con().IsOpen());
    EXPECT_EQ(relay.mode, KEYMODE_TEXT);
    EXPECT_TRUE(assistant.IsDrawing());
    EXPECT_EQ(overlay.drawWindow, kGame) << "drawn on the foreground window";
    EXPECT_EQ(host.timers[TIMER_CONSOLE_PAINT], 1u);

    Type("xy");
    Report(HOOK_CONSOLE_KEY);
    EXPECT_FALSE(Con().IsOpen());
    EXPECT_EQ(relay.mode, KEYMODE_WATCHED);
    EXPECT_FALSE(assistant.IsDrawing());
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_PAINT), 0u);
    EXPECT_EQ(overlay.lastArea.bottom, 221) << "the console area and the frame's last row are repainted by the game";
    EXPECT_EQ(host.timers[TIMER_CONSOLE_CLEAR], 100u);
    const int invalidations = overlay.invalidations;
    assistant.OnTimer(TIMER_CONSOLE_CLEAR);
    EXPECT_EQ(overlay.invalidations, invalidations + 1) << "and once more when the last frame has arrived";
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_CLEAR), 0u);

    Report(HOOK_CONSOLE_KEY);
    EXPECT_EQ(Con().Input(), "xy") << "input and caret survive closing";
    EXPECT_EQ(Con().Caret(), 2u);
}

TEST_F(InGameTest, InputEditing) {
    Report(HOOK_CONSOLE_KEY);
    struct Case {
        const char* keys;  // characters; '\x01' stands for LEFT, '\x02' RIGHT, '\x03' DELETE
        const char* input;
        size_t caret;
    };
    const Case cases[] = {
        {"abc", "abc", 3},        {"\x01\x01X", "aXbc", 2}, {"\x03", "aXc", 2},
        {"\x08\x08\x08", "c", 0}, {"\x01\x08", "c", 0},  // nothing left of the caret
        {"\x02\x02\x02", "c", 1}, {"\x03", "c", 1},      // nothing right of the caret
        {"\x1B", "", 0},
    };
    for (const Case& c : cases) {
        for (const char* k = c.keys; *k; ++k) {
            if (*k == '\x01')
                Report(HOOK_KEY_DOWN, 0x25);
            else if (*k == '\x02')
                Report(HOOK_KEY_DOWN, 0x27);
            else if (*k == '\x03')
                Report(HOOK_KEY_DOWN, 0x2E);
            else
                Type(std::string(1, *k));
        }
        EXPECT_EQ(Con().Input(), c.input) << c.keys;
        EXPECT_EQ(Con().Caret(), c.caret) << c.keys;
    }
    EXPECT_TRUE(overlay.beeps.empty());
}

TEST_F(InGameTest, EnterRunsTheLineAndKeepsHistory) {
    Report(HOOK_CONSOLE_KEY);
    Type("/one\r/two\r\r");
    EXPECT_EQ(host.executed, std::vector<std::string>({"/one", "/two", ""})) << "an empty line runs too";
    EXPECT_EQ(overlay.beeps, "!!!");
    EXPECT_EQ(Con().History().size(), 3u);

    Type("/three\r");
    // UP, UP, DOWN, DOWN: the newest, the second newest, the newest, an empty line; then UP: the second newest.
    const struct {
        uint32_t vk;
        const char* input;
    } walk[] = {{0x26, "/three"}, {0x26, ""}, {0x28, "/three"}, {0x28, ""}, {0x26, ""}};
    // The second newest entry is the empty line that was run.
    for (const auto& step : walk) {
        Report(HOOK_KEY_DOWN, step.vk);
        EXPECT_EQ(Con().Input(), step.input);
        EXPECT_EQ(Con().Caret(), Con().Input().size());
    }
    EXPECT_EQ(Con().HistoryPosition(), 1);
    Report(HOOK_KEY_DOWN, 0x26);
    Report(HOOK_KEY_DOWN, 0x26);
    Report(HOOK_KEY_DOWN, 0x26);
    EXPECT_EQ(Con().Input(), "/one") << "UP stops at the oldest";
    Type("x");
    EXPECT_EQ(Con().HistoryPosition(), -1) << "a character ends the recall";
    Report(HOOK_KEY_DOWN, 0x28);
    EXPECT_EQ(Con().Input(), "/onex") << "DOWN without a recall does nothing";
}

TEST(GameConsoleEditing, WhatEachKeyAsksFor) {
    CGameConsole console;
    CConsoleText text;
    for (int i = 0; i < 12; ++i)
        text.Append("line " + std::to_string(i) + "\r\n");
    ASSERT_EQ(console.TakeInLines(text), 12);
    const std::vector<std::string> keywords = {"/bind"};
    using A = ConsoleAction;
    const struct {
        char c;  // a character, or 0 for the editing key vk
        uint32_t vk;
        ConsoleAction action;
        const char* input;
    } steps[] = {
        {0, 0x26, A::None, ""},     // UP with no history
        {0, 0x28, A::None, ""},     // DOWN without a recall
        {0, 0x25, A::Repaint, ""},  // LEFT with nothing left of the caret repaints all the same
        {0, 0x2E, A::None, ""},     // DELETE with nothing right of the caret
        {0, 0x22, A::Beep, ""},     // PAGEDOWN at the newest line
        {0, 0x21, A::Repaint, ""},  // PAGEUP over twelve lines
        {0, 0x74, A::None, ""},     // not an editing key
        {'/', 0, A::Repaint, "/"},        {'b', 0, A::Repaint, "/b"},
        {'\t', 0, A::Repaint, "/bind "},  // completed
        {'z', 0, A::Repaint, "/bind z"},  {'\t', 0, A::BeepAndRepaint, "/bind z"},
        {'\r', 0, A::RunLine, "/bind z"},  // untouched until the line has run
    };
    for (const auto& step : steps) {
        const ConsoleAction action = step.c ? console.OnCharacter(step.c, keywords) : console.OnEditingKey(step.vk);
        EXPECT_EQ(action, step.action) << int(step.c) << " " << step.vk;
        EXPECT_EQ(console.Input(), step.input) << int(step.c) << " " << step.vk;
    }
    EXPECT_TRUE(console.History().empty());
    console.LineRun("/bind z");
    EXPECT_EQ(console.History(), std::deque<std::string>({"/bind z"}));
    EXPECT_EQ(console.Input(), "");
    EXPECT_EQ(console.Caret(), 0u);
}

TEST_F(InGameTest, TabCompletesFromTheKeywords) {
    host.keywords = {"/", "/bind", "/bw_keys", "/bw_sayall", "/bw_sayteam", "alice", "bob"};
    Report(HOOK_CONSOLE_KEY);
    const struct {
        const char* typed;
        const char* completed;  // null: a beep and no change
    } cases[] = {
        {"/bw_k", "/bw_keys "}, {"/bw_say", "/bw_sayall "},
        {"/w bo", "/w bob "},   {"lic", "lice "},     // found anywhere in the keyword: what follows it is appended
        {"/zz", nullptr},       {"/bind ", nullptr},  // the last word is empty
    };
    for (const auto& c : cases) {
        Type("\x1B");
        Type(c.typed);
        overlay.beeps.clear();
        Type("\t");
        EXPECT_EQ(Con().Input(), c.completed ? c.completed : c.typed) << c.typed;
        EXPECT_EQ(Con().Caret(), Con().Input().size());
        EXPECT_EQ(overlay.beeps, c.completed ? "" : ".");
    }
}

TEST_F(InGameTest, ScrollingKeepsTheViewWithinTheLines) {
    Report(HOOK_CONSOLE_KEY);
    for (int i = 0; i < 11; ++i)
        host.WriteLine("line " + std::to_string(i));
    Report(HOOK_KEY_DOWN, 0x21);
    EXPECT_EQ(overlay.beeps, ".") << "with fewer than 12 lines PAGEUP does not move";
    host.WriteLine("line 11");
    host.WriteLine("line 12");
    const int before = overlay.invalidations;
    Report(HOOK_KEY_DOWN, 0x21);
    EXPECT_EQ(Con().ScrollPosition(), 2);
    EXPECT_GT(overlay.invalidations, before);
    Report(HOOK_KEY_DOWN, 0x22);
    EXPECT_EQ(Con().ScrollPosition(), 0);
    Report(HOOK_KEY_DOWN, 0x22);
    EXPECT_EQ(overlay.beeps, "..");
}

TEST_F(InGameTest, OverlayTextSplitsIntoLinesAndShowsNothingWithoutTheGameInFront) {
    desktop.foreground = 0x200;  // the game is behind: nothing shows
    host.Write("Starting");
    EXPECT_TRUE(Lines().empty()) << "a part without its line end waits";
    host.Write("... [OK]\r\nsecond\r\nthi");
    host.WriteLine("rd");
    EXPECT_EQ(Lines(), std::vector<std::string>({"third", "second", "Starting... [OK]"}));
    EXPECT_EQ(Con().Recent(), -1);
    EXPECT_FALSE(assistant.IsDrawing());
    desktop.game = desktop.foreground = 0;  // no game and nothing in front: nothing to draw on either
    host.WriteLine("no game");
    EXPECT_FALSE(assistant.IsDrawing());
    EXPECT_EQ(overlay.invalidations, 0);
}

TEST_F(InGameTest, RecentLinesWhileClosed) {
    for (int i = 0; i < 12; ++i)
        host.WriteLine("chat " + std::to_string(i));
    EXPECT_EQ(Con().Recent(), 10) << "the newest eleven are shown";
    EXPECT_EQ(host.timers[TIMER_CONSOLE_HIDE], 5000u);
    EXPECT_TRUE(assistant.IsDrawing());

    std::vector<std::string> frame = Paint();
    ASSERT_EQ(frame.size(), 3 + 22 + 1u);
    EXPECT_EQ(frame[3], "black 6,10 chat 1") << "the oldest shown at the top";
    EXPECT_EQ(frame[4], "white 5,9 chat 1");
    EXPECT_EQ(frame[24], "white 5,159 chat 11") << "the newest 15 pixels per line lower";

    assistant.OnTimer(TIMER_CONSOLE_HIDE);
    EXPECT_EQ(Con().Recent(), -1);
    EXPECT_FALSE(assistant.IsDrawing());
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_HIDE), 0u);
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_PAINT), 0u);
}

TEST_F(InGameTest, OneWriteOfManyLinesAsksForTheGameWindowOnce) {
    std::string listing;
    for (int i = 0; i < 5000; ++i)
        listing += " game " + std::to_string(i) + "\r\n";
    const int before = desktop.finds;
    host.Write(listing + "half");
    EXPECT_EQ(desktop.finds - before, 1);
    EXPECT_EQ(Con().Recent(), 10);
    EXPECT_EQ(Con().Line(0), " game 4999");
    host.WriteLine(" line");
    EXPECT_EQ(Con().Line(0), "half line") << "the unfinished part waits for its line end";
}

TEST_F(InGameTest, LinesWrittenInOneTurnAreTakenInTogether) {
    host.idle = nullptr;
    const int before = desktop.finds;
    for (int i = 0; i < 3; ++i)
        host.WriteLine("chat " + std::to_string(i));
    EXPECT_TRUE(Lines().empty()) << "not before the thread is idle";
    EXPECT_EQ(host.timers[TIMER_CONSOLE_TEXT], 0u);
    Idle();
    EXPECT_EQ(Lines(), std::vector<std::string>({"chat 2", "chat 1", "chat 0"}));
    EXPECT_EQ(desktop.finds - before, 1) << "one question about the game for the three";
    EXPECT_EQ(Con().Recent(), 2);
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_TEXT), 0u);
}

TEST_F(InGameTest, OutputOfALineRunFromTheOpenConsoleNeverShowsAsRecentLines) {
    host.idle = nullptr;  // what is written is taken in when the thread is next idle
    Report(HOOK_CONSOLE_KEY);
    Type("/users\r");
    host.WriteLine("Current users: ");  // the line's output
    Report(HOOK_CONSOLE_KEY);                  // closed in the same turn
    Idle();
    EXPECT_EQ(Con().Line(0), "Current users: ");
    EXPECT_EQ(Con().Recent(), -1);
    EXPECT_FALSE(assistant.IsDrawing());
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_HIDE), 0u);
}

TEST_F(InGameTest, OpeningOverRecentLinesKeepsDrawing) {
    host.WriteLine("hello");
    ASSERT_TRUE(assistant.IsDrawing());
    Report(HOOK_CONSOLE_KEY);
    EXPECT_TRUE(assistant.IsDrawing());
    EXPECT_EQ(Con().Recent(), -1);
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_HIDE), 0u);
    assistant.OnTimer(TIMER_CONSOLE_HIDE);  // a tick already on its way
    EXPECT_TRUE(assistant.IsDrawing()) << "the hide timer does not stop an open console";
}

TEST_F(InGameTest, GameWindowGoneClosesTheConsole) {
    Report(HOOK_CONSOLE_KEY);
    assistant.OnTimer(TIMER_GAME_WATCH);
    EXPECT_TRUE(Con().IsOpen());
    EXPECT_EQ(assistant.GameWindow(), kGame);
    desktop.game = 0;
    assistant.OnTimer(TIMER_GAME_WATCH);
    EXPECT_FALSE(Con().IsOpen());
    EXPECT_EQ(relay.mode, KEYMODE_WATCHED);
    EXPECT_FALSE(assistant.IsDrawing());
}

TEST_F(InGameTest, PaintOfTheOpenConsole) {
    for (int i = 0; i < 14; ++i)
        host.WriteLine("l" + std::to_string(i));
    Report(HOOK_CONSOLE_KEY);
    Type("abc");
    Report(HOOK_KEY_DOWN, 0x25);
    Report(HOOK_KEY_DOWN, 0x21);  // as far up as 14 lines go: three, so l10 is the first shown

    const std::vector<std::string> frame = Paint();
    std::vector<std::string> expected = {"brush+pen white", "transparent", "font console"};
    for (int k = 0; k < 11; ++k) {
        const std::string text = "l" + std::to_string(10 - k);
        const int y = 165 - 15 * k;
        expected.push_back("black 6," + std::to_string(y + 1) + " " + text);
        expected.push_back("white 5," + std::to_string(y) + " " + text);
    }
    expected.insert(expected.end(),
                    {"black 6,186 > abc", "white 5,185 > abc", "white 5,185 >   _", "font title",
                     "white 442,204 KVL SE", "lines 0,0 639,0 639,220 440,220 424,204 0,204 0,0", "flush"});
    EXPECT_EQ(frame, expected);
}

TEST_F(InGameTest, ShutdownLeavesTheLibraryAsAFreshStartExpectsIt) {
    ASSERT_TRUE(assistant.Bind("F5", "/x"));
    Report(HOOK_CONSOLE_KEY);
    assistant.Shutdown();
    EXPECT_EQ(relay.mode, KEYMODE_WATCHED);
    EXPECT_FALSE(overlay.drawing);
    EXPECT_FALSE(relay.hooked);
    EXPECT_EQ(overlay.fontsDeleted, 1);
}

TEST(GameAssistantStart, FontsComeBeforeTheHook) {
    FakeModuleHost host;
    FakeDesktop desktop{kGame, kGame};
    FakeKeystrokePlatform keystrokes;
    FakeKeyRelay relay;
    FakeOverlayPlatform overlay;
    FakeHookReports reports;
    FakeElevation elevation;
    overlay.fontsAvailable = false;
    {
        CGameAssistant assistant(host, AssistantPlatform{desktop, relay, keystrokes, overlay, reports, elevation});
        EXPECT_EQ(reports.receiver, &assistant);
        EXPECT_EQ(assistant.Start(), 1);
        EXPECT_EQ(relay.setHookCalls, 0) << "no fonts, no hook";
        EXPECT_TRUE(assistant.WorkerRunning());
        ASSERT_TRUE(assistant.Bind("F5", "/x"));
    }
    EXPECT_EQ(reports.receiver, nullptr);
    EXPECT_EQ(relay.WatchedCount(), 0u) << "destruction unbinds every key";
}
