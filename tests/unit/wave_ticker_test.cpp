// The wave ticker's frame arithmetic: sine table, phase, column heights and the characters entering the strip.
#include <gtest/gtest.h>

#include "widgets/WaveTickerCore.h"

namespace {

TEST(WaveTicker, SineTableInHalfDegrees) {
    const auto& sine = CWaveTickerCore::Sine();
    EXPECT_EQ(sine[0], 0.0);
    EXPECT_NEAR(sine[1], 0.0087265355, 1e-9);
    EXPECT_NEAR(sine[180], 1.0, 1e-12);
    EXPECT_NEAR(sine[360], 0.0, 1e-9);
    EXPECT_NEAR(sine[540], -1.0, 1e-12);
}

TEST(WaveTicker, PhaseWrapsBothWays) {
    CWaveTickerCore forward;
    forward.SetStep(6);
    for (int i = 0; i < 119; ++i)
        forward.AdvancePhase();
    EXPECT_EQ(forward.Phase(), 714);
    forward.AdvancePhase();
    EXPECT_EQ(forward.Phase(), 0) << "720 wraps to 0";

    CWaveTickerCore backward;  // the initial step, -3
    EXPECT_EQ(backward.Step(), -3);
    backward.AdvancePhase();
    EXPECT_EQ(backward.Phase(), 719) << "below 0 wraps to 719";
    backward.AdvancePhase();
    EXPECT_EQ(backward.Phase(), 716);

    CWaveTickerCore standing;
    standing.SetStep(0);
    standing.AdvancePhase();
    EXPECT_EQ(standing.Phase(), 0) << "step 0 keeps the wave standing";
}

TEST(WaveTicker, BaseOffsetHalvesByShifting) {
    EXPECT_EQ(CWaveTickerCore::BaseOffset(60, 27), 3 + 13);
    EXPECT_EQ(CWaveTickerCore::BaseOffset(30, 10), 10);
    // A font taller than half the control: the arithmetic shift rounds down, not towards zero.
    EXPECT_EQ(CWaveTickerCore::BaseOffset(11, 20), -15 + 10);
}

TEST(WaveTicker, ColumnHeightsStartOneStepPastThePhaseAndTruncate) {
    CWaveTickerCore ticker;
    ticker.SetStep(0);
    std::vector<int> heights;
    ticker.ColumnHeights(720, 100, heights);
    ASSERT_EQ(heights.size(), 720u);
    EXPECT_EQ(heights[0], 100);   // table index 1
    EXPECT_EQ(heights[59], 150);  // index 60: sin 30°
    EXPECT_EQ(heights[178], 199);
    EXPECT_EQ(heights[179], 200);  // index 180: the crest
    EXPECT_EQ(heights[360], 100);  // index 361: just below zero truncates to 0
    EXPECT_EQ(heights[539], 0);    // the trough
    EXPECT_EQ(heights[719], 100);  // index 720 wrapped to 0
}

TEST(WaveTicker, PhaseShiftsTheWave) {
    CWaveTickerCore ticker;
    ticker.SetStep(6);
    std::vector<int> before, after;
    ticker.ColumnHeights(100, 50, before);
    ticker.AdvancePhase();
    ticker.ColumnHeights(100, 50, after);
    for (int x = 0; x + 6 < 100; ++x)
        EXPECT_EQ(after[x], before[x + 6]) << x;
}

TEST(WaveTicker, NextCharacterAfterTheLastHasScrolledIn) {
    CWaveTickerCore ticker;
    ticker.SetText("AB");
    EXPECT_EQ(ticker.NextChunk(), "A");
    ticker.ChunkDrawn(5);
    ticker.FrameScrolled();  // 3 left
    EXPECT_EQ(ticker.NextChunk(), "");
    ticker.FrameScrolled();  // 1 left
    EXPECT_EQ(ticker.NextChunk(), "");
    ticker.FrameScrolled();  // -1
    EXPECT_EQ(ticker.NextChunk(), "B");
    ticker.ChunkDrawn(0);
    EXPECT_EQ(ticker.NextChunk(), "A") << "the text repeats";
}

TEST(WaveTicker, BytesOutsideAsciiArePairs) {
    CWaveTickerCore ticker;
    ticker.SetText(std::string(6, '\x97') + "[");
    for (int pair = 0; pair < 3; ++pair) {
        EXPECT_EQ(ticker.NextChunk(), std::string(2, '\x97')) << pair;
        ticker.ChunkDrawn(0);
    }
    EXPECT_EQ(ticker.NextChunk(), "[");
    ticker.ChunkDrawn(0);
    EXPECT_EQ(ticker.TextPos(), 7);

    // A lead byte at the text's end takes its partner from the start.
    ticker.SetText("a\xe9");
    EXPECT_EQ(ticker.NextChunk(), "a");
    ticker.ChunkDrawn(0);
    EXPECT_EQ(ticker.NextChunk(),
              "\xe9"
              "a");
    // A control byte is no printable ASCII either.
    ticker.SetText("\n!x");
    EXPECT_EQ(ticker.NextChunk(), "\n!");
}

TEST(WaveTicker, EmptyTextDrawsNothing) {
    CWaveTickerCore ticker;
    EXPECT_EQ(ticker.NextChunk(), "");
    EXPECT_EQ(ticker.TextPos(), 0);
}

TEST(WaveTicker, AboutTextShape) {
    const std::string text = AboutTickerText();
    const std::string dashes(6, '\x97');
    EXPECT_EQ(text.rfind(dashes + "[ Korvalen SE v0.70. ", 0), 0u);
    EXPECT_GT(text.size(), 100u);
    // Closed by a run of dashes longer than the separators.
    EXPECT_EQ(text.substr(text.size() - 7), std::string(7, '\x97'));
    size_t lines = 0;
    for (size_t at = text.find(dashes + "["); at != std::string::npos; at = text.find(dashes + "[", at + 1))
        ++lines;
    EXPECT_EQ(lines, 5u) << "the title line and four credit lines";
}

}  // namespace
