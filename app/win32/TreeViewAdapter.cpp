// The network status tree's view: the tree-view control driven through TVM_* messages.
#include "app/win32/TreeViewAdapter.h"

namespace {

HTREEITEM AsHandle(TreeItem item) { return reinterpret_cast<HTREEITEM>(item); }
TreeItem AsItem(HTREEITEM handle) { return reinterpret_cast<TreeItem>(handle); }

// Item texts are formatted into 128-byte buffers; this leaves room.
constexpr int kTextBuffer = 260;

}  // namespace

TreeItem CTreeViewAdapter::InsertItem(TreeItem parent, const std::string& text, int image, bool bold) {
    if (!m_hTree)
        return TREE_NONE;
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? AsHandle(parent) : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.state = bold ? TVIS_BOLD : 0;
    insert.item.stateMask = TVIS_BOLD;
    return AsItem(
        reinterpret_cast<HTREEITEM>(::SendMessageA(m_hTree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
}

TreeItem CTreeViewAdapter::Next(TreeItem item, UINT relation) const {
    if (!m_hTree)
        return TREE_NONE;
    return AsItem(reinterpret_cast<HTREEITEM>(
        ::SendMessageA(m_hTree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(AsHandle(item)))));
}

TreeItem CTreeViewAdapter::GetFirstRoot() const { return Next(TREE_NONE, TVGN_ROOT); }

TreeItem CTreeViewAdapter::GetChild(TreeItem item) const { return item ? Next(item, TVGN_CHILD) : TREE_NONE; }

TreeItem CTreeViewAdapter::GetNextSibling(TreeItem item) const { return item ? Next(item, TVGN_NEXT) : TREE_NONE; }

TreeItem CTreeViewAdapter::GetParent(TreeItem item) const { return item ? Next(item, TVGN_PARENT) : TREE_NONE; }

std::string CTreeViewAdapter::GetText(TreeItem item) const {
    if (!m_hTree || !item)
        return std::string();
    char buffer[kTextBuffer] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = AsHandle(item);
    query.pszText = buffer;
    query.cchTextMax = sizeof(buffer);
    if (!::SendMessageA(m_hTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return std::string();
    // The control may hand back its own buffer instead of filling ours.
    return std::string(query.pszText ? query.pszText : "");
}

TreeItem CTreeViewAdapter::GetSelection() const { return Next(TREE_NONE, TVGN_CARET); }

void CTreeViewAdapter::Select(TreeItem item) {
    if (m_hTree)
        ::SendMessageA(m_hTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(AsHandle(item)));
}

void CTreeViewAdapter::Expand(TreeItem item) {
    if (m_hTree && item)
        ::SendMessageA(m_hTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(AsHandle(item)));
}

bool CTreeViewAdapter::IsExpanded(TreeItem item) const {
    if (!m_hTree || !item)
        return false;
    const LRESULT state =
        ::SendMessageA(m_hTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(AsHandle(item)), TVIS_EXPANDED);
    return (state & TVIS_EXPANDED) != 0;
}

TreeItem CTreeViewAdapter::GetFirstVisible() const { return Next(TREE_NONE, TVGN_FIRSTVISIBLE); }

TreeItem CTreeViewAdapter::GetNextVisible(TreeItem item) const {
    return item ? Next(item, TVGN_NEXTVISIBLE) : TREE_NONE;
}

void CTreeViewAdapter::DeleteAll() {
    if (m_hTree)
        ::SendMessageA(m_hTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

void CTreeViewAdapter::SortChildren(TreeItem item) {
    if (m_hTree)
        ::SendMessageA(m_hTree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(item ? AsHandle(item) : TVI_ROOT));
}

void CTreeViewAdapter::SetRedraw(bool redraw) {
    if (!m_hTree)
        return;
    ::SendMessageA(m_hTree, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    if (redraw)
        ::RedrawWindow(m_hTree, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}
