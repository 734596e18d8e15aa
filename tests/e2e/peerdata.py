"""KVL SE's own protocol on UDP 6666 as a raw peer speaks it, written from the wire layout alone: 32-bit
little-endian numbers, zero-terminated 8-bit texts in zero-filled fields.

  header      version (signed, 45168) at 0, type at 4
  query       type 0, "ping!" in a 32-byte field: 40 bytes
  presence    type 1, name[32] at 8, sign[64] at 40, game state at 104: 108 bytes
  texts       type 2 (to everybody) or 3 (to one address): the text at 8, its zero, 31 more zero bytes
"""
import struct

PEER_PORT = 6666
VERSION = 45168
QUERY, PRESENCE, TEXT_ALL, TEXT_PRIVATE = 0, 1, 2, 3


def header(type_, version=VERSION):
    return struct.pack("<iI", version, type_ & 0xFFFFFFFF) if version < 2 ** 31 else struct.pack(
        "<II", version, type_ & 0xFFFFFFFF)


def query(version=VERSION):
    return header(QUERY, version) + b"ping!" + b"\0" * 27


def field(text, width):
    text = text.encode("latin-1") if isinstance(text, str) else text
    return text[:width] + b"\0" * (width - min(len(text), width))


def presence(name, sign, state=0, version=VERSION):
    """A presence; name and sign fill their fields as given (no terminator when they are as wide as the field)."""
    return header(PRESENCE, version) + field(name, 32) + field(sign, 64) + struct.pack("<I", state & 0xFFFFFFFF)


def text(message, type_=TEXT_ALL, version=VERSION):
    message = message.encode("latin-1") if isinstance(message, str) else message
    return header(type_, version) + message + b"\0" * 32


def decode(d):
    """{version, type, ...} of a datagram the program sent."""
    out = {"length": len(d)}
    if len(d) >= 8:
        out["version"], out["type"] = struct.unpack("<iI", d[:8])
    if out.get("type") == PRESENCE and len(d) >= 108:
        out["name"] = d[8:40].split(b"\0", 1)[0]
        out["sign"] = d[40:104].split(b"\0", 1)[0]
        out["state"] = struct.unpack("<I", d[104:108])[0]
    elif out.get("type") in (TEXT_ALL, TEXT_PRIVATE, QUERY):
        out["text"] = d[8:].split(b"\0", 1)[0]
    return out
