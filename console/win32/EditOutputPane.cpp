// The "Console output" pane: a read-only multi-line edit control that the console appends to.
#include "console/win32/EditOutputPane.h"

void CEditOutputPane::Attach(HWND edit) {
    m_hEdit = edit;
    if (edit)
        ::SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);  // 0: as much as the control can hold
}

void CEditOutputPane::AppendText(const std::string& text) {
    if (!m_hEdit || !::IsWindow(m_hEdit))
        return;
    // Select all, collapse the selection at the end, replace the empty selection: the text lands at the end and
    // the caret (and the view) follows it.
    ::SendMessageA(m_hEdit, EM_SETSEL, 0, -1);
    ::SendMessageA(m_hEdit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    ::SendMessageA(m_hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void CEditOutputPane::SetAllText(const std::string& text) {
    if (!m_hEdit || !::IsWindow(m_hEdit))
        return;
    ::SendMessageA(m_hEdit, EM_SETSEL, 0, -1);
    ::SendMessageA(m_hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}
