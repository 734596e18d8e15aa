// Playing compiled texts against a recording injector and a fake clock: the exact keys, the lock flags, repeats,
// delays, and the three closing key-ups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assistant/KeySequence.h"
#include "tests/unit/FakeKeyboard.h"

using namespace kvltest;

namespace {

const std::string kClosing = "-11 -12 -10";

class KeystrokePlayerTest : public ::testing::Test {
protected:
    // Compiles, plays and destroys one text; the keys it sent.
    std::string Play(const std::string& text) {
        injector.Clear();
        {
            KeySequence sequence(text, output);
            EXPECT_TRUE(sequence.Play());
        }
        return Describe(injector.Keys());
    }

    FakeLayout layout;
    FakeClock clock;
    FakeKeyRelay injector{&clock};
    KeyboardOutput output{layout, injector, clock};
};

struct PlayCase {
    const char* text;
    std::string keys;  // without the three closing key-ups
};

}  // namespace

TEST_F(KeystrokePlayerTest, TeamChatSendsExactlyTheseEvents) {
    Play("<CTRL><ENTER>gg <ENTER>");
    const std::vector<SentKey> keys = injector.Keys();
    const std::vector<std::vector<unsigned>> expected = {
        // vk, scan, flags: every event carries the extended-key flag; ups add the key-up flag.
        {0x11, 0x11, 1},
        {0x0D, 0x0D, 1},
        {0x0D, 0x0D, 3},
        {0x11, 0x11, 3},
        {0x47, 0x47, 1},
        {0x47, 0x47, 3},
        {0x47, 0x47, 1},
        {0x47, 0x47, 3},
        {0x20, 0x20, 1},
        {0x20, 0x20, 3},
        {0x0D, 0x0D, 1},
        {0x0D, 0x0D, 3},
        // The three closing key-ups, with scan code 0.
        {0x11, 0, 3},
        {0x12, 0, 3},
        {0x10, 0, 3},
    };
    ASSERT_EQ(keys.size(), expected.size()) << Describe(keys);
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].vk, expected[i][0]) << "event " << i;
        EXPECT_EQ(keys[i].scan, expected[i][1]) << "event " << i;
        EXPECT_EQ(keys[i].flags, expected[i][2]) << "event " << i;
        EXPECT_EQ(keys[i].extraInfo, 0u) << "event " << i;
    }
}

TEST_F(KeystrokePlayerTest, LocksHoldTheirModifierDown) {
    const PlayCase cases[] = {
        // An upper-case letter inside a SHIFT lock does not release the held SHIFT.
        {"<SHIFT_LOCK>aB<SHIFT_UNLOCK>c", "+10 +41 -41 +10 +42 -42 -10 +43 -43"},
        {"<CTRL_LOCK><CTRL>a<CTRL_UNLOCK>", "+11 +11 +41 -41 -11"},
        {"<ALT_LOCK>@<ALT_UNLOCK>", "+12 +11 +12 +32 -32 -11 -12"},
        // A lock never unlocked is released by the closing key-ups only.
        {"<SHIFT_LOCK>A", "+10 +10 +41 -41"},
        {"a<SHIFT>", "+41 -41 +10"},
        {"", ""},
    };
    for (const PlayCase& c : cases) {
        const std::string expected = c.keys.empty() ? kClosing : c.keys + " " + kClosing;
        EXPECT_EQ(Play(c.text), expected) << c.text;
    }
}

