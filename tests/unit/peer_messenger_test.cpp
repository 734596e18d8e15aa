// The messenger over the shared LAN fake: its socket for the whole run, the refresh and its users, presence answers,
// texts, and the notices; then as a module of the main window: banner, tree section, tray tip, chat commands and the
// console lines of what other copies send.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/TreeImages.h"
#include "peer/PeerModule.h"
#include "tests/unit/ControllerFixture.h"
#include "tests/unit/PeerDatagramBuilder.h"

using namespace kvltest;

namespace {

constexpr const char* LOCAL = "10.77.0.2";

// Records the notices as the main window would see them, reading the datagram while it is valid.
class RecordingSink : public IPeerNoticeSink {
public:
    struct Seen {
        std::string address;
        intptr_t kind;
        int length;
        bool hasData;
        std::string text;
    };
    std::vector<Seen> seen;
    void OnPeerNotice(const PeerNotice& notice, intptr_t kind) override {
        seen.push_back({notice.address, kind, notice.length, notice.data != nullptr,
                        notice.data ? PeerMessageText(notice.data, notice.length) : std::string()});
    }
};

class CommunicatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.Name = "Zer0";
        settings.Sign = "gl hf";
        ASSERT_EQ(communicator.Start(), 0);
        communicator.SetOwner(&sink);
    }
    std::vector<std::string> UserLines() const {
        std::vector<std::string> out;
        for (const auto& u : communicator.Users())
            out.push_back(std::string(u->address) + " " + u->name + " " + u->sign + " " + std::to_string(u->state));
        return out;
    }

    FakeLan lan;
    FakeDesktop windows;
    SettingsRecord settings;
    CCommunicator communicator{lan, LOCAL, settings, windows};
    RecordingSink sink;
};

TEST_F(CommunicatorTest, StartBindsTheOwnAddressOnPort6666WithBroadcast) {
    EXPECT_NE(lan.BoundAt(PEER_PORT, "10.77.0.2"), nullptr);
    EXPECT_EQ(lan.log, (std::vector<std::string>{"create", "bind 10.77.0.2:6666", "broadcast 1"}));
    EXPECT_EQ(lan.BoundCount(PEER_PORT), 1u);
}

TEST(Communicator, AFailedStartReceivesNothing) {
    for (int fault = 0; fault < 2; ++fault) {
        FakeLan lan;
        FakeDesktop windows;
        SettingsRecord settings;
        (fault == 0 ? lan.failCreate : lan.failBind) = true;
        CCommunicator communicator(lan, LOCAL, settings, windows);
        EXPECT_EQ(communicator.Start(), -1) << fault;
        EXPECT_EQ(lan.BoundCount(PEER_PORT), 0u) << fault;
        EXPECT_EQ(communicator.BeginRefresh(), -1) << "no socket, no query";
        communicator.SendText("", "hi");
        EXPECT_TRUE(lan.sent.empty());
    }
}

TEST_F(CommunicatorTest, ARefreshBroadcastsTheQueryAndListsEveryCopyOnce) {
    lan.localAddress = LOCAL;  // our own query comes back to us
    ASSERT_EQ(communicator.BeginRefresh(), 0);
    ASSERT_EQ(lan.sent.size(), 1u);
    EXPECT_EQ(lan.sent[0].address, "255.255.255.255");
    EXPECT_EQ(lan.sent[0].port, PEER_PORT);
    EXPECT_EQ(lan.sent[0].bytes, Bytes(PeerQuery, PeerQuery + 40));
    lan.Pump();
    lan.Deliver(PeerPresenceBytes("bob", "hi all", 1), "10.77.0.7", PEER_PORT);
    lan.Deliver(PeerPresenceBytes("bob again", "", 2), "10.77.0.7", PEER_PORT);  // the first one wins
    lan.Deliver(PeerHeader(45168, 1), "10.77.0.8", PEER_PORT);
    communicator.EndRefresh();
    EXPECT_EQ(UserLines(),
              (std::vector<std::string>{"10.77.0.2 Zer0 gl hf 0", "10.77.0.7 bob hi all 1", "10.77.0.8   0"}));
    // The own presence went to the own address, port 6666.
    EXPECT_EQ(lan.sent[1].address, LOCAL);
    EXPECT_EQ(lan.sent[1].bytes, PeerPresenceBytes("Zer0", "gl hf", 0));
    EXPECT_TRUE(sink.seen.empty());
}

