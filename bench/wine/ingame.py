#!/usr/bin/env python3
"""The in-game console under Wine, against baselines measured in the same run: the CPU that the program uses while
the console is open over the fake game and idle (repainting on its timer), as a share of one core, against a bare
helper (bench/win32/rowdraw.cpp) that draws the same rows onto the same window with the same calls on a timer of
the same rate, and against the program idle with the console closed (the X server's share alongside, since it does
the drawing); and the time from a console-key press to the first painted frame (the frame's lower edge seen on the
screen), against keyprobe drawing the same line on the game window itself and waiting for it the same way. Medians
of several runs."""
import subprocess
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness as H  # noqa: E402

RUNS = int(os.environ.get("KVL_BENCH_RUNS", "5"))
SECONDS = float(os.environ.get("KVL_BENCH_SECONDS", "5"))
TICK = os.sysconf("SC_CLK_TCK")
# A point on the frame's lower edge, in the game window's client area.
EDGE_X, EDGE_Y = 200, 204


def core_shares(pids, seconds):
    """Each process's CPU over `seconds` of wall time, as a share of one core."""
    before = [H.cpu_seconds(p) for p in pids]
    t0 = time.time()
    time.sleep(seconds)
    wall = time.time() - t0
    return [(H.cpu_seconds(p) - b) / wall for p, b in zip(pids, before)]


def painted_ms(host, command):
    for line in host.keyprobe(command, EDGE_X, EDGE_Y, 5000):
        if line.startswith("painted"):
            return float(line.split()[1])
    raise RuntimeError("%s: nothing painted within 5 s" % command)


def main():
    H.check_environment("keyprobe.exe")
    with H.Harness("bench-ingame") as h:
        host = h.host("kvl", "10.77.0.2")
        host.reg_import(H.settings(RefreshAuto=0))
        kvl = host.start_kvl()
        kvl.wait_ready(60)
        game = host.fake_game("--foreground")
        game.press()  # in front, taking keys
        toggle = ["c0,m,0", "c0,m,2"]
        pids = [kvl.proc.pid, h.display.proc.pid]

        closed, opened = [], []
        for _ in range(RUNS):
            closed.append(core_shares(pids, SECONDS))
            host.keyprobe("keys", *toggle)
            time.sleep(1.0)
            opened.append(core_shares(pids, SECONDS))
            host.keyprobe("keys", *toggle)
            time.sleep(1.0)
        m = statistics.median
        prog_closed, prog_open = m(c[0] for c in closed), m(o[0] for o in opened)
        x_closed, x_open = m(c[1] for c in closed), m(o[1] for o in opened)
        # One clock tick over one measuring window: a smaller share reads as 0.
        resolution = 1.0 / TICK / SECONDS
        if prog_closed > 0:
            ratio = "ratio %.1f" % (prog_open / prog_closed)
        else:
            ratio = "ratio above %.0f (closed: below the clock's %.4f)" % (prog_open / resolution, resolution)
        print("CPU of the program: console open and idle %.4f of a core, closed %.4f, %s (%d runs of %g s)"
              % (prog_open, prog_closed, ratio, RUNS, SECONDS))
        print("CPU of the X server meanwhile: open %.3f, closed %.3f" % (x_open, x_closed))

        helper = host.wine_popen([H.exe("rowdraw.exe")], stdout=subprocess.PIPE, log_name="rowdraw")
        if helper.stdout.readline().strip() != b"drawing":
            raise RuntimeError("rowdraw did not start")
        bare = [core_shares([helper.pid, h.display.proc.pid], SECONDS) for _ in range(RUNS)]
        H.stop_process(helper)
        bare_cpu, bare_x = m(b[0] for b in bare), m(b[1] for b in bare)
        print("a bare helper drawing the same rows at the same rate: %.4f of a core (X server %.3f); the open "
              "console's ratio to it %.2f" % (bare_cpu, bare_x, prog_open / bare_cpu if bare_cpu else float("nan")))

        first, base = [], []
        painted_ms(host, "paintwait")  # warm-up, not counted
        host.keyprobe("keys", *toggle)
        time.sleep(1.0)
        for _ in range(RUNS):
            first.append(painted_ms(host, "paintwait"))
            host.keyprobe("keys", *toggle)
            time.sleep(1.0)
            base.append(painted_ms(host, "drawwait"))
            time.sleep(0.2)
            kvl.ctl("sync")
        print("console key to first painted frame %.1f ms, keyprobe drawing the line itself %.1f ms, ratio %.1f "
              "(%d runs)" % (m(first), m(base), m(first) / m(base), RUNS))
        game.close()
        kvl.quit()


if __name__ == "__main__":
    main()
