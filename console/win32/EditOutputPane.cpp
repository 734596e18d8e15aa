// The "Console output" pane: a read-only multi-line edit control that the console appends to.
//
// Appending to a visible edit control costs milliseconds per call (the control re-lays out and scrolls each
// time), so a listing of a thousand lines written line by line would freeze the window for seconds. The pane
// therefore collects what is written while a handler runs and appends it in one go once the thread is idle (a
// zero-delay timer), or earlier whenever anybody reads the control's text, so readers never see it stale.
#include "console/win32/EditOutputPane.h"

#include <commctrl.h>

#include "base/win32/WindowProc.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kFlushTimer = 0x4B56;  // a timer of the edit control itself, not of the main window
const SUBCLASSPROC kSubclassProc = &ForwardSubclassProc<CEditOutputPane, kSubclassId>;

bool ReadsText(UINT message) {
    switch (message) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_GETLINECOUNT:
    case EM_GETLINE:
    case EM_LINEINDEX:
    case EM_LINELENGTH:
    case EM_LINEFROMCHAR:
    case EM_GETSEL:
    case EM_GETHANDLE:
        return true;
    default:
        return false;
    }
}
}  // namespace

CEditOutputPane::~CEditOutputPane() { Detach(); }

void CEditOutputPane::Attach(HWND edit) {
    Detach();
    m_hEdit = edit;
    if (!edit)
        return;
    ::SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);  // 0: as much as the control can hold
    ::SetWindowSubclass(edit, kSubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void CEditOutputPane::Detach() {
    if (m_hEdit && ::IsWindow(m_hEdit)) {
        ::KillTimer(m_hEdit, kFlushTimer);
        ::RemoveWindowSubclass(m_hEdit, kSubclassProc, kSubclassId);
    }
    m_hEdit = nullptr;
    m_bFlushArmed = false;
}

void CEditOutputPane::AppendText(const std::string& text) {
    if (!m_hEdit || text.empty())
        return;
    m_strPending += text;
    if (!m_bFlushArmed)
        m_bFlushArmed = ::SetTimer(m_hEdit, kFlushTimer, 0, nullptr) != 0;
    if (!m_bFlushArmed)
        Flush();  // no timer to be had: append now
}

void CEditOutputPane::Flush() {
    if (m_bFlushArmed && m_hEdit)
        ::KillTimer(m_hEdit, kFlushTimer);
    m_bFlushArmed = false;
    if (!m_hEdit || m_strPending.empty())
        return;
    const std::string text = std::move(m_strPending);
    m_strPending.clear();
    // Select all, collapse the selection at the end, replace the empty selection: the text lands at the end and
    // the caret (and the view) follows it.
    // Drawing is off meanwhile: the control then lays the new lines out once, without repainting as it scrolls
    // (a fifth less time for a listing of ten thousand lines under Wine).
    ::SendMessageA(m_hEdit, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(m_hEdit, EM_SETSEL, 0, -1);
    ::SendMessageA(m_hEdit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    ::SendMessageA(m_hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(m_hEdit, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hEdit, nullptr, TRUE);
}

void CEditOutputPane::SetAllText(const std::string& text) {
    if (!m_hEdit)
        return;
    // Whatever was still waiting is part of the text being replaced.
    m_strPending.clear();
    Flush();
    ::SendMessageA(m_hEdit, EM_SETSEL, 0, -1);
    ::SendMessageA(m_hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void CEditOutputPane::OnControlDestroyed(HWND hwnd) {
    if (m_hEdit == hwnd) {
        m_hEdit = nullptr;
        m_bFlushArmed = false;
    }
}

LRESULT CEditOutputPane::HandleSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hEdit == hwnd) {
        if (message == WM_TIMER && wParam == kFlushTimer) {
            Flush();
            return 0;
        }
        if (ReadsText(message))
            Flush();
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}
