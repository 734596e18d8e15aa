#!/usr/bin/env python3
"""Demo mode (scripts/demo.py, `scripts/run.sh --demo`): what the user's copy of KVL SE shows on the demo's LAN (the
games, the idle players, the other copies as users, a chat line of theirs arriving, its start-up script's greeting,
and no other copy's window over it), read from outside through a
driver in that copy's host, and a clean end both on Ctrl+C (SIGINT) and when the program quits by "/quit": no
namespace, /etc/netns entry, folder or process of the demo is left."""
import os
import re
import signal
import subprocess
import sys
import threading
import time
import unittest

import harness as H

DEMO = os.path.join(H.REPO, "scripts", "demo.py")
CHAT_PERIOD = 2  # seconds between the other copies' lines


class Demo:
    """One run of the demo, its printed lines, and a driver for the user's copy inside the demo's LAN."""

    def __init__(self):
        env = dict(os.environ, KVL_DEMO_CHAT_PERIOD=str(CHAT_PERIOD))
        env.pop("DISPLAY", None)  # a private Xvfb, as on a machine without a display
        # A session of its own: Ctrl+C in a terminal reaches the demo's whole process group, and so does the test's.
        self.proc = subprocess.Popen([sys.executable, DEMO], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     env=env, start_new_session=True)
        self.lines = []
        threading.Thread(target=self._read, daemon=True).start()
        first = self.wait_line(r"^demo: the simulated LAN is run (\S+), its files in (\S+)$", 60)
        self.run_id, self.workdir = first.group(1), first.group(2)
        self.display = self.wait_line(r"^demo: KVL SE shows on display (\S+)$", 60).group(1)
        self.wait_line(r"^demo: ready", 300)
        # Recorded while the demo runs: every process left in one of these namespaces is found after its end.
        self.namespaces = self.own_namespaces()
        self.inodes = {os.stat("/run/netns/" + n).st_ino for n in self.namespaces}

    def _read(self):
        for line in self.proc.stdout:
            self.lines.append(line.decode(errors="replace").rstrip("\n"))

    def wait_line(self, pattern, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for line in list(self.lines):
                m = re.match(pattern, line)
                if m:
                    return m
            if self.proc.poll() is not None and not any(re.match(pattern, x) for x in self.lines):
                break
            time.sleep(0.2)
        raise AssertionError("the demo printed no line like %r; it printed:\n%s" % (pattern, "\n".join(self.lines)))

    def own_namespaces(self):
        names = H.run(["ip", "netns", "list"]).stdout.decode().split()
        return [n for n in names if n.startswith(self.run_id)]

    def kvlctl(self, request, *args):
        """One kvlctl request in the user's host (its namespace, its prefix) about the user's copy, named by its
        caption: (exit code, reply)."""
        args = (request, H.MAIN_CAPTION) + args
        env = H.wine_env(os.path.join(self.workdir, "prefix-you"), self.display)
        p = H.run(["ip", "netns", "exec", self.run_id + "-you"] + H.wine_loader() + [H.exe("kvlctl.exe")]
                  + [str(a) for a in args], check=False, env=env, timeout=120)
        return p.returncode, p.stdout

    def tree(self):
        rc, out = self.kvlctl("tree")
        return H.parse_tree(out) if rc == 0 else []

    def leftovers(self):
        """What of the demo still exists: namespaces, /etc/netns entries, its folder, processes in its LAN or
        using its prefixes."""
        left = ["namespace " + n for n in self.own_namespaces()]
        left += ["/etc/netns/" + n for n in self.namespaces if os.path.exists("/etc/netns/" + n)]
        if os.path.exists(self.workdir):
            left.append(self.workdir)
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                net = os.readlink("/proc/%s/ns/net" % pid)
                with open("/proc/%s/environ" % pid, "rb") as f:
                    environ = f.read()
            except OSError:
                continue
            inode = int(net.split("[")[1].rstrip("]")) if "[" in net else -1
            if inode in self.inodes or self.workdir.encode() in environ:
                left.append("process %s" % pid)
        return left

    def wait_end(self, timeout=90):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise AssertionError("the demo did not end within %d s:\n%s" % (timeout, "\n".join(self.lines)))
        finally:
            self.proc.stdout.close()


def roots(tree):
    return {r.text: r for r in tree}


class DemoTest(unittest.TestCase):
    def test_shows_the_lan_and_ends_clean_on_sigint(self):
        demo = Demo()
        try:
            deadline = time.time() + 60
            tree = {}
            while time.time() < deadline:
                tree = roots(demo.tree())
                if b"Games" in tree and len(tree[b"Games"].children) == 12 and \
                        len(tree[b"Waiting games"].children) == 3 and \
                        len(tree.get(b"KVL's online", H.TreeItem(0, 0, 0, 0, 0, 0, 0, b"")).children) == 3:
                    break
                time.sleep(1)
            self.assertEqual(sorted(u.text for u in tree[b"KVL's online"].children), [b"Annika", b"Bobcat", b"Player"])
            games = [g.text for g in tree[b"Games"].children]
            self.assertEqual(len(games), 12, games)
            self.assertIn(b"[4/4] 2v2 BGH", games)  # a full one
            self.assertEqual(sorted(c.text for c in tree[b"Waiting games"].children),
                             [b"[10.77.2.1]", b"[10.77.2.2]", b"[10.77.2.3]"])
            running = [g for g in tree[b"Games"].children if g.child(b"Status: Running")]
            replays = [g for g in tree[b"Games"].children if g.child(b"Type: Watching replay")]
            self.assertEqual((len(running), len(replays)), (6, 2))
            # The other copies are driven from outside: their lines go through their command boxes and arrive here.
            deadline, pane = time.time() + 30, b""
            while time.time() < deadline and not re.search(rb"(?m)^(Annika|Bobcat): ", pane):
                time.sleep(1)
                pane = demo.kvlctl("get-text", H.IDC_OUTPUT)[1]
            self.assertRegex(pane, rb"(?m)^(Annika|Bobcat): \S")
            self.assertFalse([x for x in demo.lines if "did not take its chat line" in x], demo.lines)
            # Its start-up script greets and binds a key; the other copies wait in the tray, not over its window.
            self.assertIn(b"Welcome to the KVL SE demo", pane)
            self.assertNotIn(b"Error opening 'autoexec.cfg'", pane)
            visible = H.run(["xdotool", "search", "--onlyvisible", "--name", "^Korvalen SE$"], check=False,
                            env=dict(os.environ, DISPLAY=demo.display)).stdout.split()
            self.assertEqual(len(visible), 1, "only the user's window is on the screen")
        finally:
            os.killpg(demo.proc.pid, signal.SIGINT)
            demo.wait_end()
        self.assertEqual(demo.leftovers(), [])

    def test_ends_clean_when_the_program_quits(self):
        demo = Demo()
        try:
            self.assertEqual(demo.kvlctl("set-text", H.IDC_COMMAND, "/quit")[0], H.KvlCtl.EXIT_OK)
            # Failed: the keys were taken, but the window went away before the driver saw them handled.
            self.assertIn(demo.kvlctl("post-key", H.IDC_COMMAND, "RETURN")[0], (H.KvlCtl.EXIT_OK, H.KvlCtl.EXIT_FAILED))
            self.assertEqual(demo.wait_end(), 0)
        finally:
            if demo.proc.poll() is None:
                demo.proc.send_signal(signal.SIGINT)
                demo.wait_end()
        self.assertTrue(any(re.match(r"^demo: KVL SE has quit \(exit code 0\)", x) for x in demo.lines), demo.lines)
        self.assertEqual(demo.leftovers(), [])


if __name__ == "__main__":
    H.main()
