// The "Console output" pane: a read-only multi-line edit control that the console appends to.
//
// Appending to a visible edit control costs milliseconds per call (the control re-lays out and scrolls each
// time), so a listing of a thousand lines written line by line would freeze the window for seconds. The pane
// therefore collects what is written while a handler runs and appends it once the thread is idle (a zero-delay
// timer), or earlier whenever anybody reads the control's text, so readers never see it stale. What has piled up
// meanwhile goes in by pieces of some sixty lines, one per turn of the message loop, with a repaint now and then:
// under a flood of chat the control's layout of thousands of lines at once kept the window from answering for a
// quarter of a second.
#include "console/win32/EditOutputPane.h"

#include <commctrl.h>

#include "base/win32/WindowProc.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kFlushTimer = 0x4B56;  // a timer of the edit control itself, not of the main window
constexpr size_t kPieceBytes = 2048;      // what one turn appends: some 60 lines, some 10 ms of layout under Wine
constexpr DWORD kRepaintMs = 100;         // while pieces wait, the control is repainted this often at most
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
        Flush(true);  // no timer to be had: append now
}

void CEditOutputPane::Flush(bool all) {
    if (m_bFlushArmed && m_hEdit)
        ::KillTimer(m_hEdit, kFlushTimer);
    m_bFlushArmed = false;
    // Asking the control for its length below reads its text: that must not flush again.
    if (!m_hEdit || m_strPending.empty() || m_bFlushing)
        return;
    m_bFlushing = true;
    std::string text;
    if (all || m_strPending.size() <= kPieceBytes) {
        text = std::move(m_strPending);
        m_strPending.clear();
    } else {
        // Up to a line end, so that each piece shows whole lines.
        const size_t end = m_strPending.rfind("\r\n", kPieceBytes);
        const size_t cut = end == std::string::npos ? kPieceBytes : end + 2;
        text = m_strPending.substr(0, cut);
        m_strPending.erase(0, cut);
    }
    // An empty selection at the end, replaced: the text lands at the end and the caret (and the view) follows it.
    // Drawing is off meanwhile: the control then lays the new lines out once, without repainting as it scrolls
    // (a fifth less time for a listing of ten thousand lines under Wine).
    const LRESULT length = ::SendMessageA(m_hEdit, WM_GETTEXTLENGTH, 0, 0);
    ::SendMessageA(m_hEdit, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(m_hEdit, EM_SETSEL, static_cast<WPARAM>(length), length);
    ::SendMessageA(m_hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(m_hEdit, WM_SETREDRAW, TRUE, 0);
    // A repaint costs as much as a piece: while more pieces wait it is made now and then, and after the last one.
    const DWORD now = ::GetTickCount();
    if (m_strPending.empty() || now - m_RepaintedAt >= kRepaintMs) {
        ::InvalidateRect(m_hEdit, nullptr, TRUE);
        m_RepaintedAt = now;
    }
    m_bFlushing = false;
    if (!m_strPending.empty())
        m_bFlushArmed = ::SetTimer(m_hEdit, kFlushTimer, 0, nullptr) != 0;  // the next piece, next turn
}

void CEditOutputPane::SetAllText(const std::string& text) {
    if (!m_hEdit)
        return;
    // Whatever was still waiting is part of the text being replaced.
    m_strPending.clear();
    Flush(true);
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
            Flush(false);
            return 0;
        }
        if (ReadsText(message))
            Flush(true);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}
