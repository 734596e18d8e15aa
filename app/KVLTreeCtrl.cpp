// The network status tree's memory of the view: items are remembered by their path of texts, so that the
// branches the user opened and the item they selected survive a rebuild from scratch.
#include "app/KVLTreeCtrl.h"

std::string CKVLTreeCtrl::ItemPath(TreeItem item) const {
    std::string path;
    if (!m_pView)
        return path;
    for (; item != TREE_NONE; item = m_pView->GetParent(item))
        path = m_pView->GetText(item) + "." + path;
    return path;
}

TreeItem CKVLTreeCtrl::FindItemByPath(TreeItem first, const std::string& path) const {
    if (!m_pView)
        return TREE_NONE;
    for (TreeItem item = first; item != TREE_NONE; item = m_pView->GetNextSibling(item)) {
        const std::string head = m_pView->GetText(item) + ".";
        if (path.compare(0, head.size(), head) != 0)
            continue;
        // The first sibling whose text heads the path decides, even when the rest is not found below it:
        // texts may hold full stops, so a later sibling could match too, but it is not tried.
        if (path.size() == head.size())
            return item;
        return FindItemByPath(m_pView->GetChild(item), path.substr(head.size()));
    }
    return TREE_NONE;
}

void CKVLTreeCtrl::SaveTreeState() {
    if (!m_pView)
        return;
    m_strSelectedPath = ItemPath(m_pView->GetSelection());

    // Only what the view shows from its top down is remembered: branches scrolled out above it, and items inside
    // collapsed branches, are not visited.
    m_ExpandedPaths.clear();
    for (TreeItem item = m_pView->GetFirstVisible(); item != TREE_NONE; item = m_pView->GetNextVisible(item)) {
        // The state first: most items are collapsed, and each question costs the control a search.
        if (m_pView->IsExpanded(item) && m_pView->GetChild(item) != TREE_NONE)
            m_ExpandedPaths.push_back(ItemPath(item));
    }

    m_pView->DeleteAll();
}

void CKVLTreeCtrl::RestoreTreeState(bool withSelection) {
    if (!m_pView)
        return;
    for (const std::string& path : m_ExpandedPaths) {
        TreeItem item = FindItemByPath(m_pView->GetFirstRoot(), path);
        if (item != TREE_NONE)
            m_pView->Expand(item);
    }
    if (withSelection) {
        TreeItem item = FindItemByPath(m_pView->GetFirstRoot(), m_strSelectedPath);
        if (item != TREE_NONE)
            m_pView->Select(item);
    }
}