TEST_F(CommunicatorTest, EachRefreshStartsFromAnEmptyList) {
    ASSERT_EQ(communicator.BeginRefresh(), 0);
    lan.Deliver(PeerPresenceBytes("bob", "", 0), "10.77.0.7", PEER_PORT);
    communicator.EndRefresh();
    ASSERT_EQ(communicator.Users().size(), 1u);
    ASSERT_EQ(communicator.BeginRefresh(), 0);
    EXPECT_TRUE(communicator.Users().empty());
    EXPECT_EQ(communicator.NameByAddress("10.77.0.7"), "Unknown");
}

TEST_F(CommunicatorTest, QueriesAreAlwaysAnsweredPresencesOnlyRecordedDuringARefresh) {
    windows.game = 42;
    windows.foreground = 42;
    lan.Deliver(PeerHeader(45168, 0), "10.77.0.9", PEER_PORT);  // a bare 8-byte query
    lan.Deliver(PeerPresenceBytes("late", "", 0), "10.77.0.9", PEER_PORT);
    EXPECT_TRUE(communicator.Users().empty());
    ASSERT_EQ(lan.sent.size(), 1u);
    EXPECT_EQ(lan.sent[0].address, "10.77.0.9");
    EXPECT_EQ(lan.sent[0].port, PEER_PORT);
    EXPECT_EQ(lan.sent[0].bytes, PeerPresenceBytes("Zer0", "gl hf", GAME_ACTIVE));
}

TEST_F(CommunicatorTest, ThePresenceCarriesTheGameStateAndSettingsOfTheMoment) {
    const struct {
        uintptr_t game, foreground;
        uint32_t state;
    } cases[] = {{0, 0, GAME_NOT_RUNNING}, {0, 9, GAME_NOT_RUNNING}, {5, 9, GAME_RUNNING}, {5, 5, GAME_ACTIVE}};
    for (const auto& c : cases) {
        windows.game = c.game;
        windows.foreground = c.foreground;
        settings.Name = "n" + std::to_string(c.state);
        communicator.SendPresence("10.77.0.3");
        EXPECT_EQ(lan.sent.back().bytes, PeerPresenceBytes(settings.Name, "gl hf", c.state));
    }
}

TEST_F(CommunicatorTest, TextsGoToEverybodyOrToOneAddress) {
    lan.hostNames["annika-pc"] = "10.77.0.9";
    communicator.SendText("", "hello");
    communicator.SendText("10.77.0.7", "psst");
    communicator.SendText("annika-pc", "by name");
    communicator.SendText("nobody-pc", "lost");  // no such host: nothing is sent
    ASSERT_EQ(lan.sent.size(), 3u);
    EXPECT_EQ(lan.sent[0].address, "255.255.255.255");
    EXPECT_EQ(lan.sent[0].bytes, PeerTextBytes(PEER_TEXT_ALL, "hello"));
    EXPECT_EQ(lan.sent[1].address, "10.77.0.7");
    EXPECT_EQ(lan.sent[1].port, PEER_PORT);
    EXPECT_EQ(lan.sent[1].bytes, PeerTextBytes(PEER_TEXT_PRIVATE, "psst"));
    EXPECT_EQ(lan.sent[2].address, "10.77.0.9");
    EXPECT_EQ(lan.sent[2].bytes, PeerTextBytes(PEER_TEXT_PRIVATE, "by name"));
}

TEST_F(CommunicatorTest, AFailedQueryIsReportedAFailedAnswerIsNot) {
    lan.failSendPorts.insert(PEER_PORT);
    EXPECT_EQ(communicator.BeginRefresh(), -1);
    EXPECT_TRUE(communicator.IsRefreshing()) << "the refresh still runs to its time-out";
    lan.Deliver(PeerHeader(45168, 0), "10.77.0.9", PEER_PORT);
    communicator.SendText("", "x");
    EXPECT_EQ(lan.sent.size(), 3u);
}

