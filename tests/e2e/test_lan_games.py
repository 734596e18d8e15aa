#!/usr/bin/env python3
"""LAN games on a simulated LAN: fake game hosts (several shapes of advertisement), idle game clients (broadcast and
unicast searches) and junk answer the search of the real program under Wine; the network status tree, the "/games"
and "/players" lines, the refresh button and commands, and the view kept across refreshes."""
import unittest

import gamedata as G
import harness as H
import peerdata as P

KVL = "10.77.0.2"
TIMEOUT_MS = 2000


def ad(name, map_name, players, max_players, status=G.STATUS_WAITING, **kw):
    return G.advertisement(name, map_name, players, max_players, status, **kw)


LONG_NAME = b"Lo" + b"n" * 30  # 32 bytes: the longest name that fits
LONG_MAP = b"M" + b"a" * 77 + b"p"  # 79 bytes
CUT_NAME = b"Cut" + b"t" * 36 + b"!"  # 40 bytes: only the first 32 are kept

# (address, advertisements in the order they are sent, expected game or None, idle search or None)
# A game is (name, map, players, max, type text, running).
GAME_HOSTS = [
    ("10.77.1.1", [ad("Ladder", "Plains", 2, 8)], (b"Ladder", b"Plains", 2, 8, "Game (0)", False)),
    ("10.77.1.2", [ad("Melee Fun", "Lost Temple", 3, 4, G.STATUS_RUNNING)],
     (b"Melee Fun", b"Lost Temple", 3, 4, "Game (12)", True)),
    ("10.77.1.3", [ad("Replay", "Big Game Hunters", 1, 8, G.STATUS_REPLAY)],
     (b"Replay", b"Big Game Hunters", 1, 8, "Watching replay", True)),
    ("10.77.1.4", [ad("Keep", "Python", 4, 8, 4)], (b"Keep", b"Python", 4, 8, "Game (4)", False)),
    ("10.77.1.5", [ad(LONG_NAME, LONG_MAP, 6, 8, length=256)], (LONG_NAME, LONG_MAP, 6, 8, "Game (0)", False)),
    ("10.77.1.6", [ad("TooLong", "Plains", 2, 8, length=300)], None),  # over 256 bytes: a failed receive
    ("10.77.1.7", [ad("First", "One", 1, 2), ad("Second", "Two", 2, 2)], (b"First", b"One", 1, 2, "Game (0)", False)),
    ("10.77.1.8", [ad("NoMap", "", 0, 4)], (b"NoMap", b"", 0, 4, "Game (0)", False)),
    ("10.77.1.9", [ad("Odd", "Island", 1, 1, 0xFF)], (b"Odd", b"Island", 1, 1, "Game (-1)", True)),
    ("10.77.1.10", [ad("Both", "Crossing", 2, 6)], (b"Both", b"Crossing", 2, 6, "Game (0)", False)),
    ("10.77.1.11", [], None),  # answers late, after the refresh
    ("10.77.1.12", [ad(CUT_NAME, "Jungle", 7, 8)], (CUT_NAME[:32], b"Jungle", 7, 8, "Game (0)", False)),
    ("10.77.1.13", [ad("Zeta", "Ice", 1, 4)], (b"Zeta", b"Ice", 1, 4, "Game (0)", False)),
    ("10.77.1.14", [ad("Alpha", "Desert", 2, 8)], (b"Alpha", b"Desert", 2, 8, "Game (0)", False)),
]
# Idle game clients: (address, sent to). 10.77.1.10 also hosts a game.
IDLE = [("10.77.0.5", "broadcast"), ("10.77.2.1", "broadcast"), ("10.77.2.2", "unicast"), ("10.77.1.10", "broadcast")]
# Junk from its own hosts: none of it may show anywhere.
JUNK = [
    ("10.77.3.1", [G.idle_search()[:19]]),  # 19 bytes with the product id
    ("10.77.3.2", [G.GAME_SEARCH[:8] + b"SEXP" + G.GAME_SEARCH[12:]]),  # the id reversed
    ("10.77.3.3", [G.GAME_SEARCH]),  # a copy of the program's own search, sent to it
    ("10.77.3.4", [b""]),
    ("10.77.3.5", [bytes(range(100))]),
    ("10.77.3.6", [b"XPXES" * 10]),  # the id, but not at offset 8
]


def game_text(g):
    return b"[%d/%d] " % (g[2], g[3]) + g[0]


def games_line(addr, g):
    return b" %s (%s) [%d/%d] - %s - %s" % (g[0], addr.encode(), g[2], g[3], g[1], b"running" if g[5] else b"waiting")


