// keyprobe: the end-to-end tests' second look at the keyboard side, inside the same Wine prefix as the program.
//   keyprobe shared              loads keyRelay.dll like any other process and prints what its shared section holds
//                                ("notify HEX", "mode N", "watched N", "main HEX" the program's window, "sethook 0|1"
//                                a hook attempt of its own, removed at once if it succeeded, "fn N", "n N")
//   keyprobe keys VK,SCAN,FLAGS...   sends these keybd_event calls (hex; SCAN "m" = the layout's scan code of VK),
//                                after a line "go" on stdin when the first argument is "--wait"; with "--game"
//                                first, only once the game window is the foreground window (asked to come to the
//                                front if it is not; exit 3 and "foreground CLASS CAPTION" when it is not within ten
//                                seconds)
//   keyprobe front               a plain top-level window that takes the foreground; prints "ready HEX"
//   keyprobe raise               asks the fake game window to take the foreground again
//   keyprobe close               asks the game window to close
//   keyprobe type TEXT           types TEXT with keybd_event, the layout's keys for each character (SHIFT as needed)
//   keyprobe hold                owns the hook itself ("hold 1|0") and prints every report it gets ("report EV WP
//                                LP", hex) until it is ended
//   keyprobe report SPEC...      sends the program's window reports as the hook does (WM_COPYDATA, then the notify
//                                message): "EV,WP,LP" one record; "size:N" N bytes; "null" a null data pointer;
//                                "nodesc" no descriptor at all; "flood:N:CH" N character reports of CH (hex).
//                                Prints "accepted K of N"
//   keyprobe shot FILE.bmp       the game window's client area as the screen shows it, a 24-bit BMP
//   keyprobe paintwait X Y MS    presses the console key and waits until the screen pixel at the game window's
//                                client point X,Y turns white; "painted MS" (milliseconds) or "timeout"
//   keyprobe drawwait X Y MS     the same wait after drawing a white line through X,Y itself on the game window
//                                (which is then repainted)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "keyrelay/keyRelay.h"

namespace {

using SetHookFn = BOOL (*)(HWND);
using RemoveHookFn = BOOL (*)(HWND);
using FnKeyRelayFn = int (*)(void);

// The loaded library's section of that name, found through its own headers.
const unsigned char* FindSection(HMODULE module, const char* name, DWORD& size) {
    const unsigned char* base = reinterpret_cast<const unsigned char*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        char sectionName[9] = {0};
        memcpy(sectionName, section->Name, 8);
        if (strcmp(sectionName, name) == 0) {
            size = section->Misc.VirtualSize;
            return base + section->VirtualAddress;
        }
    }
    return nullptr;
}