TEST_F(CommunicatorTest, MessagesAndNewerVersionsAreHandedOverOthersAreNot) {
    const struct {
        Bytes bytes;
        int notices;
        intptr_t kind;
        std::string text;
    } cases[] = {
        {PeerTextBytes(2, "hi"), 1, PEER_NOTICE_MESSAGE, "hi"},
        {PeerTextBytes(3, "psst"), 1, PEER_NOTICE_MESSAGE, "psst"},
        {PeerTextBytes(5, "five"), 1, PEER_NOTICE_MESSAGE, "five"},
        {PeerTextBytes(2, "hi", 45169), 1, PEER_NOTICE_NEWER_VERSION, ""},
        {PeerTextBytes(2, "hi", 45167), 0, 0, ""},
        {PeerTextBytes(2, "hi", 0x8000B070u), 0, 0, ""},
        {Bytes(), 0, 0, ""},
    };
    for (const auto& c : cases) {
        sink.seen.clear();
        lan.Deliver(c.bytes, "10.77.0.5", PEER_PORT);
        ASSERT_EQ(static_cast<int>(sink.seen.size()), c.notices) << c.bytes.size();
        if (c.notices) {
            EXPECT_EQ(sink.seen[0].address, "10.77.0.5");
            EXPECT_EQ(sink.seen[0].kind, c.kind);
            EXPECT_EQ(sink.seen[0].hasData, c.kind == PEER_NOTICE_MESSAGE);
            EXPECT_EQ(sink.seen[0].text, c.text);
        }
    }
    lan.DeliverFailure(PEER_PORT);
    EXPECT_EQ(sink.seen.size(), 0u) << "a failed receive is dropped";
}

// A PC on two networks: the host's own (10.77/16, listed second by the system) and another (10.78/16).
class TwoNetworksTest : public CommunicatorTest {
protected:
    void SetUp() override {
        lan.localAddress = LOCAL;  // what we send to ourselves comes back
        lan.networks = {{OTHER, "255.255.0.0"}, {LOCAL, "255.255.0.0"}};
        CommunicatorTest::SetUp();
    }
    // "from>to" of what went to port 6666, and forgets it.
    std::vector<std::string> Sends() {
        std::vector<std::string> out;
        for (const SentDatagram& d : lan.SentTo(PEER_PORT))
            out.push_back(d.from + ">" + d.address);
        lan.sent.clear();
        return out;
    }
    static constexpr const char* OTHER = "10.78.0.2";
};

TEST_F(TwoNetworksTest, EachNetworkIsQueriedOnceAndWeAreListedOnce) {
    EXPECT_EQ(lan.BoundCount(PEER_PORT), 2u);
    ASSERT_EQ(communicator.BeginRefresh(), 0);
    EXPECT_EQ(Sends(), (std::vector<std::string>{"10.77.0.2>10.77.255.255", "10.78.0.2>10.78.255.255"}));
    // Our query comes back on both networks and is answered on each; we are listed by the first answer.
    lan.Pump();
    EXPECT_EQ(Sends(), (std::vector<std::string>{"10.77.0.2>10.77.0.2", "10.78.0.2>10.78.0.2"}));
    lan.Deliver(PeerPresenceBytes("ann", "", 0), "10.78.0.7", PEER_PORT, OTHER);
    lan.Deliver(PeerPresenceBytes("bob", "", 0), "10.77.0.8", PEER_PORT, LOCAL);
    // Another copy's query is answered through the socket it came by: it knows us by that network's address.
    lan.Deliver(PeerHeader(45168, 0), "10.78.0.9", PEER_PORT, OTHER);
    EXPECT_EQ(Sends(), std::vector<std::string>{"10.78.0.2>10.78.0.9"});
    communicator.EndRefresh();
    EXPECT_EQ(UserLines(),
              (std::vector<std::string>{"10.77.0.2 Zer0 gl hf 0", "10.78.0.7 ann  0", "10.77.0.8 bob  0"}));
    EXPECT_TRUE(communicator.IsOwnAddress(OTHER));
    EXPECT_TRUE(communicator.IsOwnAddress(LOCAL));
    EXPECT_FALSE(communicator.IsOwnAddress("10.78.0.7"));
    EXPECT_EQ(communicator.NameByAddress(OTHER), "Zer0") << "all our addresses are ours";
}

