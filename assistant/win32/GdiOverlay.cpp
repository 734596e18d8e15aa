// The in-game console's drawing on Windows.
#include "assistant/win32/GdiOverlay.h"

#include <vector>

static_assert(OVERLAY_WHITE == RGB(255, 255, 255) && OVERLAY_BLACK == RGB(0, 0, 0), "colours are COLORREFs");
static_assert(static_cast<UINT>(OverlayBeep::Default) == MB_OK &&
                  static_cast<UINT>(OverlayBeep::Exclamation) == MB_ICONEXCLAMATION,
              "beeps are MessageBeep types");

namespace {

HFONT MakeFont(const char* face, int height, DWORD pitchAndFamily) {
    return ::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, face);
}

}  // namespace

bool CGdiOverlay::CreateFonts() {
    // The caret row relies on the console font's fixed width.
    m_ConsoleFont.Reset(MakeFont("Courier", 16, FIXED_PITCH | FF_MODERN));
    m_TitleFont.Reset(MakeFont("Verdana", 12, DEFAULT_PITCH | FF_SWISS));
    return m_ConsoleFont.Valid() && m_TitleFont.Valid();
}

IOverlayCanvas* CGdiOverlay::BeginDrawing(uintptr_t window) {
    EndDrawing();
    HWND target = reinterpret_cast<HWND>(window);
    HDC dc = ::GetDC(target);
    if (!dc)
        return nullptr;
    m_hDrawWindow = target;
    m_hDC = dc;
    return this;
}

void CGdiOverlay::EndDrawing() {
    // The objects selected into the borrowed context go back with it: a window's common context is reset on
    // release.
    if (m_hDC)
        ::ReleaseDC(m_hDrawWindow, m_hDC);
    m_hDC = nullptr;
    m_hDrawWindow = nullptr;
}

void CGdiOverlay::Invalidate(uintptr_t window, const OverlayRect& area) {
    const RECT rect{area.left, area.top, area.right, area.bottom};
    ::InvalidateRect(reinterpret_cast<HWND>(window), &rect, TRUE);
}

void CGdiOverlay::Beep(OverlayBeep sound) { ::MessageBeep(static_cast<UINT>(sound)); }

void CGdiOverlay::SelectWhiteBrushAndPen() {
    ::SelectObject(m_hDC, ::GetStockObject(WHITE_BRUSH));
    ::SelectObject(m_hDC, ::GetStockObject(WHITE_PEN));
}

void CGdiOverlay::SetTransparentText() { ::SetBkMode(m_hDC, TRANSPARENT); }

void CGdiOverlay::SelectFont(OverlayFont font) {
    const CFontHandle& handle = font == OverlayFont::Title ? m_TitleFont : m_ConsoleFont;
    if (handle)
        ::SelectObject(m_hDC, handle.Get());
}

// How many characters of a text written at x can show in the context's visible area with its font selected: all of
// them, unless the font has a fixed pitch, whose cells tell where the area ends. The characters past that edge
// change no pixel, but drawing them costs as much as drawing the visible ones: an input line of thousands of
// characters made every frame slower by its whole length.
int CGdiOverlay::ShownLength(int x, int length) const {
    constexpr int kAlwaysDrawn = 64;
    if (length <= kAlwaysDrawn)
        return length;
    TEXTMETRICA metrics{};
    RECT visible{};
    // TMPF_FIXED_PITCH set means a variable pitch.
    if (!::GetTextMetricsA(m_hDC, &metrics) || (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) ||
        metrics.tmAveCharWidth <= 0 || ::GetClipBox(m_hDC, &visible) == ERROR)
        return length;
    // The cell that crosses the edge, and one more for a glyph that overhangs its cell.
    const int cells = (visible.right - x) / metrics.tmAveCharWidth + 2;
    return cells <= 0 ? 0 : cells < length ? cells : length;
}

void CGdiOverlay::WriteText(int x, int y, const std::string& text, uint32_t colour) {
    ::SetTextColor(m_hDC, colour);
    ::TextOutA(m_hDC, x, y, text.data(), ShownLength(x, static_cast<int>(text.size())));
}

void CGdiOverlay::DrawLines(const OverlayPoint* points, size_t count) {
    std::vector<POINT> path(count);
    for (size_t i = 0; i < count; ++i)
        path[i] = POINT{points[i].x, points[i].y};
    ::Polyline(m_hDC, path.data(), static_cast<int>(count));
}

void CGdiOverlay::Flush() { ::GdiFlush(); }
