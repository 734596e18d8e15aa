// Tests of the command line's model: keyword list, completion while typing, history recall and key routing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "console/CommandEdit.h"
#include "console/CommandTables.h"
#include "tests/unit/ControllerFixture.h"

namespace {

class CommandEditTest : public ::testing::Test {
protected:
    void SetUp() override { m_Edit.Attach(&m_Box); }

    void AddCommandKeywords() {
        for (const ConsoleCommand& c : BuiltinCommands)
            ASSERT_TRUE(m_Edit.AddKeyword("/" + std::string(c.name)));
        for (const ConsoleCommand& c : kvltest::RegisteredCommandRows())
            ASSERT_TRUE(m_Edit.AddKeyword("/" + std::string(c.name)));
    }
    // Types the keys ('\b' is Backspace) into the box as the user would, completing after each.
    void TypeKeys(const std::string& keys) {
        for (char c : keys) {
            if (c == '\b')
                m_Box.Backspace();
            else
                m_Box.Type(c);
            m_Edit.CompleteWord(static_cast<unsigned char>(c));
        }
    }
    kvltest::FakeBox m_Box;
    CCommandEdit m_Edit;
};

// ------------------------------------------------------------------------------------------------ keywords

TEST_F(CommandEditTest, KeywordsSortByByteValueWithoutDuplicates) {
    const struct {
        const char* text;
        bool accepted;
    } offers[] = {
        {"zeta", true},  {"Alpha", true}, {"\xE4hm", true}, {"alpha", true},    {"/b", true},
        {"/a", true},    {"~~", true},    {"alpha", true},  {"x", false},       {"", false},
        {"\xE4", false}, {"/ab", true},   {"/", false},     {"\x7F\x7F", true},
    };
    for (const auto& o : offers) {
        SCOPED_TRACE(o.text);
        EXPECT_EQ(m_Edit.AddKeyword(o.text), o.accepted);
    }
    EXPECT_EQ(m_Edit.Keywords(),
              (std::vector<std::string>{"/a", "/ab", "/b", "Alpha", "alpha", "zeta", "~~", "\x7F\x7F", "\xE4hm"}));
}

TEST_F(CommandEditTest, KeywordListStopsAt257) {
    // Offered in descending order, so every one is inserted at the front.
    for (int i = 256; i >= 0; --i) {
        char text[8];
        std::snprintf(text, sizeof(text), "k%03d", i);
        ASSERT_TRUE(m_Edit.AddKeyword(text)) << text;
    }
    ASSERT_EQ(m_Edit.Keywords().size(), CCommandEdit::kMaxKeywords);
    EXPECT_EQ(m_Edit.Keywords().size(), 257u);
    EXPECT_TRUE(std::is_sorted(m_Edit.Keywords().begin(), m_Edit.Keywords().end()));
    EXPECT_EQ(m_Edit.Keywords().front(), "k000");
    EXPECT_EQ(m_Edit.Keywords().back(), "k256");

    EXPECT_FALSE(m_Edit.AddKeyword("k257"));  // the 258th
    EXPECT_FALSE(m_Edit.AddKeyword("a0"));
    EXPECT_FALSE(m_Edit.AddKeyword("k000"));  // even one already there: the list is full
    EXPECT_EQ(m_Edit.Keywords().size(), 257u);
    EXPECT_EQ(m_Edit.Keywords().front(), "k000");
}

// ------------------------------------------------------------------------------------------------ completion

TEST_F(CommandEditTest, CompletesTheWordBeingTyped) {
    AddCommandKeywords();
    ASSERT_TRUE(m_Edit.AddKeyword("bob"));
    ASSERT_TRUE(m_Edit.AddKeyword("192.168.0.7"));
    const struct {
        const char* keys;
        const char* text;
        const char* selected;
    } cases[] = {
        {"/", "/a", "a"},
        {"/b", "/bind", "ind"},
        {"/bi", "/bind", "nd"},
        {"/bin", "/bind", "d"},
        {"/bind", "/bind", ""},
        {"/bi\b", "/bi", ""},
        {"/bi\b\b", "/b", ""},
        {"/bw", "/bw", ""},
        {"/bw_", "/bw_keys", "keys"},
        {"/bw_s", "/bw_sayall", "ayall"},
        {"/bw_sayt", "/bw_sayteam", "eam"},
        {"/e", "/echo", "cho"},
        {"/ex", "/exec", "ec"},
        {"/x", "/x", ""},
        {"/H", "/H", ""},
        {"/echo ", "/echo ", ""},
        {"hello /e", "hello /echo", "cho"},
        {"a\t/q", "a\t/quit", "uit"},
        {" /e", " /e", ""},  // the only white space is the first character: the word is the whole text
        {"/w b", "/w bob", "ob"},
        {"/w 192", "/w 192.168.0.7", ".168.0.7"},
        {"/w bobby", "/w bobby", ""},
        {"b", "bob", "ob"},
        {"\b", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        m_Box.SetText("");
        TypeKeys(c.keys);
        EXPECT_EQ(m_Box.text, c.text);
        EXPECT_EQ(m_Box.Selected(), c.selected);
        EXPECT_EQ(m_Box.end, static_cast<int>(m_Box.text.size())) << "caret not at the end";
    }
}

TEST_F(CommandEditTest, CompletionSelectsFromTheOldEnd) {
    AddCommandKeywords();
    m_Box.text = "/con";
    m_Edit.CompleteWord('n');
    EXPECT_EQ(m_Box.text, "/configure");
    EXPECT_EQ(m_Box.lastSel, (std::pair<int, int>{4, -1}));

    // Nothing to do: the box is not touched at all.
    const struct {
        const char* text;
        int charCode;
    } untouched[] = {{"", 'x'}, {"/con", 8}, {"/configure", 'e'}, {"say ", ' '}, {"/zz", 'z'}};
    for (const auto& u : untouched) {
        SCOPED_TRACE(u.text);
        m_Box.text = u.text;
        m_Box.setTexts = m_Box.setSels = 0;
        m_Edit.CompleteWord(u.charCode);
        EXPECT_EQ(m_Box.text, u.text);
        EXPECT_EQ(m_Box.setTexts + m_Box.setSels, 0);
    }
}

TEST(CommandEditDetached, DoesNothingWithoutABox) {
    CCommandEdit edit;
    EXPECT_TRUE(edit.AddKeyword("/help"));
    edit.AddHistory("x");
    edit.CompleteWord('h');
    edit.HistoryPrev();
    edit.HistoryNext();
    edit.ClearText();
    EXPECT_EQ(edit.History(), std::vector<std::string>{"x"});
}

// ------------------------------------------------------------------------------------------------ history

TEST_F(CommandEditTest, HistoryKeepsOneEntryPerLineNewestLast) {
    for (const char* line : {"/echo a", "hello", "/echo a", "/users", "hello"})
        m_Edit.AddHistory(line);
    EXPECT_EQ(m_Edit.History(), (std::vector<std::string>{"/echo a", "/users", "hello"}));
    EXPECT_EQ(m_Edit.FindHistory("/echo a"), 0);
    EXPECT_EQ(m_Edit.FindHistory("hello"), 2);
    EXPECT_EQ(m_Edit.FindHistory("Hello"), -1);
    EXPECT_EQ(m_Edit.FindHistory(""), -1);
}

TEST_F(CommandEditTest, HistoryRecall) {
    enum Step { Up, Down };
    const struct {
        const char* what;
        std::vector<std::string> history;
        const char* start;
        std::vector<Step> steps;
        std::vector<std::string> shown;  // box text after each step
    } cases[] = {
        {"up from an empty box walks back and stops at the oldest",
         {"one", "two", "three"},
         "",
         {Up, Up, Up, Up},
         {"three", "two", "one", "one"}},
        {"down walks forward and empties the box after the newest",
         {"one", "two", "three"},
         "one",
         {Down, Down, Down, Down},
         {"two", "three", "", ""}},
        {"up from a text not in the history shows the newest", {"one", "two"}, "typed", {Up}, {"two"}},
        {"down from a text not in the history does nothing", {"one", "two"}, "typed", {Down}, {"typed"}},
        {"up and down with no history do nothing", {}, "typed", {Up, Down}, {"typed", "typed"}},
        {"up then down comes back to the empty box", {"one", "two"}, "", {Up, Down}, {"two", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CCommandEdit edit;
        edit.Attach(&m_Box);
        for (const auto& h : c.history)
            edit.AddHistory(h);
        m_Box.SetText(c.start);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            if (c.steps[i] == Up)
                edit.HistoryPrev();
            else
                edit.HistoryNext();
            EXPECT_EQ(m_Box.text, c.shown[i]) << "step " << i;
            // Whatever happened, the whole text ends up selected.
            EXPECT_EQ(m_Box.lastSel, (std::pair<int, int>{0, -1}));
            EXPECT_EQ(m_Box.start, 0);
            EXPECT_EQ(m_Box.end, static_cast<int>(m_Box.text.size()));
        }
        EXPECT_EQ(edit.History(), c.history);  // recalling never changes the history
    }
}

TEST_F(CommandEditTest, RecalledLineIsReplacedByTyping) {
    AddCommandKeywords();
    m_Edit.AddHistory("/users");
    m_Edit.HistoryPrev();
    TypeKeys("/h");
    EXPECT_EQ(m_Box.text, "/help");
    EXPECT_EQ(m_Box.Selected(), "elp");
}

TEST_F(CommandEditTest, ClearTextEmptiesTheBox) {
    m_Box.SetText("/echo something");
    m_Edit.ClearText();
    EXPECT_EQ(m_Box.text, "");
}

// ------------------------------------------------------------------------------------------------ keys

TEST(CommandEditRouteKey, RoutesTheFiveKeys) {
    const struct {
        int key;
        KeyAction inBox;
        KeyAction elsewhere;
    } cases[] = {
        {KEY_UP, KeyAction::HistoryPrev, KeyAction::Swallow},
        {KEY_DOWN, KeyAction::HistoryNext, KeyAction::Swallow},
        {KEY_ESCAPE, KeyAction::ClearBox, KeyAction::Swallow},
        {KEY_F5, KeyAction::Refresh, KeyAction::Refresh},
        {KEY_TAB, KeyAction::TabToRight, KeyAction::Swallow},
        {KEY_RIGHT, KeyAction::Pass, KeyAction::Pass},
        {0x25 /* left */, KeyAction::Pass, KeyAction::Pass},
        {0x0D /* enter */, KeyAction::Pass, KeyAction::Pass},
        {'A', KeyAction::Pass, KeyAction::Pass},
        {0x75 /* F6 */, KeyAction::Pass, KeyAction::Pass},
        {0, KeyAction::Pass, KeyAction::Pass},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(RouteKey(c.key, true), c.inBox);
        EXPECT_EQ(RouteKey(c.key, false), c.elsewhere);
    }
}

}  // namespace
