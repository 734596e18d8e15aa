// The main window's logic against fakes of the window, the sockets, the tree, the pane and the command box:
// start-up banner and timers, the refresh cycle, the status tree rebuild, the listings and the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "base/Timers.h"
#include "base/TreeImages.h"
#include "gamemon/GameMonitorModule.h"
#include "peer/PeerDatagrams.h"
#include "tests/unit/ControllerFixture.h"
#include "tests/unit/GameDatagramBuilder.h"

using namespace kvltest;

namespace {

class MainControllerTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        if (auto* games = Find<CGameMonitorModule>())
            monitor = &games->ServerMonitor();
        ASSERT_NE(monitor, nullptr);
    }
    void RunRefresh(const std::vector<std::pair<Bytes, std::string>>& arrivals) {
        ASSERT_EQ(controller.StartRefresh(), 0);
        for (const auto& [bytes, from] : arrivals)
            lan.Deliver(bytes, from);
        controller.OnTimer(TIMER_REFRESH_DONE);
    }

    // What the window did with its own timers (the assistant's, from 4000 on, come and go with the console).
    std::vector<std::string> WindowTimers() const {
        std::vector<std::string> out;
        for (const std::string& entry : view.timerLog)
            if (std::stoul(entry.substr(entry.find(' ') + 1)) < CONSOLE_TIMER_FIRST)
                out.push_back(entry);
        return out;
    }

    CServerMonitor* monitor = nullptr;
};

TEST_F(MainControllerTest, BannerIsWrittenByteForByte) {
    Start();
    const std::string rule(44, '-');
    const std::string expected = "Korvalen SE v0.70\r\n" + rule +
                                 "\r\nInitializing built-in modules:\r\n"
                                 " Starting Scoutline\x99 engine... [OK]\r\n"
                                 " Starting Chatline\x99... [OK]\r\n"
                                 " Starting keyRelay\x99... [OK]\r\n"
                                 " Starting Bulwark\x99 services... [FAILED]\r\n"
                                 "Done\r\n" +
                                 rule + "\r\nType '/help' to get list of commands\r\n\r\n";
    EXPECT_EQ(pane.text, expected);
    EXPECT_EQ(controller.Console().Log(), expected);
}

TEST_F(MainControllerTest, KeyRelayLineFailsWhenTheHookIsOwnedElsewhere) {
    keyRelay.hookAvailable = false;
    Start();
    EXPECT_NE(pane.text.find(" Starting keyRelay\x99... [FAILED]\r\n"), std::string::npos);
}

TEST_F(MainControllerTest, AutomaticRefreshStartsAtOnceWithItsTimers) {
    AppSettings.RefreshAuto = 1;
    AppSettings.RefreshPeriod = 7000;
    AppSettings.RefreshTimeout = 1500;
    Start();
    EXPECT_EQ(WindowTimers(), (std::vector<std::string>{"set 1000 7000", "set 2000 1500", "set 3000 1000"}));
    EXPECT_NE(controller.AutoRefreshTimer(), 0u);
    EXPECT_TRUE((*monitor).IsRefreshing());
    EXPECT_EQ(lan.Sends(GAME_SEARCH_PORT), 1);
    EXPECT_EQ(lan.Sends(PEER_PORT), 1) << "the messenger's query belongs to the same refresh";
    EXPECT_NE(lan.BoundAt(GAME_SEARCH_PORT, "10.77.0.2"), nullptr);
    EXPECT_FALSE(view.refreshEnabled);
}

TEST_F(MainControllerTest, WithoutAutomaticRefreshNothingIsAskedUntilRequested) {
    Start();
    EXPECT_EQ(WindowTimers(), (std::vector<std::string>{"set 3000 1000"}));
    EXPECT_EQ(controller.AutoRefreshTimer(), 0u);
    EXPECT_TRUE(lan.sent.empty());
    EXPECT_EQ(tree.Count(), 0u);
}

