// libFuzzer target: arbitrary bytes as a received port-6111 datagram, through the sorting rule and the decoding of
// advertisements. The sanitizers catch reads outside the datagram; the checks below catch wrong or unterminated
// fields, writes past the record and a sorting that disagrees with its own tests.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "gamemon/GameDatagrams.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "datagram_fuzz: invariant violated: %s\n", what);
        abort();
    }
}

struct GuardedInfo {
    GameInfo info;
    uint8_t guard[32];
};

bool Terminated(const char* field, size_t size, size_t limit) {
    const size_t len = strnlen(field, size);
    return len < size && len <= limit;
}

// The map as the decoding defines it: after the nearest CR at offset 20 or above, up to n - 15, at most 79 bytes,
// ending early at a zero byte.
size_t ExpectedMap(const uint8_t* d, int n, const uint8_t** start) {
    *start = nullptr;
    const int end = n - 15;
    if (end < 20)
        return 0;
    int cr = end;
    while (cr >= 20 && d[cr] != 0x0D)
        --cr;
    if (cr < 20)
        return 0;
    *start = d + cr + 1;
    size_t len = static_cast<size_t>(end - cr);
    if (len > GAME_MAP_MAX)
        len = GAME_MAP_MAX;
    return strnlen(reinterpret_cast<const char*>(*start), len);
}

void CheckParse(const uint8_t* d, int n, const char* sender) {
    GuardedInfo g;
    memset(&g, 0x5A, sizeof(g));
    ParseGameInfo(d, n, sender, g.info);
    const GameInfo& info = g.info;

    for (uint8_t b : g.guard)
        Check(b == 0x5A, "write past the record");
    Check(Terminated(info.address, sizeof(info.address), sizeof(info.address) - 1), "address unterminated");
    Check(strncmp(info.address, sender, sizeof(info.address) - 1) == 0, "address is not the sender's");
    Check(Terminated(info.name, sizeof(info.name), GAME_NAME_MAX), "name unterminated or too long");
    Check(Terminated(info.map, sizeof(info.map), GAME_MAP_MAX), "map unterminated or too long");

    const size_t nameLen = strlen(info.name);
    if (n > 20) {
        Check(memcmp(info.name, d + 20, nameLen) == 0, "name is not the bytes at offset 20");
        const bool endsAtZero = 20 + static_cast<int>(nameLen) < n && d[20 + nameLen] == 0;
        const bool endsAtEnd = 20 + static_cast<int>(nameLen) == n;
        Check(endsAtZero || endsAtEnd || nameLen == GAME_NAME_MAX, "name ends early");
        Check(info.status == static_cast<int8_t>(d[16]), "status is not byte 16");
    } else {
        Check(nameLen == 0, "a name from a datagram of 20 bytes or less");
    }
    if (n >= 8)
        Check(info.players == static_cast<int8_t>(d[n - 8]), "players is not byte n-8");
    if (n >= 4)
        Check(info.maxPlayers == static_cast<int8_t>(d[n - 4]), "maxPlayers is not byte n-4");

    const uint8_t s = static_cast<uint8_t>(info.status);
    const int running = (s == 0 || s == 4) ? 0 : (s == 12 || s == 14) ? 1 : -1;
    Check(info.running == running, "running does not follow the status");

    const uint8_t* mapStart = nullptr;
    const size_t mapLen = ExpectedMap(d, n, &mapStart);
    Check(strlen(info.map) == mapLen, "map length");
    Check(mapLen == 0 || memcmp(info.map, mapStart, mapLen) == 0, "map text");

    const std::string type = GameTypeText(info.status);
    Check(!type.empty() && type.size() < 32, "type text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    // An exact-size copy: the sanitizer then flags any read past the received length.
    const int n = static_cast<int>(size);
    std::unique_ptr<uint8_t[]> d(new uint8_t[size ? size : 1]);
    if (size)
        memcpy(d.get(), data, size);

    const GameDatagramKind kind = ClassifyGameDatagram(d.get(), n);
    const bool product = HasGameProductId(d.get(), n);
    Check(product == (n >= 12 && memcmp(d.get() + 8, "PXES", 4) == 0), "product id test");
    Check(IsSearchQuery(d.get(), n) == (n >= 20 && memcmp(d.get(), GameSearchQuery, 20) == 0), "search test");
    switch (kind) {
    case GameDatagramKind::Game:
        Check(product && n > 20, "an advertisement without PXES or of 20 bytes or less");
        break;
    case GameDatagramKind::IdlePlayer:
        Check(product && n == 20 && !IsSearchQuery(d.get(), n), "an idle search that is not a foreign search");
        break;
    case GameDatagramKind::Drop:
        Check(!product || n < 20 || (n == 20 && IsSearchQuery(d.get(), n)), "a game datagram dropped");
        break;
    }

    // The decoding must hold for any length, not only for what the sorting lets through.
    CheckParse(d.get(), n, "192.168.100.200");
    CheckParse(d.get(), n, "0123456789012345678901234567890123456789");  // cut to the field
    // The failed-receive case of the receive path: n = -1 on a zeroed buffer.
    if (size == 0) {
        uint8_t zeroed[GAME_DATAGRAM_MAX] = {};
        Check(ClassifyGameDatagram(zeroed, -1) == GameDatagramKind::Drop, "a failed receive classified");
        CheckParse(zeroed, -1, "");
    }
    return 0;
}
