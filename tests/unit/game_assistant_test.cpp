// The game keyboard assistant as a module: its start-up and banner result, the typing commands and their output,
// the queue and the worker thread (on std::thread here), and shutdown. Bindings, reports and the in-game console
// are in in_game_console_test.cpp.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "assistant/GameAssistant.h"
#include "tests/unit/FakeDesktop.h"
#include "tests/unit/FakeElevation.h"
#include "tests/unit/FakeKeyboard.h"
#include "tests/unit/FakeModuleHost.h"
#include "tests/unit/FakeOverlay.h"

using namespace kvltest;

namespace {

const std::string kClosing = "-11 -12 -10";

class GameAssistantTest : public ::testing::Test {
protected:
    // Runs a command; what it wrote to the console.
    std::string Run(uint32_t id, const std::string& argument) {
        host.out.clear();
        assistant.OnCommand(id, argument);
        return host.out;
    }
    // The keys the worker has sent once count of them arrived (or two seconds passed).
    std::string Keys(size_t count) {
        relay.WaitForKeys(count);
        return Describe(relay.Keys());
    }

    FakeModuleHost host;
    FakeDesktop desktop{0x100, 0x100};
    FakeKeystrokePlatform platform;
    FakeKeyRelay relay;
    FakeOverlayPlatform overlay;
    FakeHookReports reports;
    FakeElevation elevation;
    CGameAssistant assistant{host, AssistantPlatform{desktop, relay, platform, overlay, reports, elevation}};
};

}  // namespace

TEST_F(GameAssistantTest, StartsTheWorkerThenTheHook) {
    EXPECT_STREQ(assistant.BannerText(), " Starting keyRelay\x99...");
    EXPECT_EQ(assistant.Start(), 0);
    EXPECT_EQ(platform.threadsStarted, 1);
    EXPECT_TRUE(relay.hooked);
    assistant.Shutdown();
    EXPECT_FALSE(relay.hooked);
    EXPECT_EQ(relay.removeHookCalls, 1);
    EXPECT_FALSE(assistant.SendKeys("a")) << "no worker after shutdown";
    assistant.Shutdown();
    EXPECT_EQ(relay.removeHookCalls, 1) << "a second shutdown does nothing";
}

TEST_F(GameAssistantTest, AHookOwnedElsewhereFailsTheLineButTheWorkerTypes) {
    relay.hookAvailable = false;
    EXPECT_EQ(assistant.Start(), 1);
    EXPECT_EQ(Run(CMD_BW_KEYS, "a"), "");
    EXPECT_EQ(Keys(5), "+41 -41 " + kClosing);
    assistant.Shutdown();
    EXPECT_EQ(relay.removeHookCalls, 0) << "a hook that was never set is not removed";
}

TEST_F(GameAssistantTest, WithoutQueueSynchronisationNothingIsTyped) {
    platform.syncAvailable = false;
    EXPECT_EQ(assistant.Start(), 1);
    EXPECT_EQ(platform.threadsStarted, 0);
    EXPECT_FALSE(assistant.SendKeys("a"));
}

TEST_F(GameAssistantTest, CommandsAndTheirOutput) {
    ASSERT_EQ(assistant.Start(), 0);
    const std::vector<ConsoleCommand> rows = assistant.Commands();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_STREQ(rows[2].name, "bw_keys");

    struct CommandCase {
        bool inFront;
        uint32_t id;
        const char* argument;
        const char* output;
    };
    const CommandCase cases[] = {
        {true, CMD_BW_KEYS, "", "Wrong syntax\r\n"},
        {false, CMD_BW_KEYS, "", "Wrong syntax\r\n"},
        {false, CMD_BW_KEYS, "a", "Error: BW not foreground\r\n"},
        {false, CMD_BW_SAYTEAM, "gg", ""},
        {false, CMD_BW_SAYALL, "gg", ""},
    };
    for (const CommandCase& c : cases) {
        desktop.foreground = c.inFront ? desktop.game : 0x200;
        EXPECT_EQ(Run(c.id, c.argument), c.output) << c.id << " " << c.argument;
    }
    assistant.Shutdown();
    EXPECT_EQ(Describe(relay.Keys()), "") << "nothing is typed while the game is behind another window";
}

TEST_F(GameAssistantTest, NoGameAndNothingInFrontCountsAsInFront) {
    desktop.game = 0;
    desktop.foreground = 0;
    ASSERT_EQ(assistant.Start(), 0);
    EXPECT_TRUE(assistant.SendKeys("a"));
}

TEST_F(GameAssistantTest, ChatCommandsWrapTheText) {
    ASSERT_EQ(assistant.Start(), 0);
    EXPECT_EQ(Run(CMD_BW_SAYTEAM, "gg"), "");
    EXPECT_EQ(Keys(15), "+11 +0D -0D -11 +47 -47 +47 -47 +20 -20 +0D -0D " + kClosing);
    relay.Clear();
    EXPECT_EQ(Run(CMD_BW_SAYALL, ""), "");
    EXPECT_EQ(Keys(11), "+10 +0D -0D -10 +20 -20 +0D -0D " + kClosing);
}

TEST_F(GameAssistantTest, TextsQueuedTogetherPlayOneAfterTheOther) {
    ASSERT_EQ(assistant.Start(), 0);
    const std::string as(200, 'a'), bs(200, 'b');
    ASSERT_TRUE(assistant.SendKeys(as));
    ASSERT_TRUE(assistant.SendKeys(bs));
    ASSERT_TRUE(assistant.SendKeys("<ENTER>"));
    std::string expected;
    for (int i = 0; i < 200; ++i)
        expected += "+41 -41 ";
    expected += kClosing;
    for (int i = 0; i < 200; ++i)
        expected += " +42 -42";
    expected += " " + kClosing + " +0D -0D " + kClosing;
    EXPECT_EQ(Keys(2 * 400 + 2 + 9), expected);
}

TEST_F(GameAssistantTest, ShutdownInsideALongDelayEndsItAndTypesNothingMore) {
    ASSERT_EQ(assistant.Start(), 0);
    ASSERT_TRUE(assistant.SendKeys("<CTRL_LOCK>x<DELAY 10000>a<CTRL_UNLOCK>"));
    ASSERT_TRUE(platform.sync->WaitForPauses(1));
    const auto start = std::chrono::steady_clock::now();
    assistant.Shutdown();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 2000) << "the delay ended";
    // The locked CTRL is released as the text's end would have; the rest of the text is not typed.
    EXPECT_EQ(Describe(relay.Keys()), "+11 +58 -58 " + kClosing);
}

TEST(KeystrokeWorker, EndsWithoutAQueueOrWhenStopped) {
    EXPECT_EQ(KeystrokeWorker(nullptr), 1);

    FakeLayout layout;
    FakeKeyRelay relay;
    StdQueueSync sync;
    CKeyQueue queue(sync, layout, relay);
    queue.Push("x");
    queue.Stop();
    // Texts taken together with the stop are not played: the worker ends.
    EXPECT_EQ(KeystrokeWorker(&queue), 0);
    EXPECT_EQ(Describe(relay.Keys()), "");
}
