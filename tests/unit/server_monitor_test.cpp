// The game monitor over a recording fake socket: the refresh life cycle, the receive path and its duplicates, and
// the failures of creating, configuring, binding and sending.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "gamemon/ServerMonitor.h"
#include "tests/unit/GameDatagramBuilder.h"

using namespace kvltest;

namespace {

class FakeFactory;

struct Arrival {
    Bytes bytes;
    std::string from;
    bool fail = false;  // the socket layer reports an error for this one
};

// One socket; what it is asked to do goes to the factory's log, which outlives it.
class FakeSocket : public CNotifySocket {
public:
    FakeSocket(FakeFactory& factory, int id) : m_Factory(factory), m_Id(id) {}
    ~FakeSocket() override;
    bool SetOption(SocketOption option, int value) override;
    bool Bind(const std::string& address, uint16_t port) override;
    bool SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) override;
    int ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) override;
    int Id() const { return m_Id; }

private:
    FakeFactory& m_Factory;
    int m_Id;
};

class FakeFactory : public ISocketFactory {
public:
    std::unique_ptr<CNotifySocket> CreateUdpSocket() override {
        log.push_back("create");
        if (failCreate)
            return nullptr;
        auto s = std::make_unique<FakeSocket>(*this, ++created);
        live = s.get();
        return s;
    }
    std::string ResolveHost(const std::string&) override { return std::string(); }
    std::vector<Network> Networks() override { return networks; }

    // A datagram arrives on the open socket: queued, then the socket's notification.
    void Deliver(const Bytes& bytes, const std::string& from) {
        ASSERT_NE(live, nullptr) << "no socket open";
        queue.push_back({bytes, from, false});
        live->Notify();
    }
    void DeliverFailure() {
        ASSERT_NE(live, nullptr) << "no socket open";
        queue.push_back({{}, "", true});
        live->Notify();
    }

    bool failCreate = false, failReuse = false, failBroadcast = false, failBind = false, failSend = false;
    bool echoSends = false;         // a broadcast comes back to the sender's own socket, as on a real LAN
    std::vector<Network> networks;  // none: they cannot be learnt
    std::string failBindAt;         // the address whose bind fails

    std::vector<std::string> log;
    std::deque<Arrival> queue;
    std::vector<Bytes> sent;
    FakeSocket* live = nullptr;
    int created = 0;
    int destroyed = 0;
    CSocketSink* ownerAtBind = reinterpret_cast<CSocketSink*>(1);
    CSocketSink* ownerAtSend = nullptr;
    size_t lastCapacity = 0;
    bool bufferWasZeroed = true;
};

FakeSocket::~FakeSocket() {
    m_Factory.log.push_back("close " + std::to_string(m_Id));
    ++m_Factory.destroyed;
    if (m_Factory.live == this)
        m_Factory.live = nullptr;
}

bool FakeSocket::SetOption(SocketOption option, int value) {
    const bool reuse = option == SocketOption::ReuseAddress;
    m_Factory.log.push_back(std::string(reuse ? "reuseaddr " : "broadcast ") + std::to_string(value));
    return reuse ? !m_Factory.failReuse : !m_Factory.failBroadcast;
}

bool FakeSocket::Bind(const std::string& address, uint16_t port) {
    m_Factory.log.push_back("bind " + address + ":" + std::to_string(port));
    m_Factory.ownerAtBind = owner;
    return !m_Factory.failBind && address != m_Factory.failBindAt;
}

bool FakeSocket::SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) {
    m_Factory.log.push_back("send " + address + ":" + std::to_string(port));
    m_Factory.ownerAtSend = owner;
    m_Factory.sent.emplace_back(data, data + size);
    if (m_Factory.failSend)
        return false;
    if (m_Factory.echoSends) {
        m_Factory.queue.push_back({Bytes(data, data + size), "192.168.5.10", false});
        Notify();
    }
    return true;
}

int FakeSocket::ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) {
    m_Factory.lastCapacity = capacity;
    for (size_t i = 0; i < capacity; ++i)
        if (buffer[i] != 0)
            m_Factory.bufferWasZeroed = false;
    if (m_Factory.queue.empty())
        return -1;
    Arrival a = m_Factory.queue.front();
    m_Factory.queue.pop_front();
    if (a.fail || a.bytes.size() > capacity)
        return -1;
    if (!a.bytes.empty())
        memcpy(buffer, a.bytes.data(), a.bytes.size());
    fromAddress = a.from;
    fromPort = GAME_SEARCH_PORT;
    return static_cast<int>(a.bytes.size());
}

