// The game monitor over the fake LAN: the refresh life cycle, the receive path and its duplicates, and
// the failures of creating, configuring, binding and sending.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gamemon/ServerMonitor.h"
#include "tests/unit/FakeLan.h"
#include "tests/unit/GameDatagramBuilder.h"

using namespace kvltest;

namespace {

class ServerMonitorTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(lan.undelivered, 0) << "a datagram delivered with no socket open"; }

    FakeLan lan;
    CServerMonitor monitor{lan, "192.168.5.10"};

    std::vector<std::string> GameAddresses() const {
        std::vector<std::string> out;
        for (const auto& g : monitor.Games())
            out.push_back(g->address);
        return out;
    }
    std::vector<std::string> IdleAddresses() const {
        std::vector<std::string> out;
        for (const auto& p : monitor.IdlePlayers())
            out.push_back(p->address);
        return out;
    }
};

}  // namespace

TEST_F(ServerMonitorTest, StartDoesNothing) {
    EXPECT_EQ(monitor.Start(), 0);
    EXPECT_TRUE(lan.log.empty());
    EXPECT_FALSE(monitor.IsRefreshing());
}

TEST_F(ServerMonitorTest, BeginRefreshMakesBindsAndBroadcasts) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    EXPECT_TRUE(monitor.IsRefreshing());
    const std::vector<std::string> expected = {"create", "reuseaddr 1", "broadcast 1", "bind 192.168.5.10:6111",
                                               "send 255.255.255.255:6111"};
    EXPECT_EQ(lan.log, expected);
    ASSERT_EQ(lan.sent.size(), 1u);
    EXPECT_EQ(lan.sent[0].bytes, SearchQueryBytes());
    // The owner is set once the socket is bound, and before the search goes out.
    EXPECT_EQ(lan.ownerAtBind, nullptr);
    EXPECT_EQ(lan.ownerAtSend, &monitor);
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_TRUE(monitor.IdlePlayers().empty());
}

TEST_F(ServerMonitorTest, QuietRefreshLeavesBothListsEmpty) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    monitor.EndRefresh();
    EXPECT_FALSE(monitor.IsRefreshing());
    EXPECT_EQ(monitor.Games().size(), 0u);
    EXPECT_EQ(monitor.IdlePlayers().size(), 0u);
    EXPECT_EQ(lan.closed, 1);
    EXPECT_EQ(lan.log.back(), "close 1");
}

TEST_F(ServerMonitorTest, RecordsGamesAndIdlePlayersInArrivalOrder) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.Deliver(AdvertBytes("Zeta", "Plains", 1, 4), "10.0.0.3");
    lan.Deliver(IdleSearchBytes(), "10.0.0.9");
    lan.Deliver(AdvertBytes("Alpha", "Lost Temple", 2, 8, 12), "10.0.0.1");
    lan.Deliver(IdleSearchBytes(2), "10.0.0.2");
    // Each notification read exactly one datagram, into a zeroed 256-byte buffer.
    EXPECT_EQ(lan.Unread(), 0u);
    EXPECT_EQ(lan.lastCapacity, 256u);
    EXPECT_TRUE(lan.buffersZeroed);
    monitor.EndRefresh();

    EXPECT_EQ(GameAddresses(), (std::vector<std::string>{"10.0.0.3", "10.0.0.1"}));
    EXPECT_EQ(IdleAddresses(), (std::vector<std::string>{"10.0.0.9", "10.0.0.2"}));
    const GameInfo& alpha = *monitor.Games()[1];
    EXPECT_STREQ(alpha.name, "Alpha");
    EXPECT_STREQ(alpha.map, "Lost Temple");
    EXPECT_EQ(alpha.players, 2);
    EXPECT_EQ(alpha.maxPlayers, 8);
    EXPECT_EQ(alpha.running, 1);
    EXPECT_TRUE(monitor.FindGame("10.0.0.1"));
    EXPECT_FALSE(monitor.FindGame("10.0.0.10"));
    EXPECT_FALSE(monitor.FindGame("10.0.0.9"));
    EXPECT_TRUE(monitor.FindIdlePlayer("10.0.0.9"));
    EXPECT_FALSE(monitor.FindIdlePlayer("10.0.0.3"));
}

TEST_F(ServerMonitorTest, OwnSearchComingBackAddsNothing) {
    lan.localAddress = "192.168.5.10";  // the search comes back to its own socket, as on a real LAN
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.Pump();
    EXPECT_EQ(lan.Unread(), 0u) << "the echo was read";
    lan.Deliver(SearchQueryBytes(), "10.0.0.4");  // another copy of this program searching
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_TRUE(monitor.IdlePlayers().empty());
}

TEST_F(ServerMonitorTest, FirstDatagramFromAnAddressWins) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.Deliver(AdvertBytes("First", "Plains", 2, 8), "10.0.0.5");
    lan.Deliver(AdvertBytes("Second", "Other", 3, 8), "10.0.0.5");
    lan.Deliver(IdleSearchBytes(1), "10.0.0.6");
    lan.Deliver(IdleSearchBytes(2), "10.0.0.6");
    ASSERT_EQ(monitor.Games().size(), 1u);
    EXPECT_STREQ(monitor.Games()[0]->name, "First");
    EXPECT_EQ(monitor.Games()[0]->players, 2);
    EXPECT_EQ(monitor.IdlePlayers().size(), 1u);
}

