// The "Console output" pane's window: messages in, calls on the model, the model's rows drawn.
//
// It looks as the read-only edit box it replaces looked: the parent's colours for a read-only control
// (WM_CTLCOLORSTATIC), the dialog's font, a sunken edge, text inset by a small margin, a vertical scroll bar that
// stays (greyed) while everything fits, and a selection that shows while the pane has the focus.
#include "console/win32/LogViewWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "base/KeyCodes.h"
#include "base/win32/WindowProc.h"

static_assert(KEY_HOME == VK_HOME && KEY_END == VK_END && KEY_INSERT == VK_INSERT, "the core's keys are the platform's");

namespace {

constexpr UINT_PTR kWrapTimer = 1;  // wraps the lines not yet wrapped at a new width, a piece at a time
constexpr UINT_PTR kDragTimer = 2;  // scrolls while a selection is dragged beyond the pane
constexpr UINT_PTR kScrollBarTimer = 3;  // brings the scroll bar up to date with the text that came
// Setting the scroll bar draws it at once, which costs eight times a frame of text under Wine: while text streams in
// it follows at this pace (scrolling by the user moves it at once).
constexpr DWORD kScrollBarMs = 200;
constexpr UINT_PTR kFrameTimer = 4;  // the next frame of text that streams in
// Text that streams in is drawn at most this often (some 30 frames a second): at 500 chat lines a second a frame
// per line took a third of a core.
constexpr DWORD kFrameMs = 30;
constexpr UINT kWrapPeriodMs = 10;
constexpr size_t kWrapPieceBytes = 256 * 1024;
constexpr UINT kDragPeriodMs = 50;
// The edit box's inset of its text inside its sunken edge.
constexpr int kMarginX = 4;
constexpr int kMarginY = 1;
constexpr UINT kMenuCopy = 1;
constexpr UINT kMenuSelectAll = 2;

bool Pressed(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

// The visual style's functions, looked up at run time: a desktop without them draws the classic sunken edge.
struct ThemeFunctions {
    using Open = HANDLE(WINAPI*)(HWND, LPCWSTR);
    using Close = HRESULT(WINAPI*)(HANDLE);
    using Draw = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
    Open open = nullptr;
    Close close = nullptr;
    Draw draw = nullptr;

    static const ThemeFunctions& Get() {
        static const ThemeFunctions functions = [] {
            ThemeFunctions f;
            HMODULE library = ::GetModuleHandleA("uxtheme.dll");
            if (!library)
                library = ::LoadLibraryA("uxtheme.dll");
            if (library) {
                f.open = reinterpret_cast<Open>(reinterpret_cast<void*>(::GetProcAddress(library, "OpenThemeData")));
                f.close = reinterpret_cast<Close>(reinterpret_cast<void*>(::GetProcAddress(library, "CloseThemeData")));
                f.draw = reinterpret_cast<Draw>(
                    reinterpret_cast<void*>(::GetProcAddress(library, "DrawThemeBackground")));
            }
            if (!f.open || !f.close || !f.draw)
                f = ThemeFunctions();
            return f;
        }();
        return functions;
    }
};

// The edit box's part and its read-only state in the visual style.
constexpr int kEditTextPart = 1;
constexpr int kReadOnlyState = 6;

}  // namespace

// ------------------------------------------------------------------------------------------------ measure

void CGdiTextMeasure::SetFont(HFONT font) {
    if (!m_hDC)
        m_hDC.Reset(::CreateCompatibleDC(nullptr));
    if (m_hDC)
        ::SelectObject(m_hDC.Get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
}

bool CGdiTextMeasure::IsLeadByte(unsigned char value) { return ::IsDBCSLeadByteEx(CP_ACP, value) != 0; }

int CGdiTextMeasure::CharWidth(std::string_view character) {
    SIZE size{};
    if (!m_hDC || !::GetTextExtentPoint32A(m_hDC.Get(), character.data(), static_cast<int>(character.size()), &size))
        return 0;
    return size.cx;
}

// ------------------------------------------------------------------------------------------------ window

bool CLogViewWindow::RegisterWindowClass() {
    WNDCLASSEXA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &ForwardWindowProc<CLogViewWindow>;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_IBEAM);
    windowClass.lpszClassName = kClassName;
    return RegisterClassOnce(windowClass);
}

CLogViewWindow::CLogViewWindow() : m_View(m_Measure) {}

CLogViewWindow::~CLogViewWindow() {
    CloseTheme();
    if (m_hWnd && ::IsWindow(m_hWnd))
        DetachWindowOwner(m_hWnd);
}

void CLogViewWindow::OpenTheme() {
    CloseTheme();
    if (const ThemeFunctions& theme = ThemeFunctions::Get(); theme.open)
        m_hTheme = theme.open(m_hWnd, L"Edit");
}

void CLogViewWindow::CloseTheme() {
    if (m_hTheme)
        ThemeFunctions::Get().close(m_hTheme);
    m_hTheme = nullptr;
}

// Where the desktop has a visual style, the border is drawn as a themed read-only edit box draws its own; the
// scroll bar is the system's in either case.
void CLogViewWindow::OnNcPaint(HRGN region) {
    if (!m_hTheme || !(::GetWindowLongA(m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) {
        ::DefWindowProcA(m_hWnd, WM_NCPAINT, reinterpret_cast<WPARAM>(region), 0);
        return;
    }
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const int edgeX = ::GetSystemMetrics(SM_CXEDGE), edgeY = ::GetSystemMetrics(SM_CYEDGE);
    CRegionHandle inside(::CreateRectRgn(window.left + edgeX, window.top + edgeY, window.right - edgeX,
                                         window.bottom - edgeY));
    if (inside && region != reinterpret_cast<HRGN>(1))
        ::CombineRgn(inside.Get(), inside.Get(), region, RGN_AND);
    if (HDC dc = ::GetWindowDC(m_hWnd)) {
        RECT frame{0, 0, window.right - window.left, window.bottom - window.top};
        ThemeFunctions::Get().draw(m_hTheme, dc, kEditTextPart, kReadOnlyState, &frame, nullptr);
        ::ReleaseDC(m_hWnd, dc);
    }
    ::DefWindowProcA(m_hWnd, WM_NCPAINT, reinterpret_cast<WPARAM>(inside.Get()), 0);
}

void CLogViewWindow::Attach(HWND pane) {
    m_hWnd = pane;
    if (!pane)
        return;
    ::SetWindowLongPtrA(pane, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    OpenTheme();
    SetFont(reinterpret_cast<HFONT>(::SendMessageA(::GetParent(pane), WM_GETFONT, 0, 0)));
}

void CLogViewWindow::SetFont(HFONT font) {
    m_hFont = font;
    m_Measure.SetFont(font);
    CWindowDC dc(m_hWnd);
    TEXTMETRICA metrics{};
    {
        CSelectObject select(dc.Get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
        ::GetTextMetricsA(dc.Get(), &metrics);
    }
    // Tab stops every 32 dialog units (eight average letters), as an edit box sets them.
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int letters = m_Measure.CharWidth(std::string_view(kLetters, sizeof(kLetters) - 1));
    const int average = std::max(1, (letters / 26 + 1) / 2);
    m_nLineHeight = std::max(1L, metrics.tmHeight);
    m_View.SetFont(m_nLineHeight, 8 * average);
    OnSize();
}

void CLogViewWindow::OnSize() {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    m_TextArea = {client.left + kMarginX, client.top + kMarginY, client.right - kMarginX, client.bottom - kMarginY};
    m_View.SetSize(m_TextArea.right - m_TextArea.left, m_TextArea.bottom - m_TextArea.top);
    // What the new width left unwrapped is wrapped in the background; what shows is wrapped when drawn.
    if (m_View.WrapPending())
        ::SetTimer(m_hWnd, kWrapTimer, kWrapPeriodMs, nullptr);
    Scrolled();
}

void CLogViewWindow::LogAppended(const CConsoleText& text, size_t logStart) {
    if (!m_hWnd)
        return;
    if (!m_View.Shows(text))
        m_View.Restart(text, logStart);
    else
        m_View.Appended();
    ScrollBarSoon();
    RepaintSoon();
}

void CLogViewWindow::LogCleared(const CConsoleText& text, size_t logStart) {
    if (!m_hWnd)
        return;
    m_View.Restart(text, logStart);
    Scrolled();
}

void CLogViewWindow::Repaint() {
    // Once until the next frame: under a flood of chat every line asks, and each asking is a round trip to the
    // window system.
    if (m_hWnd && !m_bRepaintAsked)
        m_bRepaintAsked = ::InvalidateRect(m_hWnd, nullptr, FALSE) != FALSE;
}

void CLogViewWindow::RepaintSoon() {
    if (m_bRepaintAsked || m_bFrameTimer)
        return;
    const DWORD since = ::GetTickCount() - m_dwPaintedAt;
    if (since >= kFrameMs)
        Repaint();
    else
        m_bFrameTimer = ::SetTimer(m_hWnd, kFrameTimer, kFrameMs - since, nullptr) != 0;
    if (!m_bRepaintAsked && !m_bFrameTimer)
        Repaint();  // no timer to be had: now
}

void CLogViewWindow::Scrolled() {
    UpdateScrollBar();
    Repaint();
}

void CLogViewWindow::ScrollBarSoon() {
    const DWORD since = ::GetTickCount() - m_dwScrollBarAt;
    if (since >= kScrollBarMs)
        UpdateScrollBar();
    else if (!m_bScrollBarTimer)
        m_bScrollBarTimer = ::SetTimer(m_hWnd, kScrollBarTimer, kScrollBarMs - since, nullptr) != 0;
}

void CLogViewWindow::UpdateScrollBar() {
    if (m_bScrollBarTimer)
        ::KillTimer(m_hWnd, kScrollBarTimer);
    m_bScrollBarTimer = false;
    m_dwScrollBarAt = ::GetTickCount();
    const CLogView::ScrollState state = m_View.Scroll();
    if (m_bScrollBarSet && state.rows == m_ScrollBar.rows && state.page == m_ScrollBar.page &&
        state.top == m_ScrollBar.top)
        return;
    m_ScrollBar = state;
    m_bScrollBarSet = true;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = static_cast<int>(std::min<uint64_t>(std::max<uint64_t>(state.rows, 1) - 1, INT_MAX));
    info.nPage = static_cast<UINT>(std::min<uint64_t>(state.page, INT_MAX));
    info.nPos = static_cast<int>(std::min<uint64_t>(state.top, INT_MAX));
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
}

// ------------------------------------------------------------------------------------------------ drawing

void CLogViewWindow::OnPaint() {
    m_bRepaintAsked = false;
    m_dwPaintedAt = ::GetTickCount();
    CPaintScope paint(m_hWnd);
    if (!paint.Get())
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const SIZE size{client.right, client.bottom};
    // Drawn into a picture first and put on in one go: no flicker while a flood of chat scrolls it.
    if (!m_hBufferDC || size.cx != m_BufferSize.cx || size.cy != m_BufferSize.cy) {
        m_hBufferDC.Reset(::CreateCompatibleDC(paint.Get()));
        m_hBuffer.Reset(::CreateCompatibleBitmap(paint.Get(), std::max(1L, size.cx), std::max(1L, size.cy)));
        m_BufferSize = size;
    }
    if (!m_hBufferDC || !m_hBuffer) {
        PaintRows(paint.Get(), client);
        return;
    }
    {
        CSelectObject bitmap(m_hBufferDC.Get(), m_hBuffer.Get());
        PaintRows(m_hBufferDC.Get(), client);
        const RECT& dirty = paint.Paint().rcPaint;
        ::BitBlt(paint.Get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
                 m_hBufferDC.Get(), dirty.left, dirty.top, SRCCOPY);
    }
}

void CLogViewWindow::PaintRows(HDC dc, const RECT& client) {
    // The parent chooses the colours of a read-only control, as it does for a read-only edit box.
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        ::SendMessageA(::GetParent(m_hWnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(m_hWnd)));
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(::DefWindowProcA(m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                          reinterpret_cast<LPARAM>(m_hWnd)));
    ::FillRect(dc, &client, brush);
    CSelectObject font(dc, m_hFont ? static_cast<HGDIOBJ>(m_hFont) : ::GetStockObject(SYSTEM_FONT));
    const HRGN clip = ::CreateRectRgnIndirect(&m_TextArea);
    ::SelectClipRgn(dc, clip);
    ::DeleteObject(clip);

    const COLORREF text = ::GetTextColor(dc), back = ::GetBkColor(dc);
    for (const LogRow& row : m_View.VisibleRows()) {
        const int y = m_TextArea.top + row.y;
        for (const LogRun& run : row.runs) {
            const bool selected = run.selected && m_bFocused;
            if (!selected && run.tab)
                continue;
            RECT cell{m_TextArea.left + run.x, y, m_TextArea.left + run.x + run.width, y + m_nLineHeight};
            ::SetTextColor(dc, selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
            ::SetBkColor(dc, selected ? ::GetSysColor(COLOR_HIGHLIGHT) : back);
            if (run.tab) {
                ::ExtTextOutA(dc, cell.left, y, ETO_OPAQUE, &cell, "", 0, nullptr);
                continue;
            }
            ::ExtTextOutA(dc, cell.left, y, selected ? ETO_OPAQUE : 0, &cell, m_View.TextAt(run.begin),
                          static_cast<UINT>(run.end - run.begin), nullptr);
        }
    }
    ::SelectClipRgn(dc, nullptr);
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, back);
}

// ------------------------------------------------------------------------------------------------ scrolling

void CLogViewWindow::OnVScroll(int code) {
    const auto page = static_cast<int64_t>(m_View.Scroll().page);
    switch (code) {
    case SB_LINEUP:
        m_View.ScrollBy(-1);
        break;
    case SB_LINEDOWN:
        m_View.ScrollBy(1);
        break;
    case SB_PAGEUP:
        m_View.ScrollBy(-page);
        break;
    case SB_PAGEDOWN:
        m_View.ScrollBy(page);
        break;
    case SB_TOP:
        m_View.ScrollToTop();
        break;
    case SB_BOTTOM:
        m_View.ScrollToEnd();
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit position: the message's own is 16 bits.
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        if (!::GetScrollInfo(m_hWnd, SB_VERT, &info))
            return;
        m_View.ScrollToRow(static_cast<uint64_t>(std::max(0, info.nTrackPos)));
        break;
    }
    default:
        return;
    }
    Scrolled();
}

void CLogViewWindow::OnWheel(int delta) {
    UINT perNotch = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
    m_nWheel += delta;
    const int notches = m_nWheel / WHEEL_DELTA;
    if (notches == 0)
        return;
    m_nWheel -= notches * WHEEL_DELTA;
    if (perNotch == WHEEL_PAGESCROLL)
        m_View.ScrollBy(-static_cast<int64_t>(notches) * static_cast<int64_t>(m_View.Scroll().page));
    else
        m_View.ScrollBy(-static_cast<int64_t>(notches) * perNotch);
    Scrolled();
}

// ------------------------------------------------------------------------------------------------ mouse

void CLogViewWindow::OnMouse(UINT message, int x, int y, bool shift) {
    const int tx = x - m_TextArea.left, ty = y - m_TextArea.top;
    switch (message) {
    case WM_LBUTTONDOWN: {
        ::SetFocus(m_hWnd);
        ::SetCapture(m_hWnd);
        m_bDragging = true;
        m_nDragY = y;
        const size_t at = m_View.PositionAt(tx, ty);
        m_View.Select(shift ? m_View.Selection().first : at, at);
        break;
    }
    case WM_LBUTTONDBLCLK: {
        const auto word = m_View.WordAt(m_View.PositionAt(tx, ty));
        m_View.Select(word.first, word.second);
        break;
    }
    case WM_MOUSEMOVE:
        if (!m_bDragging)
            return;
        m_nDragY = y;
        m_View.Select(m_View.Selection().first, m_View.PositionAt(tx, ty));
        // Beyond the pane the view scrolls on its own while the button is held.
        if (y < m_TextArea.top || y >= m_TextArea.bottom)
            ::SetTimer(m_hWnd, kDragTimer, kDragPeriodMs, nullptr);
        else
            ::KillTimer(m_hWnd, kDragTimer);
        break;
    case WM_LBUTTONUP:
        if (m_bDragging)
            ::ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
        return;
    default:
        return;
    }
    Repaint();
}

void CLogViewWindow::OnDragTimer() {
    if (!m_bDragging) {
        ::KillTimer(m_hWnd, kDragTimer);
        return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(m_hWnd, &cursor);
    if (cursor.y < m_TextArea.top)
        m_View.ScrollBy(-1);
    else if (cursor.y >= m_TextArea.bottom)
        m_View.ScrollBy(1);
    const int y = std::clamp<int>(cursor.y, m_TextArea.top, m_TextArea.bottom - 1) - m_TextArea.top;
    m_View.Select(m_View.Selection().first, m_View.PositionAt(cursor.x - m_TextArea.left, y));
    Scrolled();
}

void CLogViewWindow::OnContextMenu(int x, int y) {
    POINT at{x, y};
    if (x == -1 && y == -1) {  // from the keyboard: at the pane's corner
        at = {m_TextArea.left, m_TextArea.top};
        ::ClientToScreen(m_hWnd, &at);
    }
    ::SetFocus(m_hWnd);
    CMenuHandle menu(::CreatePopupMenu());
    if (!menu)
        return;
    ::AppendMenuA(menu.Get(), MF_STRING | (m_View.HasSelection() ? 0u : MF_GRAYED), kMenuCopy, "&Copy\tCtrl+C");
    ::AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu.Get(), MF_STRING | (m_View.Length() > 0 ? 0u : MF_GRAYED), kMenuSelectAll,
                  "Select &All\tCtrl+A");
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr));
    if (chosen == kMenuCopy) {
        CopySelection();
    } else if (chosen == kMenuSelectAll) {
        m_View.SelectAll();
        Repaint();
    }
}

// ------------------------------------------------------------------------------------------------ edit box messages

void CLogViewWindow::CopySelection() {
    const std::string text = m_View.SelectedText();
    if (text.empty() || !::OpenClipboard(m_hWnd))
        return;
    ::EmptyClipboard();
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* bytes = ::GlobalLock(memory)) {
            std::copy(text.begin(), text.end(), static_cast<char*>(bytes));
            static_cast<char*>(bytes)[text.size()] = '\0';
            ::GlobalUnlock(memory);
            if (!::SetClipboardData(CF_TEXT, memory))
                ::GlobalFree(memory);
        } else {
            ::GlobalFree(memory);
        }
    }
    ::CloseClipboard();
}

