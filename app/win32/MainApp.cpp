// The application object and the program's entry point: the single-instance rule, the sockets layer, the host's
// own address, then the main window until it closes.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "app/win32/MainDlg.h"
#include "base/AppContext.h"
#include "network/win32/LocalAddressQuery.h"
#include "res/resource.h"
#include "widgets/win32/SystemTray.h"

namespace {

constexpr char kMainCaption[] = KVL_MAIN_CAPTION;

// FindWindow ignores case; the rule is an exact caption.
HWND FindTopLevelByExactCaption(const char* caption) {
    HWND candidate = nullptr;
    while ((candidate = ::FindWindowExA(nullptr, candidate, nullptr, caption)) != nullptr) {
        char text[256] = {};
        ::GetWindowTextA(candidate, text, sizeof(text));
        if (std::strcmp(text, caption) == 0)
            return candidate;
    }
    return nullptr;
}

struct ChildSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindMainWindowChild(HWND child, LPARAM lParam) noexcept {
    auto* search = reinterpret_cast<ChildSearch*>(lParam);
    char text[256] = {};
    ::GetWindowTextA(child, text, sizeof(text));
    if (std::strcmp(text, kMainCaption) == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

// The running copy's main window: on screen by its caption, or parked in the tray under its holder window.
HWND FindRunningCopy() {
    if (HWND window = FindTopLevelByExactCaption(kMainCaption))
        return window;
    HWND holder = FindTopLevelByExactCaption(TrayHolderCaption(kMainCaption).c_str());
    if (!holder)
        return nullptr;
    ChildSearch search;
    ::EnumChildWindows(holder, FindMainWindowChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// Owns what the whole program shares (the application context) and runs the main window with it.
class CMainApp {
public:
    // Always false: the process ends when this returns.
    bool InitInstance();

private:
    CAppContext m_Context;
};

bool CMainApp::InitInstance() {
    if (HWND running = FindRunningCopy()) {
        // Notify without waiting: the running copy shows a balloon, this one ends before making anything.
        ::SendNotifyMessageA(running, WM_ALREADY_RUNNING, 0, 0);
        return false;
    }

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);

    WSADATA sockets{};
    const int started = ::WSAStartup(MAKEWORD(1, 1), &sockets);
    if (started != 0 || sockets.wVersion != MAKEWORD(1, 1)) {
        if (started == 0)
            ::WSACleanup();
        ::MessageBoxA(nullptr, "Windows sockets initialization failed.", "KVL_SE", MB_OK);
        return false;
    }

    m_Context.SetLocalAddress(DetermineLocalAddress());

    {
        CMainDlg dialog(m_Context);
        dialog.DoModal();
    }
    ::WSACleanup();
    return false;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        CMainApp app;
        app.InitInstance();
    } catch (...) {
        // Nothing to report to: the window is gone; the process ends as it would have.
    }
    return 0;
}
