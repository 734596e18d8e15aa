// kvlctl: drives a running KVL SE main window from outside, inside the same Wine prefix. The end-to-end harness runs
// it either once per command or as a server ("serve") that reads hex-encoded requests on stdin, so that a test does
// not pay a Wine process start for every look at the window.
//
// Exit codes: 0 done, 1 usage, 2 window not found or time-out, 3 control not found, 4 the operation failed,
// 5 the control is disabled (click).
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

enum Exit { EXIT_OK = 0, EXIT_USAGE = 1, EXIT_NOWINDOW = 2, EXIT_NOCONTROL = 3, EXIT_FAILED = 4, EXIT_DISABLED = 5 };

// The main window's controls, as the program's resource script numbers them.
const int kPaneId = IDC_OUTPUT;
const int kTreeId = IDC_STATUS_TREE;
const int kQuitId = IDC_QUIT;
const char kReadyText[] = "Type '/help' to get list of commands";
const UINT kSendTimeout = 5000;
// How long posted input may take to be handled: a command can write thousands of console lines.
const DWORD kSyncTimeout = 120000;

std::string g_caption = KVL_MAIN_CAPTION;

using Args = std::vector<std::string>;

double NowSeconds() {
    // Unix time: the harness compares it with its own clock.
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return (double)(t.QuadPart - 116444736000000000ULL) / 1e7;
}

void Appendf(std::string& out, const char* format, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    if (n > 0)
        out.append(buf, n < (int)sizeof buf ? n : (int)sizeof buf - 1);
}

std::string Hex(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string r;
    for (unsigned char c : s) {
        r += digits[c >> 4];
        r += digits[c & 15];
    }
    return r;
}

bool Unhex(const std::string& s, std::string& out) {
    if (s.size() % 2)
        return false;
    out.clear();
    for (size_t i = 0; i < s.size(); i += 2) {
        char pair[3] = {s[i], s[i + 1], 0};
        char* end;
        long v = strtol(pair, &end, 16);
        if (*end)
            return false;
        out += (char)v;
    }
    return true;
}

struct FindState {
    HWND found;
};

// The program's main window, on screen (a top-level window) or parked under its tray holder (a child of it).
BOOL CALLBACK FindMainProc(HWND h, LPARAM lp) {
    FindState* st = (FindState*)lp;
    char buf[256] = {0};
    GetWindowTextA(h, buf, sizeof buf);
    if (g_caption == buf && GetDlgItem(h, kPaneId)) {
        st->found = h;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTrayProc(HWND h, LPARAM lp) {
    char buf[256] = {0};
    GetWindowTextA(h, buf, sizeof buf);
    if (g_caption + " tray" == buf) {
        EnumChildWindows(h, FindMainProc, lp);
        if (((FindState*)lp)->found)
            return FALSE;
    }
    return TRUE;
}

// The main window: a top-level window with the caption that holds the output pane, or such a window parked under
// the tray holder. A window of another program with the same caption but no pane is not taken.
HWND FindMain() {
    // The window can move between the two places while they are searched one after the other (a restore from the
    // tray makes it top-level again after the top-level search missed it): a miss is looked at again briefly.
    for (int attempt = 0; attempt < 10; ++attempt) {
        FindState st = {0};
        EnumWindows(FindMainProc, (LPARAM)&st);
        if (!st.found)
            EnumWindows(FindTrayProc, (LPARAM)&st);
        if (st.found)
            return st.found;
        Sleep(5);
    }
    return NULL;
}

// Looks every intervalMs until ready() holds (true) or timeoutMs have passed (false); ready() is asked at least
// once, and once more at the end.
template <typename Ready>
bool PollUntil(DWORD timeoutMs, DWORD intervalMs, Ready ready) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (ready())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(intervalMs);
    }
}

HWND WaitMain(DWORD timeoutMs) {
    HWND h = NULL;
    PollUntil(timeoutMs, 10, [&] { return (h = FindMain()) != NULL; });
    return h;
}

bool GetText(HWND h, std::string& text) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kSendTimeout, &len))
        return false;
    // The length of an ANSI text may be reported short of its bytes on double-byte code pages: leave room.
    std::vector<char> buf(len * 2 + 16, 0);
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXT, buf.size(), (LPARAM)buf.data(), SMTO_NORMAL, kSendTimeout, &n))
        return false;
    if (n > buf.size() - 1)
        n = buf.size() - 1;
    text.assign(buf.data(), n);
    return true;
}

bool ParseInt(const std::string& s, long& v) {
    if (s.empty())
        return false;
    char* end;
    v = strtol(s.c_str(), &end, 0);
    return *end == 0;
}

struct VkName {
    const char* name;
    int vk;
};
const VkName kVkNames[] = {
    {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE},  {"TAB", VK_TAB},
    {"UP", VK_UP},         {"DOWN", VK_DOWN},    {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT}, {"BACK", VK_BACK},
    {"HOME", VK_HOME},     {"END", VK_END},      {"DELETE", VK_DELETE}, {"F1", VK_F1},       {"F5", VK_F5},
    {"SPACE", VK_SPACE},   {"SHIFT", VK_SHIFT},
};

bool ParseVk(const std::string& s, int& vk) {
    for (const VkName& n : kVkNames) {
        if (_stricmp(n.name, s.c_str()) == 0) {
            vk = n.vk;
            return true;
        }
    }
    long v;
    if (ParseInt(s, v) && v > 0 && v < 256) {
        vk = (int)v;
        return true;
    }
    return false;
}

bool IsExtendedKey(int vk) {
    switch (vk) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
        return true;
    default:
        return false;
    }
}

