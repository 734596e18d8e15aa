// The messenger's datagrams: the bytes of what we send, and the sorting and decoding of what arrives, by tables of
// the protocol's edge cases. Datagrams are handed over in buffers of exactly their length, so a read past the
// received length is caught by the address sanitizer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "peer/PeerDatagrams.h"
#include "tests/unit/PeerDatagramBuilder.h"
#include "tests/unit/TestNames.h"

using namespace kvltest;

namespace {

Bytes Hex(const std::string& hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

// A heap copy of exactly n bytes (n <= size), so that the sanitizer sees any read beyond n.
std::unique_ptr<uint8_t[]> Exact(const Bytes& d, size_t n) {
    auto copy = std::make_unique<uint8_t[]>(n == 0 ? 1 : n);
    if (n > 0)
        std::memcpy(copy.get(), d.data(), n);
    return copy;
}

TEST(PeerDatagrams, TheQueryIsFortyBytesOfVersionTypeAndPing) {
    Bytes expected = Hex("70B00000 00000000 70696E6721");
    expected.resize(40, 0);
    EXPECT_EQ(Bytes(PeerQuery, PeerQuery + sizeof(PeerQuery)), expected);
}

struct PresenceCase {
    const char* label;
    std::string name, sign;
    uint32_t state;
    std::string nameField, signField;  // what the fields hold before their zero bytes
};

class PresenceBuilder : public ::testing::TestWithParam<PresenceCase> {};

TEST_P(PresenceBuilder, FieldsAreCutSoTheirZeroFits) {
    const PresenceCase& c = GetParam();
    const PeerBytes d = BuildPresence(c.name, c.sign, c.state);
    ASSERT_EQ(d.size(), 108u);
    Bytes expected = Hex("70B00000 01000000");
    expected.resize(108, 0);
    std::copy(c.nameField.begin(), c.nameField.end(), expected.begin() + 8);
    std::copy(c.signField.begin(), c.signField.end(), expected.begin() + 40);
    PutLE32(expected, 104, c.state);
    EXPECT_EQ(Bytes(d.begin(), d.end()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PresenceBuilder,
    ::testing::Values(PresenceCase{"three letters", "Bob", "gl hf", 0, "Bob", "gl hf"},
                      PresenceCase{"empty", "", "", 1, "", ""},
                      PresenceCase{"longest name and sign", std::string(31, 'n'), std::string(63, 's'), 2,
                                   std::string(31, 'n'), std::string(63, 's')},
                      PresenceCase{"32-byte name", std::string(32, 'n'), "x", 2, std::string(31, 'n'), "x"},
                      PresenceCase{"64-byte sign", "a", std::string(64, 's'), 0, "a", std::string(63, 's')},
                      PresenceCase{"long texts", std::string(300, 'N'), std::string(300, 'S'), 0xFFFFFFFFu,
                                   std::string(31, 'N'), std::string(63, 'S')},
                      PresenceCase{"high-bit bytes", "\x99\xE9t\xE9", "\xFF", 1, "\x99\xE9t\xE9", "\xFF"}),
    [](const ::testing::TestParamInfo<PresenceCase>& param) { return kvltest::RowName(param.param.label); });

TEST(PeerDatagrams, TextsAreTheirLengthPlusForty) {
    struct {
        uint32_t type;
        std::string text;
        std::string hexHead;
        size_t size;
    } cases[] = {
        {PEER_TEXT_ALL, "hello", "70B00000 02000000 68656C6C6F", 45},
        {PEER_TEXT_PRIVATE, "hello", "70B00000 03000000 68656C6C6F", 45},
        {PEER_TEXT_ALL, "", "70B00000 02000000", 40},
        {PEER_TEXT_ALL, std::string("ab\0cd", 5), "70B00000 02000000 6162", 42},  // ends at its zero
        {PEER_TEXT_PRIVATE, std::string(255, 'z'), "70B00000 03000000", 295},
    };
    for (const auto& c : cases) {
        const PeerBytes d = BuildText(c.type, c.text);
        Bytes expected = Hex(c.hexHead);
        if (c.text.size() == 255)
            expected.insert(expected.end(), 255, 'z');
        expected.resize(c.size, 0);
        EXPECT_EQ(Bytes(d.begin(), d.end()), expected) << c.text.size() << " bytes of type " << c.type;
    }
}

struct ClassifyCase {
    const char* label;
    Bytes bytes;
    int n;  // the received length; -2: the bytes' own size
    PeerDatagramKind kind;
};

TEST(PeerDatagrams, SortingByVersionThenType) {
    using K = PeerDatagramKind;
    const ClassifyCase cases[] = {
        {"bare 8-byte query", PeerHeader(45168, 0), -2, K::Query},
        {"40-byte query", Bytes(PeerQuery, PeerQuery + 40), -2, K::Query},
        {"bare 8-byte presence", PeerHeader(45168, 1), -2, K::Presence},
        {"text to all", PeerTextBytes(2, "hi"), -2, K::Message},
        {"private text", PeerTextBytes(3, "hi"), -2, K::Message},
        {"type 5", PeerTextBytes(5, "hi"), -2, K::Message},
        {"type with top bit", PeerHeader(45168, 0x80000000u), -2, K::Message},
        {"version only: type reads 0", PeerHeader(45168, 1), 4, K::Query},
        {"newer query", PeerHeader(45169, 0), -2, K::NewerVersion},
        {"newer presence", PeerPresenceBytes("x", "y", 0, 45169), -2, K::NewerVersion},
        {"newer, 4 bytes only", PeerHeader(45169, 2), 4, K::NewerVersion},
        {"largest positive version", PeerHeader(0x7FFFFFFF, 0), -2, K::NewerVersion},
        {"older", PeerHeader(45167, 0), -2, K::Drop},
        {"version 0", PeerHeader(0, 0), -2, K::Drop},
        {"top bit set", PeerHeader(0x8000B070u, 0), -2, K::Drop},
        {"all ones", PeerHeader(0xFFFFFFFFu, 1), -2, K::Drop},
        {"three bytes of the version: the fourth reads 0", PeerHeader(45168, 1), 3, K::Query},
        {"one byte of the version", PeerHeader(45168, 0), 1, K::Drop},
        {"empty", Bytes(), 0, K::Drop},
        {"failed receive", PeerHeader(45168, 0), -1, K::Drop},
    };
    for (const ClassifyCase& c : cases) {
        const size_t n = c.n == -2 ? c.bytes.size() : static_cast<size_t>(std::max(c.n, 0));
        auto exact = Exact(c.bytes, n);
        EXPECT_EQ(ClassifyPeerDatagram(exact.get(), c.n == -2 ? static_cast<int>(n) : c.n), c.kind) << c.label;
    }
}

struct PresenceParseCase {
    const char* label;
    Bytes bytes;
    int n;
    std::string name, sign;
    uint32_t state;
};

TEST(PeerDatagrams, PresenceFieldsAreReadWithinTheirFieldsAndTheReceivedLength) {
    Bytes unterminated = PeerPresenceBytes(std::string(32, 'N'), std::string(64, 'S'), 2);
    Bytes shortSign = PeerPresenceBytes("Bob", std::string(64, 'S'), 1);
    const PresenceParseCase cases[] = {
        {"bare header", PeerHeader(45168, 1), 8, "", "", 0},
        {"whole", PeerPresenceBytes("Bob", "gl hf", 2), 108, "Bob", "gl hf", 2},
        {"no zero in either field", unterminated, 108, std::string(31, 'N'), std::string(63, 'S'), 2},
        {"cut inside the sign", shortSign, 50, "Bob", std::string(10, 'S'), 0},
        {"cut inside the name", PeerPresenceBytes("Alexander", "x", 1), 12, "Alex", "", 0},
        {"cut inside the state", PeerPresenceBytes("a", "b", 0x01020304), 106, "a", "b", 0x0304},
        {"state outside 0 to 2", PeerPresenceBytes("a", "b", 7), 108, "a", "b", 7},
    };
    for (const PresenceParseCase& c : cases) {
        auto exact = Exact(c.bytes, static_cast<size_t>(c.n));
        auto user = std::make_unique<PeerUser>();
        std::memset(user.get(), 0xAA, sizeof(PeerUser));
        ParsePresence(exact.get(), c.n, "10.77.0.9", *user);
        EXPECT_STREQ(user->address, "10.77.0.9") << c.label;
        EXPECT_EQ(std::string(user->name), c.name) << c.label;
        EXPECT_EQ(std::string(user->sign), c.sign) << c.label;
        EXPECT_EQ(user->state, c.state) << c.label;
    }
}

TEST(PeerDatagrams, AnOverlongSenderAddressIsCutToItsField) {
    PeerUser user;
    const std::string address(40, '7');
    ParsePresence(nullptr, -1, address.c_str(), user);
    EXPECT_EQ(std::string(user.address), std::string(31, '7'));
    EXPECT_STREQ(user.name, "");
}

TEST(PeerDatagrams, MessageTextsEndAtTheirZeroOrAtTheReceivedEnd) {
    const Bytes noZero = PeerRaw(45168, 2, std::string(600, 'q'));
    const struct {
        const char* label;
        Bytes bytes;
        int n;
        std::string text;
    } cases[] = {
        {"terminated", PeerTextBytes(2, "hello"), 45, "hello"},
        {"empty", PeerTextBytes(2, ""), 40, ""},
        {"header only", PeerHeader(45168, 2), 8, ""},
        {"without a zero", PeerRaw(45168, 3, "abc"), 11, "abc"},
        {"longer than the receive buffer", noZero, 608, std::string(504, 'q')},
        {"slash command", PeerTextBytes(2, "/quit"), 45, "/quit"},
        {"failed receive", PeerTextBytes(2, "x"), -1, ""},
    };
    for (const auto& c : cases) {
        auto exact = Exact(c.bytes, static_cast<size_t>(std::max(c.n, 0)));
        EXPECT_EQ(PeerMessageText(exact.get(), c.n), c.text) << c.label;
    }
}

}  // namespace