class ServerMonitorTest : public ::testing::Test {
protected:
    FakeFactory factory;
    CServerMonitor monitor{factory, "192.168.5.10"};

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
    EXPECT_TRUE(factory.log.empty());
    EXPECT_FALSE(monitor.IsRefreshing());
}

TEST_F(ServerMonitorTest, BeginRefreshMakesBindsAndBroadcasts) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    EXPECT_TRUE(monitor.IsRefreshing());
    const std::vector<std::string> expected = {"create", "reuseaddr 1", "broadcast 1", "bind 192.168.5.10:6111",
                                               "send 255.255.255.255:6111"};
    EXPECT_EQ(factory.log, expected);
    ASSERT_EQ(factory.sent.size(), 1u);
    EXPECT_EQ(factory.sent[0], SearchQueryBytes());
    // The owner is set once the socket is bound, and before the search goes out.
    EXPECT_EQ(factory.ownerAtBind, nullptr);
    EXPECT_EQ(factory.ownerAtSend, &monitor);
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_TRUE(monitor.IdlePlayers().empty());
}

TEST_F(ServerMonitorTest, QuietRefreshLeavesBothListsEmpty) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    monitor.EndRefresh();
    EXPECT_FALSE(monitor.IsRefreshing());
    EXPECT_EQ(monitor.Games().size(), 0u);
    EXPECT_EQ(monitor.IdlePlayers().size(), 0u);
    EXPECT_EQ(factory.destroyed, 1);
    EXPECT_EQ(factory.log.back(), "close 1");
}

TEST_F(ServerMonitorTest, RecordsGamesAndIdlePlayersInArrivalOrder) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    factory.Deliver(AdvertBytes("Zeta", "Plains", 1, 4), "10.0.0.3");
    factory.Deliver(IdleSearchBytes(), "10.0.0.9");
    factory.Deliver(AdvertBytes("Alpha", "Lost Temple", 2, 8, 12), "10.0.0.1");
    factory.Deliver(IdleSearchBytes(2), "10.0.0.2");
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
    // Each notification read exactly one datagram, into a zeroed 256-byte buffer.
    EXPECT_TRUE(factory.queue.empty());
    EXPECT_EQ(factory.lastCapacity, 256u);
    EXPECT_TRUE(factory.bufferWasZeroed);
}

TEST_F(ServerMonitorTest, OwnSearchComingBackAddsNothing) {
    factory.echoSends = true;
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    EXPECT_TRUE(factory.queue.empty()) << "the echo was read";
    factory.Deliver(SearchQueryBytes(), "10.0.0.4");  // another copy of this program searching
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_TRUE(monitor.IdlePlayers().empty());
}

TEST_F(ServerMonitorTest, FirstDatagramFromAnAddressWins) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    factory.Deliver(AdvertBytes("First", "Plains", 2, 8), "10.0.0.5");
    factory.Deliver(AdvertBytes("Second", "Other", 3, 8), "10.0.0.5");
    factory.Deliver(IdleSearchBytes(1), "10.0.0.6");
    factory.Deliver(IdleSearchBytes(2), "10.0.0.6");
    ASSERT_EQ(monitor.Games().size(), 1u);
    EXPECT_STREQ(monitor.Games()[0]->name, "First");
    EXPECT_EQ(monitor.Games()[0]->players, 2);
    EXPECT_EQ(monitor.IdlePlayers().size(), 1u);
}

TEST_F(ServerMonitorTest, HostWithGameAndSearchIsInBothLists) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    factory.Deliver(IdleSearchBytes(), "10.0.0.7");
    factory.Deliver(AdvertBytes("Both", "Plains"), "10.0.0.7");
    EXPECT_EQ(GameAddresses(), std::vector<std::string>{"10.0.0.7"});
    EXPECT_EQ(IdleAddresses(), std::vector<std::string>{"10.0.0.7"});
}

TEST_F(ServerMonitorTest, DroppedAndFailedReceivesLeaveNoTrace) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    factory.DeliverFailure();
    factory.Deliver(ProductBytes(19), "10.0.0.8");
    factory.Deliver(Bytes(40, 'x'), "10.0.0.8");
    factory.Deliver(ProductBytes(300, 'x'), "10.0.0.8");  // longer than the buffer: a failed receive
    // An 11-byte datagram after a 20-byte one: the stale "S" must not survive in the buffer.
    factory.Deliver(IdleSearchBytes(), "10.0.0.11");
    Bytes shortOne = ProductBytes(11);
    factory.Deliver(shortOne, "10.0.0.12");
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_EQ(IdleAddresses(), std::vector<std::string>{"10.0.0.11"});
    EXPECT_TRUE(factory.queue.empty());
    EXPECT_TRUE(factory.bufferWasZeroed);
}

