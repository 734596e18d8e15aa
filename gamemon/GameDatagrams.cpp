// The game's LAN search datagrams: the constant search we broadcast, the sorting of what comes back on port 6111
// and the decoding of a game advertisement. Every read is bounded by the received length.
#include "gamemon/GameDatagrams.h"

#include <cstdio>
#include <cstring>

const uint8_t GameSearchQuery[GAME_SEARCH_SIZE] = {
    0xD0, 0x1C, 0x14, 0x00,  // fixed word, then the length (20)
    0x02, 0x00, 0x00, 0x00,  // fixed
    0x50, 0x58, 0x45, 0x53,  // "PXES", the game's product identifier
    0xBB, 0x00, 0x00, 0x00,  // fixed
    0x00, 0x00, 0x00, 0x00,  // fixed
};

namespace {

constexpr int PRODUCT_ID_OFFSET = 8;
constexpr int STATUS_OFFSET = 16;
constexpr int NAME_OFFSET = 20;
// The map name ends this many bytes before the end; the player counts sit at fixed distances from the end too.
constexpr int MAP_END_FROM_END = 15;
constexpr int PLAYERS_FROM_END = 8;
constexpr int MAX_PLAYERS_FROM_END = 4;
constexpr uint8_t CR = 0x0D;

static_assert(sizeof(GameSearchQuery) == 20, "the search datagram is 20 bytes");
static_assert(GAME_NAME_MAX == 32, "the name field holds 32 characters and the terminator");
static_assert(GAME_MAP_MAX < sizeof(GameInfo::map), "the map field keeps room for the terminator");

// The byte at pos as a signed 8-bit value; 0 for a place outside the datagram.
int8_t SignedByteAt(const uint8_t* datagram, int n, int pos) {
    if (!datagram || pos < 0 || pos >= n)
        return 0;
    return static_cast<int8_t>(datagram[pos]);
}

void CopyText(char* field, size_t fieldSize, const char* text) {
    size_t len = text ? strnlen(text, fieldSize - 1) : 0;
    memcpy(field, text ? text : "", len);
    field[len] = '\0';
}

int8_t RunningFromStatus(uint8_t status) {
    switch (status) {
    case 0:
    case 4:
        return 0;
    case 12:
    case 14:
        return 1;
    default:
        return -1;
    }
}

}  // namespace

bool HasGameProductId(const uint8_t* datagram, int n) {
    if (!datagram || n < PRODUCT_ID_OFFSET + 4)
        return false;
    return memcmp(datagram + PRODUCT_ID_OFFSET, "PXES", 4) == 0;
}

bool IsSearchQuery(const uint8_t* datagram, int n) {
    if (!datagram || n < static_cast<int>(GAME_SEARCH_SIZE))
        return false;
    return memcmp(datagram, GameSearchQuery, GAME_SEARCH_SIZE) == 0;
}

GameDatagramKind ClassifyGameDatagram(const uint8_t* datagram, int n) {
    // The product test comes first: a short or failed receive carries no "PXES" either.
    if (!HasGameProductId(datagram, n))
        return GameDatagramKind::Drop;
    const int searchSize = static_cast<int>(GAME_SEARCH_SIZE);
    if (n > searchSize)
        return GameDatagramKind::Game;
    if (n == searchSize)
        // Our own search, and those of other copies of this program, are byte-identical: not a game client.
        return IsSearchQuery(datagram, n) ? GameDatagramKind::Drop : GameDatagramKind::IdlePlayer;
    return GameDatagramKind::Drop;
}

void ParseGameInfo(const uint8_t* datagram, int n, const char* senderAddress, GameInfo& info) {
    memset(&info, 0, sizeof(info));
    CopyText(info.address, sizeof(info.address), senderAddress);

    const int8_t status = SignedByteAt(datagram, n, STATUS_OFFSET);
    info.status = status;
    info.running = RunningFromStatus(static_cast<uint8_t>(status));
    info.maxPlayers = SignedByteAt(datagram, n, n - MAX_PLAYERS_FROM_END);
    info.players = SignedByteAt(datagram, n, n - PLAYERS_FROM_END);

    if (!datagram || n <= NAME_OFFSET)
        return;

    // Game name: up to the first zero byte, or the end of the datagram when there is none; cut to the field.
    size_t nameLen = 0;
    while (NAME_OFFSET + static_cast<int>(nameLen) < n && nameLen < GAME_NAME_MAX &&
           datagram[NAME_OFFSET + nameLen] != 0)
        ++nameLen;
    memcpy(info.name, datagram + NAME_OFFSET, nameLen);
    info.name[nameLen] = '\0';

    // Map name: the bytes after the nearest CR before n - 15, up to n - 15. The scan stays out of the 20-byte
    // header; an advertisement without such a CR (or too short to hold one) gets no map name.
    const int mapEnd = n - MAP_END_FROM_END;
    if (mapEnd < NAME_OFFSET)
        return;
    int cr = mapEnd;
    while (cr >= NAME_OFFSET && datagram[cr] != CR)
        --cr;
    if (cr < NAME_OFFSET)
        return;
    size_t mapLen = static_cast<size_t>(mapEnd - cr);
    if (mapLen > GAME_MAP_MAX)
        mapLen = GAME_MAP_MAX;  // keep the beginning of an overlong name
    memcpy(info.map, datagram + cr + 1, mapLen);
    info.map[mapLen] = '\0';
}

std::string GameTypeText(int8_t status) {
    if (status == -116)  // the byte 0x8C
        return "Watching replay";
    char text[32];
    snprintf(text, sizeof(text), "Game (%d)", static_cast<int>(status));
    return text;
}