TEST_F(MainControllerTest, ARefreshEndsOnItsTimerWithTreeTipAndButton) {
    Start();
    ASSERT_EQ(controller.StartRefresh(), 0);
    EXPECT_FALSE(view.refreshEnabled);
    EXPECT_EQ(view.timers.count(TIMER_REFRESH_DONE), 1u);
    lan.Deliver(AdvertBytes("Ladder", "Plains", 2, 8, 0), "10.77.0.5");
    lan.Deliver(IdleSearchBytes(), "10.77.0.6");
    controller.OnTimer(TIMER_REFRESH_DONE);
    EXPECT_FALSE((*monitor).IsRefreshing());
    EXPECT_EQ(view.timers.count(TIMER_REFRESH_DONE), 0u);
    EXPECT_TRUE(view.refreshEnabled);
    EXPECT_EQ(view.tip, "Servers: 1, Waiting: 1, Users: 0");
    EXPECT_EQ(tree.Dump(),
              "+ Games\n"
              "  [2/8] Ladder\n"
              "    Address: 10.77.0.5\n"
              "    Map: Plains\n"
              "    Type: Game (0)\n"
              "    Status: Waiting\n"
              "+ Waiting games\n"
              "  [10.77.0.6]\n"
              "KVL's online\n");
    EXPECT_TRUE(view.refreshEnabled);
}

TEST_F(MainControllerTest, TreeImagesAndOrderFollowTheGames) {
    Start();
    RunRefresh({{AdvertBytes("Alpha", "Lost Temple", 2, 4, 12), "10.77.0.9"},
                {AdvertBytes("Zeta", "Plains", 1, 8, 0), "10.77.0.8"},
                {AdvertBytes("Replay", "Big Game Hunters", 1, 1, 0x8C), "10.77.0.7"}});
    const TreeItem games = tree.FindChild(TREE_NONE, "Games");
    EXPECT_EQ(tree.ChildTexts(games), (std::vector<std::string>{"[1/1] Replay", "[1/8] Zeta", "[2/4] Alpha"}));
    const TreeItem alpha = tree.FindChild(games, "[2/4] Alpha");
    EXPECT_EQ(tree.Image(alpha), IMG_GAME_RUNNING);
    EXPECT_EQ(tree.ChildTexts(alpha), (std::vector<std::string>{"Address: 10.77.0.9", "Map: Lost Temple",
                                                                "Type: Game (12)", "Status: Running"}));
    std::vector<int> images;
    for (TreeItem line : tree.Children(alpha))
        images.push_back(tree.Image(line));
    EXPECT_EQ(images, (std::vector<int>{IMG_ADDRESS, IMG_MAP, IMG_TYPE, IMG_STATUS}));
    EXPECT_EQ(tree.Image(tree.FindChild(games, "[1/8] Zeta")), IMG_GAME_WAITING);
    const TreeItem replay = tree.FindChild(games, "[1/1] Replay");
    EXPECT_EQ(tree.ChildTexts(replay)[2], "Type: Watching replay");
    EXPECT_EQ(tree.ChildTexts(replay)[3], "Status: Running");
    EXPECT_EQ(tree.Image(games), IMG_ROOT_GAMES);
    EXPECT_EQ(tree.Image(tree.FindChild(TREE_NONE, "Waiting games")), IMG_ROOT_WAITING);
    EXPECT_EQ(tree.Image(tree.FindChild(TREE_NONE, "KVL's online")), IMG_ROOT_USERS);
}

// The control finds an item by searching its items in insertion order: the games and idle players, which the
// rebuild and the saving of the view ask about, go in before any game's details (the fake's handles count up).
TEST_F(MainControllerTest, GameDetailsAreInsertedAfterBothRootsChildren) {
    Start();
    RunRefresh({{AdvertBytes("Alpha", "Lost Temple", 2, 4, 12), "10.77.0.9"},
                {AdvertBytes("Zeta", "Plains", 1, 8, 0), "10.77.0.8"},
                {IdleSearchBytes(), "10.77.0.6"}});
    const TreeItem games = tree.FindChild(TREE_NONE, "Games");
    const TreeItem waiting = tree.FindChild(TREE_NONE, "Waiting games");
    std::vector<TreeItem> listed = tree.Children(games);
    const std::vector<TreeItem> idle = tree.Children(waiting);
    listed.insert(listed.end(), idle.begin(), idle.end());
    ASSERT_EQ(listed.size(), 3u);
    TreeItem firstDetail = ~TreeItem{0};
    for (TreeItem game : tree.Children(games))
        for (TreeItem line : tree.Children(game))
            firstDetail = std::min(firstDetail, line);
    EXPECT_LT(*std::max_element(listed.begin(), listed.end()), firstDetail);
    EXPECT_LT(waiting, firstDetail);
}

