"""End-to-end harness: runs the real KVL_SE.exe under Wine on a simulated LAN and drives it from outside.

A Harness owns one run: a private Xvfb display, a LAN (a network namespace holding a bridge) and Hosts. Each Host is
a network namespace joined to the bridge by a veth pair, with 10.77.x.y/16 addresses that exist only there, its own
host name and hosts file, and (when it runs Windows programs) its own Wine prefix cloned from a base prefix that is
booted once per build tree. Nothing of a run touches the machine's own network namespace: every process that can send
is started with `ip netns exec`.

Everything a run creates is removed at its end (close(), atexit, SIGTERM/SIGINT/SIGHUP): only the processes it
started are killed, by their pids (and each prefix's own wineserver), then its namespaces, /etc/netns entries and
temporary folders are deleted.

The bitness of Wine follows the programs in KVL_WIN_BIN (their PE header): the 32-bit product (build/win) runs under
32-bit Wine, WINEARCH=win32 and the `wine` launcher; a 64-bit build of the same sources (build/win64, which
scripts/build.sh makes where scripts/wine-arch.sh finds that the kernel cannot execute 32-bit programs) runs under the
64-bit loader with WINEARCH=win64. Each bitness has a base prefix of its own; the 64-bit one also replaces a font
that trips a fault of 64-bit Wine's text shaping (see WIN64_FONT_REPLACEMENTS).

Environment: KVL_WIN_BIN (the cross-built programs), KVL_E2E_STATE (where the base prefixes live; next to
KVL_WIN_BIN by default), KVL_E2E_KEEP=1 (keep a run's folder: logs, prefixes, the programs' working folders; the
next run sweeps it), KVL_E2E_SHOTS (a folder for the PNG screenshots some tests take; the run's folder by default).

Each host's kvlctl server (win32/kvlctl.cpp; its requests and replies are the table kvlctl.protocol, which
kvlctl_protocol.py reads for its build and for the harness here) is its prefix's first Wine process: it starts the
host's wineserver inside the host's namespace and keeps it warm for the programs started after it.
"""
import atexit
import fcntl
import json
import os
import queue
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

import kvlctl_protocol

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
WIN_BIN = os.environ.get("KVL_WIN_BIN") or os.path.join(REPO, "build", "win", "bin")
PYTHON = sys.executable
NS_PREFIX = "kvle2e"
SKIP = 77  # exit code CTest reads as "skipped"



def _resource_ids():
    """The numeric ids and the strings of the program's resource header (res/resource.h), which the program and the
    driver share."""
    ids, strings = {}, {}
    with open(os.path.join(REPO, "res", "resource.h")) as header:
        for line in header:
            m = re.match(r"#define\s+(\w+)\s+(\d+)\s*$", line)
            if m:
                ids[m.group(1)] = int(m.group(2))
            m = re.match(r'#define\s+(\w+)\s+"([^"\\]*)"\s*$', line)
            if m:
                strings[m.group(1)] = m.group(2)
    return ids, strings


_IDS, _STRINGS = _resource_ids()
# The main window's caption: the driver finds a program's window by it.
MAIN_CAPTION = _STRINGS["KVL_MAIN_CAPTION"]
# Control ids of the main window.
IDC_STATUS_TREE = _IDS["IDC_STATUS_TREE"]
IDC_COMMAND = _IDS["IDC_COMMAND"]
IDC_OUTPUT = _IDS["IDC_OUTPUT"]
IDC_LAUNCH = _IDS["IDC_LAUNCH"]
IDC_REFRESH = _IDS["IDC_REFRESH"]
IDC_CONFIGURE = _IDS["IDC_CONFIGURE"]
IDC_EXEC = _IDS["IDC_EXEC"]
IDC_QUIT = _IDS["IDC_QUIT"]
WM_ALREADY_RUNNING = 0x800B
SC_MINIMIZE = 0xF020
IDM_ABOUT = _IDS["IDM_ABOUT"]
ID_TRAY_KVL = _IDS["ID_TRAY_KVL"]
IDOK, IDCANCEL = 1, 2
# The configuration dialog, the About box and the message box of a wrong number, by caption.
CONFIG_CAPTION = "Configuration"
ABOUT_CAPTION = "About KVL SE"
MESSAGE_BOX_CAPTION = "KVL SE"
MESSAGE_BOX_TEXT = 0xFFFF  # the static that holds a message box's text
IDC_CFG = {name[8:].lower(): value for name, value in _IDS.items() if name.startswith("IDC_CFG_")}
IDC_TICKER = _IDS["IDC_TICKER"]
BALLOON_CLASS = b"BalloonHelpClass"

# The start-up banner. A module whose subsystem is not built yet honestly reports " [FAILED]"; Bulwark has no module.
TM = b"\x99"  # the trade-mark sign: one byte of the ANSI code page
MODULES = [
    (b" Starting Scoutline" + TM + b" engine...", b" [OK]"),
    (b" Starting Chatline" + TM + b"...", b" [OK]"),
    (b" Starting keyRelay" + TM + b"...", b" [OK]"),  # the keystroke worker runs and the hook is set
    (b" Starting Bulwark" + TM + b" services...", b" [FAILED]"),
]
BANNER = (b"Korvalen SE v0.70\r\n" + b"-" * 44 + b"\r\nInitializing built-in modules:\r\n"
          + b"".join(text + status + b"\r\n" for text, status in MODULES)
          + b"Done\r\n" + b"-" * 44 + b"\r\nType '/help' to get list of commands\r\n\r\n")

SETTINGS_KEY = r"HKCU\Software\Nimbrel\Korvalen SE"
NIMBREL_KEY = r"HKCU\Software\Nimbrel"