// A harmless, invisible marker posted behind earlier posted messages: the tree view's scroll time, which nothing in
// the program reads. Once it reads back, every message posted before it has been handled. A second round catches
// the characters that handling a posted key-down may itself post (TranslateMessage). The control keeps at most 100,
// so the marker is any value from 1 to 99 other than the current one.
bool Sync(HWND main, DWORD timeoutMs) {
    HWND tree = GetDlgItem(main, kTreeId);
    if (!tree)
        return false;
    DWORD start = GetTickCount();
    // Each look waits at most kSendTimeout and is repeated: a program that is busy for longer is slow, not lost.
    auto scrollTime = [&](DWORD_PTR& value) {
        for (;;) {
            if (SendMessageTimeoutA(tree, TVM_GETSCROLLTIME, 0, 0, SMTO_NORMAL, kSendTimeout, &value))
                return true;
            if (!IsWindow(tree) || GetTickCount() - start >= timeoutMs)
                return false;
        }
    };
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR current = 0;
        if (!scrollTime(current))
            return false;
        UINT marker = (UINT)(current % 99) + 1;
        if (!PostMessageA(tree, TVM_SETSCROLLTIME, marker, 0))
            return false;
        for (;;) {
            DWORD_PTR got = 0;
            if (!scrollTime(got))
                return false;
            if (got == marker)
                break;
            if (GetTickCount() - start >= timeoutMs)
                return false;
            Sleep(1);
        }
    }
    return true;
}

// ---- memory in the process that owns a window: the place for the records of messages that carry pointers
class Remote {
public:
    static const SIZE_T kSize = 8192;

    explicit Remote(HWND window) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                                FALSE, pid);
        // The records placed there (TVITEMA, TTTOOLINFOA) have this build's layout, pointers and all: the target
        // must be of the same bitness (the 32-bit driver with the 32-bit program, or both 64-bit).
        BOOL ownWow64 = FALSE, targetWow64 = FALSE;
        if (m_process && IsWow64Process(GetCurrentProcess(), &ownWow64) && IsWow64Process(m_process, &targetWow64) &&
            ownWow64 == targetWow64)
            m_base = (char*)VirtualAllocEx(m_process, NULL, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~Remote() {
        if (m_base)
            VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;

    bool Ok() const { return m_base != NULL; }
    char* At(SIZE_T offset) const { return m_base + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T n) const {
        SIZE_T done = 0;
        return offset + n <= kSize && WriteProcessMemory(m_process, m_base + offset, data, n, &done) && done == n;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T n) const {
        SIZE_T done = 0;
        return offset + n <= kSize && ReadProcessMemory(m_process, m_base + offset, data, n, &done) && done == n;
    }

private:
    HANDLE m_process = NULL;
    char* m_base = NULL;
};

bool Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR& result) {
    return SendMessageTimeoutA(h, msg, wp, lp, SMTO_NORMAL, kSendTimeout, &result) != 0;
}

// ---- tree view of another process
class RemoteTree {
public:
    explicit RemoteTree(HWND tree) : m_tree(tree), m_mem(tree) {}

    bool Ok() const { return m_mem.Ok(); }

    HTREEITEM Next(HTREEITEM item, UINT code) const {
        DWORD_PTR r = 0;
        Send(m_tree, TVM_GETNEXTITEM, code, (LPARAM)item, r);
        return (HTREEITEM)r;
    }

    bool Get(HTREEITEM item, TVITEMA& tv, std::string& text) const {
        memset(&tv, 0, sizeof tv);
        tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_CHILDREN;
        tv.hItem = item;
        tv.stateMask = 0xFFFF;
        tv.pszText = m_mem.At(sizeof(TVITEMA));
        tv.cchTextMax = kText;
        const char nul = 0;
        DWORD_PTR r = 0;
        if (!m_mem.Write(sizeof(TVITEMA), &nul, 1) || !m_mem.Write(0, &tv, sizeof tv) ||
            !Send(m_tree, TVM_GETITEMA, 0, (LPARAM)m_mem.At(0), r) || !r)
            return false;
        std::vector<char> buf(sizeof(TVITEMA) + kText + 1, 0);
        if (!m_mem.Read(0, buf.data(), sizeof(TVITEMA) + kText))
            return false;
        memcpy(&tv, buf.data(), sizeof tv);
        const char* t = buf.data() + sizeof(TVITEMA);
        text.assign(t, strnlen(t, kText));
        return true;
    }

private:
    static const int kText = 1024;
    HWND m_tree;
    Remote m_mem;
};

// One line per item in display order: depth, image, selected image, bold, expanded, selected, children flag, and
// the text in hexadecimal (item texts come from the network and may hold any byte).
bool DumpTree(const RemoteTree& rt, HTREEITEM first, int depth, std::string& out) {
    for (HTREEITEM item = first; item; item = rt.Next(item, TVGN_NEXT)) {
        TVITEMA tv;
        std::string text;
        if (!rt.Get(item, tv, text))
            return false;
        Appendf(out, "%d %d %d %d %d %d %d %s\n", depth, tv.iImage, tv.iSelectedImage, (tv.state & TVIS_BOLD) ? 1 : 0,
                (tv.state & TVIS_EXPANDED) ? 1 : 0, (tv.state & TVIS_SELECTED) ? 1 : 0, tv.cChildren ? 1 : 0,
                Hex(text).c_str());
        HTREEITEM child = rt.Next(item, TVGN_CHILD);
        if (child && !DumpTree(rt, child, depth + 1, out))
            return false;
    }
    return true;
}

HTREEITEM FindPath(const RemoteTree& rt, const Args& path, size_t from) {
    HTREEITEM level = rt.Next(NULL, TVGN_ROOT);
    HTREEITEM found = NULL;
    for (size_t i = from; i < path.size(); ++i) {
        found = NULL;
        for (HTREEITEM item = level; item; item = rt.Next(item, TVGN_NEXT)) {
            TVITEMA tv;
            std::string text;
            if (rt.Get(item, tv, text) && text == path[i]) {
                found = item;
                break;
            }
        }
        if (!found)
            return NULL;
        level = rt.Next(found, TVGN_CHILD);
    }
    return found;
}

// ---- commands
struct Context {
    HWND main = NULL;
};

