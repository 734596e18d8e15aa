// The keystroke notation's compiler: what each text compiles to, against a small fake layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "assistant/KeySequence.h"
#include "tests/unit/FakeKeyboard.h"

using namespace kvltest;

namespace {

// "+XX" down only, "-XX" up only, "*XX" tap; lock kinds prefixed SL/SU/CL/CU/AL/AU; "D<ms>", "R<n>", "ER".
std::string Compiled(const KeySequence& sequence) {
    static const char* const kLockNames[] = {"", "SL", "SU", "CL", "CU", "AL", "AU"};
    std::string out;
    for (const KeyEvent& e : sequence.Events()) {
        char item[32];
        if (e.kind == KIND_DELAY)
            std::snprintf(item, sizeof(item), "D%d", e.param);
        else if (e.kind == KIND_REPEAT)
            std::snprintf(item, sizeof(item), "R%d", e.param);
        else if (e.kind == KIND_END_REPEAT)
            std::snprintf(item, sizeof(item), "ER");
        else
            std::snprintf(item, sizeof(item), "%s%c%02X", e.kind <= KIND_ALT_UNLOCK ? kLockNames[e.kind] : "?",
                          e.action == ACTION_DOWN ? '+'
                          : e.action == ACTION_UP ? '-'
                                                  : '*',
                          e.vk);
        if (!out.empty())
            out += ' ';
        out += item;
    }
    return out;
}

// The events of upper-case letters typed as ordinary characters: each with its own SHIFT.
std::string Capitals(const std::string& letters) {
    std::string out;
    for (char c : letters) {
        char item[16];
        std::snprintf(item, sizeof(item), "+10 *%02X -10", c);
        out += (out.empty() ? "" : " ") + std::string(item);
    }
    return out;
}

const std::string kOpen = "+10 *BC -10", kClose = "+10 *BE -10";

struct CompileCase {
    std::string text;
    std::string events;
};

class KeySequenceTest : public ::testing::Test {
protected:
    std::string Compile(const std::string& text) {
        KeySequence sequence(text, output);
        return Compiled(sequence);
    }
    void Check(const std::vector<CompileCase>& cases) {
        for (const CompileCase& c : cases)
            EXPECT_EQ(Compile(c.text), c.events) << "text: " << c.text;
    }

    FakeLayout layout;
    FakeClock clock;
    FakeKeyRelay injector;
    KeyboardOutput output{layout, injector, clock};
};

}  // namespace

TEST_F(KeySequenceTest, ExamplesAndChatWrapping) {
    Check({
        {"<SHIFT><ENTER>gg<ENTER>", "+10 *0D -10 *47 *47 *0D"},
        {"<CTRL><ENTER>gg <ENTER>", "+11 *0D -11 *47 *47 *20 *0D"},
        {"<SHIFT><ENTER> <ENTER>", "+10 *0D -10 *20 *0D"},
        {"<REPEAT 3>a<DELAY 500><END_REPEAT>", "R3 *41 D500 ER"},
        {"", ""},
    });
}

TEST_F(KeySequenceTest, OrdinaryCharactersFollowTheLayout) {
    Check({
        {"a1 ", "*41 *31 *20"},
        {"Ab", "+10 *41 -10 *42"},
        // A character with CTRL and ALT bits: downs SHIFT, CTRL, ALT; ups in the reverse order.
        {"@", "+11 +12 *32 -12 -11"},
        // A character the layout has no key for is skipped; a latched modifier waits for the next key.
        {"~", ""},
        {"<SHIFT>~a", "+10 *41 -10"},
    });
}

TEST_F(KeySequenceTest, TheLiteralFallBack) {
    Check({
        {"<", "+10 *BC -10"},
        {"a<", "*41 +10 *BC -10"},
        {"<>", "+10 *BC -10 +10 *BE -10"},
        {"< >", "+10 *BC -10 *20 +10 *BE -10"},
        {"<enter>", "+10 *BC -10 *45 *4E *54 *45 *52 +10 *BE -10"},
        {"<ENTER", kOpen + " " + Capitals("ENTER")},
        {"<ENTER 3", kOpen + " " + Capitals("ENTER") + " *20 *33"},
        {"<<ENTER>", "+10 *BC -10 *0D"},
        // Twenty bytes are one too many for a word.
        {"<ABCDEFGHIJKLMNOPQRST>", kOpen + " " + Capitals("ABCDEFGHIJKLMNOPQRST") + " " + kClose},
        // An unknown word keeps the latch for the "<" that is typed instead.
        {"<CTRL><NOPE>", "+11 " + kOpen + " -11 " + Capitals("NOPE") + " " + kClose},
    });
}

