#!/usr/bin/env python3
"""Start-up and shutdown of the real program under Wine: the banner in the console pane, the single-instance rule,
the settings in the registry (first start, values at shutdown, placement, text limits, number types) and Quit."""
import re
import time
import unittest

import harness as H

# Lines a start may show after the banner besides the start-up script's: the refresh warning of a module that failed.
ALLOWED_WARNINGS = {b"warning: m_Communicator.BeginRefresh() failed"} if H.MODULES[1][1] == b" [FAILED]" else set()
NO_AUTOEXEC = b"Error opening 'autoexec.cfg'\r\n"

DEFAULTS = {
    "Name": ("REG_SZ", "noname"),
    "Sign": ("REG_SZ", "KVL User"),
    "Path": ("REG_SZ", ""),
    "RefreshTimeout": ("REG_DWORD", "0x7d0"),
    "RefreshAuto": ("REG_DWORD", "0x1"),
    "RefreshPeriod": ("REG_DWORD", "0x3a98"),
}
PLACEMENT = re.compile(r"^-?\d+,-?\d+,-?\d+,-?\d+,-?\d+,-?\d+$")


def placement_of(state):
    l, t, r, b = state["normal"].split()
    return "%s,%s,%s,%s,%s,%s" % (l, t, r, b, state["showcmd"], state["flags"])


class StartupTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.h = H.Harness("startup")
        cls.host = cls.h.host("kvl", "10.77.0.2")
        cls.default_state = None

    @classmethod
    def tearDownClass(cls):
        cls.h.close()

    def start(self, registry=None):
        p = self.host.start_kvl(registry=registry)
        p.wait_ready(60, expect=NO_AUTOEXEC.strip())
        return p

    def quit_and_read(self, p):
        self.assertEqual(p.quit(), 0, "exit code after the Quit button")
        rc, _ = p.ctl.call("wait-gone", 5000)
        self.assertEqual(rc, 0, "the main window is gone after Quit")
        return self.host.reg_query()

    def assert_pane_is_banner(self, pane):
        self.assertEqual(pane[:len(H.BANNER)], H.BANNER, "start-up banner, byte for byte")
        rest = pane[len(H.BANNER):]
        self.assertTrue(rest.endswith(NO_AUTOEXEC), "the missing autoexec.cfg is reported last: %r" % rest)
        for line in rest[:-len(NO_AUTOEXEC)].split(b"\r\n")[:-1]:
            self.assertIn(line, ALLOWED_WARNINGS, "unexpected console line after the banner")

    def test_1_first_start(self):
        self.assertIsNone(self.host.reg_query(H.NIMBREL_KEY), "a fresh prefix has no settings")
        p = self.start()
        self.assert_pane_is_banner(p.pane())

        # The keys exist as soon as the settings were loaded; no value is written before shutdown.
        self.assertEqual(self.host.reg_query(), {})
        state = p.window_state()
        self.assertEqual((state["visible"], state["iconic"], state["showcmd"]), ("1", "0", "1"))
        type(self).default_state = state

        # A second start notifies the first one and ends; the first stays, alone.
        t0 = time.time()
        second = self.host.start_kvl()
        second.wait(20)
        self.assertLess(time.time() - t0, 20)
        self.assertTrue(p.alive(), "the first copy still runs")
        self.assertEqual(p.ctl("count").strip(), b"1", "one window captioned Korvalen SE")
        self.assertEqual(p.pane()[:len(H.BANNER)], H.BANNER)

        values = self.quit_and_read(p)
        self.assertEqual(set(values), set(DEFAULTS) | {"WindowPlacement"}, "the seven values")
        for name, expected in DEFAULTS.items():
            self.assertEqual(values[name], expected, name)
        self.assertEqual(values["WindowPlacement"], ("REG_SZ", placement_of(state)))

    def test_2_stored_settings_are_read(self):
        name127 = "n" * 126 + "7"
        p = self.start(H.settings(WindowPlacement="130,90,730,470,1,0", Name=name127, RefreshAuto=0,
                                RefreshPeriod=bytes([0x10, 0x27, 0, 0])))
        # Without automatic refresh the tray tip stays as created; the buttons show their tips.
        self.assertEqual(p.tray_tip(), b"KVL SE")
        own = int(p.ctl("pid"))
        self.assertEqual(sorted(text for pid, _, _, text in p.tooltips() if pid == own),
                         sorted([b"Launch BroodWar", b"Refresh network status", b"Configure", b"Help", b"Quit"]))
        state = p.window_state()
        self.assertEqual(state["normal"], "130 90 730 470", "the stored placement is restored")
        self.assertEqual(state["rect"], "130 90 730 470")
        self.assertEqual((state["visible"], state["iconic"]), ("1", "0"))
        values = self.quit_and_read(p)
        self.assertEqual(values["Name"], ("REG_SZ", name127), "a 127-character name is read (and saved back)")
        self.assertEqual(values["RefreshPeriod"], ("REG_DWORD", "0x2710"), "a REG_BINARY number of 4 bytes is read")
        self.assertEqual(values["RefreshAuto"], ("REG_DWORD", "0x0"))
        self.assertEqual(values["WindowPlacement"], ("REG_SZ", "130,90,730,470,1,0"))

    def test_3_malformed_settings_are_ignored(self):
        self.assertIsNotNone(self.default_state, "runs after the first start")
        cases = [("1,2,3", "m" * 128), ("10,20,610,400,1", "x" * 200), ("", "")]
        for placement, name in cases:
            with self.subTest(placement=placement, name_length=len(name)):
                p = self.start(H.settings(WindowPlacement=placement, Name=name))
                state = p.window_state()
                self.assertEqual(state["normal"], self.default_state["normal"], "placement left as at a first start")
                values = self.quit_and_read(p)
                self.assertRegex(values["WindowPlacement"][1], PLACEMENT)
                self.assertEqual(values["WindowPlacement"], ("REG_SZ", placement_of(state)))
                # A name of 128 characters or more is not read; an empty one (1 byte with its zero) is.
                expected = "noname" if len(name) >= 128 else name
                self.assertEqual(values["Name"], ("REG_SZ", expected))


if __name__ == "__main__":
    H.main()
