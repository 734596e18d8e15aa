#!/usr/bin/env python3
"""Hostile datagrams on the game port of the real program under Wine: bursts of random datagrams of 0 to 2,000
bytes at full speed, outside and during a refresh. The program keeps answering, and what it lists is well formed:
every record comes from a datagram that was sent, decoded as the game's rules say, once per address."""
import os
import time
import unittest

import gamedata as G
import harness as H

KVL = "10.77.0.2"
SOURCES = ["10.77.4.%d" % i for i in range(1, 51)]
VALID = "10.77.4.200"
VALID_AD = G.advertisement("Valid", "Plains", 3, 8)
BURST = 2000


class BadInputTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.h = H.Harness("badinput")
        cls.kvl = cls.h.host("kvl", KVL)
        cls.noise = cls.h.host("noise", SOURCES + [VALID]).fakelan()
        # A refresh long enough for a burst on a busy machine, and the good datagrams after it.
        cls.p = cls.kvl.start_kvl(registry=H.settings(RefreshTimeout=8000, RefreshAuto=0))
        cls.p.wait_ready(60)
        cls.sent = {}

    @classmethod
    def tearDownClass(cls):
        cls.h.close()

    def prepare(self, seed):
        """A file of BURST random datagrams (and their record for the checks)."""
        datagrams = G.random_datagrams(G.seeded(seed), BURST, SOURCES)
        for src, d in datagrams:
            self.sent.setdefault(src, []).append(d)
        path = os.path.join(self.h.workdir, "burst-%d.txt" % seed)
        with open(path, "w") as f:
            f.writelines("%s %s\n" % (src, d.hex()) for src, d in datagrams)
        return path

    def burst(self, path):
        """Sends a prepared burst at full speed while the test keeps talking to the window; the round-trip times
        of those calls."""
        self.noise.drain()
        self.noise.command(op="file", path=path, dst=KVL, rate=0)
        rtts = []
        done = None
        while done is None:
            t = time.time()
            self.p.ctl("sync")  # fails (time-out) if the window stalls
            rtts.append(time.time() - t)
            try:
                done = self.noise.wait_event("sent", 0.01)
            except TimeoutError:
                pass
        self.assertEqual(int(done[1]), BURST)
        self.assertTrue(self.p.alive())
        return rtts

    def mismatch(self, item, d):
        """Why the game item cannot come from datagram d, or None when it can."""
        f = G.decode(d)
        prefix = b"[%d/%d] " % (f["players"], f["max_players"])
        if not item.text.startswith(prefix):
            return "counts"
        name = item.text[len(prefix):]
        full = f["name_full"]
        if not (name == full or (len(full) > 32 and name == full[:32])):
            return "name %r from %r" % (name, full)
        texts = [c.text for c in item.children]
        if texts[2:] != [b"Type: " + G.type_text(f["status"]).encode(),
                         b"Status: " + (b"Waiting" if G.running_of(f["status"]) == 0 else b"Running")]:
            return "type or status %r" % texts[2:]
        shown_map = texts[1][len(b"Map: "):]
        if len(shown_map) > 79 or b"\0" in shown_map:
            return "map %r too long" % shown_map
        if f["map_full"] is not None:
            if shown_map not in f["map_full"]:
                return "map %r from %r" % (shown_map, f["map_full"])
            if len(f["map_full"]) <= 79 and b"\0" not in f["map_full"] and shown_map != f["map_full"]:
                return "map %r from %r" % (shown_map, f["map_full"])
        if item.image != (1 if G.running_of(f["status"]) == 0 else 2):
            return "image %d" % item.image
        return None

    def check_lists(self):
        roots = self.p.tree()
        self.assertEqual([r.text for r in roots], [b"Games", b"Waiting games", b"KVL's online"])
        games, idle = roots[0].children, roots[1].children
        seen = []
        for item in games:
            self.assertEqual(len(item.children), 4, item)
            self.assertTrue(item.children[0].text.startswith(b"Address: "))
            self.assertTrue(item.children[1].text.startswith(b"Map: "))
            src = item.children[0].text[len(b"Address: "):].decode()
            seen.append(src)
            candidates = [VALID_AD] if src == VALID else [d for d in self.sent.get(src, []) if G.classify(d) == "game"]
            why = [self.mismatch(item, d) for d in candidates]
            self.assertIn(None, why, "%r is not from a datagram sent by %s: %r" % (item, src, why))
        self.assertEqual(len(seen), len(set(seen)), "one game per address")
        self.assertIn(VALID, seen, "a good advertisement after the burst is still recorded")
        idle_addrs = [c.text[1:-1].decode() for c in idle]
        self.assertEqual(len(idle_addrs), len(set(idle_addrs)), "one idle player per address")
        for a in idle_addrs:
            self.assertTrue(a == VALID or any(G.classify(d) == "idle" for d in self.sent.get(a, [])), a)
        self.assertIn(VALID, idle_addrs)
        return seen, idle_addrs

    def test_1_outside_a_refresh(self):
        rtts = self.burst(self.prepare(1))
        print("outside a refresh: %d window round trips during the burst, longest %.3f s" % (len(rtts), max(rtts)))
        self.assertEqual(self.p.command(b"/games"), b"Current games: \r\n\r\n", "nothing is recorded between refreshes")
        self.assertEqual(self.p.command(b"/players"), b"Current idle players: \r\n\r\n")
        self.assertEqual(self.p.tree(), [], "no refresh has ended yet")

    def test_2_during_a_refresh(self):
        path = self.prepare(2)
        self.p.ctl("click", H.IDC_REFRESH)
        rtts = self.burst(path)
        print("during a refresh: %d window round trips during the burst, longest %.3f s" % (len(rtts), max(rtts)))
        self.assertFalse(self.p.is_enabled(H.IDC_REFRESH), "the refresh is still running")
        # A good advertisement and search after the burst are recorded once the program has read its way to them
        # (a full receive buffer drops what comes meanwhile): they come again until the refresh ends, and the same
        # datagram twice is one record.
        deadline = time.time() + 30
        while not self.p.is_enabled(H.IDC_REFRESH):
            self.assertLess(time.time(), deadline, "the refresh ends")
            self.noise.send(VALID, KVL, VALID_AD)
            self.noise.send(VALID, KVL, G.idle_search())
            time.sleep(0.1)
        games, idle = self.check_lists()
        print("recorded %d games and %d idle players from %d random datagrams" % (len(games), len(idle), BURST))

        listing = self.p.command(b"/games")
        self.assertTrue(listing.startswith(b"Current games: \r\n") and listing.endswith(b"\r\n\r\n"))
        self.assertIn(b" Valid (%s) [3/8] - Plains - waiting\r\n" % VALID.encode(), listing)
        players = self.p.command(b"/players")
        self.assertEqual(sorted(players.split(b"\r\n")[1:-2]), sorted(b" " + a.encode() for a in idle))

        # Another burst once the refresh is over changes nothing.
        self.burst(self.prepare(3))
        self.assertEqual(self.p.command(b"/games"), listing)
        self.assertEqual(self.check_lists(), (games, idle))

    def test_3_quit(self):
        self.assertEqual(self.p.quit(), 0)


if __name__ == "__main__":
    H.main()