def reg_string(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def settings(**values):
    """REGEDIT4 lines that replace the settings key: str -> REG_SZ, int -> REG_DWORD, bytes -> REG_BINARY."""
    lines = ["[-HKEY_CURRENT_USER\\Software\\Nimbrel]", "[HKEY_CURRENT_USER\\Software\\Nimbrel\\Korvalen SE]"]
    for name, v in values.items():
        if isinstance(v, bytes):
            data = "hex:" + ",".join("%02x" % b for b in v)
        elif isinstance(v, int):
            data = "dword:%08x" % v
        else:
            data = reg_string(v)
        lines.append("%s=%s" % (reg_string(name), data))
    return lines


def log(msg):
    sys.stderr.write("[e2e %s] %s\n" % (time.strftime("%H:%M:%S"), msg))
    sys.stderr.flush()


def win_path(path):
    """The Windows name of a Unix path (Wine's drive Z: is the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def exe(name):
    return os.path.join(WIN_BIN, name)


# Machine field of a PE header -> the Wine prefix architecture that runs the program.
PE_MACHINES = {0x014C: "win32", 0x8664: "win64"}
WINE64_LOADER = "/usr/lib/wine/wine64"
_arch = None


def pe_arch(path):
    """"win32" or "win64" for a Windows program, from its PE header; None when it is no i386/x86-64 program."""
    with open(path, "rb") as f:
        head = f.read(4096)
    if head[:2] != b"MZ" or len(head) < 0x40:
        return None
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    if pe + 6 > len(head) or head[pe:pe + 4] != b"PE\0\0":
        return None
    return PE_MACHINES.get(struct.unpack_from("<H", head, pe + 4)[0])


def wine_arch():
    """The prefix architecture of this run: that of the programs in KVL_WIN_BIN (kvlctl.exe is always there)."""
    global _arch
    if _arch is None:
        arch = pe_arch(exe("kvlctl.exe"))
        if arch is None:
            raise SystemExit("%s is no 32- or 64-bit Windows program" % exe("kvlctl.exe"))
        _arch = arch
    return _arch


def wine_loader():
    """The command that starts Windows programs. 32-bit: Debian's `wine` launcher, as on any machine. 64-bit: the
    64-bit loader itself, since the launcher takes the 32-bit loader whenever wine32 is installed."""
    return ["wine"] if wine_arch() == "win32" else [WINE64_LOADER]


def host_wine_arch():
    """What scripts/wine-arch.sh says this machine runs: ("win32" or "win64", why)."""
    p = subprocess.run(["bash", os.path.join(REPO, "scripts", "wine-arch.sh"), "-v"], stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE, timeout=60)
    lines = p.stdout.decode(errors="replace").splitlines()
    if p.returncode != 0 or len(lines) < 2:
        raise SystemExit("scripts/wine-arch.sh failed: %s" % p.stderr.decode(errors="replace").strip())
    return lines[0], lines[1]


def check_environment(need_exe="KVL_SE.exe"):
    """Exits with the skip code when this machine cannot run the end-to-end tests at all; a missing build output is
    a failure, not a skip."""
    reasons = []
    if os.geteuid() != 0:
        reasons.append("needs root (network namespaces)")
    for tool in ("wine", "wineserver", "Xvfb", "ip", "unshare"):
        if not shutil.which(tool):
            reasons.append("%s is not installed" % tool)
    if reasons:
        print("SKIP: " + "; ".join(reasons))
        sys.exit(SKIP)
    missing = [n for n in (need_exe, "kvlctl.exe") if n and not os.path.exists(exe(n))]
    if missing:
        raise SystemExit("missing %s in %s: build the cross tree first (scripts/build.sh win)"
                         % (", ".join(missing), WIN_BIN))
    arch = wine_arch()
    if arch == "win64" and not os.access(WINE64_LOADER, os.X_OK):
        print("SKIP: the 64-bit Wine loader %s is not installed" % WINE64_LOADER)
        sys.exit(SKIP)
    machine, why = host_wine_arch()
    if arch == "win32" and machine == "win64":
        # A failure, not a skip: the tree under test cannot run here, and a silent skip would hide every test.
        raise SystemExit("%s holds 32-bit programs, but %s: test the 64-bit tree (build/win64, made by "
                         "scripts/build.sh)" % (WIN_BIN, why))
    log("Windows programs from %s: %s under %s" % (WIN_BIN, arch, " ".join(wine_loader())))


def wait_for(what, check, timeout=10):
    """check()'s first true answer within the time; the test fails with `what` otherwise."""
    deadline = time.time() + timeout
    while True:
        answer = check()
        if answer:
            return answer
        if time.time() > deadline:
            raise AssertionError("%s: not within %s s (last answer %r)" % (what, timeout, answer))
        time.sleep(0.05)


def run(argv, check=True, timeout=120, **kw):
    kw.setdefault("stdout", subprocess.PIPE)
    kw.setdefault("stderr", subprocess.PIPE)
    p = subprocess.run(argv, timeout=timeout, **kw)
    if check and p.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(argv), p.returncode,
                                                  (p.stderr or b"").decode(errors="replace").strip()))
    return p


# ----------------------------------------------------------------------------------------------------- clean-up


class _Cleanup:
    """The undo actions of every live Harness, run once, newest first, also when the process is killed."""

    def __init__(self):
        self.actions = []
        self.lock = threading.Lock()
        self.installed = False

    def install(self):
        if self.installed:
            return
        self.installed = True
        atexit.register(self.run_all)
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(sig, self._on_signal)

    def _on_signal(self, signum, _frame):
        self.run_all()
        signal.signal(signum, signal.SIG_DFL)
        os.kill(os.getpid(), signum)

    def push(self, action):
        with self.lock:
            self.actions.append(action)
        return action

    def discard(self, action):
        with self.lock:
            if action in self.actions:
                self.actions.remove(action)

    def run_all(self):
        while True:
            with self.lock:
                if not self.actions:
                    return
                action = self.actions.pop()
            try:
                action()
            except Exception as e:  # clean-up goes on whatever one step did
                log("clean-up step failed: %s" % e)


CLEANUP = _Cleanup()


def _pid_alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        return False
    except PermissionError:
        return True


def sweep_stale():
    """Deletes the namespaces and /etc/netns entries of earlier runs whose process is gone (a run killed hard)."""
    try:
        names = run(["ip", "netns", "list"]).stdout.decode().split()
    except Exception:
        return
    pat = re.compile(r"^%s-(\d+)-" % NS_PREFIX)
    for name in names:
        m = pat.match(name)
        if m and not _pid_alive(int(m.group(1))):
            run(["ip", "netns", "del", name], check=False)
            shutil.rmtree("/etc/netns/" + name, ignore_errors=True)
    tmp = tempfile.gettempdir()
    for name in os.listdir(tmp):
        m = pat.match(name)
        if m and not _pid_alive(int(m.group(1))):
            shutil.rmtree(os.path.join(tmp, name), ignore_errors=True)


