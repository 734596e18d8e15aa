// The in-game console: its model (what each key asks for, the line editing, the history and the scroll position),
// and its life over the game window (opening and closing, drawing, its timers, the lines taken in and the recent
// lines shown while closed), read from the frames it paints on a recording canvas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assistant/InGameConsole.h"
#include "tests/unit/AssistantRig.h"

using namespace kvltest;

namespace {

using Lines = std::vector<std::string>;

// The editing keys' virtual-key codes.
constexpr uint32_t kPageUp = 0x21, kPageDown = 0x22, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
constexpr uint32_t kDelete = 0x2E;

// The console wired to the rig's fakes in the assistant's place.
class InGameTest : public AssistantRig {
protected:
    void SetUp() override {
        host.sink = &console;
        ASSERT_TRUE(console.CreateFonts());
    }
    void Tick(unsigned id) override { console.OnTimer(id); }
    void Type(const std::string& text) {
        for (char c : text)
            console.OnCharacter(c);
    }

    CInGameConsole console{host, windows, overlay, keyRelay};
};

}  // namespace

TEST_F(InGameTest, ConsoleKeyOpensAndCloses) {
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_PAINT), 0u);
    EXPECT_TRUE(console.OnConsoleKey());
    EXPECT_TRUE(console.IsOpen());
    EXPECT_EQ(keyRelay.mode, KEYMODE_TEXT);
    EXPECT_TRUE(overlay.drawing);
    EXPECT_EQ(overlay.drawWindow, kGame) << "drawn on the foreground window";
    EXPECT_EQ(host.timers[TIMER_CONSOLE_PAINT], 1u);

    host.keywords = {"/bind"};
    Type("/b\t\t");  // completed from the host's words; the second TAB finds nothing to complete
    EXPECT_EQ(overlay.beeps, ".");
    EXPECT_FALSE(console.OnConsoleKey());
    EXPECT_FALSE(console.IsOpen());
    EXPECT_EQ(keyRelay.mode, KEYMODE_WATCHED);
    EXPECT_FALSE(overlay.drawing);
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_PAINT), 0u);
    EXPECT_EQ(overlay.lastArea.bottom, 221) << "the console area and the frame's last row are repainted by the game";
    EXPECT_EQ(host.timers[TIMER_CONSOLE_CLEAR], 100u);
    const int invalidations = overlay.invalidations;
    console.OnTimer(TIMER_CONSOLE_CLEAR);
    EXPECT_EQ(overlay.invalidations, invalidations + 1) << "and once more when the last frame has arrived";
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_CLEAR), 0u);

    console.OnConsoleKey();
    EXPECT_EQ(Frame().input, "/bind ") << "input and caret survive closing";
    EXPECT_EQ(Frame().caret, 6u);
}

TEST_F(InGameTest, EnterRunsTheLineAndKeepsHistory) {
    console.OnConsoleKey();
    Type("/one\r/two\r\r");
    EXPECT_EQ(host.executed, Lines({"/one", "/two", ""})) << "an empty line runs too";
    EXPECT_EQ(overlay.beeps, "!!!");
    EXPECT_EQ(Frame().caret, 0u) << "the input emptied";

    Type("/three\r");
    // UP, UP, DOWN, DOWN: the newest, the second newest, the newest, an empty line; then UP: the second newest.
    const struct {
        uint32_t vk;
        const char* input;
    } walk[] = {{kUp, "/three"}, {kUp, ""}, {kDown, "/three"}, {kDown, ""}, {kUp, ""}, {kUp, "/two"}};
    // The second newest entry is the empty line that was run.
    for (const auto& step : walk) {
        console.OnEditingKey(step.vk);
        const Shown shown = Frame();
        EXPECT_EQ(shown.input, step.input);
        EXPECT_EQ(shown.caret, shown.input.size());
    }
    console.OnEditingKey(kUp);
    console.OnEditingKey(kUp);
    EXPECT_EQ(Frame().input, "/one") << "UP stops at the oldest: four lines were run";
    Type("x");
    console.OnEditingKey(kDown);
    EXPECT_EQ(Frame().input, "/onex") << "a character ends the recall: DOWN then does nothing";
    console.OnEditingKey(kUp);
    EXPECT_EQ(Frame().input, "/three") << "and UP begins at the newest";
}

