// Layered-window attributes through a run-time look-up in USER32.
#include "widgets/win32/LayeredWindow.h"

namespace {

using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredFn LookUp(HMODULE user32) {
    // The entry point's type is fixed by the system; the cast goes through a generic function pointer.
    return reinterpret_cast<SetLayeredFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

}  // namespace

CLayeredWindows::CLayeredWindows() : m_hUser32(::LoadLibraryA("USER32.dll")) {}

CLayeredWindows::~CLayeredWindows() {
    if (m_hUser32)
        ::FreeLibrary(m_hUser32);
}

BOOL CLayeredWindows::SetLayeredAttributes(HWND window, COLORREF colourKey, BYTE alpha, DWORD flags) const {
    if (!m_hUser32)
        return TRUE;
    SetLayeredFn function = LookUp(m_hUser32);
    if (!function)
        return FALSE;
    return function(window, colourKey, alpha, flags);
}

BOOL CLayeredWindows::SetTransparency(HWND window, unsigned percent) const {
    if (percent > 100)
        percent = 100;
    return SetLayeredAttributes(window, 0, static_cast<BYTE>(percent * 255 / 100), LWA_ALPHA);
}

void CLayeredWindows::MakeLayered(HWND window) {
    const LONG_PTR style = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
    ::SetWindowLongPtrA(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
}

bool CLayeredWindows::Available() const { return m_hUser32 && LookUp(m_hUser32); }
