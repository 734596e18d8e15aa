#!/usr/bin/env python3
"""The command line of the real program under Wine: the start-up script, lines run with Enter and with Exec,
completion as it is typed, history and the keys of the box, keys in the other controls, and the saved log."""
import os
import unittest

import harness as H

C = H.IDC_COMMAND

# autoexec.cfg: CR LF and LF line ends, an empty line, a quoted semicolon, an unknown command that stops only its
# own line, and a last line without a line end.
AUTOEXEC = (b"/echo first line\r\n"
            b"/echo \"second; with semicolon\"\n"
            b"/echo a;/echo b\r\n"
            b"\r\n"
            b"/nosuch arg;/echo never\n"
            b"/echo   after unknown  ")
AUTOEXEC_OUTPUT = (b"first line\r\n"
                   b"second; with semicolon\r\n"
                   b"a\r\nb\r\n"
                   b"Unknown command: 'nosuch arg'\r\n"
                   b"after unknown\r\n")


class CommandLineTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.h = H.Harness("cmdline")
        cls.host = cls.h.host("kvl", "10.77.0.2")
        cls.cwd = os.path.join(cls.h.workdir, "kvl-cwd")
        os.mkdir(cls.cwd)
        with open(os.path.join(cls.cwd, "autoexec.cfg"), "wb") as f:
            f.write(AUTOEXEC)
        # No automatic refresh: nothing but the commands writes to the console.
        cls.p = cls.host.start_kvl(cwd=cls.cwd, registry=H.settings(RefreshAuto=0))
        cls.p.wait_ready(60, expect=b"after unknown")

    @classmethod
    def tearDownClass(cls):
        cls.h.close()

    def box(self):
        return self.p.text(C), tuple(int(x) for x in self.p.ctl("get-sel", C).split())

    def esc(self):
        self.p.ctl("post-key", C, "ESCAPE")
        self.assertEqual(self.p.text(C), b"", "Esc empties the box")

    def test_1_autoexec_runs_at_start(self):
        self.assertEqual(self.p.pane(), H.BANNER + AUTOEXEC_OUTPUT)
        self.assertEqual(self.p.ctl("focus").strip(), str(C).encode(), "the focus starts in the command box")

    def test_2_enter_and_exec(self):
        cases = [
            ("enter", b"/echo hello", b"hello\r\n"),
            ("exec", b"/echo via exec", b"via exec\r\n"),
            ("enter", b"/echo a;/echo b", b"a\r\nb\r\n"),
            ("enter", b"/foo bar", b"Unknown command: 'foo bar'\r\n"),
            ("exec", b"/help w", b"Command: w\r\nInfo: Sends message to KVL user\r\nSyntax: /w <name | ip> [message]\r\n"),
            ("enter", b"/help nosuch", b""),
            ("enter", b"", b""),
            ("exec", b"", b""),
        ]
        for via, line, output in cases:
            with self.subTest(via=via, line=line):
                self.assertEqual(self.p.command(line, via=via), output)
                self.assertEqual(self.p.text(C), b"", "the box is emptied, the line is not echoed")

    def test_3_completion_as_typed(self):
        self.esc()
        # (typed characters, box text, selection) after each step; the completed part is selected.
        steps = [
            (b"/", b"/a", (1, 2)),
            (b"b", b"/bind", (2, 5)),
            (b"i", b"/bind", (3, 5)),
            (b"\x08", b"/bi", (3, 3)),  # Backspace deletes the completion and does not complete again
            (b"\x08", b"/b", (2, 2)),
            (b"w", b"/bw", (3, 3)),  # an exact keyword stays as it is
            (b"_", b"/bw_keys", (4, 8)),
            (b"\x08", b"/bw_", (4, 4)),
        ]
        for typed, text, sel in steps:
            with self.subTest(typed=typed):
                self.p.ctl("type", C, typed)
                self.assertEqual(self.box(), (text, sel))
        self.esc()
        self.p.ctl("type", C, b"/he")
        self.assertEqual(self.box(), (b"/help", (3, 5)))
        # Tab accepts the completion: the selection collapses at the end; the focus stays in the box.
        self.p.ctl("post-key", C, "TAB")
        self.assertEqual(self.box(), (b"/help", (5, 5)))
        self.assertEqual(self.p.ctl("focus").strip(), str(C).encode())
        self.p.ctl("type", C, b" w")
        self.assertEqual(self.box(), (b"/help w", (7, 7)))
        before = len(self.p.pane())
        self.p.ctl("post-key", C, "RETURN")
        self.assertTrue(self.p.pane()[before:].startswith(b"Command: w\r\n"))

    def test_4_history_keys(self):
        self.esc()
        for line in (b"/echo one", b"/echo two", b"/echo three"):
            self.p.command(line)
        first = self.p.command(b"/history").split(b"\r\n")[:-1]
        self.assertEqual(first[-3:], [b"/echo one", b"/echo two", b"/echo three"], "oldest first")
        self.assertNotIn(b"/history", first, "the running line is added after it ran")
        self.assertNotIn(b"", first, "an empty line is never recorded")
        self.assertEqual(len(first), len(set(first)), "no duplicates")
        history = first + [b"/history"]

        # Up from the empty box walks from the newest line to the oldest, where it stays; Down walks back and
        # empties the box after the newest.
        steps = [("UP", h) for h in reversed(history)] + [("UP", history[0])]
        steps += [("DOWN", h) for h in history[1:]] + [("DOWN", b"")]
        for i, (key, text) in enumerate(steps):
            with self.subTest(step=i, key=key, text=text):
                self.p.ctl("post-key", C, key)
                self.assertEqual(self.box(), (text, (0, len(text))), "recalled and wholly selected")
        self.p.ctl("set-text", C, "not in history")
        self.p.ctl("post-key", C, "DOWN")
        self.assertEqual(self.p.text(C), b"not in history", "Down with a text not in the history does nothing")
        self.esc()

        # A line run again moves to the end; an empty box runs nothing and adds nothing.
        self.p.command(b"/echo two")
        self.p.ctl("post-key", C, "RETURN")
        again = self.p.command(b"/history").split(b"\r\n")[:-1]
        self.assertEqual(again, [h for h in history if h != b"/echo two"] + [b"/echo two"])

    def test_5_keys_in_other_controls(self):
        self.p.ctl("set-text", C, "keep me")
        pane = self.p.pane()
        for control in (H.IDC_OUTPUT, H.IDC_STATUS_TREE, H.IDC_EXEC, H.IDC_REFRESH):
            for key in ("ESCAPE", "UP", "DOWN", "TAB"):
                with self.subTest(control=control, key=key):
                    self.p.ctl("post-key", control, key)
                    state = self.p.window_state()
                    self.assertEqual((state["exists"], state["visible"]), ("1", "1"), "Esc never closes the window")
                    self.assertTrue(self.p.alive())
                    self.assertEqual(self.p.text(C), b"keep me")
        self.assertEqual(self.p.pane(), pane, "swallowed keys write nothing")
        self.esc()

    def test_6_console_pane(self):
        """The pane as users read it: a click gives it the focus, CTRL+A and CTRL+C copy everything, a double click
        selects a word; scrolled up, it stays where it is while text arrives and follows the end once back there."""
        O = H.IDC_OUTPUT
        with open(os.path.join(self.cwd, "lines.cfg"), "w") as f:
            f.write("".join("/echo line %d of the lines that fill the pane\n" % i for i in range(80)))
        self.p.command(b"/exec lines.cfg")
        text = self.p.pane()

        self.p.ctl("mouse", O, 20, 5, "click")
        self.assertEqual(self.p.ctl("focus").strip(), str(O).encode(), "a click gives the pane the focus")
        self.assertEqual(self.p.ctl.ask("foreground")["caption"], H.MAIN_CAPTION.encode(), "keys reach the window")
        ctrl = lambda vk: ["11,m,0", "%x,m,0" % vk, "%x,m,2" % vk, "11,m,2"]  # noqa: E731
        self.host.keyprobe("keys", *ctrl(ord("A")))
        H.wait_for("all selected", lambda: self.p.ctl("get-sel", O).split() == [b"0", str(len(text)).encode()])
        self.host.keyprobe("keys", *ctrl(ord("C")))
        H.wait_for("the log on the clipboard", lambda: self.p.ctl("clipboard") == text)

        end = self.p.ctl.ask("lines", O)
        page = end["count"] - end["first"]  # the end in view: the last lines fill the pane
        self.p.ctl("post-key", O, "PRIOR")
        up = self.p.ctl.ask("lines", O)
        self.assertEqual(up["first"], end["first"] - page, "a page up")
        self.p.command(b"/exec lines.cfg")
        held = self.p.ctl.ask("lines", O)
        self.assertEqual((held["first"], held["count"]), (up["first"], end["count"] + 80), "new text leaves the view")
        self.assertEqual(self.p.ctl("get-sel", O).split(), [b"0", str(len(text)).encode()], "and the selection")
        self.p.ctl("post-key", O, "END")
        self.p.command(b"/echo after")
        now = self.p.ctl.ask("lines", O)
        self.assertEqual(now["first"], now["count"] - page, "back at the end it follows again")

        self.p.ctl("mouse", O, 20, 5, "double")
        start, stop = (int(x) for x in self.p.ctl("get-sel", O).split())
        word = self.p.pane()[start:stop]
        self.assertTrue(word and b" " not in word and b"\r" not in word, "a double click selects a word: %r" % word)
        self.p.ctl("set-text", C, "")
        self.p.command(b"/clear")

    def test_7_savelog(self):
        def winpath(name):
            return H.win_path(os.path.join(self.cwd, name)).encode()

        log = self.p.pane()
        out = self.p.command(b"/savelog saved.log")
        saving = b"Saving to '" + winpath("saved.log") + b"'... "
        self.assertEqual(out, saving + b"done")
        with open(os.path.join(self.cwd, "saved.log"), "rb") as f:
            self.assertEqual(f.read(), log.replace(b"\r\n", b"\r\r\n") + saving, "text-mode file: CR CR LF")
        # The next output goes on right after "done".
        self.assertEqual(self.p.command(b"/echo next"), b"next\r\n")
        self.assertTrue(self.p.pane().endswith(b"done" + b"next\r\n"))

        self.assertEqual(self.p.command(b"/savelog nosuchdir\\x.log"), b"Error opening file\r\n")

        # After clear the log holds only what follows; savelog without a name writes console.log.
        self.assertEqual(self.p.command(b"/clear"), b"")
        self.assertEqual(self.p.pane(), b"")
        first = b"Saving to '" + winpath("console.log") + b"'... "
        self.p.command(b"/savelog")
        self.assertEqual(self.p.pane(), first + b"done")
        with open(os.path.join(self.cwd, "console.log"), "rb") as f:
            self.assertEqual(f.read(), first)
        second = b"Saving to '" + winpath("again.log") + b"'... "
        self.p.command(b"/savelog again.log")
        with open(os.path.join(self.cwd, "again.log"), "rb") as f:
            self.assertEqual(f.read(), first + b"done" + second)

    def test_8_quit(self):
        self.assertEqual(self.p.quit(), 0)


if __name__ == "__main__":
    H.main()
