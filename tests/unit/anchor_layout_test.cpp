// Anchored layout: corners follow their anchor points, unanchored corners keep the control's size, and the window's
// initial size is its minimum.
#include "widgets/AnchorLayout.h"

#include <gtest/gtest.h>

namespace {

struct AnchorCase {
    const char* name;
    LayoutRect initial;
    AnchorPoint topLeft;
    std::optional<AnchorPoint> bottomRight;
    LayoutSize initialClient;
    LayoutSize client;
    LayoutRect expected;
};

std::ostream& operator<<(std::ostream& out, const AnchorCase& c) { return out << c.name; }

class AnchoredRectTest : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(AnchoredRectTest, CornersFollowTheirAnchors) {
    const AnchorCase& c = GetParam();
    const LayoutRect got = AnchoredRect(c.initial, c.initialClient, c.topLeft, c.bottomRight, c.client);
    EXPECT_EQ(got.left, c.expected.left);
    EXPECT_EQ(got.top, c.expected.top);
    EXPECT_EQ(got.right, c.expected.right);
    EXPECT_EQ(got.bottom, c.expected.bottom);
}

// The main window's controls in pixels, client 440x254 grown by 100 to the right and 50 down.
constexpr LayoutSize kClient{440, 254};
constexpr LayoutSize kGrown{540, 304};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Anchors, AnchoredRectTest,
    ::testing::Values(
        AnchorCase{"TreeGrowsBothWays", {5, 26, 195, 229}, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT, kClient, kGrown,
                   {5, 26, 295, 279}},
        AnchorCase{"CaptionGrowsInWidth", {5, 5, 195, 21}, ANCHOR_TOP_LEFT, ANCHOR_TOP_RIGHT, kClient, kGrown,
                   {5, 5, 295, 21}},
        AnchorCase{"TopRightMovesRight", {202, 5, 435, 21}, ANCHOR_TOP_RIGHT, std::nullopt, kClient, kGrown,
                   {302, 5, 535, 21}},
        AnchorCase{"PaneKeepsWidthGrowsInHeight", {202, 26, 435, 187}, ANCHOR_TOP_RIGHT, ANCHOR_BOTTOM_RIGHT,
                   kClient, kGrown, {302, 26, 535, 237}},
        AnchorCase{"ButtonFollowsBottomRight", {202, 192, 237, 229}, ANCHOR_BOTTOM_RIGHT, std::nullopt, kClient,
                   kGrown, {302, 242, 337, 279}},
        AnchorCase{"LabelFollowsBottomLeft", {5, 234, 59, 249}, ANCHOR_BOTTOM_LEFT, std::nullopt, kClient, kGrown,
                   {5, 284, 59, 299}},
        AnchorCase{"EditStretchesAlongTheBottom", {63, 234, 387, 249}, ANCHOR_BOTTOM_LEFT, ANCHOR_BOTTOM_RIGHT,
                   kClient, kGrown, {63, 284, 487, 299}},
        AnchorCase{"CentreAnchorMovesByHalf", {90, 40, 110, 60}, AnchorPoint{50, 50}, std::nullopt, {200, 100},
                   {300, 200}, {140, 90, 160, 110}},
        AnchorCase{"CentreToCornerStretchesByHalf", {90, 40, 110, 60}, AnchorPoint{50, 50}, ANCHOR_BOTTOM_RIGHT,
                   {200, 100}, {300, 200}, {140, 90, 210, 160}},
        AnchorCase{"HalfOfAnOddGrowthRoundsToNearest", {10, 10, 20, 20}, AnchorPoint{50, 50}, std::nullopt,
                   {100, 100}, {101, 103}, {11, 12, 21, 22}},
        AnchorCase{"UnchangedSizeKeepsTheRect", {63, 234, 387, 249}, ANCHOR_BOTTOM_LEFT, ANCHOR_BOTTOM_RIGHT,
                   kClient, kClient, {63, 234, 387, 249}},
        AnchorCase{"ShrinkingMovesBack", {202, 192, 237, 229}, ANCHOR_BOTTOM_RIGHT, std::nullopt, kClient,
                   {400, 200}, {162, 138, 197, 175}}),
    [](const ::testing::TestParamInfo<AnchorCase>& param) { return std::string(param.param.name); });
// clang-format on

TEST(ApplyMinimumSize, NeverBelowTheMinimumInEitherDimension) {
    const struct {
        LayoutSize requested, minimum, expected;
    } cases[] = {
        {{300, 200}, {400, 150}, {400, 200}}, {{500, 100}, {400, 150}, {500, 150}}, {{10, 10}, {400, 150}, {400, 150}},
        {{800, 600}, {400, 150}, {800, 600}}, {{400, 150}, {400, 150}, {400, 150}},
    };
    for (const auto& c : cases) {
        const LayoutSize got = ApplyMinimumSize(c.requested, c.minimum);
        EXPECT_EQ(got.cx, c.expected.cx) << c.requested.cx << "x" << c.requested.cy;
        EXPECT_EQ(got.cy, c.expected.cy) << c.requested.cx << "x" << c.requested.cy;
    }
}

class AnchorLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        layout.SetInitialClient(kClient);
        layout.Add(1003, {5, 26, 195, 229}, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
        layout.Add(1017, {202, 5, 435, 21}, ANCHOR_TOP_RIGHT, std::nullopt);
        layout.Add(1013, {400, 192, 435, 229}, ANCHOR_BOTTOM_RIGHT, std::nullopt);
    }
    CAnchorLayout layout;
};

TEST_F(AnchorLayoutTest, ArrangesEveryControlInTheOrderAdded) {
    const auto placed = layout.Arrange(kGrown);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].id, 1003);
    EXPECT_EQ(placed[0].rect, (LayoutRect{5, 26, 295, 279}));
    EXPECT_EQ(placed[1].id, 1017);
    EXPECT_EQ(placed[1].rect, (LayoutRect{302, 5, 535, 21}));
    EXPECT_EQ(placed[2].id, 1013);
    EXPECT_EQ(placed[2].rect, (LayoutRect{500, 242, 535, 279}));
}

TEST_F(AnchorLayoutTest, ClientSmallerThanTheInitialOneLaysOutAsTheInitialSize) {
    for (LayoutSize small : {LayoutSize{0, 0}, LayoutSize{100, 400}, LayoutSize{439, 253}}) {
        const auto placed = layout.Arrange(small);
        const auto clamped = layout.Arrange(ApplyMinimumSize(small, kClient));
        ASSERT_EQ(placed.size(), clamped.size());
        for (size_t i = 0; i < placed.size(); ++i)
            EXPECT_EQ(placed[i].rect, clamped[i].rect) << small.cx << "x" << small.cy << " control " << placed[i].id;
    }
    const auto minimised = layout.Arrange({0, 0});
    EXPECT_EQ(minimised[0].rect, (LayoutRect{5, 26, 195, 229}));
}

TEST_F(AnchorLayoutTest, AddingAControlAgainReplacesItsAnchors) {
    layout.Add(1017, {202, 5, 435, 21}, ANCHOR_TOP_LEFT, std::nullopt);
    const auto placed = layout.Arrange(kGrown);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[1].id, 1017);
    EXPECT_EQ(placed[1].rect, (LayoutRect{202, 5, 435, 21}));
    layout.Clear();
    EXPECT_TRUE(layout.Empty());
    EXPECT_TRUE(layout.Arrange(kGrown).empty());
}

}  // namespace
