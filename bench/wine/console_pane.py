#!/usr/bin/env python3
"""The console pane of KVL_SE.exe under Wine holding a LAN party's evening: 100,000 lines of chat.

1. One line appended and shown: "/echo" run from the command box (until its Enter is handled) and the pane's repaint
   that shows it (until the pane has painted), in an emptied pane (the baseline) and with 100,000 lines held.
2. A resize step of the main window (a few pixels taller or shorter, as a drag of its frame makes them) with the
   pane empty (the baseline) and with 100,000 lines held.
3. The working set with 100,000 lines held above the program's with an emptied pane, against the bytes of the text.
4. How quickly the 100,000 lines are taken in (a command file of "/echo" lines), and that every one is in the pane
   once, in order.

Medians of REPEATS runs; the longest too."""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness as H  # noqa: E402

LINES = int(os.environ.get("KVL_BENCH_PANE_LINES", "100000"))
REPEATS = int(os.environ.get("KVL_BENCH_REPEATS", "30"))
LINE = "Annika: line %06d of an evening of chat at the LAN party, gg"
QUIET = 0.1  # seconds without output before a line that is measured


def run(p, line):
    p.ctl("set-text", H.IDC_COMMAND, line)
    p.ctl("post-key", H.IDC_COMMAND, "RETURN")


def appended(p, clear):
    """Milliseconds of one "/echo" line appended and shown, REPEATS times, each on a pane that has been quiet for a
    while, as lines that people type come (text that streams in is drawn a frame at a time)."""
    times = []
    for i in range(REPEATS):
        if clear:
            run(p, b"/clear")
        p.ctl("set-text", H.IDC_COMMAND, b"/echo appended line %d" % i)
        p.ctl("paint", H.IDC_OUTPUT)
        time.sleep(QUIET)
        t = time.time()
        p.ctl("post-key", H.IDC_COMMAND, "RETURN")
        p.ctl("paint", H.IDC_OUTPUT)
        times.append((time.time() - t) * 1e3)
    return times


def resizes(p):
    """Milliseconds of a resize step of the main window and its repaint, REPEATS times."""
    times = []
    for i in range(REPEATS):
        t = time.time()
        p.ctl("resize", 900, 700 - 4 * (i % 5))
        times.append((time.time() - t) * 1e3)
    p.ctl("resize", 900, 700)
    return times


def figures(times):
    return "median %.2f ms, longest %.2f ms" % (statistics.median(times), max(times))


def main():
    H.check_environment()
    ok = True
    with H.Harness("bench-pane") as h:
        kvl = h.host("kvl", "10.77.0.2")
        p = kvl.start_kvl(registry=H.settings(WindowPlacement="0,0,900,700,1,0", RefreshAuto=0))
        p.wait_ready(60)
        with open(os.path.join(p.cwd, "evening.cfg"), "w") as f:
            f.write("".join("/echo %s\n" % (LINE % i) for i in range(LINES)))

        empty_append = appended(p, True)
        run(p, b"/clear")
        empty_resize = resizes(p)
        empty_memory = p.memory()["working_set"]

        run(p, b"/clear")
        t = time.time()
        run(p, b"/exec evening.cfg")
        load_s = time.time() - t
        text = p.pane()
        numbers = [int(line.split()[2]) for line in text.split(b"\r\n") if line.startswith(b"Annika: line ")]
        complete = numbers == list(range(LINES))
        ok &= complete
        full_memory = p.memory()["working_set"]
        full_resize = resizes(p)
        full_append = appended(p, False)

        print("%d lines taken in by the pane in %.1f s (%.0f lines a second), %s" %
              (LINES, load_s, LINES / load_s, "every one once, in order" if complete else "MISSING OR OUT OF ORDER"))
        base, full = statistics.median(empty_append), statistics.median(full_append)
        print("one line appended and shown, pane emptied: %s" % figures(empty_append))
        print("one line appended and shown, %d lines held: %s; ratio %.2f" % (LINES, figures(full_append), full / base))
        base, full = statistics.median(empty_resize), statistics.median(full_resize)
        print("resize step, pane empty: %s" % figures(empty_resize))
        print("resize step, %d lines held: %s; ratio %.2f" % (LINES, figures(full_resize), full / base))
        grown = full_memory - empty_memory
        print("working set: %.1f MB emptied, %.1f MB with %d lines; %.1f MB more for %.1f MB of text: %.2f times "
              "the text" % (empty_memory / 1e6, full_memory / 1e6, LINES, grown / 1e6, len(text) / 1e6,
                            grown / len(text)))
        if p.quit() != 0:
            ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
