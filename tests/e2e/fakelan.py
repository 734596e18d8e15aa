#!/usr/bin/env python3
"""Fake game hosts and game clients on UDP 6111, and raw peers of KVL SE's own protocol on UDP 6666, run by the
end-to-end harness inside one host's network namespace.

One process serves every address of its namespace (a namespace may hold a thousand): a socket bound to 0.0.0.0:6111
hears the searches that KVL SE broadcasts, and each answer leaves from the address of the fake host it stands for
(IP_PKTINFO). A second socket, bound to 0.0.0.0:6666, reports every datagram that reaches it and lets fake peers
answer the program's queries with their presences. Driven by JSON lines on stdin; reports events as lines on stdout:

  {"op": "hosts", "hosts": [{"addr", "replies": [hex...], "idle": hex|null, "idle_to": "broadcast"|"unicast"}],
   "pace": datagrams per second (0: full speed)}      the fake hosts that answer every search from now on
  {"op": "peers", "peers": [{"addr", "presence": hex}], "pace"}   fake peers that answer every query (type 0)
  {"op": "send", "src", "dst", "port", "hex"}       one datagram (port 6666: from the peer socket, source port 6666)
  {"op": "file", "path", "dst", "port", "rate"}     the datagrams of a file of "source hex" lines
  {"op": "ping"} -> "pong";  {"op": "quit"}

Events: "ready", "hosts <count>", "peers <count>", "search <from> <time>", "peer <from> <hex>" (each datagram on
6666), "answered <to> <count> <errors> <seconds>",
"sent <count> <errors> <seconds>", "pong", "error <text>".
"""
import json
import os
import select
import socket
import struct
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gamedata  # noqa: E402

IP_PKTINFO = getattr(socket, "IP_PKTINFO", 8)  # Linux's value, for Pythons built without the name
_out_lock = threading.Lock()


def emit(line):
    with _out_lock:
        sys.stdout.write(line + "\n")
        sys.stdout.flush()


class FakeLan:
    def __init__(self):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 4 << 20)
        self.sock.bind(("0.0.0.0", gamedata.GAME_PORT))
        self.peer_sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.peer_sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.peer_sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.peer_sock.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 4 << 20)
        self.peer_sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4 << 20)
        self.peer_sock.bind(("0.0.0.0", gamedata.PEER_PORT))
        self.peers = []
        self.peer_pace = 0
        self.hosts = []
        self.pace = 0
        self.own = set()
        self.lock = threading.Lock()
        self.stop = False

    def send(self, src, dst, port, data):
        sock = self.peer_sock if port == gamedata.PEER_PORT else self.sock
        anc = []
        if src:
            anc = [(socket.IPPROTO_IP, IP_PKTINFO, struct.pack("@i4s4s", 0, socket.inet_aton(src), b"\0" * 4))]
        for attempt in range(200):
            try:
                sock.sendmsg([data], anc, 0, (dst, port))
                return True
            except (BlockingIOError, OSError) as e:
                # A full device queue at full speed: wait for it rather than lose the datagram.
                if getattr(e, "errno", None) not in (105, 11):  # ENOBUFS, EAGAIN
                    return False
                time.sleep(0.001)
        return False

    def paced(self, items, rate):
        start = time.monotonic()
        errors = 0
        for i, (src, dst, port, data) in enumerate(items):
            if rate:
                due = start + i / rate
                delay = due - time.monotonic()
                if delay > 0:
                    time.sleep(delay)
            if not self.send(src, dst, port, data):
                errors += 1
        return errors, time.monotonic() - start

    def answer(self, searcher):
        with self.lock:
            hosts = list(self.hosts)
            pace = self.pace
        items = []
        for h in hosts:
            for r in h.get("replies", []):
                items.append((h["addr"], searcher, gamedata.GAME_PORT, bytes.fromhex(r)))
            if h.get("idle"):
                dst = searcher if h.get("idle_to") == "unicast" else "255.255.255.255"
                items.append((h["addr"], dst, gamedata.GAME_PORT, bytes.fromhex(h["idle"])))
        if len(items) > 50:
            # Resolve the searcher's hardware address first: the kernel holds only a few datagrams while it asks.
            self.send(hosts[0]["addr"], searcher, 9, b"")
            time.sleep(0.05)
        errors, seconds = self.paced(items, pace)
        emit("answered %s %d %d %.6f" % (searcher, len(items), errors, seconds))

    def answer_query(self, querier):
        with self.lock:
            peers = list(self.peers)
            pace = self.peer_pace
        items = [(p["addr"], querier, gamedata.PEER_PORT, bytes.fromhex(p["presence"])) for p in peers]
        if len(items) > 50:
            self.send(peers[0]["addr"], querier, 9, b"")
            time.sleep(0.05)
        errors, seconds = self.paced(items, pace)
        emit("answered %s %d %d %.6f" % (querier, len(items), errors, seconds))

    def receive_peer(self):
        try:
            data, (addr, _port) = self.peer_sock.recvfrom(65535)
        except OSError:
            return
        emit("peer %s %s" % (addr, data.hex()))
        if len(data) >= 8 and data[:8] == b"\x70\xb0\x00\x00\x00\x00\x00\x00" and addr not in self.own:
            with self.lock:
                any_peers = bool(self.peers)
            if any_peers:
                threading.Thread(target=self.answer_query, args=(addr,), daemon=True).start()

    def receive_loop(self):
        while not self.stop:
            r, _, _ = select.select([self.sock, self.peer_sock], [], [], 0.2)
            if not r:
                continue
            if self.peer_sock in r:
                self.receive_peer()
                if self.sock not in r:
                    continue
            try:
                data, (addr, _port) = self.sock.recvfrom(65535)
            except OSError:
                continue
            if data == gamedata.GAME_SEARCH and addr not in self.own:
                emit("search %s %.6f" % (addr, time.time()))
                threading.Thread(target=self.answer, args=(addr,), daemon=True).start()

    def command(self, c):
        op = c.get("op")
        if op == "hosts":
            with self.lock:
                self.hosts = c["hosts"]
                self.pace = c.get("pace", 0)
                self.own = {h["addr"] for h in self.hosts} | set(c.get("own", []))
            emit("hosts %d" % len(self.hosts))
        elif op == "peers":
            with self.lock:
                self.peers = c["peers"]
                self.peer_pace = c.get("pace", 0)
                self.own = {h["addr"] for h in self.hosts} | {p["addr"] for p in self.peers} | set(c.get("own", []))
            emit("peers %d" % len(self.peers))
        elif op == "send":
            ok = self.send(c.get("src"), c["dst"], c.get("port", gamedata.GAME_PORT), bytes.fromhex(c["hex"]))
            emit("sent 1 %d 0" % (0 if ok else 1))
        elif op == "file":
            items = []
            with open(c["path"]) as f:
                for line in f:
                    src, hx = (line.split() + [""])[:2]
                    items.append((src, c["dst"], c.get("port", gamedata.GAME_PORT), bytes.fromhex(hx)))
            errors, seconds = self.paced(items, c.get("rate", 0))
            emit("sent %d %d %.6f" % (len(items), errors, seconds))
        elif op == "ping":
            emit("pong")
        elif op == "quit":
            return False
        else:
            emit("error unknown op %r" % op)
        return True


def main():
    lan = FakeLan()
    threading.Thread(target=lan.receive_loop, daemon=True).start()
    emit("ready")
    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        try:
            if not lan.command(json.loads(line)):
                break
        except Exception as e:  # report and go on: the harness reads the error line
            emit("error %s" % e)
    lan.stop = True


if __name__ == "__main__":
    main()
