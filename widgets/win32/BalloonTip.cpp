// Balloon tips: window class, sizing and shaping from the portable geometry, fades, and the closing rules.
#include "widgets/win32/BalloonTip.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/win32/MainWindow.h"
#include "base/win32/WindowProc.h"

namespace {

// The balloons that close on a key, and the keyboard hook of the program's thread that exists while there are any.
// No lock: only the user-interface thread touches the list. Balloons are made and destroyed on that thread, and the
// hook is a hook of that thread alone, called on it while it takes a key from its queue.
struct KeyCloseList {
    std::vector<HWND> windows;
    HHOOK hook = nullptr;
};

KeyCloseList& KeyClosers() {
    static KeyCloseList list;
    return list;
}

void UnhookWhenEmpty(KeyCloseList& list) {
    if (list.windows.empty() && list.hook) {
        ::UnhookWindowsHookEx(list.hook);
        list.hook = nullptr;
    }
}

LRESULT CALLBACK KeyCloseHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    KeyCloseList& list = KeyClosers();
    const bool keyDown = (static_cast<DWORD>(lParam) & 0x80000000u) == 0;
    if (code == HC_ACTION && keyDown) {
        // Taken out of the list before the first close: a balloon that closes at once leaves the list from its
        // destruction, inside the send.
        std::vector<HWND> windows;
        windows.swap(list.windows);
        for (HWND window : windows) {
            if (::IsWindow(window))
                ::SendMessageA(window, WM_CLOSE, 0, 0);
        }
    }
    const LRESULT result = ::CallNextHookEx(nullptr, code, wParam, lParam);
    UnhookWhenEmpty(list);
    return result;
}

void AddKeyCloser(HWND window) {
    KeyCloseList& list = KeyClosers();
    list.windows.push_back(window);
    if (!list.hook)
        list.hook = ::SetWindowsHookExA(WH_KEYBOARD, &KeyCloseHook, nullptr, ::GetCurrentThreadId());
}

void RemoveKeyCloser(HWND window) {
    KeyCloseList& list = KeyClosers();
    list.windows.erase(std::remove(list.windows.begin(), list.windows.end(), window), list.windows.end());
    UnhookWhenEmpty(list);
}

// The balloon's outline: the rounded body and the stem as one region (null when the system could not make it).
CRegionHandle MakeRegion(const balloon::Placement& p) {
    POINT points[3];
    for (int i = 0; i < 3; ++i)
        points[i] = POINT{p.stem[i].x, p.stem[i].y};
    CRegionHandle body(::CreateRoundRectRgn(p.body.left, p.body.top, p.body.right, p.body.bottom,
                                            balloon::kCornerEllipse, balloon::kCornerEllipse));
    CRegionHandle stem(::CreatePolygonRgn(points, 3, ALTERNATE));
    if (body && stem)
        ::CombineRgn(body.Get(), body.Get(), stem.Get(), RGN_OR);
    return body;
}

RECT ToRect(const balloon::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

balloon::Rect ScreenOf(POINT anchor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoA(::MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST), &info))
        return balloon::Rect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    return balloon::Rect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

bool SystemFlag(UINT action) {
    BOOL on = TRUE;
    if (!::SystemParametersInfoA(action, 0, &on, 0))
        return true;  // unknown to the system: nothing switched off
    return on != FALSE;
}

}  // namespace

CBalloonTip::CBalloonTip() : m_Background(::GetSysColor(COLOR_INFOBK)), m_TextColour(::GetSysColor(COLOR_INFOTEXT)) {}

CBalloonTip::~CBalloonTip() {
    if (m_hWnd) {
        // Deleted by its caller while its window lives: the window forgets us (its destruction no longer reaches
        // this object) and goes.
        HWND window = m_hWnd;
        DetachWindowOwner(window);
        RemoveKeyCloser(window);
        m_hWnd = nullptr;
        ::DestroyWindow(window);
    }
}