TEST_F(MainControllerTest, ExpandedGameStaysExpandedUntilItsTextChanges) {
    Start();
    RunRefresh({{AdvertBytes("Ladder", "Plains", 2, 8), "10.77.0.5"}});
    const TreeItem game = tree.FindByTexts({"Games", "[2/8] Ladder"});
    tree.Expand(game);
    tree.Select(tree.FindByTexts({"Games", "[2/8] Ladder", "Map: Plains"}));

    RunRefresh({{AdvertBytes("Ladder", "Plains", 2, 8), "10.77.0.5"}});
    const TreeItem again = tree.FindByTexts({"Games", "[2/8] Ladder"});
    EXPECT_TRUE(tree.IsExpanded(again));
    EXPECT_EQ(tree.GetText(tree.GetSelection()), "Map: Plains");

    RunRefresh({{AdvertBytes("Ladder", "Plains", 3, 8), "10.77.0.5"}});
    EXPECT_FALSE(tree.IsExpanded(tree.FindByTexts({"Games", "[3/8] Ladder"})));
}

TEST_F(MainControllerTest, ARebuildFeedsNamesAndAddressesToCompletion) {
    Start();
    RunRefresh({{AdvertBytes("Ladder", "Plains"), "10.77.0.5"},
                {IdleSearchBytes(), "10.77.0.6"},
                {AdvertBytes("x", "Plains"), "10.77.0.7"}});
    const auto& keywords = controller.CommandEdit().Keywords();
    for (const char* word : {"Ladder", "10.77.0.5", "10.77.0.6", "10.77.0.7"})
        EXPECT_NE(std::find(keywords.begin(), keywords.end(), word), keywords.end()) << word;
    EXPECT_EQ(std::find(keywords.begin(), keywords.end(), "x"), keywords.end());
}

TEST_F(MainControllerTest, RequestsDuringARefreshAreRefusedOrSkipped) {
    Start();
    ASSERT_EQ(controller.StartRefresh(), 0);
    EXPECT_EQ(controller.StartRefresh(), -1);
    EXPECT_EQ(Run("/refresh"), "Refresh in progress, please wait\r\n");
    size_t mark = pane.text.size();
    controller.OnTimer(TIMER_AUTO_REFRESH);
    EXPECT_EQ(controller.PreTranslateKey(KEY_F5, true), KeyAction::Refresh);
    EXPECT_EQ(Since(mark), "");
    EXPECT_EQ(lan.Sends(GAME_SEARCH_PORT), 1);
    controller.OnTimer(TIMER_REFRESH_DONE);
    EXPECT_EQ(Run("/refresh"), "");
    EXPECT_EQ(lan.Sends(GAME_SEARCH_PORT), 2);
}

TEST_F(MainControllerTest, ARefreshStartedWhileTheLastOneFinishesKeepsItsTimer) {
    Start();
    ASSERT_EQ(controller.StartRefresh(), 0);
    bool once = true;
    view.onTip = [&] {
        if (once) {
            once = false;
            controller.RequestRefresh();  // e.g. a click on Refresh handled while the tray tip is being set
        }
    };
    controller.OnTimer(TIMER_REFRESH_DONE);
    EXPECT_TRUE((*monitor).IsRefreshing());
    ASSERT_EQ(view.timers.count(TIMER_REFRESH_DONE), 1u) << "the new refresh must still end on its timer";
    controller.OnTimer(TIMER_REFRESH_DONE);
    EXPECT_FALSE((*monitor).IsRefreshing());
    EXPECT_TRUE(view.refreshEnabled);
}

TEST_F(MainControllerTest, AFailedBeginRefreshWarnsAndTheCycleGoesOn) {
    Start();
    lan.failBind = true;
    EXPECT_EQ(Run("/refresh"), "warning: m_ServerMonitor.BeginRefresh() failed\r\n");
    EXPECT_FALSE(view.refreshEnabled);
    controller.OnTimer(TIMER_REFRESH_DONE);
    EXPECT_TRUE(view.refreshEnabled);
    EXPECT_EQ(view.tip, "Servers: 0, Waiting: 0, Users: 0");
    EXPECT_EQ(tree.ChildTexts(TREE_NONE), (std::vector<std::string>{"Games", "Waiting games", "KVL's online"}));
}

