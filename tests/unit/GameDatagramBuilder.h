// Builds the game's port-6111 datagrams for the tests: searches, and advertisements laid out as the game lays
// them out (header, name, text fields ending in CR, map name, a 14-byte tail with the player counts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gamemon/GameDatagrams.h"

namespace kvltest {

using Bytes = std::vector<uint8_t>;

inline Bytes SearchQueryBytes() { return Bytes(GameSearchQuery, GameSearchQuery + GAME_SEARCH_SIZE); }

// A 20-byte search of a game client: the query with another value in a field the system does not test.
inline Bytes IdleSearchBytes(uint8_t variant = 1) {
    Bytes d = SearchQueryBytes();
    d[12] = static_cast<uint8_t>(0xBB ^ variant);
    return d;
}

// n bytes of fill with "PXES" at offset 8.
inline Bytes ProductBytes(size_t n, uint8_t fill = 0) {
    Bytes d(n, fill);
    const char* id = "PXES";
    for (size_t i = 0; i < 4 && 8 + i < n; ++i)
        d[8 + i] = static_cast<uint8_t>(id[i]);
    return d;
}

struct AdvertShape {
    std::string name = "Ladder";
    std::string map = "Plains";
    uint8_t status = 0;
    uint8_t players = 2;
    uint8_t maxPlayers = 8;
    std::string fields = ",44,,3,,1e,,1,cb6f6e0a,4,,Host\r";  // the creator's text fields; ends with the CR
};

inline Bytes AdvertBytes(const AdvertShape& shape) {
    Bytes d = ProductBytes(20);
    d[0] = 0xD0;
    d[1] = 0x1C;
    d[4] = 0x02;
    d[16] = shape.status;
    d.insert(d.end(), shape.name.begin(), shape.name.end());
    d.push_back(0);
    d.insert(d.end(), shape.fields.begin(), shape.fields.end());
    d.insert(d.end(), shape.map.begin(), shape.map.end());
    // The tail: bytes n-14 .. n-1; the map ends at n-15, the counts are at n-8 and n-4.
    Bytes tail(14, 0);
    tail[0] = 0x0D;
    tail[6] = shape.players;
    tail[10] = shape.maxPlayers;
    d.insert(d.end(), tail.begin(), tail.end());
    d[2] = static_cast<uint8_t>(d.size() & 0xFF);
    d[3] = static_cast<uint8_t>(d.size() >> 8);
    return d;
}

inline Bytes AdvertBytes(const std::string& name, const std::string& map, uint8_t players = 2, uint8_t maxPlayers = 8,
                         uint8_t status = 0) {
    AdvertShape shape;
    shape.name = name;
    shape.map = map;
    shape.players = players;
    shape.maxPlayers = maxPlayers;
    shape.status = status;
    return AdvertBytes(shape);
}

}  // namespace kvltest