void CBalloonTip::SetIcon(LPCSTR standardIcon) {
    m_Icons.Reset();
    if (!standardIcon)
        return;
    HICON icon = static_cast<HICON>(::LoadImageA(nullptr, standardIcon, IMAGE_ICON, 16, 16, LR_SHARED));
    if (!icon)
        icon = ::LoadIconA(nullptr, standardIcon);
    if (!icon)
        return;
    // Drawn large on the balloon's colour and shrunk with half-tone: the small icon keeps its edges smooth against
    // the background it will be shown on.
    CWindowDC screen(nullptr);
    CMemoryDC large(::CreateCompatibleDC(screen.Get()));
    CMemoryDC small(::CreateCompatibleDC(screen.Get()));
    CBitmapHandle largeBitmap(::CreateCompatibleBitmap(screen.Get(), 32, 32));
    CBitmapHandle smallBitmap(::CreateCompatibleBitmap(screen.Get(), 16, 16));
    CBrushHandle background(::CreateSolidBrush(m_Background));
    if (!large || !small || !largeBitmap || !smallBitmap || !background)
        return;
    {
        CSelectObject selectLarge(large.Get(), largeBitmap.Get());
        CSelectObject selectSmall(small.Get(), smallBitmap.Get());
        RECT all{0, 0, 32, 32};
        ::FillRect(large.Get(), &all, background.Get());
        ::DrawIconEx(large.Get(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        ::SetStretchBltMode(small.Get(), HALFTONE);
        ::SetBrushOrgEx(small.Get(), 0, 0, nullptr);
        ::StretchBlt(small.Get(), 0, 0, 16, 16, large.Get(), 0, 0, 32, 32, SRCCOPY);
    }
    m_Icons.Reset(::ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (m_Icons)
        ::ImageList_AddMasked(m_Icons.Get(), smallBitmap.Get(), m_Background);
}

bool CBalloonTip::RegisterWindowClass() {
    WNDCLASSEXA wc{};
    wc.style = CS_SAVEBITS | CS_DBLCLKS | CS_DROPSHADOW;
    wc.lpfnWndProc = &ForwardWindowProc<CBalloonTip>;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClassName;
    if (RegisterClassOnce(wc))
        return true;
    // Systems before XP know no drop shadow.
    wc.style &= ~static_cast<UINT>(CS_DROPSHADOW);
    return RegisterClassOnce(wc);
}

bool CBalloonTip::Create(const std::string& title, const std::string& content, POINT anchor, uint32_t options,
                         HWND parent, const std::string& link, unsigned timeout) {
    if (m_hWnd)
        return false;
    m_strContent = content;
    m_strTitle = title;
    m_strLink = link;
    m_Anchor = anchor;
    m_Options = options;
    m_Timeout = timeout;
    const balloon::CreationSteps steps = balloon::PlanCreation(options, reinterpret_cast<uintptr_t>(parent),
                                                               reinterpret_cast<uintptr_t>(ApplicationMainWindow()));
    parent = reinterpret_cast<HWND>(steps.parent);
    if (!parent || !::IsWindow(parent))
        return false;

    LOGFONTA description{};
    if (!::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description))
        return false;
    m_ContentFont.Reset(::CreateFontIndirectA(&description));
    description.lfWeight = FW_BOLD;
    m_TitleFont.Reset(::CreateFontIndirectA(&description));
    if (!m_ContentFont || !m_TitleFont)
        return false;

    if (!RegisterWindowClass())
        return false;
    m_Options = balloon::SettleFadeOptions(m_Options, SystemFlag(SPI_GETTOOLTIPANIMATION),
                                           SystemFlag(SPI_GETTOOLTIPFADE), m_Layered.Available());

    DWORD exStyle = WS_EX_TOOLWINDOW;
    if (m_Layered.Available())
        exStyle |= WS_EX_LAYERED;
    if (m_Options & BalloonTopmost)
        exStyle |= WS_EX_TOPMOST;
    if (!::CreateWindowExA(exStyle, kClassName, title.c_str(), WS_POPUP, 0, 0, 0, 0, parent, nullptr,
                           ::GetModuleHandleA(nullptr), this)) {
        m_hWnd = nullptr;
        return false;
    }
    // The one place where the window may take this object over: only now that it exists. A creation that failed
    // (even one whose window was destroyed inside CreateWindowEx) leaves the object to the caller.
    m_bOwnedByWindow = (m_Options & BalloonDeleteOnClose) != 0;
    // From here on nothing fails: the window is this object's until it is destroyed.
    PlaceWindow(anchor);
    StartFadeIn();

    if (steps.watchMouse) {
        ::GetCursorPos(&m_MouseStart);
        ::ScreenToClient(m_hWnd, &m_MouseStart);
        ::SetTimer(m_hWnd, balloon::TIMER_MOUSE, balloon::kMousePeriod, nullptr);
    }
    if (steps.captureMouse)
        ::SetCapture(m_hWnd);
    if (steps.closeOnKey)
        AddKeyCloser(m_hWnd);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    return true;
}

int CBalloonTip::ScreenWidth() const { return ScreenOf(m_Anchor).Width(); }

SIZE CBalloonTip::MeasureHeader(HDC dc, const std::string& title) const {
    RECT text{0, 0, 0, 0};
    {
        CSelectObject font(dc, m_TitleFont.Get());
        ::DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &text,
                    DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    }
    const balloon::Size icon = m_Icons ? balloon::Size{16, 16} : balloon::Size{};
    const balloon::Size header = balloon::HeaderSize(
        icon, balloon::Size{text.right - text.left, text.bottom - text.top}, (m_Options & BalloonCloseButton) != 0);
    return SIZE{header.cx, header.cy};
}

SIZE CBalloonTip::MeasureContent(HDC dc) const {
    RECT text{0, 0, ScreenWidth(), 0};
    CSelectObject font(dc, m_ContentFont.Get());
    ::DrawTextA(dc, m_strContent.c_str(), static_cast<int>(m_strContent.size()), &text,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    return SIZE{text.right - text.left, text.bottom - text.top};
}

void CBalloonTip::PlaceWindow(POINT anchor) {
    SIZE header{}, content{};
    {
        CWindowDC dc(m_hWnd);
        header = MeasureHeader(dc.Get(), m_strTitle);
        content = MeasureContent(dc.Get());
    }
    const balloon::Size size =
        balloon::WindowSize(balloon::Size{header.cx, header.cy}, balloon::Size{content.cx, content.cy});
    const balloon::Placement placement = balloon::Place(balloon::Point{anchor.x, anchor.y}, size, ScreenOf(anchor));
    ::SetWindowPos(m_hWnd, nullptr, placement.position.x, placement.position.y, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (!m_bPlaced || placement != m_Placement) {
        m_Placement = placement;
        m_bPlaced = true;
        CRegionHandle region = MakeRegion(placement);
        // A region that the window took belongs to the system: it is deleted with the window or the next region.
        if (::SetWindowRgn(m_hWnd, region.Get(), TRUE))
            (void)region.Release();
    }
}

void CBalloonTip::ApplyAlpha() {
    if (m_Layered.Available())
        m_Layered.SetLayeredAttributes(m_hWnd, 0, static_cast<BYTE>(m_nAlpha), LWA_ALPHA);
}

void CBalloonTip::StartFadeIn() {
    if (m_Options & BalloonNoFadeIn) {
        m_nAlpha = 255;
        ApplyAlpha();
        if (m_Timeout > 0)
            ::SetTimer(m_hWnd, balloon::TIMER_TIMEOUT, m_Timeout, nullptr);
        return;
    }
    m_nAlpha = balloon::kFadeInStart;
    ApplyAlpha();
    ::SetTimer(m_hWnd, balloon::TIMER_FADE_IN, balloon::kFadePeriod, nullptr);
}

void CBalloonTip::Close() {
    if (!m_hWnd || m_bClosing)
        return;
    m_bClosing = true;
    ::KillTimer(m_hWnd, balloon::TIMER_FADE_IN);
    ::KillTimer(m_hWnd, balloon::TIMER_TIMEOUT);
    ::KillTimer(m_hWnd, balloon::TIMER_MOUSE);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (m_Options & BalloonNoFadeOut) {
        m_nAlpha = 0;
        ::DestroyWindow(m_hWnd);  // may delete this object
        return;
    }
    m_nAlpha = balloon::kFadeOutStart;
    ApplyAlpha();
    ::SetTimer(m_hWnd, balloon::TIMER_FADE_OUT, balloon::kFadePeriod, nullptr);
}

void CBalloonTip::OnTimer(UINT_PTR id) {
    switch (id) {
    case balloon::TIMER_FADE_IN: {
        const balloon::FadeStep step = balloon::FadeInStep(m_nAlpha);
        m_nAlpha = step.alpha;
        ApplyAlpha();
        if (step.done) {
            ::KillTimer(m_hWnd, balloon::TIMER_FADE_IN);
            if (m_Timeout > 0)
                ::SetTimer(m_hWnd, balloon::TIMER_TIMEOUT, m_Timeout, nullptr);
        }
        break;
    }
    case balloon::TIMER_FADE_OUT: {
        const balloon::FadeStep step = balloon::FadeOutStep(m_nAlpha);
        m_nAlpha = step.alpha;
        ApplyAlpha();
        if (step.done) {
            ::KillTimer(m_hWnd, balloon::TIMER_FADE_OUT);
            ::DestroyWindow(m_hWnd);  // may delete this object
        }
        break;
    }
    case balloon::TIMER_TIMEOUT:
        ::KillTimer(m_hWnd, balloon::TIMER_TIMEOUT);
        Close();
        break;
    case balloon::TIMER_MOUSE: {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::ScreenToClient(m_hWnd, &cursor);
        OnMouseMove(cursor);
        break;
    }
    default:
        break;
    }
}

bool CBalloonTip::OnCloseButton(POINT cursor) const {
    return (m_Options & BalloonCloseButton) &&
           balloon::CloseButtonRect(m_Placement).Contains(balloon::Point{cursor.x, cursor.y});
}

void CBalloonTip::SetCloseLook(uint32_t look) {
    const bool changed = (m_State & ~balloon::CloseButtonHeld) != (look & ~balloon::CloseButtonHeld);
    m_State = look;
    if (changed) {
        const RECT button = ToRect(balloon::CloseButtonRect(m_Placement));
        ::InvalidateRect(m_hWnd, &button, FALSE);
    }
}

void CBalloonTip::OnMouseMove(POINT cursor) {
    if (m_bClosing)
        return;
    bool watch = false;
    UINT period = balloon::kMousePeriod;
    if (m_Options & BalloonCloseButton) {
        const bool on = OnCloseButton(cursor);
        SetCloseLook(balloon::CloseButtonLook((m_State & balloon::CloseButtonHeld) != 0, on));
        if (on) {
            // Moves stop reaching us once the cursor has left the window: a slower timer notices the leaving.
            watch = true;
            period = balloon::kMousePeriodOnButton;
        }
    }
    if (balloon::ClosesOnMove(m_Options, m_nAlpha, balloon::Point{m_MouseStart.x, m_MouseStart.y},
                              balloon::Point{cursor.x, cursor.y}, m_nMouseTolerance)) {
        Close();
        return;
    }
    if (m_Options & BalloonCloseOnMouseMove)
        watch = true;
    if (watch)
        ::SetTimer(m_hWnd, balloon::TIMER_MOUSE, period, nullptr);
    else
        ::KillTimer(m_hWnd, balloon::TIMER_MOUSE);
}

void CBalloonTip::OnLButtonDown(POINT cursor) {
    if (!OnCloseButton(cursor))
        return;
    SetCloseLook(balloon::CloseButtonLook(true, true));
    ::SetCapture(m_hWnd);
}

void CBalloonTip::OnLButtonUp(POINT cursor) {
    const bool held = (m_State & balloon::CloseButtonHeld) != 0;
    const bool on = OnCloseButton(cursor);
    const balloon::ButtonUpSteps steps = balloon::LeftButtonUp(m_Options, held, on, !m_strLink.empty());
    if (steps.releaseCapture)
        ::ReleaseCapture();
    if (held)
        SetCloseLook(balloon::CloseButtonLook(false, on));
    const std::string link = m_strLink;  // this object may be gone after Close
    if (steps.close)
        Close();
    if (steps.openLink)
        ::ShellExecuteA(nullptr, nullptr, link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CBalloonTip::DrawCloseButton(HDC dc) {
    RECT button = ToRect(balloon::CloseButtonRect(m_Placement));
    UINT look = DFCS_CAPTIONCLOSE | DFCS_FLAT;
    const uint32_t drawn = m_State & ~balloon::CloseButtonHeld;
    if (drawn == balloon::CloseButtonHot)
        look |= DFCS_HOT;
    else if (drawn == balloon::CloseButtonPushed)
        look |= DFCS_PUSHED;
    ::DrawFrameControl(dc, &button, DFC_CAPTION, look);
}

void CBalloonTip::OnPaint() {
    CPaintScope paint(m_hWnd);
    HDC dc = paint.Get();
    RECT all{0, 0, m_Placement.size.cx, m_Placement.size.cy};
    CBrushHandle background(::CreateSolidBrush(m_Background));
    CBrushHandle ink(::CreateSolidBrush(m_TextColour));
    ::FillRect(dc, &all, background.Get());
    if (const CRegionHandle outline = MakeRegion(m_Placement))
        ::FrameRgn(dc, outline.Get(), ink.Get(), 1, 1);

    const RECT client = ToRect(m_Placement.client);
    SIZE header = MeasureHeader(dc, m_strTitle);
    int titleLeft = client.left;
    if (m_Icons) {
        ::ImageList_Draw(m_Icons.Get(), 0, dc, client.left, client.top + (header.cy - 16) / 2, ILD_NORMAL);
        titleLeft += 16 + balloon::kMargin;
    }
    int titleRight = client.right;
    if (m_Options & BalloonCloseButton) {
        DrawCloseButton(dc);
        titleRight -= balloon::kCloseButton;
    }
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_TextColour);
    RECT title{titleLeft, client.top, titleRight, client.top + header.cy};
    {
        CSelectObject font(dc, m_TitleFont.Get());
        ::DrawTextA(dc, m_strTitle.c_str(), static_cast<int>(m_strTitle.size()), &title,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    RECT text{client.left, client.top + header.cy + balloon::kMargin, client.left + ScreenWidth(), client.bottom};
    CSelectObject font(dc, m_ContentFont.Get());
    ::DrawTextA(dc, m_strContent.c_str(), static_cast<int>(m_strContent.size()), &text,
                DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
}

LRESULT CBalloonTip::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_NCCREATE:
        m_hWnd = hwnd;
        break;
    case WM_ERASEBKGND:
        return 1;  // the paint fills everything
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // a click must not take the focus from the control the balloon talks about
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(cursor);
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(cursor);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(cursor);
        return 0;
    case WM_RBUTTONUP:
        if (m_Options & BalloonCloseOnRightClick) {
            ::ReleaseCapture();
            Close();
        }
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        RemoveKeyCloser(hwnd);
        break;
    case WM_NCDESTROY: {
        DetachWindowOwner(hwnd);
        const LRESULT result = ::DefWindowProcA(hwnd, message, wParam, lParam);
        m_hWnd = nullptr;
        if (m_bOwnedByWindow)
            delete this;
        return result;
    }
    default:
        break;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

bool ShowBalloonTip(const std::string& title, const std::string& content, POINT anchor, LPCSTR icon, uint32_t options,
                    HWND parent, const std::string& link, unsigned timeout) {
    auto tip = std::make_unique<CBalloonTip>();
    tip->SetIcon(icon);
    if (!tip->Create(title, content, anchor, options | BalloonDeleteOnClose, parent, link, timeout))
        return false;     // no window was made: the object is still ours, and goes here
    (void)tip.release();  // its window owns it now and deletes it when it is destroyed
    return true;
}

POINT WindowCentre(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