TEST_F(ServerMonitorTest, HostWithGameAndSearchIsInBothLists) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.Deliver(IdleSearchBytes(), "10.0.0.7");
    lan.Deliver(AdvertBytes("Both", "Plains"), "10.0.0.7");
    EXPECT_EQ(GameAddresses(), std::vector<std::string>{"10.0.0.7"});
    EXPECT_EQ(IdleAddresses(), std::vector<std::string>{"10.0.0.7"});
}

TEST_F(ServerMonitorTest, DroppedAndFailedReceivesLeaveNoTrace) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.DeliverFailure();
    lan.Deliver(ProductBytes(19), "10.0.0.8");
    lan.Deliver(Bytes(40, 'x'), "10.0.0.8");
    lan.Deliver(ProductBytes(300, 'x'), "10.0.0.8");  // longer than the buffer: a failed receive
    // An 11-byte datagram after a 20-byte one: the stale "S" must not survive in the buffer.
    lan.Deliver(IdleSearchBytes(), "10.0.0.11");
    lan.Deliver(ProductBytes(11), "10.0.0.12");
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_EQ(IdleAddresses(), std::vector<std::string>{"10.0.0.11"});
    EXPECT_EQ(lan.Unread(), 0u);
    EXPECT_TRUE(lan.buffersZeroed);
}

TEST_F(ServerMonitorTest, LateDatagramsAreReadButNotRecorded) {
    LanSocket stray(lan);
    // Before any refresh has made the socket.
    stray.Queue(AdvertBytes("Early", "Plains"), "10.0.1.1", GAME_SEARCH_PORT);
    monitor.OnDatagram(stray);
    EXPECT_EQ(stray.Unread(), 0u);
    EXPECT_TRUE(monitor.Games().empty());

    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.Deliver(AdvertBytes("OnTime", "Plains"), "10.0.1.2");
    monitor.EndRefresh();
    EXPECT_EQ(lan.sockets, std::vector<LanSocket*>{&stray}) << "the socket goes with the refresh";

    stray.Queue(AdvertBytes("Late", "Plains"), "10.0.1.3", GAME_SEARCH_PORT);
    stray.Queue(IdleSearchBytes(), "10.0.1.4", GAME_SEARCH_PORT);
    monitor.OnDatagram(stray);
    monitor.OnDatagram(stray);
    EXPECT_EQ(stray.Unread(), 0u);
    EXPECT_EQ(GameAddresses(), std::vector<std::string>{"10.0.1.2"});
    EXPECT_TRUE(monitor.IdlePlayers().empty());
}

TEST_F(ServerMonitorTest, SecondBeginRefreshEmptiesTheListsAndMakesANewSocket) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.Deliver(AdvertBytes("Old", "Plains"), "10.0.2.1");
    lan.Deliver(IdleSearchBytes(), "10.0.2.2");
    lan.log.clear();

    ASSERT_EQ(monitor.BeginRefresh(), 0);
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_TRUE(monitor.IdlePlayers().empty());
    EXPECT_FALSE(monitor.FindGame("10.0.2.1"));
    EXPECT_FALSE(monitor.FindIdlePlayer("10.0.2.2"));
    // The old socket is closed before the new one is made.
    ASSERT_GE(lan.log.size(), 2u);
    EXPECT_EQ(lan.log[0], "close 1");
    EXPECT_EQ(lan.log[1], "create");
    ASSERT_EQ(lan.sockets.size(), 1u);
    EXPECT_EQ(lan.sockets[0]->Id(), 2);

    // The same host may be recorded again in the new refresh.
    lan.Deliver(AdvertBytes("New", "Plains"), "10.0.2.1");
    ASSERT_EQ(monitor.Games().size(), 1u);
    EXPECT_STREQ(monitor.Games()[0]->name, "New");
}

TEST_F(ServerMonitorTest, ListsKeepTheLastRefreshAfterEndRefresh) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.Deliver(AdvertBytes("Kept", "Plains"), "10.0.3.1");
    monitor.EndRefresh();
    monitor.EndRefresh();  // harmless twice
    ASSERT_EQ(monitor.Games().size(), 1u);
    EXPECT_TRUE(monitor.FindGame("10.0.3.1"));
    EXPECT_EQ(lan.closed, 1);
}

struct FailureCase {
    const char* what;
    void (*fault)(FakeLan& lan);
    int result;
    std::vector<std::string> log;
};

