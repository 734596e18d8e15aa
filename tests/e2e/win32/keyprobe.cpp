// keyprobe: the end-to-end tests' second look at the keyboard side, inside the same Wine prefix as the program.
//   keyprobe shared              loads keyRelay.dll like any other process and prints what its shared section holds
//                                ("notify HEX", "mode N", "watched N", "main HEX" the program's window, "sethook 0|1"
//                                a hook attempt of its own, removed at once if it succeeded, "fn N", "n N")
//   keyprobe keys VK,SCAN,FLAGS...   sends these keybd_event calls (hex; SCAN "m" = the layout's scan code of VK),
//                                after a line "go" on stdin when the first argument is "--wait"
//   keyprobe front               a plain top-level window that takes the foreground; prints "ready HEX"
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

int Keys(int argc, char** argv) {
    int first = 2;
    if (argc > 2 && strcmp(argv[2], "--wait") == 0) {
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

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "shared") == 0)
        return Shared();
    if (argc >= 2 && strcmp(argv[1], "keys") == 0)
        return Keys(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "front") == 0)
        return Front();
    fprintf(stderr, "usage: keyprobe shared | keys [--wait] VK,SCAN,FLAGS... | front\n");
    return 1;
}
