// Elevation, which Wine cannot show (every process runs elevated there): the notice of a game out of reach, said once
// per run of the game, the typing commands that say why they cannot type, and what an elevated copy lets through.
#include <gtest/gtest.h>

#include "assistant/ElevationNotice.h"
#include "tests/unit/ControllerFixture.h"

using namespace kvltest;

namespace {

constexpr uintptr_t kGame = 0x100;
constexpr Elevation kNo = Elevation::NotElevated, kYes = Elevation::Elevated, kUnknown = Elevation::CannotTell;

class ElevationTest : public ControllerFixture {
protected:
    // A run of the game, in front (0: its process cannot be found), and how elevated it and this program run.
    void GameStarts(uint32_t process, Elevation own, Elevation game) {
        windows.game = windows.foreground = kGame;
        elevation.processes[kGame] = process;
        elevation.own = own;
        elevation.elevations[process] = game;
    }
    // How often the notice was said; each time in a balloon too.
    size_t Told() const {
        size_t count = 0;
        for (size_t at = 0; (at = pane.text.find(CElevationNotice::kLine, at)) != std::string::npos; ++at)
            ++count;
        EXPECT_EQ(view.balloons.size(), count);
        return count;
    }
};

TEST_F(ElevationTest, OnlyAGameAboveAProgramThatIsNotElevatedIsOutOfReachSaidOncePerRun) {
    Start();
    const struct {
        const char* name;
        uint32_t process;
        Elevation own, game;
        bool outOfReach;
    } cases[] = {
        {"the game elevated, this program not", 1, kNo, kYes, true},
        {"both elevated", 2, kYes, kYes, false},
        {"neither", 3, kNo, kNo, false},
        {"this program elevated, the game not", 4, kYes, kNo, false},
        {"the game refuses the question", 5, kNo, kUnknown, false},
        {"its process not found", 0, kNo, kYes, false},
        {"Windows XP: nothing answers", 6, kUnknown, kUnknown, false},
        {"the game started again", 7, kNo, kYes, true},
    };
    size_t told = 0;
    for (const auto& c : cases) {
        GameStarts(c.process, c.own, c.game);
        controller.OnTimer(TIMER_GAME_WATCH);  // the game is found
        told += c.outOfReach ? 1 : 0;
        EXPECT_EQ(Run("/bw_sayall gg"), c.outOfReach ? std::string(CElevationNotice::kTypingLine) + "\r\n" : "")
            << c.name;
        controller.OnTimer(TIMER_GAME_WATCH);
        EXPECT_EQ(Told(), told) << c.name;
    }
    EXPECT_EQ(view.balloons[0], std::string(CElevationNotice::kBalloonTitle) + "|" + CElevationNotice::kBalloonText +
                                    "|" + std::to_string(static_cast<int>(BalloonIcon::Warning)) + "|10");
}

TEST_F(ElevationTest, ABindingOrTheConsoleKeyBeforeTheWatchSaysItFirst) {
    Start();
    ASSERT_EQ(Run("/bind F5 /echo bound"), "");
    const HookEvent reports[] = {{HOOK_KEY_DOWN, 0x74, 0}, {HOOK_CONSOLE_KEY, 0, 0}};
    for (uint32_t run = 0; run < 2; ++run) {
        GameStarts(run + 1, kNo, kYes);  // not seen by the watch yet
        hookReports.receiver->QueueHookEvent(reports[run]);
        hookReports.receiver->DrainHookEvents();
        EXPECT_EQ(Told(), run + 1u);
    }
    EXPECT_NE(pane.text.find("bound\r\n"), std::string::npos) << "the binding runs all the same";
}

TEST(LetProcessesBelowIn, OnlyAnElevatedCopyOpensItsWindows) {
    const std::vector<MessageRoute> routes = {{0x10, 0x4A}, {0x10, 0x8014}, {0x20, 0xC123}};
    const std::vector<std::string> all = {"16:74", "16:32788", "32:49443"};
    const struct {
        Elevation own;
        bool filters;
        size_t letIn;
    } cases[] = {{kYes, true, 3}, {kNo, true, 0}, {kUnknown, true, 0}, {kYes, false, 0}};
    for (const auto& c : cases) {
        FakeElevation platform;
        platform.own = c.own;
        platform.filters = c.filters;
        EXPECT_EQ(LetProcessesBelowIn(platform, routes), c.letIn);
        EXPECT_EQ(platform.letIn, c.letIn ? all : std::vector<std::string>());
    }
}

}  // namespace