TEST_F(KeystrokePlayerTest, RepeatBlocks) {
    const PlayCase cases[] = {
        {"<REPEAT 3>x<END_REPEAT>y", "+58 -58 +58 -58 +58 -58 +59 -59"},
        {"<REPEAT 0>x<END_REPEAT>", "+58 -58"},
        {"<REPEAT 1>x<END_REPEAT>", "+58 -58"},
        {"<REPEAT -2>x", "+58 -58"},
        // The inner REPEAT ends the block and is dropped: xxx, then y once.
        {"<REPEAT 3>x<REPEAT 2>y<END_REPEAT>", "+58 -58 +58 -58 +58 -58 +59 -59"},
        // Without END_REPEAT the block runs to the end of the text.
        {"<REPEAT 2>ab", "+41 -41 +42 -42 +41 -41 +42 -42"},
        {"<END_REPEAT>a", "+41 -41"},
        {"<REPEAT>x<END_REPEAT>", "+58 -58"},
        // Lock flags carry over from one repetition to the next.
        {"<REPEAT 2>A<SHIFT_LOCK><END_REPEAT><SHIFT_UNLOCK>", "+10 +41 -41 -10 +10 +10 +41 -41 +10 -10"},
        {"<REPEAT 2><END_REPEAT>z", "+5A -5A"},
    };
    for (const PlayCase& c : cases)
        EXPECT_EQ(Play(c.text), c.keys + " " + kClosing) << c.text;
}

TEST_F(KeystrokePlayerTest, DelaysAreMeasuredByTheClock) {
    Play("<REPEAT 3>a<DELAY 500><END_REPEAT>b");
    const std::vector<SentKey> keys = injector.Keys();
    ASSERT_EQ(Describe(keys), "+41 -41 +41 -41 +41 -41 +42 -42 " + kClosing);
    const std::vector<unsigned long long> at = {0, 0, 500, 500, 1000, 1000, 1500, 1500, 1500, 1500, 1500};
    for (size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(keys[i].at, at[i]) << "event " << i;
    EXPECT_EQ(clock.now, 1500u);

    clock.now = 0;
    EXPECT_EQ(Play("<DELAY 0>a<DELAY -10>b<DELAY>"), "+41 -41 +42 -42 " + kClosing);
    EXPECT_EQ(clock.now, 0u) << "zero, negative and missing delays do not pause";

    EXPECT_EQ(Play("<DELAY 250"), "+32 -32 +35 -35 +30 -30 " + kClosing);
    EXPECT_EQ(clock.now, 250u);
}

TEST_F(KeystrokePlayerTest, PlayEventSkipsOnlyTheUpsOfLockedModifiers) {
    KeySequence sequence("", output);
    struct EventCase {
        KeyEvent event;
        bool ctrl, alt, shift;
        const char* keys;
    };
    const EventCase cases[] = {
        {{0x10, 0x110, ACTION_UP, KIND_KEY, 0}, false, false, true, ""},
        {{0x10, 0x110, ACTION_UP, KIND_KEY, 0}, true, true, false, "-10"},
        {{0x11, 0x111, ACTION_UP, KIND_KEY, 0}, true, false, false, ""},
        {{0x12, 0x112, ACTION_UP, KIND_KEY, 0}, false, true, false, ""},
        {{0x12, 0x112, ACTION_DOWN, KIND_KEY, 0}, false, true, false, "+12"},
        {{0x10, 0x110, ACTION_UP, KIND_SHIFT_UNLOCK, 0}, false, false, true, "-10"},
        {{0x41, 0x141, ACTION_TAP, KIND_KEY, 0}, true, true, true, "+41 -41"},
        {{0, 0, ACTION_TAP, KIND_DELAY, 100}, false, false, false, ""},
        {{0, 0, ACTION_TAP, KIND_REPEAT, 3}, false, false, false, ""},
        {{0, 0, ACTION_TAP, KIND_END_REPEAT, 0}, false, false, false, ""},
    };
    for (const EventCase& c : cases) {
        injector.Clear();
        EXPECT_TRUE(sequence.PlayEvent(c.event, c.ctrl, c.alt, c.shift));
        EXPECT_EQ(Describe(injector.Keys()), c.keys) << "vk " << int(c.event.vk) << " kind " << c.event.kind;
    }
    EXPECT_EQ(clock.now, 0u);
}
