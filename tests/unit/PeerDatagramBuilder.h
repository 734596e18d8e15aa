// Builds the messenger's port-6666 datagrams for the tests by hand, from the wire layout (little-endian numbers,
// zero-filled text fields), independently of the program's own builders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/GameDatagramBuilder.h"

namespace kvltest {

inline void PutLE32(Bytes& d, size_t pos, uint32_t v) {
    if (d.size() < pos + 4)
        d.resize(pos + 4, 0);
    for (int i = 0; i < 4; ++i)
        d[pos + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline Bytes PeerHeader(uint32_t version, uint32_t type) {
    Bytes d;
    PutLE32(d, 0, version);
    PutLE32(d, 4, type);
    return d;
}

// The header followed by raw bytes, no terminator added.
inline Bytes PeerRaw(uint32_t version, uint32_t type, const std::string& body) {
    Bytes d = PeerHeader(version, type);
    d.insert(d.end(), body.begin(), body.end());
    return d;
}

// A text datagram as a sender lays it out: header, text, 32 zero bytes.
inline Bytes PeerTextBytes(uint32_t type, const std::string& text, uint32_t version = 45168) {
    Bytes d = PeerRaw(version, type, text);
    d.resize(d.size() + 32, 0);
    return d;
}

// A 108-byte presence; name and sign are written as given and may fill their fields without a zero.
inline Bytes PeerPresenceBytes(const std::string& name, const std::string& sign, uint32_t state,
                               uint32_t version = 45168) {
    Bytes d = PeerHeader(version, 1);
    d.resize(108, 0);
    for (size_t i = 0; i < name.size() && i < 32; ++i)
        d[8 + i] = static_cast<uint8_t>(name[i]);
    for (size_t i = 0; i < sign.size() && i < 64; ++i)
        d[40 + i] = static_cast<uint8_t>(sign[i]);
    PutLE32(d, 104, state);
    return d;
}

}  // namespace kvltest
