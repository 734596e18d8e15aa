// Balloon tips: size, quadrant, stem, screen clamping, fades and the mouse rules.
#include <gtest/gtest.h>

#include <vector>

#include "tests/unit/TestNames.h"
#include "widgets/BalloonGeometry.h"

using namespace balloon;

namespace {

const Rect kScreen{0, 0, 1024, 768};
const Size kWindow{200, 80};  // q = (200 - 20) / 4 = 45

struct PlaceCase {
    const char* what;
    Point anchor;
    int quadrant;
    Point position;
    Point tip;
    Point base0, base1;
};

class PlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceTest, StemTipAndWindow) {
    const PlaceCase& c = GetParam();
    const Placement p = Place(c.anchor, kWindow, kScreen);
    EXPECT_EQ(p.quadrant, c.quadrant);
    EXPECT_EQ(p.position.x, c.position.x);
    EXPECT_EQ(p.position.y, c.position.y);
    EXPECT_EQ(p.stem[2].x, c.tip.x);
    EXPECT_EQ(p.stem[2].y, c.tip.y);
    EXPECT_EQ(p.stem[0].x, c.base0.x);
    EXPECT_EQ(p.stem[0].y, c.base0.y);
    EXPECT_EQ(p.stem[1].x, c.base1.x);
    EXPECT_EQ(p.stem[1].y, c.base1.y);
    // Inside the screen whatever the anchor.
    EXPECT_GE(p.position.x, kScreen.left);
    EXPECT_LE(p.position.x + kWindow.cx, kScreen.right);
    EXPECT_GE(p.position.y, kScreen.top);
    EXPECT_LE(p.position.y + kWindow.cy, kScreen.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Balloon, PlaceTest,
    ::testing::Values(
        PlaceCase{"upper left hangs below, stem left", {300, 200}, 1, {255, 199}, {45, 1}, {65, 21}, {45, 21}},
        PlaceCase{"upper right hangs below, stem right", {700, 200}, 0, {545, 199}, {155, 1}, {135, 21}, {155, 21}},
        PlaceCase{"lower right stands above, stem down", {700, 600}, 2, {545, 522}, {155, 78}, {135, 58}, {155, 58}},
        PlaceCase{"lower left stands above, stem down", {300, 600}, 3, {255, 522}, {45, 78}, {65, 58}, {45, 58}},
        // Near the right edge the window moves left and the tip right by the same 41 pixels: it still touches.
        PlaceCase{"right edge", {1020, 200}, 0, {824, 199}, {196, 1}, {135, 21}, {155, 21}},
        PlaceCase{"left edge", {3, 200}, 1, {0, 199}, {3, 1}, {65, 21}, {45, 21}},
        // Vertically only the window moves: the tip stays where the stem ends.
        PlaceCase{"bottom edge", {700, 767}, 2, {545, 688}, {155, 78}, {135, 58}, {155, 58}},
        PlaceCase{"top edge", {300, 0}, 1, {255, 0}, {45, 1}, {65, 21}, {45, 21}},
        PlaceCase{
            "the exact middle counts as right and lower", {512, 384}, 2, {357, 306}, {155, 78}, {135, 58}, {155, 58}}),
    [](const ::testing::TestParamInfo<PlaceCase>& param) { return kvltest::RowName(param.param.what); });

TEST(BalloonGeometry, TipTouchesTheAnchorWhenItCanMoveHorizontally) {
    for (int x : {0, 1, 100, 511, 512, 900, 1023}) {
        for (int y : {100, 700}) {
            const Placement p = Place(Point{x, y}, kWindow, kScreen);
            EXPECT_EQ(p.position.x + p.stem[2].x, x) << x << "," << y;
            EXPECT_EQ(p.position.y + p.stem[2].y, y) << x << "," << y;
        }
    }
}

TEST(BalloonGeometry, BodyAndClientFollowTheStemSide) {
    const Placement below = Place(Point{100, 100}, kWindow, kScreen);
    EXPECT_EQ(below.body.top, 20);
    EXPECT_EQ(below.body.bottom, 80);
    EXPECT_EQ(below.client.top, 28);
    EXPECT_EQ(below.client.bottom, 72);
    const Placement above = Place(Point{100, 700}, kWindow, kScreen);
    EXPECT_EQ(above.body.top, 0);
    EXPECT_EQ(above.body.bottom, 60);
    EXPECT_EQ(above.client.top, 8);
    EXPECT_EQ(above.client.bottom, 52);
    EXPECT_EQ(above.client.left, 8);
    EXPECT_EQ(above.client.right, 192);
}

TEST(BalloonGeometry, StemStaysEightPixelsFromTheSidesOfANarrowBalloon) {
    // q = (40 - 20) / 4 = 5: the right-hand stem would run 15..35, the left-hand one 25..5.
    const Placement right = Place(Point{800, 100}, Size{40, 60}, kScreen);
    EXPECT_EQ(right.stem[0].x, 15);
    EXPECT_EQ(right.stem[1].x, 32);
    EXPECT_EQ(right.stem[2].x, 32);
    const Placement left = Place(Point{200, 100}, Size{40, 60}, kScreen);
    EXPECT_EQ(left.stem[0].x, 25);
    EXPECT_EQ(left.stem[1].x, 8);
    EXPECT_EQ(left.stem[2].x, 8);
}

TEST(BalloonGeometry, SizeFromHeaderAndText) {
    const Size header = HeaderSize(Size{16, 16}, Size{100, 13}, true);
    EXPECT_EQ(header.cx, 16 + 8 + 100 + 16);
    EXPECT_EQ(header.cy, 16);
    EXPECT_EQ(HeaderSize(Size{}, Size{100, 13}, false).cx, 108);
    EXPECT_EQ(HeaderSize(Size{}, Size{100, 13}, false).cy, 13);
    // Inner: the wider of the two, their heights plus 8; then 8 on every side and the 20-pixel stem.
    const Size window = WindowSize(header, Size{300, 40});
    EXPECT_EQ(window.cx, 300 + 16);
    EXPECT_EQ(window.cy, 16 + 40 + 8 + 36);
    EXPECT_EQ(WindowSize(Size{140, 16}, Size{50, 13}).cx, 156);
}

TEST(BalloonGeometry, CloseButtonInTheClientAreasTopRightCorner) {
    const Placement p = Place(Point{100, 100}, kWindow, kScreen);
    const Rect button = CloseButtonRect(p);
    EXPECT_EQ(button.left, 176);
    EXPECT_EQ(button.top, 28);
    EXPECT_EQ(button.right, 192);
    EXPECT_EQ(button.bottom, 44);
    EXPECT_TRUE(button.Contains(Point{180, 30}));
    EXPECT_FALSE(button.Contains(Point{192, 30}));
}

TEST(BalloonGeometry, NoFadesWhenTheSystemHasThemOff) {
    const uint32_t none = BalloonNoFadeIn | BalloonNoFadeOut;
    EXPECT_EQ(SettleFadeOptions(BalloonCloseOnKey, true, true, true), uint32_t{BalloonCloseOnKey});
    EXPECT_EQ(SettleFadeOptions(BalloonCloseOnKey, true, false, true), BalloonCloseOnKey | none);
    EXPECT_EQ(SettleFadeOptions(0, false, true, true), none);
    EXPECT_EQ(SettleFadeOptions(0, true, true, false), none);
}

TEST(BalloonGeometry, FadeInTakesElevenStepsFromFive) {
    int alpha = kFadeInStart;
    int steps = 0;
    for (;;) {
        const FadeStep step = FadeInStep(alpha);
        ++steps;
        alpha = step.alpha;
        if (step.done)
            break;
        ASSERT_LT(alpha, 256);
    }
    EXPECT_EQ(alpha, 255);
    EXPECT_EQ(steps, 11);  // 30, 55, ..., 255, then one past it ends the fade
}

TEST(BalloonGeometry, FadeOutEndsAtZero) {
    int alpha = kFadeOutStart;
    int steps = 0;
    FadeStep step{alpha, false};
    while (!step.done) {
        step = FadeOutStep(step.alpha);
        ++steps;
        ASSERT_GE(step.alpha, 0);
    }
    EXPECT_EQ(step.alpha, 0);
    EXPECT_EQ(steps, 11);
}

TEST(BalloonGeometry, MouseMoveClosesOnlyOnceFullyFadedIn) {
    const uint32_t options = BalloonCloseOnMouseMove | BalloonCloseOnKey;
    const Point start{50, 50};
    EXPECT_FALSE(ClosesOnMove(options, 130, start, Point{90, 90})) << "still fading in";
    EXPECT_TRUE(ClosesOnMove(options, 255, start, Point{90, 90}));
    EXPECT_FALSE(ClosesOnMove(options, 255, start, Point{53, 47})) << "within the tolerance";
    EXPECT_TRUE(ClosesOnMove(options, 255, start, Point{54, 50}));
    EXPECT_TRUE(ClosesOnMove(options, 255, start, Point{50, 46}));
    EXPECT_FALSE(ClosesOnMove(BalloonCloseOnKey, 255, start, Point{90, 90})) << "not asked for";
}

TEST(BalloonGeometry, CloseButtonLooks) {
    EXPECT_EQ(CloseButtonLook(false, false), uint32_t{CloseButtonFlat});
    EXPECT_EQ(CloseButtonLook(false, true), uint32_t{CloseButtonHot});
    EXPECT_EQ(CloseButtonLook(true, true), CloseButtonHeld | CloseButtonPushed);
    EXPECT_EQ(CloseButtonLook(true, false), CloseButtonHeld | CloseButtonFlat);
}

TEST(BalloonGeometry, CreationTakesTheMainWindowWhenTheCallerGivesNone) {
    EXPECT_EQ(PlanCreation(BalloonCloseButton, 0x10, 0x20).parent, 0x10u);
    EXPECT_EQ(PlanCreation(BalloonCloseButton, 0, 0x20).parent, 0x20u);
    EXPECT_EQ(PlanCreation(BalloonCloseButton, 0, 0).parent, 0u) << "neither: no balloon";
    const CreationSteps all =
        PlanCreation(BalloonCloseOnMouseMove | BalloonCloseOnRightClick | BalloonCloseOnKey, 0, 1);
    EXPECT_TRUE(all.watchMouse && all.captureMouse && all.closeOnKey);
    const CreationSteps none = PlanCreation(BalloonCloseButton | BalloonTopmost, 0, 1);
    EXPECT_FALSE(none.watchMouse || none.captureMouse || none.closeOnKey);
}

TEST(BalloonGeometry, ReleasingTheLeftButton) {
    const uint32_t button = BalloonCloseButton;
    const struct {
        uint32_t options;
        bool held, onButton, link;
        bool release, close, open;
    } cases[] = {
        {button, true, true, false, true, true, false},                             // the close button clicked
        {button, true, false, true, true, false, false},                            // let go beside it
        {button | BalloonCloseOnClick, true, false, false, true, false, false},     // held: the capture goes back,
        {button | BalloonCloseOnRightClick, true, true, false, true, true, false},  // whatever else closes it
        {BalloonCloseOnClick, false, false, true, true, true, false},
        {BalloonCloseOnKey, false, false, true, false, true, true},  // a link
        {BalloonCloseOnRightClick, false, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        const ButtonUpSteps steps = LeftButtonUp(c.options, c.held, c.onButton, c.link);
        EXPECT_EQ(std::vector<bool>({steps.releaseCapture, steps.close, steps.openLink}),
                  std::vector<bool>({c.release, c.close, c.open}))
            << c.options << " " << c.held << c.onButton << c.link;
    }
}

}  // namespace
