// Tests of the console's shared text and the pane's model: lines, wrapping, following the end, scrolling, selecting.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/ConsoleText.h"
#include "base/KeyCodes.h"
#include "console/LogView.h"
#include "tests/unit/TestNames.h"

namespace {

// Every character one pixel wide, but 'W' (3) and the double-byte characters (lead bytes 0x81 to 0x9F, 2 pixels).
class FakeMeasure : public ITextMeasure {
public:
    bool IsLeadByte(unsigned char value) override { return value >= 0x81 && value <= 0x9F; }
    int CharWidth(std::string_view c) override {
        ++calls;
        return c.size() == 2 ? 2 : c[0] == 'W' ? 3 : 1;
    }
    int calls = 0;
};

// The rows on show, each as its text; a selected piece in brackets.
std::vector<std::string> Shown(CLogView& view) {
    std::vector<std::string> rows;
    for (const LogRow& row : view.VisibleRows()) {
        std::string text;
        for (const LogRun& run : row.runs) {
            const std::string piece(view.TextAt(run.begin), run.end - run.begin);
            text += run.selected ? "[" + piece + "]" : piece;
        }
        rows.push_back(text);
    }
    return rows;
}

struct Pane {
    explicit Pane(int width, int rows = 100) : view(measure) {
        view.SetFont(1, 4);
        view.SetSize(width, rows);
        view.Restart(text, 0);
    }
    void Write(const std::string& s) {
        text.Append(s);
        view.Appended();
    }
    FakeMeasure measure;
    CConsoleText text;
    CLogView view;
};

// ------------------------------------------------------------------------------------------------ the text

TEST(ConsoleText, LinesEndInCrLfWhereverTheWritesSplitThem) {
    CConsoleText text;
    for (const char* piece : {"one\r", "\ntwo\rstill two\n", "\r\n", "", "\r", "\r\nthree"})
        text.Append(piece);
    ASSERT_EQ(text.LineCount(), 4u);
    EXPECT_EQ(text.Line(0), "one");
    EXPECT_EQ(text.Line(1), "two\rstill two\n") << "a lone CR or LF is no line end";
    EXPECT_EQ(text.Line(2), "\r");
    EXPECT_EQ(text.Line(3), "three") << "the last line is the one being written";
    EXPECT_EQ(text.LineOf(0), 0u);
    EXPECT_EQ(text.LineOf(4), 0u) << "a line's CR LF belongs to it";
    EXPECT_EQ(text.LineOf(5), 1u);
    EXPECT_EQ(text.LineOf(text.Size()), 3u);
}

// ------------------------------------------------------------------------------------------------ wrapping

struct WrapCase {
    const char* label;
    std::string text;
    int width;
    std::vector<std::string> rows;
};

std::ostream& operator<<(std::ostream& out, const WrapCase& c) { return out << c.label; }

class LogViewWraps : public ::testing::TestWithParam<WrapCase> {};

TEST_P(LogViewWraps, AsAnEditBoxWrapsAtItsWidth) {
    const WrapCase& c = GetParam();
    Pane pane(c.width);
    pane.Write(c.text);
    EXPECT_EQ(Shown(pane.view), c.rows);
    EXPECT_EQ(pane.view.RowCount(), c.rows.size());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LogViewWraps,
    ::testing::Values(
        WrapCase{"EmptyLog", "", 10, {""}},
        WrapCase{"LineEndLeavesAnEmptyLastRow", "abc\r\n", 10, {"abc", ""}},
        WrapCase{"AtTheLastBlankThatFits", "one two three\r\n", 9, {"one two ", "three", ""}},
        WrapCase{"BlanksHangPastTheEdge", "abcd    efgh", 4, {"abcd    ", "efgh"}},
        WrapCase{"AWordWiderThanTheRowIsCut", "abcdefghij k", 4, {"abcd", "efgh", "ij k"}},
        WrapCase{"ByPixelsNotBytes", "WWWa", 7, {"WW", "Wa"}},
        WrapCase{"ARowHoldsAtLeastOneCharacter", "WW", 1, {"W", "W"}},
        WrapCase{"DoubleByteCharactersStayWhole", "a\x81\x40\x82\x41", 4, {"a\x81\x40", "\x82\x41"}},
        WrapCase{"TabsReachTheNextStop", "a\tb\tc", 6, {"a\tb\t", "c"}},
        WrapCase{"CrLfSplitOverTwoLines", "a\r\nb\rc\nd", 20, {"a", "b\rc\nd"}}),
    [](const ::testing::TestParamInfo<WrapCase>& param) { return kvltest::RowName(param.param.label); });

// Whatever pieces the text comes in, and after any change of width, the rows are those of the whole text wrapped
// at once, and the rows counted for the scroll bar are the rows there are.
TEST(LogViewAppending, RowsAreThoseOfTheWholeTextWrappedAtOnce) {
    std::mt19937 random(7);
    const std::string alphabet = "ab W\t\r\n\x81\x40";
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const int width = 1 + static_cast<int>(random() % 12);
        Pane piecewise(width, 5000);
        std::string all;
        for (int p = static_cast<int>(random() % 20); p >= 0; --p) {
            std::string piece;
            for (int n = static_cast<int>(random() % 12); n > 0; --n)
                piece += alphabet[random() % alphabet.size()];
            piecewise.Write(piece);
            all += piece;
        }
        const int resized = 1 + static_cast<int>(random() % 12);
        for (int w : {width, resized}) {
            piecewise.view.SetSize(w, 5000);
            Pane reference(w, 5000);
            reference.Write(all);
            const std::vector<std::string> rows = Shown(reference.view);
            EXPECT_EQ(Shown(piecewise.view), rows) << "width " << w;
            EXPECT_EQ(piecewise.view.RowCount(), rows.size());
            EXPECT_EQ(piecewise.view.Scroll().rows, rows.size());
        }
    }
}