TEST_F(ServerMonitorTest, FailuresGiveMinusOneOrMinusTwo) {
    const FailureCase cases[] = {
        {"create", [](FakeLan& l) { l.failCreate = true; }, -1, {"create"}},
        {"reuse",
         [](FakeLan& l) { l.failOptions = {SocketOption::ReuseAddress}; },
         -1,
         {"create", "reuseaddr 1", "close 1"}},
        {"broadcast",
         [](FakeLan& l) { l.failOptions = {SocketOption::Broadcast}; },
         -1,
         {"create", "reuseaddr 1", "broadcast 1", "close 1"}},
        {"bind",
         [](FakeLan& l) { l.failBind = true; },
         -1,
         {"create", "reuseaddr 1", "broadcast 1", "bind 192.168.5.10:6111", "close 1"}},
        {"send",
         [](FakeLan& l) { l.failSendPorts = {GAME_SEARCH_PORT}; },
         -2,
         {"create", "reuseaddr 1", "broadcast 1", "bind 192.168.5.10:6111", "send 255.255.255.255:6111"}},
    };
    for (const FailureCase& c : cases) {
        FakeLan f;
        c.fault(f);
        CServerMonitor m(f, "192.168.5.10");
        EXPECT_EQ(m.BeginRefresh(), c.result) << c.what;
        EXPECT_EQ(f.log, c.log) << c.what;
        // The refresh still counts as running until the main window ends it.
        EXPECT_TRUE(m.IsRefreshing()) << c.what;
        if (c.result == -1) {
            EXPECT_TRUE(f.sockets.empty()) << c.what;
            EXPECT_TRUE(f.sent.empty()) << c.what;
        } else {
            // After a failed send the socket stays open and still collects answers.
            ASSERT_EQ(f.sockets.size(), 1u) << c.what;
            f.Deliver(AdvertBytes("Still", "Plains"), "10.0.4.1");
            EXPECT_EQ(m.Games().size(), 1u) << c.what;
        }
        m.EndRefresh();
        EXPECT_FALSE(m.IsRefreshing()) << c.what;
        EXPECT_TRUE(f.sockets.empty()) << c.what;
    }
}

TEST_F(ServerMonitorTest, FailedRefreshStillEmptiesTheLists) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    lan.Deliver(AdvertBytes("Gone", "Plains"), "10.0.5.1");
    lan.failBind = true;
    EXPECT_EQ(monitor.BeginRefresh(), -1);
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_FALSE(monitor.FindGame("10.0.5.1"));
    EXPECT_TRUE(lan.sockets.empty());
    EXPECT_EQ(lan.closed, 2);
}

TEST_F(ServerMonitorTest, ManyHostsAreEachRecordedOnce) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 300; ++i) {
            const std::string address = "10.1." + std::to_string(i / 200) + "." + std::to_string(i % 200);
            if (i % 2)
                lan.Deliver(AdvertBytes("G" + std::to_string(i) + "r" + std::to_string(round), "M"), address);
            else
                lan.Deliver(IdleSearchBytes(), address);
        }
    EXPECT_EQ(monitor.Games().size(), 150u);
    EXPECT_EQ(monitor.IdlePlayers().size(), 150u);
    for (const auto& g : monitor.Games())
        EXPECT_EQ(std::string(g->name).substr(std::string(g->name).size() - 2), "r0");
}

TEST_F(ServerMonitorTest, EveryNetworkIsSearchedOnceAndTheAnswersMakeOneList) {
    // The host's own address comes first, whatever the system's order; a network listed twice is searched once. On
    // several networks each one's own broadcast address takes the search out of its adapter.
    lan.networks = {{"10.78.0.2", "255.255.0.0"}, {"192.168.5.10", "255.255.255.0"}, {"10.78.0.2", "255.255.0.0"}};
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    const std::vector<std::string> expected = {
        "create",      "reuseaddr 1", "broadcast 1",         "bind 192.168.5.10:6111",    "create",
        "reuseaddr 1", "broadcast 1", "bind 10.78.0.2:6111", "send 192.168.5.255:6111", "send 10.78.255.255:6111"};
    EXPECT_EQ(lan.log, expected);
    lan.Deliver(AdvertBytes("Near", "Plains"), "192.168.5.20");
    lan.Deliver(AdvertBytes("Far", "Plains"), "10.78.0.20");
    lan.Deliver(AdvertBytes("Near again", "Plains"), "192.168.5.20");
    lan.Deliver(AdvertBytes("Both", "Plains"), "192.168.5.30");  // one PC on both networks: two hosts
    lan.Deliver(AdvertBytes("Both", "Plains"), "10.78.0.30");
    monitor.EndRefresh();
    EXPECT_EQ(GameAddresses(), (std::vector<std::string>{"192.168.5.20", "10.78.0.20", "192.168.5.30", "10.78.0.30"}));
    EXPECT_EQ(lan.closed, 2);
}

TEST_F(ServerMonitorTest, ANetworkThatFailsLeavesTheOthersSearched) {
    lan.networks = {{"192.168.5.10", "255.255.255.0"}, {"10.78.0.2", "255.255.0.0"}};
    lan.failBindAddresses = {"192.168.5.10"};
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    EXPECT_EQ(lan.log.back(), "send 255.255.255.255:6111");
    EXPECT_EQ(lan.sent.size(), 1u);
    lan.failBindAddresses.clear();
    lan.failSendPorts = {GAME_SEARCH_PORT};
    EXPECT_EQ(monitor.BeginRefresh(), -2) << "the search went out on no network";
}