TEST_F(MainControllerTest, GamesAndPlayersListings) {
    Start();
    EXPECT_EQ(Run("/games"), "Current games: \r\n\r\n");
    EXPECT_EQ(Run("/players"), "Current idle players: \r\n\r\n");
    RunRefresh({{AdvertBytes("Ladder", "Plains", 2, 8, 0), "10.77.0.5"},
                {AdvertBytes("Big", "Lost Temple", 0xFF, 0x80, 12), "10.77.0.4"},
                {IdleSearchBytes(), "10.77.0.9"},
                {IdleSearchBytes(2), "10.77.0.3"}});
    EXPECT_EQ(Run("/games"),
              "Current games: \r\n"
              " Ladder (10.77.0.5) [2/8] - Plains - waiting\r\n"
              " Big (10.77.0.4) [-1/-128] - Lost Temple - running\r\n"
              "\r\n");
    EXPECT_EQ(Run("/players"), "Current idle players: \r\n 10.77.0.9\r\n 10.77.0.3\r\n\r\n");
}

TEST_F(MainControllerTest, NameSignAndQuit) {
    Start();
    EXPECT_EQ(Run("/name"), "Name: \"noname\"\r\n");
    EXPECT_EQ(Run("/name \"Zer0\""), "");
    EXPECT_EQ(AppSettings.Name, "Zer0");
    EXPECT_EQ(Run("/sign"), "Sign: \"KVL User\"\r\n");
    EXPECT_EQ(Run("/sign gl hf"), "");
    EXPECT_EQ(AppSettings.Sign, "gl hf");
    EXPECT_EQ(view.endedWith, -1);
    EXPECT_EQ(Run("/quit"), "Terminating...\r\n");
    EXPECT_EQ(view.endedWith, 0);
}

TEST_F(MainControllerTest, ExecRunsTheBoxAndKeepsHistory) {
    Start();
    box.text = "/echo one";
    controller.OnExec();
    EXPECT_EQ(box.text, "");
    box.text = "/history";
    controller.OnExec();
    EXPECT_EQ(controller.CommandEdit().History(), (std::vector<std::string>{"/echo one", "/history"}));
    EXPECT_NE(pane.text.find("one\r\n/echo one\r\n"), std::string::npos) << "history listed without itself";
    const size_t mark = pane.text.size();
    box.text = "";
    controller.OnExec();
    EXPECT_EQ(Since(mark), "");
    EXPECT_EQ(controller.CommandEdit().History().size(), 2u);
}

TEST_F(MainControllerTest, CommandBoxKeys) {
    Start();
    controller.CommandEdit().AddHistory("/echo a");
    controller.CommandEdit().AddHistory("/echo b");
    EXPECT_EQ(controller.PreTranslateKey(KEY_UP, true), KeyAction::HistoryPrev);
    EXPECT_EQ(box.text, "/echo b");
    controller.PreTranslateKey(KEY_UP, true);
    EXPECT_EQ(box.text, "/echo a");
    controller.PreTranslateKey(KEY_DOWN, true);
    EXPECT_EQ(box.text, "/echo b");
    EXPECT_EQ(controller.PreTranslateKey(KEY_ESCAPE, true), KeyAction::ClearBox);
    EXPECT_EQ(box.text, "");
    EXPECT_EQ(controller.PreTranslateKey(KEY_TAB, true), KeyAction::TabToRight);
    EXPECT_EQ(controller.PreTranslateKey(KEY_ESCAPE, false), KeyAction::Swallow);
    EXPECT_EQ(controller.PreTranslateKey('A', true), KeyAction::Pass);
    EXPECT_EQ(lan.Sends(GAME_SEARCH_PORT), 0);
    EXPECT_EQ(controller.PreTranslateKey(KEY_F5, false), KeyAction::Refresh);
    EXPECT_EQ(lan.Sends(GAME_SEARCH_PORT), 1);
}

TEST_F(MainControllerTest, ShutdownKillsTheTimersButLeavesARefreshRunning) {
    AppSettings.RefreshAuto = 1;
    Start();
    controller.Shutdown();
    EXPECT_EQ(view.timers.count(TIMER_AUTO_REFRESH), 0u);
    EXPECT_EQ(view.timers.count(TIMER_GAME_WATCH), 0u);
    EXPECT_TRUE((*monitor).IsRefreshing());
}

}  // namespace

