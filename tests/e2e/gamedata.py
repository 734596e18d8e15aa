"""The game's LAN search datagrams on UDP 6111 as the fake hosts send them, and what KVL SE is expected to make of
them (a reference decoder for the checks of the end-to-end tests)."""
import random

GAME_PORT = 6111
PEER_PORT = 6666
GAME_SEARCH = bytes.fromhex("d01c1400 02000000 50584553 bb000000 00000000")
assert len(GAME_SEARCH) == 20
PRODUCT_ID = b"PXES"
MAX_DATAGRAM = 256

STATUS_WAITING = 0
STATUS_RUNNING = 12
STATUS_REPLAY = 0x8C


def idle_search(variant=1):
    """A 20-byte search as a game client sends it: the product id at 8, and not byte-equal to KVL SE's own."""
    d = bytearray(GAME_SEARCH)
    d[12] = 0xCD  # another game version
    d[16] = variant & 0xFF
    assert bytes(d) != GAME_SEARCH
    return bytes(d)


def advertisement(name, map_name, players, max_players, status=STATUS_WAITING, length=None, creator=b"host",
                  map_cr=True):
    """A game host's answer: status at 16, the name from 20 up to a zero byte, the map ending at n-15 after a CR,
    players at n-8 and the maximum at n-4. length pads the bytes between the name and the map (never with a CR)."""
    name = name.encode("latin-1") if isinstance(name, str) else name
    map_name = map_name.encode("latin-1") if isinstance(map_name, str) else map_name
    head = bytearray(20)
    head[0:2] = b"\xd0\x1c"
    head[4] = 1
    head[8:12] = PRODUCT_ID
    head[12] = 0xCD
    head[16] = status & 0xFF
    middle = b",44,,3,,1e,,1," + creator + (b"\r" if map_cr else b"")
    tail = b"\x00" * 6 + bytes([players & 0xFF, 0, 0, 0, max_players & 0xFF, 0, 0, 0])
    body = name + b"\x00" + middle
    n = 20 + len(body) + len(map_name) + len(tail)
    if length is not None:
        if length < n:
            raise ValueError("advertisement longer than %d bytes" % length)
        body = name + b"\x00" + b"x" * (length - n) + middle
    d = bytes(head) + body + map_name + tail
    assert length is None or len(d) == length
    assert len(d) > 20
    return d


def s8(b):
    return b - 256 if b > 127 else b


def type_text(status):
    status = s8(status)
    return "Watching replay" if status == -116 else "Game (%d)" % status


def running_of(status):
    status = s8(status)
    if status in (0, 4):
        return 0
    if status in (12, 14):
        return 1
    return -1


def classify(d):
    """'game', 'idle' or None, as the receive path sorts a datagram (one longer than 256 bytes is never read)."""
    if len(d) > MAX_DATAGRAM or len(d) < 12 or d[8:12] != PRODUCT_ID:
        return None
    if len(d) > 20:
        return "game"
    if len(d) == 20 and d != GAME_SEARCH:
        return "idle"
    return None


def decode(d):
    """The fields of an advertisement that the program shows, where they are fixed whatever the program does with
    names and maps that do not fit: name_full (up to the zero byte or the end), map_full (None when the backward
    scan meets no CR before it reaches the 20-byte header, whose bytes are not examined: the result is then open),
    players, max_players, status."""
    n = len(d)
    zero = d.find(b"\x00", 20)
    name_full = d[20:zero if zero >= 0 else n]
    map_full = None
    end = n - 15
    if end >= 20:
        cr = d.rfind(b"\r", 20, end + 1)
        if cr >= 20:
            map_full = d[cr + 1:end + 1]
    return {"name_full": name_full, "map_full": map_full, "players": s8(d[n - 8]), "max_players": s8(d[n - 4]),
            "status": d[16]}


def random_datagrams(rng, count, sources, max_len=2000):
    """(source, bytes) pairs of hostile content: plain noise of 0..max_len bytes, and noise that carries the product
    id so that it reaches the decoder (20-byte searches, advertisements of 21..300 bytes, short ones)."""
    out = []
    for _ in range(count):
        src = rng.choice(sources)
        kind = rng.random()
        if kind < 0.35:
            d = rng.randbytes(rng.randint(0, max_len))
        else:
            if kind < 0.45:
                n = 20
            elif kind < 0.5:
                n = rng.randint(12, 19)
            elif kind < 0.9:
                n = rng.randint(21, 256)
            else:
                n = rng.randint(257, 300)
            b = bytearray(rng.randbytes(n))
            b[8:12] = PRODUCT_ID
            if rng.random() < 0.5 and n > 40:
                # Give half of them texts and a CR somewhere, as a real advertisement has.
                b[rng.randint(21, n - 16)] = 0
                b[rng.randint(20, n - 15)] = 13
            d = bytes(b)
        out.append((src, d))
    return out


def seeded(seed):
    return random.Random(seed)
