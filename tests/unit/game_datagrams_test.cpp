// The port-6111 datagrams: the search constant, the sorting rule and the decoding of advertisements, including the
// hostile shapes (no zero byte, no CR, overlong texts, the shortest and the longest advertisements).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "gamemon/GameDatagrams.h"
#include "tests/unit/GameDatagramBuilder.h"

using namespace kvltest;

namespace {

// The datagram in a heap block of exactly its length, so that the sanitizer sees any read past it.
struct ExactBlock {
    explicit ExactBlock(const Bytes& bytes) : n(static_cast<int>(bytes.size())), data(new uint8_t[bytes.size() + !n]) {
        if (n)
            memcpy(data.get(), bytes.data(), bytes.size());
    }
    int n;
    std::unique_ptr<uint8_t[]> data;
};

// The record with guard bytes behind it, filled with a pattern first, so that a missing zeroing or a write past
// the record shows.
struct GuardedInfo {
    GameInfo info;
    uint8_t guard[16];
};

GameInfo Parse(const Bytes& bytes, const char* sender = "192.168.1.20") {
    ExactBlock block(bytes);
    GuardedInfo g;
    memset(&g, 0xAA, sizeof(g));
    ParseGameInfo(block.data.get(), block.n, sender, g.info);
    for (uint8_t b : g.guard)
        EXPECT_EQ(b, 0xAA) << "written past the record";
    EXPECT_EQ(strnlen(g.info.address, sizeof(g.info.address)), strlen(g.info.address));
    EXPECT_LE(strnlen(g.info.name, sizeof(g.info.name)), GAME_NAME_MAX);
    EXPECT_LE(strnlen(g.info.map, sizeof(g.info.map)), GAME_MAP_MAX);
    return g.info;
}

GameDatagramKind Classify(const Bytes& bytes) {
    ExactBlock block(bytes);
    return ClassifyGameDatagram(block.data.get(), block.n);
}

}  // namespace