TEST_F(ServerMonitorTest, LateDatagramsAreReadButNotRecorded) {
    FakeSocket stray(factory, 99);
    // Before any refresh has made the socket.
    factory.queue.push_back({AdvertBytes("Early", "Plains"), "10.0.1.1", false});
    monitor.OnDatagram(stray);
    EXPECT_TRUE(factory.queue.empty());
    EXPECT_TRUE(monitor.Games().empty());

    ASSERT_EQ(monitor.BeginRefresh(), 0);
    factory.Deliver(AdvertBytes("OnTime", "Plains"), "10.0.1.2");
    monitor.EndRefresh();
    EXPECT_EQ(factory.live, nullptr) << "the socket goes with the refresh";

    factory.queue.push_back({AdvertBytes("Late", "Plains"), "10.0.1.3", false});
    factory.queue.push_back({IdleSearchBytes(), "10.0.1.4", false});
    monitor.OnDatagram(stray);
    monitor.OnDatagram(stray);
    EXPECT_TRUE(factory.queue.empty());
    EXPECT_EQ(GameAddresses(), std::vector<std::string>{"10.0.1.2"});
    EXPECT_TRUE(monitor.IdlePlayers().empty());
}

TEST_F(ServerMonitorTest, SecondBeginRefreshEmptiesTheListsAndMakesANewSocket) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    factory.Deliver(AdvertBytes("Old", "Plains"), "10.0.2.1");
    factory.Deliver(IdleSearchBytes(), "10.0.2.2");
    factory.log.clear();

    ASSERT_EQ(monitor.BeginRefresh(), 0);
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_TRUE(monitor.IdlePlayers().empty());
    EXPECT_FALSE(monitor.FindGame("10.0.2.1"));
    EXPECT_FALSE(monitor.FindIdlePlayer("10.0.2.2"));
    // The old socket is closed before the new one is made.
    ASSERT_GE(factory.log.size(), 2u);
    EXPECT_EQ(factory.log[0], "close 1");
    EXPECT_EQ(factory.log[1], "create");
    ASSERT_NE(factory.live, nullptr);
    EXPECT_EQ(factory.live->Id(), 2);

    // The same host may be recorded again in the new refresh.
    factory.Deliver(AdvertBytes("New", "Plains"), "10.0.2.1");
    ASSERT_EQ(monitor.Games().size(), 1u);
    EXPECT_STREQ(monitor.Games()[0]->name, "New");
}

TEST_F(ServerMonitorTest, ListsKeepTheLastRefreshAfterEndRefresh) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    factory.Deliver(AdvertBytes("Kept", "Plains"), "10.0.3.1");
    monitor.EndRefresh();
    monitor.EndRefresh();  // harmless twice
    ASSERT_EQ(monitor.Games().size(), 1u);
    EXPECT_TRUE(monitor.FindGame("10.0.3.1"));
    EXPECT_EQ(factory.destroyed, 1);
}

struct FailureCase {
    const char* what;
    bool FakeFactory::*knob;
    int result;
    std::vector<std::string> log;
};

TEST_F(ServerMonitorTest, FailuresGiveMinusOneOrMinusTwo) {
    const FailureCase cases[] = {
        {"create", &FakeFactory::failCreate, -1, {"create"}},
        {"reuse", &FakeFactory::failReuse, -1, {"create", "reuseaddr 1", "close 1"}},
        {"broadcast", &FakeFactory::failBroadcast, -1, {"create", "reuseaddr 1", "broadcast 1", "close 1"}},
        {"bind",
         &FakeFactory::failBind,
         -1,
         {"create", "reuseaddr 1", "broadcast 1", "bind 192.168.5.10:6111", "close 1"}},
        {"send",
         &FakeFactory::failSend,
         -2,
         {"create", "reuseaddr 1", "broadcast 1", "bind 192.168.5.10:6111", "send 255.255.255.255:6111"}},
    };
    for (const FailureCase& c : cases) {
        FakeFactory f;
        f.*(c.knob) = true;
        CServerMonitor m(f, "192.168.5.10");
        EXPECT_EQ(m.BeginRefresh(), c.result) << c.what;
        EXPECT_EQ(f.log, c.log) << c.what;
        // The refresh still counts as running until the main window ends it.
        EXPECT_TRUE(m.IsRefreshing()) << c.what;
        if (c.result == -1) {
            EXPECT_EQ(f.live, nullptr) << c.what;
            EXPECT_TRUE(f.sent.empty()) << c.what;
        } else {
            // After a failed send the socket stays open and still collects answers.
            ASSERT_NE(f.live, nullptr) << c.what;
            f.Deliver(AdvertBytes("Still", "Plains"), "10.0.4.1");
            EXPECT_EQ(m.Games().size(), 1u) << c.what;
        }
        m.EndRefresh();
        EXPECT_FALSE(m.IsRefreshing()) << c.what;
        EXPECT_EQ(f.live, nullptr) << c.what;
    }
}