def sort_key(text):
    # The tree view's own collation; the texts here differ first in letters or digits, where it agrees with this.
    return text.lower()


class LanGamesTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.h = H.Harness("langames")
        cls.kvl = cls.h.host("kvl", KVL)
        games = cls.h.host("games", [a for a, *_ in GAME_HOSTS])
        idle = cls.h.host("idle", ["10.77.0.5", "10.77.2.1", "10.77.2.2"])
        junk = cls.h.host("junk", [a for a, _ in JUNK])
        cls.games, cls.idle, cls.junk = games.fakelan(), idle.fakelan(), junk.fakelan()
        cls.games.set_hosts(cls.game_table())
        cls.idle.set_hosts([{"addr": a, "idle": G.idle_search(i), "idle_to": to}
                            for i, (a, to) in enumerate(IDLE) if not a.startswith("10.77.1.")])
        cls.junk.set_hosts([{"addr": a, "replies": r} for a, r in JUNK])
        # A tall window, so that no expanded branch is scrolled out of the tree's view; one refresh at start-up.
        cls.p = cls.kvl.start_kvl(registry=H.settings(WindowPlacement="0,0,900,700,1,0", RefreshTimeout=TIMEOUT_MS,
                                                      RefreshAuto=1, RefreshPeriod=3600000))
        cls.p.wait_ready(60)
        cls.p.wait_refresh_done(30)

    @classmethod
    def tearDownClass(cls):
        cls.h.close()

    @classmethod
    def game_table(cls, changes=None):
        table = []
        for addr, ads, _ in GAME_HOSTS:
            ads = (changes or {}).get(addr, ads)
            entry = {"addr": addr, "replies": ads}
            if addr == "10.77.1.10":
                entry["idle"] = G.idle_search(9)
            table.append(entry)
        return table

    def expected_games(self):
        return [(a, g) for a, _, g in GAME_HOSTS if g]

    def refresh_and_wait(self, how):
        """Starts a refresh by the button, F5 or the command and waits for its end."""
        if how == "button":
            self.p.ctl("click", H.IDC_REFRESH)
        elif how == "F5":
            self.p.ctl("post-key", H.IDC_COMMAND, "F5")
        else:
            self.assertEqual(self.p.command(b"/refresh"), b"")
        self.assertFalse(self.p.is_enabled(H.IDC_REFRESH), "the Refresh button is disabled during a refresh")
        self.p.wait_refresh_done(30)

    def check_tree(self, games, keep_expanded=()):
        roots = self.p.tree()
        # Each root is expanded (the control shows the expanded state only on an item that has children).
        self.assertEqual([(r.text, r.image, r.expanded) for r in roots],
                         [(b"Games", 6, 1), (b"Waiting games", 7, 1), (b"KVL's online", 10, int(bool(roots[2].children)))])
        games_root, idle_root, users_root = roots
        want = sorted((game_text(g) for _, g in games), key=sort_key)
        self.assertEqual([c.text for c in games_root.children], want, "games, sorted")
        for addr, g in games:
            with self.subTest(game=g[0]):
                item = games_root.child(game_text(g))
                self.assertEqual(item.image, 2 if g[5] else 1)
                self.assertEqual(item.selimage, item.image)
                self.assertEqual([(c.text, c.image) for c in item.children], [
                    (b"Address: " + addr.encode(), 3), (b"Map: " + g[1], 4), (b"Type: " + g[4].encode(), 5),
                    (b"Status: " + (b"Running" if g[5] else b"Waiting"), 9)])
                self.assertEqual(item.expanded, 1 if game_text(g) in keep_expanded else 0)
        idle = sorted((b"[%s]" % a.encode() for a, _ in IDLE), key=sort_key)
        self.assertEqual([(c.text, c.image, len(c.children)) for c in idle_root.children],
                         [(t, 8, 0) for t in idle])
        # Nothing is bold but the own entry among the users (shown only once the messenger answers itself).
        for item in H.walk(roots):
            if item.bold:
                self.assertIs(item.parent, users_root, "only the own user is bold: %r" % item)
                self.assertEqual(item.child(b"Address: " + KVL.encode()).image, 3)
        return roots

    def test_1_tree_after_the_start_up_refresh(self):
        # The broadcast search reached every namespace.
        for fake in (self.games, self.idle, self.junk):
            self.assertEqual(fake.wait_event("search", 5)[1], KVL)
        self.check_tree(self.expected_games())
        # The status line is the tray icon's tip (the users' count comes from the messenger).
        self.assertRegex(self.p.tray_tip(), rb"^Servers: 12, Waiting: 4, Users: \d+$")

    def test_2_games_and_players_lines(self):
        out = self.p.command(b"/games")
        self.assertEqual(out, b"Current games: \r\n"
                         + b"".join(games_line(a, g) + b"\r\n" for a, g in self.expected_games()) + b"\r\n")
        out = self.p.command(b"/players").split(b"\r\n")
        self.assertEqual(out[0], b"Current idle players: ")
        self.assertEqual(out[-2:], [b"", b""], "an empty line ends the list")
        self.assertEqual(sorted(out[1:-2]), sorted(b" " + a.encode() for a, _ in IDLE), "each idle client once")

    def test_3_late_datagrams_are_not_recorded(self):
        games, players = self.p.command(b"/games"), self.p.command(b"/players")
        self.games.send("10.77.1.11", KVL, ad("Late", "Plains", 1, 8))
        self.idle.send("10.77.2.1", KVL, G.idle_search(3))
        self.games.send("10.77.1.11", KVL, G.idle_search(4))
        # A chat line sent after them has been shown: the program has had its chance to take them.
        self.games.send("10.77.1.11", KVL, P.text("after the late ones"), port=P.PEER_PORT)
        rc, _ = self.p.ctl.call("wait-text", H.IDC_OUTPUT, b"Unknown: after the late ones", 10000)
        self.assertEqual(rc, 0, "the chat line arrived")
        self.assertEqual(self.p.command(b"/games"), games)
        self.assertEqual(self.p.command(b"/players"), players)

    def test_4_refresh_in_progress(self):
        self.p.ctl("click", H.IDC_REFRESH)
        self.assertFalse(self.p.is_enabled(H.IDC_REFRESH))
        self.assertEqual(self.p.command(b"/refresh"), b"Refresh in progress, please wait\r\n")
        pane = self.p.pane()
        self.p.ctl("post-key", H.IDC_COMMAND, "F5")  # skipped silently
        self.p.ctl("post-key", H.IDC_STATUS_TREE, "F5")
        self.assertEqual(self.p.pane(), pane)
        rc, _ = self.p.ctl.call("click", H.IDC_REFRESH)
        self.assertEqual(rc, H.KvlCtl.EXIT_DISABLED)
        self.p.wait_refresh_done(30)
        self.assertTrue(self.p.is_enabled(H.IDC_REFRESH))
        for how in ("command", "F5", "button"):
            with self.subTest(how=how):
                self.refresh_and_wait(how)
                self.check_tree(self.expected_games())

    def test_5_view_kept_across_refreshes(self):
        ladder, keep = b"[2/8] Ladder", b"[4/8] Keep"
        self.p.ctl("tree-expand", "Games", ladder)
        self.p.ctl("tree-expand", "Games", keep)
        self.p.ctl("tree-select", "Games", ladder, "Map: Plains")
        self.refresh_and_wait("F5")
        roots = self.check_tree(self.expected_games(), keep_expanded={ladder, keep})
        self.assertTrue(roots[0].child(ladder).child(b"Map: Plains").selected, "the selection is kept")

        # Keep gains a player: its text changes, and it comes back collapsed; Ladder stays expanded.
        self.games.set_hosts(self.game_table({"10.77.1.4": [ad("Keep", "Python", 5, 8, 4)]}))
        self.refresh_and_wait("button")
        games = [(a, (g[0], g[1], 5, g[3], g[4], g[5]) if a == "10.77.1.4" else g) for a, g in self.expected_games()]
        roots = self.check_tree(games, keep_expanded={ladder})
        self.assertIsNone(roots[0].child(keep))
        self.assertFalse(roots[0].child(b"[5/8] Keep").expanded)

    def test_6_names_and_addresses_complete(self):
        C = H.IDC_COMMAND
        self.p.ctl("post-key", C, "ESCAPE")
        # Game names and addresses of the tree are keywords: "L" completes to the first of them in byte order.
        for typed, text, sel in [(b"Lad", b"Ladder", (3, 6)), (b" 10.77.1.", b"Lad 10.77.1.1", (12, 13)),
                                 (b"14", b"Lad 10.77.1.14", (14, 14))]:
            with self.subTest(typed=typed):
                if typed.startswith(b" "):
                    self.p.ctl("set-text", C, "Lad")
                    self.p.ctl("post-key", C, "END")
                self.p.ctl("type", C, typed)
                self.assertEqual(self.p.text(C), text)
                self.assertEqual(tuple(int(x) for x in self.p.ctl("get-sel", C).split()), sel)
        self.p.ctl("post-key", C, "ESCAPE")

    def test_7_quit(self):
        self.assertEqual(self.p.quit(), 0)


if __name__ == "__main__":
    H.main()