LRESULT CLogViewWindow::GetText(WPARAM size, char* buffer) {
    if (!buffer || size == 0)
        return 0;
    const std::string_view text = m_View.LogText();
    const size_t count = std::min<size_t>(text.size(), size - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count), buffer);
    buffer[count] = '\0';
    return static_cast<LRESULT>(count);
}

LRESULT CLogViewWindow::GetSel(DWORD* start, DWORD* end) {
    const auto selection = m_View.Selection();
    const size_t from = std::min(selection.first, selection.second);
    const size_t to = std::max(selection.first, selection.second);
    if (start)
        *start = static_cast<DWORD>(from);
    if (end)
        *end = static_cast<DWORD>(to);
    // Positions past 16 bits do not fit the packed answer: the pointers carry them.
    if (to > 0xFFFF)
        return -1;
    return static_cast<LRESULT>(MAKELONG(from, to));
}

void CLogViewWindow::SetSel(WPARAM start, LPARAM end) {
    // As an edit box takes it: a start of -1 only drops the selection (at the caret), an end of -1 is the end.
    if (static_cast<int>(start) == -1) {
        const size_t caret = m_View.Selection().second;
        m_View.Select(caret, caret);
    } else {
        m_View.Select(static_cast<size_t>(static_cast<DWORD>(start)), static_cast<size_t>(static_cast<DWORD>(end)));
    }
    Repaint();
}