TEST_F(TwoNetworksTest, TextsReachEveryNetworkOnceAndOurOwnLineShowsOnce) {
    communicator.SendText("", "hello");
    EXPECT_EQ(Sends(), (std::vector<std::string>{"10.77.0.2>10.77.255.255", "10.78.0.2>10.78.255.255"}));
    lan.Pump();
    ASSERT_EQ(sink.seen.size(), 1u);
    EXPECT_EQ(sink.seen[0].address, LOCAL);
    EXPECT_EQ(sink.seen[0].text, "hello");
    // A private text leaves on the network that holds its address; elsewhere the system routes it from the first.
    communicator.SendText("10.78.0.9", "psst");
    communicator.SendText("192.168.1.9", "far");
    EXPECT_EQ(Sends(), (std::vector<std::string>{"10.78.0.2>10.78.0.9", "10.77.0.2>192.168.1.9"}));
}

TEST_F(TwoNetworksTest, NetworksThatComeAndGoAreFollowedAtTheNextRefresh) {
    LanSocket* own = lan.BoundAt(PEER_PORT, LOCAL);
    lan.networks.push_back({"10.79.0.2", "255.255.0.0"});
    ASSERT_EQ(communicator.BeginRefresh(), 0);
    EXPECT_EQ(Sends().size(), 3u);
    lan.networks.erase(lan.networks.begin());  // the other network is gone
    lan.failBindAddresses = {"10.79.0.2"};     // and the new one is not taken again: it is kept as it is
    ASSERT_EQ(communicator.BeginRefresh(), 0);
    EXPECT_EQ(Sends(), (std::vector<std::string>{"10.77.0.2>10.77.255.255", "10.79.0.2>10.79.255.255"}));
    EXPECT_EQ(lan.BoundAt(PEER_PORT, OTHER), nullptr);
    EXPECT_EQ(lan.BoundAt(PEER_PORT, LOCAL), own) << "a network that stays keeps its socket";
}

TEST_F(CommunicatorTest, AnAddressThePCLeftIsSomebodyElsesFromTheNextRefresh) {
    // The PC moved from its first address to .9 while running, and another PC took the old one.
    lan.networks = {{"10.77.0.9", "255.255.0.0"}};
    ASSERT_EQ(communicator.BeginRefresh(), 0);
    lan.Deliver(PeerPresenceBytes("ann", "", 0), LOCAL, PEER_PORT);
    lan.Deliver(PeerPresenceBytes("Zer0", "gl hf", 0), "10.77.0.9", PEER_PORT);  // our own answer
    communicator.EndRefresh();
    EXPECT_EQ(UserLines(), (std::vector<std::string>{"10.77.0.2 ann  0", "10.77.0.9 Zer0 gl hf 0"}));
    EXPECT_FALSE(communicator.IsOwnAddress(LOCAL));
    EXPECT_EQ(communicator.NameByAddress(LOCAL), "ann");
    lan.Deliver(PeerTextBytes(PEER_TEXT_ALL, "hi all"), LOCAL, PEER_PORT);
    ASSERT_EQ(sink.seen.size(), 1u) << "its chat to everybody is not taken for our own line";
    EXPECT_EQ(sink.seen[0].text, "hi all");
}