namespace {

// A module that records what the router hands it.
class RecordingModule : public IModule {
public:
    RecordingModule(const char* banner, int startResult, std::vector<ConsoleCommand> rows, unsigned timer,
                    std::vector<std::string>& log)
        : m_Banner(banner), m_nStart(startResult), m_Rows(std::move(rows)), m_nTimer(timer), m_Log(log) {}

    const char* BannerText() const override { return m_Banner; }
    int Start() override {
        m_Log.push_back(std::string(m_Banner) + " start");
        return m_nStart;
    }
    void Shutdown() override { m_Log.push_back(std::string(m_Banner) + " shutdown"); }
    std::vector<ConsoleCommand> Commands() const override { return m_Rows; }
    void OnCommand(uint32_t id, const std::string& argument) override {
        m_Log.push_back(std::string(m_Banner) + " command " + std::to_string(id) + " '" + argument + "'");
    }
    std::optional<uint32_t> PlainLineCommand() const override { return plainLine; }
    const char* RefreshName() const override { return m_nStart == 0 ? m_Banner : nullptr; }
    int BeginRefresh() override {
        m_Log.push_back(std::string(m_Banner) + " begin");
        return -1;
    }
    void EndRefresh() override { m_Log.push_back(std::string(m_Banner) + " end"); }
    void BuildTreeSection(ITreeView& tree) override { tree.InsertItem(TREE_NONE, m_Banner, 0, false); }
    std::string TrayTipPart() const override { return m_nStart == 0 ? std::string(m_Banner) + ": 1" : ""; }
    bool OwnsTimer(unsigned id) const override { return id == m_nTimer; }
    void OnTimer(unsigned id) override { m_Log.push_back(std::string(m_Banner) + " timer " + std::to_string(id)); }

    std::optional<uint32_t> plainLine;  // the command that a line without "/" runs

private:
    const char* m_Banner;
    int m_nStart;
    std::vector<ConsoleCommand> m_Rows;
    unsigned m_nTimer;
    std::vector<std::string>& m_Log;
};

class RecordingHandler : public IMessageHandler {
public:
    RecordingHandler(uint32_t message, std::vector<std::string>& log) : m_nMessage(message), m_Log(log) {}
    bool OnMessage(const WindowMessage& message, intptr_t& result) override {
        m_Log.push_back("handler " + std::to_string(m_nMessage) + " offered " + std::to_string(message.message));
        if (message.message != m_nMessage)
            return false;
        result = static_cast<intptr_t>(message.wParam) + message.lParam;
        return true;
    }

private:
    uint32_t m_nMessage;
    std::vector<std::string>& m_Log;
};

// The main window's logic with recording modules in place of the program's subsystems.
class ModuleRouterTest : public ControllerFixture {
protected:
    void SetUp() override {
        context.Settings().RefreshAuto = 0;
        controller
            .AddModule(std::make_unique<RecordingModule>("alpha", 0, std::vector<ConsoleCommand>{{41, "alpha", "A"}},
                                                         4001, log))
            .plainLine = 41;
        controller.AddModule(std::make_unique<RecordingModule>(
            "beta", -1, std::vector<ConsoleCommand>{{40, "beta", "B"}, {42, "gamma", "C"}}, 4002, log));
        controller.AddMessageHandler(first);
        controller.AddMessageHandler(second);
        Start();
    }