// ------------------------------------------------------------------------------------------------ messages

void CLogViewWindow::OnKeyDown(int virtualKey) {
    switch (m_View.OnKey(virtualKey, Pressed(VK_CONTROL))) {
    case LogKeyResult::Scrolled:
        Scrolled();
        break;
    case LogKeyResult::SelectedAll:
        Repaint();
        break;
    case LogKeyResult::Copy:
        CopySelection();
        break;
    case LogKeyResult::Ignored:
        break;
    }
}

void CLogViewWindow::OnTimer(UINT_PTR id) {
    if (id == kWrapTimer) {
        if (!m_View.WrapSome(kWrapPieceBytes))
            ::KillTimer(m_hWnd, kWrapTimer);
        ScrollBarSoon();
    } else if (id == kDragTimer) {
        OnDragTimer();
    } else if (id == kScrollBarTimer) {
        UpdateScrollBar();
    } else if (id == kFrameTimer) {
        ::KillTimer(m_hWnd, kFrameTimer);
        m_bFrameTimer = false;
        Repaint();
    }
}

// The messages that tools send an edit box to read it: answered as a read-only edit box answers them.
bool CLogViewWindow::HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COPY:
        CopySelection();
        result = 0;
        return true;
    case WM_GETTEXT:
        result = GetText(wParam, reinterpret_cast<char*>(lParam));
        return true;
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(m_View.Length());
        return true;
    case WM_SETTEXT:
        result = FALSE;  // the pane shows the console's log and nothing else
        return true;
    case EM_GETSEL:
        result = GetSel(reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
        return true;
    case EM_SETSEL:
        SetSel(wParam, lParam);
        result = 0;
        return true;
    case EM_GETFIRSTVISIBLELINE:
        result = static_cast<LRESULT>(std::min<uint64_t>(m_View.Scroll().top, INT_MAX));
        return true;
    case EM_GETLINECOUNT:
        result = static_cast<LRESULT>(std::min<uint64_t>(m_View.RowCount(), INT_MAX));
        return true;
    default:
        return false;
    }
}

LRESULT CLogViewWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; HandleEditMessage(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // every pixel is painted
    case WM_NCPAINT:
        OnNcPaint(reinterpret_cast<HRGN>(wParam));
        return 0;
    case WM_THEMECHANGED:
        OpenTheme();
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_SETFONT:
        SetFont(reinterpret_cast<HFONT>(wParam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_hFont);
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
        OnMouse(message, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
        return 0;
    case WM_CAPTURECHANGED:
        m_bDragging = false;
        ::KillTimer(hwnd, kDragTimer);
        return 0;
    case WM_CONTEXTMENU:
        OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        m_bFocused = message == WM_SETFOCUS;
        Repaint();
        return 0;
    case WM_GETDLGCODE:
        // Every key comes here (Enter does not press the dialog's default button), as in a multi-line edit box.
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<int>(wParam));
        return 0;
    case WM_NCDESTROY:
        CloseTheme();
        m_hWnd = nullptr;
        DetachWindowOwner(hwnd);
        break;
    default:
        break;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
