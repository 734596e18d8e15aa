// The wave ticker: a control (subclassed from a static) on which a text scrolls right to left riding a sine wave.
// Two memory surfaces do the work: the strip, where characters enter at the right and scroll left, and the frame,
// where each column of the strip is copied at its wave height before the frame goes to the screen.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/win32/WinHandle.h"
#include "widgets/WaveTickerCore.h"

class CWaveTicker {
public:
    static constexpr const char* kFaultName = "wave ticker";
    static constexpr COLORREF kTextColour = RGB(150, 150, 150);

    CWaveTicker() = default;
    ~CWaveTicker();
    CWaveTicker(const CWaveTicker&) = delete;
    CWaveTicker& operator=(const CWaveTicker&) = delete;

    // Takes over drawing of the control.
    bool Attach(HWND control);
    void SetText(const std::string& text);
    // The font stays the caller's and must outlive the ticker's running.
    void SetFont(HFONT font);
    void SetStep(int step) { m_Core.SetStep(step); }
    void Start();
    void Stop();
    bool Running() const { return m_bRunning; }

    LRESULT HandleSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnControlDestroyed(HWND hwnd);

private:
    void Initialise();
    void DrawFrame();
    void DeleteSurfaces();

    CWaveTickerCore m_Core;
    HWND m_hWnd = nullptr;
    bool m_bRunning = false;
    bool m_bReady = false;
    UINT_PTR m_TimerId = 0;
    HFONT m_hFont = nullptr;
    int m_nCharWidth = 0;
    int m_nCharHeight = 0;
    CMemoryDC m_StripDC;
    CBitmapHandle m_StripBitmap;
    CMemoryDC m_FrameDC;
    CBitmapHandle m_FrameBitmap;
    RECT m_StripRect{};
    RECT m_ClientRect{};
    std::vector<int> m_Heights;
};
