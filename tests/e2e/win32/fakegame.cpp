// fakegame: a stand-in for the game's window in the end-to-end tests: a top-level window of class "SWarClass"
// captioned "Brood War". It writes every keyboard message it gets to stdout, one line each, so that a test can see
// what was typed into the game: "key down|up|sysdown|sysup VK LPARAM" and "char CODE LPARAM" (numbers in hex).
// Options: --foreground (ask to be the foreground window), --hidden (create it without showing it), --paints (also
// "paint LEFT TOP RIGHT BOTTOM" for every repaint, the area it covers), --late (retrieve a message first, so that a
// global hook's library comes into the process before the window exists; "loop" says so, and the window is made
// once a line arrives on stdin). A posted WM_APP + 1 makes it take the
// foreground again (a window that asks for itself becomes the foreground window under Wine).
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool g_bPaints = false;

void Report(const char* kind, WPARAM wp, LPARAM lp) {
    printf("%s %lx %lx\n", kind, (unsigned long)wp, (unsigned long)lp);
    fflush(stdout);
}

LRESULT CALLBACK GameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_KEYDOWN:
        Report("key down", wp, lp);
        return 0;
    case WM_KEYUP:
        Report("key up", wp, lp);
        return 0;
    case WM_SYSKEYDOWN:
        Report("key sysdown", wp, lp);
        return 0;
    case WM_SYSKEYUP:
        Report("key sysup", wp, lp);
        return 0;
    case WM_CHAR:
        Report("char", wp, lp);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(h, &paint);
        if (g_bPaints) {
            printf("paint %ld %ld %ld %ld\n", paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                   paint.rcPaint.bottom);
            fflush(stdout);
        }
        EndPaint(h, &paint);
        return 0;
    }
    case WM_APP + 1:
        SetForegroundWindow(h);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(h, msg, wp, lp);
    }
}

}  // namespace

DWORD WINAPI ReadGo(LPVOID thread) {
    char line[16];
    if (fgets(line, sizeof line, stdin))
        PostThreadMessageA((DWORD)(ULONG_PTR)thread, WM_APP + 2, 0, 0);
    return 0;
}

// Runs the message loop until the window is to be made.
bool LoopBeforeTheWindow() {
    MSG m;
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    if (GetMessageA(&m, NULL, 0, 0) <= 0)
        return false;
    if (!CreateThread(NULL, 0, ReadGo, (LPVOID)(ULONG_PTR)GetCurrentThreadId(), 0, NULL))
        return false;
    printf("loop\n");
    fflush(stdout);
    while (GetMessageA(&m, NULL, 0, 0) > 0)
        if (m.hwnd == NULL && m.message == WM_APP + 2)
            return true;
    return false;
}

int main(int argc, char** argv) {
    bool foreground = false, hidden = false, late = false;
    for (int i = 1; i < argc; ++i) {
        foreground |= strcmp(argv[i], "--foreground") == 0;
        hidden |= strcmp(argv[i], "--hidden") == 0;
        late |= strcmp(argv[i], "--late") == 0;
        g_bPaints |= strcmp(argv[i], "--paints") == 0;
    }
    if (late && !LoopBeforeTheWindow())
        return 1;
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = GameProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = "SWarClass";
    if (!RegisterClassA(&wc))
        return 1;
    HWND h = CreateWindowExA(0, "SWarClass", "Brood War", WS_OVERLAPPEDWINDOW | (hidden ? 0 : WS_VISIBLE), 0, 0, 640,
                             480, NULL, NULL, wc.hInstance, NULL);
    if (!h)
        return 1;
    if (foreground)
        SetForegroundWindow(h);
    printf("ready %llx\n", (unsigned long long)(ULONG_PTR)h);
    fflush(stdout);
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
