// The game keyboard assistant as a module: its start-up and banner result, the typing commands and their output,
// the worker thread (on std::thread here), the routing of the hook's reports to the bindings and the in-game
// console, the game window's watch, and shutdown; and its key bindings: the key-name table, the "bind" and "unbind"
// commands, the hook's watched keys kept in step.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "assistant/KeyNames.h"
#include "tests/unit/AssistantRig.h"

using namespace kvltest;

namespace {

const std::string kClosing = "-11 -12 -10";
const std::string kNotInFront = "Error: BW not foreground\r\n";

using GameAssistantTest = AssistantRig;

}  // namespace

TEST_F(GameAssistantTest, StartsTheWorkerThenTheHook) {
    EXPECT_STREQ(assistant.BannerText(), " Starting keyRelay\x99...");
    EXPECT_EQ(assistant.Start(), 0);
    EXPECT_EQ(keystrokes.threadsStarted, 1);
    EXPECT_TRUE(keyRelay.hooked);
    assistant.Shutdown();
    EXPECT_FALSE(keyRelay.hooked);
    EXPECT_EQ(keyRelay.removeHookCalls, 1);
    EXPECT_EQ(Run(CMD_BW_KEYS, "a"), kNotInFront) << "no worker after shutdown";
    assistant.Shutdown();
    EXPECT_EQ(keyRelay.removeHookCalls, 1) << "a second shutdown does nothing";
}

TEST_F(GameAssistantTest, AHookOwnedElsewhereFailsTheLineButTheWorkerTypes) {
    keyRelay.hookAvailable = false;
    EXPECT_EQ(assistant.Start(), 1);
    EXPECT_EQ(Run(CMD_BW_KEYS, "a"), "");
    EXPECT_EQ(Keys(5), "+41 -41 " + kClosing);
    assistant.Shutdown();
    EXPECT_EQ(keyRelay.removeHookCalls, 0) << "a hook that was never set is not removed";
}

TEST_F(GameAssistantTest, FontsComeBeforeTheHook) {
    overlay.fontsAvailable = false;
    EXPECT_EQ(assistant.Start(), 1);
    EXPECT_EQ(keyRelay.setHookCalls, 0) << "no fonts, no hook";
    EXPECT_EQ(Run(CMD_BW_KEYS, "a"), "") << "the worker types all the same";
}

TEST_F(GameAssistantTest, WithoutQueueSynchronisationNothingIsTyped) {
    keystrokes.syncAvailable = false;
    EXPECT_EQ(assistant.Start(), 1);
    EXPECT_EQ(keystrokes.threadsStarted, 0);
    EXPECT_EQ(Run(CMD_BW_KEYS, "a"), kNotInFront);
}

TEST_F(GameAssistantTest, CommandsAndTheirOutput) {
    ASSERT_EQ(assistant.Start(), 0);
    const std::vector<ConsoleCommand> rows = assistant.Commands();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_STREQ(rows[2].name, "bw_keys");

    const struct {
        bool inFront;
        uint32_t id;
        const char* argument;
        const char* output;
    } cases[] = {
        {true, CMD_BW_KEYS, "", "Wrong syntax\r\n"},
        {false, CMD_BW_KEYS, "", "Wrong syntax\r\n"},
        {false, CMD_BW_KEYS, "a", "Error: BW not foreground\r\n"},
        {false, CMD_BW_SAYTEAM, "gg", ""},
        {false, CMD_BW_SAYALL, "gg", ""},
        {true, CMD_UNBIND, "", "Wrong syntax\r\n"},
    };
    for (const auto& c : cases) {
        windows.foreground = c.inFront ? windows.game : 0x200;
        EXPECT_EQ(Run(c.id, c.argument), c.output) << c.id << " " << c.argument;
    }
    assistant.Shutdown();
    EXPECT_EQ(Describe(keyRelay.Keys()), "") << "nothing is typed while the game is behind another window";
}

