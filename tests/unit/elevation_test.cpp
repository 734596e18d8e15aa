// Elevation, which Wine cannot show (every process runs elevated there): the notice of a game out of reach, said once
// per run of the game, the typing commands that say why they cannot type, and what an elevated copy lets through.
#include <gtest/gtest.h>

#include "assistant/ElevationNotice.h"
#include "tests/unit/AssistantRig.h"

using namespace kvltest;

namespace {

constexpr Elevation kNo = Elevation::NotElevated, kYes = Elevation::Elevated, kUnknown = Elevation::CannotTell;

class ElevationTest : public AssistantRig {
protected:
    void SetUp() override { ASSERT_EQ(assistant.Start(), 0); }
    // A run of the game, in front (0: its process cannot be found), and how elevated it and this program run.
    void GameStarts(uint32_t process, Elevation own, Elevation game) {
        windows.game = windows.foreground = kGame;
        elevation.processes[kGame] = process;
        elevation.own = own;
        elevation.elevations[process] = game;
    }
    // How often the notice was said; each time in a balloon too.
    size_t Told() const {
        const std::string written(host.all.Data(), host.all.Size());
        size_t count = 0;
        for (size_t at = 0; (at = written.find(CElevationNotice::kLine, at)) != std::string::npos; ++at)
            ++count;
        EXPECT_EQ(host.balloons.size(), count);
        return count;
    }
};

TEST_F(ElevationTest, OnlyAGameAboveAProgramThatIsNotElevatedIsOutOfReachSaidOncePerRun) {
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
        assistant.OnTimer(TIMER_GAME_WATCH);  // the game is found
        told += c.outOfReach ? 1 : 0;
        EXPECT_EQ(Run(CMD_BW_SAYALL, "gg"), c.outOfReach ? std::string(CElevationNotice::kTypingLine) + "\r\n" : "")
            << c.name;
        assistant.OnTimer(TIMER_GAME_WATCH);
        EXPECT_EQ(Told(), told) << c.name;
    }
    EXPECT_EQ(host.balloons[0], std::string(CElevationNotice::kBalloonTitle) + "|" + CElevationNotice::kBalloonText +
                                    "|" + std::to_string(static_cast<int>(BalloonIcon::Warning)) + "|10");
}

TEST_F(ElevationTest, ABindingOrTheConsoleKeyBeforeTheWatchSaysItFirst) {
    ASSERT_EQ(Run(CMD_BIND, "F5 /echo bound"), "");
    const HookEvent keys[] = {{HOOK_KEY_DOWN, 0x74, 0}, {HOOK_CONSOLE_KEY, 0, 0}};
    for (uint32_t run = 0; run < 2; ++run) {
        GameStarts(run + 1, kNo, kYes);  // not seen by the watch yet
        Report(keys[run].event, keys[run].wParam);
        EXPECT_EQ(Told(), run + 1u);
    }
    EXPECT_EQ(host.executed, std::vector<std::string>({"/echo bound"})) << "the binding runs all the same";
    EXPECT_EQ(keyRelay.mode, KEYMODE_TEXT) << "and the console opens";
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
