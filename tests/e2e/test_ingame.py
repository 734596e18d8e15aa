#!/usr/bin/env python3
"""In the game under Wine, with the test suite's fake game window in front: a bound key runs its command and never
reaches the game, "/unbind all" gives it back; the console key opens the console drawn over the game, typed
characters go into it and not into the game, Enter runs the line, and a screenshot shows the console; hostile
reports (unknown codes, wrong sizes, a flood of 10,000 characters) and a game window that goes away while the console
is open leave the program working and the keys with the game; a game that makes its window after the hook's library
came into it has its bound keys too; the program ended by /quit and by being killed leaves
the game running and receiving its keys; the console's drawing frees its font at shutdown; a process that owns the
hook first makes the program's line fail while it keeps working itself. Screenshots are kept in build/e2e-shots/."""
import os
import unittest

import harness as H

F5, CONSOLE_KEY, RETURN, A = 0x74, 0xC0, 0x0D, 0x41
SHOTS = os.path.join(H.REPO, "build", "e2e-shots")
WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def press(vk):
    return ["%x,m,0" % vk, "%x,m,2" % vk]


def keys_of(lines, kind):
    """Virtual keys of the fake game's "key KIND VK LPARAM" lines."""
    return [int(f[2], 16) for f in (line.split() for line in lines) if len(f) == 4 and f[0] == "key" and f[1] == kind]


def read_line(proc, timeout=10):
    """One line of a process's output, or b"" when none comes in time."""
    import select
    ready, _, _ = select.select([proc.stdout], [], [], timeout)
    return proc.stdout.readline().strip() if ready else b""


def chars_of(lines):
    return [int(f[1], 16) for f in (line.split() for line in lines) if len(f) == 3 and f[0] == "char"]


class InGameTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.h = H.Harness("ingame")
        cls.host = cls.h.host("kvl", "10.77.0.2")
        cls.host.reg_import(H.settings(RefreshAuto=0))
        cls.kvl = cls.host.start_kvl()
        cls.kvl.wait_ready(60)
        cls.game = cls.host.fake_game("--foreground")
        cls.game.press()  # in front and taking keys
        os.makedirs(SHOTS, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.h.close()

    def mode(self):
        state = dict(line.split(" ", 1) for line in self.host.keyprobe("shared") if " " in line)
        return int(state["mode"])

    def wait_mode(self, mode, what, timeout=10):
        """The hook's key mode as the program sets it once it has handled what came before."""
        H.wait_for(what, lambda: self.mode() == mode, timeout)

    def wait_pane(self, text, timeout=10):
        return H.wait_for("%r in the pane" % text, lambda: text in self.kvl.pane(), timeout)

    def shot(self, name, shows=lambda picture: True, timeout=10):
        """The game window as the screen shows it, once `shows` holds for the picture."""
        bmp = os.path.join(self.h.workdir, name + ".bmp")

        def take():
            self.host.keyprobe("shot", H.win_path(bmp))
            picture = H.Picture(bmp)
            return picture if shows(picture) else None
        picture = H.wait_for("the picture %s" % name, take, timeout)
        picture.save_png(os.path.join(SHOTS, name + ".png"))
        return picture

    def test_1_bound_key_runs_its_command_and_never_reaches_the_game(self):
        self.assertEqual(self.kvl.command("/bind F5 /echo bound"), b"")
        self.assertEqual(self.kvl.command("/bind"), b"F5 -> /echo bound\r\n")
        before = self.kvl.pane().count(b"bound\r\n")
        seen = self.game.press(*press(F5), *press(A))
        self.wait_pane(b"\r\nbound\r\n")
        # Every report was sent before the marker reached the game, and the program takes reports before typed
        # commands: a command's answer shows that no second "bound" is on its way.
        self.assertEqual(self.kvl.command("/echo sync"), b"sync\r\n")
        self.assertEqual(self.kvl.pane().count(b"bound\r\n"), before + 1)
        self.assertNotIn(F5, keys_of(seen, "down") + keys_of(seen, "up"), seen)
        self.assertIn(A, keys_of(seen, "down"), "an unbound key goes on to the game")

    def test_2_unbind_all_gives_the_key_back(self):
        self.assertEqual(self.kvl.command("/unbind all"), b"")
        self.assertEqual(self.kvl.command("/bind"), b"")
        pane = len(self.kvl.pane())
        seen = self.game.press(*press(F5))
        self.assertIn(F5, keys_of(seen, "down"), seen)
        self.assertEqual(self.kvl.pane()[pane:], b"")

    def test_3_console_opens_takes_the_typing_and_runs_the_line(self):
        closed = self.shot("ingame_closed")
        seen = self.game.press(*press(CONSOLE_KEY))
        self.wait_mode(1, "the hook sends the console characters")
        self.host.keyprobe("type", "/echo typed")
        seen += self.game.press()
        self.assertEqual(chars_of(seen), [], "no character reached the game: %r" % seen)
        self.assertNotIn(CONSOLE_KEY, keys_of(seen, "down"))

        # The frame's bottom edge runs along y 204 from x 0 to 424; the input row "> /echo typed" sits at y 185.
        self.assertEqual(closed.count(WHITE, 0, 200, 420, 208), 0, "nothing drawn before the console opens")
        opened = self.shot("ingame_console", lambda p: p.count(WHITE, 5, 185, 200, 202) > 40)
        self.assertGreater(opened.count(WHITE, 10, 204, 400, 205), 380, "the frame's lower edge")
        self.assertEqual(opened.pixel(200, 100), BLACK, "the game's background elsewhere")

        self.game.press(*press(RETURN))
        self.wait_pane(b"\r\ntyped\r\n")
        self.game.press(*press(CONSOLE_KEY))
        self.wait_mode(2, "the console closed")
        self.shot("ingame_closed_again", lambda p: p.count(WHITE, 0, 0, p.width, 240) == 0)  # the game repainted it

    def test_4_hostile_reports(self):
        out = self.host.keyprobe("report", "63,74,0", "28,74,0", "size:4", "size:200", "null", "nodesc",
                                 "0,0,0", "ffffffff,ffffffff,ffffffff")
        self.assertEqual(out[-1], "accepted 4 of 8", "whole records only, whatever their codes")
        self.host.keyprobe("report", "a,0,0", "flood:10000:41", "a,0,0", timeout=300)
        self.assertEqual(self.mode(), 2, "the console opened and closed again")
        self.assertEqual(self.kvl.command("/echo alive"), b"alive\r\n")
        self.assertTrue(self.kvl.alive())

    def test_5_game_window_gone_while_the_console_is_open(self):
        self.game.press(*press(CONSOLE_KEY))
        self.wait_mode(1, "the console opened")
        self.game.close()
        self.wait_mode(2, "the console closed with the game (the game watch runs every second)")
        self.assertEqual(self.kvl.command("/echo still here"), b"still here\r\n")
        type(self).game = self.host.fake_game("--foreground")
        self.assertIn(A, keys_of(self.game.press(*press(A)), "down"))

    def test_6_a_game_that_makes_its_window_late_is_found(self):
        # The hook's library came into this game before its window existed: it looks the window up again.
        self.game.close()
        type(self).game = self.host.fake_game("--foreground", "--late")
        self.assertEqual(self.kvl.command("/bind F5 /echo late"), b"")
        seen = self.game.press(*press(F5))
        self.wait_pane(b"\r\nlate\r\n")
        self.assertNotIn(F5, keys_of(seen, "down") + keys_of(seen, "up"), seen)

    def test_7_quit_and_kill_leave_the_game_working(self):
        self.assertEqual(self.kvl.command("/bind F5 /echo bound"), b"")
        self.assertEqual(self.kvl.quit(), 0)
        seen = self.game.press(*press(F5), *press(A))
        self.assertIn(F5, keys_of(seen, "down"), "after /quit the bound key is the game's again")
        self.assertIn(A, keys_of(seen, "down"))
        self.assertEqual(self.mode(), 2)

        kvl = self.host.start_kvl()
        kvl.wait_ready(60, expect=b" Starting keyRelay" + H.TM + b"... [OK]")
        self.assertEqual(kvl.command("/bind F5 /echo bound"), b"")
        self.host.keyprobe("raise")  # the program's window came to the front when it started
        self.assertEqual(keys_of(self.game.press(*press(F5)), "down"), [], "F5 is bound again")
        kvl.kill()
        # Wine keeps a killed owner's global hook (Windows would remove it): the bound key's reports go nowhere, but
        # every other key reaches the game as without the program.
        seen = self.game.press(*press(A), *press(0x42))
        self.assertEqual(keys_of(seen, "down"), [A, 0x42], seen)
        self.assertIsNone(self.game.proc.poll(), "the game runs on")

    def test_8_the_console_font_goes_at_shutdown(self):
        # The program's own drawing, as shutdown leaves it: the picture of the last frame held the font selected.
        p = self.host.wine([H.exe("overlayprobe.exe")], check=False)
        self.assertEqual((p.returncode, p.stdout.strip()), (0, b"console font freed"), p.stderr[-500:])


class HookOwnedElsewhereTests(unittest.TestCase):
    def test_a_second_owner_fails_the_line_and_the_first_keeps_working(self):
        with H.Harness("ingame-owned") as h:
            host = h.host("kvl", "10.77.0.2")
            host.reg_import(H.settings(RefreshAuto=0))
            host.ctl  # the prefix's first Wine process starts inside the host's namespace
            holder = host.wine_popen([H.exe("keyprobe.exe"), "hold"], stdout=H.subprocess.PIPE, log_name="hold")
            self.assertEqual(read_line(holder, 60), b"hold 1")
            kvl = host.start_kvl()
            kvl.wait_ready(60)
            self.assertIn(b" Starting keyRelay" + H.TM + b"... [FAILED]\r\n", kvl.pane())
            game = host.fake_game("--foreground")
            game.press(*press(CONSOLE_KEY))
            self.assertEqual(read_line(holder).split()[:2], [b"report", b"a"],
                             "the hook's first owner still gets its reports")
            self.assertEqual(kvl.command("/echo working"), b"working\r\n")
            game.close()
            H.stop_process(holder)


if __name__ == "__main__":
    H.main()