TEST_F(GameAssistantTest, ChatCommandsWrapTheText) {
    ASSERT_EQ(assistant.Start(), 0);
    EXPECT_EQ(Run(CMD_BW_SAYTEAM, "gg"), "");
    EXPECT_EQ(Keys(15), "+11 +0D -0D -11 +47 -47 +47 -47 +20 -20 +0D -0D " + kClosing);
    keyRelay.Clear();
    EXPECT_EQ(Run(CMD_BW_SAYALL, ""), "");
    EXPECT_EQ(Keys(11), "+10 +0D -0D -10 +20 -20 +0D -0D " + kClosing);
    windows.game = windows.foreground = 0;
    EXPECT_EQ(Run(CMD_BW_KEYS, "a"), "") << "no game and nothing in front counts as in front";
}

TEST_F(GameAssistantTest, TextsQueuedTogetherPlayOneAfterTheOther) {
    ASSERT_EQ(assistant.Start(), 0);
    const std::string as(200, 'a'), bs(200, 'b');
    ASSERT_EQ(Run(CMD_BW_KEYS, as), "");
    ASSERT_EQ(Run(CMD_BW_KEYS, bs), "");
    ASSERT_EQ(Run(CMD_BW_KEYS, "<ENTER>"), "");
    std::string expected;
    for (int i = 0; i < 200; ++i)
        expected += "+41 -41 ";
    expected += kClosing;
    for (int i = 0; i < 200; ++i)
        expected += " +42 -42";
    expected += " " + kClosing + " +0D -0D " + kClosing;
    EXPECT_EQ(Keys(2 * 400 + 2 + 9), expected);
}

TEST_F(GameAssistantTest, ShutdownInsideALongDelayEndsItAndTypesNothingMore) {
    ASSERT_EQ(assistant.Start(), 0);
    ASSERT_EQ(Run(CMD_BW_KEYS, "<CTRL_LOCK>x<DELAY 10000>a<CTRL_UNLOCK>"), "");
    ASSERT_TRUE(keystrokes.sync->WaitForPauses(1));
    const auto start = std::chrono::steady_clock::now();
    assistant.Shutdown();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 2000) << "the delay ended";
    // The locked CTRL is released as the text's end would have; the rest of the text is not typed.
    EXPECT_EQ(Describe(keyRelay.Keys()), "+11 +58 -58 " + kClosing);
}

TEST_F(GameAssistantTest, ReportsGoToTheBindingsOrToTheOpenConsoleWhichClosesWhenTheGameGoes) {
    ASSERT_EQ(assistant.Start(), 0);
    ASSERT_EQ(Run(CMD_BIND, "F5 /echo bound"), "");
    Report(HOOK_KEY_DOWN, 0x74);
    Report(HOOK_KEY_DOWN, 0x74);  // auto-repeat runs it again
    Report(HOOK_KEY_UP, 0x74);
    Report(HOOK_KEY_DOWN, 0x75);     // not bound
    Report(HOOK_KEY_DOWN, 0x10074);  // only the low 16 bits name the key
    Report(99, 0x74);                // unknown code
    EXPECT_EQ(host.executed, std::vector<std::string>({"/echo bound", "/echo bound", "/echo bound"}));

    // Open: key-downs are the console's editing keys; a bound key that is one of them edits.
    ASSERT_EQ(Run(CMD_BIND, "LEFT /left"), "");
    Report(HOOK_CONSOLE_KEY);
    host.executed.clear();
    Report(HOOK_CHAR, 0x100 | 'a');  // only the low byte is the character
    Report(HOOK_CHAR, 'b');
    Report(HOOK_KEY_DOWN, 0x74);
    Report(HOOK_KEY_DOWN, 0x25);
    EXPECT_TRUE(host.executed.empty());
    EXPECT_EQ(Frame().caret, 1u);
    EXPECT_EQ(Frame().input, "ab");

    assistant.OnTimer(TIMER_GAME_WATCH);
    EXPECT_TRUE(overlay.drawing) << "open while the game is there";
    EXPECT_EQ(overlay.drawWindow, kGame);
    windows.game = 0;
    assistant.OnTimer(TIMER_GAME_WATCH);
    EXPECT_EQ(keyRelay.mode, KEYMODE_WATCHED);
    EXPECT_FALSE(overlay.drawing);
    Report(HOOK_KEY_DOWN, 0x25);
    EXPECT_EQ(host.executed, std::vector<std::string>({"/left"})) << "closed: bound keys run again";
}

