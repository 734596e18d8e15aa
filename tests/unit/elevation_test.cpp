// Elevation, which Wine cannot show (every process runs elevated there): whether the game is out of reach and the
// notice said once per run of the game, the typing commands that say why they cannot type, and the messages an
// elevated copy lets through from programs that are not.
#include <gtest/gtest.h>

#include <string>

#include "assistant/ElevationNotice.h"
#include "tests/unit/FakeElevation.h"
#include "tests/unit/FakeMainWindow.h"

using namespace kvltest;

namespace {

constexpr uintptr_t kGame = 0x100;
constexpr Elevation kNo = Elevation::NotElevated, kYes = Elevation::Elevated, kUnknown = Elevation::CannotTell;

class RecordingHost : public IModuleHost, public IConsoleWriter {
public:
    IConsoleWriter& Console() override { return *this; }
    int Execute(const std::string&) override { return 0; }
    bool AddKeyword(const std::string&) override { return true; }
    const std::vector<std::string>& Keywords() const override { return keywords; }
    uintptr_t SetTimer(unsigned id, unsigned) override { return id; }
    void KillTimer(unsigned) override {}
    bool IsWindowOnScreen() const override { return true; }
    void ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon,
                         unsigned seconds) override {
        said.push_back("balloon " + title + "|" + text + "|" + std::to_string(static_cast<int>(icon)) + "|" +
                       std::to_string(seconds));
    }
    int Write(const std::string& text) override {
        said.push_back(text);
        return 0;
    }
    void WriteLine(const std::string& text) override { said.push_back(text + "\r\n"); }
    void WriteList(const std::vector<std::string>&) override {}

    std::vector<std::string> said;
    std::vector<std::string> keywords;
};

const std::vector<std::string> kTold = {
    std::string(CElevationNotice::kLine) + "\r\n",
    std::string("balloon ") + CElevationNotice::kBalloonTitle + "|" + CElevationNotice::kBalloonText + "|2|10"};

TEST(ElevationNotice, OnlyAGameAboveAProgramThatIsNotElevatedIsOutOfReach) {
    const struct {
        const char* name;
        Elevation own, game;
        bool knownProcess;
        bool outOfReach;
    } cases[] = {
        {"the game elevated, this program not", kNo, kYes, true, true},
        {"both elevated", kYes, kYes, true, false},
        {"neither elevated", kNo, kNo, true, false},
        {"this program elevated, the game not (the message filter's case)", kYes, kNo, true, false},
        {"the game refuses the question", kNo, kUnknown, true, false},
        {"the game's process cannot be found", kNo, kYes, false, false},
        {"Windows XP: no function answers", kUnknown, kUnknown, true, false},
        {"this program's own question refused", kUnknown, kYes, true, false},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        FakeElevation platform;
        platform.own = c.own;
        if (c.knownProcess)
            platform.processes[kGame] = 4242;
        platform.elevations[4242] = c.game;
        CElevationNotice notice(host, platform);
        EXPECT_EQ(notice.OutOfReach(kGame), c.outOfReach) << c.name;
        EXPECT_EQ(host.said, c.outOfReach ? kTold : std::vector<std::string>()) << c.name;
    }
}

TEST(ElevationNotice, SaidOncePerRunOfTheGame) {
    RecordingHost host;
    FakeElevation platform;
    platform.own = kNo;
    platform.processes[kGame] = 4242;
    platform.elevations = {{4242, kYes}, {4343, kYes}};
    CElevationNotice notice(host, platform);
    for (int tick = 0; tick < 5; ++tick)
        EXPECT_TRUE(notice.OutOfReach(kGame));
    EXPECT_EQ(host.said, kTold);
    EXPECT_EQ(platform.ownQuestions, 1);
    EXPECT_EQ(platform.processQuestions, 1) << "the game's process is asked once per run";

    EXPECT_FALSE(notice.OutOfReach(0)) << "the game has gone";
    EXPECT_TRUE(notice.OutOfReach(kGame));
    platform.processes[kGame] = 4343;  // started again, the same window handle
    EXPECT_TRUE(notice.OutOfReach(kGame));
    EXPECT_EQ(host.said.size(), 3 * kTold.size()) << "each new run is told";
    EXPECT_EQ(platform.ownQuestions, 1);
}

