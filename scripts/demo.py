#!/usr/bin/env python3
"""Demo mode of the run command: KVL SE on a small simulated LAN, built from the end-to-end test suite's harness and
fake hosts, so that a machine with no LAN party around shows what the program does.

The LAN lives in network namespaces that this script makes and removes (nothing is sent in the machine's own
namespace): a dozen fake game hosts (waiting, running, watching replays, full), a few idle game clients, two more
copies of KVL SE on hosts of their own with their own names and signs, which answer refreshes and now and then say
something (driven from outside through their command boxes, as the tests drive a copy), and a fake game window
("Brood War") on the user's host to try the typing commands and the in-game console on.

The user's copy runs scripts/demo-autoexec.cfg as its start-up script (a greeting and a key binding); the two other
copies go to the tray once they are up, so that they do not cover the user's window.

It ends when the user's KVL SE quits or on Ctrl+C (SIGINT, SIGTERM, SIGHUP), and leaves no namespace, process or
Wine prefix behind: the harness's clean-up does that.

Environment: KVL_WIN_BIN (the programs), DISPLAY (used when set; otherwise a private Xvfb), KVL_DEMO_CHAT_PERIOD
(seconds between two lines of the other copies, 20 by default)."""
import os
import random
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import gamedata as G  # noqa: E402
import harness as H  # noqa: E402

USER = ("you", "10.77.0.2", "kvl-you", "Player", "trying the demo")
PEERS = [  # (host, address, host name, Name, Sign, window placement: left, top, right, bottom, show, flags)
    ("ann", "10.77.0.3", "kvl-ann", "Annika", "zerg rush kekeke", "600,330,1020,760,1,0"),
    ("bob", "10.77.0.4", "kvl-bob", "Bobcat", "gg no re", "640,300,1020,740,1,0"),
]
# (name, map, players, max players, status): a dozen games in every state the tree shows.
GAMES = [
    ("Friday Melee", "Lost Temple", 3, 8, G.STATUS_WAITING),
    ("2v2 BGH", "Big Game Hunters", 4, 4, G.STATUS_WAITING),  # full
    ("Ladder practice", "Python", 1, 2, G.STATUS_WAITING),
    ("Team Zerg", "Fighting Spirit", 6, 8, G.STATUS_RUNNING),
    ("Noobs welcome", "The Hunters", 2, 8, G.STATUS_WAITING),
    ("FFA madness", "Blood Bath", 8, 8, G.STATUS_RUNNING),  # full and running
    ("Replay: finals", "Luna", 1, 8, G.STATUS_REPLAY),
    ("Replay: 1v1 TvP", "Andromeda", 1, 2, G.STATUS_REPLAY),
    ("UMS Defense", "Marine Defense", 5, 6, G.STATUS_WAITING),
    ("Protoss only", "Destination", 2, 4, G.STATUS_RUNNING),
    ("Late night 1v1", "Circuit Breaker", 2, 2, G.STATUS_RUNNING),
    ("Comp stomp", "Jade", 1, 8, G.STATUS_WAITING),
]
GAME_ADDRS = ["10.77.1.%d" % (i + 1) for i in range(len(GAMES))]
IDLE_ADDRS = ["10.77.2.1", "10.77.2.2", "10.77.2.3"]
CHAT = ["anyone up for a 2v2?", "gg", "brb, coffee", "who hosts next?", "Lost Temple again?", "ready when you are",
        "my ping is fine, my micro is not"]


def say(text):
    print("demo: " + text, flush=True)


def settings(name=None, sign=None, placement=None):
    values = dict(RefreshTimeout=2000, RefreshAuto=1, RefreshPeriod=10000)
    if name:
        values.update(Name=name, Sign=sign)
    if placement:
        values["WindowPlacement"] = placement
    return H.settings(**values)


def start_lan(h):
    """The demo's LAN on a harness, up and ready: (the user's KVL SE, the fake game, [(name, other copy)])."""
    lan = h.host("lan", GAME_ADDRS + IDLE_ADDRS).fakelan()
    lan.set_hosts([{"addr": a, "replies": [G.advertisement(n, m, p, mx, st)]}
                   for a, (n, m, p, mx, st) in zip(GAME_ADDRS, GAMES)]
                  + [{"addr": a, "idle": G.idle_search(i + 1)} for i, a in enumerate(IDLE_ADDRS)])

    peers = []
    for name, addr, hostname, nick, sign, placement in PEERS:
        host = h.host(name, addr, hostname=hostname)
        p = host.start_kvl(registry=settings(nick, sign, placement))
        peers.append((nick, p))

    you = h.host(USER[0], USER[1], hostname=USER[2])
    game = you.fake_game()
    cwd = tempfile.mkdtemp(prefix="cwd-you-", dir=h.workdir)
    shutil.copy(os.path.join(os.path.dirname(os.path.abspath(__file__)), "demo-autoexec.cfg"),
                os.path.join(cwd, "autoexec.cfg"))
    kvl = you.start_kvl(cwd=cwd, registry=settings(USER[3], USER[4], placement="260,40,960,620,1,0"))
    for nick, p in peers:
        p.wait_ready(120)
        p.ctl("sys-command", H.SC_MINIMIZE)  # into the tray: the user's window stays in view
    kvl.wait_ready(120)
    return kvl, game, peers


def main():
    H.check_environment("fakegame.exe")
    chat_period = float(os.environ.get("KVL_DEMO_CHAT_PERIOD", "20"))
    with H.Harness("demo", display=os.environ.get("DISPLAY") or None) as h:
        say("the simulated LAN is run %s, its files in %s" % (h.run_id, h.workdir))
        say("KVL SE shows on display %s" % h.display.name)
        kvl, game, peers = start_lan(h)
        say("ready: %d games, %d idle players, %s on the LAN; a fake \"Brood War\" window (process %d) to type into"
            % (len(GAMES), len(IDLE_ADDRS), " and ".join(n for n, _ in peers), game.proc.pid))
        say("quit KVL SE or press Ctrl+C to end the demo")

        rng = random.Random()
        next_chat = time.time() + min(chat_period, 5)
        while kvl.alive():
            time.sleep(0.2)
            if time.time() < next_chat:
                continue
            next_chat = time.time() + chat_period
            nick, p = rng.choice(peers)
            if p.alive():
                try:
                    p.command(rng.choice(CHAT).encode())
                except Exception as e:  # a copy busy or gone: the demo goes on
                    H.log("%s did not take its chat line: %s" % (nick, e))
        say("KVL SE has quit (exit code %s); removing the LAN" % kvl.proc.returncode)
    say("done")
    return 0


if __name__ == "__main__":
    sys.exit(main())
