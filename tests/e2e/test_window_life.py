#!/usr/bin/env python3
"""The window's life under Wine: minimise to the tray and the second-start balloon, a double click on the tray icon
and "&KVL" bringing it back, the About box and its moving ticker, the configuration dialog driven through its real
controls (fields, Auto, OK, Cancel, a wrong number, a missing game, a path too long, a bad word and a key closing the
balloons, no second dialog) with the registry checked and the new refresh period in effect at once, and the Launch
button starting a stand-in game and hiding the window, and the tray menu's "&Quit" ending the program."""
import os
import shutil
import time
import unittest

import harness as H

CFG = H.CONFIG_CAPTION
F = H.IDC_CFG
START = dict(Name="Scout", Sign="gl hf", Path="", RefreshTimeout=300, RefreshAuto=1, RefreshPeriod=600000)


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


class WindowLifeTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.h = H.Harness("window")
        cls.host = cls.h.host("kvl", "10.77.0.2")
        cls.shots = H.shot_dir(cls.h)
        cls.p = cls.host.start_kvl(registry=H.settings(**START))
        cls.p.wait_ready(60)
        cls.p.wait_refresh_done()  # the first refresh, at start
        # A game folder with a stand-in game, and one without.
        cls.game_dir = os.path.join(cls.h.workdir, "Brood War")
        os.mkdir(cls.game_dir)
        shutil.copy(H.exe("fakegame.exe"), os.path.join(cls.game_dir, "starcraft.exe"))
        cls.empty_dir = os.path.join(cls.h.workdir, "No Game")
        os.mkdir(cls.empty_dir)

    @classmethod
    def tearDownClass(cls):
        cls.h.close()

    def state(self):
        return self.p.window_state()

    def open_config(self):
        before = self.p.pane()
        self.p.ctl("click", H.IDC_CONFIGURE)
        self.p.wait_dialog(CFG)
        self.assertEqual(self.p.pane()[len(before):], b"Configuring... \r\n")
        return len(self.p.pane())

    def steady_picture(self, rect):
        """The screen rectangle once two looks in a row agree (drawn, faded in)."""
        last = [None]

        def same():
            now, before = self.p.screenshot(rect), last[0]
            last[0] = now
            return now == before
        H.wait_for("a steady picture of %r" % (rect,), same)
        return last[0]

    def shell_balloons(self):
        own = int(self.p.ctl("pid"))
        return [w for w in self.p.windows() if w["cls"] == b"tooltips_class32" and w["visible"] and w["pid"] != own]

    def balloon_picture(self):
        """(rect, rows) of the one balloon the shell shows, once it has been drawn and stays so."""
        rect = H.wait_for("a balloon of the shell", lambda: (lambda b: b[0]["rect"] if len(b) == 1 else None)(
            self.shell_balloons()))
        return rect, self.steady_picture(rect)

    def close_balloons(self):
        """Lets every open balloon go (they close by their time-out): later looks start from none."""
        deadline = time.time() + 15
        while self.p.balloons() and time.time() < deadline:
            time.sleep(0.2)

    def test_1_minimise_second_start_and_restore(self):
        self.p.ctl("sys-command", H.SC_MINIMIZE)
        self.p.ctl("sync")
        st = self.state()
        self.assertEqual((st["visible"], st["parented"]), ("0", "1"), "hidden, under the tray holder: %r" % st)
        self.assertEqual(self.p.ctl("count").strip(), b"0", "no top-level window captioned Korvalen SE")

        second = self.host.start_kvl()
        self.assertEqual(second.wait(20), 0)
        H.wait_for("the second-start balloon", lambda: [
            text for _, visible, _, text in self.p.tooltips() if visible and text == b"Double-click to restore"])
        self.assertEqual(self.state()["visible"], "0", "the balloon does not restore the window")
        # Wine's shell does not hand out a balloon's title (TTM_GETTITLE answers nothing): the balloon is compared
        # with one the driver shows with the title "KVL already running", pixel for pixel below the stem (13 rows)
        # and left of where the narrower of the two ends (each is placed by its own icon's place).
        shown = self.balloon_picture()
        self.h.xdotool("mousemove", (shown[0][0] + shown[0][2]) // 2, shown[0][3] - 8, "click", 1)  # dismissed
        H.wait_for("the balloon gone", lambda: not self.shell_balloons())
        reference = self.host.wine_popen([H.exe("kvlctl.exe"), "balloon", "KVL already running",
                                          "Double-click to restore", "20000"], log_name="balloon")
        try:
            expected = self.balloon_picture()
        finally:
            H.stop_process(reference)
        width = min(len(shown[1][0]), len(expected[1][0])) - 20
        self.assertEqual(len(shown[1]), len(expected[1]), "as tall as a balloon with that title")
        self.assertTrue([row[10:width] for row in shown[1][14:]] == [row[10:width] for row in expected[1][14:]],
                        "the title and text of the balloon titled 'KVL already running'")

        # A double click on the tray icon brings it back (the menu's default entry).
        x, y = self.p.tray_icon_point()
        self.h.xdotool("mousemove", x, y, "click", "--repeat", 2, "--delay", 80, 1)
        H.wait_for("the window back on screen", lambda: self.state()["visible"] == "1")
        st = self.state()
        self.assertEqual((st["visible"], st["iconic"], st["parented"]), ("1", "0", "0"), st)
        self.assertEqual(self.p.ctl("count").strip(), b"1")

        # And so does the tray menu's "&KVL".
        self.p.ctl("sys-command", H.SC_MINIMIZE)
        self.p.ctl("sync")
        self.assertEqual(self.state()["visible"], "0")
        self.p.ctl("post-command", H.ID_TRAY_KVL)
        self.p.ctl("sync")
        st = self.state()
        self.assertEqual((st["visible"], st["iconic"], st["parented"]), ("1", "0", "0"), st)

    def test_2_about_box_and_its_ticker(self):
        self.p.ctl("sys-command", H.IDM_ABOUT)
        self.p.wait_dialog(H.ABOUT_CAPTION)
        self.p.ctl("sys-command", H.IDM_ABOUT)  # a second request while it is open
        self.p.ctl("sync")
        self.assertEqual(self.p.dialog_count(H.ABOUT_CAPTION), 1, "one About box")
        _, _, box = self.p.dlg_state(H.ABOUT_CAPTION, 0)
        _, _, ticker = self.p.dlg_state(H.ABOUT_CAPTION, H.IDC_TICKER)
        # Black surroundings with the text's see-through letters once the text has entered the strip: more than one
        # colour, mostly black.
        frames = [H.wait_for("the ticker's text in its strip",
                           lambda: (lambda f: f if len({px for row in f for px in row}) > 1 else None)(
                               self.p.screenshot(ticker)))]
        H.save_png(self.p.screenshot(box), os.path.join(self.shots, "about.png"))
        for what in ("the ticker moves", "and keeps moving"):
            frames.append(H.wait_for(what, lambda: (lambda f: f if f != frames[-1] else None)(self.p.screenshot(ticker))))
        self.p.dlg_click(H.ABOUT_CAPTION, H.IDOK)
        self.p.wait_dialog(H.ABOUT_CAPTION, shown=False)

    def test_3_configuration_dialog(self):
        self.open_config()
        self.assertEqual(self.p.dlg_text(CFG, F["name"]), b"Scout")
        self.assertEqual(self.p.dlg_text(CFG, F["sign"]), b"gl hf")
        self.assertEqual(self.p.dlg_text(CFG, F["path"]), b"")
        self.assertEqual(self.p.dlg_text(CFG, F["timeout"]), b"300")
        self.assertEqual(self.p.dlg_text(CFG, F["period"]), b"600000")
        self.assertEqual(self.p.dlg_state(CFG, F["auto"])[:2], (True, 1))
        self.assertTrue(self.p.dlg_state(CFG, F["period"])[0], "period box enabled while Auto is ticked")
        H.save_png(self.steady_picture(self.p.dlg_state(CFG, 0)[2]), os.path.join(self.shots, "config.png"))
        self.p.dlg_click(CFG, F["auto"], "bm")
        self.assertEqual(self.p.dlg_state(CFG, F["auto"])[1], 0)
        self.assertFalse(self.p.dlg_state(CFG, F["period"])[0], "unticking Auto disables the period box")
        self.p.dlg_click(CFG, F["auto"], "bm")
        self.assertTrue(self.p.dlg_state(CFG, F["period"])[0])

        # A second configure while the dialog is open does not stack another.
        mark = len(self.p.pane())
        self.p.ctl("click", H.IDC_CONFIGURE)
        self.assertEqual(self.p.dialog_count(CFG), 1)
        self.assertEqual(self.p.pane()[mark:], b"")

        # Cancel keeps everything.
        self.p.dlg_set(CFG, F["name"], "Changed")
        self.p.dlg_click(CFG, H.IDCANCEL)
        self.p.wait_dialog(CFG, shown=False)
        self.assertTrue(self.p.pane().endswith(b"Config canceled\r\n"))
        self.assertEqual(self.host.reg_query().get("Name"), ("REG_SZ", "Scout"), "nothing saved on Cancel")

    def test_4_bad_input_keeps_the_dialog_open(self):
        self.open_config()
        # A wrong number: the message, the focus in that box, the dialog still open.
        self.p.dlg_set(CFG, F["timeout"], "")
        self.p.dlg_click(CFG, H.IDOK)
        self.p.wait_dialog(H.MESSAGE_BOX_CAPTION)
        self.assertEqual(self.p.dlg_text(H.MESSAGE_BOX_CAPTION, H.MESSAGE_BOX_TEXT), b"Please enter an integer.")
        self.p.dlg_click(H.MESSAGE_BOX_CAPTION, H.IDOK)
        self.p.wait_dialog(H.MESSAGE_BOX_CAPTION, shown=False)
        self.assertEqual(self.p.ctl("focus").strip(), str(F["timeout"]).encode())
        self.assertEqual(self.p.dialog_count(CFG), 1)
        self.p.dlg_set(CFG, F["timeout"], "300")

        # A folder without the game: the error balloon at the Path box; the box gains its backslash.
        self.p.dlg_set(CFG, F["path"], H.win_path(self.empty_dir))
        self.p.dlg_click(CFG, H.IDOK)
        balloon = self.p.wait_balloon(b"Error! BroodWar not found")
        self.assertEqual(self.p.dlg_text(CFG, F["path"]), (H.win_path(self.empty_dir) + "\\").encode())
        anchor = centre(self.p.dlg_state(CFG, F["path"])[2])
        l, t, r, b = balloon["rect"]
        self.assertTrue(l <= anchor[0] <= r, "the balloon spans the Path box's centre: %r %r" % (balloon, anchor))
        self.assertTrue(abs(t - anchor[1]) <= 2 or abs(b - anchor[1]) <= 2, "its stem touches it")
        H.save_png(self.steady_picture((l - 10, t - 10, r + 10, b + 10)), os.path.join(self.shots, "balloon.png"))
        self.assertEqual(self.p.dialog_count(CFG), 1, "the dialog stays open")

        # The game's file typed for its folder: the file inside it is what is missing.
        game_file = H.win_path(os.path.join(self.game_dir, "starcraft.exe"))
        self.p.dlg_set(CFG, F["path"], game_file)
        self.p.dlg_click(CFG, H.IDOK)
        self.assertEqual(self.p.dlg_text(CFG, F["path"]), (game_file + "\\").encode())
        self.assertEqual(self.p.dialog_count(CFG), 1)

        # A path that would not fit the setting.
        self.p.dlg_set(CFG, F["path"], "C:\\" + "p" * 124)
        self.p.dlg_click(CFG, H.IDOK)
        self.p.wait_balloon(b"Error! Path too long")

        # A bad word in the name warns and changes nothing.
        self.p.dlg_set(CFG, F["name"], "xXDORKXx")
        bad = self.p.wait_balloon(b"Warning! A 'bad word' detected")
        self.assertEqual(self.p.dlg_text(CFG, F["name"]), b"xXDORKXx")
        H.save_png(self.p.screenshot(bad["rect"]), os.path.join(self.shots, "badword.png"))

        # A key pressed in the program closes every balloon that closes on a key (all of them here), fading out.
        self.assertGreaterEqual(len(self.p.balloons()), 2, self.p.balloons())
        foreground = bytes.fromhex(self.p.ctl("press", "SHIFT").strip().decode())
        self.assertEqual(foreground, CFG.encode(), "the key went to the dialog")
        H.wait_for("a key closed them", lambda: not self.p.balloons())
        self.assertEqual(self.p.dialog_count(CFG), 1, "the key itself did nothing else")

        self.p.dlg_click(CFG, H.IDCANCEL)
        self.p.wait_dialog(CFG, shown=False)
        values = self.host.reg_query()
        self.assertEqual((values.get("Name"), values.get("Path")), (("REG_SZ", "Scout"), ("REG_SZ", "")),
                         "nothing saved from a refused dialog")
        self.close_balloons()

    def test_5_saved_values_take_effect_at_once(self):
        # Before: a period of ten minutes, so no refresh comes by itself.
        rc, _ = self.p.ctl.call("wait-enabled", H.IDC_REFRESH, 0, 3000)
        self.assertNotEqual(rc, 0, "no automatic refresh with the old period")
        self.open_config()
        self.p.dlg_set(CFG, F["name"], "Tester")
        self.p.dlg_set(CFG, F["sign"], "see you")
        self.p.dlg_set(CFG, F["path"], H.win_path(self.game_dir))
        self.p.dlg_set(CFG, F["timeout"], "250")
        self.p.dlg_set(CFG, F["period"], "1500")
        self.p.dlg_click(CFG, H.IDOK)
        self.p.wait_dialog(CFG, shown=False)
        self.assertTrue(self.p.pane().endswith(b"Config saved\r\n"), self.p.pane()[-200:])
        values = self.host.reg_query()
        self.assertEqual(values["Name"], ("REG_SZ", "Tester"))
        self.assertEqual(values["Sign"], ("REG_SZ", "see you"))
        self.assertEqual(values["Path"], ("REG_SZ", H.win_path(self.game_dir) + "\\"))
        self.assertEqual(values["RefreshTimeout"], ("REG_DWORD", "0xfa"))
        self.assertEqual(values["RefreshAuto"], ("REG_DWORD", "0x1"))
        self.assertEqual(values["RefreshPeriod"], ("REG_DWORD", "0x5dc"))
        # The automatic refresh now comes every 1.5 s, without a restart.
        starts = []
        for _ in range(3):
            starts.append(float(self.p.ctl("wait-enabled", H.IDC_REFRESH, 0, 5000)))
            self.p.ctl("wait-enabled", H.IDC_REFRESH, 1, 5000)
        gaps = [b - a for a, b in zip(starts, starts[1:])]
        for gap in gaps:
            self.assertAlmostEqual(gap, 1.5, delta=0.75, msg="refresh every 1.5 s: %r" % gaps)

    def test_6_launch_starts_the_game_and_hides(self):
        own = int(self.p.ctl("pid"))
        self.p.ctl("click", H.IDC_LAUNCH)
        deadline = time.time() + 20
        games = []
        while time.time() < deadline and not games:
            games = [w for w in self.p.windows() if w["cls"] == b"SWarClass" and w["caption"] == b"Brood War"]
            time.sleep(0.1)
        self.assertTrue(games, "the stand-in game's window appeared")
        self.assertNotEqual(games[0]["pid"], own, "in a process of its own")
        self.assertEqual(self.state()["visible"], "0", "the window went to the tray")
        self.host.keyprobe("close")  # the stand-in game would cover the tray at the screen's corner
        H.wait_for("the stand-in game closed", lambda: not [w for w in self.p.windows() if w["cls"] == b"SWarClass"])
        self.p.ctl("post-command", H.ID_TRAY_KVL)
        self.p.ctl("sync")
        self.assertEqual(self.state()["visible"], "1")

        # The folder vanishes: the launch fails, the window comes back and the balloon points at Configure.
        shutil.rmtree(self.game_dir)
        self.p.ctl("click", H.IDC_LAUNCH)
        balloon = self.p.wait_balloon(b"Can't run BroodWar")
        self.assertEqual(self.state()["visible"], "1")
        self.assertEqual(self.p.ctl("count").strip(), b"1")
        self.close_balloons()

    def test_7_empty_path_only_shows_the_balloon(self):
        self.open_config()
        self.p.dlg_set(CFG, F["path"], "")
        self.p.dlg_click(CFG, H.IDOK)
        self.p.wait_dialog(CFG, shown=False)
        self.assertEqual(self.host.reg_query()["Path"], ("REG_SZ", ""))
        self.p.ctl("click", H.IDC_LAUNCH)
        self.p.wait_balloon(b"Can't run BroodWar")
        st = self.state()
        self.assertEqual((st["visible"], st["parented"]), ("1", "0"), "the window stays on screen")

    def test_8_the_tray_menus_quit_ends_the_program(self):
        own = int(self.p.ctl("pid"))
        self.close_balloons()  # the launch's balloon holds the mouse until it goes
        self.p.ctl("sys-command", H.SC_MINIMIZE)  # the window no longer covers the tray at the screen's corner
        self.p.ctl("sync")
        x, y = self.p.tray_icon_point()
        self.h.xdotool("mousemove", x, y, "click", 3)
        menu = H.wait_for("the tray menu", lambda: [w for w in self.p.windows()
                                                  if w["pid"] == own and w["cls"] == b"#32768" and w["visible"]])
        H.save_png(self.p.screenshot(menu[0]["rect"]), os.path.join(self.shots, "traymenu.png"))
        l, t, r, b = menu[0]["rect"]
        self.h.xdotool("mousemove", (l + r) // 2, b - 12, "click", 1)  # "&Quit", the last entry
        self.assertEqual(self.p.wait(20), 0)


if __name__ == "__main__":
    H.main()
