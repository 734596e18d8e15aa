#!/usr/bin/env python3
"""The messenger of KVL_SE.exe under Wine, at scale.

1. 250 raw peers (each its own address in one namespace) answer one refresh: every one must be listed once, and the
   time from the refresh's due time-out to the finished status tree is measured against a refresh answered by the
   program alone (its own presence), the same way in the same run (see lan_scale.py for how the end is seen).
2. One peer sends 10,000 chat lines to the program, first as fast as it can, then at lower paces: how many arrive in
   the console (and in the log that "/savelog" writes), and meanwhile the longest the window took to answer a
   message sent every 10 ms, against the idle window's, and the longest round trip of posted input (what a key
   pressed in the program waits for).
3. A chat flood as a busy LAN party may see it: 5,000 lines a second for two seconds, then 2,000 a second for five,
   with the fake game in front and the in-game console open: every line in the console and the saved log, in order,
   and the same waits. (The in-game console's lines are the console's own text: it holds every line the pane
   does.)"""
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
    clicked = p.ctl.ask("click", H.IDC_REFRESH)["posted"]
    if answered:
        fake.wait_event("answered", TIMEOUT_MS / 1000 + 10)
    done = p.wait_refresh_done(TIMEOUT_MS / 1000 + 60)
    return (done - clicked) * 1e3 - TIMEOUT_MS


def watch(p, probes, syncs):
    """Half a second of the window's answers to a message sent every 10 ms (the longest and the median wait), and one
    round trip of posted input (what a user's key waits for) after it."""
    r = p.ctl.ask("probe", 500)
    probes.append((r["longest"], r["median"]))
    t = time.time()
    p.ctl("sync")
    syncs.append((time.time() - t) * 1e3)


def flood(h, p, fake, pace, segments=None):
    """Sends LINES texts at one pace, or (count, pace) segments one after the other; {lines in the console, lines in
    the saved log, longest and median wait of the window for a sent message (probe), longest and median round trip
    of posted input (ms), seconds of sending, whether the console has them in order}."""
    p.command(b"/clear")
    segments = segments or [(LINES, pace)]
    paths, n = [], 0
    for k, (count, rate) in enumerate(segments):
        path = os.path.join(h.workdir, "flood%d.txt" % k)
        with open(path, "w") as f:
            for _ in range(count):
                f.write("%s %s\n" % (FLOODER, P.text("flood line %05d" % n).hex()))
                n += 1
        paths.append((path, rate))
    probes, syncs, seconds = [], [], 0.0
    cpu = H.cpu_seconds(p.proc.pid)
    for path, rate in paths:
        fake.drain()
        fake.command(op="file", path=path, dst=KVL, port=P.PEER_PORT, rate=rate)
        done = None
        while done is None:
            watch(p, probes, syncs)
            try:
                done = fake.wait_event("sent", 0.01)
            except TimeoutError:
                pass
        seconds += float(done[3])
    # What is still queued is read meanwhile: wait until the console stops growing.
    size = -1
    while True:
        watch(p, probes, syncs)
        pane = p.pane()
        if len(pane) == size:
            break
        size = len(pane)
    cpu = H.cpu_seconds(p.proc.pid) - cpu
    numbers = [int(line.split()[-1]) for line in pane.split(b"\r\n") if line.startswith(b"Unknown: flood line ")]
    log_path = os.path.join(p.cwd, "flood.log")
    p.command(b"/savelog flood.log")
    logged = 0
    if os.path.exists(log_path):
        with open(log_path, "rb") as f:
            logged = sum(1 for line in f.read().split(b"\n") if b"Unknown: flood line " in line)
    return {"shown": len(numbers), "in_order": numbers == sorted(numbers), "logged": logged, "seconds": seconds,
            "cpu": cpu,
            "answer": max(x for x, _ in probes), "answer_median": statistics.median(m for _, m in probes),
            "posted": max(syncs), "posted_median": statistics.median(syncs)}


def waits(f, idle):
    return ("the window answered within %.1f ms (median %.2f; %.1f x the idle window's longest), posted input within "
            "%.1f ms (median %.2f); the program's CPU %.2f s, %.0f us a line"
            % (f["answer"], f["answer_median"], f["answer"] / idle, f["posted"], f["posted_median"], f["cpu"],
               f["cpu"] * 1e6 / max(f["shown"], 1)))


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

        idle = p.ctl.ask("probe", 1000)
        print("the idle window answered within %.2f ms (median %.2f)" % (idle["longest"], idle["median"]))
        for pace in PACES:
            f = flood(h, p, fake, pace)
            print("%d chat lines at %s: %d in the console, %d in the saved log; sent in %.2f s; %s"
                  % (LINES, "full speed" if pace == 0 else "%d/s" % pace, f["shown"], f["logged"], f["seconds"],
                     waits(f, idle["longest"])))

        game = kvl.fake_game("--foreground")
        game.press("c0,m,0", "c0,m,2")  # the in-game console open over the game
        profile = [(10000, 5000), (10000, 2000)]
        f = flood(h, p, fake, 0, profile)
        print("flood of 5,000 lines/s for 2 s then 2,000/s for 5 s, in-game console open: %d of 20000 in the console "
              "(%s), %d in the saved log; %s" % (f["shown"], "in order" if f["in_order"] else "OUT OF ORDER",
                                                  f["logged"], waits(f, idle["longest"])))
        ok &= f["in_order"] and f["shown"] == 20000 and f["logged"] == 20000
        game.close()
        if p.quit() != 0:
            ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
