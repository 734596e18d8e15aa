// The wave ticker's surfaces and frames.
#include "widgets/win32/WaveTicker.h"

#include "base/win32/WindowProc.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;
}

CWaveTicker::~CWaveTicker() {
    if (m_hWnd) {
        Stop();
        ::RemoveWindowSubclass(m_hWnd, &ForwardSubclassProc<CWaveTicker, kSubclassId>, kSubclassId);
    }
    DeleteSurfaces();
}

bool CWaveTicker::Attach(HWND control) {
    if (!control || m_hWnd)
        return false;
    if (!::SetWindowSubclass(control, &ForwardSubclassProc<CWaveTicker, kSubclassId>, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hWnd = control;
    return true;
}

void CWaveTicker::SetText(const std::string& text) {
    m_Core.SetText(text);
    m_bReady = false;
}

void CWaveTicker::SetFont(HFONT font) {
    m_Core.ResetTextPos();
    m_bReady = false;
    m_hFont = font;
}

void CWaveTicker::Start() {
    if (!m_hWnd)
        return;
    if (m_bRunning)
        Stop();
    m_bRunning = true;
    Initialise();
    m_TimerId = ::SetTimer(m_hWnd, CWaveTickerCore::kTimerId, CWaveTickerCore::kFramePeriod, nullptr);
}

void CWaveTicker::Stop() {
    if (!m_bRunning)
        return;
    ::KillTimer(m_hWnd, CWaveTickerCore::kTimerId);
    m_TimerId = 0;
    m_bRunning = false;
}

void CWaveTicker::DeleteSurfaces() {
    // A memory surface goes before its bitmap: the bitmap is then selected nowhere.
    m_StripDC.Reset();
    m_StripBitmap.Reset();
    m_FrameDC.Reset();
    m_FrameBitmap.Reset();
}

void CWaveTicker::Initialise() {
    if (m_bReady || !m_hWnd)
        return;
    CWindowDC dc(m_hWnd);
    if (!dc)
        return;
    HGDIOBJ oldFont = m_hFont ? ::SelectObject(dc.Get(), m_hFont) : nullptr;
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.Get(), &metrics);
    m_nCharHeight = metrics.tmHeight;
    m_nCharWidth = metrics.tmMaxCharWidth;
    ::GetClientRect(m_hWnd, &m_ClientRect);

    DeleteSurfaces();
    m_StripRect = RECT{0, 0, m_ClientRect.right + m_nCharWidth, m_nCharHeight};
    m_StripDC.Reset(::CreateCompatibleDC(dc.Get()));
    m_StripBitmap.Reset(::CreateCompatibleBitmap(dc.Get(), m_StripRect.right, m_StripRect.bottom));
    m_FrameDC.Reset(::CreateCompatibleDC(dc.Get()));
    m_FrameBitmap.Reset(::CreateCompatibleBitmap(dc.Get(), m_ClientRect.right, m_ClientRect.bottom));
    if (oldFont)
        ::SelectObject(dc.Get(), oldFont);
    if (!m_StripDC || !m_StripBitmap || !m_FrameDC || !m_FrameBitmap) {
        DeleteSurfaces();
        return;  // tried again at the next tick
    }
    // The bitmaps stay selected for the surfaces' lives; DeleteSurfaces lets them go in the right order.
    ::SelectObject(m_StripDC.Get(), m_StripBitmap.Get());
    ::PatBlt(m_StripDC.Get(), 0, 0, m_StripRect.right, m_StripRect.bottom, BLACKNESS);
    ::SetTextColor(m_StripDC.Get(), kTextColour);
    ::SetBkColor(m_StripDC.Get(), RGB(0, 0, 0));
    if (m_hFont)
        ::SelectObject(m_StripDC.Get(), m_hFont);
    ::SelectObject(m_FrameDC.Get(), m_FrameBitmap.Get());
    ::PatBlt(m_FrameDC.Get(), 0, 0, m_ClientRect.right, m_ClientRect.bottom, BLACKNESS);
    m_bReady = true;
}

void CWaveTicker::DrawFrame() {
    if (!m_bReady || !m_bRunning) {
        Initialise();
        return;
    }
    HDC strip = m_StripDC.Get();
    HDC frame = m_FrameDC.Get();
    const int clientWidth = m_ClientRect.right;
    const int clientHeight = m_ClientRect.bottom;
    const int stripWidth = m_StripRect.right;

    // 1. The next character enters at the strip's right end once the last one has scrolled in.
    const std::string chunk = m_Core.NextChunk();
    if (!chunk.empty()) {
        ::PatBlt(strip, clientWidth, 0, stripWidth - clientWidth, m_nCharHeight, BLACKNESS);
        ::TextOutA(strip, clientWidth, 0, chunk.data(), static_cast<int>(chunk.size()));
        SIZE drawn{};
        ::GetTextExtentPoint32A(strip, chunk.data(), static_cast<int>(chunk.size()), &drawn);
        m_Core.ChunkDrawn(drawn.cx);
    }

    // 2. Scroll the strip and lay its columns on the wave.
    ::BitBlt(strip, 0, 0, stripWidth - CWaveTickerCore::kScrollPixels, m_nCharHeight, strip,
             CWaveTickerCore::kScrollPixels, 0, SRCCOPY);
    ::PatBlt(frame, 0, 0, clientWidth, clientHeight, BLACKNESS);
    m_Core.AdvancePhase();
    m_Core.ColumnHeights(clientWidth, CWaveTickerCore::BaseOffset(clientHeight, m_nCharHeight), m_Heights);
    for (int x = 0; x < clientWidth; ++x)
        ::BitBlt(frame, x, m_Heights[x], 1, m_nCharHeight, strip, x, 0, SRCCOPY);
    m_Core.FrameScrolled();

    // 3. The frame to the screen.
    CWindowDC dc(m_hWnd);
    ::BitBlt(dc.Get(), 0, 0, clientWidth, clientHeight, frame, 0, 0, SRCCOPY);
}

LRESULT CWaveTicker::HandleSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == CWaveTickerCore::kTimerId) {
            DrawFrame();
            return 0;
        }
        break;
    case WM_SIZE:
    case WM_SETFONT: {
        const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
        m_bReady = false;
        return result;
    }
    case WM_CLOSE:
        Stop();
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        // Between frames the last one is shown again; before the first, black.
        CPaintScope paint(hwnd);
        if (m_bReady && m_FrameDC)
            ::BitBlt(paint.Get(), 0, 0, m_ClientRect.right, m_ClientRect.bottom, m_FrameDC.Get(), 0, 0, SRCCOPY);
        else
            ::PatBlt(paint.Get(), 0, 0, paint.Paint().rcPaint.right, paint.Paint().rcPaint.bottom, BLACKNESS);
        return 0;
    }
    default:
        break;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

void CWaveTicker::OnControlDestroyed(HWND) {
    Stop();
    m_hWnd = nullptr;
    m_bRunning = false;
}
