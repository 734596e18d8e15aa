#!/usr/bin/env python3
"""The messenger of KVL_SE.exe under Wine, at scale.

1. 250 raw peers (each its own address in one namespace) answer one refresh: every one must be listed once, and the
   time from the refresh's due time-out to the finished status tree is measured against a refresh answered by the
   program alone (its own presence), the same way in the same run (see lan_scale.py for how the end is seen).
2. One peer sends 10,000 chat lines to the program, first as fast as it can, then at lower paces: how many arrive in
   the console (and in the log that "/savelog" writes), and the longest round trip of a message to the window
   meanwhile (a driver call that the window must answer), against the round trip of an idle window."""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness as H  # noqa: E402
import peerdata as P  # noqa: E402

KVL = "10.77.0.2"
FLOODER = "10.77.0.66"
PEERS = int(os.environ.get("KVL_BENCH_PEERS", "250"))
LINES = int(os.environ.get("KVL_BENCH_LINES", "10000"))
PEER_ADDRS = ["10.77.%d.%d" % (30 + i // 250, 1 + i % 250) for i in range(PEERS)]
TIMEOUT_MS = 3000
REPEATS = 5
PACES = [0, 5000, 2000, 1000, 500]  # datagrams per second; 0: as fast as the sender goes


def refresh(p, fake, answered):
    fake.drain()
    clicked = float(p.ctl("click", H.IDC_REFRESH).split()[2])
    if answered:
        fake.wait_event("answered", TIMEOUT_MS / 1000 + 10)
    done = p.wait_refresh_done(TIMEOUT_MS / 1000 + 60)
    return (done - clicked) * 1e3 - TIMEOUT_MS


def rtts(p, seconds):
    out = []
    end = time.time() + seconds
    while time.time() < end:
        t = time.time()
        p.ctl("sync")
        out.append((time.time() - t) * 1e3)
    return out


def flood(h, p, fake, pace):
    """Sends LINES texts; (lines in the console, lines in the saved log, longest and median round trip in ms)."""
    p.command(b"/clear")
    path = os.path.join(h.workdir, "flood.txt")
    with open(path, "w") as f:
        for i in range(LINES):
            f.write("%s %s\n" % (FLOODER, P.text("flood line %05d" % i).hex()))
    fake.drain()
    fake.command(op="file", path=path, dst=KVL, port=P.PEER_PORT, rate=pace)
    times, done = [], None
    while done is None:
        t = time.time()
        p.ctl("sync")
        times.append((time.time() - t) * 1e3)
        try:
            done = fake.wait_event("sent", 0.01)
        except TimeoutError:
            pass
    # What is still queued is read meanwhile: wait until the console stops growing (reading it flushes the pane).
    size = -1
    while True:
        times += rtts(p, 0.5)
        pane = p.pane()
        if len(pane) == size:
            break
        size = len(pane)
    shown = sum(1 for line in pane.split(b"\r\n") if line.startswith(b"Unknown: flood line "))
    log_path = os.path.join(p.cwd, "flood.log")
    p.command(b"/savelog flood.log")
    logged = 0
    if os.path.exists(log_path):
        with open(log_path, "rb") as f:
            logged = sum(1 for line in f.read().split(b"\n") if b"Unknown: flood line " in line)
    return shown, logged, max(times), statistics.median(times), float(done[3])


def main():
    H.check_environment()
    ok = True
    with H.Harness("bench-peers") as h:
        kvl = h.host("kvl", KVL)
        peers_host = h.host("peers", [FLOODER] + PEER_ADDRS)
        fake = peers_host.fakelan()
        p = kvl.start_kvl(registry=H.settings(WindowPlacement="0,0,900,700,1,0", RefreshTimeout=TIMEOUT_MS,
                                              RefreshAuto=0, Name="bench"))
        p.wait_ready(60)

        alone = [refresh(p, fake, False) for _ in range(REPEATS)]
        fake.set_peers([(a, P.presence("peer%03d" % i, "sign of peer %d" % i, i % 3)) for i, a in
                        enumerate(PEER_ADDRS)], own=[FLOODER])
        runs = [refresh(p, fake, True) for _ in range(REPEATS)]
        users = p.command(b"/users").split(b"\r\n")[1:-2]
        listed = sorted(u for u in users if b"peer" in u)
        want = sorted(b" peer%03d (%s) - %s" % (i, a.encode(), [b"BW not running", b"BW running", b"BW active"][i % 3])
                      for i, a in enumerate(PEER_ADDRS))
        complete = listed == want
        ok &= complete
        base, m = statistics.median(alone), statistics.median(runs)
        print("refresh answered by %d peers: %d listed once each%s" % (PEERS, len(listed),
                                                                     "" if complete else " (MISSING OR DUPLICATED)"))
        print("end of refresh to finished tree, ourselves only: median %.1f ms (%s)"
              % (base, ", ".join("%.1f" % x for x in alone)))
        print("end of refresh to finished tree, %d peers: median %.1f ms (%s); ratio %.2f, %.1f us per peer"
              % (PEERS, m, ", ".join("%.1f" % x for x in runs), m / base if base > 0 else float("nan"),
                 (m - base) * 1e3 / PEERS))
        fake.set_peers([])

        idle = rtts(p, 1.0)
        print("round trip to the idle window: median %.2f ms, longest %.2f ms"
              % (statistics.median(idle), max(idle)))
        for pace in PACES:
            shown, logged, longest, median, seconds = flood(h, p, fake, pace)
            print("%d chat lines at %s: %d in the console, %d in the saved log; sent in %.2f s; window round trip "
                  "median %.2f ms, longest %.1f ms (%.1f x the idle median)"
                  % (LINES, "full speed" if pace == 0 else "%d/s" % pace, shown, logged, seconds, median, longest,
                     longest / statistics.median(idle)))
        if p.quit() != 0:
            ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