    std::vector<std::string> log;
    RecordingHandler first{0x8014, log};
    RecordingHandler second{0x4A, log};
};

TEST_F(ModuleRouterTest, BannerLinesComeFromEachModulesOwnStart) {
    EXPECT_NE(pane.text.find("Initializing built-in modules:\r\nalpha [OK]\r\nbeta [FAILED]\r\nDone\r\n"),
              std::string::npos)
        << pane.text;
    EXPECT_EQ(log, (std::vector<std::string>{"alpha start", "beta start"}));
}

TEST_F(ModuleRouterTest, RowsAreRegisteredByIdAfterTheMainWindowsOwn) {
    std::vector<std::string> names;
    for (const ConsoleCommand& row : controller.MainCommandRows())
        names.push_back(std::to_string(row.id) + " " + row.name);
    ASSERT_EQ(names.size(), 11u);
    EXPECT_EQ(names.front(), "1 quit");
    EXPECT_EQ(std::vector<std::string>(names.end() - 3, names.end()),
              (std::vector<std::string>{"40 beta", "41 alpha", "42 gamma"}));
}

TEST_F(ModuleRouterTest, CommandsTimersAndMessagesReachTheirOwners) {
    log.clear();
    controller.Console().Execute("/gamma  \"two words\" ;/alpha;/beta x");
    controller.OnTimer(4002);
    controller.OnTimer(4001);
    controller.OnTimer(4999);  // nobody's
    EXPECT_EQ(log, (std::vector<std::string>{"beta command 42 'two words'", "alpha command 41 ''",
                                             "beta command 40 'x'", "beta timer 4002", "alpha timer 4001"}));

    log.clear();
    intptr_t result = 0;
    EXPECT_TRUE(controller.OnWindowMessage(WindowMessage{0x4A, 5, 7}, result));
    EXPECT_EQ(result, 12);
    EXPECT_FALSE(controller.OnWindowMessage(WindowMessage{0x401, 0, 0}, result));
    EXPECT_EQ(log, (std::vector<std::string>{"handler 32788 offered 74", "handler 74 offered 74",
                                             "handler 32788 offered 1025", "handler 74 offered 1025"}));
}

TEST_F(ModuleRouterTest, ALineWithoutSlashRunsTheCommandItsModuleNames) {
    log.clear();
    controller.Console().Execute("hello there");
    EXPECT_EQ(log, (std::vector<std::string>{"alpha command 41 'hello there'"}));
}

TEST_F(ModuleRouterTest, RefreshTreeAndTipGatherTheModules) {
    log.clear();
    ASSERT_EQ(controller.StartRefresh(), 0);
    // Only a module that names itself takes part; its failure is a warning, and the cycle goes on.
    EXPECT_NE(pane.text.find("warning: alpha.BeginRefresh() failed\r\n"), std::string::npos);
    controller.OnTimer(TIMER_REFRESH_DONE);
    EXPECT_EQ(log, (std::vector<std::string>{"alpha begin", "alpha end"}));
    EXPECT_EQ(tree.ChildTexts(TREE_NONE), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(view.tip, "alpha: 1");

    log.clear();
    controller.Shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"alpha shutdown", "beta shutdown"}));
}

TEST_F(MainControllerTest, ChangedSettingsReArmTheAutomaticRefreshWithoutRefreshing) {
    AppSettings.RefreshAuto = 1;
    AppSettings.RefreshPeriod = 15000;
    Start();
    controller.OnTimer(TIMER_REFRESH_DONE);
    const size_t sends = lan.sent.size();
    view.timerLog.clear();

    AppSettings.RefreshPeriod = 4000;
    context.SettingsChanged();
    EXPECT_EQ(view.timerLog, (std::vector<std::string>{"kill 1000", "set 1000 4000"}));
    EXPECT_EQ(view.timers.at(TIMER_AUTO_REFRESH), 4000u);

    AppSettings.RefreshAuto = 0;
    context.SettingsChanged();
    EXPECT_EQ(view.timers.count(TIMER_AUTO_REFRESH), 0u);
    EXPECT_EQ(controller.AutoRefreshTimer(), 0u);

    view.timerLog.clear();
    AppSettings.RefreshAuto = 1;
    context.SettingsChanged();
    EXPECT_EQ(view.timerLog, (std::vector<std::string>{"set 1000 4000"})) << "nothing to kill when it was off";
    EXPECT_EQ(lan.sent.size(), sends) << "the first automatic refresh waits a full period";
    EXPECT_FALSE(monitor->IsRefreshing());
}

// They act on the window or the game, not on the console: /bind with nothing bound and /bw_keys without the game
// write nothing either, and none of them ends the dialog.
TEST_F(MainControllerTest, BwAndConfigureReachTheWindowsOperationsWritingNothing) {
    Start();
    for (const char* line : {"/configure", "/bw", "/bind", "/bw_keys x"}) {
        EXPECT_EQ(Run(line), "") << line;
    }
    EXPECT_EQ(view.launches, 1);
    EXPECT_EQ(view.configures, 1);
    EXPECT_EQ(view.endedWith, -1);
}

}  // namespace