TEST(GameDatagrams, SearchQueryIsTheGamesTwentyBytes) {
    const uint8_t expected[20] = {0xD0, 0x1C, 0x14, 0x00, 0x02, 0x00, 0x00, 0x00, 0x50, 0x58,
                                  0x45, 0x53, 0xBB, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(0, memcmp(GameSearchQuery, expected, sizeof(expected)));
    EXPECT_EQ(GAME_SEARCH_SIZE, 20u);
    EXPECT_EQ(GAME_SEARCH_PORT, 6111);
}

TEST(GameDatagrams, ProductIdNeedsTwelveBytes) {
    Bytes d = ProductBytes(12);
    EXPECT_TRUE(HasGameProductId(d.data(), 12));
    // The same bytes, but the datagram ended before them: the receive buffer is zeroed, the length decides.
    EXPECT_FALSE(HasGameProductId(d.data(), 11));
    EXPECT_FALSE(HasGameProductId(d.data(), 0));
    EXPECT_FALSE(HasGameProductId(d.data(), -1));
    EXPECT_FALSE(HasGameProductId(nullptr, 12));
    d[11] = 's';  // exact, case-sensitive
    EXPECT_FALSE(HasGameProductId(d.data(), 12));
}

TEST(GameDatagrams, IsSearchQueryComparesTheFirstTwentyBytes) {
    Bytes q = SearchQueryBytes();
    EXPECT_TRUE(IsSearchQuery(q.data(), 20));
    EXPECT_FALSE(IsSearchQuery(q.data(), 19));
    EXPECT_FALSE(IsSearchQuery(q.data(), -1));
    Bytes longer = q;
    longer.push_back(0x42);
    EXPECT_TRUE(IsSearchQuery(longer.data(), 21));
    for (size_t i = 0; i < 20; ++i) {
        Bytes changed = q;
        changed[i] ^= 0x01;
        EXPECT_FALSE(IsSearchQuery(changed.data(), 20)) << "byte " << i;
    }
}

struct ClassifyCase {
    const char* what;
    Bytes bytes;
    GameDatagramKind kind;
};

TEST(GameDatagrams, ClassificationRule) {
    Bytes reversed = SearchQueryBytes();
    memcpy(reversed.data() + 8, "SEXP", 4);
    Bytes shortSearch = SearchQueryBytes();
    shortSearch.pop_back();
    Bytes noProductLong = AdvertBytes("Ladder", "Plains");
    noProductLong[9] = 'Y';

    const ClassifyCase cases[] = {
        {"our own search", SearchQueryBytes(), GameDatagramKind::Drop},
        {"a client's search", IdleSearchBytes(), GameDatagramKind::IdlePlayer},
        {"product id reversed", reversed, GameDatagramKind::Drop},
        {"19 bytes with PXES", shortSearch, GameDatagramKind::Drop},
        {"21 bytes with PXES", ProductBytes(21), GameDatagramKind::Game},
        {"an advertisement", AdvertBytes("Ladder", "Plains"), GameDatagramKind::Game},
        {"an advertisement without PXES", noProductLong, GameDatagramKind::Drop},
        {"256 bytes", ProductBytes(256, 'x'), GameDatagramKind::Game},
        {"12 bytes with PXES", ProductBytes(12), GameDatagramKind::Drop},
        {"11 bytes", ProductBytes(11), GameDatagramKind::Drop},
        {"empty", Bytes(), GameDatagramKind::Drop},
        {"20 zero bytes", Bytes(20, 0), GameDatagramKind::Drop},
    };
    for (const ClassifyCase& c : cases)
        EXPECT_EQ(Classify(c.bytes), c.kind) << c.what;

    // A failed receive: n = -1 on a zeroed buffer.
    uint8_t zeroed[GAME_DATAGRAM_MAX] = {};
    EXPECT_EQ(ClassifyGameDatagram(zeroed, -1), GameDatagramKind::Drop);
    EXPECT_EQ(ClassifyGameDatagram(nullptr, 30), GameDatagramKind::Drop);
}

TEST(GameDatagrams, AnySingleByteChangeOutsideTheProductIdMakesAnIdlePlayer) {
    for (size_t i = 0; i < 20; ++i) {
        Bytes d = SearchQueryBytes();
        d[i] = static_cast<uint8_t>(d[i] + 0x11);
        const GameDatagramKind expected = (i >= 8 && i < 12) ? GameDatagramKind::Drop : GameDatagramKind::IdlePlayer;
        EXPECT_EQ(Classify(d), expected) << "byte " << i;
    }
}

TEST(GameDatagrams, ParsesATypicalAdvertisement) {
    const GameInfo g = Parse(AdvertBytes("Ladder", "Plains", 2, 8, 0), "192.168.1.20");
    EXPECT_STREQ(g.address, "192.168.1.20");
    EXPECT_STREQ(g.name, "Ladder");
    EXPECT_STREQ(g.map, "Plains");
    EXPECT_EQ(g.players, 2);
    EXPECT_EQ(g.maxPlayers, 8);
    EXPECT_EQ(g.status, 0);
    EXPECT_EQ(g.running, 0);
}

struct StatusCase {
    uint8_t byte;
    int running;
    int status;
    const char* type;
};

TEST(GameDatagrams, StatusByteGivesRunningAndType) {
    const StatusCase cases[] = {
        {0, 0, 0, "Game (0)"},           {4, 0, 4, "Game (4)"},
        {12, 1, 12, "Game (12)"},        {14, 1, 14, "Game (14)"},
        {1, -1, 1, "Game (1)"},          {2, -1, 2, "Game (2)"},
        {13, -1, 13, "Game (13)"},       {0x8C, -1, -116, "Watching replay"},
        {0xFF, -1, -1, "Game (-1)"},     {0x7F, -1, 127, "Game (127)"},
        {0x80, -1, -128, "Game (-128)"},
    };
    for (const StatusCase& c : cases) {
        AdvertShape shape;
        shape.status = c.byte;
        const GameInfo g = Parse(AdvertBytes(shape));
        EXPECT_EQ(g.running, c.running) << "status byte " << int(c.byte);
        EXPECT_EQ(g.status, c.status) << "status byte " << int(c.byte);
        EXPECT_EQ(GameTypeText(g.status), c.type) << "status byte " << int(c.byte);
    }
}

TEST(GameDatagrams, CountsAreReadFromTheEndAsSignedBytes) {
    Bytes d = ProductBytes(100, 'z');
    d[80] = 0x0D;
    d[92] = 0xFD;  // n - 8
    d[96] = 0x07;  // n - 4
    const GameInfo g = Parse(d);
    EXPECT_EQ(g.players, -3);
    EXPECT_EQ(g.maxPlayers, 7);
    EXPECT_STREQ(g.map, "zzzzz");  // bytes 81 .. 85 (n - 15)
}

TEST(GameDatagrams, MapIsTheTextBetweenTheLastCrAndNMinus15) {
    // The byte at n-21 is a CR and n-20 .. n-15 are six letters.
    Bytes d = ProductBytes(64, 'q');
    const int n = 64;
    d[n - 21] = 0x0D;
    memcpy(d.data() + n - 20, "Python", 6);
    const GameInfo g = Parse(d);
    EXPECT_STREQ(g.map, "Python");

    // A CR right at n-15 gives an empty map.
    Bytes atEnd = ProductBytes(64, 'q');
    atEnd[n - 15] = 0x0D;
    EXPECT_STREQ(Parse(atEnd).map, "");

    // The nearest CR wins; earlier ones do not matter.
    Bytes two = d;
    two[n - 18] = 0x0D;
    EXPECT_STREQ(Parse(two).map, "hon");  // the CR replaced the "t"
}

TEST(GameDatagrams, NameEndsAtZeroByteOrDatagramEndAndIsCut) {
    EXPECT_STREQ(Parse(AdvertBytes(std::string(32, 'N'), "M")).name, std::string(32, 'N').c_str());
    EXPECT_STREQ(Parse(AdvertBytes(std::string(40, 'N'), "M")).name, std::string(32, 'N').c_str());
    EXPECT_STREQ(Parse(AdvertBytes("", "M")).name, "");

    // No zero byte at all: the name runs to the end of the datagram, cut to the field.
    EXPECT_STREQ(Parse(ProductBytes(30, 'A')).name, std::string(10, 'A').c_str());
    EXPECT_STREQ(Parse(ProductBytes(100, 'A')).name, std::string(32, 'A').c_str());
    EXPECT_STREQ(Parse(ProductBytes(21, 'A')).name, "A");
}

TEST(GameDatagrams, MapWithoutCrOrInsideTheHeaderIsRefused) {
    // No CR anywhere.
    EXPECT_STREQ(Parse(ProductBytes(120, 'm')).map, "");
    // CRs only in the header: the scan does not go below offset 20.
    Bytes header = ProductBytes(120, 'm');
    for (int i = 12; i < 20; ++i)
        header[i] = 0x0D;
    EXPECT_STREQ(Parse(header).map, "");
    // A CR at offset 20 is still read: the map is everything from 21 to n-15.
    Bytes at20 = ProductBytes(40, 'm');
    at20[20] = 0x0D;
    EXPECT_STREQ(Parse(at20).map, std::string(40 - 15 - 20, 'm').c_str());
}

TEST(GameDatagrams, ShortAdvertisementsHaveNoMapAndStayInBounds) {
    for (int n = 21; n <= 35; ++n) {
        // CR everywhere outside the product id, so any scan into the header would find one.
        Bytes d = ProductBytes(static_cast<size_t>(n), 0x0D);
        d[n - 8] = static_cast<uint8_t>(n);
        d[n - 4] = static_cast<uint8_t>(-n);
        const GameInfo g = Parse(d);
        EXPECT_STREQ(g.map, "") << "n = " << n;
        EXPECT_EQ(g.players, n) << "n = " << n;
        EXPECT_EQ(g.maxPlayers, -n) << "n = " << n;
        EXPECT_EQ(Classify(d), GameDatagramKind::Game) << "n = " << n;
    }
    // From 36 bytes on, n-15 lies past the header and a CR at 20 opens a one-letter map.
    Bytes d = ProductBytes(36, 'k');
    d[20] = 0x0D;
    EXPECT_STREQ(Parse(d).map, "k");
}

TEST(GameDatagrams, LongMapKeepsItsFirst79Characters) {
    std::string map79, map80, map120;
    for (int i = 0; i < 120; ++i)
        map120 += static_cast<char>('a' + i % 26);
    map79 = map120.substr(0, 79);
    map80 = map120.substr(0, 80);
    EXPECT_STREQ(Parse(AdvertBytes("G", map79)).map, map79.c_str());
    EXPECT_STREQ(Parse(AdvertBytes("G", map80)).map, map79.c_str());
    EXPECT_STREQ(Parse(AdvertBytes("G", map120)).map, map79.c_str());
}

TEST(GameDatagrams, LargestAdvertisement) {
    AdvertShape shape;
    shape.name = std::string(32, 'G');
    shape.map = std::string(60, 'P');
    shape.players = 5;
    shape.maxPlayers = 6;
    shape.status = 12;
    Bytes d = AdvertBytes(shape);
    ASSERT_LT(d.size(), 256u);
    // Pad the creator's fields so that the datagram is exactly 256 bytes.
    shape.fields = std::string(256 - d.size(), ',') + shape.fields;
    d = AdvertBytes(shape);
    ASSERT_EQ(d.size(), 256u);
    const GameInfo g = Parse(d);
    EXPECT_STREQ(g.name, shape.name.c_str());
    EXPECT_STREQ(g.map, shape.map.c_str());
    EXPECT_EQ(g.players, 5);
    EXPECT_EQ(g.maxPlayers, 6);
    EXPECT_EQ(g.running, 1);
    EXPECT_EQ(d[248], 5);
    EXPECT_EQ(d[252], 6);
}

TEST(GameDatagrams, SenderAddressIsCopiedAndCut) {
    EXPECT_STREQ(Parse(AdvertBytes("G", "M"), "10.0.0.7").address, "10.0.0.7");
    const std::string longAddress(40, '9');
    EXPECT_STREQ(Parse(AdvertBytes("G", "M"), longAddress.c_str()).address, std::string(31, '9').c_str());
    EXPECT_STREQ(Parse(AdvertBytes("G", "M"), nullptr).address, "");
}

TEST(GameDatagrams, TextsAfterAZeroInsideTheMapEndTheMap) {
    Bytes d = AdvertBytes("G", "Lost");
    // Put a zero inside the map bytes: the record's text ends there.
    const size_t n = d.size();
    d[n - 15 - 1] = 0;  // "Lo\0t"
    EXPECT_STREQ(Parse(d).map, "Lo");
}
