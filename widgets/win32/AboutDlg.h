// The About box: dialog 100, a colour-keyed layered window on which the wave ticker's letters are see-through.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "base/win32/WinHandle.h"
#include "widgets/win32/LayeredWindow.h"
#include "widgets/win32/WaveTicker.h"

class CAboutDlg {
public:
    static constexpr const char* kFaultName = "about box";
    static constexpr int kTickerStep = 6;
    static constexpr int kFontPoints = 220;  // tenths of a point

    // Runs the box modally over `parent`: IDOK, or -1 when it could not be made. A second call while the box is
    // open is refused (0) and brings the open one forward.
    INT_PTR DoModal(HWND parent);
    bool IsOpen() const { return m_hWnd != nullptr; }

    void OnAttach(HWND hwnd) { m_hWnd = hwnd; }
    void OnDetach() { m_hWnd = nullptr; }
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    BOOL OnInitDialog();

    HWND m_hWnd = nullptr;
    CLayeredWindows m_Layered;
    CFontHandle m_Font;
    CWaveTicker m_Ticker;
};
