#!/usr/bin/env python3
"""One refresh of KVL_SE.exe under Wine answered by many game hosts and idle game clients (a thousand of each by
default, each from its own address in two namespaces): every one must be recorded once, and the time from the end of
the refresh (its time-out) to the finished status tree is measured against a refresh that nobody answers, measured
the same way in the same run. A run at half the hosts shows how that time grows with the number of hosts.

The end of a refresh is seen from outside: the Refresh button is disabled while a refresh runs and enabled by the
handler of the refresh's time-out once the tree is rebuilt. Time from the click to that edge, minus RefreshTimeout,
is the time the program took from the due time-out to a finished tree, plus the few milliseconds between posting the
click and its handling, which the refresh that nobody answers measures too.

"/games" and "/players" check that every host is recorded once; the time "/games" takes is printed as well, and how
long the window takes to answer a message while it holds that listing.

While the answers arrive, a driver in the program's host sends the window a message every 10 ms and times its answer
(kvlctl probe): the longest wait is how long the window was unresponsive.

The smaller run is the reference of the figures (KVL_BENCH_SMALL games and as many idle players, 1,000 by default);
the larger one has KVL_BENCH_HOSTS of each (10,000 by default)."""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import gamedata as G  # noqa: E402
import harness as H  # noqa: E402

KVL = "10.77.0.2"
HOSTS = int(os.environ.get("KVL_BENCH_HOSTS", "10000"))
SMALL = min(HOSTS, int(os.environ.get("KVL_BENCH_SMALL", "1000")))
PACE = 2500  # answers per second, per namespace, for the runs that must lose nothing
# The refresh must outlast the paced answers of the larger run.
TIMEOUT_MS = max(4000, HOSTS * 1000 // PACE + 2000)
REPEATS = int(os.environ.get("KVL_BENCH_REPEATS", "5"))


def addresses(third, n):
    return ["10.77.%d.%d" % (third + i // 250, 1 + i % 250) for i in range(n)]


GAME_ADDRS = addresses(20, HOSTS)  # up to 10.77.59.x for 10,000 hosts
IDLE_ADDRS = addresses(140, HOSTS)  # up to 10.77.179.x
assert HOSTS <= 10000, "the two address ranges would overlap"


def configure(games, idle, n, pace):
    games.set_hosts([{"addr": a, "replies": [G.advertisement("G%04d" % i, "Map %d" % i, 1 + i % 7, 8, (0, 12)[i % 2])]}
                     for i, a in enumerate(GAME_ADDRS[:n])], pace=pace)
    idle.set_hosts([{"addr": a, "idle": G.idle_search(i)} for i, a in enumerate(IDLE_ADDRS[:n])], pace=pace)


def refresh(p, games, idle, answered, n=0):
    """One refresh by the Refresh button: ms from its due time-out to the finished tree, and the longest the window
    took to answer a message while the n paced answers arrived (None without answers)."""
    for f in (games, idle):
        f.drain()
    # The window first finishes what the last refresh's end left queued (the tray tip's update is a synchronous
    # call into the tray's process): the click is then handled as soon as it is posted.
    p.ctl("sync")
    clicked = p.ctl.ask("click", H.IDC_REFRESH)["posted"]  # when the click was posted: the timer starts later
    longest = None
    if answered:
        # The probe ends before the refresh's time-out: the tree's rebuild is not part of it.
        probe_ms = min(n * 1000 // PACE + 500, TIMEOUT_MS - 1000)
        longest = p.ctl.ask("probe", probe_ms)["longest"]
        for f in (games, idle):
            f.wait_event("answered", TIMEOUT_MS / 1000 + 10)
    done = p.wait_refresh_done(TIMEOUT_MS / 1000 + 60)
    return (done - clicked) * 1e3 - TIMEOUT_MS, longest


def listings(p):
    """The "/games" and "/players" lines, read from an emptied console; the time "/games" took to show (from the
    Enter that runs it to the pane's repaint that shows its last lines) and the longest wait of the window for a
    message in the second after that."""
    p.command(b"/clear")
    p.ctl("set-text", H.IDC_COMMAND, b"/games")
    p.ctl("paint", H.IDC_OUTPUT)
    time.sleep(0.1)  # a quiet pane, as a command typed by the user finds it (streaming text is drawn a frame at a time)
    t = time.time()
    p.ctl("post-key", H.IDC_COMMAND, "RETURN")
    p.ctl("paint", H.IDC_OUTPUT)
    listing_ms = (time.time() - t) * 1e3
    g = p.pane().split(b"\r\n")
    after = p.ctl.ask("probe", 1000)["longest"]
    i = p.command(b"/players").split(b"\r\n")
    p.command(b"/clear")
    return g[1:-2], i[1:-2], (listing_ms, after)


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
        empty = [refresh(p, games, idle, False)[0] for _ in range(REPEATS)]

        results, shown = {}, {}
        for n in (SMALL, HOSTS):
            configure(games, idle, n, PACE)
            runs = [refresh(p, games, idle, True, n) for _ in range(REPEATS)]
            g, i, (listing_ms, after) = listings(p)
            ok &= check_complete("paced answers, %d hosts" % n, g, i, n)
            print("  \"/games\" showed its %d lines in an empty console %.0f ms after its Enter; the window then "
                  "answered within %.1f ms" % (len(g), listing_ms, after))
            print("  longest the window took to answer while the answers arrived: %s ms"
                  % ", ".join("%.1f" % longest for _, longest in runs))
            results[n] = [ms for ms, _ in runs]
            shown[n] = listing_ms
        # The game monitor's two roots: each game with its four details, each idle player.
        items = sum(1 for root in p.tree() if root.text in (b"Games", b"Waiting games") for _ in H.walk([root]))
        print("status tree after the refresh with %d hosts: %d items under Games and Waiting games (%d expected)"
              % (HOSTS, items, 6 * HOSTS + 2))
        ok &= items == 6 * HOSTS + 2

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
        print("\"/games\" shown: %.0f ms with %d hosts, %.0f ms with %d (ratio %.2f)"
              % (shown[SMALL], SMALL, shown[HOSTS], HOSTS, shown[HOSTS] / shown[SMALL]))
        small, full = (statistics.median(results[n]) - base for n in (SMALL, HOSTS))
        print("growth of the tree time from %d to %d hosts: %.2f (%.1f is linear)"
              % (SMALL, HOSTS, full / small if small > 0 else float("nan"), HOSTS / SMALL))
        if p.quit() != 0:
            ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
