#!/usr/bin/env python3
"""What the tree-view control costs in a rebuild of the status tree with many games, under Wine: bench/win32/treecost
run in a host of a simulated LAN (it sends nothing; the host gives it a prefix and the display). Each step of the
rebuild is timed with drawing on and off and with the children inserted shuffled or already in the control's order
(KVL_BENCH_HOSTS games and as many idle players, 10,000 by default)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness as H  # noqa: E402

HOSTS = int(os.environ.get("KVL_BENCH_HOSTS", "10000"))


def main():
    H.check_environment("treecost.exe")
    with H.Harness("bench-tree") as h:
        host = h.host("tree", "10.77.0.2")
        host.ctl  # the prefix's wineserver starts inside the host's namespace
        for n in sorted({min(1000, HOSTS), HOSTS}):
            out = host.wine([H.exe("treecost.exe"), str(n), "3"], timeout=900).stdout
            sys.stdout.write(out.decode(errors="replace").replace("\r", ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
