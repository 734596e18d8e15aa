#!/usr/bin/env python3
"""A PC on two networks: its first address and default route on one that holds nobody the player knows (a
"virtual switch" with one game host, one idle client and one raw peer), and the LAN itself with its own game host,
idle client and another copy of the program. Everything on both networks is listed once, the PC itself once (bold),
chat goes both ways once on each network, the other copy lists this PC once by its LAN address, and a third network
plugged in while the program runs is searched at the next refresh, and no longer once it is unplugged; after the PC's
first address moves, a PC that takes the old one is somebody else (its chat to everybody shows)."""
import unittest

import gamedata as G
import harness as H
import peerdata as P

KVL_FIRST, KVL_LAN = "10.78.0.2", "10.77.0.2"  # the host's first address is on the empty network
COPY = "10.77.0.3"
LAN_GAME, LAN_IDLE = "10.77.1.1", "10.77.2.1"
VIRTUAL_GAME, VIRTUAL_IDLE, RAW = "10.78.1.1", "10.78.2.1", "10.78.3.1"
LATE_GAME, KVL_LATE = "10.79.1.1", "10.79.0.2"
KVL_MOVED = "10.78.0.5"
TIMEOUT_MS = 2000


def ad(name):
    return G.advertisement(name, "Plains", 2, 8)


class NetworksTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.h = H.Harness("networks")
        cls.kvl_host = cls.h.host("kvl", KVL_FIRST, network="br1")
        cls.kvl_host.add_interface("br0", [KVL_LAN])
        cls.lan = cls.h.host("lan", [LAN_GAME, LAN_IDLE]).fakelan()
        cls.lan.set_hosts([{"addr": LAN_GAME, "replies": [ad("On the LAN")]},
                           {"addr": LAN_IDLE, "idle": G.idle_search()}])
        cls.virtual = cls.h.host("virtual", [VIRTUAL_GAME, VIRTUAL_IDLE, RAW], network="br1").fakelan()
        cls.virtual.set_hosts([{"addr": VIRTUAL_GAME, "replies": [ad("Virtual")]},
                               {"addr": VIRTUAL_IDLE, "idle": G.idle_search()}])
        cls.virtual.set_peers([(RAW, P.presence("Raw", "from afar"))])
        settings = dict(RefreshAuto=0, RefreshTimeout=TIMEOUT_MS)
        cls.p = cls.kvl_host.start_kvl(registry=H.settings(Name="Multi", Sign="two nets", **settings))
        cls.copy = cls.h.host("copy", COPY).start_kvl(registry=H.settings(Name="Copy", Sign="lan", **settings))
        cls.p.wait_ready(60)
        cls.copy.wait_ready(60)

    @classmethod
    def tearDownClass(cls):
        cls.h.close()

    def refresh(self, p):
        self.assertEqual(p.command(b"/refresh"), b"")
        p.wait_refresh_done(60)

    def roots(self, p):
        return {r.text: r for r in p.tree()}

    def test_1_both_networks_listed_once(self):
        self.virtual.peer_datagrams()
        self.refresh(self.p)
        roots = self.roots(self.p)
        games = sorted((g.text, g.children[0].text) for g in roots[b"Games"].children)
        self.assertEqual(games, [(b"[2/8] On the LAN", b"Address: " + LAN_GAME.encode()),
                                 (b"[2/8] Virtual", b"Address: " + VIRTUAL_GAME.encode())])
        self.assertEqual(sorted(i.text for i in roots[b"Waiting games"].children),
                         sorted(b"[%s]" % a.encode() for a in (LAN_IDLE, VIRTUAL_IDLE)))
        users = {u.text: u for u in roots[b"KVL's online"].children}
        self.assertEqual(sorted(users), [b"Copy", b"Multi", b"Raw"], "ourselves once")
        self.assertEqual([n for n, u in users.items() if u.bold], [b"Multi"])
        self.assertIn(users[b"Multi"].children[0].text, (b"Address: " + KVL_FIRST.encode(),
                                                         b"Address: " + KVL_LAN.encode()))
        self.assertEqual(self.p.tray_tip(), b"Servers: 2, Waiting: 2, Users: 3")
        # The raw peer on the virtual network got one query, from our address there.
        queries = [src for src, d in self.virtual.peer_datagrams(5) if d == P.query()]
        self.assertEqual(queries, [KVL_FIRST])

    def test_2_the_other_copy_lists_this_pc_once_by_its_lan_address(self):
        self.refresh(self.copy)
        users = {u.text: u for u in self.roots(self.copy)[b"KVL's online"].children}
        self.assertEqual(sorted(users), [b"Copy", b"Multi"])
        self.assertEqual(users[b"Multi"].children[0].text, b"Address: " + KVL_LAN.encode())

    def test_3_chat_both_ways_once(self):
        self.virtual.peer_datagrams()
        mark, copy_mark = len(self.p.pane()), len(self.copy.pane())
        self.p.command(b"hello both")
        self.copy.command(b"hi from the lan")
        self.virtual.send(RAW, KVL_FIRST, P.text("hi from afar"), port=P.PEER_PORT)
        for p, line in ((self.copy, b"Multi: hello both"), (self.p, b"Copy: hi from the lan"),
                        (self.p, b"Raw: hi from afar")):
            rc, _ = p.ctl.call("wait-text", H.IDC_OUTPUT, line, 10000)
            self.assertEqual(rc, 0, "%r arrived" % line)
        # Lines sent behind them have arrived: whatever was on its way has too.
        self.virtual.send(RAW, KVL_FIRST, P.text("end"), port=P.PEER_PORT)
        self.copy.command(b"end")
        for p, line in ((self.p, b"Raw: end"), (self.p, b"Copy: end"), (self.copy, b"Copy: end")):
            rc, _ = p.ctl.call("wait-text", H.IDC_OUTPUT, line, 10000)
            self.assertEqual(rc, 0, "%r arrived" % line)
        shown = [l for l in self.p.pane()[mark:].split(b"\r\n") if l and not l.endswith(b": end")]
        self.assertEqual(sorted(shown), [b"Copy: hi from the lan", b"Multi: hello both", b"Raw: hi from afar"])
        copy_shown = [l for l in self.copy.pane()[copy_mark:].split(b"\r\n") if l and not l.endswith(b": end")]
        self.assertEqual(sorted(copy_shown), [b"Copy: hi from the lan", b"Multi: hello both"])
        texts = [(src, d) for src, d in self.virtual.peer_datagrams() if P.decode(d).get("type") == P.TEXT_ALL]
        self.assertEqual(texts, [(KVL_FIRST, P.text("hello both"))], "the line reached the virtual network once")

    def test_4_a_network_plugged_in_is_searched_at_the_next_refresh(self):
        late = self.h.host("late", LATE_GAME, network="br2").fakelan()
        late.set_hosts([{"addr": LATE_GAME, "replies": [ad("Late")]}])
        dev = self.kvl_host.add_interface("br2", [KVL_LATE])
        self.refresh(self.p)
        games = sorted(g.text for g in self.roots(self.p)[b"Games"].children)
        self.assertEqual(games, [b"[2/8] Late", b"[2/8] On the LAN", b"[2/8] Virtual"])
        self.assertEqual(late.wait_event("search", 5)[1], KVL_LATE)
        self.assertEqual(len(self.roots(self.p)[b"KVL's online"].children), 3, "still ourselves once")
        # Unplugged again: the others are searched as before.
        H.run(["ip", "-n", self.kvl_host.ns, "link", "set", dev, "down"])
        self.refresh(self.p)
        games = sorted(g.text for g in self.roots(self.p)[b"Games"].children)
        self.assertEqual(games, [b"[2/8] On the LAN", b"[2/8] Virtual"])
        self.assertEqual(self.p.command(b"/echo still here"), b"still here\r\n")

    def test_5_an_address_the_pc_left_is_somebody_elses(self):
        # The PC's first address (the host name's) moves while the program runs; a PC on that network takes the old
        # one and chats to everybody.
        ns = self.kvl_host.ns
        H.run(["ip", "netns", "exec", ns, "sh", "-c", "echo 1 > /proc/sys/net/ipv4/conf/eth0/promote_secondaries"])
        self.kvl_host.add_addresses([KVL_MOVED])
        H.run(["ip", "-n", ns, "address", "del", KVL_FIRST + "/16", "dev", "eth0"])
        self.refresh(self.p)
        self.virtual.host.add_addresses([KVL_FIRST])
        self.virtual.send(KVL_FIRST, KVL_MOVED, P.text("from the old address"), port=P.PEER_PORT)
        self.virtual.send(RAW, KVL_MOVED, P.text("from elsewhere"), port=P.PEER_PORT)
        self.assertEqual(self.p.ctl.call("wait-text", H.IDC_OUTPUT, b"Raw: from elsewhere", 10000)[0], 0)
        rc, _ = self.p.ctl.call("wait-text", H.IDC_OUTPUT, b"Unknown: from the old address", 10000)
        self.assertEqual(rc, 0, "the line from the old address arrived")


if __name__ == "__main__":
    H.main()