TEST(Communicator, ANetworkThatCannotBeBoundLeavesTheOthers) {
    FakeLan lan;
    FakeDesktop windows;
    SettingsRecord settings;
    lan.networks = {{"10.77.0.2", "255.255.0.0"}, {"10.78.0.2", "255.255.0.0"}};
    lan.failBindAddresses = {"10.77.0.2"};
    CCommunicator communicator{lan, "10.77.0.2", settings, windows};
    ASSERT_EQ(communicator.Start(), 0);
    EXPECT_EQ(communicator.BeginRefresh(), 0);
    ASSERT_EQ(lan.SentTo(PEER_PORT).size(), 1u);
    EXPECT_EQ(lan.SentTo(PEER_PORT)[0].from, "10.78.0.2");
    lan.failBindAddresses.clear();
    EXPECT_EQ(communicator.BeginRefresh(), 0);
    EXPECT_EQ(lan.SentTo(PEER_PORT).size(), 3u) << "taken at the next refresh";
}

TEST_F(CommunicatorTest, ADatagramLongerThanTheBufferIsHandledAsItsBeginning) {
    lan.Deliver(PeerRaw(45168, 2, std::string(1500, 'w')), "10.77.0.5", PEER_PORT);
    ASSERT_EQ(sink.seen.size(), 1u);
    EXPECT_EQ(sink.seen[0].length, 512);
    EXPECT_EQ(sink.seen[0].text, std::string(504, 'w'));
}

TEST_F(CommunicatorTest, AFloodOfPresencesFromFiveThousandAddressesKeepsOneRecordEach) {
    ASSERT_EQ(communicator.BeginRefresh(), 0);
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 5000; ++i) {
            const std::string address = "10.78." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
            lan.Deliver(PeerPresenceBytes(std::string(32, 'n'), std::string(64, 's'), i), address, PEER_PORT);
        }
    communicator.EndRefresh();
    ASSERT_EQ(communicator.Users().size(), 5000u);
    EXPECT_STREQ(communicator.Users()[4999]->address, "10.78.19.250");
    EXPECT_EQ(communicator.Users()[4999]->state, 4999u);
    EXPECT_TRUE(communicator.FindUser("10.78.0.1"));
    EXPECT_FALSE(communicator.FindUser("10.78.0.1 "));
}

// ------------------------------------------------------------------------------------ the module in the window

class PeerModuleTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        lan.localAddress = LOCAL;
        AppSettings.Name = "Zer0";
        AppSettings.Sign = "gl hf";
        module = Find<CPeerModule>();
        ASSERT_NE(module, nullptr);
    }
    // A refresh in which we answer ourselves and these copies answer too.
    void RefreshWith(const std::vector<std::pair<Bytes, std::string>>& presences) {
        ASSERT_EQ(controller.StartRefresh(), 0);
        lan.Pump();
        for (const auto& [bytes, from] : presences)
            lan.Deliver(bytes, from, PEER_PORT);
        controller.OnTimer(TIMER_REFRESH_DONE);
    }
    void KnowBobAndBobby() {
        RefreshWith({{PeerPresenceBytes("bob", "", 0), "10.77.0.7"}, {PeerPresenceBytes("bobby", "", 1), "10.77.0.8"}});
    }
    // Texts of the type-3 datagrams sent since mark, with their addresses.
    std::vector<std::string> Sent(size_t mark) const {
        std::vector<std::string> out;
        for (size_t i = mark; i < lan.sent.size(); ++i) {
            const SentDatagram& d = lan.sent[i];
            if (d.port != PEER_PORT || d.bytes.size() < 40)
                continue;
            const uint32_t type = PeerType(d.bytes.data(), static_cast<int>(d.bytes.size()));
            out.push_back(std::to_string(type) + " " + d.address + " " +
                          PeerMessageText(d.bytes.data(), static_cast<int>(d.bytes.size())));
        }
        return out;
    }
    std::string Arrives(const Bytes& bytes, const std::string& from) {
        const size_t mark = pane.text.size();
        lan.Deliver(bytes, from, PEER_PORT);
        return Since(mark);
    }

    CPeerModule* module = nullptr;
};

TEST_F(PeerModuleTest, TheBannerLineTellsWhetherTheSocketOpened) {
    Start();
    EXPECT_NE(pane.text.find(" Starting Chatline\x99... [OK]\r\n"), std::string::npos);
}

