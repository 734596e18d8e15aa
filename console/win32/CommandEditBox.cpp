// The command line's edit control: text access for the model, and completion after every typed character.
#include "console/win32/CommandEditBox.h"

#include <commctrl.h>

#include <vector>

#include "base/win32/WindowProc.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;
const SUBCLASSPROC kSubclassProc = &ForwardSubclassProc<CCommandEditBox, kSubclassId>;
}  // namespace

CCommandEditBox::~CCommandEditBox() { Detach(); }

bool CCommandEditBox::Attach(HWND edit, CCommandEdit& model) {
    Detach();
    if (!edit)
        return false;
    m_hEdit = edit;
    m_pModel = &model;
    return ::SetWindowSubclass(edit, kSubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void CCommandEditBox::Detach() {
    if (m_hEdit && ::IsWindow(m_hEdit))
        ::RemoveWindowSubclass(m_hEdit, kSubclassProc, kSubclassId);
    m_hEdit = nullptr;
    m_pModel = nullptr;
}

std::string CCommandEditBox::GetText() const {
    if (!m_hEdit)
        return std::string();
    const int length = ::GetWindowTextLengthA(m_hEdit);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hEdit, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CCommandEditBox::SetText(const std::string& text) {
    if (m_hEdit)
        ::SetWindowTextA(m_hEdit, text.c_str());
}

void CCommandEditBox::SetSel(int start, int end) {
    if (!m_hEdit)
        return;
    ::SendMessageA(m_hEdit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    ::SendMessageA(m_hEdit, EM_SCROLLCARET, 0, 0);
}

void CCommandEditBox::OnControlDestroyed(HWND hwnd) {
    if (m_hEdit == hwnd)
        m_hEdit = nullptr;
}

LRESULT CCommandEditBox::HandleSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) {
        // The control inserts the character first; completion then works on the text that includes it.
        const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
        if (m_pModel)
            m_pModel->CompleteWord(static_cast<int>(static_cast<unsigned char>(wParam)));
        return result;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}