// ------------------------------------------------------------------------------------------------ scrolling

std::string Lines(int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i)
        text += "l" + std::to_string(i) + "\r\n";
    return text;
}

TEST(LogViewScrolling, FollowsTheEndUntilTheUserScrollsAwayAndAgainOnceBack) {
    Pane pane(10, 3);
    CLogView& view = pane.view;
    pane.Write(Lines(0, 10));
    EXPECT_EQ(Shown(view), (std::vector<std::string>{"l8", "l9", ""}));
    view.ScrollBy(-2);
    EXPECT_FALSE(view.IsFollowing());
    pane.Write(Lines(10, 12));
    EXPECT_EQ(Shown(view), (std::vector<std::string>{"l6", "l7", "l8"})) << "new text leaves the view where it is";
    EXPECT_EQ(view.Scroll().top, 6u);
    EXPECT_EQ(view.Scroll().rows, 13u);
    view.ScrollBy(100);
    EXPECT_TRUE(view.IsFollowing()) << "back at the end";
    pane.Write(Lines(12, 13));
    EXPECT_EQ(Shown(view), (std::vector<std::string>{"l11", "l12", ""}));

    const struct {
        int key;
        bool control;
        const char* top;
        bool following;
    } keys[] = {
        {KEY_PAGE_UP, false, "l8", false},  {KEY_PAGE_UP, false, "l5", false}, {KEY_PAGE_DOWN, false, "l8", false},
        {KEY_HOME, true, "l0", false},      {KEY_DOWN, false, "l1", false},    {KEY_END, true, "l11", true},
        {KEY_PAGE_DOWN, false, "l11", true}, {'A', false, "l11", true},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.top);
        view.OnKey(k.key, k.control);
        EXPECT_EQ(Shown(view).front(), k.top);
        EXPECT_EQ(view.IsFollowing(), k.following);
    }
    view.ScrollToRow(4);
    EXPECT_EQ(Shown(view).front(), "l4") << "the scroll bar's thumb";
    view.ScrollToRow(1u << 31);
    EXPECT_TRUE(view.IsFollowing());
}

