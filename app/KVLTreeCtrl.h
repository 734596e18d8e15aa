// The network status tree: item paths and the view (expanded branches, selection) kept across rebuilds. Each
// rebuild is made in memory, and the tree-view control is brought to it by changing only what differs.
#pragma once

#include <string>
#include <vector>

#include "app/TreeControl.h"
#include "app/TreeModel.h"
#include "base/TreeView.h"

class CKVLTreeCtrl {
public:
    void Attach(ITreeControl* control) {
        m_pControl = control;
        m_Model.SetCollation(control);
    }
    ITreeControl* Control() const { return m_pControl; }
    // The tree that a rebuild appends its items to, between SaveTreeState and RestoreTreeState.
    ITreeView& Model() { return m_Model; }
    const CTreeModel& ModelState() const { return m_Model; }

    static std::string ItemPath(const ITreeView& view, TreeItem item);
    static TreeItem FindItemByPath(const ITreeView& view, TreeItem first, const std::string& path);
    std::string ItemPath(TreeItem item) const { return ItemPath(m_Model, item); }
    TreeItem FindItemByPath(TreeItem first, const std::string& path) const {
        return FindItemByPath(m_Model, first, path);
    }
    // Remembers the view as the control shows it, then empties the tree for the rebuild.
    void SaveTreeState();
    // Expands the remembered items and re-selects the remembered one in the rebuilt tree, then brings the control
    // to it.
    void RestoreTreeState(bool withSelection);

    const std::vector<std::string>& ExpandedPaths() const { return m_ExpandedPaths; }
    const std::string& SelectedPath() const { return m_strSelectedPath; }

private:
    ITreeControl* m_pControl = nullptr;
    CTreeModel m_Model;
    std::vector<std::string> m_ExpandedPaths;
    std::string m_strSelectedPath;
};
