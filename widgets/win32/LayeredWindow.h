// Layered-window attributes through a run-time look-up, so that the program still starts on systems without them.
#pragma once

#include <winsock2.h>
#include <windows.h>

class CLayeredWindows {
public:
    CLayeredWindows();
    ~CLayeredWindows();
    CLayeredWindows(const CLayeredWindows&) = delete;
    CLayeredWindows& operator=(const CLayeredWindows&) = delete;

    // SetLayeredWindowAttributes looked up by name at each call: 1 when the library could not be loaded, 0 when it
    // has no such entry point, else the system's result.
    BOOL SetLayeredAttributes(HWND window, COLORREF colourKey, BYTE alpha, DWORD flags) const;
    // Opacity in per cent (at most 100) as alpha = percent × 255 / 100.
    BOOL SetTransparency(HWND window, unsigned percent) const;
    // Adds WS_EX_LAYERED to the window's extended style.
    static void MakeLayered(HWND window);
    // Whether the function exists at all.
    bool Available() const;

private:
    HMODULE m_hUser32 = nullptr;
};
