// Icon push buttons with tool tips, and caption labels drawn white on black.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <vector>

#include "base/win32/WinHandle.h"

// One tool-tip window serving several controls of a dialog.
class CToolTips {
public:
    bool Create(HWND owner);
    bool AddTool(HWND control, const char* text);
    HWND Get() const { return m_Window.Get(); }

private:
    HWND m_hOwner = nullptr;
    CWindowHandle m_Window;
};

// A push button (BS_ICON) that shows one of the program's icons; it owns the icon.
class CIconButton {
public:
    bool Attach(HWND button, int iconId);
    HWND Get() const { return m_hButton; }

private:
    HWND m_hButton = nullptr;
    CIconHandle m_Icon;
};

// Static captions drawn as white text on a black band (the dialog forwards WM_CTLCOLORSTATIC).
class CCaptionLabels {
public:
    // A check box among them is drawn without its visual style: see the .cpp.
    void Add(HWND label);
    // The brush to return for WM_CTLCOLORSTATIC, or null when the control is not one of the labels.
    HBRUSH OnCtlColor(HDC dc, HWND control) const;

private:
    std::vector<HWND> m_Labels;
};