TEST_F(KeySequenceTest, ArgumentsOfWordsThatTakeNone) {
    Check({
        {"<ENTER 3>", "*0D"},
        {"<F12 x y><NP_9><PRINTSCRN>", "*7B *69 *2C"},
        {"<DELAY 1>>", "D1 +10 *BE -10"},
    });
}

TEST_F(KeySequenceTest, LatchedModifiersActOnTheNextKeyOnly) {
    Check({
        {"<SHIFT>ab", "+10 *41 -10 *42"},
        {"<SHIFT><CTRL>a", "+10 -10 +11 *41 -11"},
        {"<CTRL+ALT>x", "+11 +12 *58 -12 -11"},
        {"<CTRL+SHIFT>x", "+11 +10 *58 -11 -10"},
        {"<ALT+SHIFT>x", "+10 +12 *58 -12 -10"},
        {"<CTRL+ALT+SHIFT>x", "+11 +12 +10 *58 -12 -11 -10"},
        {"<ALT><TAB>", "+12 *09 -12"},
        {"<CTRL+ALT>@", "+11 +12 +11 +12 *32 -12 -11 -12 -11"},
        // Left latched at the end: released only by the sequence's destruction.
        {"a<SHIFT>", "*41 +10"},
        {"<SHIFT><END_REPEAT>a", "+10 ER -10 *41"},
    });
}

TEST_F(KeySequenceTest, LockAndUnlockWords) {
    Check({
        {"<SHIFT_LOCK>ab<SHIFT_UNLOCK>", "SL+10 *41 *42 SU-10"},
        {"<CTRL_LOCK><CTRL_UNLOCK><ALT_LOCK><ALT_UNLOCK>", "CL+11 CU-11 AL+12 AU-12"},
        {"<CTRL><SHIFT_LOCK>", "+11 SL+10 -11"},
    });
}

TEST_F(KeySequenceTest, LockStateWordsReadTheLockAtCompileTime) {
    struct StateCase {
        int16_t state;
        const char* text;
        const char* events;
    };
    const StateCase cases[] = {
        {0, "<CAPSLOCK_ON>", "*14"},
        {1, "<CAPSLOCK_ON>", ""},
        {0, "<CAPSLOCK_OFF>", ""},
        {1, "<CAPSLOCK_OFF>", "*14"},
        // Toggled and held down: "on" for _ON (low byte non-zero), but _OFF taps only for exactly 1.
        {static_cast<int16_t>(0xFF81), "<CAPSLOCK_ON>", ""},
        {static_cast<int16_t>(0xFF81), "<CAPSLOCK_OFF>", ""},
        // Nothing to do, but latched modifiers are still released.
        {1, "<CTRL><CAPSLOCK_ON>a", "+11 -11 *41"},
        {0, "<CTRL><CAPSLOCK_ON>a", "+11 *14 -11 *41"},
    };
    for (const StateCase& c : cases) {
        layout.states[0x14] = c.state;
        EXPECT_EQ(Compile(c.text), c.events) << c.text << " with state " << c.state;
    }
    layout.states[0x90] = 1;
    layout.states[0x91] = 0;
    EXPECT_EQ(Compile("<NUMLOCK_ON><NUMLOCK_OFF><SCROLLLOCK_OFF><SCROLLLOCK_ON>"), "*90 *91");
}

TEST_F(KeySequenceTest, RepeatAndDelayArguments) {
    Check({
        {"<REPEAT>x<END_REPEAT>", "*58 ER"},
        {"<REPEAT 0>x<END_REPEAT>", "R0 *58 ER"},
        {"<REPEAT +4>", "R4"},
        {"<DELAY -5>", "D-5"},
        {"<DELAY   12abc>", "D12"},
        {"<DELAY abc>", "D0"},
        {"<DELAY 99999999999>", "D2147483647"},
        // Without its ">" the delay still counts, and the rest is typed from after the space.
        {"<DELAY 250", "D250 *32 *35 *30"},
        {"<SHIFT><REPEAT 2>", "+10 -10 R2"},
        {"<SHIFT><DELAY>a", "+10 -10 *41"},
    });
}

TEST_F(KeySequenceTest, EventsCarryTheirScanCodes) {
    KeySequence sequence("<SHIFT>a<F1>", output);
    ASSERT_EQ(sequence.Events().size(), 4u);
    for (const KeyEvent& e : sequence.Events())
        EXPECT_EQ(e.scan, e.vk + 0x100u) << "vk " << int(e.vk);
}

