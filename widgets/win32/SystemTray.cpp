// The notification-area icon: a thin layer over Shell_NotifyIconA and the window tricks that park a window there.
#include "widgets/win32/SystemTray.h"

#include <cstring>

#include "base/win32/WindowProc.h"

namespace {

constexpr char kTrayWindowClass[] = "KVLSystemTray";

template <size_t N>
void CopyText(char (&dest)[N], const char* text, size_t maxChars) {
    const size_t limit = maxChars < N - 1 ? maxChars : N - 1;
    size_t length = text ? std::strlen(text) : 0;
    if (length > limit)
        length = limit;
    if (length)
        std::memcpy(dest, text, length);
    dest[length] = '\0';
}

OSVERSIONINFOA SystemVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExA(&info))
        info = OSVERSIONINFOA{};
    return info;
}

HINSTANCE ModuleInstance() { return ::GetModuleHandleA(nullptr); }

struct TrayAreaSearch {
    RECT rect;
};

BOOL CALLBACK TrayChildProc(HWND child, LPARAM lParam) noexcept {
    auto* search = reinterpret_cast<TrayAreaSearch*>(lParam);
    char className[64] = {};
    ::GetClassNameA(child, className, sizeof(className));
    if (std::strcmp(className, "TrayNotifyWnd") == 0) {
        ::GetWindowRect(child, &search->rect);
        return TRUE;
    }
    if (std::strcmp(className, "TrayClockWClass") == 0) {
        RECT clock{};
        ::GetWindowRect(child, &clock);
        if (clock.bottom < search->rect.bottom - 5)
            search->rect.top = clock.bottom;
        else
            search->rect.right = clock.left;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

CSystemTray::~CSystemTray() {
    DeleteIcon();
    // The window outlives this object's fields by a moment while it is destroyed: let it forget us first.
    DetachWindowOwner(m_TrayWindow.Get());
}

std::string TrayHolderCaption(const char* windowCaption) { return std::string(windowCaption) + " tray"; }

bool CSystemTray::RegisterWindowClass() { return RegisterClassOnce(kTrayWindowClass, &ForwardWindowProc<CSystemTray>); }

bool CSystemTray::Create(const TrayIconParams& params) {
    HWND parent = params.parent;
    const bool hidden = params.hidden;
    const OSVERSIONINFOA version = SystemVersion();
    m_bEnabled = version.dwMajorVersion >= 4;
    if (!m_bEnabled)
        return false;
    m_bBalloonCapable = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;

    // The tray's own hidden pop-up hears the broadcasts (taskbar re-created) and, without a parent, the callbacks.
    if (!RegisterWindowClass())
        return false;
    m_TrayWindow.Reset(
        ::CreateWindowExA(0, kTrayWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ModuleInstance(), this));
    if (!m_TrayWindow)
        return false;
    m_TaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    m_hMainWnd = parent;

    m_Data = NOTIFYICONDATAA{};
    m_Data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    m_Data.hWnd = parent ? parent : m_TrayWindow.Get();
    m_Data.uID = params.id;
    m_Data.hIcon = params.icon;
    m_Data.uCallbackMessage = params.callbackMessage;
    m_Data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyText(m_Data.szTip, params.tooltip, kMaxTooltip);

    if (m_bBalloonCapable && params.balloonText) {
        m_Data.uFlags |= NIF_INFO;
        CopyText(m_Data.szInfo, params.balloonText, kMaxBalloonText);
        CopyText(m_Data.szInfoTitle, params.balloonTitle, kMaxBalloonTitle);
        m_Data.uTimeout = params.balloonSeconds * 1000;
        m_Data.dwInfoFlags = params.balloonIcon;
    }
    if (m_bBalloonCapable && hidden) {
        m_Data.uFlags = NIF_STATE;
        m_Data.dwState = NIS_HIDDEN;
        m_Data.dwStateMask = NIS_HIDDEN;
    }
    m_CreationFlags = m_Data.uFlags;
    DefaultCommand();

    bool added = true;
    m_bHidden = hidden;
    m_bRemoved = false;
    if (!hidden || m_bBalloonCapable) {
        added = ::Shell_NotifyIconA(NIM_ADD, &m_Data) != FALSE;
        m_bHidden = m_bRemoved = !added;
    }
    // A later modification must not show the creation balloon again.
    m_Data.szInfo[0] = '\0';
    return added;
}

bool CSystemTray::SetTooltip(const char* text) {
    if (!m_bEnabled)
        return false;
    CopyText(m_Data.szTip, text, kMaxTooltip);
    if (m_bHidden)
        return true;  // kept for when the icon shows again
    m_Data.uFlags = NIF_TIP;
    return ::Shell_NotifyIconA(NIM_MODIFY, &m_Data) != FALSE;
}

bool CSystemTray::ShowTrayBalloon(const char* text, const char* title, DWORD iconKind, UINT seconds) {
    if (!m_bBalloonCapable)
        return false;
    m_Data.uFlags = NIF_INFO;
    CopyText(m_Data.szInfo, text, kMaxBalloonText);
    CopyText(m_Data.szInfoTitle, title, kMaxBalloonTitle);
    m_Data.dwInfoFlags = iconKind;
    m_Data.uTimeout = seconds * 1000;
    const bool shown = ::Shell_NotifyIconA(NIM_MODIFY, &m_Data) != FALSE;
    m_Data.szInfo[0] = '\0';
    return shown;
}

bool CSystemTray::DeleteIcon() {
    if (!m_bEnabled || m_bRemoved)
        return true;
    m_Data.uFlags = 0;
    if (!::Shell_NotifyIconA(NIM_DELETE, &m_Data))
        return false;
    m_bRemoved = m_bHidden = true;
    return true;
}

LRESULT CSystemTray::OnTrayMessage(WPARAM id, LPARAM mouseMessage) {
    HWND target = TargetWindow();
    if (id != m_Data.uID || !target)
        return 0;
    // Every mouse move over the icon comes here too: the menu is loaded only when it is shown.
    if (LOWORD(mouseMessage) == WM_RBUTTONUP) {
        CMenuHandle menu(::LoadMenuA(ModuleInstance(), MAKEINTRESOURCEA(m_Data.uID)));
        HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
        if (!popup)
            return 0;
        ::SetMenuDefaultItem(popup, m_DefaultItem, m_bDefaultByPosition ? TRUE : FALSE);
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::SetForegroundWindow(target);
        ::TrackPopupMenu(popup, TPM_LEFTALIGN, cursor.x, cursor.y, 0, target, nullptr);
        // Without this the menu of a background window does not close when the user clicks elsewhere.
        ::PostMessageA(target, WM_NULL, 0, 0);
        return 1;
    }
    if (LOWORD(mouseMessage) == WM_LBUTTONDBLCLK) {
        ::SetForegroundWindow(target);
        if (const UINT command = DefaultCommand())
            ::SendMessageA(target, WM_COMMAND, command, 0);
        return 1;
    }
    return 0;
}

UINT CSystemTray::DefaultCommand() {
    if (!m_bDefaultByPosition)
        return m_DefaultItem;
    // Learnt from the menu once (at creation), so that a double click does not depend on loading it again.
    if (m_DefaultCommand == 0) {
        CMenuHandle menu(::LoadMenuA(ModuleInstance(), MAKEINTRESOURCEA(m_Data.uID)));
        HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
        const UINT command = popup ? ::GetMenuItemID(popup, static_cast<int>(m_DefaultItem)) : 0;
        m_DefaultCommand = command == static_cast<UINT>(-1) ? 0 : command;
    }
    return m_DefaultCommand;
}

bool CSystemTray::MinimiseAnimationOn() {
    ANIMATIONINFO animation{};
    animation.cbSize = sizeof(animation);
    if (!::SystemParametersInfoA(SPI_GETANIMATION, sizeof(animation), &animation, 0))
        return false;
    return animation.iMinAnimate != 0;
}

RECT CSystemTray::FindTrayArea() {
    if (HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr)) {
        TrayAreaSearch search{};
        ::GetWindowRect(taskbar, &search.rect);
        ::EnumChildWindows(taskbar, TrayChildProc, reinterpret_cast<LPARAM>(&search));
        return search.rect;
    }
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) {
        const RECT& t = bar.rc;
        if (bar.uEdge == ABE_LEFT || bar.uEdge == ABE_RIGHT)
            return RECT{t.left, t.bottom - 100, t.right - 16, t.bottom - 16};
        return RECT{t.right - 100, t.top, t.right - 16, t.bottom};
    }
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return RECT{work.right - 150, work.bottom - 30, work.right, work.bottom};
}

