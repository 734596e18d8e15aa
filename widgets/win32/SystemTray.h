// The notification-area icon of the main window: tooltip, balloons, the tray menu, hiding into the tray.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "base/win32/WinHandle.h"

// The record as the shell of Windows 2000/XP knows it: the balloon fields, no GUID. 488 bytes in the 32-bit program;
// a 64-bit build (wider handles, aligned) has the same form in 504.
static_assert(NOTIFYICONDATAA_V2_SIZE == (sizeof(void*) == 4 ? 488 : 504), "the tray record is the version-2 form");

// The caption of the hidden window that holds a window parked in the tray: the window's caption and " tray". A
// second copy of the program looks for it to find the first one.
std::string TrayHolderCaption(const char* windowCaption);

// How the icon is made.
struct TrayIconParams {
    HWND parent = nullptr;  // receives the callback messages and the menu's commands; the tray's own window if null
    UINT callbackMessage = 0;
    const char* tooltip = "";
    HICON icon = nullptr;  // stays the caller's
    UINT id = 0;           // also the id of the context menu resource
    bool hidden = false;
    const char* balloonText = nullptr;  // a balloon shown with the icon; none if null
    const char* balloonTitle = nullptr;
    DWORD balloonIcon = 0;
    UINT balloonSeconds = 10;
};

class CSystemTray {
public:
    static constexpr size_t kMaxTooltip = 127;
    static constexpr size_t kMaxBalloonText = 255;
    static constexpr size_t kMaxBalloonTitle = 63;

    CSystemTray() = default;
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    static constexpr const char* kFaultName = "tray icon";

    // Adds the icon. False when the notification area is not supported or the icon could not be added.
    [[nodiscard]] bool Create(const TrayIconParams& params);
    bool SetTooltip(const char* text);
    bool ShowTrayBalloon(const char* text, const char* title, DWORD iconKind, UINT seconds);
    bool DeleteIcon();

    // Takes the window off the screen and the taskbar, and brings it back.
    void HideToTray(HWND window);
    void RestoreFromTray(HWND window);

    // The callback message's wParam (icon id) and lParam (mouse message); 1 when handled.
    LRESULT OnTrayMessage(WPARAM id, LPARAM mouseMessage);

    // The window that receives the menu's commands; the parent given to Create when unset.
    void SetTargetWindow(HWND window) { m_hTargetWnd = window; }

    bool Enabled() const { return m_bEnabled; }
    bool BalloonCapable() const { return m_bBalloonCapable; }
    bool Hidden() const { return m_bHidden; }
    bool Removed() const { return m_bRemoved; }
    const char* Tooltip() const { return m_Data.szTip; }
    HWND HiddenOwner() const { return m_HiddenOwner.Get(); }
    // The tray's own hidden window, which hears the taskbar's broadcasts.
    HWND Window() const { return m_TrayWindow.Get(); }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static bool RegisterWindowClass();
    HWND TargetWindow() const { return m_hTargetWnd ? m_hTargetWnd : m_hMainWnd; }
    // The command of the menu's default item; 0 while it cannot be learnt.
    UINT DefaultCommand();
    void EnsureHiddenOwner(HWND window);
    static bool MinimiseAnimationOn();
    static RECT FindTrayArea();
    static void AnimateCaption(HWND window, bool towardsTray);

    NOTIFYICONDATAA m_Data{};
    UINT m_CreationFlags = 0;
    bool m_bEnabled = false;
    bool m_bBalloonCapable = false;
    bool m_bHidden = true;
    bool m_bRemoved = true;
    UINT m_DefaultItem = 0;
    bool m_bDefaultByPosition = true;
    UINT m_DefaultCommand = 0;  // of the item at m_DefaultItem, once learnt from the menu
    HWND m_hTargetWnd = nullptr;
    HWND m_hMainWnd = nullptr;
    UINT m_TaskbarCreated = 0;
    CWindowHandle m_TrayWindow;
    CWindowHandle m_HiddenOwner;
};
