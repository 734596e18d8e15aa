// The network status tree's control: the tree-view control driven through TVM_* messages.
#include "app/win32/TreeViewAdapter.h"

#include <vector>

#include "base/win32/WindowProc.h"

namespace {

// Messages after which every branch is still open or closed as before: drawing, sizing, focus, hovering,
// scrolling, and the questions. Anything else (clicks, keys, other programs' edits) may have changed a branch.
bool KeepsBranches(UINT message) {
    switch (message) {
    case WM_NULL:
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_NCPAINT:
    case WM_PRINTCLIENT:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_MOUSEHOVER:
    case WM_MOUSEACTIVATE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_KEYUP:
    case WM_GETDLGCODE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE:
    case WM_NCCALCSIZE:
    case WM_SHOWWINDOW:
    case WM_SETREDRAW:
    case WM_GETFONT:
    case WM_SETFONT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_NOTIFY:
    case WM_NOTIFYFORMAT:
    case WM_GETOBJECT:
    case WM_TIMER:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_THEMECHANGED:
    case TVM_GETITEMA:
    case TVM_GETITEMW:
    case TVM_GETNEXTITEM:
    case TVM_GETITEMSTATE:
    case TVM_GETCOUNT:
    case TVM_GETVISIBLECOUNT:
    case TVM_GETITEMRECT:
    case TVM_HITTEST:
    case TVM_GETSCROLLTIME:
    case TVM_GETIMAGELIST:
    case TVM_SETIMAGELIST:
    case TVM_GETINDENT:
    case TVM_GETITEMHEIGHT:
    case TVM_GETTOOLTIPS:
    case TVM_GETBKCOLOR:
    case TVM_GETTEXTCOLOR:
    case TVM_GETLINECOLOR:
    case TVM_GETUNICODEFORMAT:
    case TVM_GETISEARCHSTRINGA:
    case TVM_GETISEARCHSTRINGW:
        return true;
    default:
        return false;
    }
}

HTREEITEM AsHandle(TreeItem item) { return reinterpret_cast<HTREEITEM>(item); }
TreeItem AsItem(HTREEITEM handle) { return reinterpret_cast<TreeItem>(handle); }

void Describe(TVITEMA& item, const std::string& text, int image, bool bold) {
    item.mask |= TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    item.iSelectedImage = image;
    item.state = bold ? TVIS_BOLD : 0;
    item.stateMask = TVIS_BOLD;
}

}  // namespace

CTreeViewAdapter::~CTreeViewAdapter() { Detach(); }

// The control's window procedure is replaced the classic way, with the owner in the window's user data: the
// common-controls subclass chain looks its data up in a window property on every message, which under Wine is a
// round trip to the server for each of the tens of thousands of items a big rebuild inserts.
LRESULT CALLBACK CTreeViewAdapter::WatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<CTreeViewAdapter*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->m_hTree != hwnd || !self->m_OriginalProc)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    const WNDPROC original = self->m_OriginalProc;
    try {
        // Only watches: every message goes on to the control as it came.
        if (!KeepsBranches(message))
            self->m_bChangedByOthers = true;
        if (message == WM_NCDESTROY)
            self->Detach();
    } catch (...) {
        ReportCaughtFault(kFaultName, nullptr);
    }
    return ::CallWindowProcA(original, hwnd, message, wParam, lParam);
}

void CTreeViewAdapter::Attach(HWND tree) {
    Detach();
    m_bChangedByOthers = true;
    if (!tree)
        return;
    m_hTree = tree;
    ::SetWindowLongPtrA(tree, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_OriginalProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CTreeViewAdapter::WatchProc)));
}

void CTreeViewAdapter::Detach() {
    if (m_hTree && m_OriginalProc && ::IsWindow(m_hTree)) {
        ::SetWindowLongPtrA(m_hTree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OriginalProc));
        ::SetWindowLongPtrA(m_hTree, GWLP_USERDATA, 0);
    }
    m_hTree = nullptr;
    m_OriginalProc = nullptr;
}

