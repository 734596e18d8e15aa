#!/usr/bin/env python3
"""Typing into the game under Wine, against a bare keybd_event loop in the same run and the same prefix: the latency
from a command to the first key message that the fake game window receives ("/bw_keys a"), and for a 200-character
"/bw_sayall" the time to the last key message; the baseline is keyprobe sending the same keybd_event calls, timed
from the line that releases it. Medians of several runs and their ratios."""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness as H  # noqa: E402

RUNS = int(os.environ.get("KVL_BENCH_RUNS", "7"))
TEXT = ("abcdefghij" * 20)[:200]


def calls_for(keys_text):
    """The keybd_event calls of "<SHIFT><ENTER>" + text + " <ENTER>" for lower-case letters, as the program makes them."""
    calls = [(0x10, "m", 1), (0x0D, "m", 1), (0x0D, "m", 3), (0x10, "m", 3)]
    for c in keys_text + " ":
        vk = 0x20 if c == " " else ord(c.upper())
        calls += [(vk, "m", 1), (vk, "m", 3)]
    calls += [(0x0D, "m", 1), (0x0D, "m", 3), (0x11, "0", 3), (0x12, "0", 3), (0x10, "0", 3)]
    return calls


def key_times(game, since):
    return [t for t, line in list(game.timed) if t >= since and line.startswith("key ")]


def timed_command(kvl, game, line, count):
    """(seconds to the first key message, seconds to the last) of one command typing `count` key messages."""
    game.press()  # what is left of earlier keys
    t0 = time.time()
    kvl.command(line)
    deadline = time.time() + 30
    while len(key_times(game, t0)) < count and time.time() < deadline:
        time.sleep(0.01)
    times = key_times(game, t0)
    if len(times) < count:
        raise RuntimeError("%s: %d of %d key messages arrived" % (line, len(times), count))
    return times[0] - t0, times[count - 1] - t0


def timed_baseline(host, game, calls):
    game.press()  # what is left of earlier keys
    probe = host.wine_popen([H.exe("keyprobe.exe"), "keys", "--wait"] + ["%x,%s,%x" % c for c in calls],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, log_name="keyprobe")
    try:
        if not probe.stdout.readline().startswith(b"ready"):
            raise RuntimeError("keyprobe did not start")
        t0 = time.time()
        probe.stdin.write(b"go\n")
        probe.stdin.flush()
        deadline = time.time() + 30
        while len(key_times(game, t0)) < len(calls) and time.time() < deadline:
            time.sleep(0.01)
        times = key_times(game, t0)
        if len(times) < len(calls):
            raise RuntimeError("baseline: %d of %d key messages arrived" % (len(times), len(calls)))
        return times[0] - t0, times[len(calls) - 1] - t0
    finally:
        probe.wait(30)


def main():
    H.check_environment("keyprobe.exe")
    with H.Harness("bench-typing") as h:
        host = h.host("kvl", "10.77.0.2")
        host.reg_import(H.settings(RefreshAuto=0))
        kvl = host.start_kvl()
        kvl.wait_ready(60)
        game = host.fake_game("--foreground")
        game.press()  # in front, taking keys
        calls = calls_for(TEXT)
        single = [(0x41, "m", 1), (0x41, "m", 3), (0x11, "0", 3), (0x12, "0", 3), (0x10, "0", 3)]
        first, first_base, last, last_base = [], [], [], []
        timed_command(kvl, game, "/bw_keys a", len(single))  # warm-up, not counted
        for _ in range(RUNS):
            first.append(timed_command(kvl, game, "/bw_keys a", len(single))[0])
            first_base.append(timed_baseline(host, game, single)[0])
            last.append(timed_command(kvl, game, "/bw_sayall " + TEXT, len(calls))[1])
            last_base.append(timed_baseline(host, game, calls)[1])
        m = statistics.median
        print("typing first key: /bw_keys a %6.1f ms, bare keybd_event %6.1f ms, ratio %.2f (%d runs)"
              % (m(first) * 1e3, m(first_base) * 1e3, m(first) / m(first_base), RUNS))
        print("typing 200 characters: /bw_sayall %6.1f ms, bare keybd_event loop %6.1f ms, ratio %.2f (%d events)"
              % (m(last) * 1e3, m(last_base) * 1e3, m(last) / m(last_base), len(calls)))
        kvl.quit()


if __name__ == "__main__":
    main()