int NeedMain(Context& cx, DWORD timeoutMs = 0) {
    cx.main = timeoutMs ? WaitMain(timeoutMs) : FindMain();
    return cx.main ? EXIT_OK : EXIT_NOWINDOW;
}

int Control(Context& cx, const std::string& idText, HWND& ctl) {
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    long id;
    if (!ParseInt(idText, id))
        return EXIT_USAGE;
    // Id 0 names the main window itself.
    ctl = id ? GetDlgItem(cx.main, (int)id) : cx.main;
    return ctl ? EXIT_OK : EXIT_NOCONTROL;
}

int CmdWaitReady(const Args& a, std::string& out) {
    // wait-ready TIMEOUT_MS [TEXT]: the window is up, shown, answering, and its pane holds the banner's last line
    // (and TEXT, when given).
    long timeout;
    if (a.size() < 2 || !ParseInt(a[1], timeout))
        return EXIT_USAGE;
    const bool ready = PollUntil((DWORD)timeout, 5, [&] {
        HWND main = FindMain();
        if (!main || !IsWindowVisible(main))
            return false;
        std::string pane;
        HWND p = GetDlgItem(main, kPaneId);
        DWORD_PTR r;
        return p && GetText(p, pane) && pane.find(kReadyText) != std::string::npos &&
               (a.size() < 3 || pane.find(a[2]) != std::string::npos) &&
               SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeout, &r);
    });
    if (!ready)
        return EXIT_NOWINDOW;
    Appendf(out, "ready %.6f\n", NowSeconds());
    return EXIT_OK;
}

int CmdWaitWindow(const Args& a, std::string& out) {
    long timeout;
    if (a.size() < 2 || !ParseInt(a[1], timeout))
        return EXIT_USAGE;
    HWND h = WaitMain(timeout);
    if (!h)
        return EXIT_NOWINDOW;
    Appendf(out, "window %.6f\n", NowSeconds());
    return EXIT_OK;
}

int CmdWaitGone(const Args& a, std::string& out) {
    long timeout;
    if (a.size() < 2 || !ParseInt(a[1], timeout))
        return EXIT_USAGE;
    if (!PollUntil((DWORD)timeout, 10, [] { return FindMain() == NULL; }))
        return EXIT_NOWINDOW;
    Appendf(out, "gone %.6f\n", NowSeconds());
    return EXIT_OK;
}

int CmdGetText(const Args& a, std::string& out) {
    if (a.size() != 2)
        return EXIT_USAGE;
    Context cx;
    HWND ctl;
    int rc = Control(cx, a[1], ctl);
    if (rc)
        return rc;
    std::string text;
    if (!GetText(ctl, text))
        return EXIT_FAILED;
    out += text;
    return EXIT_OK;
}

int CmdWaitText(const Args& a, std::string& out) {
    // wait-text ID TEXT TIMEOUT_MS: until the control's text holds TEXT.
    long timeout;
    if (a.size() != 4 || !ParseInt(a[3], timeout))
        return EXIT_USAGE;
    const bool found = PollUntil((DWORD)timeout, 5, [&] {
        Context cx;
        HWND ctl;
        std::string text;
        return Control(cx, a[1], ctl) == EXIT_OK && GetText(ctl, text) && text.find(a[2]) != std::string::npos;
    });
    if (!found)
        return EXIT_NOWINDOW;
    Appendf(out, "found %.6f\n", NowSeconds());
    return EXIT_OK;
}

int CmdSetText(const Args& a, std::string&) {
    if (a.size() != 3)
        return EXIT_USAGE;
    Context cx;
    HWND ctl;
    int rc = Control(cx, a[1], ctl);
    if (rc)
        return rc;
    DWORD_PTR r;
    if (!SendMessageTimeoutA(ctl, WM_SETTEXT, 0, (LPARAM)a[2].c_str(), SMTO_NORMAL, kSendTimeout, &r))
        return EXIT_FAILED;
    return EXIT_OK;
}

int CmdClick(const Args& a, std::string& out) {
    // click ID [send|bm]: the button's command, posted to the main window as a user's click reaches it through the
    // message loop (default), then waits until it is handled; "send" sends it and "bm" sends BM_CLICK instead. A
    // sent command may run inside any handler of the program that itself waits on a sent message, which no user
    // click can do. A disabled button is not clicked, as a user could not click it. Prints "clicked AFTER BEFORE":
    // the times at which the command had been handled and at which it was handed over.
    if (a.size() < 2 || a.size() > 3)
        return EXIT_USAGE;
    Context cx;
    HWND ctl;
    int rc = Control(cx, a[1], ctl);
    if (rc)
        return rc;
    if (!IsWindowEnabled(ctl))
        return EXIT_DISABLED;
    std::string mode = a.size() == 3 ? a[2] : "post";
    WPARAM wp = MAKEWPARAM(GetDlgCtrlID(ctl), BN_CLICKED);
    DWORD_PTR r;
    bool ok;
    double before = NowSeconds();
    if (mode == "post")
        ok = PostMessageA(cx.main, WM_COMMAND, wp, (LPARAM)ctl) && Sync(cx.main, kSyncTimeout);
    else if (mode == "send")
        ok = Send(cx.main, WM_COMMAND, wp, (LPARAM)ctl, r);
    else if (mode == "bm")
        ok = Send(ctl, BM_CLICK, 0, 0, r);
    else
        return EXIT_USAGE;
    if (!ok)
        return EXIT_FAILED;
    Appendf(out, "clicked %.6f %.6f\n", NowSeconds(), before);
    return EXIT_OK;
}

