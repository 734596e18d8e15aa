#!/usr/bin/env python3
"""One refresh of KVL_SE.exe under Wine answered by many game hosts and idle game clients (a thousand of each by
default, each from its own address in two namespaces): every one must be recorded once, and the time from the end of
the refresh (its time-out) to the finished status tree is measured against a refresh that nobody answers, measured
the same way in the same run. A run at half the hosts shows how that time grows with the number of hosts.

The end of a refresh is seen from outside: the Refresh button is disabled while a refresh runs and enabled by the
handler of the refresh's time-out once the tree is rebuilt. Time from the click to that edge, minus RefreshTimeout,
is the time the program took from the due time-out to a finished tree, plus the few milliseconds between posting the
click and its handling, which the refresh that nobody answers measures too.

"/games" and "/players" check that every host is recorded once; the time "/games" takes is printed as well."""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import gamedata as G  # noqa: E402
import harness as H  # noqa: E402

KVL = "10.77.0.2"
HOSTS = int(os.environ.get("KVL_BENCH_HOSTS", "1000"))
TIMEOUT_MS = 4000
PACE = 2500  # answers per second, per namespace, for the runs that must lose nothing
REPEATS = 5


def addresses(third, n):
    return ["10.77.%d.%d" % (third + i // 250, 1 + i % 250) for i in range(n)]


GAME_ADDRS = addresses(100, HOSTS)
IDLE_ADDRS = addresses(140, HOSTS)


def configure(games, idle, n, pace):
    games.set_hosts([{"addr": a, "replies": [G.advertisement("G%04d" % i, "Map %d" % i, 1 + i % 7, 8, (0, 12)[i % 2])]}
                     for i, a in enumerate(GAME_ADDRS[:n])], pace=pace)
    idle.set_hosts([{"addr": a, "idle": G.idle_search(i)} for i, a in enumerate(IDLE_ADDRS[:n])], pace=pace)


def refresh(p, games, idle, answered):
    """One refresh by the Refresh button; ms from its due time-out to the finished tree."""
    for f in (games, idle):
        f.drain()
    clicked = float(p.ctl("click", H.IDC_REFRESH).split()[2])  # when the click was posted: the timer starts later
    if answered:
        for f in (games, idle):
            f.wait_event("answered", TIMEOUT_MS / 1000 + 10)
    done = p.wait_refresh_done(TIMEOUT_MS / 1000 + 60)
    return (done - clicked) * 1e3 - TIMEOUT_MS


def listings(p):
    """The "/games" and "/players" lines, read from an emptied console, and the time "/games" took."""
    p.command(b"/clear")
    t = time.time()
    g = p.command(b"/games").split(b"\r\n")
    listing_ms = (time.time() - t) * 1e3
    i = p.command(b"/players").split(b"\r\n")
    p.command(b"/clear")
    return g[1:-2], i[1:-2], listing_ms


def check_complete(test, games, players, n):
    want_games = sorted(b" G%04d (%s) " % (k, a.encode()) for k, a in enumerate(GAME_ADDRS[:n]))
    got_games = sorted(line[:len(b" G0000 (") + len(addr_of(line))] + b" " for line in games)
    want_players = sorted(b" " + a.encode() for a in IDLE_ADDRS[:n])
    ok = got_games == want_games and sorted(players) == want_players
    print("%s: %d of %d games and %d of %d idle players recorded%s"
          % (test, len(games), n, len(players), n, "" if ok else " (MISSING OR DUPLICATED RECORDS)"))
    return ok


def addr_of(line):
    return line[len(b" G0000 ("):].split(b")")[0] + b")"


def main():
    H.check_environment()
    with H.Harness("bench-scale") as h:
        kvl = h.host("kvl", KVL)
        games = h.host("games", GAME_ADDRS).fakelan()
        idle = h.host("idle", IDLE_ADDRS).fakelan()
        p = kvl.start_kvl(registry=H.settings(WindowPlacement="0,0,900,700,1,0", RefreshTimeout=TIMEOUT_MS,
                                              RefreshAuto=0))
        p.wait_ready(60)
        ok = True

        configure(games, idle, 0, 0)
        empty = [refresh(p, games, idle, False) for _ in range(REPEATS)]

        results = {}
        for n in (HOSTS // 2, HOSTS):
            configure(games, idle, n, PACE)
            runs = [refresh(p, games, idle, True) for _ in range(REPEATS)]
            g, i, listing_ms = listings(p)
            ok &= check_complete("paced answers, %d hosts" % n, g, i, n)
            print("  \"/games\" wrote its %d lines into an empty console in %.0f ms" % (len(g), listing_ms))
            results[n] = runs
        items = sum(1 for _ in H.walk(p.tree()))
        print("status tree after the refresh with %d hosts: %d items (%d expected)" % (HOSTS, items, 6 * HOSTS + 3))
        ok &= items == 6 * HOSTS + 3

        # The same answers at full speed: what the program's socket takes in when a whole LAN answers at once.
        configure(games, idle, HOSTS, 0)
        refresh(p, games, idle, True)
        g, i, _ = listings(p)
        print("full-speed answers, %d hosts: %d games and %d idle players recorded (%.1f%% of the datagrams)"
              % (HOSTS, len(g), len(i), 100.0 * (len(g) + len(i)) / (2 * HOSTS)))

        base = statistics.median(empty)
        print("end of refresh to finished tree, nobody answering: median %.1f ms (%s)"
              % (base, ", ".join("%.1f" % x for x in empty)))
        for n, runs in results.items():
            m = statistics.median(runs)
            print("end of refresh to finished tree, %d games + %d idle: median %.1f ms (%s); %.1f ms over the empty "
                  "refresh, %.1f us per record"
                  % (n, n, m, ", ".join("%.1f" % x for x in runs), m - base, (m - base) * 1e3 / (2 * n)))
        half, full = (statistics.median(results[n]) - base for n in (HOSTS // 2, HOSTS))
        print("growth of the tree time from %d to %d hosts: %.2f (2.0 is linear, 4.0 quadratic)"
              % (HOSTS // 2, HOSTS, full / half if half > 0 else float("nan")))
        if p.quit() != 0:
            ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