int Shared() {
    HMODULE library = LoadLibraryA("keyRelay.dll");
    if (!library) {
        printf("error no library\n");
        return 4;
    }
    DWORD size = 0;
    const unsigned char* section = FindSection(library, KEYRELAY_SECTION_NAME, size);
    if (!section || size < sizeof(SharedHookState)) {
        printf("error no section\n");
        return 4;
    }
    SharedHookState state;
    memcpy(&state, section, sizeof(state));
    int watched = 0;
    for (unsigned char key : state.watchedKeys)
        watched += key != 0;
    printf("notify %lx\nmode %d\nwatched %d\n", (unsigned long)state.notifyWindow, (int)state.keyMode, watched);
    printf("main %lx\n", (unsigned long)(ULONG_PTR)FindWindowA(nullptr, "Korvalen SE"));

    auto setHook = reinterpret_cast<SetHookFn>(reinterpret_cast<void*>(GetProcAddress(library, "keyRelaySetHook")));
    auto removeHook =
        reinterpret_cast<RemoveHookFn>(reinterpret_cast<void*>(GetProcAddress(library, "keyRelayRemoveHook")));
    auto fn = reinterpret_cast<FnKeyRelayFn>(reinterpret_cast<void*>(GetProcAddress(library, "fnkeyRelay")));
    const int* n = reinterpret_cast<const int*>(reinterpret_cast<void*>(GetProcAddress(library, "nkeyRelay")));
    if (!setHook || !removeHook || !fn || !n || !GetProcAddress(library, "keyRelayKeybdEvent") ||
        !GetProcAddress(library, "keyRelaySetKeyMode") || !GetProcAddress(library, "keyRelayAddKey") ||
        !GetProcAddress(library, "keyRelayRemoveKey")) {
        printf("error missing export\n");
        return 4;
    }
    HWND own = CreateWindowExA(0, "STATIC", "keyprobe", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const BOOL set = setHook(own);
    printf("sethook %d\n", set ? 1 : 0);
    if (set) {
        memcpy(&state, section, sizeof(state));
        printf("own %d\n", state.notifyWindow == (uint32_t)(ULONG_PTR)own ? 1 : 0);
        printf("removed %d\n", removeHook(own) ? 1 : 0);
    }
    printf("fn %d\nn %d\n", fn(), *n);
    fflush(stdout);
    return 0;
}

HWND GameWindow() { return FindWindowA("SWarClass", "Brood War"); }

// Waits until the game window is in front; false (and what is in front instead) after ten seconds.
bool WaitGameInFront() {
    const DWORD start = GetTickCount();
    bool asked = false;
    while (GetTickCount() - start < 10000) {
        HWND game = GameWindow();
        if (game && GetForegroundWindow() == game)
            return true;
        // Another window came to the front meanwhile (a program that was starting up shows itself): the game is
        // asked to take it back, as a player would click it.
        if (game && !asked)
            asked = PostMessageA(game, WM_APP + 1, 0, 0) != FALSE;
        Sleep(10);
    }
    char cls[64] = {0}, caption[128] = {0};
    HWND front = GetForegroundWindow();
    GetClassNameA(front, cls, sizeof cls);
    GetWindowTextA(front, caption, sizeof caption);
    printf("foreground %s %s\n", front ? cls : "(none)", caption);
    fflush(stdout);
    return false;
}

int Keys(int argc, char** argv) {
    int first = 2;
    if (argc > 2 && strcmp(argv[2], "--game") == 0) {
        if (!WaitGameInFront())
            return 3;
        first = 3;
    } else if (argc > 2 && strcmp(argv[2], "--wait") == 0) {
        printf("ready\n");
        fflush(stdout);
        char line[16];
        if (!fgets(line, sizeof line, stdin))
            return 1;
        first = 3;
    }
    for (int i = first; i < argc; ++i) {
        char scanText[8] = {0};
        unsigned vk = 0, flags = 0;
        if (sscanf(argv[i], "%x,%7[^,],%x", &vk, scanText, &flags) != 3)
            return 1;
        const unsigned scan = scanText[0] == 'm' ? MapVirtualKeyA(vk, 0) : strtoul(scanText, nullptr, 16);
        keybd_event((BYTE)vk, (BYTE)(scan & 0xFF), flags, 0);
    }
    printf("sent\n");
    fflush(stdout);
    return 0;
}

LRESULT CALLBACK FrontProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

int Front() {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = FrontProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KeyProbeFront";
    if (!RegisterClassA(&wc))
        return 1;
    HWND h = CreateWindowExA(0, "KeyProbeFront", "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                             200, nullptr, nullptr, wc.hInstance, nullptr);
    if (!h)
        return 1;
    SetForegroundWindow(h);
    printf("ready %lx\n", (unsigned long)(ULONG_PTR)h);
    fflush(stdout);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}

void Tap(BYTE vk, bool down) { keybd_event(vk, (BYTE)MapVirtualKeyA(vk, 0), down ? 0 : KEYEVENTF_KEYUP, 0); }

int Type(const char* text) {
    for (const char* c = text; *c; ++c) {
        const SHORT key = VkKeyScanA(*c);
        if (key == -1)
            continue;
        const bool shift = (key & 0x100) != 0;
        if (shift)
            Tap(VK_SHIFT, true);
        Tap((BYTE)(key & 0xFF), true);
        Tap((BYTE)(key & 0xFF), false);
        if (shift)
            Tap(VK_SHIFT, false);
    }
    printf("typed\n");
    fflush(stdout);
    return 0;
}

LRESULT CALLBACK HoldProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (data && data->cbData == sizeof(HookEvent) && data->lpData) {
            HookEvent event;
            memcpy(&event, data->lpData, sizeof(event));
            printf("report %x %x %x\n", event.event, event.wParam, event.lParam);
            fflush(stdout);
        }
        return TRUE;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

int Hold() {
    HMODULE library = LoadLibraryA("keyRelay.dll");
    auto setHook =
        library ? reinterpret_cast<SetHookFn>(reinterpret_cast<void*>(GetProcAddress(library, "keyRelaySetHook")))
                : nullptr;
    auto removeHook =
        library ? reinterpret_cast<RemoveHookFn>(reinterpret_cast<void*>(GetProcAddress(library, "keyRelayRemoveHook")))
                : nullptr;
    if (!setHook || !removeHook)
        return 4;
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = HoldProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KeyProbeHold";
    if (!RegisterClassA(&wc))
        return 1;
    HWND h =
        CreateWindowExA(0, "KeyProbeHold", "keyprobe hold", 0, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    const BOOL held = setHook(h);
    printf("hold %d\n", held ? 1 : 0);
    fflush(stdout);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0)
        DispatchMessageA(&m);
    if (held)
        removeHook(h);
    return 0;
}

int Reports(int argc, char** argv) {
    HWND main = FindWindowA(nullptr, "Korvalen SE");
    if (!main)
        return 2;
    int sent = 0, accepted = 0;
    auto send = [&](COPYDATASTRUCT* data) {
        DWORD_PTR result = 0;
        ++sent;
        if (SendMessageTimeoutA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(data), SMTO_ABORTIFHUNG, 5000,
                                &result) &&
            result)
            ++accepted;
        SendNotifyMessageA(main, KEYRELAY_NOTIFY_MESSAGE, 0, 0);
    };
    for (int i = 2; i < argc; ++i) {
        const char* spec = argv[i];
        unsigned ev = 0, wp = 0, lp = 0, n = 0;
        char big[256] = {0};
        if (strncmp(spec, "size:", 5) == 0) {
            n = strtoul(spec + 5, nullptr, 10);
            COPYDATASTRUCT data = {0, n < sizeof(big) ? n : (DWORD)sizeof(big), big};
            send(&data);
        } else if (strcmp(spec, "null") == 0) {
            COPYDATASTRUCT data = {0, sizeof(HookEvent), nullptr};
            send(&data);
        } else if (strcmp(spec, "nodesc") == 0) {
            send(nullptr);
        } else if (sscanf(spec, "flood:%u:%x", &n, &wp) == 2) {
            for (unsigned k = 0; k < n; ++k) {
                HookEvent event = {HOOK_CHAR, wp, 1};
                COPYDATASTRUCT data = {0, sizeof(event), &event};
                send(&data);
            }
        } else if (sscanf(spec, "%x,%x,%x", &ev, &wp, &lp) == 3) {
            HookEvent event = {ev, wp, lp};
            COPYDATASTRUCT data = {0, sizeof(event), &event};
            send(&data);
        } else {
            return 1;
        }
    }
    printf("accepted %d of %d\n", accepted, sent);
    fflush(stdout);
    return 0;
}

// The game window's client rectangle on the screen.
bool ClientOnScreen(HWND game, RECT& rect) {
    if (!game || !GetClientRect(game, &rect))
        return false;
    POINT origin = {0, 0};
    ClientToScreen(game, &origin);
    OffsetRect(&rect, origin.x, origin.y);
    return true;
}

int Shot(const char* file) {
    RECT rect;
    if (!ClientOnScreen(GameWindow(), rect))
        return 2;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((DWORD)w * 3 + 3) & ~3u;
    BITMAPFILEHEADER head;
    memset(&head, 0, sizeof head);
    head.bfType = 0x4D42;
    head.bfOffBits = sizeof(head) + sizeof(info.bmiHeader);
    head.bfSize = head.bfOffBits + stride * h;
    FILE* f = fopen(file, "wb");
    if (f) {
        fwrite(&head, sizeof head, 1, f);
        fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
        fwrite(bits, stride, h, f);
        fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    printf("shot %d %d\n", w, h);
    fflush(stdout);
    return f ? 0 : 4;
}

// Waits until the screen shows white at the game's client point; milliseconds since start, -1 on time-out.
double WaitWhite(HWND game, int x, int y, DWORD timeoutMs, LARGE_INTEGER start) {
    POINT at = {x, y};
    ClientToScreen(game, &at);
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    HDC screen = GetDC(nullptr);
    double elapsed = -1;
    for (;;) {
        const COLORREF pixel = GetPixel(screen, at.x, at.y);
        QueryPerformanceCounter(&now);
        const double ms = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
        if (pixel == RGB(255, 255, 255)) {
            elapsed = ms;
            break;
        }
        if (ms > timeoutMs)
            break;
    }
    ReleaseDC(nullptr, screen);
    return elapsed;
}

int PaintWait(int argc, char** argv, bool drawItself) {
    if (argc != 5)
        return 1;
    HWND game = GameWindow();
    if (!game)
        return 2;
    const int x = atoi(argv[2]), y = atoi(argv[3]);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (drawItself) {
        HDC dc = GetDC(game);
        SelectObject(dc, GetStockObject(WHITE_PEN));
        POINT line[2] = {{x - 100, y}, {x + 100, y}};
        Polyline(dc, line, 2);
        GdiFlush();
        ReleaseDC(game, dc);
    } else {
        Tap(0xC0, true);
        Tap(0xC0, false);
    }
    const double ms = WaitWhite(game, x, y, (DWORD)atoi(argv[4]), start);
    if (drawItself)
        InvalidateRect(game, nullptr, TRUE);  // the game paints its own line away
    if (ms < 0)
        printf("timeout\n");
    else
        printf("painted %.3f\n", ms);
    fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "shared") == 0)
        return Shared();
    if (argc >= 2 && strcmp(argv[1], "keys") == 0)
        return Keys(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "front") == 0)
        return Front();
    if (argc == 2 && strcmp(argv[1], "raise") == 0)
        return GameWindow() && PostMessageA(GameWindow(), WM_APP + 1, 0, 0) ? 0 : 2;
    if (argc == 2 && strcmp(argv[1], "close") == 0)
        return GameWindow() && PostMessageA(GameWindow(), WM_CLOSE, 0, 0) ? 0 : 2;
    if (argc == 3 && strcmp(argv[1], "type") == 0)
        return Type(argv[2]);
    if (argc == 2 && strcmp(argv[1], "hold") == 0)
        return Hold();
    if (argc >= 3 && strcmp(argv[1], "report") == 0)
        return Reports(argc, argv);
    if (argc == 3 && strcmp(argv[1], "shot") == 0)
        return Shot(argv[2]);
    if (argc >= 2 && strcmp(argv[1], "paintwait") == 0)
        return PaintWait(argc, argv, false);
    if (argc >= 2 && strcmp(argv[1], "drawwait") == 0)
        return PaintWait(argc, argv, true);
    fprintf(stderr,
            "usage: keyprobe shared | keys [--wait|--game] VK,SCAN,FLAGS... | front | raise | close | type TEXT | hold | report "
            "SPEC... | shot FILE | paintwait X Y MS | drawwait X Y MS\n");
    return 1;
}