TEST_F(GameAssistantTest, ShutdownAndDestructionLeaveTheLibraryAsAFreshStartExpectsIt) {
    {
        CGameAssistant other(host, Platform());
        EXPECT_EQ(hookReports.receiver, &other);
        ASSERT_EQ(other.Start(), 0);
        other.OnCommand(CMD_BIND, "F5 /x");
        ASSERT_EQ(keyRelay.WatchedCount(), 1u);
        Report(HOOK_CONSOLE_KEY);
        other.Shutdown();
        EXPECT_EQ(host.timers.count(TIMER_CONSOLE_PAINT), 0u) << "nothing left to paint";
        EXPECT_EQ(keyRelay.mode, KEYMODE_WATCHED);
        EXPECT_FALSE(overlay.drawing);
        EXPECT_FALSE(keyRelay.hooked);
        EXPECT_EQ(overlay.fontsDeleted, 1);
    }
    EXPECT_EQ(hookReports.receiver, nullptr);
    EXPECT_EQ(keyRelay.WatchedCount(), 0u) << "destruction unbinds every key";
}

TEST(KeystrokeWorker, EndsWithoutAQueueOrWhenStopped) {
    EXPECT_EQ(KeystrokeWorker(nullptr), 1);

    FakeLayout layout;
    FakeKeyRelay relay;
    StdQueueSync sync;
    CKeyQueue queue(sync, layout, relay);
    queue.Push("x");
    queue.Stop();
    // Texts taken together with the stop are not played: the worker ends.
    EXPECT_EQ(KeystrokeWorker(&queue), 0);
    EXPECT_EQ(Describe(relay.Keys()), "");
}

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

TEST(KeyBindings, BindAndUnbindCommands) {
    FakeKeyRelay relay;
    FakeModuleHost console;
    CKeyBindings bindings(relay);
    const struct {
        bool bind;
        const char* argument;
        const char* output;
        const char* f5;  // the line bound to F5 afterwards; null none
        bool a;          // A bound and watched afterwards
    } steps[] = {
        {true, "", "", nullptr, false},  // no bindings: nothing at all
        {true, "a /w", "", nullptr, true},
        {true, "F5 /bw_sayall gg", "", "/bw_sayall gg", true},
        {true, "f5   /echo   two words  ", "", "/echo   two words", true},  // replaces the first, in its place
        {true, "", "A -> /w\r\nF5 -> /echo   two words\r\n", "/echo   two words", true},
        {true, "a", "A -> /w\r\n", "/echo   two words", true},
        {true, "F1", "\r\n", "/echo   two words", true},
        {true, "alt /x", "Unknown key: 'alt'\r\n", "/echo   two words", true},
        {true, "\xC0 /x", "Unknown key: '\xC0'\r\n", "/echo   two words", true},
        {false, "", "Wrong syntax\r\n", "/echo   two words", true},
        {false, "F9", "", "/echo   two words", true},
        {false, "a", "", "/echo   two words", false},
        {true, "", "F5 -> /echo   two words\r\n", "/echo   two words", false},
        {false, "all", "", nullptr, false},
        {true, "", "", nullptr, false},
    };
    for (const auto& step : steps) {
        console.out.clear();
        if (step.bind)
            bindings.BindCommand(step.argument, console);
        else
            bindings.UnbindCommand(step.argument, console);
        EXPECT_EQ(console.out, step.output) << step.bind << " " << step.argument;
        EXPECT_EQ(bindings.Command(0x74).value_or("none"), step.f5 ? step.f5 : "none") << step.argument;
        EXPECT_EQ(bindings.Command(0x41).has_value(), step.a) << step.argument;
        EXPECT_EQ(relay.watched[0x74], step.f5 != nullptr) << "F5 watched while bound: " << step.argument;
        EXPECT_EQ(relay.watched[0x41], step.a) << "A watched while bound: " << step.argument;
    }
    EXPECT_EQ(relay.WatchedCount(), 0u) << "no key watched after unbind all";
}
