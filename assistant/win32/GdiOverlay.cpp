// The in-game console's drawing on Windows.
#include "assistant/win32/GdiOverlay.h"

#include <algorithm>
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

void CGdiOverlay::DeleteConsoleFont() {
    // The picture of the last frame keeps the font selected, and a font selected into a context is not deleted:
    // the picture goes first (it is made again from the next frame).
    m_Picture.Free();
    m_bPictureValid = false;
    m_Pictured.clear();
    m_ConsoleFont.Reset();
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

bool CGdiOverlay::Step::operator==(const Step& other) const {
    const auto samePoint = [](const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; };
    return kind == other.kind && x == other.x && y == other.y && colour == other.colour && font == other.font &&
           text == other.text && points.size() == other.points.size() &&
           std::equal(points.begin(), points.end(), other.points.begin(), samePoint);
}

void CGdiOverlay::SelectWhiteBrushAndPen() { m_Frame.push_back(Step{Step::WhiteBrushAndPen, 0, 0, 0, {}, {}, {}}); }

void CGdiOverlay::SetTransparentText() { m_Frame.push_back(Step{Step::TransparentText, 0, 0, 0, {}, {}, {}}); }

void CGdiOverlay::SelectFont(OverlayFont font) { m_Frame.push_back(Step{Step::Font, 0, 0, 0, font, {}, {}}); }

void CGdiOverlay::WriteText(int x, int y, const std::string& text, uint32_t colour) {
    m_Frame.push_back(Step{Step::Text, x, y, colour, {}, text, {}});
}

void CGdiOverlay::DrawLines(const OverlayPoint* points, size_t count) {
    std::vector<POINT> path(count);
    for (size_t i = 0; i < count; ++i)
        path[i] = POINT{points[i].x, points[i].y};
    m_Frame.push_back(Step{Step::Lines, 0, 0, 0, {}, {}, std::move(path)});
}

// How many characters of a text written at x can show left of `right` with the context's font: all of them, unless
// the font has a fixed pitch, whose cells tell where the area ends. The characters past that edge change no pixel,
// but drawing them costs as much as drawing the visible ones: an input line of thousands of characters made every
// picture slower by its whole length.
int CGdiOverlay::ShownLength(HDC dc, int x, int length, int right) const {
    constexpr int kAlwaysDrawn = 64;
    if (length <= kAlwaysDrawn)
        return length;
    TEXTMETRICA metrics{};
    // TMPF_FIXED_PITCH set means a variable pitch.
    if (!::GetTextMetricsA(dc, &metrics) || (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) ||
        metrics.tmAveCharWidth <= 0)
        return length;
    // The cell that crosses the edge, and one more for a glyph that overhangs its cell.
    const int cells = (right - x) / metrics.tmAveCharWidth + 2;
    return cells <= 0 ? 0 : cells < length ? cells : length;
}

void CGdiOverlay::Replay(HDC dc, int width) const {
    for (const Step& step : m_Frame) {
        switch (step.kind) {
        case Step::WhiteBrushAndPen:
            ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
            ::SelectObject(dc, ::GetStockObject(WHITE_PEN));
            break;
        case Step::TransparentText:
            ::SetBkMode(dc, TRANSPARENT);
            break;
        case Step::Font: {
            const CFontHandle& font = step.font == OverlayFont::Title ? m_TitleFont : m_ConsoleFont;
            if (font)
                ::SelectObject(dc, font.Get());
            break;
        }
        case Step::Text:
            ::SetTextColor(dc, step.colour);
            ::TextOutA(dc, step.x, step.y, step.text.data(),
                       ShownLength(dc, step.x, static_cast<int>(step.text.size()), width));
            break;
        case Step::Lines:
            ::Polyline(dc, step.points.data(), static_cast<int>(step.points.size()));
            break;
        }
    }
    ::GdiFlush();
}

void CGdiOverlay::Surface::Free() {
    dc.Reset();
    bitmap.Reset();
    bits = nullptr;
    size = SIZE{};
}

bool CGdiOverlay::Surface::Make(HDC like, SIZE extent, COLORREF background) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = extent.cx;
    info.bmiHeader.biHeight = -extent.cy;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    dc.Reset();  // lets go of the old bitmap, which can then go too
    bitmap.Reset(::CreateDIBSection(like, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
    dc.Reset(::CreateCompatibleDC(like));
    if (!bitmap || !dc)
        return false;
    ::SelectObject(dc.Get(), bitmap.Get());
    bits = static_cast<uint32_t*>(memory);
    size = extent;
    const RECT all{0, 0, extent.cx, extent.cy};
    CBrushHandle fill(::CreateSolidBrush(background));
    ::FillRect(dc.Get(), &all, fill.Get());
    ::GdiFlush();
    return true;
}

bool CGdiOverlay::MakePicture(SIZE size) {
    // The frame as the game window shows it: drawn again on every tick over what the last tick left, its
    // antialiased edges settle, after a few ticks, on values of their own. Over the game's black they are the
    // values of the frame drawn over black until a drawing changes nothing more (the same glyphs and blending
    // as on the window). Drawn over white once, it also shows which pixels it touches at all: its black shadow is
    // invisible over black.
    Surface overWhite;
    if (!m_Picture.Make(m_hDC, size, RGB(0, 0, 0)) || !m_Mask.Make(m_hDC, size, RGB(255, 255, 255)) ||
        !overWhite.Make(m_hDC, size, RGB(255, 255, 255)))
        return false;
    const size_t pixels = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy);
    Replay(overWhite.dc.Get(), size.cx);
    std::vector<uint32_t> before(pixels);
    constexpr int kMostDrawings = 64;
    for (int drawing = 0; drawing < kMostDrawings; ++drawing) {
        std::copy(m_Picture.bits, m_Picture.bits + pixels, before.begin());
        Replay(m_Picture.dc.Get(), size.cx);
        if (std::equal(before.begin(), before.end(), m_Picture.bits))
            break;
    }
    // The mask keeps the game's pixels where the frame draws nothing and clears them where it draws.
    RECT used{size.cx, size.cy, 0, 0};
    for (LONG y = 0; y < size.cy; ++y) {
        for (LONG x = 0; x < size.cx; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(size.cx) + static_cast<size_t>(x);
            const bool touched = (m_Picture.bits[i] & 0xFFFFFF) != 0 || (overWhite.bits[i] & 0xFFFFFF) != 0xFFFFFF;
            m_Mask.bits[i] = touched ? 0 : 0xFFFFFF;
            if (touched) {
                used.left = std::min(used.left, x);
                used.top = std::min(used.top, y);
                used.right = std::max(used.right, x + 1);
                used.bottom = std::max(used.bottom, y + 1);
            }
        }
    }
    m_Used = used.right > used.left ? used : RECT{0, 0, 0, 0};
    return true;
}

void CGdiOverlay::Flush() {
    RECT client{};
    ::GetClientRect(m_hDrawWindow, &client);
    // The picture reaches as far down as the frame draws (a row of text is less than 40 pixels high).
    LONG bottom = 0;
    for (const Step& step : m_Frame) {
        if (step.kind == Step::Text)
            bottom = std::max<LONG>(bottom, step.y + 40);
        for (const POINT& point : step.points)
            bottom = std::max<LONG>(bottom, point.y + 1);
    }
    const SIZE size{client.right, std::min(client.bottom, bottom)};
    const bool sameSize = size.cx == m_Picture.size.cx && size.cy == m_Picture.size.cy;
    if (!m_bPictureValid || !sameSize || m_Frame != m_Pictured) {
        m_bPictureValid = size.cx > 0 && size.cy > 0 && MakePicture(size);
        m_Pictured = std::move(m_Frame);
    }
    m_Frame.clear();
    if (m_bPictureValid && m_Used.right > m_Used.left) {
        // The game's pixels under the frame cleared, then the frame's put in: two raster operations, which the
        // display does itself.
        const int x = m_Used.left, y = m_Used.top, w = m_Used.right - m_Used.left, h = m_Used.bottom - m_Used.top;
        ::BitBlt(m_hDC, x, y, w, h, m_Mask.dc.Get(), x, y, SRCAND);
        ::BitBlt(m_hDC, x, y, w, h, m_Picture.dc.Get(), x, y, SRCPAINT);
    }
    ::GdiFlush();
}
