// The messenger's datagrams: building the query, presence and texts byte by byte, and sorting and decoding what
// arrives on port 6666. Every read is bounded by the received length and by the receive size.
#include "peer/PeerDatagrams.h"

#include <algorithm>
#include <cstring>

const uint8_t PeerQuery[PEER_QUERY_SIZE] = {
    0x70, 0xB0, 0x00, 0x00,       // version 45168
    0x00, 0x00, 0x00, 0x00,       // type 0
    'p',  'i',  'n',  'g',  '!',  // then 27 zero bytes
};

namespace {

static_assert(PEER_VERSION == 0xB070, "the protocol's version");

// The received length as the reader may use it: nothing before 0, nothing past the receive size.
size_t Readable(int n) {
    if (n <= 0)
        return 0;
    return std::min(static_cast<size_t>(n), PEER_RECEIVE_SIZE);
}

uint32_t U32At(const uint8_t* datagram, int n, size_t pos) {
    const size_t end = Readable(n);
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        const size_t at = pos + i;
        const uint32_t byte = (datagram && at < end) ? datagram[at] : 0;
        value |= byte << (8 * i);
    }
    return value;
}

void PutU32(PeerBytes& d, size_t pos, uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
        d[pos + i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutHeader(PeerBytes& d, uint32_t type) {
    PutU32(d, PEER_VERSION_OFFSET, static_cast<uint32_t>(PEER_VERSION));
    PutU32(d, PEER_TYPE_OFFSET, type);
}

// A received text field: from pos up to its zero, the field's last usable byte, or the received end.
void CopyReceivedField(char* field, size_t fieldSize, const uint8_t* datagram, int n, size_t pos) {
    memset(field, 0, fieldSize);
    const size_t end = Readable(n);
    if (!datagram || pos >= end)
        return;
    const size_t limit = std::min(fieldSize - 1, end - pos);
    size_t len = 0;
    while (len < limit && datagram[pos + len] != 0)
        ++len;
    memcpy(field, datagram + pos, len);
}

}  // namespace

void CopyField(char* field, size_t fieldSize, const char* text) {
    memset(field, 0, fieldSize);
    if (!text || fieldSize == 0)
        return;
    memcpy(field, text, strnlen(text, fieldSize - 1));
}

PeerBytes BuildPresence(const std::string& name, const std::string& sign, GameWindowState state) {
    PeerBytes d(PEER_PRESENCE_SIZE, 0);
    PutHeader(d, PEER_PRESENCE);
    CopyField(reinterpret_cast<char*>(d.data() + PEER_NAME_OFFSET), PEER_NAME_FIELD, name.c_str());
    CopyField(reinterpret_cast<char*>(d.data() + PEER_SIGN_OFFSET), PEER_SIGN_FIELD, sign.c_str());
    PutU32(d, PEER_STATE_OFFSET, state);
    return d;
}

PeerBytes BuildText(uint32_t type, const std::string& text) {
    const size_t len = strlen(text.c_str());
    PeerBytes d(len + PEER_TEXT_OVERHEAD, 0);
    PutHeader(d, type);
    memcpy(d.data() + PEER_TEXT_OFFSET, text.data(), len);
    return d;
}

int32_t PeerVersion(const uint8_t* datagram, int n) {
    return static_cast<int32_t>(U32At(datagram, n, PEER_VERSION_OFFSET));
}

uint32_t PeerType(const uint8_t* datagram, int n) { return U32At(datagram, n, PEER_TYPE_OFFSET); }

PeerDatagramKind ClassifyPeerDatagram(const uint8_t* datagram, int n) {
    // Signed: a version with the top bit set is smaller, and a failed receive reads as version 0.
    const int32_t version = PeerVersion(datagram, n);
    if (version > PEER_VERSION)
        return PeerDatagramKind::NewerVersion;
    if (version < PEER_VERSION)
        return PeerDatagramKind::Drop;
    switch (PeerType(datagram, n)) {
    case PEER_QUERY:
        return PeerDatagramKind::Query;
    case PEER_PRESENCE:
        return PeerDatagramKind::Presence;
    default:
        return PeerDatagramKind::Message;
    }
}

void ParsePresence(const uint8_t* datagram, int n, const char* senderAddress, PeerUser& user) {
    memset(&user, 0, sizeof(user));
    CopyField(user.address, sizeof(user.address), senderAddress);
    // Each text stops at its own field's end, so a name without a zero never runs on into the sign.
    CopyReceivedField(user.name, sizeof(user.name), datagram, n, PEER_NAME_OFFSET);
    CopyReceivedField(user.sign, sizeof(user.sign), datagram, n, PEER_SIGN_OFFSET);
    user.state = U32At(datagram, n, PEER_STATE_OFFSET);
}

std::string PeerMessageText(const uint8_t* datagram, int n) {
    const size_t end = Readable(n);
    if (!datagram || end <= PEER_TEXT_OFFSET)
        return std::string();
    const uint8_t* text = datagram + PEER_TEXT_OFFSET;
    const size_t room = end - PEER_TEXT_OFFSET;
    const size_t len = strnlen(reinterpret_cast<const char*>(text), room);
    return std::string(reinterpret_cast<const char*>(text), len);
}