int CmdPostKey(const Args& a, std::string&) {
    // post-key ID VK...: key-down and key-up posted to the control, so that they pass through the program's
    // message loop (and its key pre-translation) like typed keys; then waits until they are handled.
    if (a.size() < 3)
        return EXIT_USAGE;
    Context cx;
    HWND ctl;
    int rc = Control(cx, a[1], ctl);
    if (rc)
        return rc;
    for (size_t i = 2; i < a.size(); ++i) {
        int vk;
        if (!ParseVk(a[i], vk))
            return EXIT_USAGE;
        UINT scan = MapVirtualKeyA(vk, 0);
        LPARAM down = 1 | (scan << 16) | (IsExtendedKey(vk) ? (1 << 24) : 0);
        LPARAM up = down | (1u << 30) | (1u << 31);
        if (!PostMessageA(ctl, WM_KEYDOWN, vk, down) || !PostMessageA(ctl, WM_KEYUP, vk, up))
            return EXIT_FAILED;
    }
    return Sync(cx.main, kSyncTimeout) ? EXIT_OK : EXIT_FAILED;
}

int CmdType(const Args& a, std::string&) {
    // type ID TEXT: one posted WM_CHAR per byte, then waits until they are handled.
    if (a.size() != 3)
        return EXIT_USAGE;
    Context cx;
    HWND ctl;
    int rc = Control(cx, a[1], ctl);
    if (rc)
        return rc;
    for (unsigned char c : a[2]) {
        if (!PostMessageA(ctl, WM_CHAR, c, 1))
            return EXIT_FAILED;
    }
    return Sync(cx.main, kSyncTimeout) ? EXIT_OK : EXIT_FAILED;
}

int CmdSync(const Args&, std::string&) {
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    return Sync(cx.main, kSyncTimeout) ? EXIT_OK : EXIT_FAILED;
}

// How quickly the main window answers while something else happens: for DURATION_MS, a WM_NULL sent every
// INTERVAL_MS (10 by default) and the time each took to be handled. Prints "probes N max MS median MS".
int CmdProbe(const Args& a, std::string& out) {
    if (a.size() < 2 || a.size() > 3)
        return EXIT_USAGE;
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    const double duration = atoi(a[1].c_str()) / 1000.0;
    const DWORD interval = a.size() == 3 ? (DWORD)atoi(a[2].c_str()) : 10;
    LARGE_INTEGER frequency, start, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<double> waits;
    for (;;) {
        QueryPerformanceCounter(&before);
        if ((double)(before.QuadPart - start.QuadPart) / frequency.QuadPart >= duration)
            break;
        DWORD_PTR r;
        if (!SendMessageTimeoutA(cx.main, WM_NULL, 0, 0, SMTO_NORMAL, kSyncTimeout, &r))
            return EXIT_FAILED;
        QueryPerformanceCounter(&after);
        waits.push_back((double)(after.QuadPart - before.QuadPart) * 1e3 / frequency.QuadPart);
        Sleep(interval);
    }
    if (waits.empty())
        return EXIT_FAILED;
    std::vector<double> sorted = waits;
    std::sort(sorted.begin(), sorted.end());
    Appendf(out, "probes %u max %.3f median %.3f\n", (unsigned)sorted.size(), sorted.back(), sorted[sorted.size() / 2]);
    return EXIT_OK;
}

int CmdGetSel(const Args& a, std::string& out) {
    if (a.size() != 2)
        return EXIT_USAGE;
    Context cx;
    HWND ctl;
    int rc = Control(cx, a[1], ctl);
    if (rc)
        return rc;
    DWORD_PTR r;
    // Both ends come back in the result's two words (the one-line command box is far shorter than 64K).
    if (!SendMessageTimeoutA(ctl, EM_GETSEL, 0, 0, SMTO_NORMAL, kSendTimeout, &r))
        return EXIT_FAILED;
    Appendf(out, "%lu %lu\n", (unsigned long)LOWORD(r), (unsigned long)HIWORD(r));
    return EXIT_OK;
}

int CmdIsEnabled(const Args& a, std::string& out) {
    if (a.size() != 2)
        return EXIT_USAGE;
    Context cx;
    HWND ctl;
    int rc = Control(cx, a[1], ctl);
    if (rc)
        return rc;
    Appendf(out, "%d\n", IsWindowEnabled(ctl) ? 1 : 0);
    return EXIT_OK;
}

int CmdWaitEnabled(const Args& a, std::string& out) {
    // wait-enabled ID 0|1 TIMEOUT_MS: polls closely and prints the time at which the state was first seen.
    long want, timeout;
    if (a.size() != 4 || !ParseInt(a[2], want) || !ParseInt(a[3], timeout))
        return EXIT_USAGE;
    Context cx;
    HWND ctl;
    int rc = Control(cx, a[1], ctl);
    if (rc)
        return rc;
    bool gone = false;
    const bool seen = PollUntil((DWORD)timeout, 1, [&] {
        if ((IsWindowEnabled(ctl) ? 1 : 0) == want)
            return true;
        gone = !IsWindow(ctl);
        return gone;
    });
    if (!seen || gone)
        return EXIT_NOWINDOW;
    Appendf(out, "%.6f\n", NowSeconds());
    return EXIT_OK;
}

int CmdTree(const Args&, std::string& out) {
    Context cx;
    HWND tree;
    int rc = Control(cx, std::to_string(kTreeId), tree);
    if (rc)
        return rc;
    RemoteTree rt(tree);
    if (!rt.Ok())
        return EXIT_FAILED;
    std::string dump;
    if (!DumpTree(rt, rt.Next(NULL, TVGN_ROOT), 0, dump))
        return EXIT_FAILED;
    out += dump;
    return EXIT_OK;
}