void CSystemTray::EnsureHiddenOwner(HWND window) {
    if (m_HiddenOwner || !RegisterWindowClass())
        return;
    // Its title is what a second copy of the program looks for while this one lives in the tray.
    char caption[256] = {};
    ::GetWindowTextA(window, caption, sizeof(caption));
    m_HiddenOwner.Reset(::CreateWindowExA(0, kTrayWindowClass, TrayHolderCaption(caption).c_str(), WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, ModuleInstance(), nullptr));
}

// The caption flies between the window and the tray area, when the system's minimise animation is on.
void CSystemTray::AnimateCaption(HWND window, bool towardsTray) {
    if (!MinimiseAnimationOn())
        return;
    RECT windowRect{};
    ::GetWindowRect(window, &windowRect);
    const RECT trayRect = FindTrayArea();
    ::DrawAnimatedRects(window, IDANI_CAPTION, towardsTray ? &windowRect : &trayRect,
                        towardsTray ? &trayRect : &windowRect);
}

void CSystemTray::HideToTray(HWND window) {
    if (!window)
        return;
    AnimateCaption(window, true);
    EnsureHiddenOwner(window);
    // Under an invisible parent the window has no taskbar button.
    if (m_HiddenOwner)
        ::SetParent(window, m_HiddenOwner.Get());
    ::ShowWindow(window, SW_HIDE);
}

void CSystemTray::RestoreFromTray(HWND window) {
    if (!window)
        return;
    AnimateCaption(window, false);
    ::SetParent(window, nullptr);
    // A window hidden from its minimised state comes back in its normal state.
    ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
    // Activating the owner first makes the shell create the window's taskbar button again.
    if (m_HiddenOwner)
        ::SetActiveWindow(m_HiddenOwner.Get());
    ::SetActiveWindow(window);
    ::SetForegroundWindow(window);
}

LRESULT CSystemTray::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_TaskbarCreated && m_TaskbarCreated != 0) {
        // The shell restarted and forgot the icon: add it again as it was first added.
        if (m_bEnabled && !m_bRemoved) {
            m_Data.uFlags = m_CreationFlags & ~static_cast<UINT>(NIF_INFO);
            ::Shell_NotifyIconA(NIM_ADD, &m_Data);
        }
        return 0;
    }
    if (message == m_Data.uCallbackMessage && m_Data.uCallbackMessage != 0 && hwnd == m_Data.hWnd)
        return OnTrayMessage(wParam, lParam);
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