TEST_F(KeySequenceTest, LookupKeyWordClassesAndCodes) {
    struct WordCase {
        const char* word;
        WordClass wordClass;
        uint8_t vk;
        uint32_t kind;
        uint32_t action;
    };
    const WordCase cases[] = {
        {"ENTER", WORD_EVENT, 0x0D, KIND_KEY, ACTION_TAP},
        {"BSPACE", WORD_EVENT, 0x08, KIND_KEY, ACTION_TAP},
        {"ESC", WORD_EVENT, 0x1B, KIND_KEY, ACTION_TAP},
        {"PAUSE", WORD_EVENT, 0x13, KIND_KEY, ACTION_TAP},
        {"PAGEDOWN", WORD_EVENT, 0x22, KIND_KEY, ACTION_TAP},
        {"HOME", WORD_EVENT, 0x24, KIND_KEY, ACTION_TAP},
        {"DOWN", WORD_EVENT, 0x28, KIND_KEY, ACTION_TAP},
        {"DELETE", WORD_EVENT, 0x2E, KIND_KEY, ACTION_TAP},
        {"APPS", WORD_EVENT, 0x5D, KIND_KEY, ACTION_TAP},
        {"NP_0", WORD_EVENT, 0x60, KIND_KEY, ACTION_TAP},
        {"F1", WORD_EVENT, 0x70, KIND_KEY, ACTION_TAP},
        {"F10", WORD_EVENT, 0x79, KIND_KEY, ACTION_TAP},
        {"SCROLLLOCK", WORD_EVENT, 0x91, KIND_KEY, ACTION_TAP},
        {"ALT", WORD_ALT, 0, KIND_KEY, ACTION_TAP},
        {"CTRL", WORD_CTRL, 0, KIND_KEY, ACTION_TAP},
        {"SHIFT", WORD_SHIFT, 0, KIND_KEY, ACTION_TAP},
        {"CTRL+ALT", WORD_CTRL_ALT, 0, KIND_KEY, ACTION_TAP},
        {"CTRL+SHIFT", WORD_CTRL_SHIFT, 0, KIND_KEY, ACTION_TAP},
        {"ALT+SHIFT", WORD_ALT_SHIFT, 0, KIND_KEY, ACTION_TAP},
        {"CTRL+ALT+SHIFT", WORD_CTRL_ALT_SHIFT, 0, KIND_KEY, ACTION_TAP},
        {"ALT_LOCK", WORD_EVENT, 0x12, KIND_ALT_LOCK, ACTION_DOWN},
        {"CTRL_UNLOCK", WORD_EVENT, 0x11, KIND_CTRL_UNLOCK, ACTION_UP},
        {"REPEAT", WORD_REPEAT, 0, KIND_REPEAT, ACTION_TAP},
        {"END_REPEAT", WORD_EVENT, 0, KIND_END_REPEAT, ACTION_TAP},
        {"DELAY", WORD_DELAY, 0, KIND_DELAY, ACTION_TAP},
        {"SPACE", WORD_UNKNOWN, 0, 0, 0},
        {"enter", WORD_UNKNOWN, 0, 0, 0},
        {"SHIFT+CTRL", WORD_UNKNOWN, 0, 0, 0},
        {"", WORD_UNKNOWN, 0, 0, 0},
    };
    KeySequence sequence("", output);
    for (const WordCase& c : cases) {
        KeyEvent event{};
        event.param = 77;
        EXPECT_EQ(sequence.LookupKeyWord(c.word, event), c.wordClass) << c.word;
        if (c.wordClass == WORD_UNKNOWN)
            continue;
        EXPECT_EQ(event.vk, c.vk) << c.word;
        EXPECT_EQ(event.scan, c.vk + 0x100u) << c.word;
        EXPECT_EQ(event.kind, c.kind) << c.word;
        EXPECT_EQ(event.action, c.action) << c.word;
        EXPECT_EQ(event.param, 77) << c.word << ": param is the caller's";
    }
}

TEST(ReadWordArgument, UpToTheNextCloseBracket) {
    struct ArgumentCase {
        const char* text;
        size_t start;
        const char* argument;
        size_t consumed;
    };
    const ArgumentCase cases[] = {
        {"<DELAY 500>x", 7, "500", 4}, {"<DELAY  5 >", 7, " 5 ", 4}, {"<DELAY 500", 7, "500", 0},
        {"<DELAY >", 7, "", 1},        {"<DELAY ", 7, "", 0},        {"abc", 9, "", 0},
    };
    for (const ArgumentCase& c : cases) {
        const WordArgument got = ReadWordArgument(c.text, c.start);
        EXPECT_EQ(got.argument, c.argument) << c.text;
        EXPECT_EQ(got.consumed, c.consumed) << c.text;
    }
}