int CmdTreeItem(const Args& a, std::string&) {
    // tree-expand / tree-collapse / tree-select TEXT...: the item found by the texts of its levels.
    if (a.size() < 2)
        return EXIT_USAGE;
    Context cx;
    HWND tree;
    int rc = Control(cx, std::to_string(kTreeId), tree);
    if (rc)
        return rc;
    RemoteTree rt(tree);
    if (!rt.Ok())
        return EXIT_FAILED;
    HTREEITEM item = FindPath(rt, a, 1);
    if (!item)
        return EXIT_NOCONTROL;
    DWORD_PTR r = 0;
    BOOL ok;
    if (a[0] == "tree-select")
        ok = SendMessageTimeoutA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item, SMTO_NORMAL, kSendTimeout, &r);
    else
        ok = SendMessageTimeoutA(tree, TVM_EXPAND, a[0] == "tree-expand" ? TVE_EXPAND : TVE_COLLAPSE, (LPARAM)item,
                                 SMTO_NORMAL, kSendTimeout, &r);
    return ok ? EXIT_OK : EXIT_FAILED;
}

int CmdWindowState(const Args&, std::string& out) {
    HWND main = FindMain();
    if (!main) {
        out += "exists 0\n";
        return EXIT_OK;
    }
    WINDOWPLACEMENT wp;
    memset(&wp, 0, sizeof wp);
    wp.length = sizeof wp;
    GetWindowPlacement(main, &wp);
    RECT wr;
    GetWindowRect(main, &wr);
    char cls[64] = {0};
    GetClassNameA(main, cls, sizeof cls);
    // The real parent: GetParent answers the owner for a window without WS_CHILD, which the tray holder's is.
    HWND owner = GetAncestor(main, GA_PARENT);
    if (owner == GetDesktopWindow())
        owner = NULL;
    Appendf(out, "exists 1\nvisible %d\niconic %d\nzoomed %d\nenabled %d\nshowcmd %u\nflags %u\n",
            IsWindowVisible(main) ? 1 : 0, IsIconic(main) ? 1 : 0, IsZoomed(main) ? 1 : 0,
            IsWindowEnabled(main) ? 1 : 0, wp.showCmd, wp.flags);
    Appendf(out, "normal %ld %ld %ld %ld\nrect %ld %ld %ld %ld\nclass %s\nparented %d\n", wp.rcNormalPosition.left,
            wp.rcNormalPosition.top, wp.rcNormalPosition.right, wp.rcNormalPosition.bottom, wr.left, wr.top, wr.right,
            wr.bottom, cls, owner ? 1 : 0);
    return EXIT_OK;
}

int CmdCount(const Args&, std::string& out) {
    // count: how many top-level windows carry the caption (with the pane or not).
    struct Counter {
        static BOOL CALLBACK Proc(HWND h, LPARAM lp) {
            char buf[256] = {0};
            GetWindowTextA(h, buf, sizeof buf);
            if (g_caption == buf)
                ++*(int*)lp;
            return TRUE;
        }
    };
    int n = 0;
    EnumWindows(Counter::Proc, (LPARAM)&n);
    Appendf(out, "%d\n", n);
    return EXIT_OK;
}

BOOL CALLBACK ListProc(HWND h, LPARAM lp) {
    std::string& out = *(std::string*)lp;
    char cls[128] = {0}, text[256] = {0};
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, text, sizeof text);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    RECT r;
    GetWindowRect(h, &r);
    Appendf(out, "%lu %d %ld %ld %ld %ld %s %s\n", (unsigned long)pid, IsWindowVisible(h) ? 1 : 0, r.left, r.top,
            r.right, r.bottom, Hex(cls).c_str(), Hex(text).c_str());
    return TRUE;
}

int CmdWindows(const Args&, std::string& out) {
    // windows: every top-level window of the prefix: pid, visible, rectangle, class and caption (hexadecimal).
    EnumWindows(ListProc, (LPARAM)&out);
    return EXIT_OK;
}

BOOL CALLBACK TooltipProc(HWND h, LPARAM lp) {
    std::string& out = *(std::string*)lp;
    char cls[64] = {0};
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, TOOLTIPS_CLASSA) != 0)
        return TRUE;
    Remote mem(h);
    if (!mem.Ok())
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    // The title (balloons have one), as the control keeps it: in UTF-16.
    const SIZE_T titleAt = 1024, textAt = 2048, textSize = 2048;
    TTGETTITLE title;
    memset(&title, 0, sizeof title);
    title.dwSize = sizeof title;
    title.cch = 200;
    title.pszTitle = (WCHAR*)mem.At(titleAt);
    WCHAR wnul = 0;
    DWORD_PTR r = 0;
    std::string titleText;
    if (mem.Write(titleAt, &wnul, sizeof wnul) && mem.Write(0, &title, sizeof title) &&
        Send(h, TTM_GETTITLE, 0, (LPARAM)mem.At(0), r)) {
        WCHAR wbuf[201] = {0};
        char abuf[401] = {0};
        mem.Read(titleAt, wbuf, 200 * sizeof(WCHAR));
        WideCharToMultiByte(CP_ACP, 0, wbuf, -1, abuf, 400, NULL, NULL);
        titleText = abuf;
    }
    DWORD_PTR count = 0;
    Send(h, TTM_GETTOOLCOUNT, 0, 0, count);
    for (DWORD_PTR i = 0; i < count; ++i) {
        TTTOOLINFOA ti;
        memset(&ti, 0, sizeof ti);
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        if (!mem.Write(0, &ti, ti.cbSize) || !Send(h, TTM_ENUMTOOLSA, i, (LPARAM)mem.At(0), r) || !r ||
            !mem.Read(0, &ti, ti.cbSize))
            continue;
        ti.lpszText = mem.At(textAt);
        const char nul = 0;
        std::vector<char> text(textSize + 1, 0);
        if (mem.Write(textAt, &nul, 1) && mem.Write(0, &ti, ti.cbSize) &&
            Send(h, TTM_GETTEXTA, textSize, (LPARAM)mem.At(0), r))
            mem.Read(textAt, text.data(), textSize);
        Appendf(out, "%lu %d %s %s\n", (unsigned long)pid, IsWindowVisible(h) ? 1 : 0, Hex(titleText).c_str(),
                Hex(std::string(text.data(), strnlen(text.data(), textSize))).c_str());
    }
    return TRUE;
}