TEST(LogViewScrolling, ANewWidthKeepsTheTopRowsFirstCharacterInViewAndWrapsTheRestLater) {
    Pane pane(40, 4);
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "line " + std::to_string(i) + " of some words that wrap\r\n";
    pane.Write(text);
    pane.view.ScrollToRow(150);
    const std::string top = Shown(pane.view).front();
    EXPECT_EQ(top, "line 150 of some words that wrap");
    pane.view.SetSize(10, 4);
    EXPECT_TRUE(pane.view.WrapPending()) << "only what shows is wrapped at once";
    EXPECT_EQ(Shown(pane.view), (std::vector<std::string>{"line 150 ", "of some ", "words that ", "wrap"}));
    while (pane.view.WrapSome(1000)) {
    }
    EXPECT_EQ(pane.view.Scroll().rows, 3u * 100 + 4u * 200 + 1) << "\"line 10 of \", but \"line 100 \"";
    EXPECT_EQ(Shown(pane.view).front(), "line 150 ") << "the estimates replaced, the view stays";
    pane.view.SetSize(60, 4);
    EXPECT_EQ(Shown(pane.view).front(), top);
}

// ------------------------------------------------------------------------------------------------ selecting

TEST(LogViewSelecting, PositionsWordsAndASelectionThatSurvivesNewText) {
    Pane pane(8, 4);
    CLogView& view = pane.view;
    pane.Write("ab WWcd\r\nxy  z");
    EXPECT_EQ(Shown(view), (std::vector<std::string>{"ab ", "WWcd", "xy  z"}));
    const struct {
        int x, y;
        size_t position;
    } points[] = {
        {0, 0, 0}, {1, 0, 1}, {50, 0, 3}, {0, 1, 3}, {1, 1, 3}, {2, 1, 4}, {7, 1, 6},
        {50, 1, 7}, {-5, 0, 0}, {2, 2, 11}, {0, 3, 14}, {0, 90, 14},
    };
    for (const auto& p : points)
        EXPECT_EQ(view.PositionAt(p.x, p.y), p.position) << p.x << "," << p.y;
    const struct {
        size_t at, from, to;
    } words[] = {{0, 0, 2}, {2, 2, 3}, {4, 3, 7}, {7, 7, 7}, {11, 11, 13}, {13, 13, 14}, {99, 14, 14}};
    for (const auto& w : words)
        EXPECT_EQ(view.WordAt(w.at), std::make_pair(w.from, w.to)) << w.at;

    view.Select(5, 2);
    EXPECT_EQ(view.SelectedText(), " WW");
    pane.Write(" more\r\n");
    EXPECT_EQ(view.SelectedText(), " WW") << "new text keeps the selection";
    view.ScrollToTop();
    EXPECT_EQ(Shown(view), (std::vector<std::string>{"ab[ ]", "[WW]cd", "xy  z ", "more"}));
    view.SelectAll();
    EXPECT_EQ(view.SelectedText(), "ab WWcd\r\nxy  z more\r\n");
    view.Select(3, 99);
    EXPECT_EQ(view.Selection().second, view.Length()) << "kept within the log";
}

TEST(LogViewSelecting, AClearedLogBeginsWhereTheTextEndedEvenInsideALine) {
    Pane pane(20, 3);
    pane.Write("old\r\nhalf");
    pane.view.Select(0, 4);
    pane.view.Restart(pane.text, pane.text.Size());
    EXPECT_EQ(pane.view.Length(), 0u);
    EXPECT_FALSE(pane.view.HasSelection());
    pane.Write(" line\r\nnext");
    EXPECT_EQ(pane.view.LogText(), " line\r\nnext");
    EXPECT_EQ(Shown(pane.view), (std::vector<std::string>{" line", "next"}));
    EXPECT_EQ(pane.view.RowCount(), 2u);
}

}  // namespace