TEST(GameConsoleEditing, WhatEachKeyAsksFor) {
    CGameConsole console;
    console.Toggle();
    const std::vector<std::string> keywords = {"/", "/bind", "/bw_keys", "/bw_sayall", "/bw_sayteam", "alice", "bob"};
    using A = ConsoleAction;
    const struct {
        const char* keys;  // characters typed, the last one's action checked; none: the editing key vk
        uint32_t vk;
        ConsoleAction action;
        const char* input;
        size_t caret;
    } steps[] = {
        {"", kUp, A::None, "", 0},       // UP with no history
        {"", kDown, A::None, "", 0},     // DOWN without a recall
        {"", kLeft, A::Repaint, "", 0},  // LEFT with nothing left of the caret repaints all the same
        {"", kDelete, A::None, "", 0},   // DELETE with nothing right of the caret
        {"", 0x74, A::None, "", 0},      // not an editing key
        {"abc", 0, A::Repaint, "abc", 3},
        {"", kLeft, A::Repaint, "abc", 2},
        {"", kLeft, A::Repaint, "abc", 1},
        {"X", 0, A::Repaint, "aXbc", 2},
        {"", kDelete, A::Repaint, "aXc", 2},
        {"\b\b\b", 0, A::Repaint, "c", 0},
        {"\b", 0, A::Repaint, "c", 0},  // nothing left of the caret
        {"", kRight, A::Repaint, "c", 1},
        {"", kRight, A::Repaint, "c", 1},
        {"", kDelete, A::None, "c", 1},  // nothing right of the caret
        {"\x1B", 0, A::Repaint, "", 0},
        // TAB completes the last word from the first keyword that holds it anywhere: what follows it there.
        {"/b\t", 0, A::Repaint, "/bind ", 6},
        {"\x1B/bw_k\t", 0, A::Repaint, "/bw_keys ", 9},
        {"\x1B/bw_say\t", 0, A::Repaint, "/bw_sayall ", 11},
        {"\x1B/w bo\t", 0, A::Repaint, "/w bob ", 7},
        {"\x1Blic\t", 0, A::Repaint, "lice ", 5},
        {"\x1B/zz\t", 0, A::BeepAndRepaint, "/zz", 3},
        {"\x1B/bind z\t", 0, A::BeepAndRepaint, "/bind z", 7},
        {"\x1B/bind \t", 0, A::BeepAndRepaint, "/bind ", 6},  // the last word is empty
        {"\x1B/bind z\r", 0, A::RunLine, "/bind z", 7},       // untouched until the line has run
        {"", kUp, A::None, "/bind z", 7},                     // and not in the history before it has run
    };
    for (const auto& step : steps) {
        ConsoleAction action = A::None;
        for (const char* c = step.keys; *c; ++c)
            action = console.OnCharacter(*c, keywords);
        if (!*step.keys)
            action = console.OnEditingKey(step.vk);
        RecordingCanvas canvas;
        console.Paint(canvas);
        EXPECT_EQ(action, step.action) << step.keys << " " << step.vk;
        EXPECT_EQ(console.Input(), step.input) << step.keys << " " << step.vk;
        EXPECT_EQ(ShownIn(canvas.calls).caret, step.caret) << step.keys << " " << step.vk;
    }
    console.LineRun("/bind z");
    EXPECT_EQ(console.Input(), "");
    EXPECT_EQ(console.OnEditingKey(kUp), A::Repaint);
    EXPECT_EQ(console.Input(), "/bind z") << "the history has the line run";
}

TEST_F(InGameTest, ScrollingKeepsTheViewWithinTheLines) {
    console.OnConsoleKey();
    for (int i = 0; i < 11; ++i)
        host.WriteLine("line " + std::to_string(i));
    console.OnEditingKey(kPageUp);
    EXPECT_EQ(overlay.beeps, ".") << "with fewer than 12 lines PAGEUP does not move";
    host.WriteLine("line 11");
    host.WriteLine("line 12");
    const int before = overlay.invalidations;
    console.OnEditingKey(kPageUp);
    EXPECT_EQ(Frame().lines.back(), "line 10") << "as far up as 13 lines go: two";
    EXPECT_GT(overlay.invalidations, before);
    console.OnEditingKey(kPageDown);
    EXPECT_EQ(Frame().lines.back(), "line 12");
    console.OnEditingKey(kPageDown);
    EXPECT_EQ(overlay.beeps, "..");
    EXPECT_EQ(Frame().lines.back(), "line 12") << "at the newest line PAGEDOWN does not move";
}

