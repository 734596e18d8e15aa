// The messenger's datagrams on UDP 6666: the query, the presence answer and the two texts we send, and the sorting
// and decoding of what arrives. Every number is 32-bit little-endian; text fields are zero-terminated and zero-filled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/GameWindow.h"

constexpr uint16_t PEER_PORT = 6666;
constexpr int32_t PEER_VERSION = 45168;  // 0xB070

enum : uint32_t {
    PEER_QUERY = 0,
    PEER_PRESENCE = 1,
    PEER_TEXT_ALL = 2,
    PEER_TEXT_PRIVATE = 3,
};

// Offsets and widths of the fields.
constexpr size_t PEER_VERSION_OFFSET = 0;
constexpr size_t PEER_TYPE_OFFSET = 4;
constexpr size_t PEER_HEADER_SIZE = 8;
constexpr size_t PEER_TEXT_OFFSET = 8;
constexpr size_t PEER_NAME_OFFSET = 8;
constexpr size_t PEER_NAME_FIELD = 32;
constexpr size_t PEER_SIGN_OFFSET = 40;
constexpr size_t PEER_SIGN_FIELD = 64;
constexpr size_t PEER_STATE_OFFSET = 104;
constexpr size_t PEER_PRESENCE_SIZE = 108;
constexpr size_t PEER_QUERY_SIZE = 40;
// A text datagram is the header, the text, its zero and 31 more zero bytes: text length + 40.
constexpr size_t PEER_TEXT_OVERHEAD = 40;
// What the receive path looks at of a datagram; the rest of a longer one is not read.
constexpr size_t PEER_RECEIVE_SIZE = 512;

static_assert(PEER_NAME_OFFSET + PEER_NAME_FIELD == PEER_SIGN_OFFSET, "the sign follows the name");
static_assert(PEER_SIGN_OFFSET + PEER_SIGN_FIELD == PEER_STATE_OFFSET, "the state follows the sign");
static_assert(PEER_STATE_OFFSET + 4 == PEER_PRESENCE_SIZE, "the state ends the presence");
static_assert(PEER_HEADER_SIZE + 32 == PEER_QUERY_SIZE, "the query is the header and a 32-byte text field");

using PeerBytes = std::vector<uint8_t>;

// The query we broadcast at every refresh: version, type 0, "ping!" and 27 zero bytes.
extern const uint8_t PeerQuery[PEER_QUERY_SIZE];

// Another running copy (or our own) seen in the current refresh, keyed by its address.
struct PeerUser {
    char address[32];
    char name[32];
    char sign[64];
    uint32_t state;  // GameWindowState as sent; any value is kept
};
static_assert(sizeof(PeerUser) == 32 + 32 + 64 + 4, "PeerUser's fields are laid out without gaps");

// The presence answer from our settings; a name or sign too long for its field is cut so that its zero fits.
PeerBytes BuildPresence(const std::string& name, const std::string& sign, GameWindowState state);
// A text datagram of type PEER_TEXT_ALL or PEER_TEXT_PRIVATE: text length + 40 bytes. The text ends at its first
// zero byte, if it has one.
PeerBytes BuildText(uint32_t type, const std::string& text);

enum class PeerDatagramKind { Drop, NewerVersion, Query, Presence, Message };

// The datagram pointers below are valid for n bytes; n may be -1 (a failed receive) or 0. Bytes at or past n read as
// zero, as in a zeroed receive buffer; n is never taken beyond PEER_RECEIVE_SIZE.
int32_t PeerVersion(const uint8_t* datagram, int n);
uint32_t PeerType(const uint8_t* datagram, int n);
PeerDatagramKind ClassifyPeerDatagram(const uint8_t* datagram, int n);
// Fills a record from a presence: the sender's address, the name and sign each cut at its field's end (so that its
// zero fits), and the state.
void ParsePresence(const uint8_t* datagram, int n, const char* senderAddress, PeerUser& user);
// The text of a message: from offset 8 to its zero byte, or to the end of the received bytes when it has none.
std::string PeerMessageText(const uint8_t* datagram, int n);

// Copies text into a fixed field, cut so that the terminating zero fits; the rest of the field is zeroed.
void CopyField(char* field, size_t fieldSize, const char* text);
