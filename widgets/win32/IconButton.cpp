// Icon push buttons with tool tips, and caption labels drawn white on black.
#include "widgets/win32/IconButton.h"

#include <commctrl.h>

#include <algorithm>

bool CToolTips::Create(HWND owner) {
    m_hOwner = owner;
    m_Window.Reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr));
    return static_cast<bool>(m_Window);
}

bool CToolTips::AddTool(HWND control, const char* text) {
    if (!m_Window || !control)
        return false;
    TOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hOwner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    return ::SendMessageA(m_Window.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

bool CIconButton::Attach(HWND button, int iconId) {
    m_hButton = button;
    if (!button)
        return false;
    // The largest of the icon's sizes that leaves the button's frame visible around it.
    RECT client{};
    ::GetClientRect(button, &client);
    const int room = std::min(client.right - client.left, client.bottom - client.top) - 8;
    const int size = room >= 32 ? 32 : room >= 24 ? 24 : 16;
    m_Icon.Reset(static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (!m_Icon)
        return false;
    ::SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_Icon.Get()));
    return true;
}

namespace {

// A check box drawn with the visual style of the version-6 common controls takes its text colour from the theme,
// whatever WM_CTLCOLORSTATIC sets, and paints it over the brush answered there: black on black. Without its visual
// style it is drawn the classic way, which takes both colours from WM_CTLCOLORSTATIC, on themed and classic
// desktops alike. The theme library is looked up at run time: where it is missing every control is drawn the
// classic way anyway.
void DrawWithoutVisualStyle(HWND control) {
    using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    HMODULE library = ::GetModuleHandleA("uxtheme.dll");
    if (!library)
        library = ::LoadLibraryA("uxtheme.dll");
    if (!library)
        return;
    const auto setTheme =
        reinterpret_cast<SetWindowThemeFunction>(reinterpret_cast<void*>(::GetProcAddress(library, "SetWindowTheme")));
    if (setTheme)
        setTheme(control, L"", L"");  // empty names match no theme class
}

bool IsButton(HWND control) {
    char className[16] = {};
    ::GetClassNameA(control, className, sizeof(className));
    return ::lstrcmpiA(className, "Button") == 0;
}

}  // namespace

void CCaptionLabels::Add(HWND label) {
    if (label && IsButton(label))
        DrawWithoutVisualStyle(label);
    m_Labels.push_back(label);
}

HBRUSH CCaptionLabels::OnCtlColor(HDC dc, HWND control) const {
    if (std::find(m_Labels.begin(), m_Labels.end(), control) == m_Labels.end())
        return nullptr;
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkColor(dc, RGB(0, 0, 0));
    ::SetBkMode(dc, OPAQUE);
    return static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
}