def cpu_seconds(pid):
    """The CPU time a process has used (user and system), in seconds."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime, stime


def stop_process(p, grace=3.0):
    if p is None or p.poll() is not None:
        return
    try:
        p.terminate()
        p.wait(grace)
    except subprocess.TimeoutExpired:
        p.kill()
        try:
            p.wait(5)
        except subprocess.TimeoutExpired:
            pass
    except ProcessLookupError:
        pass


# ------------------------------------------------------------------------------------------------------ display


class Display:
    """A private Xvfb, on a display number that it picks itself."""

    def __init__(self, logdir):
        r, w = os.pipe()
        self.log = open(os.path.join(logdir, "xvfb.log"), "wb")
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                     pass_fds=(w,), stdout=self.log, stderr=self.log, stdin=subprocess.DEVNULL)
        os.close(w)
        deadline = time.time() + 20
        data = b""
        while not data.endswith(b"\n") and time.time() < deadline:
            ready, _, _ = select.select([r], [], [], 0.5)
            if ready:
                chunk = os.read(r, 32)
                if not chunk:
                    break
                data += chunk
        os.close(r)
        if not data.strip():
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + data.decode().strip()

    def close(self):
        stop_process(self.proc)
        self.log.close()


class SharedDisplay:
    """A display that somebody else runs (the user's $DISPLAY): used as it is, never closed."""

    def __init__(self, name):
        self.name = name

    def close(self):
        pass


# --------------------------------------------------------------------------------------------------- base prefix


def state_dir():
    d = os.environ.get("KVL_E2E_STATE") or os.path.join(os.path.dirname(os.path.abspath(WIN_BIN)), "e2e-state")
    os.makedirs(d, exist_ok=True)
    return d


def wine_env(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEARCH=wine_arch(), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    if wine_arch() == "win64":
        env["WINELOADER"] = WINE64_LOADER  # what Wine starts further programs with
    # The programs' ANSI code page follows the locale: English, so that byte 0x99 is the trade-mark sign.
    env["LANG"] = "en_US.UTF-8"
    env.pop("LC_ALL", None)
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


# 64-bit Wine 8.0 faults inside its own text shaping (gdi32's GPOS_apply_MarkToLigature reads the glyph before the
# first one of a run: index 0 - 1 as an unsigned int, 4 GB past the array at 64-bit, two bytes before it at 32-bit)
# when a run starts with a glyph the font's mark-to-ligature lookups cover. Random game names hit it wherever Wine
# shapes their text (an edit control shapes every line it lays out); Wine swallows the fault in the message callback
# and the control's update is lost. Tahoma (the dialogs' font, absent here) falls back to DejaVu Sans, which has such lookups;
# DejaVu Serif has none. 32-bit prefixes keep the fallback the product is tested with.
WIN64_FONT_REPLACEMENTS = [("Tahoma", "DejaVu Serif")]


def base_prefix(display):
    """The base prefix of this run's bitness, booted once per build tree (under a lock) inside a namespace of its own,
    with `Managed N` (no window manager: hiding a window is slow otherwise) and without the crash dialog."""
    state = state_dir()
    base = os.path.join(state, "base-prefix-" + wine_arch())
    marker = os.path.join(base, ".kvl-e2e-ready")
    with open(os.path.join(state, "base-prefix-%s.lock" % wine_arch()), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(marker):
            return base
        shutil.rmtree(base, ignore_errors=True)
        ns = "%s-%d-boot" % (NS_PREFIX, os.getpid())
        run(["ip", "netns", "add", ns])
        try:
            run(["ip", "-n", ns, "link", "set", "lo", "up"])
            env = wine_env(base, display)
            inns = ["ip", "netns", "exec", ns]
            log("booting the base Wine prefix %s" % base)
            run(inns + wine_loader() + ["wineboot", "-i"], env=env, timeout=300)
            run(inns + wine_loader() + ["reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t",
                                        "REG_SZ", "/d", "N", "/f"], env=env)
            run(inns + wine_loader() + ["reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                                        "/t", "REG_DWORD", "/d", "0", "/f"], env=env)
            if wine_arch() == "win64":
                for name, replacement in WIN64_FONT_REPLACEMENTS:
                    run(inns + wine_loader() + ["reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", name,
                                                "/t", "REG_SZ", "/d", replacement, "/f"], env=env)
            run(["wineserver", "-w"], env=env, timeout=120)
        finally:
            run(["ip", "netns", "del", ns], check=False)
        open(marker, "w").close()
        return base


def clone_prefix(base, dest):
    """A host's own prefix: hard links to the base's files (Wine replaces the files it writes), real copies of the
    registry, and no `wineserver` file (Debian keeps the server's private directory there)."""
    if run(["cp", "-al", base, dest], check=False).returncode != 0:
        shutil.rmtree(dest, ignore_errors=True)
        run(["cp", "-a", base, dest])
    for name in ("system.reg", "user.reg", "userdef.reg"):
        path = os.path.join(dest, name)
        if os.path.exists(path):
            os.unlink(path)
            shutil.copy2(os.path.join(base, name), path)
    for name in ("wineserver", ".kvl-e2e-ready"):
        try:
            os.unlink(os.path.join(dest, name))
        except FileNotFoundError:
            pass


# ------------------------------------------------------------------------------------------------- screenshots


def bmp_rows(data):
    """Rows top-down of (r, g, b) from a 24-bit BMP file."""
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise ValueError("not a 24-bit BMP")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        line = data[offset + y * stride: offset + y * stride + width * 3]
        rows.append([(line[i + 2], line[i + 1], line[i]) for i in range(0, width * 3, 3)])
    if height > 0:
        rows.reverse()
    return rows


def save_png(rows, path):
    """Writes rows of (r, g, b) as an 8-bit RGB PNG."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)
    return path


def shot_dir(harness):
    """Where screenshots go: KVL_E2E_SHOTS, or the run's folder (kept with KVL_E2E_KEEP=1)."""
    d = os.environ.get("KVL_E2E_SHOTS") or os.path.join(harness.workdir, "shots")
    os.makedirs(d, exist_ok=True)
    return d


# ------------------------------------------------------------------------------------------------------ kvlctl


# The driver's protocol table (kvlctl.protocol, next to this file), read by the one reader that kvlctl.exe is built
# through as well.
PROTOCOL = kvlctl_protocol.load(os.path.join(HERE, "kvlctl.protocol"))


def reply_fields(request, out):
    """The fields of a reply to that request (see kvlctl_protocol.Request.decode)."""
    return PROTOCOL.request(request).decode(out)


class KvlCtlError(RuntimeError):
    def __init__(self, args, rc, out):
        super().__init__("kvlctl %s: exit %d %r" % (" ".join(map(str, args)), rc, out[:200]))
        self.rc = rc
        self.out = out


class KvlCtl:
    """A `kvlctl serve` process inside a host's prefix, answering the requests of kvlctl.protocol. Its exit codes are
    attributes named after the table's: EXIT_NO_WINDOW, EXIT_DISABLED, ..."""

    def __init__(self, host):
        self.host = host
        self.proc = host.wine_popen([exe("kvlctl.exe"), "serve"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                    log_name="kvlctl")
        self.buf = b""
        line = self._read_line(time.time() + 60)
        if line != PROTOCOL.greeting:
            raise RuntimeError("kvlctl did not start: %r" % line)

    def _read_some(self, deadline):
        fd = self.proc.stdout.fileno()
        while True:
            left = deadline - time.time()
            if left <= 0:
                raise TimeoutError("kvlctl does not answer")
            r, _, _ = select.select([fd], [], [], left)
            if r:
                chunk = os.read(fd, 1 << 20)
                if not chunk:
                    raise RuntimeError("kvlctl ended")
                self.buf += chunk
                return

    def _read_line(self, deadline):
        while b"\n" not in self.buf:
            self._read_some(deadline)
        line, self.buf = self.buf.split(b"\n", 1)
        return line

    def call(self, request, *args, timeout=None):
        """(exit code, reply bytes) of one request."""
        names = PROTOCOL.request(request).arguments
        if timeout is None:
            # kvlctl bounds every wait itself (posted input, or the time the request is given in milliseconds):
            # this only catches a driver that hangs.
            timeout = PROTOCOL.posted_input_ms / 1000 + 30
            for name, a in zip(names, args):
                if name.endswith("_MS"):
                    timeout = max(timeout, int(a) / 1000 + 30)
        deadline = time.time() + timeout
        self.proc.stdin.write(PROTOCOL.encode((request,) + args))
        self.proc.stdin.flush()
        head = self._read_line(deadline).split()
        rc, length = int(head[0]), int(head[1])
        while len(self.buf) < length:
            self._read_some(deadline)
        out, self.buf = self.buf[:length], self.buf[length:]
        return rc, out

    def __call__(self, request, *args, timeout=None):
        """The reply bytes of one request that has to succeed."""
        rc, out = self.call(request, *args, timeout=timeout)
        if rc != KvlCtl.EXIT_OK:
            raise KvlCtlError((request,) + args, rc, out)
        return out

    def ask(self, request, *args, timeout=None):
        """The reply's fields (see kvlctl_protocol.Request.decode) of one request that has to succeed."""
        return reply_fields(request, self(request, *args, timeout=timeout))

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(PROTOCOL.encode(["exit"]))
                self.proc.stdin.flush()
                self.proc.wait(5)
            except Exception:
                pass
        stop_process(self.proc)


for _name, _code in PROTOCOL.exits.items():
    setattr(KvlCtl, "EXIT_" + _name.upper().replace("-", "_"), _code)


class ProgramCtl:
    """The host's driver as one program sees it: each request that reaches a program's window names this program's
    main window by its caption (the requests' first argument), so that two programs on one host never mix."""

    def __init__(self, ctl, caption):
        self.ctl, self.caption = ctl, caption

    def _args(self, request, args):
        return ((self.caption,) if PROTOCOL.request(request).targets_window else ()) + args

    def call(self, request, *args, timeout=None):
        return self.ctl.call(request, *self._args(request, args), timeout=timeout)

    def __call__(self, request, *args, timeout=None):
        return self.ctl(request, *self._args(request, args), timeout=timeout)

    def ask(self, request, *args, timeout=None):
        return self.ctl.ask(request, *self._args(request, args), timeout=timeout)


# -------------------------------------------------------------------------------------------------- tree dumps


class TreeItem:
    def __init__(self, depth, image, selimage, bold, expanded, selected, children, text):
        self.depth, self.image, self.selimage = depth, image, selimage
        self.bold, self.expanded, self.selected, self.has_children = bold, expanded, selected, children
        self.text = text
        self.children = []
        self.parent = None

    def child(self, text):
        for c in self.children:
            if c.text == text:
                return c
        return None

    def __repr__(self):
        return "TreeItem(%r, img=%d, bold=%d, exp=%d, sel=%d)" % (self.text, self.image, self.bold, self.expanded,
                                                                   self.selected)


def parse_tree(dump):
    """The roots of a `kvlctl tree` dump, each with its children."""
    roots, stack = [], []
    for f in reply_fields("tree", dump):
        item = TreeItem(f["depth"], f["image"], f["selected_image"], f["bold"], f["expanded"], f["selected"],
                        f["children"], f["text"])
        while stack and stack[-1].depth >= item.depth:
            stack.pop()
        if stack:
            item.parent = stack[-1]
            stack[-1].children.append(item)
        else:
            roots.append(item)
        stack.append(item)
    return roots


def walk(items):
    for it in items:
        yield it
        yield from walk(it.children)


# ------------------------------------------------------------------------------------------------ the program


class KvlProcess:
    """One started KVL_SE.exe (or another dialog program) and the driver of its window."""

    def __init__(self, host, proc, cwd, caption=MAIN_CAPTION):
        self.host, self.proc, self.cwd, self.caption = host, proc, cwd, caption
        self.started = time.time()
        self.ctl = ProgramCtl(host.ctl, caption)

    def alive(self):
        return self.proc.poll() is None

    def wait_ready(self, timeout=60, expect=None):
        """Unix time at which the window was up with its banner (and `expect` in its pane)."""
        args = ["wait-ready", int(timeout * 1000)] + ([expect] if expect is not None else [])
        rc, out = self.ctl.call(*args)
        if rc != KvlCtl.EXIT_OK:
            raise AssertionError("%s not ready after %ss (exit %s, alive %s); pane: %r"
                                 % (self.caption, timeout, rc, self.alive(), self._pane_or_none()))
        return reply_fields("wait-ready", out)["at"]

    def _pane_or_none(self):
        rc, out = self.ctl.call("get-text", IDC_OUTPUT)
        return out if rc == KvlCtl.EXIT_OK else None

    def pane(self):
        return self.ctl("get-text", IDC_OUTPUT)

    def text(self, control):
        return self.ctl("get-text", control)

    def command(self, line, via="enter"):
        """Runs a line through the real command box (Enter, or a click on Exec); the console text it added."""
        before = len(self.pane())
        self.ctl("set-text", IDC_COMMAND, line)
        if via == "enter":
            self.ctl("post-key", IDC_COMMAND, "RETURN")
        else:
            self.ctl("click", IDC_EXEC)
        return self.pane()[before:]

    def tree(self):
        return parse_tree(self.ctl("tree"))

    def is_enabled(self, control):
        return self.ctl.ask("is-enabled", control)["enabled"] == 1

    def wait_refresh_done(self, timeout=30):
        """Unix time at which the Refresh button was seen enabled again."""
        return self.ctl.ask("wait-enabled", IDC_REFRESH, 1, int(timeout * 1000))["at"]

    def window_state(self):
        """{name: the rest of its line} of the lines of window-state (each starts with its name): "exists" "1",
        "visible" "0", "normal" "130 90 730 470", ..."""
        out = {}
        for line in self.ctl("window-state").decode().splitlines():
            k, _, v = line.partition(" ")
            out[k] = v
        return out

    def tooltips(self):
        """(pid, visible, title, text) of every tool of every tool-tip window of the prefix: the program's own tips,
        and the tray icon's tip and balloons, which the shell's process shows."""
        return [(f["pid"], f["visible"] == 1, f["title"], f["text"]) for f in self.ctl.ask("tooltips")]

    def tray_tip(self):
        """The tray icon's tip: the one tool-tip text shown by another process than the program's own."""
        own = self.ctl.ask("pid")["pid"]
        tips = [text for pid, _, _, text in self.tooltips() if pid != own]
        return tips[0] if len(tips) == 1 else tips

    def windows(self):
        """Every top-level window of the prefix: dicts of pid, visible, rect (l, t, r, b), cls and caption (bytes)."""
        return [dict(pid=f["pid"], visible=f["visible"] == 1, rect=(f["left"], f["top"], f["right"], f["bottom"]),
                     cls=f["class"], caption=f["caption"]) for f in self.ctl.ask("windows")]

    def tray_icon_point(self):
        """The screen point of the program's icon in Wine's own notification area ("Wine System Tray", its first and
        only icon: the left of its client area, below its caption)."""
        for w in self.windows():
            if w["cls"] == b"__winex11_standalone_tray" and w["visible"]:
                l, t, r, b = w["rect"]
                return l + 9, b - 14
        raise AssertionError("no Wine System Tray window")

    def balloons(self):
        """The program's balloon tips on screen (caption = title)."""
        return [w for w in self.windows() if w["cls"] == BALLOON_CLASS and w["visible"]]

    def wait_balloon(self, title, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for b in self.balloons():
                if b["caption"] == title:
                    return b
            time.sleep(0.05)
        raise AssertionError("no balloon %r; balloons: %r" % (title, self.balloons()))

    def dialog_count(self, caption):
        own = self.ctl.ask("pid")["pid"]
        return sum(1 for w in self.windows() if w["pid"] == own and w["cls"] == b"#32770" and w["visible"]
                   and w["caption"] == caption.encode("latin-1"))

    def wait_dialog(self, caption, shown=True, timeout=20):
        rc, _ = self.ctl.call("dlg-wait", caption, 1 if shown else 0, int(timeout * 1000))
        if rc != KvlCtl.EXIT_OK:
            raise AssertionError("dialog %r not %s after %ss" % (caption, "shown" if shown else "gone", timeout))

    def dlg_text(self, caption, control):
        return self.ctl("dlg-get-text", caption, control)

    def dlg_set(self, caption, control, text):
        self.ctl("dlg-set-text", caption, control, text)

    def dlg_click(self, caption, control, how=None):
        self.ctl(*(["dlg-click", caption, control] + ([how] if how else [])))

    def dlg_state(self, caption, control):
        """(enabled, checked, (l, t, r, b)) of a dialog's control; control 0 is the dialog itself."""
        f = self.ctl.ask("dlg-state", caption, control)
        return bool(f["enabled"]), f["checked"], (f["left"], f["top"], f["right"], f["bottom"])

    def screenshot(self, rect):
        """Rows of (r, g, b) of a screen rectangle (l, t, r, b)."""
        l, t, r, b = rect
        return bmp_rows(self.ctl("screenshot", l, t, r - l, b - t))

    def memory(self):
        """{"working_set": bytes, "peak_working_set": bytes, "pagefile": bytes} of the program's process."""
        return self.ctl.ask("memory")

    def wait(self, timeout=30):
        return self.proc.wait(timeout)

    def quit(self, timeout=30):
        """Clicks Quit; the process's exit code."""
        self.ctl("quit-button")
        return self.wait(timeout)

    def kill(self):
        stop_process(self.proc)


# ------------------------------------------------------------------------------------------------ pictures


class Picture:
    """An RGB picture read from a 24-bit BMP (what `keyprobe shot` writes); pixel(x, y) from the top-left corner."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] != b"BM":
            raise ValueError("%s is no BMP" % path)
        offset = struct.unpack_from("<I", data, 10)[0]
        self.width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
        if bits != 24:
            raise ValueError("%s: %d bits per pixel" % (path, bits))
        self.height = abs(height)
        stride = (self.width * 3 + 3) & ~3
        self.rows = []
        for y in range(self.height):
            row = y if height < 0 else self.height - 1 - y
            bgr = data[offset + row * stride:offset + row * stride + self.width * 3]
            self.rows.append(bytes(b for i in range(0, len(bgr), 3) for b in (bgr[i + 2], bgr[i + 1], bgr[i])))

    def pixel(self, x, y):
        row = self.rows[y]
        return tuple(row[3 * x:3 * x + 3])

    def count(self, colour, left, top, right, bottom):
        """How many pixels of that colour lie in [left, right) x [top, bottom)."""
        right, bottom = min(right, self.width), min(bottom, self.height)
        return sum(1 for y in range(top, bottom) for x in range(left, right) if self.pixel(x, y) == colour)

    def save_png(self, path):
        import zlib
        raw = b"".join(b"\0" + row for row in self.rows)

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body
                    + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0,
                                                                           0, 0))
                    + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


# ------------------------------------------------------------------------------------------------ fake LAN


class FakeLan:
    """A fakelan.py process in a host's namespace (see that file for its commands and events)."""

    def __init__(self, host):
        self.host = host
        self.proc = host.popen([PYTHON, os.path.join(HERE, "fakelan.py")], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, log_name="fakelan")
        self.events = queue.Queue()
        self.peer_events = queue.Queue()
        self.lines = []
        threading.Thread(target=self._reader, daemon=True).start()
        self.wait_event("ready", 30)

    def _reader(self):
        for line in self.proc.stdout:
            line = line.decode(errors="replace").strip()
            if line.startswith("peer "):  # datagrams on the peer port have a queue of their own
                self.peer_events.put(line)
                continue
            self.lines.append(line)
            self.events.put(line)

    def wait_event(self, kind, timeout=30):
        deadline = time.time() + timeout
        while True:
            left = deadline - time.time()
            if left <= 0:
                raise TimeoutError("fakelan on %s: no %r event (seen %r)" % (self.host.name, kind, self.lines[-5:]))
            try:
                line = self.events.get(timeout=left)
            except queue.Empty:
                continue
            if line.startswith("error"):
                raise RuntimeError("fakelan on %s: %s" % (self.host.name, line))
            if line.split(" ", 1)[0] == kind:
                return line.split()

    def drain(self):
        while True:
            try:
                self.events.get_nowait()
            except queue.Empty:
                return

    def command(self, **c):
        self.proc.stdin.write((json.dumps(c) + "\n").encode())
        self.proc.stdin.flush()

    def set_hosts(self, hosts, pace=0, own=()):
        """hosts: dicts with addr, replies (bytes list), idle (bytes or None), idle_to."""
        enc = []
        for h in hosts:
            enc.append({"addr": h["addr"], "replies": [r.hex() for r in h.get("replies", [])],
                        "idle": h["idle"].hex() if h.get("idle") else None, "idle_to": h.get("idle_to", "broadcast")})
        self.command(op="hosts", hosts=enc, pace=pace, own=list(own))
        self.wait_event("hosts")

    def set_peers(self, peers, pace=0, own=()):
        """Fake copies of the program that answer every query: (address, presence bytes) pairs."""
        self.command(op="peers", peers=[{"addr": a, "presence": d.hex()} for a, d in peers], pace=pace,
                     own=list(own))
        self.wait_event("peers")

    def peer_datagrams(self, timeout=0.0, src=None):
        """(source, bytes) of the datagrams that reached the peer socket and were not read yet (only those from src,
        when given; the others are dropped); waits up to timeout seconds for the first one."""
        out = []
        deadline = time.time() + timeout
        while True:
            try:
                if out or timeout <= 0:
                    line = self.peer_events.get_nowait()
                else:
                    line = self.peer_events.get(timeout=max(0.001, deadline - time.time()))
            except queue.Empty:
                if out or time.time() >= deadline:
                    return out
                continue
            f = line.split()
            if src is None or f[1] == src:
                out.append((f[1], bytes.fromhex(f[2]) if len(f) > 2 else b""))

    def send(self, src, dst, data, port=6111):
        self.command(op="send", src=src, dst=dst, port=port, hex=data.hex())
        return self.wait_event("sent")

    def send_file(self, path, dst, port=6111, rate=0, timeout=120):
        self.command(op="file", path=path, dst=dst, port=port, rate=rate)
        return self.wait_event("sent", timeout)

    def close(self):
        if self.proc.poll() is None:
            try:
                self.command(op="quit")
                self.proc.wait(3)
            except Exception:
                pass
        stop_process(self.proc)


class FakeGame:
    """fakegame.exe in a host's prefix: a window of class "SWarClass" captioned "Brood War" that reports the keyboard
    messages it gets ("key down VK LPARAM", "char CODE LPARAM", hexadecimal).

    Keys are pressed with press(): after them comes a marker key, and the lines up to the marker are what the game got
    from those keys; a test never waits a fixed time for keys to arrive or for keys not to arrive."""

    MARKER_VK = 0x87  # F24: the program cannot bind it, and it types no character

    def __init__(self, host, *options):
        self.host = host
        self.proc = host.wine_popen([exe("fakegame.exe")] + list(options), stdin=subprocess.PIPE,
                                    stdout=subprocess.PIPE, log_name="fakegame")
        self.lines = queue.Queue()
        self.timed = []  # (arrival time, line) of every line, for measurements
        threading.Thread(target=self._reader, daemon=True).start()
        if "--late" in options:
            self.wait_line("loop", 60)  # its message loop runs, without a window yet
            self.proc.stdin.write(b"go\n")
            self.proc.stdin.flush()
        self.hwnd = int(self.wait_line("ready", 60).split()[1], 16)

    def _reader(self):
        for line in self.proc.stdout:
            text = line.decode(errors="replace").strip()
            self.timed.append((time.time(), text))
            self.lines.put(text)

    def wait_line(self, prefix, timeout=10):
        deadline = time.time() + timeout
        while True:
            left = deadline - time.time()
            if left <= 0:
                raise TimeoutError("fakegame: no %r line" % prefix)
            try:
                line = self.lines.get(timeout=left)
            except queue.Empty:
                continue
            if line.startswith(prefix):
                return line

    def received(self):
        """The lines reported so far and not yet read."""
        out = []
        while True:
            try:
                out.append(self.lines.get_nowait())
            except queue.Empty:
                return out

    def press(self, *calls, timeout=30):
        """Sends keybd_event calls ("VK,SCAN,FLAGS" as keyprobe takes them) once the game is the foreground window
        (asked to come to the front if another window took it), then the marker key; every line the game reported after the lines left from before and up to the marker (its
        own lines left out). press() alone tells what reached the game since the last look."""
        marker = ["%x,m,0" % self.MARKER_VK, "%x,m,2" % self.MARKER_VK]
        self.host.keyprobe("keys", "--game", *(list(calls) + marker))
        out = []
        deadline = time.time() + timeout
        while True:
            left = deadline - time.time()
            try:
                line = self.lines.get(timeout=max(left, 0.01))
            except queue.Empty:
                if left <= 0:
                    raise TimeoutError("fakegame: the marker key never arrived; before it: %r" % out)
                continue
            f = line.split()
            if len(f) == 4 and f[0] == "key" and int(f[2], 16) == self.MARKER_VK:
                if f[1] == "up":
                    return out
                continue
            out.append(line)

    def wait_keys(self, count, timeout=30):
        """The lines reported until `count` key messages have arrived (characters included, in their places)."""
        out, keys = [], 0
        deadline = time.time() + timeout
        while keys < count:
            left = deadline - time.time()
            if left <= 0:
                raise TimeoutError("fakegame: %d of %d key messages arrived: %r" % (keys, count, out))
            try:
                line = self.lines.get(timeout=left)
            except queue.Empty:
                continue
            out.append(line)
            keys += line.startswith("key ")
        return out

    def close(self):
        stop_process(self.proc)


# ----------------------------------------------------------------------------------------------------- hosts


class Host:
    def __init__(self, harness, index, name, addrs, hostname, hosts_lines, bridge):
        self.harness, self.index, self.name = harness, index, name
        self.addrs = list(addrs)
        self.addr = self.addrs[0]
        self.hostname = hostname or name
        self.ns = "%s-%s" % (harness.run_id, name)
        self._prefix = None
        self._ctl = None
        self.procs = []
        self.interfaces = 0
        run(["ip", "netns", "add", self.ns])
        harness.netns.append(self.ns)
        run(["ip", "-n", self.ns, "link", "set", "lo", "up"])
        self.add_interface(bridge, self.addrs)
        run(["ip", "-n", self.ns, "route", "add", "default", "dev", "eth0"])
        etc = "/etc/netns/" + self.ns
        os.makedirs(etc, exist_ok=True)
        harness.etc_dirs.append(etc)
        if hosts_lines is None:
            hosts_lines = ["%s\t%s" % (self.addr, self.hostname)]
        with open(os.path.join(etc, "hosts"), "w") as f:
            f.write("127.0.0.1\tlocalhost\n" + "".join(l + "\n" for l in hosts_lines))

    def add_interface(self, bridge, addrs):
        """One more interface (eth0, eth1, ...) plugged into a network of the LAN (a bridge, see Harness.network),
        with these addresses; its name."""
        dev, veth = "eth%d" % self.interfaces, "v%d.%d" % (self.index, self.interfaces)
        self.interfaces += 1
        lan = self.harness.lan_ns
        self.harness.network(bridge)
        run(["ip", "link", "add", dev, "netns", self.ns, "type", "veth", "peer", "name", veth, "netns", lan])
        run(["ip", "-n", lan, "link", "set", veth, "master", bridge, "up"])
        self.add_addresses(addrs, dev)
        run(["ip", "-n", self.ns, "link", "set", dev, "up"])
        return dev

    def add_addresses(self, addrs, dev="eth0"):
        """Adds addresses (each in its /16) to an interface in one `ip -batch` (a thousand take well under a
        second)."""
        batch = "".join("address add %s/16 broadcast %s.255.255 dev %s\n" % (a, a.rsplit(".", 2)[0], dev)
                        for a in addrs)
        run(["ip", "-n", self.ns, "-batch", "-"], input=batch.encode())
        for a in addrs:
            if a not in self.addrs:
                self.addrs.append(a)

    # -- processes
    def popen(self, argv, env=None, log_name=None, **kw):
        """A process inside this host: its namespace, its host name."""
        cmd = ["ip", "netns", "exec", self.ns, "unshare", "-u", "sh", "-c", 'hostname "$0" && exec "$@"',
               self.hostname] + list(argv)
        if log_name and "stderr" not in kw:
            kw["stderr"] = open(os.path.join(self.harness.workdir, "%s-%s.log" % (self.name, log_name)), "ab")
        kw.setdefault("stdin", subprocess.DEVNULL)
        try:
            p = subprocess.Popen(cmd, env=env, **kw)
        finally:
            for k in ("stdout", "stderr"):  # the log files this side opened: the child has its own copies
                f = kw.get(k)
                if hasattr(f, "close"):
                    f.close()
        self.procs.append(p)
        return p

    def run(self, argv, env=None, check=True, timeout=120, **kw):
        cmd = ["ip", "netns", "exec", self.ns, "unshare", "-u", "sh", "-c", 'hostname "$0" && exec "$@"',
               self.hostname] + list(argv)
        return run(cmd, env=env, check=check, timeout=timeout, **kw)

    @property
    def prefix(self):
        if self._prefix is None:
            base = base_prefix(self.harness.display.name)
            self._prefix = os.path.join(self.harness.workdir, "prefix-" + self.name)
            clone_prefix(base, self._prefix)
        return self._prefix

    def wine_env(self):
        return wine_env(self.prefix, self.harness.display.name)

    def wine_popen(self, argv, log_name="wine", **kw):
        if "stdout" not in kw:
            kw["stdout"] = open(os.path.join(self.harness.workdir, "%s-%s.out" % (self.name, log_name)), "ab")
        return self.popen(wine_loader() + list(argv), env=self.wine_env(), log_name=log_name, **kw)

    def wine(self, argv, check=True, timeout=120, **kw):
        return self.run(wine_loader() + list(argv), env=self.wine_env(), check=check, timeout=timeout, **kw)

    @property
    def ctl(self):
        """The host's kvlctl server; it is also the process that keeps the prefix's wineserver warm."""
        if self._ctl is None or self._ctl.proc.poll() is not None:
            self._ctl = KvlCtl(self)
        return self._ctl

    # -- registry
    def reg_import(self, lines):
        """Writes registry values in one go: REGEDIT4 lines such as '[HKEY_CURRENT_USER\\...]', '"Name"="x"',
        '"RefreshPeriod"=hex:10,27,00,00', '[-HKEY_CURRENT_USER\\Software\\Nimbrel]'."""
        path = os.path.join(self.harness.workdir, "%s-import.reg" % self.name)
        with open(path, "wb") as f:
            f.write(("REGEDIT4\r\n\r\n" + "\r\n".join(lines) + "\r\n").encode("latin-1"))
        self.wine(["regedit", "/S", win_path(path)])

    def reg_query(self, key=SETTINGS_KEY):
        """{value name: (type, data text)} of a key, or None when the key does not exist."""
        p = self.wine(["reg", "query", key], check=False)
        if p.returncode != 0:
            return None
        values = {}
        for line in p.stdout.decode("latin-1").replace("\r", "").split("\n"):
            m = re.match(r"^    (.*?)    (REG_[A-Z_]+)    ?(.*)$", line)
            if m:
                values[m.group(1)] = (m.group(2), m.group(3))
        return values

    def reg_delete(self, key=NIMBREL_KEY):
        self.wine(["reg", "delete", key, "/f"], check=False)

    # -- the program and fakes
    def start(self, exe_name="KVL_SE.exe", cwd=None, registry=None, caption=MAIN_CAPTION):
        """Starts a program of the build (KVL_SE.exe by default) in this host, in `cwd` (a fresh folder if None).
        registry: REGEDIT4 lines imported first."""
        if registry:
            self.reg_import(registry)
        if cwd is None:
            cwd = tempfile.mkdtemp(prefix="cwd-%s-" % self.name, dir=self.harness.workdir)
        ctl = self.ctl  # warm the prefix before the program starts
        p = self.wine_popen([exe(exe_name)], log_name=os.path.splitext(exe_name)[0], cwd=cwd)
        assert ctl
        return KvlProcess(self, p, cwd, caption)

    def start_kvl(self, cwd=None, registry=None):
        return self.start("KVL_SE.exe", cwd, registry)

    def fake_game(self, *options):
        """A fake game window in this host's prefix (options: --foreground, --hidden, --paints, --late)."""
        self.ctl  # the prefix's first Wine process is the driver, started inside this namespace
        return FakeGame(self, *options)

    def keyprobe(self, *args, timeout=60):
        """Runs keyprobe.exe in this host's prefix; its output lines. A failing run is an error."""
        p = self.wine([exe("keyprobe.exe")] + [str(a) for a in args], check=False, timeout=timeout)
        if p.returncode != 0:
            raise RuntimeError("keyprobe %s: exit %d %r" % (" ".join(map(str, args)), p.returncode,
                                                           p.stdout + p.stderr))
        return p.stdout.decode(errors="replace").splitlines()

    def fakelan(self):
        f = FakeLan(self)
        self.harness.fakes.append(f)
        return f

    def close(self):
        if self._ctl is not None:
            self._ctl.close()
        for p in self.procs:
            stop_process(p, grace=1.0)
            for f in (p.stdin, p.stdout):
                if f:
                    f.close()
        if self._prefix is not None:
            env = self.wine_env()
            run(["wineserver", "-k"], env=env, check=False, timeout=30)
            run(["wineserver", "-w"], env=env, check=False, timeout=30)


class Harness:
    """One run: display, LAN, hosts. Use as a context manager, or call close()."""

    def __init__(self, name="run", display=None):
        """display: the name of an X display to use (such as the user's $DISPLAY); None starts a private Xvfb."""
        CLEANUP.install()
        sweep_stale()
        self.run_id = "%s-%d-%s" % (NS_PREFIX, os.getpid(), os.urandom(2).hex())
        self.workdir = tempfile.mkdtemp(prefix="%s-%d-%s-" % (NS_PREFIX, os.getpid(), name))
        self.netns, self.etc_dirs, self.hosts, self.fakes = [], [], [], []
        self._display = SharedDisplay(display) if display else None
        self.closed = False
        self._undo = CLEANUP.push(self.close)
        self.lan_ns = self.run_id + "--lan"
        run(["ip", "netns", "add", self.lan_ns])
        self.netns.append(self.lan_ns)
        self.bridges = []
        self.network("br0")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def display(self):
        if self._display is None:
            self._display = Display(self.workdir)
        return self._display

    def host(self, name, addrs, hostname=None, hosts_lines=None, network="br0"):
        """A host on the LAN; addrs: one address or a list (the first is the host's own), on its eth0 in that
        network (more with Host.add_interface)."""
        if isinstance(addrs, str):
            addrs = [addrs]
        h = Host(self, len(self.hosts), name, addrs, hostname, hosts_lines, network)
        self.hosts.append(h)
        return h

    def network(self, bridge):
        """A network of the LAN, by its bridge's name ("br0" is made with the LAN; others when first asked for)."""
        if bridge not in self.bridges:
            run(["ip", "-n", self.lan_ns, "link", "add", bridge, "type", "bridge"])
            run(["ip", "-n", self.lan_ns, "link", "set", bridge, "up"])
            self.bridges.append(bridge)
        return bridge

    def xdotool(self, *args):
        """Real pointer and key input on the run's display (it reaches every host's windows)."""
        env = dict(os.environ, DISPLAY=self.display.name)
        run(["xdotool"] + [str(a) for a in args], env=env)

    def close(self):
        if self.closed:
            return
        self.closed = True
        CLEANUP.discard(self._undo)
        for f in self.fakes:
            f.close()
        for h in self.hosts:
            try:
                h.close()
            except Exception as e:
                log("closing host %s: %s" % (h.name, e))
        for ns in reversed(self.netns):
            run(["ip", "netns", "del", ns], check=False)
        for d in self.etc_dirs:
            shutil.rmtree(d, ignore_errors=True)
        if self._display is not None:
            self._display.close()
        if os.environ.get("KVL_E2E_KEEP"):
            log("kept %s" % self.workdir)
        else:
            shutil.rmtree(self.workdir, ignore_errors=True)


def main():
    """Entry point of a test file: skips without root or Wine, runs its unittest cases, cleans up."""
    import unittest
    check_environment()
    prog = unittest.main(module="__main__", exit=False, verbosity=2)
    CLEANUP.run_all()
    sys.exit(0 if prog.result.wasSuccessful() and prog.result.testsRun else 1)