using PeerModuleStartTest = ControllerFixture;

TEST_F(PeerModuleStartTest, AFailedStartSaysSoAndHearsNothing) {
    lan.failBind = true;
    Start();
    EXPECT_NE(pane.text.find(" Starting Chatline\x99... [FAILED]\r\n"), std::string::npos);
    EXPECT_EQ(Run("/refresh"),
              "warning: m_ServerMonitor.BeginRefresh() failed\r\n"
              "warning: m_Communicator.BeginRefresh() failed\r\n");
    EXPECT_EQ(lan.Sends(PEER_PORT), 0);
}

TEST_F(PeerModuleTest, AFailedQueryIsWarnedAndTheCycleGoesOn) {
    Start();
    lan.failSendPorts.insert(PEER_PORT);
    EXPECT_EQ(Run("/refresh"), "warning: m_Communicator.BeginRefresh() failed\r\n");
    controller.OnTimer(TIMER_REFRESH_DONE);
    EXPECT_TRUE(view.refreshEnabled);
    EXPECT_EQ(view.tip, "Servers: 0, Waiting: 0, Users: 0");
}

TEST_F(PeerModuleTest, UsersAppearUnderKVLsOnlineOwnEntryBold) {
    Start();
    RefreshWith({{PeerPresenceBytes("bob", "gl hf all", 1), "10.77.0.7"},
                 {PeerPresenceBytes("Ann", "", 2), "10.77.0.9"},
                 {PeerPresenceBytes("odd", "?", 3), "10.77.0.10"},
                 {PeerPresenceBytes("x", "far", 7), "10.77.0.11"}});
    const TreeItem root = tree.FindChild(TREE_NONE, "KVL's online");
    EXPECT_EQ(tree.Image(root), IMG_ROOT_USERS);
    EXPECT_TRUE(tree.IsExpanded(root));
    EXPECT_EQ(tree.ChildTexts(root), (std::vector<std::string>{"Ann", "bob", "odd", "x", "Zer0"}));
    const struct {
        const char* name;
        int image;
        bool bold;
        std::vector<std::string> lines;
    } expected[] = {
        {"Zer0", IMG_USER_BASE, true, {"Address: 10.77.0.2", "Sign: gl hf"}},
        {"bob", IMG_USER_RUNNING, false, {"Address: 10.77.0.7", "Sign: gl hf all"}},
        {"Ann", IMG_USER_ACTIVE, false, {"Address: 10.77.0.9", "Sign: "}},
        {"odd", IMG_SIGN, false, {"Address: 10.77.0.10", "Sign: ?"}},
        {"x", IMG_USER_BASE + 7, false, {"Address: 10.77.0.11", "Sign: far"}},
    };
    for (const auto& e : expected) {
        const TreeItem user = tree.FindChild(root, e.name);
        EXPECT_EQ(tree.Image(user), e.image) << e.name;
        EXPECT_EQ(tree.IsBold(user), e.bold) << e.name;
        EXPECT_EQ(tree.ChildTexts(user), e.lines) << e.name;
        std::vector<int> images;
        for (TreeItem line : tree.Children(user))
            images.push_back(tree.Image(line));
        EXPECT_EQ(images, (std::vector<int>{IMG_ADDRESS, IMG_SIGN})) << e.name;
    }
    EXPECT_EQ(view.tip, "Servers: 0, Waiting: 0, Users: 5");
    const auto& keywords = controller.CommandEdit().Keywords();
    for (const char* word : {"Zer0", "10.77.0.2", "bob", "Ann", "10.77.0.11"})
        EXPECT_NE(std::find(keywords.begin(), keywords.end(), word), keywords.end()) << word;
    EXPECT_EQ(std::find(keywords.begin(), keywords.end(), "x"), keywords.end()) << "one letter is too short";
}

