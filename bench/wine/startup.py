#!/usr/bin/env python3
"""Start-up of KVL_SE.exe under Wine against a minimal Win32 dialog program (bench/win32/mindlg) started the same way
in the same run and the same warm prefix: the time from the start of `wine` to a shown, answering window with the
banner's last line in its pane, as medians and their ratio; and the working set after start-up. A second baseline,
mindlg_libs, is the same dialog importing the system libraries that KVL_SE.exe imports: the ratio against it is what
the program's own work costs. The programs take turns, so that a busy moment of the machine falls on all of them."""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness as H  # noqa: E402

RUNS = int(os.environ.get("KVL_BENCH_RUNS", "7"))
PROGRAMS = [("KVL_SE.exe", H.MAIN_CAPTION), ("mindlg.exe", "Minimal Dialog"), ("mindlg_libs.exe", "Minimal Dialog")]


def one_start(host, exe_name, caption):
    p = host.start(exe_name, caption=caption)
    ready = p.wait_ready(60)
    elapsed = ready - p.started
    time.sleep(1.0)  # let the first refresh and the first paint settle before the working set is read
    memory = p.memory()
    if p.quit() != 0:
        raise RuntimeError("%s did not end with 0" % exe_name)
    p.ctl("wait-gone", 10000)
    return elapsed, memory


def main():
    H.check_environment("mindlg_libs.exe")
    with H.Harness("bench-startup") as h:
        host = h.host("kvl", "10.77.0.2")
        host.reg_import(H.settings(RefreshTimeout=2000, RefreshAuto=1, RefreshPeriod=15000))
        times = {name: [] for name, _ in PROGRAMS}
        memory = {name: [] for name, _ in PROGRAMS}
        for name, caption in PROGRAMS:  # a first start of each warms the prefix's caches; not counted
            one_start(host, name, caption)
        for _ in range(RUNS):
            for name, caption in PROGRAMS:
                t, m = one_start(host, name, caption)
                times[name].append(t)
                memory[name].append(m)
        kvl, base, libs = (statistics.median(times[n]) for n, _ in PROGRAMS)
        for name, _ in PROGRAMS:
            ws = statistics.median(m["working_set"] for m in memory[name])
            print("startup %-15s median %6.1f ms (min %6.1f, max %6.1f, %d runs); working set %6.1f MiB"
                  % (name, statistics.median(times[name]) * 1e3, min(times[name]) * 1e3, max(times[name]) * 1e3,
                     RUNS, ws / 2**20))
        ws_kvl, ws_base, ws_libs = (statistics.median(m["working_set"] for m in memory[n]) for n, _ in PROGRAMS)
        print("startup ratio KVL_SE / mindlg: time %.2f, working set %.2f" % (kvl / base, ws_kvl / ws_base))
        print("startup ratio KVL_SE / mindlg_libs: time %.2f, working set %.2f" % (kvl / libs, ws_kvl / ws_libs))


if __name__ == "__main__":
    main()
