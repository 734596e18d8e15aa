// libFuzzer target: arbitrary bytes as a received port-6666 datagram, through the sorting by version and type, the
// decoding of a presence and of a message text. The bytes are handed over in a buffer of exactly their length, so
// the sanitizers catch any read past the received length; the checks below compare with an oracle written from the
// wire layout and catch unterminated fields and writes past the record.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "peer/PeerDatagrams.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "peer_fuzz: invariant violated: %s\n", what);
        abort();
    }
}

struct GuardedUser {
    PeerUser user;
    uint8_t guard[32];
};

// Byte i of the datagram as the receiver sees it: zero past the received bytes or the 512-byte buffer.
uint8_t At(const uint8_t* d, size_t n, size_t i) { return i < n && i < 512 ? d[i] : 0; }

uint32_t U32(const uint8_t* d, size_t n, size_t i) {
    return At(d, n, i) | At(d, n, i + 1) << 8 | At(d, n, i + 2) << 16 | static_cast<uint32_t>(At(d, n, i + 3)) << 24;
}

// A text field as the oracle reads it: up to a zero, at most width - 1 bytes.
std::string Field(const uint8_t* d, size_t n, size_t at, size_t width) {
    std::string s;
    for (size_t i = 0; i + 1 < width && At(d, n, at + i) != 0; ++i)
        s.push_back(static_cast<char>(At(d, n, at + i)));
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto copy = std::make_unique<uint8_t[]>(size ? size : 1);
    if (size)
        memcpy(copy.get(), data, size);
    const uint8_t* d = copy.get();
    const int n = static_cast<int>(size);

    const int32_t version = static_cast<int32_t>(U32(d, size, 0));
    const uint32_t type = U32(d, size, 4);
    PeerDatagramKind expected = PeerDatagramKind::Drop;
    if (version > 45168)
        expected = PeerDatagramKind::NewerVersion;
    else if (version == 45168)
        expected = type == 0   ? PeerDatagramKind::Query
                   : type == 1 ? PeerDatagramKind::Presence
                               : PeerDatagramKind::Message;
    Check(ClassifyPeerDatagram(d, n) == expected, "sorting by version and type");

    GuardedUser guarded;
    memset(&guarded, 0xA5, sizeof(guarded));
    ParsePresence(d, n, "10.77.0.9", guarded.user);
    for (uint8_t g : guarded.guard)
        Check(g == 0xA5, "nothing written past the record");
    Check(strnlen(guarded.user.name, sizeof(guarded.user.name)) < sizeof(guarded.user.name), "name terminated");
    Check(strnlen(guarded.user.sign, sizeof(guarded.user.sign)) < sizeof(guarded.user.sign), "sign terminated");
    Check(guarded.user.name == Field(d, size, 8, 32), "name as the oracle reads it");
    Check(guarded.user.sign == Field(d, size, 40, 64), "sign as the oracle reads it");
    Check(guarded.user.state == U32(d, size, 104), "state");

    std::string text;
    for (size_t i = 8; At(d, size, i) != 0; ++i)
        text.push_back(static_cast<char>(At(d, size, i)));
    Check(PeerMessageText(d, n) == text, "message text");
    return 0;
}
