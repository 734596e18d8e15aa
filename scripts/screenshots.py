#!/usr/bin/env python3
"""The README's pictures, made from demo mode: KVL SE on the demo's LAN (its games, idle players and the other copies
in the tree, a chat line of one of them in the console) as docs/kvl-se.png, and the in-game console open over the
demo's fake game as docs/in-game-console.png. Runs on a private Xvfb, in the demo's own network namespaces, and
leaves nothing behind. Needs root and the cross-built programs (KVL_WIN_BIN, build/win/bin by default).

Usage: python3 scripts/screenshots.py [OUTPUT_FOLDER]"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import demo  # noqa: E402
import harness as H  # noqa: E402

CONSOLE_KEY = ["c0,m,0", "c0,m,2"]


def main():
    H.check_environment("fakegame.exe")
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(H.REPO, "docs")
    os.makedirs(out, exist_ok=True)
    with H.Harness("screenshots") as h:
        kvl, game, peers = demo.start_lan(h)
        you = kvl.host

        def listed():
            counts = {r.text: len(r.children) for r in kvl.tree()}
            return counts.get(b"Games") == len(demo.GAMES) and counts.get(b"KVL's online") == 3
        H.wait_for("the demo's LAN in the tree", listed, 120)
        nick, copy = peers[0]
        copy.command(b"anyone up for a 2v2?")
        H.wait_for("the chat line", lambda: b"%s: anyone up for a 2v2?" % nick.encode() in kvl.pane(), 30)
        kvl.command(b"/users")
        rect = tuple(int(x) for x in kvl.window_state()["rect"].split())
        H.save_png(kvl.screenshot(rect), os.path.join(out, "kvl-se.png"))

        # The in-game console over the fake game, with a line typed into it.
        you.keyprobe("raise")
        game.press(*CONSOLE_KEY)
        H.wait_for("the console open", lambda: "mode 1" in you.keyprobe("shared"))
        you.keyprobe("type", "/w Annika gg")
        game.press()
        bmp = os.path.join(h.workdir, "in-game.bmp")

        def drawn():
            you.keyprobe("shot", H.win_path(bmp))
            picture = H.Picture(bmp)
            return picture if picture.count((255, 255, 255), 5, 185, 200, 202) > 40 else None
        H.wait_for("the console drawn", drawn).save_png(os.path.join(out, "in-game-console.png"))
        print("pictures in %s" % out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