TEST_F(PeerModuleTest, TheUsersListing) {
    Start();
    EXPECT_EQ(Run("/users"), "Current users: \r\n\r\n");
    RefreshWith({{PeerPresenceBytes("bob", "", 1), "10.77.0.7"},
                 {PeerPresenceBytes("Ann", "", 2), "10.77.0.9"},
                 {PeerPresenceBytes("odd", "", 9), "10.77.0.10"}});
    EXPECT_EQ(Run("/users"),
              "Current users: \r\n"
              " Zer0 (10.77.0.2) - BW not running\r\n"
              " bob (10.77.0.7) - BW running\r\n"
              " Ann (10.77.0.9) - BW active\r\n"
              " odd (10.77.0.10) - ?\r\n"
              "\r\n");
}

TEST_F(PeerModuleTest, ChatToEverybodyIsTheDefaultCommand) {
    Start();
    for (const auto& [line, text] :
         std::vector<std::pair<std::string, std::string>>{{"hello all", "hello all"}, {"/a gg", "gg"}, {"/a", ""}}) {
        const size_t mark = lan.sent.size();
        EXPECT_EQ(Run(line), "") << line;
        EXPECT_EQ(Sent(mark), std::vector<std::string>{"2 255.255.255.255 " + text}) << line;
    }
    EXPECT_EQ(lan.sent.back().bytes.size(), 40u) << "an empty message is header and 32 zero bytes";
}

TEST_F(PeerModuleTest, WhisperChoosesTheFirstUserWhoseNameOrAddressBeginsTheArgument) {
    Start();
    KnowBobAndBobby();
    const struct {
        const char* line;
        const char* written;
        std::vector<std::string> sent;
    } cases[] = {
        {"/w bobby hi", "<To: bob> y hi\r\n", {"3 10.77.0.7 y hi"}},
        {"/w 10.77.0.8 hello", "<To: bobby> hello\r\n", {"3 10.77.0.8 hello"}},
        {"/w bob,hi", "<To: bob> hi\r\n", {"3 10.77.0.7 hi"}},
        {"/w bob", "<To: bob> \r\n", {"3 10.77.0.7 "}},
        {"/w Zer0 me", "<To: Zer0> me\r\n", {"3 10.77.0.2 me"}},
        {"/w zed hi", "\r\n", {}},
        {"/w", "\r\n", {}},
    };
    for (const auto& c : cases) {
        const size_t mark = lan.sent.size();
        EXPECT_EQ(Run(c.line), c.written) << c.line;
        EXPECT_EQ(Sent(mark), c.sent) << c.line;
    }
}

TEST(WhisperTarget, EdgeCasesOfTheChoice) {
    auto user = [](const char* name, const char* address) {
        auto u = std::make_unique<PeerUser>();
        CopyField(u->address, sizeof(u->address), address);
        CopyField(u->name, sizeof(u->name), name);
        u->sign[0] = 0;
        u->state = 0;
        return u;
    };
    std::vector<std::unique_ptr<PeerUser>> users;
    EXPECT_EQ(ChooseWhisperTarget(users, "bob hi").user, nullptr) << "no users";
    users.push_back(user("10.", "10.77.0.7"));
    users.push_back(user("", "10.77.0.8"));
    const struct {
        const char* argument;
        int who;  // index, -1 nobody
        const char* text;
    } cases[] = {
        {"10.77.0.7 x", 0, "7.0.7 x"},  // the first user's name is a prefix: names and addresses, user by user
        {"anything", 1, "nything"},     // an empty name matches every argument
        {"", 1, ""},
        {"a", 1, ""},
    };
    for (const auto& c : cases) {
        const WhisperTarget target = ChooseWhisperTarget(users, c.argument);
        EXPECT_EQ(target.user, c.who < 0 ? nullptr : users[static_cast<size_t>(c.who)].get()) << c.argument;
        EXPECT_EQ(target.text, c.text) << c.argument;
    }
}