TEST_F(ServerMonitorTest, FailedRefreshStillEmptiesTheLists) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    factory.Deliver(AdvertBytes("Gone", "Plains"), "10.0.5.1");
    factory.failBind = true;
    EXPECT_EQ(monitor.BeginRefresh(), -1);
    EXPECT_TRUE(monitor.Games().empty());
    EXPECT_FALSE(monitor.FindGame("10.0.5.1"));
    EXPECT_EQ(factory.live, nullptr);
    EXPECT_EQ(factory.destroyed, 2);
}

TEST_F(ServerMonitorTest, ManyHostsAreEachRecordedOnce) {
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 300; ++i) {
            const std::string address = "10.1." + std::to_string(i / 200) + "." + std::to_string(i % 200);
            if (i % 2)
                factory.Deliver(AdvertBytes("G" + std::to_string(i) + "r" + std::to_string(round), "M"), address);
            else
                factory.Deliver(IdleSearchBytes(), address);
        }
    EXPECT_EQ(monitor.Games().size(), 150u);
    EXPECT_EQ(monitor.IdlePlayers().size(), 150u);
    for (const auto& g : monitor.Games())
        EXPECT_EQ(std::string(g->name).substr(std::string(g->name).size() - 2), "r0");
}

TEST_F(ServerMonitorTest, EveryNetworkIsSearchedOnceAndTheAnswersMakeOneList) {
    // The host's own address comes first, whatever the system's order; a network listed twice is searched once. On
    // several networks each one's own broadcast address takes the search out of its adapter.
    factory.networks = {{"10.78.0.2", "255.255.0.0"}, {"192.168.5.10", "255.255.255.0"}, {"10.78.0.2", "255.255.0.0"}};
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    const std::vector<std::string> expected = {
        "create",      "reuseaddr 1", "broadcast 1",         "bind 192.168.5.10:6111",    "create",
        "reuseaddr 1", "broadcast 1", "bind 10.78.0.2:6111", "send 192.168.5.255:6111", "send 10.78.255.255:6111"};
    EXPECT_EQ(factory.log, expected);
    factory.Deliver(AdvertBytes("Near", "Plains"), "192.168.5.20");
    factory.Deliver(AdvertBytes("Far", "Plains"), "10.78.0.20");
    factory.Deliver(AdvertBytes("Near again", "Plains"), "192.168.5.20");
    factory.Deliver(AdvertBytes("Both", "Plains"), "192.168.5.30");  // one PC on both networks: two hosts
    factory.Deliver(AdvertBytes("Both", "Plains"), "10.78.0.30");
    monitor.EndRefresh();
    EXPECT_EQ(GameAddresses(), (std::vector<std::string>{"192.168.5.20", "10.78.0.20", "192.168.5.30", "10.78.0.30"}));
    EXPECT_EQ(factory.destroyed, 2);
}

TEST_F(ServerMonitorTest, ANetworkThatFailsLeavesTheOthersSearched) {
    factory.networks = {{"192.168.5.10", "255.255.255.0"}, {"10.78.0.2", "255.255.0.0"}};
    factory.failBindAt = "192.168.5.10";
    ASSERT_EQ(monitor.BeginRefresh(), 0);
    EXPECT_EQ(factory.log.back(), "send 255.255.255.255:6111");
    EXPECT_EQ(factory.sent.size(), 1u);
    factory.failBindAt = "";
    factory.failSend = true;
    EXPECT_EQ(monitor.BeginRefresh(), -2) << "the search went out on no network";
}
