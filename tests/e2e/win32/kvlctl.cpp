// kvlctl: the end-to-end tests' driver. Inside the Wine prefix of a program under test it looks at and drives that
// program's windows from outside. What it is asked and what it answers (the requests, their arguments, the reply
// formats, the exit codes) is the table tests/e2e/kvlctl.protocol; its one reader, kvlctl_protocol.py, serves the
// harness and writes this program's header (kvlctl_protocol.h) at build time, every reply format already taken
// apart, and every reply is written through that format. Every request that reaches a program names the program's
// main window by its caption, so that two programs on one host are never mixed up.
#include "base/win32/WinHandle.h"

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

#include "kvlctl_protocol.h"
#include "res/resource.h"

namespace {

using namespace protocol;

using Args = std::vector<std::string>;

// The main window's controls, as the program's resource script numbers them.
const int kPaneId = IDC_OUTPUT;
const int kTreeId = IDC_STATUS_TREE;
const int kCommandId = IDC_COMMAND;
const int kQuitId = IDC_QUIT;
const char kReadyText[] = "Type '/help' to get list of commands";
const UINT kSendTimeout = 5000;

double NowSeconds() {
    // Unix time: the harness compares it with its own clock.
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return (double)(t.QuadPart - 116444736000000000ULL) / 1e7;
}

std::string Format(const char* format, double value) {
    char buf[64];
    snprintf(buf, sizeof buf, format, value);
    return buf;
}

std::string ToHex(const std::string& s) {
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

std::vector<std::string> Split(const std::string& s, const std::string& separator) {
    std::vector<std::string> parts;
    if (s.empty())
        return parts;
    size_t from = 0;
    for (size_t at; (at = s.find(separator, from)) != std::string::npos; from = at + separator.size())
        parts.push_back(s.substr(from, at - from));
    parts.push_back(s.substr(from));
    return parts;
}

// ---- replies

// The reply to one request, in the format the protocol table gives for it (taken apart when kvlctl was built): the
// table's words are written here, the request's code hands over the fields in the table's order and of the table's
// kinds. Anything else is a fault of this program, and the request then fails saying so instead of answering
// something the harness would misread.
class Reply {
public:
    explicit Reply(const RequestFormat& format) : m_Format(format) {}

    Reply& Int(long long value) { return Field(FIELD_INT, std::to_string(value)); }
    Reply& Time(double unixSeconds) { return Field(FIELD_TIME, Format("%.6f", unixSeconds)); }
    Reply& Ms(double ms) { return Field(FIELD_MS, Format("%.3f", ms)); }
    Reply& Hex(const std::string& bytes) { return Field(FIELD_HEX, ToHex(bytes)); }
    Reply& Word(const std::string& text) {
        if (text.empty() || text.find_first_of(" \n") != std::string::npos)
            Fail("a word that is empty or holds a blank");
        return Field(FIELD_WORD, text);
    }
    void Bytes(const std::string& bytes) {
        if (m_Format.shape != REPLY_BYTES)
            Fail("bytes where the format has none");
        m_Text += bytes;
    }

    // The reply's bytes; false, with what went wrong instead, when the fields did not follow the format. The lines of
    // words alone that come next are written; a reply may end after any whole line, but not inside one.
    bool Finish(std::string& text) {
        while (m_Fault.empty() && m_Line < m_Format.lineCount) {
            if (FieldsLeft()) {
                if (m_Token > 0)
                    Fail("the reply ends inside a line");
                break;
            }
            EndLine();
        }
        text = m_Fault.empty() ? m_Text : "kvlctl does not follow its protocol table: " + m_Fault;
        return m_Fault.empty();
    }

private:
    void Fail(const std::string& what) {
        if (m_Fault.empty())
            m_Fault = what;
    }
    const ReplyLine& Line() const { return m_Format.lines[m_Line]; }
    bool FieldsLeft() const {
        const ReplyLine& line = Line();
        return std::any_of(line.tokens + m_Token, line.tokens + line.tokenCount,
                           [](const Token& t) { return t.kind != FIELD_NONE; });
    }
    void Put(const std::string& text) {
        if (m_Token > 0)
            m_Text += ' ';
        m_Text += text;
        ++m_Token;
    }
    // Writes the rest of the current line, words alone, and goes on to the next line (a repeated line comes again).
    void EndLine() {
        const ReplyLine& line = Line();
        while (m_Token < line.tokenCount)
            Put(line.tokens[m_Token].text);
        m_Text += '\n';
        m_Token = 0;
        if (!line.repeated)
            ++m_Line;
    }
    Reply& Field(FieldKind kind, const std::string& text) {
        if (m_Format.shape != REPLY_LINES)
            Fail(std::string("a field (") + kFieldKindNames[kind] + ") where the format has no lines");
        if (!m_Fault.empty())
            return *this;
        while (m_Line < m_Format.lineCount && !FieldsLeft())
            EndLine();
        if (m_Line == m_Format.lineCount) {
            Fail(std::string("one field (") + kFieldKindNames[kind] + ") more than the format has");
            return *this;
        }
        const ReplyLine& line = Line();
        while (line.tokens[m_Token].kind == FIELD_NONE)
            Put(line.tokens[m_Token].text);
        const Token& token = line.tokens[m_Token];
        if (token.kind != kind) {
            Fail(std::string("a field of kind ") + kFieldKindNames[kind] + " where the format has " + token.text + ":" +
                 kFieldKindNames[token.kind]);
            return *this;
        }
        Put(text);
        if (!FieldsLeft())
            EndLine();
        return *this;
    }

    const RequestFormat& m_Format;
    int m_Line = 0;
    int m_Token = 0;
    std::string m_Text;
    std::string m_Fault;
};

// ---- looks and waits

bool ParseInt(const std::string& s, long& v) {
    if (s.empty())
        return false;
    char* end;
    v = strtol(s.c_str(), &end, 0);
    return *end == 0;
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

bool Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR& result) {
    return SendMessageTimeoutA(h, msg, wp, lp, SMTO_NORMAL, kSendTimeout, &result) != 0;
}

bool GetText(HWND h, std::string& text) {
    DWORD_PTR len = 0;
    if (!Send(h, WM_GETTEXTLENGTH, 0, 0, len))
        return false;
    // The length of an ANSI text may be reported short of its bytes on double-byte code pages: leave room.
    std::vector<char> buf(len * 2 + 16, 0);
    DWORD_PTR n = 0;
    if (!Send(h, WM_GETTEXT, buf.size(), (LPARAM)buf.data(), n))
        return false;
    if (n > buf.size() - 1)
        n = buf.size() - 1;
    text.assign(buf.data(), n);
    return true;
}

std::string WindowText(HWND h) {
    char buf[256] = {0};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

std::string ClassName(HWND h) {
    char buf[128] = {0};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

DWORD ProcessOf(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

// Waits until the thread of the main window has handled every message posted to it before: a marker posted behind
// them to a control of that thread reads back once it has been handled. The marker is the command box's text limit,
// which the program never sets nor reads and which only matters past some 30,000 typed characters: each round flips
// its lowest bit (30000 and 30001 under Wine), and the two rounds leave it as they found it. Nothing else changes
// it, so one bit tells; the box's modify flag would not do, since the box sets and clears that itself as its text
// changes (typed characters, the program emptying it). The second round catches the characters that handling a
// posted key-down may itself post (TranslateMessage).
bool Sync(HWND main, DWORD timeoutMs) {
    HWND box = GetDlgItem(main, kCommandId);
    if (!box)
        return false;
    const DWORD start = GetTickCount();
    // Each look waits at most kSendTimeout and is repeated: a program that is busy for longer is slow, not lost.
    auto limit = [&](DWORD_PTR& value) {
        for (;;) {
            if (Send(box, EM_GETLIMITTEXT, 0, 0, value))
                return true;
            if (!IsWindow(box) || GetTickCount() - start >= timeoutMs)
                return false;
        }
    };
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR current = 0;
        if (!limit(current))
            return false;
        // A one-line box holds at most 0x7FFFFFFE characters: the bit goes the other way there.
        const DWORD_PTR marker = current >= 0x7FFFFFFE ? current - 1 : current ^ 1;
        if (!PostMessageA(box, EM_SETLIMITTEXT, marker, 0))
            return false;
        for (;;) {
            DWORD_PTR got = 0;
            if (!limit(got))
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

// ---- the program a request is about

// A program under test, known by its main window's caption: that window is a top-level window with the caption
// that holds the output pane, or such a window parked under its tray holder (a child of the window captioned
// CAPTION + " tray"). A window of another program with the same caption but no pane is not taken.
class Program {
public:
    explicit Program(const std::string& caption) : m_Caption(caption) {}

    HWND Find() const {
        // The window can move between the two places while they are searched one after the other (a restore from
        // the tray makes it top-level again after the top-level search missed it): a miss is looked at again briefly.
        for (int attempt = 0; attempt < 10; ++attempt) {
            Search search{this, nullptr};
            EnumWindows(MainProc, (LPARAM)&search);
            if (!search.found)
                EnumWindows(TrayProc, (LPARAM)&search);
            if (search.found)
                return search.found;
            Sleep(5);
        }
        return nullptr;
    }

    HWND Wait(DWORD timeoutMs) const {
        HWND h = nullptr;
        PollUntil(timeoutMs, 10, [&] { return (h = Find()) != nullptr; });
        return h;
    }

    // The main window, or why there is none.
    int Main(HWND& main) const {
        main = Find();
        return main ? EXIT_OK : EXIT_NO_WINDOW;
    }

    // A control of the main window by its id (0: the main window itself).
    int Control(const std::string& idText, HWND& main, HWND& ctl) const {
        if (int rc = Main(main))
            return rc;
        long id;
        if (!ParseInt(idText, id))
            return EXIT_USAGE;
        ctl = id ? GetDlgItem(main, (int)id) : main;
        return ctl ? EXIT_OK : EXIT_NO_CONTROL;
    }

    // A visible dialog of the program's process with this caption (the main window's own dialog class included).
    HWND Dialog(const std::string& caption) const {
        HWND main = Find();
        if (!main)
            return nullptr;
        DialogSearch search{&caption, ProcessOf(main), nullptr};
        EnumWindows(DialogProc, (LPARAM)&search);
        return search.found;
    }

    int DialogControl(const std::string& caption, const std::string& idText, HWND& dlg, HWND& ctl) const {
        dlg = Dialog(caption);
        if (!dlg)
            return EXIT_NO_WINDOW;
        long id;
        if (!ParseInt(idText, id))
            return EXIT_USAGE;
        ctl = id ? GetDlgItem(dlg, (int)id) : dlg;
        return ctl ? EXIT_OK : EXIT_NO_CONTROL;
    }

    // How many top-level windows carry the caption, with the pane or not.
    int CountTopLevel() const {
        Counter counter{this, 0};
        EnumWindows(CountProc, (LPARAM)&counter);
        return counter.n;
    }

private:
    struct Search {
        const Program* program;
        HWND found;
    };
    struct Counter {
        const Program* program;
        int n;
    };
    struct DialogSearch {
        const std::string* caption;
        DWORD pid;
        HWND found;
    };

    static BOOL CALLBACK MainProc(HWND h, LPARAM lp) {
        Search* search = (Search*)lp;
        if (WindowText(h) == search->program->m_Caption && GetDlgItem(h, kPaneId)) {
            search->found = h;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK TrayProc(HWND h, LPARAM lp) {
        Search* search = (Search*)lp;
        if (WindowText(h) == search->program->m_Caption + " tray") {
            EnumChildWindows(h, MainProc, lp);
            if (search->found)
                return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK CountProc(HWND h, LPARAM lp) {
        Counter* counter = (Counter*)lp;
        if (WindowText(h) == counter->program->m_Caption)
            ++counter->n;
        return TRUE;
    }
    static BOOL CALLBACK DialogProc(HWND h, LPARAM lp) {
        DialogSearch* search = (DialogSearch*)lp;
        if (ClassName(h) == "#32770" && WindowText(h) == *search->caption && ProcessOf(h) == search->pid &&
            IsWindowVisible(h)) {
            search->found = h;
            return FALSE;
        }
        return TRUE;
    }

    std::string m_Caption;
};

// ---- keys

struct VkName {
    const char* name;
    int vk;
};
const VkName kVkNames[] = {
    {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE},  {"TAB", VK_TAB},
    {"UP", VK_UP},         {"DOWN", VK_DOWN},    {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT}, {"BACK", VK_BACK},
    {"HOME", VK_HOME},     {"END", VK_END},      {"DELETE", VK_DELETE}, {"F1", VK_F1},       {"F5", VK_F5},
    {"SPACE", VK_SPACE},   {"SHIFT", VK_SHIFT},  {"PRIOR", VK_PRIOR},   {"NEXT", VK_NEXT},
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

// ---- memory in the process that owns a window: the place for the records of messages that carry pointers

class Remote {
public:
    static const SIZE_T kSize = 8192;

    explicit Remote(HWND window)
        : m_Process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                                FALSE, ProcessOf(window))) {
        // The records placed there (TVITEMA, TTTOOLINFOA) have this build's layout, pointers and all: the target
        // must be of the same bitness (the 32-bit driver with the 32-bit program, or both 64-bit).
        BOOL ownWow64 = FALSE, targetWow64 = FALSE;
        if (m_Process && IsWow64Process(GetCurrentProcess(), &ownWow64) &&
            IsWow64Process(m_Process.Get(), &targetWow64) && ownWow64 == targetWow64)
            m_Base = (char*)VirtualAllocEx(m_Process.Get(), NULL, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~Remote() {
        if (m_Base)
            VirtualFreeEx(m_Process.Get(), m_Base, 0, MEM_RELEASE);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;

    bool Ok() const { return m_Base != NULL; }
    char* At(SIZE_T offset) const { return m_Base + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T n) const {
        SIZE_T done = 0;
        return offset + n <= kSize && WriteProcessMemory(m_Process.Get(), m_Base + offset, data, n, &done) && done == n;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T n) const {
        SIZE_T done = 0;
        return offset + n <= kSize && ReadProcessMemory(m_Process.Get(), m_Base + offset, data, n, &done) && done == n;
    }

private:
    CKernelHandle m_Process;
    char* m_Base = NULL;
};

// ---- tree view of another process

class RemoteTree {
public:
    explicit RemoteTree(HWND tree) : m_Tree(tree), m_Mem(tree) {}

    bool Ok() const { return m_Mem.Ok(); }

    HTREEITEM Next(HTREEITEM item, UINT code) const {
        DWORD_PTR r = 0;
        Send(m_Tree, TVM_GETNEXTITEM, code, (LPARAM)item, r);
        return (HTREEITEM)r;
    }

    bool Get(HTREEITEM item, TVITEMA& tv, std::string& text) const {
        memset(&tv, 0, sizeof tv);
        tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_CHILDREN;
        tv.hItem = item;
        tv.stateMask = 0xFFFF;
        tv.pszText = m_Mem.At(sizeof(TVITEMA));
        tv.cchTextMax = kText;
        const char nul = 0;
        DWORD_PTR r = 0;
        if (!m_Mem.Write(sizeof(TVITEMA), &nul, 1) || !m_Mem.Write(0, &tv, sizeof tv) ||
            !Send(m_Tree, TVM_GETITEMA, 0, (LPARAM)m_Mem.At(0), r) || !r)
            return false;
        std::vector<char> buf(sizeof(TVITEMA) + kText + 1, 0);
        if (!m_Mem.Read(0, buf.data(), sizeof(TVITEMA) + kText))
            return false;
        memcpy(&tv, buf.data(), sizeof tv);
        const char* t = buf.data() + sizeof(TVITEMA);
        text.assign(t, strnlen(t, kText));
        return true;
    }

private:
    static const int kText = 1024;
    HWND m_Tree;
    Remote m_Mem;
};

// One line per item in display order (the item texts come from the network and may hold any byte).
bool DumpTree(const RemoteTree& rt, HTREEITEM first, int depth, Reply& reply) {
    for (HTREEITEM item = first; item; item = rt.Next(item, TVGN_NEXT)) {
        TVITEMA tv;
        std::string text;
        if (!rt.Get(item, tv, text))
            return false;
        reply.Int(depth).Int(tv.iImage).Int(tv.iSelectedImage).Int((tv.state & TVIS_BOLD) ? 1 : 0);
        reply.Int((tv.state & TVIS_EXPANDED) ? 1 : 0).Int((tv.state & TVIS_SELECTED) ? 1 : 0).Int(tv.cChildren ? 1 : 0);
        reply.Hex(text);
        HTREEITEM child = rt.Next(item, TVGN_CHILD);
        if (child && !DumpTree(rt, child, depth + 1, reply))
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

// ---- requests: a[0] is the request's name, then its arguments as the table lists them (their number checked)

int WaitWindow(const Args& a, Reply& reply) {
    long timeout;
    if (!ParseInt(a[2], timeout))
        return EXIT_USAGE;
    if (!Program(a[1]).Wait(timeout))
        return EXIT_NO_WINDOW;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

int WaitReady(const Args& a, Reply& reply) {
    const Program program(a[1]);
    long timeout;
    if (!ParseInt(a[2], timeout))
        return EXIT_USAGE;
    const bool ready = PollUntil((DWORD)timeout, 5, [&] {
        HWND main = program.Find();
        // Shown normal: the start-up shows the window minimised first.
        if (!main || !IsWindowVisible(main) || IsIconic(main))
            return false;
        std::string pane;
        HWND p = GetDlgItem(main, kPaneId);
        DWORD_PTR r;
        return p && GetText(p, pane) && pane.find(kReadyText) != std::string::npos &&
               (a.size() < 4 || pane.find(a[3]) != std::string::npos) && Send(main, WM_NULL, 0, 0, r);
    });
    if (!ready)
        return EXIT_NO_WINDOW;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

int WaitGone(const Args& a, Reply& reply) {
    const Program program(a[1]);
    long timeout;
    if (!ParseInt(a[2], timeout))
        return EXIT_USAGE;
    if (!PollUntil((DWORD)timeout, 10, [&] { return program.Find() == nullptr; }))
        return EXIT_NO_WINDOW;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

int GetTextOf(const Args& a, Reply& reply) {
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    std::string text;
    if (!GetText(ctl, text))
        return EXIT_FAILED;
    reply.Bytes(text);
    return EXIT_OK;
}

int WaitText(const Args& a, Reply& reply) {
    const Program program(a[1]);
    long timeout;
    if (!ParseInt(a[4], timeout))
        return EXIT_USAGE;
    const bool found = PollUntil((DWORD)timeout, 5, [&] {
        HWND main, ctl;
        std::string text;
        return program.Control(a[2], main, ctl) == EXIT_OK && GetText(ctl, text) &&
               text.find(a[3]) != std::string::npos;
    });
    if (!found)
        return EXIT_NO_WINDOW;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

int SetText(const Args& a, Reply&) {
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    DWORD_PTR r;
    return Send(ctl, WM_SETTEXT, 0, (LPARAM)a[3].c_str(), r) ? EXIT_OK : EXIT_FAILED;
}

int GetSel(const Args& a, Reply& reply) {
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    DWORD_PTR r;
    // Both ends come back in the result's two words (the one-line command box is far shorter than 64K).
    if (!Send(ctl, EM_GETSEL, 0, 0, r))
        return EXIT_FAILED;
    reply.Int(LOWORD(r)).Int(HIWORD(r));
    return EXIT_OK;
}

int IsEnabled(const Args& a, Reply& reply) {
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    reply.Int(IsWindowEnabled(ctl) ? 1 : 0);
    return EXIT_OK;
}

int WaitEnabled(const Args& a, Reply& reply) {
    // Polls closely: the time is that at which the state was first seen.
    long want, timeout;
    if (!ParseInt(a[3], want) || !ParseInt(a[4], timeout))
        return EXIT_USAGE;
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    bool gone = false;
    const bool seen = PollUntil((DWORD)timeout, 1, [&] {
        if ((IsWindowEnabled(ctl) ? 1 : 0) == want)
            return true;
        gone = !IsWindow(ctl);
        return gone;
    });
    if (!seen || gone)
        return EXIT_NO_WINDOW;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

int Focus(const Args& a, Reply& reply) {
    // The control id of the window that has the keyboard focus in the program's thread (0: none or no id).
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    GUITHREADINFO gti;
    memset(&gti, 0, sizeof gti);
    gti.cbSize = sizeof gti;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, NULL), &gti))
        return EXIT_FAILED;
    reply.Int(gti.hwndFocus ? GetDlgCtrlID(gti.hwndFocus) : 0);
    return EXIT_OK;
}

int Click(const Args& a, Reply& reply) {
    // Posted by default, as a user's click reaches the main window through the message loop. A sent command may run
    // inside any handler of the program that itself waits on a sent message, which no user click can do. A disabled
    // button is not clicked, as a user could not click it.
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    if (!IsWindowEnabled(ctl))
        return EXIT_DISABLED;
    const std::string mode = a.size() == 4 ? a[3] : "post";
    const WPARAM wp = MAKEWPARAM(GetDlgCtrlID(ctl), BN_CLICKED);
    DWORD_PTR r;
    bool ok;
    const double posted = NowSeconds();
    if (mode == "post")
        ok = PostMessageA(main, WM_COMMAND, wp, (LPARAM)ctl) && Sync(main, kPostedInputMs);
    else if (mode == "send")
        ok = Send(main, WM_COMMAND, wp, (LPARAM)ctl, r);
    else if (mode == "bm")
        ok = Send(ctl, BM_CLICK, 0, 0, r);
    else
        return EXIT_USAGE;
    if (!ok)
        return EXIT_FAILED;
    reply.Time(NowSeconds()).Time(posted);
    return EXIT_OK;
}

int PostKey(const Args& a, Reply&) {
    // Key-down and key-up posted to the control, so that they pass through the program's message loop (and its key
    // pre-translation) like typed keys.
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    for (size_t i = 3; i < a.size(); ++i) {
        int vk;
        if (!ParseVk(a[i], vk))
            return EXIT_USAGE;
        UINT scan = MapVirtualKeyA(vk, 0);
        LPARAM down = 1 | (scan << 16) | (IsExtendedKey(vk) ? (1 << 24) : 0);
        LPARAM up = down | (1u << 30) | (1u << 31);
        if (!PostMessageA(ctl, WM_KEYDOWN, vk, down) || !PostMessageA(ctl, WM_KEYUP, vk, up))
            return EXIT_FAILED;
    }
    return Sync(main, kPostedInputMs) ? EXIT_OK : EXIT_FAILED;
}

int Mouse(const Args& a, Reply&) {
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    long x, y;
    if (!ParseInt(a[3], x) || !ParseInt(a[4], y))
        return EXIT_USAGE;
    const LPARAM at = MAKELPARAM(x, y);
    const std::string& kind = a[5];
    const WPARAM held = kind == "shift" ? MK_SHIFT : 0;
    std::vector<std::pair<UINT, WPARAM>> messages = {{WM_LBUTTONDOWN, MK_LBUTTON | held}, {WM_LBUTTONUP, held}};
    if (kind == "double") {
        messages.push_back({WM_LBUTTONDBLCLK, MK_LBUTTON});
        messages.push_back({WM_LBUTTONUP, 0});
    } else if (kind != "click" && kind != "shift") {
        return EXIT_USAGE;
    }
    for (const auto& m : messages)
        if (!PostMessageA(ctl, m.first, m.second, at))
            return EXIT_FAILED;
    return Sync(main, kPostedInputMs) ? EXIT_OK : EXIT_FAILED;
}

int Paint(const Args& a, Reply& reply) {
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    // Sends the control its pending WM_PAINT and returns once it has been handled.
    if (!RedrawWindow(ctl, NULL, NULL, RDW_UPDATENOW))
        return EXIT_FAILED;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

int Resize(const Args& a, Reply& reply) {
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    long w, h;
    if (!ParseInt(a[2], w) || !ParseInt(a[3], h) || w <= 0 || h <= 0)
        return EXIT_USAGE;
    if (!SetWindowPos(main, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) ||
        !RedrawWindow(main, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN))
        return EXIT_FAILED;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

int Lines(const Args& a, Reply& reply) {
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    DWORD_PTR first, count;
    if (!Send(ctl, EM_GETFIRSTVISIBLELINE, 0, 0, first) || !Send(ctl, EM_GETLINECOUNT, 0, 0, count))
        return EXIT_FAILED;
    reply.Int((long long)first).Int((long long)count);
    return EXIT_OK;
}

int Type(const Args& a, Reply&) {
    // One posted WM_CHAR per byte.
    HWND main, ctl;
    if (int rc = Program(a[1]).Control(a[2], main, ctl))
        return rc;
    for (unsigned char c : a[3]) {
        if (!PostMessageA(ctl, WM_CHAR, c, 1))
            return EXIT_FAILED;
    }
    return Sync(main, kPostedInputMs) ? EXIT_OK : EXIT_FAILED;
}

int SyncWith(const Args& a, Reply&) {
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    return Sync(main, kPostedInputMs) ? EXIT_OK : EXIT_FAILED;
}

int Probe(const Args& a, Reply& reply) {
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    const double duration = atoi(a[2].c_str()) / 1000.0;
    const DWORD interval = a.size() == 4 ? (DWORD)atoi(a[3].c_str()) : 10;
    LARGE_INTEGER frequency, start, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<double> waits;
    for (;;) {
        QueryPerformanceCounter(&before);
        if ((double)(before.QuadPart - start.QuadPart) / frequency.QuadPart >= duration)
            break;
        DWORD_PTR r;
        if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, kPostedInputMs, &r))
            return EXIT_FAILED;
        QueryPerformanceCounter(&after);
        waits.push_back((double)(after.QuadPart - before.QuadPart) * 1e3 / frequency.QuadPart);
        Sleep(interval);
    }
    if (waits.empty())
        return EXIT_FAILED;
    std::sort(waits.begin(), waits.end());
    reply.Int((long long)waits.size()).Ms(waits.back()).Ms(waits[waits.size() / 2]);
    return EXIT_OK;
}

int Tree(const Args& a, Reply& reply) {
    HWND main, tree;
    if (int rc = Program(a[1]).Control(std::to_string(kTreeId), main, tree))
        return rc;
    RemoteTree rt(tree);
    if (!rt.Ok() || !DumpTree(rt, rt.Next(NULL, TVGN_ROOT), 0, reply))
        return EXIT_FAILED;
    return EXIT_OK;
}

// The item found by the texts of its levels expanded, collapsed or selected.
int TreeItem(const Args& a, UINT message, WPARAM how) {
    HWND main, tree;
    if (int rc = Program(a[1]).Control(std::to_string(kTreeId), main, tree))
        return rc;
    RemoteTree rt(tree);
    if (!rt.Ok())
        return EXIT_FAILED;
    HTREEITEM item = FindPath(rt, a, 2);
    if (!item)
        return EXIT_NO_CONTROL;
    DWORD_PTR r = 0;
    return Send(tree, message, how, (LPARAM)item, r) ? EXIT_OK : EXIT_FAILED;
}

int TreeExpand(const Args& a, Reply&) { return TreeItem(a, TVM_EXPAND, TVE_EXPAND); }
int TreeCollapse(const Args& a, Reply&) { return TreeItem(a, TVM_EXPAND, TVE_COLLAPSE); }
int TreeSelect(const Args& a, Reply&) { return TreeItem(a, TVM_SELECTITEM, TVGN_CARET); }

int WindowState(const Args& a, Reply& reply) {
    HWND main = Program(a[1]).Find();
    reply.Int(main ? 1 : 0);
    if (!main)
        return EXIT_OK;
    WINDOWPLACEMENT wp;
    memset(&wp, 0, sizeof wp);
    wp.length = sizeof wp;
    GetWindowPlacement(main, &wp);
    RECT wr;
    GetWindowRect(main, &wr);
    // The real parent: GetParent answers the owner for a window without WS_CHILD, which the tray holder's is.
    HWND owner = GetAncestor(main, GA_PARENT);
    if (owner == GetDesktopWindow())
        owner = NULL;
    reply.Int(IsWindowVisible(main) ? 1 : 0).Int(IsIconic(main) ? 1 : 0).Int(IsZoomed(main) ? 1 : 0);
    reply.Int(IsWindowEnabled(main) ? 1 : 0).Int(wp.showCmd).Int(wp.flags);
    const RECT& n = wp.rcNormalPosition;
    reply.Int(n.left).Int(n.top).Int(n.right).Int(n.bottom).Int(wr.left).Int(wr.top).Int(wr.right).Int(wr.bottom);
    reply.Word(ClassName(main)).Int(owner ? 1 : 0);
    return EXIT_OK;
}

int Count(const Args& a, Reply& reply) {
    reply.Int(Program(a[1]).CountTopLevel());
    return EXIT_OK;
}

int Pid(const Args& a, Reply& reply) {
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    reply.Int(ProcessOf(main));
    return EXIT_OK;
}

int Memory(const Args& a, Reply& reply) {
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    CKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ProcessOf(main)));
    if (!process)
        return EXIT_FAILED;
    PROCESS_MEMORY_COUNTERS pmc;
    memset(&pmc, 0, sizeof pmc);
    if (!GetProcessMemoryInfo(process.Get(), &pmc, sizeof pmc))
        return EXIT_FAILED;
    reply.Int((long long)pmc.WorkingSetSize).Int((long long)pmc.PeakWorkingSetSize).Int((long long)pmc.PagefileUsage);
    return EXIT_OK;
}

int Close(const Args& a, Reply&) {
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    return PostMessageA(main, WM_CLOSE, 0, 0) ? EXIT_OK : EXIT_FAILED;
}

int QuitButton(const Args& a, Reply&) {
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    HWND quit = GetDlgItem(main, kQuitId);
    if (!quit)
        return EXIT_NO_CONTROL;
    // Posted: the handler ends the dialog, and the process may be gone before a sent message could return.
    return PostMessageA(main, WM_COMMAND, MAKEWPARAM(kQuitId, BN_CLICKED), (LPARAM)quit) ? EXIT_OK : EXIT_FAILED;
}

int SendNotify(const Args& a, Reply&) {
    long msg, wp = 0, lp = 0;
    if (!ParseInt(a[2], msg) || (a.size() > 3 && !ParseInt(a[3], wp)) || (a.size() > 4 && !ParseInt(a[4], lp)))
        return EXIT_USAGE;
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    return SendNotifyMessageA(main, (UINT)msg, (WPARAM)wp, (LPARAM)lp) ? EXIT_OK : EXIT_FAILED;
}

int SysCommand(const Args& a, Reply&) {
    // SC_MINIMIZE 0xF020, the About entry 16.
    long cmd;
    if (!ParseInt(a[2], cmd))
        return EXIT_USAGE;
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    return PostMessageA(main, WM_SYSCOMMAND, (WPARAM)cmd, 0) ? EXIT_OK : EXIT_FAILED;
}

int PostCommand(const Args& a, Reply&) {
    long id;
    if (!ParseInt(a[2], id))
        return EXIT_USAGE;
    HWND main;
    if (int rc = Program(a[1]).Main(main))
        return rc;
    return PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? EXIT_OK : EXIT_FAILED;
}

int DlgWait(const Args& a, Reply& reply) {
    const Program program(a[1]);
    long want, timeout;
    if (!ParseInt(a[3], want) || !ParseInt(a[4], timeout))
        return EXIT_USAGE;
    if (!PollUntil((DWORD)timeout, 10, [&] { return (program.Dialog(a[2]) != NULL) == (want != 0); }))
        return EXIT_NO_WINDOW;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

int DlgGetText(const Args& a, Reply& reply) {
    HWND dlg, ctl;
    if (int rc = Program(a[1]).DialogControl(a[2], a[3], dlg, ctl))
        return rc;
    std::string text;
    if (!GetText(ctl, text))
        return EXIT_FAILED;
    reply.Bytes(text);
    return EXIT_OK;
}

int DlgSetText(const Args& a, Reply&) {
    HWND dlg, ctl;
    if (int rc = Program(a[1]).DialogControl(a[2], a[3], dlg, ctl))
        return rc;
    DWORD_PTR r;
    return Send(ctl, WM_SETTEXT, 0, (LPARAM)a[4].c_str(), r) ? EXIT_OK : EXIT_FAILED;
}

int DlgState(const Args& a, Reply& reply) {
    HWND dlg, ctl;
    if (int rc = Program(a[1]).DialogControl(a[2], a[3], dlg, ctl))
        return rc;
    DWORD_PTR checked = 0;
    Send(ctl, BM_GETCHECK, 0, 0, checked);
    RECT r;
    GetWindowRect(ctl, &r);
    reply.Int(IsWindowEnabled(ctl) ? 1 : 0).Int((int)checked).Int(r.left).Int(r.top).Int(r.right).Int(r.bottom);
    return EXIT_OK;
}

int DlgClick(const Args& a, Reply& reply) {
    const Program program(a[1]);
    HWND dlg, ctl;
    if (int rc = program.DialogControl(a[2], a[3], dlg, ctl))
        return rc;
    if (!IsWindowEnabled(ctl))
        return EXIT_DISABLED;
    HWND main;
    if (int rc = program.Main(main))
        return rc;
    bool ok;
    if (a.size() == 5 && a[4] == "bm")
        ok = PostMessageA(ctl, BM_CLICK, 0, 0);
    else
        ok = PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ctl), BN_CLICKED), (LPARAM)ctl);
    if (!ok || !Sync(main, kPostedInputMs))
        return EXIT_FAILED;
    reply.Time(NowSeconds());
    return EXIT_OK;
}

BOOL CALLBACK ListProc(HWND h, LPARAM lp) {
    Reply& reply = *(Reply*)lp;
    RECT r;
    GetWindowRect(h, &r);
    reply.Int(ProcessOf(h)).Int(IsWindowVisible(h) ? 1 : 0).Int(r.left).Int(r.top).Int(r.right).Int(r.bottom);
    reply.Hex(ClassName(h)).Hex(WindowText(h));
    return TRUE;
}

int Windows(const Args&, Reply& reply) {
    EnumWindows(ListProc, (LPARAM)&reply);
    return EXIT_OK;
}

BOOL CALLBACK TooltipProc(HWND h, LPARAM lp) {
    Reply& reply = *(Reply*)lp;
    if (ClassName(h) != TOOLTIPS_CLASSA)
        return TRUE;
    Remote mem(h);
    if (!mem.Ok())
        return TRUE;
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
        reply.Int(ProcessOf(h)).Int(IsWindowVisible(h) ? 1 : 0).Hex(titleText);
        reply.Hex(std::string(text.data(), strnlen(text.data(), textSize)));
    }
    return TRUE;
}

int Tooltips(const Args&, Reply& reply) {
    EnumWindows(TooltipProc, (LPARAM)&reply);
    return EXIT_OK;
}

int Foreground(const Args&, Reply& reply) {
    reply.Hex(WindowText(GetForegroundWindow()));
    return EXIT_OK;
}

int Press(const Args& a, Reply& reply) {
    for (size_t i = 1; i < a.size(); ++i) {
        int vk;
        if (!ParseVk(a[i], vk))
            return EXIT_USAGE;
        BYTE scan = (BYTE)MapVirtualKeyA(vk, 0);
        keybd_event((BYTE)vk, scan, 0, 0);
        keybd_event((BYTE)vk, scan, KEYEVENTF_KEYUP, 0);
    }
    reply.Hex(WindowText(GetForegroundWindow()));
    return EXIT_OK;
}

int Clipboard(const Args&, Reply& reply) {
    // Another program may hold the clipboard open for a moment (the one that is putting text on it).
    const DWORD start = GetTickCount();
    while (!OpenClipboard(NULL)) {
        if (GetTickCount() - start > kSendTimeout)
            return EXIT_FAILED;
        Sleep(10);
    }
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = (const char*)GlobalLock(data)) {
            text.assign(bytes, strnlen(bytes, GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    reply.Bytes(text);
    return EXIT_OK;
}

int Screenshot(const Args& a, Reply& reply) {
    long x, y, w, h;
    if (!ParseInt(a[1], x) || !ParseInt(a[2], y) || !ParseInt(a[3], w) || !ParseInt(a[4], h) || w <= 0 || h <= 0)
        return EXIT_USAGE;
    BITMAPINFO bi;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    CWindowDC screen(NULL);
    CMemoryDC mem(CreateCompatibleDC(screen.Get()));
    void* bits = NULL;
    CBitmapHandle bmp(CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, NULL, 0));
    if (!screen || !mem || !bmp)
        return EXIT_FAILED;
    CSelectObject select(mem.Get(), bmp.Get());
    if (!BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), x, y, SRCCOPY))
        return EXIT_FAILED;
    GdiFlush();
    const DWORD stride = ((DWORD)w * 3 + 3) & ~3u;
    const DWORD size = stride * (DWORD)h;
    BITMAPFILEHEADER fh;
    memset(&fh, 0, sizeof fh);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + size;
    bi.bmiHeader.biSizeImage = size;
    std::string file((const char*)&fh, sizeof fh);
    file.append((const char*)&bi.bmiHeader, sizeof(BITMAPINFOHEADER));
    file.append((const char*)bits, size);
    reply.Bytes(file);
    return EXIT_OK;
}

// A tray icon of this program's own, removed at the end of its scope.
class TrayIcon {
public:
    explicit TrayIcon(HWND owner) {
        memset(&m_Icon, 0, sizeof m_Icon);
        m_Icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
        m_Icon.hWnd = owner;
        m_Icon.uID = 1;
        m_Icon.uFlags = NIF_ICON;
        m_Icon.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
        m_bAdded = owner && Shell_NotifyIconA(NIM_ADD, &m_Icon);
    }
    ~TrayIcon() {
        if (m_bAdded) {
            m_Icon.uFlags = 0;
            Shell_NotifyIconA(NIM_DELETE, &m_Icon);
        }
    }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    bool Added() const { return m_bAdded; }
    bool ShowBalloon(const std::string& title, const std::string& text, UINT ms) {
        m_Icon.uFlags = NIF_INFO;
        lstrcpynA(m_Icon.szInfoTitle, title.c_str(), sizeof m_Icon.szInfoTitle);
        lstrcpynA(m_Icon.szInfo, text.c_str(), sizeof m_Icon.szInfo);
        m_Icon.dwInfoFlags = NIIF_INFO;
        m_Icon.uTimeout = ms;
        return Shell_NotifyIconA(NIM_MODIFY, &m_Icon);
    }

private:
    NOTIFYICONDATAA m_Icon;
    bool m_bAdded = false;
};

int Balloon(const Args& a, Reply&) {
    // With the information icon: the shell's tool tips do not hand out their titles, this one's are known.
    long ms;
    if (!ParseInt(a[3], ms))
        return EXIT_USAGE;
    CWindowHandle owner(CreateWindowExA(0, "STATIC", "kvlctl balloon", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL));
    TrayIcon icon(owner.Get());
    if (!icon.Added())
        return EXIT_FAILED;
    const bool shown = icon.ShowBalloon(a[1], a[2], (UINT)ms);
    const DWORD start = GetTickCount();
    while (shown && GetTickCount() - start < (DWORD)ms) {
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
        Sleep(10);
    }
    return shown ? EXIT_OK : EXIT_FAILED;
}

// Each request of the table and its handler, in the table's order (serve and exit are the server loop's).
struct Route {
    Request request;
    int (*handler)(const Args& a, Reply& reply);
};
constexpr Route kRoutes[] = {
    {REQUEST_WAIT_WINDOW, WaitWindow},
    {REQUEST_WAIT_READY, WaitReady},
    {REQUEST_WAIT_GONE, WaitGone},
    {REQUEST_GET_TEXT, GetTextOf},
    {REQUEST_WAIT_TEXT, WaitText},
    {REQUEST_SET_TEXT, SetText},
    {REQUEST_GET_SEL, GetSel},
    {REQUEST_IS_ENABLED, IsEnabled},
    {REQUEST_WAIT_ENABLED, WaitEnabled},
    {REQUEST_FOCUS, Focus},
    {REQUEST_CLICK, Click},
    {REQUEST_POST_KEY, PostKey},
    {REQUEST_MOUSE, Mouse},
    {REQUEST_TYPE, Type},
    {REQUEST_SYNC, SyncWith},
    {REQUEST_PAINT, Paint},
    {REQUEST_RESIZE, Resize},
    {REQUEST_LINES, Lines},
    {REQUEST_PROBE, Probe},
    {REQUEST_TREE, Tree},
    {REQUEST_TREE_EXPAND, TreeExpand},
    {REQUEST_TREE_COLLAPSE, TreeCollapse},
    {REQUEST_TREE_SELECT, TreeSelect},
    {REQUEST_WINDOW_STATE, WindowState},
    {REQUEST_COUNT, Count},
    {REQUEST_PID, Pid},
    {REQUEST_MEMORY, Memory},
    {REQUEST_CLOSE, Close},
    {REQUEST_QUIT_BUTTON, QuitButton},
    {REQUEST_SEND_MESSAGE, SendNotify},
    {REQUEST_SYS_COMMAND, SysCommand},
    {REQUEST_POST_COMMAND, PostCommand},
    {REQUEST_DLG_WAIT, DlgWait},
    {REQUEST_DLG_GET_TEXT, DlgGetText},
    {REQUEST_DLG_SET_TEXT, DlgSetText},
    {REQUEST_DLG_STATE, DlgState},
    {REQUEST_DLG_CLICK, DlgClick},
    {REQUEST_WINDOWS, Windows},
    {REQUEST_TOOLTIPS, Tooltips},
    {REQUEST_FOREGROUND, Foreground},
    {REQUEST_PRESS, Press},
    {REQUEST_SCREENSHOT, Screenshot},
    {REQUEST_CLIPBOARD, Clipboard},
    {REQUEST_BALLOON, Balloon},
    {REQUEST_SERVE, nullptr},
    {REQUEST_EXIT, nullptr},
};

constexpr bool InTableOrder() {
    for (int i = 0; i < kRequestCount; ++i) {
        if (kRoutes[i].request != i)
            return false;
    }
    return true;
}
static_assert(sizeof kRoutes / sizeof kRoutes[0] == kRequestCount && InTableOrder(),
              "one route for each request of the protocol table, in the table's order");

// ---- the table's requests

int FindRequest(const std::string& name) {
    for (int i = 0; i < kRequestCount; ++i) {
        if (name == kRequests[i].name)
            return i;
    }
    return -1;
}

// Answers a request (a[0] its name); the exit code, and in out the reply (nothing when the request failed).
int Answer(const Args& a, std::string& out) {
    out.clear();
    const int found = a.empty() ? -1 : FindRequest(a[0]);
    if (found < 0 || !kRoutes[found].handler)
        return EXIT_USAGE;
    const RequestFormat& format = kRequests[found];
    const int given = static_cast<int>(a.size()) - 1;
    if (given < format.leastArguments || (format.mostArguments >= 0 && given > format.mostArguments))
        return EXIT_USAGE;
    Reply reply(format);
    const int rc = kRoutes[found].handler(a, reply);
    std::string text;
    if (!reply.Finish(text)) {
        out = text;
        return EXIT_FAILED;
    }
    if (rc == EXIT_OK)
        out = text;
    return rc;
}

int Serve() {
    _setmode(_fileno(stdin), _O_BINARY);
    printf("%s\n", kGreeting);
    fflush(stdout);
    std::string line;
    int c;
    for (;;) {
        line.clear();
        while ((c = fgetc(stdin)) != EOF && c != '\n')
            line += (char)c;
        if (c == EOF && line.empty())
            return EXIT_OK;
        Args args;
        bool ok = true;
        for (const std::string& field : Split(line, " ")) {
            std::string arg;
            if (field.empty() || field[0] != '=' || !Unhex(field.substr(1), arg))
                ok = false;
            args.push_back(arg);
        }
        if (ok && !args.empty() && FindRequest(args[0]) == REQUEST_EXIT)
            return EXIT_OK;
        std::string out;
        const int rc = ok ? Answer(args, out) : EXIT_USAGE;
        fprintf(stdout, "%d %u\n", rc, (unsigned)out.size());
        fwrite(out.data(), 1, out.size(), stdout);
        fflush(stdout);
    }
}

void Usage() {
    fputs("usage: kvlctl REQUEST ARGUMENTS (tests/e2e/kvlctl.protocol)\n", stderr);
    for (const RequestFormat& r : kRequests)
        fprintf(stderr, "  %s %s\n", r.name, r.arguments);
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const Args args(argv + 1, argv + argc);
    if (!args.empty() && FindRequest(args[0]) == REQUEST_SERVE)
        return args.size() == 1 ? Serve() : EXIT_USAGE;
    std::string out;
    const int rc = Answer(args, out);
    if (rc == EXIT_USAGE)
        Usage();
    fwrite(out.data(), 1, out.size(), stdout);
    fflush(stdout);
    return rc;
}