int CmdTooltips(const Args&, std::string& out) {
    // tooltips: every tool of every top-level tool-tip window of the prefix (the tray's tips and balloons live in
    // the shell's process): pid, visible, title and text, both in hexadecimal.
    EnumWindows(TooltipProc, (LPARAM)&out);
    return EXIT_OK;
}

int CmdFocus(const Args&, std::string& out) {
    // focus: the control id of the window that has the keyboard focus in the program's thread (0: none or no id).
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    GUITHREADINFO gti;
    memset(&gti, 0, sizeof gti);
    gti.cbSize = sizeof gti;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(cx.main, NULL), &gti))
        return EXIT_FAILED;
    Appendf(out, "%d\n", gti.hwndFocus ? GetDlgCtrlID(gti.hwndFocus) : 0);
    return EXIT_OK;
}

int CmdForeground(const Args&, std::string& out) {
    // foreground: the caption of the prefix's foreground window, in hexadecimal (empty: none).
    char caption[256] = {0};
    GetWindowTextA(GetForegroundWindow(), caption, sizeof caption);
    out += Hex(caption);
    out += "\n";
    return EXIT_OK;
}

int CmdClose(const Args&, std::string&) {
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    return PostMessageA(cx.main, WM_CLOSE, 0, 0) ? EXIT_OK : EXIT_FAILED;
}

int CmdQuitButton(const Args&, std::string&) {
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    HWND quit = GetDlgItem(cx.main, kQuitId);
    if (!quit)
        return EXIT_NOCONTROL;
    // Posted: the handler ends the dialog, and the process may be gone before a sent message could return.
    return PostMessageA(cx.main, WM_COMMAND, MAKEWPARAM(kQuitId, BN_CLICKED), (LPARAM)quit) ? EXIT_OK : EXIT_FAILED;
}

int CmdPid(const Args&, std::string& out) {
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    DWORD pid = 0;
    GetWindowThreadProcessId(cx.main, &pid);
    Appendf(out, "%lu\n", (unsigned long)pid);
    return EXIT_OK;
}

int CmdMemory(const Args&, std::string& out) {
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    DWORD pid = 0;
    GetWindowThreadProcessId(cx.main, &pid);
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p)
        return EXIT_FAILED;
    PROCESS_MEMORY_COUNTERS pmc;
    memset(&pmc, 0, sizeof pmc);
    BOOL ok = GetProcessMemoryInfo(p, &pmc, sizeof pmc);
    CloseHandle(p);
    if (!ok)
        return EXIT_FAILED;
    Appendf(out, "working_set %llu\npeak_working_set %llu\npagefile %llu\n", (unsigned long long)pmc.WorkingSetSize,
            (unsigned long long)pmc.PeakWorkingSetSize, (unsigned long long)pmc.PagefileUsage);
    return EXIT_OK;
}

int CmdSendMessage(const Args& a, std::string& out) {
    // send-message MSG [WPARAM LPARAM]: a plain message with numbers, notify-style (as a second copy sends).
    long msg, wp = 0, lp = 0;
    if (a.size() < 2 || !ParseInt(a[1], msg) || (a.size() > 2 && !ParseInt(a[2], wp)) ||
        (a.size() > 3 && !ParseInt(a[3], lp)))
        return EXIT_USAGE;
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    if (!SendNotifyMessageA(cx.main, (UINT)msg, (WPARAM)wp, (LPARAM)lp))
        return EXIT_FAILED;
    out += "sent\n";
    return EXIT_OK;
}

// ---- the program's other windows: dialogs (configuration, About, message boxes), balloons, the screen

struct DialogSearch {
    const std::string* caption;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND h, LPARAM lp) {
    DialogSearch* st = (DialogSearch*)lp;
    char cls[64] = {0}, text[256] = {0};
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, text, sizeof text);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (strcmp(cls, "#32770") == 0 && *st->caption == text && pid == st->pid && IsWindowVisible(h)) {
        st->found = h;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of the program's process with this caption (the main window's own dialog class included).
HWND FindDialog(const std::string& caption) {
    HWND main = FindMain();
    if (!main)
        return NULL;
    DialogSearch st = {&caption, 0, NULL};
    GetWindowThreadProcessId(main, &st.pid);
    EnumWindows(FindDialogProc, (LPARAM)&st);
    return st.found;
}

int DialogControl(const std::string& caption, const std::string& idText, HWND& dlg, HWND& ctl) {
    dlg = FindDialog(caption);
    if (!dlg)
        return EXIT_NOWINDOW;
    long id;
    if (!ParseInt(idText, id))
        return EXIT_USAGE;
    ctl = id ? GetDlgItem(dlg, (int)id) : dlg;
    return ctl ? EXIT_OK : EXIT_NOCONTROL;
}

int CmdDlgWait(const Args& a, std::string& out) {
    // dlg-wait CAPTION 0|1 TIMEOUT_MS: until a dialog of the program with the caption is shown (1) or gone (0).
    long want, timeout;
    if (a.size() != 4 || !ParseInt(a[2], want) || !ParseInt(a[3], timeout))
        return EXIT_USAGE;
    if (!PollUntil((DWORD)timeout, 10, [&] { return (FindDialog(a[1]) != NULL) == (want != 0); }))
        return EXIT_NOWINDOW;
    Appendf(out, "%.6f\n", NowSeconds());
    return EXIT_OK;
}

int CmdDlgGetText(const Args& a, std::string& out) {
    if (a.size() != 3)
        return EXIT_USAGE;
    HWND dlg, ctl;
    int rc = DialogControl(a[1], a[2], dlg, ctl);
    if (rc)
        return rc;
    std::string text;
    if (!GetText(ctl, text))
        return EXIT_FAILED;
    out += text;
    return EXIT_OK;
}

