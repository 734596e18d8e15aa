// The application object and the program's entry point: the single-instance rule, the sockets layer, the host's
// own address, then the main window until it closes.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/LocalAddress.h"
#include "app/win32/MainDlg.h"
#include "res/resource.h"

namespace {

constexpr char kMainCaption[] = "Korvalen SE";
constexpr char kTrayCaption[] = "Korvalen SE tray";

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
    HWND holder = FindTopLevelByExactCaption(kTrayCaption);
    if (!holder)
        return nullptr;
    ChildSearch search;
    ::EnumChildWindows(holder, FindMainWindowChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> ResolvedAddresses() {
    std::vector<std::string> addresses;
    char hostName[256] = {};
    if (::gethostname(hostName, sizeof(hostName)) != 0)
        return addresses;
    const hostent* host = ::gethostbyname(hostName);
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4)
        return addresses;
    for (char** entry = host->h_addr_list; entry && *entry; ++entry) {
        in_addr address{};
        std::memcpy(&address, *entry, sizeof(address));
        addresses.emplace_back(::inet_ntoa(address));
    }
    return addresses;
}

std::vector<std::string> InterfaceAddresses() {
    std::vector<std::string> addresses;
    ULONG size = 0;
    if (::GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return addresses;
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (::GetIpAddrTable(table, &size, FALSE) != NO_ERROR)
        return addresses;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        in_addr address{};
        address.s_addr = table->table[i].dwAddr;
        addresses.emplace_back(::inet_ntoa(address));
    }
    return addresses;
}

void DetermineLocalAddress() {
    const std::string chosen = ChooseLocalAddress(ResolvedAddresses(), InterfaceAddresses());
    const size_t length = chosen.size() < sizeof(LocalAddress) - 1 ? chosen.size() : sizeof(LocalAddress) - 1;
    std::memcpy(LocalAddress, chosen.data(), length);
    LocalAddress[length] = '\0';
}

}  // namespace

class CMainApp {
public:
    // Always false: the process ends when this returns.
    bool InitInstance();
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

    DetermineLocalAddress();

    {
        CMainDlg dialog;
        dialog.DoModal();
    }
    ::WSACleanup();
    return false;
}

namespace {
CMainApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        theApp.InitInstance();
    } catch (...) {
        // Nothing to report to: the window is gone; the process ends as it would have.
    }
    return 0;
}