TEST_F(PeerModuleTest, ReplyGoesToTheLastPrivateSender) {
    Start();
    size_t mark = lan.sent.size();
    EXPECT_EQ(Run("/r anyone?"), "<To: Unknown> anyone?\r\n");
    EXPECT_EQ(Sent(mark), std::vector<std::string>{"2 255.255.255.255 anyone?"});
    KnowBobAndBobby();
    EXPECT_EQ(Arrives(PeerTextBytes(3, "psst"), "10.77.0.8"), "<From: bobby> psst\r\n");
    EXPECT_EQ(module->ReplyTo(), "10.77.0.8");
    mark = lan.sent.size();
    EXPECT_EQ(Run("/r yes"), "<To: bobby> yes\r\n");
    EXPECT_EQ(Sent(mark), std::vector<std::string>{"3 10.77.0.8 yes"});
    Arrives(PeerTextBytes(2, "public"), "10.77.0.7");
    EXPECT_EQ(module->ReplyTo(), "10.77.0.8") << "only private messages set the reply address";
}

TEST_F(PeerModuleTest, WhatOtherCopiesSendIsWrittenNeverRun) {
    Start();
    KnowBobAndBobby();
    const struct {
        Bytes bytes;
        const char* from;
        std::string written;
    } cases[] = {
        {PeerTextBytes(2, "hi all"), "10.77.0.7", "bob: hi all\r\n"},
        {PeerTextBytes(2, "who am I"), "10.77.0.99", "Unknown: who am I\r\n"},
        {PeerTextBytes(3, "psst"), "10.77.0.7", "<From: bob> psst\r\n"},
        {PeerTextBytes(2, "/quit"), "10.77.0.7", "bob: /quit\r\n"},
        {PeerTextBytes(3, "/echo pwned"), "10.77.0.7", "<From: bob> /echo pwned\r\n"},
        {PeerTextBytes(2, "100%s %n"), "10.77.0.7", "bob: 100%s %n\r\n"},
        {PeerRaw(45168, 2, "no zero"), "10.77.0.7", "bob: no zero\r\n"},
        {PeerTextBytes(5, "five"), "10.77.0.7", ""},
        {PeerHeader(45168, 4), "10.77.0.7", ""},
        {PeerTextBytes(2, "old", 45167), "10.77.0.7", ""},
        {PeerTextBytes(2, "new", 45169), "10.77.0.9",
         "Warning! New version of KVL detected at 10.77.0.9, please upgrade\r\n\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Arrives(c.bytes, c.from), c.written) << c.written;
    EXPECT_EQ(view.endedWith, -1);
    EXPECT_TRUE(view.balloons.empty()) << "the window is on screen";
}

TEST_F(PeerModuleTest, APrivateMessageShowsABalloonOnlyWhileTheWindowIsInTheTray) {
    Start();
    KnowBobAndBobby();
    view.onScreen = false;
    Arrives(PeerTextBytes(2, "public"), "10.77.0.7");
    EXPECT_TRUE(view.balloons.empty()) << "a public message never shows a balloon";
    EXPECT_EQ(Arrives(PeerTextBytes(3, "psst"), "10.77.0.7"), "<From: bob> psst\r\n");
    EXPECT_EQ(view.balloons, std::vector<std::string>{"Message from KVL user|<From: bob> psst|1|10"});
    view.onScreen = true;
    Arrives(PeerTextBytes(3, "again"), "10.77.0.7");
    EXPECT_EQ(view.balloons.size(), 1u);
}

TEST_F(PeerModuleTest, ElevenNewerVersionsWriteTenWarningsInARun) {
    Start();
    std::string written;
    for (int i = 0; i < 11; ++i) {
        if (i == 5)
            RefreshWith({});  // refreshes do not reset the count
        written += Arrives(PeerHeader(45169 + static_cast<uint32_t>(i), static_cast<uint32_t>(i % 4)), "10.77.0.9");
    }
    const std::string one = "Warning! New version of KVL detected at 10.77.0.9, please upgrade\r\n\r\n";
    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += one;
    EXPECT_EQ(written, ten);
}

TEST_F(PeerModuleTest, AfterShutdownNothingIsWritten) {
    Start();
    controller.Shutdown();
    EXPECT_EQ(Arrives(PeerTextBytes(2, "late"), "10.77.0.7"), "");
}

}  // namespace