int CmdDlgSetText(const Args& a, std::string&) {
    // dlg-set-text CAPTION ID TEXT: the box's whole text at once (one change notification, as a paste).
    if (a.size() != 4)
        return EXIT_USAGE;
    HWND dlg, ctl;
    int rc = DialogControl(a[1], a[2], dlg, ctl);
    if (rc)
        return rc;
    DWORD_PTR r;
    return Send(ctl, WM_SETTEXT, 0, (LPARAM)a[3].c_str(), r) ? EXIT_OK : EXIT_FAILED;
}

int CmdDlgState(const Args& a, std::string& out) {
    // dlg-state CAPTION ID: "enabled checked" of a control; and the rectangle on the screen.
    if (a.size() != 3)
        return EXIT_USAGE;
    HWND dlg, ctl;
    int rc = DialogControl(a[1], a[2], dlg, ctl);
    if (rc)
        return rc;
    DWORD_PTR checked = 0;
    Send(ctl, BM_GETCHECK, 0, 0, checked);
    RECT r;
    GetWindowRect(ctl, &r);
    Appendf(out, "%d %d %ld %ld %ld %ld\n", IsWindowEnabled(ctl) ? 1 : 0, (int)checked, r.left, r.top, r.right,
            r.bottom);
    return EXIT_OK;
}

int CmdDlgClick(const Args& a, std::string& out) {
    // dlg-click CAPTION ID [bm]: the button's command posted to its dialog (or BM_CLICK posted to the button, which
    // toggles a check box first), then waits until the program's queue has got past it. A handler that opens a
    // modal box is past it as soon as that box's loop runs.
    if (a.size() < 3 || a.size() > 4)
        return EXIT_USAGE;
    HWND dlg, ctl;
    int rc = DialogControl(a[1], a[2], dlg, ctl);
    if (rc)
        return rc;
    if (!IsWindowEnabled(ctl))
        return EXIT_DISABLED;
    Context cx;
    rc = NeedMain(cx);
    if (rc)
        return rc;
    bool ok;
    if (a.size() == 4 && a[3] == "bm")
        ok = PostMessageA(ctl, BM_CLICK, 0, 0);
    else
        ok = PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ctl), BN_CLICKED), (LPARAM)ctl);
    if (!ok || !Sync(cx.main, kSyncTimeout))
        return EXIT_FAILED;
    Appendf(out, "clicked %.6f\n", NowSeconds());
    return EXIT_OK;
}

int CmdSysCommand(const Args& a, std::string&) {
    // sys-command CMD: a system-menu command posted to the main window (SC_MINIMIZE 0xF020, the About entry 16).
    // It does not wait: the command may open a modal box.
    long cmd;
    if (a.size() != 2 || !ParseInt(a[1], cmd))
        return EXIT_USAGE;
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    return PostMessageA(cx.main, WM_SYSCOMMAND, (WPARAM)cmd, 0) ? EXIT_OK : EXIT_FAILED;
}

int CmdPostCommand(const Args& a, std::string&) {
    // post-command ID: a menu command (code 0) posted to the main window, as the tray menu sends it. No waiting.
    long id;
    if (a.size() != 2 || !ParseInt(a[1], id))
        return EXIT_USAGE;
    Context cx;
    int rc = NeedMain(cx);
    if (rc)
        return rc;
    return PostMessageA(cx.main, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? EXIT_OK : EXIT_FAILED;
}

int CmdPress(const Args& a, std::string& out) {
    // press VK...: each key pressed and released as keyboard input (keybd_event): it reaches the foreground window
    // of the prefix through the input queue, where keyboard hooks see it. Prints the foreground window's caption.
    if (a.size() < 2)
        return EXIT_USAGE;
    for (size_t i = 1; i < a.size(); ++i) {
        int vk;
        if (!ParseVk(a[i], vk))
            return EXIT_USAGE;
        BYTE scan = (BYTE)MapVirtualKeyA(vk, 0);
        keybd_event((BYTE)vk, scan, 0, 0);
        keybd_event((BYTE)vk, scan, KEYEVENTF_KEYUP, 0);
    }
    char caption[256] = {0};
    GetWindowTextA(GetForegroundWindow(), caption, sizeof caption);
    out += Hex(caption);
    out += "\n";
    return EXIT_OK;
}

int CmdBalloon(const Args& a, std::string&) {
    // balloon TITLE TEXT MS: a tray icon of its own showing a balloon with the information icon, for MS milliseconds
    // (a reference to compare the program's balloons with, the shell's tool tips not handing out their titles).
    long ms;
    if (a.size() != 4 || !ParseInt(a[3], ms))
        return EXIT_USAGE;
    HWND owner = CreateWindowExA(0, "STATIC", "kvlctl balloon", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    NOTIFYICONDATAA icon;
    memset(&icon, 0, sizeof icon);
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = owner;
    icon.uID = 1;
    icon.uFlags = NIF_ICON;
    icon.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    if (!owner || !Shell_NotifyIconA(NIM_ADD, &icon))
        return EXIT_FAILED;
    icon.uFlags = NIF_INFO;
    lstrcpynA(icon.szInfoTitle, a[1].c_str(), sizeof icon.szInfoTitle);
    lstrcpynA(icon.szInfo, a[2].c_str(), sizeof icon.szInfo);
    icon.dwInfoFlags = NIIF_INFO;
    icon.uTimeout = (UINT)ms;
    const BOOL shown = Shell_NotifyIconA(NIM_MODIFY, &icon);
    const DWORD start = GetTickCount();
    while (shown && GetTickCount() - start < (DWORD)ms) {
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
        Sleep(10);
    }
    icon.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &icon);
    DestroyWindow(owner);
    return shown ? EXIT_OK : EXIT_FAILED;
}

int CmdScreenshot(const Args& a, std::string& out) {
    // screenshot X Y W H: that part of the screen as a 24-bit bottom-up BMP file.
    long x, y, w, h;
    if (a.size() != 5 || !ParseInt(a[1], x) || !ParseInt(a[2], y) || !ParseInt(a[3], w) || !ParseInt(a[4], h) ||
        w <= 0 || h <= 0)
        return EXIT_USAGE;
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    int rc = EXIT_FAILED;
    if (mem && bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        if (BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY)) {
            GdiFlush();
            DWORD stride = ((DWORD)w * 3 + 3) & ~3u;
            DWORD size = stride * (DWORD)h;
            BITMAPFILEHEADER fh;
            memset(&fh, 0, sizeof fh);
            fh.bfType = 0x4D42;
            fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
            fh.bfSize = fh.bfOffBits + size;
            bi.bmiHeader.biSizeImage = size;
            out.append((const char*)&fh, sizeof fh);
            out.append((const char*)&bi.bmiHeader, sizeof(BITMAPINFOHEADER));
            out.append((const char*)bits, size);
            rc = EXIT_OK;
        }
        SelectObject(mem, old);
    }
    if (bmp)
        DeleteObject(bmp);
    if (mem)
        DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return rc;
}

