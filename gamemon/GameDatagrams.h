// The game's LAN search datagrams on UDP 6111: the search we send, and the sorting and decoding of what arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint16_t GAME_SEARCH_PORT = 6111;
constexpr size_t GAME_SEARCH_SIZE = 20;
// Largest datagram the receive path reads; a longer one is a failed receive.
constexpr size_t GAME_DATAGRAM_MAX = 256;

extern const uint8_t GameSearchQuery[GAME_SEARCH_SIZE];

// One game seen in the current refresh, keyed by the sender's address.
struct GameInfo {
    char address[32];
    char name[33];
    int8_t running;  // 0 waiting, 1 running, -1 any other status
    int8_t status;   // the raw status byte
    int8_t maxPlayers;
    int8_t players;
    char map[83];
};
static_assert(sizeof(GameInfo) == 32 + 33 + 4 + 83, "GameInfo fields are packed chars");

// Longest texts kept from an advertisement; longer ones are cut.
constexpr size_t GAME_NAME_MAX = sizeof(GameInfo::name) - 1;
constexpr size_t GAME_MAP_MAX = 79;

// One game client seen searching for games in the current refresh.
struct IdlePlayer {
    char address[32];
};

enum class GameDatagramKind { Drop, Game, IdlePlayer };

// The datagram pointers below are valid for n bytes (n may be -1 for a failed receive, or 0).
bool HasGameProductId(const uint8_t* datagram, int n);
bool IsSearchQuery(const uint8_t* datagram, int n);
GameDatagramKind ClassifyGameDatagram(const uint8_t* datagram, int n);
// Fills a zeroed record from an advertisement of n > 20 bytes; reads nothing outside the n bytes.
void ParseGameInfo(const uint8_t* datagram, int n, const char* senderAddress, GameInfo& info);
std::string GameTypeText(int8_t status);
