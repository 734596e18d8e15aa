#!/usr/bin/env python3
"""Typing into the game under Wine: a fake game window (class "SWarClass", caption "Brood War") logs every key message
it gets. With it in front, "/bw_sayteam gg" types exactly the team-chat keys, the text, the closing ENTER and the
three closing key-ups (compared with a reference run of the same keybd_event calls, since Wine packs some lParam bits
its own way); with another window in front nothing arrives and "/bw_keys a" prints the error; a second process that
loads keyRelay.dll sees the values the program set in the library's shared section."""
import subprocess
import unittest

import harness as H

# "/bw_sayteam gg" as keybd_event calls: (virtual key, scan code or "m" for the layout's, flags).
SAYTEAM_GG = [(0x11, "m", 1), (0x0D, "m", 1), (0x0D, "m", 3), (0x11, "m", 3),
              (0x47, "m", 1), (0x47, "m", 3), (0x47, "m", 1), (0x47, "m", 3),
              (0x20, "m", 1), (0x20, "m", 3), (0x0D, "m", 1), (0x0D, "m", 3),
              (0x11, "0", 3), (0x12, "0", 3), (0x10, "0", 3)]


def key_structure(lines):
    """("down"|"up", vk) of every key message in a fake game log; characters left out."""
    out = []
    for line in lines:
        f = line.split()
        if len(f) == 4 and f[0] == "key":
            out.append(("down" if f[1] in ("down", "sysdown") else "up", int(f[2], 16)))
    return out


def probe_args(calls):
    return ["%x,%s,%x" % call for call in calls]


class TypingTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.h = H.Harness("typing")
        cls.host = cls.h.host("kvl", "10.77.0.2")
        cls.kvl = cls.host.start_kvl()
        cls.kvl.wait_ready(60)
        cls.game = cls.host.fake_game("--foreground")
        cls.game.press()  # in front and taking keys

    @classmethod
    def tearDownClass(cls):
        cls.h.close()

    def probe(self, *args):
        p = self.host.wine([H.exe("keyprobe.exe")] + list(args), check=False, timeout=60)
        self.assertEqual(p.returncode, 0, "keyprobe %s: %r" % (" ".join(args), p.stdout + p.stderr))
        out = {}
        for line in p.stdout.decode(errors="replace").splitlines():
            k, _, v = line.strip().partition(" ")
            out[k] = v
        return out

    def test_1_banner_reports_the_hook(self):
        self.assertIn(b" Starting keyRelay" + H.TM + b"... [OK]\r\n", self.kvl.pane())

    def test_2_sayteam_types_exactly_the_sequence(self):
        self.game.press()  # the game in front
        self.assertEqual(self.kvl.command("/bw_sayteam gg"), b"", "bw_sayteam writes nothing")
        typed = self.game.wait_keys(len(SAYTEAM_GG))
        self.assertEqual(self.game.press(), [], "nothing more was typed")
        expected = [("up" if flags & 2 else "down", vk) for vk, _, flags in SAYTEAM_GG]
        self.assertEqual(key_structure(typed), expected, "key messages in the game window: %r" % typed)

        # The same calls made directly: every message, its lParam and the characters, must be the same.
        reference = self.game.press(*probe_args(SAYTEAM_GG))
        self.assertEqual(typed, reference)
        self.assertIn("char 67", " | ".join(typed), "the game saw the character g")

    def test_3_shared_section_seen_by_another_process(self):
        state = self.probe("shared")
        self.assertNotEqual(int(state["main"], 16), 0, "the program's window exists")
        self.assertEqual(int(state["notify"], 16), int(state["main"], 16), "the hook reports to the program's window")
        self.assertEqual(state["mode"], "2")
        self.assertEqual(state["watched"], "0")
        self.assertEqual(state["sethook"], "0", "a second owner is refused while the program owns the hook")
        self.assertEqual(state["fn"], "42")
        self.assertEqual(state["n"], "0")

    def test_4_nothing_typed_behind_another_window(self):
        front = self.host.wine_popen([H.exe("keyprobe.exe"), "front"], stdout=subprocess.PIPE, log_name="front")
        try:
            line = front.stdout.readline().decode(errors="replace")
            self.assertTrue(line.startswith("ready"), line)
            H.wait_for("the other program in front",
                       lambda: self.kvl.ctl("foreground").strip() == b"Another program".hex().encode())
            self.assertEqual(self.kvl.command("/bw_keys a"), b"Error: BW not foreground\r\n")
            self.assertEqual(self.kvl.command("/bw_sayteam gg"), b"", "bw_sayteam is silent when refused")
            self.assertEqual(self.kvl.command("/bw_keys"), b"Wrong syntax\r\n")
        finally:
            H.stop_process(front)
        # Nothing was queued: with the game in front again, nothing comes before the marker.
        self.probe("raise")
        self.assertEqual(self.game.press(), [], "no key reached the game")

    def test_5_quit_releases_the_hook(self):
        code = None
        try:
            code = self.kvl.quit()
        finally:
            self.assertEqual(code, 0)
        state = self.probe("shared")
        self.assertEqual(int(state["notify"], 16), 0, "no owner once the program has ended")
        self.assertEqual(state["sethook"], "1", "another process may take the hook now")
        self.assertEqual(state["own"], "1")
        self.assertEqual(state["removed"], "1")


if __name__ == "__main__":
    H.main()