TreeItem CTreeViewAdapter::Insert(TreeItem parent, HTREEITEM after, const std::string& text, int image, bool bold) {
    if (!m_hTree)
        return TREE_NONE;
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? AsHandle(parent) : TVI_ROOT;
    insert.hInsertAfter = after;
    Describe(insert.item, text, image, bold);
    return AsItem(
        reinterpret_cast<HTREEITEM>(::SendMessageA(m_hTree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
}

TreeItem CTreeViewAdapter::InsertItem(TreeItem parent, TreeItem after, const std::string& text, int image, bool bold) {
    return Insert(parent, after ? AsHandle(after) : TVI_FIRST, text, image, bold);
}

TreeItem CTreeViewAdapter::AppendItem(TreeItem parent, const std::string& text, int image, bool bold) {
    return Insert(parent, TVI_LAST, text, image, bold);
}

void CTreeViewAdapter::SetItem(TreeItem item, const std::string& text, int image, bool bold) {
    if (!m_hTree || !item)
        return;
    TVITEMA change{};
    change.mask = TVIF_HANDLE;
    change.hItem = AsHandle(item);
    Describe(change, text, image, bold);
    ::SendMessageA(m_hTree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void CTreeViewAdapter::DeleteItem(TreeItem item) {
    if (m_hTree && item)
        ::SendMessageA(m_hTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(AsHandle(item)));
}

TreeItem CTreeViewAdapter::Next(TreeItem item, UINT relation) const {
    if (!m_hTree)
        return TREE_NONE;
    return AsItem(reinterpret_cast<HTREEITEM>(
        ::SendMessageA(m_hTree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(AsHandle(item)))));
}

bool CTreeViewAdapter::IsExpanded(TreeItem item) const {
    if (!m_hTree || !item)
        return false;
    const LRESULT state =
        ::SendMessageA(m_hTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(AsHandle(item)), TVIS_EXPANDED);
    return (state & TVIS_EXPANDED) != 0;
}

void CTreeViewAdapter::SetExpanded(TreeItem item, bool expanded) {
    if (m_hTree && item)
        ::SendMessageA(m_hTree, TVM_EXPAND, expanded ? TVE_EXPAND : TVE_COLLAPSE,
                       reinterpret_cast<LPARAM>(AsHandle(item)));
}

TreeItem CTreeViewAdapter::GetSelection() const { return Next(TREE_NONE, TVGN_CARET); }

void CTreeViewAdapter::Select(TreeItem item) {
    if (m_hTree)
        ::SendMessageA(m_hTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(AsHandle(item)));
}

TreeItem CTreeViewAdapter::GetFirstVisible() const { return Next(TREE_NONE, TVGN_FIRSTVISIBLE); }

void CTreeViewAdapter::SetFirstVisible(TreeItem item) {
    if (m_hTree && item)
        ::SendMessageA(m_hTree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(AsHandle(item)));
}

void CTreeViewAdapter::SetRedraw(bool redraw) {
    if (!m_hTree)
        return;
    ::SendMessageA(m_hTree, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    if (redraw)
        ::RedrawWindow(m_hTree, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The order of the user's locale, case ignored: the order in which the control sorts children itself.
std::string CTreeViewAdapter::SortKey(const std::string& text) const {
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int size = ::LCMapStringA(LOCALE_USER_DEFAULT, flags, text.c_str(), -1, nullptr, 0);
    if (size <= 0)
        return text;
    std::vector<char> key(static_cast<size_t>(size));
    const int written = ::LCMapStringA(LOCALE_USER_DEFAULT, flags, text.c_str(), -1, key.data(), size);
    if (written <= 0)
        return text;
    // The key ends with a zero byte, which every key has and which orders nothing.
    return std::string(key.data(), static_cast<size_t>(written - 1));
}
