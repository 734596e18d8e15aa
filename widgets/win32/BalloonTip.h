// Balloon tips: a speech-balloon pop-up whose stem points at a spot on the screen, with an icon, a bold title and a
// text, fading in and out and closing on a time-out or a chosen user action. Made and shown by ShowBalloonTip; the
// object then belongs to its window and is deleted when the window is gone.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/win32/WinHandle.h"
#include "widgets/BalloonGeometry.h"
#include "widgets/win32/LayeredWindow.h"

class CBalloonTip {
public:
    static constexpr const char* kFaultName = "balloon tip";
    static constexpr const char* kClassName = "BalloonHelpClass";

    CBalloonTip();
    ~CBalloonTip();
    CBalloonTip(const CBalloonTip&) = delete;
    CBalloonTip& operator=(const CBalloonTip&) = delete;

    // One of the system's standard icons (IDI_ERROR, IDI_WARNING, ...), or null for none.
    void SetIcon(LPCSTR standardIcon);
    // Creates and shows the balloon as a pop-up of parent (the application's main window when null; one of them
    // must exist); false (and nothing shown) when any step fails. With BalloonDeleteOnClose the window takes the object over once it exists: from a true result on,
    // the object is deleted when its window is destroyed; after a false result it is still the caller's.
    bool Create(const std::string& title, const std::string& content, POINT anchor, uint32_t options, HWND parent,
                const std::string& link, unsigned timeout);
    HWND Get() const { return m_hWnd; }

    // Starts closing: fades out (or goes at once) and destroys the window.
    void Close();

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static bool RegisterWindowClass();
    SIZE MeasureHeader(HDC dc, const std::string& title) const;
    SIZE MeasureContent(HDC dc) const;
    void PlaceWindow(POINT anchor);
    void StartFadeIn();
    void ApplyAlpha();
    void OnTimer(UINT_PTR id);
    void OnMouseMove(POINT cursor);
    void OnLButtonDown(POINT cursor);
    void OnLButtonUp(POINT cursor);
    void OnPaint();
    void DrawCloseButton(HDC dc);
    void SetCloseLook(uint32_t look);
    bool OnCloseButton(POINT cursor) const;
    int ScreenWidth() const;

    CLayeredWindows m_Layered;
    uint32_t m_Options = 0;
    unsigned m_Timeout = 0;
    std::string m_strContent;
    std::string m_strLink;
    std::string m_strTitle;
    POINT m_Anchor{};
    CImageListHandle m_Icons;
    CFontHandle m_TitleFont;
    CFontHandle m_ContentFont;
    COLORREF m_Background = 0;
    COLORREF m_TextColour = 0;
    balloon::Placement m_Placement;
    bool m_bPlaced = false;
    int m_nAlpha = 255;
    POINT m_MouseStart{};
    uint32_t m_State = 0;
    int m_nMouseTolerance = balloon::kMouseTolerance;
    bool m_bClosing = false;
    // Set once by Create when the window exists: the window's destruction deletes this object.
    bool m_bOwnedByWindow = false;
    HWND m_hWnd = nullptr;
};

// Makes a balloon with the icon and shows it over parent (null: the main window) with `options` plus
// BalloonDeleteOnClose: the balloon belongs to its window, the caller keeps nothing.
bool ShowBalloonTip(const std::string& title, const std::string& content, POINT anchor, LPCSTR icon, uint32_t options,
                    HWND parent, const std::string& link = std::string(), unsigned timeout = 0);

// The centre of a window's screen rectangle, each coordinate halved towards zero: where balloons point.
POINT WindowCentre(HWND window);