int Run(const Args& a, std::string& out);

int CmdServe(const Args&, std::string&) {
    // serve: one request per line, each argument "=" and its bytes in hexadecimal, separated by blanks (so that an
    // empty argument survives); each answer is the line
    // "<exit code> <length>" followed by that many bytes of output.
    _setmode(_fileno(stdin), _O_BINARY);
    std::string line;
    int c;
    fputs("kvlctl serving\n", stdout);
    fflush(stdout);
    for (;;) {
        line.clear();
        while ((c = fgetc(stdin)) != EOF && c != '\n')
            line += (char)c;
        if (c == EOF && line.empty())
            return EXIT_OK;
        Args args;
        size_t pos = 0;
        bool ok = true;
        while (pos < line.size()) {
            size_t sp = line.find(' ', pos);
            if (sp == std::string::npos)
                sp = line.size();
            std::string arg;
            if (line[pos] != '=' || !Unhex(line.substr(pos + 1, sp - pos - 1), arg))
                ok = false;
            args.push_back(arg);
            pos = sp + 1;
        }
        std::string out;
        int rc = ok && !args.empty() ? Run(args, out) : EXIT_USAGE;
        if (rc == -1)
            return EXIT_OK;  // "exit"
        fprintf(stdout, "%d %u\n", rc, (unsigned)out.size());
        fwrite(out.data(), 1, out.size(), stdout);
        fflush(stdout);
    }
}

struct Command {
    const char* name;
    int (*fn)(const Args&, std::string&);
    const char* usage;
};

const Command kCommands[] = {
    {"wait-ready", CmdWaitReady, "TIMEOUT_MS [TEXT]"},
    {"wait-window", CmdWaitWindow, "TIMEOUT_MS"},
    {"wait-gone", CmdWaitGone, "TIMEOUT_MS"},
    {"wait-text", CmdWaitText, "ID TEXT TIMEOUT_MS"},
    {"wait-enabled", CmdWaitEnabled, "ID 0|1 TIMEOUT_MS"},
    {"get-text", CmdGetText, "ID"},
    {"set-text", CmdSetText, "ID TEXT"},
    {"click", CmdClick, "ID [send|bm]"},
    {"post-key", CmdPostKey, "ID VK..."},
    {"type", CmdType, "ID TEXT"},
    {"sync", CmdSync, ""},
    {"probe", CmdProbe, "DURATION_MS [INTERVAL_MS]"},
    {"get-sel", CmdGetSel, "ID"},
    {"is-enabled", CmdIsEnabled, "ID"},
    {"tree", CmdTree, ""},
    {"tree-expand", CmdTreeItem, "TEXT..."},
    {"tree-collapse", CmdTreeItem, "TEXT..."},
    {"tree-select", CmdTreeItem, "TEXT..."},
    {"window-state", CmdWindowState, ""},
    {"count", CmdCount, ""},
    {"windows", CmdWindows, ""},
    {"focus", CmdFocus, ""},
    {"foreground", CmdForeground, ""},
    {"tooltips", CmdTooltips, ""},
    {"close", CmdClose, ""},
    {"quit-button", CmdQuitButton, ""},
    {"pid", CmdPid, ""},
    {"memory", CmdMemory, ""},
    {"send-message", CmdSendMessage, "MSG [WPARAM LPARAM]"},
    {"dlg-wait", CmdDlgWait, "CAPTION 0|1 TIMEOUT_MS"},
    {"dlg-get-text", CmdDlgGetText, "CAPTION ID"},
    {"dlg-set-text", CmdDlgSetText, "CAPTION ID TEXT"},
    {"dlg-state", CmdDlgState, "CAPTION ID"},
    {"dlg-click", CmdDlgClick, "CAPTION ID [bm]"},
    {"sys-command", CmdSysCommand, "CMD"},
    {"post-command", CmdPostCommand, "ID"},
    {"screenshot", CmdScreenshot, "X Y W H"},
    {"balloon", CmdBalloon, "TITLE TEXT MS"},
    {"press", CmdPress, "VK..."},
    {"serve", CmdServe, ""},
};

int Run(const Args& a, std::string& out) {
    if (a[0] == "exit")
        return -1;
    if (a[0] == "caption" && a.size() == 2) {
        g_caption = a[1];
        return EXIT_OK;
    }
    for (const Command& c : kCommands) {
        if (a[0] == c.name)
            return c.fn(a, out);
    }
    return EXIT_USAGE;
}

void Usage() {
    fputs("usage: kvlctl [-w CAPTION] COMMAND ARGS\n", stderr);
    for (const Command& c : kCommands)
        fprintf(stderr, "  %s %s\n", c.name, c.usage);
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Args args;
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    if (args.size() >= 2 && args[0] == "-w") {
        g_caption = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        Usage();
        return EXIT_USAGE;
    }
    std::string out;
    int rc = Run(args, out);
    if (rc == EXIT_USAGE && out.empty())
        Usage();
    fwrite(out.data(), 1, out.size(), stdout);
    fflush(stdout);
    return rc < 0 ? EXIT_OK : rc;
}