TEST_F(InGameTest, OverlayTextSplitsIntoLinesAndShowsNothingWithoutTheGameInFront) {
    windows.foreground = 0x200;  // the game is behind: nothing shows while closed
    console.OnConsoleKey();
    host.Write("Starting");
    EXPECT_TRUE(Frame().lines.empty()) << "a part without its line end waits";
    console.OnConsoleKey();
    const int invalidations = overlay.invalidations;
    host.Write("... [OK]\r\nsecond\r\nthi");
    host.WriteLine("rd");
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_HIDE), 0u);
    EXPECT_FALSE(overlay.drawing);
    windows.game = windows.foreground = 0;  // no game and nothing in front: nothing to draw on either
    host.WriteLine("no game");
    EXPECT_FALSE(overlay.drawing);
    EXPECT_EQ(overlay.invalidations, invalidations);
    windows.foreground = 0x200;
    console.OnConsoleKey();
    EXPECT_EQ(Frame().lines, Lines({"Starting... [OK]", "second", "third", "no game"}));
}

TEST_F(InGameTest, RecentLinesWhileClosedAndTheConsoleOpenedOverThem) {
    for (int i = 0; i < 12; ++i)
        host.WriteLine("chat " + std::to_string(i));
    EXPECT_EQ(host.timers[TIMER_CONSOLE_HIDE], 5000u);
    EXPECT_TRUE(overlay.drawing);

    EXPECT_EQ(Frame().lines.size(), 11u) << "the newest eleven are shown";
    const std::vector<std::string>& frame = overlay.canvas.calls;
    ASSERT_EQ(frame.size(), 3 + 22 + 1u);
    EXPECT_EQ(frame[3], "black 6,10 chat 1") << "the oldest shown at the top";
    EXPECT_EQ(frame[4], "white 5,9 chat 1");
    EXPECT_EQ(frame[24], "white 5,159 chat 11") << "the newest 15 pixels per line lower";

    console.OnTimer(TIMER_CONSOLE_HIDE);
    EXPECT_FALSE(overlay.drawing);
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_HIDE), 0u);
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_PAINT), 0u);
    host.WriteLine("chat 12");
    EXPECT_EQ(Frame().lines, Lines({"chat 12"})) << "the next line is shown alone";
    EXPECT_TRUE(overlay.drawing);

    // Opened over recent lines: drawing goes on, the full console in their place.
    console.OnConsoleKey();
    EXPECT_TRUE(overlay.drawing);
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_HIDE), 0u);
    console.OnTimer(TIMER_CONSOLE_HIDE);  // a tick already on its way
    EXPECT_TRUE(overlay.drawing) << "the hide timer does not stop an open console";
    console.OnConsoleKey();
    host.WriteLine("next");
    EXPECT_EQ(Frame().lines, Lines({"next"})) << "the recent lines went when the console opened";
}

TEST_F(InGameTest, WhatIsWrittenIsTakenInOnceTheThreadIsIdleWithOneQuestionAboutTheGame) {
    host.idle = nullptr;
    std::string listing;
    for (int i = 0; i < 5000; ++i)
        listing += " game " + std::to_string(i) + "\r\n";
    const int before = windows.finds;
    host.Write(listing + "half");
    host.WriteLine(" line");
    EXPECT_FALSE(overlay.drawing) << "not before the thread is idle";
    EXPECT_EQ(host.timers[TIMER_CONSOLE_TEXT], 0u);
    Idle();
    EXPECT_EQ(windows.finds - before, 1) << "one question about the game for all the lines";
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_TEXT), 0u);
    const Shown shown = Frame();
    EXPECT_EQ(shown.lines.size(), 11u);
    EXPECT_EQ(shown.lines.front(), " game 4990");
    EXPECT_EQ(shown.lines[9], " game 4999");
    EXPECT_EQ(shown.lines.back(), "half line") << "the unfinished part waits for its line end";
}

TEST_F(InGameTest, OutputOfALineRunFromTheOpenConsoleNeverShowsAsRecentLines) {
    host.idle = nullptr;  // what is written is taken in when the thread is next idle
    console.OnConsoleKey();
    Type("/users\r");
    host.WriteLine("Current users: ");  // the line's output
    console.OnConsoleKey();             // closed in the same turn
    Idle();
    EXPECT_FALSE(overlay.drawing);
    EXPECT_EQ(host.timers.count(TIMER_CONSOLE_HIDE), 0u);
    console.OnConsoleKey();
    EXPECT_EQ(Frame().lines, Lines({"Current users: "})) << "taken in all the same";
}

TEST_F(InGameTest, PaintOfTheOpenConsole) {
    for (int i = 0; i < 14; ++i)
        host.WriteLine("l" + std::to_string(i));
    console.OnConsoleKey();
    Type("abc");
    console.OnEditingKey(kLeft);
    console.OnEditingKey(kPageUp);  // as far up as 14 lines go: three, so l10 is the first shown

    Frame();
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
    EXPECT_EQ(overlay.canvas.calls, expected);
}
