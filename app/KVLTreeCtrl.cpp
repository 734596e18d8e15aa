// The network status tree's memory of the view: items are remembered by their path of texts, so that the
// branches the user opened and the item they selected survive a rebuild from scratch.
#include "app/KVLTreeCtrl.h"

std::string CKVLTreeCtrl::ItemPath(const ITreeView& view, TreeItem item) {
    std::string path;
    for (; item != TREE_NONE; item = view.GetParent(item))
        path = view.GetText(item) + "." + path;
    return path;
}

TreeItem CKVLTreeCtrl::FindItemByPath(const ITreeView& view, TreeItem first, const std::string& path) {
    for (TreeItem item = first; item != TREE_NONE; item = view.GetNextSibling(item)) {
        const std::string head = view.GetText(item) + ".";
        if (path.compare(0, head.size(), head) != 0)
            continue;
        // The first sibling whose text heads the path decides, even when the rest is not found below it:
        // texts may hold full stops, so a later sibling could match too, but it is not tried.
        if (path.size() == head.size())
            return item;
        return FindItemByPath(view, view.GetChild(item), path.substr(head.size()));
    }
    return TREE_NONE;
}

void CKVLTreeCtrl::SaveTreeState() {
    // What the user did with the control since the last rebuild: selection, scroll position, opened branches.
    if (m_pControl)
        m_Model.ReadView(*m_pControl);
    m_strSelectedPath = ItemPath(m_Model.GetSelection());

    // Only what the view shows from its top down is remembered: branches scrolled out above it, and items inside
    // collapsed branches, are not visited.
    m_ExpandedPaths.clear();
    for (TreeItem item = m_Model.GetFirstVisible(); item != TREE_NONE; item = m_Model.GetNextVisible(item)) {
        if (m_Model.IsExpanded(item) && m_Model.GetChild(item) != TREE_NONE)
            m_ExpandedPaths.push_back(ItemPath(item));
    }

    m_Model.DeleteAll();
}

void CKVLTreeCtrl::RestoreTreeState(bool withSelection) {
    for (const std::string& path : m_ExpandedPaths) {
        TreeItem item = FindItemByPath(m_Model.GetFirstRoot(), path);
        if (item != TREE_NONE)
            m_Model.Expand(item);
    }
    if (withSelection) {
        TreeItem item = FindItemByPath(m_Model.GetFirstRoot(), m_strSelectedPath);
        if (item != TREE_NONE)
            m_Model.Select(item);
    }
    if (m_pControl)
        m_Model.ApplyTo(*m_pControl);
}