TEST(ElevationNotice, AnElevatedCopyLetsProgramsBelowReachItsWindows) {
    const std::vector<MessageRoute> routes = {{0x10, 0x4A}, {0x10, 0x8014}, {0x20, 0xC123}};
    const struct {
        const char* name;
        Elevation own;
        bool filters;
        size_t letIn;
    } cases[] = {
        {"elevated", kYes, true, 3},
        {"not elevated: everybody reaches it already", kNo, true, 0},
        {"cannot tell: left as the system made it", kUnknown, true, 0},
        {"no message filters (before Vista)", kYes, false, 0},
    };
    for (const auto& c : cases) {
        FakeElevation platform;
        platform.own = c.own;
        platform.filters = c.filters;
        EXPECT_EQ(LetProcessesBelowIn(platform, routes), c.letIn) << c.name;
        const std::vector<std::string> all = {"16:74", "16:32788", "32:49443"};
        EXPECT_EQ(platform.letIn, c.letIn ? all : std::vector<std::string>()) << c.name;
    }
}

// The assistant as the program registers it, with the game elevated above it.
class ElevatedGameTest : public ControllerFixture {
protected:
    void SetUp() override {
        elevation.own = kNo;
        elevation.elevations = {{1, kYes}, {2, kYes}, {3, kYes}, {4, kYes}};
        ControllerFixture::SetUp();
    }
    // A new run of the game, in front.
    void GameStarts(uint32_t process) {
        windows.game = windows.foreground = kGame;
        elevation.processes[kGame] = process;
    }
    void Report(uint32_t event, uint32_t wParam = 0) {
        hookReports.receiver->QueueHookEvent(HookEvent{event, wParam, 0});
        hookReports.receiver->DrainHookEvents();
    }
    size_t Told() const {
        size_t count = 0;
        for (size_t at = pane.text.find(CElevationNotice::kLine); at != std::string::npos;
             at = pane.text.find(CElevationNotice::kLine, at + 1))
            ++count;
        EXPECT_EQ(view.balloons.size(), count) << "each time in a balloon too";
        return count;
    }
};

TEST_F(ElevatedGameTest, SaidWhenTheGameIsFoundAndTypingSaysWhy) {
    GameStarts(1);
    Start();  // the game watch's first look finds it
    EXPECT_EQ(Told(), 1u);
    EXPECT_EQ(view.balloons[0], std::string(CElevationNotice::kBalloonTitle) + "|" + CElevationNotice::kBalloonText +
                                    "|" + std::to_string(static_cast<int>(BalloonIcon::Warning)) + "|10");
    const std::string why = std::string(CElevationNotice::kTypingLine) + "\r\n";
    EXPECT_EQ(Run("/bw_keys a"), why);
    EXPECT_EQ(Run("/bw_sayteam gg"), why);
    EXPECT_EQ(Run("/bw_sayall gg"), why);
    controller.OnTimer(TIMER_GAME_WATCH);
    EXPECT_EQ(Told(), 1u) << "once per run";
    EXPECT_EQ(Describe(keyRelay.Keys()), "") << "nothing was queued for the worker";

    windows.foreground = 0x200;  // behind another window: only bw_keys says so, as ever
    EXPECT_EQ(Run("/bw_keys a"), "Error: BW not foreground\r\n");
    EXPECT_EQ(Run("/bw_sayall gg"), "");
}

TEST_F(ElevatedGameTest, ABindingTheConsoleKeyOrACommandBeforeTheWatchSaysItFirst) {
    Start();  // no game yet
    ASSERT_EQ(Run("/bind F5 /echo bound"), "");
    EXPECT_EQ(Told(), 0u);
    GameStarts(1);
    Report(HOOK_KEY_DOWN, 0x74);
    EXPECT_EQ(Told(), 1u);
    EXPECT_NE(pane.text.find("bound\r\n"), std::string::npos) << "the binding runs all the same";
    GameStarts(2);
    Report(HOOK_CONSOLE_KEY);
    EXPECT_EQ(Told(), 2u);
    Report(HOOK_CONSOLE_KEY);
    GameStarts(3);
    Run("/bw_sayall gg");
    EXPECT_EQ(Told(), 3u);
}

}  // namespace
